#include "framework/FileSystem.h"
#include "framework/Settings.h"
#include "support/TextTestSupport.h"
#include "tests/support/LogCapture.h"
#include "tests/support/OffscreenEngine.h"
#include "text/Font.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using namespace texttest;

Settings Info(const std::string& text)
{
    Settings info;
    info.Parse(text.data(), text.size(), "info");
    return info;
}

std::vector<float> Widths(const std::vector<Glyph>& glyphs)
{
    std::vector<float> widths;
    for (const Glyph& glyph : glyphs)
        widths.push_back(glyph.width);
    return widths;
}

TEST(FontTest, GapsOfOneOrTwoColumnsStayInsideAGlyphAndThreeSplit)
{
    struct Case {
        int gap;
        std::vector<float> widths;
    };
    for (const Case& c : {Case{1, {5}}, Case{2, {6}}, Case{3, {2, 2}}, Case{5, {2, 2}}}) {
        ImagePtr image = ClearImage(20, 8);
        Ink(*image, 1, 3, 2, 5);
        Ink(*image, 3 + c.gap, 5 + c.gap, 2, 5, 1);  // alpha 1 is ink too
        EXPECT_EQ(Widths(Font::ExtractGlyphs(*image)), c.widths) << "gap " << c.gap;
    }
    // The lowest ink may stand in a glyph's last column.
    ImagePtr hook = ClearImage(8, 12);
    Ink(*hook, 0, 3, 1, 4);
    Ink(*hook, 3, 4, 1, 9);
    const std::vector<Glyph> hooked = Font::ExtractGlyphs(*hook);
    ASSERT_EQ(hooked.size(), 1u);
    EXPECT_EQ(hooked[0].height, 9.0f);
    // A glyph touching the right edge ends with the image.
    ImagePtr edge = ClearImage(6, 4);
    Ink(*edge, 4, 6, 0, 2);
    const std::vector<Glyph> glyphs = Font::ExtractGlyphs(*edge);
    ASSERT_EQ(glyphs.size(), 1u);
    EXPECT_EQ(glyphs[0].x, 4.0f);
    EXPECT_EQ(glyphs[0].width, 2.0f);
}

TEST(FontTest, GlyphsShareTheHighestTopAndKeepTheirPlaceBelowIt)
{
    ImagePtr image = ClearImage(20, 24);
    Ink(*image, 0, 3, 10, 20);  // rows 10..19: 11 high on its own
    Ink(*image, 8, 10, 4, 6);
    const std::vector<Glyph> glyphs = Font::ExtractGlyphs(*image);
    ASSERT_EQ(glyphs.size(), 2u);
    EXPECT_EQ((std::vector<float>{glyphs[0].y, glyphs[0].height, glyphs[1].y, glyphs[1].height}),
              (std::vector<float>{4, 17, 4, 3}));
    EXPECT_EQ(glyphs[0].sourceTop, 4);
    EXPECT_EQ(glyphs[1].sourceTop, 4);
}

class FontEngineTest : public ::testing::Test {
protected:
    ScopedEngine engine;
};

TEST_F(FontEngineTest, MeasuresAdvancesKerningAndLineHeight)
{
    ImagePtr image = ClearImage(30, 12);
    Ink(*image, 0, 3, 1, 9);    // 'A': 3 wide, rows 1..8
    Ink(*image, 10, 15, 3, 6);  // 'B': 5 wide
    Font font;
    const Settings info = Info("spacingX 1.5\nkerning AB -1\n");
    ASSERT_TRUE(font.CreateFromImage(*image, "AB", &info, "two"));
    // The blank has no glyph: half the mean of (width + 1).
    EXPECT_EQ(font.GetAdvance(' '), (4.0f + 6.0f) / 2 * 0.5f);
    EXPECT_EQ(font.GetAdvance('A'), 3.0f);
    EXPECT_EQ(font.GetLineHeight(), 9.0f);
    EXPECT_EQ(font.GetKerning('A', 'B'), -1.0f);
    EXPECT_EQ(font.GetKerning('B', 'A'), 0.0f);
    // Spacing behind every character, kerning between pairs only.
    EXPECT_EQ(font.WalkText("AB", 2.0f, 0.0f, [](unsigned char, float) {}), ((3 + 1.5f) + -1 + (5 + 1.5f)) * 2);
}

