#pragma once

#include "framework/Color.h"
#include "framework/Singleton.h"
#include "text/Font.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

// What a piece of text is drawn with. The font is borrowed (may be null).
struct TextAttributes {
    Color color = Color::White;
    float scaleX = 1.0f, scaleY = 1.0f;
    const Font* font = nullptr;
};

enum TextRecordKind : int32_t { kTextWord = 0, kTextBlank = 1, kTextTag = 2, kTextDroppedBlank = 3 };

// One laid-out piece of text: a word, a blank, or a tag's inner text.
struct TextRecord {
    std::string text;
    TextRecordKind kind = kTextWord;
    TextRect rect;
    TextAttributes attributes;
    int32_t line = 0;
};

enum TextAlign : int32_t { kAlignLeft = 0, kAlignRight = 1, kAlignCenter = 2, kAlignTop = 3, kAlignBottom = 4 };

// Lays out and draws screen text with mark-up: words and blanks, "&lt;" and "&gt;", and the
// tags font, scale, color (with their closings), halign, valign, center and br. Users set
// the area, alignment defaults and global scale here, then print or measure.
class TextDisplay : public Singleton<TextDisplay> {
public:
    TextDisplay();

    // Resets the attributes; true.
    bool Init();
    // Forgets the fonts and the saved attributes; true.
    bool Reset();

    // Replaces an earlier font of the name; becomes current when no font is.
    void RegisterFont(const std::string& name, const Font* font);
    // Null for a name never registered.
    const Font* FindFont(const std::string& name) const;
    // A name never registered leaves no current font.
    void SetFont(const std::string& name);
    // Font "default", white, scale 1, global scale 1, left and top, nothing saved.
    void ResetAttributes();
    // Saves the attributes for PopAttributes; the saves stack without limit.
    void PushAttributes();
    // Does nothing when nothing was pushed.
    void PopAttributes();

    // The current font's line height times both vertical scales; 0 without a font.
    float GetLineHeight(const std::string& text = std::string()) const;
    // Width of text without mark-up in the current attributes.
    float GetTextWidth(const std::string& text) const;

    // Lays the text out in the area moved by (dx, dy) and draws its words.
    void Print(const std::string& text, float dx = 0.0f, float dy = 0.0f);
    void PrintInArea(const std::string& text) { Print(text); }
    // The box around the words as laid out in the area: (1e9, 1e9, -2e9, -2e9) without words.
    void MeasureText(TextRect& out, const std::string& text);
    // The records Print would draw: valid until the next layout, print or measure, or until
    // fonts change.
    const std::vector<TextRecord>& LaidOutText(const std::string& text);
    // Draws the word records with their own attributes.
    void DrawLines(const std::vector<TextRecord>& records);
    // One character's screen rectangle and its texture rectangle.
    struct GlyphRect {
        TextRect screen;
        TextRect uv;
    };
    // The rectangles DrawWord draws for a word at (x, y) in the current attributes, cut to
    // the clip.
    void PlaceWord(std::vector<GlyphRect>& out, const std::string& word, float x, float y) const;
    // Draws one word at (x, y) in the current attributes.
    void DrawWord(const std::string& word, float x, float y) const;

    TextAttributes& Attributes() { return m_attributes; }
    const TextAttributes& Attributes() const { return m_attributes; }
    void SetColor(const Color& color) { m_attributes.color = color; }
    void SetScale(float x, float y) { m_attributes.scaleX = x; m_attributes.scaleY = y; }

    // Where Print lays text out, in screen pixels from the top left, y downwards; lines
    // wider than it break.
    void SetArea(const TextRect& area) { m_area = area; }
    const TextRect& GetArea() const { return m_area; }
    // Until ClearClip, glyphs show only inside the rectangle (screen pixels), their texture
    // cut to match; at first nothing is clipped.
    void SetClip(const TextRect& clip) { m_clip = clip; }
    void ClearClip() { m_clip.reset(); }
    void SetHorizontalAlign(int32_t align) { m_horizontalAlign = align; }
    int32_t GetHorizontalAlign() const { return m_horizontalAlign; }
    void SetVerticalAlign(int32_t align) { m_verticalAlign = align; }
    int32_t GetVerticalAlign() const { return m_verticalAlign; }
    // Multiplies every scale; the menus set it from the screen size.
    void SetGlobalScale(float x, float y) { m_globalScaleX = x; m_globalScaleY = y; }
    float GetGlobalScaleX() const { return m_globalScaleX; }
    float GetGlobalScaleY() const { return m_globalScaleY; }

private:
    // Menus lay the same texts out in the same way every frame: each layout is kept, by all
    // it depends on, until the fonts change or too many have been kept.
    const std::vector<TextRecord>& CachedLayout(const std::string& text, const TextRect& area);
    void Layout(std::vector<TextRecord>& records, const std::string& text, const TextRect& area);
    void ApplyStyles(std::vector<TextRecord>& records);
    void Measure(std::vector<TextRecord>& records);

    TextAttributes m_attributes;
    std::vector<TextAttributes> m_saved;
    int32_t m_horizontalAlign = kAlignLeft;
    int32_t m_verticalAlign = kAlignTop;
    TextRect m_area;
    std::optional<TextRect> m_clip;
    float m_globalScaleX = 1.0f, m_globalScaleY = 1.0f;
    std::map<std::string, const Font*> m_fonts;
    std::unordered_map<std::string, std::vector<TextRecord>> m_layouts;
    // The font revision the kept layouts were made under; a registration forgets them too.
    uint64_t m_layoutFontRevision = 0;
};
