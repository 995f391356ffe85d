#include "text/TextDisplay.h"

#include "engine/core/RwCore.h"
#include "scene/RenderStateSaver.h"
#include "text/TextDraw.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <string_view>

namespace {

constexpr float kMeasureFar = 1e9f;
// Past this many kept layouts (a text that changes every frame adds one a frame), all go.
constexpr size_t kMaxKeptLayouts = 512;

// The tag's name and its arguments, split at blanks and tabs.
struct TagWords {
    std::string_view words[6];
    int count = 0;

    explicit TagWords(const std::string& text)
    {
        size_t i = 0;
        while (count < 6) {
            i = text.find_first_not_of(" \t", i);
            if (i == std::string::npos)
                break;
            const size_t end = std::min(text.find_first_of(" \t", i), text.size());
            words[count++] = std::string_view(text).substr(i, end - i);
            i = end;
        }
    }
    std::string_view Name() const { return count ? words[0] : std::string_view(); }
    int Arguments() const { return std::max(count - 1, 0); }
    float Float(int argument) const { return std::strtof(std::string(words[argument + 1]).c_str(), nullptr); }
    // As "%d" reads it: "255.0" is 255.
    int Int(int argument) const { return std::atoi(std::string(words[argument + 1]).c_str()); }
};

// The tag's first word, without splitting the whole text.
std::string_view TagName(const std::string& text)
{
    const size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos)
        return {};
    const size_t end = std::min(text.find_first_of(" \t", start), text.size());
    return std::string_view(text).substr(start, end - start);
}

void AddRecord(std::vector<TextRecord>& records, std::string& token, TextRecordKind kind)
{
    TextRecord& record = records.emplace_back();
    record.text.swap(token);
    record.kind = kind;
    token.clear();
}

void Tokenise(const std::string& text, std::vector<TextRecord>& records)
{
    std::string token;
    bool inTag = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inTag) {
            if (c != '>') {
                token += c;
                continue;
            }
            if (!token.empty())
                AddRecord(records, token, kTextTag);
            inTag = false;
        } else if (c == '<' || c == ' ') {
            if (!token.empty())
                AddRecord(records, token, kTextWord);
            if (c == '<') {
                inTag = true;
            } else {
                std::string blank = " ";
                AddRecord(records, blank, kTextBlank);
            }
        } else if (c == '&') {
            if (text.compare(i, 4, "&lt;") == 0 || text.compare(i, 4, "&gt;") == 0) {
                token += text[i + 1] == 'l' ? '<' : '>';
                i += 3;
            }
        } else {
            token += c;
        }
    }
    if (!token.empty())
        AddRecord(records, token, kTextWord);
}

// An alignment stack whose bottom entry, the display's default, is never popped.
class AlignStack {
public:
    explicit AlignStack(int32_t base) : m_stack{base} {}
    void Push(int32_t align) { m_stack.push_back(align); }
    void Pop()
    {
        if (m_stack.size() > 1)
            m_stack.pop_back();
    }
    int32_t Top() const { return m_stack.back(); }

private:
    std::vector<int32_t> m_stack;
};

// Calls visit(begin, end) for each line: the records of one line number, dropped blanks
// (which may stand among them) left for the visitor to skip. Line numbers without records
// are passed over.
template <typename Visit>
void ForEachLine(std::vector<TextRecord>& records, Visit&& visit)
{
    size_t i = 0;
    while (i < records.size()) {
        if (records[i].kind == kTextDroppedBlank) {
            ++i;
            continue;
        }
        const int32_t line = records[i].line;
        size_t end = i + 1;
        while (end < records.size() && (records[end].kind == kTextDroppedBlank || records[end].line == line))
            ++end;
        visit(i, end);
        i = end;
    }
}

