// Runs menu screens headless the way the front end will, at 1280 x 720:
//     menu_demo <game folder> <out folder>
// The game folder holds data\Turfbolt.dat (screens, pictures, fonts, texts and the cursor).
// A test screen with a macro and groups is written into the out folder and run first; then
// "main" is faded in, driven by scripted keys and mouse, and left, "message_goal" is shown, the
// message banner holds a long and a short text, and "main" is loaded once more at the smallest
// game size.
// The pictures land in the out folder: menu_demo.png, menu_main_fade.png, menu_main.png,
// menu_main_down.png, menu_message_goal.png, menu_message_long.png and menu_message_short.png; then the options and the story's team name
// (OptionScreensRun.cpp), and the loading screen of a match load half way (menu_loading.png).
#include "engine/core/RwCore.h"
#include "framework/Color.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "framework/Settings.h"
#include "framework/TimeInfo.h"
#include "input/MouseInput.h"
#include "menus/LoadingScreen.h"
#include "menus/Menu.h"
#include "menus/MenuImage.h"
#include "menus/MenuItem.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "scene/ScreenDraw.h"
#include "scene/Texture.h"
#include "text/Font.h"
#include "text/GameText.h"
#include "text/TextDisplay.h"
#include "text/TextManager.h"
#include "tools/common/ConsoleSink.h"
#include "tools/common/GameData.h"
#include "tools/common/OffscreenCamera.h"
#include "tools/common/OffscreenSession.h"
#include "tools/menu_demo/DemoOwner.h"
#include "tools/menu_demo/OptionScreensRun.h"

#include <unistd.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

namespace {

constexpr int kWidth = 1280, kHeight = 720;
constexpr float kFrameTime = 1.0f / 60.0f;
constexpr int kMaxFrames = 600;
// The screens are laid out for 4:3; a wider picture keeps their height in view.
constexpr float kScreenAspect = 4.0f / 3.0f;

const char* const kScreen = R"(<Screen OnLoad="SetPosition 0,0,0.8333;Loaded" OnBack="PlaySelectSound;SetMenu main">
  <!-- the title panel and its origin come from a macro -->
  <Macro name="panel" label="title" place="40,30" extent="720,80"/>
  <Group OnCreate="CheckPlayers 1">
    <CustomElement name="players" position="20,120" size="330,260"/>
  </Group>
  <Group OnCreate="CheckPlayers 3">
    <CustomElement name="thirdPlayer" position="390,120" size="330,260"/>
  </Group>
  <Origin position="0,0"/>
  <CustomElement name="teams" position="430,150" size="330,230" fademode="scroll left"/>
  <CustomElement name="footer" position="40,420" size="720,60" fademode="none"/>
  <Banner name="unknown widgets are skipped"/>
</Screen>
)";

const char* const kMacro = R"(<Panel>
  <CustomElement name="label" position="place" size="extent"/>
  <Origin position="place"/>
</Panel>
)";

std::string ClassName(const MenuItem& item)
{
    std::string name = typeid(item).name();
    while (!name.empty() && std::isdigit(static_cast<unsigned char>(name.front())))
        name.erase(0, 1);
    return name;
}

bool WriteScreens()
{
    std::error_code error;
    std::filesystem::create_directories("data/pc/Menu/Screens", error);
    std::ofstream("data/pc/Menu/Screens/demo.xml", std::ios::trunc) << kScreen;
    std::ofstream("data/pc/Menu/Screens/macro_panel.xml", std::ios::trunc) << kMacro;
    FileSystem::Instance()->InvalidateDiskCache();
    return !error && std::filesystem::exists("data/pc/Menu/Screens/macro_panel.xml");
}

void PrintItems()
{
    Menu* menu = Menu::Instance();
    std::printf("items built: %d\n", menu->GetItemCount());
    for (int i = 0; i < menu->GetItemCount(); ++i) {
        const MenuItem* item = menu->GetItem(i);
        const Vector4 area = item->GetArea();
        std::printf("  %-18s %-18s at (%3.0f, %3.0f) size %3.0f x %3.0f, fade delay %.4f s\n", ClassName(*item).c_str(),
                    item->GetName().empty() ? "-" : item->GetName().c_str(), area.x, area.y, area.z, area.w,
                    item->GetFadeDelay());
    }
}

