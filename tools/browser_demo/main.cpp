// Runs the game windowed under the offscreen driver with the objects browser over the casts
// of the first stadium, and drives it with scripted mouse events: Edit > Objects Browser,
// "Create Game Element" with "GeParticleSystem", a double click on the new element, its
// "Base Position" applied, a drag into "New Folder", and "Delete" from the context menu with
// the element's window open. The game state of the game itself does not exist yet: a
// stand-in state holds the casts and answers the browser's events as the game will.
//     browser_demo <game folder> <picture folder>

#include "editor/ObjectSettingsDialog.h"
#include "editor/ObjectsBrowserEvents.h"
#include "editor/ui/MainFrame.h"
#include "editor/ui/ObjectsBrowserView.h"
#include "framework/Cast.h"
#include "framework/Factory.h"
#include "framework/FileSystem.h"
#include "framework/GameState.h"
#include "scene/GameElement.h"
#include "shell/EditorProxyAttachment.h"
#include "shell/MainApp.h"
#include "shell/RenderWindow.h"
#include "tools/editor_script/EditorScript.h"

#include <SDL.h>
#include <imgui.h>
#include <imgui_internal.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace editor_script;

std::string g_pictures;
Capture g_capture("browser_demo");

// Stands in for the game's state: the first stadium on screen, its casts in the browser,
// and the browser's events answered as the game state answers them.
class StandInGame : public GameState {
public:
    bool Enter() override;
    bool Exit() override;
    void Update(float dt) override;
    void Render() override;
    int HandleEvent(const char* event, intptr_t a, intptr_t b) override;

private:
    void Refresh();
    void Script();
    void Click(ImVec2 at, Uint8 button = SDL_BUTTON_LEFT) { m_script.Click(at, button); }
    ImVec2 RowOf(const Object* object) const;
    ImVec2 RowLabelled(const std::string& label) const;
    ImVec2 WindowControl(const std::string& label, size_t index) const;
    const CObjectSettingsDialog::PropertyWindowEntry* ElementWindow() const;

    StadiumView m_stadium;
    editor_script::Script m_script;
    std::unique_ptr<CObjectSettingsDialog> m_browser;
    std::unique_ptr<editor::ObjectsBrowserView> m_view;
    Object* m_element = nullptr;
    int m_counter = 0;
};

bool StandInGame::Enter()
{
    m_stadium.Open();
    Cast* objects = CastManager::Instance()->CreateCast("objects");
    Check(LoadSettings(objects, "<SP>objects\\objects.txt"), "the stadium's objects load");

    CMainFrame* frame = theApp.GetMainFrame();
    m_browser = std::make_unique<CObjectSettingsDialog>();
    m_browser->SetAttachmentMaker(&AttachEditorProxy);
    m_view = std::make_unique<editor::ObjectsBrowserView>(*m_browser, frame->GetModals());
    m_view->LoadIcons("data\\icons\\*.bmp", true);
    std::printf("icons: %d loaded, overlay %s\n", m_view->GetLoadedIconCount(), m_browser->HasOverlay() ? "yes" : "no");
    frame->SetObjectsBrowser(m_view.get());
    Refresh();
    platform::SetPresentHook(&g_capture);
    Script();
    return true;
}

bool StandInGame::Exit()
{
    platform::SetPresentHook(theApp.GetMainFrame());
    if (CMainFrame* frame = theApp.GetMainFrame())
        frame->SetObjectsBrowser(nullptr);
    m_view.reset();
    m_browser.reset();
    m_stadium.Close();
    CastManager::Instance()->DeleteAll();
    return true;
}

void StandInGame::Refresh()
{
    m_browser->ClearTree();
    for (int c = 0; c < CastManager::Instance()->GetCastCount(); ++c) {
        const Cast* cast = CastManager::Instance()->GetCastAt(c);
        m_browser->InsertObject(*cast, cast->GetName());
    }
}

