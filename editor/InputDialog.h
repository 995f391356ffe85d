#pragma once

#include "editor/ParameterInput.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class Object;

// A byte colour, as the colour chooser takes and gives it.
struct Rgb8 {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb8&) const = default;
};

// Asks the user for a colour starting at the initial one; calls accept only on OK.
using ColorChooser = std::function<void(Rgb8 initial, std::function<void(Rgb8)> accept)>;
// Asks the user for a file starting at the path, with the filter ("desc|pattern|...||");
// calls accept with the chosen path only on OK.
using FileChooser =
    std::function<void(const std::string& path, const std::string& filter, std::function<void(const std::string&)> accept)>;

// The property window's model: widgets stacked in 280-pixel columns, the window size
// they need, and the commands of its buttons. The view draws it; nothing here draws.
class CInputDialog final : public ParameterInputHost {
public:
    static constexpr int kAutoUpdateId = 1052;
    static constexpr int kOkId = 1002;
    static constexpr int kApplyId = 1003;
    static constexpr int kFirstControlId = 20000;
    static constexpr int kColumnWidth = 280;

    struct CommandRecord {
        int id = 0;
        int kind = 0;  // 1 colour pick, 2 vector button, 3 file browse, 4 object window, 5 orientation
        ParameterInput* widget = nullptr;
    };
    struct Rect {
        int left = 0, top = 0, right = 0, bottom = 0;
    };

    CInputDialog();
    ~CInputDialog();
    CInputDialog(const CInputDialog&) = delete;
    CInputDialog& operator=(const CInputDialog&) = delete;

    // Runs after every apply, once each widget has written its entry.
    void SetUpdateCallback(std::function<void()> callback) { m_callback = std::move(callback); }
    // The action of a "Settings" button: open the object's own window.
    void SetObjectWindowOpener(std::function<void(Object*, const std::string&)> opener) { m_opener = std::move(opener); }
    void SetColorChooser(ColorChooser chooser) { m_colorChooser = std::move(chooser); }
    void SetFileChooser(FileChooser chooser) { m_fileChooser = std::move(chooser); }
    // The folder the program started in, ending with a separator.
    void SetStartDirectory(std::string directory) { m_startDirectory = std::move(directory); }

    // Each returns the widget, which the dialog owns until it is destroyed. The value is
    // borrowed and must outlive the dialog; it changes only on an apply.
    ParameterInput* AddFloat(const char* label, float* value, const char* format = "%f");
    ParameterInput* AddInt(const char* label, int32_t* value, const char* format = "%d");
    ParameterInput* AddBool(const char* label, bool* value);
    ParameterInput* AddString(const char* label, std::string* value);
    ParameterInput* AddFilename(const char* label, std::string* value, const std::string& filter);
    ParameterInput* AddColor(const char* label, Color* value);
    ParameterInput* AddVector(const char* label, Vector3* value);
    ParameterInput* AddQuaternion(const char* label, Quaternion* value);
    ParameterInput* AddComboBox(const char* label, int32_t* value, std::vector<std::string> items);
    // The button opens the object's window through the opener; the object is borrowed.
    ParameterInput* AddButton(const char* label, const char* caption, Object* object, const char* name);
    ParameterInput* AddTitle(const char* text);

    // Messages of the window.
    void OnCommand(int id);
    // 1092 (an orientation drag) applies and counts as handled.
    bool OnNotify(int id) override;
    // Every widget shows its field again, dropping typed but unapplied texts.
    void OnSetFocus();
    // Hides without applying.
    void OnOkButton() { m_visible = false; }
    void ApplyAll();

    // Apply the widget, then ask its chooser (logged and nothing more without one). The
    // answer writes into the widget, so the chooser must answer, or drop the request, while
    // the widget lives.
    void PickColor(ParameterInputColor& widget);
    void BrowseFile(ParameterInputFilename& widget);

    // The next control identifier; each call takes one.
    int TakeControlId() override { return m_nextId++; }

    const std::vector<std::unique_ptr<ParameterInput>>& Widgets() const { return m_widgets; }
    const std::vector<CommandRecord>& Commands() const { return m_commands; }
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    Rect GetContentRect() const { return m_content; }
    // Where the bottom controls (1052, 1002, 1003) sit, with their sizes in pixels.
    Rect GetBottomControl(int id) const;
    int GetCursorX() const { return m_cursorX; }
    int GetCursorY() const { return m_cursorY; }
    // Bumped by every relayout, so the view can size the window once after it.
    int GetLayoutSerial() const { return m_layoutSerial; }

    bool IsVisible() const { return m_visible; }
    void Show() { m_visible = true; }
    const std::string& GetLabel() const { return m_label; }
    void SetLabel(std::string label) { m_label = std::move(label); }
    // Unique per dialog, so windows with equal labels stay apart.
    int GetSerial() const { return m_serial; }

private:
    ParameterInput* Place(std::unique_ptr<ParameterInput> widget, const char* label, int commandOffset, int kind);
    void NewColumn();
    void Relayout();

    std::vector<std::unique_ptr<ParameterInput>> m_widgets;
    int m_cursorX = 20;
    int m_cursorY = 5;
    int m_contentWidth = kColumnWidth;
    int m_deepestY = 0;
    int m_nextId = kFirstControlId;
    std::function<void()> m_callback;
    std::vector<CommandRecord> m_commands;

    std::function<void(Object*, const std::string&)> m_opener;
    ColorChooser m_colorChooser;
    FileChooser m_fileChooser;
    std::string m_startDirectory;

    int m_width = 0, m_height = 0;
    Rect m_content;
    int m_buttonsY = 0;
    int m_layoutSerial = 0;
    bool m_visible = true;
    std::string m_label;
    int m_serial;
};
