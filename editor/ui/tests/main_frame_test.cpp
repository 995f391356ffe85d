// The editor frame headless, with a game state that records the events it is sent.
#include "editor/DebugWindows.h"
#include "editor/ui/MainFrame.h"
#include "framework/Debug.h"
#include "framework/GameState.h"
#include "framework/MainProgram.h"
#include "platform/Platform.h"
#include "tests/support/LogCapture.h"
#include "tests/support/OffscreenEngine.h"

#include <gtest/gtest.h>
#include <imgui.h>
#include <imgui_internal.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct Recorder : GameState {
    int HandleEvent(const char* event, intptr_t, intptr_t) override { return events.push_back(event), 1; }
    std::vector<std::string> events;
};

struct Host : FrameHost {
    bool CreateRenderWindow(platform::Window&) override { return true; }
    void CloseMainWindow() override { ++closes; }
    int closes = 0;
};

class MainFrame : public ::testing::Test {
protected:
    void SetUp() override
    {
        MainProgram::Instance()->PushState(recorder);
        MainProgram::Instance()->Update(0.0f);
        ASSERT_TRUE(frame.CreateHeadless(640, 480));
    }
    void TearDown() override { MainProgram::Instance()->Exit(); }

    std::vector<std::string> PopupTexts() const
    {
        std::vector<std::string> texts;
        for (const MenuPopup& popup : frame.GetMenuBar().Popups())
            texts.push_back(popup.text);
        return texts;
    }
    const MenuPopup& Popup(const std::string& text) const
    {
        for (const MenuPopup& popup : frame.GetMenuBar().Popups())
            if (popup.text == text)
                return popup;
        static const MenuPopup none;
        return none;
    }

    Recorder* recorder = new Recorder();  // the program deletes it
    Host host;
    DebugWindows debugWindows;
    CMainFrame frame{host, FrameSetup{debugWindows, "1.0g", "log", "log.txt", [](const std::string&) { return true; }}};
};

TEST_F(MainFrame, TheAddedPopupsStandBeforeTheLastTwoAndTheirItemsCountDownFrom65436)
{
    EXPECT_EQ(PopupTexts(), (std::vector<std::string>{"&File", "Edit", "Lightmapping", "StreamingEditor",
                                                      "Path Recording", "Memory", "Debug", "&Help"}));
    std::vector<int> ids;
    std::string texts;
    for (const char* popup : {"Lightmapping", "StreamingEditor", "Path Recording", "Memory"})
        for (const MenuBarItem& item : Popup(popup).items)
            ids.push_back(item.id), texts += item.text + "|";
    std::vector<int> expected;
    for (int id = 65436; id >= 65423; --id)
        expected.push_back(id);
    EXPECT_EQ(ids, expected);
    EXPECT_NE(texts.find("|Create Segments||Create PS2 Segments|"), std::string::npos) << texts;
    EXPECT_EQ(frame.GetMenuBar().GetItemText(65430), "");
}

TEST_F(MainFrame, AnItemUnderAnUnknownParentIsLoggedAndSkippedAndALaterOneGoesLastWithTheNextId)
{
    LogCapture log;
    const std::vector<std::string> before = PopupTexts();
    const size_t items = Popup("Lightmapping").items.size();
    frame.AddMenu("lightmapping", "Bake");
    EXPECT_EQ(log.Text(), "***ERROR: AddMenu: parent not found <lightmapping>\n");
    EXPECT_EQ(PopupTexts(), before);
    EXPECT_EQ(Popup("Lightmapping").items.size(), items);

    frame.AddMenu("Lightmapping", "Bake");
    ASSERT_EQ(Popup("Lightmapping").items.size(), items + 1);
    EXPECT_EQ(Popup("Lightmapping").items.back().id, 65422);
    EXPECT_EQ(Popup("Lightmapping").items.back().text, "Bake");

    // A name longer than the original's 99-character read still finds itself.
    const std::string longName(150, 'x');
    frame.AddPopupMenu(longName);
    frame.AddMenu(longName, "Deep");
    EXPECT_EQ(Popup(longName).items.size(), 1u);
    EXPECT_EQ(PopupTexts().size(), before.size() + 1);
}

