// Runs a menu screen headless the way the front end will, and draws the mouse cursor:
//     menu_demo <game folder> <out folder>
// The game folder holds data\Turfbolt.dat (the cursor and the texts); the screen and its
// macro are written into the out folder, which also receives menu_demo.png. The owner below
// stands in for the front-end menu state: it owns the screen, answers its commands and
// turns a scripted run of keys and mouse into menu messages.
#include "engine/core/RwCore.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "framework/engine_bridge/EngineBridge.h"
#include "input/MouseInput.h"
#include "menus/Menu.h"
#include "menus/MenuItem.h"
#include "menus/XmlParser.h"
#include "scene/EnginePlugins.h"
#include "text/GameText.h"
#include "text/TextDraw.h"
#include "text/TextManager.h"
#include "tools/common/OffscreenCamera.h"
#include "tools/common/OffscreenSession.h"

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <typeinfo>

namespace {

constexpr int kWidth = 800, kHeight = 600;
constexpr float kFrameTime = 1.0f / 60.0f;
constexpr int kMaxFrames = 600;

const char* const kScreen = R"(<Screen OnLoad="SetPosition 0,0,0;SetRotation 0,0,0;Loaded"
        OnBack="PlaySelectSound;SetMenu main">
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

// One frame of scripted input: the menu keys, and where the mouse is and what it holds.
struct ScriptStep {
    int frame;  // frames after the screen is shown
    bool down, back;
    int x, y;
    uint32_t buttons;
};

const ScriptStep kScript[] = {
    {0, false, false, 420, 300, 0},
    {2, false, false, 200, 250, 0},
    {4, false, false, 210, 260, MouseInput::kLeft},
    {6, true, false, 210, 260, 0},
    {9, false, true, 210, 260, 0},
};

int Message(const char* name)
{
    return MessageServer::Instance()->RegisterMessage(name);
}

std::string ClassName(const MenuItem& item)
{
    std::string name = typeid(item).name();
    while (!name.empty() && std::isdigit(static_cast<unsigned char>(name.front())))
        name.erase(0, 1);
    return name;
}

// Stands in for the front-end menu state.
class DemoOwner : public MessageListener {
public:
    bool Enter(const std::string& screen)
    {
        Menu* menu = Menu::Instance();
        menu->SetOwner(this);
        const std::string path = "<PP>\\Menu\\Screens\\" + screen + ".xml";
        File* file = FileSystem::Instance()->Open(path.c_str(), "r");
        if (!file) {
            LogError("DemoOwner::Enter: could not find menu <%s>\n", screen.c_str());
            return false;
        }
        const bool loaded = menu->LoadScreen(XmlParser().Parse(file));
        FileSystem::Instance()->Close(file);
        menu->SetFadeState(Menu::kFadingIn);
        return loaded;
    }

    void Exit()
    {
        Menu::Instance()->SetOwner(nullptr);
        Menu::Instance()->ClearScreen();
    }

    int OnMessage(int message, intptr_t param) override
    {
        const auto& record = *reinterpret_cast<const MenuActionParameter*>(param);
        const std::string name = MessageServer::Instance()->GetMessageName(message);
        const std::string argument = record.argument;
        std::printf("  owner: %s \"%s\" from %s\n", name.c_str(), argument.c_str(),
                    record.source ? record.source->GetName().c_str() : "the screen");
        Menu* menu = Menu::Instance();
        float a = 0, b = 0, c = 0;
        if (name == "SetPosition" && std::sscanf(argument.c_str(), "%f,%f,%f", &a, &b, &c) == 3)
            menu->SetPosition(Vector3(a, b, c));
        else if (name == "SetRotation" && std::sscanf(argument.c_str(), "%f,%f,%f", &a, &b, &c) == 3)
            menu->SetRotation(Quaternion(b * kDegrees, Vector3::UnitY) * Quaternion(a * kDegrees, Vector3::UnitX) *
                              Quaternion(c * kDegrees, Vector3::UnitZ));
        else if (name == "SetMenu" && menu->GetFadeState() == Menu::kShown) {
            next = argument;
            menu->SetFadeState(Menu::kFadingOut);
        } else if (name == "PlaySelectSound")
            std::printf("  owner: plays \"menuselect\"\n");
        else if (name == "CheckPlayers")
            return std::atoi(argument.c_str()) <= kPlayers ? 0 : -1;
        else if (name != "SetPosition" && name != "SetRotation")
            std::printf("  owner: \"%s\" is not one of the demo's commands\n", name.c_str());
        return 0;
    }

