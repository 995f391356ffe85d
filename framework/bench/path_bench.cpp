// Resolving game names (aliases, backslashes, any letter case) to files on disk.
#include "framework/FileSystem.h"
#include "framework/StringUtil.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kPaths = 100000;

// A project tree of 600 files in a scratch folder, and 100,000 names for them spelt as
// the data spells them, in mixed case.
struct PathSet {
    PathSet()
    {
        char pattern[] = "/tmp/tb_path_bench.XXXXXX";
        root = mkdtemp(pattern) ? pattern : "/tmp/tb_path_bench";
        const std::filesystem::path pc = std::filesystem::path(root) / "Data" / "PC";
        std::filesystem::create_directories(pc / "Textures24Bit");
        std::filesystem::create_directories(pc / "Menu" / "Screens");
        for (int i = 0; i < 500; ++i)
            std::ofstream(pc / "Textures24Bit" / FormatString("Grass_%03d.PNG", i)) << "x";
        for (int i = 0; i < 100; ++i)
            std::ofstream(pc / "Menu" / "Screens" / FormatString("Screen%02d.xml", i)) << "x";

        FileSystem* fs = FileSystem::Instance();
        fs->AddAlias("<PP>", (root + "/data/pc/").c_str());
        fs->AddAlias("<TP>", "textures24bit\\");
        names.reserve(kPaths);
        for (int i = 0; i < kPaths; ++i) {
            if (i % 5 == 0)
                names.push_back(FormatString("<pp>MENU/screens\\SCREEN%02d.XML", i % 100));
            else
                names.push_back(FormatString(i % 2 ? "<PP><TP>grass_%03d.png" : "<Pp>\\TEXTURES24BIT\\GRASS_%03d.Png",
                                             i % 500));
        }
    }
    ~PathSet()
    {
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }

    std::string root;
    std::vector<std::string> names;
};

PathSet& Paths()
{
    static PathSet set;
    return set;
}

void BM_ResolveAliasedMixedCasePaths(benchmark::State& state)
{
    PathSet& set = Paths();
    FileSystem* fs = FileSystem::Instance();
    if (state.range(0) == 0)
        fs->InvalidateDiskCache();  // the first pass lists the folders
    for (auto _ : state) {
        if (state.range(0) == 0) {
            state.PauseTiming();
            fs->InvalidateDiskCache();
            state.ResumeTiming();
        }
        for (const std::string& name : set.names)
            benchmark::DoNotOptimize(fs->ResolveDiskPath(name));
    }
    state.SetItemsProcessed(state.iterations() * kPaths);
}
BENCHMARK(BM_ResolveAliasedMixedCasePaths)->Arg(1)->ArgName("warm")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResolveAliasedMixedCasePaths)->Arg(0)->ArgName("cold")->Unit(benchmark::kMillisecond);

void BM_FileExistsAliasedMixedCase(benchmark::State& state)
{
    PathSet& set = Paths();
    FileSystem* fs = FileSystem::Instance();
    for (auto _ : state) {
        for (const std::string& name : set.names)
            benchmark::DoNotOptimize(fs->FileExists(name.c_str()));
    }
    state.SetItemsProcessed(state.iterations() * kPaths);
}
BENCHMARK(BM_FileExistsAliasedMixedCase)->Unit(benchmark::kMillisecond);

}  // namespace
