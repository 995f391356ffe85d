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
                                    int minSmall) const
{
    const bool small = image.Width() / 2 >= minSmall && image.Height() / 2 >= minSmall;
    return WritePng(image, Path(folder + "/" + kTextureSets[0] + "/" + name + ".png")) &&
           WritePng(small ? image.Half() : image, Path(folder + "/" + kTextureSets[1] + "/" + name + ".png"));
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
    std::vector<Generator> list = Generators();
    std::stable_sort(list.begin(), list.end(), [](const Generator& a, const Generator& b) { return a.name < b.name; });
    return list;
}

SheetRegistrar::SheetRegistrar(const char* name, SheetFn render)
{
    Pages().push_back({name, render});
}

std::vector<SheetPage> RegisteredSheetPages()
{
    std::vector<SheetPage> list = Pages();
    std::stable_sort(list.begin(), list.end(), [](const SheetPage& a, const SheetPage& b) { return a.name < b.name; });
    return list;
}

}  // namespace assets
