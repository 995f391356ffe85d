#include "tools/assets/common/Sheet.h"

#include "engine/plugins/RpPlugins.h"
#include "engine/world/RpWorld.h"
#include "tools/assets/common/Image.h"

#include <cstdio>

namespace assets {

SheetCamera::~SheetCamera()
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
}

bool SheetCamera::Create(int width, int height, float viewWindow, float nearClip, float farClip)
{
    m_width = width;
    m_height = height;
    m_raster = RwRasterCreate(width, height, 0, rwRasterTypeCamera);
    m_zRaster = RwRasterCreate(width, height, 0, rwRasterTypeZBuffer);
    m_frame = RwFrameCreate();
    m_camera = RwCameraCreate();
    if (!m_raster || !m_zRaster || !m_frame || !m_camera)
        return false;
    RwCameraSetRaster(m_camera, m_raster);
    RwCameraSetZRaster(m_camera, m_zRaster);
    RwObjectHasFrameSetFrame(m_camera, m_frame);
    const RwV2d view{viewWindow, viewWindow * float(height) / float(width)};
    RwCameraSetViewWindow(m_camera, &view);
    RwCameraSetNearClipPlane(m_camera, nearClip);
    RwCameraSetFarClipPlane(m_camera, farClip);
    return true;
}

void SheetCamera::Place(const Frame3& f)
{
    RwMatrix* m = RwFrameGetMatrix(m_frame);
    m->right = ToRw(f.right);
    m->up = ToRw(f.up);
    m->at = ToRw(f.at);
    m->pos = ToRw(f.pos);
    RwMatrixUpdateFlags(m);
    RwFrameUpdateObjects(m_frame);
}

bool SheetCamera::Begin(Rgba clear)
{
    const RwRGBA c{clear.r, clear.g, clear.b, clear.a};
    RwCameraClear(m_camera, &c, rwCameraClearImage | rwCameraClearZ);
    return RwCameraBeginUpdate(m_camera) != nullptr;
}

void SheetCamera::End()
{
    RwCameraEndUpdate(m_camera);
}

bool SheetCamera::SavePng(const std::string& path) const
{
    RwImage* image = RwImageCreate(m_width, m_height, 32);
    RwImageAllocatePixels(image);
    bool ok = RwImageSetFromRaster(image, m_raster) != nullptr;
    if (ok) {
        Image out(image->width, image->height);
        for (int y = 0; y < image->height; ++y)
            for (int x = 0; x < image->width; ++x) {
                const RwUInt8* p = image->pixels + size_t(y) * size_t(image->stride) + size_t(x) * 4;
                out.Set(x, y, {p[0], p[1], p[2], 255});
            }
        ok = WritePng(out, path);
    }
    RwImageDestroy(image);
    return ok;
}

namespace {

template <typename Read>
auto ReadChunk(const std::string& path, const std::string& textureFolder, RwUInt32 chunk, Read read)
    -> decltype(read(nullptr))
{
    const std::string savedPath = RwImageGetPath() ? RwImageGetPath() : "";
    RwImageSetPath(textureFolder.c_str());
    decltype(read(nullptr)) result = nullptr;
    if (RwStream* stream = RwStreamOpen(rwStreamFileName, rwStreamRead, path.c_str())) {
        RwUInt32 length = 0, version = 0;
        if (RwStreamFindChunk(stream, chunk, &length, &version))
            result = read(stream);
        RwStreamClose(stream, nullptr);
    }
    RwImageSetPath(savedPath.c_str());
    if (!result)
        std::fprintf(stderr, "tbasset: cannot read %s\n", path.c_str());
    return result;
}

}  // namespace

bool RegisterImageReaders()
{
    return RwImageRegisterImageFormat("png", &RtPngImageRead, nullptr);
}

RpClump* LoadClump(const std::string& path, const std::string& textureFolder)
{
    return ReadChunk(path, textureFolder, rwChunkClump, [](RwStream* s) { return RpClumpStreamRead(s); });
}

RpWorld* LoadWorld(const std::string& path, const std::string& textureFolder)
{
    return ReadChunk(path, textureFolder, rwChunkWorld, [](RwStream* s) { return RpWorldStreamRead(s); });
}

LitWorld CreateLitWorld(RpWorld* world, Vec3 lightDirection, float ambient, float diffuse)
{
    LitWorld lit;
    lit.world = world;
    lit.ambient = RpLightCreate(rpLightAmbient);
    lit.sun = RpLightCreate(rpLightDirectional);
    const RwRGBAReal a{ambient, ambient, ambient, 1}, d{diffuse, diffuse, diffuse * 0.95f, 1};
    RpLightSetColor(lit.ambient, &a);
    RpLightSetColor(lit.sun, &d);
    lit.sunFrame = RwFrameCreate();
    const Frame3 f = Frame3::LookAt({0, 0, 0}, lightDirection);
    RwMatrix* m = RwFrameGetMatrix(lit.sunFrame);
    m->right = ToRw(f.right);
    m->up = ToRw(f.up);
    m->at = ToRw(f.at);
    m->pos = {0, 0, 0};
    RwMatrixUpdateFlags(m);
    RpLightSetFrame(lit.sun, lit.sunFrame);
    RpWorldAddLight(world, lit.ambient);
    RpWorldAddLight(world, lit.sun);
    return lit;
}

void DestroyLitWorld(LitWorld& lit, bool destroyWorld)
{
    if (lit.world) {
        RpWorldRemoveLight(lit.world, lit.ambient);
        RpWorldRemoveLight(lit.world, lit.sun);
    }
    RpLightDestroy(lit.ambient);
    RpLightDestroy(lit.sun);
    RwFrameDestroy(lit.sunFrame);
    if (destroyWorld && lit.world)
        RpWorldDestroy(lit.world);
    lit = {};
}

}  // namespace assets
