// The referee's whistle and cards on the harness, with his real animations deciding how long
// each takes: the players held meanwhile, the referee free, a card books only when yellow.
#include "characters/Character.h"
#include "characters/RefereeBrain.h"
#include "engine/world/RpClump.h"
#include "engine/world/RpGeometry.h"
#include "framework/Color.h"
#include "framework/State.h"
#include "game/GameTB.h"
#include "game/harness/MatchSides.h"
#include "match/PlayerHold.h"
#include "match/setpieces/RefereeStates.h"
#include "pitch/CameraControl.h"
#include "pitch/CameraStack.h"
#include "pitch/PitchSimulation.h"
#include "scene/AnimatedClump.h"
#include "settings/PitchCoordinates.h"
#include "simulation/Ball.h"
#include "support/MatchOnHarness.h"

#include <cmath>
#include <set>
#include <vector>

namespace {

constexpr int kCap = 1500;

RefereeBrain& RefereeBrainOf() { return *dynamic_cast<RefereeBrain*>(PitchSimulation::Instance()->GetReferee()->GetBrain()); }

std::string ActiveCamera()
{
    const CameraControl* active = CameraStack::Current()->GetActiveCamera();
    return active && active->GetName() ? active->GetName() : "";
}

// What the referee and the players did, frame by frame, until the state ended.
struct Sequence {
    std::set<int32_t> refereeStates;
    bool alwaysHeld = true;
    bool refereeHeld = false;
    std::set<std::string> cameras;
    bool followsReferee = true;
    int frames = 0;
};

// The state made current unless it is already.
Sequence Watch(setpiecetest::MatchOnHarness& test, State* state)
{
    Sequence seen;
    if (test.Harness().GetGame()->GetCurrentState() != state)
        test.Harness().MakeCurrent(state);
    seen.frames = test.RunWith(kCap, [&](int) {
        seen.refereeStates.insert(RefereeBrainOf().GetState());
        for (Character* player : PlayerHold::AllPlayers())
            seen.alwaysHeld = seen.alwaysHeld && PlayerHold::IsHeld(player);
        seen.refereeHeld = seen.refereeHeld || PlayerHold::IsHeld(PitchSimulation::Instance()->GetReferee());
        seen.cameras.insert(ActiveCamera());
        seen.followsReferee = seen.followsReferee && GetCameraTarget() == PitchSimulation::Instance()->GetReferee()->GetActor();
    });
    return seen;
}

// The card in the referee's hand: the first material of the third atomic of his model.
RwRGBA CardColour()
{
    std::vector<RpAtomic*> atomics;
    PitchSimulation::Instance()->GetReferee()->GetActor()->GetClump()->GetAtomics(atomics);
    if (atomics.size() < 3 || !atomics[2]->geometry || atomics[2]->geometry->matList.numMaterials < 1)
        return RwRGBA{0, 0, 0, 0};
    return atomics[2]->geometry->matList.materials[0]->color;
}

// Whether the player stands facing the referee.
bool FacesReferee(const Character& player)
{
    const Vector3 toReferee =
        PitchSimulation::Instance()->GetReferee()->GetActor()->GetPosition() - player.GetActor()->GetPosition();
    const float heading = player.GetActor()->GetHeading();
    return std::fabs(std::sin(heading) * toReferee.x + std::cos(heading) * toReferee.z -
                     std::hypot(toReferee.x, toReferee.z)) < 1e-3f;
}

bool NobodyHeld()
{
    for (Character* player : PlayerHold::AllPlayers())
        if (PlayerHold::IsHeld(player))
            return false;
    return true;
}

class RefereeStatesTest : public setpiecetest::MatchOnHarness {
protected:
    void SetUp() override
    {
        MatchOnHarness::SetUp();
        ResetSides();
    }
};

}  // namespace

TEST_F(RefereeStatesTest, AWhistleHoldsThePlayersUntilTheRefereeHasBlownIt)
{
    const struct {
        bool shortWhistle;
        int32_t state;
    } cases[] = {{true, RefereeBrain::kShortWhistle}, {false, RefereeBrain::kLongWhistle}};
    for (const auto& c : cases) {
        const std::string camera = ActiveCamera();
        const Sequence seen = Watch(*this, new RefereeWhistle(c.shortWhistle));
        ASSERT_TRUE(StateEnded()) << c.shortWhistle;
        EXPECT_GT(seen.frames, 5);
        EXPECT_EQ(seen.refereeStates, (std::set<int32_t>{c.state}));
        EXPECT_TRUE(seen.alwaysHeld);
        EXPECT_FALSE(seen.refereeHeld);
        EXPECT_EQ(seen.cameras, (std::set<std::string>{camera}));
        EXPECT_TRUE(seen.followsReferee);
        EXPECT_EQ(GetCameraTarget(), PitchSimulation::Instance()->GetBall());
        EXPECT_EQ(RefereeBrainOf().GetState(), RefereeBrain::kFollowing);
        EXPECT_TRUE(NobodyHeld());
    }
}

TEST_F(RefereeStatesTest, AWhistleWhileTheRefereeIsBusyStartsNothingAndWaitsForHim)
{
    RefereeBrainOf().Whistle(true);
    const Sequence seen = Watch(*this, new RefereeWhistle(false));
    ASSERT_TRUE(StateEnded());
    EXPECT_EQ(seen.refereeStates, (std::set<int32_t>{RefereeBrain::kShortWhistle}));
    EXPECT_EQ(RefereeBrainOf().GetState(), RefereeBrain::kFollowing);
}

