#pragma once

#include "platform/Window.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

// A hidden platform window with its GL context for one test program. Headless runs
// are the default: without a display chosen, the offscreen driver is used.
class GLTestWindow {
public:
    static GLTestWindow* Get(int width = 800, int height = 600);  // null when no GL
    static void Close();
    platform::Window* window() const { return m_window.get(); }

private:
    std::unique_ptr<platform::Window> m_window;
};

// Expects a pixel within a small tolerance per channel and names it on failure.
struct Rgba {
    int r, g, b, a;
};
::testing::AssertionResult PixelNear(const uint8_t* pixel, Rgba want, int tolerance = 2);
