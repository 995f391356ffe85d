#include "text/Font.h"

#include "engine/core/RwCore.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "framework/Settings.h"
#include "framework/StringUtil.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Glyphs further apart than this many clear columns are separate characters.
constexpr int kGlyphGap = 3;

bool ColumnInked(const RwImage& image, int x)
{
    for (int y = 0; y < image.height; ++y)
        if (image.pixels[y * image.stride + x * 4 + 3])
            return true;
    return false;
}

// First and last inked rows over columns [x0, x1]; false when none is inked.
bool InkedRows(const RwImage& image, int x0, int x1, int& first, int& last)
{
    first = -1;
    for (int y = 0; y < image.height; ++y) {
        const RwUInt8* row = image.pixels + y * image.stride;
        for (int x = x0; x <= x1; ++x)
            if (row[x * 4 + 3]) {
                if (first < 0)
                    first = y;
                last = y;
                break;
            }
    }
    return first >= 0;
}

int PowerOfTwoAtLeast(int64_t value)
{
    int result = 1;
    while (result < value && result < (1 << 30))
        result *= 2;
    return result;
}

// Where each glyph goes in the packed texture, and the texture's size: rows of glyphs one
// clear column and row apart, the width a power of two that holds the widest glyph, the
// height doubled from half the width until every row fits.
struct Packing {
    int width = 1, height = 1;
    std::vector<std::pair<int, int>> positions;
};

Packing Pack(const std::vector<Glyph>& glyphs, int64_t total, int rowHeight)
{
    Packing packing;
    int widest = 0;
    for (const Glyph& glyph : glyphs)
        widest = std::max(widest, static_cast<int>(glyph.width));
    const auto side = static_cast<int64_t>(std::sqrt(static_cast<double>(total) * rowHeight));
    packing.width = PowerOfTwoAtLeast(std::max<int64_t>(side, widest + 1));
    packing.height = std::max(packing.width / 2, 1);
    int x = 0, y = 0;
    for (const Glyph& glyph : glyphs) {
        const int width = static_cast<int>(glyph.width);
        if (width + 1 + x > packing.width) {
            x = 0;
            y += rowHeight;
        }
        packing.positions.emplace_back(x, y);
        x += width + 1;
    }
    while (packing.height < y + rowHeight && packing.height < (1 << 30))
        packing.height *= 2;
    return packing;
}

}  // namespace

Font::~Font()
{
    Release();
}

void Font::Release()
{
    ++s_revision;
    if (m_texture)
        RwTextureDestroy(m_texture);
    else if (m_raster)
        RwRasterDestroy(m_raster);
    m_texture = nullptr;
    m_raster = nullptr;
    m_textureWidth = m_textureHeight = 0;
    m_glyphs.clear();
    m_lineHeight = 0.0f;
}

std::string Font::InfoFileName(const std::string& imageDirectory, const std::string& imageName)
{
    std::string folder = imageDirectory;
    if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/'))
        folder.pop_back();
    const size_t slash = folder.find_last_of("\\/");
    folder = slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
    const std::string stem = imageName.size() >= 3 ? imageName.substr(0, imageName.size() - 3) : std::string();
    return folder + stem + "txt";
}

bool Font::Create(const char* imagePath, const char* maskName, const std::string& charset)
{
    const std::string path = imagePath ? imagePath : "";
    FileSystem* files = FileSystem::Instance();
    if (!files->FileExists(path.c_str()))
        LogError("Font::Create - could not find %s.\n", path.c_str());
    Release();
    SetCharset(charset);

    const std::string expanded = files->ExpandAliases(path);
    const size_t slash = expanded.find_last_of("\\/");
    m_imageDirectory = slash == std::string::npos ? std::string() : expanded.substr(0, slash + 1);
    m_imageName = slash == std::string::npos ? expanded : expanded.substr(slash + 1);
    if (!m_imageDirectory.empty())
        RwImageSetPath(m_imageDirectory.c_str());

    RwImage* image = maskName && *maskName ? RwImageReadMaskedImage(m_imageName.c_str(), maskName)
                                           : RwImageRead(m_imageName.c_str());
    if (!image) {
        LogError("could not open font %s\n", path.c_str());
        return false;
    }
    if (image->depth != 32) {
        LogMessageBox("font file has wrong pixel depth <%s>", path.c_str());
        RwImageDestroy(image);
        return false;
    }

    const std::string infoName = InfoFileName(m_imageDirectory, m_imageName);
    Settings info;
    const bool haveInfo = files->FileExists(infoName.c_str()) && info.Load(infoName.c_str());
    if (!haveInfo)
        LogWarning("No font info file for font <%s>\n", infoName.c_str());
    const bool built = CreateFromImage(*image, m_charset, haveInfo ? &info : nullptr, path.c_str());
    RwImageDestroy(image);
    return built;
}

