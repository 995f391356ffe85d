// Prints every settings table of the game's data as the game reads it, with the keys a file
// lacks (they keep the value the object starts with) and the keys it holds that the table
// does not know.
//
//     print_settings [game folder]
//
// The game folder holds "data\Turfbolt.dat" (build/game after a build); the working folder
// is the default. Files the data does not ship (the player's own) show their defaults.

#include "characters/RefereeSettings.h"
#include "framework/AsciiSerializer.h"
#include "framework/Cast.h"
#include "framework/CryptedStdFile.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "framework/Settings.h"
#include "match/GainedObjects.h"
#include "match/penalties/PenaltySettings.h"
#include "settings/GameParameters.h"
#include "settings/GameSettings.h"
#include "settings/LevelSettings.h"
#include "settings/MatchSettings.h"
#include "tools/common/ConsoleSink.h"

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

struct SettingsFile {
    const char* cast;
    const char* file;
    const char* member;
    Object* object;
    bool scrambled;
};

// Collects what a writer writes.
class TextFile : public File {
public:
    size_t Read(void*, size_t) override { return 0; }
    size_t Write(const void* buffer, size_t count) override
    {
        text.append(static_cast<const char*>(buffer), count);
        return count;
    }
    bool ReadLine(char*, size_t) override { return false; }
    bool IsEof() const override { return true; }
    bool Seek(int64_t) override { return false; }
    int64_t Tell() const override { return static_cast<int64_t>(text.size()); }
    int64_t Size() const override { return static_cast<int64_t>(text.size()); }
    bool Close() override { return true; }

    std::string text;
};

std::string TableText(Object* object, const char* member)
{
    TextFile out;
    AsciiSerializer writer(&out, true);
    writer.SerializeObject(member, object);
    return out.text;
}

// The file's text as the game reads it: empty when there is none.
std::string FileText(const SettingsFile& entry)
{
    std::unique_ptr<File> in(entry.scrambled ? CryptedStdFile::Open(entry.file, false)
                                             : FileSystem::Instance()->OpenRead(entry.file));
    std::string text;
    char buffer[4096];
    for (size_t n; in && (n = in->Read(buffer, sizeof buffer)) > 0;)
        text.append(buffer, n);
    return text;
}

// The quoted key at the start of each table line.
std::vector<std::string> Keys(const std::string& text)
{
    std::vector<std::string> keys;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        const size_t open = text.find_first_not_of(' ', start);
        const size_t close = open < end && text[open] == '"' ? text.find('"', open + 1) : std::string::npos;
        if (close < end)
            keys.push_back(text.substr(open + 1, close - open - 1));
        start = end + 1;
    }
    return keys;
}

// Lines about the keys that one side has and the other lacks; none when they agree.
int ReportKeys(const std::vector<std::string>& fileKeys, const std::vector<std::string>& tableKeys)
{
    const std::set<std::string> inFile(fileKeys.begin(), fileKeys.end());
    const std::set<std::string> inTable(tableKeys.begin(), tableKeys.end());
    int problems = 0;
    for (const std::string& key : tableKeys)
        if (!inFile.contains(key)) {
            std::printf("  missing key \"%s\"\n", key.c_str());
            ++problems;
        }
    for (const std::string& key : fileKeys)
        if (!inTable.contains(key)) {
            std::printf("  unknown key \"%s\"\n", key.c_str());
            ++problems;
        }
    return problems;
}

int Print(const SettingsFile& entry)
{
    const std::string expanded = FileSystem::Instance()->ExpandAliases(entry.file);
    std::printf("=== %s (%s), cast \"%s\"\n", entry.file, expanded.c_str(), entry.cast);
    const std::string text = FileText(entry);
    int problems = 0;
    if (text.empty()) {
        std::printf("  not in the data: the values the game starts with\n");
    } else {
        Cast* cast = CastManager::Instance()->CreateCast(entry.cast);
        cast->AddMember(entry.object, entry.member, false);
        if (!LoadSettings(cast, entry.file, entry.scrambled)) {
            std::printf("  damaged: only what read is shown\n");
            ++problems;
        }
        cast->RemoveMember(entry.object);
        problems += ReportKeys(Keys(text), Keys(TableText(entry.object, entry.member)));
    }
    std::printf("%s\n", TableText(entry.object, entry.member).c_str());
    return problems;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 2 || (argc == 2 && argv[1][0] == '-')) {
        std::fprintf(stderr, "usage: print_settings [game folder]\n");
        return 2;
    }
    if (argc == 2 && chdir(argv[1]) != 0) {
        std::perror(argv[1]);
        return 2;
    }
    ConsoleSink sink;
    Debug::Instance()->SetSink(&sink);
    FileSystem* files = FileSystem::Instance();
    if (!files->AddDataFile("data\\Turfbolt.dat", false))
        return 1;
    SettingsManager::Instance()->LoadSettings("data\\pc\\config.txt");
    files->AddAlias("<PP>", SettingsManager::Instance()->GetString("ProjectPath").c_str());

    const SettingsFile settings[] = {
        {"global", "<PP>global\\global.txt", "Game Settings", GameSettings::Instance(), false},
        {"matchsettings", "<PP>matchsettings.txt", "Match Settings", MatchSettings::Instance(), false},
        {"penalties", "<PP>penalties.txt", "Penalty Settings", PenaltySettings::Instance(), false},
        {"referee", "<PP>referee.txt", "Referee Settings", RefereeSettings::Instance(), false},
        {"user", "Data\\SaveGames\\user.txt", "Game Parameters", GameParameters::Instance(), false},
        {"gained", "Data\\SaveGames\\gained.txt", "Gained Objects", GainedObjects::Instance(), true},
    };
    int problems = 0;
    for (const SettingsFile& entry : settings)
        problems += Print(entry);
    // Each level's settings folder in turn, as a match on that level registers it; each level
    // reads into a fresh table, so one level's values never stand in for another's.
    for (int level = 1; level <= GameParameters::kLevelCount; ++level) {
        LevelSettings settingsOfLevel;
        char folder[32];
        std::snprintf(folder, sizeof folder, "level%02d\\settings\\", level);
        files->RemoveAlias("<SP>");
        files->AddAlias("<SP>", (files->GetAlias("<PP>") + folder).c_str());
        problems += Print({"level", "<SP>level\\level.txt", "Level Settings", &settingsOfLevel, false});
    }
    CastManager::Instance()->DeleteAll();
    Debug::Instance()->SetSink(nullptr);
    std::printf("%d problem(s)\n", problems);
    return problems ? 1 : 0;
}