int StandInGame::HandleEvent(const char* event, intptr_t a, intptr_t b)
{
    Cast* objects = CastManager::Instance()->GetCast("objects");
    if (std::strcmp(event, "show objectsettings") == 0) {
        m_browser->Show();
    } else if (std::strcmp(event, browser_events::kCreateGameElement) == 0) {
        const char* name = reinterpret_cast<const char*>(a);
        Object* element = FactoryRegistry::GameElements().Create(name);
        if (!element)
            return 0;
        const std::string member = std::string(name) + "_" + std::to_string(++m_counter);
        objects->AddMember(element, member.c_str(), true);
        Refresh();
        m_browser->SelectObject(element);
    } else if (std::strcmp(event, browser_events::kDeleteObject) == 0) {
        Object* object = reinterpret_cast<Object*>(a);
        if (!dynamic_cast<GameElement*>(object))
            return 0;
        // The browser first: its windows on the element close before it goes.
        m_browser->OnObjectFreeing(object);
        objects->RemoveMember(object);
        Refresh();
    } else if (std::strcmp(event, browser_events::kRenameObject) == 0) {
        return 1;
    } else {
        static_cast<void>(b);
    }
    return 0;
}

void StandInGame::Update(float)
{
    m_script.Tick();
}

void StandInGame::Render()
{
    m_stadium.Render([this] { m_browser->RenderAttachments(); });
}

ImVec2 StandInGame::RowOf(const Object* object) const
{
    const ObjectsBrowserTreeCtrl& tree = m_browser->Tree();
    for (TreeModel::Item item = tree.GetRootItem(); item != TreeModel::kNone; item = tree.GetNextItemInOrder(item))
        if (object && tree.GetItemData(item) == object) {
            ImVec2 at(-1, -1);
            m_view->GetRowCentre(item, at.x, at.y);
            return at;
        }
    return ImVec2(-1, -1);
}

ImVec2 StandInGame::RowLabelled(const std::string& label) const
{
    const ObjectsBrowserTreeCtrl& tree = m_browser->Tree();
    for (TreeModel::Item item = tree.GetRootItem(); item != TreeModel::kNone; item = tree.GetNextItemInOrder(item))
        if (tree.GetItemText(item) == label) {
            ImVec2 at(-1, -1);
            m_view->GetRowCentre(item, at.x, at.y);
            return at;
        }
    return ImVec2(-1, -1);
}

const CObjectSettingsDialog::PropertyWindowEntry* StandInGame::ElementWindow() const
{
    for (const auto& entry : m_browser->Windows())
        if (!entry.closed && entry.object == m_element)
            return &entry;
    return nullptr;
}

ImVec2 StandInGame::WindowControl(const std::string& label, size_t index) const
{
    const auto* entry = ElementWindow();
    if (!entry)
        return ImVec2(-1, -1);
    const std::string name = entry->dialog->GetLabel() + "###" + std::to_string(entry->dialog->GetSerial());
    const ImGuiWindow* w = ImGui::FindWindowByName(name.c_str());
    for (const auto& widget : entry->dialog->Widgets())
        if (w && !widget->Controls().empty() && widget->Controls()[0].text == label && index < widget->Controls().size()) {
            const DialogControl& c = widget->Controls()[index];
            return ImVec2(w->Pos.x - w->Scroll.x + (c.left + c.right) / 2.0f,
                          w->Pos.y - w->Scroll.y + ImGui::GetFrameHeight() + (c.top + c.bottom) / 2.0f);
        }
    return ImVec2(-1, -1);
}

