// The game's bitmap fonts, rendered from Debian's DejaVu faces: each image holds the
// charset's glyphs in order on a common baseline, at least three clear columns apart, with
// gaps inside a glyph bridged by alpha-1 pixels so that each character cuts out as one.
#include "text/GameText.h"
#include "tools/assets/characters/Characters.h"
#include "tools/assets/common/Files.h"
#include "tools/assets/common/Registry.h"
#include "tools/assets/text/TextAssets.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

namespace assets::text {

namespace {

constexpr const char* kFaceFolder = "/usr/share/fonts/truetype/dejavu/";
// Clear columns between glyphs: one more than the cutter needs.
constexpr int kGlyphGap = 4;

struct Style {
    const char* name;
    const char* face;
    int pixels;  // em size in the full texture set; half in the small one
    Rgba colour;
    bool outline;
};

constexpr Rgba kWhite{255, 255, 255, 255};
constexpr Rgba kGreen{96, 230, 80, 255};
constexpr Rgba kOutline{16, 24, 16, 255};
constexpr Rgba kCaptionShadow{0, 0, 0, 150};

const Style kStyles[] = {
    {"debug", "DejaVuSansMono.ttf", 12, kWhite, false},
    {"austere", "DejaVuSans-Bold.ttf", 20, kWhite, false},
    {"austere_white", "DejaVuSans.ttf", 20, kWhite, false},
    {"austere_green", "DejaVuSans.ttf", 20, kGreen, false},
    {"menu_buttons", "DejaVuSans-Bold.ttf", 28, kWhite, true},
    {"menu_buttons_selected_green", "DejaVuSans-Bold.ttf", 28, kGreen, true},
};

// Pairs whose kerning the info files carry when the face has it.
constexpr const char* kKerningPairs[] = {"AV", "AT", "AY", "LT", "Te", "To", "VA", "Vo", "Yo", "Wa", "P.", "T."};
constexpr size_t kMaxKerningPairs = 8;

// One rendered character: coverage 0..255, its left column and top row from the pen and
// the baseline.
struct Bitmap {
    int width = 0, height = 0, left = 0, top = 0;
    std::vector<uint8_t> coverage;
    uint8_t At(int x, int y) const
    {
        return x < 0 || y < 0 || x >= width || y >= height ? 0 : coverage[static_cast<size_t>(y * width + x)];
    }
};

// The cp1252 byte as a Unicode code point; 0x80..0x9F hold a few that Latin-1 lacks.
FT_ULong CodePoint(unsigned char c)
{
    return c == 0x9C ? 0x0153 : c;
}

class Face {
public:
    Face(FT_Library library, const std::string& path, int pixels)
    {
        if (FT_New_Face(library, path.c_str(), 0, &m_face) != 0) {
            m_face = nullptr;
            std::fprintf(stderr, "tbasset: cannot read the font face %s\n", path.c_str());
            return;
        }
        FT_Set_Pixel_Sizes(m_face, 0, static_cast<FT_UInt>(pixels));
    }
    ~Face()
    {
        if (m_face)
            FT_Done_Face(m_face);
    }
    Face(const Face&) = delete;
    Face& operator=(const Face&) = delete;

    bool IsOpen() const { return m_face != nullptr; }

    bool Render(unsigned char c, Bitmap& out) const
    {
        if (FT_Load_Char(m_face, CodePoint(c), FT_LOAD_RENDER) != 0)
            return false;
        const FT_Bitmap& bitmap = m_face->glyph->bitmap;
        out.width = static_cast<int>(bitmap.width);
        out.height = static_cast<int>(bitmap.rows);
        out.left = m_face->glyph->bitmap_left;
        out.top = m_face->glyph->bitmap_top;
        out.coverage.resize(static_cast<size_t>(out.width * out.height));
        for (int y = 0; y < out.height; ++y)
            for (int x = 0; x < out.width; ++x)
                out.coverage[static_cast<size_t>(y * out.width + x)] = bitmap.buffer[y * bitmap.pitch + x];
        return out.width > 0 && out.height > 0;
    }

    // Whole pixels the pen moves after the glyph last rendered.
    int Advance() const { return static_cast<int>((m_face->glyph->advance.x + 32) / 64); }

