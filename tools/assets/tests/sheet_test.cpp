// The contact sheet renders every page through the engine on the GL device (offscreen),
// and what it writes are real pictures.
#include "support/AssetTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

TEST(ContactSheet, RendersEveryPageIntoPictures)
{
    // Only the generation runs on the null device here; the sheet runs as the tool does, in
    // its own process, so the GL engine session does not meet the test's null one.
    const std::string& stage = assets::test::SharedStage();
    ASSERT_FALSE(stage.empty());
    const std::string out = std::filesystem::absolute("sheet").string();
    std::filesystem::remove_all(out);
    const std::string command = std::string(TBASSET_PATH) + " --contact-sheet " + stage + " " + out;
    const int status = std::system(command.c_str());
    if (status != 0 && !std::getenv("TB_REQUIRE_GL"))
        GTEST_SKIP() << "no OpenGL 3.3 context here (exit " << status << ")";
    ASSERT_EQ(status, 0);
    int pictures = 0;
    for (const std::string& name : assets::test::ListFiles(out)) {
        if (name.size() < 4 || name.substr(name.size() - 4) != ".png")
            continue;
        ++pictures;
        std::vector<unsigned char> bytes;
        ASSERT_TRUE(assets::test::ReadBytes(out + "/" + name, bytes));
        // A uniform picture compresses to almost nothing; a rendered scene does not.
        EXPECT_GT(bytes.size(), 4000u) << name;
    }
    for (const char* level : {"level01", "level02", "level03", "level04"})
        EXPECT_TRUE(std::filesystem::exists(out + "/" + level + "_main.png")) << level;
    EXPECT_GE(pictures, 17);
}

}  // namespace
