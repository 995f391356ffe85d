// A story leg's match on the default data: the squad picked, the match loaded and ended by a
// cheat, its score booked, then the story team's level and the cut scene.
#include "characters/CharacterVariation.h"
#include "characters/Team.h"
#include "characters/TeamDescription.h"
#include "frontend/story/PlayersGainedSelection.h"
#include "frontend/story/StoryModeGame.h"
#include "frontend/story/StoryModeLoading.h"
#include "frontend/story/StoryModeMatch.h"
#include "frontend/story/StorySelection.h"
#include "game/GameTB.h"
#include "game/harness/GameHarness.h"
#include "match/period/MatchPeriod.h"
#include "pitch/PitchSimulation.h"
#include "settings/GameParameters.h"
#include "simulation/MatchClock.h"
#include "tests/support/NullDeviceSuite.h"
#include "tests/support/OffscreenEngine.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using Names = std::vector<std::string>;

// Picks the candidates of the given names in that order, after a frame on the bench.
class PickProbe : public State {
public:
    PickProbe(const PlayerSelectionResult& request, Names picks, PlayerSelectionResult& seen)
        : m_request(request), m_picks(std::move(picks))
    {
        seen = request;
    }
    State* Update(float) override
    {
        if (m_frames++ == 0)
            return this;
        for (const std::string& name : m_picks)
            for (Character* candidate : m_request.candidates)
                if (candidate->GetVariation()->GetKeyName() == name)
                    m_request.firstOutput->push_back(candidate);
        return nullptr;
    }

private:
    PlayerSelectionResult m_request;
    Names m_picks;
    int m_frames = 0;
};

class StoryMatchPlayTest : public NullDeviceSuite {
protected:
    void SetUp() override
    {
        ClearDataFolders();
        StoryModeGame::DestroyInstance();
        GameParameters::DestroyInstance();
        harness = std::make_unique<GameHarness>(OffscreenWindow(), TB_DATA_ARCHIVE);
        ASSERT_TRUE(harness->Start("XL"));
        StoryModeGame::Instance()->NewGame("Bolts");
        StoryModeGame::Instance()->active = true;
    }
    void TearDown() override
    {
        story_selection::SetMaker(nullptr);
        harness.reset();
    }

    void PickWith(Names picks)
    {
        story_selection::SetMaker([this, picks](const PlayerSelectionResult& request) -> State* {
            return new PickProbe(request, picks, request_);
        });
    }

    static Names TeamNames(int side)
    {
        Names names;
        const SoccerTeam* team = PitchSimulation::Instance()->GetTeam(side);
        for (int32_t i = 0; team && i < team->GetPlayerCount(); ++i)
            names.push_back(team->GetPlayer(i)->GetVariation()->GetKeyName());
        return names;
    }

    // Runs the match until its clock runs, then ends it with the cheat (again while play
    // goes on); the frames run.
    int PlayToTheEnd(const char* cheat)
    {
        float lastTime = 0.0f;
        int cheatedAt = -1000;
        int frame = 0;
        for (; frame < 3000 && harness->GetGame()->GetCurrentState(); ++frame) {
            const MatchClock* clock = PitchSimulation::Instance()->GetClock();
            const float time = clock ? clock->GetTime() : 0.0f;
            if (time > lastTime && frame - cheatedAt > 30) {
                lineUp = TeamNames(0);
                harness->Script().Press(harness->GetFrame() + 1, cheat);
                cheatedAt = frame;
            }
            lastTime = time;
            if (!harness->Step())
                break;
        }
        return frame;
    }

    std::unique_ptr<GameHarness> harness;
    PlayerSelectionResult request_;
    Names lineUp;
};

TEST_F(StoryMatchPlayTest, TheLegIsPickedPlayedAndBooked)
{
    PickWith({"PandaGk00", "PandaPl03", "PandaPl00", "PandaPl01", "PandaPl02"});
    auto* match = new StoryModeMatch(false);
    harness->MakeCurrent(match);
    // The story team waits on the bench to be picked, its keeper already in.
    EXPECT_EQ(request_.mode, 3);
    EXPECT_EQ(request_.screen, "3dmenues\\InGameSelection5p");
    EXPECT_EQ(request_.candidates.size(), 5u);
    EXPECT_EQ(request_.startPicked, (std::vector<bool>{true, false, false, false, false}));
    EXPECT_EQ(request_.pickable, (std::vector<bool>{false, true, true, true, true}));
    EXPECT_EQ(std::make_pair(request_.goalkeepersToPick, request_.outfieldPlayersToPick), std::make_pair(1, 4));
    EXPECT_NE(match->GetSelection(), nullptr);

    PlayToTheEnd("cheat win");
    EXPECT_EQ(lineUp, (Names{"PandaGk00", "PandaPl03", "PandaPl00", "PandaPl01", "PandaPl02"}));
    EXPECT_EQ(harness->GetGame()->GetCurrentState(), nullptr) << "the cut scene is off, so the chain ends";
    const StoryModeGame& career = *StoryModeGame::Instance();
    EXPECT_EQ(std::make_pair(career.awayGoals1, career.homeGoals2), std::make_pair(3, 0));
    EXPECT_EQ(GameParameters::Instance()->GetParameter("level"), "level01");
}

