#pragma once

#include "editor/ObjectSettingsDialog.h"
#include "editor/ui/InputDialogView.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

struct ImVec2;

namespace editor {

class Modals;
class WindowPlacer;
struct ViewRect;

// Draws the objects browser, its create dialog and its property windows as ImGui windows,
// and turns the mouse and keys into the tree's gestures: the drag is by hand (the drop
// goes to the last highlighted row wherever the button is let go), a double click opens a
// property window, F2 or a slow second click edits a label.
class ObjectsBrowserView {
public:
    ObjectsBrowserView(CObjectSettingsDialog& browser, Modals& modals);
    ~ObjectsBrowserView();
    ObjectsBrowserView(const ObjectsBrowserView&) = delete;
    ObjectsBrowserView& operator=(const ObjectsBrowserView&) = delete;

    // "data\icons\*.bmp" through SDL_LoadBMP, pure green transparent; with textures false
    // (no OpenGL context) only the names are read.
    void LoadIcons(const std::string& wildcard, bool textures);
    // Inside the ImGui frame; then, after the frame's UI pass, AfterFrame.
    void Draw(const ViewRect& view, float dt);
    // Queued commands run, rebuilds and closes are carried out.
    void AfterFrame();

    // Where the last frame drew the item's row, in screen coordinates; false when it was not drawn.
    bool GetRowCentre(TreeModel::Item item, float& x, float& y) const;
    int GetLoadedIconCount() const { return static_cast<int>(m_icons.size()); }

private:
    struct Icon;
    struct Row {
        TreeModel::Item item;
        float top, bottom, left;
    };
    void DrawBrowser(const ViewRect& view, float dt);
    void DrawMenu();
    void DrawTree(float dt);
    void DrawItem(TreeModel::Item item);
    void DrawIcon(int index, const ImVec2& at, float size, bool overlay) const;
    void DrawLabelEdit(TreeModel::Item item);
    void HandleMouse(float dt);
    void DrawDragTooltip();
    void DrawContextMenu();
    void DrawCreateDialog(const ViewRect& view);
    void DrawWindows(const ViewRect& view);
    TreeModel::Item RowAt(float y) const;

    CObjectSettingsDialog& m_browser;
    ObjectsBrowserTreeCtrl& m_tree;
    std::vector<std::unique_ptr<Icon>> m_icons;
    std::map<int, std::unique_ptr<InputDialogView>> m_views;
    std::vector<Row> m_rows;
    std::vector<int> m_commands;
    std::vector<int> m_createCommands;
    TreeModel::Item m_pressed = TreeModel::kNone;
    bool m_toggled = false;  // a row's arrow opened or closed it in this frame
    TreeModel::Item m_armed = TreeModel::kNone;
    double m_armedAt = 0;
    bool m_editFocus = false;
    std::string m_editText;
    bool m_openDoubleClick = false;
    float m_treeTop = 0, m_treeBottom = 0, m_rowHeight = 0;
    std::unique_ptr<WindowPlacer> m_browserPlacer, m_createPlacer;
};

}  // namespace editor
