// A side's members: the roles they get and keep, the bench, and the member a controller
// steers and how the ranking chooses it.
#include "characters/Character.h"
#include "characters/Team.h"
#include "characters/TeamDescription.h"
#include "framework/Cast.h"
#include "support/ActorTestSupport.h"
#include "characters/data/CharacterCast.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

namespace {

using Roles = std::vector<int32_t>;
using Members = std::vector<Character*>;

class TeamTest : public KickAbout {
protected:
    // Adds count members of the kind and hands them back in order.
    Members Fill(SoccerTeam& team, int count, int32_t kind = Character::kFieldPlayer)
    {
        Members added;
        for (int i = 0; i < count; ++i) {
            auto character = std::make_unique<Character>(kind, kind == Character::kGoalkeeper ? "PandaGk00" : "PandaPl00", &team);
            added.push_back(character.get());
            team.AddPlayer(std::move(character));
        }
        return added;
    }

    void GiveBallTo(Character& holder)
    {
        ASSERT_TRUE(ball.TakePossession(&holder));
        holder.GetActor()->TakeBall(&ball);
    }

    static void Place(Character* member, const Vector3& at) { member->GetActor()->SetPosition(at); }

    static Members Ranked(const ControlledPlayerList& list)
    {
        Members ranked;
        for (int i = 0; i < list.GetCount(); ++i)
            ranked.push_back(list.GetEntry(i));
        return ranked;
    }

