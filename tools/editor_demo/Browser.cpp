// Runs the game windowed under the offscreen driver with the objects browser over the casts
// of the first stadium, and drives it with scripted mouse events: Edit > Objects Browser,
// "Create Game Element" with "GeParticleSystem", a double click on the new element, its
// "Base Position" applied, a drag into "New Folder", and "Delete" from the context menu with
// the element's window open. The game state is the game's own, with the script run after
// each of its updates.
//     editor_demo browser <game folder> <picture folder>

#include "editor/ObjectSettingsDialog.h"
#include "editor/ui/MainFrame.h"
#include "editor/ui/ObjectsBrowserView.h"
#include "engine/core/RwImage.h"
#include "framework/Cast.h"
#include "framework/Factory.h"
#include "framework/FileSystem.h"
#include "framework/GameState.h"
#include "game/GameTB.h"
#include "scene/GameElement.h"
#include "scene/RwGraphics.h"
#include "scene/World.h"
#include "shell/MainApp.h"
#include "shell/RenderWindow.h"
#include "tools/editor_demo/Modes.h"
#include "tools/editor_script/EditorScript.h"

#include <SDL.h>
#include <imgui.h>
#include <imgui_internal.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace editor_script;

std::string g_pictures;
Capture g_capture("editor_demo browser");

// The game state itself, on the first stadium's casts as a match loads them, with the
// script's next step run after each of its updates.
class ScriptedGame : public GameTB {
public:
    bool Enter() override;
    bool Exit() override;
    void Update(float dt) override;

private:
    void Script();
    void OpenBrowser();
    void CreateElement();
    void ApplyBasePosition();
    void DragIntoFolder();
    void DeleteWithWindowOpen();
    void Add(int wait, std::function<void()> act) { m_script.steps.push_back({wait, std::move(act)}); }
    void Click(ImVec2 at, Uint8 button = SDL_BUTTON_LEFT) { m_script.Click(at, button); }
    ImVec2 RowWhere(const std::function<bool(TreeModel::Item)>& wanted) const;
    ImVec2 RowOf(const Object* object) const;
    ImVec2 RowLabelled(const std::string& label) const;
    static bool IconShows(const std::string& picture, ImVec2 row, const char* icon);
    ImVec2 WindowControl(const std::string& label, size_t index) const;
    const CObjectSettingsDialog::PropertyWindowEntry* ElementWindow() const;
    // The ImGui name of the element's property window; empty when none is open.
    std::string ElementWindowName() const;
    bool InGame(const Object* object) const;
    static bool InWorld(const RenderObject* object);

    editor_script::Script m_script;
    CObjectSettingsDialog* m_browser = nullptr;
    editor::ObjectsBrowserView* m_view = nullptr;
    Object* m_element = nullptr;
    RenderObject* m_renderObject = nullptr;  // the element's, for the world's list
    float m_doubleClickTime = 0.0f;           // the interface's own, while the script's clicks run
};

bool ScriptedGame::Enter()
{
    GameTB::Enter();
    FileSystem* files = FileSystem::Instance();
    files->AddAlias("<LP>", "data\\pc\\level01\\");
    files->AddAlias("<SP>", "data\\pc\\level01\\settings\\");
    GetElements().LoadOrSaveCasts(true, true, false);
    m_browser = dynamic_cast<CObjectSettingsDialog*>(GetObjectsBrowser());
    m_view = theApp.GetMainFrame() ? theApp.GetMainFrame()->GetObjectsBrowser() : nullptr;
    Check(m_browser && m_view, "the game state gives the editor frame its objects browser");
    const Cast* objects = CastManager::Instance()->GetCast("objects");
    Check(objects && objects->GetMemberCount() > 0, "the stadium's objects load");
    if (!m_browser || !m_view) {
        m_script.steps.push_back({0, [] { CloseRenderWindow(); }});
        return true;
    }
    std::printf("icons: %d loaded, overlay %s\n", m_view->GetLoadedIconCount(), m_browser->HasOverlay() ? "yes" : "no");
    platform::SetPresentHook(&g_capture);
    Script();
    return true;
}

