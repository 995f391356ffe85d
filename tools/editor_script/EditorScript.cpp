#include "tools/editor_script/EditorScript.h"

#include "editor/InputDialog.h"
#include "editor/MenuBar.h"
#include "editor/ParameterInput.h"
#include "editor/ui/MainFrame.h"
#include "engine/world/RpWorld.h"
#include "framework/Factory.h"
#include "framework/FileSystem.h"
#include "framework/GameState.h"
#include "framework/PlayerFolder.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "shell/MainApp.h"

#include <imgui_internal.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace editor_script {

namespace {
int g_failures = 0;
}

int RunDemo(const char* program, int argc, char** argv, std::string& pictures, GameState* (*makeGame)())
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <game folder> <picture folder>\n", program);
        return 2;
    }
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    pictures = std::filesystem::absolute(argv[2]).string();
    std::filesystem::create_directories(pictures);
    // Runs in one game folder side by side would share their saves and log.
    player_folder::KeepInWorkingFolder();
    if (std::filesystem::current_path(argv[1]), !std::filesystem::exists("data/Turfbolt.dat")) {
        std::fprintf(stderr, "%s: no game data in %s\n", program, argv[1]);
        return 1;
    }
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("TB_NO_MESSAGE_BOX", "1", 0);
    FactoryRegistry::GameStates().Register("GameTB", makeGame);
    const int code = theApp.Run();
    std::printf("exit code %d\n", code);
    return code == CMainApp::kExitCode && Failures() == 0 ? 0 : 1;
}

void Check(bool ok, const char* what)
{
    std::printf("%s: %s\n", ok ? "ok" : "FAILED", what);
    g_failures += !ok;
}

int Failures()
{
    return g_failures;
}

void CountFailure()
{
    ++g_failures;
}

SDL_Window* GameWindow()
{
    return theApp.GetRenderWindow().GetHandle()->GetSDLWindow();
}

void Push(SDL_Event event)
{
    event.common.timestamp = SDL_GetTicks();
    SDL_PushEvent(&event);
}

void Move(ImVec2 at)
{
    SDL_WarpMouseInWindow(GameWindow(), static_cast<int>(at.x), static_cast<int>(at.y));
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = static_cast<int>(at.x);
    e.motion.y = static_cast<int>(at.y);
    Push(e);
}

void Button(ImVec2 at, bool down, Uint8 button)
{
    Move(at);
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.button = button;
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.button.x = static_cast<int>(at.x);
    e.button.y = static_cast<int>(at.y);
    Push(e);
}

void Type(const char* text)
{
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    std::snprintf(e.text.text, sizeof e.text.text, "%s", text);
    Push(e);
}

ImVec2 MenuAt(const std::string& popupText)
{
    // Each label starts half an item spacing into its slot; a slot is the label and two
    // spacings wide.
    const ImGuiStyle& style = ImGui::GetStyle();
    float x = std::max(style.WindowPadding.x, style.ItemSpacing.x);
    for (const MenuPopup& popup : theApp.GetMainFrame()->GetMenuBar().Popups()) {
        const float width = ImGui::CalcTextSize(MenuDisplayText(popup.text).c_str()).x;
        if (popup.text == popupText)
            return ImVec2(x + style.ItemSpacing.x * 0.5f + width / 2, ImGui::GetFrameHeight() / 2);
        x += width + style.ItemSpacing.x * 2;
    }
    return ImVec2(-1, -1);
}

ImVec2 PopupRowAt(float row)
{
    const ImGuiContext& context = *ImGui::GetCurrentContext();
    const ImGuiWindow* menu = context.OpenPopupStack.empty() ? nullptr : context.OpenPopupStack.back().Window;
    if (!menu)
        return ImVec2(-1, -1);
    const float pitch = ImGui::GetFontSize() + ImGui::GetStyle().ItemSpacing.y;
    return ImVec2(menu->DC.CursorStartPos.x + 30, menu->DC.CursorStartPos.y + row * pitch + pitch / 2 - 2);
}

ImVec2 DialogPointAt(const std::string& window, float left, float top, float right, float bottom)
{
    const ImGuiWindow* w = ImGui::FindWindowByName(window.c_str());
    if (!w)
        return ImVec2(-1, -1);
    return ImVec2(w->Pos.x - w->Scroll.x + (left + right) / 2,
                  w->Pos.y - w->Scroll.y + ImGui::GetFrameHeight() + (top + bottom) / 2);
}

ImVec2 DialogControlAt(const std::string& window, const CInputDialog& dialog, const std::string& label, size_t index)
{
    for (const auto& widget : dialog.Widgets())
        if (!widget->Controls().empty() && widget->Controls()[0].text == label && index < widget->Controls().size()) {
            const DialogControl& c = widget->Controls()[index];
            return DialogPointAt(window, c.left, c.top, c.right, c.bottom);
        }
    return ImVec2(-1, -1);
}

void Script::Tick()
{
    if (m_waiting > 0) {
        --m_waiting;
        return;
    }
    if (m_next < steps.size()) {
        // A copy: the step may add steps after itself.
        const Step step = steps[m_next++];
        step.act();
        m_waiting = step.wait;
    }
}

void Script::Click(ImVec2 at, Uint8 button)
{
    Button(at, true, button);
    steps.insert(steps.begin() + static_cast<std::ptrdiff_t>(m_next), Step{2, [at, button] { Button(at, false, button); }});
}

bool StadiumView::Open()
{
    PrimaryCamera* camera = RwGraphics::Instance()->GetPrimaryCamera();
    FileSystem* files = FileSystem::Instance();
    files->AddAlias("<LP>", "data\\pc\\level01\\");
    files->AddAlias("<SP>", "data\\pc\\level01\\settings\\");
    const std::string failure = camera ? m_level.Open(*camera, 95.0f, 12.0f) : "no primary camera";
    RwGraphics::Instance()->SetCamera(camera);
    if (failure.empty())
        return true;
    std::fprintf(stderr, "%s\n", failure.c_str());
    CountFailure();
    return false;
}

void StadiumView::Close()
{
    RwGraphics::Instance()->SetCamera(nullptr);
}

void StadiumView::Render(const std::function<void()>& inWorld)
{
    PrimaryCamera* camera = RwGraphics::Instance()->GetPrimaryCamera();
    static const float kSky[4] = {0.47f, 0.63f, 0.82f, 1.0f};
    RwGraphics::Instance()->BeginRender();
    if (camera && camera->Clear(kSky, rwCameraClearImage | rwCameraClearZ) && m_level.World() && camera->BeginUpdate()) {
        RpWorldRender(m_level.World());
        if (inWorld)
            inWorld();
        camera->EndUpdate();
    }
    RwGraphics::Instance()->Render();
}

platform::Rect Capture::GetView(int width, int height) const
{
    CMainFrame* frame = theApp.GetMainFrame();
    return frame ? frame->GetView(width, height) : platform::Rect{0, 0, width, height};
}

void Capture::BeforeSwap()
{
    CMainFrame* frame = theApp.GetMainFrame();
    if (!frame)
        return;
    frame->BeforeSwap();
    if (pending.empty())
        return;
    if (frame->GetImGui().CapturePng(pending))
        std::printf("%s: wrote %s\n", m_program.c_str(), pending.c_str());
    else
        CountFailure();
    pending.clear();
}

}  // namespace editor_script
