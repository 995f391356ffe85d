// Loads the first stadium with its objects cast, opens property windows on the benches and
// the ground particles inside one offscreen game window over the drawn stadium, edits them
// with scripted mouse and keyboard events and writes a picture before and after:
//     editor_demo properties <game folder> [before.png] [after.png]

#include "editor/ui/ImGuiHost.h"
#include "editor/ui/Modals.h"
#include "editor/ui/PropertyWindow.h"
#include "engine/core/RwCore.h"
#include "engine/world/RpWorld.h"
#include "framework/Cast.h"
#include "framework/Object.h"
#include "platform/Window.h"
#include "scene/Camera.h"
#include "scene/EngineUtil.h"
#include "scene/GameElements.h"
#include "scene/RwGraphics.h"
#include "scene/Texture.h"
#include "tools/common/Fail.h"
#include "tools/common/GameData.h"
#include "tools/common/OffscreenSession.h"
#include "tools/editor_demo/Modes.h"
#include "tools/scene_shot/Level.h"

#include <SDL.h>
#include <epoxy/gl.h>
#include <imgui.h>
#include <imgui_internal.h>

#include <cstdio>
#include <filesystem>
#include <list>
#include <memory>
#include <string>

namespace {

constexpr int kWidth = 1280, kHeight = 800;
// The camera looks over the pitch high enough to put the benches of the near side below the
// windows.
constexpr float kViewDistance = 95.0f;
constexpr float kAimHeight = 12.0f;

// One open property window where the demo puts it.
struct PropertyWindow {
    editor::PropertyWindow window;
    Object* object;
    ImVec2 place;

    PropertyWindow(Object* o, const std::string& label, ImVec2 at, editor::Modals& modals,
                   std::function<void(Object*, const std::string&)> opener)
        : window(*o, label, modals, std::move(opener)), object(o), place(at)
    {
    }
    void Draw()
    {
        ImGui::SetNextWindowPos(place, ImGuiCond_Once);
        window.Draw();
    }
    ImGuiWindow* Window() const
    {
        return ImGui::FindWindowByName(window.WindowName().c_str());
    }
    // Screen centre of a rectangle of the window's content, which sits below the title bar
    // and scrolls.
    ImVec2 Where(float left, float top, float right, float bottom) const
    {
        ImVec2 origin = place;
        if (const ImGuiWindow* window = Window())
            origin = ImVec2(window->Pos.x - window->Scroll.x, window->Pos.y - window->Scroll.y);
        return ImVec2(origin.x + (left + right) / 2.0f, origin.y + ImGui::GetFrameHeight() + (top + bottom) / 2.0f);
    }
    ImVec2 Where(const DialogControl& c) const { return Where(c.left, c.top, c.right, c.bottom); }
    // The control at index within the first row labelled label.
    DialogControl* Find(const std::string& label, size_t index)
    {
        for (auto& w : window.Dialog().Widgets())
            if (!w->Controls().empty() && w->Controls()[0].text == label && index < w->Controls().size())
                return &w->Controls()[index];
        return nullptr;
    }
};

// The framebuffers bound while ImGui draws into or is read from the window; the engine's
// own bindings come back after, so its state cache stays true.
class WindowFramebuffer {
public:
    WindowFramebuffer()
    {
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &m_draw);
        glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &m_read);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }
    ~WindowFramebuffer()
    {
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(m_draw));
        glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(m_read));
    }
    WindowFramebuffer(const WindowFramebuffer&) = delete;
    WindowFramebuffer& operator=(const WindowFramebuffer&) = delete;

private:
    GLint m_draw = 0, m_read = 0;
};

// The first stadium with its objects cast, drawn by the engine's camera into a texture that
// ImGui lays behind the windows.
class Stadium {
public:
    Stadium(PrimaryCamera& camera, tools::level::LevelView& level, Cast& objects)
        : m_camera(camera), m_level(level), m_objects(objects)
    {
    }
    ~Stadium()
    {
        if (m_texture)
            glDeleteTextures(1, &m_texture);
    }
    Stadium(const Stadium&) = delete;
    Stadium& operator=(const Stadium&) = delete;

