#include "editor/TreeCtrlX.h"

#include "editor/ObjectsBrowserEvents.h"
#include "framework/Cast.h"
#include "framework/Debug.h"
#include "framework/Object.h"

#include <algorithm>
#include <cstring>
#include <set>

void CTreeCtrlX::OnBeginDrag(Item item)
{
    if (!Exists(item))
        return;
    m_dragItem = item;
    m_dropItem = kNone;
    m_dragging = true;
    m_ticks = 0;
    m_timerMs = 0;
}

void CTreeCtrlX::OnMouseMove(Item hit)
{
    if (!m_dragging || hit == kNone)
        return;
    SelectDropTarget(hit);
    m_dropItem = hit;
}

void CTreeCtrlX::OnLButtonDown(Item hit)
{
    if (hit == kNone)
        return;
    SelectDropTarget(hit);
    SelectItem(hit);
}

void CTreeCtrlX::OnRButtonDown(Item hit)
{
    if (hit == kNone)
        return;
    m_remembered = GetSelectedItem();
    SelectDropTarget(hit);
}

void CTreeCtrlX::OnContextMenu(Item hit)
{
    if (hit != kNone) {
        ShowContextMenu(hit);
        SetItemState(hit, 0, kDropHilited);
    }
    if (m_remembered != kNone) {
        SelectDropTarget(m_remembered);
        m_remembered = kNone;
    }
}

int CTreeCtrlX::AddDragTime(float ms)
{
    if (!m_dragging)
        return 0;
    m_timerMs += ms;
    int ticks = 0;
    while (m_timerMs >= kTimerMs) {
        m_timerMs -= kTimerMs;
        ++ticks;
    }
    return ticks;
}

int CTreeCtrlX::ScrollSlowdown(int d)
{
    return std::max(1, 6 - d / 20);
}

int CTreeCtrlX::OnTimerTick(int cursorY, int top, int bottom, Item firstVisible, int visibleCount)
{
    ++m_ticks;
    int direction = 0;
    int d = 0;
    if (cursorY < top + kScrollBand) {
        direction = -1;
        d = top - cursorY + kScrollBand;
    } else if (cursorY > bottom - kScrollBand) {
        direction = 1;
        d = cursorY - bottom + kScrollBand;
    }
    if (direction == 0 || m_ticks % static_cast<unsigned>(ScrollSlowdown(d)) != 0)
        return 0;
    Item edge = firstVisible;
    if (direction > 0)
        for (int i = 0; i < visibleCount - 1 && edge != kNone; ++i)
            edge = GetNextVisibleItem(edge);
    if (edge != kNone) {
        SelectDropTarget(edge);
        m_dropItem = edge;
    }
    return direction;
}

void CTreeCtrlX::OnLButtonUp()
{
    if (m_dragging)
        Drop();
}

void CTreeCtrlX::Drop()
{
    m_dragging = false;
    SelectDropTarget(kNone);
    const Item drag = m_dragItem, drop = m_dropItem;
    m_dragItem = m_dropItem = kNone;
    // The tree may have been rebuilt under the drag.
    if (!Exists(drag) || (drop != kNone && !Exists(drop)))
        return;
    if (drop == drag || IsAncestor(drag, drop))
        return;
    const Item target = drop != kNone && GetItemData(drop) ? GetParent(drop) : drop;
    if (!AcceptsDrop(drag, target))
        return;
    Expand(target);
    const Item copy = CopyBranch(drag, target, kLast);
    DeleteItem(drag);
    SelectItem(copy);
}

bool CTreeCtrlX::OnBeginLabelEdit(Item item)
{
    if (!Exists(item))
        return false;
    m_editItem = item;
    return true;
}

bool CTreeCtrlX::OnEndLabelEdit(std::optional<std::string> text)
{
    LabelEdit edit{m_editItem, std::move(text)};
    m_editItem = kNone;
    if (!Exists(edit.item))
        return false;
    if (edit.text && edit.text->size() > kMaxLabelLength)
        edit.text->resize(kMaxLabelLength);
    if (!OnLabelEdited(edit) || !edit.text)
        return false;
    SetItemText(edit.item, *edit.text);
    return true;
}

TreeModel::Item CTreeCtrlX::CopyItem(Item item, Item newParent, Item after)
{
    const Item copy = InsertItem(GetItemText(item), GetItemImage(item), GetItemSelectedImage(item), newParent, after);
    if (copy == kNone)
        return kNone;
    SetItemData(copy, GetItemData(item));
    const uint32_t kept = kStateImageMask | kOverlayMask;
    SetItemState(copy, GetItemState(item, kept), kept);
    OnItemCopied(item, copy);
    return copy;
}