// Draws a frame on the primary camera, as the game does every frame, and keeps it as a
// PNG when a path is given. extra draws over the screen before the cursor would.
bool DrawFrame(DemoOwner& owner, const std::string& png = std::string(), const std::function<void()>& extra = {})
{
    Camera* camera = RwGraphics::Instance()->GetPrimaryCamera();
    const float background[4] = {0.09f, 0.16f, 0.25f, 1.0f};
    if (!camera->Clear(background, rwCameraClearImage | rwCameraClearZ) || !camera->BeginUpdate())
        return false;
    if (extra)
        extra();
    owner.Render();
    camera->EndUpdate();
    if (png.empty())
        return true;
    if (!tools::SaveCameraPng(camera->GetRwCamera(), png))
        return false;
    std::printf("  wrote %s\n", png.c_str());
    return true;
}

// Whether the menu had its cursor while "main" was up.
bool cursorLoaded = false;

// What a scripted run of a screen saw.
struct Run {
    bool entered = false;
    int shownAt = -1;
    int frames = 0;
    bool pictures = true;
};

// One frame of the game: the owner's update with this frame's keys, the clock, the drawing.
bool Frame(DemoOwner& owner, const MenuKeys& keys = {}, const std::string& png = std::string())
{
    MouseInput::Instance()->Update(kFrameTime);
    TimeInfo::Instance()->AddFrame(kFrameTime);
    const bool running = owner.Update(kFrameTime, keys);
    return DrawFrame(owner, png) && running;
}

// Runs frames until the screen is shown (the hook gets each fade-in frame's number, and
// may take a picture); false when it never is.
bool FadeIn(DemoOwner& owner, Run& run, const std::function<std::string(int)>& picture = {})
{
    for (int frame = 0; frame < kMaxFrames; ++frame, ++run.frames) {
        if (Menu::Instance()->GetFadeState() == Menu::kShown) {
            run.shownAt = run.frames;
            std::printf("frame %d: the screen is shown\n", run.frames);
            return true;
        }
        const std::string png = picture ? picture(frame) : std::string();
        if (!Frame(owner, {}, png) && Menu::Instance()->GetFadeState() != Menu::kGone)
            run.pictures = false;
    }
    return false;
}

// Runs frames until the screen has faded out; false when it never does.
bool FadeOut(DemoOwner& owner, Run& run)
{
    for (int frame = 0; frame < kMaxFrames; ++frame, ++run.frames)
        if (!Frame(owner))
            return true;
    return false;
}

// The middle of an item's last drawn area, where the mouse goes to point at it.
void PointAt(const char* name)
{
    const Vector4 area = Menu::Instance()->GetItem(name)->GetArea();
    MouseInput::Instance()->SetState(static_cast<int>(area.x + area.z / 2), static_cast<int>(area.y + area.w / 2), 0);
}

bool RunTestScreen(DemoOwner& owner)
{
    std::printf("loading \"demo\":\n");
    Run run;
    run.entered = owner.Enter("demo");
    PrintItems();
    const bool shown = FadeIn(owner, run);
    MouseInput::Instance()->SetState(420, 300, 0);
    const bool drawn = shown && DrawFrame(owner, "menu_demo.png", [] {
        // The custom elements as the owner would fill them.
        Menu* menu = Menu::Instance();
        for (int i = 0; i < menu->GetItemCount(); ++i) {
            const Vector4 area = menu->GetItem(i)->GetArea();
            if (area.z > 0 && area.w > 0) {
                Vector4 r = area;
                menu->ScaleRect(r);
                DrawTexturedRect(nullptr, {r.x, r.y, r.z, r.w}, {0, 0, 1, 1},
                                 Color(0.3f + 0.15f * static_cast<float>(i), 0.6f, 0.9f - 0.1f * static_cast<float>(i), 0.6f));
            }
        }
    });
    Frame(owner, {false, false, false, true});
    const bool left = FadeOut(owner, run);
    std::printf("the screen is gone; next screen \"%s\"\n", owner.next.c_str());
    owner.Exit();
    return run.entered && shown && drawn && left && owner.next == "main";
}

