#include "editor/TreeModel.h"

#include <algorithm>

namespace {
const std::vector<TreeModel::Item> kNoChildren;
}

const TreeModel::Node* TreeModel::Find(Item item) const
{
    auto it = m_items.find(item);
    return it == m_items.end() ? nullptr : &it->second;
}

std::vector<TreeModel::Item>& TreeModel::ChildList(Item parent)
{
    return parent == kNone ? m_top : m_items.at(parent).children;
}

const std::vector<TreeModel::Item>& TreeModel::GetChildren(Item item) const
{
    if (item == kNone)
        return m_top;
    const Node* node = Find(item);
    return node ? node->children : kNoChildren;
}

TreeModel::Item TreeModel::InsertItem(const std::string& text, int image, int selectedImage, Item parent, Item after)
{
    if (parent != kNone && !Exists(parent))
        return kNone;
    std::vector<Item>& siblings = ChildList(parent);
    auto at = siblings.end();
    if (after == kFirst)
        at = siblings.begin();
    else if (after != kLast) {
        at = std::find(siblings.begin(), siblings.end(), after);
        if (at == siblings.end())
            return kNone;
        ++at;
    }
    const Item item = m_next++;
    siblings.insert(at, item);
    Node& node = m_items[item];
    node.text = text;
    node.image = image;
    node.selectedImage = selectedImage;
    node.parent = parent;
    return item;
}

void TreeModel::Forget(Item item)
{
    // Children first, by copy: each Forget erases its own node.
    const std::vector<Item> children = m_items.at(item).children;
    for (Item child : children)
        Forget(child);
    m_items.erase(item);
    for (Item* held : {&m_selected, &m_dropHilite, &m_ensureVisible})
        if (*held == item)
            *held = kNone;
}

bool TreeModel::DeleteItem(Item item)
{
    if (item == kNone) {
        const std::vector<Item> top = m_top;
        for (Item child : top)
            DeleteItem(child);
        return true;
    }
    const Node* node = Find(item);
    if (!node)
        return false;
    std::vector<Item>& siblings = ChildList(node->parent);
    siblings.erase(std::find(siblings.begin(), siblings.end(), item));
    Forget(item);
    return true;
}

TreeModel::Item TreeModel::GetParent(Item item) const
{
    const Node* node = Find(item);
    return node ? node->parent : kNone;
}

TreeModel::Item TreeModel::GetChild(Item item) const
{
    const std::vector<Item>& children = GetChildren(item);
    return children.empty() ? kNone : children.front();
}

TreeModel::Item TreeModel::GetNextSibling(Item item) const
{
    const Node* node = Find(item);
    if (!node)
        return kNone;
    const std::vector<Item>& siblings = GetChildren(node->parent);
    auto it = std::find(siblings.begin(), siblings.end(), item);
    return ++it == siblings.end() ? kNone : *it;
}

TreeModel::Item TreeModel::GetPrevSibling(Item item) const
{
    const Node* node = Find(item);
    if (!node)
        return kNone;
    const std::vector<Item>& siblings = GetChildren(node->parent);
    auto it = std::find(siblings.begin(), siblings.end(), item);
    return it == siblings.begin() ? kNone : *--it;
}

std::string TreeModel::GetItemText(Item item) const
{
    const Node* node = Find(item);
    return node ? node->text : std::string();
}

bool TreeModel::SetItemText(Item item, const std::string& text)
{
    if (!Exists(item))
        return false;
    m_items[item].text = text;
    return true;
}

Object* TreeModel::GetItemData(Item item) const
{
    const Node* node = Find(item);
    return node ? node->data : nullptr;
}

bool TreeModel::SetItemData(Item item, Object* data)
{
    if (!Exists(item))
        return false;
    m_items[item].data = data;
    return true;
}

int TreeModel::GetItemImage(Item item) const
{
    const Node* node = Find(item);
    return node ? node->image : 0;
}

int TreeModel::GetItemSelectedImage(Item item) const
{
    const Node* node = Find(item);
    return node ? node->selectedImage : 0;
}

uint32_t TreeModel::GetItemState(Item item, uint32_t mask) const
{
    const Node* node = Find(item);
    return node ? node->state & mask : 0;
}

bool TreeModel::SetItemState(Item item, uint32_t state, uint32_t mask)
{
    if (!Exists(item))
        return false;
    Node& node = m_items[item];
    node.state = (node.state & ~mask) | (state & mask);
    return true;
}

void TreeModel::SelectItem(Item item)
{
    if (item != kNone && !Exists(item))
        return;
    SetItemState(m_selected, 0, kSelected);
    m_selected = item;
    SetItemState(item, kSelected, kSelected);
    EnsureVisible(item);
}

void TreeModel::SelectDropTarget(Item item)
{
    if (item != kNone && !Exists(item))
        return;
    SetItemState(m_dropHilite, 0, kDropHilited);
    m_dropHilite = item;
    SetItemState(item, kDropHilited, kDropHilited);
}

void TreeModel::EnsureVisible(Item item)
{
    if (!Exists(item))
        return;
    for (Item parent = GetParent(item); parent != kNone; parent = GetParent(parent))
        Expand(parent);
    m_ensureVisible = item;
}

TreeModel::Item TreeModel::TakeEnsureVisible()
{
    const Item item = m_ensureVisible;
    m_ensureVisible = kNone;
    return item;
}

bool TreeModel::IsAncestor(Item ancestor, Item item) const
{
    for (Item parent = GetParent(item); parent != kNone; parent = GetParent(parent))
        if (parent == ancestor)
            return true;
    return false;
}
