// Two computer sides, "Panda01" against "Lizard01" at aggression 50, kick about on the default
// data, headless, with every part of the pitch simulation running. The match rules are not
// played: after a goal, a ball out of play or a keeper's goal kick the ball goes back on the
// centre spot (a goal still counts, so the strategies follow the score). Prints what the sides
// did; exits 1 on a NaN position, a player far off the pitch, or a side that never passed,
// shot or tackled.
//
//     team_play <stage folder> [--seconds S] [--seed N] [--bench] [--human] [--events] [--twice] [--gallery N]
//               [--keeper-skill S]
//
// --bench: the AI's think time per frame (cache clearing, both managers, every field brain's
// Think, each keeper's crossing and guard point) as median and 99th percentile, with the path
// checker's queries per frame, and again over the frames in which the ball is free.
// --human: side 0 is steered by "(0):" under a script: run, pass, switch, charge and shoot.
// --events: every match message in order after the summary, so that two runs can be compared.
// --twice: plays the run again in the same process; exits 1 unless both tell the same story.
// --swap: "Lizard01" plays as side 0 and "Panda01" as side 1. --ends: side 1 plays from the
// first side's end.
// --gallery N: N seeded shots from 15 to 25 m at side 0's keeper, everybody else held; prints
// the share of shots on target that drew a save and the share saved. --gallery-side 1 shoots
// at side 1's keeper instead; --keeper-skill S gives that keeper the skill S (0 to 100).

#include "ai/TeamManager.h"
#include "ai/TeamStrategy.h"
#include "ai/UtilityRegistry.h"
#include "characters/Actor.h"
#include "characters/ActorClumpCache.h"
#include "characters/Character.h"
#include "characters/CharacterBrain.h"
#include "characters/CharacterRace.h"
#include "characters/CharacterVariation.h"
#include "characters/KeeperBrain.h"
#include "characters/Team.h"
#include "characters/TeamDescription.h"
#include "framework/Cast.h"
#include "framework/Message.h"
#include "framework/Random.h"
#include "input/InputController.h"
#include "input/ScriptedInputMapper.h"
#include "pitch/PitchSimulation.h"
#include "scene/RwGraphics.h"
#include "settings/GameSettings.h"
#include "settings/LevelSettings.h"
#include "settings/MatchSettings.h"
#include "simulation/Ball.h"
#include "simulation/CollisionManager.h"
#include "simulation/PathChecker.h"
#include "simulation/ShapeCollision.h"
#include "tools/common/Fail.h"
#include "tools/common/GameData.h"
#include "tools/common/OffscreenSession.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace {

using tools::Fail;
using tools::FailStep;

constexpr float kFrame = 1.0f / 60.0f;
constexpr float kAggression = 50.0f;
constexpr float kStrayLimit = 5.0f;
constexpr int kSides = PitchSimulation::kSides;
// The sides' teams; --swap plays them the other way round.
const char* s_teams[kSides] = {"Panda01", "Lizard01"};
constexpr int kMaxPlayers = 16;
constexpr int kSettleFrames = 120;

struct Options {
    std::string folder;
    float seconds = 300.0f;
    uint32_t seed = 1;
    bool bench = false;
    bool human = false;
    bool events = false;
    bool twice = false;  // a second run in the same process must give the same messages
    int gallery = 0;  // shots at side 0's keeper instead of a match
    float keeperSkill = -1.0f;  // the gallery keeper's skill; his own when negative
    int gallerySide = 0;  // whose keeper faces the gallery
    bool switchEnds = false;  // side 1 plays from the first side's end
};

// What both sides did, by side.
struct Tally {
    int passes[kSides] = {};
    int shots[kSides] = {};
    int snags[kSides] = {};
    int fouls[kSides] = {};
    int goals[kSides] = {};
    int restarts = 0;
    int possessionChanges = 0;
    // Under the script: the selected player's own passes and shots, and the switches.
    int selectedPasses = 0;
    int selectedShots = 0;
    int switches = 0;
    // How far the players sent to their formation places stood from them, summed over frames;
    // settled: only those sent there for kSettleFrames or more, back from a chase.
    double formationGap = 0.0;
    int formationSamples = 0;
    double settledGap = 0.0;
    int settledSamples = 0;
    int sentFrames[kSides][kMaxPlayers] = {};
    std::vector<std::string> strategies[kSides];
    std::vector<std::string> log;
};

