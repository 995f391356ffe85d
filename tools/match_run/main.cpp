// A single match on the harness: "Panda01" against "Lizard01" on level01, both sides played by
// the computer, at a new player's "Halftime Duration" (the clock at 6.0, a 45-minute half in
// 450 s of play), from the intro through every whistle and kick-off to the statistics screens
// and the menu "main"; goals, balls out and fouls stop and restart play as the match period
// rules. A match that loads with another clock rate fails.
//
//     match_run <game folder> [--run match|skip|extra|shootout|forfeit] [--bench]
//               [--matches N [--seed S] [--period-seconds P] [--swap] [--require-incidents [--min-passing PCT]]
//                [--again]
//                [--memory-slack MB]]
//
// match: the intro plays and the halves run out. skip: the intro is skipped on its second
// update, then each half is cut short with "cheat skip". extra: a level score after the
// second half, then a golden goal in extra time. shootout: level through extra time to the
// shoot-out. forfeit: side 1 forfeits during the first half.
// --bench: match-clock seconds per wall-clock second from the first kick-off to the final
// whistle (update and null-device render, one core), with the median frame, the processor
// time of those frames and the wall time per match.
// --matches N: N whole matches in turn, seeds S, S + 1, ..., teams and level varying with the
// seed, cards and replays on; prints each one's score, cards, fouls, shots and keepers' catches by
// side, its seconds of play and their share of the periods' time, its restarts by kind (every
// kind, 0 when it did not occur) and its play's figures (open-play passes reaching a team-mate,
// shots inside the area, the median shot's distance, repeat shots, goals without a shot), then
// the same for the whole run a match; it fails a match whose stoppage lasts over 60 s of
// play. --period-seconds P cuts each period short after P seconds of play, for a quick run.
// --swap: each seed's two teams change sides, so that a side's advantage shows apart from the
// teams'. --require-incidents fails the run unless its matches together had at least one
// corner, one foul and one card, and at least PCT % of their open-play passes (default 1)
// reached a team-mate.
// Each seeded match also prints a digest of where the ball and every player were on every
// frame, and the process's resident memory after it. --again: the first seed is played once
// more after the others and must repeat its digest, since a match depends only on its seed
// and set-up. --memory-slack MB: resident memory after the last match may exceed that after
// the tenth by at most MB.
// Exits 1 on a NaN, a hang (frame cap) or a match that does not end on "main".

#include "characters/Actor.h"
#include "characters/Character.h"
#include "characters/CharacterBrain.h"
#include "characters/Team.h"
#include "framework/Cast.h"
#include "framework/Debug.h"
#include "framework/Message.h"
#include "framework/Random.h"
#include "frontend/FrontEndStates.h"
#include "frontend/TBMenu.h"
#include "frontend/loading/MatchLoading.h"
#include "frontend/menu/TBMenuToggles.h"
#include "frontend/single/SingleMatch.h"
#include "game/GameTB.h"
#include "game/harness/GameHarness.h"
#include "match/penalties/PenaltyShootout.h"
#include "match/period/MatchPeriod.h"
#include "menus/Menu.h"
#include "pitch/PitchSimulation.h"
#include "settings/GameParameters.h"
#include "settings/MatchStatistics.h"
#include "simulation/Ball.h"
#include "tools/common/ConsoleSink.h"
#include "tools/common/Fail.h"
#include "tools/common/Figures.h"
#include "tools/common/GameData.h"
#include "tools/common/OffscreenSession.h"
#include "tools/match_run/PlayFigures.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <time.h>
#include <unistd.h>

