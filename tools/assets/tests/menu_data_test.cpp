// The menus' default data: every screen as the menu reads it, the labels it shows, the plane
// it stands on, and the pictures of the loading screen and the screens.
#include "support/AssetTestSupport.h"

#include "engine/core/RwCore.h"
#include "framework/Factory.h"
#include "framework/Object.h"
#include "frontend/selection/SelectionBench.h"
#include "menus/Menu.h"
#include "menus/MenuItem.h"
#include "menus/XmlParser.h"
#include "scene/Camera.h"
#include "scene/RwGraphicsSettings.h"
#include "tools/assets/common/Registry.h"
#include "tools/assets/menus/MenuAssets.h"
#include "tools/assets/text/TextAssets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace assets;

// Answers every command of a screen's actions, and keeps them.
class Owner : public MessageListener {
public:
    int OnMessage(int message, intptr_t) override
    {
        commands.push_back(MessageServer::Instance()->GetMessageName(message));
        return 0;
    }
    std::vector<std::string> commands;
};

std::map<std::string, std::string> ScreenTexts()
{
    std::map<std::string, std::string> screens;
    for (const auto& [name, text] : menus::Screens())
        screens[name] = text;
    return screens;
}

TEST(MenuData, EveryScreenTheGameOpensIsWrittenAsTheReaderTakesIt)
{
    const std::map<std::string, std::string> screens = ScreenTexts();
    for (const char* name : {"main", "message_throwin", "message_corner", "message_goalkick", "message_goal",
                             "message_freekick", "message_penaltykick", "message_redcard", "message_dynamic",
                             "game_stat", "game_stat_wbg", "fouloverkill_penalty", "ingame_menu", "ingame_options",
                             "ingame_controls", "ingame_substitution", "select_players",
                             "select_team_one", "select_team_two", "select_level", "3dMenues/AllStarMulti10p",
                             "3dMenues/InGameSelection3p", "3dMenues/InGameSelection4p", "3dMenues/InGameSelection5p",
                             "3dMenues/InGameSelection6p", "3dMenues/InGameSelection7p"})
        EXPECT_TRUE(screens.contains(name)) << name;
    char onLoad[60];
    std::snprintf(onLoad, sizeof onLoad, "OnLoad=\"SetPosition 0,0,%g", menus::PlaneDistance());
    for (const auto& [name, text] : screens) {
        EXPECT_EQ(text.find("<?"), std::string::npos) << name;
        EXPECT_EQ(text.find("; "), std::string::npos) << name;
        // A macro's elements join the screen that names it, which places the plane.
        const bool macro = name.starts_with("macro_");
        char benchOnLoad[60];
        std::snprintf(benchOnLoad, sizeof benchOnLoad, "OnLoad=\"SetPosition 0,0,%g", menus::BenchPlaneDistance());
        const bool placed = text.find(name.starts_with("3dMenues/") ? benchOnLoad : onLoad) != std::string::npos;
        EXPECT_EQ(placed, !macro) << name;
        std::string error;
        const std::unique_ptr<XmlNode> root = test::ParseXml(text, error);
        ASSERT_NE(root, nullptr) << name << ": " << error;
        // One root, and no mark-up in angle brackets.
        EXPECT_EQ(std::count(text.begin(), text.end(), '<'), 2 + static_cast<long>(root->children.size())) << name;
        for (const auto& child : root->children) {
            EXPECT_TRUE(child->name == "Macro" || FactoryRegistry::MenuItems().Contains(("Menu" + child->name).c_str()))
                << name << ": no widget \"" << child->name << "\"";
            // The default selected form of a button is its text in another font.
            if (child->name == "TextButton") {
                EXPECT_EQ(child->GetAttribute("text").find("font"), std::string::npos) << name;
            }
        }
    }
}

float Attribute(const XmlNode& node, const char* name, int index)
{
    float v[2] = {-1.0f, -1.0f};
    std::sscanf(node.GetAttribute(name).c_str(), "%f,%f", &v[0], &v[1]);
    return v[index];
}

