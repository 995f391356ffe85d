#include "tools/common/OffscreenCamera.h"

#include "engine/core/RwCore.h"

#include <cmath>
#include <cstdio>

namespace tools {

namespace {

// A depth-32 copy of the raster that the caller destroys; null without a raster or on failure.
RwImage* GrabRaster(RwRaster* raster)
{
    if (!raster)
        return nullptr;
    RwImage* image = RwImageCreate(raster->width, raster->height, 32);
    if (image && RwImageAllocatePixels(image) && RwImageSetFromRaster(image, raster))
        return image;
    if (image)
        RwImageDestroy(image);
    return nullptr;
}

}  // namespace

RwMatrix LookAtMatrix(const RwV3d& eye, const RwV3d& target)
{
    RwMatrix m;
    RwMatrixSetIdentity(&m);
    const RwV3d view{target.x - eye.x, target.y - eye.y, target.z - eye.z};
    RwV3dNormalize(&m.at, &view);
    // Straight up or down, +z stands in for +y as the screen's up.
    const RwV3d up = std::fabs(m.at.y) > 0.999f ? RwV3d{0, 0, 1} : RwV3d{0, 1, 0};
    RwV3d right;
    RwV3dCrossProduct(&right, &up, &m.at);
    RwV3dNormalize(&m.right, &right);
    RwV3dCrossProduct(&m.up, &m.at, &m.right);
    m.pos = eye;
    return m;
}

OffscreenCamera::~OffscreenCamera()
{
    Destroy();
}

void OffscreenCamera::Destroy()
{
    if (m_camera) {
        RwObjectHasFrameSetFrame(m_camera, nullptr);
        RwCameraDestroy(m_camera);
    }
    if (m_frame)
        RwFrameDestroy(m_frame);
    if (m_raster)
        RwRasterDestroy(m_raster);
    if (m_zRaster)
        RwRasterDestroy(m_zRaster);
    m_camera = nullptr;
    m_frame = nullptr;
    m_raster = m_zRaster = nullptr;
}

bool OffscreenCamera::Create(RwInt32 width, RwInt32 height, RwReal viewX, RwReal viewY, RwReal nearClip,
                             RwReal farClip, RwInt32 rasterType)
{
    Destroy();
    m_width = width;
    m_height = height;
    m_raster = RwRasterCreate(width, height, 0, rasterType);
    m_zRaster = RwRasterCreate(width, height, 0, rwRasterTypeZBuffer);
    m_frame = RwFrameCreate();
    m_camera = RwCameraCreate();
    if (!m_raster || !m_zRaster || !m_frame || !m_camera) {
        std::fprintf(stderr, "OffscreenCamera::Create: no %d x %d camera\n", width, height);
        Destroy();
        return false;
    }
    RwCameraSetRaster(m_camera, m_raster);
    RwCameraSetZRaster(m_camera, m_zRaster);
    RwObjectHasFrameSetFrame(m_camera, m_frame);
    const RwV2d view{viewX, viewY};
    RwCameraSetViewWindow(m_camera, &view);
    RwCameraSetNearClipPlane(m_camera, nearClip);
    RwCameraSetFarClipPlane(m_camera, farClip);
    return true;
}

void OffscreenCamera::Place(const RwMatrix& matrix)
{
    RwMatrix* m = RwFrameGetMatrix(m_frame);
    m->right = matrix.right;
    m->up = matrix.up;
    m->at = matrix.at;
    m->pos = matrix.pos;
    RwMatrixUpdateFlags(m);
    RwFrameUpdateObjects(m_frame);
}

void OffscreenCamera::LookAt(const RwV3d& eye, const RwV3d& target)
{
    Place(LookAtMatrix(eye, target));
}

bool OffscreenCamera::Begin(const RwRGBA& clear)
{
    if (!m_camera)
        return false;
    RwCameraClear(m_camera, &clear, rwCameraClearImage | rwCameraClearZ);
    return RwCameraBeginUpdate(m_camera) != nullptr;
}

void OffscreenCamera::End()
{
    RwCameraEndUpdate(m_camera);
}

RwImage* OffscreenCamera::Grab() const
{
    return GrabRaster(m_raster);
}

bool SaveOpaquePng(RwImage& image, const std::string& path)
{
    for (RwInt32 y = 0; y < image.height; ++y)
        for (RwInt32 x = 0; x < image.width; ++x)
            image.pixels[static_cast<size_t>(y) * static_cast<size_t>(image.stride) + static_cast<size_t>(x) * 4 + 3] = 255;
    return RtPngImageWrite(&image, path.c_str());
}

bool SaveCameraPng(RwCamera* camera, const std::string& path, bool opaque)
{
    RwImage* image = GrabRaster(camera ? RwCameraGetRaster(camera) : nullptr);
    const bool saved = image && (opaque ? SaveOpaquePng(*image, path) : RtPngImageWrite(image, path.c_str()));
    if (image)
        RwImageDestroy(image);
    return saved;
}

bool OffscreenCamera::SavePng(const std::string& path) const
{
    RwImage* image = Grab();
    if (!image) {
        std::fprintf(stderr, "OffscreenCamera::SavePng: cannot read back the picture for %s\n", path.c_str());
        return false;
    }
    const bool ok = SaveOpaquePng(*image, path);
    RwImageDestroy(image);
    return ok;
}

}  // namespace tools