bool Contains(const std::vector<std::string>& commands, size_t from, const std::vector<std::string>& wanted)
{
    for (size_t i = from; i + wanted.size() <= commands.size(); ++i)
        if (std::equal(wanted.begin(), wanted.end(), commands.begin() + static_cast<long>(i)))
            return true;
    return false;
}

// "main": the fade-in, the mouse on the first button, two keys down, and "options" chosen.
bool RunMainKeys(DemoOwner& owner)
{
    std::printf("loading \"main\":\n");
    Run run;
    run.entered = owner.Enter("main");
    PrintItems();
    const bool shown = FadeIn(owner, run, [](int frame) { return frame == 22 ? "menu_main_fade.png" : ""; });
    PointAt("single");
    Frame(owner);
    for (int frame = 0; frame < 10; ++frame)
        Frame(owner, {}, frame == 9 ? "menu_main.png" : "");
    const bool firstSelected = Menu::Instance()->GetSelectedItemName() == "single";
    cursorLoaded = Menu::Instance()->GetCursorTexture() != nullptr;
    std::printf("with the mouse on it: \"%s\" is selected\n", Menu::Instance()->GetSelectedItemName().c_str());
    for (int press = 0; press < 2; ++press) {
        Frame(owner, {false, true});
        std::printf("down: \"%s\" is selected\n", Menu::Instance()->GetSelectedItemName().c_str());
        for (int frame = 0; frame < 8; ++frame)
            Frame(owner, {}, press == 1 && frame == 7 ? "menu_main_down.png" : "");
    }
    const bool third = Menu::Instance()->GetSelectedItemName() == "options";
    const size_t before = owner.commands.size();
    Frame(owner, {false, false, true});
    const bool selected = Contains(owner.commands, before, {"SetMenu options", "PlaySelectSound"});
    const bool left = FadeOut(owner, run);
    std::printf("the screen is gone; next screen \"%s\"\n", owner.next.c_str());
    owner.Exit();
    return run.entered && shown && run.pictures && firstSelected && third && selected && left &&
           owner.next == "options";
}

// "main" again: the mouse moves onto "quit", then back runs the screen's OnBack.
bool RunMainMouseAndBack(DemoOwner& owner)
{
    std::printf("loading \"main\" again:\n");
    Run run;
    run.entered = owner.Enter("main");
    const bool shown = FadeIn(owner, run);
    PointAt("quit");
    Frame(owner);
    const bool hovered = Menu::Instance()->GetSelectedItemName() == "quit";
    std::printf("the mouse moved onto \"quit\": \"%s\" is selected\n", Menu::Instance()->GetSelectedItemName().c_str());
    const size_t before = owner.commands.size();
    Frame(owner, {false, false, false, true});
    const bool back = Contains(owner.commands, before, {"QuitGame"});
    const bool left = FadeOut(owner, run);
    std::printf("the screen is gone; %s\n", owner.next.empty() ? "no next screen: the game would end" : owner.next.c_str());
    owner.Exit();
    return run.entered && shown && hovered && back && left && owner.next.empty();
}

bool RunBanner(DemoOwner& owner)
{
    std::printf("loading \"message_goal\":\n");
    Menu::Instance()->SetVariable("%scorer%", "Bamboo Bill 23'");
    Run run;
    run.entered = owner.Enter("message_goal");
    const bool shown = FadeIn(owner, run);
    const bool drawn = shown && DrawFrame(owner, "menu_message_goal.png");
    owner.Exit();
    return run.entered && drawn;
}