// Each candidate's plate on the screen, in one row the cursor's keys follow along the bench;
// plates and buttons keep clear of what the bench camera shows of the candidates, seated or
// standing, on the shortest and the longest bench the offer's races can make.
TEST(MenuData, SelectionPlatesAndButtonsKeepClearOfTheCandidates)
{
    struct Case {
        const char* screen;
        int count;
        const char* title;  // a text the screen shows besides the bench, or null
    };
    const Case cases[] = {
        {"3dMenues/AllStarMulti10p", 10, nullptr},
        {"3dMenues/InGameSelection3p", 3, "%s7p_title%"},
        {"3dMenues/InGameSelection5p", 5, "%s7p_title%"},
        {"3dMenues/InGameSelection7p", 7, "%s7p_title%"},
        {"3dMenues/TrainingMainSelection3p", 3, "%s3p_title%"},
        {"3dMenues/TrainingMainSelection4p", 4, "%20522%"},
        {"3dMenues/TrainingMainSelection12p", 12, "%20536%"},
    };
    // The tallest race standing; the feet reach in front of the seat.
    constexpr float kHeadTop = 2.05f, kFeetForward = 0.6f, kButtonHeight = 32.0f;
    const SelectionBench::SeatWidths widths = SelectionBench::KnownSeatWidths();
    std::map<std::string, std::string> screens = ScreenTexts();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.screen);
        std::string error;
        const std::unique_ptr<XmlNode> root = test::ParseXml(screens[c.screen], error);
        ASSERT_NE(root, nullptr) << error;
        int inARow = 0;
        std::vector<Vector4> plates;
        std::vector<std::pair<float, const char*>> buttons;
        for (const auto& child : root->children) {
            if (child->GetAttribute("name") == "selection_controls") {
                inARow = std::stoi(child->GetAttribute("IN_A_ROW"));
                buttons = {{Attribute(*child, "ACCEPT_POSITION", 1), "accept"},
                           {Attribute(*child, "QUIT_POSITION", 1), "quit"}};
            }
            if (child->GetAttribute("name") == "selection_candidate")
                plates.emplace_back(Attribute(*child, "CARD_POSITION", 0), Attribute(*child, "CARD_POSITION", 1),
                                    Attribute(*child, "CARD_SIZE", 0), Attribute(*child, "CARD_SIZE", 1));
        }
        ASSERT_EQ(static_cast<int>(plates.size()), c.count);
        EXPECT_EQ(inARow, c.count);
        float bandTop = Menu::kHeight, bandBottom = 0.0f;
        for (float width : {widths.narrowest, widths.widest}) {
            const float distance = SelectionBench::CameraDistance(width * static_cast<float>(c.count));
            bandTop = std::min(bandTop, SelectionBench::ScreenY(kHeadTop, distance));
            bandBottom = std::max(bandBottom, SelectionBench::ScreenY(0.0f, distance - kFeetForward));
        }
        const auto clear = [&](float top, float bottom) {
            return top >= 0.0f && bottom <= Menu::kHeight && (bottom <= bandTop || top >= bandBottom);
        };
        for (int i = 0; i < c.count; ++i) {
            const Vector4& p = plates[size_t(i)];
            EXPECT_TRUE(p.x >= 0.0f && p.x + p.z <= Menu::kWidth && p.z > 0.0f) << "plate " << i + 1;
            EXPECT_TRUE(clear(p.y, p.y + p.w)) << "plate " << i + 1 << " at " << p.y << " over the candidates";
            if (i > 0) {
                EXPECT_EQ(p.y, plates[size_t(i - 1)].y) << "plate " << i + 1 << " leaves the row";
                EXPECT_GE(p.x, plates[size_t(i - 1)].x + plates[size_t(i - 1)].z) << "plate " << i + 1 << " covers the one before";
            }
        }
        for (const auto& [y, name] : buttons) {
            EXPECT_TRUE(clear(y, y + kButtonHeight)) << name << " at " << y << " over the candidates";
            EXPECT_TRUE(y + kButtonHeight <= plates[0].y || y >= plates[0].y + plates[0].w) << name << " over the plates";
        }
        EXPECT_GE(std::fabs(buttons[1].first - buttons[0].first), kButtonHeight) << "the buttons overlap";
        if (c.title) {
            EXPECT_NE(screens[c.screen].find(c.title), std::string::npos);
        }
    }
}

