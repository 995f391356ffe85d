#pragma once

#include "editor/FileFilter.h"
#include "editor/InputDialog.h"

#include <functional>
#include <string>
#include <vector>

namespace editor {

struct FolderListing {
    std::vector<std::string> folders;  // ".." first, then the sub-folders by name
    std::vector<std::string> files;    // by name
};

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
    // Double-clicking a folder enters it; clicking a file takes its name.
    void DrawFolder(const FolderListing& listing);

    ColorRequest m_color;
    FileRequest m_file;
};

// The folder's entries as the file browser lists them: the files are those that match one of
// the filter's patterns ("*.*" matches every name), or all of them when the filter is null.
// A folder that cannot be read lists only "..".
FolderListing ListFolder(const std::string& folder, const FilterEntry* filter);

// Splits an initial browse path ("\" or "/" separators) into its folder and file name.
void SplitBrowsePath(const std::string& path, std::string& folder, std::string& name);

}  // namespace editor
