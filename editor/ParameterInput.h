#pragma once

#include "editor/OrientationControl.h"
#include "framework/Color.h"
#include "framework/Quaternion.h"
#include "framework/Vector.h"

#include <memory>
#include <string>
#include <vector>

class Object;

// One control of a property widget, as the view draws it: its place in the dialog's
// client pixels and what it holds.
struct DialogControl {
    enum Kind { kLabel, kEdit, kCheck, kCombo, kGroup, kButton, kSlider, kOrientation, kFrame, kTitle };
    Kind kind = kLabel;
    int id = 0;
    int left = 0, top = 0, right = 0, bottom = 0;
    std::string text;
    bool enabled = true;
    bool checked = false;
    int selection = -1;  // combo: the chosen item, -1 for none
    int position = 0;    // slider
    int rangeMax = 0;    // slider
    std::vector<std::string> items;
};

// Number texts. Floats: "%f" with trailing zeros and then a final "." dropped.
std::string TrimTrailingZeros(std::string text);
std::string FormatFloat(float value);
// Commas count as decimal points; false unless the text reads as a finite number.
bool ParseFloat(const std::string& text, float& value);
// False unless the text reads as a whole number within 32 bits.
bool ParseInt(const std::string& text, int32_t& value);

// What a widget asks of the dialog it sits in.
class ParameterInputHost {
public:
    // The next control identifier; each call takes one.
    virtual int TakeControlId() = 0;
    // A control's notification, as the window sends it; true when handled.
    virtual bool OnNotify(int id) = 0;

protected:
    ~ParameterInputHost() = default;
};

// A property widget: a few controls bound to one field of a builder entry. The field
// outlives the widget; the widget never touches the edited object.
class ParameterInput {
public:
    virtual ~ParameterInput();

    // Makes the controls at the dialog's cursor, each taking the dialog's next identifier
    // in order, then shows the field.
    void Create(ParameterInputHost& dialog, int x, int y, const std::string& label);
    // Control to field.
    virtual void UpdateField() {}
    // Field to control.
    virtual void UpdateControl() {}
    void DestroyControls() { m_controls.clear(); }
    // What the add operation moves the cursor down by.
    virtual int Height() const = 0;

    std::vector<DialogControl>& Controls() { return m_controls; }
    const std::vector<DialogControl>& Controls() const { return m_controls; }
    // The control with the identifier, or null.
    DialogControl* FindControl(int id);

protected:
    virtual void MakeControls(int x, int y, const std::string& label) = 0;
    DialogControl& Add(DialogControl::Kind kind, int left, int top, int right, int bottom,
                       const std::string& text = {});
    DialogControl& At(size_t i) { return m_controls[i]; }
    // A label and the edit (control 1) of a one-number row.
    void AddNumberRow(int x, int y, const std::string& label);
    // A group of the height holding three edits (controls 1 to 3) and the ">" button, which
    // it returns.
    DialogControl& AddTripleGroup(int x, int y, int height, const std::string& label);

    ParameterInputHost* m_dialog = nullptr;
    std::vector<DialogControl> m_controls;
};

class ParameterInputFloat : public ParameterInput {
public:
    explicit ParameterInputFloat(float* field) : m_field(field) {}
    void UpdateField() override;
    void UpdateControl() override;
    int Height() const override { return 20; }

private:
    void MakeControls(int x, int y, const std::string& label) override;
    float* m_field;
};

class ParameterInputInt : public ParameterInput {
public:
    explicit ParameterInputInt(int32_t* field) : m_field(field) {}
    void UpdateField() override;
    void UpdateControl() override;
    int Height() const override { return 20; }

private:
    void MakeControls(int x, int y, const std::string& label) override;
    int32_t* m_field;
};

class ParameterInputBool : public ParameterInput {
public:
    explicit ParameterInputBool(bool* field) : m_field(field) {}
    void UpdateField() override;
    void UpdateControl() override;
    int Height() const override { return 20; }

private:
    void MakeControls(int x, int y, const std::string& label) override;
    bool* m_field;
};