namespace {

// An hour of play at most; a whole match at rate 6.0 takes some 60 000 frames.
constexpr int kFrameCap = 60 * 60 * 60;
constexpr int kMenuPressEvery = 30;
constexpr int kShootoutShown = 99;
// No stoppage may hold play up longer than this.
constexpr int kLongestStoppageFrames = 60 * 60;
const char* const kTeamNames[] = {"Panda01", "Lizard01", "Rhino01", "Primate01",
                                  "Panda02", "Lizard02", "Rhino02", "Primate02"};
constexpr int kTeamCount = 8;
constexpr int kLevelCount = 4;
// Matches after which memory holds all that every later match shares.
constexpr int kSettledMatches = 10;

struct Options {
    std::string folder;
    std::string run = "match";
    bool bench = false;
    int matches = 0;
    uint32_t seed = 1;
    float periodSeconds = 0.0f;  // 0: each period runs its full time
    bool swap = false;  // each seed's two teams change sides
    bool requireIncidents = false;  // the matches together must have a corner, a foul and a card
    int minPassing = 1;  // with requireIncidents: the least share of passes reaching a team-mate, in %
    bool again = false;  // the first seed once more at the end
    float memorySlackMb = -1.0f;  // below 0: memory is not checked
};

const TBMenu* ShownMenu()
{
    return dynamic_cast<const TBMenu*>(Menu::Instance()->GetOwner());
}

MatchPeriod* Period(GameHarness& harness)
{
    auto* match = dynamic_cast<SingleMatch*>(harness.GetGame()->GetCurrentState());
    return match ? dynamic_cast<MatchPeriod*>(match->GetHeld()) : nullptr;
}

// What the run does to the period on this frame: skips, scores and the forfeit.
class Director {
public:
    Director(const std::string& run, float periodSeconds) : m_run(run), m_cutFrames(static_cast<int>(periodSeconds * 60.0f)) {}

    void Act(GameHarness& harness, MatchPeriod* period)
    {
        const int frame = harness.GetFrame();
        if (!period) {
            m_period = -1;
            return;
        }
        if (period->GetPeriod() != m_period) {
            m_period = period->GetPeriod();
            m_periodFrame = frame;
            m_acted = false;
        }
        if ((m_run != "match" || m_cutFrames > 0) && m_period == 0 && frame == m_periodFrame + 1)
            harness.Script().Press(frame + 1, "(0):button a");
        const bool playing = !period->GetSequence() && !period->IsOver();
        // Pressed again while play runs on: a press on a frame that starts a stoppage is not read.
        if (playing && m_cutFrames > 0 && m_run == "match" && frame >= m_periodFrame + m_cutFrames)
            harness.Script().Press(frame + 1, "cheat skip");
        if (!playing || m_acted || m_run == "match" || frame < m_periodFrame + 30)
            return;
        m_acted = true;
        if (m_run == "forfeit") {
            period->SetForfeitSide(1);
            return;
        }
        // Level where the run wants it, then on to the end of the period.
        SoccerTeam& team0 = *PitchSimulation::Instance()->GetTeam(0);
        SoccerTeam& team1 = *PitchSimulation::Instance()->GetTeam(1);
        if ((m_run == "extra" || m_run == "shootout") && m_period == 1)
            team1.SetGoals(team0.GetGoals());
        if (m_run == "extra" && m_period == 2)
            harness.Script().Press(frame + 1, "cheat goal");
        else
            harness.Script().Press(frame + 1, "cheat skip");
    }

private:
    std::string m_run;
    int m_cutFrames = 0;
    int m_period = -1;
    int m_periodFrame = 0;
    bool m_acted = false;
};


// What one match did, seen from outside the period: each new banner names a restart, a
// stoppage without one is a keeper's goal kick; each stoppage is timed.
class Watcher {
public:
    void Watch(const MatchPeriod* period, int frame)
    {
        const State* banner = period ? period->GetBanner() : nullptr;
        bool bannered = false;
        if (banner && banner != m_banner) {
            if (const auto* menu = dynamic_cast<const TBMenu*>(banner))
                CountBanner(menu->GetScreen());
            bannered = true;
        }
        m_banner = banner;
        WatchKeepers(period);
        if (period && !period->IsOver()) {
            ++periodFrames;
            playFrames += !period->GetSequence();
        }
        // A sequence hands over to its successors in the slot: a stoppage lasts while any runs.
        const bool stopped = period && !period->IsOver() && period->GetSequence();
        if (period)
            Copy(*MatchStatistics::Instance());
        if (stopped == m_stopped && period == m_period)
            return;
        if (m_stopped)
            longestStoppage = std::max(longestStoppage, frame - m_since);
        if (stopped && period == m_period && !bannered)
            ++unannounced;
        m_period = period;
        m_stopped = stopped;
        m_since = frame;
    }

    // A stoppage still running when the run stops counts to that frame.
    void Finish(int frame)
    {
        if (m_stopped)
            longestStoppage = std::max(longestStoppage, frame - m_since);
    }

    // The statistics screen's figures, as the match left them.
    struct Sheet {
        std::string names[2];
        int32_t goals[2] = {};
        int32_t yellows[2] = {};
        int32_t reds[2] = {};
        int32_t fouls[2] = {};
        int32_t freeKicks = 0;
        int32_t penalties = 0;
    };

