#pragma once

// Textures (a raster with a name and sampling modes, reference counted) and texture
// dictionaries (named collections searched before image files are read).

#include "engine/core/RwTypes.h"

#include <vector>

struct RwRaster;
struct RwStream;
struct RwTexDictionary;

enum RwTextureFilterMode : RwInt32 {
    rwFilterNone = 0,
    rwFilterNearest = 1,
    rwFilterLinear = 2,
    rwFilterMipNearest = 3,        // nearest texel, nearest mip level
    rwFilterMipLinear = 4,         // nearest texel, blended mip levels
    rwFilterLinearMipNearest = 5,  // linear texel, nearest mip level
    rwFilterLinearMipLinear = 6,   // linear texel, blended mip levels
};

enum RwTextureAddressMode : RwInt32 {
    rwTextureAddressNone = 0,
    rwTextureAddressWrap = 1,
    rwTextureAddressMirror = 2,
    rwTextureAddressClamp = 3,
    rwTextureAddressBorder = 4,
};

enum : RwInt32 { rwTextureBaseNameLength = 128 };

struct RwTexture {
    RwRaster* raster;  // first field: callers read it through a cast
    RwTexDictionary* dict;
    char name[rwTextureBaseNameLength];
    char mask[rwTextureBaseNameLength];
    RwInt32 filter;    // RwTextureFilterMode
    RwInt32 addressU;  // RwTextureAddressMode
    RwInt32 addressV;
    RwInt32 refCount;
    RwUInt8* pluginData;
};

using RwTextureCallBackRead = RwTexture* (*)(const char* name, const char* maskName);
using RwTextureCallBack = RwTexture* (*)(RwTexture* texture, void* data);

// Reference count 1; filter linear, addressing wrap. The texture owns the raster.
RwTexture* RwTextureCreate(RwRaster* raster);
// Drops a reference; at zero the texture leaves its dictionary and is destroyed with its raster.
RwBool RwTextureDestroy(RwTexture* texture);
RwTexture* RwTextureAddRef(RwTexture* texture);
RwTexture* RwTextureSetName(RwTexture* texture, const char* name);
RwTexture* RwTextureSetMaskName(RwTexture* texture, const char* mask);
const char* RwTextureGetName(const RwTexture* texture);
const char* RwTextureGetMaskName(const RwTexture* texture);
RwRaster* RwTextureGetRaster(const RwTexture* texture);
RwTexture* RwTextureSetRaster(RwTexture* texture, RwRaster* raster);
RwTexture* RwTextureSetFilterMode(RwTexture* texture, RwTextureFilterMode filter);
RwTexture* RwTextureSetAddressing(RwTexture* texture, RwTextureAddressMode mode);  // U and V
RwTexture* RwTextureSetAddressingU(RwTexture* texture, RwTextureAddressMode mode);
RwTexture* RwTextureSetAddressingV(RwTexture* texture, RwTextureAddressMode mode);

// The texture of that name from the current dictionary (one more reference), else through the
// read callback; a texture so read joins the current dictionary, which takes a reference of
// its own. Null when there is none.
RwTexture* RwTextureRead(const char* name, const char* maskName);
RwBool RwTextureSetReadCallBack(RwTextureCallBackRead callback);
RwTextureCallBackRead RwTextureGetReadCallBack();
// The engine's own callback: RwImageRead (or the masked read) of the name, made into a
// texture; a missing image sets error 22.
RwTexture* RwTextureReadDefault(const char* name, const char* maskName);
// Flags for later reads: mip levels sampled, and built automatically.
RwBool RwTextureSetMipmapping(RwBool enable);
RwBool RwTextureGetMipmapping();
RwBool RwTextureSetAutoMipmapping(RwBool enable);
RwBool RwTextureGetAutoMipmapping();

struct RwTexDictionary {
    std::vector<RwTexture*> textures;  // the dictionary holds one reference of each
};

RwTexDictionary* RwTexDictionaryCreate();
// Drops the reference it holds of each texture, then destroys the dictionary: a texture
// someone else still holds lives on outside any dictionary.
RwBool RwTexDictionaryDestroy(RwTexDictionary* dict);
// Moves the texture here; the caller's reference becomes the dictionary's.
RwTexture* RwTexDictionaryAddTexture(RwTexDictionary* dict, RwTexture* texture);
// Takes the texture out of its dictionary; the dictionary's reference passes to the caller.
RwTexture* RwTexDictionaryRemoveTexture(RwTexture* texture);
RwTexture* RwTexDictionaryFindNamedTexture(RwTexDictionary* dict, const char* name);  // case-insensitive
RwTexDictionary* RwTexDictionaryForAllTextures(RwTexDictionary* dict, RwTextureCallBack callback, void* data);
RwTexDictionary* RwTexDictionaryGetCurrent();
RwTexDictionary* RwTexDictionarySetCurrent(RwTexDictionary* dict);  // null allowed
// After RwStreamFindChunk(22): reads the payload. Null with a log line on bad data.
RwTexDictionary* RwTexDictionaryStreamRead(RwStream* stream);
// Writes the whole chunk 22, header included, the pixels as RGBA8.
const RwTexDictionary* RwTexDictionaryStreamWrite(const RwTexDictionary* dict, RwStream* stream);
RwUInt32 RwTexDictionaryStreamGetSize(const RwTexDictionary* dict);  // payload only
