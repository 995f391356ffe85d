// A side's members: the roles they get and keep, and the member a controller steers.
#include "characters/Character.h"
#include "characters/Team.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using Roles = std::vector<int32_t>;

Roles RolesOf(const Team& team)
{
    Roles roles;
    for (int32_t i = 0; i < team.GetPlayerCount(); ++i)
        roles.push_back(team.GetPlayer(i)->GetRoleIndex());
    return roles;
}

// Adds count field players and hands them back in order.
std::vector<Character*> Fill(SoccerTeam& team, int count)
{
    std::vector<Character*> added;
    for (int i = 0; i < count; ++i) {
        auto character = std::make_unique<Character>(Character::kFieldPlayer, "Var00", &team);
        added.push_back(character.get());
        team.AddPlayer(std::move(character));
    }
    return added;
}

TEST(SoccerTeamTest, RolesFillTheGapsAndKeepBothLinesManned)
{
    SoccerTeam team(true);
    std::vector<Character*> members = Fill(team, 4);
    EXPECT_EQ(RolesOf(team), (Roles{0, 1, 2, 3}));

    // Roles 2 and 3 remain: nothing to rebalance.
    team.RemovePlayer(members[1]).reset();
    EXPECT_EQ(RolesOf(team), (Roles{0, 2, 3}));
    // The new member takes the smallest free role.
    members = Fill(team, 1);
    EXPECT_EQ(RolesOf(team), (Roles{0, 2, 3, 1}));

    // With roles 1 and 2 gone, the first member holding 3 or 4 moves up to 2.
    SoccerTeam other(false);
    std::vector<Character*> four = Fill(other, 5);
    other.RemovePlayer(four[1]).reset();
    EXPECT_EQ(RolesOf(other), (Roles{0, 2, 3, 4}));
    other.RemovePlayer(four[2]).reset();
    EXPECT_EQ(RolesOf(other), (Roles{0, 2, 4}));

    // With roles 3 and 4 gone, the first member holding 1 or 2 drops back to 3.
    SoccerTeam third(false);
    std::vector<Character*> back = Fill(third, 4);
    third.RemovePlayer(back[3]).reset();
    EXPECT_EQ(RolesOf(third), (Roles{0, 3, 2}));
}

TEST(SoccerTeamTest, RemovingANonMemberChangesNothing)
{
    SoccerTeam team(true);
    Fill(team, 2);
    Character stranger(Character::kFieldPlayer, "Var01", nullptr);
    EXPECT_EQ(team.RemovePlayer(&stranger), nullptr);
    EXPECT_EQ(team.GetPlayerCount(), 2);
    EXPECT_FALSE(team.Contains(&stranger));
}

TEST(ControlledPlayerListTest, SelectsTheFirstMemberAndMarksOnlyAPersonsChoice)
{
    SoccerTeam team(true);
    EXPECT_EQ(team.GetControlledPlayers().GetSelected(), nullptr);

    std::vector<Character*> members = Fill(team, 2);
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

    // The selected member leaves: the next one is chosen on demand.
    std::unique_ptr<Character> left = team.RemovePlayer(members[0]);
    EXPECT_FALSE(left->IsSelected());
    EXPECT_EQ(list.GetSelected(), members[1]);
    EXPECT_TRUE(members[1]->IsSelected());

    list.SetEnabled(false);
    list.Refresh();
    EXPECT_EQ(list.GetSelected(), nullptr);
    EXPECT_FALSE(members[1]->IsSelected());
}

} // namespace