int SideOf(const SoccerTeam* team)
{
    return team == PitchSimulation::Instance()->GetTeam(1) ? 1 : 0;
}

int HoldingSide()
{
    PitchSimulation* pitch = PitchSimulation::Instance();
    for (int side = 0; side < kSides; ++side) {
        if (pitch->GetTeam(side)->HasBall())
            return side;
    }
    return -1;
}

// Counts the match messages; asks for the ball back on the spot when play would stop.
class Referee : public MessageListener {
public:
    explicit Referee(Tally& tally) : m_tally(tally) { MessageServer::Instance()->RegisterListener(this); }
    ~Referee() override { MessageServer::Instance()->UnregisterListener(this); }

    int OnMessage(int message, intptr_t param) override
    {
        const std::string name = MessageServer::Instance()->GetMessageName(message);
        const auto* character = reinterpret_cast<const Character*>(param);
        const Character* selected = PitchSimulation::Instance()->GetTeam(0)->GetControlledPlayers().GetSelected();
        if (name == "did pass" && character) {
            ++m_tally.passes[SideOf(character->GetTeam())];
            m_tally.selectedPasses += character == selected && selected->IsSelected();
        } else if (name == "did shot" && HoldingSide() >= 0) {
            ++m_tally.shots[HoldingSide()];
            m_tally.selectedShots += selected && selected->IsSelected() && selected->GetActor()->HasBall();
        }
        else if (name == "Snagged" && character)
            ++m_tally.snags[SideOf(character->GetTeam())];
        else if ((name == "penalty foul" || name == "free kick foul") && param)
            Foul(*reinterpret_cast<const Character::FoulRecord*>(param));
        else if (name == "goal scored" && param)
            Goal(*reinterpret_cast<const Ball::Goal*>(param));
        else if (name == "out of bounds far" || name == "out of bounds across" || name == "goal kick")
            restart = true;
        if (name != "actor collision" && m_tally.log.size() < kLoggedEvents)
            m_tally.log.push_back(name);
        return 0;
    }

    bool restart = false;

private:
    static constexpr size_t kLoggedEvents = 100000;

    void Foul(const Character::FoulRecord& foul)
    {
        if (foul.offender)
            ++m_tally.fouls[SideOf(foul.offender->GetTeam())];
        restart = true;
    }
    void Goal(const Ball::Goal& goal)
    {
        if (goal.scoringTeam) {
            ++m_tally.goals[SideOf(goal.scoringTeam)];
            goal.scoringTeam->SetGoals(goal.scoringTeam->GetGoals() + 1);
        }
        restart = true;
    }

    Tally& m_tally;
};

bool LoadData()
{
    CastManager* casts = CastManager::Instance();
    const auto load = [&](const char* cast, const char* member, Object* object, const char* file) {
        Cast* c = casts->CreateCast(cast);
        if (member)
            c->AddMember(object, member, false);
        return LoadSettings(c, file) || FailStep("cannot read %s", file);
    };
    bool ok = load("level", "Level Settings", LevelSettings::Instance(), "<SP>level\\level.txt");
    ok = load("objects", nullptr, nullptr, "<SP>objects\\objects.txt") && ok;
    ok = load("global", "Game Settings", GameSettings::Instance(), "<PP>global\\global.txt") && ok;
    ok = load("matchsettings", "Match Settings", MatchSettings::Instance(), "<PP>matchsettings.txt") && ok;
    return ok;
}

// The two sides of the descriptions, keepers first, computer-controlled.
bool MakeSides()
{
    PitchSimulation* pitch = PitchSimulation::Instance();
    for (int side = 0; side < kSides; ++side) {
        const TeamDescription* description = TeamDescription::Find(s_teams[side]);
        if (!description)
            return FailStep("no team description %s", s_teams[side]);
        SoccerTeam* team = pitch->GetTeam(side);
        team->SetAggression(kAggression);
        for (const TeamDescription::Member& member : description->GetMembers()) {
            const int32_t kind = member.isSub ? Character::kGoalkeeper : Character::kFieldPlayer;
            team->AddPlayer(std::make_unique<Character>(kind, member.variation, team));
        }
        pitch->GetTeamManager(side)->ChooseTactics();
    }
    return true;
}