TreeModel::Item CTreeCtrlX::CopyBranch(Item item, Item newParent, Item after)
{
    const Item copy = CopyItem(item, newParent, after);
    if (copy == kNone)
        return kNone;
    for (Item child = GetChild(item); child != kNone; child = GetNextSibling(child))
        CopyBranch(child, copy, kLast);
    return copy;
}

TreeModel::Item CTreeCtrlX::GetNextItemInOrder(Item item) const
{
    if (const Item child = GetChild(item); child != kNone)
        return child;
    for (Item at = item; at != kNone; at = GetParent(at))
        if (const Item next = GetNextSibling(at); next != kNone)
            return next;
    return kNone;
}

TreeModel::Item CTreeCtrlX::GetNextVisibleItem(Item item) const
{
    if (IsExpanded(item) && GetChild(item) != kNone)
        return GetChild(item);
    for (Item at = item; at != kNone; at = GetParent(at))
        if (const Item next = GetNextSibling(at); next != kNone)
            return next;
    return kNone;
}

// ObjectsBrowserTreeCtrl

const std::vector<ObjectsBrowserTreeCtrl::MenuEntry>& ObjectsBrowserTreeCtrl::ContextMenu()
{
    static const std::vector<MenuEntry> kMenu = {
        {"Copy Settings", kCopySettings, true},
        {"Paste Settings", kPasteSettings, true},
        {"", 0, false},
        {"Clone", kClone, false},
        {"Delete", kDelete, true},
    };
    return kMenu;
}

std::string ObjectsBrowserTreeCtrl::GetItemPath(Item item) const
{
    std::string path;
    for (Item at = item; at != kNone; at = GetParent(at))
        path = path.empty() ? GetItemText(at) : GetItemText(at) + "|" + path;
    return path;
}

void ObjectsBrowserTreeCtrl::ShowContextMenu(Item item)
{
    m_menuItem = item;
    m_menuRequest = item;
}

TreeModel::Item ObjectsBrowserTreeCtrl::TakeMenuRequest()
{
    const Item item = m_menuRequest;
    m_menuRequest = kNone;
    return item;
}

bool ObjectsBrowserTreeCtrl::OnCommand(int id)
{
    const char* event = nullptr;
    switch (id) {
    case kCopySettings: event = browser_events::kCopySettings; break;
    case kPasteSettings: event = browser_events::kPasteSettings; break;
    case kClone: event = browser_events::kCloneObject; break;
    case kDelete: event = browser_events::kDeleteObject; break;
    default: return false;
    }
    // The item the menu was opened on, not the caret: a right click does not select.
    const Item item = m_menuItem;
    m_menuItem = kNone;
    if (Exists(item))
        browser_events::Send(event, GetItemData(item), GetItemText(item));
    return true;
}

bool ObjectsBrowserTreeCtrl::OnLabelEdited(const LabelEdit& edit)
{
    if (!edit.text)
        return false;
    Object* object = GetItemData(edit.item);
    if (!object)
        return true;
    return browser_events::Send(browser_events::kRenameObject, object, *edit.text) != 0;
}

void ObjectsBrowserTreeCtrl::OnItemCopied(Item, Item newItem)
{
    if (Object* object = GetItemData(newItem))
        object->SetName(GetItemPath(newItem).c_str());
}

namespace {

// The cast holding the object, or null.
const Cast* CastOf(const Object* object)
{
    CastManager* casts = CastManager::Instance();
    for (int c = 0; c < casts->GetCastCount(); ++c) {
        const Cast* cast = casts->GetCastAt(c);
        for (int m = 0; m < cast->GetMemberCount(); ++m)
            if (cast->GetMember(m)->object == object)
                return cast;
    }
    return nullptr;
}

}  // namespace

bool ObjectsBrowserTreeCtrl::AcceptsDrop(Item item, Item target)
{
    // Each object of the branch with the name it would take.
    std::vector<std::pair<Object*, std::string>> moved;
    std::set<const Object*> moving;
    const std::string base = target == kNone ? std::string() : GetItemPath(target) + "|";
    const std::string from = GetItemPath(GetParent(item));
    const size_t cut = from.empty() ? 0 : from.size() + 1;
    for (Item at = item; at != kNone; at = GetNextItemInOrder(at)) {
        if (at != item && !IsAncestor(item, at))
            break;
        if (Object* object = GetItemData(at)) {
            moved.emplace_back(object, base + GetItemPath(at).substr(cut));
            moving.insert(object);
        }
    }
    for (const auto& [object, name] : moved) {
        const Cast* cast = CastOf(object);
        for (int m = 0; cast && m < cast->GetMemberCount(); ++m) {
            const Object* other = cast->GetMember(m)->object;
            if (other && !moving.count(other) && other->GetName() && name == other->GetName()) {
                LogMessageBox("name not unique");
                return false;
            }
        }
    }
    return true;
}
