#include "tools/assets/common/Registry.h"

#include "tools/assets/common/Files.h"

#include <algorithm>

namespace assets {

namespace {

// Function-local, so registrars in other files may run first.
std::vector<Generator>& Generators()
{
    static std::vector<Generator> list;
    return list;
}

std::vector<SheetPage>& Pages()
{
    static std::vector<SheetPage> list;
    return list;
}

// Stable, so that entries of one name keep the order they registered in.
template <typename Entry>
std::vector<Entry> SortedByName(std::vector<Entry> list)
{
    std::stable_sort(list.begin(), list.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return list;
}

}  // namespace

std::string AssetContext::ProjectDir() const
{
    return stageDir + "/data/pc";
}

std::string AssetContext::Path(const std::string& rel) const
{
    return JoinPath(ProjectDir(), rel);
}

bool AssetContext::WriteTextureSets(const std::string& folder, const std::string& name, const Image& image,
                                    int minSmall, TextureFile kind) const
{
    const bool small = image.Width() / 2 >= minSmall && image.Height() / 2 >= minSmall;
    const bool dds = kind == TextureFile::kDdsWithLevels;
    const auto write = dds ? &WriteDds : &WritePng;
    const std::string file = "/" + name + (dds ? ".dds" : ".png");
    return write(image, Path(folder + "/" + kTextureSets[0] + file)) &&
           write(small ? image.Half() : image, Path(folder + "/" + kTextureSets[1] + file));
}

bool AssetContext::WriteTexture(const std::string& folder, const std::string& name, const Image& image) const
{
    return WritePng(image, Path(folder + "/" + name + ".png"));
}

GeneratorRegistrar::GeneratorRegistrar(const char* name, GeneratorFn run)
{
    Generators().push_back({name, run});
}

std::vector<Generator> RegisteredGenerators()
{
    return SortedByName(Generators());
}

SheetRegistrar::SheetRegistrar(const char* name, SheetFn render)
{
    Pages().push_back({name, render});
}

std::vector<SheetPage> RegisteredSheetPages()
{
    return SortedByName(Pages());
}

}  // namespace assets
