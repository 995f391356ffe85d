#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

class Settings;
struct RwImage;
struct RwRaster;
struct RwTexture;

// One character's picture: in the source image while the font is cut, in the packed
// texture afterwards. Heights include one clear row below the ink.
struct Glyph {
    int32_t sourceTop = 0;
    float x = 0.0f, y = 0.0f;
    float width = 0.0f, height = 0.0f;
};

// A rectangle as x, y, width, height.
struct TextRect {
    float x = 0.0f, y = 0.0f, width = 0.0f, height = 0.0f;
    bool operator==(const TextRect&) const = default;
};

// A bitmap font cut from one 32-bit image whose glyphs stand side by side on a clear
// background, in the order of its character set, with spacing and kerning from an info
// file (a settings file one folder above the image, named as the image with ".txt").
class Font {
public:
    Font() = default;
    virtual ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // Reads the image (with a mask image for its alpha when one is named, from the same
    // folder) and its info file, cuts and packs the glyphs. False (logged) when the image
    // cannot be read, is not 32 bits deep or holds no glyph; the font is then empty.
    bool Create(const char* imagePath, const char* maskName, const std::string& charset);
    bool Create(const char* imagePath, const std::string& charset) { return Create(imagePath, nullptr, charset); }
    // The same over an image already read; info may be null (defaults kept). The image is
    // only read. name labels log lines.
    bool CreateFromImage(const RwImage& image, const std::string& charset, const Settings* info,
                         const char* name);

    // Charset, spacing and kerning from an info file's settings.
    void ApplyInfo(const Settings& info);

    // Null when the character has no glyph.
    const Glyph* GetGlyph(unsigned char c) const;
    // The space advance for a blank, else the glyph's width; 0 without a glyph.
    float GetAdvance(unsigned char c) const;
    // The glyph's rectangle in texture coordinates, all zero without a glyph.
    void GetTexCoords(unsigned char c, TextRect& out) const;
    // (0, 0, width, height) in pixels and true; all zero and false without a glyph.
    bool GetGlyphSize(unsigned char c, TextRect& out) const;
    // Extra advance between two characters in font pixels, 0 when the pair has none.
    float GetKerning(const std::string& pair) const;
    float GetKerning(unsigned char first, unsigned char second) const;
    // In font pixels, before any scale.
    float GetLineHeight() const { return m_lineHeight; }

    // Walks the pen over a text without mark-up: visit(c, pen) for each character with the
    // pen at its left edge, then the pen moves by (advance + spacingX) x scale and, before
    // the next character, by the pair's kerning x scale. Returns the pen behind the text.
    template <typename Visit>
    float WalkText(const std::string& text, float scale, float pen, Visit&& visit) const
    {
        for (size_t i = 0; i < text.size(); ++i) {
            const auto c = static_cast<unsigned char>(text[i]);
            visit(c, pen);
            pen += (GetAdvance(c) + m_spacingX) * scale;
            if (i + 1 < text.size())
                pen += GetKerning(c, static_cast<unsigned char>(text[i + 1])) * scale;
        }
        return pen;
    }
    // As WalkText, visiting only the characters that have a glyph: visit(pen, size, uv) with
    // the glyph's pixel size and texture rectangle.
    template <typename Visit>
    float WalkGlyphs(const std::string& text, float scale, float pen, Visit&& visit) const
    {
        return WalkText(text, scale, pen, [&](unsigned char c, float at) {
            TextRect size, uv;
            if (!GetGlyphSize(c, size))
                return;
            GetTexCoords(c, uv);
            visit(at, size, uv);
        });
    }

    float GetSpaceAdvance() const { return m_spaceAdvance; }
    float GetSpacingX() const { return m_spacingX; }
    float GetSpacingY() const { return m_spacingY; }
    const std::string& GetCharset() const { return m_charset; }
    const std::vector<Glyph>& GetGlyphs() const { return m_glyphs; }
    const std::map<std::string, float>& GetKerningTable() const { return m_kerning; }
    // Null until a Create succeeds. Kept by the font.
    RwRaster* GetRaster() const { return m_raster; }
    RwTexture* GetTexture() const { return m_texture; }
    int32_t GetTextureWidth() const { return m_textureWidth; }
    int32_t GetTextureHeight() const { return m_textureHeight; }
    const std::string& GetImageDirectory() const { return m_imageDirectory; }
    const std::string& GetImageName() const { return m_imageName; }

    // Goes up whenever any font is made, changed or destroyed: what was measured with fonts
    // before may no longer hold.
    static uint64_t Revision() { return s_revision; }

    // The glyphs of a 32-bit image, left to right; columns whose alpha is 0 everywhere
    // separate glyphs when three or more stand together. All glyphs share the top row.
    static std::vector<Glyph> ExtractGlyphs(const RwImage& image);
    // The info file of an image path: one folder up, ".txt" for the last three characters.
    static std::string InfoFileName(const std::string& imageDirectory, const std::string& imageName);

private:
    static inline uint64_t s_revision = 0;

    void SetCharset(const std::string& charset);
    bool BuildTexture(const RwImage& source);
    void Release();

    std::string m_imageDirectory;
    std::string m_imageName;
    std::string m_charset;
    std::vector<Glyph> m_glyphs;
    RwRaster* m_raster = nullptr;
    RwTexture* m_texture = nullptr;
    int32_t m_textureWidth = 0;
    int32_t m_textureHeight = 0;
    float m_spaceAdvance = 5.0f;
    float m_spacingX = 0.0f;
    float m_spacingY = 2.0f;
    float m_lineHeight = 0.0f;
    std::map<std::string, float> m_kerning;
    // Glyph index by byte (first occurrence in the charset), -1 for none: every drawn
    // character is looked up, so the lookup must not search the charset.
    std::array<int16_t, 256> m_index{};
    // Bytes that begin some kerning pair; most pairs then need no map lookup.
    std::array<bool, 256> m_kernFirst{};
};
