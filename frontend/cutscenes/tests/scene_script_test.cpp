#include "frontend/cutscenes/CutSceneProps.h"
#include "frontend/cutscenes/Scene.h"

#include "engine/core/RwTexture.h"
#include "engine/plugins/RtAnim.h"
#include "engine/world/RpClump.h"
#include "engine/world/RpGeometry.h"
#include "scene/Camera.h"
#include "scene/Clump.h"
#include "scene/ParticleSystem.h"
#include "support/SceneTest.h"
#include "tests/support/LogCapture.h"

#include <filesystem>
#include <string>

namespace {

class CutSceneScriptTest : public SceneTest {};

std::string ShotText(const std::string& actorAnims, const std::string& fades, const std::string& extra = "")
{
    return "[Scene shot] \"shot\"\n{\n" + actorAnims + fades + "\"camera anim\" \"a.anm\"\n" + extra + "}\n";
}

// A script around the given actor and shot sections.
std::string Script(const std::string& actors, const std::string& shots)
{
    return "[Scene] \"test\"\n{\n\"level\" \"level01\"\n" + actors + shots + "}\n";
}

const std::string kActor = "[SceneActor] \"actor\"\n{\n\"name\" \"a\"\n}\n";
const std::string kFade = "[SceneFade] \"actor\"\n{\n\"fadeType\" 2\n}\n";

TEST_F(CutSceneScriptTest, WrittenSceneReadsBackWhole)
{
    Scene written;
    written.level = "level02";
    written.settings = "cutscene";
    written.crossFadeableSkyDome = 1;
    written.Actors().push_back(std::make_unique<SceneActor>("goalie", "player.dff", "player_tex", std::vector<int32_t>{3, 7}));
    written.Actors().push_back(std::make_unique<SceneActor>("plate", "plate.dff", "props"));
    auto shot = std::make_unique<SceneShot>();
    shot->SetCamera("s1.anm", 0.6f, 0.5f, 300.0f);
    shot->replaySpeed = 0.5f;
    shot->fogDensity = 0.25f;
    shot->ActorAnims().push_back(std::make_unique<ActorAnim>("goalie", "idle", "loc.anm", std::vector<int32_t>{1}));
    shot->Fades().push_back(std::make_unique<SceneFade>(2, 0.0f, 1.5f, Color(0.5f, 0.25f, 1.0f, 0.75f), "", 1));
    shot->Fades().push_back(std::make_unique<SceneFade>(7, 1.0f, 2.0f, Color(0, 0, 0, 1), "plate"));
    written.Shots().push_back(std::move(shot));

    const std::string text = WrittenTable(written);
    EXPECT_NE(text.find("\"invisible atomics\" \"3,7,\""), std::string::npos) << text;
    EXPECT_NE(text.find("[Scene shot] \"shot\""), std::string::npos);
    Scene read;
    ReadTable(read, text);

    EXPECT_EQ(WrittenTable(read), text);
    ASSERT_EQ(read.Actors().size(), 2u);
    EXPECT_EQ(read.Actors()[0]->GetInvisibleAtomics(), (std::vector<int32_t>{3, 7}));
    ASSERT_EQ(read.Shots().size(), 1u);
    const SceneShot& back = *read.Shots()[0];
    ASSERT_EQ(back.Fades().size(), 2u);
    EXPECT_EQ(back.Fades()[0]->fadeColor.g, 0.25f);
    EXPECT_EQ(back.Fades()[1]->fadeObjName, "plate");
    EXPECT_EQ(back.ActorAnims()[0]->GetInvisibleAtomics(), (std::vector<int32_t>{1}));
    EXPECT_EQ(back.replaySpeed, 0.5f);
    EXPECT_EQ(read.crossFadeableSkyDome, 1);
}

TEST_F(CutSceneScriptTest, CountsAndSectionsDecideWhatIsMade)
{
    struct Case {
        const char* name;
        std::string text;
        size_t actors, shots, fades;
        const char* warning;  // empty: none
    };
    const std::string twoShots = ShotText("", "\"num fades\" 1\n" + kFade) + ShotText("", "");
    const Case cases[] = {
        {"no actors, shots still read", Script("\"num actors\" 0\n" + kActor, "\"num shots\" 2\n" + twoShots), 0, 2, 1, ""},
        {"count of 10^9 with two sections", Script("\"num actors\" 1000000000\n" + kActor + kActor, ""), 2, 0, 0,
         "only 2 [SceneActor] sections follow"},
        {"negative count reads 0", Script("\"num actors\" -5\n" + kActor, ""), 0, 0, 0, "is -5; read as 0"},
        {"fade under another instance name is not read",
         Script("", "\"num shots\" 1\n" + ShotText("", "\"num fades\" 1\n[SceneFade] \"fade\"\n{\n\"fadeType\" 2\n}\n")), 0, 1,
         0, "only 0 [SceneFade]"},
        {"missing count makes nothing", Script(kActor, ""), 0, 0, 0, ""},
        {"cut off in a section", "[Scene] \"test\"\n{\n\"num actors\" 3\n" + kActor + "[SceneActor] \"actor\"\n{\n\"na", 2, 0,
         0, "only 2 [SceneActor] sections follow"},
        {"not a script", std::string("\x01\x02[\xff\"\n}\n\"num shots\" 9\n", 16), 0, 0, 0, ""},
    };
    for (const Case& c : cases) {
        LogCapture log;
        Scene scene;
        ReadTable(scene, c.text);
        EXPECT_EQ(scene.Actors().size(), c.actors) << c.name;
        EXPECT_EQ(scene.Shots().size(), c.shots) << c.name;
        EXPECT_EQ(scene.Shots().empty() ? 0u : scene.Shots()[0]->Fades().size(), c.fades) << c.name;
        if (*c.warning)
            EXPECT_TRUE(log.Contains(c.warning)) << c.name << "\n" << log.Text();
        else
            EXPECT_FALSE(log.Contains("Scene::Serialize")) << c.name << "\n" << log.Text();
    }
}

TEST_F(CutSceneScriptTest, MissingKeysKeepTheirStartingValues)
{
    Scene scene;
    ReadTable(scene, Script("", "\"num shots\" 1\n" + ShotText("", "\"num fades\" 1\n" + kFade)));
    ASSERT_EQ(scene.Shots().size(), 1u);
    const SceneShot& shot = *scene.Shots()[0];
    EXPECT_EQ(shot.replaySpeed, 1.0f);
    EXPECT_EQ(shot.cameraFov, 0.0f);
    EXPECT_EQ(shot.cameraAnim, "a.anm");
    const SceneFade& fade = *shot.Fades()[0];
    EXPECT_EQ(fade.fadeType, 2);
    EXPECT_EQ(fade.fadeStart, 0.0f);
    EXPECT_EQ(fade.fadeColor.a, 1.0f);
    EXPECT_EQ(fade.fadeColor.r, 0.0f);
}

TEST(AtomicIndicesTest, ParsesAndFormatsAsTheScriptHoldsThem)
{
    const std::pair<const char*, std::vector<int32_t>> parsed[] = {
        {"3,7,", {3, 7}}, {"3,,7", {3, 7}}, {"", {}}, {",,", {}}, {"12", {12}}, {"1,x,2", {1, 2}}, {"-1,4", {-1, 4}},
    };
    for (const auto& [text, indices] : parsed)
        EXPECT_EQ(ParseAtomicIndices(text), indices) << text;
    EXPECT_EQ(FormatAtomicIndices({3, 7}), "3,7,");
    EXPECT_EQ(FormatAtomicIndices({}), "");
}

TEST(NewspaperPageTest, ImageNamesFollowRoundAndPage)
{
    EXPECT_EQ(NewspaperPage::ImageName(2, 4), "R03_2nd_game_won.png");
    EXPECT_EQ(NewspaperPage::ImageName(0, 7), "R01_before_1st_training.png");
    EXPECT_EQ(NewspaperPage::ImageName(6, 0), "R07_1st_game_draw.png");
    EXPECT_EQ(NewspaperPage::ImageName(0, NewspaperPage::kNoPage), "");
    EXPECT_EQ(NewspaperPage::ImageName(0, -1), "");
}

// Fails to make rasters wider than its limit, and counts the sizes asked for.
class LimitedCamera : public Camera {
public:
    LimitedCamera(uint32_t limit, std::vector<uint32_t>& tried) : m_limit(limit), m_tried(tried) {}
    bool Create(uint32_t width, uint32_t height, bool z, bool texture, uint32_t depth, uint32_t zDepth) override
    {
        m_tried.push_back(width);
        return width <= m_limit && Camera::Create(width, height, z, texture, depth, zDepth);
    }

private:
    uint32_t m_limit;
    std::vector<uint32_t>& m_tried;
};

TEST_F(CutSceneScriptTest, PageHalvesItsSizeUntilARasterIsMade)
{
    const std::tuple<uint32_t, std::vector<uint32_t>, int> cases[] = {
        {256, {1024, 512, 256}, 256},
        {2048, {1024}, 1024},
        {100, {1024, 512, 256, 128}, 0},
    };
    for (const auto& [limit, sizes, made] : cases) {
        LogCapture log;
        std::vector<uint32_t> tried;
        NewspaperPage page(1024, 1024, std::make_unique<LimitedCamera>(limit, tried));
        EXPECT_EQ(tried, sizes) << limit;
        EXPECT_EQ(page.GetWidth(), made) << limit;
        EXPECT_EQ(page.HasPage(), made > 0) << limit;
        EXPECT_EQ(log.Contains("no raster down to 128"), made == 0) << limit;
    }
}

// The textures of the materials of a one-material grid model whose texture has that name.
std::string PaperAfterApply(const char* texture, bool withPage)
{
    std::filesystem::create_directories("paper");
    WriteImage(("paper/" + std::string(texture) + ".bmp").c_str(), 4, 4, {200, 200, 200, 255});
    WriteGridModel("paper/sheet.dff", 1, 0.0f, "paper", texture, false);
    Clump clump;
    clump.LoadClump("paper/sheet.dff", "paper/", true);
    std::vector<uint32_t> tried;
    NewspaperPage page(256, 256, std::make_unique<LimitedCamera>(withPage ? 256 : 0, tried));
    page.ApplyToClump(clump);
    std::vector<RpAtomic*> atomics;
    clump.GetAtomics(atomics);
    const RpGeometry* geometry = atomics.empty() ? nullptr : RpAtomicGetGeometry(atomics[0]);
    if (!geometry || geometry->matList.numMaterials < 1)
        return "no material";
    const RwTexture* now = RpMaterialGetTexture(geometry->matList.materials[0]);
    if (!now)
        return "none";
    return now == page.GetTexture() ? "page" : RwTextureGetName(now);
}

TEST_F(CutSceneScriptTest, OnlyPaperNamedExactlySoShowsThePage)
{
    EXPECT_EQ(PaperAfterApply("paper", true), "page");
    EXPECT_EQ(PaperAfterApply("Paper", true), "Paper");
    EXPECT_EQ(PaperAfterApply("paper_old", true), "paper_old");
    // No raster could be made: the paper keeps its own texture.
    EXPECT_EQ(PaperAfterApply("paper", false), "paper");
}

TEST_F(CutSceneScriptTest, MissingImageLeavesThePageBlack)
{
    LogCapture log;
    NewspaperPage page(128, 128);
    ASSERT_TRUE(page.HasPage());
    page.DrawImage("R09_no_such_page.png", 0, 0, 1, 1);
    EXPECT_TRUE(log.Contains("no image \"R09_no_such_page.png\""));
}

// A one-track path (node 0 of a locator) through the heights, one key a second.
void WritePath(const char* path, std::vector<float> heights)
{
    RtAnimAnimation* anim = RtAnimAnimationCreate(1, static_cast<float>(heights.size() - 1));
    for (size_t i = 0; i < heights.size(); ++i) {
        RtAnimKeyFrame key{};
        key.time = static_cast<float>(i);
        key.rot[0] = 1.0f;
        key.trans[0] = 1.0f;
        key.trans[1] = heights[i];
        key.trans[2] = 2.0f;
        anim->tracks[0].keys.push_back(key);
    }
    ASSERT_TRUE(RtAnimAnimationWrite(anim, path));
    RtAnimAnimationDestroy(anim);
}

TEST_F(CutSceneScriptTest, ParticlesFollowTheEmitterAndTheControllersHeight)
{
    std::filesystem::create_directories("props");
    WritePath("props/emitter.anm", {3.0f, 3.0f, 3.0f});
    WritePath("props/controller.anm", {-2.0f, -2.0f, 0.5f, 0.5f});
    ParticleSystem system;
    system.SetEmitterSpeed(10.0f);
    OutroParticleDriver driver;
    ASSERT_TRUE(driver.Init(&system, "props/emitter", "props/controller"));
    EXPECT_EQ(driver.GetBaseEmission(), 10.0f);

    driver.Update(0.5f);
    EXPECT_FLOAT_EQ(system.GetEmitterSpeed(), 20.0f);
    EXPECT_TRUE(Near(system.GetPosition(), {1.0f, 3.0f, 2.0f + OutroParticleDriver::kDepthOffset}));
    // Past the shorter path's end both start again at 0.
    driver.Update(2.0f);
    EXPECT_EQ(driver.GetTime(), 0.0f);
    EXPECT_FLOAT_EQ(system.GetEmitterSpeed(), 20.0f);
}

TEST_F(CutSceneScriptTest, DriverWithoutPathsLeavesTheSystemAlone)
{
    LogCapture log;
    ParticleSystem system;
    system.SetEmitterSpeed(10.0f);
    OutroParticleDriver driver;
    EXPECT_FALSE(driver.Init(&system, "props/none", "props/none"));
    driver.Update(0.5f);
    EXPECT_EQ(system.GetEmitterSpeed(), 10.0f);
    EXPECT_TRUE(log.Contains("OutroParticleDriver::Init: no path"));
}

}  // namespace
