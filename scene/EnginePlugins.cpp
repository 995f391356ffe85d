#include "scene/EnginePlugins.h"

#include "engine/core/RwCore.h"
#include "framework/Debug.h"

#include <string>

// The world and plugin libraries join the build when they exist (see CMakeLists.txt).
#if TB_HAVE_ENGINE_PLUGINS
#include "engine/plugins/RpPlugins.h"
#include "engine/world/RpWorld.h"
#endif

bool AttachEnginePlugins()
{
#if TB_HAVE_ENGINE_PLUGINS
    if (!RpWorldPluginAttach()) {
        LogError("\nRwGraphics::Initialise:(Warning) Failed to attach world plugin.\n");
        return false;
    }
    struct Step {
        RwBool (*attach)();
        const char* failure;
    };
    static const Step steps[] = {
        {RpHAnimPluginAttach, "RwGraphics::Initialise: Failed to attach RpHAnim plugin.\n"},
        {RpSkinPluginAttach, "RwGraphics::Initialise: Failed to attach RpSkin plugin.\n"},
        {RpSplinePluginAttach, "RwGraphics::Initialise: Failed to attach RpSpline plugin.\n"},
        {RpCollisionPluginAttach, "RwGraphics::Initialise: Failed to attach RpCollision plugin.\n"},
        {RpMatFXPluginAttach, "RwGraphics::Initialise: Failed to attach RpMatFX plugin.\n"},
        {RpUserDataPluginAttach, "RwGraphics::Initialise: Failed to attach RpUserData plugin.\n"},
        {RpDeltaMorphPluginAttach, "RwGraphics::Initialise: Failed to attach RpMorph plugin.\n"},
        {RpAnisotPluginAttach, "RwGraphics::Initialise: Failed to attach RpAnisot plugin.\n"},
        {RpPVSPluginAttach, "RwGraphics::Initialise: Failed to attach RpPVS plugin.\n"},
        {RpLtMapPluginAttach, "RwGraphics::Initialise: Failed to attach RpLtMap plugin.\n"},
        {RpRandomPluginAttach, "RwGraphics::Initialise: Failed to attach RpRandom plugin.\n"},
        {RpMorphPluginAttach, "RwGraphics::Initialise: Failed to attach RpMorph plugin.\n"},
    };
    for (const Step& step : steps) {
        if (!step.attach())
            LogError("%s", step.failure);
    }
    RwPaletteQuantizeSetDepth(8);
    RtAnimPluginAttach();
#else
    RwPaletteQuantizeSetDepth(8);
#endif
    return true;
}

void RegisterEngineImageFormats()
{
    if (!RwImageRegisterImageFormat("png", RtPngImageRead, nullptr))
        LogError("RwGraphics::Initialise: Failed to register PNG image format.\n");
#if TB_HAVE_ENGINE_PLUGINS
    if (!RwImageRegisterImageFormat("bmp", RtBmpImageRead, RtBmpImageWrite))
        LogError("RwGraphics::Initialise: Failed to register BMP image format.\n");
#endif
}

RwTexture* ReadTextureDdsFirst(const char* name, const char* maskName, RwTextureCallBackRead fallback)
{
    std::string base = name ? name : "";
    const size_t dot = base.find('.');
    if (dot != std::string::npos && dot > 0)
        base.resize(dot);
    if (RwTexture* texture = RwD3D8DdsTextureRead(base.c_str(), maskName))
        return texture;
    return fallback ? fallback(name, maskName) : nullptr;
}