bool Font::CreateFromImage(const RwImage& image, const std::string& charset, const Settings* info,
                           const char* name)
{
    Release();
    SetCharset(charset);
    if (info)
        ApplyInfo(*info);
    if (image.depth != 32 || !image.pixels) {
        LogError("Font::Create - %s is no 32-bit image\n", name);
        return false;
    }
    m_glyphs = ExtractGlyphs(image);
    if (m_glyphs.empty()) {
        LogError("Font::Create - no glyphs in %s; the font stays empty\n", name);
        return false;
    }
    if (m_glyphs.size() != m_charset.size())
        LogError("Warning!!\nfont %s\ncharacters found: %d\ncharacters in definition: %d\n", name,
                 static_cast<int>(m_glyphs.size()), static_cast<int>(m_charset.size()));
    for (const Glyph& glyph : m_glyphs)
        m_lineHeight = std::max(m_lineHeight, glyph.height);
    if (!BuildTexture(image)) {
        Release();
        return false;
    }
    return true;
}

void Font::ApplyInfo(const Settings& info)
{
    ++s_revision;
    if (const std::string* charset = info.GetRaw("charset"))
        SetCharset(*charset);
    if (info.GetRaw("spacingX"))
        m_spacingX = info.GetFloat("spacingX");
    if (info.GetRaw("spacingY"))
        m_spacingY = info.GetFloat("spacingY");
    m_kerning.clear();
    m_kernFirst.fill(false);
    std::string value;
    for (int i = 0; info.FindValue(value, "kerning", i); ++i) {
        StringTokenizer tokens(value, " \t");
        const std::string pair = tokens.NextToken();
        const std::string amount = tokens.NextToken();
        char* end = nullptr;
        const float kerning = amount.empty() ? 0.0f : std::strtof(amount.c_str(), &end);
        // A value that is no finite number would poison every width measured with it.
        if (tokens.CountTokens() < 2 || !std::isfinite(kerning)) {
            LogError("Illegal Kerning Information: <%s>\n", value.c_str());
            continue;
        }
        m_kerning[pair] = kerning;
        m_kernFirst[static_cast<unsigned char>(pair[0])] = true;
    }
}

void Font::SetCharset(const std::string& charset)
{
    ++s_revision;
    m_charset = charset;
    m_index.fill(-1);
    for (size_t i = charset.size(); i-- > 0;)
        if (i <= INT16_MAX)
            m_index[static_cast<unsigned char>(charset[i])] = static_cast<int16_t>(i);
}

std::vector<Glyph> Font::ExtractGlyphs(const RwImage& image)
{
    std::vector<Glyph> glyphs;
    if (image.depth != 32 || !image.pixels)
        return glyphs;
    int x = 0;
    while (x < image.width) {
        if (!ColumnInked(image, x)) {
            ++x;
            continue;
        }
        const int first = x;
        int last = x, empty = 0;
        for (++x; x < image.width && empty < kGlyphGap; ++x) {
            if (ColumnInked(image, x)) {
                last = x;
                empty = 0;
            } else {
                ++empty;
            }
        }
        int top = 0, bottom = 0;
        InkedRows(image, first, last, top, bottom);
        Glyph glyph;
        glyph.sourceTop = top;
        glyph.x = static_cast<float>(first);
        glyph.y = static_cast<float>(top);
        glyph.width = static_cast<float>(last - first + 1);
        glyph.height = static_cast<float>(bottom - top + 2);
        glyphs.push_back(glyph);
    }
    int32_t top = INT32_MAX;
    for (const Glyph& glyph : glyphs)
        top = std::min(top, glyph.sourceTop);
    for (Glyph& glyph : glyphs) {
        glyph.height += glyph.y - static_cast<float>(top);
        glyph.y = static_cast<float>(top);
        glyph.sourceTop = top;
    }
    return glyphs;
}