bool ScriptedGame::Exit()
{
    platform::SetPresentHook(theApp.GetMainFrame());
    return GameTB::Exit();
}

void ScriptedGame::Update(float dt)
{
    GameTB::Update(dt);
    m_script.Tick();
}

bool ScriptedGame::InGame(const Object* object) const
{
    const std::vector<GameElement*>& elements = GetElements().GetGameElements();
    return std::find(elements.begin(), elements.end(), object) != elements.end();
}

// Compared by address only: the element may be gone.
bool ScriptedGame::InWorld(const RenderObject* object)
{
    const World* world = RwGraphics::Instance()->GetWorld();
    if (!world || !object)
        return false;
    const auto& objects = world->GetRenderObjects();
    return std::find(objects.begin(), objects.end(), object) != objects.end();
}

ImVec2 ScriptedGame::RowWhere(const std::function<bool(TreeModel::Item)>& wanted) const
{
    const ObjectsBrowserTreeCtrl& tree = m_browser->Tree();
    for (TreeModel::Item item = tree.GetRootItem(); item != TreeModel::kNone; item = tree.GetNextItemInOrder(item))
        if (wanted(item)) {
            ImVec2 at(-1, -1);
            m_view->GetRowCentre(item, at.x, at.y);
            return at;
        }
    return ImVec2(-1, -1);
}

ImVec2 ScriptedGame::RowOf(const Object* object) const
{
    return RowWhere([&](TreeModel::Item item) { return object && m_browser->Tree().GetItemData(item) == object; });
}

// Whether the captured picture holds, on the row's centre line left of its label, the colour
// at the middle of the icon file: an icon whose texture took no pixels draws a black square.
bool ScriptedGame::IconShows(const std::string& picture, ImVec2 row, const char* icon)
{
    SDL_Surface* loaded = SDL_LoadBMP(FileSystem::Instance()->ResolveDiskPath(icon).c_str());
    SDL_Surface* file = loaded ? SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ABGR8888, 0) : nullptr;
    SDL_FreeSurface(loaded);
    RwImage* shot = RtPngImageRead(picture.c_str());
    bool shown = false;
    if (file && shot && row.y >= 0 && row.y < shot->height) {
        const auto* middle = static_cast<const Uint8*>(file->pixels) + (file->h / 2) * file->pitch + (file->w / 2) * 4;
        const RwUInt8* line = shot->pixels + static_cast<size_t>(row.y) * shot->stride;
        for (int x = std::max(0, static_cast<int>(row.x) - 60); x < std::min(shot->width, static_cast<int>(row.x)) && !shown; ++x)
            shown = std::abs(line[x * 4] - middle[0]) <= 2 && std::abs(line[x * 4 + 1] - middle[1]) <= 2 &&
                    std::abs(line[x * 4 + 2] - middle[2]) <= 2;
    }
    if (shot)
        RwImageDestroy(shot);
    SDL_FreeSurface(file);
    return shown;
}

ImVec2 ScriptedGame::RowLabelled(const std::string& label) const
{
    return RowWhere([&](TreeModel::Item item) { return m_browser->Tree().GetItemText(item) == label; });
}

const CObjectSettingsDialog::PropertyWindowEntry* ScriptedGame::ElementWindow() const
{
    for (const auto& entry : m_browser->Windows())
        if (!entry.closed && entry.object == m_element)
            return &entry;
    return nullptr;
}

std::string ScriptedGame::ElementWindowName() const
{
    const auto* entry = ElementWindow();
    return entry ? entry->dialog->GetLabel() + "###" + std::to_string(entry->dialog->GetSerial()) : std::string();
}

ImVec2 ScriptedGame::WindowControl(const std::string& label, size_t index) const
{
    const auto* entry = ElementWindow();
    return entry ? DialogControlAt(ElementWindowName(), *entry->dialog, label, index) : ImVec2(-1, -1);
}

