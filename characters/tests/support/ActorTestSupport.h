#pragma once

// The kick-about scene the actor tests share: the renderer on the null device, the default
// data's animations and models, a ball and listeners that record.

#include "characters/Actor.h"
#include "simulation/CarriedBall.h"
#include "support/DataActions.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

// Where the default data lies, "/" ended.
std::string StagePath(const std::string& relative);

// A ball that keeps what the actor does to it.
class TestBall : public SimpleCollidable, public CarriedBall {
public:
    TestBall();
    const Collidable& GetCollidable() const override { return *this; }
    Vector3 GetBallPosition() const override { return GetPosition(); }
    void SetBallPosition(const Vector3& position) override { SetPosition(position); }
    void SetBallVelocity(const Vector3& velocity) override { SetVelocity(velocity); }
    void SetBallRotation(const Quaternion&) override {}
    float GetRadius() const override { return 0.11f; }
    void ReleasePossession(int) override { ++releases; }

    int releases = 0;
};

// Writes down what its actor tells it, and takes the ball when it may.
class Recorder : public ActorEventListener {
public:
    void OnBallTouched(CarriedBall& ball, bool canHold, bool) override;
    void OnActorCollision(Actor&) override { log.push_back("collision"); }
    void OnActionEvent(const CharacterActionEvent& event) override;
    void OnStrike(Actor&) override { log.push_back("foul"); }

    Actor* actor = nullptr;
    std::vector<std::string> log;
    bool Heard(const std::string& what) const;
};

// The renderer on the null device, fixed random numbers and the default game settings.
class KickAbout : public ::testing::Test {
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

    static DataActions* s_actions;
    TestBall ball;
};