TEST_F(FontEngineTest, ACharacterWithoutAGlyphHasNoSizeNoAdvanceAndNoKerning)
{
    ImagePtr image = ClearImage(20, 6);
    Ink(*image, 0, 2, 0, 4);
    Ink(*image, 6, 8, 0, 4);
    Font font;
    LogCapture log;
    // Three characters for two glyphs: the third has none. The repeated 'A' is never found.
    const Settings info = Info("kerning AZ 2\n");
    ASSERT_TRUE(font.CreateFromImage(*image, "ABAC", &info, "short"));
    EXPECT_TRUE(log.Contains("characters found: 2\ncharacters in definition: 4"));
    for (unsigned char missing : {'C', 'Z', '\xfc'}) {
        TextRect uv{1, 1, 1, 1}, size{1, 1, 1, 1};
        font.GetTexCoords(missing, uv);
        EXPECT_FALSE(font.GetGlyphSize(missing, size));
        EXPECT_EQ(uv, TextRect{});
        EXPECT_EQ(size, TextRect{});
        EXPECT_EQ(font.GetAdvance(missing), 0.0f);
        EXPECT_EQ(font.GetGlyph(missing), nullptr);
    }
    EXPECT_EQ(font.GetKerning("ZA"), 0.0f);
    EXPECT_EQ(font.GetGlyph('A'), &font.GetGlyphs()[0]);
}

TEST_F(FontEngineTest, InfoSetsCharsetSpacingAndKerningAndSkipsIllegalLines)
{
    Font font;
    LogCapture log;
    font.ApplyInfo(Info("charset XYZ<>|*\nspacingX 1.5\nspacingY 3\nkerning AV -1.5\nkerning AV -2\n"
                        "kerning Te\t0.5\nkerning broken\nkerning To nan\n"));
    EXPECT_EQ(font.GetCharset(), "XYZ<>|*");
    EXPECT_EQ(font.GetSpacingX(), 1.5f);
    EXPECT_EQ(font.GetSpacingY(), 3.0f);
    EXPECT_EQ(font.GetKerningTable(), (std::map<std::string, float>{{"AV", -2.0f}, {"Te", 0.5f}}));
    EXPECT_EQ(log.Count("***ERROR: Illegal Kerning Information: <"), 2);
    // Absent keys keep what the font had.
    font.ApplyInfo(Info("kerning LT -1\n"));
    EXPECT_EQ(font.GetSpacingY(), 3.0f);
    EXPECT_EQ(font.GetCharset(), "XYZ<>|*");
}

// The texture holds every glyph where its record says, with the source's pixels.
void ExpectPackedAsSource(const Font& font, const RwImage& source, const std::vector<Glyph>& original)
{
    ImagePtr packed(RwImageCreate(font.GetTextureWidth(), font.GetTextureHeight(), 32));
    ASSERT_TRUE(RwImageSetFromRaster(packed.get(), font.GetRaster()));
    ASSERT_EQ(font.GetGlyphs().size(), original.size());
    for (size_t i = 0; i < original.size(); ++i) {
        const Glyph& glyph = font.GetGlyphs()[i];
        ASSERT_LE(glyph.x + glyph.width, static_cast<float>(font.GetTextureWidth())) << i;
        ASSERT_LE(glyph.y + glyph.height, static_cast<float>(font.GetTextureHeight())) << i;
        const int rows = std::min(static_cast<int>(glyph.height), source.height - static_cast<int>(original[i].y));
        for (int row = 0; row < rows; ++row)
            EXPECT_EQ(std::memcmp(packed->pixels + (static_cast<int>(glyph.y) + row) * packed->stride +
                                      static_cast<int>(glyph.x) * 4,
                                  source.pixels + (static_cast<int>(original[i].y) + row) * source.stride +
                                      static_cast<int>(original[i].x) * 4,
                                  static_cast<size_t>(glyph.width) * 4),
                      0)
                << "glyph " << i << " row " << row;
    }
}

TEST_F(FontEngineTest, PacksGlyphsIntoATextureThatHoldsThemAll)
{
    struct Case {
        const char* name;
        std::vector<std::array<int, 4>> inks;  // x0, x1, y0, y1
        int imageHeight;
        int width, height;
    };
    std::vector<std::array<int, 4>> fifty;
    for (int i = 0; i < 50; ++i)
        fifty.push_back({i * 12, i * 12 + 9, 0, 11});  // 9 x 12 with the clear row
    std::vector<std::array<int, 4>> exact;
    for (int i = 0; i < 48; ++i)
        exact.push_back({i * 12, i * 12 + 9, 0, 14});
    const Case cases[] = {
        // sqrt(500 x 13) = 80: 128 x 64 at first, five rows of 13 need 128 x 128.
        {"fifty", fifty, 12, 128, 128},
        {"wide", {{0, 100, 0, 4}}, 5, 128, 64},
        {"exact", exact, 16, 128, 64},  // four rows of 16 fill 64 exactly
        {"tall", {{0, 2, 0, 100}}, 100, 32, 128},  // ink on the last row: its clear row is outside
    };
    for (const Case& c : cases) {
        ImagePtr image = ClearImage(c.inks.back()[1] + 2, c.imageHeight);
        for (const auto& ink : c.inks)
            Ink(*image, ink[0], ink[1], ink[2], ink[3]);
        Font font;
        ASSERT_TRUE(font.CreateFromImage(*image, std::string(c.inks.size(), 'x'), nullptr, c.name));
        EXPECT_EQ(font.GetTextureWidth(), c.width) << c.name;
        EXPECT_EQ(font.GetTextureHeight(), c.height) << c.name;
        ExpectPackedAsSource(font, *image, Font::ExtractGlyphs(*image));
    }
}