TEST_F(MainFrame, EachCommandSendsItsItemsTextFirstAndThenWhatItsHandlerDoes)
{
    Debug::Instance()->watchesWindowShown = false;
    Debug::Instance()->messageWindowShown = false;
    const int commands[] = {CMainFrame::kReset,       CMainFrame::kObjectsBrowser, CMainFrame::kReloadText,
                            CMainFrame::kAbout,       65424,                       4242,
                            CMainFrame::kWatches,     CMainFrame::kMessages,       CMainFrame::kControlPanel};
    for (int id : commands)
        frame.OnCommand(id);
    EXPECT_EQ(recorder->events,
              (std::vector<std::string>{"Reset", "reset", "Objects Browser", "show objectsettings", "Reload Text",
                                        "reload text", "&About Turfbolt...", "Print Current Usage", "", "Watches",
                                        "Messages", "Control Panel"}));
    EXPECT_TRUE(Debug::Instance()->watchesWindowShown && Debug::Instance()->messageWindowShown);
    EXPECT_TRUE(debugWindows.Watches().IsVisible() && debugWindows.Messages().IsVisible());
    EXPECT_TRUE(frame.GetControlPanel()->IsShown());
    // The about box waits for an answer: the game's tick waits with it.
    EXPECT_TRUE(frame.IsModalOpen());
    frame.Frame(), frame.Frame();
    for (const char* window : {"Watches", "Messages", CControlPanel::kTitle, "About Turfbolt###tb_about"}) {
        const ImGuiWindow* shown = ImGui::FindWindowByName(window);
        EXPECT_TRUE(shown && shown->Active) << window;
    }
    EXPECT_EQ(host.closes, 0);
    frame.OnCommand(CMainFrame::kExit);
    EXPECT_EQ(recorder->events.back(), "E&xit");
    EXPECT_EQ(host.closes, 1);
}

TEST_F(MainFrame, TextsShowWithoutTheirKeyMarks)
{
    const std::pair<const char*, const char*> cases[] = {
        {"E&xit", "Exit"}, {"&About Turfbolt...", "About Turfbolt..."}, {"Salt && Pepper", "Salt & Pepper"},
        {"Plain", "Plain"}, {"", ""}, {"End&", "End"}};
    for (const auto& [text, shown] : cases)
        EXPECT_EQ(MenuDisplayText(text), shown) << text;
}

SDL_Event Mouse(Uint32 type, int x, int y)
{
    SDL_Event e{};
    e.type = type;
    if (type == SDL_MOUSEMOTION)
        e.motion.x = x, e.motion.y = y;
    else
        e.button.x = x, e.button.y = y, e.button.button = SDL_BUTTON_LEFT;
    return e;
}

TEST_F(MainFrame, TheGameGetsTheViewsSizeAndMouseEventsOverTheViewRelativeToIt)
{
    const int bar = frame.GetBarHeight();
    frame.Frame();  // no window wants the mouse
    EXPECT_EQ(bar, static_cast<int>(std::ceil(ImGui::GetFrameHeight()))) << "the bar the game view sits under";
    SDL_Event resize{};
    resize.type = SDL_WINDOWEVENT;
    resize.window.event = SDL_WINDOWEVENT_SIZE_CHANGED;
    resize.window.data1 = 700, resize.window.data2 = 500;
    EXPECT_FALSE(frame.Filter(resize));
    EXPECT_EQ(std::vector<int>({resize.window.data1, resize.window.data2}), std::vector<int>({700, 500 - bar}));

    // The view's top-left pixel is the first in it.
    SDL_Event inView = Mouse(SDL_MOUSEBUTTONDOWN, 0, bar), inBar = Mouse(SDL_MOUSEMOTION, 30, bar - 1),
              below = Mouse(SDL_MOUSEMOTION, 30, 480 + bar);
    EXPECT_EQ(std::vector<bool>({frame.Filter(inView), frame.Filter(inBar), frame.Filter(below)}),
              std::vector<bool>({false, true, true}));
    EXPECT_EQ(std::vector<int>({inView.button.x, inView.button.y}), std::vector<int>({0, 0}));
    const platform::Rect view = frame.GetView(640, 480 + bar);
    EXPECT_EQ(std::vector<int>({view.x, view.y, view.width, view.height}), std::vector<int>({0, bar, 640, 480}));
}

