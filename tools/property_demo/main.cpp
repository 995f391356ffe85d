// Opens property windows on a pitch volume and a particle system inside one offscreen game
// window, edits them with scripted mouse and keyboard events and writes a picture before
// and after: property_demo [before.png] [after.png]

#include "editor/InputDialog.h"
#include "editor/InputDialogSerializer.h"
#include "editor/ui/ImGuiHost.h"
#include "editor/ui/InputDialogView.h"
#include "editor/ui/Modals.h"
#include "framework/Object.h"
#include "platform/Window.h"
#include "scene/ParticleSystem.h"
#include "simulation/PitchVolume.h"
#include "tools/common/OffscreenSession.h"

#include <SDL.h>
#include <epoxy/gl.h>
#include <imgui.h>
#include <imgui_internal.h>

#include <cstdio>
#include <list>
#include <memory>
#include <string>

namespace {

constexpr int kWidth = 1280, kHeight = 800;

// The property kinds the two game objects do not have.
class Showcase : public Object {
public:
    Quaternion orientation{0.9238795f, 0.0f, 0.3826834f, 0.0f};
    std::string model = "models\\bench.dff";
    std::string note = "stand-in";
    void Serialize(Serializer& s, const char* descriptor) override
    {
        s.BeginSection("Showcase", descriptor);
        s.SerializeQuaternion("Orientation", &orientation);
        s.SerializeButton("filename [Geometry|*.dff|All|*.*]", "");
        s.SerializeString("model", &model);
        s.SerializeString("note", &note);
        s.EndSection();
    }
};

// One open property window: the dialog, the builder over it and its view.
struct PropertyWindow {
    CInputDialog dialog;
    InputDialogSerializer serializer{&dialog};
    editor::InputDialogView view{dialog};
    Object* object;
    ImVec2 place;

    PropertyWindow(Object* o, const std::string& label, ImVec2 at, editor::Modals& modals,
                   std::function<void(Object*, const std::string&)> opener)
        : object(o), place(at)
    {
        dialog.SetLabel(label);
        dialog.SetColorChooser(modals.MakeColorChooser());
        dialog.SetFileChooser(modals.MakeFileChooser());
        dialog.SetObjectWindowOpener(std::move(opener));
        serializer.SetWriting(true);
        object->Serialize(serializer, label.c_str());
        dialog.SetUpdateCallback([this] {
            serializer.SetWriting(false);
            serializer.Reset();
            object->Serialize(serializer, "Unknown");
        });
    }
    void Draw()
    {
        ImGui::SetNextWindowPos(place, ImGuiCond_Once);
        view.Draw();
    }
    // Screen centre of a control: windows sit at their place, controls below the title bar.
    ImVec2 Where(const DialogControl& c) const
    {
        return ImVec2(place.x + (c.left + c.right) / 2.0f, place.y + ImGui::GetFrameHeight() + (c.top + c.bottom) / 2.0f);
    }
    // The control whose row is labelled label, at index within the widget; counts from the
    // n-th such row.
    DialogControl* Find(const std::string& label, size_t index, int n = 0)
    {
        for (auto& w : dialog.Widgets())
            if (!w->Controls().empty() && w->Controls()[0].text == label && n-- == 0 && index < w->Controls().size())
                return &w->Controls()[index];
        return nullptr;
    }
};

struct Demo {
    platform::Window& window;
    editor::ImGuiHost host;
    editor::Modals modals;
    std::list<PropertyWindow> windows;

    explicit Demo(platform::Window& w) : window(w) {}

