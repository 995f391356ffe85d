#include "editor/ParameterInput.h"

#include "framework/Matrix3.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace {

constexpr float kPi = 3.1415925f;
constexpr double kDegreesPerPi = 0.3183099014828645;
constexpr size_t kNumberChars = 48;

std::string_view Trimmed(const std::string& text)
{
    std::string_view view(text);
    while (!view.empty() && (view.front() == ' ' || view.front() == '\t'))
        view.remove_prefix(1);
    if (!view.empty() && view.front() == '+')
        view.remove_prefix(1);
    return view;
}

}  // namespace

std::string TrimTrailingZeros(std::string text)
{
    while (text.size() > 1 && text.back() == '0')
        text.pop_back();
    if (!text.empty() && text.back() == '.')
        text.pop_back();
    return text;
}

std::string FormatFloat(float value)
{
    // to_chars rather than "%f": the text must not follow the process locale.
    char buffer[64];
    // Adding zero turns -0 into 0, which is what a designer expects to read.
    auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value) + 0.0, std::chars_format::fixed, 6);
    if (result.ec != std::errc())
        return "0";
    return TrimTrailingZeros(std::string(buffer, result.ptr));
}

bool ParseFloat(const std::string& text, float& value)
{
    std::string number = text.substr(0, kNumberChars);
    std::replace(number.begin(), number.end(), ',', '.');
    std::string_view view = Trimmed(number);
    double parsed = 0.0;
    auto result = std::from_chars(view.data(), view.data() + view.size(), parsed);
    if (result.ec != std::errc() || !std::isfinite(parsed) || std::fabs(parsed) > 3.4028234663852886e38)
        return false;
    value = static_cast<float>(parsed);
    return true;
}

bool ParseInt(const std::string& text, int32_t& value)
{
    std::string_view view = Trimmed(text);
    int64_t parsed = 0;
    auto result = std::from_chars(view.data(), view.data() + view.size(), parsed);
    if (result.ec != std::errc() || parsed < INT32_MIN || parsed > INT32_MAX)
        return false;
    value = static_cast<int32_t>(parsed);
    return true;
}

ParameterInput::~ParameterInput() = default;

void ParameterInput::Create(ParameterInputHost& dialog, int x, int y, const std::string& label)
{
    m_dialog = &dialog;
    MakeControls(x, y, label);
    UpdateControl();
}

DialogControl* ParameterInput::FindControl(int id)
{
    for (DialogControl& control : m_controls)
        if (control.id == id)
            return &control;
    return nullptr;
}

DialogControl& ParameterInput::Add(DialogControl::Kind kind, int left, int top, int right, int bottom, const std::string& text)
{
    DialogControl& control = m_controls.emplace_back();
    control.kind = kind;
    control.id = m_dialog->TakeControlId();
    control.left = left;
    control.top = top;
    control.right = right;
    control.bottom = bottom;
    control.text = text;
    return control;
}

void ParameterInput::AddNumberRow(int x, int y, const std::string& label)
{
    Add(DialogControl::kLabel, x, y, x + 170, y + 16, label);
    Add(DialogControl::kEdit, x + 180, y, x + 240, y + 16);
}

DialogControl& ParameterInput::AddTripleGroup(int x, int y, int height, const std::string& label)
{
    Add(DialogControl::kGroup, x, y, x + 240, y + height, label);
    Add(DialogControl::kEdit, x + 10, y + 20, x + 70, y + 36);
    Add(DialogControl::kEdit, x + 75, y + 20, x + 135, y + 36);
    Add(DialogControl::kEdit, x + 140, y + 20, x + 200, y + 36);
    return Add(DialogControl::kButton, x + 214, y + 20, x + 230, y + 36, ">");
}

void ParameterInputFloat::MakeControls(int x, int y, const std::string& label)
{
    AddNumberRow(x, y, label);
}

