#include "support/PluginTestSupport.h"

#include <algorithm>
#include <cstring>

namespace {

class Bmp : public PluginTest {};

RwImage* Picture(int w, int h, bool withAlpha)
{
    RwImage* image = RwImageCreate(w, h, 32);
    RwImageAllocatePixels(image);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const RwUInt8 p[4] = {RwUInt8(x * 40), RwUInt8(y * 30), RwUInt8(x * y),
                                  RwUInt8(withAlpha ? 255 - x * 20 : 255)};
            std::memcpy(image->pixels + y * image->stride + x * 4, p, 4);
        }
    return image;
}

// The pixels as RGBA rows, top first.
std::vector<RwUInt8> Pixels(const RwImage* image)
{
    std::vector<RwUInt8> out;
    for (int y = 0; y < image->height; ++y)
        out.insert(out.end(), image->pixels + y * image->stride, image->pixels + y * image->stride + image->width * 4);
    return out;
}

std::vector<RwUInt8> FileBytes(const char* name)
{
    std::vector<RwUInt8> bytes(4096);
    RwStream* in = RwStreamOpen(rwStreamFileName, rwStreamRead, name);
    bytes.resize(in ? RwStreamRead(in, bytes.data(), RwUInt32(bytes.size())) : 0);
    RwStreamClose(in, nullptr);
    return bytes;
}

void Put32(std::vector<RwUInt8>& v, size_t at, RwUInt32 x)
{
    std::memcpy(&v[at], &x, 4);
}

// A file with the 40-byte info header, the palette (B, G, R, 0 entries) and the rows as given.
std::vector<RwUInt8> File(RwInt32 width, RwInt32 height, RwUInt16 bits, const std::vector<RwUInt8>& palette,
                          const std::vector<RwUInt8>& rows)
{
    std::vector<RwUInt8> f(54);
    f[0] = 'B';
    f[1] = 'M';
    Put32(f, 10, RwUInt32(54 + palette.size()));
    Put32(f, 14, 40);
    Put32(f, 18, RwUInt32(width));
    Put32(f, 22, RwUInt32(height));
    f[26] = 1;
    f[28] = RwUInt8(bits);
    Put32(f, 46, RwUInt32(palette.size() / 4));
    f.insert(f.end(), palette.begin(), palette.end());
    f.insert(f.end(), rows.begin(), rows.end());
    return f;
}

std::vector<RwUInt8> Read(const std::vector<RwUInt8>& file)
{
    RwImage* image = RtBmpImageReadMemory(file.data(), RwUInt32(file.size()));
    std::vector<RwUInt8> pixels = image ? Pixels(image) : std::vector<RwUInt8>{};
    RwImageDestroy(image);
    return pixels;
}

TEST_F(Bmp, RoundTripThroughTheImageFormatKeepsOpaqueAndTranslucentPictures)
{
    ASSERT_TRUE(RwImageRegisterImageFormat("bmp", RtBmpImageRead, RtBmpImageWrite));
    for (bool alpha : {false, true}) {
        RwImage* src = Picture(7, 5, alpha);  // odd width: padded rows
        ASSERT_NE(RwImageWrite(src, "pic.bmp"), nullptr);
        const std::vector<RwUInt8> file = FileBytes("pic.bmp");
        RwUInt32 size;
        std::memcpy(&size, &file.at(2), 4);
        EXPECT_EQ(std::pair(size, file.at(28)), std::pair(RwUInt32(file.size()), RwUInt8(alpha ? 32 : 24)));
        RwImage* back = RwImageRead("pic.bmp");
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(back->depth, 32);
        EXPECT_EQ(Pixels(back), Pixels(src)) << "alpha " << alpha;
        RwImageDestroy(src);
        RwImageDestroy(back);
    }
    // A palettised picture is written from a depth-32 copy; the picture itself stays as it was.
    RwImage* indexed = RwImageCreate(3, 2, 8);
    RwImageAllocatePixels(indexed);
    const RwRGBA colours[3] = {{0, 0, 0, 255}, {10, 20, 30, 255}, {40, 50, 60, 255}};
    std::copy(colours, colours + 3, indexed->palette);
    const RwUInt8 rows[2][3] = {{1, 2, 1}, {2, 2, 0}};
    for (int y = 0; y < 2; ++y)
        std::copy(rows[y], rows[y] + 3, indexed->pixels + y * indexed->stride);
    ASSERT_NE(RtBmpImageWrite(indexed, "indexed.bmp"), nullptr);
    EXPECT_EQ(indexed->depth, 8);
    RwImage* back = RtBmpImageRead("indexed.bmp");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(Pixels(back), (std::vector<RwUInt8>{10, 20, 30, 255, 40, 50, 60, 255, 10, 20, 30, 255,
                                                  40, 50, 60, 255, 40, 50, 60, 255, 0, 0, 0, 255}));
    RwImageDestroy(back);
    RwImageDestroy(indexed);
}

