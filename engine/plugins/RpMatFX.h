#pragma once

// Material effects: the UV transform. The matrices stay the caller's and are read at every
// draw of an atomic whose effects are enabled.

#include "engine/core/RwCore.h"
#include "engine/world/RpWorld.h"

RwBool RpMatFXPluginAttach();

RpAtomic* RpMatFXAtomicEnableEffects(RpAtomic* atomic);
// rpMaterialFXNone or rpMaterialFXUVTransform; null (logged) for other effects.
RpMaterial* RpMatFXMaterialSetEffects(RpMaterial* material, RwUInt32 effects);
// The pointers are kept, not the values; second may be null.
RpMaterial* RpMatFXMaterialSetUVTransformMatrices(RpMaterial* material, const RwMatrix* first,
                                                  const RwMatrix* second);
