#pragma once

#include "editor/TreeModel.h"

#include <optional>
#include <string>
#include <vector>

// A tree whose items and branches move by dragging with the left button, that scrolls by
// itself while a drag nears its edges, opens a context menu on the right button and limits
// label edits. The view reports the gestures; everything they change is here.
class CTreeCtrlX : public TreeModel {
public:
    static constexpr int kMaxLabelLength = 127;
    static constexpr float kTimerMs = 75.0f;
    // The band at the top and bottom edges where a drag scrolls.
    static constexpr int kScrollBand = 10;

    // What a finished label edit reports: the item it was opened on and the new text, when
    // there is one (Escape gives none).
    struct LabelEdit {
        Item item = kNone;
        std::optional<std::string> text;
    };

    void OnBeginDrag(Item item);
    // The item under the cursor, or kNone.
    void OnMouseMove(Item hit);
    void OnLButtonDown(Item hit);
    void OnRButtonDown(Item hit);
    // The menu for the item under the cursor; then the remembered item is highlighted again.
    void OnContextMenu(Item hit);
    // Ends a drag with the drop; nothing otherwise.
    void OnLButtonUp();

    // Adds the frame time to the drag's timer; the number of 75 ms ticks that fell due.
    int AddDragTime(float ms);
    // One tick of the timer while dragging: -1 asks the view to scroll a line up, 1 a line
    // down, 0 nothing. firstVisible is the top row before the scroll, visibleCount the rows
    // that fit; the item at the edge after the scroll becomes the drop target.
    int OnTimerTick(int cursorY, int top, int bottom, Item firstVisible, int visibleCount);
    // How many ticks pass between scrolls when the cursor is d pixels into the band's inner
    // border: 6 at the border, down to 1 from 100 pixels past it.
    static int ScrollSlowdown(int d);

    // Starts a label edit on the item; false when it does not exist.
    bool OnBeginLabelEdit(Item item);
    // Ends the edit: true when the item took the new text.
    bool OnEndLabelEdit(std::optional<std::string> text);
    // kNone when no label is being edited.
    Item GetEditItem() const { return m_editItem; }

    // A copy of the item (text, images, object, state and overlay bits) under the new parent.
    Item CopyItem(Item item, Item newParent, Item after);
    // The item and everything below it, children appended in order.
    Item CopyBranch(Item item, Item newParent, Item after);
    // Depth first: the first child, else the next sibling, else an ancestor's next sibling.
    Item GetNextItemInOrder(Item item) const;
    // The same, descending only into expanded items.
    Item GetNextVisibleItem(Item item) const;

    // The items are kNone when there is none.
    bool IsDragging() const { return m_dragging; }
    Item GetDragItem() const { return m_dragItem; }
    Item GetDropItem() const { return m_dropItem; }
    Item GetRememberedItem() const { return m_remembered; }

protected:
    virtual void OnItemCopied(Item, Item) {}
    virtual void ShowContextMenu(Item) {}
    virtual bool OnLabelEdited(const LabelEdit&) { return true; }
    // Whether the branch may move under the target; the base allows every move.
    virtual bool AcceptsDrop(Item, Item) { return true; }

private:
    void Drop();

    bool m_dragging = false;
    Item m_dragItem = kNone;
    Item m_dropItem = kNone;
    Item m_remembered = kNone;
    Item m_editItem = kNone;
    unsigned m_ticks = 0;
    float m_timerMs = 0;
};

// The objects browser's tree: an item's data is its object, none for a folder. Moves and
// label edits rename the objects; the context menu sends the settings commands.
class ObjectsBrowserTreeCtrl : public CTreeCtrlX {
public:
    enum Command : int {
        kCopySettings = 32768,
        kPasteSettings = 32769,
        kClone = 32770,
        kDelete = 32771,
    };
    struct MenuEntry {
        const char* text;
        int id;  // 0 for a separator
        bool enabled;
    };
    static const std::vector<MenuEntry>& ContextMenu();

    // The labels from the top-level ancestor down to the item, joined with "|".
    std::string GetItemPath(Item item) const;
    // Sends the menu command's event for the item the menu was opened on; false for ids
    // that are not the menu's.
    bool OnCommand(int id);
    // The item whose menu the view is to open, once; kNone when none is asked.
    Item TakeMenuRequest();
    Item GetMenuItem() const { return m_menuItem; }

protected:
    void OnItemCopied(Item oldItem, Item newItem) override;
    void ShowContextMenu(Item item) override;
    bool OnLabelEdited(const LabelEdit& edit) override;
    bool AcceptsDrop(Item item, Item target) override;

private:
    Item m_menuItem = kNone;
    Item m_menuRequest = kNone;
};