TEST_F(Bmp, ReadsPalettesTopDownRowsAndZeroAlpha)
{
    // 2 x 2 over a 3-colour palette, rows padded to 4 bytes, bottom row first.
    const std::vector<RwUInt8> palette = {255, 0, 0, 0, 0, 255, 0, 0, 0, 0, 255, 0};  // blue, green, red
    const std::vector<RwUInt8> rows = {0, 1, 0, 0, 2, 0, 0, 0};
    const std::vector<RwUInt8> want = {255, 0, 0, 255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 255, 0, 255};
    EXPECT_EQ(Read(File(2, 2, 8, palette, rows)), want);
    // The same stored top-down: rows swapped, height negative.
    EXPECT_EQ(Read(File(2, -2, 8, palette, {2, 0, 0, 0, 0, 1, 0, 0})), want);
    LogCapture log;
    EXPECT_TRUE(Read(File(2, 2, 8, palette, {0, 1, 0, 0, 7, 0, 0, 0})).empty()) << "beyond the palette";
    EXPECT_TRUE(log.Contains("palette index"));

    // 32-bit pixels whose fourth byte is zero everywhere are opaque; one that is not keeps it.
    const std::vector<RwUInt8> bgra = {30, 20, 10, 0, 60, 50, 40, 0};  // bottom row first
    EXPECT_EQ(Read(File(1, 2, 32, {}, bgra)), (std::vector<RwUInt8>{40, 50, 60, 255, 10, 20, 30, 255}));
    std::vector<RwUInt8> some = bgra;
    some[7] = 9;
    EXPECT_EQ(Read(File(1, 2, 32, {}, some)), (std::vector<RwUInt8>{40, 50, 60, 9, 10, 20, 30, 0}));
}

TEST_F(Bmp, CorruptFilesGiveNullAndALogLine)
{
    RwImage* src = Picture(5, 4, true);
    ASSERT_NE(RtBmpImageWrite(src, "a.bmp"), nullptr);
    RwImageDestroy(src);
    const std::vector<RwUInt8> good = FileBytes("a.bmp");
    ASSERT_EQ(good.size(), 14u + 108 + 5 * 4 * 4);

    std::vector<std::vector<RwUInt8>> bad;
    for (size_t cut = 0; cut < good.size(); cut += 7)
        bad.emplace_back(good.begin(), good.begin() + long(cut));
    const struct {
        size_t at;
        RwUInt32 value;
    } fields[] = {
        {18, 0x7fffffff},  // huge width
        {22, 0x80000000},  // most negative height
        {30, 1},           // run-length compression
        {10, 0xfffffff0},  // pixel offset past the end
        {54, 0x00F0F000},  // mask not whole bytes
        {28, 16},          // 16 bits a pixel
    };
    for (const auto& f : fields) {
        bad.push_back(good);
        Put32(bad.back(), f.at, f.value);
    }
    for (const std::vector<RwUInt8>& file : bad) {
        LogCapture log;
        EXPECT_TRUE(Read(file).empty()) << file.size();
        EXPECT_TRUE(log.Contains("RtBmpImageRead")) << file.size();
    }
    LogCapture log;
    EXPECT_EQ(RtBmpImageRead("none.bmp"), nullptr);
    EXPECT_TRUE(log.Contains("none.bmp"));
}

}  // namespace
