#include "support/EngineTestSupport.h"

#include <png.h>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// A pixel that a decoded picture must hold.
struct Probe {
    int x, y;
    Rgba rgba;
};

::testing::AssertionResult Holds(const RwImage* image, const std::vector<Probe>& probes)
{
    if (!image)
        return ::testing::AssertionFailure() << "no image";
    for (const Probe& p : probes)
        if (Pixel(image, p.x, p.y) != p.rgba)
            return ::testing::AssertionFailure() << "pixel (" << p.x << ", " << p.y << ") is not as wanted";
    return ::testing::AssertionSuccess();
}

class ImageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RwImageRegisterImageFormat("png", RtPngImageRead, nullptr);
        RwImageSetPath("");
    }
};

TEST_F(ImageTest, EveryPngLayoutBecomesRgba)
{
    const struct Case {
        const char* name;
        int width, height, colorType, bitDepth;
        std::vector<unsigned char> pixels, palette;
        std::vector<Probe> probes;
    } cases[] = {
        {"rgba", 2, 2, PNG_COLOR_TYPE_RGBA, 8, {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0, 10, 20, 30, 40}, {},
         {{0, 0, {255, 0, 0, 255}}, {1, 0, {0, 255, 0, 128}}, {0, 1, {0, 0, 255, 0}}, {1, 1, {10, 20, 30, 40}}}},
        {"palette of 4 bits", 3, 1, PNG_COLOR_TYPE_PALETTE, 4, {0x01, 0x20}, {9, 8, 7, 200, 100, 50, 1, 2, 3},
         {{0, 0, {9, 8, 7, 255}}, {1, 0, {200, 100, 50, 255}}, {2, 0, {1, 2, 3, 255}}}},
        {"grey", 2, 1, PNG_COLOR_TYPE_GRAY, 8, {17, 240}, {},
         {{0, 0, {17, 17, 17, 255}}, {1, 0, {240, 240, 240, 255}}}},
        {"grey of 2 bits", 4, 1, PNG_COLOR_TYPE_GRAY, 2, {0x1b}, {},
         {{0, 0, {0, 0, 0, 255}}, {3, 0, {255, 255, 255, 255}}}},
        {"grey and alpha of 16 bits", 1, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 16, {0xab, 0xcd, 0x80, 0x00}, {},
         {{0, 0, {0xab, 0xab, 0xab, 0x80}}}},
        {"rgb", 1, 1, PNG_COLOR_TYPE_RGB, 8, {1, 2, 3}, {}, {{0, 0, {1, 2, 3, 255}}}},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WritePng("layout.png", c.width, c.height, c.colorType, c.bitDepth, c.pixels, c.palette));
        RwImage* image = RtPngImageRead("layout.png");
        EXPECT_TRUE(Holds(image, c.probes)) << c.name;
        if (image) {
            EXPECT_EQ(image->depth, 32) << c.name;
            EXPECT_EQ(image->stride, c.width * 4) << c.name;
        }
        RwImageDestroy(image);
    }
}