// Every player on its kick-off place, the ball on the centre spot at rest.
void KickOff()
{
    PitchSimulation* pitch = PitchSimulation::Instance();
    Ball& ball = *pitch->GetBall();
    ball.ReleasePossession(1);
    for (int side = 0; side < kSides; ++side) {
        SoccerTeam& team = *pitch->GetTeam(side);
        for (int i = 0; i < team.GetPlayerCount(); ++i) {
            Actor* actor = team.GetPlayer(i)->GetActor();
            if (!actor)
                continue;
            actor->ReleaseBall();
            // A state kept for the ball (a keeper standing with it) would wait for ever.
            if (const char* state = actor->GetStateName(); state && std::strstr(state, "withball"))
                actor->PlaceInState(actor->GetPosition(), actor->GetHeading(), new ActorState(ActorNodes::stand));
        }
    }
    ball.SetPosition(PitchFrame::GetCentre() + PitchFrame::GetDirection(PitchFrame::kUp) * ball.GetRadius());
    ball.SetVelocity(Vector3{});
}

void PlaceTeams()
{
    PitchSimulation* pitch = PitchSimulation::Instance();
    const TeamStrategy* kickoff = TeamStrategy::Find("kickoff_defend");
    for (int side = 0; side < kSides; ++side) {
        SoccerTeam& team = *pitch->GetTeam(side);
        const bool first = team.IsFirstSide();
        const Vector3 attack = PitchPosition(1.0f, 0.0f).ToWorld(first) - PitchFrame::GetCentre();
        const float heading = std::atan2(attack.x, attack.z);
        for (int i = 0; i < team.GetPlayerCount(); ++i) {
            Character& player = *team.GetPlayer(i);
            const PitchPosition place = kickoff ? kickoff->GetTacticalPosition(player.GetRoleIndex(), {}) : PitchPosition();
            player.GetActor()->PlaceInState(place.ToWorld(first), heading, new ActorState(ActorNodes::stand));
        }
    }
    KickOff();
}

bool IsNan(const Vector3& v) { return std::isnan(v.x) || std::isnan(v.y) || std::isnan(v.z); }

// Metres beyond the pitch's lines, 0 inside.
float OffPitch(const Vector3& world)
{
    const Vector3 local = PitchFrame::WorldToPitch() * (world - PitchFrame::GetCentre());
    const float along = std::abs(local.x) - PitchFrame::AlongHalfExtent(local.x);
    const float across = std::abs(local.z) - PitchFrame::AcrossHalfExtent(local.z);
    return std::max({along, across, 0.0f});
}

struct Bench {
    std::vector<double> thinkMs;
    std::vector<double> pathQueries;
    // The frames in which nobody holds the ball, so both keepers predict its path.
    std::vector<double> freeBallMs;
    // The same in the thread's processor time: on a busy machine a wall-clock frame may
    // include a whole scheduler slice given to another process.
    std::vector<double> thinkCpuMs;
    std::vector<double> freeBallCpuMs;
};

double ThreadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1.0e6;
}

// What a keeper weighs each frame: the free ball's crossing and his guard point. Both are
// queries, so the frame's own Think is not disturbed (his Think also draws random numbers).
void KeeperQueries(const Character& player)
{
    const auto* keeper = dynamic_cast<const KeeperBrain*>(player.GetBrain());
    if (!keeper)
        return;
    float time = 0.0f;
    Vector3 crossing;
    KeeperBrain::GuardPoint guard;
    if (HoldingSide() < 0)
        keeper->PredictCrossing(time, crossing);
    keeper->Guard(guard);
}