void StandInGame::Script()
{
    const auto step = [this](int wait, std::function<void()> act) { m_script.steps.push_back({wait, std::move(act)}); };
    step(5, [] {});
    // Edit > Objects Browser: the frame sends "show objectsettings", the game shows it.
    step(3, [this] { Click(MenuAt("Edit")); });
    step(3, [this] { Click(PopupRowAt(0)); });
    step(0, [this] {
        const ImGuiWindow* w = ImGui::FindWindowByName("Objects Browser");
        Check(m_browser->IsVisible() && w && w->Pos.y == theApp.GetMainFrame()->GetViewRect().origin.y,
              "Edit > Objects Browser shows the browser at the view's corner");
    });
    // "Create Game Element" from the browser's own Edit menu, then "GeParticleSystem".
    step(3, [this] {
        const ImGuiWindow* w = ImGui::FindWindowByName("Objects Browser");
        const ImGuiStyle& style = ImGui::GetStyle();
        const float file = ImGui::CalcTextSize("File").x, edit = ImGui::CalcTextSize("Edit").x;
        if (w)
            Click(ImVec2(w->Pos.x + std::max(style.WindowPadding.x, style.ItemSpacing.x) + file + style.ItemSpacing.x * 2.5f +
                             edit / 2,
                         w->Pos.y + ImGui::GetFrameHeight() * 1.5f));
    });
    step(3, [this] { Click(PopupRowAt(1.35f)); });
    step(3, [this] {
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
    step(3, [this] {
        CastMember* member = CastManager::Instance()->GetCast("objects")->FindByName("GeParticleSystem_1");
        m_element = member ? member->object : nullptr;
        Check(m_element != nullptr, "\"Create\" adds GeParticleSystem_1 under \"objects\"");
        // Without it the rest has nothing to act on: straight to the end.
        if (!m_element)
            m_script.SkipToLast();
    });
    // A double click on it opens its property window.
    step(3, [this] {
        const ImGuiWindow* w = ImGui::FindWindowByName("Create Game Element");
        const ImGuiStyle& style = ImGui::GetStyle();
        const float create = ImGui::CalcTextSize("Create").x + style.FramePadding.x * 2;
        if (w)
            Click(ImVec2(w->DC.CursorStartPos.x + 180 + style.ItemSpacing.x * 2 + create + 8,
                         w->DC.CursorStartPos.y + ImGui::GetFrameHeight() / 2));
    });
    step(3, [this] { Check(!m_browser->CreateDialog().IsVisible(), "\"OK\" hides the create dialog"); });
    for (bool down : {true, false, true, false})
        step(1, [this, down] { Button(RowOf(m_element), down); });
    step(5, [this] { Check(ElementWindow() != nullptr, "a double click opens the element's window"); });
    step(3, [] { g_capture.pending = g_pictures + "/objects_browser.png"; });
    // "Base Position" x set to 12.5 and applied.
    step(3, [this] { Click(WindowControl("Base Position", 1)); });
    step(3, [] {
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
    step(3, [this] {
        const auto* entry = ElementWindow();
        if (!entry)
            return;
        const std::string name = entry->dialog->GetLabel() + "###" + std::to_string(entry->dialog->GetSerial());
        const ImGuiWindow* w = ImGui::FindWindowByName(name.c_str());
        const CInputDialog::Rect apply = entry->dialog->GetBottomControl(CInputDialog::kApplyId);
        if (w)
            Click(ImVec2(w->Pos.x + (apply.left + apply.right) / 2.0f,
                         w->Pos.y + ImGui::GetFrameHeight() + (apply.top + apply.bottom) / 2.0f));
    });
    step(3, [this] {
        auto* element = dynamic_cast<GameElement*>(m_element);
        const Vector3 p = element ? element->GetPosition() : Vector3{};
        std::printf("Base Position after Apply: %g %g %g\n", p.x, p.y, p.z);
        Check(element && p.x == 12.5f, "\"Base Position\" applied moves the element");
    });
    // Edit > Create Folder, then the element dragged into "New Folder".
    step(3, [this] { m_browser->OnCommand(CObjectSettingsDialog::kNewFolder); });
    // The new folder comes last: the wheel scrolls the tree down to it.
    step(3, [this] {
        Move(RowOf(m_element));
        SDL_Event e{};
        e.type = SDL_MOUSEWHEEL;
        e.wheel.y = -20;
        Push(e);
    });
    step(3, [this] {
        std::printf("name before the drag: %s\n", m_element->GetName());
        Button(RowOf(m_element), true);
    });
    step(2, [this] {
        const ImVec2 from = RowOf(m_element);
        Move(ImVec2(from.x, from.y + 10));
    });
    step(2, [this] { Move(RowLabelled("New Folder")); });
    step(2, [this] { Button(RowLabelled("New Folder"), false); });
    step(3, [this] {
        std::printf("name after the drag: %s\n", m_element->GetName());
        Check(std::string(m_element->GetName()) == "New Folder|GeParticleSystem_1", "the drag renames the element");
    });
    // "Delete" from the context menu with the window open: the window closes first.
    step(3, [this] { Click(RowOf(m_element), SDL_BUTTON_RIGHT); });
    step(3, [this] { Click(PopupRowAt(3.35f)); });
    step(3, [this] {
        Check(CastManager::Instance()->GetCast("objects")->FindByName("New Folder|GeParticleSystem_1") == nullptr,
              "\"Delete\" deletes the element");
        Check(m_browser->Windows().empty(), "its property window closed with it");
        g_capture.pending = g_pictures + "/objects_browser_deleted.png";
    });
    step(5, [] { CloseRenderWindow(); });
}

}  // namespace

int main(int argc, char** argv)
{
    return RunDemo("browser_demo", argc, argv, g_pictures, [] { return static_cast<GameState*>(new StandInGame); });
}