TEST_F(ImageTest, TruncatedCorruptAndOversizedPngGiveNullAndTheReason)
{
    std::vector<unsigned char> px(16 * 16 * 4, 99);
    ASSERT_TRUE(WritePng("whole.png", 16, 16, PNG_COLOR_TYPE_RGBA, 8, px));
    const std::vector<unsigned char> whole = ReadFileBytes("whole.png");
    ASSERT_GT(whole.size(), 40u);
    for (size_t cut : {size_t(0), size_t(7), size_t(30), whole.size() / 2, whole.size() - 13}) {
        WriteFileBytes("cut.png", {whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)});
        LogCapture log;
        EXPECT_EQ(RtPngImageRead("cut.png"), nullptr) << "cut at " << cut;
        EXPECT_TRUE(log.Contains("RtPngImageRead")) << "cut at " << cut;
    }
    std::vector<unsigned char> corrupt = whole;
    for (size_t i = 40; i < corrupt.size() - 12; ++i)
        corrupt[i] ^= 0x5a;
    WriteFileBytes("corrupt.png", corrupt);
    {
        LogCapture log;
        EXPECT_EQ(RtPngImageRead("corrupt.png"), nullptr);
        EXPECT_FALSE(log.lines.empty());
    }

    // Over the side limit, and within it but over the pixel limit: the refusal says why.
    const struct {
        int width, height;
        const char* reason;
    } oversized[] = {{9000, 1, "width exceeds user limit"}, {5000, 4000, "5000 x 4000 pixels is over the limit"}};
    for (const auto& o : oversized) {
        const std::vector<unsigned char> rows(static_cast<size_t>(o.width + 7) / 8 * o.height, 0);
        ASSERT_TRUE(WritePng("big.png", o.width, o.height, PNG_COLOR_TYPE_GRAY, 1, rows));
        LogCapture log;
        EXPECT_EQ(RtPngImageRead("big.png"), nullptr);
        EXPECT_TRUE(log.Contains(o.reason)) << log.Text();
    }
}

// DXT1 block: colour 0 pure red (0xf800), colour 1 pure blue (0x001f); texel indices 0, 1, 2,
// 3 along the first row. DXT5: alpha endpoints 255 and 0 with 3-bit indices 0, 1, 2, 7 on the
// first row, colour all green (0x07e0). DXT3: alpha nibbles 0 and 15 alternating, colour white.
TEST_F(ImageTest, DdsBlocksDecodeToTheirColours)
{
    const uint64_t alphaBits = 0 | (1u << 3) | (2u << 6) | (7u << 9);
    std::vector<unsigned char> dxt5 = {255, 0};
    for (int i = 0; i < 6; ++i)
        dxt5.push_back(static_cast<unsigned char>(alphaBits >> (8 * i)));
    dxt5.insert(dxt5.end(), {0xe0, 0x07, 0xe0, 0x07, 0, 0, 0, 0});
    std::vector<unsigned char> dxt3(8, 0xf0);
    dxt3.insert(dxt3.end(), {0xff, 0xff, 0xff, 0xff, 0, 0, 0, 0});
    const struct Case {
        const char* name;
        std::vector<unsigned char> file;
        std::pair<int, int> size;
        std::vector<Probe> probes;
    } cases[] = {
        {"dxt1, four colours", MakeDds(4, 4, "DXT1", {0x00, 0xf8, 0x1f, 0x00, 0xe4, 0x00, 0x00, 0x00}), {4, 4},
         {{0, 0, {255, 0, 0, 255}}, {1, 0, {0, 0, 255, 255}}, {2, 0, {170, 0, 85, 255}}, {3, 0, {85, 0, 170, 255}},
          {3, 3, {255, 0, 0, 255}}}},
        {"dxt1, colour 0 not above colour 1: three colours and transparent black",
         MakeDds(4, 4, "DXT1", {0x1f, 0x00, 0x00, 0xf8, 0xe4, 0x00, 0x00, 0x00}), {4, 4},
         {{2, 0, {127, 0, 127, 255}}, {3, 0, {0, 0, 0, 0}}}},
        {"dxt5", MakeDds(4, 4, "DXT5", dxt5), {4, 4},
         {{0, 0, {0, 255, 0, 255}}, {1, 0, {0, 255, 0, 0}}, {2, 0, {0, 255, 0, 218}}, {3, 0, {0, 255, 0, 36}}}},
        {"dxt3 of 2 x 3, not a multiple of four", MakeDds(2, 3, "DXT3", dxt3), {2, 3},
         {{0, 0, {255, 255, 255, 0}}, {1, 2, {255, 255, 255, 255}}}},
        {"32-bit BGRA", MakeDds(1, 1, nullptr, {30, 20, 10, 99}, 32), {1, 1}, {{0, 0, {10, 20, 30, 99}}}},
    };
    for (const Case& c : cases) {
        RwImage* image = RwDdsImageReadMemory(c.file.data(), static_cast<RwUInt32>(c.file.size()));
        EXPECT_TRUE(Holds(image, c.probes)) << c.name;
        EXPECT_EQ(image ? std::pair(image->width, image->height) : std::pair(0, 0), c.size) << c.name;
        RwImageDestroy(image);
    }
}

