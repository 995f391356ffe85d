#include "frontend/story/StorySaveGame.h"

#include "framework/Serializer.h"

#include <cstdio>

void StorySaveGame::Serialize(Serializer& s, const char* descriptor)
{
    s.BeginSection("SaveGamesMeta", descriptor);
    char key[32];
    const auto field = [&](const char* format, int index) {
        std::snprintf(key, sizeof key, format, index);
        return key;
    };
    for (int i = 0; i < kSlots; ++i) {
        StorySlot& slot = slots[i];
        s.SerializeString(field("DisplayName[%d]", i), &slot.displayName);
        s.SerializeString(field("FileName[%d]", i), &slot.fileName);
        s.SerializeString(field("Date[%d]", i), &slot.date);
        s.SerializeString(field("Progress[%d]", i), &slot.progress);
        s.SerializeBool(field("Free[%d]", i), &slot.free);
    }
    s.EndSection();
}

StorySlot* StorySaveGame::GetSlot(int index)
{
    return index < 0 || index >= kSlots ? nullptr : &slots[index];
}

const StorySlot* StorySaveGame::GetSlot(int index) const
{
    return index < 0 || index >= kSlots ? nullptr : &slots[index];
}