void PlaceVertically(std::vector<TextRecord>& records, const TextRect& area, int32_t defaultAlign)
{
    AlignStack stack(defaultAlign);
    float y = area.y;
    ForEachLine(records, [&](size_t begin, size_t end) {
        float lineHeight = 0.0f;
        for (size_t i = begin; i < end; ++i)
            if (records[i].kind != kTextDroppedBlank)
                lineHeight = std::max(lineHeight, records[i].rect.height);
        float x = area.x;
        for (size_t i = begin; i < end; ++i) {
            TextRecord& record = records[i];
            if (record.kind == kTextDroppedBlank)
                continue;
            if (record.kind == kTextTag) {
                const std::string_view name = TagName(record.text);
                if (name == "valign") {
                    const std::string_view value = TagWords(record.text).words[1];
                    stack.Push(value == "top" ? kAlignTop : value == "bottom" ? kAlignBottom : kAlignCenter);
                } else if (name == "/valign") {
                    stack.Pop();
                }
            }
            const float free = area.height - lineHeight;
            const float offset = stack.Top() == kAlignCenter ? free * 0.5f : stack.Top() == kAlignBottom ? free : 0.0f;
            record.rect.x = x;
            record.rect.y = y + offset;
            x += record.rect.width;
        }
        y += lineHeight;
    });
}

void PlaceHorizontally(std::vector<TextRecord>& records, const TextRect& area, int32_t defaultAlign)
{
    AlignStack stack(defaultAlign);
    ForEachLine(records, [&](size_t begin, size_t end) {
        int32_t align = stack.Top();
        bool fixed = false;
        float lineWidth = 0.0f;
        for (size_t i = begin; i < end; ++i) {
            const TextRecord& record = records[i];
            if (record.kind == kTextDroppedBlank)
                continue;
            lineWidth += record.rect.width;
            if (record.kind != kTextTag) {
                // The line's first word or blank fixes its alignment; later tags act on the
                // lines after it.
                if (!fixed)
                    align = stack.Top();
                fixed = true;
                continue;
            }
            const TagWords tag(record.text);
            if (tag.Name() == "halign")
                stack.Push(tag.words[1] == "left" ? kAlignLeft : tag.words[1] == "right" ? kAlignRight : kAlignCenter);
            else if (tag.Name() == "center")
                stack.Push(kAlignCenter);
            else if (tag.Name() == "/halign" || tag.Name() == "/center")
                stack.Pop();
        }
        const float free = area.width - lineWidth;
        const float shift = align == kAlignCenter ? free * 0.5f : align == kAlignRight ? free : 0.0f;
        for (size_t i = begin; i < end; ++i)
            if (records[i].kind != kTextDroppedBlank)
                records[i].rect.x += shift;
    });
}

// Gives each record its line. A record that does not fit opens a new line, unless the line
// is still empty: an over-long word (or any word in an area 0 wide) keeps a line of its own.
void BreakLines(std::vector<TextRecord>& records, float areaWidth)
{
    float x = 0.0f;
    int32_t line = 0;
    for (TextRecord& record : records) {
        const bool isTag = record.kind == kTextTag;
        if ((x > 0.0f && x + record.rect.width > areaWidth) || (isTag && record.text == "br") ||
            (isTag && record.text == "center" && x != 0.0f)) {
            ++line;
            x = 0.0f;
        }
        if (x == 0.0f && record.kind == kTextBlank) {
            record.kind = kTextDroppedBlank;
            continue;
        }
        record.line = line;
        x += record.rect.width;
    }
}

// The part of the glyph inside the clip, its texture rectangle cut by the same shares; false
// when no part is.
bool ClipGlyph(const TextRect& clip, TextDisplay::GlyphRect& glyph)
{
    const TextRect& r = glyph.screen;
    const float left = std::max(r.x, clip.x), right = std::min(r.x + r.width, clip.x + clip.width);
    const float top = std::max(r.y, clip.y), bottom = std::min(r.y + r.height, clip.y + clip.height);
    if (right <= left || bottom <= top)
        return false;
    const float u = glyph.uv.width / r.width, v = glyph.uv.height / r.height;
    glyph.uv = TextRect{glyph.uv.x + (left - r.x) * u, glyph.uv.y + (top - r.y) * v, (right - left) * u,
                        (bottom - top) * v};
    glyph.screen = TextRect{left, top, right - left, bottom - top};
    return true;
}

}  // namespace

