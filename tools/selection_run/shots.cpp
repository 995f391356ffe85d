// Pictures of the squad selections that the story shows, on GL in a window of the given size:
//     selection_shots <game folder> <picture folder> <width> <height>
// The leg's line-up of five and of seven ("InGameSelection5p", "7p") and the players gained
// by a team of five and of seven ("TrainingMainSelection4p", "12p"), each on the bench of the
// story's level, once the screen has faded in. Writes "<screen>_<width>x<height>.png".
#include "characters/TeamDescription.h"
#include "framework/Debug.h"
#include "frontend/selection/PlayerSelectionMenu.h"
#include "frontend/story/PlayersGainedSelection.h"
#include "frontend/story/StoryModeMatch.h"
#include "match/StoryModeGame.h"
#include "match/game/GameTB.h"
#include "match/game/harness/GameHarness.h"
#include "menus/Menu.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "tools/common/ConsoleSink.h"
#include "tools/common/GameData.h"
#include "tools/common/OffscreenCamera.h"
#include "tools/common/OffscreenSession.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

constexpr int kFrameCap = 2000;
// After the fade-in, so that the candidates stand still.
constexpr int kSettleFrames = 30;

using Members = std::vector<TeamDescription::Member>;

const Members kFive = {{"PandaGk00", true}, {"PandaPl00", false}, {"PandaPl01", false}, {"PandaPl02", false},
                       {"PandaPl03", false}};
const Members kSeven = {{"PandaGk00", true},  {"PandaPl00", false}, {"PandaPl01", false}, {"PandaPl02", false},
                        {"PandaPl03", false}, {"PandaPl04", false}, {"PandaPl05", false}};

// Holds the game while the team changes: the selection before it rebuilds the team on leaving.
class Idle : public State {
public:
    State* Update(float) override { return this; }
};

struct Shot {
    const Members* team;
    bool gained;
};

// The screen's name without its folder, or empty when no selection has faded in.
std::string ShownSelection()
{
    Menu* menu = Menu::Instance();
    const auto* owner = dynamic_cast<PlayerSelectionMenu*>(menu->GetOwner());
    if (!owner || menu->GetFadeState() != Menu::kShown)
        return {};
    const std::string& name = owner->GetScreen();
    const size_t slash = name.find_last_of("\\/");
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

bool TakeShot(GameHarness& harness, const Shot& shot, const std::string& folder, const std::string& size)
{
    harness.MakeCurrent(new Idle);
    TeamDescription::Find("Panda01")->GetMembers() = *shot.team;
    State* state = shot.gained ? static_cast<State*>(new PlayersGainedSelection(TeamDescription::Find("Panda01"),
                                                                                TeamDescription::Find("Panda02")))
                               : new StoryModeMatch(false);
    harness.MakeCurrent(state);
    std::string screen;
    for (int i = 0; i < kFrameCap && (screen = ShownSelection()).empty(); ++i)
        harness.Step();
    if (screen.empty()) {
        std::fprintf(stderr, "selection_shots: no selection showed\n");
        return false;
    }
    harness.RunFrames(kSettleFrames);
    const std::string out = folder + "/" + screen + "_" + size + ".png";
    PrimaryCamera* camera = RwGraphics::Instance()->GetPrimaryCamera();
    const bool written = tools::SaveCameraPng(camera ? camera->GetRwCamera() : nullptr, out);
    std::printf("selection_shots: %s %s\n", written ? "wrote" : "could not write", out.c_str());
    return written;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: selection_shots <game folder> <picture folder> <width> <height>\n");
        return 2;
    }
    const int width = std::atoi(argv[3]), height = std::atoi(argv[4]);
    const std::string folder = std::filesystem::absolute(argv[2]).string();
    std::filesystem::create_directories(folder);
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    ConsoleSink console;
    Debug::Instance()->SetSink(&console);
    int result = 1;
    {
        tools::OffscreenSession session("selection_shots", width, height);
        RwGraphics* graphics = RwGraphics::Instance();
        graphics->SetDeviceKind(rwDeviceGL);
        // Set up here: the harness would start the renderer at 800 x 600.
        graphics->SetScreenSize(width, height);
        if (session.Start(tools::OffscreenSession::kWindowOnly) && graphics->Initialise(session.GetWindow())) {
            GameHarness harness(session.GetWindow(), tools::ArchivePath(argv[1]), rwDeviceGL);
            if (harness.Start("XXL")) {
                StoryModeGame::Instance()->NewGame("Bolts");
                StoryModeGame::Instance()->active = true;
                result = 0;
                for (const Shot& shot : {Shot{&kFive, false}, Shot{&kSeven, false}, Shot{&kFive, true},
                                         Shot{&kSeven, true}})
                    result |= TakeShot(harness, shot, folder, size) ? 0 : 1;
            }
            harness.Stop();
            graphics->Destroy();
        }
    }
    Debug::Instance()->SetSink(nullptr);
    return result;
}
