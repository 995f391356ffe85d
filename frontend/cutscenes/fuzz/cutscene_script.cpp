// Reads arbitrary bytes as a cut-scene script, then writes the scene and reads the text back:
// whatever was read must write and read again to the same text.
#include "framework/AsciiSerializer.h"
#include "framework/FileSystem.h"
#include "framework/fuzz/FuzzRun.h"
#include "framework/fuzz/FuzzScratch.h"
#include "frontend/cutscenes/Scene.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

constexpr const char* kScratch = "fuzz_cutscene_script.txt";
constexpr const char* kWritten = "fuzz_cutscene_written.txt";

void Serialize(Scene& scene, const char* path, bool writing)
{
    FileSystem* files = FileSystem::Instance();
    File* file = writing ? files->OpenWrite(path) : files->OpenRead(path);
    if (!file)
        std::abort();
    {
        AsciiSerializer serializer(file, writing);
        serializer.SerializeObject("intro scene", &scene);
    }
    files->Close(file);
}

std::string Text(const char* path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzBeginRun();
    if (!FuzzWriteScratch(kScratch, data, size))
        std::abort();
    Scene scene;
    Serialize(scene, kScratch, false);
    Serialize(scene, kWritten, true);
    const std::string written = Text(kWritten);
    Scene again;
    Serialize(again, kWritten, false);
    Serialize(again, kWritten, true);
    if (Text(kWritten) != written)
        std::abort();
    return 0;
}