TextDisplay::TextDisplay()
{
    ResetAttributes();
}

bool TextDisplay::Init()
{
    ResetAttributes();
    return true;
}

bool TextDisplay::Reset()
{
    m_fonts.clear();
    m_layouts.clear();
    m_saved.clear();
    m_attributes.font = nullptr;
    return true;
}

void TextDisplay::RegisterFont(const std::string& name, const Font* font)
{
    m_fonts[name] = font;
    m_layouts.clear();
    if (!m_attributes.font)
        m_attributes.font = font;
}

const Font* TextDisplay::FindFont(const std::string& name) const
{
    const auto it = m_fonts.find(name);
    return it == m_fonts.end() ? nullptr : it->second;
}

void TextDisplay::SetFont(const std::string& name)
{
    m_attributes.font = FindFont(name);
}

void TextDisplay::ResetAttributes()
{
    m_attributes = TextAttributes{};
    m_attributes.font = FindFont("default");
    m_globalScaleX = m_globalScaleY = 1.0f;
    m_horizontalAlign = kAlignLeft;
    m_verticalAlign = kAlignTop;
    m_saved.clear();
}

void TextDisplay::PushAttributes()
{
    m_saved.push_back(m_attributes);
}

void TextDisplay::PopAttributes()
{
    if (m_saved.empty())
        return;
    m_attributes = m_saved.back();
    m_saved.pop_back();
}

float TextDisplay::GetLineHeight(const std::string&) const
{
    const Font* font = m_attributes.font;
    return font ? font->GetLineHeight() * m_attributes.scaleY * m_globalScaleY : 0.0f;
}

float TextDisplay::GetTextWidth(const std::string& text) const
{
    const Font* font = m_attributes.font;
    if (!font)
        return 0.0f;
    return font->WalkText(text, m_attributes.scaleX * m_globalScaleX, 0.0f, [](unsigned char, float) {});
}

void TextDisplay::ApplyStyles(std::vector<TextRecord>& records)
{
    const TextAttributes outside = m_attributes;
    // The text's own saves: a closing tag it did not open finds this empty and does nothing.
    std::vector<TextAttributes> saved;
    for (TextRecord& record : records) {
        if (record.kind == kTextTag) {
            const TagWords tag(record.text);
            const std::string_view name = tag.Name();
            if (name == "font" || name == "scale" || name == "color") {
                saved.push_back(m_attributes);
                if (name == "font" && tag.Arguments() >= 1) {
                    m_attributes.font = FindFont(std::string(tag.words[1]));
                } else if (name == "scale" && tag.Arguments() >= 1) {
                    m_attributes.scaleX = tag.Float(0);
                    m_attributes.scaleY = tag.Arguments() >= 2 ? tag.Float(1) : m_attributes.scaleX;
                } else if (name == "color" && tag.Arguments() >= 3) {
                    const int alpha = tag.Arguments() >= 4 ? tag.Int(3) : 255;
                    m_attributes.color.Set(tag.Int(0) / 255.0f, tag.Int(1) / 255.0f, tag.Int(2) / 255.0f,
                                           alpha / 255.0f);
                }
            } else if ((name == "/font" || name == "/scale" || name == "/color") && !saved.empty()) {
                m_attributes = saved.back();
                saved.pop_back();
            }
        }
        record.attributes = m_attributes;
    }
    m_attributes = outside;
}

void TextDisplay::Measure(std::vector<TextRecord>& records)
{
    const TextAttributes outside = m_attributes;
    for (TextRecord& record : records) {
        if (record.kind != kTextWord && record.kind != kTextBlank)
            continue;
        m_attributes = record.attributes;
        record.rect.width = GetTextWidth(record.text);
        record.rect.height = GetLineHeight();
    }
    m_attributes = outside;
}

void TextDisplay::Layout(std::vector<TextRecord>& records, const std::string& text, const TextRect& area)
{
    records.clear();
    Tokenise(text, records);
    ApplyStyles(records);
    Measure(records);
    BreakLines(records, area.width);
    PlaceVertically(records, area, m_verticalAlign);
    PlaceHorizontally(records, area, m_horizontalAlign);
}

