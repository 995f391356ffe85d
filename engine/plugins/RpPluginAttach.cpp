#include "engine/plugins/RpPlugins.h"

#include "framework/Debug.h"

namespace {

// Ids of the plugins that keep nothing; each marks one object class it would extend.
RwBool Register(RwPluginObjectClass cls, RwUInt32 id)
{
    return RwEngineRegisterPlugin(cls, id, 0, nullptr, nullptr, nullptr) >= 0;
}

}  // namespace

RwBool RpSplinePluginAttach()
{
    return Register(rwPluginClassClump, 0x210);
}

RwBool RpUserDataPluginAttach()
{
    return Register(rwPluginClassGeometry, rwChunkUserData) && Register(rwPluginClassFrame, rwChunkUserData);
}

RwBool RpDeltaMorphPluginAttach()
{
    return Register(rwPluginClassGeometry, 0x211);
}

RwBool RpAnisotPluginAttach()
{
    return Register(rwPluginClassTexture, 0x212);
}

RwBool RpPVSPluginAttach()
{
    return Register(rwPluginClassWorld, 0x213);
}

RwBool RpLtMapPluginAttach()
{
    return Register(rwPluginClassWorld, 0x214);
}

RwBool RpRandomPluginAttach()
{
    return Register(rwPluginClassClump, 0x215);
}

RwBool RpPluginsAttachAll()
{
    struct Step {
        const char* name;
        RwBool (*attach)();
    };
    static const Step steps[] = {
        {"RpHAnim", RpHAnimPluginAttach},         {"RpSkin", RpSkinPluginAttach},
        {"RpSpline", RpSplinePluginAttach},       {"RpCollision", RpCollisionPluginAttach},
        {"RpMatFX", RpMatFXPluginAttach},         {"RpUserData", RpUserDataPluginAttach},
        {"RpDeltaMorph", RpDeltaMorphPluginAttach}, {"RpAnisot", RpAnisotPluginAttach},
        {"RpPVS", RpPVSPluginAttach},             {"RpLtMap", RpLtMapPluginAttach},
        {"RpRandom", RpRandomPluginAttach},       {"RpMorph", RpMorphPluginAttach},
        {"RtAnim", RtAnimPluginAttach},
    };
    if (!RpWorldPluginAttach()) {
        LogError("RpPluginsAttachAll: failed to attach the world plugin\n");
        return false;
    }
    for (const Step& s : steps) {
        if (!s.attach())
            LogError("RpPluginsAttachAll: failed to attach the %s plugin\n", s.name);
    }
    return true;
}
