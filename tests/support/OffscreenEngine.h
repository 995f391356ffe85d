#pragma once

// The engine for tests: on the null device, or on the GL device over one hidden window that
// a test program shares.

#include "engine/core/NullDevice.h"
#include "engine/core/RwCore.h"

namespace platform {
class Window;
}

// A hidden window with its GL 3.3 context, made at the first call of a test program and
// closed by CloseOffscreenWindow. Null when the machine has no GL 3.3. The offscreen driver
// is used unless the caller chose another.
platform::Window* OffscreenWindow(int width = 800, int height = 600);
void CloseOffscreenWindow();

// The engine started for the life of a scope; attach (may be null) attaches plugins.
// A GL engine without a window stays closed: IsOpen() tells, and tests skip on it.
class ScopedEngine {
public:
    explicit ScopedEngine(RwDeviceKind device = rwDeviceNull, RwBool (*attach)() = nullptr);
    ~ScopedEngine();
    ScopedEngine(const ScopedEngine&) = delete;
    ScopedEngine& operator=(const ScopedEngine&) = delete;

    bool IsOpen() const { return m_open; }

private:
    bool m_open = false;
};

// While it lives the open null device draws, as for a screen, what only a picture needs
// (shadows), which a headless run leaves out.
class ScopedPicturesShown {
public:
    ScopedPicturesShown() { Set(true); }
    ~ScopedPicturesShown() { Set(false); }
    ScopedPicturesShown(const ScopedPicturesShown&) = delete;
    ScopedPicturesShown& operator=(const ScopedPicturesShown&) = delete;

private:
    static void Set(bool shown)
    {
        if (RwNullDevice* device = RwNullDeviceGet())
            device->showsPictures = shown;
    }
};
