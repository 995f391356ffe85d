#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class Object;

// The tree of a tree control, without its window: items with a label, images, an object
// and state bits. Handles stay valid until their item is deleted and are never reused.
// The view draws it and reports gestures; "ensure visible" is a request the view takes.
class TreeModel {
public:
    using Item = uint32_t;
    static constexpr Item kNone = 0;
    // As an insert position: before the first child, or after the last one.
    static constexpr Item kFirst = 0xFFFF0001u;
    static constexpr Item kLast = 0xFFFF0002u;

    // State bits.
    static constexpr uint32_t kSelected = 0x0002;
    static constexpr uint32_t kDropHilited = 0x0008;
    static constexpr uint32_t kExpanded = 0x0020;
    static constexpr uint32_t kOverlayMask = 0x0F00;
    static constexpr uint32_t kStateImageMask = 0xF000;

    TreeModel() = default;
    virtual ~TreeModel() = default;
    TreeModel(const TreeModel&) = delete;
    TreeModel& operator=(const TreeModel&) = delete;

    // A new item under parent (kNone: the top level) after the sibling "after" (or kFirst,
    // kLast); kNone when the parent or the sibling does not exist.
    Item InsertItem(const std::string& text, int image, int selectedImage, Item parent = kNone, Item after = kLast);
    // The item and all below it; kNone deletes every item. False when it does not exist.
    bool DeleteItem(Item item);
    bool Exists(Item item) const { return m_items.count(item) != 0; }
    size_t GetCount() const { return m_items.size(); }

    Item GetParent(Item item) const;
    // kNone gives the first top-level item.
    Item GetChild(Item item) const;
    Item GetNextSibling(Item item) const;
    Item GetPrevSibling(Item item) const;
    Item GetRootItem() const { return GetChild(kNone); }
    bool ItemHasChildren(Item item) const { return GetChild(item) != kNone; }
    const std::vector<Item>& GetChildren(Item item) const;

    // Empty, 0, null for an item that does not exist.
    std::string GetItemText(Item item) const;
    bool SetItemText(Item item, const std::string& text);
    // Borrowed: the model stores the pointer and never reads through it.
    Object* GetItemData(Item item) const;
    bool SetItemData(Item item, Object* data);
    int GetItemImage(Item item) const;
    int GetItemSelectedImage(Item item) const;
    // The bits of mask that are set.
    uint32_t GetItemState(Item item, uint32_t mask) const;
    bool SetItemState(Item item, uint32_t state, uint32_t mask);
    // 1-based overlay image, 0 for none.
    void SetOverlay(Item item, int overlay) { SetItemState(item, static_cast<uint32_t>(overlay) << 8, kOverlayMask); }
    int GetOverlay(Item item) const { return static_cast<int>(GetItemState(item, kOverlayMask) >> 8); }

    // The caret: one item or none; its ancestors are expanded and it is to be shown.
    void SelectItem(Item item);
    Item GetSelectedItem() const { return m_selected; }
    // The drop highlight: one item or none.
    void SelectDropTarget(Item item);
    Item GetDropHilightItem() const { return m_dropHilite; }
    void Expand(Item item, bool expand = true) { SetItemState(item, expand ? kExpanded : 0, kExpanded); }
    bool IsExpanded(Item item) const { return GetItemState(item, kExpanded) != 0; }
    void EnsureVisible(Item item);
    // The item the view is asked to scroll to, once; kNone when none is asked.
    Item TakeEnsureVisible();

    bool IsAncestor(Item ancestor, Item item) const;

private:
    struct Node {
        std::string text;
        int image = 0, selectedImage = 0;
        Object* data = nullptr;
        uint32_t state = 0;
        Item parent = kNone;
        std::vector<Item> children;
    };
    std::vector<Item>& ChildList(Item parent);
    const Node* Find(Item item) const;
    void Forget(Item item);

    std::map<Item, Node> m_items;
    std::vector<Item> m_top;
    Item m_next = 1;
    Item m_selected = kNone;
    Item m_dropHilite = kNone;
    Item m_ensureVisible = kNone;
};