    // Whole pixels; 0 when the face has no kerning for the pair.
    int Kerning(unsigned char a, unsigned char b) const
    {
        if (!FT_HAS_KERNING(m_face))
            return 0;
        FT_Vector delta{};
        FT_Get_Kerning(m_face, FT_Get_Char_Index(m_face, CodePoint(a)), FT_Get_Char_Index(m_face, CodePoint(b)),
                       FT_KERNING_DEFAULT, &delta);
        return static_cast<int>((delta.x + (delta.x < 0 ? -32 : 32)) / 64);
    }

private:
    FT_Face m_face = nullptr;
};

// The bitmap grown by one pixel on each side, for the outline around it.
Bitmap Padded(const Bitmap& in)
{
    Bitmap out;
    out.width = in.width + 2;
    out.height = in.height + 2;
    out.left = in.left - 1;
    out.top = in.top + 1;
    out.coverage.assign(static_cast<size_t>(out.width * out.height), 0);
    for (int y = 0; y < in.height; ++y)
        for (int x = 0; x < in.width; ++x)
            out.coverage[static_cast<size_t>((y + 1) * out.width + x + 1)] = in.At(x, y);
    return out;
}

Rgba Pixel(const Bitmap& glyph, int x, int y, Rgba colour, bool outline)
{
    const uint8_t ink = glyph.At(x, y);
    if (!outline)
        return WithAlpha(colour, ink);
    uint8_t near = 0;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            near = std::max(near, glyph.At(x + dx, y + dy));
    const uint8_t alpha = std::max(ink, static_cast<uint8_t>(near * 0.85f));
    if (!alpha)
        return WithAlpha(colour, 0);
    return WithAlpha(Mix(kOutline, colour, static_cast<float>(ink) / alpha), alpha);
}

// Columns of the bitmap that hold ink (or outline), as [first, last]; false for none.
bool InkColumns(const Bitmap& glyph, const Style& style, int& first, int& last)
{
    first = -1;
    for (int x = 0; x < glyph.width; ++x)
        for (int y = 0; y < glyph.height; ++y)
            if (Pixel(glyph, x, y, style.colour, style.outline).a) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
    return first >= 0;
}

// The strip of glyphs, and its mask (coverage as grey) for fonts read with one.
struct Strip {
    Image image, mask;
};

bool RenderStrip(const Face& face, const std::string& charset, const Style& style, Strip& out)
{
    std::vector<Bitmap> glyphs;
    int ascent = 0, descent = 0, width = kGlyphGap;
    for (unsigned char c : charset) {
        Bitmap glyph;
        if (!face.Render(c, glyph)) {
            std::fprintf(stderr, "tbasset: the face %s has no glyph for 0x%02x\n", style.face, c);
            return false;
        }
        if (style.outline)
            glyph = Padded(glyph);
        ascent = std::max(ascent, glyph.top);
        descent = std::max(descent, glyph.height - glyph.top);
        int first = 0, last = 0;
        if (!InkColumns(glyph, style, first, last)) {
            std::fprintf(stderr, "tbasset: the glyph for 0x%02x in %s has no ink\n", c, style.face);
            return false;
        }
        width += last - first + 1 + kGlyphGap;
        glyphs.push_back(std::move(glyph));
    }
    // A clear row above and two below, so the cut glyphs' bottom row lies in the image.
    const int height = ascent + descent + 3, baseline = ascent + 1;
    out.image = Image(width, height, WithAlpha(style.colour, 0));
    out.mask = Image(width, height, {0, 0, 0, 255});
    int pen = kGlyphGap;
    for (const Bitmap& glyph : glyphs) {
        int first = 0, last = 0;
        InkColumns(glyph, style, first, last);
        const int top = baseline - glyph.top;
        int bridgeRow = -1;
        for (int x = first; x <= last; ++x) {
            bool inked = false;
            for (int y = 0; y < glyph.height; ++y) {
                const Rgba pixel = Pixel(glyph, x, y, style.colour, style.outline);
                if (!pixel.a)
                    continue;
                inked = true;
                bridgeRow = bridgeRow < 0 ? top + y : bridgeRow;
                out.image.Set(pen + x - first, top + y, pixel);
                out.mask.Set(pen + x - first, top + y, {pixel.a, pixel.a, pixel.a, 255});
            }
            // A clear column inside a glyph (the two strokes of '"') would split it.
            if (!inked) {
                out.image.Set(pen + x - first, bridgeRow, WithAlpha(style.colour, 1));
                out.mask.Set(pen + x - first, bridgeRow, {1, 1, 1, 255});
            }
        }
        pen += last - first + 1 + kGlyphGap;
    }
    return true;
}

std::string InfoText(const Face& face, const Style& style, const std::string& charset)
{
    std::string text = "# " + std::string(style.name) + ": " + style.face + ", " + std::to_string(style.pixels) +
                       " pixels\ncharset " + charset + "\nspacingX " + std::to_string(std::max(1, style.pixels / 10)) +
                       "\nspacingY 2\n";
    size_t pairs = 0;
    for (const char* pair : kKerningPairs) {
        const int kerning = face.Kerning(static_cast<unsigned char>(pair[0]), static_cast<unsigned char>(pair[1]));
        if (kerning != 0 && pairs++ < kMaxKerningPairs)
            text += std::string("kerning ") + pair + " " + std::to_string(kerning) + "\n";
    }
    return text;
}

// The shirt choices '0'..'7' as swatches with a collar, in the main colours of the shirts
// the players then wear; choice 0, each race's own shirt, in a stripe per race.
Image Shirts(int scale)
{
    const int w = 8 * scale, h = 9 * scale;
    Image image(kGlyphGap + chars::kShirtColours * (w + kGlyphGap), h + 2, {0, 0, 0, 0});
    const chars::Race ownShirts[] = {chars::Race::Lizard, chars::Race::Panda, chars::Race::Primate, chars::Race::Rhino};
    const int stripe = w / static_cast<int>(std::size(ownShirts));
    for (int i = 0; i < chars::kShirtColours; ++i) {
        const int x = kGlyphGap + i * (w + kGlyphGap);
        const Rgba colour = i == 0 ? Rgba{40, 40, 40, 255} : chars::ShirtChoiceColour(i);
        image.FillRect(x, 0, x + w, h, colour);
        if (i == 0)
            for (size_t r = 0; r < std::size(ownShirts); ++r)
                image.FillRect(x + static_cast<int>(r) * stripe, 0, x + static_cast<int>(r + 1) * stripe, h,
                               chars::RaceShirtColour(ownShirts[r]));
        image.FillRect(x + w / 3, 0, x + w - w / 3, scale, Scale(colour, 0.6f));
    }
    return image;
}

bool WriteFonts(const AssetContext& context)
{
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        std::fprintf(stderr, "tbasset: FreeType does not start\n");
        return false;
    }
    const std::string charset = FontCharset();
    bool ok = true;
    for (const Style& style : kStyles) {
        for (int set = 0; set < 2 && ok; ++set) {
            const Face face(library, std::string(kFaceFolder) + style.face, set == 0 ? style.pixels : style.pixels / 2);
            Strip strip;
            ok = face.IsOpen() && RenderStrip(face, charset, style, strip);
            const std::string folder = std::string(kFontFolder) + "/" + kTextureSets[set] + "/";
            ok = ok && WritePng(strip.image, context.Path(folder + style.name + ".png"));
            if (ok && std::string(style.name) == "debug")
                ok = WritePng(strip.mask, context.Path(folder + "debug_alpha.png"));
            if (ok && set == 0)
                ok = WriteTextFile(context.Path(std::string(kFontFolder) + "/" + style.name + ".txt"),
                                   InfoText(face, style, charset));
        }
    }
    FT_Done_FreeType(library);
    for (int set = 0; set < 2 && ok; ++set)
        ok = WritePng(Shirts(set == 0 ? 2 : 1),
                      context.Path(std::string(kFontFolder) + "/" + kTextureSets[set] + "/shirts.png"));
    return ok && WriteTextFile(context.Path(std::string(kFontFolder) + "/shirts.txt"),
                               "# shirt colour swatches\ncharset 01234567\nspacingX 1\nspacingY 2\n");
}

const GeneratorRegistrar kFonts("text.fonts", &WriteFonts);

}  // namespace