TEST_F(RefereeStatesTest, AYellowCardBooksThePlayerAndARedCardDoesNot)
{
    for (const bool yellow : {true, false}) {
        ResetSides();
        Character* offender = &Player(0, 2);
        Character* fouled = &Player(1, 2);
        // The foul a few steps from the referee, who then needs little time to come over.
        const Vector3 referee = Referee()->GetActor()->GetPosition();
        offender->GetActor()->PlaceInState(referee + Vector3{4.0f, 0.0f, 0.0f}, 0.0f, new ActorState(ActorNodes::stand));
        fouled->GetActor()->PlaceInState(referee + Vector3{4.0f, 0.0f, 2.0f}, 0.0f, new ActorState(ActorNodes::stand));
        const std::string camera = ActiveCamera();
        const size_t stack = CameraStack::Current()->GetCameraStack().size();
        harness->MakeCurrent(new RedCardAward(offender, yellow, fouled));
        // Both turned to face the referee on entry.
        for (Character* player : {offender, fouled}) {
            const Vector3 toReferee = Referee()->GetActor()->GetPosition() - player->GetActor()->GetPosition();
            const float heading = player->GetActor()->GetHeading();
            EXPECT_NEAR(std::sin(heading) * toReferee.x + std::cos(heading) * toReferee.z,
                        std::hypot(toReferee.x, toReferee.z), 1e-3f);
            EXPECT_STREQ(player->GetActor()->GetStateName(), "stand");
        }
        EXPECT_EQ(RefereeBrainOf().GetRedCardPlayer(), offender);
        const Sequence seen = Watch(*this, harness->GetGame()->GetCurrentState());
        ASSERT_TRUE(StateEnded()) << yellow;
        EXPECT_TRUE(seen.refereeStates.count(RefereeBrain::kCardShow)) << yellow;
        EXPECT_TRUE(seen.alwaysHeld);
        EXPECT_FALSE(seen.refereeHeld);
        EXPECT_EQ(seen.cameras, (std::set<std::string>{"Cameras|Referee"}));
        EXPECT_TRUE(seen.followsReferee);
        EXPECT_EQ(GetCameraTarget(), PitchSimulation::Instance()->GetBall());
        EXPECT_EQ(offender->IsBooked(), yellow);
        EXPECT_FALSE(fouled->IsBooked());
        EXPECT_EQ(ActiveCamera(), camera);
        EXPECT_EQ(CameraStack::Current()->GetCameraStack().size(), stack);
        EXPECT_TRUE(NobodyHeld());
    }
}

TEST_F(RefereeStatesTest, WithoutARefereeTheStatesEndAtOnce)
{
    PitchSimulation::Instance()->SetReferee(nullptr);
    EXPECT_EQ(Run(new RefereeWhistle(true), 10), 1);
    EXPECT_EQ(Run(new RedCardAward(&Player(0, 1), true, nullptr), 10), 1);
    EXPECT_TRUE(Player(0, 1).IsBooked());
    EXPECT_TRUE(NobodyHeld());
}

// The card he shows is yellow or red as given, whatever he showed last; a card with nobody
// fouled (or no offender) turns whoever is there to face him.
TEST_F(RefereeStatesTest, TheRefereeShowsACardOfItsColourToWhoeverIsThere)
{
    const struct {
        const char* what;
        bool yellow;
        bool offender, fouled;
        RwRGBA card;
    } cases[] = {
        {"yellow", true, true, true, {255, 255, 0, 255}},
        {"red, nobody fouled", false, true, false, {255, 0, 0, 255}},
        {"yellow, no offender", true, false, true, {255, 255, 0, 255}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ResetSides();
        ASSERT_TRUE(Referee()->GetActor()->SetMaterialColor(2, 0, Color(0.0f, 0.0f, 1.0f, 1.0f)));
        Character* offender = c.offender ? &Player(0, 2) : nullptr;
        Character* fouled = c.fouled ? &Player(1, 2) : nullptr;
        const Vector3 referee = Referee()->GetActor()->GetPosition();
        // Both facing away from him.
        for (const auto& [player, offset] : {std::pair{&Player(0, 2), Vector3{4.0f, 0.0f, 0.0f}},
                                             std::pair{&Player(1, 2), Vector3{0.0f, 0.0f, 5.0f}}})
            player->GetActor()->PlaceInState(referee + offset, 0.0f, new ActorState(ActorNodes::stand));
        harness->MakeCurrent(new RedCardAward(offender, c.yellow, fouled));
        const RwRGBA card = CardColour();
        EXPECT_EQ(card.red, c.card.red);
        EXPECT_EQ(card.green, c.card.green);
        EXPECT_EQ(card.blue, c.card.blue);
        EXPECT_EQ(FacesReferee(Player(0, 2)), c.offender);
        EXPECT_EQ(FacesReferee(Player(1, 2)), c.fouled);
        EXPECT_EQ(RefereeBrainOf().GetRedCardPlayer(), offender);
        harness->RunFrames(kCap);
        EXPECT_TRUE(StateEnded());
        EXPECT_TRUE(NobodyHeld());
    }
}
