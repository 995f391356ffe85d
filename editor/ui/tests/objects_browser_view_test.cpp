// The objects browser drawn headless: the mouse drags rows by hand, a double click opens a
// property window, F2 edits a label, and the frame runs what was chosen after its UI pass.
#include "editor/ObjectSettingsDialog.h"
#include "editor/tests/support/RecordingGame.h"
#include "editor/ui/Modals.h"
#include "editor/ui/ObjectsBrowserView.h"
#include "editor/ui/WindowPlacer.h"
#include "editor/ui/tests/support/HeadlessFrames.h"
#include "tests/support/ScopedEnv.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <imgui_internal.h>

#include <filesystem>

namespace {

using Item = TreeModel::Item;

class BrowserView : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"A|a1", "A|a2", "B|b1"})
            AddNamed("objects", name);
        const Cast& cast = *CastManager::Instance()->GetCast("objects");
        browser.InsertObject(cast, "objects");
        for (Item item = browser.Tree().GetRootItem(); item != TreeModel::kNone; item = browser.Tree().GetNextItemInOrder(item))
            browser.Tree().Expand(item);
        browser.Show();
        Frame();
    }
    void Frame(ImVec2 mouse = {-1, -1}, bool down = false)
    {
        frames.Run([&] { view.Draw(rect, 1.0f / 60); }, mouse, down);
        view.AfterFrame();
    }
    // A click, then long enough for any slow-click edit to begin.
    void ClickAndWait(ImVec2 at)
    {
        Frame(at, true);
        Frame(at, false);
        for (int i = 0; i < 30; ++i)
            Frame(at);
    }
    void DoubleClick(ImVec2 at)
    {
        Frame(at, false);
        Frame(at, true);
        Frame(at, false);
        Frame(at, true);
        Frame(at, false);
    }
    // Rows from the top: objects, A, a1, a2, B, b1.
    Item ItemAt(int index)
    {
        Item item = browser.Tree().GetRootItem();
        for (int i = 0; i < index; ++i)
            item = browser.Tree().GetNextItemInOrder(item);
        return item;
    }
    ImVec2 Row(int index)
    {
        ImVec2 at;
        EXPECT_TRUE(view.GetRowCentre(ItemAt(index), at.x, at.y)) << "row " << index;
        return at;
    }
    const char* NameAt(int index)
    {
        const Object* object = browser.Tree().GetItemData(ItemAt(index));
        return object && object->GetName() ? object->GetName() : "";
    }

    ScopedEnv noBox{"TB_NO_MESSAGE_BOX", "1"};
    GameScope scope;
    Frames frames{800, 600};
    editor::Modals modals;
    CObjectSettingsDialog browser{(std::filesystem::path(::testing::TempDir()) / "browser_view_positions.txt").string()};
    editor::ObjectsBrowserView view{browser, modals};
    editor::ViewRect rect{ImVec2(0, 20), ImVec2(800, 580)};
};

TEST_F(BrowserView, ShowPutsTheBrowserAtTheViewsCorner)
{
    const ImGuiWindow* window = ImGui::FindWindowByName("Objects Browser");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Pos.x, 0);
    EXPECT_EQ(window->Pos.y, 20);
    EXPECT_EQ(window->Size.x, 500);
}

TEST_F(BrowserView, ARowDraggedOntoAFolderRenamesItsObjectWhereverTheButtonGoesUp)
{
    const ImVec2 from = Row(2), to = Row(4);
    Frame(from, false);
    Frame(from, true);
    Frame(ImVec2(from.x, from.y + 12), true);
    Frame(to, true);
    EXPECT_TRUE(browser.Tree().IsDragging());
    EXPECT_EQ(browser.Tree().GetDropHilightItem(), ItemAt(4));
    // Let go outside the browser: the drop still goes to the last highlighted row.
    Frame(ImVec2(700, 550), true);
    Frame(ImVec2(700, 550), false);
    EXPECT_FALSE(browser.Tree().IsDragging());
    // objects, A, a2, B, a1 (now last in B), b1 ... the tree is objects(A(a2),B(b1,a1)).
    EXPECT_STREQ(NameAt(5), "objects|B|a1");
}

