#include "characters/ControlledPlayerList.h"

#include "characters/Actor.h"
#include "characters/Character.h"

#include <algorithm>

namespace {

const char* const kComputer = "ai";

bool HoldsBall(const Character* member) { return member->GetActor() && member->GetActor()->HasBall(); }

} // namespace

void ControlledPlayerList::Add(Character* member)
{
    m_entries.push_back({member, 0.0f});
    member->SetControllerName(m_controllerName);
}

void ControlledPlayerList::Remove(Character* member)
{
    if (member == m_selected) {
        m_selected->SetSelected(false);
        m_selected = nullptr;
    }
    std::erase_if(m_entries, [&](const Entry& entry) { return entry.member == member; });
}

void ControlledPlayerList::Refresh()
{
    if (!m_enabled) {
        // Nobody is steered either: a flag left set would keep a brain reading the controller.
        if (m_selected)
            m_selected->SetSelected(false);
        m_selected = nullptr;
        return;
    }
    const auto holder = std::find_if(m_entries.begin(), m_entries.end(),
                                     [](const Entry& entry) { return HoldsBall(entry.member); });
    if (holder != m_entries.end())
        m_selected = holder->member;
    else if (!m_selected && !m_entries.empty())
        m_selected = m_entries.front().member;
    for (const Entry& entry : m_entries) {
        entry.member->SetSelected(entry.member == m_selected && m_controllerName != kComputer);
        entry.member->SetControllerName(m_controllerName);
    }
}

Character* ControlledPlayerList::GetSelected()
{
    if (!m_selected)
        Refresh();
    return m_selected;
}
