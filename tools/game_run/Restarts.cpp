// Stops and restarts of a real single match on the harness, as a person on side 0 sees them:
// "Panda01" (played by "(0):") against "Lizard01" on level01, replays on. Once play runs, the
// ball goes over side 0's touch line (a throw-in the person aims with the arrow), over side
// 1's goal line off a defender (a corner for side 0) and into side 1's goal (the goal, the
// replay from the camera that was active and then from behind that goal, the kick-off); then a
// side-0 player makes a special move with the ball.
// Given a folder, it runs on GL and writes "throwin.png", "corner.png", "goal.png",
// "replay.png" and "special.png" there: the throw-in with its arrow, the corner, the goal's
// banner naming the scorer, the second showing of the replay between its bars with the "R",
// and the special move's particles; else it runs on the null device. Exits 1 when a step is
// never reached, on a NaN, or when a picture cannot be written.
//
//     game_run restarts <game folder> [picture folder]
#include "characters/Actor.h"
#include "characters/ActorState.h"
#include "characters/Character.h"
#include "characters/CharacterVariation.h"
#include "characters/Team.h"
#include "framework/Debug.h"
#include "framework/Message.h"
#include "framework/TimeInfo.h"
#include "frontend/TBMenu.h"
#include "frontend/single/SingleMatch.h"
#include "game/GameTB.h"
#include "game/harness/GameHarness.h"
#include "match/period/MatchPeriod.h"
#include "match/PlayerHold.h"
#include "match/setpieces/ActionReplay.h"
#include "menus/Menu.h"
#include "pitch/CameraControl.h"
#include "pitch/PitchSimulation.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "settings/GameParameters.h"
#include "settings/MatchSettings.h"
#include "settings/PitchCoordinates.h"
#include "simulation/Ball.h"
#include "simulation/ReplayEngine.h"
#include "tools/common/ConsoleSink.h"
#include "tools/common/GameData.h"
#include "tools/common/OffscreenCamera.h"
#include "tools/common/OffscreenSession.h"
#include "tools/game_run/Modes.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

