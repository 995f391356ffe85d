#pragma once

// Font images painted in memory for the text tests.

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

}  // namespace texttest
