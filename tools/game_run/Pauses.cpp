// The match's building blocks one after another on the default data, headless on the game
// harness: a 2 s delay, a fade step to black, a free kick taken by the computer, a fade step
// back, a whistle, a yellow and then a red card (the player walks off and is gone), a goal
// reaction and a substitution from the bench. Prints each second the step under way, how many
// brains are held and the match clock, and the match messages; exits 1 on a NaN, a step that
// never ends, or a red card or substitution that did not change the sides. Given a picture,
// it runs on GL and draws into it the free kick as a person would aim it, with the aiming
// arrow at the taker; else it runs on the null device.
//
//     game_run pauses <game folder> [picture.png]
#include "characters/Actor.h"
#include "characters/Character.h"
#include "characters/CharacterBrain.h"
#include "characters/Team.h"
#include "engine/core/RwCore.h"
#include "framework/Debug.h"
#include "framework/State.h"
#include "game/GameTB.h"
#include "game/harness/GameHarness.h"
#include "game/harness/MatchSides.h"
#include "match/MatchDelay.h"
#include "match/MatchFade.h"
#include "match/PitchDrawingState.h"
#include "match/PlayerHold.h"
#include "match/setpieces/DirectionSelector.h"
#include "match/setpieces/PlayerReaction.h"
#include "match/setpieces/RefereeStates.h"
#include "match/setpieces/SendOffPlayer.h"
#include "match/setpieces/SetPiece.h"
#include "pitch/CameraControl.h"
#include "pitch/CameraStack.h"
#include "pitch/PitchSimulation.h"
#include "pitch/TBWorld.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "settings/MatchSettings.h"
#include "simulation/Ball.h"
#include "simulation/MatchClock.h"
#include "tools/common/ConsoleSink.h"
#include "tools/common/GameData.h"
#include "tools/common/OffscreenCamera.h"
#include "tools/common/OffscreenSession.h"
#include "tools/game_run/Modes.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 800, kHeight = 600;
constexpr int kFramesPerSecond = 60;
// How far either way a person may turn the arrow from the taker's heading.
constexpr float kAimRange = 0.8f;
constexpr int kFrameCap = 120 * kFramesPerSecond;
constexpr float kPlaySeconds = 1.0f;
constexpr float kDelaySeconds = 2.0f;
constexpr float kRedCardSeconds = 5.0f;
constexpr const char* kLevel = "level01";
constexpr const char* kSubstitute = "PandaPl00";

PitchSimulation& Pitch() { return *PitchSimulation::Instance(); }

// A free kick a third of the way into the second side's half: the first side's field player
// nearest the spot takes it and, once "AI set piece delay (secs)" has passed, passes to the
// team-mate nearest the ball.
class ComputerFreeKick : public SetPiece {
public:
    ComputerFreeKick(float fadeSeconds, float delay)
        : SetPiece("freekick", true, fadeSeconds, fadeSeconds), m_spot(PitchPosition(0.33f, 0.2f).ToWorld(true)),
          m_countdown(delay)
    {
    }

    // As the set pieces of the match do: the camera "Throw In" on the taker.
    void Enter() override
    {
        m_taker = NearestFieldPlayer();
        SetPiece::Enter();
        CameraStack::Current()->PushCamera("Throw In");
        if (m_taker)
            SetCameraTarget(m_taker->GetActor());
    }
    void Exit() override
    {
        SetPiece::Exit();
        CameraStack::Current()->PopCamera();
        SetCameraTarget(Pitch().GetBall());
    }
    State* Update(float dt) override
    {
        m_countdown -= dt;
        if (m_countdown <= 0.0f && m_taker)
            if (Character* receiver = ChooseReceiver(m_taker, true))
                m_taker->GetBrain()->GetOrder() = TeamOrder{1, Vector3(), receiver};
        return SetPiece::Update(dt);
    }
    void GetTakerPlacement(Vector3& spot, Vector3& direction) const override
    {
        spot = m_spot;
        direction = PitchFrame::GetDirection(PitchFrame::kAlong);
    }
    Character* GetTaker() const override { return m_taker; }

private:
    Character* NearestFieldPlayer() const
    {
        const SoccerTeam& team = *Pitch().GetTeam(0);
        Character* nearest = nullptr;
        for (int i = 0; i < team.GetPlayerCount(); ++i) {
            Character* player = team.GetPlayer(i);
            const float distance = (player->GetActor()->GetPosition() - m_spot).Length();
            if (player->GetKind() == Character::kFieldPlayer &&
                (!nearest || distance < (nearest->GetActor()->GetPosition() - m_spot).Length()))
                nearest = player;
        }
        return nearest;
    }

    Vector3 m_spot;
    float m_countdown;
    Character* m_taker = nullptr;
};

// Open play for a while: everything runs, the clock too.
class Play : public PitchDrawingState {
public:
    explicit Play(float seconds) : m_timeLeft(seconds) {}
    State* Update(float dt) override
    {
        Pitch().Update(dt, PitchSimulation::kUpdateAll);
        m_timeLeft -= dt;
        return m_timeLeft > 0.0f ? this : nullptr;
    }

private:
    float m_timeLeft;
};

