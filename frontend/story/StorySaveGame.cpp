#include "frontend/story/StorySaveGame.h"

#include "characters/CharacterVariation.h"
#include "characters/TeamDescription.h"
#include "framework/Cast.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "framework/Serializer.h"
#include "frontend/story/StoryModeGame.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <utility>
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

std::string StorySaveGame::ProgressText()
{
    char progress[64];
    std::snprintf(progress, sizeof progress, "<scale 0.4><br>%%30320%% %d</scale>", ProgressStep());
    return progress;
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
    // While the file changes hands the table names nothing in the slot, so that a crash at any
    // step leaves no entry naming a file that holds another career. No sync batch: each step
    // is on disk before the next.
    const Slot before = *slot;
    // The old career is in its file again: the slot shows it, whether or not the table can.
    const auto undo = [&] {
        *slot = before;
        if (!before.free)
            WriteTable();
    };
    if (!before.free && !WriteSlot(index, Slot()))
        return false;
    FileSystem* files = FileSystem::Instance();
    const std::string file = CareerFileName(index);
    // The file may hold a career the table does not name (a deleted slot's, or one a damaged
    // table lost): it is kept, whatever the slot said.
    std::string kept;
    if (files->ExistsOnDisk(file.c_str()) && (kept = files->KeepCopy(file.c_str(), kReplacedTag)).empty()) {
        undo();
        return false;
    }
    if (!SaveCast("savegame", file, "StorySaveGame::StartCareer")) {
        undo();
        return false;
    }
    Slot started;
    started.fileName = file;
    started.displayName = displayName;
    started.free = false;
    if (!WriteSlot(index, started)) {
        if (kept.empty() ? files->Remove(file.c_str()) : files->Rename(kept.c_str(), file.c_str()))
            undo();
        return false;
    }
    WriteRewards();
    return true;
}

bool StorySaveGame::WriteSlot(int index, const Slot& entry)
{
    Slot& slot = slots[index];
    const Slot before = slot;
    slot = entry;
    if (WriteTable())
        return true;
    slot = before;
    return false;
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
    Slot dated = slots[currentSlot];
    dated.progress = ProgressText();
    dated.date = LocalDate();
    return WriteSlot(currentSlot, dated);
}

bool StorySaveGame::LoadCareer(int index)
{
    Slot* slot = GetSlot(index, "StorySaveGame::LoadCareer");
    if (!slot || slot->free)
        return false;
    const CareerBackup backup;
    if (ReadCareerFile(slot->fileName))
        return true;
    backup.Restore();
    LogError("StorySaveGame::LoadCareer: could not load the career of slot %d from \"%s\"\n", index,
             slot->fileName.c_str());
    return false;
}

bool StorySaveGame::ReadCareerFile(const std::string& file)
{
    Cast* cast = CastManager::Instance()->GetCast("savegame");
    StoryModeGame* game = StoryModeGame::Instance();
    // A file without a round of its own is no career.
    game->round = -1;
    return cast && LoadPlayerSettings(cast, file.c_str(), true) && game->round >= 0 &&
           game->round < StoryModeGame::kRounds;
}

bool StorySaveGame::DeleteSlot(int index)
{
    Slot* slot = GetSlot(index, "StorySaveGame::DeleteSlot");
    if (!slot || slot->free)
        return false;
    return WriteSlot(index, Slot());
}

int StorySaveGame::FindCareers(Slot (&found)[kSlots])
{
    const CareerBackup backup;
    int careers = 0;
    for (int i = 0; i < kSlots; ++i) {
        found[i] = Slot();
        const std::string file = CareerFileName(i);
        if (!FileSystem::Instance()->FileExists(file.c_str()) || !ReadCareerFile(file))
            continue;
        found[i].displayName = StoryModeGame::Instance()->teamName;
        found[i].fileName = file;
        found[i].progress = ProgressText();
        found[i].free = false;
        ++careers;
    }
    backup.Restore();
    return careers;
}

bool StorySaveGame::LoadTable()
{
    const bool present = FileSystem::Instance()->FileExists(kTableFile);
    Cast* cast = CastManager::Instance()->GetCast("SaveGameMeta");
    if (present && cast && LoadPlayerSettings(cast, kTableFile, true))
        return true;
    Slot found[kSlots];
    const int careers = FindCareers(found);
    // A first start: nothing saved yet.
    if (!present && careers == 0)
        return true;
    std::copy(std::begin(found), std::end(found), slots);
    // Told once, not at every reading of the same damage.
    m_tableNotice = m_tableNotice || !m_tableTold;
    LogError("StorySaveGame::LoadTable: %s %s; the slots list the %d career file(s) found\n",
             FileSystem::Instance()->ShownPath(kTableFile).c_str(), present ? "could not be read" : "is missing",
             careers);
    return false;
}

bool StorySaveGame::TakeTableNotice()
{
    m_tableTold = m_tableTold || m_tableNotice;
    return std::exchange(m_tableNotice, false);
}

bool StorySaveGame::WriteTable()
{
    if (!SaveCast("SaveGameMeta", kTableFile, "StorySaveGame::WriteTable"))
        return false;
    m_tableTold = false;
    return true;
}

bool StorySaveGame::WriteRewards()
{
    return SaveCast("gained", kGainedFile, "StorySaveGame::WriteRewards");
}