    // Restarts by kind, from the period's banners.
    std::map<std::string, int> kinds;
    // Stoppages without a banner of the period's own: fouls (theirs runs inside the
    // sequence) and keepers' catches.
    int unannounced = 0;
    int longestStoppage = 0;
    // Frames of the periods up to their final whistles, and those of them in play.
    int periodFrames = 0;
    int playFrames = 0;
    // The longest a keeper stood in a state kept for the ball without it, in play, by side.
    int strandedKeeper[2] = {};
    Sheet sheet;

private:
    void CountBanner(const std::string& screen)
    {
        static const std::map<std::string, std::string> kNames = {
            {"message_goal", "kick-off after a goal"}, {"message_throwin", "throw-in"},
            {"message_corner", "corner"}, {"message_goalkick", "keeper kick"}};
        const auto name = kNames.find(screen);
        if (name != kNames.end())
            ++kinds[name->second];
    }

    void WatchKeepers(const MatchPeriod* period)
    {
        for (int side = 0; side < 2; ++side) {
            const SoccerTeam* team = PitchSimulation::Instance()->GetTeam(side);
            bool stranded = false;
            for (int i = 0; period && team && !period->GetSequence() && i < team->GetPlayerCount(); ++i) {
                const Character* player = team->GetPlayer(i);
                const char* state = player->IsKeeper() ? player->GetActor()->GetStateName() : nullptr;
                stranded = stranded || (state && std::strstr(state, "withball") && !player->GetActor()->HasBall());
            }
            m_stranded[side] = stranded ? m_stranded[side] + 1 : 0;
            strandedKeeper[side] = std::max(strandedKeeper[side], m_stranded[side]);
        }
    }

    void Copy(const MatchStatistics& s)
    {
        for (int side = 0; side < 2; ++side) {
            sheet.names[side] = s.teamNames[side];
            sheet.goals[side] = s.goals[side];
            sheet.yellows[side] = s.yellowCards[side];
            sheet.reds[side] = s.redCards[side];
            sheet.fouls[side] = s.fouls[side];
        }
        sheet.freeKicks = s.freeKicks[0] + s.freeKicks[1];
        sheet.penalties = s.penaltyKicks[0] + s.penaltyKicks[1];
    }

    const State* m_banner = nullptr;
    const MatchPeriod* m_period = nullptr;
    bool m_stopped = false;
    int m_since = 0;
    int m_stranded[2] = {};
};

// Shots by the side that held the ball as it was struck, the keepers' catches by the keeper's
// side (one per catch, however often the keeper's actions announce his kick), and the play's
// figures: open-play passes, where shots come from, open-play goals with and without a shot.
class PlayListener : public MessageListener {
public:
    PlayListener() : m_penalties(PenaltiesAwarded()) { MessageServer::Instance()->RegisterListener(this); }
    ~PlayListener() override { MessageServer::Instance()->UnregisterListener(this); }
    PlayListener(const PlayListener&) = delete;
    PlayListener& operator=(const PlayListener&) = delete;

    int OnMessage(int message, intptr_t param) override
    {
        static const int didShot = MessageServer::Instance()->RegisterMessage("did shot");
        static const int didPass = MessageServer::Instance()->RegisterMessage("did pass");
        static const int goalKick = MessageServer::Instance()->RegisterMessage("goal kick");
        static const int goalScored = MessageServer::Instance()->RegisterMessage("goal scored");
        if (message == didShot)
            CountShot();
        else if (message == didPass && param)
            CountPass(*reinterpret_cast<const Character*>(param));
        else if (message == goalKick && param)
            CountCatch(reinterpret_cast<const Character*>(param));
        else if (message == goalScored && inPlay && !m_goalHeard)
            CountGoal();
        return 0;
    }

    // After each frame: who got the ball, or whether play stopped.
    void Watch(const MatchPeriod* period)
    {
        const PitchSimulation& pitch = *PitchSimulation::Instance();
        for (int side = 0; side < 2; ++side)
            figures.Holder(side, pitch.GetTeam(side) ? pitch.GetTeam(side)->GetBallHolder() : nullptr);
        const bool stopped = !period || period->GetSequence() || period->IsOver();
        if (stopped)
            figures.Stop();
        // The penalty's kick sends no message: the award stands for it.
        const int penalties = PenaltiesAwarded();
        if (penalties > m_penalties)
            figures.Penalty();
        m_penalties = penalties;
        // Play runs on for a frame or two before the goal stops it; the next goal comes after.
        if (m_goalHeard && stopped)
            m_goalStopped = true;
        if (m_goalStopped && !stopped)
            m_goalHeard = m_goalStopped = false;
        if (m_catcher && !m_catcher->GetActor()->HasBall())
            m_catcher = nullptr;
    }

