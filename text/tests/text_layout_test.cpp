#include "engine/core/NullDevice.h"
#include "support/TextTestSupport.h"
#include "tests/support/OffscreenEngine.h"
#include "text/TextDisplay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace texttest;

// Every glyph of the test font is 10 wide and 11 high; a blank is 5.5 wide.
constexpr int kAdvance = 10;
constexpr float kBlank = (kAdvance + 1) * 0.5f;
constexpr float kLine = kBlockLineHeight;

std::string Describe(const TextRecord& r)
{
    static const char* kinds[] = {"word", "blank", "tag", "dropped"};
    char text[160];
    std::snprintf(text, sizeof text, "%s '%s' %g,%g %gx%g line %d", kinds[r.kind], r.text.c_str(), r.rect.x, r.rect.y,
                  r.rect.width, r.rect.height, r.line);
    return text;
}

class TextLayoutTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TextDisplay::DestroyInstance();
        display = TextDisplay::Instance();
        ASSERT_TRUE(MakeBlockFont(font, "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ<>&-", kAdvance));
        ASSERT_TRUE(MakeBlockFont(wide, "abcdefghijklmnopqrstuvwxyz", 2 * kAdvance));
        display->RegisterFont("default", &font);
        display->RegisterFont("wide", &wide);
        display->Init();
        display->SetArea({0, 0, 200, 100});
    }
    void TearDown() override { TextDisplay::DestroyInstance(); }

    std::vector<std::string> Layout(const std::string& text)
    {
        std::vector<std::string> described;
        for (const TextRecord& record : display->LaidOutText(text))
            described.push_back(Describe(record));
        return described;
    }
    std::vector<TextRecord> Records(const std::string& text)
    {
        return display->LaidOutText(text);
    }

    ScopedEngine engine;
    Font font, wide;
    TextDisplay* display = nullptr;
};

TEST_F(TextLayoutTest, WordsBlanksAndEntitiesBecomeRecords)
{
    EXPECT_EQ(Layout("A  B"), (std::vector<std::string>{"word 'A' 0,0 10x11 line 0", "blank ' ' 10,0 5.5x11 line 0",
                                                        "blank ' ' 15.5,0 5.5x11 line 0", "word 'B' 21,0 10x11 line 0"}));
    EXPECT_EQ(Layout("  ab"), (std::vector<std::string>{"dropped ' ' 0,0 5.5x11 line 0",
                                                        "dropped ' ' 0,0 5.5x11 line 0", "word 'ab' 0,0 20x11 line 0"}));
    EXPECT_EQ(Layout("a&lt;b&gt;c"), (std::vector<std::string>{"word 'a<b>c' 0,0 50x11 line 0"}));
    // The lone ampersand is dropped and makes no word; a '>' outside a tag is a character.
    EXPECT_EQ(Layout("a & b>"), (std::vector<std::string>{"word 'a' 0,0 10x11 line 0", "blank ' ' 10,0 5.5x11 line 0",
                                                          "blank ' ' 15.5,0 5.5x11 line 0",
                                                          "word 'b>' 21,0 20x11 line 0"}));
    // An unterminated tag's text becomes a word.
    EXPECT_EQ(Layout("a<br"), (std::vector<std::string>{"word 'a' 0,0 10x11 line 0", "word 'br' 10,0 20x11 line 0"}));
}

TEST_F(TextLayoutTest, LinesBreakAtTheEdgeAtBrAndBeforeACentredLine)
{
    display->SetArea({5, 7, 200, 100});
    EXPECT_EQ(Layout("<center>Title</center><br>more"),
              (std::vector<std::string>{"tag 'center' 80,7 0x0 line 0", "word 'Title' 80,7 50x11 line 0",
                                        "tag '/center' 130,7 0x0 line 0", "tag 'br' 5,18 0x0 line 1",
                                        "word 'more' 5,18 40x11 line 1"}));
    // The middle line holds only a break and is 0 high.
    EXPECT_EQ(Layout("one<br><br>two"),
              (std::vector<std::string>{"word 'one' 5,7 30x11 line 0", "tag 'br' 5,18 0x0 line 1",
                                        "tag 'br' 5,18 0x0 line 2", "word 'two' 5,18 30x11 line 2"}));
    // A blank after a break is dropped, and the words behind it still find their line.
    EXPECT_EQ(Layout("one <br> two"),
              (std::vector<std::string>{"word 'one' 5,7 30x11 line 0", "blank ' ' 35,7 5.5x11 line 0",
                                        "tag 'br' 5,18 0x0 line 1", "dropped ' ' 0,0 5.5x11 line 0",
                                        "word 'two' 5,18 30x11 line 1"}));
}

