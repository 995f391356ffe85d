#pragma once

// A suite whose tests share one game on the default data in the offscreen window: started by
// the suite's SetUpTestSuite at the size it asks for, closed with the suite.

#include "game/harness/GameHarness.h"
#include "tests/support/OffscreenEngine.h"

#include <gtest/gtest.h>

#include <memory>

class HarnessSuite : public ::testing::Test {
protected:
    static void StartHarness(const char* size)
    {
        s_harness = std::make_unique<GameHarness>(OffscreenWindow(), TB_DATA_ARCHIVE);
        ASSERT_TRUE(s_harness->Start(size));
    }
    static void TearDownTestSuite()
    {
        s_harness.reset();
        CloseOffscreenWindow();
    }

    static inline std::unique_ptr<GameHarness> s_harness;
};
