#include "match/StorySaveGame.h"

#include "characters/CharacterVariation.h"
#include "characters/TeamDescription.h"
#include "framework/Cast.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "framework/Serializer.h"
#include "match/StoryModeGame.h"

#include <cstdio>
#include <ctime>
#include <vector>

namespace {

constexpr int kStepsPerRound = 4;

bool SaveCast(const char* castName, const std::string& file, const char* caller)
{
    Cast* cast = CastManager::Instance()->GetCast(castName);
    if (cast && SaveSettings(cast, file.c_str(), true))
        return true;
    LogError("%s: could not write \"%s\" to %s\n", caller, castName, file.c_str());
    return false;
}

std::string LocalDate()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%d.%m.%Y - %H:%M", &local);
    return std::string("<scale 0.4>") + text + "</scale>";
}

// Everything a career file can change: the record, the story team and the members'
// statistics (a file may name members of any team), put back when a load fails.
class CareerBackup {
public:
    CareerBackup() : m_career(*StoryModeGame::Instance())
    {
        if (const TeamDescription* team = TeamDescription::Find(StoryModeGame::kStoryTeam)) {
            m_members = team->GetMembers();
            m_teamName = team->GetTeamName();
        }
        ForEachVariation([this](CharacterVariation& v) { m_stats.push_back({v.energy, v.speed, v.shooting}); });
    }

    void Restore() const
    {
        static_cast<StoryCareer&>(*StoryModeGame::Instance()) = m_career;
        if (TeamDescription* team = TeamDescription::Find(StoryModeGame::kStoryTeam)) {
            team->GetMembers() = m_members;
            team->SetTeamName(m_teamName);
        }
        size_t i = 0;
        ForEachVariation([&](CharacterVariation& v) {
            v.energy = m_stats[i].energy;
            v.speed = m_stats[i].speed;
            v.shooting = m_stats[i].shooting;
            ++i;
        });
    }

private:
    struct Stats {
        Statistic energy, speed, shooting;
    };

    template <typename Visit>
    static void ForEachVariation(Visit visit)
    {
        const Cast* cast = CastManager::Instance()->GetCast("Characters");
        for (int i = 0; cast && i < cast->GetMemberCount(); ++i)
            if (auto* variation = dynamic_cast<CharacterVariation*>(cast->GetMember(i)->object))
                visit(*variation);
    }

    StoryCareer m_career;
    std::vector<TeamDescription::Member> m_members;
    std::string m_teamName;
    std::vector<Stats> m_stats;
};

}  // namespace

void StorySaveGame::Serialize(Serializer& s, const char* descriptor)
{
    s.BeginSection("SaveGamesMeta", descriptor);
    char key[32];
    for (int i = 0; i < kSlots; ++i) {
        const auto entry = [&](const char* field) {
            std::snprintf(key, sizeof key, "%s[%d]", field, i);
            return key;
        };
        s.SerializeString(entry("DisplayName"), &slots[i].displayName);
        s.SerializeString(entry("FileName"), &slots[i].fileName);
        s.SerializeString(entry("Date"), &slots[i].date);
        s.SerializeString(entry("Progress"), &slots[i].progress);
        s.SerializeBool(entry("Free"), &slots[i].free);
    }
    s.EndSection();
}

std::string StorySaveGame::CareerFileName(int index)
{
    char name[48];
    std::snprintf(name, sizeof name, "data\\Savegames\\savegame%d.txt", index);
    return name;
}

int StorySaveGame::ProgressStep()
{
    const StoryModeGame* game = StoryModeGame::Instance();
    return kStepsPerRound * game->round + (game->firstLeg ? 0 : 2) + (game->trainingPassed ? 1 : 0) + 1;
}

StorySaveGame::Slot* StorySaveGame::GetSlot(int index, const char* caller)
{
    if (IsSlot(index))
        return &slots[index];
    LogError("%s: no save slot %d; nothing written\n", caller, index);
    return nullptr;
}