TEST_F(StoryMatchPlayTest, ASevenMemberTeamBringsItsBench)
{
    auto& members = TeamDescription::Find("Panda01")->GetMembers();
    members.push_back({"LizardGk00", true});
    members.push_back({"LizardPl00", false});
    StoryModeGame::Instance()->firstLeg = false;
    // The stadium before the cut scenes shows at most five of the team, and the opponent
    // only when asked.
    const StoryModeLoading alone(false, 0, 0);
    const StoryModeLoading both(true, 0, 0);
    EXPECT_EQ(std::make_tuple(alone.GetSetup().teamOne.members.size(), alone.GetSetup().teamTwo.members.size(),
                              both.GetSetup().teamTwo.teamName, alone.GetSetup().createReferee),
              std::make_tuple(size_t{5}, size_t{0}, StoryModeGame::Instance()->GetOpponentTeamName(), false));
    PickWith({"LizardGk00", "LizardPl00", "PandaPl00", "PandaPl02", "PandaPl03"});
    auto* match = new StoryModeMatch(true);
    harness->MakeCurrent(match);
    EXPECT_EQ(request_.screen, "3dmenues\\InGameSelection7p");
    EXPECT_EQ(request_.candidates.size(), 7u);

    PlayToTheEnd("cheat loose");
    // The two left out sit on the bench, off the pitch.
    EXPECT_EQ(lineUp, (Names{"LizardGk00", "LizardPl00", "PandaPl00", "PandaPl02", "PandaPl03"}));
    const StoryModeGame& career = *StoryModeGame::Instance();
    EXPECT_EQ(std::make_pair(career.homeGoals1, career.awayGoals2), std::make_pair(0, 3));
}

// The gained players are picked on the pitch among the offered ones; the team is rebuilt
// from the pick.
TEST_F(StoryMatchPlayTest, GainedPlayersArePickedOnThePitch)
{
    struct Case {
        const char* name;
        Names picks;
        int mode;
        const char* screen;
        size_t candidates, startPicked;
        int lineUp, gap;
        Names team;
    };
    const Case cases[] = {
        {"five take two of the other's outfield players", {"PandaPl05", "PandaPl07"}, 0,
         "3dmenues//TrainingMainSelection4p", 4, 0, 0, 0,
         {"PandaGk00", "PandaPl00", "PandaPl01", "PandaPl02", "PandaPl03", "PandaPl05", "PandaPl07"}},
        {"seven are picked again from both teams", {"PandaPl00", "PandaPl01", "PandaGk01", "PandaPl02", "PandaPl04",
                                                      "PandaPl03", "PandaPl06"},
         1, "3dmenues//TrainingMainSelection12p", 12, 7, 7, 5,
         {"PandaGk01", "PandaPl00", "PandaPl01", "PandaPl02", "PandaPl04", "PandaPl03", "PandaPl06"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PickWith(c.picks);
        auto* gained = new PlayersGainedSelection(TeamDescription::Find("Panda01"), TeamDescription::Find("Panda02"));
        harness->MakeCurrent(gained);
        EXPECT_EQ(std::make_tuple(request_.mode, request_.screen, request_.candidates.size(), request_.lineUpSize,
                                  request_.benchGapCount),
                  std::make_tuple(c.mode, std::string(c.screen), c.candidates, c.lineUp, c.gap));
        size_t picked = 0;
        for (bool start : request_.startPicked)
            picked += start ? 1 : 0;
        EXPECT_EQ(picked, c.startPicked);
        EXPECT_EQ(request_.pickable, std::vector<bool>(c.candidates, true));
        for (int i = 0; i < 5 && harness->GetGame()->GetCurrentState(); ++i)
            harness->Step();
        Names team;
        for (const auto& member : TeamDescription::Find("Panda01")->GetMembers())
            team.push_back(member.variation);
        EXPECT_EQ(team, c.team);
        EXPECT_EQ(StoryModeGame::Instance()->members[5], c.team[5]) << "the career takes the new names";
    }
}

}  // namespace
