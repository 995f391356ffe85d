// The shipped settings files read back through the game's cast reader with every key the
// tables know and none they do not, and hold values a match can be played with.
#include "support/AssetTestSupport.h"

#include "framework/Cast.h"
#include "framework/FileSystem.h"
#include "match/MatchSettings.h"
#include "match/penalties/PenaltySettings.h"
#include "match/tests/support/TableTestSupport.h"
#include "tests/support/LogCapture.h"
#include "tools/assets/world/Balls.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

using table_test::Keys;
using table_test::Write;

class ShippedSettings : public ::testing::Test {
protected:
    void SetUp() override
    {
        stage = assets::test::SharedStage();
        ASSERT_FALSE(stage.empty()) << "the data set was not generated";
    }
    std::string Path(const char* file) const { return stage + "/data/pc/" + file; }
    std::string Text(const char* file) const
    {
        std::ifstream in(Path(file), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // Reads the file into the object as the game does; false when a block was damaged or a
    // problem was logged.
    bool Load(const char* file, const char* castName, const char* member, Object* object) const
    {
        LogCapture log;
        Cast cast(castName);
        cast.AddMember(object, member, false);
        const bool loaded = LoadSettings(&cast, Path(file).c_str());
        cast.RemoveMember(object);
        EXPECT_EQ(log.Text(), "");
        return loaded && log.lines.empty();
    }
    std::string stage;
};

TEST_F(ShippedSettings, EveryFileHoldsExactlyItsTablesKeys)
{
    MatchSettings match;
    PenaltySettings penalties;
    EXPECT_EQ(Keys(Text("matchsettings.txt")), Keys(Write(match)));
    EXPECT_EQ(Keys(Text("penalties.txt")), Keys(Write(penalties)));
    EXPECT_TRUE(Load("matchsettings.txt", "matchsettings", "Match Settings", &match));
    EXPECT_TRUE(Load("penalties.txt", "penalties", "Penalty Settings", &penalties));
}

// A key missing from the player's copy of the file falls back to the shipped value.
TEST_F(ShippedSettings, PenaltiesEqualTheCompiledInValues)
{
    PenaltySettings loaded;
    table_test::ChangeEveryValue(loaded);
    ASSERT_TRUE(Load("penalties.txt", "penalties", "Penalty Settings", &loaded));
    PenaltySettings compiledIn;
    EXPECT_EQ(Write(loaded), Write(compiledIn));
}

TEST_F(ShippedSettings, MatchSettingsGiveEveryOpenValue)
{
    MatchSettings s;
    ASSERT_TRUE(Load("matchsettings.txt", "matchsettings", "Match Settings", &s));
    for (float value : {s.aiHeaderDistance, s.maxHeaderHeightError, s.goalReactionTime, s.goalMaxStagger,
                        s.penaltyReactionTime, s.facingAngleError, s.minDeflectSpeed, s.maxDeflectSpeed,
                        s.maxDeflectAngle, s.loftDeflectAngle, s.fadeLength, s.goalkickEndDistLimit})
        EXPECT_GT(value, 0.0f);
    EXPECT_LE(s.goalMinStagger, s.goalMaxStagger);
    EXPECT_LT(s.minDeflectSpeed, s.maxDeflectSpeed);
    EXPECT_GT(s.cornerDistIn, 2 * assets::world::kBallRadius);
    EXPECT_GT(s.throwInDistIn, 2 * assets::world::kBallRadius);
    EXPECT_FALSE(s.directionArrowFileName.empty());
    EXPECT_GT(s.directionArrowWidth * s.directionArrowHeight, 0.0f);
}

}  // namespace
