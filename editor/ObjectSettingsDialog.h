#pragma once

#include "editor/InputDialog.h"
#include "editor/InputDialogSerializer.h"
#include "editor/TreeCtrlX.h"
#include "editor/WindowPosition.h"
#include "framework/ObjectsBrowser.h"

#include <functional>
#include <list>
#include <memory>
#include <string>
#include <vector>

class Cast;
class Object;

// Something shown for an object while its property window is open (an editor proxy).
class PropertyWindowAttachment {
public:
    virtual ~PropertyWindowAttachment() = default;
    virtual void Update(float dt) = 0;
    virtual void Render() = 0;
};
// Null when nothing stands for the object.
using AttachmentMaker = std::function<std::unique_ptr<PropertyWindowAttachment>(Object&)>;

// "Create Game Element": the game-element classes in name order, "Create" sends the chosen one.
class CCreateGameElementDialog {
public:
    static constexpr int kCreateId = 1060;
    static constexpr int kOkId = 1;

    explicit CCreateGameElementDialog(const std::string& positions = kWindowPositionsFile);

    // Fills the list from the game-element registry and selects its first entry.
    void OnInitDialog();
    // "create game element" with the chosen class; nothing when none is chosen.
    void OnCreate();
    void OnCommand(int id);

    const std::vector<std::string>& GetNames() const { return m_names; }
    // -1 for none.
    int GetSelection() const { return m_selection; }
    void SetSelection(int index) { m_selection = index >= 0 && index < static_cast<int>(m_names.size()) ? index : -1; }
    bool IsVisible() const { return m_visible; }
    void Show() { m_visible = true; }
    void Hide() { m_visible = false; }
    WindowPosition& Position() { return m_position; }

private:
    std::vector<std::string> m_names;
    int m_selection = -1;
    bool m_visible = false;
    WindowPosition m_position;
};

// The objects browser: the casts' objects as a tree of folders made from their names, the
// property windows opened from it and the create dialog. It changes no game data but
// names: every other action is an event to the game state. The view draws it.
class CObjectSettingsDialog : public ObjectsBrowser {
public:
    enum Command : int {
        kLoad = 167,
        kImport = 170,
        kExport = 171,
        kNewFolder = 175,
        kCreateGameElement = 32779,
        kClose = 57602,
        kSave = 57603,
    };
    struct MenuEntry {
        const char* popup;
        const char* text;
        int id;  // 0 for a separator
    };
    static const std::vector<MenuEntry>& Menu();
    static constexpr int kOverlayIcon = 16;
    static constexpr int kShowSize = 500;

    // One open property window.
    struct PropertyWindowEntry {
        Object* object = nullptr;
        std::string label;
        std::unique_ptr<CInputDialog> dialog;
        std::unique_ptr<InputDialogSerializer> serializer;
        std::unique_ptr<PropertyWindowAttachment> attachment;
        // The serial of the window whose "Settings" button opened this one; 0 for none.
        int openedFrom = 0;
        // The window's place, kept current by the view once it is known; a pending place is
        // to be applied by the view once (a window that replaced another).
        bool placeKnown = false;
        bool placePending = false;
        int x = 0, y = 0;
        // Closed while the UI pass ran: drawn no more, removed after it.
        bool closed = false;
    };

    explicit CObjectSettingsDialog(const std::string& positions = kWindowPositionsFile);
    ~CObjectSettingsDialog() override;

    // Reads the icon names of the files matching the wildcard in name order; load (given
    // each file's path) takes the picture and answers false to stop.
    void LoadIcons(const std::string& wildcard, const std::function<bool(const std::string&)>& load);
    // The icon named after the object's class (letter case aside), else the default icon.
    int GetIconIndex(const Object& object) const;
    int GetDefaultIcon() const { return m_defaultIcon; }
    int GetFolderIcon() const { return m_folderIcon; }
    const std::vector<std::string>& GetIconNames() const { return m_iconNames; }
    // The owned overlay exists only from seventeen icons on.
    bool HasOverlay() const { return m_iconNames.size() > kOverlayIcon; }

