#pragma once

#include "platform/Platform.h"
#include "tests/support/ScopedEnv.h"

#include <gtest/gtest.h>

// Each test with the platform layer up, on the offscreen driver unless one was chosen.
class PlatformTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseOffscreenDriverUnlessSet();
        ASSERT_TRUE(platform::Init());
    }
    void TearDown() override { platform::Shutdown(); }
};
