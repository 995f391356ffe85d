#pragma once

#include "editor/InputDialog.h"

#include <functional>
#include <string>
#include <vector>

namespace editor {

// The colour picker and the file browser, as modal ImGui windows in the game's window.
// A request opens on the next Draw; the answer comes through the request's callback.
class Modals {
public:
    // Choosers to give a property window; they queue a request here. Valid while this lives.
    ColorChooser MakeColorChooser();
    FileChooser MakeFileChooser();

    // A modal is waiting for the user: the game tick is skipped meanwhile.
    bool IsOpen() const { return m_color.open || m_file.open; }
    void Draw();

private:
    struct ColorRequest {
        bool open = false, shown = false;
        float rgb[3] = {};
        std::function<void(Rgb8)> accept;
    };
    struct FileRequest {
        bool open = false, shown = false;
        std::string folder;  // with "/" separators, no final one
        std::string name;
        std::string filter;
        int filterIndex = 0;
        std::function<void(const std::string&)> accept;
    };
    void DrawColor();
    void DrawFile();

    ColorRequest m_color;
    FileRequest m_file;
};

// Splits an initial browse path ("\" or "/" separators) into its folder and file name.
void SplitBrowsePath(const std::string& path, std::string& folder, std::string& name);

}  // namespace editor