// The AI's share of a frame, timed on its own: the caches, both managers, then each field
// brain's Think on a copy of its command (the frame's update thinks again for real) and
// each keeper's queries.
void TimeThinking(Bench& bench, float dt)
{
    using Clock = std::chrono::steady_clock;
    PitchSimulation* pitch = PitchSimulation::Instance();
    const uint64_t queries = PathChecker::GetQueryCount();
    const double cpuStart = ThreadCpuMs();
    const auto start = Clock::now();
    pitch->GetUtilityRegistry()->ClearCaches();
    for (int side = 0; side < kSides; ++side) {
        SoccerTeam& team = *pitch->GetTeam(side);
        const int32_t difference = team.GetGoals() - pitch->GetTeam(1 - side)->GetGoals();
        pitch->GetTeamManager(side)->Update(dt, *pitch->GetClock(), difference);
    }
    for (int side = 0; side < kSides; ++side) {
        SoccerTeam& team = *pitch->GetTeam(side);
        for (int i = 0; i < team.GetPlayerCount(); ++i) {
            Character& player = *team.GetPlayer(i);
            if (player.IsSelected())
                continue;
            if (player.GetKind() == Character::kGoalkeeper) {
                KeeperQueries(player);
                continue;
            }
            ActorCommand scratch = player.GetCommand();
            player.GetBrain()->Think(scratch);
        }
    }
    const auto end = Clock::now();
    const double ms = std::chrono::duration<double, std::milli>(end - start).count();
    const double cpu = ThreadCpuMs() - cpuStart;
    bench.thinkMs.push_back(ms);
    bench.thinkCpuMs.push_back(cpu);
    if (HoldingSide() < 0) {
        bench.freeBallMs.push_back(ms);
        bench.freeBallCpuMs.push_back(cpu);
    }
    bench.pathQueries.push_back(static_cast<double>(PathChecker::GetQueryCount() - queries));
}

double Percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0.0;
    const auto at = values.begin() + static_cast<long>(p * static_cast<double>(values.size() - 1));
    std::nth_element(values.begin(), at, values.end());
    return *at;
}

// Side 0's selected player under "(0):", in rounds: with the ball it runs right and passes
// (a), runs up, presses a without the ball (a switch when no opponent holds it near), then,
// given the ball again, runs left and charges a shot by holding b until the power is full.
constexpr int kRoundFrames = 300;
constexpr int kSecondBallFrame = 123;

std::unique_ptr<ScriptedInputMapper> MakeScript(int frames)
{
    auto script = std::make_unique<ScriptedInputMapper>("(0):");
    for (int round = 0; round * kRoundFrames < frames; ++round) {
        script->Add(60, {{"right", 1.0f}});
        script->Add(1, {{"button a", 1.0f}});
        script->Add(30, {{"up", 1.0f}});
        script->Add(1, {});
        script->Add(1, {{"button a", 1.0f}});
        script->Add(60, {{"left", 1.0f}});
        script->Add(1, {});
        script->Add(90, {{"button b", 1.0f}, {"left", 0.5f}});
        script->Add(kRoundFrames - 244, {});
    }
    return script;
}

// The scripted side's selected player takes the ball where it stands.
void HandBallToSelected()
{
    Character* selected = PitchSimulation::Instance()->GetTeam(0)->GetControlledPlayers().GetSelected();
    if (!selected || selected->GetActor()->HasBall())
        return;
    KickOff();
    Ball& ball = *PitchSimulation::Instance()->GetBall();
    ball.SetPosition(selected->GetActor()->GetPosition() + Vector3(0.0f, ball.GetRadius(), 0.0f));
    if (ball.TakePossession(selected))
        selected->GetActor()->TakeBall(&ball);
}

// A switch: the scripted side's selection moved while the side did not hold the ball.
void CountSwitch(Tally& tally, const Character*& selected)
{
    SoccerTeam& team = *PitchSimulation::Instance()->GetTeam(0);
    const Character* now = team.GetControlledPlayers().GetSelected();
    if (selected && now != selected && !team.HasBall())
        ++tally.switches;
    selected = now;
}

// A player sent to his place adds his distance from it; sent counts his frames on the way.
void CountFormationGap(Tally& tally, const Character& player, int& sent)
{
    if (player.GetBrain()->GetOrder().code != 0) {
        sent = 0;
        return;
    }
    const float gap = player.GetBrain()->GetDistanceToTargetPosition();
    tally.formationGap += gap;
    ++tally.formationSamples;
    if (++sent > kSettleFrames) {
        tally.settledGap += gap;
        ++tally.settledSamples;
    }
}

