#include "editor/InputDialog.h"

#include "framework/Debug.h"
#include "framework/FileSystem.h"

#include <algorithm>
#include <cmath>

namespace {

int g_nextSerial = 1;

int ToByte(float channel)
{
    const float scaled = channel * 255.0f;
    if (!(scaled > 0.0f))
        return 0;
    return scaled >= 255.0f ? 255 : static_cast<int>(scaled);
}

}  // namespace

CInputDialog::CInputDialog() : m_serial(g_nextSerial++)
{
    Relayout();
}

CInputDialog::~CInputDialog()
{
    for (auto& widget : m_widgets)
        widget->DestroyControls();
}

ParameterInput* CInputDialog::Place(std::unique_ptr<ParameterInput> widget, const char* label, int commandOffset, int kind)
{
    ParameterInput* placed = widget.get();
    m_widgets.push_back(std::move(widget));
    if (kind)
        m_commands.push_back({m_nextId + commandOffset, kind, placed});
    placed->Create(*this, m_cursorX, m_cursorY, label ? label : "");
    m_cursorY += placed->Height();
    Relayout();
    return placed;
}

ParameterInput* CInputDialog::AddFloat(const char* label, float* value, const char*)
{
    return Place(std::make_unique<ParameterInputFloat>(value), label, 0, 0);
}

ParameterInput* CInputDialog::AddInt(const char* label, int32_t* value, const char*)
{
    return Place(std::make_unique<ParameterInputInt>(value), label, 0, 0);
}

ParameterInput* CInputDialog::AddBool(const char* label, bool* value)
{
    return Place(std::make_unique<ParameterInputBool>(value), label, 0, 0);
}

ParameterInput* CInputDialog::AddString(const char* label, std::string* value)
{
    return Place(std::make_unique<ParameterInputString>(value), label, 0, 0);
}

ParameterInput* CInputDialog::AddComboBox(const char* label, int32_t* value, std::vector<std::string> items)
{
    return Place(std::make_unique<ParameterInputComboBox>(value, std::move(items)), label, 0, 0);
}

ParameterInput* CInputDialog::AddColor(const char* label, Color* value)
{
    return Place(std::make_unique<ParameterInputColor>(value), label, ParameterInputColor::kPickControl, 1);
}

ParameterInput* CInputDialog::AddVector(const char* label, Vector3* value)
{
    return Place(std::make_unique<ParameterInputVector>(value), label, 4, 2);
}

ParameterInput* CInputDialog::AddQuaternion(const char* label, Quaternion* value)
{
    return Place(std::make_unique<ParameterInputQuaternion>(value), label, 5, 5);
}

ParameterInput* CInputDialog::AddFilename(const char* label, std::string* value, const std::string& filter)
{
    return Place(std::make_unique<ParameterInputFilename>(value, filter), label, 2, 3);
}

ParameterInput* CInputDialog::AddButton(const char* label, const char* caption, Object* object, const char* name)
{
    return Place(std::make_unique<ParameterInputButton>(caption ? caption : "", object, name ? name : ""), label, 1, 4);
}

ParameterInput* CInputDialog::AddTitle(const char* text)
{
    if (m_cursorY > 500)
        NewColumn();
    if (m_cursorY != 5)
        m_cursorY += 10;
    return Place(std::make_unique<ParameterInputSpacer>(), text, 0, 0);
}

void CInputDialog::NewColumn()
{
    m_deepestY = std::max(m_deepestY, m_cursorY);
    m_contentWidth += kColumnWidth;
    m_cursorX += kColumnWidth;
    m_cursorY = 5;
    Relayout();
}

void CInputDialog::Relayout()
{
    if (m_cursorY > 800)
        NewColumn();
    const int h = std::max(m_deepestY, m_cursorY) + 80;
    m_width = m_contentWidth + 32;
    m_height = (m_contentWidth >= 800 || h >= 600) ? 600 : h + 32;
    m_content = {0, 0, m_contentWidth, h};
    m_buttonsY = h - 60;
    ++m_layoutSerial;
}

CInputDialog::Rect CInputDialog::GetBottomControl(int id) const
{
    // Sizes are the template's 50 x 14 and 56 x 10 dialog units in pixels.
    switch (id) {
    case kAutoUpdateId: return {10, m_buttonsY, 10 + 84, m_buttonsY + 16};
    case kOkId: return {m_contentWidth - 100, m_buttonsY, m_contentWidth - 25, m_buttonsY + 23};
    case kApplyId: return {m_contentWidth - 180, m_buttonsY, m_contentWidth - 105, m_buttonsY + 23};
    default: return {};
    }
}

void CInputDialog::ApplyAll()
{
    for (auto& widget : m_widgets) {
        widget->UpdateField();
        widget->UpdateControl();
    }
    if (m_callback)
        m_callback();
}

void CInputDialog::OnSetFocus()
{
    for (auto& widget : m_widgets)
        widget->UpdateControl();
}

bool CInputDialog::OnNotify(int id)
{
    if (id != OrientationControl::kNotifyId)
        return false;
    ApplyAll();
    return true;
}

void CInputDialog::OnCommand(int id)
{
    if (id == kApplyId) {
        ApplyAll();
        return;
    }
    if (id == kOkId) {
        OnOkButton();
        return;
    }
    for (const CommandRecord& record : m_commands) {
        if (record.id != id)
            continue;
        switch (record.kind) {
        case 1: PickColor(static_cast<ParameterInputColor&>(*record.widget)); break;
        case 3: BrowseFile(static_cast<ParameterInputFilename&>(*record.widget)); break;
        case 4: {
            auto& button = static_cast<ParameterInputButton&>(*record.widget);
            if (m_opener)
                m_opener(button.GetObject(), button.GetName());
            break;
        }
        default: break;
        }
        return;
    }
}

void CInputDialog::PickColor(ParameterInputColor& widget)
{
    widget.UpdateField();
    if (!m_colorChooser) {
        LogWarning("CInputDialog::PickColor: no colour chooser; the colour stays\n");
        return;
    }
    const Color& c = *widget.GetField();
    ParameterInputColor* target = &widget;
    m_colorChooser({ToByte(c.r), ToByte(c.g), ToByte(c.b)}, [target](Rgb8 chosen) {
        target->GetField()->SetRGB255(std::clamp(chosen.r, 0, 255), std::clamp(chosen.g, 0, 255), std::clamp(chosen.b, 0, 255));
        target->UpdateControl();
    });
}

void CInputDialog::BrowseFile(ParameterInputFilename& widget)
{
    widget.UpdateField();
    if (!m_fileChooser) {
        LogWarning("CInputDialog::BrowseFile: no file chooser; the name stays\n");
        return;
    }
    std::string start = BrowseStartPath(*widget.GetField(), m_startDirectory);
    if (FileSystem::Exists())
        start = FileSystem::Instance()->ExpandAliases(start);
    ParameterInputFilename* target = &widget;
    const std::string folder = m_startDirectory;
    m_fileChooser(start, widget.GetFilter(), [target, folder](const std::string& chosen) {
        *target->GetField() = BrowseResultPath(chosen, folder);
        target->UpdateControl();
    });
}
