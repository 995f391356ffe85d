#pragma once

// The game's own texts and fonts: which table the game size loads, and the fonts every
// screen draws with, under the names the mark-up and the menus use.

#include <memory>
#include <string>
#include <vector>

class Font;

namespace gametext {

// The characters every game font is cut with, in glyph order, as cp1252 bytes. The second
// 0xFC is never found by a lookup but holds a glyph in the images.
extern const std::string kDefaultCharset;

struct FontFile {
    const char* image;   // below "<PP>\misc\fonts\<TP>\"
    const char* mask;    // null for none
    std::vector<const char*> names;  // registered under each, in order
};

// In the order they are made; the first becomes the display's current font.
const std::vector<FontFile>& FontFiles();

// "<PP>\text.csv" for the game size "XXL" (exactly), else "<PP>\text_xsxl.csv".
std::string TextTableFor(const std::string& gameSize);

// Makes each font, appends it to fonts and registers it with the text display. False when
// one could not be made (logged by the font); it is registered all the same and draws
// nothing.
bool CreateFonts(std::vector<std::unique_ptr<Font>>& fonts);

}  // namespace gametext