TEST_F(ImageTest, BadDdsGivesNullAndALogLine)
{
    const std::vector<unsigned char> block(16, 0);
    const std::vector<unsigned char> file = MakeDds(8, 8, "DXT5", block);  // needs four blocks
    const std::vector<unsigned char> odd = MakeDds(4, 4, "ATI2", block);
    const std::vector<unsigned char> huge = MakeDds(100000, 4, "DXT1", block);
    LogCapture log;
    EXPECT_EQ(RwDdsImageReadMemory(file.data(), static_cast<RwUInt32>(file.size())), nullptr);
    EXPECT_TRUE(log.Contains("cut short"));
    EXPECT_EQ(RwDdsImageReadMemory(file.data(), 100), nullptr);
    EXPECT_EQ(RwDdsImageReadMemory(odd.data(), static_cast<RwUInt32>(odd.size())), nullptr);
    EXPECT_TRUE(log.Contains("unsupported"));
    EXPECT_EQ(RwDdsImageReadMemory(huge.data(), static_cast<RwUInt32>(huge.size())), nullptr);
}

TEST_F(ImageTest, ImagesAreMadeResizedAndExpanded)
{
    LogCapture log;
    // Width, height, depth and the stride wanted; 0 for refused.
    for (auto [width, height, depth, stride] :
         {std::tuple{3, 2, 32, 12}, {3, 1, 8, 4}, {9, 1, 4, 8}, {0, 0, 32, 0}, {16384, 1, 32, 65536}, {-1, 1, 32, -1},
          {1, 16385, 32, -1}, {16385, 1, 32, -1}, {1, 1, 24, -1}}) {
        RwImage* image = RwImageCreate(width, height, depth);
        EXPECT_EQ(image ? image->stride : -1, stride) << width << " x " << height << " x " << depth;
        RwImageDestroy(image);
    }

    RwImage* image = RwImageCreate(2, 2, 32);
    RwImageAllocatePixels(image);
    for (int i = 0; i < 16; ++i)
        image->pixels[i] = static_cast<unsigned char>(i + 1);
    ASSERT_NE(RwImageResize(image, 3, 4), nullptr);
    EXPECT_EQ(image->stride, 12);
    EXPECT_TRUE(Holds(image, {{1, 1, {13, 14, 15, 16}}, {2, 1, {0, 0, 0, 0}}, {0, 3, {0, 0, 0, 0}}}));
    ASSERT_NE(RwImageResize(image, 1, 1), nullptr);
    EXPECT_TRUE(Holds(image, {{0, 0, {1, 2, 3, 4}}}));
    RwImageDestroy(image);
    // Palettised: 8 bits, and 4 bits with the high nibble first.
    for (auto [depth, first, second] : {std::tuple{8, 2, 5}, {4, 0x02, 0x50}}) {
        image = RwImageCreate(3, 1, depth);
        ASSERT_NE(RwImageAllocatePixels(image), nullptr);
        image->palette[2] = {1, 2, 3, 4};
        image->palette[5] = {5, 6, 7, 8};
        image->pixels[depth == 8 ? 1 : 0] = static_cast<RwUInt8>(first);
        image->pixels[depth == 8 ? 2 : 1] = static_cast<RwUInt8>(second);
        ASSERT_NE(RwImageConvertTo32(image), nullptr);
        EXPECT_EQ(image->depth, 32);
        EXPECT_TRUE(Holds(image, {{0, 0, {0, 0, 0, 0}}, {1, 0, {1, 2, 3, 4}}, {2, 0, {5, 6, 7, 8}}})) << depth;
        RwImageDestroy(image);
    }
}

