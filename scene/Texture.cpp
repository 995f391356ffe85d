#include "scene/Texture.h"

#include "engine/core/RwCore.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "framework/Serializer.h"
#include "framework/StringUtil.h"

namespace {

// "a\b/c.png" -> folder "a\b/", base "c.png".
void SplitPath(const std::string& path, std::string& folder, std::string& base)
{
    const size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos) {
        folder.clear();
        base = path;
        return;
    }
    folder = path.substr(0, slash + 1);
    base = path.substr(slash + 1);
}

}  // namespace

Texture::~Texture()
{
    Release();
}

bool Texture::Load(const char* fileName, const char* maskName)
{
    Release();
    FileSystem* files = FileSystem::Instance();
    m_fileName = files->ExpandAliases(fileName ? fileName : "");
    m_maskName = maskName ? files->ExpandAliases(maskName) : std::string();

    std::string folder, maskFolder, maskBase;
    SplitPath(m_fileName, folder, m_name);
    if (!folder.empty())
        RwImageSetPath(folder.c_str());
    if (maskName)
        SplitPath(m_maskName, maskFolder, maskBase);

    m_texture = RwTextureRead(m_name.c_str(), maskName ? maskBase.c_str() : nullptr);
    if (!m_texture)
        return false;
    m_raster = RwTextureGetRaster(m_texture);
    return m_raster != nullptr;
}

bool Texture::Release()
{
    if (m_texture)
        RwTextureDestroy(m_texture);
    m_texture = nullptr;
    m_raster = nullptr;
    return true;
}

void Texture::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("Texture", descriptor);
    serializer.SerializeButton("filename [Bitmap|*.bmp|All|*.*]", "");
    serializer.SerializeString("filename", &m_fileName);
    serializer.SerializeButton("filename [Bitmap|*.bmp|All|*.*]", "");
    serializer.SerializeString("maskname", &m_maskName);
    serializer.EndSection();
    if (serializer.IsReading()) {
        Release();
        const std::string file = m_fileName;
        const std::string mask = m_maskName;
        Load(file.c_str(), mask.empty() ? nullptr : mask.c_str());
    }
}

TextureManager::~TextureManager()
{
    Shutdown();
}

void TextureManager::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("Texture Manager", descriptor);
    // The entries only show the textures; reading them would reload every texture.
    if (!serializer.IsReading()) {
        for (Texture* texture : m_textures) {
            serializer.SerializeButton("popup", "");
            serializer.SerializeObject(texture->GetName().c_str(), texture);
        }
    }
    serializer.EndSection();
}

Texture* TextureManager::CreateTexture(const char* fileName, const char* maskName, bool mipmap)
{
    RwTextureSetMipmapping(mipmap);
    RwTextureSetAutoMipmapping(mipmap);
    FileSystem* files = FileSystem::Instance();
    const std::string file = files->ExpandAliases(fileName ? fileName : "");
    const std::string mask = maskName ? files->ExpandAliases(maskName) : std::string();
    const char* maskArgument = maskName ? mask.c_str() : nullptr;

    if (Texture* existing = FindTexture(file.c_str(), maskArgument))
        return existing;

    DebugTrace("Create New Texture: %s %s\n", file.c_str(), mask.c_str());
    auto* texture = new Texture();
    if (!texture->Load(file.c_str(), maskArgument)) {
        DebugTrace("could not create texture: %s %s\n", file.c_str(), mask.c_str());
        delete texture;
        return nullptr;
    }
    m_textures.push_back(texture);
    return texture;
}

Texture* TextureManager::FindTexture(const char* fileName, const char* maskName) const
{
    const std::string file = fileName ? fileName : "";
    for (Texture* texture : m_textures) {
        if (!EqualsNoCase(texture->GetFileName(), file))
            continue;
        if (maskName && !EqualsNoCase(texture->GetMaskName(), maskName))
            continue;
        return texture;
    }
    return nullptr;
}

bool TextureManager::ReadDictionary(const char* fileName)
{
    const char* name = fileName ? fileName : "";
    RwStream* stream = RwStreamOpen(rwStreamFileName, rwStreamRead, name);
    if (!stream) {
        LogWarning("TextureManager::ReadDictionary - Could not read %s.\n", name);
        return false;
    }
    RwTexDictionary* dictionary = nullptr;
    if (RwStreamFindChunk(stream, rwChunkTexDictionary, nullptr, nullptr))
        dictionary = RwTexDictionaryStreamRead(stream);
    RwStreamClose(stream, nullptr);
    if (!dictionary) {
        LogWarning("TextureManager::ReadDictionary - No texture dictionary in %s.\n", name);
        return false;
    }
    // A level read before this one gives its dictionary back first, so the one remembered
    // as previous is never a dictionary of ours.
    DropDictionary();
    m_previousDictionary = RwTexDictionaryGetCurrent();
    m_dictionary = dictionary;
    RwTexDictionarySetCurrent(dictionary);
    return true;
}

void TextureManager::Initialise()
{
    m_previousDictionary = nullptr;
    m_dictionary = nullptr;
}

bool TextureManager::Shutdown()
{
    for (Texture* texture : m_textures) {
        texture->Release();
        delete texture;
    }
    m_textures.clear();
    DropDictionary();
    return true;
}

void TextureManager::DropDictionary()
{
    if (!m_dictionary)
        return;
    RwTexDictionarySetCurrent(m_previousDictionary);
    RwTexDictionaryDestroy(m_dictionary);
    m_dictionary = nullptr;
    m_previousDictionary = nullptr;
}
