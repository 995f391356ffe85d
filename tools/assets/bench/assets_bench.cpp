// How long the generators take: the whole tool run must stay at a few seconds, sanitizers
// included, because every build runs it.
#include "engine/plugins/RpPlugins.h"
#include "tools/assets/common/Registry.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

struct Engine {
    Engine() { RwEngineStartUp(rwDeviceNull, nullptr, &RpPluginsAttachAll); }
    ~Engine() { RwEngineShutDown(); }
};

// The whole data set, as the build makes it (generators are looked up when the benchmark
// runs: their registrars live in other files, so they are not there during static set-up).
void BM_DataSet(benchmark::State& state)
{
    static Engine engine;
    assets::AssetContext context;
    context.stageDir = (std::filesystem::temp_directory_path() / "tbasset_bench").string();
    for (auto _ : state)
        for (const assets::Generator& g : assets::RegisteredGenerators())
            if (!g.run(context))
                state.SkipWithError(g.name.c_str());
    std::filesystem::remove_all(context.stageDir);
}
BENCHMARK(BM_DataSet)->Unit(benchmark::kMillisecond);

}  // namespace
