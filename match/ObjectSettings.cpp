#include "match/ObjectSettings.h"

#include "framework/AsciiSerializer.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"

namespace {

// The descriptor a pasted table is asked for under: it matches any instance name.
const char* const kAnyInstance = "***BADHACK***";

}  // namespace

bool SaveObjectSettings(const char* file, Object* object, const char* descriptor)
{
    FileSystem* files = FileSystem::Instance();
    File* out = files->OpenWrite(file);
    if (!out) {
        LogError("SaveObjectSettings: could not open %s\n", file);
        return false;
    }
    {
        AsciiSerializer serializer(out, true);
        serializer.SerializeObject(descriptor, object);
    }
    // Only a successful Close puts the new file in place.
    if (!files->Close(out)) {
        LogError("SaveObjectSettings: could not save %s\n", file);
        return false;
    }
    return true;
}

bool LoadObjectSettings(const char* file, Object* object)
{
    FileSystem* files = FileSystem::Instance();
    File* in = files->OpenRead(file);
    if (!in) {
        LogError("LoadObjectSettings: could not open %s\n", file);
        return false;
    }
    {
        AsciiSerializer serializer(in, false);
        serializer.SetAnyInstanceName(kAnyInstance);
        serializer.SerializeObject(kAnyInstance, object);
    }
    return files->Close(in);
}