TEST_F(TextLayoutTest, AnOverlongWordOrANarrowAreaGivesEachWordItsOwnLine)
{
    struct Case {
        float width;
        const char* text;
        std::vector<std::string> records;
    };
    const Case cases[] = {
        {25, "ab abcdef cd",
         {"word 'ab' 0,0 20x11 line 0", "dropped ' ' 0,0 5.5x11 line 0", "word 'abcdef' 0,11 60x11 line 1",
          "dropped ' ' 0,0 5.5x11 line 0", "word 'cd' 0,22 20x11 line 2"}},
        {0, "ab cd",
         {"word 'ab' 0,0 20x11 line 0", "dropped ' ' 0,0 5.5x11 line 0", "word 'cd' 0,11 20x11 line 1"}},
        // Blanks at the end of a line stay and count; the next word opens the line.
        {65, "abc def gh",
         {"word 'abc' 0,0 30x11 line 0", "blank ' ' 30,0 5.5x11 line 0", "word 'def' 0,11 30x11 line 1", "blank ' ' 30,11 5.5x11 line 1", "word 'gh' 35.5,11 20x11 line 1"}},
    };
    for (const Case& c : cases) {
        display->SetArea({0, 0, c.width, 100});
        std::vector<std::string> got = Layout(c.text);
        EXPECT_EQ(got, c.records) << c.text << " in " << c.width;
    }
}

TEST_F(TextLayoutTest, TagsChangeFontScaleAndColourUntilTheirClosing)
{
    display->SetArea({0, 0, 400, 100});
    const std::vector<TextRecord> records =
        Records("<color 255 0 0>red</color> white <scale 2>ab</scale> <scale 2 1>ab</scale> <font wide>ab</font> "
                "<color 255.0 0.0 0.0 51>-</color> <font nothing>gone</font>");
    auto word = [&](size_t index) -> const TextRecord& { return records.at(index); };
    const TextRecord& red = word(1);
    EXPECT_EQ(red.text, "red");
    EXPECT_EQ(red.attributes.color, Color(1, 0, 0, 1));
    EXPECT_EQ(word(4).text, "white");
    EXPECT_EQ(word(4).attributes.color, Color::White);
    EXPECT_EQ(Describe(word(7)), "word 'ab' 91,0 40x22 line 0");
    EXPECT_EQ(Describe(word(11)), "word 'ab' 136.5,0 40x11 line 0");
    EXPECT_EQ(Describe(word(15)), "word 'ab' 182,0 40x11 line 0");
    EXPECT_EQ(word(15).attributes.font, &wide);
    EXPECT_EQ(word(19).text, "-");
    const Color faded = word(19).attributes.color;
    EXPECT_EQ(std::vector<float>({faded.r, faded.g, faded.b}), std::vector<float>({1, 0, 0}));
    EXPECT_FLOAT_EQ(faded.a, 0.2f);
    // A font never registered: no font, nothing to measure.
    EXPECT_EQ(word(23).text, "gone");
    EXPECT_EQ(word(23).attributes.font, nullptr);
    EXPECT_EQ(word(23).rect.width, 0.0f);
    EXPECT_EQ(display->Attributes().font, &font);  // the display's own attributes are back
}