    int shots[2] = {};
    int playShots[2] = {};
    int catches[2] = {};
    bool inPlay = false;
    int frame = 0;
    PlayFigures figures;

private:
    static int SideOf(const Character& player)
    {
        return player.GetTeam() == PitchSimulation::Instance()->GetTeam(1) ? 1 : 0;
    }

    static int PenaltiesAwarded()
    {
        const MatchStatistics& statistics = *MatchStatistics::Instance();
        return statistics.penaltyKicks[0] + statistics.penaltyKicks[1];
    }

    void CountShot()
    {
        const PitchSimulation& pitch = *PitchSimulation::Instance();
        for (int side = 0; side < 2; ++side) {
            const Character* shooter = pitch.GetTeam(side) ? pitch.GetTeam(side)->GetBallHolder() : nullptr;
            if (!shooter)
                continue;
            ++shots[side];
            playShots[side] += inPlay;
            const Vector3 at = shooter->GetActor()->GetPosition();
            const Vector3 goal = shooter->GetBrain() ? shooter->GetBrain()->GetGoalCentre() : at;
            const auto* area = dynamic_cast<const Collidable*>(CastManager::Instance()->FindObject(
                shooter->GetTeam()->IsFirstSide() ? "objects|RightPenaltyArea" : "objects|LeftPenaltyArea"));
            float time = 0.0f;
            const bool inArea = area && shooter->GetActor()->FindImpact(*area, 0.01f, time);
            figures.Shot(shooter, static_cast<float>(frame) / 60.0f, at.x, at.z,
                         PitchFrame::Flatten(goal - at).Length(), inArea);
        }
    }

    // A player whose pass comes after he lost the ball says so all the same: no pass.
    void CountPass(const Character& passer)
    {
        if (!passer.GetActor()->HasBall())
            return;
        if (inPlay)
            figures.Pass(SideOf(passer), &passer);
        else
            figures.Kick();
    }

    void CountCatch(const Character* keeper)
    {
        if (keeper == m_catcher)
            return;
        m_catcher = keeper;
        ++catches[SideOf(*keeper)];
    }

    // The ball tells of a goal on every step it spends in the net; the first one stops play.
    void CountGoal()
    {
        m_goalHeard = true;
        figures.Goal();
    }

    const Character* m_catcher = nullptr;
    int m_penalties;
    bool m_goalHeard = false;
    bool m_goalStopped = false;  // and play has stopped since
};

// Where the ball and every character on the pitch were, frame after frame, folded into one
// number: two runs that differ anywhere in a match differ here.
class PlayDigest {
public:
    void Fold()
    {
        const PitchSimulation& pitch = *PitchSimulation::Instance();
        if (const Ball* ball = pitch.GetBall())
            Fold(ball->GetPosition());
        for (int side = 0; side < PitchSimulation::kSides; ++side) {
            const SoccerTeam* team = pitch.GetTeam(side);
            for (int i = 0; team && i < team->GetPlayerCount(); ++i)
                Fold(team->GetPlayer(i)->GetActor()->GetPosition());
        }
        if (const Character* referee = pitch.GetReferee())
            Fold(referee->GetActor()->GetPosition());
    }
    uint32_t GetValue() const { return m_value; }

private:
    void Fold(const Vector3& v)
    {
        for (const float f : {v.x, v.y, v.z}) {
            uint32_t bits = 0;
            std::memcpy(&bits, &f, sizeof bits);
            // FNV-1a, a word at a time.
            m_value = (m_value ^ bits) * 16777619u;
        }
    }

    uint32_t m_value = 2166136261u;
};

// Resident memory of this process in megabytes; 0 when the system does not tell.
double ResidentMb()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    if (!(statm >> pages >> resident))
        return 0.0;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}


// The timing of the play frames of a run.
struct Timing {
    double wallSeconds = 0.0;
    double cpuSeconds = 0.0;  // of this thread, which runs the whole game
    float clockSeconds = 0.0f;
    std::vector<double> frameMs;
    double matchWallSeconds = 0.0;  // from the match's first frame to "main", every match
    int matches = 0;
};

