#pragma once

// Where the asset tool puts the game's fonts and texts, and what they hold.

#include "text/GameText.h"
#include "tools/assets/common/Image.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace assets::text {

// Below the project folder: the info files, with a folder per texture set for the images.
inline constexpr const char* kFontFolder = "misc/fonts";

// The game's charset followed by the grid arrows, the caret and the missing-text marker.
inline std::string FontCharset()
{
    return gametext::kDefaultCharset + "<>|*";
}

// Every text of the default table, in file order (a number repeated gives its next line).
const std::vector<std::pair<int32_t, std::string>>& DefaultTexts();
// A line of text painted into a picture with one of Debian's DejaVu faces, centred on
// centreX with its baseline at baseline, over a soft drop shadow.
struct Caption {
    std::string text;
    const char* face = "DejaVuSans-Bold.ttf";
    int pixels = 32;  // em size
    float centreX = 0.0f;
    int baseline = 0;
    Rgba colour{255, 255, 255, 255};
    bool outline = false;  // a dark rim around each glyph
};
// False (printed) when the face cannot be read.
bool DrawCaption(Image& image, const Caption& caption);

// A table line's text field, quoted when it holds a ';', a quote or outer blanks.
std::string CsvField(const std::string& text);

}  // namespace assets::text
