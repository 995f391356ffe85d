#pragma once

// Morph targets: a geometry keeps several, draws the first, and an atomic's bounding sphere
// follows its interpolator between the start and end targets.

#include "engine/core/RwCore.h"
#include "engine/world/RpWorld.h"

RwBool RpMorphPluginAttach();
// Sets the atomic's sphere to the one between the interpolator's start and end targets (at
// position / time) and clears rpInterpolatorDirtySphere.
RpAtomic* RpAtomicUpdateInterpolatedSphere(RpAtomic* atomic);