// Processor time of the calling thread: unlike wall time it hardly grows when other programs
// share the machine.
double ThreadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Whether the loaded match's clock runs at the rate of the half-time duration SetUpMatch
// stored; says which it runs at.
bool ClockAsSet()
{
    const MatchClock* clock = PitchSimulation::Instance()->GetClock();
    const float wanted = MatchLoading::kClockRates[GameParameters::kDefaultHalftimeDuration];
    const float rate = clock && clock->GetRate() ? *clock->GetRate() : 0.0f;
    std::printf("match_run: clock rate %.1f: a half of 45 minutes lasts %.0f s of play\n", rate,
                rate > 0.0f ? 45.0f * 60.0f / rate : 0.0f);
    return rate == wanted;
}

// Plays the match made current on the harness to "main" (or the frame cap); 0 when it got there
// without a NaN.
int PlayMatch(GameHarness& harness, const Options& options, Watcher& watcher, Timing& timing,
              PlayListener* counter = nullptr, PlayDigest* digest = nullptr)
{
    Director director(options.run, options.periodSeconds);
    const int firstFrame = harness.GetFrame();

    using Clock = std::chrono::steady_clock;
    const auto matchStart = Clock::now();
    bool started = false;
    int periods = 0;
    int lastPeriod = -1;
    std::string closing;
    while (harness.GetFrame() - firstFrame < kFrameCap) {
        MatchPeriod* period = Period(harness);
        director.Act(harness, period);
        if (counter) {
            counter->inPlay = period && !period->GetSequence() && !period->IsOver();
            counter->frame = harness.GetFrame();
        }
        watcher.Watch(period, harness.GetFrame());
        const auto* match = dynamic_cast<SingleMatch*>(harness.GetGame()->GetCurrentState());
        if (match && dynamic_cast<PenaltyShootout*>(match->GetHeld()) && lastPeriod != kShootoutShown) {
            lastPeriod = kShootoutShown;
            std::printf("match_run: frame %d: penalty shoot-out\n", harness.GetFrame());
        }
        if (period && period->GetPeriod() != lastPeriod) {
            if (lastPeriod < 0 && !ClockAsSet())
                return tools::Fail("the match clock does not run at the rate of the half-time duration set");
            lastPeriod = period->GetPeriod();
            ++periods;
            std::printf("match_run: frame %d: period %d at %d:%d\n", harness.GetFrame(), lastPeriod,
                        PitchSimulation::Instance()->GetTeam(0)->GetGoals(),
                        PitchSimulation::Instance()->GetTeam(1)->GetGoals());
        }
        // Timed from the first play after the intro to each period's final whistle.
        started = started || (period && !period->GetSequence());
        const bool timed = started && period && !period->IsOver();
        const auto before = Clock::now();
        const double cpuBefore = timed ? ThreadCpuSeconds() : 0.0;
        const float clockBefore = PitchSimulation::Instance()->GetClock()
                                      ? PitchSimulation::Instance()->GetClock()->GetTime()
                                      : 0.0f;
        // The statistics and forfeit screens wait for a button; the banners go by themselves.
        const TBMenu* shown = ShownMenu();
        if (shown && shown->GetScreen() != "main" && shown->GetScreen().rfind("message", 0) != 0 &&
            (harness.GetFrame() - firstFrame) % kMenuPressEvery == 0) {
            harness.Script().Press(harness.GetFrame() + 1, "(menu):button a");
            if (shown->GetScreen() != closing)
                std::printf("match_run: frame %d: screen \"%s\"\n", harness.GetFrame(), shown->GetScreen().c_str());
            closing = shown->GetScreen();
        }
        if (!harness.Step())
            break;
        // Nothing here reads the messages: kept, they would grow with every match.
        harness.Tap().Clear();
        if (counter)
            counter->Watch(Period(harness));
        if (digest)
            digest->Fold();
        if (timed) {
            const double seconds = std::chrono::duration<double>(Clock::now() - before).count();
            timing.wallSeconds += seconds;
            timing.cpuSeconds += ThreadCpuSeconds() - cpuBefore;
            // Only for the median a timed run prints: kept always, it grew with every match.
            if (options.bench)
                timing.frameMs.push_back(seconds * 1000.0);
            timing.clockSeconds += PitchSimulation::Instance()->GetClock()->GetTime() - clockBefore;
        }
        const auto* menu = dynamic_cast<const TBMenu*>(harness.GetGame()->GetCurrentState());
        if (menu && menu->GetScreen() == "main")
            break;
    }
    timing.matchWallSeconds += std::chrono::duration<double>(Clock::now() - matchStart).count();
    ++timing.matches;
    watcher.Finish(harness.GetFrame());
    const auto* menu = dynamic_cast<const TBMenu*>(harness.GetGame()->GetCurrentState());
    const SoccerTeam* team0 = PitchSimulation::Instance()->GetTeam(0);
    const SoccerTeam* team1 = PitchSimulation::Instance()->GetTeam(1);
    std::printf("match_run: run \"%s\": %d frames, %d periods, score %d:%d, %s\n",
                options.run.c_str(), harness.GetFrame() - firstFrame, periods, team0 ? team0->GetGoals() : -1,
                team1 ? team1->GetGoals() : -1,
                harness.GetProblem().empty() ? "no NaN" : harness.GetProblem().c_str());
    if (lastPeriod == kShootoutShown)
        std::printf("match_run: shoot-out result %d\n", StoryModeGame::Instance()->penaltyResult);
    if (!harness.GetProblem().empty())
        return tools::Fail("%s", harness.GetProblem().c_str());
    if (!menu || menu->GetScreen() != "main")
        return tools::Fail("the match did not return to \"main\"");
    return 0;
}