// Plays the frames; false on a NaN or a stray player.
bool Play(const Options& options, Tally& tally, Bench* bench)
{
    PitchSimulation* pitch = PitchSimulation::Instance();
    Referee referee(tally);
    const int frames = static_cast<int>(options.seconds / kFrame);
    int holder = -1;
    const Character* selected = nullptr;
    for (int frame = 0; frame < frames; ++frame) {
        if (options.human) {
            if (frame % kRoundFrames == 0 || frame % kRoundFrames == kSecondBallFrame)
                HandBallToSelected();
            BufferedInputController::Instance()->Update(kFrame);
        }
        uint32_t flags = PitchSimulation::kUpdateAll;
        if (bench) {
            TimeThinking(*bench, kFrame);
            flags &= ~(PitchSimulation::kClearCaches | PitchSimulation::kUpdateManagers);
        }
        pitch->Update(kFrame, flags);
        if (options.human)
            CountSwitch(tally, selected);
        if (referee.restart) {
            referee.restart = false;
            ++tally.restarts;
            KickOff();
        }
        const int holding = HoldingSide();
        if (holding >= 0 && holder >= 0 && holding != holder)
            ++tally.possessionChanges;
        if (holding >= 0)
            holder = holding;
        for (int side = 0; side < kSides; ++side) {
            const std::string& name = pitch->GetTeamManager(side)->GetStrategyName();
            if (tally.strategies[side].empty() || tally.strategies[side].back() != name)
                tally.strategies[side].push_back(name);
            SoccerTeam& team = *pitch->GetTeam(side);
            for (int i = 0; i < team.GetPlayerCount(); ++i) {
                const Vector3 at = team.GetPlayer(i)->GetActor()->GetPosition();
                if (i < kMaxPlayers)
                    CountFormationGap(tally, *team.GetPlayer(i), tally.sentFrames[side][i]);
                if (IsNan(at) || OffPitch(at) > kStrayLimit) {
                    std::fprintf(stderr, "team_play: side %d player %d at (%.2f %.2f %.2f) at frame %d\n", side, i,
                                 at.x, at.y, at.z, frame);
                    return false;
                }
            }
        }
        if (IsNan(pitch->GetBall()->GetPosition()))
            return false;
    }
    return true;
}

void Report(const Tally& tally, const Bench* bench)
{
    for (int side = 0; side < kSides; ++side) {
        std::string strategies;
        for (const std::string& name : tally.strategies[side])
            strategies += (strategies.empty() ? "" : " > ") + name;
        std::printf("side %d (%s): %d passes (\"did pass\"), %d shots (\"did shot\"), %d snags (\"Snagged\"), %d fouls, "
                    "%d goals; strategies %s\n",
                    side, s_teams[side], tally.passes[side], tally.shots[side], tally.snags[side], tally.fouls[side],
                    tally.goals[side], strategies.c_str());
    }
    std::printf("possession changed %d times; ball back on the spot %d times; players sent to their places stood "
                "%.1f m from them on average, %.1f m once sent there for %d s\n",
                tally.possessionChanges, tally.restarts,
                tally.formationSamples ? tally.formationGap / tally.formationSamples : 0.0,
                tally.settledSamples ? tally.settledGap / tally.settledSamples : 0.0,
                static_cast<int>(kSettleFrames * kFrame));
    if (tally.selectedPasses + tally.selectedShots + tally.switches > 0)
        std::printf("side 0's selected player under the script: %d passes, %d shots, %d switches\n",
                    tally.selectedPasses, tally.selectedShots, tally.switches);
    if (!bench)
        return;
    std::printf("AI think time per frame over %zu frames: median %.4f ms, 99th percentile %.4f ms, worst %.4f ms; "
                "path-checker queries per frame: median %.0f, 99th percentile %.0f\n",
                bench->thinkMs.size(), Percentile(bench->thinkMs, 0.5), Percentile(bench->thinkMs, 0.99),
                Percentile(bench->thinkMs, 1.0), Percentile(bench->pathQueries, 0.5),
                Percentile(bench->pathQueries, 0.99));
    std::printf("with the ball free (both keepers predicting its path) over %zu frames: median %.4f ms, 99th "
                "percentile %.4f ms, worst %.4f ms\n",
                bench->freeBallMs.size(), Percentile(bench->freeBallMs, 0.5), Percentile(bench->freeBallMs, 0.99),
                Percentile(bench->freeBallMs, 1.0));
    std::printf("in processor time: all frames median %.4f ms, worst %.4f ms; ball free median %.4f ms, 99th "
                "percentile %.4f ms, worst %.4f ms\n",
                Percentile(bench->thinkCpuMs, 0.5), Percentile(bench->thinkCpuMs, 1.0),
                Percentile(bench->freeBallCpuMs, 0.5), Percentile(bench->freeBallCpuMs, 0.99),
                Percentile(bench->freeBallCpuMs, 1.0));
}

