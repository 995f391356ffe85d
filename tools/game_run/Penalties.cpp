// Penalties on the default data, headless, on the game harness, between "Panda01" (left) and
// "Lizard01" on the first level:
//     game_run penalties <game folder> [--count N] [--bench [N]]
// By default N (50; 0 for none) seeded shoot-outs between the two computer sides, every kick printed
// (taker, the cell aimed at, the cell the keeper dived to, the outcome) with each winner;
// then a person's penalties by script: top left past a keeper diving the wrong way, and low
// left, softly, saved by a keeper who moves his stick the right way.
// --bench: N (200) seeded computer penalties: the wall time per kick and the shares scored,
// saved and missed.
// Exits 1 when a shoot-out ends undecided, its marks differ from its kicks, a value turns NaN,
// or a scripted kick does not go as scripted.
#include "characters/Character.h"
#include "characters/CharacterVariation.h"
#include "characters/Team.h"
#include "framework/Debug.h"
#include "framework/Random.h"
#include "game/GameTB.h"
#include "game/harness/GameHarness.h"
#include "game/harness/PenaltyMatch.h"
#include "match/penalties/PenaltyDisplayControl.h"
#include "match/penalties/PenaltySettings.h"
#include "match/penalties/PenaltyShootout.h"
#include "match/penalties/PenaltyShot.h"
#include "pitch/PitchSimulation.h"
#include "simulation/Ball.h"
#include "tools/common/ConsoleSink.h"
#include "tools/common/GameData.h"
#include "tools/common/OffscreenSession.h"
#include "tools/game_run/Modes.h"

#include <algorithm>
#include <cmath>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A kick's longest run: the computer's wait, the run-up and the flight, at the shipped settings.
constexpr int kKickFrameCap = 1200;
// How near the goal line a ball has come to count as reaching it (its radius and a little).
constexpr float kLineMargin = 0.2f;

const char* CellName(int32_t code)
{
    static const char* const kCells[] = {"top left",    "top centre",    "top right",
                                         "middle left", "middle centre", "middle right",
                                         "bottom left", "bottom centre", "bottom right"};
    return code >= 14 && code <= 22 ? kCells[code - 14] : "none";
}

// What became of one kick, read while it ran.
struct KickRecord {
    int side = 0;
    std::string taker;
    int32_t aim = 0;
    int32_t dive = 0;
    int32_t result = 0;
    // The ball reached the goal line: a kick kept out before it was saved.
    bool reachedLine = false;
    bool keeperTouched = false;

    bool Saved() const { return result != PenaltyContext::kScored && (keeperTouched || !reachedLine); }
    const char* Outcome() const
    {
        if (result == PenaltyContext::kScored)
            return "goal";
        return Saved() ? "saved" : "missed";
    }
};

void Watch(const PenaltyShot& shot, KickRecord& record)
{
    const PenaltyContext& context = shot.GetContext();
    record.side = context.leftSide ? 0 : 1;
    record.taker = context.taker->GetVariation()->GetDisplayName();
    record.aim = context.aimCode;
    record.dive = context.diveCode;
    if (context.result)
        record.result = *context.result;
    const Ball* ball = PitchSimulation::Instance()->GetBall();
    record.keeperTouched = record.keeperTouched || (ball && ball->GetLastToucher() == context.keeper);
    const float line = std::fabs(PenaltyPreShot::KeeperPoint(context.leftSide).x);
    record.reachedLine = record.reachedLine || (ball && std::fabs(ball->GetPosition().x) > line - kLineMargin);
}

// The rows the display should show at the end: the block of five pairs the last kick is in.
std::string ExpectedRow(const std::vector<KickRecord>& kicks, int side, int lastPair)
{
    const int base = lastPair / 5 * 5;
    std::string row(5, 'e');
    int pair[2] = {0, 0};
    for (const KickRecord& kick : kicks) {
        const int p = pair[kick.side]++;
        if (kick.side == side && p >= base)
            row[static_cast<size_t>(p - base)] = kick.result == PenaltyContext::kScored ? 's' : 'm';
    }
    return row;
}

