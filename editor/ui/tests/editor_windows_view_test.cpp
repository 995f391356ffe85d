#include "editor/DebugWindows.h"
#include "editor/HelpDialog.h"
#include "editor/HyperLink.h"
#include "editor/WindowPosition.h"
#include "editor/ui/AboutDialog.h"
#include "editor/ui/DebugWindowsView.h"
#include "editor/ui/HelpDialogView.h"
#include "editor/ui/HyperLinkView.h"
#include "editor/ui/WindowPlacer.h"
#include "editor/ui/Widgets.h"
#include "framework/FileSystem.h"
#include "support/HeadlessFrames.h"

#include <gtest/gtest.h>
#include <imgui.h>
#include <imgui_internal.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

const editor::ViewRect kView{ImVec2(0, 20), ImVec2(800, 880)};

ImGuiWindow* Window(const char* name)
{
    ImGuiWindow* window = ImGui::FindWindowByName(name);
    EXPECT_NE(window, nullptr) << name;
    return window;
}

// The centre of the n-th button (from 0) of a window's bottom row of 75-pixel buttons.
ImVec2 BottomButton(const ImGuiWindow* window, int n)
{
    const ImGuiStyle& style = ImGui::GetStyle();
    const float y = window->Pos.y + window->Size.y - style.WindowPadding.y - ImGui::GetFrameHeight() * 0.5f;
    return ImVec2(window->Pos.x + style.WindowPadding.x + n * (75 + style.ItemSpacing.x) + 30, y);
}

ImVec2 CloseBox(const ImGuiWindow* window)
{
    return ImVec2(window->Pos.x + window->Size.x - ImGui::GetFrameHeight() * 0.5f - 1,
                  window->Pos.y + ImGui::GetFrameHeight() * 0.5f);
}

struct Opener {
    bool works = true;
    int calls = 0;
    LinkOpener Get()
    {
        return [this](const std::string&) {
            ++calls;
            return works;
        };
    }
};

TEST(DebugWindowsView, MessagesFillTheWindowScrollToTheLastAndClose)
{
    DebugWindows windows;
    editor::MessageWindowView view(windows.Messages());
    windows.Messages().Show();
    for (int i = 0; i < 1000; ++i)
        LogMessage("line %d\n", i);
    windows.OnIdle();
    Frames frames(800, 900);
    auto draw = [&] { view.Draw(kView); };
    frames.Run(draw);
    frames.Run(draw);
    ImGuiWindow* window = Window("Messages");
    ASSERT_NE(window, nullptr);
    ImGuiWindow* list = window->DC.ChildWindows.empty() ? nullptr : window->DC.ChildWindows[0];
    ASSERT_NE(list, nullptr);
    EXPECT_GT(list->ScrollMax.y, 0);
    EXPECT_EQ(list->Scroll.y, list->ScrollMax.y);
    // The list reaches down to the button row.
    EXPECT_NEAR(list->Pos.y + list->Size.y, BottomButton(window, 0).y - ImGui::GetFrameHeight() * 0.5f - ImGui::GetStyle().ItemSpacing.y, 1.0f);

    frames.Click(draw, BottomButton(window, 0));  // "Clear"
    EXPECT_TRUE(windows.Messages().GetRows().empty());
    frames.Click(draw, CloseBox(window));
    EXPECT_FALSE(windows.Messages().IsVisible());
    EXPECT_FALSE(Debug::Instance()->messageWindowShown);
}

TEST(DebugWindowsView, WatchesLockAndHudAnswerClicks)
{
    Debug::Instance()->RemoveAllWatches();
    Debug::Instance()->watchesLocked = false;
    DebugWindows windows;
    editor::WatchesWindowView view(windows.Watches());
    windows.Watches().Show();
    int value = 5;
    Debug::Instance()->AddWatch("five", &value, "numbers");
    windows.OnIdle();
    Frames frames(800, 900);
    auto draw = [&] { view.Draw(kView); };
    frames.Run(draw);
    ImGuiWindow* window = Window("Watches");
    ASSERT_NE(window, nullptr);
    frames.Click(draw, BottomButton(window, 1));  // "Lock"
    EXPECT_TRUE(Debug::Instance()->watchesLocked);
    EXPECT_STREQ(windows.Watches().GetLockLabel(), "Unlock");
    frames.Click(draw, BottomButton(window, 1));
    EXPECT_FALSE(Debug::Instance()->watchesLocked);

    const ImVec2 hud(window->Pos.x + window->Size.x - ImGui::GetStyle().WindowPadding.x - 30, BottomButton(window, 0).y);
    frames.Click(draw, hud);
    EXPECT_TRUE(windows.Watches().GetHud());
    Debug::Instance()->RemoveAllWatches();
}