    // Draws the scene again; false when the engine cannot draw or read it back.
    bool Refresh()
    {
        for (int i = 0; i < m_objects.GetMemberCount(); ++i)
            if (auto* element = dynamic_cast<GameElement*>(m_objects.GetMember(i)->object))
                element->Update(1.0f / 30);
        const float sky[4] = {0.47f, 0.63f, 0.82f, 1.0f};
        if (!m_camera.Clear(sky, rwCameraClearImage | rwCameraClearZ) || !m_camera.BeginUpdate())
            return false;
        RpWorldRender(m_level.World());
        RenderCast(m_objects);
        m_camera.EndUpdate();
        RwImage* image = EngineUtil::GrabCameraRaster(m_camera.GetRwCamera());
        if (!image)
            return false;
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        if (!m_texture)
            glGenTextures(1, &m_texture);
        glBindTexture(GL_TEXTURE_2D, m_texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, image->stride / 4);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, image->width, image->height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     image->pixels);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
        RwImageDestroy(image);
        return true;
    }
    // Behind every window, over the whole screen.
    void Draw() const
    {
        if (m_texture)
            ImGui::GetBackgroundDrawList()->AddImage(reinterpret_cast<ImTextureID>(static_cast<intptr_t>(m_texture)),
                                                     ImVec2(0, 0), ImGui::GetIO().DisplaySize);
    }

private:
    PrimaryCamera& m_camera;
    tools::level::LevelView& m_level;
    Cast& m_objects;
    GLuint m_texture = 0;
};

struct Demo {
    platform::Window& window;
    Stadium& stadium;
    editor::ImGuiHost host;
    editor::Modals modals;
    std::list<PropertyWindow> windows;

    Demo(platform::Window& w, Stadium& s) : window(w), stadium(s) {}

