#include "editor/ui/MainFrame.h"

#include "editor/DebugWindows.h"
#include "editor/ui/HelpDialogView.h"
#include "editor/ui/ObjectsBrowserView.h"
#include "framework/Debug.h"
#include "framework/MainProgram.h"
#include "platform/Cursor.h"

#include <SDL.h>
#include <imgui.h>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

// The menus the frame starts with; the separators carry no id.
struct ResourceItem {
    const char* popup;
    const char* text;
    int id;
};
const ResourceItem kResourceMenu[] = {
    {"&File", "Reset", CMainFrame::kReset},
    {"&File", "E&xit", CMainFrame::kExit},
    {"Edit", "Objects Browser", CMainFrame::kObjectsBrowser},
    {"Edit", nullptr, 0},
    {"Edit", "Reload Text", CMainFrame::kReloadText},
    {"Debug", "Control Panel", CMainFrame::kControlPanel},
    {"Debug", "Watches", CMainFrame::kWatches},
    {"Debug", "Messages", CMainFrame::kMessages},
    {"&Help", "Help Me!", CMainFrame::kHelpMe},
    {"&Help", nullptr, 0},
    {"&Help", "&About Turfbolt...", CMainFrame::kAbout},
};

// The popups added on creation, each before the last two of the bar.
struct AddedPopup {
    const char* text;
    std::vector<const char*> items;
};
const AddedPopup kAddedPopups[] = {
    {"Lightmapping", {"Create Lightmaps", "Load Lightmaps", "Save Lightmaps"}},
    {"StreamingEditor",
     {"Create Sectors From BSP", "Save Segment Map", "Create Segments", "", "Create PS2 Segments",
      "Create XBox Segments", "Create GC Segments"}},
    {"Path Recording", {"Reset Recording", "Save Path"}},
    {"Memory", {"Print Current Usage", "Print Subtotaled Usage"}},
};

// Command ids are 16 bits wide: item number n sends 65536 - n.
constexpr int kCommandIdRange = 0x10000;

void SendEvent(const char* event)
{
    MainProgram::Instance()->HandleEvent(event, 0, 0);
}

}  // namespace

CMainFrame::CMainFrame(FrameHost& host, FrameSetup setup)
    : m_host(host),
      m_setup(std::move(setup)),
      m_position("Main Frame", m_setup.positions),
      m_messagesView(m_setup.debugWindows.Messages()),
      m_watchesView(m_setup.debugWindows.Watches()),
      m_about(m_setup.version, m_setup.linkText, m_setup.linkTarget, m_setup.opener)
{
    for (const ResourceItem& item : kResourceMenu) {
        MenuPopup* popup = m_menu.FindPopup(item.popup);
        if (!popup)
            popup = &m_menu.AddPopup(item.popup);
        popup->items.push_back(item.text ? MenuBarItem{item.text, item.id, false} : MenuBarItem{"", 0, true});
    }
}

CMainFrame::~CMainFrame()
{
    Destroy();
}

int CMainFrame::MenuBarHeight()
{
    // ImGui's built-in font is 13 pixels high; a bar is one line of it with frame padding.
    constexpr float kDefaultFontSize = 13.0f;
    return static_cast<int>(std::ceil(kDefaultFontSize + ImGuiStyle().FramePadding.y * 2));
}

bool CMainFrame::Create(platform::Window& window)
{
    // The hook first: the render window takes the view's size, the bar comes on top.
    m_window = &window;
    m_barHeight = MenuBarHeight();
    platform::SetPresentHook(this);
    const bool created = m_host.CreateRenderWindow(window);
    if (!created || !m_imgui.Start(window)) {
        if (created)
            LogError("CMainFrame::Create: no ImGui over the window; running without the editor\n");
        Destroy();
        return false;
    }
    OnCreate();
    return true;
}

bool CMainFrame::CreateHeadless(int width, int height)
{
    m_barHeight = MenuBarHeight();
    if (!m_imgui.StartHeadless(width, height + m_barHeight))
        return false;
    OnCreate();
    m_headlessWidth = width;
    m_headlessHeight = height + m_barHeight;
    return true;
}

void CMainFrame::OnCreate()
{
    m_controlPanel = std::make_unique<CControlPanel>(m_setup.positions);
    for (const AddedPopup& popup : kAddedPopups) {
        AddPopupMenu(popup.text);
        for (const char* item : popup.items)
            AddMenu(popup.text, item);
    }
    int x = 0, y = 0, width = 0, height = 0;
    m_position.Load(x, y, width, height);
}

void CMainFrame::Destroy()
{
    if (platform::GetPresentHook() == this)
        platform::SetPresentHook(nullptr);
    m_chosen.clear();
    m_propertyWindows.clear();
    m_controlPanel.reset();
    m_imgui.Stop();
    m_window = nullptr;
}

void CMainFrame::AddPopupMenu(const std::string& text)
{
    const size_t count = m_menu.Popups().size();
    m_menu.InsertPopup(count >= 2 ? count - 2 : 0, text);
}

void CMainFrame::AddMenu(const std::string& parent, const std::string& item)
{
    MenuPopup* popup = m_menu.FindPopup(parent);
    if (!popup) {
        LogError("AddMenu: parent not found <%s>\n", parent.c_str());
        return;
    }
    popup->items.push_back({item, kCommandIdRange - m_nextItemNumber, false});
    ++m_nextItemNumber;
}

