#pragma once

// Where the asset tool puts the game's fonts and texts, and what they hold.

#include "text/GameText.h"

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
// A table line's text field, quoted when it holds a ';', a quote or outer blanks.
std::string CsvField(const std::string& text);

}  // namespace assets::text