TEST_F(ImageTest, ResizingPastTheSizeLimitIsRefusedAndKeepsThePicture)
{
    RwImage* image = RwImageCreate(2, 1, 32);
    ASSERT_NE(RwImageAllocatePixels(image), nullptr);
    image->pixels[4] = 7;
    // Width, height, and whether the resize is taken.
    for (auto [width, height, taken] : {std::tuple{16385, 1, false}, {1, 16385, false}, {-1, 1, false}, {1, -1, false},
                                        {16384, 1, true}, {2, 16384, true}, {0, 1, true}}) {
        RwUInt8* before = image->pixels;
        EXPECT_EQ(RwImageResize(image, width, height) == image, taken) << width << " x " << height;
        if (!taken) {
            EXPECT_EQ(std::tuple(image->pixels, image->width), std::tuple(before, 2)) << width << " x " << height;
            continue;
        }
        EXPECT_EQ(std::tuple(image->width, image->height, image->stride), std::tuple(width, height, width * 4));
        if (width > 1) {
            EXPECT_TRUE(Holds(image, {{1, 0, {7, 0, 0, 0}}})) << width << " x " << height;
        }
    }
    EXPECT_EQ(RwImageResize(nullptr, 1, 1), nullptr);
    RwImageDestroy(image);

    // A palettised image keeps its whole palette.
    image = RwImageCreate(2, 2, 8);
    ASSERT_NE(RwImageAllocatePixels(image), nullptr);
    image->palette[255] = {1, 2, 3, 4};
    image->pixels[0] = 255;
    ASSERT_EQ(RwImageResize(image, 3, 3), image);
    ASSERT_NE(RwImageConvertTo32(image), nullptr);
    EXPECT_TRUE(Holds(image, {{0, 0, {1, 2, 3, 4}}}));
    RwImageDestroy(image);
}

TEST_F(ImageTest, PathFormatsAndMasks)
{
    std::filesystem::create_directories("imgs");
    ASSERT_TRUE(WritePng("imgs/pic.png", 1, 2, PNG_COLOR_TYPE_RGB, 8, {100, 100, 100, 50, 60, 70}));
    // A mask with luminance 0 and 255.
    ASSERT_TRUE(WritePng("imgs/mask.png", 1, 2, PNG_COLOR_TYPE_RGB, 8, {0, 0, 0, 255, 255, 255}));
    ASSERT_TRUE(WritePng("imgs/small.png", 1, 1, PNG_COLOR_TYPE_RGB, 8, {0, 0, 0}));
    RwImageSetPath("nowhere;imgs\\");
    RwImage* image = RwImageReadMaskedImage("pic.png", "mask.png");
    EXPECT_TRUE(Holds(image, {{0, 0, {100, 100, 100, 0}}, {0, 1, {50, 60, 70, 255}}}));
    RwImageDestroy(image);
    // Without an extension every registered format is tried.
    RwImage* found = RwImageRead("pic");
    EXPECT_NE(found, nullptr);
    RwImageDestroy(found);

    LogCapture log;
    EXPECT_EQ(RwImageReadMaskedImage("pic.png", "small.png"), nullptr);
    EXPECT_TRUE(log.Contains("mask small.png does not fit pic.png"));
    EXPECT_EQ(RwImageRead("pic.tga"), nullptr);
    EXPECT_TRUE(log.Contains("no image format"));
    for (const char* missing : {"missing.png", "missing", "pic."})
        EXPECT_EQ(RwImageRead(missing), nullptr) << missing;
    for (const char* bad : {"", "p.ng"})
        EXPECT_FALSE(RwImageRegisterImageFormat(bad, RtPngImageRead, nullptr)) << bad;
    EXPECT_FALSE(RwImageRegisterImageFormat("bmp", nullptr, nullptr));
    EXPECT_TRUE(RwImageFindFileType("X.PNG"));
    EXPECT_FALSE(RwImageFindFileType("dir.png/x"));
}

}  // namespace
