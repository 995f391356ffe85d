// Reads arbitrary bytes as the character cast file: the races with their actions and the
// variations with their statistics and hidden atomics, then asks each for what a match reads.
#include "characters/CharacterRace.h"
#include "characters/CharacterVariation.h"
#include "engine/core/fuzz/FuzzSupport.h"
#include "engine/plugins/RpPlugins.h"
#include "framework/Cast.h"
#include "framework/fuzz/FuzzScratch.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char* kScratch = "fuzz_character_cast.txt";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzBeginEngineRun(&RpPluginsAttachAll);
    if (!FuzzWriteScratch(kScratch, data, size))
        std::abort();
    OwnedObjects owned;
    CharacterRace::CreateAll(2, owned);
    CharacterVariation::CreateAll(owned);
    LoadSettings(CastManager::Instance()->GetCast("Characters"), kScratch);
    for (const auto& object : owned) {
        if (auto* variation = dynamic_cast<CharacterVariation*>(object.get())) {
            const Statistic average = variation->GetAverageStatistic();
            // Loaded levels are always in range, so the average is too.
            if (!(average.level >= Statistic::kMinLevel && average.level <= Statistic::kMaxLevel))
                std::abort();
            variation->GetTexturePath();
        } else if (auto* race = dynamic_cast<CharacterRace*>(object.get())) {
            for (const char* name : CharacterRace::ActionNames())
                race->GetAction(name)->GetDuration();
        }
    }
    CastManager::Instance()->DeleteAll();
    return 0;
}