TEST_F(TextLayoutTest, TagsWithoutArgumentsAndUnmatchedClosingsChangeNothing)
{
    // Each opening without arguments still pairs with its closing.
    const std::vector<TextRecord> records =
        Records("<scale 2><scale>a</scale>b</scale>c <color 1 2>d</color><font>e</font>"
                "</font></color></scale></halign></valign></center>f");
    std::vector<std::string> got;
    for (const TextRecord& r : records)
        if (r.kind == kTextWord)
            got.push_back(r.text + " " + std::to_string(static_cast<int>(r.rect.width)) +
                          (r.attributes.color == Color::White ? " white" : " coloured") +
                          (r.attributes.font == &font ? "" : " other font"));
    EXPECT_EQ(got, (std::vector<std::string>{"a 20 white", "b 20 white", "c 10 white", "d 10 white", "e 10 white",
                                             "f 10 white"}));
}

TEST_F(TextLayoutTest, AlignmentsMoveLinesInTheArea)
{
    struct Case {
        int halign, valign;
        const char* text;
        float x, y;  // of the last word
    };
    const Case cases[] = {
        {kAlignLeft, kAlignTop, "ab", 0, 0},
        {kAlignRight, kAlignTop, "ab", 180, 0},
        {kAlignCenter, kAlignTop, "ab", 90, 0},
        {kAlignLeft, kAlignTop, "<valign bottom>ab", 0, 100 - kLine},
        {kAlignLeft, kAlignTop, "<valign any>ab", 0, (100 - kLine) / 2},
        {kAlignLeft, kAlignBottom, "<valign top>ab", 0, 0},
        {kAlignLeft, kAlignBottom, "ab", 0, 100 - kLine},
        {kAlignLeft, kAlignTop, "<halign right>ab", 180, 0},
        {kAlignRight, kAlignTop, "<halign left>ab", 0, 0},
        // The first word fixes a line's alignment; a later tag acts on the next line.
        {kAlignLeft, kAlignTop, "ab<halign right><br>ab", 180, kLine},
        {kAlignLeft, kAlignTop, "ab <halign right>ab", 0 + 20 + kBlank, 0},
        // Closings with nothing opened keep the defaults; names may stand behind blanks.
        {kAlignRight, kAlignBottom, "</halign></center></valign>ab", 180, 100 - kLine},
        {kAlignLeft, kAlignTop, "<\tvalign bottom><  halign  right >ab", 180, 100 - kLine},
    };
    for (const Case& c : cases) {
        display->SetHorizontalAlign(c.halign);
        display->SetVerticalAlign(c.valign);
        const std::vector<TextRecord> records = Records(c.text);
        ASSERT_FALSE(records.empty());
        EXPECT_EQ(records.back().rect.x, c.x) << c.text;
        EXPECT_EQ(records.back().rect.y, c.y) << c.text;
    }
}

TEST_F(TextLayoutTest, MeasuresTheWordsOnly)
{
    TextRect box;
    display->MeasureText(box, "");
    EXPECT_EQ(box, (TextRect{1e9f, 1e9f, -2e9f, -2e9f}));
    display->MeasureText(box, "   <br>");
    EXPECT_EQ(box, (TextRect{1e9f, 1e9f, -2e9f, -2e9f}));
    display->SetHorizontalAlign(kAlignCenter);
    display->MeasureText(box, "ab<br>abcd ");
    EXPECT_EQ(box, (TextRect{77.25f, 0, 40, 2 * kLine}));
    display->SetGlobalScale(2, 3);
    EXPECT_EQ(display->GetLineHeight(), 3 * kLine);
    EXPECT_EQ(display->GetTextWidth("ab"), 2 * 20.0f);
    display->ResetAttributes();
    EXPECT_EQ(display->GetGlobalScaleX(), 1.0f);
    EXPECT_EQ(display->GetHorizontalAlign(), kAlignLeft);
}

