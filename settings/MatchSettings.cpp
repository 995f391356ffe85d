#include "settings/MatchSettings.h"

#include "framework/Serializer.h"
#include "settings/SettingsTable.h"

namespace {

const char* const kMarkerTexture = "<PP>\\Misc\\target.PNG";

}  // namespace

MatchSettings::MatchSettings()
    : playerSelectTextureA(kMarkerTexture), playerSelectTextureB(kMarkerTexture), spotSelectTexture(kMarkerTexture)
{
}

void MatchSettings::Serialize(Serializer& s, const char* descriptor)
{
    s.BeginSection("MatchSettings", descriptor);
    SerializeSetPieces(s);
    SerializeKicks(s);
    SerializeMarkers(s);
    SerializeReactionsAndKeeper(s);
    s.EndSection();
}

void MatchSettings::SerializeSetPieces(Serializer& s)
{
    s.SerializeFloat("Fade length (secs)", &fadeLength);
    s.SerializeFloat("AI set piece delay (secs)", &aiSetPieceDelay);
    SerializeFileName(s, "Direction arrow file name", &directionArrowFileName);
    s.SerializeFloat("Direction arrow width", &directionArrowWidth);
    s.SerializeFloat("Direction arrow height", &directionArrowHeight);
    SerializeAngle(s, "Direction arrow angle to ground", &directionArrowAngleToGround);
    SerializeAngle(s, "Direction arrow move rate", &directionArrowMoveRate);
    s.SerializeFloat("corner dist in", &cornerDistIn);
    SerializeAngle(s, "corner angle limit", &cornerAngleLimit);
    s.SerializeFloat("throwIn dist in", &throwInDistIn);
    s.SerializeFloat("throwIn edge dist limit", &throwInEdgeDistLimit);
    s.SerializeFloat("freekick line dist limit", &freekickLineDistLimit);
    s.SerializeFloat("goalkick end dist limit", &goalkickEndDistLimit);
    // Stored with the other throw-in limits, listed after the goal kick's.
    SerializeAngle(s, "throwIn angle limit", &throwInAngleLimit);
}

void MatchSettings::SerializeKicks(Serializer& s)
{
    s.SerializeFloat("Hold time for max power", &holdTimeForMaxPower);
    s.SerializeFloat("Min shot speed", &minShotSpeed);
    s.SerializeFloat("Max shot speed", &maxShotSpeed);
    SerializeAngle(s, "Min shot loft angle", &minShotLoftAngle);
    SerializeAngle(s, "Max shot loft angle", &maxShotLoftAngle);
    SerializeAngle(s, "Special move shot loft", &specialMoveShotLoft);
    s.SerializeFloat("Pass speed multiplier", &passSpeedMultiplier);
    s.SerializeFloat("Max header radius", &maxHeaderRadius);
    s.SerializeFloat("AI header distance", &aiHeaderDistance);
    s.SerializeFloat("Max header strike dist", &maxHeaderStrikeDist);
    s.SerializeFloat("Max header height error", &maxHeaderHeightError);
    SerializeAngle(s, "Header strike fov", &headerStrikeFov);
    // The key's spelling is what the settings files hold.
    s.SerializeFloat("Worst header sspeed", &worstHeaderSpeed);
    s.SerializeFloat("Best header speed", &bestHeaderSpeed);
}

void MatchSettings::SerializeMarkers(Serializer& s)
{
    SerializeFileName(s, "Plyr select text A", &playerSelectTextureA);
    SerializeFileName(s, "Plyr select text B", &playerSelectTextureB);
    s.SerializeFloat("Plyr select width", &playerSelectWidth);
    s.SerializeFloat("Plyr select height", &playerSelectHeight);
    s.SerializeFloat("Plyr select rot speed", &playerSelectRotSpeed);
    s.SerializeFloat("Plyr selector loft", &playerSelectorLoft);
    SerializeFileName(s, "Spot select texture", &spotSelectTexture);
    s.SerializeFloat("Spot select width", &spotSelectWidth);
    s.SerializeFloat("Spot select height", &spotSelectHeight);
    s.SerializeFloat("Spot select rotation speed", &spotSelectRotationSpeed);
    s.SerializeFloat("Spot select loft", &spotSelectLoft);
    s.SerializeFloat("Spot selector snap rad", &spotSelectorSnapRadius);
    s.SerializeFloat("Spot selector move rate", &spotSelectorMoveRate);
    s.SerializeFloat("Spot selector min dist.", &spotSelectorMinDist);
    s.SerializeFloat("Spot selector max dist.", &spotSelectorMaxDist);
    s.SerializeFloat("Max camera track time", &maxCameraTrackTime);
}

void MatchSettings::SerializeReactionsAndKeeper(Serializer& s)
{
    s.SerializeFloat("Goal reaction time", &goalReactionTime);
    s.SerializeFloat("Goal min stagger", &goalMinStagger);
    s.SerializeFloat("Goal max stagger", &goalMaxStagger);
    s.SerializeFloat("Penalty reaction time", &penaltyReactionTime);
    SerializeAngle(s, "Facing angle error", &facingAngleError);
    SerializeAngle(s, "Keeper guard angle", &keeperGuardAngle);
    s.SerializeFloat("Keeper guard lookahead time", &keeperGuardLookaheadTime);
    s.SerializeFloat("Keeper save reserve time", &keeperSaveReserveTime);
    s.SerializeFloat("Min deflect speed", &minDeflectSpeed);
    s.SerializeFloat("Max deflect speed", &maxDeflectSpeed);
    SerializeAngle(s, "Max deflect angle", &maxDeflectAngle);
    SerializeAngle(s, "Loft deflect angle", &loftDeflectAngle);
    s.SerializeFloat("Worst keeper save misjudgement", &worstKeeperSaveMisjudgement);
    s.SerializeFloat("Best keeper save misjudgement", &bestKeeperSaveMisjudgement);
    s.SerializeFloat("Pass position read ahead", &passPositionReadAhead);
}
