#include "editor/ui/ObjectsBrowserView.h"

#include "editor/MenuBar.h"
#include "editor/ui/Modals.h"
#include "editor/ui/Widgets.h"
#include "editor/ui/WindowPlacer.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"

#include <SDL.h>
#include <epoxy/gl.h>
#include <imgui.h>
#include <imgui_internal.h>

#include <algorithm>

namespace editor {

namespace {

constexpr int kIconSize = 20;
constexpr const char* kBrowserTitle = "Objects Browser";
constexpr const char* kCreateTitle = "Create Game Element";
constexpr float kCreateWidth = 300, kCreateHeight = 70;
constexpr const char* kTreeMenu = "##tree menu";
// Room for the icon before a row's text.
constexpr const char* kIconRoom = "    ";

ImTextureID TextureId(GLuint texture)
{
    return reinterpret_cast<ImTextureID>(static_cast<intptr_t>(texture));
}

}  // namespace

// One icon: its texture, or none without an OpenGL context.
struct ObjectsBrowserView::Icon {
    GLuint texture = 0;
    ~Icon()
    {
        if (texture)
            glDeleteTextures(1, &texture);
    }
};

namespace {

// The picture as RGBA with pure green transparent, in a texture when asked.
bool LoadIcon(const std::string& path, bool textures, GLuint& texture)
{
    SDL_Surface* loaded = SDL_LoadBMP(FileSystem::Instance()->ResolveDiskPath(path).c_str());
    if (!loaded)
        return false;
    SDL_Surface* rgba = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ABGR8888, 0);
    SDL_FreeSurface(loaded);
    if (!rgba)
        return false;
    std::vector<uint32_t> pixels(static_cast<size_t>(kIconSize * kIconSize), 0);
    SDL_LockSurface(rgba);
    for (int y = 0; y < std::min(kIconSize, rgba->h); ++y)
        for (int x = 0; x < std::min(kIconSize, rgba->w); ++x) {
            uint32_t p = static_cast<const uint32_t*>(rgba->pixels)[y * rgba->pitch / 4 + x];
            const bool green = (p & 0x00FFFFFFu) == 0x0000FF00u;
            pixels[static_cast<size_t>(y * kIconSize + x)] = green ? 0 : (p | 0xFF000000u);
        }
    SDL_UnlockSurface(rgba);
    SDL_FreeSurface(rgba);
    if (textures) {
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kIconSize, kIconSize, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    }
    return true;
}

}  // namespace

ObjectsBrowserView::ObjectsBrowserView(CObjectSettingsDialog& browser, Modals& modals)
    : m_browser(browser),
      m_tree(browser.Tree()),
      m_browserPlacer(std::make_unique<WindowPlacer>(browser.Position())),
      m_createPlacer(std::make_unique<WindowPlacer>(browser.CreateDialog().Position()))
{
    m_browser.SetChoosers(modals.MakeColorChooser(), modals.MakeFileChooser());
}

ObjectsBrowserView::~ObjectsBrowserView() = default;

void ObjectsBrowserView::LoadIcons(const std::string& wildcard, bool textures)
{
    m_icons.clear();
    m_browser.LoadIcons(wildcard, [&](const std::string& path) {
        auto icon = std::make_unique<Icon>();
        if (!LoadIcon(path, textures, icon->texture))
            return false;
        m_icons.push_back(std::move(icon));
        return true;
    });
}

void ObjectsBrowserView::Draw(const ViewRect& view, float dt)
{
    m_browser.BeginUiPass();
    m_browser.UpdateAttachments(dt);
    DrawBrowser(view, dt);
    DrawCreateDialog(view);
    DrawWindows(view);
}