TEST_F(MainFrame, KeysReachTheGameUntilATextFieldOfTheEditorTakesTheKeyboard)
{
    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.keysym.scancode = SDL_SCANCODE_W;
    frame.OnCommand(CMainFrame::kControlPanel);
    frame.Frame(), frame.Frame();
    const bool before = frame.Filter(key);
    // The speed box: right of the two buttons and the label.
    const ImGuiWindow* panel = ImGui::FindWindowByName(CControlPanel::kTitle);
    ASSERT_NE(panel, nullptr);
    const ImVec2 speed(panel->Pos.x + panel->Size.x - 30, panel->DC.CursorStartPos.y + 5);
    for (const bool down : {false, true, false}) {
        ImGui::GetIO().MousePos = speed;
        ImGui::GetIO().MouseDown[0] = down;
        frame.Frame();
    }
    EXPECT_EQ(std::vector<bool>({before, frame.Filter(key)}), std::vector<bool>({false, true}));
}

TEST(MainFrameOverAWindow, PresentsTheGameUnderItsBarUntilItGoesAndWithoutARenderWindowNotAtAll)
{
    platform::Window* window = OffscreenWindow(320, 240);
    ASSERT_TRUE(window);
    DebugWindows debugWindows;
    struct Refusing : Host {
        bool CreateRenderWindow(platform::Window&) override { return false; }
    } refusing;
    Host host;
    std::vector<bool> hooked;
    {
        CMainFrame failed(refusing, FrameSetup{debugWindows, "", "", "", nullptr});
        hooked.push_back(failed.Create(*window));
        hooked.push_back(platform::GetPresentHook() != nullptr);
        CMainFrame frame(host, FrameSetup{debugWindows, "", "", "", nullptr});
        hooked.push_back(frame.Create(*window));
        hooked.push_back(platform::GetPresentHook() == &frame);
        const platform::Rect view = frame.GetView(320, 240);
        EXPECT_EQ(std::vector<int>({view.y, view.height}), std::vector<int>({frame.GetBarHeight(), 240 - frame.GetBarHeight()}));
    }
    hooked.push_back(platform::GetPresentHook() != nullptr);
    EXPECT_EQ(hooked, (std::vector<bool>{false, false, true, true, false}));
    CloseOffscreenWindow();
}

// A window's title dragged with the mouse events alone: SDL's own idea of the pointer stays
// where the button went down, as an X server's does while the button holds the pointer.
TEST(MainFrameOverAWindow, AWindowFollowsAMouseDragByItsEvents)
{
    platform::Window* window = OffscreenWindow(640, 480);
    ASSERT_TRUE(window);
    DebugWindows debugWindows;
    Host host;
    // A fresh positions file: a place kept from an earlier run could stand the panel at the edge.
    const std::string positions = (std::filesystem::path(::testing::TempDir()) / "drag_positions.txt").string();
    std::filesystem::remove(positions);
    CMainFrame frame(host, FrameSetup{debugWindows, "", "", "", nullptr, positions});
    ASSERT_TRUE(frame.Create(*window));
    frame.OnCommand(CMainFrame::kControlPanel);
    frame.Frame(), frame.Frame();
    const ImGuiWindow* panel = ImGui::FindWindowByName(CControlPanel::kTitle);
    ASSERT_NE(panel, nullptr);
    const ImVec2 start = panel->Pos;
    platform::EventHandler game;
    const auto send = [&](Uint32 type, float x, float y) {
        SDL_Event e{};
        e.type = type;
        e.common.timestamp = SDL_GetTicks();
        if (type == SDL_MOUSEMOTION)
            e.motion.x = static_cast<int>(x), e.motion.y = static_cast<int>(y), e.motion.state = SDL_BUTTON_LMASK;
        else
            e.button.x = static_cast<int>(x), e.button.y = static_cast<int>(y), e.button.button = SDL_BUTTON_LEFT;
        ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
        platform::PumpEvents(game, &frame);
        frame.Frame();
    };
    const ImVec2 title(start.x + 20, start.y + panel->TitleBarHeight() / 2);
    send(SDL_MOUSEMOTION, title.x, title.y);
    send(SDL_MOUSEBUTTONDOWN, title.x, title.y);
    for (int step = 1; step <= 5; ++step)
        send(SDL_MOUSEMOTION, title.x + 12 * step, title.y + 8 * step);
    send(SDL_MOUSEBUTTONUP, title.x + 60, title.y + 40);
    EXPECT_EQ(std::vector<float>({panel->Pos.x - start.x, panel->Pos.y - start.y}), std::vector<float>({60, 40}));
    frame.Destroy();
    CloseOffscreenWindow();
    std::filesystem::remove(positions);
}

}  // namespace
