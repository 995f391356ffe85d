#include "engine/plugins/RpMatFX.h"

#include "engine/plugins/PluginInternal.h"

// Material and atomic extension MatFX (0x202), one Data chunk: {u32 effects} on materials
// (5: UV transform), {u32 enabled} on atomics. The UV matrices are set at run time, so they are
// not stored.

namespace {

constexpr RwUInt32 kPluginId = rwChunkMatFX;

RwUInt32 MaterialSize(const void* object, const void*)
{
    return static_cast<const RpMaterial*>(object)->fxEffects ? rwChunkHeaderSize + 4 : 0;
}

RwUInt32 AtomicSize(const void* object, const void*)
{
    return static_cast<const RpAtomic*>(object)->matFXEnabled ? rwChunkHeaderSize + 4 : 0;
}

RwBool WriteWord(RwStream* stream, RwUInt32 value)
{
    return RwStreamWriteChunkHeader(stream, rwChunkData, 1, 4) && RwStreamWriteUInt32(stream, &value, 1);
}

bool ReadWord(RwStream* stream, RwUInt32 length, RwUInt32* value)
{
    RwUInt32 size;
    return rpplugins::ReadDataHeader(stream, length, 4, &size, "RpMatFX stream read") &&
           RwStreamReadUInt32(stream, value, 1);
}

RwBool MaterialWrite(RwStream* stream, const void* object, const void*)
{
    return WriteWord(stream, static_cast<const RpMaterial*>(object)->fxEffects);
}

RwBool AtomicWrite(RwStream* stream, const void*, const void*)
{
    return WriteWord(stream, 1);
}

RwBool MaterialRead(RwStream* stream, RwUInt32 length, void* object, void*)
{
    RwUInt32 effects;
    if (!ReadWord(stream, length, &effects))
        return false;
    // An effect we cannot draw is dropped rather than failing the whole model.
    if (!RpMatFXMaterialSetEffects(static_cast<RpMaterial*>(object), effects))
        static_cast<RpMaterial*>(object)->fxEffects = rpMaterialFXNone;
    return true;
}

RwBool AtomicRead(RwStream* stream, RwUInt32 length, void* object, void*)
{
    RwUInt32 enabled;
    if (!ReadWord(stream, length, &enabled))
        return false;
    static_cast<RpAtomic*>(object)->matFXEnabled = enabled != 0;
    return true;
}

RwBool AtomicCopy(void* dst, void*, const void* src, const void*, RwInt32)
{
    static_cast<RpAtomic*>(dst)->matFXEnabled = static_cast<const RpAtomic*>(src)->matFXEnabled;
    return true;
}

}  // namespace

RwBool RpMatFXPluginAttach()
{
    // The effects live in the material and the atomic themselves: the plugin keeps no data.
    return RwEngineRegisterPlugin(rwPluginClassMaterial, kPluginId, 0, nullptr, nullptr, nullptr) >= 0 &&
           RwEngineRegisterPluginStream(rwPluginClassMaterial, kPluginId, MaterialRead, MaterialWrite,
                                        MaterialSize) >= 0 &&
           RwEngineRegisterPlugin(rwPluginClassAtomic, kPluginId, 0, nullptr, nullptr, AtomicCopy) >= 0 &&
           RwEngineRegisterPluginStream(rwPluginClassAtomic, kPluginId, AtomicRead, AtomicWrite, AtomicSize) >= 0;
}

RpAtomic* RpMatFXAtomicEnableEffects(RpAtomic* atomic)
{
    if (!atomic)
        return nullptr;
    atomic->matFXEnabled = true;
    return atomic;
}

RpMaterial* RpMatFXMaterialSetEffects(RpMaterial* material, RwUInt32 effects)
{
    if (!material)
        return nullptr;
    if (effects != rpMaterialFXNone && effects != rpMaterialFXUVTransform) {
        LogError("RpMatFXMaterialSetEffects: effect %u is not supported\n", effects);
        return nullptr;
    }
    material->fxEffects = effects;
    return material;
}

RpMaterial* RpMatFXMaterialSetUVTransformMatrices(RpMaterial* material, const RwMatrix* first,
                                                  const RwMatrix* second)
{
    if (!material)
        return nullptr;
    material->uvTransform[0] = first;
    material->uvTransform[1] = second;
    return material;
}