void ObjectsBrowserView::AfterFrame()
{
    m_browser.EndUiPass();
    std::vector<int> commands;
    commands.swap(m_commands);
    for (int id : commands)
        m_browser.OnCommand(id);
    commands.swap(m_createCommands);
    for (int id : commands)
        m_browser.CreateDialog().OnCommand(id);
    if (m_openDoubleClick) {
        m_openDoubleClick = false;
        m_browser.OnDblClk();
    }
    // Views of windows that are gone.
    for (auto it = m_views.begin(); it != m_views.end();) {
        const bool open = std::any_of(m_browser.Windows().begin(), m_browser.Windows().end(),
                                      [&](const auto& entry) { return entry.dialog->GetSerial() == it->first; });
        it = open ? std::next(it) : m_views.erase(it);
    }
}

void ObjectsBrowserView::DrawBrowser(const ViewRect& view, float dt)
{
    if (!m_browser.IsVisible())
        return;
    m_browserPlacer->BeforeBegin(view, ImVec2(CObjectSettingsDialog::kShowSize, CObjectSettingsDialog::kShowSize));
    if (m_browser.TakePlacement()) {
        ImGui::SetNextWindowPos(view.origin, ImGuiCond_Always);
        ImGui::SetNextWindowSize(ImVec2(CObjectSettingsDialog::kShowSize, CObjectSettingsDialog::kShowSize), ImGuiCond_Always);
        ImGui::SetNextWindowCollapsed(false, ImGuiCond_Always);
        ImGui::SetNextWindowFocus();
    } else {
        ImGui::SetNextWindowSize(ImVec2(CObjectSettingsDialog::kShowSize, CObjectSettingsDialog::kShowSize), ImGuiCond_FirstUseEver);
    }
    bool open = true;
    const bool expanded = ImGui::Begin(kBrowserTitle, &open, ImGuiWindowFlags_MenuBar | ImGuiWindowFlags_NoSavedSettings);
    m_browser.SetCollapsed(!expanded);
    if (expanded) {
        DrawMenu();
        DrawTree(dt);
    }
    m_browserPlacer->AfterBegin(view);
    ImGui::End();
    if (!open)
        m_browser.Hide();
}

void ObjectsBrowserView::DrawMenu()
{
    if (!ImGui::BeginMenuBar())
        return;
    const auto& menu = CObjectSettingsDialog::Menu();
    for (size_t i = 0; i < menu.size();) {
        const char* popup = menu[i].popup;
        const bool open = ImGui::BeginMenu(MenuDisplayText(popup).c_str());
        for (; i < menu.size() && menu[i].popup == popup; ++i) {
            if (!open)
                continue;
            if (!menu[i].text)
                ImGui::Separator();
            else if (ImGui::MenuItem(MenuDisplayText(menu[i].text).c_str()))
                m_commands.push_back(menu[i].id);
        }
        if (open)
            ImGui::EndMenu();
    }
    ImGui::EndMenuBar();
}

void ObjectsBrowserView::DrawTree(float dt)
{
    ImGui::BeginChild("##tree", ImVec2(0, 0), true);
    m_rows.clear();
    m_toggled = false;
    const ImVec2 origin = ImGui::GetWindowPos();
    m_treeTop = origin.y;
    m_treeBottom = origin.y + ImGui::GetWindowHeight();
    m_rowHeight = ImGui::GetFrameHeight();
    for (TreeModel::Item item : std::vector<TreeModel::Item>(m_tree.GetChildren(TreeModel::kNone)))
        DrawItem(item);
    HandleMouse(dt);
    DrawContextMenu();
    ImGui::EndChild();
    DrawDragTooltip();
}

void ObjectsBrowserView::DrawIcon(int index, const ImVec2& at, float size, bool overlay) const
{
    ImDrawList* list = ImGui::GetWindowDrawList();
    const auto draw = [&](int i) {
        if (i >= 0 && i < static_cast<int>(m_icons.size()) && m_icons[static_cast<size_t>(i)]->texture)
            list->AddImage(TextureId(m_icons[static_cast<size_t>(i)]->texture), at, ImVec2(at.x + size, at.y + size));
    };
    draw(index);
    if (overlay && m_browser.HasOverlay())
        draw(CObjectSettingsDialog::kOverlayIcon);
}