void PrintTiming(const Timing& timing)
{
    if (timing.wallSeconds <= 0.0)
        return;
    std::printf("match_run: %.0f match-clock seconds in %.2f s of play frames: %.0f clock seconds per second; "
                "median frame %.3f ms over %zu frames\n",
                timing.clockSeconds, timing.wallSeconds, timing.clockSeconds / timing.wallSeconds,
                tools::Median(timing.frameMs), timing.frameMs.size());
    std::printf("match_run: the play frames took %.2f s of processor time (%.0f clock seconds per processor "
                "second); %.2f s wall time per match from its first frame to \"main\"\n",
                timing.cpuSeconds, timing.clockSeconds / std::max(timing.cpuSeconds, 1e-9),
                timing.matchWallSeconds / std::max(timing.matches, 1));
}

void SetUpMatch(const char* teamOne, const char* teamTwo, const std::string& level)
{
    GameParameters& parameters = *GameParameters::Instance();
    parameters.SetParameter("players", "0");
    parameters.SetParameter("teamone", teamOne);
    parameters.SetParameter("teamtwo", teamTwo);
    parameters.SetParameter("level", level.c_str());
    parameters.halftimeDuration = GameParameters::kDefaultHalftimeDuration;
    parameters.cards = true;
    parameters.replays = true;
    // A match reads the options again from the user file as it loads: stored there, as the
    // options menu stores them, they hold whatever file the folder had.
    if (Cast* user = CastManager::Instance()->GetCast("user"))
        SaveSettings(user, TBMenuToggles::kUserFile);
}

int RunOne(GameHarness& harness, const Options& options)
{
    SetUpMatch("Panda01", "Lizard01", "level01");
    harness.MakeCurrent(new SingleMatch);
    Watcher watcher;
    Timing timing;
    const int result = PlayMatch(harness, options, watcher, timing);
    if (options.bench)
        PrintTiming(timing);
    return result;
}

// Every kind of restart, in the order a match most often has them; a kind that did not
// occur is printed as 0.
const char* const kRestartKinds[] = {"throw-in", "goal kick", "keeper kick", "corner", "free kick", "penalty",
                                     "kick-off after a goal"};

// The restarts of one match by kind, its cards, and whether it kept to the stoppage bound.
int ReportMatch(uint32_t seed, const Watcher& watcher, const PlayListener& counter, int played)
{
    const Watcher::Sheet& s = watcher.sheet;
    std::map<std::string, int> all = watcher.kinds;
    all["free kick"] = s.freeKicks;
    all["penalty"] = s.penalties;
    all["goal kick"] = std::max(0, watcher.unannounced - s.freeKicks - s.penalties);
    std::string kinds;
    for (const char* kind : kRestartKinds)
        kinds += std::string(" ") + kind + " " + std::to_string(all[kind]) + ",";
    const double inPlay = watcher.periodFrames > 0 ? 100.0 * watcher.playFrames / watcher.periodFrames : 0.0;
    std::printf("match_run: seed %u: %s %d:%d %s; cards yellow %d:%d red %d:%d; fouls %d:%d; longest stoppage "
                "%.1f s; keeper stranded without the ball %.1f s:%.1f s; shots %d:%d (in %.0f s of play %d:%d), keepers' catches %d:%d; "
                "in play %.0f %% of %.0f s of periods; restarts%s %s\n",
                seed, s.names[0].c_str(), s.goals[0], s.goals[1], s.names[1].c_str(), s.yellows[0], s.yellows[1],
                s.reds[0], s.reds[1], s.fouls[0], s.fouls[1],
                watcher.longestStoppage / 60.0, watcher.strandedKeeper[0] / 60.0, watcher.strandedKeeper[1] / 60.0,
                counter.shots[0], counter.shots[1], watcher.playFrames / 60.0, counter.playShots[0], counter.playShots[1],
                counter.catches[0], counter.catches[1], inPlay, watcher.periodFrames / 60.0, kinds.c_str(),
                counter.figures.Describe().c_str());
    // A long seeded run is read as it goes.
    std::fflush(stdout);
    if (played != 0)
        return played;
    if (watcher.longestStoppage > kLongestStoppageFrames)
        return tools::Fail("seed %u: a stoppage held play up over 60 s", seed);
    return 0;
}

