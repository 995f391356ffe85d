#include "EngineTestSupport.h"

#include <png.h>

#include <cstdio>
#include <cstring>

NullEngine::NullEngine()
{
    RwEngineInit(nullptr, 0, 0x100000);
    RwEngineOpenParams params{nullptr, rwDeviceNull};
    RwEngineOpen(&params);
    RwEngineStart();
}

NullEngine::~NullEngine()
{
    RwEngineStop();
    RwEngineClose();
    RwEngineTerm();
}

bool WritePng(const std::string& path, int width, int height, int colorType, int bitDepth,
              const std::vector<unsigned char>& pixels, const std::vector<unsigned char>& paletteRgb)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), bitDepth, colorType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (size_t i = 0; i + 2 < paletteRgb.size(); i += 3)
        palette.push_back({paletteRgb[i], paletteRgb[i + 1], paletteRgb[i + 2]});
    if (!palette.empty())
        png_set_PLTE(png, info, palette.data(), int(palette.size()));
    png_write_info(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    for (int y = 0; y < height; ++y)
        png_write_row(png, const_cast<png_bytep>(pixels.data() + size_t(y) * rowBytes));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}

std::vector<unsigned char> MakeDds(int width, int height, const char* fourCC, const std::vector<unsigned char>& body,
                                   int rgbBits)
{
    std::vector<unsigned char> f(128 + body.size(), 0);
    if (!body.empty())
        std::memcpy(f.data() + 128, body.data(), body.size());
    auto put = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            f[at + i] = (unsigned char)(v >> (8 * i));
    };
    std::memcpy(f.data(), "DDS ", 4);
    put(4, 124);
    put(8, 0x1007);
    put(12, uint32_t(height));
    put(16, uint32_t(width));
    put(76, 32);  // pixel format size
    if (fourCC) {
        put(80, 0x4);
        std::memcpy(&f[84], fourCC, 4);
    } else {
        put(80, 0x41);  // RGB with alpha
        put(88, uint32_t(rgbBits));
        put(92, 0x00ff0000);
        put(96, 0x0000ff00);
        put(100, 0x000000ff);
        put(104, 0xff000000);
    }
    return f;
}

std::vector<int> Pixel(const RwImage* image, int x, int y)
{
    const unsigned char* p = image->pixels + y * image->stride + x * 4;
    return {p[0], p[1], p[2], p[3]};
}