bool StorySaveGame::StartCareer(int index, const std::string& teamName, const std::string& displayName)
{
    Slot* slot = GetSlot(index, "StorySaveGame::StartCareer");
    if (!slot)
        return false;
    currentSlot = index;
    StoryModeGame::Instance()->NewGame(teamName);
    // The slot's old career keeps its file until the table names the new one: the new file
    // waits beside it and takes the name last. No sync batch: each step is on disk before
    // the next, so that a crash never finds the table ahead of the files.
    const std::string file = CareerFileName(index);
    const std::string waiting = file + kWaitingSuffix;
    if (!SaveCast("savegame", waiting, "StorySaveGame::StartCareer"))
        return false;
    const Slot before = *slot;
    *slot = Slot();
    slot->fileName = file;
    slot->displayName = displayName;
    slot->free = false;
    if (!WriteTable()) {
        *slot = before;
        FileSystem::Instance()->Remove(waiting.c_str());
        return false;
    }
    if (!FileSystem::Instance()->Rename(waiting.c_str(), file.c_str())) {
        *slot = before;
        WriteTable();
        FileSystem::Instance()->Remove(waiting.c_str());
        return false;
    }
    WriteRewards();
    return true;
}

bool StorySaveGame::WriteCareer()
{
    Slot* slot = GetSlot(currentSlot, "StorySaveGame::WriteCareer");
    if (!slot)
        return false;
    if (slot->free || slot->fileName.empty()) {
        LogError("StorySaveGame::WriteCareer: save slot %d holds no career; nothing written\n", currentSlot);
        return false;
    }
    return SaveCast("savegame", slot->fileName, "StorySaveGame::WriteCareer");
}

bool StorySaveGame::Save()
{
    // The table only dates a file it names already, so one folder sync serves both.
    FolderSyncBatch batch;
    if (!WriteCareer())
        return false;
    Slot& slot = slots[currentSlot];
    const Slot before = slot;
    char progress[64];
    std::snprintf(progress, sizeof progress, "<scale 0.4><br>%%30320%% %d</scale>", ProgressStep());
    slot.progress = progress;
    slot.date = LocalDate();
    if (WriteTable())
        return true;
    slot = before;
    return false;
}

bool StorySaveGame::LoadCareer(int index)
{
    Slot* slot = GetSlot(index, "StorySaveGame::LoadCareer");
    if (!slot || slot->free)
        return false;
    Cast* cast = CastManager::Instance()->GetCast("savegame");
    const CareerBackup backup;
    StoryModeGame* game = StoryModeGame::Instance();
    // A file without a round of its own is no career.
    game->round = -1;
    const bool loaded = cast && LoadSettings(cast, slot->fileName.c_str(), true);
    if (loaded && game->round >= 0 && game->round < StoryModeGame::kRounds)
        return true;
    backup.Restore();
    LogError("StorySaveGame::LoadCareer: could not load the career of slot %d from \"%s\"\n", index,
             slot->fileName.c_str());
    return false;
}

bool StorySaveGame::DeleteSlot(int index)
{
    Slot* slot = GetSlot(index, "StorySaveGame::DeleteSlot");
    if (!slot || slot->free)
        return false;
    const Slot before = *slot;
    *slot = Slot();
    if (WriteTable())
        return true;
    *slot = before;
    return false;
}

bool StorySaveGame::LoadTable()
{
    if (!FileSystem::Instance()->FileExists(kTableFile))
        return true;
    Cast* cast = CastManager::Instance()->GetCast("SaveGameMeta");
    Slot before[kSlots];
    std::copy(std::begin(slots), std::end(slots), before);
    if (cast && LoadSettings(cast, kTableFile, true))
        return true;
    std::copy(std::begin(before), std::end(before), slots);
    LogError("StorySaveGame::LoadTable: could not read %s; the slots stay as they were\n", kTableFile);
    return false;
}

bool StorySaveGame::WriteTable()
{
    return SaveCast("SaveGameMeta", kTableFile, "StorySaveGame::WriteTable");
}

bool StorySaveGame::WriteRewards()
{
    return SaveCast("gained", kGainedFile, "StorySaveGame::WriteRewards");
}
