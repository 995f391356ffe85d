#include "support/EngineTestSupport.h"

#include <png.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

namespace {

class ImageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RwImageRegisterImageFormat("png", RtPngImageRead, nullptr);
        RwImageSetPath("");
    }
};

TEST_F(ImageTest, PngRgbaIsReadPixelExact)
{
    const std::vector<unsigned char> px = {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0, 10, 20, 30, 40};
    ASSERT_TRUE(WritePng("rgba.png", 2, 2, PNG_COLOR_TYPE_RGBA, 8, px));
    RwImage* image = RwImageRead("rgba.png");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->depth, 32);
    EXPECT_EQ(image->width, 2);
    EXPECT_EQ(image->stride, 8);
    EXPECT_EQ(Pixel(image, 0, 0), (std::vector<int>{255, 0, 0, 255}));
    EXPECT_EQ(Pixel(image, 1, 0), (std::vector<int>{0, 255, 0, 128}));
    EXPECT_EQ(Pixel(image, 0, 1), (std::vector<int>{0, 0, 255, 0}));
    EXPECT_EQ(Pixel(image, 1, 1), (std::vector<int>{10, 20, 30, 40}));
    RwImageDestroy(image);
}

TEST_F(ImageTest, PngPaletteGreyAndRgbBecomeOpaqueRgba)
{
    // Palette, 4 bits per index: indices 0, 1, 2 in a 3 x 1 picture.
    ASSERT_TRUE(WritePng("palette.png", 3, 1, PNG_COLOR_TYPE_PALETTE, 4, {0x01, 0x20},
                         {9, 8, 7, 200, 100, 50, 1, 2, 3}));
    RwImage* image = RtPngImageRead("palette.png");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Pixel(image, 0, 0), (std::vector<int>{9, 8, 7, 255}));
    EXPECT_EQ(Pixel(image, 1, 0), (std::vector<int>{200, 100, 50, 255}));
    EXPECT_EQ(Pixel(image, 2, 0), (std::vector<int>{1, 2, 3, 255}));
    RwImageDestroy(image);

    ASSERT_TRUE(WritePng("grey.png", 2, 1, PNG_COLOR_TYPE_GRAY, 8, {17, 240}));
    image = RtPngImageRead("grey.png");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Pixel(image, 0, 0), (std::vector<int>{17, 17, 17, 255}));
    EXPECT_EQ(Pixel(image, 1, 0), (std::vector<int>{240, 240, 240, 255}));
    RwImageDestroy(image);

    ASSERT_TRUE(WritePng("grey16.png", 1, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 16, {0xab, 0xcd, 0x80, 0x00}));
    image = RtPngImageRead("grey16.png");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Pixel(image, 0, 0), (std::vector<int>{0xab, 0xab, 0xab, 0x80}));
    RwImageDestroy(image);

    ASSERT_TRUE(WritePng("rgb.png", 1, 1, PNG_COLOR_TYPE_RGB, 8, {1, 2, 3}));
    image = RtPngImageRead("rgb.png");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Pixel(image, 0, 0), (std::vector<int>{1, 2, 3, 255}));
    RwImageDestroy(image);
}

TEST_F(ImageTest, TruncatedAndCorruptPngGiveNullAndALogLine)
{
    std::vector<unsigned char> px(16 * 16 * 4, 99);
    ASSERT_TRUE(WritePng("whole.png", 16, 16, PNG_COLOR_TYPE_RGBA, 8, px));
    const std::vector<unsigned char> whole = ReadFileBytes("whole.png");
    ASSERT_GT(whole.size(), 40u);
    for (size_t cut : {size_t(0), size_t(7), size_t(30), whole.size() / 2, whole.size() - 13}) {
        WriteFileBytes("cut.png", std::vector<unsigned char>(whole.begin(), whole.begin() + std::ptrdiff_t(cut)));
        LogCapture log;
        EXPECT_EQ(RtPngImageRead("cut.png"), nullptr) << "cut at " << cut;
        EXPECT_TRUE(log.Contains("RtPngImageRead")) << "cut at " << cut;
    }
    std::vector<unsigned char> corrupt = whole;
    for (size_t i = 40; i < corrupt.size() - 12; ++i)
        corrupt[i] ^= 0x5a;
    WriteFileBytes("corrupt.png", corrupt);
    LogCapture log;
    EXPECT_EQ(RtPngImageRead("corrupt.png"), nullptr);
    EXPECT_FALSE(log.lines.empty());
}