const std::vector<TextRecord>& TextDisplay::CachedLayout(const std::string& text, const TextRect& area)
{
    if (m_layoutFontRevision != Font::Revision() || m_layouts.size() >= kMaxKeptLayouts) {
        m_layouts.clear();
        m_layoutFontRevision = Font::Revision();
    }
    // Bit patterns, so that a NaN finds its layout as any other number does.
    const auto bits = [](float f) { return std::bit_cast<uint32_t>(f); };
    const auto font = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(m_attributes.font));
    const Color& c = m_attributes.color;
    const uint32_t inputs[] = {bits(area.x), bits(area.y), bits(area.width), bits(area.height),
                               bits(c.r), bits(c.g), bits(c.b), bits(c.a), c.set ? 1u : 0u,
                               bits(m_attributes.scaleX), bits(m_attributes.scaleY),
                               static_cast<uint32_t>(font), static_cast<uint32_t>(font >> 32),
                               static_cast<uint32_t>(m_horizontalAlign), static_cast<uint32_t>(m_verticalAlign),
                               bits(m_globalScaleX), bits(m_globalScaleY)};
    std::string key(reinterpret_cast<const char*>(inputs), sizeof inputs);
    key += text;
    const auto [it, added] = m_layouts.try_emplace(std::move(key));
    if (added)
        Layout(it->second, text, area);
    return it->second;
}

const std::vector<TextRecord>& TextDisplay::LaidOutText(const std::string& text)
{
    return CachedLayout(text, m_area);
}

void TextDisplay::Print(const std::string& text, float dx, float dy)
{
    DrawLines(CachedLayout(text, TextRect{m_area.x + dx, m_area.y + dy, m_area.width, m_area.height}));
}

void TextDisplay::MeasureText(TextRect& out, const std::string& text)
{
    const std::vector<TextRecord>& records = CachedLayout(text, m_area);
    float left = kMeasureFar, top = kMeasureFar, right = -kMeasureFar, bottom = -kMeasureFar;
    for (const TextRecord& record : records) {
        if (record.kind != kTextWord)
            continue;
        left = std::min(left, record.rect.x);
        top = std::min(top, record.rect.y);
        right = std::max(right, record.rect.x + record.rect.width);
        bottom = std::max(bottom, record.rect.y + record.rect.height);
    }
    out = TextRect{left, top, right - left, bottom - top};
}

void TextDisplay::DrawLines(const std::vector<TextRecord>& records)
{
    const TextAttributes outside = m_attributes;
    for (const TextRecord& record : records) {
        if (record.kind != kTextWord)
            continue;
        m_attributes = record.attributes;
        DrawWord(record.text, record.rect.x, record.rect.y);
    }
    m_attributes = outside;
}

void TextDisplay::PlaceWord(std::vector<GlyphRect>& out, const std::string& word, float x, float y) const
{
    out.clear();
    const Font* font = m_attributes.font;
    if (!font)
        return;
    const float sx = m_attributes.scaleX * m_globalScaleX, sy = m_attributes.scaleY * m_globalScaleY;
    font->WalkGlyphs(word, sx, x, [&](float pen, const TextRect& size, const TextRect& uv) {
        GlyphRect glyph{TextRect{pen, y, size.width * sx, size.height * sy}, uv};
        if (!m_clip || ClipGlyph(*m_clip, glyph))
            out.push_back(glyph);
    });
}

void TextDisplay::DrawWord(const std::string& word, float x, float y) const
{
    const Font* font = m_attributes.font;
    if (!font || !font->GetRaster())
        return;
    std::vector<GlyphRect> rects;
    PlaceWord(rects, word, x, y);
    RenderStateSaver saver;
    saver.Set(rwRenderStateTextureFilter, rwFilterLinear);
    for (const GlyphRect& rect : rects)
        textdraw::DrawTexturedRect(font->GetRaster(), rect.screen, rect.uv, m_attributes.color);
    saver.Restore();
}
