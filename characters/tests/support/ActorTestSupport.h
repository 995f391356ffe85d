#pragma once

// The kick-about scene the actor tests share: the renderer on the null device, the default
// data's animations and models, the pitch simulation's ball and listeners that record.

#include "characters/Actor.h"
#include "simulation/Ball.h"
#include "simulation/BallToucher.h"
#include "simulation/CarriedBall.h"
#include "support/DataActions.h"
#include "tests/support/NullDeviceSuite.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

// Where the default data lies, "/" ended.
std::string StagePath(const std::string& relative);

// Writes down what its actor tells it, and takes the ball when it may and nobody holds it.
class Recorder : public ActorEventListener, public BallToucher {
public:
    void OnBallTouched(CarriedBall& ball, bool canHold, bool) override;
    void OnActorCollision(Actor&) override { log.push_back("collision"); }
    void OnActionEvent(const CharacterActionEvent& event) override;
    void OnStrike(Actor&) override { log.push_back("foul"); }

    bool IsKeeper() const override { return actor && !actor->IsFieldPlayer(); }
    SoccerTeam* GetBallTeam() const override { return nullptr; }
    bool IsOnFirstSide() const override { return false; }
    void LetGoOfBall() override;

    Actor* actor = nullptr;
    std::vector<std::string> log;
    bool Heard(const std::string& what) const;
};

// The renderer on the null device, fixed random numbers and the default game settings.
class KickAbout : public NullDeviceSuite {
protected:
    static constexpr float kRunSpeed = 6.0f;
    static constexpr float kRotationSpeed = 6.0f;

    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // An actor of the panda model at the position, in the node.
    std::unique_ptr<Actor> MakeActor(Recorder& listener, const ActorStateNode& node, const Vector3& at = {},
                                     bool fieldPlayer = true);
    // One frame of every actor under its command, then their moves.
    void Frame(const std::vector<std::pair<Actor*, ActorCommand*>>& actors, float dt);
    // The recorder's actor holds the ball, as a character takes it.
    void GiveBall(Recorder& holder);

    static DataActions* s_actions;
    // The match's ball, parked out of sight until a test places it.
    Ball& ball = StartMatch();

private:
    static Ball& StartMatch();
};