TEST_F(TextLayoutTest, DrawsOneQuadPerInkedCharacterInItsOwnStatesAndNothingWithoutAFont)
{
    RwNullDevice* device = RwNullDeviceGet();
    ASSERT_NE(device, nullptr);
    NullCameraUpdate update;
    ASSERT_TRUE(update.IsUpdating());
    // States the text must not depend on, nor leave changed.
    const std::pair<RwRenderState, intptr_t> before[] = {
        {rwRenderStateSrcBlend, rwBlendOne},         {rwRenderStateDestBlend, rwBlendOne},
        {rwRenderStateShadeMode, rwShadeGouraud},    {rwRenderStateTextureFilter, rwFilterNearest},
        {rwRenderStateZTestEnable, 1},               {rwRenderStateVertexAlphaEnable, 1}};
    for (const auto& [state, value] : before)
        RwRenderStateSet(state, value);
    device->ClearLog();
    display->Print("ab <color 0 255 0 128>c</color> <font wide>d</font>", 10, 10);
    ASSERT_EQ(device->draws.size(), 4u);
    EXPECT_EQ(device->draws[0].texture, font.GetRaster());
    EXPECT_EQ(device->draws[3].texture, wide.GetRaster());
    EXPECT_EQ(device->draws[1].vertexAlpha, 0);
    EXPECT_EQ(device->draws[2].vertexAlpha, 1);  // the half-transparent colour fades
    for (const RwNullDrawRecord& draw : device->draws)
        EXPECT_EQ((std::vector<intptr_t>{draw.srcBlend, draw.destBlend, draw.zTest}),
                  (std::vector<intptr_t>{rwBlendSrcAlpha, rwBlendInvSrcAlpha, 0}));
    for (const auto& [state, value] : before) {
        intptr_t now = 0;
        RwRenderStateGet(state, &now);
        EXPECT_EQ(now, value) << "state " << state;
    }

    device->ClearLog();
    display->SetFont("none");
    EXPECT_EQ(display->GetTextWidth("abc"), 0.0f);
    EXPECT_EQ(display->GetLineHeight(), 0.0f);
    display->Print("abc");
    EXPECT_TRUE(device->draws.empty());
}

TEST_F(TextLayoutTest, GlyphsAreScaledFromThePenWithSpacingAndKerning)
{
    Font spaced;
    ASSERT_TRUE(MakeBlockFont(spaced, "ab", kAdvance, 1.0f));
    display->RegisterFont("spaced", &spaced);
    display->SetFont("spaced");
    display->SetScale(2, 1);
    display->SetGlobalScale(1.5f, 2);
    std::vector<TextDisplay::GlyphRect> rects;
    display->PlaceWord(rects, "ab?", 10, 20);
    ASSERT_EQ(rects.size(), 2u);  // '?' has no glyph
    EXPECT_EQ(rects[0].screen, (TextRect{10, 20, 30, 22}));
    EXPECT_EQ(rects[1].screen, (TextRect{10 + 11 * 3, 20, 30, 22}));
    TextRect uv;
    spaced.GetTexCoords('b', uv);
    EXPECT_EQ(rects[1].uv, uv);
    EXPECT_EQ(display->GetTextWidth("ab?"), 3 * (11 + 11 + 1));
}

// A clip cuts each glyph and its texture by the same shares and drops what lies wholly
// outside; once cleared, every glyph is whole again.
TEST_F(TextLayoutTest, AClipCutsGlyphsWithTheirTextureAndDropsWhatLiesOutside)
{
    std::vector<TextDisplay::GlyphRect> whole, cut;
    display->PlaceWord(whole, "abc", 10, 20);
    ASSERT_EQ(whole.size(), 3u);
    const TextRect& first = whole[0].screen;
    const TextRect& second = whole[1].screen;
    // From a quarter into the first glyph and half way down, to the middle of the second.
    const float left = first.x + first.width / 4, top = first.y + first.height / 2;
    display->SetClip({left, top, second.x + second.width / 2 - left, 100});
    display->PlaceWord(cut, "abc", 10, 20);
    display->ClearClip();

    const auto near = [](const TextRect& a, const TextRect& b) {
        const float e = 1e-5f;
        return std::abs(a.x - b.x) < e && std::abs(a.y - b.y) < e && std::abs(a.width - b.width) < e &&
               std::abs(a.height - b.height) < e;
    };
    const TextRect& a = whole[0].uv;
    const TextRect& b = whole[1].uv;
    ASSERT_EQ(cut.size(), 2u);  // the third glyph lies outside
    EXPECT_TRUE(near(cut[0].screen, {left, top, first.width * 3 / 4, first.height / 2}));
    EXPECT_TRUE(near(cut[0].uv, {a.x + a.width / 4, a.y + a.height / 2, a.width * 3 / 4, a.height / 2}));
    EXPECT_TRUE(near(cut[1].screen, {second.x, top, second.width / 2, second.height / 2}));
    EXPECT_TRUE(near(cut[1].uv, {b.x, b.y + b.height / 2, b.width / 2, b.height / 2}));

    display->PlaceWord(cut, "abc", 10, 20);
    ASSERT_EQ(cut.size(), 3u);
    EXPECT_EQ(cut[2].screen, whole[2].screen);
}

