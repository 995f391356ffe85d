// The shipped settings files read back through the game's cast reader with every key the
// tables know and none they do not, and hold values a match can be played with.
#include "support/AssetTestSupport.h"

#include "characters/RefereeBrain.h"
#include "characters/RefereeSettings.h"
#include "framework/Cast.h"
#include "framework/FileSystem.h"
#include "match/penalties/PenaltySettings.h"
#include "match/tests/support/TableTestSupport.h"
#include "settings/GameSettings.h"
#include "settings/LevelSettings.h"
#include "settings/MatchSettings.h"
#include "tests/support/LogCapture.h"
#include "tools/assets/world/Balls.h"
#include "tools/assets/world/Levels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

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
    // The match settings and the first level's, which a parried ball's flight reads.
    bool LoadBallFlight(MatchSettings& s, LevelSettings& level) const
    {
        return Load("matchsettings.txt", "matchsettings", "Match Settings", &s) &&
               Load((std::string(assets::world::LevelTheme(0).folder) + "/settings/level/level.txt").c_str(), "level",
                    "Level Settings", &level);
    }
    std::string stage;
};

// The files as the game's cast table names them, each level's below its settings folder.
struct ShippedFile {
    std::string file;
    const char* cast;
    const char* member;
    std::function<std::unique_ptr<Object>()> make;
};

std::vector<ShippedFile> ShippedFiles()
{
    std::vector<ShippedFile> files = {
        {"matchsettings.txt", "matchsettings", "Match Settings", [] { return std::make_unique<MatchSettings>(); }},
        {"penalties.txt", "penalties", "Penalty Settings", [] { return std::make_unique<PenaltySettings>(); }},
        {"global/global.txt", "global", "Game Settings", [] { return std::make_unique<GameSettings>(); }},
        {"referee.txt", "referee", "Referee Settings", [] { return std::make_unique<RefereeSettings>(); }},
    };
    for (int i = 0; i < assets::world::kLevelCount; ++i)
        files.push_back({std::string(assets::world::LevelTheme(i).folder) + "/settings/level/level.txt", "level",
                         "Level Settings", [] { return std::make_unique<LevelSettings>(); }});
    return files;
}

