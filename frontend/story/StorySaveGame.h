#pragma once

// The five story save slots and the files behind them.

#include "framework/Object.h"
#include "framework/Singleton.h"

#include <cstdint>
#include <string>

// One save slot as the menus show it.
struct StorySlot {
    std::string displayName = "Empty";
    std::string fileName;
    std::string date;  // mark-up text of the last save
    std::string progress;  // mark-up text of the last save's step
    bool free = true;
};

// The slot table, member "Metainfo" of the cast "SaveGameMeta", kept scrambled in
// kTableFile. No operation leaves the table naming a career file that holds another
// career, and each leaves the table as it was when a file cannot be written.
class StorySaveGame : public Singleton<StorySaveGame>, public Object {
public:
    static constexpr int kSlots = 5;
    static constexpr const char* kTableFile = "data\\Savegames\\SaveGameMeta.txt";
    static constexpr const char* kGainedFile = "Data\\SaveGames\\gained.txt";
    // A new career never writes over a career file: the old one is kept with this ending.
    static constexpr const char* kReplacedTag = "replaced";

    using Slot = StorySlot;

    void Serialize(Serializer& serializer, const char* descriptor) override;

    static bool IsSlot(int index) { return index >= 0 && index < kSlots; }
    // "data\Savegames\savegame<index>.txt".
    static std::string CareerFileName(int index);
    // The step of the career: 1 is round 0, first leg due, its training not passed.
    static int ProgressStep();
    // The slot's progress text for that step.
    static std::string ProgressText();

    // The slot, or null (logged with the caller's name) outside 0 to 4.
    Slot* GetSlot(int index, const char* caller);
    // The slot, or null outside 0 to 4.
    const Slot* GetSlot(int index) const { return IsSlot(index) ? &slots[index] : nullptr; }

    // A new career of the team in the slot, shown under the display name and not yet dated:
    // the record restarted, its file, the table and the rewards written. A file already there
    // is kept as a copy ending in kReplacedTag. False (logged) when the slot is not one or a
    // file could not be written: the slot and the career file it named are then as they were.
    bool StartCareer(int index, const std::string& teamName, const std::string& displayName);
    // The running career into currentSlot's file, then its date and progress into the
    // table file. False (logged) without a valid used slot or when a file could not be
    // written; the table is then unchanged.
    bool Save();
    // Only the career file of currentSlot; false (logged) without a valid used slot.
    bool WriteCareer();
    // The career of a used slot. False (logged) when the slot is free, its file missing or
    // unreadable, or its round is not one: the career in memory is then left as it was.
    bool LoadCareer(int index);
    // Frees a used slot and writes the table; the career file stays on disk. False when
    // the slot was free or not one (nothing written), or when the table could not be
    // written (the slot is then used as before).
    bool DeleteSlot(int index);
    // Reads the table file over the table. When it cannot be read, or is missing while career
    // files are there, the table lists the career files found instead (each under its team's
    // name, undated), so that no career looks free, and TakeTableNotice tells it once; false
    // (logged) then. The file is left as it is: the next save writes the table anew.
    bool LoadTable();
    bool WriteTable();
    // True once after LoadTable listed the careers found: the player is to be told. Not again
    // for the same file: only once the table was written anew.
    bool TakeTableNotice();
    // The cast "gained" to kGainedFile; false (logged) when it could not be written.
    static bool WriteRewards();

    Slot slots[kSlots];
    int32_t currentSlot = -1;  // the running career's slot; not saved

private:
    // The slot set to the entry and the table written; false (logged) with the slot as it was.
    bool WriteSlot(int index, const Slot& entry);
    // The career file into the record; false when it holds no career. The record may then
    // be half read: callers keep a backup.
    static bool ReadCareerFile(const std::string& file);
    // The slots as the career files on disk fill them; the number of careers found.
    static int FindCareers(Slot (&found)[kSlots]);

    bool m_tableNotice = false;
    bool m_tableTold = false;
};
