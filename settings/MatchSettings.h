#pragma once

#include "framework/Object.h"
#include "framework/Singleton.h"

#include <string>

// The tuning of match play: set-piece timing and placement limits, the aiming arrow, shot,
// pass and header physics, the selection markers, reactions and the keeper. Read from and
// written to "<PP>matchsettings.txt" as the member "Match Settings"; the match code reads the
// fields directly. Angles are radians, distances metres, times seconds.
class MatchSettings : public Singleton<MatchSettings>, public Object {
public:
    MatchSettings();

    void Serialize(Serializer& serializer, const char* descriptor) override;

    float fadeLength = 0.0f;
    float aiSetPieceDelay = 1.0f;
    std::string directionArrowFileName;
    float directionArrowWidth = 0.0f;
    float directionArrowHeight = 0.0f;
    float directionArrowAngleToGround = 0.0f;
    float directionArrowMoveRate = kQuarterTurn;  // per second
    float cornerDistIn = 0.0f;
    float cornerAngleLimit = kEighthTurn;
    float throwInDistIn = 0.0f;
    float throwInEdgeDistLimit = 2.0f;
    float throwInAngleLimit = kEighthTurn;
    float freekickLineDistLimit = 5.0f;
    float goalkickEndDistLimit = 0.0f;
    float holdTimeForMaxPower = 1.0f;
    float minShotSpeed = 10.0f;
    float maxShotSpeed = 50.0f;
    float minShotLoftAngle = 0.0f;
    float maxShotLoftAngle = kEighthTurn;
    float specialMoveShotLoft = kEighthTurn;
    float passSpeedMultiplier = 1.0f;
    float maxHeaderRadius = 5.0f;
    float aiHeaderDistance = 0.0f;
    float maxHeaderStrikeDist = 0.5f;
    float maxHeaderHeightError = 0.0f;
    float headerStrikeFov = kEighthTurn;
    float worstHeaderSpeed = 10.0f;
    float bestHeaderSpeed = 20.0f;
    std::string playerSelectTextureA;
    std::string playerSelectTextureB;
    float playerSelectWidth = 4.0f;
    float playerSelectHeight = 4.0f;
    float playerSelectRotSpeed = kQuarterTurn;
    float playerSelectorLoft = 0.25f;
    std::string spotSelectTexture;
    float spotSelectWidth = 4.0f;
    float spotSelectHeight = 4.0f;
    float spotSelectRotationSpeed = kQuarterTurn;
    float spotSelectLoft = 0.25f;
    float spotSelectorSnapRadius = 3.0f;
    float spotSelectorMoveRate = 1.0f;
    float spotSelectorMinDist = 3.0f;
    float spotSelectorMaxDist = 50.0f;
    float maxCameraTrackTime = 3.0f;
    float goalReactionTime = 0.0f;
    float goalMinStagger = 0.0f;
    float goalMaxStagger = 0.0f;
    float penaltyReactionTime = 0.0f;
    float facingAngleError = 0.0f;
    float keeperGuardAngle = kEighthTurn;
    float keeperGuardLookaheadTime = 0.0f;
    float keeperSaveReserveTime = 1.0f;
    float minDeflectSpeed = 0.0f;
    float maxDeflectSpeed = 0.0f;
    float maxDeflectAngle = 0.0f;
    float loftDeflectAngle = 0.0f;
    float worstKeeperSaveMisjudgement = 0.0f;
    float bestKeeperSaveMisjudgement = 0.0f;
    float passPositionReadAhead = 0.0f;

private:
    static constexpr float kQuarterTurn = 1.5707963f;
    static constexpr float kEighthTurn = 0.39269909f;

    void SerializeSetPieces(Serializer& s);
    void SerializeKicks(Serializer& s);
    void SerializeMarkers(Serializer& s);
    void SerializeReactionsAndKeeper(Serializer& s);
};
