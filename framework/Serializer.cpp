#include "framework/Serializer.h"

#include "framework/Debug.h"
#include "framework/Object.h"

Serializer::~Serializer() = default;

void Serializer::SerializeObject(const char* name, Object* object)
{
    if (!object) {
        LogError("Serializer::SerializeObject: no object for \"%s\"\n", name ? name : "");
        return;
    }
    object->Serialize(*this, name ? name : "");
}

void Serializer::SerializeButton(const char*, const char*) {}

bool Serializer::HasSection(const char*, const char*) const
{
    return true;
}

int32_t Serializer::GetListCapacity() const
{
    return kMaxListItems;
}

int32_t Serializer::BoundListCount(const char* owner, const char* key, int32_t count) const
{
    if (IsWriting())
        return count;
    if (count < 0) {
        LogWarning("%s: %s %d read as 0\n", owner, key, count);
        return 0;
    }
    const int32_t capacity = GetListCapacity();
    if (count > capacity) {
        LogWarning("%s: %s %d is more than the table can hold; read as %d\n", owner, key, count, capacity);
        return capacity;
    }
    return count;
}
