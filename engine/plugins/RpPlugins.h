#pragma once

// Every animation and effect plugin, and their attachment. Attach functions run between
// RwEngineInit and RwEngineOpen and return false on failure (also when called at another time
// or a second time in one engine session).

#include "engine/plugins/RpHAnim.h"
#include "engine/plugins/RpMatFX.h"
#include "engine/plugins/RpMorph.h"
#include "engine/plugins/RpSkin.h"
#include "engine/plugins/RtAnim.h"
#include "engine/plugins/RtBmp.h"
#include "engine/world/RpCollision.h"

// These only register: nothing reads their data or calls them.
RwBool RpSplinePluginAttach();
RwBool RpUserDataPluginAttach();  // user data chunks (0x203) are then skipped by readers
RwBool RpDeltaMorphPluginAttach();
RwBool RpAnisotPluginAttach();
RwBool RpPVSPluginAttach();
RwBool RpLtMapPluginAttach();
RwBool RpRandomPluginAttach();

// World, HAnim, skin, spline, collision, MatFX, user data, delta morph, anisotropy, PVS, light
// maps, random, morph, then the animation toolkit. A failure is logged and the rest still
// attach. False only when the world plugin failed, the one the engine cannot do without.
RwBool RpPluginsAttachAll();
