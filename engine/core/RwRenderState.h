#pragma once

// Render states. Values are pointer-sized; what a value means depends on the state:
// rasters are RwRaster*, colours packed like vertex colours (A R G B), booleans 0/1,
// reals bit-cast with RwRenderStateFromReal.

#include "engine/core/RwTypes.h"

#include <cstring>

enum RwRenderState : RwInt32 {
    rwRenderStateNa = 0,
    rwRenderStateTextureRaster = 1,
    rwRenderStateTextureAddress = 2,   // U and V together
    rwRenderStateTextureAddressU = 3,
    rwRenderStateTextureAddressV = 4,
    rwRenderStateZTestEnable = 6,
    rwRenderStateShadeMode = 7,
    rwRenderStateZWriteEnable = 8,
    rwRenderStateTextureFilter = 9,
    rwRenderStateSrcBlend = 10,
    rwRenderStateDestBlend = 11,
    rwRenderStateVertexAlphaEnable = 12,
    rwRenderStateBorderColor = 13,
    rwRenderStateFogEnable = 14,
    rwRenderStateFogColor = 15,
    rwRenderStateFogType = 16,
    rwRenderStateFogDensity = 17,
    rwRenderStateCullMode = 20,
    rwRenderStateAlphaTestFunction = 29,
    rwRenderStateAlphaTestFunctionRef = 30,  // 0..255
    // 0/1: everything drawn lies at the far depth, so with the z test on it shows only where
    // nothing has been drawn since the z-buffer was cleared.
    rwRenderStateZAtFar = 31,
    rwRenderStateCount = 32
};

enum RwBlendFunction : RwInt32 {
    rwBlendNa = 0,
    rwBlendZero = 1,
    rwBlendOne = 2,
    rwBlendSrcColor = 3,
    rwBlendInvSrcColor = 4,
    rwBlendSrcAlpha = 5,
    rwBlendInvSrcAlpha = 6,
    rwBlendDestAlpha = 7,
    rwBlendInvDestAlpha = 8,
    rwBlendDestColor = 9,
    rwBlendInvDestColor = 10,
    rwBlendSrcAlphaSat = 11,
};

enum RwAlphaTestFunction : RwInt32 {
    rwAlphaTestNever = 1,
    rwAlphaTestLess = 2,
    rwAlphaTestEqual = 3,
    rwAlphaTestLessEqual = 4,
    rwAlphaTestGreater = 5,
    rwAlphaTestNotEqual = 6,
    rwAlphaTestGreaterEqual = 7,
    rwAlphaTestAlways = 8,
};

enum RwShadeMode : RwInt32 { rwShadeFlat = 1, rwShadeGouraud = 2 };
enum RwFogType : RwInt32 { rwFogLinear = 1, rwFogExponential = 2, rwFogExponential2 = 3 };
enum RwCullMode : RwInt32 { rwCullNone = 1, rwCullBack = 2, rwCullFront = 3 };

inline intptr_t RwRenderStateFromReal(RwReal value)
{
    RwUInt32 bits;
    std::memcpy(&bits, &value, sizeof bits);
    return intptr_t(bits);
}

inline RwReal RwRenderStateToReal(intptr_t value)
{
    RwUInt32 bits = RwUInt32(value);
    RwReal r;
    std::memcpy(&r, &bits, sizeof r);
    return r;
}

// False for an unknown state or a value out of its range (the state keeps its value).
RwBool RwRenderStateSet(RwRenderState state, intptr_t value);
RwBool RwRenderStateGet(RwRenderState state, intptr_t* value);
// Every state back to its default (engine start and tests).
void RwRenderStateReset();

// Device states set directly; the z bias is the only one: a value > 0 pulls what is drawn
// towards the camera so decals win the depth test against the surface under them.
enum RwD3D8RenderState : RwUInt32 { rwD3D8RenderStateZBias = 47 };
RwBool RwD3D8SetRenderState(RwUInt32 state, RwUInt32 value);
RwBool RwD3D8GetRenderState(RwUInt32 state, RwUInt32* value);
