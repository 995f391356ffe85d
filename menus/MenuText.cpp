#include "menus/MenuText.h"

#include "framework/Color.h"
#include "framework/DebugDisplay.h"
#include "framework/Quaternion.h"
#include "framework/StringUtil.h"
#include "framework/Vector.h"
#include "scene/ScreenDraw.h"
#include "text/TextDisplay.h"
#include "text/TextDisplay3D.h"

namespace menutext {

namespace {

// Every occurrence, in any case; scanning goes on behind each replacement.
void ReplaceAllNoCase(std::string& text, const std::string& search, const std::string& replacement)
{
    size_t start = 0;
    for (int pos = ReplaceNoCase(text, search, replacement, start); pos >= 0;
         pos = ReplaceNoCase(text, search, replacement, start))
        start = static_cast<size_t>(pos) + replacement.size();
}

}  // namespace

std::string SwitchOffColorTags(const std::string& text)
{
    std::string result = text;
    // Closings first: "<color>" without arguments must become one ignore tag, not two.
    ReplaceAllNoCase(result, "color>", "ignore>");
    ReplaceAllNoCase(result, "<color", "<ignore");
    return result;
}

std::string InColor(const std::string& text, const char* rgba)
{
    return std::string("<color ") + rgba + ">" + SwitchOffColorTags(text) + "</color>";
}

std::string ShadowText(const std::string& text)
{
    return InColor(text, "0 0 0 96");
}

bool ReadHorizontalAlign(const std::string& word, int& align)
{
    const std::string lower = StringUtil::Lower(word);
    if (lower == "center")
        align = kAlignCenter;
    else if (lower == "left")
        align = kAlignLeft;
    else if (lower == "right")
        align = kAlignRight;
    else
        return false;
    return true;
}

void DrawDebugBox(const Vector4& rect)
{
    if (DebugDisplay::Instance()->CheckOption("Display Menu Boxes"))
        DrawFilledRect({rect.x, rect.y, rect.z, rect.w}, Color(1.0f, 0.0f, 0.0f, 0.3f));
}

AlignScope::AlignScope(bool set, int align) : m_set(set)
{
    if (!m_set)
        return;
    TextDisplay* display = TextDisplay::Instance();
    m_remembered = display->GetHorizontalAlign();
    display->SetHorizontalAlign(align);
}

AlignScope::~AlignScope()
{
    if (m_set)
        TextDisplay::Instance()->SetHorizontalAlign(m_remembered);
}

Vector3 PopOutOffset(const Vector3& anchor, const Vector3& eye, float depth)
{
    const float inFront = anchor.z - eye.z;
    if (inFront <= 0.0f)
        return Vector3(0.0f, 0.0f, -depth);
    return (eye - anchor) * (depth / inFront);
}

void Print3D(const std::string& text, float x, float y, const Vector3& position, const Quaternion& rotation)
{
    TextDisplay3D* display = TextDisplay3D::Instance();
    display->SetPosition(position);
    display->SetRotation(rotation);
    display->Print(text, x, y);
}

}  // namespace menutext
