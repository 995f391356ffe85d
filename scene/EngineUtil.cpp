#include "scene/EngineUtil.h"

#include "framework/Debug.h"
#include "framework/File.h"
#include "framework/FileSystem.h"
#include "framework/MathUtil.h"

#include <algorithm>
#include <vector>

namespace {

constexpr size_t kTgaHeaderSize = 18;

bool IsTrueColour(const RwImage* image)
{
    return image && image->pixels && image->depth == 32 && image->width > 0 && image->height > 0 &&
           image->stride >= image->width * 4;
}

uint8_t ClampByte(int value)
{
    return uint8_t(std::clamp(value, 0, 255));
}

}  // namespace

namespace EngineUtil {

void BuildMatrix(RwMatrix* matrix, const Vector3& position, const Quaternion& rotation)
{
    if (!matrix)
        return;
    float angle = 0.0f;
    Vector3 axis;
    rotation.ToAxisAngle(angle, axis);
    axis.Normalize();
    const RwV3d rwAxis{axis.x, axis.y, axis.z};
    RwMatrixRotate(matrix, &rwAxis, angle * 180.0f / Math::Pi, rwCombineReplace);
    const RwV3d translation{position.x, position.y, position.z};
    RwMatrixTranslate(matrix, &translation, rwCombinePostMultiply);
}

void SetFramePose(const Vector3& position, const Quaternion& rotation, RwFrame* frame)
{
    if (!frame)
        return;
    BuildMatrix(RwFrameGetMatrix(frame), position, rotation);
    RwFrameUpdateObjects(frame);
}

RwImage* GrabCameraRaster(RwCamera* camera)
{
    RwRaster* raster = camera ? RwCameraGetRaster(camera) : nullptr;
    if (!raster)
        return nullptr;
    RwImage* image = RwImageCreate(raster->width, raster->height, 32);
    if (!image)
        return nullptr;
    if (!RwImageAllocatePixels(image) || !RwImageSetFromRaster(image, raster)) {
        RwImageDestroy(image);
        return nullptr;
    }
    return image;
}

bool SaveImage(const RwImage* image, const char* fileName)
{
    if (!image || !image->pixels)
        return false;
    if (!IsTrueColour(image) || image->width > 0xffff || image->height > 0xffff) {
        LogError("EngineUtil::SaveImage: cannot write a %dx%d image of depth %d: %s\n", image->width,
                 image->height, image->depth, fileName ? fileName : "");
        return false;
    }
    File* file = FileSystem::Instance()->OpenWriteBinary(fileName ? fileName : "");
    if (!file) {
        LogError("EngineUtil::SaveImage could not create file: %s\n", fileName ? fileName : "");
        return false;
    }

    uint8_t header[kTgaHeaderSize] = {};
    header[2] = 2;  // uncompressed true colour
    header[12] = uint8_t(image->width & 0xff);
    header[13] = uint8_t(image->width >> 8);
    header[14] = uint8_t(image->height & 0xff);
    header[15] = uint8_t(image->height >> 8);
    header[16] = 24;
    header[17] = 0;  // origin at the lower left

    const size_t width = size_t(image->width);
    const size_t height = size_t(image->height);
    std::vector<uint8_t> pixels(width * height * 3);
    uint8_t* out = pixels.data();
    for (size_t row = height; row-- > 0;) {
        const uint8_t* in = image->pixels + row * size_t(image->stride);
        for (size_t x = 0; x < width; ++x, in += 4) {
            *out++ = in[2];
            *out++ = in[1];
            *out++ = in[0];
        }
    }

    bool written = file->Write(header, sizeof header) == sizeof header;
    written = written && file->Write(pixels.data(), pixels.size()) == pixels.size();
    const bool closed = FileSystem::Instance()->Close(file);
    if (!written || !closed) {
        LogError("EngineUtil::SaveImage could not write file: %s\n", fileName ? fileName : "");
        return false;
    }
    return true;
}

}  // namespace EngineUtil

namespace ImageUtil {

void BlendOver(RwImage* destination, const RwImage* source)
{
    if (!IsTrueColour(destination) || !IsTrueColour(source) || destination->width != source->width ||
        destination->height != source->height) {
        LogError("ImageUtil::BlendOver: images of different sizes or formats\n");
        return;
    }
    for (int y = 0; y < destination->height; ++y) {
        uint8_t* d = destination->pixels + size_t(y) * size_t(destination->stride);
        const uint8_t* s = source->pixels + size_t(y) * size_t(source->stride);
        for (int x = 0; x < destination->width; ++x, d += 4, s += 4) {
            const float weight = float(s[3]) * 0.003921569f;
            for (int c = 0; c < 4; ++c)
                d[c] = ClampByte(int((float(s[c]) - float(d[c])) * weight + float(d[c])));
        }
    }
}

void MirrorRows(RwImage* image)
{
    if (!IsTrueColour(image))
        return;
    const int width = image->width;
    for (int y = 0; y < image->height; ++y) {
        uint8_t* row = image->pixels + size_t(y) * size_t(image->stride);
        for (int k = 0; k < width / 2; ++k)
            std::swap_ranges(row + k * 4, row + k * 4 + 4, row + (width - 1 - k) * 4);
    }
}

void Tint(RwImage* image, float r, float g, float b, float a)
{
    if (!IsTrueColour(image))
        return;
    const int factors[4] = {int(r * 255.0f), int(g * 255.0f), int(b * 255.0f), int(a * 255.0f)};
    for (int y = 0; y < image->height; ++y) {
        uint8_t* p = image->pixels + size_t(y) * size_t(image->stride);
        for (int x = 0; x < image->width; ++x, p += 4) {
            for (int c = 0; c < 4; ++c)
                p[c] = ClampByte(p[c] * factors[c] / 255);
        }
    }
}

}  // namespace ImageUtil
