// A single match on the harness: "Panda01" against "Lizard01" on level01, both sides played by
// the computer, "Halftime Duration" 0 (the clock at 22.5), from the intro through every
// whistle and kick-off to the statistics screens and the menu "main"; goals, balls out and
// fouls stop and restart play as the match period rules.
//
//     match_run <game folder> [--run match|skip|extra|shootout|forfeit] [--bench]
//
// match: the intro plays and the halves run out. skip: the intro is skipped on its second
// update, then each half is cut short with "cheat skip". extra: a level score after the
// second half, then a golden goal in extra time. shootout: level through extra time to the
// shoot-out. forfeit: side 1 forfeits during the first half.
// --bench: match-clock seconds per wall-clock second from the first kick-off to the final
// whistle (update and null-device render, one core).
// Exits 1 on a NaN, a hang (frame cap) or a match that does not end on "main".

#include "characters/Character.h"
#include "characters/Team.h"
#include "framework/Debug.h"
#include "frontend/FrontEndStates.h"
#include "frontend/TBMenu.h"
#include "match/GameParameters.h"
#include "match/MatchPeriod.h"
#include "match/SingleMatch.h"
#include "match/game/GameTB.h"
#include "match/game/harness/GameHarness.h"
#include "match/penalties/PenaltyShootout.h"
#include "menus/Menu.h"
#include "simulation/pitch/PitchSimulation.h"
#include "tools/common/ConsoleSink.h"
#include "tools/common/OffscreenSession.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

// An hour of play at most; a whole match at rate 22.5 takes some 15 000 frames.
constexpr int kFrameCap = 60 * 60 * 60;
constexpr int kMenuPressEvery = 30;
constexpr int kShootoutShown = 99;

int Fail(const std::string& what)
{
    std::fprintf(stderr, "match_run: %s\n", what.c_str());
    return 1;
}

struct Options {
    std::string folder;
    std::string run = "match";
    bool bench = false;
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
    explicit Director(const std::string& run) : m_run(run) {}

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
        if (m_run != "match" && m_period == 0 && frame == m_periodFrame + 1)
            harness.Script().Press(frame + 1, "(0):button a");
        const bool playing = !period->GetSequence() && !period->IsOver();
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
    int m_period = -1;
    int m_periodFrame = 0;
    bool m_acted = false;
};

int Run(platform::Window* window, const std::string& archive, const Options& options)
{
    GameHarness harness(window, archive);
    if (!harness.Start())
        return Fail("the game does not start");
    GameParameters& parameters = *GameParameters::Instance();
    parameters.SetParameter("players", "0");
    parameters.SetParameter("teamone", "Panda01");
    parameters.SetParameter("teamtwo", "Lizard01");
    parameters.SetParameter("level", "level01");
    parameters.halftimeDuration = 0;
    Director director(options.run);
    harness.MakeCurrent(new SingleMatch);

    using Clock = std::chrono::steady_clock;
    double wallSeconds = 0.0;
    float clockSeconds = 0.0f;
    bool started = false;
    int periods = 0;
    int lastPeriod = -1;
    std::string closing;
    while (harness.GetFrame() < kFrameCap) {
        MatchPeriod* period = Period(harness);
        director.Act(harness, period);
        const auto* match = dynamic_cast<SingleMatch*>(harness.GetGame()->GetCurrentState());
        if (match && dynamic_cast<PenaltyShootout*>(match->GetHeld()) && lastPeriod != kShootoutShown) {
            lastPeriod = kShootoutShown;
            std::printf("match_run: frame %d: penalty shoot-out\n", harness.GetFrame());
        }
        if (period && period->GetPeriod() != lastPeriod) {
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
        const float clockBefore = PitchSimulation::Instance()->GetClock()
                                      ? PitchSimulation::Instance()->GetClock()->GetTime()
                                      : 0.0f;
        // The statistics and forfeit screens wait for a button; the banners go by themselves.
        const TBMenu* shown = ShownMenu();
        if (shown && shown->GetScreen() != "main" && shown->GetScreen().rfind("message", 0) != 0 &&
            harness.GetFrame() % kMenuPressEvery == 0) {
            harness.Script().Press(harness.GetFrame() + 1, "(menu):button a");
            if (shown->GetScreen() != closing)
                std::printf("match_run: frame %d: screen \"%s\"\n", harness.GetFrame(), shown->GetScreen().c_str());
            closing = shown->GetScreen();
        }
        if (!harness.Step())
            break;
        if (timed) {
            wallSeconds += std::chrono::duration<double>(Clock::now() - before).count();
            clockSeconds += PitchSimulation::Instance()->GetClock()->GetTime() - clockBefore;
        }
        const auto* menu = dynamic_cast<const TBMenu*>(harness.GetGame()->GetCurrentState());
        if (menu && menu->GetScreen() == "main")
            break;
    }
    const auto* menu = dynamic_cast<const TBMenu*>(harness.GetGame()->GetCurrentState());
    const SoccerTeam* team0 = PitchSimulation::Instance()->GetTeam(0);
    const SoccerTeam* team1 = PitchSimulation::Instance()->GetTeam(1);
    std::printf("match_run: run \"%s\": %d frames, %d periods, score %d:%d, %s\n",
                options.run.c_str(), harness.GetFrame(), periods, team0 ? team0->GetGoals() : -1,
                team1 ? team1->GetGoals() : -1,
                harness.GetProblem().empty() ? "no NaN" : harness.GetProblem().c_str());
    if (lastPeriod == kShootoutShown)
        std::printf("match_run: shoot-out result %d\n", StoryModeGame::Instance()->penaltyResult);
    if (options.bench && wallSeconds > 0.0)
        std::printf("match_run: %.0f match-clock seconds in %.2f s of play frames: %.0f clock seconds per second\n",
                    clockSeconds, wallSeconds, clockSeconds / wallSeconds);
    if (!harness.GetProblem().empty())
        return Fail(harness.GetProblem());
    if (!menu || menu->GetScreen() != "main")
        return Fail("the match did not return to \"main\"");
    return 0;
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
        else
            options.folder = argv[i];
    }
    if (options.folder.empty())
        return Fail("usage: match_run <game folder> [--run match|skip|extra|shootout|forfeit] [--bench]");
    ConsoleSink console(true);
    Debug::Instance()->SetSink(&console);
    const std::string archive = std::filesystem::absolute(options.folder + "/data/Turfbolt.dat").string();
    tools::OffscreenSession session("match_run", 800, 600);
    int result = 1;
    if (session.Start(tools::OffscreenSession::kWindowOnly))
        result = Run(session.GetWindow(), archive, options);
    Debug::Instance()->SetSink(nullptr);
    return result;
}