    void ClearTree() override;
    void InsertObject(const Cast& cast, const std::string& castName) override;
    void SelectObject(const Object* object) override;
    void Show() override;
    void OnObjectFreeing(const Object* object) override;
    void OnCastClearing(const Cast& cast) override;

    // The folder of a "|"-separated path, made with its missing parents; kNone for an empty
    // path (the top level).
    TreeModel::Item FindOrCreateFolder(const std::string& path);
    // A last child of the folder, made as above. The object is borrowed and may be null; the
    // game reports its freeing through OnObjectFreeing.
    TreeModel::Item InsertItem(const std::string& folder, const std::string& label, int image, Object* object);

    // A window on the object; a window already open on it is replaced in its place. The
    // entry stays valid until its window is closed and removed at the end of a UI pass.
    PropertyWindowEntry& OpenPropertyWindow(Object& object, const std::string& label, int openedFrom = 0);
    // A double click: the selected item's window, when it shows an object.
    void OnDblClk();
    void OnImport() { SendSelected("import settings"); }
    void OnExport() { SendSelected("export settings"); }
    void OnNewFolder() { FindOrCreateFolder("New Folder"); }
    void OnCommand(int id);

    // The view's frame: rebuilds and closes asked for during it run at its end.
    void BeginUiPass() { m_inUiPass = true; }
    void EndUiPass();
    // The proxies of the open windows.
    void UpdateAttachments(float dt);
    void RenderAttachments();

    // For the windows opened from now on; windows already open keep theirs.
    void SetAttachmentMaker(AttachmentMaker maker) { m_attachmentMaker = std::move(maker); }
    void SetChoosers(ColorChooser color, FileChooser file);

    ObjectsBrowserTreeCtrl& Tree() { return m_tree; }
    CCreateGameElementDialog& CreateDialog() { return *m_createDialog; }
    const std::list<PropertyWindowEntry>& Windows() const { return m_windows; }
    std::list<PropertyWindowEntry>& Windows() { return m_windows; }
    WindowPosition& Position() { return m_position; }

    bool IsVisible() const { return m_visible; }
    void Hide() { m_visible = false; }
    bool IsCollapsed() const { return m_collapsed; }
    void SetCollapsed(bool collapsed) { m_collapsed = collapsed; }
    // The place Show asked for, once; false when none is asked.
    bool TakePlacement();

private:
    void OnPropertiesChanged(PropertyWindowEntry& entry);
    void SendSelected(const char* event);
    // Closes the window and those opened from it; removal waits for the UI pass's end.
    void Close(PropertyWindowEntry& entry);
    void MarkClosed(PropertyWindowEntry& entry);
    // Closes the object's windows and takes it out of the tree's items.
    void Forget(const Object* object);
    void RemoveClosedWhenIdle();
    void RemoveClosed();
    PropertyWindowEntry* FindBySerial(int serial);

    ObjectsBrowserTreeCtrl m_tree;
    WindowPosition m_position;
    std::vector<std::string> m_iconNames;
    int m_defaultIcon = 0;
    int m_folderIcon = 0;
    // By list: entries are handed out and a window's callback runs while the list is walked.
    std::list<PropertyWindowEntry> m_windows;
    std::unique_ptr<CCreateGameElementDialog> m_createDialog;
    AttachmentMaker m_attachmentMaker;
    ColorChooser m_colorChooser;
    FileChooser m_fileChooser;
    struct Rebuild {
        int serial;
    };
    std::vector<Rebuild> m_rebuilds;
    struct Open {
        Object* object;
        std::string label;
        int openedFrom;
    };
    std::vector<Open> m_opens;
    bool m_inUiPass = false;
    // Inside a window's apply callback: the window's own dialog is still running.
    int m_callbackDepth = 0;
    bool m_visible = false;
    bool m_collapsed = false;
    bool m_placement = false;
};
