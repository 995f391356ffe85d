// The single-match screens' pictures beside their buttons, as the generated data holds them.
#include "support/AssetTestSupport.h"

#include "characters/TeamDescription.h"
#include "menus/XmlParser.h"
#include "tools/assets/characters/Characters.h"
#include "tools/assets/menus/MenuAssets.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace assets;

std::unique_ptr<XmlNode> ReadScreen(const std::string& project, const std::string& name)
{
    std::vector<unsigned char> bytes;
    if (!test::ReadBytes(project + menus::kScreenFolder + "/" + name + ".xml", bytes))
        return nullptr;
    std::string error;
    return test::ParseXml(std::string(bytes.begin(), bytes.end()), error);
}

// Every "<button>_img" image of a screen, by its button's name, with its texture.
std::map<std::string, std::string> ButtonPictures(const XmlNode& screen)
{
    static const std::string kSuffix = "_img";
    std::map<std::string, std::string> pictures;
    for (const auto& item : screen.children) {
        const std::string& name = item->GetAttribute("name");
        if (item->name == "Image" && name.size() > kSuffix.size() && name.ends_with(kSuffix))
            pictures[name.substr(0, name.size() - kSuffix.size())] = item->GetAttribute("texture");
    }
    return pictures;
}

TEST(SingleScreens, EveryTeamAndStadiumButtonShowsAPictureOfItsOwn)
{
    const std::string stage = test::SharedStage();
    ASSERT_FALSE(stage.empty());
    const std::string project = stage + "/data/pc/";
    const struct {
        const char* screen;
        const char* button;  // numbered from 0
        int count;
    } screens[] = {{"select_team_one", "team", 8}, {"select_team_two", "team", 8}, {"select_level", "level", 4}};
    for (const auto& s : screens) {
        SCOPED_TRACE(s.screen);
        const std::unique_ptr<XmlNode> screen = ReadScreen(project, s.screen);
        ASSERT_NE(screen, nullptr);
        const std::map<std::string, std::string> pictures = ButtonPictures(*screen);
        std::set<std::string> buttons, textures;
        std::set<std::vector<unsigned char>> looks;
        for (const auto& [button, texture] : pictures) {
            buttons.insert(button);
            textures.insert(texture);
            EXPECT_NE(texture, menus::kPanel) << button;
            std::vector<unsigned char> bytes;
            EXPECT_TRUE(test::ReadBytes(project + menus::kScreenTextures + "/" + texture + ".png", bytes)) << texture;
            looks.insert(bytes);
        }
        std::set<std::string> expected;
        for (int i = 0; i < s.count; ++i)
            expected.insert(s.button + std::to_string(i));
        EXPECT_EQ(buttons, expected);
        EXPECT_EQ(textures.size(), expected.size());
        EXPECT_EQ(looks.size(), expected.size());
    }
}

// The screens show team i's name beside its crest; both must follow the game's team order.
TEST(SingleScreens, TheCrestsFollowTheGamesTeamOrder)
{
    const std::vector<chars::TeamRow>& teams = chars::SelectableTeams();
    ASSERT_EQ(static_cast<int>(teams.size()), TeamDescription::kCount);
    for (int i = 0; i < TeamDescription::kCount; ++i) {
        EXPECT_EQ(std::string(teams[static_cast<size_t>(i)].key), TeamDescription::KeyAt(i)) << i;
        EXPECT_EQ(menus::TeamCrest(i), std::string("crest_") + TeamDescription::KeyAt(i));
    }
}

}  // namespace