void CMainFrame::OnCommand(int id)
{
    SendEvent(m_menu.GetItemText(id).c_str());
    switch (id) {
    case kReset: SendEvent("reset"); break;
    case kObjectsBrowser: SendEvent("show objectsettings"); break;
    case kReloadText: SendEvent("reload text"); break;
    case kControlPanel: m_controlPanel->Show(); break;
    case kWatches: m_setup.debugWindows.Watches().Show(); break;
    case kMessages: m_setup.debugWindows.Messages().Show(); break;
    case kHelpMe: m_help.Open(); break;
    case kAbout: m_about.Open(); break;
    case kExit: m_host.CloseMainWindow(); break;
    default: break;
    }
}

void CMainFrame::Frame()
{
    if (!m_imgui.IsStarted())
        return;
    m_imgui.NewFrame();
    const editor::ViewRect view = GetViewRect();
    DrawMenuBar();
    if (m_controlPanel)
        m_controlPanel->Draw(view);
    m_messagesView.Draw(view);
    m_watchesView.Draw(view);
    for (auto& window : m_propertyWindows)
        window.Draw();
    if (m_browser)
        m_browser->Draw(view, ImGui::GetIO().DeltaTime);
    m_modals.Draw();
    editor::DrawHelpDialog(m_help);
    m_about.Draw();
    m_imgui.EndFrame();
    ShowCursorOverView();
    RunCommands();
    if (m_browser)
        m_browser->AfterFrame();
}

void CMainFrame::DrawMenuBar()
{
    if (!ImGui::BeginMainMenuBar())
        return;
    for (const MenuPopup& popup : m_menu.Popups()) {
        if (!ImGui::BeginMenu((MenuDisplayText(popup.text) + "###" + popup.text).c_str()))
            continue;
        for (const MenuBarItem& item : popup.items) {
            if (item.separator)
                ImGui::Separator();
            else if (ImGui::MenuItem((MenuDisplayText(item.text) + "##" + std::to_string(item.id)).c_str()))
                m_chosen.push_back(item.id);
        }
        ImGui::EndMenu();
    }
    ImGui::EndMainMenuBar();
}

void CMainFrame::RunCommands()
{
    // A command may close the frame: take the list first.
    std::vector<int> chosen;
    chosen.swap(m_chosen);
    for (int id : chosen)
        OnCommand(id);
}

bool CMainFrame::IsModalOpen() const
{
    return m_modals.IsOpen() || m_help.IsOpen() || m_about.IsOpen();
}

editor::ViewRect CMainFrame::GetViewRect() const
{
    const platform::Rect view = GetView(0, 0);
    return {ImVec2(static_cast<float>(view.x), static_cast<float>(view.y)),
            ImVec2(static_cast<float>(view.width), static_cast<float>(view.height))};
}

editor::PropertyWindow& CMainFrame::OpenPropertyWindow(Object& object, const std::string& label)
{
    return m_propertyWindows.emplace_back(object, label, m_modals, [this](Object* child, const std::string& name) {
        if (child)
            OpenPropertyWindow(*child, name);
    });
}

bool CMainFrame::InView(int x, int y) const
{
    const platform::Rect view = GetView(0, 0);
    return x >= view.x && x < view.x + view.width && y >= view.y && y < view.y + view.height;
}

platform::Rect CMainFrame::GetView(int width, int height) const
{
    int windowWidth = m_headlessWidth, windowHeight = m_headlessHeight;
    if (m_window)
        m_window->GetSize(windowWidth, windowHeight);
    if (width <= 0 || height <= 0)
        width = windowWidth, height = windowHeight;
    // The bar is in window units; a high-density framebuffer has more pixels per unit.
    const int bar = windowHeight > 0 ? m_barHeight * height / windowHeight : m_barHeight;
    return {0, bar, width, std::max(0, height - bar)};
}

void CMainFrame::BeforeSwap()
{
    m_imgui.DrawFrame();
}

bool CMainFrame::Filter(platform::Event& event)
{
    if (!m_imgui.IsStarted())
        return false;
    m_imgui.ProcessEvent(event);
    const ImGuiIO& io = ImGui::GetIO();
    switch (event.type) {
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED || event.window.event == SDL_WINDOWEVENT_RESIZED)
            event.window.data2 = std::max(0, event.window.data2 - m_barHeight);
        return false;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
    case SDL_TEXTINPUT: return io.WantCaptureKeyboard;
    case SDL_MOUSEMOTION: {
        const bool inView = InView(event.motion.x, event.motion.y);
        event.motion.y -= m_barHeight;
        return io.WantCaptureMouse || !inView;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const bool inView = InView(event.button.x, event.button.y);
        event.button.y -= m_barHeight;
        return io.WantCaptureMouse || !inView;
    }
    case SDL_MOUSEWHEEL: {
        int x = 0, y = 0;
        platform::GetCursorPosition(x, y);
        return io.WantCaptureMouse || !InView(x, y);
    }
    default: return false;
    }
}

void CMainFrame::ShowCursorOverView()
{
    if (!m_window)
        return;
    // The game draws its own pointer over the view; ImGui's windows and the bar show the system's.
    int x = 0, y = 0;
    platform::GetCursorPosition(x, y);
    if (InView(x, y) && !ImGui::GetIO().WantCaptureMouse)
        platform::ShowCursor(false);
}