void ObjectsBrowserView::DrawItem(TreeModel::Item item)
{
    const bool leaf = !m_tree.ItemHasChildren(item);
    ImGuiTreeNodeFlags flags = ImGuiTreeNodeFlags_OpenOnArrow | ImGuiTreeNodeFlags_SpanAvailWidth |
                               ImGuiTreeNodeFlags_FramePadding;
    if (leaf)
        flags |= ImGuiTreeNodeFlags_Leaf;
    if (m_tree.GetItemState(item, TreeModel::kSelected | TreeModel::kDropHilited))
        flags |= ImGuiTreeNodeFlags_Selected;
    if (TreeModel::Item wanted = m_tree.TakeEnsureVisible(); wanted != TreeModel::kNone) {
        if (wanted == item)
            ImGui::SetScrollHereY();
        else
            m_tree.EnsureVisible(wanted);
    }
    ImGui::SetNextItemOpen(m_tree.IsExpanded(item), ImGuiCond_Always);
    const bool editing = m_tree.GetEditItem() == item;
    const std::string label = editing ? std::string(kIconRoom) : kIconRoom + m_tree.GetItemText(item);
    const void* id = reinterpret_cast<const void*>(static_cast<intptr_t>(item));
    const bool open = ImGui::TreeNodeEx(id, flags, "%s", label.c_str());
    if (!leaf && open != m_tree.IsExpanded(item))
        m_tree.Expand(item, open);
    const ImVec2 min = ImGui::GetItemRectMin(), max = ImGui::GetItemRectMax();
    m_rows.push_back({item, min.y, max.y, min.x});
    if (ImGui::IsItemHovered() && ImGui::IsItemToggledOpen())
        m_toggled = true;
    const float iconX = min.x + ImGui::GetTreeNodeToLabelSpacing();
    const float size = std::min(static_cast<float>(kIconSize), max.y - min.y);
    DrawIcon(m_tree.GetItemImage(item), ImVec2(iconX, min.y), size, m_tree.GetOverlay(item) == 1);
    if (editing) {
        ImGui::SameLine(iconX + size + 4 - ImGui::GetWindowPos().x + ImGui::GetScrollX());
        DrawLabelEdit(item);
    }
    if (open && !leaf) {
        for (TreeModel::Item child : std::vector<TreeModel::Item>(m_tree.GetChildren(item)))
            if (m_tree.Exists(child))
                DrawItem(child);
        ImGui::TreePop();
    } else if (open) {
        ImGui::TreePop();
    }
}

void ObjectsBrowserView::DrawLabelEdit(TreeModel::Item)
{
    if (m_editFocus) {
        ImGui::SetKeyboardFocusHere();
        m_editFocus = false;
    }
    char buffer[CTreeCtrlX::kMaxLabelLength + 1] = {};
    m_editText.copy(buffer, CTreeCtrlX::kMaxLabelLength);
    const bool escape = ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape));
    ImGui::SetNextItemWidth(-1);
    ImGui::InputText("##label", buffer, sizeof buffer, ImGuiInputTextFlags_AutoSelectAll);
    if (ImGui::IsItemActive())
        m_editText = buffer;
    if (escape && (ImGui::IsItemActive() || ImGui::IsItemDeactivated())) {
        m_tree.OnEndLabelEdit(std::nullopt);
        return;
    }
    // Enter and a click away both end the edit, and commit it to its own item.
    if (ImGui::IsItemDeactivated())
        m_tree.OnEndLabelEdit(m_editText);
}

TreeModel::Item ObjectsBrowserView::RowAt(float y) const
{
    for (const Row& row : m_rows)
        if (y >= row.top && y < row.bottom && y >= m_treeTop && y < m_treeBottom)
            return row.item;
    return TreeModel::kNone;
}

