// The data set as a whole: the same bytes on every run, and every name the game looks up
// present in the packed archive, read through the game's file layer.
#include "support/AssetTestSupport.h"

#include "engine/bridge/EngineBridge.h"
#include "engine/plugins/RpPlugins.h"
#include "engine/world/RpWorld.h"
#include "framework/Archive.h"
#include "framework/FileSystem.h"
#include "tools/assets/common/Sheet.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace assets;

TEST(DataSet, IsByteIdenticalAcrossRuns)
{
    const std::string first = test::SharedStage();
    ASSERT_FALSE(first.empty());
    std::string second;
    ASSERT_TRUE(test::Generate(second));
    const std::vector<std::string> a = test::ListFiles(first), b = test::ListFiles(second);
    ASSERT_EQ(a, b);
    EXPECT_GT(a.size(), 100u);
    for (const std::string& name : a) {
        std::vector<unsigned char> x, y;
        ASSERT_TRUE(test::ReadBytes(first + "/" + name, x));
        ASSERT_TRUE(test::ReadBytes(second + "/" + name, y));
        EXPECT_EQ(x, y) << name;
    }
}

// The names the stadium, ball, sky, flare and camera code open, as the game spells them.
std::vector<std::string> LevelNames(int level)
{
    // Intro cameras the match start picks from: level 1 -> 1..6, level 2 -> 1..5, else 1.
    const int intros = level == 1 ? 6 : level == 2 ? 5 : 1;
    std::vector<std::string> names = {"<LP>\\Objects\\Level.bsp",     "<LP>\\objects\\skydome.dff",
                                      "<LP>\\objects\\sky_night.dff", "<LP>\\camera\\camera.dff",
                                      "<LP>\\camera\\camera.anm"};
    for (int n = 1; n <= intros; ++n) {
        char name[40];
        std::snprintf(name, sizeof name, "<LP>\\camera\\camera0%d", n);
        names.push_back(std::string(name) + ".dff");
        names.push_back(std::string(name) + ".anm");
    }
    for (const char* dressing : {"benches", "benches_shadow", "short_benches", "short_benches_shadow", "Crowd",
                                 "spec_mods_crowd", "flags", "flags_01", "flags_02", "flags_03"})
        names.push_back(std::string("<LP>\\objects\\") + dressing + ".dff");
    return names;
}

class PackedData : public ::testing::Test {
protected:
    void SetUp() override
    {
        stage = test::SharedStage();
        ASSERT_FALSE(stage.empty());
        std::string error;
        ASSERT_TRUE(Archive::Pack("packed_test.dat", stage, error)) << error;
        fs = FileSystem::Instance();
        ASSERT_TRUE(fs->AddDataFile("packed_test.dat", false));
        fs->AddAlias("<PP>", "data\\pc\\");
    }
    void TearDown() override
    {
        if (fs) {
            fs->RemoveAlias("<PP>");
            fs->RemoveAlias("<TP>");
            fs->RemoveAlias("<LP>");
            fs->RemoveDataFiles();
        }
    }
    void SetLevel(int level)
    {
        char folder[32];
        std::snprintf(folder, sizeof folder, "data\\pc\\level%02d\\", level);
        fs->RemoveAlias("<LP>");
        fs->AddAlias("<LP>", folder);
    }

    std::string stage;
    FileSystem* fs = nullptr;
};

TEST_F(PackedData, NamesTheGameLooksUpAreInTheArchive)
{
    for (const char* set : {"Textures24Bit", "SmallTextures24Bit"}) {
        fs->RemoveAlias("<TP>");
        fs->AddAlias("<TP>", (std::string(set) + "\\").c_str());
        for (int n = 1; n <= 5; ++n) {
            char name[64];
            std::snprintf(name, sizeof name, "<PP>\\Lensflares\\<TP>\\flare_%02d.png", n);
            EXPECT_TRUE(fs->FileExists(name)) << name;
        }
        for (const char* particle : {"smoke", "spark", "glow", "dust", "flash_sheet"}) {
            const std::string name = std::string("<PP>\\Particles\\<TP>\\") + particle + ".png";
            EXPECT_TRUE(fs->FileExists(name.c_str())) << name;
        }
    }
    for (const char* name : {"<PP>\\Balls\\tournamentball.dff", "<PP>\\Balls\\ragball.dff"})
        EXPECT_TRUE(fs->FileExists(name)) << name;
    for (int level = 1; level <= 4; ++level) {
        SetLevel(level);
        for (const std::string& name : LevelNames(level))
            EXPECT_TRUE(fs->FileExists(name.c_str())) << "level " << level << ": " << name;
    }
    // A name that is not made is not found: the check above can fail.
    SetLevel(3);
    EXPECT_FALSE(fs->FileExists("<LP>\\camera\\camera02.dff"));
}

TEST_F(PackedData, StadiumAndBallLoadFromTheArchiveWithTheirTextures)
{
    ASSERT_TRUE(test::EngineUp());
    RtFSManagerOpen(-1);
    ASSERT_TRUE(RwInstallFileSystem());
    for (const char* set : {"Textures24Bit\\", "SmallTextures24Bit\\"}) {
        fs->RemoveAlias("<TP>");
        fs->AddAlias("<TP>", set);
        for (int level = 1; level <= 4; ++level) {
            SCOPED_TRACE(std::string(set) + " level " + std::to_string(level));
            SetLevel(level);
            // As the stadium loads: the world file, textures from "<LP><TP>".
            RwError none;
            RwErrorGet(&none);
            RpWorld* world = LoadWorld(fs->ExpandAliases("<LP>\\Objects\\Level.bsp"), fs->ExpandAliases("<LP><TP>"));
            ASSERT_NE(world, nullptr);
            RwError error;
            RwErrorGet(&error);
            EXPECT_NE(error.errorCode, rwErrorTextureMissing);
            EXPECT_GT(world->matList.numMaterials, 5);
            RpWorldDestroy(world);
        }
    }
    RwError none;
    RwErrorGet(&none);
    RpClump* ball = LoadClump(fs->ExpandAliases("<PP>\\Balls\\tournamentball.dff"), fs->ExpandAliases("<PP>\\Balls\\"));
    ASSERT_NE(ball, nullptr);
    RwError error;
    RwErrorGet(&error);
    EXPECT_NE(error.errorCode, rwErrorTextureMissing);
    RpClumpDestroy(ball);
    VantaroFileSystem::Uninstall();
}

}  // namespace
