#pragma once

// A test suite whose tests share the engine on the null device, 800 × 600, in the offscreen
// window; each test clears the save folders a game state writes into its working folder.

#include "framework/FileSystem.h"
#include "scene/RwGraphics.h"
#include "tests/support/OffscreenEngine.h"

#include <gtest/gtest.h>

#include <filesystem>

class NullDeviceSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        RwGraphics* graphics = RwGraphics::Instance();
        graphics->SetDeviceKind(rwDeviceNull);
        graphics->SetScreenSize(800, 600);
        ASSERT_TRUE(graphics->Initialise(OffscreenWindow()));
    }
    static void TearDownTestSuite()
    {
        RwGraphics::Instance()->Destroy();
        CloseOffscreenWindow();
    }
    // Both spellings of the data folder go; the file system forgets what it saw there.
    static void ClearDataFolders()
    {
        std::filesystem::remove_all("Data");
        std::filesystem::remove_all("data");
        FileSystem::Instance()->InvalidateDiskCache();
    }
};
