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
