// Start-up of the character cast: the races and variations created and read from the default
// data's "Characters.txt", which binds every action's ball and move locators.
#include "characters/CharacterRace.h"
#include "characters/CharacterVariation.h"
#include "engine/bridge/EngineBridge.h"
#include "engine/core/RtFSManager.h"
#include "engine/plugins/RpPlugins.h"
#include "framework/Cast.h"
#include "framework/FileSystem.h"
#include "tests/support/LogCapture.h"
#include "tests/support/OffscreenEngine.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

void BuildCast(benchmark::State& state, int32_t gameSize)
{
    ScopedEngine engine(rwDeviceNull, &RpPluginsAttachAll);
    // The locators' animations are read through the game's file layer, as in the game.
    RtFSManagerOpen(-1);
    RwInstallFileSystem();
    FileSystem::Instance()->AddAlias("<PP>", (std::string(TB_STAGE_DIR) + "/data/pc/").c_str());
    for (auto _ : state) {
        OwnedObjects owned;
        CharacterRace::CreateAll(gameSize, owned);
        CharacterVariation::CreateAll(owned);
        Cast* cast = CastManager::Instance()->GetCast("Characters");
        LogCapture log;  // and keeps the warnings of the smaller games off the figures
        // A smaller game leaves races of the file out, and the file says so.
        if (!LoadSettings(cast, "<PP>\\Characters.txt") && gameSize == 2) {
            state.SkipWithError(("Characters.txt did not load: " + log.Text().substr(0, 300)).c_str());
            break;
        }
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