// The message banner holds its text whatever its length: a period's end, the longest it says,
// widens its plate round the text; a short word leaves the plate as wide as laid out.
bool RunBannerFits(DemoOwner& owner)
{
    const struct {
        const char* message;
        const char* picture;
        bool wider;
    } cases[] = {{"%60510% %60503%", "menu_message_long.png", true}, {"%50206%", "menu_message_short.png", false}};
    bool ok = true;
    for (const auto& c : cases) {
        Menu::Instance()->SetVariable("%dynamic_message%", c.message);
        Run run;
        run.entered = owner.Enter("message_dynamic");
        const bool shown = FadeIn(owner, run) && DrawFrame(owner) && DrawFrame(owner, c.picture);
        Menu* menu = Menu::Instance();
        const MenuItem* text = menu->HasItem("message") ? menu->GetItem("message") : nullptr;
        const MenuImage* plate = nullptr;
        for (int i = 0; i < menu->GetItemCount() && !plate; ++i)
            plate = dynamic_cast<const MenuImage*>(menu->GetItem(i));
        const Vector4 area = text ? text->GetArea() : Vector4();
        const Vector4 drawn = plate ? plate->GetHitRect() : Vector4();
        const float laidOut = plate ? plate->GetArea().z * menu->GetScale().x : 0.0f;
        std::printf("\"%s\": text %g to %g, plate %g to %g (laid out %g wide)\n",
                    menu->ExpandVariables(c.message).c_str(), area.x, area.x + area.z, drawn.x, drawn.x + drawn.z,
                    laidOut);
        const bool holds = area.z > 0.0f && drawn.x < area.x && area.x + area.z < drawn.x + drawn.z;
        const bool width = c.wider ? drawn.z > laidOut + 1.0f : std::fabs(drawn.z - laidOut) < 1.0f;
        owner.Exit();
        ok = ok && run.entered && shown && holds && width;
    }
    return ok;
}

// The clock a match load's loading screen reads, moved by hand.
class StepClock : public LoadingScreen::Clock {
public:
    static constexpr int64_t kFrequency = 1000000;
    int64_t Counter() const override { return m_now; }
    int64_t Frequency() const override { return kFrequency; }
    void At(double seconds) { m_now = static_cast<int64_t>(seconds * kFrequency); }

private:
    int64_t m_now = 0;
};

// The loading screen 5 seconds into a load expected to take 10, its bar half full
// (menu_loading.png); drawing it from the default data logs no warning.
bool RunLoadingScreen()
{
    constexpr float kExpectedSeconds = 10.0f;
    constexpr double kShotAt = 5.0;
    ConsoleSink console(true);
    Debug::Instance()->SetSink(&console);
    StepClock clock;
    LoadingScreen* screen = LoadingScreen::Instance();
    screen->SetClock(&clock);
    screen->Show(kExpectedSeconds, true);
    clock.At(kShotAt);
    screen->Update();
    const LoadingScreen::Rect& bar = screen->GetBarRect();
    std::printf("loading screen: %.1f s of %.1f: progress 0x%x, bar at (%d, %d) %d x %d\n", kShotAt, kExpectedSeconds,
                static_cast<unsigned>(screen->GetProgress()), bar.x, bar.y, bar.width, bar.height);
    const bool saved =
        tools::SaveCameraPng(RwGraphics::Instance()->GetPrimaryCamera()->GetRwCamera(), "menu_loading.png", false);
    screen->Hide();
    screen->SetClock(nullptr);
    LoadingScreen::DestroyInstance();
    Debug::Instance()->SetSink(nullptr);
    if (saved)
        std::printf("  wrote menu_loading.png\n");
    return saved && console.problems == 0;
}

// "main" at the smallest size: no story mode, and the size's own logo.
bool RunMainSmall(DemoOwner& owner)
{
    std::printf("loading \"main\" at the size XS:\n");
    const bool entered = owner.Enter("main");
    Menu* menu = Menu::Instance();
    const bool storyHidden = menu->HasItem("storymode") && !menu->GetItem("storymode")->IsVisible();
    const auto* logo = menu->HasItem("gamelogo") ? dynamic_cast<MenuImage*>(menu->GetItem("gamelogo")) : nullptr;
    const bool logoLoaded = logo && logo->GetTexture() && logo->GetTexturePath().ends_with("TBlogoLogo_XS");
    std::printf("story mode %s; logo %s\n", storyHidden ? "hidden" : "SHOWN",
                logoLoaded ? logo->GetTexturePath().c_str() : "NOT LOADED");
    owner.Exit();
    return entered && storyHidden && logoLoaded;
}

