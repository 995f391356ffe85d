#include "engine/core/RwPlugin.h"

#include "engine/core/RwEngine.h"
#include "engine/core/RwInternal.h"
#include "engine/core/RwStream.h"

#include "framework/Debug.h"

#include <cstdlib>
#include <vector>

namespace {

struct PluginEntry {
    RwUInt32 id;
    RwInt32 offset;
    RwInt32 size;
    RwPluginConstructor ctor;
    RwPluginDestructor dtor;
    RwPluginCopy copy;
    RwPluginStreamRead read;
    RwPluginStreamWrite write;
    RwPluginStreamSize streamSize;
};

struct ClassRegistry {
    std::vector<PluginEntry> entries;
    RwInt32 total = 0;
};

ClassRegistry g_classes[rwPluginClassCount];

bool ValidClass(RwPluginObjectClass cls)
{
    return cls >= 0 && cls < rwPluginClassCount;
}

PluginEntry* Find(RwPluginObjectClass cls, RwUInt32 id)
{
    for (PluginEntry& e : g_classes[cls].entries) {
        if (e.id == id)
            return &e;
    }
    return nullptr;
}

}  // namespace

void rwcore::ResetPlugins()
{
    for (ClassRegistry& c : g_classes)
        c = ClassRegistry{};
}

RwInt32 RwEngineRegisterPlugin(RwPluginObjectClass cls, RwUInt32 pluginId, RwInt32 size,
                               RwPluginConstructor ctor, RwPluginDestructor dtor, RwPluginCopy copy)
{
    if (RwEngineGetState() != rwcore::StateInitialised) {
        LogError("RwEngineRegisterPlugin: plugin 0x%x must attach between RwEngineInit and RwEngineOpen\n",
                 pluginId);
        return -1;
    }
    if (!ValidClass(cls) || size < 0 || Find(cls, pluginId)) {
        LogError("RwEngineRegisterPlugin: plugin 0x%x refused (class %d)\n", pluginId, int(cls));
        return -1;
    }
    ClassRegistry& reg = g_classes[cls];
    PluginEntry e{};
    e.id = pluginId;
    e.offset = reg.total;
    e.size = size;
    e.ctor = ctor;
    e.dtor = dtor;
    e.copy = copy;
    reg.total += (size + 7) & ~7;
    reg.entries.push_back(e);
    return e.offset;
}

RwInt32 RwEngineRegisterPluginStream(RwPluginObjectClass cls, RwUInt32 pluginId, RwPluginStreamRead read,
                                     RwPluginStreamWrite write, RwPluginStreamSize size)
{
    if (RwEngineGetState() != rwcore::StateInitialised || !ValidClass(cls))
        return -1;
    PluginEntry* e = Find(cls, pluginId);
    if (!e)
        return -1;
    e->read = read;
    e->write = write;
    e->streamSize = size;
    return e->offset;
}

RwInt32 RwEngineGetPluginOffset(RwPluginObjectClass cls, RwUInt32 pluginId)
{
    if (!ValidClass(cls))
        return -1;
    const PluginEntry* e = Find(cls, pluginId);
    return e ? e->offset : -1;
}

RwBool RwEngineIsPluginAttached(RwUInt32 pluginId)
{
    for (int c = 0; c < rwPluginClassCount; ++c) {
        if (Find(RwPluginObjectClass(c), pluginId))
            return true;
    }
    return false;
}

RwBool RwPluginCreateExtension(RwPluginObjectClass cls, void* object, RwUInt8** blockOut)
{
    *blockOut = nullptr;
    if (!ValidClass(cls))
        return false;
    ClassRegistry& reg = g_classes[cls];
    if (reg.entries.empty())
        return true;
    // Plugins without data still get a block, or their stream callbacks would never run.
    auto* block = static_cast<RwUInt8*>(std::calloc(1, size_t(reg.total > 0 ? reg.total : 1)));
    if (!block)
        return false;
    for (size_t i = 0; i < reg.entries.size(); ++i) {
        PluginEntry& e = reg.entries[i];
        if (e.ctor && !e.ctor(object, block + e.offset, e.size)) {
            while (i-- > 0) {
                PluginEntry& d = reg.entries[i];
                if (d.dtor)
                    d.dtor(object, block + d.offset, d.size);
            }
            std::free(block);
            return false;
        }
    }
    *blockOut = block;
    return true;
}

