#pragma once

#include "engine/core/RwTexture.h"

// The plugins the scene needs, attached between RwEngineInit and RwEngineOpen. Failures
// are logged; false only when the world plugin failed, the one the scene cannot do without.
bool AttachEnginePlugins();
// After RwEngineStart: the image formats beyond the engine's own.
void RegisterEngineImageFormats();

// How the game reads a texture: "grass.png" is first tried as "grass.dds" (a name whose only
// dot stands first, as it is), then through `fallback`.
RwTexture* ReadTextureDdsFirst(const char* name, const char* maskName, RwTextureCallBackRead fallback);
