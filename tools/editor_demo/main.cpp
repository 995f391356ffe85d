// Runs the game windowed, as it starts from its folder, under the offscreen driver, and drives
// the editor frame with scripted mouse and key events: Debug > Control Panel, Watches and
// Messages, a property window on "Engine" of the cast "display", Pause, Step, a speed of 0.5,
// and "view x" set to 0.4 and applied. A stand-in game state draws the first stadium and
// counts the game time it is given.
//     editor_demo <game folder> <picture folder>
// Its other modes drive the objects browser (Browser.cpp) and property windows without the
// editor frame (Properties.cpp).

#include "editor/ui/MainFrame.h"
#include "framework/Cast.h"
#include "framework/Factory.h"
#include "framework/GameState.h"
#include "framework/TimeInfo.h"
#include "scene/RwGraphicsSettings.h"
#include "shell/MainApp.h"
#include "tools/common/Modes.h"
#include "tools/editor_demo/Modes.h"
#include "tools/editor_script/EditorScript.h"

#include <SDL.h>
#include <epoxy/gl.h>
#include <imgui.h>
#include <imgui_internal.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace editor_script;

std::string g_pictures;
Capture g_capture("editor_demo");

// A point dx, dy from where the window's first widget stood in the last frame.
ImVec2 ControlAt(const char* window, float dx, float dy)
{
    const ImGuiWindow* w = ImGui::FindWindowByName(window);
    return w ? ImVec2(w->DC.CursorStartPos.x + dx, w->DC.CursorStartPos.y + dy) : ImVec2(-1, -1);
}

// Stands in for the game's own state: the first stadium under the primary camera, and the
// game time it is given.
class StandInGame : public GameState {
public:
    bool Enter() override;
    bool Exit() override;
    void Update(float dt) override;
    void Render() override;

private:
    void Script();
    void OpenWindows();
    void PauseAndStep();
    void HalfSpeed();
    void ApplyViewX();
    void Add(int wait, std::function<void()> act) { m_script.steps.push_back({wait, std::move(act)}); }
    void Click(ImVec2 at) { m_script.Click(at); }
    void ChooseMenu(const char* popup, int row);
    void PrintGameTime(const char* when);
    ImVec2 PropertyPoint(float left, float top, float right, float bottom) const;
    ImVec2 PropertyControl(const std::string& label, size_t index) const;

    StadiumView m_stadium;
    editor_script::Script m_script;
    Cast* m_display = nullptr;
    editor::PropertyWindow* m_engineWindow = nullptr;
    double m_gameTime = 0;
    int m_runningUpdates = 0;
    float m_lastUpdate = 0, m_lastFrame = 0;
    double m_mark = 0;
    int m_markUpdates = 0;
};

bool StandInGame::Enter()
{
    m_stadium.Open();
    m_display = CastManager::Instance()->CreateCast("display");
    m_display->AddMember(&RwGraphicsSettings::Global(), "Engine", false);
    platform::SetPresentHook(&g_capture);
    Script();
    return true;
}

bool StandInGame::Exit()
{
    platform::SetPresentHook(theApp.GetMainFrame());
    m_stadium.Close();
    CastManager::Instance()->DeleteAll();
    return true;
}

void StandInGame::Update(float dt)
{
    m_gameTime += dt;
    m_runningUpdates += dt > 0;
    m_lastUpdate = dt;
    m_lastFrame = TimeInfo::Instance()->GetFrameTime();
    m_script.Tick();
}

void StandInGame::Render()
{
    m_stadium.Render();
}

void StandInGame::Script()
{
    Add(5, [] {});
    OpenWindows();
    PauseAndStep();
    HalfSpeed();
    ApplyViewX();
    ChooseMenu("&File", 1);
    Add(30, [] {});
    Add(0, [] {
        Check(false, "File > Exit closes the program");
        CloseRenderWindow();
    });
}

void StandInGame::ChooseMenu(const char* popup, int row)
{
    Add(3, [this, popup] { Click(MenuAt(popup)); });
    Add(3, [this, row] { Click(PopupRowAt(static_cast<float>(row))); });
}

void StandInGame::PrintGameTime(const char* when)
{
    Add(0, [this, when] {
        std::printf("game time %s: %.4f s after %d running updates\n", when, m_gameTime, m_runningUpdates);
    });
}