void ParameterInputFloat::UpdateField()
{
    ParseFloat(At(1).text, *m_field);
}

void ParameterInputFloat::UpdateControl()
{
    At(1).text = FormatFloat(*m_field);
}

void ParameterInputInt::MakeControls(int x, int y, const std::string& label)
{
    AddNumberRow(x, y, label);
}

void ParameterInputInt::UpdateField()
{
    ParseInt(At(1).text, *m_field);
}

void ParameterInputInt::UpdateControl()
{
    At(1).text = std::to_string(*m_field);
}

void ParameterInputBool::MakeControls(int x, int y, const std::string& label)
{
    Add(DialogControl::kCheck, x, y, x + 240, y + 16, label);
}

void ParameterInputBool::UpdateField()
{
    *m_field = At(0).checked;
}

void ParameterInputBool::UpdateControl()
{
    At(0).checked = *m_field;
}

void ParameterInputString::MakeControls(int x, int y, const std::string& label)
{
    Add(DialogControl::kLabel, x, y, x + 110, y + 20, label);
    Add(DialogControl::kEdit, x + 120, y, x + 240, y + 20);
}

void ParameterInputString::UpdateField()
{
    *m_field = At(1).text;
}

void ParameterInputString::UpdateControl()
{
    At(1).text = *m_field;
}

void ParameterInputComboBox::MakeControls(int x, int y, const std::string& label)
{
    Add(DialogControl::kLabel, x, y + 5, x + 170, y + 21, label);
    Add(DialogControl::kCombo, x + 80, y, x + 240, y + 200).items = m_items;
}

void ParameterInputComboBox::UpdateField()
{
    const int selection = At(1).selection;
    if (selection >= 0 && selection < static_cast<int>(m_items.size()))
        *m_field = selection;
}

void ParameterInputComboBox::UpdateControl()
{
    const bool inRange = *m_field >= 0 && *m_field < static_cast<int>(m_items.size());
    At(1).selection = inRange ? *m_field : -1;
}


void ParameterInputColor::MakeControls(int x, int y, const std::string& label)
{
    AddTripleGroup(x, y, m_alphaRow ? 70 : 50, label);
    if (m_alphaRow) {
        Add(DialogControl::kLabel, x + 10, y + 42, x + 70, y + 58, "Alpha");
        Add(DialogControl::kSlider, x + 80, y + 40, x + 230, y + 66).rangeMax = 1000000;
    }
}

void ParameterInputColor::UpdateField()
{
    float rgb[3] = {m_field->r, m_field->g, m_field->b};
    for (int i = 0; i < 3; ++i)
        ParseFloat(At(1 + i).text, rgb[i]);
    m_field->SetRGB(rgb[0], rgb[1], rgb[2]);
    if (m_alphaRow)
        m_field->SetAlpha(static_cast<float>(At(6).position * 0.000001));
}

void ParameterInputColor::UpdateControl()
{
    At(1).text = FormatFloat(m_field->r);
    At(2).text = FormatFloat(m_field->g);
    At(3).text = FormatFloat(m_field->b);
    if (m_alphaRow)
        At(6).position = static_cast<int>(std::clamp(m_field->a, 0.0f, 1.0f) * 1000000.0f);
}

void ParameterInputVector::MakeControls(int x, int y, const std::string& label)
{
    AddTripleGroup(x, y, 50, label).enabled = false;
}

void ParameterInputVector::UpdateField()
{
    ParseFloat(At(1).text, m_field->x);
    ParseFloat(At(2).text, m_field->y);
    ParseFloat(At(3).text, m_field->z);
}

void ParameterInputVector::UpdateControl()
{
    At(1).text = FormatFloat(m_field->x);
    At(2).text = FormatFloat(m_field->y);
    At(3).text = FormatFloat(m_field->z);
}

