#include "editor/HyperLink.h"

namespace {

// The desktop's handler reports only that it failed; that reads best as "no application".
constexpr const char kOpenFailedText[] = "Can't open link:\n\nThere is no application associated\nwith the given filename extension.";

}  // namespace

CHyperLink::CHyperLink(std::string text, std::string target, LinkOpener opener)
    : m_text(std::move(text)), m_target(std::move(target)), m_opener(std::move(opener))
{
    if (m_target.empty())
        m_target = m_text;
    if (m_text.empty())
        m_text = m_target;
}

LinkColor CHyperLink::GetColor() const
{
    if (m_hovering && HasOption(kHoverColor))
        return kHoverRgb;
    if (m_pressed && !HasOption(kNoFocusColor))
        return kFocusRgb;
    return m_visited ? kVisitedRgb : kLinkRgb;
}

void CHyperLink::OnMouseEnter() { m_hovering = true; }

void CHyperLink::OnMouseLeave() { m_hovering = false; }

void CHyperLink::OnButtonDown()
{
    if (HasOption(kOpenOnButtonDown))
        Open();
    m_pressed = true;
}

void CHyperLink::OnButtonUp()
{
    if (m_pressed && !HasOption(kOpenOnButtonDown))
        Open();
}

void CHyperLink::OnSpace() { Open(); }

void CHyperLink::OnFocus() { m_pressed = true; }

void CHyperLink::OnFocusLost()
{
    m_hovering = false;
    m_pressed = false;
}

bool CHyperLink::Open()
{
    if (m_opener && m_opener(m_target)) {
        m_visited = true;
        return true;
    }
    m_error = kOpenFailedText;
    return false;
}
