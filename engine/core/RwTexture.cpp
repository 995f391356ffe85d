#include "engine/core/RwTexture.h"

#include "engine/core/RwEngine.h"
#include "engine/core/RwImage.h"
#include "engine/core/RwInternal.h"
#include "engine/core/RwPlugin.h"
#include "engine/core/RwRaster.h"

#include "framework/Debug.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

RwTextureCallBackRead g_readCallBack = RwTextureReadDefault;
RwTexDictionary* g_current = nullptr;
bool g_mipmapping = false;
bool g_autoMipmapping = false;

void CopyName(char* dst, const char* src)
{
    std::snprintf(dst, rwTextureBaseNameLength, "%s", src ? src : "");
}

std::string WithoutExtension(const char* name)
{
    const std::string s = name;
    const size_t dot = s.find('.');
    return dot != std::string::npos && dot > 0 ? s.substr(0, dot) : s;
}

}  // namespace

RwTexture* rwcore::TextureFromImage(RwImage* image, const char* name, const char* mask, bool levels)
{
    if (!image || !RwImageConvertTo32(image))
        return nullptr;
    RwInt32 flags = rwRasterTypeTexture | rwRasterFormat8888;
    if (g_mipmapping || levels)
        flags |= rwRasterFormatMipmap;
    if (g_autoMipmapping || levels)
        flags |= rwRasterFormatAutoMipmap;
    RwRaster* raster = RwRasterCreate(image->width, image->height, 32, flags);
    if (!raster || !RwRasterSetFromImage(raster, image)) {
        RwRasterDestroy(raster);
        return nullptr;
    }
    RwTexture* texture = RwTextureCreate(raster);
    if (!texture) {
        RwRasterDestroy(raster);
        return nullptr;
    }
    RwTextureSetName(texture, name);
    RwTextureSetMaskName(texture, mask);
    if (g_mipmapping || levels)
        texture->filter = rwFilterLinearMipLinear;
    return texture;
}

RwTexture* RwTextureCreate(RwRaster* raster)
{
    auto* texture = new RwTexture{};
    texture->raster = raster;
    texture->filter = rwFilterLinear;
    texture->addressU = texture->addressV = rwTextureAddressWrap;
    texture->refCount = 1;
    if (!RwPluginCreateExtension(rwPluginClassTexture, texture, &texture->pluginData)) {
        LogError("RwTextureCreate: a plugin refused the texture\n");
        delete texture;
        return nullptr;
    }
    return texture;
}

RwBool RwTextureDestroy(RwTexture* texture)
{
    if (!texture)
        return false;
    if (--texture->refCount > 0)
        return true;
    RwTexDictionaryRemoveTexture(texture);
    RwPluginDestroyExtension(rwPluginClassTexture, texture, texture->pluginData);
    RwRasterDestroy(texture->raster);
    delete texture;
    return true;
}

RwTexture* RwTextureAddRef(RwTexture* texture)
{
    if (texture)
        texture->refCount++;
    return texture;
}

RwTexture* RwTextureSetName(RwTexture* texture, const char* name)
{
    CopyName(texture->name, name);
    return texture;
}

RwTexture* RwTextureSetMaskName(RwTexture* texture, const char* mask)
{
    CopyName(texture->mask, mask);
    return texture;
}

const char* RwTextureGetName(const RwTexture* texture) { return texture->name; }
const char* RwTextureGetMaskName(const RwTexture* texture) { return texture->mask; }
RwRaster* RwTextureGetRaster(const RwTexture* texture) { return texture->raster; }

RwTexture* RwTextureSetRaster(RwTexture* texture, RwRaster* raster)
{
    texture->raster = raster;
    return texture;
}

RwTexture* RwTextureSetFilterMode(RwTexture* texture, RwTextureFilterMode filter)
{
    texture->filter = filter;
    return texture;
}

RwTexture* RwTextureSetAddressing(RwTexture* texture, RwTextureAddressMode mode)
{
    texture->addressU = texture->addressV = mode;
    return texture;
}

RwTexture* RwTextureSetAddressingU(RwTexture* texture, RwTextureAddressMode mode)
{
    texture->addressU = mode;
    return texture;
}