// Named steps run one after another; each is made when it starts, so that it sees the match
// as the steps before left it.
class Steps : public State {
public:
    struct Step {
        std::string label;
        std::function<State*()> make;
    };

    explicit Steps(std::vector<Step> steps) : m_steps(std::move(steps)) {}
    ~Steps() override { StateSlot::Set(&m_current, nullptr, false); }

    void Enter() override { Start(0); }
    void Exit() override { StateSlot::Set(&m_current, nullptr, false); }
    State* Update(float dt) override
    {
        StateSlot::Update(&m_current, dt);
        if (!m_current)
            Start(m_index + 1);
        return m_current ? this : nullptr;
    }
    void Render() override
    {
        if (m_current)
            m_current->Render();
    }
    const char* GetLabel() const { return m_index < m_steps.size() ? m_steps[m_index].label.c_str() : "(done)"; }
    State* GetCurrent() const { return m_current; }

private:
    void Start(size_t index)
    {
        m_index = index;
        if (index < m_steps.size())
            StateSlot::Set(&m_current, m_steps[index].make(), true);
    }

    std::vector<Step> m_steps;
    size_t m_index = 0;
    State* m_current = nullptr;
};

State* Chain(std::vector<State*> states)
{
    State* next = nullptr;
    for (auto state = states.rbegin(); state != states.rend(); ++state)
        next = next ? new IteratingState(*state, next) : *state;
    return next;
}

// What the steps act on, chosen before they run.
struct Roles {
    Character* offender;
    Character* fouled;
    Character* outgoing;
    // Owned by the first side's bench until the substitution takes him on.
    Character* substitute;
    Vector3 outgoingPlace;
};

std::vector<Steps::Step> MakeSteps(Roles& cast)
{
    const MatchSettings& settings = *MatchSettings::Instance();
    const float fade = settings.fadeLength;
    const float delay = settings.aiSetPieceDelay;
    const auto side = [](int n) {
        std::vector<Character*> players;
        for (int i = 0; i < Pitch().GetTeam(n)->GetPlayerCount(); ++i)
            players.push_back(Pitch().GetTeam(n)->GetPlayer(i));
        return players;
    };
    return {
        {"open play", [] { return new Play(kPlaySeconds); }},
        {"delay 2 s", [] { return new MatchDelay(kDelaySeconds, true, true); }},
        {"fade step to black", [fade] { return MatchFade::CreateFadeStep(false, fade); }},
        {"free kick (computer)", [fade, delay] { return new ComputerFreeKick(fade, delay); }},
        {"fade step back", [fade] { return MatchFade::CreateFadeStep(true, fade); }},
        {"whistle", [] { return new RefereeWhistle(true); }},
        {"yellow card", [&cast] { return new RedCardAward(cast.offender, true, cast.fouled); }},
        {"red card, walking off", [&cast] {
             return Chain({new RedCardAward(cast.offender, false, cast.fouled),
                           new SendOffPlayer({cast.offender}, true, false, false, kRedCardSeconds)});
         }},
        {"goal reaction", [side, &settings] {
             return new PlayerReaction(side(0), side(1), settings.goalMinStagger, settings.goalMaxStagger,
                                       settings.goalReactionTime);
         }},
        {"substitution", [&cast] {
             cast.outgoingPlace = cast.outgoing->GetActor()->GetPosition();
             return Chain({new SendOffPlayer({cast.outgoing}, false, true, false, 0.0f),
                           new Substitution(cast.outgoing, cast.substitute),
                           new SendInPlayer({cast.substitute}, {cast.outgoingPlace})});
         }},
    };
}

void PrintSecond(int frame, const Steps& steps)
{
    int held = 0;
    const std::vector<Character*> players = PlayerHold::AllPlayers();
    for (const Character* player : players)
        held += PlayerHold::IsHeld(player);
    const Character* referee = Pitch().GetReferee();
    std::printf("t=%5.1f s  %-22s  held %2d of %2zu players, referee %s; clock %.2f\n",
                static_cast<float>(frame) / kFramesPerSecond, steps.GetLabel(), held, players.size(),
                referee && PlayerHold::IsHeld(referee) ? "held" : "free", Pitch().GetClock()->GetTime());
}

// At rest, as at a kick-off: the game parks it out of sight.
void PutBallOnCentreSpot()
{
    Ball& ball = *Pitch().GetBall();
    ball.SetPosition(PitchFrame::GetCentre() + PitchFrame::GetDirection(PitchFrame::kUp) * ball.GetRadius());
    ball.SetVelocity(Vector3());
}