TEST_F(BrowserView, ADoubleClickOpensTheRowsPropertyWindow)
{
    DoubleClick(Row(5));
    ASSERT_EQ(browser.Windows().size(), 1u);
    EXPECT_EQ(browser.Windows().front().label, "b1");
    Frame();
    EXPECT_NE(ImGui::FindWindowByName(("b1###" + std::to_string(browser.Windows().front().dialog->GetSerial())).c_str()),
              nullptr);
}

TEST_F(BrowserView, F2EditsTheSelectedLabelAndEnterSendsTheRename)
{
    const ImVec2 at = Row(3);
    Frame(at, true);
    Frame(at, false);
    ImGuiIO& io = ImGui::GetIO();
    io.KeysDown[SDL_SCANCODE_F2] = true;
    Frame(at);
    io.KeysDown[SDL_SCANCODE_F2] = false;
    Frame(at);
    ASSERT_NE(browser.Tree().GetEditItem(), TreeModel::kNone);
    io.KeysDown[io.KeyMap[ImGuiKey_Backspace]] = true;
    Frame(at);
    io.KeysDown[io.KeyMap[ImGuiKey_Backspace]] = false;
    frames.Run([&] { view.Draw(rect, 1.0f / 60); }, at, false, "x2");
    view.AfterFrame();
    frames.Press([&] { view.Draw(rect, 1.0f / 60); }, ImGuiKey_Enter, at);
    EXPECT_EQ(browser.Tree().GetEditItem(), TreeModel::kNone);
    ASSERT_FALSE(scope.game->events.empty());
    EXPECT_EQ(scope.game->events.back().event, "rename object");
    EXPECT_EQ(scope.game->events.back().text, "x2");
}

TEST_F(BrowserView, ASlowSecondClickEditsTheLabelAndEscapeKeepsTheOldOne)
{
    const ImVec2 at = Row(3);
    ClickAndWait(at);
    EXPECT_EQ(browser.Tree().GetEditItem(), TreeModel::kNone) << "one click only selects";
    ClickAndWait(at);
    ASSERT_EQ(browser.Tree().GetEditItem(), ItemAt(3));
    frames.Press([&] { view.Draw(rect, 1.0f / 60); }, ImGuiKey_Escape, at);
    view.AfterFrame();
    EXPECT_EQ(browser.Tree().GetEditItem(), TreeModel::kNone);
    EXPECT_EQ(browser.Tree().GetItemText(ItemAt(3)), "a2");
    EXPECT_TRUE(scope.game->events.empty());
}

// Clicks on the arrow of the selected folder close and open it again: nothing is renamed,
// however slowly the clicks come.
TEST_F(BrowserView, ClicksOnTheSelectedFoldersArrowOnlyOpenAndCloseIt)
{
    const ImVec2 label = Row(1);
    ClickAndWait(label);
    ASSERT_EQ(browser.Tree().GetSelectedItem(), ItemAt(1));
    // The arrow stands at the row's left, before the icon and the label.
    const ImVec2 arrow(label.x - 52, label.y);
    std::vector<bool> expanded;
    for (int click = 0; click < 2; ++click) {
        ClickAndWait(arrow);
        expanded.push_back(browser.Tree().IsExpanded(ItemAt(1)));
        EXPECT_EQ(browser.Tree().GetEditItem(), TreeModel::kNone) << "click " << click;
    }
    EXPECT_EQ(expanded, (std::vector<bool>{false, true}));
    EXPECT_EQ(browser.Tree().GetSelectedItem(), ItemAt(1));
    EXPECT_TRUE(scope.game->events.empty());
}

// A property window taller than the room below its place keeps its bottom in the game's
// window; what does not fit scrolls.
TEST_F(BrowserView, APropertyWindowFitsBelowItsPlace)
{
    rect = editor::ViewRect{ImVec2(0, 20), ImVec2(800, 90)};
    DoubleClick(Row(5));
    ASSERT_EQ(browser.Windows().size(), 1u);
    Frame();
    Frame();
    const ImGuiWindow* window =
        ImGui::FindWindowByName(("b1###" + std::to_string(browser.Windows().front().dialog->GetSerial())).c_str());
    ASSERT_NE(window, nullptr);
    EXPECT_GT(static_cast<float>(browser.Windows().front().dialog->GetHeight()), rect.size.y);
    EXPECT_GE(window->Pos.y, rect.origin.y);
    EXPECT_LE(window->Pos.y + window->Size.y, rect.origin.y + rect.size.y);
}

}  // namespace