TEST_F(TextLayoutTest, PushedAttributesComeBackAndAnEmptyPopChangesNothing)
{
    EXPECT_TRUE(display->Init());
    display->PushAttributes();
    display->SetFont("wide");
    display->SetColor(Color(1, 0, 0));
    display->SetScale(3, 3);
    display->PopAttributes();
    EXPECT_EQ(display->Attributes().font, &font);
    EXPECT_EQ(display->Attributes().color, Color::White);
    EXPECT_EQ(display->Attributes().scaleX, 1.0f);
    display->SetFont("wide");
    display->PopAttributes();
    EXPECT_EQ(display->Attributes().font, &wide);
    EXPECT_TRUE(display->Reset());
    EXPECT_EQ(display->FindFont("wide"), nullptr);
    EXPECT_EQ(display->Attributes().font, nullptr);
}

TEST_F(TextLayoutTest, ATextIsLaidOutAfreshWhenAnythingItsLayoutHangsOnChanges)
{
    const std::string charset = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ<>&-";
    const Color red(1, 0, 0);
    const struct {
        const char* what;
        std::function<void()> change;
        const char* text;  // laid out before and after the change
        TextRect first;    // the first word's rectangle after it
        Color colour = Color::White;
    } cases[] = {
        {"nothing", [] {}, "ab", {0, 0, 20, kLine}},
        {"the area", [&] { display->SetArea({30, 40, 200, 100}); }, "ab", {30, 40, 20, kLine}},
        {"the alignment", [&] { display->SetHorizontalAlign(kAlignRight); }, "ab", {180, 0, 20, kLine}},
        {"the vertical alignment", [&] { display->SetVerticalAlign(kAlignBottom); }, "ab", {0, 100 - kLine, 20, kLine}},
        {"the global scale", [&] { display->SetGlobalScale(2, 3); }, "ab", {0, 0, 40, 3 * kLine}},
        {"the scale", [&] { display->SetScale(1, 2); }, "ab", {0, 0, 20, 2 * kLine}},
        {"the colour", [&] { display->SetColor(red); }, "ab", {0, 0, 20, kLine}, red},
        {"the font", [&] { display->SetFont("wide"); }, "ab", {0, 0, 40, kLine}},
        {"the font a tag names", [&] { display->RegisterFont("wide", &font); }, "<font wide>ab</font>", {0, 0, 20, kLine}},
        {"the font's glyphs", [&] { ASSERT_TRUE(MakeBlockFont(font, charset, 3 * kAdvance)); }, "ab", {0, 0, 60, kLine}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(MakeBlockFont(font, charset, kAdvance));
        display->RegisterFont("default", &font);
        display->RegisterFont("wide", &wide);
        display->Init();
        display->SetArea({0, 0, 200, 100});
        TextRect measured;
        display->MeasureText(measured, c.text);
        ASSERT_FALSE(Records(c.text).empty()) << c.what;
        c.change();
        const std::vector<TextRecord> after = Records(c.text);
        const auto word = std::find_if(after.begin(), after.end(), [](const TextRecord& r) { return r.kind == kTextWord; });
        ASSERT_NE(word, after.end()) << c.what;
        EXPECT_EQ(word->rect, c.first) << c.what << ": " << Describe(*word);
        EXPECT_EQ(word->attributes.color, c.colour) << c.what;
        display->MeasureText(measured, c.text);
        EXPECT_EQ(measured, c.first) << c.what;
    }
}

}  // namespace