// The game size the screens are adapted to, as the configuration would give it.
void UseGameSize(const char* size)
{
    std::ofstream("demo_config.txt", std::ios::trunc) << "GameSize " << size << "\n";
    FileSystem::Instance()->InvalidateDiskCache();
    SettingsManager::Instance()->LoadSettings("demo_config.txt");
}

int RunAll(const std::string& gameFolder, const std::string& outFolder)
{
    const std::string archive = tools::ArchivePath(gameFolder);
    std::error_code error;
    std::filesystem::create_directories(outFolder, error);
    if (chdir(outFolder.c_str()) != 0 || !WriteScreens()) {
        std::fprintf(stderr, "menu_demo: cannot write the screens into %s\n", outFolder.c_str());
        return 1;
    }
    FileSystem* files = FileSystem::Instance();
    if (!std::filesystem::exists(archive) || !files->AddDataFile(archive.c_str(), false)) {
        std::fprintf(stderr, "menu_demo: no game data in %s\n", gameFolder.c_str());
        return 1;
    }
    files->AddAlias("<PP>", "data\\pc\\");
    files->AddAlias("<TP>", "Textures24Bit\\");
    tools::OffscreenSession session("menu_demo", kWidth, kHeight);
    if (!session.Start(tools::OffscreenSession::kWindowOnly))
        return 1;
    RwGraphics* graphics = RwGraphics::Instance();
    graphics->SetScreenSize(kWidth, kHeight);
    if (!graphics->Initialise(session.GetWindow()) || !graphics->GetPrimaryCamera()) {
        std::fprintf(stderr, "menu_demo: the rendering engine does not start\n");
        return 1;
    }
    PrimaryCamera* camera = graphics->GetPrimaryCamera();
    float viewX = 0, viewY = 0;
    camera->GetViewWindow(viewX, viewY);
    const float widen = (static_cast<float>(kWidth) / kHeight) / kScreenAspect;
    camera->SetViewWindow(viewX * widen, viewY * widen);
    graphics->SetCamera(camera);

    UseGameSize("XXL");
    TextManager::Instance()->LoadTextFile(gametext::TextTableFor("XXL").c_str());
    std::vector<std::unique_ptr<Font>> fonts;
    const bool fontsMade = gametext::CreateFonts(fonts);
    Menu::Instance()->SetVariable("%build_info%", "menu_demo");

    DemoOwner owner;
    const bool test = RunTestScreen(owner);
    const bool keys = RunMainKeys(owner);
    const bool mouse = RunMainMouseAndBack(owner);
    const bool banner = RunBanner(owner);
    const bool bannerFits = RunBannerFits(owner);
    const auto frame = [](DemoOwner& each, const MenuKeys& keys, const std::string& png) { return Frame(each, keys, png); };
    const bool options = RunOptionsScreen(frame);
    const bool teamName = RunStoryTeamScreen(frame);
    const bool loading = RunLoadingScreen();
    UseGameSize("XS");
    const bool small = RunMainSmall(owner);
    Menu::DestroyInstance();
    TextDisplay::DestroyInstance();
    fonts.clear();
    graphics->SetCamera(nullptr);
    TextureManager::Instance()->Shutdown();
    graphics->Destroy();
    std::printf("menu_demo: test screen %s, main by keys %s, main by mouse and back %s, banner %s, banners fit %s, "
                "main at XS %s, fonts %s, cursor %s\n",
                test ? "ok" : "FAILED", keys ? "ok" : "FAILED", mouse ? "ok" : "FAILED", banner ? "ok" : "FAILED",
                bannerFits ? "ok" : "FAILED",
                small ? "ok" : "FAILED", fontsMade ? "ok" : "FAILED", cursorLoaded ? "loaded" : "missing");
    std::printf("menu_demo: options %s, team name %s, loading screen %s\n", options ? "ok" : "FAILED",
                teamName ? "ok" : "FAILED", loading ? "ok" : "FAILED");
    return test && keys && mouse && banner && bannerFits && options && teamName && loading && small && fontsMade && cursorLoaded
               ? 0
               : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: menu_demo <game folder> <out folder>\n");
        return 2;
    }
    return RunAll(argv[1], argv[2]);
}
