#pragma once

#include "framework/FileSystem.h"
#include "tests/support/LogCapture.h"

#include <filesystem>
#include <string>

namespace audiotest {

// The shared capture, safe for sinks called from the sound threads and the game thread at once.
using ::LogCapture;

// A fresh file layer over an empty folder "scratch" in the test's working folder.
inline void FreshScratch()
{
    FileSystem::DestroyInstance();
    std::filesystem::remove_all("scratch");
    std::filesystem::remove_all("data");
    std::filesystem::create_directories("scratch");
}

}  // namespace audiotest
