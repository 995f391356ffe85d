#include "engine/core/RwRenderState.h"

#include "engine/core/RwInternal.h"

#include "framework/Debug.h"

namespace {

intptr_t g_states[rwRenderStateCount];
RwUInt32 g_zBias = 0;  // as last set, for draws that are sent later

intptr_t DefaultValue(RwInt32 state)
{
    switch (state) {
    case rwRenderStateTextureAddress:
    case rwRenderStateTextureAddressU:
    case rwRenderStateTextureAddressV: return 1;  // wrap
    case rwRenderStateZTestEnable:
    case rwRenderStateZWriteEnable: return 1;
    case rwRenderStateShadeMode: return rwShadeGouraud;
    case rwRenderStateTextureFilter: return 2;  // linear
    case rwRenderStateSrcBlend: return rwBlendSrcAlpha;
    case rwRenderStateDestBlend: return rwBlendInvSrcAlpha;
    case rwRenderStateFogType: return rwFogLinear;
    case rwRenderStateFogDensity: return RwRenderStateFromReal(1.0f);
    case rwRenderStateCullMode: return rwCullNone;
    case rwRenderStateAlphaTestFunction: return rwAlphaTestGreater;
    default: return 0;
    }
}

bool InRange(intptr_t v, intptr_t lo, intptr_t hi)
{
    return v >= lo && v <= hi;
}

// Whether a state code exists and the value is one it can take.
bool Valid(RwInt32 state, intptr_t value)
{
    switch (state) {
    case rwRenderStateTextureRaster:
    case rwRenderStateBorderColor:
    case rwRenderStateFogColor:
    case rwRenderStateFogDensity: return true;
    case rwRenderStateTextureAddress:
    case rwRenderStateTextureAddressU:
    case rwRenderStateTextureAddressV: return InRange(value, 1, 4);
    case rwRenderStateZTestEnable:
    case rwRenderStateZWriteEnable:
    case rwRenderStateVertexAlphaEnable:
    case rwRenderStateFogEnable:
    case rwRenderStateZAtFar: return InRange(value, 0, 1);
    case rwRenderStateShadeMode: return InRange(value, 1, 2);
    case rwRenderStateTextureFilter: return InRange(value, 0, 6);
    case rwRenderStateSrcBlend:
    case rwRenderStateDestBlend: return InRange(value, 1, 11);
    case rwRenderStateFogType: return InRange(value, 1, 3);
    case rwRenderStateCullMode: return InRange(value, 1, 3);
    case rwRenderStateAlphaTestFunction: return InRange(value, 1, 8);
    case rwRenderStateAlphaTestFunctionRef: return InRange(value, 0, 255);
    default: return false;
    }
}

void Store(RwRenderState state, intptr_t value)
{
    g_states[state] = value;
    if (RwDevice* d = RwDeviceGetCurrent())
        d->SetRenderState(state, value);
}

}  // namespace

intptr_t rwcore::CurrentState(RwRenderState state)
{
    return state > 0 && state < rwRenderStateCount ? g_states[state] : 0;
}

RwBool RwRenderStateSet(RwRenderState state, intptr_t value)
{
    if (!Valid(state, value)) {
        LogError("RwRenderStateSet: state %d cannot take %lld\n", int(state), static_cast<long long>(value));
        return false;
    }
    if (state == rwRenderStateTextureAddress) {
        Store(rwRenderStateTextureAddressU, value);
        Store(rwRenderStateTextureAddressV, value);
    }
    Store(state, value);
    return true;
}

RwBool RwRenderStateGet(RwRenderState state, intptr_t* value)
{
    if (!value || state <= 0 || state >= rwRenderStateCount || !Valid(state, DefaultValue(state)))
        return false;
    *value = g_states[state];
    return true;
}

void RwRenderStateReset()
{
    for (RwInt32 s = 1; s < rwRenderStateCount; ++s) {
        if (Valid(s, DefaultValue(s)))
            Store(RwRenderState(s), DefaultValue(s));
    }
    g_zBias = 0;
    if (RwDevice* d = RwDeviceGetCurrent())
        d->SetZBias(0);
}

RwBool RwD3D8SetRenderState(RwUInt32 state, RwUInt32 value)
{
    if (state != rwD3D8RenderStateZBias) {
        LogError("RwD3D8SetRenderState: device state %u is not supported\n", state);
        return false;
    }
    g_zBias = value;
    if (RwDevice* d = RwDeviceGetCurrent())
        d->SetZBias(RwInt32(value));
    return true;
}

RwBool RwD3D8GetRenderState(RwUInt32 state, RwUInt32* value)
{
    if (state != rwD3D8RenderStateZBias || !value)
        return false;
    *value = g_zBias;
    return true;
}