void ScriptedGame::Script()
{
    Add(5, [] {});
    OpenBrowser();
    CreateElement();
    ApplyBasePosition();
    DragIntoFolder();
    DeleteWithWindowOpen();
    Add(5, [] { CloseRenderWindow(); });
}

// Edit > Objects Browser: the frame sends "show objectsettings", the game shows it.
void ScriptedGame::OpenBrowser()
{
    Add(3, [this] { Click(MenuAt("Edit")); });
    Add(3, [this] { Click(PopupRowAt(0)); });
    Add(0, [this] {
        const ImGuiWindow* w = ImGui::FindWindowByName("Objects Browser");
        Check(m_browser->IsVisible() && w && w->Pos.y == theApp.GetMainFrame()->GetViewRect().origin.y,
              "Edit > Objects Browser shows the browser at the view's corner");
    });
}

// "Create Game Element" from the browser's own Edit menu, then "GeParticleSystem" and "OK".
void ScriptedGame::CreateElement()
{
    Add(3, [this] {
        const ImGuiWindow* w = ImGui::FindWindowByName("Objects Browser");
        const ImGuiStyle& style = ImGui::GetStyle();
        const float file = ImGui::CalcTextSize("File").x, edit = ImGui::CalcTextSize("Edit").x;
        if (w)
            Click(ImVec2(w->Pos.x + std::max(style.WindowPadding.x, style.ItemSpacing.x) + file + style.ItemSpacing.x * 2.5f +
                             edit / 2,
                         w->Pos.y + ImGui::GetFrameHeight() * 1.5f));
    });
    Add(3, [this] { Click(PopupRowAt(1.35f)); });
    Add(3, [this] {
        CCreateGameElementDialog& create = m_browser->CreateDialog();
        Check(create.IsVisible(), "Create Game Element shows its dialog");
        const auto& names = create.GetNames();
        for (size_t i = 0; i < names.size(); ++i)
            if (names[i] == "GeParticleSystem")
                create.SetSelection(static_cast<int>(i));
        const ImGuiWindow* w = ImGui::FindWindowByName("Create Game Element");
        if (w)
            Click(ImVec2(w->DC.CursorStartPos.x + 180 + ImGui::GetStyle().ItemSpacing.x + 20,
                         w->DC.CursorStartPos.y + ImGui::GetFrameHeight() / 2));
    });
    Add(3, [this] {
        CastMember* member = CastManager::Instance()->GetCast("objects")->FindByName("GeParticleSystem_1");
        m_element = member ? member->object : nullptr;
        Check(m_element != nullptr, "\"Create\" adds GeParticleSystem_1 under \"objects\"");
        m_renderObject = dynamic_cast<RenderObject*>(m_element);
        Check(InGame(m_element) && InWorld(m_renderObject), "the game keeps the new element in its world");
        // Without it the rest has nothing to act on: straight to the end.
        if (!m_element)
            m_script.SkipToLast();
    });
    Add(3, [this] {
        const ImGuiWindow* w = ImGui::FindWindowByName("Create Game Element");
        const ImGuiStyle& style = ImGui::GetStyle();
        const float create = ImGui::CalcTextSize("Create").x + style.FramePadding.x * 2;
        if (w)
            Click(ImVec2(w->DC.CursorStartPos.x + 180 + style.ItemSpacing.x * 2 + create + 8,
                         w->DC.CursorStartPos.y + ImGui::GetFrameHeight() / 2));
    });
    Add(3, [this] { Check(!m_browser->CreateDialog().IsVisible(), "\"OK\" hides the create dialog"); });
}

