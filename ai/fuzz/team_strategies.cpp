// Reads arbitrary bytes as the strategies of the "Teams" cast file, then asks every strategy
// for the tactical position of every slot (and one past the ends) over a sweep of the ball.
#include "ai/TeamStrategy.h"
#include "framework/Cast.h"
#include "framework/fuzz/FuzzRun.h"
#include "framework/fuzz/FuzzScratch.h"

#include <cmath>
#include <cstdlib>

namespace {

constexpr const char* kScratch = "fuzz_team_strategies.txt";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzBeginRun();
    if (!FuzzWriteScratch(kScratch, data, size))
        std::abort();
    TeamStrategy::CreateAll();
    LoadSettings(CastManager::Instance()->GetCast(TeamStrategy::kCastName), kScratch);
    for (const char* name : TeamStrategy::kNames) {
        const TeamStrategy* strategy = TeamStrategy::Find(name);
        if (!strategy)
            std::abort();
        for (int32_t slot = -1; slot <= strategy->GetSlotCount(); ++slot) {
            for (float x = -1.5f; x <= 1.5f; x += 0.25f) {
                for (float z = -1.5f; z <= 1.5f; z += 0.5f) {
                    const PitchPosition p = strategy->GetTacticalPosition(slot, {x, z});
                    // Outside the slots, or without a grid, the answer is the centre.
                    const bool centre = slot < 0 || slot >= strategy->GetSlotCount() || !strategy->IsValid();
                    if (centre && !(p == PitchPosition()))
                        std::abort();
                }
            }
        }
    }
    CastManager::Instance()->DeleteAll();
    return 0;
}