class ParameterInputString : public ParameterInput {
public:
    explicit ParameterInputString(std::string* field) : m_field(field) {}
    void UpdateField() override;
    void UpdateControl() override;
    int Height() const override { return 24; }

private:
    void MakeControls(int x, int y, const std::string& label) override;
    std::string* m_field;
};

class ParameterInputComboBox : public ParameterInput {
public:
    ParameterInputComboBox(int32_t* field, std::vector<std::string> items)
        : m_field(field), m_items(std::move(items)) {}
    // Nothing selected leaves the field as it was.
    void UpdateField() override;
    void UpdateControl() override;
    int Height() const override { return 30; }

private:
    void MakeControls(int x, int y, const std::string& label) override;
    int32_t* m_field;
    std::vector<std::string> m_items;
};

class ParameterInputColor : public ParameterInput {
public:
    explicit ParameterInputColor(Color* field) : m_field(field), m_alphaRow(field->IsSet()) {}
    void UpdateField() override;
    void UpdateControl() override;
    int Height() const override { return m_alphaRow ? 80 : 60; }
    Color* GetField() const { return m_field; }
    // The pick button's identifier offset among the widget's controls.
    static constexpr int kPickControl = 4;

private:
    void MakeControls(int x, int y, const std::string& label) override;
    Color* m_field;
    bool m_alphaRow;
};

class ParameterInputVector : public ParameterInput {
public:
    explicit ParameterInputVector(Vector3* field) : m_field(field) {}
    void UpdateField() override;
    void UpdateControl() override;
    int Height() const override { return 60; }

private:
    void MakeControls(int x, int y, const std::string& label) override;
    Vector3* m_field;
};

class ParameterInputQuaternion : public ParameterInput {
public:
    explicit ParameterInputQuaternion(Quaternion* field) : m_field(field) {}
    void UpdateField() override;
    void UpdateControl() override;
    int Height() const override { return 110; }
    OrientationControl& Gizmo() { return m_gizmo; }
    // After a drag of the gizmo: its rotation goes into the angle edits, so that the
    // window's apply reads the turned rotation.
    void TakeGizmo();

private:
    void MakeControls(int x, int y, const std::string& label) override;
    void ShowAngles(const Quaternion& q);
    Quaternion* m_field;
    OrientationControl m_gizmo;
};

class ParameterInputFilename : public ParameterInput {
public:
    ParameterInputFilename(std::string* field, std::string filter) : m_field(field), m_filter(std::move(filter)) {}
    void UpdateField() override;
    void UpdateControl() override;
    int Height() const override { return 54; }
    const std::string& GetFilter() const { return m_filter; }
    std::string* GetField() const { return m_field; }

private:
    void MakeControls(int x, int y, const std::string& label) override;
    std::string* m_field;
    std::string m_filter;
};

class ParameterInputButton : public ParameterInput {
public:
    ParameterInputButton(std::string caption, Object* object, std::string name)
        : m_caption(std::move(caption)), m_object(object), m_name(std::move(name)) {}
    int Height() const override { return 24; }
    // Borrowed; may be null.
    Object* GetObject() const { return m_object; }
    const std::string& GetName() const { return m_name; }

private:
    void MakeControls(int x, int y, const std::string& label) override;
    std::string m_caption;
    Object* m_object;
    std::string m_name;
};

class ParameterInputSpacer : public ParameterInput {
public:
    int Height() const override { return 26; }

private:
    void MakeControls(int x, int y, const std::string& label) override;
};

// Where the file browser starts for the widget's text: the start directory followed by
// the text (or "select file") when the text names no folder, else the text itself.
std::string BrowseStartPath(const std::string& text, const std::string& startDirectory);
// What the widget stores for a chosen path: relative to the start directory when under
// it (compared without regard to case), else the full path; "\" separators.
std::string BrowseResultPath(const std::string& chosen, const std::string& startDirectory);