// A property window on "Engine", then Watches and Messages beside the view's right edge and
// the panel last and on top.
void StandInGame::OpenWindows()
{
    Add(5, [this] {
        CMainFrame* frame = theApp.GetMainFrame();
        CastMember* member = m_display->FindByName("Engine");
        Object* engine = member ? member->object : nullptr;
        if (frame && engine)
            m_engineWindow = &frame->OpenPropertyWindow(*engine, "Engine");
        Check(m_engineWindow != nullptr, "a property window on Engine of the cast display");
    });
    ChooseMenu("Debug", 1);
    ChooseMenu("Debug", 2);
    ChooseMenu("Debug", 0);
    Add(3, [] { g_capture.pending = g_pictures + "/editor_frame.png"; });
}

// Pause: the game time stands while the frames go on; Step: one update with time.
void StandInGame::PauseAndStep()
{
    Add(3, [this] { Click(ControlAt(CControlPanel::kTitle, 10, 5)); });
    Add(0, [this] { m_mark = m_gameTime, m_markUpdates = m_runningUpdates; });
    PrintGameTime("paused");
    Add(20, [] {});
    PrintGameTime("20 ticks later");
    Add(0, [this] { Check(m_gameTime == m_mark, "Pause stops the game time"); });
    Add(3, [this] { Click(ControlAt(CControlPanel::kTitle, 95, 5)); });
    Add(10, [] {});
    PrintGameTime("after Step");
    Add(0, [this] {
        Check(m_runningUpdates == m_markUpdates + 1 && m_gameTime > m_mark, "Step advances one update");
    });
}

// Play again, then the speed 0.5 typed over the selected "1.0".
void StandInGame::HalfSpeed()
{
    Add(3, [this] { Click(ControlAt(CControlPanel::kTitle, 10, 5)); });
    Add(3, [this] { Click(ControlAt(CControlPanel::kTitle, 245, 5)); });
    Add(3, [] { Type("0.5"); });
    Add(10, [] {});
    Add(0, [this] {
        std::printf("speed %s: game step %.5f s for a frame of %.5f s\n",
                    theApp.GetMainFrame()->GetControlPanel()->GetSpeedText().c_str(), m_lastUpdate, m_lastFrame);
        Check(m_lastUpdate > 0 && std::abs(m_lastUpdate - 0.5f * m_lastFrame) < 1e-6f, "speed 0.5 halves the game step");
    });
}

// "view x" of the engine's settings set to 0.4 and applied: the view zooms in. The property
// window comes to the front first, by its title bar.
void StandInGame::ApplyViewX()
{
    Add(3, [this] { Click(PropertyPoint(40, -ImGui::GetFrameHeight(), 40, -ImGui::GetFrameHeight())); });
    Add(3, [this] { Click(PropertyControl("view x", 1)); });
    Add(3, [] { Type("0.4"); });
    Add(3, [this] {
        // Its buttons lie below the window's fold: the window grows to show them, as the user
        // would drag its edge.
        ImGuiWindow* w = m_engineWindow ? ImGui::FindWindowByName(m_engineWindow->WindowName().c_str()) : nullptr;
        if (w)
            ImGui::SetWindowSize(w, ImVec2(w->Size.x, w->Size.y + 3 * ImGui::GetFrameHeight()));
    });
    Add(3, [this] {
        if (!m_engineWindow)
            return;
        const CInputDialog::Rect apply = m_engineWindow->Dialog().GetBottomControl(CInputDialog::kApplyId);
        Click(PropertyPoint(apply.left, apply.top, apply.right, apply.bottom));
    });
    Add(5, [] {
        std::printf("view x after Apply: %g\n", RwGraphicsSettings::Global().viewX);
        Check(RwGraphicsSettings::Global().viewX == 0.4f, "view x 0.4 reached the engine");
        g_capture.pending = g_pictures + "/editor_view_x.png";
    });
}

ImVec2 StandInGame::PropertyPoint(float left, float top, float right, float bottom) const
{
    return m_engineWindow ? DialogPointAt(m_engineWindow->WindowName(), left, top, right, bottom) : ImVec2(-1, -1);
}

ImVec2 StandInGame::PropertyControl(const std::string& label, size_t index) const
{
    return m_engineWindow ? DialogControlAt(m_engineWindow->WindowName(), m_engineWindow->Dialog(), label, index)
                          : ImVec2(-1, -1);
}

}  // namespace

int main(int argc, char** argv)
{
    return tools::RunMode(argc, argv, {{"browser", BrowserDemo}, {"properties", PropertiesDemo}}, [](int argc, char** argv) {
        return RunDemo("editor_demo", argc, argv, g_pictures, [] { return static_cast<GameState*>(new StandInGame); });
    });
}
