#include "engine/world/RpStreamCommon.h"

#include "engine/world/RpWorldInternal.h"

#include "framework/Debug.h"

#include <cstdlib>

namespace rpworld {

bool ChunkIn::Read(void* out, uint64_t bytes)
{
    if (bytes > m_left)
        return Fail(m_where, "a field runs past the end of its chunk");
    if (bytes == 0)
        return true;
    if (RwStreamRead(m_stream, out, RwUInt32(bytes)) != bytes)
        return Fail(m_where, "the stream ends inside a chunk");
    m_left -= RwUInt32(bytes);
    return true;
}

bool ChunkIn::Skip(uint64_t bytes)
{
    if (bytes > m_left)
        return Fail(m_where, "a chunk runs past the end of its parent");
    if (bytes == 0)
        return true;
    if (!RwStreamSkip(m_stream, RwUInt32(bytes)))
        return Fail(m_where, "the stream ends inside a chunk");
    m_left -= RwUInt32(bytes);
    return true;
}

bool ChunkIn::Child(RwUInt32& type, RwUInt32& version, ChunkIn& child)
{
    if (m_left < rwChunkHeaderSize)
        return false;
    RwUInt32 length;
    if (!RwStreamReadChunkHeader(m_stream, &type, &length, &version)) {
        m_left = 0;
        return Fail(m_where, "the stream ends inside a chunk header");
    }
    m_left -= rwChunkHeaderSize;
    if (length > m_left) {
        LogError("%s: chunk 0x%x of %u bytes runs past its parent (%u bytes left)\n", m_where, type, length, m_left);
        m_left = 0;
        return false;
    }
    m_left -= length;
    child = ChunkIn(m_stream, length, m_where);
    return true;
}

bool ChunkIn::Expect(RwUInt32 type, ChunkIn& child, const char* what)
{
    RwUInt32 found, version;
    if (!Child(found, version, child)) {
        LogError("%s: %s missing\n", m_where, what);
        return false;
    }
    if (found != type) {
        LogError("%s: %s expected (chunk 0x%x), found chunk 0x%x\n", m_where, what, type, found);
        return false;
    }
    if (version > kFormatVersion) {
        LogError("%s: %s has version %u, this reader knows %u\n", m_where, what, version, kFormatVersion);
        return false;
    }
    return true;
}

size_t ChunkOut::Begin(RwUInt32 type)
{
    const size_t at = m_data.size();
    const RwUInt32 header[3] = {type, kFormatVersion, 0};
    Bytes(header, sizeof header);
    return at;
}

void ChunkOut::End(size_t at)
{
    const RwUInt32 size = RwUInt32(m_data.size() - at - rwChunkHeaderSize);
    std::memcpy(&m_data[at + 8], &size, sizeof size);
}

void ChunkOut::Bytes(const void* data, size_t size)
{
    const auto* p = static_cast<const RwUInt8*>(data);
    m_data.insert(m_data.end(), p, p + size);
}

void ChunkOut::String(const char* text)
{
    const RwUInt32 length = text ? RwUInt32(std::strlen(text)) : 0;
    const size_t at = Begin(rwChunkString);
    Put(length);
    Bytes(text ? text : "", length);
    End(at);
}

bool ChunkOut::Extension(RwPluginObjectClass cls, const void* object, const RwUInt8* block)
{
    // Plugins write to streams: let them write into memory, then take the bytes over.
    RwMemory mem{nullptr, 0};
    RwStream* s = RwStreamOpen(rwStreamMemory, rwStreamWrite, &mem);
    if (!s)
        return false;
    const bool ok = RwPluginStreamWriteExtension(cls, s, object, block);
    RwStreamClose(s, &mem);
    if (ok && mem.start)
        Bytes(mem.start, mem.length);
    std::free(mem.start);
    return ok;
}

// Material(0x131) { Data{u8 rgba[4]; f32 ambient, specular, diffuse}
//                   TextureRef(0x132)? { Data{u8 filter, addressU, addressV, pad}; String name; String mask }
//                   Extension(0x102) }
static RpMaterial* ReadMaterial(ChunkIn& in)
{
    ChunkIn data(nullptr, 0, in.Where());
    if (!in.Expect(rwChunkData, data, "material data"))
        return nullptr;
    RwUInt8 rgba[4];
    RwReal props[3];
    if (!data.Read(rgba, 4) || !data.GetArray(props, 3) || !in.Finish(data))
        return nullptr;
    RpMaterial* m = RpMaterialCreate();
    if (!m)
        return nullptr;
    m->color = {rgba[0], rgba[1], rgba[2], rgba[3]};
    m->surfaceProps = {props[0], props[1], props[2]};
    RwUInt32 type, version;
    ChunkIn child(nullptr, 0, in.Where());
    while (in.Child(type, version, child)) {
        bool ok = true;
        if (type == rwChunkTextureRef) {
            ChunkIn td(nullptr, 0, in.Where());
            RwUInt8 modes[4];
            char name[rwTextureBaseNameLength], mask[rwTextureBaseNameLength];
            ok = child.Expect(rwChunkData, td, "texture modes") && td.Read(modes, 4) && child.Finish(td);
            for (char* text : {name, mask}) {
                ChunkIn sc(nullptr, 0, in.Where());
                if (!ok || !(ok = child.Expect(rwChunkString, sc, "texture name")))
                    break;
                RwUInt32 length = 0;
                ok = sc.Get(length) && length < rwTextureBaseNameLength && sc.Read(text, length);
                if (ok)
                    text[length] = '\0';
                else
                    LogError("%s: bad texture name\n", in.Where());
            }
            if (ok) {
                RwTexture* t = RwTextureRead(name, mask[0] ? mask : nullptr);
                if (!t) {
                    LogWarning("%s: texture \"%s\" is missing\n", in.Where(), name);
                    SetTextureMissing();
                } else {
                    if (modes[0] <= rwFilterLinearMipLinear && modes[0] != rwFilterNone)
                        t->filter = modes[0];
                    if (modes[1] >= rwTextureAddressWrap && modes[1] <= rwTextureAddressBorder)
                        t->addressU = modes[1];
                    if (modes[2] >= rwTextureAddressWrap && modes[2] <= rwTextureAddressBorder)
                        t->addressV = modes[2];
                    RpMaterialSetTexture(m, t);
                    RwTextureDestroy(t);  // the material holds its own reference now
                }
            }
        } else if (type == rwChunkExtension) {
            ok = RwPluginStreamReadExtension(rwPluginClassMaterial, child.Stream(), child.Left(), m, m->pluginData);
            if (ok)
                child = ChunkIn(child.Stream(), 0, in.Where());
        }
        if (!ok || !in.Finish(child)) {
            RpMaterialDestroy(m);
            return nullptr;
        }
    }
    if (in.Left() != 0) {
        RpMaterialDestroy(m);
        return nullptr;
    }
    return m;
}

bool ReadMaterialList(ChunkIn& in, RpMaterialList& list)
{
    ChunkIn data(nullptr, 0, in.Where());
    RwUInt32 count = 0;
    if (!in.Expect(rwChunkData, data, "material list data") || !data.Get(count) || !in.Finish(data))
        return false;
    // Each material takes at least two chunk headers and its data.
    if (count > in.Left() / (2 * rwChunkHeaderSize + 16) || count > 65535)
        return Fail(in.Where(), "material count exceeds its chunk");
    for (RwUInt32 i = 0; i < count; ++i) {
        ChunkIn mc(nullptr, 0, in.Where());
        if (!in.Expect(rwChunkMaterial, mc, "material"))
            return false;
        RpMaterial* m = ReadMaterial(mc);
        if (!m)
            return false;
        MaterialListAppend(list, m);
        RpMaterialDestroy(m);
    }
    return true;
}

void WriteMaterialList(ChunkOut& out, const RpMaterialList& list)
{
    const size_t listAt = out.Begin(rwChunkMaterialList);
    size_t at = out.Begin(rwChunkData);
    out.Put(RwUInt32(list.numMaterials));
    out.End(at);
    for (RwInt32 i = 0; i < list.numMaterials; ++i) {
        const RpMaterial* m = list.materials[i];
        const size_t matAt = out.Begin(rwChunkMaterial);
        at = out.Begin(rwChunkData);
        const RwUInt8 rgba[4] = {m->color.red, m->color.green, m->color.blue, m->color.alpha};
        out.Bytes(rgba, 4);
        out.Put(m->surfaceProps.ambient);
        out.Put(m->surfaceProps.specular);
        out.Put(m->surfaceProps.diffuse);
        out.End(at);
        if (const RwTexture* t = m->texture) {
            const size_t texAt = out.Begin(rwChunkTextureRef);
            at = out.Begin(rwChunkData);
            const RwUInt8 modes[4] = {RwUInt8(t->filter), RwUInt8(t->addressU), RwUInt8(t->addressV), 0};
            out.Bytes(modes, 4);
            out.End(at);
            out.String(t->name);
            out.String(t->mask);
            out.End(texAt);
        }
        out.Extension(rwPluginClassMaterial, m, m->pluginData);
        out.End(matAt);
    }
    out.End(listAt);
}

}  // namespace rpworld
