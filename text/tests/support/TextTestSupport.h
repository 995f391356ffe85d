#pragma once

// Font images painted in memory, and a camera whose draws leave records, for the text tests.

#include "engine/core/RwCore.h"
#include "text/Font.h"

#include <memory>
#include <string>

namespace texttest {

struct ImageDeleter {
    void operator()(RwImage* image) const { RwImageDestroy(image); }
};
using ImagePtr = std::unique_ptr<RwImage, ImageDeleter>;

// A clear 32-bit image.
ImagePtr ClearImage(int width, int height);
// Sets alpha (and white colour) over columns [x0, x1) and rows [y0, y1).
void Ink(RwImage& image, int x0, int x1, int y0, int y1, RwUInt8 alpha = 255);

// The glyph size of a block font: inked rows 0 .. inkRows - 1, so each glyph is
// inkRows + 1 high.
inline constexpr int kBlockInk = 10;
inline constexpr float kBlockLineHeight = kBlockInk + 1;

// A font whose glyphs are solid blocks `advance` pixels wide, one per character of the
// charset, with the given spacing behind each. The engine must be up.
bool MakeBlockFont(Font& font, const std::string& charset, int advance, float spacingX = 0.0f,
                   int inkRows = kBlockInk);

// A camera of the null device in its update for the life of the scope, so that draws reach
// the device's record. The engine must be up on the null device.
class NullCameraUpdate {
public:
    NullCameraUpdate();
    ~NullCameraUpdate();
    NullCameraUpdate(const NullCameraUpdate&) = delete;
    NullCameraUpdate& operator=(const NullCameraUpdate&) = delete;

    bool IsUpdating() const { return m_updating; }

private:
    RwCamera* m_camera = nullptr;
    RwRaster* m_raster = nullptr;
    bool m_updating = false;
};

}  // namespace texttest