// DXT1: colour 0 pure red (0xf800), colour 1 pure blue (0x001f); texel indices 0, 1, 2, 3
// along the first row: red, blue, 2/3 red + 1/3 blue, 1/3 red + 2/3 blue.
TEST_F(ImageTest, Dxt1BlockDecodesToItsFourColours)
{
    const std::vector<unsigned char> block = {0x00, 0xf8, 0x1f, 0x00, 0xe4, 0x00, 0x00, 0x00};
    const std::vector<unsigned char> file = MakeDds(4, 4, "DXT1", block);
    RwImage* image = RwDdsImageReadMemory(file.data(), RwUInt32(file.size()));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Pixel(image, 0, 0), (std::vector<int>{255, 0, 0, 255}));
    EXPECT_EQ(Pixel(image, 1, 0), (std::vector<int>{0, 0, 255, 255}));
    EXPECT_EQ(Pixel(image, 2, 0), (std::vector<int>{170, 0, 85, 255}));
    EXPECT_EQ(Pixel(image, 3, 0), (std::vector<int>{85, 0, 170, 255}));
    EXPECT_EQ(Pixel(image, 3, 3), (std::vector<int>{255, 0, 0, 255}));
    RwImageDestroy(image);

    // Colour 0 not above colour 1: three colours and transparent black.
    const std::vector<unsigned char> three = {0x1f, 0x00, 0x00, 0xf8, 0xe4, 0x00, 0x00, 0x00};
    const std::vector<unsigned char> file3 = MakeDds(4, 4, "DXT1", three);
    image = RwDdsImageReadMemory(file3.data(), RwUInt32(file3.size()));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Pixel(image, 2, 0), (std::vector<int>{127, 0, 127, 255}));
    EXPECT_EQ(Pixel(image, 3, 0), (std::vector<int>{0, 0, 0, 0}));
    RwImageDestroy(image);
}

// DXT5: alpha endpoints 255 and 0 (eight-value mode) with indices 0, 1, 2, 7 on the first
// row; colour block all green (0x07e0).
TEST_F(ImageTest, Dxt5BlockDecodesAlphaAndColour)
{
    // 3-bit indices, little-endian across six bytes: 0 | 1 << 3 | 2 << 6 | 7 << 9.
    const uint64_t bits = 0 | (1u << 3) | (2u << 6) | (7u << 9);
    std::vector<unsigned char> block = {255, 0};
    for (int i = 0; i < 6; ++i)
        block.push_back((unsigned char)(bits >> (8 * i)));
    const std::vector<unsigned char> colour = {0xe0, 0x07, 0xe0, 0x07, 0, 0, 0, 0};
    block.insert(block.end(), colour.begin(), colour.end());
    const std::vector<unsigned char> file = MakeDds(4, 4, "DXT5", block);
    RwImage* image = RwDdsImageReadMemory(file.data(), RwUInt32(file.size()));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Pixel(image, 0, 0), (std::vector<int>{0, 255, 0, 255}));
    EXPECT_EQ(Pixel(image, 1, 0), (std::vector<int>{0, 255, 0, 0}));
    EXPECT_EQ(Pixel(image, 2, 0), (std::vector<int>{0, 255, 0, 218}));  // (6 * 255 + 0) / 7
    EXPECT_EQ(Pixel(image, 3, 0), (std::vector<int>{0, 255, 0, 36}));   // (1 * 255 + 6 * 0) / 7
    RwImageDestroy(image);
}

TEST_F(ImageTest, Dxt3AndUncompressedDdsAndPicturesNotAMultipleOfFour)
{
    // DXT3 alpha nibbles 0x0 and 0xf alternate; colour white.
    std::vector<unsigned char> block(8, 0xf0);
    const std::vector<unsigned char> colour = {0xff, 0xff, 0xff, 0xff, 0, 0, 0, 0};
    block.insert(block.end(), colour.begin(), colour.end());
    const std::vector<unsigned char> dxt3 = MakeDds(2, 3, "DXT3", block);
    RwImage* image = RwDdsImageReadMemory(dxt3.data(), RwUInt32(dxt3.size()));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 2);
    EXPECT_EQ(image->height, 3);
    EXPECT_EQ(Pixel(image, 0, 0), (std::vector<int>{255, 255, 255, 0}));
    EXPECT_EQ(Pixel(image, 1, 2), (std::vector<int>{255, 255, 255, 255}));
    RwImageDestroy(image);

    // 32-bit BGRA in memory order: B, G, R, A.
    const std::vector<unsigned char> raw = MakeDds(1, 1, nullptr, {30, 20, 10, 99}, 32);
    image = RwDdsImageReadMemory(raw.data(), RwUInt32(raw.size()));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Pixel(image, 0, 0), (std::vector<int>{10, 20, 30, 99}));
    RwImageDestroy(image);
}