    // One frame of menu input, as the front end reads it: keys switch to key mode, mouse
    // buttons and movement to mouse mode.
    void PollMenuInput(bool down, bool back)
    {
        Menu* menu = Menu::Instance();
        MouseInput* mouse = MouseInput::Instance();
        int x = 0, y = 0, dx = 0, dy = 0;
        mouse->GetPosition(x, y);
        mouse->GetDelta(dx, dy);
        const std::string point = std::to_string(x) + " " + std::to_string(y);
        const auto pointParam = reinterpret_cast<intptr_t>(point.c_str());
        MenuItem* selected = menu->GetSelectedItem();
        if (down || back)
            menu->SetMouseMode(false);
        if (mouse->GetButtonsPressed() & (MouseInput::kLeft | MouseInput::kRight)) {
            menu->SetMouseMode(true);
            std::printf("  input: menu click at %s\n", point.c_str());
            DeliverMessage(menu, Message("menu click"), pointParam);
            if (selected)
                DeliverMessage(selected, Message("menu click"), 0);
        }
        if (back) {
            std::printf("  input: menu back\n");
            DeliverMessage(menu, Message("menu back"), 0);
            return;
        }
        if (selected && down)
            DeliverMessage(selected, Message("menu down"), 0);
        else if (down) {
            menu->SelectNext();
            std::printf("  input: down selects \"%s\"\n", menu->GetSelectedItemName().c_str());
        }
        if (dx || dy)
            menu->SetMouseMode(true);
        if (menu->IsMouseMode())
            DeliverMessage(menu, Message("menu mouse move"), pointParam);
    }

    std::string next;

private:
    static constexpr float kDegrees = 0.017453292f;
    static constexpr int kPlayers = 2;
};

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

// The custom elements as the owner would fill them, with the cursor on top.
bool DrawPicture(const std::string& path)
{
    tools::OffscreenCamera camera;
    if (!camera.Create(kWidth, kHeight, 0.5f, 0.5f * kHeight / kWidth, 0.1f, 100, rwRasterTypeCamera) ||
        !camera.Begin({24, 40, 64, 255}))
        return false;
    Menu* menu = Menu::Instance();
    menu->Render();
    for (int i = 0; i < menu->GetItemCount(); ++i) {
        const Vector4 area = menu->GetItem(i)->GetArea();
        if (area.z > 0 && area.w > 0)
            textdraw::DrawTexturedRect(nullptr, {area.x, area.y, area.z, area.w}, {0, 0, 1, 1},
                                       Color(0.3f + 0.15f * i, 0.6f, 0.9f - 0.1f * i, 0.6f));
    }
    menu->DrawMouseCursor();
    camera.End();
    return camera.SavePng(path);
}

// Runs the screen from its fade-in to its fade-out, and draws it once it is shown; the frame
// where it is shown, or -1.
int RunScreen(DemoOwner& owner, bool& drawn)
{
    Menu* menu = Menu::Instance();
    MouseInput* mouse = MouseInput::Instance();
    int shownAt = -1;
    for (int frame = 0; frame < kMaxFrames; ++frame) {
        const int state = menu->GetFadeState();
        bool down = false, back = false;
        if (state == Menu::kShown) {
            if (shownAt < 0) {
                shownAt = frame;
                std::printf("frame %d: the screen is shown\n", frame);
            }
            for (const ScriptStep& step : kScript)
                if (frame - shownAt == step.frame) {
                    mouse->SetState(step.x, step.y, step.buttons);
                    down = step.down;
                    back = step.back;
                }
            mouse->Update(kFrameTime);
            if (frame == shownAt)
                drawn = DrawPicture("menu_demo.png");
            owner.PollMenuInput(down, back);
        } else if (state == Menu::kGone) {
            std::printf("frame %d: the screen is gone; next screen \"%s\"\n", frame, owner.next.c_str());
            return shownAt;
        }
        menu->Update(kFrameTime);
    }
    return shownAt;
}

int Run(const std::string& gameFolder, const std::string& outFolder)
{
    const std::string archive = std::filesystem::absolute(gameFolder + "/data/Turfbolt.dat").string();
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
    tools::OffscreenSession session("menu_demo", kWidth, kHeight);
    if (!session.Start(tools::OffscreenSession::kStartEngine))
        return 1;
    RegisterEngineImageFormats();
    const bool managerOpened = RtFSManagerOpen(-1);
    if (!RwInstallFileSystem()) {
        std::fprintf(stderr, "menu_demo: the engine cannot read through the file layer\n");
        return 1;
    }
    TextManager::Instance()->LoadTextFile(gametext::TextTableFor("XXL").c_str());

    DemoOwner owner;
    std::printf("loading \"demo\":\n");
    const bool loaded = owner.Enter("demo");
    PrintItems();
    bool drawn = false;
    const int shownAt = RunScreen(owner, drawn);
    Menu* menu = Menu::Instance();
    menu->SetVariable("%player_name%", "Ann");
    const std::string text = "%10201% for %player_name%";
    std::printf("expansion: \"%s\" gives \"%s\"\n", text.c_str(), menu->ExpandVariables(text).c_str());
    const bool cursor = menu->GetCursorTexture() != nullptr;
    owner.Exit();
    Menu::DestroyInstance();
    VantaroFileSystem::Uninstall();
    if (managerOpened)
        RtFSManagerClose();
    std::printf("menu_demo: %s; cursor %s\n", drawn ? "wrote menu_demo.png" : "could not draw the picture",
                cursor ? "loaded" : "missing");
    return loaded && shownAt >= 0 && cursor && drawn ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: menu_demo <game folder> <out folder>\n");
        return 2;
    }
    return Run(argv[1], argv[2]);
}
