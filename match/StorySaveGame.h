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
    // A new career's file waits under its name and this ending until the table names it.
    static constexpr const char* kWaitingSuffix = ".new";

    using Slot = StorySlot;

    void Serialize(Serializer& serializer, const char* descriptor) override;

    static bool IsSlot(int index) { return index >= 0 && index < kSlots; }
    // "data\Savegames\savegame<index>.txt".
    static std::string CareerFileName(int index);
    // The step of the career: 1 is round 0, first leg due, its training not passed.
    static int ProgressStep();

    // The slot, or null (logged with the caller's name) outside 0 to 4.
    Slot* GetSlot(int index, const char* caller);
    // The slot, or null outside 0 to 4.
    const Slot* GetSlot(int index) const { return IsSlot(index) ? &slots[index] : nullptr; }

    // A new career of the team in the slot, shown under the display name and not yet dated:
    // the record restarted, its file, the table and the rewards written. False (logged) when
    // the slot is not one or the career or the table could not be written: the slot and the
    // career file it named are then as they were.
    bool StartCareer(int index, const std::string& teamName, const std::string& displayName);
    // The running career into currentSlot's file, then its date and progress into the
    // table file. False (logged) without a valid used slot or when a file could not be
    // written; the table is then unchanged.
    bool Save();
    // Only the career file of currentSlot (the won final, a restarted career).
    bool WriteCareer();
    // The career of a used slot. False (logged) when the slot is free, its file missing or
    // unreadable, or its round is not one: the career in memory is then left as it was.
    bool LoadCareer(int index);
    // Frees a used slot and writes the table; the career file stays on disk. False when
    // the slot was free or not one (nothing written), or when the table could not be
    // written (the slot is then used as before).
    bool DeleteSlot(int index);
    // Reads the table file over the table; false (logged) when it could not be read.
    bool LoadTable();
    bool WriteTable();
    // The cast "gained" to kGainedFile; false (logged) when it could not be written.
    static bool WriteRewards();

    Slot slots[kSlots];
    int32_t currentSlot = -1;  // the running career's slot; not saved
};