    void Frame()
    {
        SDL_Event event;
        while (SDL_PollEvent(&event))
            host.ProcessEvent(event);
        host.NewFrame();
        stadium.Draw();
        for (auto& w : windows)
            w.Draw();
        modals.Draw();
        WindowFramebuffer target;
        glViewport(0, 0, kWidth, kHeight);
        glClearColor(0.18f, 0.32f, 0.16f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        host.Render();
        window.Swap();
    }
    void Frames(int n)
    {
        for (int i = 0; i < n; ++i)
            Frame();
    }
    bool Capture(const std::string& path)
    {
        WindowFramebuffer source;
        if (!host.CapturePng(path))
            return false;
        std::printf("editor_demo: wrote %s\n", path.c_str());
        return true;
    }
    void Push(SDL_Event event)
    {
        event.common.timestamp = SDL_GetTicks();
        SDL_PushEvent(&event);
    }
    void Click(ImVec2 at)
    {
        SDL_WarpMouseInWindow(window.GetSDLWindow(), static_cast<int>(at.x), static_cast<int>(at.y));
        Frames(2);
        SDL_Event e{};
        e.type = SDL_MOUSEBUTTONDOWN;
        e.button.button = SDL_BUTTON_LEFT;
        e.button.state = SDL_PRESSED;
        e.button.x = static_cast<int>(at.x);
        e.button.y = static_cast<int>(at.y);
        Push(e);
        Frames(2);
        e.type = SDL_MOUSEBUTTONUP;
        e.button.state = SDL_RELEASED;
        Push(e);
        Frames(2);
    }
    void Type(const char* text)
    {
        SDL_Event e{};
        e.type = SDL_TEXTINPUT;
        std::snprintf(e.text.text, sizeof e.text.text, "%s", text);
        Push(e);
        Frames(2);
    }
};

std::string ColourText(PropertyWindow& window)
{
    std::string text;
    for (size_t i = 1; i <= 3; ++i)
        if (DialogControl* c = window.Find("Start Color", i))
            text += " " + c->text;
    return text;
}

void PrintPosition(const char* when, const Vector3& p)
{
    std::printf("benches position %s: %g %g %g\n", when, p.x, p.y, p.z);
}

// The y of the window's "Position" row typed 6 higher than start and applied. The text typed;
// empty (reported) when the window has no such row.
std::string TypeHigherPosition(Demo& demo, PropertyWindow& benchWindow, const Vector3& start)
{
    // The row's title, then its x, y and z.
    DialogControl* y = benchWindow.Find("Position", 2);
    if (!y) {
        tools::Fail("no Position row in the benches' window");
        return std::string();
    }
    char typed[32];
    std::snprintf(typed, sizeof typed, "%g", start.y + 6.0f);
    demo.Click(benchWindow.Where(*y));
    demo.Type(typed);
    const CInputDialog::Rect apply = benchWindow.window.Dialog().GetBottomControl(CInputDialog::kApplyId);
    // The buttons lie below the window's fold: the window grows to show them, as the user
    // would drag its edge.
    if (ImGuiWindow* window = benchWindow.Window())
        ImGui::SetWindowSize(window, ImVec2(window->Size.x, window->Size.y + 2.0f * ImGui::GetFrameHeight()));
    demo.Frames(2);
    demo.Click(benchWindow.Where(apply.left, apply.top, apply.right, apply.bottom));
    return typed;
}

// The colour picker from "Start Color", answered OK, and the window applied.
void PickStartColour(Demo& demo, PropertyWindow& systemWindow)
{
    DialogControl* pick = systemWindow.Find("Start Color", 4);
    if (!pick)
        return;
    demo.Click(systemWindow.Where(*pick));
    demo.Frames(2);
    if (ImGuiWindow* modal = ImGui::FindWindowByName("Color###tb_color_modal")) {
        // Somewhere in the hue bar, then OK (the first button on the last row).
        const ImVec2 padding = ImGui::GetStyle().WindowPadding;
        const float row = ImGui::GetFrameHeight();
        demo.Click(ImVec2(modal->Pos.x + padding.x + 120, modal->Pos.y + row + padding.y + 60));
        demo.Click(ImVec2(modal->Pos.x + padding.x + 30, modal->Pos.y + modal->Size.y - padding.y - row / 2));
    }
    systemWindow.window.Dialog().OnCommand(CInputDialog::kApplyId);
}

// The windows, the typed position and the picked colour; 0 when both edits reached the objects.
int Edit(Demo& demo, ClumpElement& benches, GeParticleSystem& particles, const std::string& before,
         const std::string& after)
{
    auto opener = [&demo](Object* object, const std::string& name) {
        demo.windows.emplace_back(object, name, ImVec2(330, 10), demo.modals, nullptr);
    };
    PropertyWindow& benchWindow = demo.windows.emplace_back(&benches, "benches", ImVec2(10, 10), demo.modals, opener);
    PropertyWindow& particleWindow =
        demo.windows.emplace_back(&particles, "ground_particles", ImVec2(930, 10), demo.modals, opener);
    demo.Frames(3);

    // The particle system's own window, through its "Settings" button.
    if (DialogControl* settings = particleWindow.Find("particle system", 1))
        demo.Click(particleWindow.Where(*settings));
    demo.Frames(2);
    if (demo.windows.size() != 3) {
        tools::Fail("the particle system's window did not open");
        return 1;
    }
    PropertyWindow& systemWindow = demo.windows.back();
    if (!demo.Capture(before))
        return 1;
    std::printf("property windows open: %zu\n", demo.windows.size());

    const Vector3 start = benches.GetPosition();
    PrintPosition("before", start);
    const std::string typed = TypeHigherPosition(demo, benchWindow, start);
    if (typed.empty())
        return 1;
    const Vector3 moved = benches.GetPosition();
    PrintPosition("after", moved);

    const std::string colourBefore = ColourText(systemWindow);
    std::printf("Start Color before:%s\n", colourBefore.c_str());
    PickStartColour(demo, systemWindow);
    const std::string colourAfter = ColourText(systemWindow);
    std::printf("Start Color after:%s\n", colourAfter.c_str());

    if (!demo.stadium.Refresh())
        return 1;
    demo.Frames(20);  // the modal's dimming fades out
    if (!demo.Capture(after))
        return 1;
    const bool typedReached = moved.y == std::stof(typed) && moved.x == start.x && moved.z == start.z;
    const bool colourChanged = !colourBefore.empty() && colourAfter != colourBefore;
    if (!typedReached)
        tools::Fail("the typed position did not reach the benches");
    if (!colourChanged)
        tools::Fail("the picked colour did not reach the particle system");
    return typedReached && colourChanged ? 0 : 1;
}

int Run(platform::Window& window, PrimaryCamera& camera, const std::string& before, const std::string& after)
{
    tools::level::LevelView level;
    const std::string failure = level.Open(camera, kViewDistance, kAimHeight);
    if (!failure.empty()) {
        tools::Fail("%s", failure.c_str());
        return 1;
    }
    // The cast goes before the world it was placed in.
    struct CastsGone {
        ~CastsGone() { CastManager::Instance()->DeleteAll(); }
    } castsGone;
    Cast* objects = CastManager::Instance()->CreateCast("objects");
    if (!LoadSettings(objects, "<SP>objects\\objects.txt")) {
        tools::Fail("cannot read the objects cast of level01");
        return 1;
    }
    auto* benches = dynamic_cast<ClumpElement*>(CastManager::Instance()->FindObject("objects|benches"));
    auto* particles = dynamic_cast<GeParticleSystem*>(CastManager::Instance()->FindObject("objects|ground_particles"));
    if (!benches || !particles) {
        tools::Fail("no benches or ground_particles in the objects cast");
        return 1;
    }
    Stadium stadium(camera, level, *objects);
    if (!stadium.Refresh()) {
        tools::Fail("the stadium cannot be drawn");
        return 1;
    }
    Demo demo(window, stadium);
    if (!demo.host.Start(window))
        return 1;
    return Edit(demo, *benches, *particles, before, after);
}

}  // namespace

