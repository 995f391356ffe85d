#include "engine/world/RpLight.h"

#include "engine/core/RwPlugin.h"
#include "engine/world/RpWorld.h"

#include "framework/Debug.h"

RpLight* RpLightCreate(RwInt32 type)
{
    if (type != rpLightDirectional && type != rpLightAmbient) {
        LogError("RpLightCreate: light type %d is not supported\n", type);
        return nullptr;
    }
    auto* l = new RpLight{};
    l->object.object.type = rwObjectTypeLight;
    l->object.object.subType = RwUInt8(type);
    l->object.object.flags = rpLightLightAtomics | rpLightLightWorld;
    l->color = {1, 1, 1, 1};
    if (!RwPluginCreateExtension(rwPluginClassLight, l, &l->pluginData)) {
        LogError("RpLightCreate: a plugin refused the light\n");
        delete l;
        return nullptr;
    }
    return l;
}

RwBool RpLightDestroy(RpLight* light)
{
    if (!light)
        return false;
    if (light->world)
        RpWorldRemoveLight(light->world, light);
    RwPluginDestroyExtension(rwPluginClassLight, light, light->pluginData);
    RwObjectHasFrameSetFrame(light, nullptr);
    delete light;
    return true;
}

RpLight* RpLightSetColor(RpLight* light, const RwRGBAReal* color)
{
    if (!light || !color)
        return nullptr;
    light->color = *color;
    return light;
}

const RwRGBAReal* RpLightGetColor(const RpLight* light)
{
    return light ? &light->color : nullptr;
}

RpLight* RpLightSetFlags(RpLight* light, RwUInt32 flags)
{
    if (light)
        light->object.object.flags = RwUInt8(flags);
    return light;
}

RwUInt32 RpLightGetFlags(const RpLight* light)
{
    return light ? light->object.object.flags : 0;
}

RwInt32 RpLightGetType(const RpLight* light)
{
    return light ? RwInt32(light->object.object.subType) : RwInt32(rpLightNaLightType);
}

RpLight* RpLightSetFrame(RpLight* light, RwFrame* frame)
{
    if (light)
        RwObjectHasFrameSetFrame(light, frame);
    return light;
}

RwFrame* RpLightGetFrame(const RpLight* light)
{
    return light ? RwObjectGetFrame(light) : nullptr;
}

RpWorld* RpLightGetWorld(const RpLight* light)
{
    return light ? light->world : nullptr;
}