bool Font::BuildTexture(const RwImage& source)
{
    ++s_revision;
    int64_t total = 0;
    int rowHeight = 0;
    for (const Glyph& glyph : m_glyphs) {
        total += static_cast<int64_t>(glyph.width) + 1;
        rowHeight = std::max(rowHeight, static_cast<int>(glyph.height) + 1);
    }
    m_spaceAdvance = static_cast<float>(total) / static_cast<float>(m_glyphs.size()) * 0.5f;

    // Laid out before the image is made, so no glyph can land outside it.
    const Packing packing = Pack(m_glyphs, total, rowHeight);
    RwImage* image = RwImageCreate(packing.width, packing.height, 32);
    if (!image || !RwImageAllocatePixels(image)) {
        LogError("Font::Create - no memory for a %d x %d font texture\n", packing.width, packing.height);
        if (image)
            RwImageDestroy(image);
        return false;
    }
    for (size_t i = 0; i < m_glyphs.size(); ++i) {
        Glyph& glyph = m_glyphs[i];
        const auto [x, y] = packing.positions[i];
        const int sx = static_cast<int>(glyph.x), sy = static_cast<int>(glyph.y);
        // The clear row below the ink may lie below the source image: nothing to copy there.
        const int rows = std::min(static_cast<int>(glyph.height), source.height - sy);
        const int columns = std::min(static_cast<int>(glyph.width), source.width - sx);
        for (int row = 0; row < rows; ++row)
            std::memcpy(image->pixels + (y + row) * image->stride + x * 4,
                        source.pixels + (sy + row) * source.stride + sx * 4, static_cast<size_t>(columns) * 4);
        glyph.x = static_cast<float>(x);
        glyph.y = static_cast<float>(y);
    }

    m_raster = RwRasterCreate(packing.width, packing.height, 32, rwRasterTypeTexture | rwRasterFormat8888);
    if (m_raster && RwRasterSetFromImage(m_raster, image))
        m_texture = RwTextureCreate(m_raster);
    RwImageDestroy(image);
    if (!m_texture) {
        LogError("Font::Create - could not make a %d x %d font texture\n", packing.width, packing.height);
        return false;
    }
    m_textureWidth = packing.width;
    m_textureHeight = packing.height;
    DebugTrace("  font texture size: %d x %d", m_textureWidth, m_textureHeight);
    return true;
}

const Glyph* Font::GetGlyph(unsigned char c) const
{
    const int index = m_index[c];
    if (index < 0 || static_cast<size_t>(index) >= m_glyphs.size())
        return nullptr;
    return &m_glyphs[static_cast<size_t>(index)];
}

float Font::GetAdvance(unsigned char c) const
{
    if (c == ' ')
        return m_spaceAdvance;
    const Glyph* glyph = GetGlyph(c);
    return glyph ? glyph->width : 0.0f;
}

void Font::GetTexCoords(unsigned char c, TextRect& out) const
{
    const Glyph* glyph = GetGlyph(c);
    if (!glyph || m_textureWidth <= 0 || m_textureHeight <= 0) {
        out = TextRect{};
        return;
    }
    const auto w = static_cast<float>(m_textureWidth), h = static_cast<float>(m_textureHeight);
    out = TextRect{glyph->x / w, glyph->y / h, glyph->width / w, glyph->height / h};
}

bool Font::GetGlyphSize(unsigned char c, TextRect& out) const
{
    const Glyph* glyph = GetGlyph(c);
    out = glyph ? TextRect{0.0f, 0.0f, glyph->width, glyph->height} : TextRect{};
    return glyph != nullptr;
}

float Font::GetKerning(const std::string& pair) const
{
    const auto it = m_kerning.find(pair);
    return it == m_kerning.end() ? 0.0f : it->second;
}

float Font::GetKerning(unsigned char first, unsigned char second) const
{
    if (!m_kernFirst[first])
        return 0.0f;
    const char pair[2] = {static_cast<char>(first), static_cast<char>(second)};
    return GetKerning(std::string(pair, 2));
}