int PropertiesDemo(int argc, char** argv)
{
    if (argc < 2 || argc > 4) {
        std::fprintf(stderr, "usage: editor_demo properties <game folder> [before.png] [after.png]\n");
        return 2;
    }
    // Absolute before the game folder becomes the working one.
    const std::string folder = std::filesystem::absolute(argv[1]).string();
    const std::string before = std::filesystem::absolute(argc > 2 ? argv[2] : "property_before.png").string();
    const std::string after = std::filesystem::absolute(argc > 3 ? argv[3] : "property_after.png").string();

    tools::OffscreenSession session("editor_demo properties", kWidth, kHeight);
    if (!session.Start(tools::OffscreenSession::kWindowOnly))
        return 1;
    RwGraphics* graphics = RwGraphics::Instance();
    graphics->SetScreenSize(kWidth, kHeight);
    GeParticleSystem::SetQualitySource([] { return static_cast<int32_t>(GeParticleSystem::kHigh); });
    int result = 1;
    if (!graphics->Initialise(session.GetWindow()) || !graphics->GetPrimaryCamera()) {
        tools::Fail("the rendering engine does not start");
    } else if (!tools::MountGameData(folder)) {
        tools::Fail("no game data in %s", folder.c_str());
    } else {
        graphics->SetCamera(graphics->GetPrimaryCamera());
        result = Run(*session.GetWindow(), *graphics->GetPrimaryCamera(), before, after);
        graphics->SetCamera(nullptr);
    }
    TextureManager::Instance()->Shutdown();
    graphics->Destroy();
    return result;
}
