// What a start costs in settings: the shipped settings files read from the data archive
// into their objects, and the player's user file written.
#include "framework/Cast.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "match/GameParameters.h"
#include "match/MatchSettings.h"
#include "match/penalties/PenaltySettings.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

struct Shipped {
    const char* cast;
    const char* file;
    const char* member;
    Object* object;
};

class QuietSink : public DebugSink {
public:
    void OnLog(const char*) override {}
};

bool MountData()
{
    static QuietSink sink;
    Debug::Instance()->SetSink(&sink);
    FileSystem* files = FileSystem::Instance();
    if (!files->AddDataFile(TB_DATA_ARCHIVE, false))
        return false;
    files->AddAlias("<PP>", "data\\pc\\");
    return files->FileExists("<PP>matchsettings.txt");
}

void BM_ReadShippedSettingsAndWriteUserFile(benchmark::State& state)
{
    if (!MountData()) {
        state.SkipWithError("no data archive at " TB_DATA_ARCHIVE);
        return;
    }
    const Shipped shipped[] = {
        {"matchsettings", "<PP>matchsettings.txt", "Match Settings", MatchSettings::Instance()},
        {"penalties", "<PP>penalties.txt", "Penalty Settings", PenaltySettings::Instance()},
    };
    CastManager* casts = CastManager::Instance();
    for (const Shipped& s : shipped)
        casts->CreateCast(s.cast)->AddMember(s.object, s.member, false);
    Cast* user = casts->CreateCast("user");
    user->AddMember(GameParameters::Instance(), "Game Parameters", false);
    const std::string userFile = (std::filesystem::temp_directory_path() / "tb_settings_bench_user.txt").string();

    for (auto _ : state) {
        bool ok = true;
        for (const Shipped& s : shipped)
            ok = LoadSettings(casts->GetCast(s.cast), s.file) && ok;
        ok = SaveSettings(user, userFile.c_str()) && ok;
        if (!ok)
            state.SkipWithError("a settings file did not read or write");
    }
    for (const Shipped& s : shipped)
        casts->GetCast(s.cast)->RemoveMember(s.object);
    user->RemoveMember(GameParameters::Instance());
    std::filesystem::remove(userFile);
}
BENCHMARK(BM_ReadShippedSettingsAndWriteUserFile)->Unit(benchmark::kMillisecond);

}  // namespace
