#pragma once

#include <SDL.h>

#include <vector>

namespace platform {

struct DisplayMode {
    int width = 0;
    int height = 0;
    int bits = 0;     // bits per pixel as stored: 32 for 8-8-8 padded to four bytes
    int refresh = 0;  // Hz, 0 when the display does not say

    bool operator==(const DisplayMode&) const = default;
};

// The full-screen modes of a display, smallest first, each (width, height, bits,
// refresh) once. Headless drivers, and any run with TB_FIXED_VIDEO_MODES set (and not
// "0"), get FixedDisplayModes() so that menus and tests see the same list everywhere.
// A display that lists nothing also gets the fixed list, with a warning.
std::vector<DisplayMode> GetDisplayModes(int display = 0);
bool UsesFixedDisplayModes();
// The largest window the display holds: in a window its usable area, in full screen its
// largest mode. False when video is not up or the display does not say.
bool GetLargestWindow(bool fullscreen, int& width, int& height, int display = 0);
// 800 x 600, 1024 x 768 and 1280 x 960, at 32 bits and 60 Hz.
const std::vector<DisplayMode>& FixedDisplayModes();
// SDL's list made into ours: sorted, duplicates (same mode in other pixel layouts)
// dropped, modes without a size skipped.
std::vector<DisplayMode> DisplayModesFromSDL(const SDL_DisplayMode* modes, int count);

}  // namespace platform
