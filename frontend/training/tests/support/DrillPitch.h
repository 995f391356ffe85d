#pragma once

// One game on the harness for a whole test program, and the story level loaded with the
// sides a drill reads, as the training session loads them: side 0 steered by the first
// player's controller, side 1 by the computer.

#include "characters/Character.h"
#include "characters/CharacterVariation.h"
#include "characters/Team.h"
#include "characters/TeamDescription.h"
#include "framework/Random.h"
#include "game/GameTB.h"
#include "game/harness/GameHarness.h"
#include "frontend/loading/MatchLoading.h"
#include "match/MatchSetup.h"
#include "menus/Menu.h"
#include "pitch/PitchSimulation.h"
#include "settings/GameParameters.h"
#include "tests/support/OffscreenEngine.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

class DrillPitch : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_harness = std::make_unique<GameHarness>(OffscreenWindow(), TB_DATA_ARCHIVE);
        s_ready = s_harness->Start();
    }
    static void TearDownTestSuite()
    {
        s_harness->Stop();
        s_harness.reset();
    }
    void SetUp() override
    {
        ASSERT_TRUE(s_ready);
        Random::Seed(GameHarness::kSeed);
    }

    // The story team's members at those places in team order; keeper flags as given.
    static std::vector<MatchSetup::Member> Members(const std::vector<int>& places, bool keepers)
    {
        const auto& all = TeamDescription::Find("Panda01")->GetMembers();
        std::vector<MatchSetup::Member> picked;
        for (int place : places)
            picked.push_back({all[static_cast<size_t>(place)].variation, keepers});
        return picked;
    }
    // Loads level01 with those sides; false when the pitch did not get them.
    static bool Load(std::vector<MatchSetup::Member> one, std::vector<MatchSetup::Member> two)
    {
        GameParameters::Instance()->SetParameter("players", "1");
        MatchSetup setup;
        setup.levelFolder = "<PP>level01\\";
        setup.teamOne = {"no_team_one_name", std::move(one), 0};
        setup.teamTwo = {"no_team_two_name", std::move(two), 0};
        MatchLoading::RunAtOnce(setup);
        const PitchSimulation* pitch = PitchSimulation::Instance();
        return pitch->GetTeam(0)->GetPlayerCount() == static_cast<int>(setup.teamOne.members.size()) &&
               pitch->GetTeam(1)->GetPlayerCount() == static_cast<int>(setup.teamTwo.members.size());
    }
    static Character* Player(int side, int index) { return PitchSimulation::Instance()->GetTeam(side)->GetPlayer(index); }
    static std::string Variable(const std::string& key) { return Menu::Instance()->Variables()[key]; }

    // Steps the game until the test holds or the cap; whether it held.
    template <typename Test>
    static bool StepUntil(int cap, Test test)
    {
        for (int frame = 0; frame < cap; ++frame) {
            if (test())
                return true;
            s_harness->Step();
        }
        return test();
    }

    static GameHarness& Harness() { return *s_harness; }

    static inline std::unique_ptr<GameHarness> s_harness;
    static inline bool s_ready = false;
};