TEST_F(ImageTest, BadDdsGivesNullAndALogLine)
{
    const std::vector<unsigned char> block(16, 0);
    const std::vector<unsigned char> file = MakeDds(8, 8, "DXT5", block);  // needs four blocks
    LogCapture log;
    EXPECT_EQ(RwDdsImageReadMemory(file.data(), RwUInt32(file.size())), nullptr);
    EXPECT_TRUE(log.Contains("cut short"));
    EXPECT_EQ(RwDdsImageReadMemory(file.data(), 100), nullptr);
    const std::vector<unsigned char> odd = MakeDds(4, 4, "ATI2", block);
    EXPECT_EQ(RwDdsImageReadMemory(odd.data(), RwUInt32(odd.size())), nullptr);
    EXPECT_TRUE(log.Contains("unsupported"));
    const std::vector<unsigned char> huge = MakeDds(100000, 4, "DXT1", block);
    EXPECT_EQ(RwDdsImageReadMemory(huge.data(), RwUInt32(huge.size())), nullptr);
}

TEST_F(ImageTest, ResizeKeepsTheOverlapAndClearsTheRest)
{
    RwImage* image = RwImageCreate(2, 2, 32);
    RwImageAllocatePixels(image);
    for (int i = 0; i < 16; ++i)
        image->pixels[i] = (unsigned char)(i + 1);
    ASSERT_NE(RwImageResize(image, 3, 4), nullptr);
    EXPECT_EQ(image->stride, 12);
    EXPECT_EQ(Pixel(image, 1, 1), (std::vector<int>{13, 14, 15, 16}));
    EXPECT_EQ(Pixel(image, 2, 1), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(Pixel(image, 0, 3), (std::vector<int>{0, 0, 0, 0}));
    ASSERT_NE(RwImageResize(image, 1, 1), nullptr);
    EXPECT_EQ(Pixel(image, 0, 0), (std::vector<int>{1, 2, 3, 4}));
    RwImageDestroy(image);
}

TEST_F(ImageTest, PathFormatsAndMasks)
{
    std::filesystem::create_directories("imgs");
    ASSERT_TRUE(WritePng("imgs/pic.png", 2, 1, PNG_COLOR_TYPE_RGB, 8, {100, 100, 100, 50, 60, 70}));
    // A mask with luminance 0 and 255.
    ASSERT_TRUE(WritePng("imgs/mask.png", 2, 1, PNG_COLOR_TYPE_RGB, 8, {0, 0, 0, 255, 255, 255}));
    RwImageSetPath("nowhere;imgs\\");
    RwImage* image = RwImageReadMaskedImage("pic.png", "mask.png");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Pixel(image, 0, 0), (std::vector<int>{100, 100, 100, 0}));
    EXPECT_EQ(Pixel(image, 1, 0), (std::vector<int>{50, 60, 70, 255}));
    RwImageDestroy(image);

    // Without an extension every registered format is tried.
    image = RwImageRead("pic");
    ASSERT_NE(image, nullptr);
    RwImageDestroy(image);

    LogCapture log;
    EXPECT_EQ(RwImageRead("pic.tga"), nullptr);
    EXPECT_TRUE(log.Contains("no image format"));
    EXPECT_EQ(RwImageRead("missing.png"), nullptr);
    EXPECT_FALSE(RwImageRegisterImageFormat("", RtPngImageRead, nullptr));
    EXPECT_TRUE(RwImageFindFileType("X.PNG"));
}

TEST_F(ImageTest, PalettisedImagesExpandToDepth32)
{
    RwImage* image = RwImageCreate(3, 1, 8);
    ASSERT_NE(RwImageAllocatePixels(image), nullptr);
    image->palette[2] = {1, 2, 3, 4};
    image->pixels[1] = 2;
    ASSERT_NE(RwImageConvertTo32(image), nullptr);
    EXPECT_EQ(image->depth, 32);
    EXPECT_EQ(Pixel(image, 1, 0), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(Pixel(image, 0, 0), (std::vector<int>{0, 0, 0, 0}));
    RwImageDestroy(image);
}

}  // namespace