// A double click on the element's row opens its property window; there "Base Position" x is
// set to 12.5 and applied.
void ScriptedGame::ApplyBasePosition()
{
    // The clicks come a frame apart, and a frame on a busy machine can outlast the double click
    // time: the script's double click must not depend on the machine's speed.
    Add(1, [this] { m_doubleClickTime = std::exchange(ImGui::GetIO().MouseDoubleClickTime, 60.0f); });
    for (bool down : {true, false, true, false})
        Add(1, [this, down] { Button(RowOf(m_element), down); });
    Add(5, [this] {
        ImGui::GetIO().MouseDoubleClickTime = m_doubleClickTime;
        Check(ElementWindow() != nullptr, "a double click opens the element's window");
    });
    Add(3, [] { g_capture.pending = g_pictures + "/objects_browser.png"; });
    Add(1, [this] {
        Check(IconShows(g_pictures + "/objects_browser.png", RowLabelled("penalties"), "data\\icons\\folder.bmp"),
              "a folder's row shows the folder's icon");
    });
    Add(2, [this] { Click(WindowControl("Base Position", 1)); });
    Add(3, [] {
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.keysym.scancode = SDL_SCANCODE_A;
        e.key.keysym.sym = SDLK_a;
        e.key.keysym.mod = KMOD_LCTRL;
        Push(e);
        e.type = SDL_KEYUP;
        Push(e);
        Type("12.5");
    });
    Add(3, [this] {
        const auto* entry = ElementWindow();
        if (!entry)
            return;
        const ImGuiWindow* w = ImGui::FindWindowByName(ElementWindowName().c_str());
        const CInputDialog::Rect apply = entry->dialog->GetBottomControl(CInputDialog::kApplyId);
        if (w)
            Click(ImVec2(w->Pos.x + (apply.left + apply.right) / 2.0f,
                         w->Pos.y + ImGui::GetFrameHeight() + (apply.top + apply.bottom) / 2.0f));
    });
    Add(3, [this] {
        auto* element = dynamic_cast<GameElement*>(m_element);
        const Vector3 p = element ? element->GetPosition() : Vector3{};
        std::printf("Base Position after Apply: %g %g %g\n", p.x, p.y, p.z);
        Check(element && p.x == 12.5f, "\"Base Position\" applied moves the element");
    });
}

// Edit > Create Folder, then the element dragged into "New Folder".
void ScriptedGame::DragIntoFolder()
{
    Add(3, [this] { m_browser->OnCommand(CObjectSettingsDialog::kNewFolder); });
    // The new folder comes last: the wheel scrolls the tree down to it.
    Add(3, [this] {
        Move(RowOf(m_element));
        SDL_Event e{};
        e.type = SDL_MOUSEWHEEL;
        e.wheel.y = -20;
        Push(e);
    });
    Add(3, [this] {
        std::printf("name before the drag: %s\n", m_element->GetName());
        Button(RowOf(m_element), true);
    });
    Add(2, [this] {
        const ImVec2 from = RowOf(m_element);
        Move(ImVec2(from.x, from.y + 10));
    });
    Add(2, [this] { Move(RowLabelled("New Folder")); });
    Add(2, [this] { Button(RowLabelled("New Folder"), false); });
    Add(3, [this] {
        std::printf("name after the drag: %s\n", m_element->GetName());
        Check(std::string(m_element->GetName()) == "New Folder|GeParticleSystem_1", "the drag renames the element");
    });
}

// "Delete" from the context menu with the window open: the window closes first.
void ScriptedGame::DeleteWithWindowOpen()
{
    Add(3, [this] { Click(RowOf(m_element), SDL_BUTTON_RIGHT); });
    Add(3, [this] { Click(PopupRowAt(3.35f)); });
    Add(3, [this] {
        Check(CastManager::Instance()->GetCast("objects")->FindByName("New Folder|GeParticleSystem_1") == nullptr,
              "\"Delete\" deletes the element");
        Check(m_browser->Windows().empty(), "its property window closed with it");
        Check(!InGame(m_element) && !InWorld(m_renderObject), "the game let go of it and took it out of the world");
        g_capture.pending = g_pictures + "/objects_browser_deleted.png";
    });
}

}  // namespace

int BrowserDemo(int argc, char** argv)
{
    return RunDemo("editor_demo browser", argc, argv, g_pictures, [] { return static_cast<GameState*>(new ScriptedGame); });
}