// The match messages sent since the last call, without the players' bumps, and a message
// repeated frame after frame only once.
void PrintMessages(const MessageTap& tap, size_t& printed, std::string& last)
{
    for (; printed < tap.GetLines().size(); ++printed) {
        const std::string& line = tap.GetLines()[printed];
        // "frame <n> t=<seconds> <name> <parameter>"
        const size_t from = line.find(' ', line.find("t=")) + 1;
        const std::string name = line.substr(from, line.rfind(' ') - from);
        if (name != "actor collision" && name != last)
            std::printf("           %s\n", line.c_str());
        last = name;
    }
}

bool WritePicture(const std::string& out)
{
    PrimaryCamera* camera = RwGraphics::Instance()->GetPrimaryCamera();
    return tools::SaveCameraPng(camera ? camera->GetRwCamera() : nullptr, out);
}

// Once the free kick waits for its kick: one frame with the arrow a person would aim by,
// drawn into the picture. False when the picture cannot be written.
bool TakePicture(GameHarness& harness, const Steps& steps, const std::string& out, bool& taken)
{
    if (out.empty())
        return true;
    const auto* kick = dynamic_cast<const ComputerFreeKick*>(steps.GetCurrent());
    if (taken || !kick || kick->GetFadeIn() || !kick->GetTaker() || kick->IsKickTaken())
        return true;
    taken = true;
    const Actor& taker = *kick->GetTaker()->GetActor();
    DirectionSelector arrow("(0):", taker.GetPosition(), taker.GetHeading(), taker.GetHeading() - kAimRange,
                            taker.GetHeading() + kAimRange);
    TBWorld& world = *Pitch().GetWorld();
    world.AddRenderObject(&arrow);
    harness.Step();
    world.RemoveRenderObject(&arrow);
    const bool saved = WritePicture(out);
    std::printf("game_run: %s %s\n", saved ? "wrote" : "could not write", out.c_str());
    return saved;
}

int RunDemo(GameHarness& harness, const std::string& out)
{
    SoccerTeam& first = *Pitch().GetTeam(0);
    SoccerTeam& second = *Pitch().GetTeam(1);
    auto substitute = std::make_unique<Character>(Character::kFieldPlayer, kSubstitute, &first);
    first.SendToBench(substitute.get());
    Roles cast{second.GetPlayer(2), first.GetPlayer(2), first.GetPlayer(3), substitute.release(), Vector3()};
    const int secondBefore = second.GetPlayerCount();
    harness.Tap().Clear();
    PutBallOnCentreSpot();
    auto* steps = new Steps(MakeSteps(cast));
    harness.MakeCurrent(steps);
    int frame = 0;
    size_t printed = 0;
    std::string last;
    bool pictured = false, saved = true;
    for (; frame < kFrameCap; ++frame) {
        if (frame % kFramesPerSecond == 0)
            PrintSecond(frame, *steps);
        saved = TakePicture(harness, *steps, out, pictured) && saved;
        const bool running = harness.Step();
        PrintMessages(harness.Tap(), printed, last);
        if (!running)
            break;
    }
    const bool ended = harness.GetGame()->GetCurrentState() == nullptr;
    const bool sentOff = second.GetPlayerCount() == secondBefore - 1 && !second.Contains(cast.offender);
    const bool substituted = first.Contains(cast.substitute) && first.GetBench().empty();
    std::printf("game_run: %d frames (%.1f s); ended: %s; side 1 has %d players (was %d); the substitute plays: "
                "%s; clock %.2f; %s\n",
                frame, static_cast<float>(frame) / kFramesPerSecond, ended ? "yes" : "no", second.GetPlayerCount(),
                secondBefore, substituted ? "yes" : "no", Pitch().GetClock()->GetTime(),
                harness.GetProblem().empty() ? "no NaN" : harness.GetProblem().c_str());
    return ended && sentOff && substituted && (pictured || out.empty()) && saved && harness.GetProblem().empty() &&
                   std::isfinite(Pitch().GetClock()->GetTime())
               ? 0
               : 1;
}

int Run(const std::string& archive, const std::string& out)
{
    tools::OffscreenSession session("game_run pauses", kWidth, kHeight);
    if (!session.Start(tools::OffscreenSession::kWindowOnly))
        return 1;
    GameHarness harness(session.GetWindow(), archive, out.empty() ? rwDeviceNull : rwDeviceGL);
    if (!harness.Start() || !PutSidesOnPitch("Panda01", "Lizard01"))
        return 1;
    LoadLevelCasts(harness, kLevel);
    if (GetSpawnPoint(Pitch().GetTeam(0)).LengthSquared() == 0.0f)
        std::fprintf(stderr, "game_run: no spawn points in %s; players walk to the centre\n", kLevel);
    const int result = RunDemo(harness, out);
    harness.Stop();
    return result;
}

}  // namespace

int RunPauses(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: game_run pauses <game folder> [picture.png]\n");
        return 2;
    }
    const std::string out = argc == 3 ? std::filesystem::absolute(argv[2]).string() : std::string();
    ConsoleSink console;
    Debug::Instance()->SetSink(&console);
    const int result = Run(tools::ArchivePath(argv[1]), out);
    Debug::Instance()->SetSink(nullptr);
    return result;
}