TEST(HyperLinkView, ClickOpensOnReleaseOrOnPressWithOptionEight)
{
    Opener opener;
    CHyperLink link("Turfbolt", "https://example.org/", opener.Get());
    ImVec2 at;
    Frames frames;
    auto draw = [&] {
        ImGui::SetNextWindowPos(ImVec2(0, 0));
        ImGui::Begin("links");
        at = ImGui::GetCursorScreenPos();
        editor::DrawHyperLink(link);
        ImGui::End();
    };
    frames.Run(draw);
    const ImVec2 on(at.x + 5, at.y + 5);
    frames.Run(draw, on);
    frames.Run(draw, on);
    EXPECT_TRUE(link.IsHovering());
    EXPECT_EQ(ImGui::GetMouseCursor(), ImGuiMouseCursor_Hand);
    frames.Run(draw, on, true);
    EXPECT_EQ(opener.calls, 0);
    frames.Run(draw, on, false);
    EXPECT_EQ(opener.calls, 1);
    EXPECT_TRUE(link.IsVisited());

    link.SetOptions(CHyperLink::kDefaultOptions | CHyperLink::kOpenOnButtonDown);
    frames.Run(draw, on, true);
    EXPECT_EQ(opener.calls, 2);
    frames.Run(draw, on, false);
    EXPECT_EQ(opener.calls, 2);
    frames.Click(draw, ImVec2(300, 300));  // a press elsewhere takes the focus away
    EXPECT_FALSE(link.IsPressed());
    EXPECT_FALSE(link.IsHovering());
}

TEST(HyperLinkView, AFailedOpenShowsTheBoxUntilOk)
{
    Opener opener;
    opener.works = false;
    CAboutDlg about("1.0g", "Turfbolt", "README.md", opener.Get());
    Frames frames;
    auto draw = [&] { about.Draw(); };
    about.Open();
    frames.Run(draw);
    frames.Run(draw);
    EXPECT_TRUE(about.IsOpen());
    about.GetLink().Open();
    frames.Run(draw);
    frames.Run(draw);
    ImGuiWindow* box = Window("Turfbolt###tb_link_error");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->Active);
    frames.Press(draw, ImGuiKey_Enter);
    EXPECT_EQ(about.GetLink().GetError(), "");
    EXPECT_TRUE(about.IsOpen());
    frames.Press(draw, ImGuiKey_Escape);
    EXPECT_FALSE(about.IsOpen());
}

TEST(HelpDialogView, OpensModallyAndOkCloses)
{
    CHelpDialog dialog;
    Frames frames;
    auto draw = [&] { editor::DrawHelpDialog(dialog); };
    frames.Run(draw);
    EXPECT_EQ(ImGui::FindWindowByName("Help###tb_help"), nullptr);
    dialog.Open();
    frames.Run(draw);
    frames.Run(draw);
    ImGuiWindow* window = Window("Help###tb_help");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->Active);
    EXPECT_TRUE(ImGui::GetTopMostPopupModal() == window);
    frames.Click(draw, BottomButton(window, 0) + ImVec2(window->Size.x - 75 - 2 * ImGui::GetStyle().WindowPadding.x, 0));
    EXPECT_FALSE(dialog.IsOpen());
}

TEST(WindowPlacerView, OpensAtTheStoredPlaceAndStoresAFinishedMove)
{
    const std::string file = "Data\\SaveGames\\placer.txt";
    {
        WindowPosition stored("Tool", file);
        stored.Set(100, 50, 1, 1);
        ASSERT_TRUE(stored.Save());
    }
    WindowPosition record("Tool", file);
    editor::WindowPlacer placer(record);
    Frames frames(800, 900);
    auto draw = [&] {
        placer.BeforeBegin(kView, ImVec2(200, 100));
        ImGui::SetNextWindowSize(ImVec2(200, 100));
        ImGui::Begin("Tool");
        placer.AfterBegin(kView);
        ImGui::End();
    };
    frames.Run(draw);
    ImGuiWindow* window = Window("Tool");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Pos.x, 100);
    EXPECT_EQ(window->Pos.y, 70);  // below the bar

    // Dragged by the title bar by (30, 40).
    const ImVec2 grab(150, 75);
    frames.Run(draw, grab);
    frames.Run(draw, grab, true);
    frames.Run(draw, grab + ImVec2(10, 10), true);
    frames.Run(draw, grab + ImVec2(30, 40), true);
    int x = 0, y = 0, w = 0, h = 0;
    ASSERT_TRUE(WindowPosition("Tool", file).Load(x, y, w, h));
    EXPECT_EQ(x, 100);  // not while the mouse is still held
    frames.Run(draw, grab + ImVec2(30, 40), false);
    ASSERT_TRUE(WindowPosition("Tool", file).Load(x, y, w, h));
    EXPECT_EQ((std::vector<int>{x, y, w, h}), (std::vector<int>{130, 90, 200, 100}));
    std::filesystem::remove(FileSystem::Instance()->ResolveDiskPath(file));
}

}  // namespace
