// The drag-and-drop tree: moves, copies, walks, the auto-scroll pace, label edits and the
// context menu, over casts made in code and a game state that records what it is sent.
#include "editor/TreeCtrlX.h"
#include "editor/tests/support/RecordingGame.h"
#include "tests/support/LogCapture.h"
#include "tests/support/ScopedEnv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

namespace {

using Item = TreeModel::Item;

// The tree as text: "label(child,child),label"; objects carry their name after "=".
std::string Describe(const TreeModel& tree, Item parent = TreeModel::kNone)
{
    std::string text;
    for (Item item : tree.GetChildren(parent)) {
        if (!text.empty())
            text += ",";
        text += tree.GetItemText(item);
        if (const Object* object = tree.GetItemData(item))
            text += std::string("=") + (object->GetName() ? object->GetName() : "");
        if (tree.ItemHasChildren(item))
            text += "(" + Describe(tree, item) + ")";
    }
    return text;
}

Item Add(TreeModel& tree, const char* text, Item parent = TreeModel::kNone, Object* object = nullptr)
{
    const Item item = tree.InsertItem(text, object ? 3 : 1, object ? 4 : 1, parent);
    tree.SetItemData(item, object);
    return item;
}

void Drag(CTreeCtrlX& tree, Item from, Item to)
{
    tree.OnBeginDrag(from);
    tree.OnMouseMove(to);
    tree.OnLButtonUp();
}

// Records the order in which copies are reported.
struct CopyOrder : ObjectsBrowserTreeCtrl {
    std::vector<std::string> copied;
    void OnItemCopied(Item oldItem, Item newItem) override
    {
        ObjectsBrowserTreeCtrl::OnItemCopied(oldItem, newItem);
        copied.push_back(GetItemText(newItem));
    }
};

class TreeCtrl : public ::testing::Test {
protected:
    ScopedEnv noBox{"TB_NO_MESSAGE_BOX", "1"};
    GameScope scope;
    CopyOrder tree;
};

TEST_F(TreeCtrl, ADropOnItselfOrBelowItselfChangesNothing)
{
    Object* x = AddNamed("objects", "A|x");
    const Item a = Add(tree, "A");
    const Item ax = Add(tree, "x", a, x);
    Add(tree, "B");
    const std::string before = Describe(tree);
    Drag(tree, a, a);
    Drag(tree, a, ax);
    EXPECT_EQ(Describe(tree), before);
    EXPECT_STREQ(x->GetName(), "A|x");
    EXPECT_FALSE(tree.IsDragging());
}

TEST_F(TreeCtrl, AnObjectDroppedOnAnObjectGoesLastIntoThatObjectsFolder)
{
    Object* x = AddNamed("objects", "A|x");
    Object* y = AddNamed("objects", "B|y");
    Object* z = AddNamed("objects", "B|z");
    const Item a = Add(tree, "A"), b = Add(tree, "B");
    const Item ax = Add(tree, "x", a, x);
    const Item by = Add(tree, "y", b, y);
    Add(tree, "z", b, z);
    Drag(tree, ax, by);
    EXPECT_EQ(Describe(tree), "A,B(y=B|y,z=B|z,x=B|x)");
    EXPECT_EQ(tree.GetItemText(tree.GetSelectedItem()), "x");
}

TEST_F(TreeCtrl, AFolderMovesWithItsObjectsRenamedParentsFirst)
{
    Object* folderObject = AddNamed("objects", "A");
    Object* x = AddNamed("objects", "A|x");
    const Item a = Add(tree, "A", TreeModel::kNone, folderObject);
    Add(tree, "x", a, x);
    const Item b = Add(tree, "B");
    Drag(tree, a, b);
    EXPECT_EQ(Describe(tree), "B(A=B|A(x=B|A|x))");
    EXPECT_EQ(tree.copied, (std::vector<std::string>{"A", "x"}));
}

TEST_F(TreeCtrl, ADragReleasedWithNothingHighlightedDropsOnTheTopLevel)
{
    Object* x = AddNamed("objects", "A|x");
    const Item a = Add(tree, "A");
    const Item ax = Add(tree, "x", a, x);
    tree.OnBeginDrag(ax);
    tree.OnMouseMove(TreeModel::kNone);
    tree.OnLButtonUp();
    EXPECT_EQ(Describe(tree), "A,x=x");
}

TEST_F(TreeCtrl, ADropThatWouldGiveTwoMembersOneNameIsRefused)
{
    LogCapture log;
    Object* x = AddNamed("objects", "A|x");
    Object* other = AddNamed("objects", "B|x");
    const Item a = Add(tree, "A"), b = Add(tree, "B");
    const Item ax = Add(tree, "x", a, x);
    Add(tree, "x", b, other);
    Drag(tree, ax, b);
    EXPECT_EQ(Describe(tree), "A(x=A|x),B(x=B|x)");
    EXPECT_EQ(log.Count("name not unique"), 1);
    // The same name in another cast is no clash.
    Object* elsewhere = AddNamed("hud", "C|x");
    const Item c = Add(tree, "C");
    Add(tree, "x", c, elsewhere);
    Drag(tree, ax, c);
    EXPECT_EQ(Describe(tree), "A,B(x=B|x),C(x=C|x,x=C|x)");
}

TEST_F(TreeCtrl, ACopyKeepsObjectImagesAndStateBits)
{
    Object* x = AddNamed("objects", "x");
    const Item item = Add(tree, "x", TreeModel::kNone, x);
    tree.SetOverlay(item, 1);
    tree.SetItemState(item, 0x2000, TreeModel::kStateImageMask);
    const Item folder = Add(tree, "F");
    const Item copy = tree.CopyItem(item, folder, TreeModel::kLast);
    EXPECT_EQ(tree.GetItemData(copy), x);
    EXPECT_EQ(tree.GetItemImage(copy), 3);
    EXPECT_EQ(tree.GetItemSelectedImage(copy), 4);
    EXPECT_EQ(tree.GetOverlay(copy), 1);
    EXPECT_EQ(tree.GetItemState(copy, TreeModel::kStateImageMask), 0x2000u);
    EXPECT_STREQ(x->GetName(), "F|x");
}

TEST_F(TreeCtrl, TheNextItemInOrderIsDepthFirst)
{
    const Item a = Add(tree, "a");
    const Item a1 = Add(tree, "a1", a);
    const Item a11 = Add(tree, "a11", a1);
    const Item a2 = Add(tree, "a2", a);
    const Item b = Add(tree, "b");
    std::vector<std::string> order;
    for (Item item = tree.GetRootItem(); item != TreeModel::kNone; item = tree.GetNextItemInOrder(item))
        order.push_back(tree.GetItemText(item));
    EXPECT_EQ(order, (std::vector<std::string>{"a", "a1", "a11", "a2", "b"}));
    static_cast<void>(a11), static_cast<void>(a2), static_cast<void>(b);
    // Collapsed items are walked through, but not by the visible walk.
    EXPECT_EQ(tree.GetNextVisibleItem(a), b);
    tree.Expand(a);
    EXPECT_EQ(tree.GetNextVisibleItem(a), a1);
    EXPECT_EQ(tree.GetNextVisibleItem(a1), a2);
}

TEST(TreeScroll, TheSlowDownFallsFromSixTicksToOneOverAHundredPixels)
{
    const std::vector<std::pair<int, int>> cases = {{0, 6}, {19, 6}, {20, 5}, {60, 3}, {99, 2}, {100, 1}, {400, 1}};
    for (const auto& [d, slowdown] : cases)
        EXPECT_EQ(CTreeCtrlX::ScrollSlowdown(d), slowdown) << "d " << d;
}

TEST(TreeScroll, TicksAddUpFrameTimesAndScrollAtTheEdgesOnly)
{
    CTreeCtrlX tree;
    std::vector<Item> items;
    for (const char* text : {"a", "b", "c", "d", "e"})
        items.push_back(tree.InsertItem(text, 0, 0));
    tree.OnBeginDrag(items[0]);
    EXPECT_EQ(tree.AddDragTime(50), 0);
    EXPECT_EQ(tree.AddDragTime(50), 1);
    EXPECT_EQ(tree.AddDragTime(150), 2);
    // In the middle: nothing. 100 px past the bottom band: every tick, the last visible row.
    EXPECT_EQ(tree.OnTimerTick(150, 100, 300, items[0], 3), 0);
    EXPECT_EQ(tree.OnTimerTick(390, 100, 300, items[0], 3), 1);
    EXPECT_EQ(tree.GetDropItem(), items[2]);
    EXPECT_EQ(tree.OnTimerTick(10, 100, 300, items[1], 3), -1);
    EXPECT_EQ(tree.GetDropItem(), items[1]);
    // Once dropped, frame times no longer count.
    tree.OnLButtonUp();
    EXPECT_EQ(tree.AddDragTime(500), 0);
}

TEST_F(TreeCtrl, ALabelEditCommitsToTheItemItWasOpenedOnAsTheGameAnswers)
{
    Object* x = AddNamed("objects", "x");
    Object* y = AddNamed("objects", "y");
    const Item ix = Add(tree, "x", TreeModel::kNone, x);
    const Item iy = Add(tree, "y", TreeModel::kNone, y);
    const Item folder = Add(tree, "F");
    tree.SelectItem(ix);
    ASSERT_TRUE(tree.OnBeginLabelEdit(ix));
    // The click away that ends the edit selects another item first.
    tree.OnLButtonDown(iy);
    EXPECT_TRUE(tree.OnEndLabelEdit("renamed"));
    EXPECT_EQ(tree.GetItemText(ix), "renamed");
    EXPECT_EQ(tree.GetItemText(iy), "y");
    EXPECT_EQ(scope.game->events.back(), (RecordedEvent{"rename object", x, "renamed"}));

    scope.game->answer = 0;
    tree.OnBeginLabelEdit(iy);
    EXPECT_FALSE(tree.OnEndLabelEdit("refused"));
    EXPECT_EQ(tree.GetItemText(iy), "y");
    // Escape: no text, no event, the old label stays.
    const size_t sent = scope.game->events.size();
    tree.OnBeginLabelEdit(iy);
    EXPECT_FALSE(tree.OnEndLabelEdit(std::nullopt));
    EXPECT_EQ(scope.game->events.size(), sent);
    // A folder takes any label without asking; only its label changes.
    tree.OnBeginLabelEdit(folder);
    EXPECT_TRUE(tree.OnEndLabelEdit(std::string(200, 'f')));
    EXPECT_EQ(tree.GetItemText(folder), std::string(CTreeCtrlX::kMaxLabelLength, 'f'));
    EXPECT_EQ(scope.game->events.size(), sent);
}

TEST_F(TreeCtrl, TheContextMenuActsOnTheItemItWasOpenedOnAndKeepsTheSelection)
{
    Object* selected = AddNamed("objects", "selected");
    Object* clicked = AddNamed("objects", "clicked");
    const Item is = Add(tree, "selected", TreeModel::kNone, selected);
    const Item ic = Add(tree, "clicked", TreeModel::kNone, clicked);
    const Item folder = Add(tree, "F");
    tree.SelectItem(is);
    tree.OnRButtonDown(ic);
    EXPECT_EQ(tree.GetDropHilightItem(), ic);
    tree.OnContextMenu(ic);
    EXPECT_EQ(tree.TakeMenuRequest(), ic);
    EXPECT_EQ(tree.GetSelectedItem(), is);
    EXPECT_EQ(tree.GetDropHilightItem(), is);
    EXPECT_TRUE(tree.OnCommand(ObjectsBrowserTreeCtrl::kDelete));
    tree.OnRButtonDown(folder);
    tree.OnContextMenu(folder);
    EXPECT_TRUE(tree.OnCommand(ObjectsBrowserTreeCtrl::kPasteSettings));
    EXPECT_FALSE(tree.OnCommand(57602));
    EXPECT_EQ(scope.game->events, (std::vector<RecordedEvent>{{"delete object", clicked, "clicked"},
                                                              {"paste settings", nullptr, "F"}}));
    const auto& menu = ObjectsBrowserTreeCtrl::ContextMenu();
    const auto clone = std::find_if(menu.begin(), menu.end(), [](const auto& e) { return e.id == ObjectsBrowserTreeCtrl::kClone; });
    ASSERT_NE(clone, menu.end());
    EXPECT_FALSE(clone->enabled);
}

TEST(TreeModelTest, DeletingAnItemTakesItsBranchAndForgetsItsSelection)
{
    TreeModel tree;
    const Item a = tree.InsertItem("a", 0, 0);
    const Item a1 = tree.InsertItem("a1", 0, 0, a);
    const Item b = tree.InsertItem("b", 0, 0);
    const Item first = tree.InsertItem("first", 0, 0, TreeModel::kNone, TreeModel::kFirst);
    tree.SelectItem(b);
    tree.SelectItem(a1);
    EXPECT_EQ(std::make_pair(tree.GetItemState(a1, TreeModel::kSelected), tree.GetItemState(b, TreeModel::kSelected)),
              std::make_pair(TreeModel::kSelected, 0u));
    EXPECT_TRUE(tree.IsExpanded(a));
    EXPECT_EQ(tree.TakeEnsureVisible(), a1);
    EXPECT_EQ(tree.TakeEnsureVisible(), TreeModel::kNone);
    EXPECT_TRUE(tree.DeleteItem(a));
    EXPECT_FALSE(tree.Exists(a1));
    EXPECT_EQ(tree.GetSelectedItem(), TreeModel::kNone);
    EXPECT_EQ(tree.GetRootItem(), first);
    EXPECT_EQ(tree.GetNextSibling(first), b);
    EXPECT_EQ(tree.InsertItem("orphan", 0, 0, a), TreeModel::kNone);
    EXPECT_EQ(std::make_tuple(tree.GetItemText(a), tree.GetItemImage(a), tree.GetItemSelectedImage(a), tree.GetItemData(a)),
              std::make_tuple(std::string(), 0, 0, static_cast<Object*>(nullptr)));
    tree.DeleteItem(TreeModel::kNone);
    EXPECT_EQ(tree.GetCount(), 0u);
}

}  // namespace
