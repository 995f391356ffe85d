#include <gtest/gtest.h>

#include "engine/world/RpWorld.h"
#include "framework/Cast.h"
#include "framework/FileSystem.h"
#include "scene/AnimatedClump.h"
#include "scene/AnimatedClumpElement.h"
#include "scene/Billboard.h"
#include "scene/Clump.h"
#include "scene/GameElements.h"
#include "scene/HudItems.h"
#include "scene/Texture.h"
#include "simulation/CollisionManager.h"
#include "support/AssetTestSupport.h"
#include "menus/XmlParser.h"
#include "tests/support/LogCapture.h"
#include "tools/assets/menus/MenuAssets.h"

#include <cstdio>
#include <map>
#include <set>

namespace assets {
namespace {

template <class Element>
Element* Find(const Cast& cast, const char* name)
{
    const CastMember* member = cast.FindByName(name);
    return member ? dynamic_cast<Element*>(member->object) : nullptr;
}

std::vector<std::string> ActionTypes(ClumpElement& element)
{
    std::vector<std::string> types;
    for (const auto& action : element.GetActions())
        types.push_back(action ? ClassNameOf(*action) : "");
    return types;
}

TEST(LevelCasts, EveryLevelsObjectsReadWithoutAWordAndShowWhatTheyName)
{
    const std::string& stage = test::SharedStage();
    ASSERT_FALSE(stage.empty());
    for (const char* level : {"level01", "level02", "level03", "level04"}) {
        SCOPED_TRACE(level);
        test::StageAliases aliases(stage, level);
        LogCapture log;
        Cast objects("objects");
        ASSERT_TRUE(LoadSettings(&objects, "<SP>objects\\objects.txt")) << log.Text();
        for (const char* name : {"markings", "benches", "benches_shadow", "short_benches", "short_benches_shadow",
                                 "Crowd", "spec_mods_crowd", "flags", "flags_01", "flags_02", "flags_03",
                                 "scroll_board", "pond", "big_screen"}) {
            auto* element = Find<ClumpElement>(objects, name);
            ASSERT_NE(element, nullptr) << name;
            // A real model, not the stand-in a missing file gives.
            std::vector<RpAtomic*> atomics;
            element->GetClump()->GetAtomics(atomics);
            EXPECT_FALSE(atomics.empty()) << name;
        }
        // Far lines stay whole only where the paint's texture has smaller levels.
        std::vector<RpAtomic*> lines;
        Find<ClumpElement>(objects, "markings")->GetClump()->GetAtomics(lines);
        ASSERT_FALSE(lines.empty());
        const RpMaterialList& paint = lines[0]->geometry->matList;
        ASSERT_EQ(paint.numMaterials, 1);
        ASSERT_NE(paint.materials[0]->texture, nullptr);
        EXPECT_TRUE(paint.materials[0]->texture->raster->format & rwRasterFormatMipmap);
        auto& flags = *Find<ClumpElement>(objects, "flags_02");
        ASSERT_EQ(ActionTypes(flags), std::vector<std::string>{"AnimatedTextureAction"});
        EXPECT_EQ(dynamic_cast<AnimatedTextureAction&>(*flags.GetActions()[0]).GetFrames().size(), 6u);
        EXPECT_EQ(ActionTypes(*Find<ClumpElement>(objects, "big_screen")),
                  (std::vector<std::string>{"AnimatedTextureAction", "AnimatedTransparencyAction"}));
        EXPECT_EQ(ActionTypes(*Find<ClumpElement>(objects, "scroll_board")),
                  std::vector<std::string>{"AnimateUVAction"});
        EXPECT_EQ(ActionTypes(*Find<ClumpElement>(objects, "pond")), std::vector<std::string>{"WaterAction"});
        auto* forest = Find<BillboardForest>(objects, "forest");
        ASSERT_NE(forest, nullptr);
        EXPECT_EQ(forest->GetBillboards().size(), 2u * 172u);
        for (const char* name : {"smoke", "ball_particles", "ground_particles"}) {
            auto* particles = Find<GeParticleSystem>(objects, name);
            ASSERT_NE(particles, nullptr) << name;
            EXPECT_NE(particles->GetTexture()->GetHandle(), nullptr) << name;
        }
        EXPECT_EQ(Find<SfxElement>(objects, "crowd_sound_1")->GetEventName(), "crowd_cheer_low");
        auto* mascot = Find<AnimatedClumpElement>(objects, "mascot");
        ASSERT_NE(mascot, nullptr);
        EXPECT_EQ(std::pair(mascot->GetClump()->GetAnimationCount(), mascot->GetClump()->GetCurrentAnimation()),
                  std::pair(1, 0));
        EXPECT_NE(mascot->GetClump()->GetHierarchy(), nullptr);
        EXPECT_EQ(log.Count("***"), 0) << log.Text();
        objects.Clear();
        TextureManager::Instance()->Shutdown();
    }
    CollisionManager::DestroyInstance();
}

TEST(LevelCasts, TheHudCastsHoldEveryElementTheMatchNamesWithItsItem)
{
    const std::string& stage = test::SharedStage();
    ASSERT_FALSE(stage.empty());
    test::StageAliases aliases(stage, "level01");
    LogCapture log;
    Cast hud("hud"), penalties("penaltyhud");
    ASSERT_TRUE(LoadSettings(&hud, "<PP>hud.txt"));
    ASSERT_TRUE(LoadSettings(&penalties, "<PP>penaltyhud.txt"));

    std::map<std::string, std::string> classes;
    for (const Cast* cast : {&hud, &penalties})
        for (int i = 0; i < cast->GetMemberCount(); ++i) {
            auto* element = dynamic_cast<HudElement*>(cast->GetMember(i)->object);
            ASSERT_NE(element, nullptr);
            ASSERT_NE(element->GetItem(), nullptr) << cast->GetMember(i)->name;
            classes[cast->GetMember(i)->name] = element->GetItem()->GetClassName();
            if (auto* image = dynamic_cast<HudImage*>(element->GetItem())) {
                EXPECT_NE(image->GetTexture(), nullptr) << cast->GetMember(i)->name;
            }
        }
    const std::map<std::string, std::string> expected{
        {"LeftTeamName", "HudText"}, {"RightTeamName", "HudText"}, {"LeftScore", "HudText"},
        {"ScoreColon", "HudText"}, {"RightScore", "HudText"}, {"TimeMinutes", "HudText"}, {"TimeColon", "HudText"},
        {"TimeSeconds", "HudText"}, {"Player1Name", "HudText"}, {"Player2Name", "HudText"},
        {"EnergyMeter1", "HudMeter"}, {"EnergyMeter2", "HudMeter"}, {"EnergyBackground1", "HudImage"},
        {"EnergyBackground2", "HudImage"}, {"EnergyDefaultLevel1", "HudMeter"}, {"EnergyDefaultLevel2", "HudMeter"},
        {"PowerBar", "HudMeter"}, {"PowerBar_Normal_Background", "HudImage"},
        {"PowerBar_Penalty_Background", "HudImage"}, {"FullCycles", "HudText"}, {"CountdownSeconds", "HudText"},
        {"TrainingName", "HudText"}, {"TrainingHint", "HudText"}, {"ScoreBand", "HudImage"},
        {"PlayerBand1", "HudImage"}, {"PlayerBand2", "HudImage"}, {"TrainingBand", "HudImage"}, {"YellowCard1", "HudImage"}, {"YellowCard2", "HudImage"},
        {"DebugEnergyText1", "HudText"}, {"DebugEnergyValue1", "HudText"}, {"DebugSpeedText1", "HudText"},
        {"DebugSpeedValue1", "HudText"}, {"DebugShootingText1", "HudText"}, {"DebugShootingValue1", "HudText"},
        {"DebugEnergyText2", "HudText"}, {"DebugEnergyValue2", "HudText"}, {"DebugSpeedText2", "HudText"},
        {"DebugSpeedValue2", "HudText"}, {"DebugShootingText2", "HudText"}, {"DebugShootingValue2", "HudText"},
    };
    for (const auto& [name, itemClass] : expected)
        EXPECT_EQ(classes[name], itemClass) << name;
    int marks = 0;
    for (int mark = 1; mark <= 5; ++mark)
        for (int side = 1; side <= 2; ++side)
            for (const char* look : {"scored", "miss", "empty"})
                marks += classes.count("PenaltyDisplay_" + std::to_string(mark) + "_" + look + "_p" +
                                       std::to_string(side));
    EXPECT_EQ(marks, 30);
    EXPECT_EQ(classes.size(), expected.size() + 30);
    EXPECT_EQ(log.Count("***"), 0) << log.Text();
    hud.Clear();
    penalties.Clear();
    TextureManager::Instance()->Shutdown();
}

// The texts over the stands and the pitch lie on their plates, each plate drawn before its
// texts, and a drill's counters stand on the score line.
TEST(LevelCasts, HudTextsLieOnTheirBandsAndTheDrillCountersOnTheScoreLine)
{
    const std::string& stage = test::SharedStage();
    ASSERT_FALSE(stage.empty());
    test::StageAliases aliases(stage, "level01");
    Cast hud("hud");
    ASSERT_TRUE(LoadSettings(&hud, "<PP>hud.txt"));
    const auto find = [&](const std::string& name) -> std::pair<int, HudItem*> {
        for (int i = 0; i < hud.GetMemberCount(); ++i)
            if (hud.GetMember(i)->name == name)
                return {i, static_cast<HudElement*>(hud.GetMember(i)->object)->GetItem()};
        return {-1, nullptr};
    };
    const struct {
        const char* band;
        std::vector<const char*> texts;
    } bands[] = {
        {"ScoreBand", {"LeftTeamName", "LeftScore", "ScoreColon", "RightScore", "RightTeamName", "TimeMinutes",
                       "TimeColon", "TimeSeconds", "FullCycles", "CountdownSeconds"}},
        {"PlayerBand1", {"Player1Name", "EnergyBackground1"}},
        {"PlayerBand2", {"Player2Name", "EnergyBackground2"}},
        {"TrainingBand", {"TrainingName", "TrainingHint"}},
    };
    for (const auto& [bandName, texts] : bands) {
        const auto [bandIndex, band] = find(bandName);
        ASSERT_NE(band, nullptr) << bandName;
        int w = 0, h = 0;
        band->GetSize(w, h);
        const Vector3 corner = band->GetPosition();
        for (const char* name : texts) {
            const auto [index, item] = find(name);
            ASSERT_NE(item, nullptr) << name;
            const Vector3 at = item->GetPosition();
            EXPECT_LT(bandIndex, index) << name;
            EXPECT_TRUE(at.x >= corner.x && at.x <= corner.x + static_cast<float>(w) && at.y >= corner.y &&
                        at.y <= corner.y + static_cast<float>(h))
                << name << " on " << bandName;
        }
    }
    for (const char* counter : {"FullCycles", "CountdownSeconds", "TimeColon"})
        EXPECT_EQ(find(counter).second->GetPosition().y, find("LeftScore").second->GetPosition().y) << counter;
    hud.Clear();
    TextureManager::Instance()->Shutdown();
}

// Once a shoot-out is decided its statistics show over the pitch: every kick's mark stays
// in view beside their panels, on its own team's side.
TEST(LevelCasts, ShootOutMarksStayClearOfTheStatisticsPanel)
{
    const std::string& stage = test::SharedStage();
    ASSERT_FALSE(stage.empty());
    test::StageAliases aliases(stage, "level01");
    Cast marks("penaltyhud");
    ASSERT_TRUE(LoadSettings(&marks, "<PP>penaltyhud.txt"));
    std::vector<Vector4> panels;
    for (const auto& [name, text] : menus::Screens()) {
        if (name != "game_stat")
            continue;
        std::string error;
        const std::unique_ptr<XmlNode> root = test::ParseXml(text, error);
        ASSERT_NE(root, nullptr) << error;
        for (const auto& child : root->children) {
            Vector4 r;
            if (child->name == "Image" &&
                std::sscanf((child->GetAttribute("position") + "," + child->GetAttribute("size")).c_str(),
                            "%f,%f,%f,%f", &r.x, &r.y, &r.z, &r.w) == 4)
                panels.push_back(r);
        }
    }
    ASSERT_FALSE(panels.empty());
    ASSERT_EQ(marks.GetMemberCount(), 30);
    for (int i = 0; i < marks.GetMemberCount(); ++i) {
        const HudItem* mark = static_cast<HudElement*>(marks.GetMember(i)->object)->GetItem();
        int w = 0, h = 0;
        mark->GetSize(w, h);
        const Vector3 at = mark->GetPosition();
        EXPECT_TRUE(at.x >= 0.0f && at.y >= 0.0f && at.x + static_cast<float>(w) <= 800.0f &&
                    at.y + static_cast<float>(h) <= 600.0f)
            << marks.GetMember(i)->name;
        // Each side's marks on that side's half of the screen.
        const bool left = marks.GetMember(i)->name.ends_with("_p1");
        EXPECT_TRUE(left ? at.x + static_cast<float>(w) <= 400.0f : at.x >= 400.0f) << marks.GetMember(i)->name;
        for (const Vector4& panel : panels)
            EXPECT_TRUE(at.x + static_cast<float>(w) <= panel.x || at.x >= panel.x + panel.z ||
                        at.y + static_cast<float>(h) <= panel.y || at.y >= panel.y + panel.w)
                << marks.GetMember(i)->name;
    }
    marks.Clear();
    TextureManager::Instance()->Shutdown();
}

}  // namespace
}  // namespace assets
