// What the settings cost: every shipped settings file read from the data archive into its
// object (all four levels', where a match start reads one), and the player's user file
// written.
#include "framework/Cast.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "match/penalties/PenaltySettings.h"
#include "settings/GameParameters.h"
#include "settings/GameSettings.h"
#include "settings/LevelSettings.h"
#include "settings/MatchSettings.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

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
        state.SkipWithError((std::string("no data archive at ") + TB_DATA_ARCHIVE).c_str());
        return;
    }
    const Shipped shipped[] = {
        {"matchsettings", "<PP>matchsettings.txt", "Match Settings", MatchSettings::Instance()},
        {"penalties", "<PP>penalties.txt", "Penalty Settings", PenaltySettings::Instance()},
        {"global", "<PP>global\\global.txt", "Game Settings", GameSettings::Instance()},
        {"level", "<PP>level01\\settings\\level\\level.txt", "Level Settings", LevelSettings::Instance()},
        {"level", "<PP>level02\\settings\\level\\level.txt", "Level Settings", LevelSettings::Instance()},
        {"level", "<PP>level03\\settings\\level\\level.txt", "Level Settings", LevelSettings::Instance()},
        {"level", "<PP>level04\\settings\\level\\level.txt", "Level Settings", LevelSettings::Instance()},
    };
    CastManager* casts = CastManager::Instance();
    for (const Shipped& s : shipped)
        if (Cast* cast = casts->CreateCast(s.cast); !cast->FindByName(s.member))
            cast->AddMember(s.object, s.member, false);
    Cast* user = casts->CreateCast("user");
    user->AddMember(GameParameters::Instance(), "Game Parameters", false);
    const std::string userFile = (std::filesystem::temp_directory_path() / "tb_settings_bench_user.txt").string();

    for (auto _ : state) {
        bool ok = true;
        for (const Shipped& s : shipped)
            ok = LoadSettings(casts->GetCast(s.cast), s.file) && ok;
        if (state.range(0))
            ok = SaveSettings(user, userFile.c_str()) && ok;
        if (!ok)
            state.SkipWithError("a settings file did not read or write");
    }
    // The settings objects are not the casts' own and survive this.
    casts->DeleteAll();
    std::filesystem::remove(userFile);
}
// Without and with the user file: its write waits for the disk (the file layer syncs it).
BENCHMARK(BM_ReadShippedSettingsAndWriteUserFile)->ArgName("user")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