TEST(MenuData, TheMainScreenLoadsWithItsLogoAndItsButtons)
{
    ASSERT_TRUE(test::EngineUp());
    Menu* menu = Menu::Instance();
    Owner owner;
    menu->SetOwner(&owner);
    std::string error;
    ASSERT_TRUE(menu->LoadScreen(test::ParseXml(ScreenTexts()["main"], error))) << error;
    EXPECT_EQ(owner.commands, (std::vector<std::string>{"SetPosition", "CheckGameVersion"}));
    std::vector<std::string> buttons;
    for (int i = 0; i < menu->GetItemCount(); ++i)
        if (menu->GetItem(i)->IsSelectable())
            buttons.push_back(menu->GetItem(i)->GetName());
    EXPECT_EQ(buttons, (std::vector<std::string>{"single", "storymode", "options", "controls", "credits", "quit"}));
    EXPECT_TRUE(menu->HasItem("gamelogo"));
    EXPECT_EQ(menu->GetSelectedItemName(), "single");
    menu->SetOwner(nullptr);
    Menu::DestroyInstance();
}

TEST(MenuData, EveryTextNumberOnAScreenIsInTheTextTable)
{
    std::set<int32_t> numbers;
    for (const auto& [number, text] : text::DefaultTexts())
        numbers.insert(number);
    const std::regex textNumber("%([0-9]+)%");
    int shown = 0;
    for (const auto& [name, text] : menus::Screens())
        for (auto it = std::sregex_iterator(text.begin(), text.end(), textNumber); it != std::sregex_iterator(); ++it) {
            EXPECT_TRUE(numbers.contains(std::stoi((*it)[1]))) << name << ": " << (*it)[0];
            ++shown;
        }
    EXPECT_GT(shown, 30);
}

TEST(MenuData, TheMenuPlaneFillsTheHeightOfThePrimaryViewAtEveryScreenSize)
{
    ASSERT_TRUE(test::EngineUp());
    const RwGraphicsSettings settings;
    for (const auto& [width, height] : {std::pair{800u, 600u}, std::pair{1024u, 768u}, std::pair{1280u, 960u}}) {
        Camera camera;
        ASSERT_TRUE(camera.Create(width, height, false, false, 0, 0));
        camera.SetViewWindow(settings.viewX, settings.viewY);
        // A plane of 600 units is one world unit high once scaled to the screen and divided by it.
        EXPECT_NEAR(2.0f * camera.GetRwCamera()->viewWindow.y * menus::PlaneDistance(), 1.0f, 1e-5f) << width;
    }
}

TEST(MenuData, TheLoadingScreenAndTheScreensHaveTheirPictures)
{
    ASSERT_TRUE(test::EngineUp());
    AssetContext context;
    context.stageDir = std::filesystem::absolute("menu_pictures").string();
    const auto generators = RegisteredGenerators();
    const auto pictures = std::find_if(generators.begin(), generators.end(),
                                       [](const Generator& g) { return g.name == "menus.pictures"; });
    ASSERT_NE(pictures, generators.end());
    ASSERT_TRUE(pictures->run(context));
    const struct {
        std::string path;
        int width, height;
    } expected[] = {
        {"Menu/loading.png", menus::kLoadingWidth, menus::kLoadingHeight},
        {"Menu/loadingempty.png", 512, 32},
        {"Menu/loadingfilled.png", 512, 32},
        {"Menu/Screens/Textures24Bit/TBlogoLogo_XS.png", menus::kLogoWidth, menus::kLogoHeight},
        {"Menu/Screens/Textures24Bit/TBlogoLogo_XL.png", menus::kLogoWidth, menus::kLogoHeight},
        {std::string("Menu/Screens/Textures24Bit/") + menus::kDefaultLogo + ".png", menus::kLogoWidth,
         menus::kLogoHeight},
        {std::string("Menu/Screens/Textures24Bit/") + menus::kPanel + ".png", menus::kPanelWidth, menus::kPanelHeight},
        {std::string("Menu/Screens/Textures24Bit/") + menus::kPalm + ".png", menus::kPalmWidth, menus::kPalmHeight},
        {std::string("Menu/Screens/Textures24Bit/") + menus::kBackground + ".png", menus::kBackgroundWidth,
         menus::kBackgroundHeight},
    };
    for (const auto& picture : expected) {
        RwImage* image = RwImageRead(context.Path(picture.path).c_str());
        ASSERT_NE(image, nullptr) << picture.path;
        EXPECT_EQ(image->width, picture.width) << picture.path;
        EXPECT_EQ(image->height, picture.height) << picture.path;
        RwImageDestroy(image);
    }
}

}  // namespace
