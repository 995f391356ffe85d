#include "support/AssetTestSupport.h"

#include "engine/bridge/EngineBridge.h"
#include "engine/core/RtFSManager.h"
#include "engine/plugins/RpPlugins.h"
#include "framework/FileSystem.h"
#include "framework/MemoryFile.h"
#include "menus/XmlParser.h"
#include "tests/support/OffscreenEngine.h"
#include "tools/assets/common/Registry.h"
#include "tools/assets/common/Sheet.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace assets::test {

namespace {

struct Engine {
    ScopedEngine engine{rwDeviceNull, &RpPluginsAttachAll};
    bool up = engine.IsOpen() && RegisterImageReaders();
};

}  // namespace

bool EngineUp()
{
    static Engine engine;
    return engine.up;
}

bool Generate(std::string& stageDir)
{
    static int counter = 0;
    stageDir = std::filesystem::absolute("stage" + std::to_string(counter++)).string();
    std::filesystem::remove_all(stageDir);
    if (!EngineUp())
        return false;
    AssetContext context;
    context.stageDir = stageDir;
    bool ok = true;
    for (const Generator& generator : RegisteredGenerators())
        ok = generator.run(context) && ok;
    return ok;
}

const std::string& SharedStage()
{
    static const std::string stage = [] {
        // Made once by the tool for all the test programs that CTest runs.
        const char* made = std::getenv("TB_ASSET_TEST_STAGE");
        if (made && *made)
            return EngineUp() && std::filesystem::is_directory(made) ? std::string(made) : std::string();
        std::string dir;
        return Generate(dir) ? dir : std::string();
    }();
    return stage;
}

std::vector<std::string> ListFiles(const std::string& root)
{
    std::vector<std::string> files;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(root, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        if (it->is_regular_file())
            files.push_back(std::filesystem::relative(it->path(), root).string());
    std::sort(files.begin(), files.end());
    return files;
}

bool ReadBytes(const std::string& path, std::vector<unsigned char>& out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

StageAliases::StageAliases(const std::string& stage, const char* level)
{
    RtFSManagerOpen(-1);
    RwInstallFileSystem();
    FileSystem* fs = FileSystem::Instance();
    fs->AddAlias("<PP>", (stage + "/data/pc/").c_str());
    fs->AddAlias("<TP>", "Textures24Bit\\");
    fs->AddAlias("<LP>", (stage + "/data/pc/" + level + "/").c_str());
    fs->AddAlias("<SP>", (stage + "/data/pc/" + level + "/settings/").c_str());
}

StageAliases::~StageAliases()
{
    for (const char* alias : {"<PP>", "<TP>", "<LP>", "<SP>"})
        FileSystem::Instance()->RemoveAlias(alias);
    VantaroFileSystem::Uninstall();
}

std::unique_ptr<XmlNode> ParseXml(const std::string& text, std::string& error)
{
    MemoryFile file(std::vector<uint8_t>(text.begin(), text.end()), true);
    return XmlParser().TryParse(&file, error);
}

}  // namespace assets::test
