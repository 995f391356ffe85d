// The settings files of the default data, written by the game's own cast writer from the
// settings objects, so the files hold exactly the keys the game reads, in its order.
#include "characters/RefereeSettings.h"
#include "framework/Cast.h"
#include "framework/DebugDisplay.h"
#include "match/penalties/PenaltySettings.h"
#include "settings/GameSettings.h"
#include "settings/LevelSettings.h"
#include "settings/MatchSettings.h"
#include "tools/assets/common/Files.h"
#include "tools/assets/common/Registry.h"
#include "tools/assets/world/Balls.h"
#include "tools/assets/world/Levels.h"

#include <cmath>
#include <string>

namespace assets {

namespace {

// How far inside the lines a corner or throw-in is taken: more than the ball's diameter, so
// a ball placed for the kick never touches the plane it went out over.
constexpr float kPlacedInside = 1.0f;
static_assert(kPlacedInside > 2 * world::kBallRadius);

// The values the settings object leaves open or at zero; the rest keep their defaults.
void ShipMatchSettings(MatchSettings& s)
{
    s.fadeLength = 0.5f;
    s.directionArrowFileName = "<PP>\\Misc\\arrow.png";
    // Tilted up, so that the broadcast camera sees more than its edge.
    s.directionArrowWidth = 1.5f;
    s.directionArrowHeight = 4.0f;
    s.directionArrowAngleToGround = 0.35f;
    s.cornerDistIn = kPlacedInside;
    s.throwInDistIn = kPlacedInside;
    s.goalkickEndDistLimit = 1.0f;
    s.aiHeaderDistance = 3.0f;
    s.maxHeaderHeightError = 0.5f;
    s.goalReactionTime = 3.0f;
    s.goalMinStagger = 0.0f;
    s.goalMaxStagger = 0.3f;
    s.penaltyReactionTime = 1.5f;
    s.facingAngleError = 0.3f;
    // A parry goes where the ball met the keeper, never to a team-mate: aimed at one dead ahead
    // (0.05 rad), a quarter of the parries went back out towards the box. Its loft is past the
    // upright, so the palm sends the ball up and back over his head: one met in front of him,
    // as nearly every save meets it, is tipped over the bar for a corner, and one met behind
    // him goes back out. At 1.0 rad a parry flew on into the pitch, to the shooter's side or
    // over the touchline, and a match had half a corner. Steeper, the slowest parry off the
    // grass falls short of the line; flatter, it crosses the line under the bar.
    s.minDeflectSpeed = 12.0f;
    s.maxDeflectSpeed = 20.0f;
    s.maxDeflectAngle = 0.0f;
    s.loftDeflectAngle = 1.8f;
    // Shots of 25 to 40 m/s by shooting level. The keeper reads a shot's path in steps of a
    // tenth of a second, so a fast ball crossing his goal at an angle can beat his dive: with
    // passes finding the forwards, shots up to 36 m/s left under 2.5 goals a match.
    s.maxShotSpeed = 40.0f;
    // A shot at no power, as the computer strikes every shot, leaves the grass at 10 degrees:
    // flat along it, the keeper gathered nearly every one at his feet, 30 catches a match and
    // under two goals once passes found their man. At 11.5 degrees the hardest shots from the
    // usual 23 m came at the keeper above his jump, and with the high ones tipped over a match
    // had 20 corners and under 12 fouls; at 9 degrees he held so many that it had under two
    // goals.
    s.minShotLoftAngle = 0.18f;
    // A pass goes at 0.63 of a shot's speed, 16 to 25 m/s: one that misses its man runs out of
    // play or is picked up instead of crossing the pitch into the far goal, and a wide one
    // reaches the touchline (at 0.55 there were a third fewer throw-ins and corners).
    s.passSpeedMultiplier = 0.63f;
    // Seconds a keeper may start his save early, up to 0.7 s for the weakest. Early at his
    // stretch he lies across the ball's path and meets it in front of him; in time he reaches
    // it beside or behind him and pushes it round the post. Up to 0.3 s, with shots off the
    // grass and passes that find the forwards, a match had under 2.5 goals.
    s.worstKeeperSaveMisjudgement = 0.7f;
    s.bestKeeperSaveMisjudgement = 0.0f;
    // A keeper reads a ball a second and a half before it reaches him: a hard pass rolling at
    // 16 m/s wide of his dive leaves him time to side-step into its path first.
    s.keeperSaveReserveTime = 1.5f;
    // The keeper turns round his guard cylinder no more than 11.5 degrees off straight out:
    // wide of that the shooter sees the goal beside him (see kGuardRadius).
    s.keeperGuardAngle = 0.2f;
    // Two units across (the size is scaled by 0.8 and cut to whole units), under a seat 1.5 wide.
    s.playerSelectTextureA = "<PP>\\Misc\\plyr_select_a.png";
    s.playerSelectTextureB = "<PP>\\Misc\\plyr_select_b.png";
    s.playerSelectWidth = 2.5f;
    s.playerSelectHeight = 2.5f;
    s.playerSelectRotSpeed = 2.0f;
}

// A computer side goes in for the tackle at every turn at defending in a single match
// (aggression is the chance in a hundred per second), in a story from 30 in the first round to
// 60 in the last; in a turn without it, it closes the holder down to take the ball off him on
// its feet. It slides from 3 m: from 3.5 m, with the last defender sent once the holder is in
// his area, a match had 1.5-1.8 penalties, and from 3 m once 0.6-0.8, before passes found the
// forwards and keepers stood off their line (now under 0.2). The fouls come from tackling at
// every turn and from a narrow fair slide: from the front only within 29 degrees of the
// holder's heading. At 34 degrees and 2.75 m, once goals came from wide shots rather than the
// keeper's misreading, a match had 11.4 fouls.
// A holder dribbles at half his run, so that a defender can close on him.
// The side sends at the holder the player who stands nearest his own place more than the one
// nearest the ball (1.0 in that choice): at the code's 0.7 the forward, left high by a goal
// kick, pressed its receiver at once and shot from 20-30 m, two in five shots of a match. At
// 2.5 a defender 10 m nearer the ball than the man in place goes once he is within 4 m of his
// own: the side presses a little sooner, which opens room behind it. Over 264 matches goals
// went from 3.1 to 3.7 a match and no 24-match set fell under 12 fouls; at 3.0 one had 2.2
// goals, and at 2.0 fouls rose to 15.5 and repeat shots past 2 % in a set.
void ShipTackling(GameSettings& s)
{
    s.distanceFromTacticalPositionWeighting = 2.5f;
    s.singleMatchAggression = 100.0f;
    s.firstRoundAggression = 30.0f;
    s.perRoundAggression = 5.0f;
    s.slideAttackDist = 3.0f;
    s.minFoulAngle = 0.5f;
    s.runWithBallSpeedMultiplier = 0.5f;
}

// A footballer's pace: from 6.5 m/s for the slowest player to 8.4 m/s for the fastest; the
// code's 0 to 15 m/s had the quick ones sprint at 13 m/s all match. A computer holder tries
// his special move about once in half a minute of holding the ball in midfield, not every
// few seconds. A
// keeper who has stopped lets his guard point stray no further than his saves on the spot
// reach (0.45 m and the ball), so that a shot aimed through that point meets him.
void ShipPace(GameSettings& s)
{
    s.worstRunningSpeed = 4.0f;
    s.bestRunningSpeed = 9.0f;
    s.aiAverageTimeBetweenSpecialMoves = 30.0f;
    s.minKeeperStepDist = 0.5f;
}

// The code's loft default is the number 20, which read as radians would lob every pass. A
// field player snags only what lies ahead of him (within about 60 degrees) from a holder who
// faces him or shows him his side (within about 110 degrees); the open half-turns would let
// him take the ball from behind. A computer player starts his snag 3.5 m from the holder and
// reaches 4 m at its contact, which the holder has moved on by: from 2.5 m a dribbler
// mostly reached the shooting zone before anyone took the ball off him. The AI's move ranges are
// tuned in the two-side kick-about: at the code's 10 and 20 m the players drift far from
// their formation before they walk back, and at half a run's speed a jogging player falls
// behind a place that follows a pass.
void ShipGameSettings(GameSettings& s)
{
    s.passLoftAngle = 0.35f;
    s.snagAttackerAngle = 1.0f;
    s.snagDefenderAngle = 1.9f;
    s.snagContactDist = 4.0f;
    s.snagTriggerDistAi = 3.5f;
    s.minimumAiMoveRange = 1.5f;
    s.maximumAiMoveRange = 3.0f;
    s.runToJogMultiplier = 0.7f;
    ShipPace(s);
    ShipTackling(s);
}

// The turn that carries the shadow camera's view axis (+z) along the sunlight, which falls
// from the level's sun towards the pitch.
Quaternion Sunlight()
{
    const Vec3 toSun = world::ToSun();
    const Vector3 along(-toSun.x, -toSun.y, -toSun.z);
    Vector3 axis = Vector3::UnitZ.Cross(along);
    axis.Normalize();
    return Quaternion(std::acos(Vector3::UnitZ.Dot(along)), axis);
}

// A ball that bounces and rolls to a stop the way a real one does on grass.
void ShipLevelSettings(LevelSettings& s)
{
    s.ballRestitution = 0.55f;
    s.minBounceSpeed = 0.5f;
    s.ballDecelOnGround = 2.5f;
    s.maxBallSpin = 60.0f;
    s.lightDirection = Sunlight();
}

// Walking runs only past the distance at which a standing referee would run, so he walks
// between his stand and run thresholds instead of breaking into a run at once.
void ShipRefereeSettings(RefereeSettings& s)
{
    s.walkToRunDist = 6.0f;
    // He follows play a few metres short of the ball, and a long ball leaves him up to 30 m
    // behind the challenge it brings: at 20 m one foul in twenty went unseen (12.8 a match
    // against 13.4), and a 24-match set could fall under 12.
    s.foulSpotMaxDist = 30.0f;
    s.foulSpotMaxFov = 0.7854f;
    // A foul the referee sees from close by is booked: within 4.5 m of the fouler, 6.5 m when
    // it stops an attack at the fouler's own goal line. A booked player tackles on as before
    // until his side has a player sent off, so a wider reach books more players but sends more
    // of them off too: 0.4 red cards a yellow at any reach, and nine matches in ten have a
    // player sent off. At 3.5 m a match had 0.8 red cards, but a 24-match set had 2.0 yellows.
    s.redCardAwardDist = 4.5f;
    s.redCardDistVariation = 2.0f;
}

// One object as the only member of its cast's file.
bool WriteMemberFile(const AssetContext& context, const std::string& file, const char* castName,
                     const char* member, Object* object)
{
    Cast cast(castName);
    cast.AddMember(object, member, false);
    const bool written = WriteCastFile(cast, context.Path(file));
    cast.RemoveMember(object);
    return written;
}

bool WriteSettings(const AssetContext& context)
{
    MatchSettings match;
    ShipMatchSettings(match);
    // The compiled-in penalty values are the shipped ones.
    PenaltySettings penalties;
    GameSettings game;
    ShipGameSettings(game);
    bool ok = WriteMemberFile(context, "matchsettings.txt", "matchsettings", "Match Settings", &match);
    ok = WriteMemberFile(context, "penalties.txt", "penalties", "Penalty Settings", &penalties) && ok;
    ok = WriteMemberFile(context, "global/global.txt", "global", "Game Settings", &game) && ok;
    RefereeSettings referee;
    ShipRefereeSettings(referee);
    ok = WriteMemberFile(context, "referee.txt", "referee", "Referee Settings", &referee) && ok;
    // Every level plays the same ball under the same sun.
    LevelSettings level;
    ShipLevelSettings(level);
    for (int i = 0; i < world::kLevelCount; ++i) {
        const std::string file = std::string(world::LevelTheme(i).folder) + "/settings/level/level.txt";
        ok = WriteMemberFile(context, file, "level", "Level Settings", &level) && ok;
        const std::string misc = std::string(world::LevelTheme(i).folder) + "/settings/misc/misc.txt";
        ok = WriteMemberFile(context, misc, "misc", "Debug Display", DebugDisplay::Instance()) && ok;
    }
    // No sound event changes the sound banks' values by default; the game still reads the
    // cast's file, and an empty one would read as a damaged file.
    ok = WriteTextFile(context.Path("soundevents.txt"),
                       "# Sound events changed from the sound banks' values\n") && ok;
    return ok;
}

const GeneratorRegistrar kSettings("settings", &WriteSettings);

}  // namespace

}  // namespace assets
