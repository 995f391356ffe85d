// Start-up of the character cast: the races and variations created and read from the default
// data's "Characters.txt", which binds every action's ball and move locators.
#include "characters/CharacterRace.h"
#include "characters/CharacterVariation.h"
#include "engine/plugins/RpPlugins.h"
#include "framework/Cast.h"
#include "framework/FileSystem.h"
#include "tests/support/OffscreenEngine.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

void BuildCast(benchmark::State& state, int32_t gameSize)
{
    ScopedEngine engine(rwDeviceNull, &RpPluginsAttachAll);
    FileSystem::Instance()->AddAlias("<PP>", (std::string(TB_STAGE_DIR) + "/data/pc/").c_str());
    for (auto _ : state) {
        OwnedObjects owned;
        CharacterRace::CreateAll(gameSize, owned);
        CharacterVariation::CreateAll(owned);
        Cast* cast = CastManager::Instance()->GetCast("Characters");
        if (!LoadSettings(cast, "<PP>\\Characters.txt"))
            state.SkipWithError("Characters.txt did not load");
        state.PauseTiming();
        CastManager::Instance()->DeleteAll();
        owned.clear();
        state.ResumeTiming();
    }
    FileSystem::Instance()->RemoveAlias("<PP>");
}

// Cold: one run, as start-up meets it (no file in the engine's or the system's caches yet
// when run first).
void BM_CharacterCastCold(benchmark::State& state) { BuildCast(state, 2); }
BENCHMARK(BM_CharacterCastCold)->Iterations(1)->Unit(benchmark::kMillisecond);
void BM_CharacterCastWarm(benchmark::State& state) { BuildCast(state, static_cast<int32_t>(state.range(0))); }
BENCHMARK(BM_CharacterCastWarm)->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
