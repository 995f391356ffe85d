#include "text/GameText.h"

#include "text/Font.h"
#include "text/TextDisplay.h"

namespace gametext {

const std::string kDefaultCharset =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789!$%&/()?+'-.,;:\""
    "\xE4\xF6\xFC\xC4\xD6\xDC\xDF\xE5\xC5\xE9\xE8\xF4\xE2\x9C\xE7\xC9\xCE\xE0\xEA\xEB\xEE\xEF\xF9\xFB\xFC\xFF\xF1\xFA"
    "\xED\xF3\xA1\xB0\xE1";

const std::vector<FontFile>& FontFiles()
{
    static const std::vector<FontFile> files = {
        {"debug.png", "debug_alpha.png", {"default", "debug"}},
        {"austere.png", nullptr, {"austere"}},
        {"austere_white.png", nullptr, {"menu"}},
        {"menu_buttons.png", nullptr, {"menu_buttons"}},
        {"menu_buttons_selected_green.png", nullptr, {"menu_buttons_selected_green"}},
        {"austere_green.png", nullptr, {"selected"}},
        {"shirts.png", nullptr, {"shirts"}},
    };
    return files;
}

std::string TextTableFor(const std::string& gameSize)
{
    return gameSize == "XXL" ? "<PP>\\text.csv" : "<PP>\\text_xsxl.csv";
}

bool CreateFonts(std::vector<std::unique_ptr<Font>>& fonts)
{
    bool all = true;
    for (const FontFile& file : FontFiles()) {
        auto font = std::make_unique<Font>();
        all = font->Create((std::string("<PP>\\misc\\fonts\\<TP>\\") + file.image).c_str(), file.mask,
                           kDefaultCharset) &&
              all;
        for (const char* name : file.names)
            TextDisplay::Instance()->RegisterFont(name, font.get());
        fonts.push_back(std::move(font));
    }
    return all;
}

}  // namespace gametext