void RwPluginDestroyExtension(RwPluginObjectClass cls, void* object, RwUInt8* block)
{
    if (!block || !ValidClass(cls))
        return;
    ClassRegistry& reg = g_classes[cls];
    for (size_t i = reg.entries.size(); i-- > 0;) {
        PluginEntry& e = reg.entries[i];
        if (e.dtor)
            e.dtor(object, block + e.offset, e.size);
    }
    std::free(block);
}

RwBool RwPluginCopyExtension(RwPluginObjectClass cls, void* dstObject, RwUInt8* dstBlock, const void* srcObject,
                             const RwUInt8* srcBlock)
{
    if (!ValidClass(cls))
        return false;
    if (!dstBlock || !srcBlock)
        return dstBlock == srcBlock;
    for (PluginEntry& e : g_classes[cls].entries) {
        if (e.copy) {
            if (!e.copy(dstObject, dstBlock + e.offset, srcObject, srcBlock + e.offset, e.size))
                return false;
        }
    }
    return true;
}

RwBool RwPluginStreamReadExtension(RwPluginObjectClass cls, RwStream* stream, RwUInt32 length, void* object,
                                   RwUInt8* block)
{
    if (!ValidClass(cls))
        return false;
    RwUInt32 left = length;
    while (left > 0) {
        RwUInt32 type, size, version;
        if (left < rwChunkHeaderSize || !RwStreamReadChunkHeader(stream, &type, &size, &version)) {
            LogError("RwPluginStreamReadExtension: extension cut short\n");
            return false;
        }
        left -= rwChunkHeaderSize;
        if (size > left) {
            LogError("RwPluginStreamReadExtension: plugin chunk 0x%x of %u bytes exceeds its extension\n", type,
                     size);
            return false;
        }
        PluginEntry* e = Find(cls, type);
        if (e && e->read && block) {
            const int64_t start = RwStreamTell(stream);
            if (!e->read(stream, size, object, block + e->offset)) {
                LogError("RwPluginStreamReadExtension: plugin 0x%x failed to read\n", type);
                return false;
            }
            const int64_t used = RwStreamTell(stream) - start;
            if (used < 0 || used > int64_t(size)) {
                LogError("RwPluginStreamReadExtension: plugin 0x%x read past its chunk\n", type);
                return false;
            }
            if (used < int64_t(size) && !RwStreamSkip(stream, size - RwUInt32(used)))
                return false;
        } else if (size > 0 && !RwStreamSkip(stream, size)) {
            LogError("RwPluginStreamReadExtension: extension cut short\n");
            return false;
        }
        left -= size;
    }
    return true;
}

RwUInt32 RwPluginStreamExtensionSize(RwPluginObjectClass cls, const void* object, const RwUInt8* block)
{
    RwUInt32 total = rwChunkHeaderSize;
    if (!ValidClass(cls) || !block)
        return total;
    for (const PluginEntry& e : g_classes[cls].entries) {
        if (e.write && e.streamSize) {
            const RwUInt32 n = e.streamSize(object, block + e.offset);
            if (n > 0)
                total += rwChunkHeaderSize + n;
        }
    }
    return total;
}

RwBool RwPluginStreamWriteExtension(RwPluginObjectClass cls, RwStream* stream, const void* object,
                                    const RwUInt8* block)
{
    const RwUInt32 size = RwPluginStreamExtensionSize(cls, object, block);
    if (!RwStreamWriteChunkHeader(stream, rwChunkExtension, 1, size - rwChunkHeaderSize))
        return false;
    if (!ValidClass(cls) || !block)
        return true;
    for (const PluginEntry& e : g_classes[cls].entries) {
        if (!e.write || !e.streamSize)
            continue;
        const RwUInt32 n = e.streamSize(object, block + e.offset);
        if (n == 0)
            continue;
        const int64_t start = RwStreamTell(stream);
        if (!RwStreamWriteChunkHeader(stream, e.id, 1, n) || !e.write(stream, object, block + e.offset))
            return false;
        if (RwStreamTell(stream) - start != int64_t(rwChunkHeaderSize + n)) {
            LogError("RwPluginStreamWriteExtension: plugin 0x%x wrote a size other than it announced\n", e.id);
            return false;
        }
    }
    return true;
}
