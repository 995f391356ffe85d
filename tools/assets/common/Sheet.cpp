#include "tools/assets/common/Sheet.h"

#include "engine/plugins/RpPlugins.h"
#include "engine/world/RpWorld.h"
#include "scene/EnginePlugins.h"

#include <cstdio>

namespace assets {

bool SheetCamera::Create(int width, int height, float viewWindow, float nearClip, float farClip)
{
    return OffscreenCamera::Create(width, height, viewWindow, viewWindow * static_cast<float>(height) / width, nearClip,
                                   farClip, rwRasterTypeCamera);
}

void SheetCamera::Place(const Frame3& f)
{
    RwMatrix m;
    RwMatrixSetIdentity(&m);
    m.right = ToRw(f.right);
    m.up = ToRw(f.up);
    m.at = ToRw(f.at);
    m.pos = ToRw(f.pos);
    OffscreenCamera::Place(m);
}

bool SheetCamera::Begin(Rgba clear)
{
    return OffscreenCamera::Begin(RwRGBA{clear.r, clear.g, clear.b, clear.a});
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

RwTextureCallBackRead g_imageRead = nullptr;

RwTexture* ReadAsTheGame(const char* name, const char* maskName)
{
    return ReadTextureDdsFirst(name, maskName, g_imageRead);
}

}  // namespace

bool RegisterImageReaders()
{
    // Textures are found as the game finds them, pictures with smaller levels among them.
    if (RwTextureGetReadCallBack() != &ReadAsTheGame) {
        g_imageRead = RwTextureGetReadCallBack();
        RwTextureSetReadCallBack(&ReadAsTheGame);
    }
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

}  // namespace assets
