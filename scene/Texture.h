#pragma once

#include "framework/Object.h"
#include "framework/Singleton.h"

#include <string>
#include <vector>

struct RwRaster;
struct RwTexDictionary;
struct RwTexture;

// One engine texture read from an image file, with an optional mask image for its alpha.
class Texture : public Object {
public:
    Texture() = default;
    ~Texture() override;

    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    // Reading reloads the texture from the names read.
    void Serialize(Serializer& serializer, const char* descriptor) override;

    // Path aliases in both names are expanded. The engine looks in the current texture
    // dictionary before it reads the file. What was loaded before is released first; false
    // when the image cannot be read.
    bool Load(const char* fileName, const char* maskName);
    bool Release();
    // Names the files without loading them, for writers of tables; reading the table loads.
    void NameFiles(const std::string& fileName, const std::string& maskName)
    {
        m_fileName = fileName;
        m_maskName = maskName;
    }

    // Null until a load succeeds, and after Release.
    RwTexture* GetHandle() const { return m_texture; }
    RwRaster* GetRaster() const { return m_raster; }
    // The file name without its folder.
    const std::string& GetName() const { return m_name; }
    const std::string& GetFileName() const { return m_fileName; }
    const std::string& GetMaskName() const { return m_maskName; }

private:
    RwRaster* m_raster = nullptr;
    RwTexture* m_texture = nullptr;
    std::string m_name;
    std::string m_fileName;
    std::string m_maskName;
};

// Textures shared by file name, so that an image is loaded once, and the level's texture
// dictionary, which the engine searches before it reads image files.
class TextureManager : public Singleton<TextureManager>, public Object {
public:
    TextureManager() = default;
    ~TextureManager() override;

    // Lists the textures for the editor; reads nothing.
    void Serialize(Serializer& serializer, const char* descriptor) override;

    // The existing texture of the same file (and mask, when one is given), else a new one;
    // null when the image cannot be read. The mip-map flag stays set for later reads.
    Texture* CreateTexture(const char* fileName, const char* maskName, bool mipmap);
    // Without a mask name any mask matches. Names compare without regard to case.
    Texture* FindTexture(const char* fileName, const char* maskName) const;
    // Makes the file's dictionary current, dropping one read before. False, with the
    // current dictionary kept, when the file cannot be read or holds no dictionary.
    bool ReadDictionary(const char* fileName);

    void Initialise();
    // Releases every texture and puts back the dictionary that was current before the read.
    bool Shutdown();

    const std::vector<Texture*>& GetTextures() const { return m_textures; }
    RwTexDictionary* GetDictionary() const { return m_dictionary; }

private:
    void DropDictionary();

    std::vector<Texture*> m_textures;
    RwTexDictionary* m_previousDictionary = nullptr;
    RwTexDictionary* m_dictionary = nullptr;
};