// What a run's matches had together: the incidents the default data must bring about, and
// the figures a match is judged by.
struct Incidents {
    int matches = 0;
    int goals[2] = {};
    int corners = 0;
    int matchesWithCorner = 0;
    int fouls = 0;
    int yellows = 0;
    int reds = 0;
    int penalties = 0;
    PlayFigures play;

    void Add(const Watcher& watcher, const PlayFigures& figures)
    {
        const auto corner = watcher.kinds.find("corner");
        const int matchCorners = corner != watcher.kinds.end() ? corner->second : 0;
        const Watcher::Sheet& s = watcher.sheet;
        ++matches;
        corners += matchCorners;
        matchesWithCorner += matchCorners > 0;
        for (int side = 0; side < 2; ++side)
            goals[side] += s.goals[side];
        fouls += s.fouls[0] + s.fouls[1];
        yellows += s.yellows[0] + s.yellows[1];
        reds += s.reds[0] + s.reds[1];
        penalties += s.penalties;
        play.Add(figures);
    }

    void Print() const
    {
        const double n = std::max(matches, 1);
        std::printf("match_run: %d matches, a match: goals %.2f (side 0 %d, side 1 %d), corners %.2f (in %d of %d "
                    "matches), fouls %.2f, yellow cards %.2f, red cards %.2f, penalties %.2f; %s\n",
                    matches, (goals[0] + goals[1]) / n, goals[0], goals[1], corners / n, matchesWithCorner, matches,
                    fouls / n, yellows / n, reds / n, penalties / n, play.Describe().c_str());
    }
};

// 1, said, when a kind of incident never occurred or passes stopped reaching team-mates.
int MissingIncidents(const Incidents& incidents, int minPassing)
{
    std::printf("match_run: together %d corners, %d fouls, %d cards\n", incidents.corners, incidents.fouls,
                incidents.yellows + incidents.reds);
    std::string missing;
    for (const auto& [count, kind] : {std::pair(incidents.corners, "corner"), std::pair(incidents.fouls, "foul"),
                                      std::pair(incidents.yellows + incidents.reds, "card")})
        missing += count > 0 ? "" : std::string(missing.empty() ? "" : ", ") + kind;
    if (!missing.empty())
        return tools::Fail("never a %s in the matches", missing.c_str());
    const PlayFigures& play = incidents.play;
    if (play.passes == 0 || play.passesReached * 100 < minPassing * play.passes)
        return tools::Fail("%d of %d passes reached a team-mate, under %d %%", play.passesReached, play.passes,
                           minPassing);
    return 0;
}

// One seeded match on varying teams and levels; 0 when it passed. Its digest goes out.
int PlaySeed(GameHarness& harness, const Options& options, uint32_t seed, Timing& timing, uint32_t& digestValue,
             Incidents& incidents)
{
    const int one = static_cast<int>(seed % kTeamCount);
    // Never a side against itself.
    const int two = (one + 1 + static_cast<int>((seed / kTeamCount) % (kTeamCount - 1))) % kTeamCount;
    SetUpMatch(kTeamNames[options.swap ? two : one], kTeamNames[options.swap ? one : two], "level0" + std::to_string(1 + seed % kLevelCount));
    Random::Seed(seed);
    harness.MakeCurrent(new SingleMatch);
    Watcher watcher;
    PlayListener counter;
    PlayDigest digest;
    const int played = PlayMatch(harness, options, watcher, timing, &counter, &digest);
    const int result = ReportMatch(seed, watcher, counter, played);
    incidents.Add(watcher, counter.figures);
    digestValue = digest.GetValue();
    std::printf("match_run: seed %u: play digest %08x; resident memory %.1f MB\n", seed, digestValue, ResidentMb());
    std::fflush(stdout);
    return result;
}