void ObjectsBrowserView::HandleMouse(float dt)
{
    const ImGuiIO& io = ImGui::GetIO();
    const bool hovered = ImGui::IsWindowHovered(ImGuiHoveredFlags_AllowWhenBlockedByActiveItem);
    const TreeModel::Item hit = hovered ? RowAt(io.MousePos.y) : TreeModel::kNone;
    const bool editing = m_tree.GetEditItem() != TreeModel::kNone;
    // A click on a folder's arrow only opens or closes it: it neither selects, drags nor
    // renames.
    if (hovered && ImGui::IsMouseClicked(ImGuiMouseButton_Left) && !editing && m_toggled) {
        m_pressed = TreeModel::kNone;
        m_armed = TreeModel::kNone;
    } else if (hovered && ImGui::IsMouseClicked(ImGuiMouseButton_Left) && !editing) {
        m_pressed = hit;
        const bool slowSecond = hit != TreeModel::kNone && hit == m_tree.GetSelectedItem() && !ImGui::IsMouseDoubleClicked(0);
        m_armed = slowSecond ? hit : TreeModel::kNone;
        m_armedAt = ImGui::GetTime();
        m_tree.OnLButtonDown(hit);
    }
    if (hovered && hit != TreeModel::kNone && ImGui::IsMouseDoubleClicked(ImGuiMouseButton_Left)) {
        m_armed = TreeModel::kNone;
        m_openDoubleClick = true;
    }
    if (m_pressed != TreeModel::kNone && !m_tree.IsDragging() && ImGui::IsMouseDragging(ImGuiMouseButton_Left)) {
        m_armed = TreeModel::kNone;
        m_tree.OnBeginDrag(m_pressed);
    }
    if (m_tree.IsDragging()) {
        m_tree.OnMouseMove(hit);
        const int ticks = m_tree.AddDragTime(dt * 1000.0f);
        const TreeModel::Item first = RowAt(m_treeTop + ImGui::GetStyle().WindowPadding.y + 1);
        const int visible = m_rowHeight > 0 ? static_cast<int>((m_treeBottom - m_treeTop) / m_rowHeight) : 0;
        for (int i = 0; i < ticks; ++i) {
            const int direction = m_tree.OnTimerTick(static_cast<int>(io.MousePos.y), static_cast<int>(m_treeTop),
                                                     static_cast<int>(m_treeBottom), first, visible);
            if (direction)
                ImGui::SetScrollY(ImGui::GetScrollY() + direction * m_rowHeight);
        }
    }
    if (!ImGui::IsMouseDown(ImGuiMouseButton_Left)) {
        if (m_tree.IsDragging())
            m_tree.OnLButtonUp();
        else if (m_pressed != TreeModel::kNone)
            m_tree.SelectDropTarget(TreeModel::kNone);
        m_pressed = TreeModel::kNone;
        if (m_armed != TreeModel::kNone && ImGui::GetTime() - m_armedAt > io.MouseDoubleClickTime) {
            if (m_tree.OnBeginLabelEdit(m_armed)) {
                m_editText = m_tree.GetItemText(m_armed);
                m_editFocus = true;
            }
            m_armed = TreeModel::kNone;
        }
    }
    const bool focused = ImGui::IsWindowFocused(ImGuiFocusedFlags_RootAndChildWindows);
    if (focused && !editing && ImGui::IsKeyPressed(SDL_SCANCODE_F2) && m_tree.OnBeginLabelEdit(m_tree.GetSelectedItem())) {
        m_editText = m_tree.GetItemText(m_tree.GetSelectedItem());
        m_editFocus = true;
    }
    if (hovered && ImGui::IsMouseClicked(ImGuiMouseButton_Right))
        m_tree.OnRButtonDown(hit);
    if (hovered && ImGui::IsMouseReleased(ImGuiMouseButton_Right))
        m_tree.OnContextMenu(hit);
}

void ObjectsBrowserView::DrawContextMenu()
{
    if (m_tree.TakeMenuRequest() != TreeModel::kNone)
        ImGui::OpenPopup(kTreeMenu);
    if (!ImGui::BeginPopup(kTreeMenu))
        return;
    for (const auto& entry : ObjectsBrowserTreeCtrl::ContextMenu()) {
        if (!entry.id)
            ImGui::Separator();
        else if (ImGui::MenuItem(entry.text, nullptr, false, entry.enabled))
            m_commands.push_back(entry.id);
    }
    ImGui::EndPopup();
}

