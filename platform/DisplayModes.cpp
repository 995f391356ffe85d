#include "platform/DisplayModes.h"

#include "framework/Debug.h"
#include "platform/Platform.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <tuple>

namespace platform {

namespace {

bool FixedModesRequested()
{
    const char* value = std::getenv("TB_FIXED_VIDEO_MODES");
    return value && *value && std::strcmp(value, "0") != 0;
}

}  // namespace

const std::vector<DisplayMode>& FixedDisplayModes()
{
    static const std::vector<DisplayMode> modes = {
        {800, 600, 32, 60},
        {1024, 768, 32, 60},
        {1280, 960, 32, 60},
    };
    return modes;
}

bool UsesFixedDisplayModes()
{
    return IsHeadless() || FixedModesRequested();
}

std::vector<DisplayMode> DisplayModesFromSDL(const SDL_DisplayMode* modes, int count)
{
    std::vector<DisplayMode> result;
    for (int i = 0; modes && i < count; ++i) {
        const SDL_DisplayMode& mode = modes[i];
        if (mode.w <= 0 || mode.h <= 0)
            continue;
        result.push_back({mode.w, mode.h, static_cast<int>(SDL_BYTESPERPIXEL(mode.format)) * 8,
                          std::max(mode.refresh_rate, 0)});
    }
    const auto key = [](const DisplayMode& m) {
        return std::tie(m.width, m.height, m.bits, m.refresh);
    };
    std::sort(result.begin(), result.end(),
              [&](const DisplayMode& a, const DisplayMode& b) { return key(a) < key(b); });
    result.erase(std::unique(result.begin(), result.end()), result.end());
    return result;
}

std::vector<DisplayMode> GetDisplayModes(int display)
{
    if (UsesFixedDisplayModes())
        return FixedDisplayModes();
    const int count = SDL_GetNumDisplayModes(display);
    std::vector<SDL_DisplayMode> modes;
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(display, i, &mode) == 0)
            modes.push_back(mode);
    }
    std::vector<DisplayMode> result = DisplayModesFromSDL(modes.data(), static_cast<int>(modes.size()));
    if (result.empty()) {
        LogWarning("platform::GetDisplayModes: display %d lists no modes (%s), using the fixed list\n",
                   display, count < 0 ? SDL_GetError() : "none");
        return FixedDisplayModes();
    }
    return result;
}

bool GetLargestWindow(bool fullscreen, int& width, int& height, int display)
{
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return false;
    if (fullscreen) {
        const std::vector<DisplayMode> modes = GetDisplayModes(display);
        width = height = 0;
        for (const DisplayMode& mode : modes) {
            width = std::max(width, mode.width);
            height = std::max(height, mode.height);
        }
        return width > 0 && height > 0;
    }
    SDL_Rect area{};
    if (SDL_GetDisplayUsableBounds(display, &area) != 0 || area.w <= 0 || area.h <= 0)
        return false;
    width = area.w;
    height = area.h;
    return true;
}

}  // namespace platform