bool DrawCaption(Image& image, const Caption& caption)
{
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        std::fprintf(stderr, "tbasset: FreeType does not start\n");
        return false;
    }
    bool ok = false;
    {
        const Face face(library, std::string(kFaceFolder) + caption.face, caption.pixels);
        std::vector<Bitmap> glyphs;
        std::vector<int> pens;
        int pen = 0;
        ok = face.IsOpen();
        for (size_t i = 0; ok && i < caption.text.size(); ++i) {
            const auto c = static_cast<unsigned char>(caption.text[i]);
            if (i > 0)
                pen += face.Kerning(static_cast<unsigned char>(caption.text[i - 1]), c);
            Bitmap glyph;
            // A blank renders no bitmap but still moves the pen.
            face.Render(c, glyph);
            pens.push_back(pen);
            pen += face.Advance();
            glyphs.push_back(std::move(glyph));
        }
        const int left = static_cast<int>(caption.centreX) - pen / 2;
        const int shadow = std::max(1, caption.pixels / 16);
        for (int pass = 0; ok && pass < 2; ++pass)
            for (size_t i = 0; i < glyphs.size(); ++i) {
                const Bitmap glyph = caption.outline ? Padded(glyphs[i]) : glyphs[i];
                const int x0 = left + pens[i] + glyph.left + (pass == 0 ? shadow : 0);
                const int y0 = caption.baseline - glyph.top + (pass == 0 ? shadow : 0);
                for (int y = 0; y < glyph.height; ++y)
                    for (int x = 0; x < glyph.width; ++x) {
                        const Rgba pixel = Pixel(glyph, x, y, caption.colour, caption.outline);
                        if (!pixel.a || x0 + x < 0 || y0 + y < 0 || x0 + x >= image.Width() || y0 + y >= image.Height())
                            continue;
                        if (pass == 0)
                            image.Blend(x0 + x, y0 + y, kCaptionShadow, pixel.a / 255.0f);
                        else
                            image.Blend(x0 + x, y0 + y, WithAlpha(pixel, 255), pixel.a / 255.0f);
                    }
            }
    }
    FT_Done_FreeType(library);
    return ok;
}

}  // namespace assets::text