RwTexture* RwTextureSetAddressingV(RwTexture* texture, RwTextureAddressMode mode)
{
    texture->addressV = mode;
    return texture;
}

RwTexture* RwTextureRead(const char* name, const char* maskName)
{
    if (!name || !*name)
        return nullptr;
    if (g_current) {
        RwTexture* t = RwTexDictionaryFindNamedTexture(g_current, name);
        if (!t)
            t = RwTexDictionaryFindNamedTexture(g_current, WithoutExtension(name).c_str());
        if (t)
            return RwTextureAddRef(t);
    }
    RwTexture* texture = g_readCallBack ? g_readCallBack(name, maskName) : nullptr;
    if (texture && g_current && !texture->dict) {
        // The dictionary's own reference: the caller keeps the one the read gave.
        RwTexDictionaryAddTexture(g_current, RwTextureAddRef(texture));
    }
    return texture;
}

RwTexture* RwTextureReadDefault(const char* name, const char* maskName)
{
    RwImage* image = maskName && *maskName ? RwImageReadMaskedImage(name, maskName) : RwImageRead(name);
    if (!image) {
        const RwError missing{0, rwErrorTextureMissing};
        RwErrorSet(&missing);
        LogMessage("RwTextureRead: texture %s is missing\n", name);
        return nullptr;
    }
    RwTexture* texture = rwcore::TextureFromImage(image, name, maskName);
    RwImageDestroy(image);
    return texture;
}

RwBool RwTextureSetReadCallBack(RwTextureCallBackRead callback)
{
    g_readCallBack = callback ? callback : RwTextureReadDefault;
    return true;
}

RwTextureCallBackRead RwTextureGetReadCallBack()
{
    return g_readCallBack;
}

RwBool RwTextureSetMipmapping(RwBool enable)
{
    g_mipmapping = enable != 0;
    return true;
}

RwBool RwTextureGetMipmapping()
{
    return g_mipmapping;
}

RwBool RwTextureSetAutoMipmapping(RwBool enable)
{
    g_autoMipmapping = enable != 0;
    return true;
}

RwBool RwTextureGetAutoMipmapping()
{
    return g_autoMipmapping;
}

RwTexDictionary* RwTexDictionaryCreate()
{
    return new RwTexDictionary;
}

RwBool RwTexDictionaryDestroy(RwTexDictionary* dict)
{
    if (!dict)
        return false;
    if (g_current == dict)
        g_current = nullptr;
    const std::vector<RwTexture*> textures = dict->textures;
    dict->textures.clear();
    for (RwTexture* t : textures) {
        t->dict = nullptr;
        RwTextureDestroy(t);
    }
    delete dict;
    return true;
}

RwTexture* RwTexDictionaryAddTexture(RwTexDictionary* dict, RwTexture* texture)
{
    if (!dict || !texture)
        return nullptr;
    RwTexDictionaryRemoveTexture(texture);
    dict->textures.push_back(texture);
    texture->dict = dict;
    return texture;
}

RwTexture* RwTexDictionaryRemoveTexture(RwTexture* texture)
{
    if (!texture || !texture->dict)
        return texture;
    auto& v = texture->dict->textures;
    v.erase(std::remove(v.begin(), v.end(), texture), v.end());
    texture->dict = nullptr;
    return texture;
}

RwTexture* RwTexDictionaryFindNamedTexture(RwTexDictionary* dict, const char* name)
{
    if (!dict || !name)
        return nullptr;
    for (RwTexture* t : dict->textures) {
        if (rwcore::EqualsNoCaseAscii(t->name, name))
            return t;
    }
    return nullptr;
}

RwTexDictionary* RwTexDictionaryForAllTextures(RwTexDictionary* dict, RwTextureCallBack callback, void* data)
{
    const std::vector<RwTexture*> textures = dict->textures;  // the callback may destroy
    for (RwTexture* t : textures) {
        if (!callback(t, data))
            break;
    }
    return dict;
}

RwTexDictionary* RwTexDictionaryGetCurrent()
{
    return g_current;
}

RwTexDictionary* RwTexDictionarySetCurrent(RwTexDictionary* dict)
{
    g_current = dict;
    return dict;
}