void ParameterInputQuaternion::MakeControls(int x, int y, const std::string& label)
{
    Add(DialogControl::kGroup, x, y, x + 240, y + 110, label);
    Add(DialogControl::kEdit, x + 120, y + 40, x + 200, y + 56);
    Add(DialogControl::kEdit, x + 120, y + 60, x + 200, y + 76);
    Add(DialogControl::kEdit, x + 120, y + 80, x + 200, y + 96);
    Add(DialogControl::kButton, x + 214, y + 20, x + 230, y + 36, ">");
    Add(DialogControl::kOrientation, x + 10, y + 20, x + 90, y + 100);
    m_gizmo.onTurn = [this] {
        TakeGizmo();
        if (m_dialog)
            m_dialog->OnNotify(OrientationControl::kNotifyId);
    };
}

void ParameterInputQuaternion::ShowAngles(const Quaternion& q)
{
    float angles[3];
    q.ToMatrix().ToEulerAngles(angles[0], angles[1], angles[2]);
    for (int i = 0; i < 3; ++i)
        At(1 + i).text = FormatFloat(static_cast<float>(angles[i] * 180.0f * kDegreesPerPi));
}

void ParameterInputQuaternion::UpdateField()
{
    float shown[3];
    m_field->ToMatrix().ToEulerAngles(shown[0], shown[1], shown[2]);
    float angles[3];
    for (int i = 0; i < 3; ++i) {
        float degrees = 0.0f;
        angles[i] = ParseFloat(At(1 + i).text, degrees) ? degrees * kPi * (1.0f / 180.0f) : shown[i];
    }
    Matrix3 m;
    m.FromEulerXYZ(angles[0], angles[1], angles[2]);
    m_field->FromMatrix(m);
}

void ParameterInputQuaternion::UpdateControl()
{
    ShowAngles(*m_field);
    m_gizmo.SetOrientation(*m_field);
}

void ParameterInputQuaternion::TakeGizmo()
{
    ShowAngles(m_gizmo.GetOrientation());
}

void ParameterInputFilename::MakeControls(int x, int y, const std::string& label)
{
    Add(DialogControl::kGroup, x, y, x + 240, y + 50, label);
    Add(DialogControl::kEdit, x + 10, y + 20, x + 200, y + 40);
    Add(DialogControl::kButton, x + 214, y + 20, x + 230, y + 40, ">");
}

void ParameterInputFilename::UpdateField()
{
    *m_field = At(1).text;
}

void ParameterInputFilename::UpdateControl()
{
    At(1).text = *m_field;
}

void ParameterInputButton::MakeControls(int x, int y, const std::string& label)
{
    Add(DialogControl::kLabel, x, y + 2, x + 170, y + 18, label);
    Add(DialogControl::kButton, x + 180, y, x + 240, y + 20, m_caption);
}

void ParameterInputSpacer::MakeControls(int x, int y, const std::string& label)
{
    Add(DialogControl::kFrame, x, y, x + 240, y + 20, label);
    Add(DialogControl::kTitle, x + 1, y + 1, x + 238, y + 18, label);
}

namespace {

std::string Backslashed(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// The start directory with "\" separators and one final "\".
std::string StartFolder(const std::string& startDirectory)
{
    std::string folder = Backslashed(startDirectory);
    if (folder.empty() || folder.back() != '\\')
        folder += '\\';
    return folder;
}

}  // namespace

std::string BrowseStartPath(const std::string& text, const std::string& startDirectory)
{
    if (text.find('\\') != std::string::npos || text.find('/') != std::string::npos)
        return Backslashed(text);
    return StartFolder(startDirectory) + (text.empty() ? "select file" : text);
}

std::string BrowseResultPath(const std::string& chosen, const std::string& startDirectory)
{
    const std::string path = Backslashed(chosen);
    const std::string folder = StartFolder(startDirectory);
    if (path.size() >= folder.size() &&
        std::equal(folder.begin(), folder.end(), path.begin(), [](char a, char b) {
            return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
        }))
        return path.substr(folder.size());
    return path;
}
