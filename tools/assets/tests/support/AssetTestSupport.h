#pragma once

// Shared by the asset tests: the engine on its null device with every plugin and the PNG
// reader, and the data set generated once per test program into a scratch folder.

#include <memory>
#include <string>
#include <vector>

class XmlNode;

namespace assets::test {

// Starts the engine on first use (null device); stays up for the whole test program.
bool EngineUp();
// Runs every registered generator into a fresh folder below the working folder; false when
// one of them failed. The folder name is unique per call.
bool Generate(std::string& stageDir);
// The data set generated once and shared by the tests of a program, or the one the tool made
// in the folder TB_ASSET_TEST_STAGE names (empty on failure).
const std::string& SharedStage();
// Every regular file below a folder, as paths relative to it, sorted.
std::vector<std::string> ListFiles(const std::string& root);
bool ReadBytes(const std::string& path, std::vector<unsigned char>& out);
// A menu screen's XML as the menu reads it; null, with the parser's message, when it fails.
std::unique_ptr<XmlNode> ParseXml(const std::string& text, std::string& error);

// While it lives, the engine reads through the game's file layer and the game's aliases name
// the shared stage and the level in it, as the game sets them.
class StageAliases {
public:
    StageAliases(const std::string& stage, const char* level);
    ~StageAliases();
    StageAliases(const StageAliases&) = delete;
    StageAliases& operator=(const StageAliases&) = delete;
};

}  // namespace assets::test
