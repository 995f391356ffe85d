#pragma once

// Plugins hang extra data on engine objects and read and write it in the objects'
// Extension chunks. They register between RwEngineInit and RwEngineOpen; afterwards the
// layout of every object class is fixed.

#include "engine/core/RwTypes.h"

struct RwStream;

enum RwPluginObjectClass : RwInt32 {
    rwPluginClassFrame = 0,
    rwPluginClassGeometry,
    rwPluginClassMaterial,
    rwPluginClassAtomic,
    rwPluginClassClump,
    rwPluginClassWorld,
    rwPluginClassSector,
    rwPluginClassTexture,
    rwPluginClassLight,
    rwPluginClassCamera,
    rwPluginClassCount
};

// data points at the plugin's bytes inside the object's extension block (zeroed before the
// constructor runs). Constructors and copies return false to refuse the object.
using RwPluginConstructor = RwBool (*)(void* object, void* data, RwInt32 size);
using RwPluginDestructor = void (*)(void* object, void* data, RwInt32 size);
using RwPluginCopy = RwBool (*)(void* dstObject, void* dstData, const void* srcObject, const void* srcData,
                                RwInt32 size);
// Stream callbacks see only the payload of the plugin's chunk (its header is handled here).
using RwPluginStreamRead = RwBool (*)(RwStream* stream, RwUInt32 length, void* object, void* data);
using RwPluginStreamWrite = RwBool (*)(RwStream* stream, const void* object, const void* data);
// Payload size to write, or 0 to write nothing for this object.
using RwPluginStreamSize = RwUInt32 (*)(const void* object, const void* data);

// Registers pluginId for the class with size bytes of data per object (0 allowed).
// Returns the data's offset in the extension block, or -1 (after RwEngineOpen, before
// RwEngineInit, or when the id is already registered for that class).
RwInt32 RwEngineRegisterPlugin(RwPluginObjectClass cls, RwUInt32 pluginId, RwInt32 size,
                               RwPluginConstructor ctor, RwPluginDestructor dtor, RwPluginCopy copy);
// Adds stream handling to a registered plugin; the plugin id is its chunk type inside
// Extension chunks. Returns the offset or -1.
RwInt32 RwEngineRegisterPluginStream(RwPluginObjectClass cls, RwUInt32 pluginId, RwPluginStreamRead read,
                                     RwPluginStreamWrite write, RwPluginStreamSize size);
// Offset of the plugin's data, or -1 when it is not registered for that class.
RwInt32 RwEngineGetPluginOffset(RwPluginObjectClass cls, RwUInt32 pluginId);
RwBool RwEngineIsPluginAttached(RwUInt32 pluginId);

// For the owners of plugin-carrying objects. Create makes the block (null when no plugin is
// registered for the class) with every constructor run; false when one refused (nothing is left).
RwBool RwPluginCreateExtension(RwPluginObjectClass cls, void* object, RwUInt8** blockOut);
void RwPluginDestroyExtension(RwPluginObjectClass cls, void* object, RwUInt8* block);
RwBool RwPluginCopyExtension(RwPluginObjectClass cls, void* dstObject, RwUInt8* dstBlock, const void* srcObject,
                             const RwUInt8* srcBlock);
// Reads the payload of an Extension chunk (length bytes) into the object's plugins;
// unknown plugin chunks are skipped. False on a truncated or inconsistent payload.
RwBool RwPluginStreamReadExtension(RwPluginObjectClass cls, RwStream* stream, RwUInt32 length, void* object,
                                   RwUInt8* block);
// Writes a whole Extension chunk (header included), empty when no plugin writes.
RwBool RwPluginStreamWriteExtension(RwPluginObjectClass cls, RwStream* stream, const void* object,
                                    const RwUInt8* block);
// Size of that chunk including its header.
RwUInt32 RwPluginStreamExtensionSize(RwPluginObjectClass cls, const void* object, const RwUInt8* block);
