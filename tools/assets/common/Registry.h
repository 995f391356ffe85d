#pragma once

// The generators of the asset tool. Each module registers its generators with a static
// registrar in its own source file:
//
//     static assets::GeneratorRegistrar reg("balls", &WriteBalls);
//
// and the tool runs every registered generator in name order, so the output never depends
// on link order. Contact-sheet pages register the same way with a SheetRegistrar.

#include "tools/assets/common/Image.h"

#include <string>
#include <vector>

namespace assets {

// The two texture sets every image is written in: full size, and half size for the small set.
inline constexpr const char* kTextureSets[2] = {"Textures24Bit", "SmallTextures24Bit"};

// Where a generator writes. Relative names are below the project folder ("data/pc"), with
// "/" separators and the letter case the game's names use.
struct AssetContext {
    std::string stageDir;  // root of the staged data; the game's "data" folder is stageDir/data

    std::string ProjectDir() const;                   // stageDir/data/pc
    std::string Path(const std::string& rel) const;   // ProjectDir()/rel

    enum class TextureFile { kPng, kDdsWithLevels };
    // Writes the image as "<folder>/<set>/<name>.png" (or ".dds") for both texture sets (the
    // small set at half size, but not below minSmall pixels on a side).
    bool WriteTextureSets(const std::string& folder, const std::string& name, const Image& image, int minSmall = 16,
                          TextureFile kind = TextureFile::kPng) const;
    // Writes the image once, as "<folder>/<name>.png" (for folders that are not texture sets).
    bool WriteTexture(const std::string& folder, const std::string& name, const Image& image) const;
};

using GeneratorFn = bool (*)(const AssetContext&);

struct Generator {
    std::string name;
    GeneratorFn run;
};

class GeneratorRegistrar {
public:
    GeneratorRegistrar(const char* name, GeneratorFn run);
};

// Every registered generator, sorted by name.
std::vector<Generator> RegisteredGenerators();

// Contact sheet: pictures of the staged data, rendered through the engine on a running GL
// device. stageDir is the data written by the generators, outDir where the PNGs go.
struct SheetContext {
    std::string stageDir;
    std::string outDir;
    std::string ProjectDir() const { return stageDir + "/data/pc"; }
};

using SheetFn = bool (*)(const SheetContext&);

struct SheetPage {
    std::string name;
    SheetFn render;
};

class SheetRegistrar {
public:
    SheetRegistrar(const char* name, SheetFn render);
};

std::vector<SheetPage> RegisteredSheetPages();

}  // namespace assets
