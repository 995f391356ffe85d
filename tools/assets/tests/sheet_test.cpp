// The contact sheet renders every page through the engine on the GL device (offscreen),
// and what it writes are real pictures.
#include "support/AssetTestSupport.h"

#include "tests/support/BuildTree.h"
#include "tools/assets/characters/Characters.h"

#include "engine/core/RwImage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace assets;

class ContactSheet : public ::testing::Test {
protected:
    // Only the generation runs on the null device here; the sheet runs as the tool does, in
    // its own process, so the GL engine session does not meet the test's null one.
    static void SetUpTestSuite()
    {
        const std::string& stage = test::SharedStage();
        if (stage.empty())
            return;
        s_out = std::filesystem::absolute("sheet").string();
        std::filesystem::remove_all(s_out);
        const std::string command = std::string(build_tree::Path("tools/assets/tbasset")) + " --contact-sheet " + stage + " " + s_out;
        s_status = std::system(command.c_str());
    }
    void SetUp() override
    {
        ASSERT_FALSE(test::SharedStage().empty());
        if (s_status != 0 && !std::getenv("TB_REQUIRE_GL"))
            GTEST_SKIP() << "no OpenGL 3.3 context here (exit " << s_status << ")";
        ASSERT_EQ(s_status, 0);
    }

    static inline int s_status = -1;
    static inline std::string s_out;
};

TEST_F(ContactSheet, RendersEveryPageIntoPictures)
{
    int pictures = 0;
    for (const std::string& name : test::ListFiles(s_out)) {
        if (name.size() < 4 || name.substr(name.size() - 4) != ".png")
            continue;
        ++pictures;
        std::vector<unsigned char> bytes;
        ASSERT_TRUE(test::ReadBytes(s_out + "/" + name, bytes));
        // A uniform picture compresses to almost nothing; a rendered scene does not.
        EXPECT_GT(bytes.size(), 4000u) << name;
    }
    for (const char* level : {"level01", "level02", "level03", "level04"})
        EXPECT_TRUE(std::filesystem::exists(s_out + "/" + level + "_main.png")) << level;
    EXPECT_GE(pictures, 17);
}

// The sheet's sky, grass and grid lines: all that may show where no figure stands.
bool Background(const RwUInt8* p)
{
    static const RwUInt8 colours[][3] = {{176, 196, 214}, {86, 138, 74}, {150, 190, 140}};
    for (const auto& c : colours)
        if (std::abs(p[0] - c[0]) + std::abs(p[1] - c[1]) + std::abs(p[2] - c[2]) <= 6)
            return true;
    return false;
}

// Every figure of a row is in the picture, none cut off at its sides, and they stand on a
// pitch under a sky.
TEST_F(ContactSheet, CharacterRowsFitThePictureOnAPitch)
{
    ASSERT_TRUE(test::EngineUp());
    std::vector<std::string> pages = {"characters_lineup"};
    for (chars::Race race : chars::kRaces) {
        const std::string name = chars::RaceName(race);
        pages.push_back("characters_" + name);
        pages.push_back("characters_look_" + name);
    }
    for (const std::string& page : pages) {
        SCOPED_TRACE(page);
        RwImage* image = RwImageRead((s_out + "/" + page + ".png").c_str());
        ASSERT_NE(image, nullptr);
        ASSERT_EQ(image->depth, 32);
        const auto at = [image](int x, int y) { return image->pixels + y * image->stride + x * 4; };
        int cut = 0;
        for (int y = 0; y < image->height; ++y)
            for (int x : {0, image->width - 1})
                cut += Background(at(x, y)) ? 0 : 1;
        EXPECT_EQ(cut, 0);
        const RwUInt8* top = at(image->width / 2, 0);
        const RwUInt8* bottom = at(0, image->height - 1);
        EXPECT_TRUE(top[2] > top[1] && top[1] > top[0]);   // sky
        EXPECT_TRUE(bottom[1] > bottom[0] && bottom[1] > bottom[2]);  // grass
        RwImageDestroy(image);
    }
}

}  // namespace