TEST_F(ShippedSettings, EveryFileHoldsExactlyItsTablesKeys)
{
    for (const ShippedFile& shipped : ShippedFiles()) {
        SCOPED_TRACE(shipped.file);
        const std::unique_ptr<Object> object = shipped.make();
        EXPECT_EQ(Keys(Text(shipped.file.c_str())), Keys(Write(*object)));
        EXPECT_TRUE(Load(shipped.file.c_str(), shipped.cast, shipped.member, object.get()));
        // Each member under the name the game's cast gives it.
        EXPECT_NE(Text(shipped.file.c_str()).find(std::string("# ") + std::string(48, '-') + " " + shipped.member),
                  std::string::npos);
    }
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

// The foul spot's limits exist only in the file; and a referee who set off walking keeps
// walking until he nears his target, running only where a standing one would.
TEST_F(ShippedSettings, RefereeWalksBetweenHisStandAndRunDistances)
{
    RefereeSettings* s = RefereeSettings::Instance();
    table_test::ChangeEveryValue(*s);
    ASSERT_TRUE(Load("referee.txt", "referee", "Referee Settings", s));
    EXPECT_GT(s->foulSpotMaxDist, 0.0f);
    EXPECT_GT(s->foulSpotMaxFov, 0.0f);
    EXPECT_LT(s->foulSpotMaxFov, 3.1416f);
    RefereeBrain brain(nullptr, nullptr, nullptr);
    const float between = (s->standToWalkDist + s->standToRunDist) / 2;
    EXPECT_EQ(brain.NextMovementState(between, 0.0f), RefereeBrain::kWalk);
    brain.SetMovementState(RefereeBrain::kWalk);
    for (float d : {between, s->standToRunDist, s->walkToStandDist})
        EXPECT_EQ(brain.NextMovementState(d, 0.0f), RefereeBrain::kWalk) << d;
    EXPECT_EQ(brain.NextMovementState(s->walkToStandDist / 2, 0.0f), RefereeBrain::kStand);
    EXPECT_EQ(brain.NextMovementState(s->walkToRunDist + 1.0f, 0.0f), RefereeBrain::kRun);
    RefereeSettings::DestroyInstance();
}

TEST_F(ShippedSettings, MatchSettingsGiveEveryOpenValue)
{
    MatchSettings s;
    ASSERT_TRUE(Load("matchsettings.txt", "matchsettings", "Match Settings", &s));
    for (float value : {s.aiHeaderDistance, s.maxHeaderHeightError, s.goalReactionTime, s.goalMaxStagger,
                        s.penaltyReactionTime, s.facingAngleError, s.minDeflectSpeed, s.maxDeflectSpeed,
                        s.loftDeflectAngle, s.fadeLength, s.goalkickEndDistLimit})
        EXPECT_GT(value, 0.0f);
    // 0 is a parry that no team-mate gets.
    EXPECT_GE(s.maxDeflectAngle, 0.0f);
    EXPECT_LE(s.goalMinStagger, s.goalMaxStagger);
    EXPECT_LT(s.minDeflectSpeed, s.maxDeflectSpeed);
    EXPECT_GT(s.cornerDistIn, 2 * assets::world::kBallRadius);
    EXPECT_GT(s.throwInDistIn, 2 * assets::world::kBallRadius);
    EXPECT_FALSE(s.directionArrowFileName.empty());
    EXPECT_GT(s.minShotSpeed, 0.0f);
    EXPECT_GT(s.holdTimeForMaxPower, 0.0f);
    EXPECT_GT(s.directionArrowWidth * s.directionArrowHeight, 0.0f);
}

// Where a parried ball, sent up as the settings send it along the flat direction given,
// crosses the goal line that lies `out` metres behind the keeper's back: its height, or a
// negative value when it comes down short of the line or flies away from it. Steps as the
// ball's own, gravity and the air slowing it along its path.
float HeightOverTheLine(const MatchSettings& s, const LevelSettings& level, float speed, float along, float from,
                        float out)
{
    // `along` is 1 with the ball in front of him, -1 behind him; past the upright the loft
    // turns the push round.
    float back = -along * speed * std::cos(s.loftDeflectAngle), up = speed * std::sin(s.loftDeflectAngle);
    float x = 0.0f, y = from;
    constexpr float kStep = 1.0f / 240.0f;
    while (y >= 0.0f && back > 0.0f) {
        const float pace = std::hypot(back, up);
        up -= level.gravity * kStep;
        back -= back / pace * level.ballDecelInAir * kStep;
        up -= up / pace * level.ballDecelInAir * kStep;
        x += back * kStep;
        y += up * kStep;
        if (x >= out)
            return y;
    }
    return -1.0f;
}

// A ball met in front of the keeper, as his saves meet it, is pushed up and back over his
// head: the slowest and the fastest parry, even off the grass, cross the goal line above the
// bar from a save on his line to one 4 m out, so that it is a corner and never his own goal.
// One met behind him goes back out, away from his goal.
TEST_F(ShippedSettings, AParryMetInFrontGoesOverTheBarAndOneMetBehindGoesOut)
{
    MatchSettings s;
    LevelSettings level;
    ASSERT_TRUE(LoadBallFlight(s, level));
    const float bar = assets::world::kGoalHeight + assets::world::kBallRadius;
    for (const float speed : {s.minDeflectSpeed, s.maxDeflectSpeed}) {
        for (const float out : {1.0f, 2.0f, 3.0f, 4.0f}) {
            for (const float from : {assets::world::kBallRadius, 1.0f, 2.3f}) {
                SCOPED_TRACE(testing::Message() << speed << " m/s, " << out << " m out, from " << from << " m");
                // The flat direction from the keeper to the ball points away from his goal.
                EXPECT_GT(HeightOverTheLine(s, level, speed, 1.0f, from, out), bar);
                EXPECT_LT(HeightOverTheLine(s, level, speed, -1.0f, from, out), 0.0f);
            }
        }
    }
}

// A shot at no power, by a kicker of middling to good shooting, from the edge of the
// goal area to the edge of the penalty area, crosses the goal line off the grass and under the
// bar: the keeper has to reach for it.
TEST_F(ShippedSettings, AShotAtNoPowerFromTheAreaComesInBetweenTheGrassAndTheBar)
{
    MatchSettings s;
    LevelSettings level;
    ASSERT_TRUE(LoadBallFlight(s, level));
    for (const float shooting : {50.0f, 80.0f}) {
        const float speed = s.minShotSpeed + (s.maxShotSpeed - s.minShotSpeed) * shooting / 100.0f;
        const float along = speed * std::cos(s.minShotLoftAngle), up = speed * std::sin(s.minShotLoftAngle);
        for (const float out : {5.5f, 16.5f}) {
            SCOPED_TRACE(testing::Message() << "shooting " << shooting << ", " << out << " m out");
            // Slowed in the air, it takes longer than at its first speed.
            const float t = (along - std::sqrt(along * along - 2.0f * level.ballDecelInAir * out)) / level.ballDecelInAir;
            const float height = assets::world::kBallRadius + up * t - 0.5f * level.gravity * t * t;
            EXPECT_GT(height, 2.0f * assets::world::kBallRadius);
            EXPECT_LT(height, assets::world::kGoalHeight - assets::world::kBallRadius);
        }
    }
}

// The hardest shot at no power from the usual 23 m comes at a keeper standing on his guard
// cylinder no higher than the bar, within his jump: he tips it over. From any higher it flew
// over him, and the shots that reached him were the weaker ones, which he holds.
TEST_F(ShippedSettings, TheHardestShotFromTheUsualRangeComesWithinTheKeepersJump)
{
    MatchSettings s;
    LevelSettings level;
    ASSERT_TRUE(LoadBallFlight(s, level));
    const float along = s.maxShotSpeed * std::cos(s.minShotLoftAngle), up = s.maxShotSpeed * std::sin(s.minShotLoftAngle);
    const float flight = 23.0f - assets::world::kGuardRadius;
    const float t = (along - std::sqrt(along * along - 2.0f * level.ballDecelInAir * flight)) / level.ballDecelInAir;
    EXPECT_LT(assets::world::kBallRadius + up * t - 0.5f * level.gravity * t * t,
              assets::world::kGoalHeight + assets::world::kBallRadius);
}

// A pass by the weakest kicker still reaches a team-mate, and the strongest one's goes at
// well under a shot's speed.
TEST_F(ShippedSettings, PassesGoAtAPassesSpeed)
{
    MatchSettings s;
    ASSERT_TRUE(Load("matchsettings.txt", "matchsettings", "Match Settings", &s));
    const auto passSpeed = [&s](float shooting) {
        return (s.minShotSpeed + (s.maxShotSpeed - s.minShotSpeed) * shooting / 100.0f) * s.passSpeedMultiplier;
    };
    EXPECT_GT(passSpeed(50.0f), 12.0f);
    EXPECT_LT(passSpeed(100.0f), 26.0f);
}

// Passes are lofted by an angle a player can see, not by 20 radians.
TEST_F(ShippedSettings, PassLoftIsAnAngle)
{
    GameSettings s;
    ASSERT_TRUE(Load("global/global.txt", "global", "Game Settings", &s));
    EXPECT_GT(s.passLoftAngle, 0.2f);
    EXPECT_LT(s.passLoftAngle, 0.6f);
    // A snag from behind fails: the holder must face the snagger within a right angle or so.
    EXPECT_LT(s.snagAttackerAngle, 1.6f);
    EXPECT_LT(s.snagDefenderAngle, 2.0f);
}

// The side keeps its shape while it defends: of two players, the one 20 m from his place is
// not sent at the holder ahead of a team-mate standing in his, though he is 15 m nearer the
// ball. The defend choice weighs nearness to the ball (per 100 m) at 1.
TEST_F(ShippedSettings, ADefenderOutOfPlaceLeavesTheHolderToOneInPlace)
{
    GameSettings s;
    ASSERT_TRUE(Load("global/global.txt", "global", "Game Settings", &s));
    const auto score = [&](float toBall, float toPlace) {
        return (1.0f - toBall / 100.0f) + s.distanceFromTacticalPositionWeighting * (1.0f - toPlace / 100.0f);
    };
    EXPECT_GT(score(20.0f, 2.0f), score(5.0f, 20.0f));
    // Yet he leaves his place a little to press: 10 m nearer the ball than the man in place,
    // he goes from 3.5 m off his own and not from 4.5 m.
    EXPECT_GT(score(10.0f, 3.5f), score(20.0f, 0.0f));
    EXPECT_LT(score(10.0f, 4.5f), score(20.0f, 0.0f));
}

// Defenders slide from close in: from 3.5 m, the last defender sent at a holder in his area,
// a match had 1.5-1.8 penalties (from 3 m now under 0.2, where 2.75 m left under 12 fouls once
// goals came from wide shots). The fouls lost come back from a computer side that goes in at
// every turn, and the referee books from further than a slide starts (at 4 m a match had
// fewer than two yellow cards).
TEST_F(ShippedSettings, DefendersSlideFromCloseInAndTheRefereeBooksWhatHeSeesThatNear)
{
    GameSettings game;
    ASSERT_TRUE(Load("global/global.txt", "global", "Game Settings", &game));
    RefereeSettings referee;
    ASSERT_TRUE(Load("referee.txt", "referee", "Referee Settings", &referee));
    EXPECT_LE(game.slideAttackDist, 3.0f);
    EXPECT_GE(game.slideAttackDist, 2.5f);
    EXPECT_GE(game.singleMatchAggression, 100.0f);
    EXPECT_LE(game.minFoulAngle, 0.6f);
    EXPECT_GE(referee.redCardAwardDist, game.slideAttackDist + 1.5f);
}

// The slowest player still runs and the fastest no quicker than a sprinter, so that a match
// moves at football's pace; a holder dribbles at a run, not a walk.
TEST_F(ShippedSettings, PlayersRunAtAFootballersPace)
{
    GameSettings s;
    ASSERT_TRUE(Load("global/global.txt", "global", "Game Settings", &s));
    for (const float speedLevel : {0.0f, 100.0f}) {
        SCOPED_TRACE(speedLevel);
        const float run = s.worstRunningSpeed + (s.bestRunningSpeed - s.worstRunningSpeed) * speedLevel / 100.0f;
        EXPECT_GE(run, 4.0f);
        EXPECT_LE(run, 10.0f);
        EXPECT_GE(run * s.runWithBallSpeedMultiplier, 2.0f);
    }
}

// A keeper who has stopped short of his guard point still meets a shot aimed through it with a
// save on the spot, which reaches half a save cell to either side.
TEST_F(ShippedSettings, AStoppedKeeperStandsWithinReachOfHisGuardPoint)
{
    GameSettings s;
    ASSERT_TRUE(Load("global/global.txt", "global", "Game Settings", &s));
    const std::string characters = Text("Characters.txt");
    const std::string key = "\"Keeper save grid width\" ";
    int races = 0;
    for (size_t at = characters.find(key); at != std::string::npos; at = characters.find(key, at + 1), ++races)
        EXPECT_LT(s.minKeeperStepDist, 0.5f * std::stof(characters.substr(at + key.size())));
    EXPECT_EQ(races, 5);
}

// A ball that bounces lower each time, rolls to a stop in a few seconds, spins, and throws
// its shadow away from the sun onto the pitch.
TEST_F(ShippedSettings, EveryLevelsBallCanBePlayed)
{
    const assets::Vec3 toSun = assets::world::ToSun();
    for (int i = 0; i < assets::world::kLevelCount; ++i) {
        const std::string file = std::string(assets::world::LevelTheme(i).folder) + "/settings/level/level.txt";
        SCOPED_TRACE(file);
        LevelSettings s;
        ASSERT_TRUE(Load(file.c_str(), "level", "Level Settings", &s));
        EXPECT_GT(s.ballRestitution, 0.3f);
        EXPECT_LT(s.ballRestitution, 0.8f);
        EXPECT_GT(s.minBounceSpeed, 0.1f);
        EXPECT_GT(s.ballDecelOnGround, 1.0f);
        EXPECT_GT(s.maxBallSpin, 10.0f);
        EXPECT_NEAR(s.lightDirection.NormSquared(), 1.0f, 1e-4f);
        const Vector3 light = s.lightDirection.Rotate(Vector3::UnitZ);
        EXPECT_NEAR(light.x, -toSun.x, 1e-4f);
        EXPECT_NEAR(light.y, -toSun.y, 1e-4f);
        EXPECT_NEAR(light.z, -toSun.z, 1e-4f);
    }
}

}  // namespace