namespace {

constexpr int kWidth = 800, kHeight = 600;
constexpr int kFramesPerSecond = 60;
constexpr int kPressEvery = 20;
constexpr int kStepCap = 90 * kFramesPerSecond;
// After the restart's camera comes on: the fade in is over and the person is aiming.
constexpr float kSettleSeconds = 0.4f;
constexpr float kShotSpeed = 18.0f;
// Into the special move's run, where the particles stream.
constexpr float kSpecialSeconds = 0.6f;
// How near the goal the ball is in the replay's picture.
constexpr float kReplayBallDistance = 9.0f;
constexpr const char* kTouchLineCamera = "Cameras|Throw In";
constexpr const char* kCornerCameraStem = "Cameras|Corner";
constexpr const char* kSpecialCamera = "Fly";

PitchSimulation& Pitch() { return *PitchSimulation::Instance(); }

MatchPeriod* Period(GameHarness& harness)
{
    auto* match = dynamic_cast<SingleMatch*>(harness.GetGame()->GetCurrentState());
    return match ? dynamic_cast<MatchPeriod*>(match->GetHeld()) : nullptr;
}

bool InPlay(GameHarness& harness)
{
    const MatchPeriod* period = Period(harness);
    return period && !period->GetSequence() && !period->IsOver() && !period->GetBanner();
}

std::string TopCamera(const GameHarness& harness)
{
    const CameraControl* active = harness.GetGame()->GetCameras().GetActiveCamera();
    return active && active->GetName() ? active->GetName() : "";
}

void Send(const char* name, const void* record)
{
    MessageServer* server = MessageServer::Instance();
    server->SendMessage(0, server->RegisterMessage(name), reinterpret_cast<intptr_t>(record));
}

// Steps until done holds; false (reported) when the cap or the end of the match comes first.
// act: called before each frame (may be empty).
bool StepUntil(GameHarness& harness, const char* what, const std::function<bool()>& done,
               const std::function<void(int frame)>& act = nullptr)
{
    for (int frame = 0; frame < kStepCap; ++frame) {
        if (done())
            return true;
        if (act)
            act(frame);
        if (!harness.Step())
            break;
    }
    std::fprintf(stderr, "game_run: never reached: %s (%s)\n", what,
                 harness.GetProblem().empty() ? "frame cap" : harness.GetProblem().c_str());
    return false;
}

// "(0):button a" now and then: the person skips the intro, kicks off and takes his restarts.
std::function<void(int)> Presser(GameHarness& harness)
{
    return [&harness](int frame) {
        if (frame % kPressEvery == 0)
            harness.Script().Press(harness.GetFrame() + 1, "(0):button a");
    };
}

// The event sent in every frame of play until it starts its restart: one raised while play
// stands is lost.
std::function<void(int)> Sender(GameHarness& harness, const char* name, const void* record)
{
    return [&harness, name, record](int) {
        if (InPlay(harness))
            Send(name, record);
    };
}

// held: an action pressed all the while (empty: none).
void StepSeconds(GameHarness& harness, float seconds, const std::string& held = std::string())
{
    for (int frame = 0; frame < static_cast<int>(seconds * kFramesPerSecond); ++frame) {
        if (!held.empty())
            harness.Script().Press(harness.GetFrame(), held);
        harness.Step();
    }
}

// Writes the frame just drawn; true without a folder (the null device draws nothing).
bool Picture(const std::string& folder, const char* name)
{
    if (folder.empty())
        return true;
    const std::string path = folder + "/" + name;
    PrimaryCamera* camera = RwGraphics::Instance()->GetPrimaryCamera();
    const bool saved = tools::SaveCameraPng(camera ? camera->GetRwCamera() : nullptr, path);
    std::printf("game_run: %s %s\n", saved ? "wrote" : "could not write", path.c_str());
    return saved;
}

// Side 0's throw-in from its own half: side 1 touched the ball last.
bool ThrowIn(GameHarness& harness, const std::string& folder)
{
    static Ball::OutOfBoundsAcross record;
    // On the touch line across from the broadcast camera, in side 0's half: the throw-in's
    // camera looks from behind the taker there.
    const Vector3 eye = harness.GetGame()->GetCameras().GetActiveCamera()->GetPosition() - PitchFrame::GetCentre();
    const bool positiveLine = eye.Dot(PitchFrame::GetDirection(PitchFrame::kAcross)) < 0.0f;
    const float x = Pitch().GetTeam(0)->IsFirstSide() ? -0.3f : 0.3f;
    record = {positiveLine, PitchPosition(x, positiveLine ? 1.0f : -1.0f).ToWorld(true),
              Pitch().GetTeam(1)->GetPlayer(2)};
    if (!StepUntil(harness, "the throw-in camera", [&] { return TopCamera(harness) == kTouchLineCamera; },
                   Sender(harness, "out of bounds across", &record)))
        return false;
    // Turned to one side: pointing down the line of sight, the arrow would show only its edge.
    StepSeconds(harness, MatchSettings::Instance()->fadeLength + kSettleSeconds, "(0):right");
    std::printf("game_run: frame %d: throw-in aimed by \"(0):\"\n", harness.GetFrame());
    const bool saved = Picture(folder, "throwin.png");
    // A person's throw is never taken for him.
    return StepUntil(harness, "play after the throw-in", [&] { return InPlay(harness); }, Presser(harness)) && saved;
}

// Side 0's corner: a side-1 defender put the ball over his own goal line.
bool Corner(GameHarness& harness, const std::string& folder)
{
    static Ball::OutOfBoundsFar record;
    record = {Pitch().GetTeam(1)->IsFirstSide(), false, Pitch().GetTeam(1)->GetPlayer(2)};
    if (!StepUntil(harness, "the corner camera", [&] { return TopCamera(harness).rfind(kCornerCameraStem, 0) == 0; },
                   Sender(harness, "out of bounds far", &record)))
        return false;
    StepSeconds(harness, MatchSettings::Instance()->fadeLength + kSettleSeconds);
    std::printf("game_run: frame %d: corner from \"%s\"\n", harness.GetFrame(), TopCamera(harness).c_str());
    const bool saved = Picture(folder, "corner.png");
    return StepUntil(harness, "play after the corner", [&] { return InPlay(harness); }, Presser(harness)) && saved;
}

// A side-0 player's special move with the ball, his body giving off his own particles.
bool Special(GameHarness& harness, const std::string& folder)
{
    Character& player = *Pitch().GetTeam(0)->GetPlayer(2);
    Actor& actor = *player.GetActor();
    for (Character* other : PlayerHold::AllPlayers())
        if (other->GetActor()->HasBall())
            other->GetActor()->ReleaseBall();
    // Nobody else moves, and the near camera follows him through the move.
    PlayerHold::HoldAll();
    Ball& ball = *Pitch().GetBall();
    ball.ReleasePossession(0);
    actor.PlaceInState(actor.GetPosition(), actor.GetHeading(), new ActorState(ActorNodes::specialstart));
    if (ball.TakePossession(&player))
        actor.TakeBall(&ball);
    harness.GetGame()->GetCameras().PushCamera(kSpecialCamera);
    SetCameraTarget(&actor);
    StepSeconds(harness, kSpecialSeconds);
    std::printf("game_run: frame %d: %s in \"%s\"\n", harness.GetFrame(),
                player.GetVariation()->GetDisplayName().c_str(), actor.GetStateName());
    const bool saved = Picture(folder, "special.png");
    harness.GetGame()->GetCameras().PopCamera();
    SetCameraTarget(&ball);
    PlayerHold::ReleaseAll();
    return StepUntil(harness, "play after the special move", [&] { return InPlay(harness); }, Presser(harness)) &&
           saved;
}

// A side-0 striker's shot from the edge of the area into side 1's goal, everybody else out of
// the way (where the play before left them depends on the players' pace); the recorder keeps
// the shot for the replay.
void Shoot()
{
    SoccerTeam& defenders = *Pitch().GetTeam(1);
    Character& striker = *Pitch().GetTeam(0)->GetPlayer(2);
    const bool defendersFirst = defenders.IsFirstSide();
    const Vector3 from = PitchPosition(-0.7f, 0.15f).ToWorld(defendersFirst);
    const Vector3 goal = PitchPosition(-1.05f, 0.02f).ToWorld(defendersFirst);
    Vector3 direction = goal - from;
    direction.y = 0.0f;
    direction.Normalize();
    // Nobody carries the ball off or runs into its path.
    for (Character* player : PlayerHold::AllPlayers())
        if (player->GetActor()->HasBall())
            player->GetActor()->ReleaseBall();
    PlayerHold::HoldAll();
    // Along the far touch line, well away from the ball's path.
    float along = -0.9f;
    for (Character* player : PlayerHold::AllPlayers()) {
        if (player != &striker)
            player->GetActor()->SetPosition(PitchPosition(along, -0.8f).ToWorld(defendersFirst));
        along += 0.15f;
    }
    striker.GetActor()->SetPosition(from - direction * 1.5f);
    Ball& ball = *Pitch().GetBall();
    ball.ReleasePossession(0);
    ball.SetPosition(from + Vector3{0.0f, ball.GetRadius(), 0.0f});
    // Touched by the striker, so the goal is his and counts.
    ball.TakePossession(&striker);
    ball.ReleasePossession(1);
    ball.SetVelocity(direction * kShotSpeed + Vector3{0.0f, 2.0f, 0.0f});
}

bool Replay(GameHarness& harness, const std::string& folder)
{
    const int goals = Pitch().GetTeam(0)->GetGoals();
    // Some play before the shot, so the replay has seconds to show.
    StepSeconds(harness, 2.0f);
    Shoot();
    const bool scored = StepUntil(harness, "the goal", [&] { return Pitch().GetTeam(0)->GetGoals() > goals; });
    if (!scored) {
        PlayerHold::ReleaseAll();
        return false;
    }
    const auto banner = [] {
        const auto* menu = dynamic_cast<const TBMenu*>(Menu::Instance()->GetOwner());
        return menu && menu->GetScreen() == "message_goal" && Menu::Instance()->GetFadeState() == Menu::kShown;
    };
    if (!StepUntil(harness, "the goal's banner", banner))
        return false;
    std::printf("game_run: frame %d: the banner names the scorer \"%s\"\n", harness.GetFrame(),
                Menu::Instance()->Variables()["%scorer%"].c_str());
    const bool bannerSaved = Picture(folder, "goal.png");
    const std::string goalCamera = std::string("Cameras|") +
                                   ActionReplay::GoalCameraName(!Pitch().GetTeam(0)->IsFirstSide());
    if (!StepUntil(harness, "the replay's second showing", [&] { return TopCamera(harness) == goalCamera; }))
        return false;
    // The shot coming at the camera, on a frame with the "R".
    const Vector3 goal = PitchPosition(-1.0f, 0.0f).ToWorld(Pitch().GetTeam(1)->IsFirstSide());
    const auto shown = [&] {
        return (Pitch().GetBall()->GetPosition() - goal).Length() < kReplayBallDistance &&
               ActionReplay::IsMarkShown(TimeInfo::Instance()->GetElapsedTime());
    };
    if (!StepUntil(harness, "the shot in the replay", shown))
        return false;
    std::printf("game_run: frame %d: replay through \"%s\", replaying: %s\n", harness.GetFrame(),
                goalCamera.c_str(), ReplayEngine::Instance()->IsReplaying() ? "yes" : "no");
    const bool saved = Picture(folder, "replay.png") && bannerSaved;
    return StepUntil(harness, "play after the kick-off", [&] { return InPlay(harness); }, Presser(harness)) && saved;
}

int Run(platform::Window* window, const std::string& archive, const std::string& folder)
{
    GameHarness harness(window, archive, folder.empty() ? rwDeviceNull : rwDeviceGL);
    if (!harness.Start())
        return 1;
    GameParameters& parameters = *GameParameters::Instance();
    parameters.SetParameter("players", "1");
    parameters.SetParameter("teamone", "Panda01");
    parameters.SetParameter("teamtwo", "Lizard01");
    parameters.SetParameter("level", "level01");
    parameters.halftimeDuration = 0;
    parameters.replays = true;
    harness.MakeCurrent(new SingleMatch);
    // The intro skipped and the kick-off taken by the person.
    bool ok = StepUntil(harness, "play after the kick-off", [&] { return InPlay(harness); }, Presser(harness));
    ok = ok && ThrowIn(harness, folder);
    ok = ok && Corner(harness, folder);
    ok = ok && Replay(harness, folder);
    ok = ok && Special(harness, folder);
    std::printf("game_run: %d frames, score %d:%d, %s\n", harness.GetFrame(), Pitch().GetTeam(0)->GetGoals(),
                Pitch().GetTeam(1)->GetGoals(), harness.GetProblem().empty() ? "no NaN" : harness.GetProblem().c_str());
    harness.Stop();
    return ok && harness.GetProblem().empty() ? 0 : 1;
}

}  // namespace

int RunRestarts(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: game_run restarts <game folder> [picture folder]\n");
        return 2;
    }
    std::string folder;
    if (argc == 3) {
        folder = std::filesystem::absolute(argv[2]).string();
        std::error_code error;
        std::filesystem::create_directories(folder, error);
    }
    ConsoleSink console;
    Debug::Instance()->SetSink(&console);
    const std::string archive = tools::ArchivePath(argv[1]);
    tools::OffscreenSession session("game_run restarts", kWidth, kHeight);
    int result = 1;
    if (session.Start(tools::OffscreenSession::kWindowOnly))
        result = Run(session.GetWindow(), archive, folder);
    Debug::Instance()->SetSink(nullptr);
    return result;
}
