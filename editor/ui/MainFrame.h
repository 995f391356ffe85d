#pragma once

#include "editor/HelpDialog.h"
#include "editor/MenuBar.h"
#include "editor/WindowPosition.h"
#include "editor/ui/AboutDialog.h"
#include "editor/ui/ControlPanel.h"
#include "editor/ui/DebugWindowsView.h"
#include "editor/ui/ImGuiHost.h"
#include "editor/ui/Modals.h"
#include "editor/ui/PropertyWindow.h"
#include "platform/Events.h"
#include "platform/Window.h"

#include <list>
#include <memory>
#include <string>
#include <vector>

class DebugWindows;
class Object;

namespace editor {
class ObjectsBrowserView;
}

// What the editor frame asks of the application around it.
class FrameHost {
public:
    virtual ~FrameHost() = default;
    // Creates the render window on the frame's window; the renderer and the sound start on
    // it. False when it cannot.
    virtual bool CreateRenderWindow(platform::Window& window) = 0;
    // Closes the main window, as its close box does; the application shuts down once.
    virtual void CloseMainWindow() = 0;
};

// What the frame shows beside the game, and where it keeps it.
struct FrameSetup {
    // The Messages and Watches models; they outlive the frame.
    DebugWindows& debugWindows;
    std::string version;
    // The about box's link.
    std::string linkText, linkTarget;
    LinkOpener opener;
    // The file of the window positions.
    std::string positions = kWindowPositionsFile;
};

// The editor around the game view when the game runs in a window: a menu bar over the view
// and the tool windows, all drawn with ImGui inside the game's one window. Every menu choice
// reaches the game first as its text through MainProgram::HandleEvent.
class CMainFrame : public platform::EventFilter, public platform::PresentHook {
public:
    // Command ids of the menus the frame starts with.
    enum Command : int {
        kReset = 176,
        kHelpMe = 184,
        kReloadText = 186,
        kWatches = 32772,
        kMessages = 32773,
        kObjectsBrowser = 32774,
        kControlPanel = 32776,
        kAbout = 57664,
        kExit = 57665,
    };
    // Items added at run time take the ids 65536 - 100, 65536 - 101, ...
    static constexpr int kFirstItemNumber = 100;

    CMainFrame(FrameHost& host, FrameSetup setup);
    ~CMainFrame() override;
    CMainFrame(const CMainFrame&) = delete;
    CMainFrame& operator=(const CMainFrame&) = delete;

    // The height of the menu bar over the game view, in window units.
    static int MenuBarHeight();

    // Over the main window: the render window, sized so that the view below the bar has the
    // renderer's size, then ImGui, the hidden control panel and the added popups. False
    // (logged) when the render window or ImGui do not start.
    bool Create(platform::Window& window);
    // The same without a window: no render window, ImGui lays out only. For tests.
    bool CreateHeadless(int width, int height);
    // The frame's menus, panel and windows go, then ImGui. Safe to call twice.
    void Destroy();

    // Inserted before the last two popups of the bar.
    void AddPopupMenu(const std::string& text);
    // Appends an item to the popup whose whole text is parent; logged and skipped when no
    // popup has that text.
    void AddMenu(const std::string& parent, const std::string& item);
    // The item's text, "&" and all, goes to the game as an event; then the item's handler.
    void OnCommand(int id);

    // The game view in ImGui's coordinates.
    editor::ViewRect GetViewRect() const;
    // Lays out the editor's windows for the next present; commands chosen run after it.
    void Frame();
    // A modal window waits for an answer; the game's tick waits too.
    bool IsModalOpen() const;

    // The objects browser the frame draws after its own windows and finishes after the UI
    // pass; null for none. It must outlive the frame or be set to null first.
    void SetObjectsBrowser(editor::ObjectsBrowserView* browser) { m_browser = browser; }
    // Null while no game state has given the frame a browser.
    editor::ObjectsBrowserView* GetObjectsBrowser() const { return m_browser; }

    // A property window on the object, under the label. The object must outlive the frame
    // or the window's Close.
    editor::PropertyWindow& OpenPropertyWindow(Object& object, const std::string& label);

    // The menu bar's height in pixels, above the game's view.
    int GetBarHeight() const { return m_barHeight; }
    // Null until a Create succeeds; the frame keeps it.
    CControlPanel* GetControlPanel() { return m_controlPanel.get(); }
    const MenuBar& GetMenuBar() const { return m_menu; }
    editor::Modals& GetModals() { return m_modals; }
    editor::ImGuiHost& GetImGui() { return m_imgui; }

    // Events reach ImGui first. The game gets keys while ImGui takes no keyboard, and mouse
    // events, relative to the view, while ImGui wants no mouse and the pointer is over the
    // view; sizes reach it as the view's.
    bool Filter(platform::Event& event) override;
    platform::Rect GetView(int width, int height) const override;
    void BeforeSwap() override;

private:
    void OnCreate();
    void DrawMenuBar();
    void RunCommands();
    bool InView(int x, int y) const;
    void ShowCursorOverView();

    FrameHost& m_host;
    FrameSetup m_setup;
    platform::Window* m_window = nullptr;
    editor::ImGuiHost m_imgui;
    editor::Modals m_modals;
    MenuBar m_menu;
    // Read when the frame opens; the frame keeps no place of its own.
    WindowPosition m_position;
    std::unique_ptr<CControlPanel> m_controlPanel;
    editor::MessageWindowView m_messagesView;
    editor::WatchesWindowView m_watchesView;
    CHelpDialog m_help;
    CAboutDlg m_about;
    // By pointer-stable list: a window's "Settings" button opens another while drawing.
    std::list<editor::PropertyWindow> m_propertyWindows;
    editor::ObjectsBrowserView* m_browser = nullptr;
    std::vector<int> m_chosen;
    int m_nextItemNumber = kFirstItemNumber;
    int m_barHeight = 0;
    int m_headlessWidth = 0, m_headlessHeight = 0;
};
