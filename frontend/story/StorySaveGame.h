#pragma once

#include "framework/Object.h"
#include "framework/Singleton.h"

#include <cstdint>
#include <string>

// One of the five story save slots.
struct StorySlot {
    std::string displayName = "Empty";
    std::string fileName;
    std::string date;
    std::string progress;
    bool free = true;
};

// The table of story save slots, member "Metainfo" of the cast "SaveGameMeta", and the slot
// of the running career.
class StorySaveGame : public Object, public Singleton<StorySaveGame> {
public:
    static constexpr int kSlots = 5;

    void Serialize(Serializer& serializer, const char* descriptor) override;

    // Null for an index outside 0-4.
    StorySlot* GetSlot(int index);
    const StorySlot* GetSlot(int index) const;

    StorySlot slots[kSlots];
    int32_t currentSlot = -1;  // not saved
};