// Whether the memory held after the last match stays within the slack of that after the
// tenth, by which every team and stadium has played and every cache is filled.
int CheckMemory(const Options& options, double afterTenth, double afterLast)
{
    if (options.memorySlackMb < 0.0f)
        return 0;
    if (options.matches <= kSettledMatches)
        return tools::Fail("the memory check needs more than %d matches", kSettledMatches);
    std::printf("match_run: resident memory %.1f MB after match %d, %.1f MB after the last\n", afterTenth,
                kSettledMatches, afterLast);
    if (afterLast - afterTenth > options.memorySlackMb)
        return tools::Fail("memory grew by more than %.1f MB", options.memorySlackMb);
    return 0;
}

// The first seed once more: 0 when it repeats the first match's digest.
int PlayAgain(GameHarness& harness, const Options& options, Timing& timing, uint32_t firstDigest)
{
    uint32_t digest = 0;
    Incidents again;
    if (PlaySeed(harness, options, options.seed, timing, digest, again) != 0)
        return 1;
    if (digest != firstDigest)
        return tools::Fail("seed %u played again differs from its first match", options.seed);
    return 0;
}

int RunMany(GameHarness& harness, const Options& options)
{
    int failures = 0;
    Timing timing;
    Incidents incidents;
    uint32_t firstDigest = 0;
    double afterTenth = 0.0;
    for (int m = 0; m < options.matches; ++m) {
        uint32_t digest = 0;
        failures += PlaySeed(harness, options, options.seed + static_cast<uint32_t>(m), timing, digest, incidents) != 0;
        firstDigest = m == 0 ? digest : firstDigest;
        afterTenth = m + 1 == kSettledMatches ? ResidentMb() : afterTenth;
    }
    int checks = CheckMemory(options, afterTenth, ResidentMb());
    if (options.again)
        checks += PlayAgain(harness, options, timing, firstDigest);
    if (options.bench)
        PrintTiming(timing);
    std::printf("match_run: %d of %d matches failed\n", failures, options.matches);
    incidents.Print();
    if (options.requireIncidents)
        checks += MissingIncidents(incidents, options.minPassing);
    return failures == 0 && checks == 0 ? 0 : 1;
}

int Run(platform::Window* window, const std::string& archive, const Options& options)
{
    GameHarness harness(window, archive);
    // The seeded matches draw teams of every race, which only the largest game size loads.
    if (!harness.Start(options.matches > 0 ? "XXL" : "XL"))
        return tools::Fail("the game does not start");
    return options.matches > 0 ? RunMany(harness, options) : RunOne(harness, options);
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--bench") == 0)
            options.bench = true;
        else if (std::strcmp(argv[i], "--run") == 0 && i + 1 < argc)
            options.run = argv[++i];
        else if (std::strcmp(argv[i], "--matches") == 0 && i + 1 < argc)
            options.matches = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc)
            options.seed = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        else if (std::strcmp(argv[i], "--swap") == 0)
            options.swap = true;
        else if (std::strcmp(argv[i], "--require-incidents") == 0)
            options.requireIncidents = true;
        else if (std::strcmp(argv[i], "--min-passing") == 0 && i + 1 < argc)
            options.minPassing = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--again") == 0)
            options.again = true;
        else if (std::strcmp(argv[i], "--memory-slack") == 0 && i + 1 < argc)
            options.memorySlackMb = std::strtof(argv[++i], nullptr);
        else if (std::strcmp(argv[i], "--period-seconds") == 0 && i + 1 < argc)
            options.periodSeconds = std::strtof(argv[++i], nullptr);
        else
            options.folder = argv[i];
    }
    if (options.folder.empty())
        return tools::Fail("usage: match_run <game folder> [--run match|skip|extra|shootout|forfeit] [--bench] "
                           "[--matches N [--seed S] [--period-seconds P] [--swap] [--require-incidents [--min-passing PCT]] "
                           "[--again] [--memory-slack MB]]");
    ConsoleSink console(true);
    Debug::Instance()->SetSink(&console);
    const std::string archive = tools::ArchivePath(options.folder);
    tools::OffscreenSession session("match_run", 800, 600);
    int result = 1;
    if (session.Start(tools::OffscreenSession::kWindowOnly))
        result = Run(session.GetWindow(), archive, options);
    Debug::Instance()->SetSink(nullptr);
    return result;
}