// One gallery shot, kicked by the shooter from where it lies; the keeper thinks only when
// given, else he is held out of the way so that the shot shows where it would go.
struct GalleryResult {
    bool goal = false;
    bool dove = false;
    bool touched = false;
};

GalleryResult GalleryShot(Tally& tally, Referee& referee, Character& shooter, Character& keeper, bool keeperPlays,
                          const Vector3& from, const Vector3& velocity, const Vector3& guard, float heading)
{
    PitchSimulation* pitch = PitchSimulation::Instance();
    Ball& ball = *pitch->GetBall();
    KickOff();
    keeper.GetBrain()->SetMode(keeperPlays ? 0 : CharacterBrain::kFrozen);
    keeper.GetBrain()->GetOrder().code = 1;  // left to his own thinking
    keeper.GetActor()->PlaceInState(keeperPlays ? guard : guard + Vector3(0.0f, 0.0f, 40.0f), heading,
                                    new ActorState(ActorNodes::stand));
    ball.TakePossession(&shooter);
    ball.ReleasePossession(1);
    ball.SetPosition(from);
    ball.SetVelocity(velocity);
    const int goalsBefore = tally.goals[0] + tally.goals[1];
    referee.restart = false;
    GalleryResult result;
    const uint32_t flags = PitchSimulation::kUpdateAll & ~PitchSimulation::kUpdateManagers;
    for (int frame = 0; frame < 180 && !referee.restart; ++frame) {
        pitch->Update(kFrame, flags);
        result.dove |= std::strncmp(keeper.GetActor()->GetStateName(), "save", 4) == 0;
        result.touched |= ball.GetLastToucher() == &keeper || keeper.GetActor()->HasBall();
        if (tally.goals[0] + tally.goals[1] != goalsBefore) {
            result.goal = true;
            break;
        }
    }
    referee.restart = false;
    return result;
}

// Everybody but the keeper stands held along the far touchline.
void HoldAllBut(const Character& keeper, SoccerTeam& defending, SoccerTeam& attacking)
{
    for (SoccerTeam* team : {&defending, &attacking}) {
        for (int i = 0; i < team->GetPlayerCount(); ++i) {
            Character& player = *team->GetPlayer(i);
            if (&player == &keeper)
                continue;
            player.GetBrain()->SetMode(CharacterBrain::kFrozen);
            player.GetActor()->PlaceInState({-20.0f + 4.0f * static_cast<float>(i) + (team == &attacking ? 2.0f : 0.0f),
                                             0.0f, -30.0f}, 0.0f, new ActorState(ActorNodes::stand));
        }
    }
}

