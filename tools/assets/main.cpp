// tbasset: writes the game's default data set from code.
//   tbasset <stage dir> [--manifest <file>]      every registered generator, in name order
//   tbasset --contact-sheet <stage dir> <out dir>  pictures of the staged data, through the
//                                                  engine on the GL device (offscreen works)
// With --manifest the list of files written goes to that file, and files a previous run
// listed there but this run no longer makes are removed from the stage.
#include "engine/plugins/RpPlugins.h"
#include "tools/assets/common/Files.h"
#include "tools/assets/common/Registry.h"
#include "tools/assets/common/Sheet.h"
#include "tools/common/OffscreenSession.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

namespace {

int Usage()
{
    std::fprintf(stderr,
                 "usage: tbasset <stage dir> [--manifest <file>]\n"
                 "       tbasset --contact-sheet <stage dir> <out dir>\n");
    return 2;
}

std::set<std::string> ReadManifest(const std::string& path)
{
    std::set<std::string> files;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        if (!line.empty())
            files.insert(line);
    return files;
}

bool UpdateManifest(const std::string& manifest)
{
    const std::set<std::string> old = ReadManifest(manifest);
    const std::set<std::string> now(assets::WrittenFiles().begin(), assets::WrittenFiles().end());
    for (const std::string& file : old)
        if (!now.contains(file)) {
            std::error_code ec;
            std::filesystem::remove(file, ec);
        }
    std::string text;
    for (const std::string& file : now)
        text += file + "\n";
    return assets::WriteTextFile(manifest, text);
}

int Generate(const std::string& stageDir, const std::string& manifest)
{
    const auto start = std::chrono::steady_clock::now();
    if (!RwEngineStartUp(rwDeviceNull, nullptr, &RpPluginsAttachAll)) {
        std::fprintf(stderr, "tbasset: the engine does not start\n");
        return 1;
    }
    assets::AssetContext context;
    context.stageDir = std::filesystem::absolute(stageDir).lexically_normal().string();
    int failures = 0;
    for (const assets::Generator& generator : assets::RegisteredGenerators())
        if (!generator.run(context)) {
            std::fprintf(stderr, "tbasset: generator %s failed\n", generator.name.c_str());
            ++failures;
        }
    RwEngineShutDown();
    if (!manifest.empty() && !UpdateManifest(manifest))
        ++failures;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("tbasset: %zu files in %.2f s%s\n", assets::WrittenFiles().size(), seconds,
                failures ? ", with failures" : "");
    return failures ? 1 : 0;
}

int ContactSheet(const std::string& stageDir, const std::string& outDir)
{
    tools::OffscreenSession session("tbasset", 800, 600);
    if (!session.Start(tools::OffscreenSession::kStartEngine, &RpPluginsAttachAll))
        return 1;
    if (!assets::RegisterImageReaders()) {
        std::fprintf(stderr, "tbasset: the engine reads no PNG images\n");
        return 1;
    }
    const assets::SheetContext context{std::filesystem::absolute(stageDir).lexically_normal().string(),
                                       std::filesystem::absolute(outDir).lexically_normal().string()};
    std::filesystem::create_directories(context.outDir);
    int failures = 0;
    for (const assets::SheetPage& page : assets::RegisteredSheetPages())
        if (!page.render(context)) {
            std::fprintf(stderr, "tbasset: contact sheet %s failed\n", page.name.c_str());
            ++failures;
        }
    return failures ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--contact-sheet") == 0)
        return ContactSheet(argv[2], argv[3]);
    if (argc == 2 && argv[1][0] != '-')
        return Generate(argv[1], "");
    if (argc == 4 && std::strcmp(argv[2], "--manifest") == 0)
        return Generate(argv[1], argv[3]);
    return Usage();
}