// Makes the kick current and runs it to its end; its result int is the caller's.
KickRecord PlayKick(GameHarness& harness, PenaltyShot* shot, const int32_t& result)
{
    harness.MakeCurrent(shot);
    KickRecord record;
    for (int frame = 0; frame < kKickFrameCap && harness.GetGame()->GetCurrentState() == shot; ++frame) {
        Watch(*shot, record);
        if (!harness.Step())
            break;
    }
    record.result = result;
    return record;
}

// One seeded shoot-out to its result screen, closed by the menu button. False on a fault.
bool PlayShootout(GameHarness& harness, int index, int* wins)
{
    Random::Seed(static_cast<uint32_t>(index + 1));
    int32_t winner = 0;
    auto* shootout = new PenaltyShootout(&winner);
    harness.MakeCurrent(shootout);
    std::vector<KickRecord> kicks;
    // A kick is told by its pair and side: a new one may reuse the last one's address.
    int kick = -1;
    int frames = 0;
    while (!shootout->IsResultShown() && frames++ < 40 * kKickFrameCap && harness.Step()) {
        const auto* shot = dynamic_cast<const PenaltyShot*>(shootout->GetCurrentKick());
        const int current = 2 * shootout->GetPair() + (shootout->IsLeftKicking() ? 0 : 1);
        if (shot && current != kick) {
            kick = current;
            kicks.emplace_back();
        }
        if (shot)
            Watch(*shot, kicks.back());
    }
    // A result known only on the kick's last frame: the goal counts tell.
    int goals[2] = {0, 0};
    for (KickRecord& record : kicks) {
        if (record.result == PenaltyContext::kOpen)
            record.result = PenaltyContext::kMissed;
        goals[record.side] += record.result == PenaltyContext::kScored;
    }
    const std::string rows[2] = {PenaltyDisplayControl::DescribeRow(0), PenaltyDisplayControl::DescribeRow(1)};
    std::printf("shoot-out %d:\n", index + 1);
    for (size_t i = 0; i < kicks.size(); ++i) {
        const KickRecord& k = kicks[i];
        std::printf("  kick %2zu %s %-10s aims %-13s keeper %-13s %s\n", i + 1, k.side == 0 ? "left " : "right",
                    k.taker.c_str(), CellName(k.aim), CellName(k.dive), k.Outcome());
    }
    const bool decided = shootout->IsResultShown() && (winner == 1 || winner == 2);
    const bool goalsMatch = goals[0] == shootout->GetLeftGoals() && goals[1] == shootout->GetRightGoals();
    const int lastPair = shootout->GetPair();
    const bool marksMatch = rows[0] == ExpectedRow(kicks, 0, lastPair) && rows[1] == ExpectedRow(kicks, 1, lastPair);
    std::printf("  %s wins %d-%d after %zu kicks; marks %s | %s%s%s\n",
                winner == 1 ? "left" : (winner == 2 ? "right" : "nobody"), shootout->GetLeftGoals(),
                shootout->GetRightGoals(), kicks.size(), rows[0].c_str(), rows[1].c_str(),
                marksMatch && goalsMatch ? "" : " (DIFFER from the kicks)", harness.GetProblem().c_str());
    if (decided)
        ++wins[winner - 1];
    const bool closed = PenaltyMatch::PressUntilGone(harness, shootout);
    if (!closed)
        std::printf("  the result screen did not close\n");
    return decided && goalsMatch && marksMatch && closed && harness.GetProblem().empty();
}