int RunGallery(const Options& options, Tally& tally)
{
    PitchSimulation* pitch = PitchSimulation::Instance();
    Referee referee(tally);
    PlaceTeams();
    SoccerTeam& defending = *pitch->GetTeam(options.gallerySide);
    SoccerTeam& attacking = *pitch->GetTeam(1 - options.gallerySide);
    Character* keeper = nullptr;
    for (int i = 0; i < defending.GetPlayerCount(); ++i) {
        if (defending.GetPlayer(i)->IsKeeper())
            keeper = defending.GetPlayer(i);
    }
    if (!keeper || attacking.GetPlayerCount() == 0)
        return Fail("no keeper or no shooter");
    auto* brain = dynamic_cast<KeeperBrain*>(keeper->GetBrain());
    if (brain && options.keeperSkill >= 0.0f)
        brain->SetSkill(options.keeperSkill);
    Character& shooter = *attacking.GetPlayer(attacking.GetPlayerCount() - 1);
    HoldAllBut(*keeper, defending, attacking);
    const bool first = defending.IsFirstSide();
    const Vector3 goal = PitchPosition(-1.0f, 0.0f).ToWorld(first);
    Vector3 forward = PitchPosition(1.0f, 0.0f).ToWorld(first) - goal;
    forward.Normalize();
    const Vector3 up = PitchFrame::GetDirection(PitchFrame::kUp);
    const Vector3 lateral = up.Cross(forward);
    const float heading = std::atan2(forward.x, forward.z);
    const Vector3 guard = goal + forward * 2.0f;
    const float radius = pitch->GetBall()->GetRadius();
    Random::Seed(options.seed);
    if (brain)
        brain->DrawMisjudgement();
    int onTarget = 0, dove = 0, saved = 0, wideSaves = 0, untouched = 0;
    for (int shot = 0; shot < options.gallery; ++shot) {
        const float distance = 15.0f + 10.0f * Random::Unit();
        const float angle = (Random::Unit() * 2.0f - 1.0f) * 0.6f;
        const Vector3 from = goal + (forward * std::cos(angle) + lateral * std::sin(angle)) * distance + up * radius;
        const Vector3 target = goal + lateral * ((Random::Unit() * 2.0f - 1.0f) * 3.6f) + up * (0.2f + 2.3f * Random::Unit());
        const float speed = 16.0f + 8.0f * Random::Unit();
        const float time = (target - from).Length() / speed;
        const Vector3 velocity = (target - from) / time + up * (0.5f * 9.81f * time);
        const GalleryResult free = GalleryShot(tally, referee, shooter, *keeper, false, from, velocity, guard, heading);
        const GalleryResult kept = GalleryShot(tally, referee, shooter, *keeper, true, from, velocity, guard, heading);
        if (IsNan(keeper->GetActor()->GetPosition()))
            return Fail("the keeper's position became NaN");
        if (!free.goal) {
            wideSaves += kept.dove;
            continue;
        }
        ++onTarget;
        dove += kept.dove;
        saved += !kept.goal;
        untouched += !kept.goal && !kept.touched;
    }
    const MatchSettings& tuning = *MatchSettings::Instance();
    std::printf("gallery: keeper skill %.0f; misjudgement %.2f-%.2f s early (worst-best)\n",
                brain ? brain->GetSkill() : 0.0f, tuning.worstKeeperSaveMisjudgement, tuning.bestKeeperSaveMisjudgement);
    std::printf("gallery: %d shots, %d on target; of those %d (%.0f %%) drew a save and %d (%.0f %%) were kept out; "
                "%d dives at shots going wide\n",
                options.gallery, onTarget, dove, onTarget ? 100.0 * dove / onTarget : 0.0, saved,
                onTarget ? 100.0 * saved / onTarget : 0.0, wideSaves);
    std::printf("gallery: %d of the shots kept out never touched the keeper\n", untouched);
    return onTarget > 0 && dove > 0 ? 0 : Fail("the keeper never tried a save");
}

int RunMatch(const Options& options, Tally& tally)
{
    Bench bench;
    std::unique_ptr<ScriptedInputMapper> script;
    if (options.human) {
        script = MakeScript(static_cast<int>(options.seconds / kFrame));
        script->Register(*BufferedInputController::Instance());
        PitchSimulation::Instance()->GetTeam(0)->GetControlledPlayers().SetControllerName("(0):");
    }
    PlaceTeams();
    const bool sound = Play(options, tally, options.bench ? &bench : nullptr);
    Report(tally, options.bench ? &bench : nullptr);
    if (!sound)
        return Fail("a position became NaN or a player left the pitch");
    if (options.human && (tally.selectedPasses == 0 || tally.selectedShots == 0 || tally.switches == 0))
        return Fail("the scripted player did not pass, shoot and switch");
    if (options.seconds < 60.0f || options.human)
        return 0;
    for (int side = 0; side < kSides; ++side) {
        if (tally.passes[side] == 0 || tally.shots[side] == 0 || tally.snags[side] + tally.fouls[side] == 0)
            return Fail("a side never passed, shot or tackled: %s", s_teams[side]);
    }
    return 0;
}

