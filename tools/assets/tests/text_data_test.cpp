// The default fonts and text tables, read as the game reads them: from the packed archive.
#include "support/AssetTestSupport.h"

#include "engine/bridge/EngineBridge.h"
#include "framework/Archive.h"
#include "framework/FileSystem.h"
#include "frontend/loading/MatchLoading.h"
#include "frontend/menu/TBMenuToggles.h"
#include "settings/GameParameters.h"
#include "tests/support/LogCapture.h"
#include "text/Font.h"
#include "text/GameText.h"
#include "text/TextManager.h"
#include "tools/assets/common/Registry.h"
#include "tools/assets/text/TextAssets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace assets;

class TextData : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string stage = test::SharedStage();
        ASSERT_FALSE(stage.empty());
        ASSERT_TRUE(test::EngineUp());
        std::string error;
        ASSERT_TRUE(Archive::Pack("text_data.dat", stage, error)) << error;
        fs = FileSystem::Instance();
        ASSERT_TRUE(fs->AddDataFile("text_data.dat", false));
        fs->AddAlias("<PP>", "data\\pc\\");
        RtFSManagerOpen(-1);
        ASSERT_TRUE(RwInstallFileSystem());
        TextManager::DestroyInstance();
    }
    void TearDown() override
    {
        TextManager::DestroyInstance();
        VantaroFileSystem::Uninstall();
        RtFSManagerClose();
        if (fs) {
            fs->RemoveAlias("<PP>");
            fs->RemoveAlias("<TP>");
            fs->RemoveDataFiles();
        }
    }

    FileSystem* fs = nullptr;
};

TEST_F(TextData, EveryFontCutsOneGlyphPerCharacterInBothTextureSets)
{
    for (const char* set : kTextureSets) {
        fs->RemoveAlias("<TP>");
        fs->AddAlias("<TP>", (std::string(set) + "\\").c_str());
        std::vector<float> lineHeights;
        for (const gametext::FontFile& file : gametext::FontFiles()) {
            SCOPED_TRACE(std::string(set) + " " + file.image);
            LogCapture log;
            Font font;
            ASSERT_TRUE(font.Create((std::string("<PP>\\misc\\fonts\\<TP>\\") + file.image).c_str(), file.mask,
                                    gametext::kDefaultCharset));
            EXPECT_EQ(log.Text(), "");
            const bool shirts = std::string(file.image) == "shirts.png";
            EXPECT_EQ(font.GetCharset(), shirts ? std::string("01234567") : text::FontCharset());
            EXPECT_EQ(font.GetGlyphs().size(), font.GetCharset().size());
            EXPECT_GT(font.GetSpacingX(), 0.0f);
            lineHeights.push_back(font.GetLineHeight());
        }
        // debug, austere, menu, buttons, green buttons, selected: the sizes the screens expect.
        ASSERT_EQ(lineHeights.size(), 7u);
        EXPECT_LT(lineHeights[0], lineHeights[1]);
        EXPECT_EQ(lineHeights[2], lineHeights[5]);  // "menu" and "selected" swap in place
        EXPECT_EQ(lineHeights[3], lineHeights[4]);
        EXPECT_LT(lineHeights[2], lineHeights[3]);
    }
}

// The texts the game refers to by number.
std::vector<int32_t> ReferencedNumbers()
{
    std::vector<int32_t> numbers = {10201, 10202, 10203, 10204, 10408, 10409, 10420, 10421, 10423, 20524, 20536,
                                    20570, 20571, 30302, 30303, 30316, 30322, 30453, 30501, 30502, 50206, 60101,
                                    60102, 99999};
    const std::pair<int32_t, int32_t> ranges[] = {
        {10013, 10018}, {20101, 20103}, {20201, 20204}, {20402, 20405}, {20520, 20522}, {20541, 20551},
        {20580, 20584}, {20901, 20904}, {30318, 30320}, {30330, 30332}, {60111, 60113}, {60121, 60123}, {60201, 60211},
        {60301, 60306}, {60501, 60504}, {60510, 60512}, {80511, 80538}};
    for (const auto& [first, last] : ranges)
        for (int32_t n = first; n <= last; ++n)
            numbers.push_back(n);
    return numbers;
}

TEST_F(TextData, BothTablesHoldEveryReferencedTextAsWritten)
{
    for (const char* table : {"<PP>\\text.csv", "<PP>\\text_xsxl.csv"}) {
        SCOPED_TRACE(table);
        TextManager::DestroyInstance();
        TextManager* texts = TextManager::Instance();
        LogCapture log;
        texts->LoadTextFile(table);
        EXPECT_EQ(log.Text(), "");
        for (int32_t number : ReferencedNumbers())
            EXPECT_TRUE(texts->HasText(number)) << number;
        EXPECT_TRUE(texts->HasText(99999, 5));  // the credits run over several lines
        // What the tool wrote reads back the same, line by line.
        std::vector<std::pair<int32_t, std::string>> read;
        for (int32_t number : texts->GetTextNumbers())
            for (int line = 0; texts->HasText(number, line); ++line)
                read.emplace_back(number, texts->GetText(number, line));
        std::vector<std::pair<int32_t, std::string>> written = text::DefaultTexts();
        std::stable_sort(written.begin(), written.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        EXPECT_EQ(read, written);
    }
}

// The text numbers ("%20901%") a text asks for, with where each stands.
void CollectTextNumbers(const std::string& text, const std::string& where, std::map<int32_t, std::string>& found)
{
    static const std::regex kReference("%([0-9]{1,9})%");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), kReference); it != std::sregex_iterator(); ++it)
        found.emplace(std::stoi((*it)[1].str()), where);
}

