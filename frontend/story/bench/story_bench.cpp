// The player's "Save" (career and slot table, each scrambled to a temporary file and renamed
// into place) and loading a seven-member career, 200 times each.
#include "characters/CharacterVariation.h"
#include "characters/TeamDescription.h"
#include "framework/Cast.h"
#include "frontend/story/StoryModeGame.h"
#include "frontend/story/StorySaveGame.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

constexpr int kRuns = 200;

class Career {
public:
    Career()
    {
        char pattern[] = "/tmp/tb_story_bench.XXXXXX";
        m_folder = mkdtemp(pattern);
        m_previous = std::filesystem::current_path();
        std::filesystem::current_path(m_folder);
        CharacterVariation::CreateAll(m_owned);
        TeamDescription::CreateAll(m_owned);
        auto& members = TeamDescription::Find("Panda01")->GetMembers();
        members = {{"PandaGk00", true}, {"PandaPl00", false}, {"PandaPl01", false}, {"PandaPl02", false},
                   {"PandaPl03", false}, {"LizardGk01", true}, {"LizardPl05", false}};
        CastManager* casts = CastManager::Instance();
        casts->CreateCast("savegame")->AddMember(StoryModeGame::Instance(), "SaveGame", false);
        casts->CreateCast("SaveGameMeta")->AddMember(StorySaveGame::Instance(), "Metainfo", false);
        casts->CreateCast("gained");
        if (!StorySaveGame::Instance()->StartCareer(2, "Bolts", "Bolts"))
            std::abort();
        // NewGame emptied the list's copy in the record; the write takes it back.
        TeamDescription::Find("Panda01")->GetMembers() = members;
    }
    ~Career()
    {
        CastManager::DestroyInstance();
        m_owned.clear();
        std::filesystem::current_path(m_previous);
        std::filesystem::remove_all(m_folder);
    }

private:
    OwnedObjects m_owned;
    std::string m_folder;
    std::filesystem::path m_previous;
};

// One career for every repetition: its setup is not what is measured.
void UseCareer()
{
    static Career career;
}

double Max(const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); }

void BM_SaveCareer(benchmark::State& state)
{
    UseCareer();
    for (auto _ : state)
        if (!StorySaveGame::Instance()->Save())
            state.SkipWithError("save failed");
}

void BM_LoadCareer(benchmark::State& state)
{
    UseCareer();
    for (auto _ : state)
        if (!StorySaveGame::Instance()->LoadCareer(2))
            state.SkipWithError("load failed");
}

}  // namespace

BENCHMARK(BM_SaveCareer)->Iterations(1)->Repetitions(kRuns)->ReportAggregatesOnly(true)->ComputeStatistics("max", Max)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadCareer)->Iterations(1)->Repetitions(kRuns)->ReportAggregatesOnly(true)->ComputeStatistics("max", Max)->Unit(benchmark::kMillisecond);