void ObjectsBrowserView::DrawDragTooltip()
{
    const TreeModel::Item item = m_tree.GetDragItem();
    if (!m_tree.IsDragging() || item == TreeModel::kNone)
        return;
    // Stands in for the drag image.
    ImGui::BeginTooltip();
    const ImVec2 at = ImGui::GetCursorScreenPos();
    DrawIcon(m_tree.GetItemImage(item), at, kIconSize, false);
    ImGui::Dummy(ImVec2(kIconSize, kIconSize));
    ImGui::SameLine();
    ImGui::TextUnformatted(m_tree.GetItemText(item).c_str());
    ImGui::EndTooltip();
}

void ObjectsBrowserView::DrawCreateDialog(const ViewRect& view)
{
    CCreateGameElementDialog& dialog = m_browser.CreateDialog();
    if (!dialog.IsVisible())
        return;
    m_createPlacer->BeforeBegin(view, ImVec2(kCreateWidth, kCreateHeight));
    bool open = true;
    ImGui::Begin(kCreateTitle, &open, ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoSavedSettings);
    const auto& names = dialog.GetNames();
    const int selection = dialog.GetSelection();
    ImGui::SetNextItemWidth(180);
    if (ImGui::BeginCombo("##class", selection >= 0 ? names[static_cast<size_t>(selection)].c_str() : "")) {
        for (size_t i = 0; i < names.size(); ++i)
            if (ImGui::Selectable(names[i].c_str(), static_cast<int>(i) == selection))
                dialog.SetSelection(static_cast<int>(i));
        ImGui::EndCombo();
    }
    ImGui::SameLine();
    if (ImGui::Button("Create"))
        m_createCommands.push_back(CCreateGameElementDialog::kCreateId);
    ImGui::SameLine();
    if (ImGui::Button("OK"))
        m_createCommands.push_back(CCreateGameElementDialog::kOkId);
    m_createPlacer->AfterBegin(view);
    ImGui::End();
    if (!open)
        dialog.Hide();
}

void ObjectsBrowserView::DrawWindows(const ViewRect& viewRect)
{
    int cascade = 0;
    for (auto& entry : m_browser.Windows()) {
        if (entry.closed)
            continue;
        const int serial = entry.dialog->GetSerial();
        auto& view = m_views[serial];
        if (!view)
            view = std::make_unique<InputDialogView>(*entry.dialog);
        float top = static_cast<float>(entry.y);
        if (entry.placePending) {
            ImGui::SetNextWindowPos(ImVec2(static_cast<float>(entry.x), static_cast<float>(entry.y)), ImGuiCond_Always);
            entry.placePending = false;
        } else if (!entry.placeKnown) {
            // A new window opens at the view's right edge, clear of the browser at its left.
            const float step = ImGui::GetFrameHeight() * static_cast<float>(cascade);
            const float x = viewRect.origin.x + viewRect.size.x - static_cast<float>(entry.dialog->GetWidth()) - step;
            top = viewRect.origin.y + step;
            ImGui::SetNextWindowPos(ImVec2(std::max(viewRect.origin.x, x), top), ImGuiCond_Always);
        }
        ++cascade;
        // Its bottom, buttons and all, within the game's window.
        view->Draw(std::max(viewRect.origin.y + viewRect.size.y - top, ImGui::GetFrameHeight() * 4));
        const std::string name = entry.dialog->GetLabel() + "###" + std::to_string(serial);
        if (const ImGuiWindow* window = ImGui::FindWindowByName(name.c_str())) {
            entry.placeKnown = true;
            entry.x = static_cast<int>(window->Pos.x);
            entry.y = static_cast<int>(window->Pos.y);
        }
    }
}

bool ObjectsBrowserView::GetRowCentre(TreeModel::Item item, float& x, float& y) const
{
    for (const Row& row : m_rows)
        if (row.item == item) {
            x = row.left + 60;
            y = (row.top + row.bottom) / 2;
            return true;
        }
    return false;
}

}  // namespace editor