TEST_F(FontEngineTest, AnImageWithoutGlyphsOrOfAnotherDepthMakesNoFont)
{
    ImagePtr image = ClearImage(16, 16);
    Font font;
    LogCapture log;
    EXPECT_FALSE(font.CreateFromImage(*image, "AB", nullptr, "blank"));
    EXPECT_TRUE(log.Contains("***ERROR: Font::Create - no glyphs in blank"));
    Ink(*image, 0, 4, 0, 4);
    image->depth = 8;
    EXPECT_FALSE(font.CreateFromImage(*image, "AB", nullptr, "palettised"));
    EXPECT_TRUE(log.Contains("***ERROR: Font::Create - palettised is no 32-bit image"));
    image->depth = 32;
    EXPECT_EQ(font.GetRaster(), nullptr);
    EXPECT_EQ(font.GetAdvance('A'), 0.0f);
}

class FontFileTest : public FontEngineTest {
protected:
    void SetUp() override
    {
        RwImageRegisterImageFormat("png", RtPngImageRead, nullptr);
        std::filesystem::remove_all("fonts");
        std::filesystem::create_directories("fonts/Set");
        ImagePtr image = ClearImage(12, 6);
        Ink(*image, 0, 2, 0, 5);
        Ink(*image, 7, 9, 1, 5);
        ASSERT_TRUE(RtPngImageWrite(image.get(), "fonts/Set/good.png"));
        std::ifstream in("fonts/Set/good.png", std::ios::binary);
        png.assign(std::istreambuf_iterator<char>(in), {});
    }
    static void Write(const char* name, const std::string& bytes)
    {
        std::ofstream(name, std::ios::binary | std::ios::trunc) << bytes;
    }
    std::string png;
};

TEST_F(FontFileTest, ReadsTheImageAndTheInfoFileOneFolderUp)
{
    Write("fonts/good.txt", "charset QR\nspacingX 2\n");
    Font font;
    LogCapture log;
    ASSERT_TRUE(font.Create("fonts\\Set\\good.png", "ABC"));
    EXPECT_EQ(log.Text(), "");
    EXPECT_EQ(font.GetImageName(), "good.png");
    EXPECT_EQ(font.GetCharset(), "QR");
    EXPECT_EQ(font.GetSpacingX(), 2.0f);
    EXPECT_EQ(font.GetAdvance('R'), 2.0f);
    EXPECT_EQ(Font::InfoFileName("a\\b\\sub\\", "name.png"), "a\\b\\name.txt");
    EXPECT_EQ(Font::InfoFileName("sub\\", "name.png"), "name.txt");
}

TEST_F(FontFileTest, MissingTruncatedAndCorruptFilesFailOrFallBack)
{
    LogCapture log;
    Font font;
    EXPECT_FALSE(font.Create("fonts\\Set\\none.png", "AB"));
    EXPECT_TRUE(log.Contains("***ERROR: Font::Create - could not find fonts\\Set\\none.png."));
    EXPECT_TRUE(log.Contains("***ERROR: could not open font fonts\\Set\\none.png"));

    Write("fonts/Set/cut.png", png.substr(0, png.size() / 2));
    std::string corrupt = png;
    for (size_t i = 40; i < corrupt.size(); i += 7)
        corrupt[i] = static_cast<char>(corrupt[i] ^ 0x5a);
    Write("fonts/Set/bad.png", corrupt);
    for (const char* name : {"fonts\\Set\\cut.png", "fonts\\Set\\bad.png"}) {
        log.Clear();
        EXPECT_FALSE(font.Create(name, "AB")) << name;
        EXPECT_TRUE(log.Contains(std::string("could not open font ") + name)) << log.Text();
        EXPECT_EQ(font.GetRaster(), nullptr);
    }

    // No info file, then a truncated and a corrupt one: the defaults stand.
    for (const std::string& info : {std::string(), std::string("spacingX"), std::string("\xff\0kerning\x01", 10)}) {
        if (!info.empty())
            Write("fonts/good.txt", info);
        log.Clear();
        EXPECT_TRUE(font.Create("fonts\\Set\\good.png", "AB"));
        EXPECT_EQ(font.GetSpacingX(), 0.0f);
        EXPECT_EQ(font.GetCharset(), "AB");
        EXPECT_EQ(font.GetGlyphs().size(), 2u);
        if (info.empty()) {
            EXPECT_TRUE(log.Contains("***WARNING: No font info file for font <fonts\\good.txt>")) << log.Text();
        }
    }
}

}  // namespace