// The person's kicks: scored past a keeper diving the wrong way, saved by one diving the right way.
bool PlayScriptedKicks(GameHarness& harness)
{
    PenaltySettings& settings = *PenaltySettings::Instance();
    const PenaltySettings shipped;
    settings.worstPowerUpTime = settings.bestPowerUpTime = 0.5f;
    struct Case {
        const char* name;
        PenaltyMatch::PersonsKick kick;
        int32_t expected;
    };
    const Case cases[] = {
        {"top left, the keeper dives to his left", PenaltyMatch::TopLeftPastTheKeeper(), PenaltyContext::kScored},
        {"low left, softly, the keeper dives low to his right", PenaltyMatch::LowLeftSaved(), PenaltyContext::kMissed}};
    bool ok = true;
    for (const Case& c : cases) {
        PenaltyMatch::ScriptPersonsKick(harness.Script(), harness.GetFrame(), c.kick);
        int32_t result = 0;
        auto* shot = new PenaltyShot(PenaltyMatch::LastPlayer(0), PenaltyMatch::Keeper(1), "(0):", "(1):", true,
                                     &result, true);
        const KickRecord record = PlayKick(harness, shot, result);
        const bool asScripted = result == c.expected;
        std::printf("person's kick, %s: aims %s, keeper %s, %s%s\n", c.name, CellName(record.aim),
                    CellName(record.dive), record.Outcome(), asScripted ? "" : " (NOT as scripted)");
        ok = ok && asScripted && harness.GetProblem().empty();
    }
    settings.worstPowerUpTime = shipped.worstPowerUpTime;
    settings.bestPowerUpTime = shipped.bestPowerUpTime;
    return ok;
}

int Bench(GameHarness& harness, int count)
{
    int outcomes[3] = {0, 0, 0};  // scored, saved, missed
    std::vector<double> ms;
    PitchSimulation* pitch = PitchSimulation::Instance();
    for (int i = 0; i < count; ++i) {
        Random::Seed(static_cast<uint32_t>(i + 1));
        const int side = i % 2;
        const SoccerTeam& kicking = *pitch->GetTeam(side);
        Character* taker = kicking.GetPlayer(PenaltyShootout::TakerIndex(kicking.GetPlayerCount(), i / 2));
        Character* keeper = pitch->GetTeam(1 - side)->GetPlayer(0);
        int32_t result = 0;
        PenaltyShootout::ParkEveryone();
        auto* shot = new PenaltyShot(taker, keeper, "ai", "ai", side == 0, &result, true);
        const auto start = std::chrono::steady_clock::now();
        const KickRecord record = PlayKick(harness, shot, result);
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        ++outcomes[result == PenaltyContext::kScored ? 0 : (record.Saved() ? 1 : 2)];
        if (!harness.GetProblem().empty()) {
            std::fprintf(stderr, "game_run: %s\n", harness.GetProblem().c_str());
            return 1;
        }
    }
    std::sort(ms.begin(), ms.end());
    const auto share = [&](int n) { return 100.0 * n / count; };
    std::printf("game_run penalties --bench: %d computer penalties; wall time per kick median %.1f ms, worst %.1f ms; "
                "scored %.1f%%, saved %.1f%%, missed %.1f%%\n",
                count, ms[ms.size() / 2], ms.back(), share(outcomes[0]), share(outcomes[1]), share(outcomes[2]));
    return 0;
}

int Run(platform::Window* window, const std::string& archive, int count, int bench)
{
    GameHarness harness(window, archive);
    if (!harness.Start() || !PenaltyMatch::SetUp(harness))
        return 1;

    if (bench > 0) {
        const int result = Bench(harness, bench);
        harness.Stop();
        return result;
    }
    int wins[2] = {0, 0};
    int faults = 0;
    for (int i = 0; i < count; ++i)
        faults += PlayShootout(harness, i, wins) ? 0 : 1;
    std::printf("game_run: %d shoot-outs: left won %d, right won %d; %d with faults\n", count, wins[0],
                wins[1], faults);
    const bool scripted = PlayScriptedKicks(harness);
    harness.Stop();
    return faults == 0 && scripted ? 0 : 1;
}

}  // namespace

int RunPenalties(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: game_run penalties <game folder> [--count N] [--bench [N]]\n");
        return 2;
    }
    int count = 50, bench = 0;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--count") == 0 && i + 1 < argc)
            count = std::max(0, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--bench") == 0)
            bench = i + 1 < argc && argv[i + 1][0] != '-' ? std::max(1, std::atoi(argv[++i])) : 200;
    }
    ConsoleSink console(true);
    Debug::Instance()->SetSink(&console);
    const std::string archive = tools::ArchivePath(argv[1]);
    tools::OffscreenSession session("game_run penalties", 800, 600);
    int result = 1;
    if (session.Start(tools::OffscreenSession::kWindowOnly))
        result = Run(session.GetWindow(), archive, count, bench);
    Debug::Instance()->SetSink(nullptr);
    return result;
}