// One kick-about on the loaded engine, from its own casts to their removal; the match
// messages in order go to log.
int PlayOnce(const Options& options, std::vector<std::string>& log)
{
    int result = 1;
    OwnedObjects owned;
    CharacterRace::CreateAll(2, owned);
    CharacterVariation::CreateAll(owned);
    TeamDescription::CreateAll(owned);
    TeamStrategy::CreateAll();
    CastManager* casts = CastManager::Instance();
    casts->CreateCast("hud");
    // The races' actions and the variations' statistics.
    const bool loaded = LoadData() && LoadSettings(casts->GetCast("Characters"), "<PP>Characters.txt") &&
                        LoadSettings(casts->GetCast(TeamStrategy::kCastName), "<PP>Teams.txt");
    ActorSurroundings::clockRunning = true;
    Random::Seed(options.seed);
    PitchSimulation::Instance()->SetupMatch();
    Tally tally;
    if (options.switchEnds) {
        PitchSimulation::Instance()->GetTeam(0)->SetFirstSide(false);
        PitchSimulation::Instance()->GetTeam(1)->SetFirstSide(true);
    }
    if (loaded && MakeSides())
        result = options.gallery > 0 ? RunGallery(options, tally) : RunMatch(options, tally);
    log = std::move(tally.log);
    PitchSimulation::DestroyInstance();
    for (const char* name : {"Characters", "Teams"}) {
        if (Cast* cast = casts->GetCast(name))
            for (const auto& object : owned)
                cast->RemoveMember(object.get());
    }
    casts->DeleteAll();
    return result;
}

// With --twice the second run must tell the first one's story: nothing of a run may
// outlive it.
int PlayRuns(const Options& options)
{
    std::vector<std::string> first;
    int result = PlayOnce(options, first);
    if (options.twice && result == 0) {
        std::vector<std::string> second;
        result = PlayOnce(options, second);
        const auto differ = std::mismatch(first.begin(), first.end(), second.begin(), second.end());
        if (result == 0 && (differ.first != first.end() || differ.second != second.end())) {
            std::fprintf(stderr, "team_play: the second run differs from the first at message %zu\n",
                         static_cast<size_t>(differ.first - first.begin()));
            result = 1;
        }
    }
    if (options.events)
        for (const std::string& event : first)
            std::printf("%s\n", event.c_str());
    return result;
}

int Run(const Options& options)
{
    if (!tools::MountGameData(options.folder))
        return Fail("no game data in %s", options.folder.c_str());
    tools::OffscreenSession session("team_play", 320, 240);
    if (!session.Start(tools::OffscreenSession::kWindowOnly))
        return 1;
    RwGraphics* graphics = RwGraphics::Instance();
    graphics->SetDeviceKind(rwDeviceNull);
    graphics->SetScreenSize(320, 240);
    if (!graphics->Initialise(session.GetWindow()))
        return Fail("the rendering engine does not start");
    ShapeCollisionTable::Init();
    const int result = PlayRuns(options);
    ActorClumpCache::DestroyInstance();
    CollisionManager::DestroyInstance();
    BufferedInputController::DestroyInstance();
    graphics->Destroy();
    return result;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--bench")
            options.bench = true;
        else if (arg == "--human")
            options.human = true;
        else if (arg == "--events")
            options.events = true;
        else if (arg == "--twice")
            options.twice = true;
        else if (arg == "--swap")
            std::swap(s_teams[0], s_teams[1]);
        else if (arg == "--ends")
            options.switchEnds = true;
        else if (arg == "--seconds" && i + 1 < argc)
            options.seconds = std::strtof(argv[++i], nullptr);
        else if (arg == "--gallery" && i + 1 < argc)
            options.gallery = std::atoi(argv[++i]);
        else if (arg == "--gallery-side" && i + 1 < argc)
            options.gallerySide = std::atoi(argv[++i]) == 1 ? 1 : 0;
        else if (arg == "--keeper-skill" && i + 1 < argc)
            options.keeperSkill = std::strtof(argv[++i], nullptr);
        else if (arg == "--seed" && i + 1 < argc)
            options.seed = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        else
            options.folder = arg;
    }
    if (options.folder.empty())
        return Fail("usage: team_play <stage folder> [--seconds S] [--seed N] [--bench] [--human] [--events] [--twice] [--swap] [--ends] [--gallery N] [--gallery-side 0|1] [--keeper-skill S]");
    return Run(options);
}
