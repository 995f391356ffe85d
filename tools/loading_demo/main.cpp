// The loading screen of a match load, half way through, as a picture:
//     loading_demo <game folder> <picture.png>
// The screen is shown at 1280 x 720 on the default data with a clock that the tool moves:
// 5 of the 10 seconds a match load expects, so the bar stands half full.
#include "engine/core/RwCore.h"
#include "framework/Debug.h"
#include "menus/LoadingScreen.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "tools/common/ConsoleSink.h"
#include "tools/common/GameData.h"
#include "tools/common/OffscreenCamera.h"
#include "tools/common/OffscreenSession.h"

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

constexpr int kWidth = 1280, kHeight = 720;
constexpr float kExpectedSeconds = 10.0f;
constexpr double kShotAt = 5.0;

class ToolClock : public LoadingScreen::Clock {
public:
    static constexpr int64_t kFrequency = 1000000;
    int64_t Counter() const override { return m_now; }
    int64_t Frequency() const override { return kFrequency; }
    void At(double seconds) { m_now = static_cast<int64_t>(seconds * kFrequency); }

private:
    int64_t m_now = 0;
};

bool Shoot(PrimaryCamera& camera, const std::string& out)
{
    ToolClock clock;
    LoadingScreen* screen = LoadingScreen::Instance();
    screen->SetClock(&clock);
    screen->Show(kExpectedSeconds, true);
    clock.At(kShotAt);
    screen->Update();
    const LoadingScreen::Rect& bar = screen->GetBarRect();
    std::printf("loading_demo: %.1f s of %.1f: progress 0x%x, bar at (%d, %d) %d x %d\n", kShotAt, kExpectedSeconds,
                static_cast<unsigned>(screen->GetProgress()), bar.x, bar.y, bar.width, bar.height);
    const bool saved = tools::SaveCameraPng(camera.GetRwCamera(), out, false);
    screen->Hide();
    screen->SetClock(nullptr);
    LoadingScreen::DestroyInstance();
    if (!saved)
        std::fprintf(stderr, "loading_demo: cannot write %s\n", out.c_str());
    return saved;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: loading_demo <game folder> <picture.png>\n");
        return 2;
    }
    ConsoleSink console(true);
    Debug::Instance()->SetSink(&console);
    // The folder change below must not move the picture.
    const std::string out = std::filesystem::absolute(argv[2]).string();
    if (!tools::MountGameData(argv[1])) {
        std::fprintf(stderr, "loading_demo: no game data in %s\n", argv[1]);
        return 1;
    }
    tools::OffscreenSession session("loading_demo", kWidth, kHeight);
    // The graphics layer starts the engine itself, as the game does.
    if (!session.Start(tools::OffscreenSession::kWindowOnly))
        return 1;
    RwGraphics* graphics = RwGraphics::Instance();
    graphics->SetScreenSize(kWidth, kHeight);
    bool ok = graphics->Initialise(session.GetWindow()) && graphics->GetPrimaryCamera();
    if (!ok)
        std::fprintf(stderr, "loading_demo: the rendering engine does not start\n");
    else
        ok = Shoot(*graphics->GetPrimaryCamera(), out);
    graphics->Destroy();
    if (ok)
        std::printf("loading_demo: wrote %s\n", out.c_str());
    Debug::Instance()->SetSink(nullptr);
    return ok && console.problems == 0 ? 0 : 1;
}
