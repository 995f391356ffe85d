#pragma once

// One game on the harness for a whole test program, with a level and both sides set up for
// penalties; each test starts from the shipped penalty settings and a fresh seed.

#include "characters/Actor.h"
#include "characters/Character.h"
#include "framework/Random.h"
#include "game/GameTB.h"
#include "game/harness/GameHarness.h"
#include "game/harness/PenaltyMatch.h"
#include "match/penalties/PenaltySettings.h"
#include "pitch/PitchSimulation.h"
#include "simulation/Ball.h"
#include "tests/support/OffscreenEngine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

class PenaltyTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_harness = std::make_unique<GameHarness>(OffscreenWindow(), TB_DATA_ARCHIVE);
        s_ready = s_harness->Start() && PenaltyMatch::SetUp(*s_harness);
        s_shipped = std::make_unique<PenaltySettings>();
        CopySettings(*PenaltySettings::Instance(), *s_shipped);
    }
    static void TearDownTestSuite()
    {
        s_harness->Stop();
        s_harness.reset();
        s_shipped.reset();
    }

    void SetUp() override
    {
        ASSERT_TRUE(s_ready);
        CopySettings(*s_shipped, *PenaltySettings::Instance());
        Random::Seed(GameHarness::kSeed);
    }

    static void CopySettings(const PenaltySettings& from, PenaltySettings& to)
    {
        float PenaltySettings::* const fields[] = {
            &PenaltySettings::aiWaitBeforeShot,      &PenaltySettings::timeAfterKick,
            &PenaltySettings::goalDecisionTime,      &PenaltySettings::defaultShotX,
            &PenaltySettings::defaultShotY,          &PenaltySettings::worstPowerUpTime,
            &PenaltySettings::bestPowerUpTime,       &PenaltySettings::worstPowerErrorAi,
            &PenaltySettings::bestPowerErrorAi,      &PenaltySettings::optimumPowerLevel,
            &PenaltySettings::optimumXOffset,        &PenaltySettings::optimumUpOffset,
            &PenaltySettings::optimumDownOffset,     &PenaltySettings::worstBallToGoalTime,
            &PenaltySettings::bestBallToGoalTime,    &PenaltySettings::minimumReadTime,
            &PenaltySettings::maximumReadTime,       &PenaltySettings::aiWorstSaveProb,
            &PenaltySettings::aiBestSaveProb,        &PenaltySettings::keyboardInputTime,
            &PenaltySettings::saveProbReadFraction,  &PenaltySettings::saveProbSkillFraction,
            &PenaltySettings::saveProbShotFraction};
        for (float PenaltySettings::* field : fields)
            to.*field = from.*field;
    }

    static GameHarness& Harness() { return *s_harness; }
    static GameTB& Game() { return *s_harness->GetGame(); }
    static PenaltySettings& Settings() { return *PenaltySettings::Instance(); }
    static Ball& TheBall() { return *PitchSimulation::Instance()->GetBall(); }

    // Runs the state current until it ends or the cap, calling the watcher after each frame.
    static int Run(int cap, const std::function<void(int frame)>& watch = {})
    {
        int frames = 0;
        while (frames < cap) {
            const bool going = s_harness->Step();
            if (watch)
                watch(frames);
            ++frames;
            if (!going)
                break;
        }
        return frames;
    }

    static bool Finite(const Vector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

    static inline std::unique_ptr<GameHarness> s_harness;
    static inline std::unique_ptr<PenaltySettings> s_shipped;
    static inline bool s_ready = false;
};