    void Frame()
    {
        SDL_Event event;
        while (SDL_PollEvent(&event))
            host.ProcessEvent(event);
        host.NewFrame();
        for (auto& w : windows)
            w.Draw();
        modals.Draw();
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

void PrintColour(PropertyWindow& window, const char* when)
{
    std::printf("Start Color %s:", when);
    for (size_t i = 1; i <= 3; ++i)
        if (DialogControl* c = window.Find("Start Color", i))
            std::printf(" %s", c->text.c_str());
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string before = argc > 1 ? argv[1] : "property_before.png";
    const std::string after = argc > 2 ? argv[2] : "property_after.png";

    tools::OffscreenSession session("property_demo", kWidth, kHeight);
    if (!session.Start(tools::OffscreenSession::kStartEngine))
        return 1;
    Demo demo(*session.GetWindow());
    if (!demo.host.Start(*session.GetWindow()))
        return 1;

    CubicPitchVolume stand;
    stand.SetName("stand");
    BillboardParticleFactory factory;
    ParticleSystem particles;
    particles.SetName("ground_particles");
    particles.SetParticleFactory(&factory);
    particles.SetColors(Color(0.5f, 1.0f, 0.2f, 0.8f), Color(1.0f, 1.0f, 1.0f, 0.0f));
    Showcase showcase;

    auto opener = [&demo](Object* object, const std::string& name) {
        demo.windows.emplace_back(object, name, ImVec2(900, 420), demo.modals, nullptr);
    };
    PropertyWindow& standWindow = demo.windows.emplace_back(&stand, "stand", ImVec2(10, 10), demo.modals, opener);
    PropertyWindow& showWindow = demo.windows.emplace_back(&showcase, "showcase", ImVec2(10, 470), demo.modals, opener);
    PropertyWindow& particleWindow =
        demo.windows.emplace_back(&particles, "ground_particles", ImVec2(340, 10), demo.modals, opener);
    demo.Frames(3);

    // The factory's own window, through its "Settings" button.
    if (DialogControl* settings = particleWindow.Find("Particle Factory", 1))
        demo.Click(particleWindow.Where(*settings));
    demo.Frames(2);
    if (!demo.host.CapturePng(before))
        return 1;
    std::printf("property windows open: %zu\n", demo.windows.size());

    std::printf("stand position before: %g %g %g\n", stand.GetPosition().x, stand.GetPosition().y, stand.GetPosition().z);
    DialogControl* y = standWindow.Find("y", 1);
    if (!y) {
        std::fprintf(stderr, "property_demo: no y row in the stand's window\n");
        return 1;
    }
    demo.Click(standWindow.Where(*y));
    demo.Type("4.5");
    const CInputDialog::Rect apply = standWindow.dialog.GetBottomControl(CInputDialog::kApplyId);
    demo.Click(ImVec2(standWindow.place.x + (apply.left + apply.right) / 2.0f,
                      standWindow.place.y + ImGui::GetFrameHeight() + (apply.top + apply.bottom) / 2.0f));
    std::printf("stand position after: %g %g %g\n", stand.GetPosition().x, stand.GetPosition().y, stand.GetPosition().z);

    // The colour picker from "Start Color", answered OK.
    PrintColour(particleWindow, "before");
    if (DialogControl* pick = particleWindow.Find("Start Color", 4)) {
        demo.Click(particleWindow.Where(*pick));
        demo.Frames(2);
        if (ImGuiWindow* modal = ImGui::FindWindowByName("Color###tb_color_modal")) {
            // Somewhere in the hue bar, then OK (the first button on the last row).
            const ImVec2 padding = ImGui::GetStyle().WindowPadding;
            const float row = ImGui::GetFrameHeight();
            demo.Click(ImVec2(modal->Pos.x + padding.x + 120, modal->Pos.y + row + padding.y + 60));
            demo.Click(ImVec2(modal->Pos.x + padding.x + 30, modal->Pos.y + modal->Size.y - padding.y - row / 2));
        }
        particleWindow.dialog.OnCommand(CInputDialog::kApplyId);
    }
    PrintColour(particleWindow, "after");
    demo.Frames(20);  // the modal's dimming fades out
    if (!demo.host.CapturePng(after))
        return 1;
    (void)showWindow;
    return stand.GetPosition().y == 4.5f ? 0 : 1;
}