    CharacterCast cast;
};

Roles RolesOf(const Team& team)
{
    Roles roles;
    for (int32_t i = 0; i < team.GetPlayerCount(); ++i)
        roles.push_back(team.GetPlayer(i)->GetRoleIndex());
    return roles;
}

TEST_F(TeamTest, RolesFillTheGapsAndKeepBothLinesManned)
{
    SoccerTeam team(true);
    Members members = Fill(team, 4);
    EXPECT_EQ(RolesOf(team), (Roles{0, 1, 2, 3}));

    // Roles 2 and 3 remain: nothing to rebalance.
    team.RemovePlayer(members[1]).reset();
    EXPECT_EQ(RolesOf(team), (Roles{0, 2, 3}));
    // The new member takes the smallest free role.
    members = Fill(team, 1);
    EXPECT_EQ(RolesOf(team), (Roles{0, 2, 3, 1}));

    // With roles 1 and 2 gone, the first member holding 3 or 4 moves up to 2.
    SoccerTeam other(false);
    Members four = Fill(other, 5);
    other.RemovePlayer(four[1]).reset();
    EXPECT_EQ(RolesOf(other), (Roles{0, 2, 3, 4}));
    other.RemovePlayer(four[2]).reset();
    EXPECT_EQ(RolesOf(other), (Roles{0, 2, 4}));

    // With roles 3 and 4 gone, the first member holding 1 or 2 drops back to 3.
    SoccerTeam third(false);
    Members back = Fill(third, 4);
    third.RemovePlayer(back[3]).reset();
    EXPECT_EQ(RolesOf(third), (Roles{0, 3, 2}));

    // A replacement takes the outgoing member's role, not the smallest free one.
    third.ReplacePlayer(back[1], std::make_unique<Character>(Character::kFieldPlayer, "PandaPl04", &third));
    EXPECT_EQ(RolesOf(third), (Roles{0, 2, 3}));
}

TEST_F(TeamTest, RemovingANonMemberChangesNothingAndAPeriodStartEmptiesTheSide)
{
    SoccerTeam team(true);
    Fill(team, 6);
    Character stranger(Character::kFieldPlayer, "PandaPl01", nullptr);
    EXPECT_EQ(team.RemovePlayer(&stranger), nullptr);
    EXPECT_EQ(team.GetPlayerCount(), 6);
    EXPECT_FALSE(team.Contains(&stranger));

    team.SendToBench(&stranger);
    EXPECT_EQ(stranger.GetActor()->GetPosition(), Vector3(-10000.0f, -10000.0f, -10000.0f));
    const Character* sixth = team.GetPlayer(5);
    EXPECT_EQ(team.RemoveAll().size(), 5u);
    EXPECT_EQ(team.GetPlayerCount(), 1);
    EXPECT_EQ(team.GetPlayer(0), sixth);
    EXPECT_TRUE(team.GetBench().empty());
}

TEST_F(TeamTest, TakingFromTheBenchHandsOnlyABenchedCharacterBack)
{
    SoccerTeam team(true);
    Fill(team, 2);
    auto* first = new Character(Character::kFieldPlayer, "PandaPl01", &team);
    auto* second = new Character(Character::kFieldPlayer, "PandaPl02", &team);
    team.SendToBench(first);
    team.SendToBench(second);
    EXPECT_EQ(team.TakeFromBench(team.GetPlayer(0)), nullptr);
    std::unique_ptr<Character> taken = team.TakeFromBench(first);
    EXPECT_EQ(taken.get(), first);
    EXPECT_EQ(team.GetBench(), (std::vector<Character*>{second}));
    EXPECT_EQ(team.TakeFromBench(first), nullptr);
    team.ReplacePlayer(team.GetPlayer(1), std::move(taken));
    EXPECT_TRUE(team.Contains(first));
    std::unique_ptr<Character>(team.TakeFromBench(second)).reset();
    EXPECT_TRUE(team.GetBench().empty());
}

TEST_F(TeamTest, SelectsTheFirstMemberAndMarksOnlyAPersonsChoice)
{
    SoccerTeam team(true);
    EXPECT_EQ(team.GetControlledPlayers().GetSelected(), nullptr);

    Members members = Fill(team, 2);
    ball.SetPosition({0.0f, 0.0f, 0.0f});
    Place(members[0], {1.0f, 0.0f, 0.0f});
    Place(members[1], {2.0f, 0.0f, 0.0f});
    ControlledPlayerList& list = team.GetControlledPlayers();
    EXPECT_EQ(list.GetSelected(), members[0]);
    // A computer steers: nobody is under human control.
    EXPECT_FALSE(members[0]->IsSelected());

    list.SetControllerName("(0):");
    team.UpdateWithSelection(0.0f, false);
    EXPECT_FALSE(members[0]->IsSelected());
    team.UpdateWithSelection(0.0f, true);
    EXPECT_TRUE(members[0]->IsSelected());
    EXPECT_EQ(members[1]->GetControllerName(), "(0):");

    // The selected member leaves: the nearest to the ball is chosen on demand.
    std::unique_ptr<Character> left = team.RemovePlayer(members[0]);
    EXPECT_FALSE(left->IsSelected());
    EXPECT_EQ(list.GetSelected(), members[1]);
    EXPECT_TRUE(members[1]->IsSelected());

    // The control flag is the list's: cleared, nobody is steered.
    team.SetControlFlag(false);
    list.Refresh();
    EXPECT_FALSE(list.IsEnabled());
    EXPECT_EQ(list.GetSelected(), nullptr);
    EXPECT_FALSE(members[1]->IsSelected());
}

TEST_F(TeamTest, RankingPutsTheNearestFirstTheLaterOfEqualsFirstAndAKeeperWithoutTheBallLast)
{
    SoccerTeam team(true);
    Character* keeper = Fill(team, 1, Character::kGoalkeeper)[0];
    Members field = Fill(team, 3);
    ball.SetPosition({0.0f, 0.0f, 0.0f});
    ball.SetVelocity({});
    Place(keeper, {1.0f, 0.0f, 0.0f});
    Place(field[0], {5.0f, 0.0f, 0.0f});
    Place(field[1], {0.0f, 0.0f, 5.0f});
    Place(field[2], {0.0f, 0.0f, 3.0f});
    ControlledPlayerList& list = team.GetControlledPlayers();
    list.Rank();
    EXPECT_EQ(Ranked(list), (Members{field[2], field[1], field[0], keeper}));
    EXPECT_EQ(ControlledPlayerList::Score(*keeper), ControlledPlayerList::kUnselectable);

    // Selected while nobody holds the ball: the next best one takes over.
    list.Refresh();
    EXPECT_EQ(list.GetSelected(), field[2]);
    list.SelectNext();
    EXPECT_EQ(list.GetSelected(), field[1]);
    list.SelectNext();
    EXPECT_EQ(list.GetSelected(), field[2]);

    // A holder overrides the selection, and switching does nothing while it holds.
    GiveBallTo(*field[0]);
    list.Refresh();
    EXPECT_EQ(list.GetSelected(), field[0]);
    list.SelectNext();
    EXPECT_EQ(list.GetSelected(), field[0]);
    // A keeper holding the ball may be selected.
    field[0]->GetActor()->ReleaseBall();
    ball.ReleasePossession(1);
    GiveBallTo(*keeper);
    EXPECT_GT(ControlledPlayerList::Score(*keeper), ControlledPlayerList::kUnselectable);
}

TEST_F(TeamTest, AKickSelectsTheMemberTheBallHeadsForButNeverTheKeeper)
{
    SoccerTeam team(true);
    Character* keeper = Fill(team, 1, Character::kGoalkeeper)[0];
    Members field = Fill(team, 3);
    Character* kicker = field[0];
    Place(kicker, {0.0f, 0.0f, 0.0f});
    Place(keeper, {0.0f, 0.0f, -20.0f});
    Place(field[1], {20.0f, 0.0f, 2.0f});
    Place(field[2], {-3.0f, 0.0f, 15.0f});
    ball.SetPosition({0.0f, 0.0f, 0.0f});
    ControlledPlayerList& list = team.GetControlledPlayers();
    struct Case {
        Vector3 velocity;
        Character* selected;
    };
    // Straight at a member; between two, the nearer in angle; at the keeper, the kicker keeps it.
    const Case cases[] = {{{1.0f, 0.0f, 0.0f}, field[1]},
                          {{-1.0f, 0.0f, 2.0f}, field[2]},
                          {{1.0f, 0.0f, 1.0f}, field[1]},
                          {{0.0f, 0.0f, -1.0f}, kicker}};
    for (const Case& c : cases) {
        ball.SetVelocity(c.velocity);
        list.SelectByBallDirection(*kicker);
        EXPECT_EQ(list.GetSelected(), c.selected) << c.velocity.x << " " << c.velocity.z;
    }
    list.SetEnabled(false);
    list.SelectByBallDirection(*kicker);
    EXPECT_EQ(list.GetSelected(), nullptr);
    list.SetEnabled(true);
    list.Refresh();
    list.SetEnabled(false);
    list.SelectNext();
    EXPECT_EQ(list.GetSelected(), nullptr);
}

TEST_F(TeamTest, SwitchingWithOneCandidateKeepsIt)
{
    SoccerTeam team(true);
    Character* only = Fill(team, 1)[0];
    ControlledPlayerList& list = team.GetControlledPlayers();
    EXPECT_EQ(list.GetSelected(), only);
    list.SelectNext();
    EXPECT_EQ(list.GetSelected(), only);
}

TEST(TeamDescriptionTest, ReadsItsMembersAndFilesItsTeamName)
{
    std::vector<std::unique_ptr<Object>> owned;
    TeamDescription::CreateAll(owned);
    ASSERT_EQ(owned.size(), 8u);
    TeamDescription* lizards = TeamDescription::Find("Lizard01");
    ASSERT_NE(lizards, nullptr);
    EXPECT_EQ(lizards, owned[2].get());
    EXPECT_EQ(TeamDescription::Find("Lizard03"), nullptr);

    Cast* teams = CastManager::Instance()->GetCast("Teams");
    lizards->SetTeamName("Lagoon");
    lizards->GetMembers() = {{"LizardGk00", true}, {"LizardPl00", false}};
    ASSERT_TRUE(SaveSettings(teams, "teams.txt"));
    lizards->GetMembers().clear();
    for (const auto& object : owned)
        static_cast<TeamDescription&>(*object).GetMembers() = {{"NoSuch", false}};
    ASSERT_TRUE(LoadSettings(teams, "teams.txt"));
    ASSERT_EQ(lizards->GetMembers().size(), 2u);
    EXPECT_EQ(lizards->GetMembers()[0].variation, "LizardGk00");
    EXPECT_TRUE(lizards->GetMembers()[0].isSub);
    EXPECT_FALSE(lizards->GetMembers()[1].isSub);
    // Written with no members, read back with none.
    EXPECT_TRUE(static_cast<TeamDescription&>(*owned[0]).GetMembers().empty());
    EXPECT_EQ(TeamDescription::KeyOfTeamName("Lagoon"), "Lizard01");

    // A damaged count makes no more members than the file has lines, and the load says so.
    std::stringstream text;
    text << std::ifstream("teams.txt").rdbuf();
    std::string damaged = text.str();
    const std::string key = "\"Number of characters\" 2";
    ASSERT_NE(damaged.find(key), std::string::npos);
    damaged.replace(damaged.find(key), key.size(), "\"Number of characters\" 2000000000");
    std::ofstream("teams.txt") << damaged;
    LogCapture log;
    EXPECT_FALSE(LoadSettings(teams, "teams.txt"));
    EXPECT_LE(lizards->GetMembers().size(), static_cast<size_t>(std::count(damaged.begin(), damaged.end(), '\n')));
    EXPECT_EQ(lizards->GetMembers()[1].variation, "LizardPl00");
    EXPECT_EQ(log.Count("Number of characters 2000000000 is more than the table can hold"), 1) << log.Text();
    for (const auto& object : owned)
        teams->RemoveMember(object.get());
}

} // namespace