std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The program's own sources, without the tests, the tools and their comment lines.
void CollectFromCode(std::map<int32_t, std::string>& found)
{
    const std::filesystem::path root = TB_SOURCE_DIR;
    for (const char* folder : {"audio", "characters", "editor", "engine", "framework", "frontend", "input", "match",
                               "menus", "platform", "scene", "shell", "simulation", "text"}) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root / folder)) {
            const std::string path = entry.path().string();
            const std::string extension = entry.path().extension().string();
            if (!entry.is_regular_file() || (extension != ".cpp" && extension != ".h") ||
                path.find("/tests/") != std::string::npos)
                continue;
            std::istringstream lines(ReadText(entry.path()));
            for (std::string line; std::getline(lines, line);) {
                const size_t start = line.find_first_not_of(" \t");
                if (start != std::string::npos && line.compare(start, 2, "//") != 0)
                    CollectTextNumbers(line, path, found);
            }
        }
    }
}

// Every text number the screens, cut-scene scripts, settings and the program ask for is in
// both tables, so that none reaches the screen as "%NNNNN%" or the missing-text marker.
TEST_F(TextData, EveryTextNumberAskedForIsInTheTables)
{
    std::map<int32_t, std::string> asked;
    for (const std::string& file : test::ListFiles(test::SharedStage())) {
        const std::string extension = std::filesystem::path(file).extension().string();
        if (extension == ".xml" || extension == ".txt")
            CollectTextNumbers(ReadText(test::SharedStage() + "/" + file), file, asked);
    }
    const size_t fromData = asked.size();
    CollectFromCode(asked);
    // Both sources are read: a scan that found nothing would pass whatever the tables hold.
    EXPECT_GT(fromData, 50u);
    EXPECT_GT(asked.size(), fromData);
    for (const char* table : {"<PP>\\text.csv", "<PP>\\text_xsxl.csv"}) {
        SCOPED_TRACE(table);
        TextManager::DestroyInstance();
        TextManager::Instance()->LoadTextFile(table);
        for (const auto& [number, where] : asked)
            EXPECT_TRUE(TextManager::Instance()->HasText(number)) << "%" << number << "% in " << where;
    }
}

TEST_F(TextData, TextsUseOnlyCharactersTheFontsHave)
{
    const std::string charset = text::FontCharset();
    for (const auto& [number, text] : text::DefaultTexts()) {
        bool inTag = false;
        for (char c : text) {
            if (c == '<' || c == '>') {
                inTag = c == '<';
                continue;
            }
            EXPECT_TRUE(inTag || c == ' ' || charset.find(c) != std::string::npos)
                << number << ": '" << c << "' in " << text;
        }
    }
    EXPECT_EQ(gametext::kDefaultCharset.size(), 111u);
    EXPECT_EQ(text::CsvField("a;b \"c\""), "\"a;b \"\"c\"\"\"");
    EXPECT_EQ(text::CsvField(" x"), "\" x\"");
    EXPECT_EQ(text::CsvField("plain"), "plain");
}

// Each screen-size and half-length choice reads as the size and the minutes of play it runs:
// a single match's half runs at the clock rate of its value, a career's one rate further on.
TEST_F(TextData, OptionTextsNameWhatTheGameRuns)
{
    TextManager::Instance()->LoadTextFile("<PP>\\text.csv");
    TBMenuToggles::DestroyInstance();
    TBMenuToggles* toggles = TBMenuToggles::Instance();
    const auto shown = [&](int id, int value) {
        TBMenuToggle& toggle = *toggles->GetToggle(id);
        toggle.value = value;
        const std::string reference = toggle.GetText();
        return TextManager::Instance()->GetText(std::stoi(reference.substr(1)));
    };
    const auto minutes = [](int rate) {
        char text[32];
        std::snprintf(text, sizeof text, "%g minutes", 45.0 / static_cast<double>(MatchLoading::kClockRates[rate]));
        return std::string(text);
    };
    int width = 0, height = 0;
    for (int value = 0; TBMenuToggles::GetResolutionSize(value, width, height); ++value)
        EXPECT_EQ(shown(TBMenuToggles::kResolution, value), std::to_string(width) + " x " + std::to_string(height));
    for (int value = 0; value < MatchLoading::kClockRateCount; ++value)
        EXPECT_EQ(shown(TBMenuToggles::kHalfTime, value), minutes(value));
    for (int value = 0; value + 1 < MatchLoading::kClockRateCount; ++value)
        EXPECT_EQ(shown(TBMenuToggles::kStoryHalfTime, value), minutes(value + 1));
    TBMenuToggles::DestroyInstance();
    // A new career's halves last as long as a new player's single match's.
    EXPECT_EQ(TBMenuToggles::Instance()->GetToggle(TBMenuToggles::kStoryHalfTime)->value + 1,
              GameParameters::kDefaultHalftimeDuration);
    EXPECT_EQ(TBMenuToggles::Instance()->GetToggle(TBMenuToggles::kHalfTime)->value,
              GameParameters::kDefaultHalftimeDuration);
    TBMenuToggles::DestroyInstance();
}

}  // namespace
