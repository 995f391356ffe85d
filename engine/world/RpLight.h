#pragma once

// Lights: one ambient and any number of directional lights reach what a world draws.

#include "engine/core/RwFrame.h"

struct RpWorld;

enum RpLightType : RwInt32 {
    rpLightNaLightType = 0,
    rpLightDirectional = 1,  // travels along its frame's at axis
    rpLightAmbient = 2,
};

// The light's own flag byte.
enum RpLightFlag : RwUInt8 {
    rpLightLightAtomics = 1,
    rpLightLightWorld = 2,
};

struct RpLight {
    RwObjectHasFrame object;  // object.subType: RpLightType; object.flags: RpLightFlag
    RwRGBAReal color;
    RpWorld* world;       // the world it was added to, or null
    RwUInt8* pluginData;  // rwPluginClassLight
};

// White, flags 3 (atomics and world), no frame. Null for other types.
RpLight* RpLightCreate(RwInt32 type);
// Leaves its world first; its frame stays.
RwBool RpLightDestroy(RpLight* light);
RpLight* RpLightSetColor(RpLight* light, const RwRGBAReal* color);
const RwRGBAReal* RpLightGetColor(const RpLight* light);
RpLight* RpLightSetFlags(RpLight* light, RwUInt32 flags);
RwUInt32 RpLightGetFlags(const RpLight* light);
RwInt32 RpLightGetType(const RpLight* light);
RpLight* RpLightSetFrame(RpLight* light, RwFrame* frame);
RwFrame* RpLightGetFrame(const RpLight* light);
RpWorld* RpLightGetWorld(const RpLight* light);
