#include <gtest/gtest.h>

#include "simulation/Collidable.h"
#include "simulation/CollisionManager.h"
#include "simulation/ShapeCollision.h"

#include <memory>
#include <string>
#include <vector>

namespace {

using Log = std::vector<std::string>;

// Logs what it hits ("name:other,other") and counts its moves; a bouncer turns its vertical
// velocity round on every hit.
class Probe : public SimpleCollidable {
public:
    Probe(Log& log, const char* name, std::unique_ptr<Shape> shape, bool bounces = false)
        : SimpleCollidable(std::move(shape)), m_log(log), m_bounces(bounces)
    {
        SetCollisionName(name);
    }
    void Move(float dt) override
    {
        ++moves;
        SimpleCollidable::Move(dt);
    }
    void OnCollision(const std::vector<Collidable*>& hits) override
    {
        std::string line = GetCollisionName() + ":";
        for (size_t i = 0; i < hits.size(); ++i)
            line += (i ? "," : "") + hits[i]->GetCollisionName();
        m_log.push_back(line);
        if (m_bounces)
            SetVelocity({GetVelocity().x, -GetVelocity().y, GetVelocity().z});
    }

    int moves = 0;

private:
    Log& m_log;
    bool m_bounces;
};

std::unique_ptr<Probe> Ball(Log& log, const char* name, const Vector3& position, const Vector3& velocity,
                            bool bounces = false)
{
    auto ball = std::make_unique<Probe>(log, name, std::make_unique<Sphere>(1.0f), bounces);
    ball->SetPosition(position);
    ball->SetVelocity(velocity);
    return ball;
}

std::unique_ptr<Probe> Ground(Log& log, const char* name = "ground")
{
    return std::make_unique<Probe>(log, name, std::make_unique<Plane>());
}

class CollisionManagerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ShapeCollisionTable::Init(); }
    void SetUp() override { manager = CollisionManager::Instance(); }
    void TearDown() override { CollisionManager::DestroyInstance(); }
    // A frame with no dt, so that the sets' fresh pairs count from the next frame on.
    void Age() { manager->Update(0.0f); }
    // The log's length after each of three frames, counted from an empty log.
    std::vector<size_t> LogLengthsOverThreeFrames(float frame)
    {
        log.clear();
        std::vector<size_t> lengths;
        for (int i = 0; i < 3; ++i) {
            manager->Update(frame);
            lengths.push_back(log.size());
        }
        return lengths;
    }

    CollisionManager* manager = nullptr;
    Log log;
};

TEST_F(CollisionManagerTest, AFrameWithoutTimeMovesNothingButAgesEverySet)
{
    auto ball = Ball(log, "ball", {0, 5, 0}, {0, -1, 0});
    CollisionSet* set = manager->GetCollisionSet("a");
    set->Add(ball.get(), true);
    EXPECT_EQ(manager->GetCollisionSet("a"), set);
    manager->Update(0.0f);
    manager->Update(-1.0f);
    EXPECT_EQ(std::tuple(ball->moves, ball->GetPosition(), set->GetSetTime()), std::tuple(0, Vector3(0, 5, 0), 0.3f));
    // Without an impact every member moves exactly once by the frame.
    manager->Update(0.5f);
    EXPECT_EQ(std::tuple(ball->moves, ball->GetPosition(), set->GetSetTime()),
              std::tuple(1, Vector3(0, 4.5f, 0), 0.3f + 0.5f + 0.1f));
}

TEST_F(CollisionManagerTest, ImpactsAtOneTimeInOneSetAreResolvedTogetherInMemberOrder)
{
    auto ground = Ground(log);
    auto left = Ball(log, "left", {-5, 3, 0}, {0, -4, 0}), right = Ball(log, "right", {5, 3, 0}, {0, -4, 0});
    CollisionSet* set = manager->GetCollisionSet("balls");
    set->Add(ground.get(), false);
    set->Add(right.get(), true);
    set->Add(left.get(), true);
    Age();
    manager->Update(1.0f);
    EXPECT_EQ(log, (Log{"ground:right,left", "right:ground", "left:ground"}));
    // Resolved at 0.5 into the frame: the pair is remembered at that set time.
    EXPECT_FLOAT_EQ(set->GetLastHit(left.get(), ground.get()), 0.2f + 0.5f);
    EXPECT_EQ(left->GetPosition(), Vector3(-5, -1, 0));  // no reaction: it went on
}

TEST_F(CollisionManagerTest, OfTwoSetsWithImpactsAtOneTimeTheLastByNameGoesFirstTheOtherAfterAStepOfZero)
{
    auto groundA = Ground(log, "groundA"), groundB = Ground(log, "groundB");
    auto a = Ball(log, "a", {0, 3, 0}, {0, -4, 0}), b = Ball(log, "b", {0, 3, 0}, {0, -4, 0});
    manager->GetCollisionSet("alpha")->Add(a.get(), true);
    manager->GetCollisionSet("alpha")->Add(groundA.get(), false);
    manager->GetCollisionSet("beta")->Add(b.get(), true);
    manager->GetCollisionSet("beta")->Add(groundB.get(), false);
    Age();
    manager->Update(1.0f);
    EXPECT_EQ(log, (Log{"b:groundB", "groundB:b", "a:groundA", "groundA:a"}));
    // Both sets advanced through the same steps: 0.5, 0 and the rest.
    EXPECT_EQ(std::tuple(a->moves, b->moves), std::tuple(3, 3));
    EXPECT_EQ(manager->GetCollisionSet("alpha")->GetSetTime(), manager->GetCollisionSet("beta")->GetSetTime());
}

TEST_F(CollisionManagerTest, AFreshManagedSetIgnoresItsPairsAtFirstAQuerySetDoesNot)
{
    auto ground = Ground(log);
    auto ball = Ball(log, "ball", {0, 3, 0}, {0, -4, 0});
    CollisionSet query;
    CollisionSet* managed = manager->GetCollisionSet("managed");
    float time = -1.0f;
    for (CollisionSet* set : {&query, managed}) {
        set->Add(ground.get(), false);
        set->Add(ball.get(), true);
    }
    EXPECT_TRUE(query.FindEarliestImpact(1.0f, time));
    EXPECT_EQ(time, 0.5f);
    EXPECT_FALSE(managed->FindEarliestImpact(1.0f, time));
    EXPECT_EQ(std::tuple(managed->GetNextImpactTime(), query.GetNextImpactTime()),
              std::tuple(CollisionSet::kInvalidTime, 0.6f));
    // Two inactive members are never tested.
    CollisionSet inactive;
    inactive.Add(ground.get(), false);
    inactive.Add(ball.get(), false);
    EXPECT_FALSE(inactive.FindEarliestImpact(1.0f, time));
}

TEST_F(CollisionManagerTest, OverlappingObjectsAreResolvedOnceAFrameAndTheFrameEnds)
{
    auto ground = Ground(log);
    auto ball = Ball(log, "ball", {0, 0.5f, 0}, {0, 0, 0});
    CollisionSet* set = manager->GetCollisionSet("set");
    set->Add(ground.get(), false);
    set->Add(ball.get(), true);
    Age();
    manager->Update(1.0f / 60);
    EXPECT_EQ(log, (Log{"ground:ball", "ball:ground"}));
    manager->Update(1.0f / 60);  // the next frame sees it again
    EXPECT_EQ(log.size(), 4u);
    // Adding a member forgets the last hits; removing one that is not there changes nothing.
    set->Add(ball.get(), true);
    EXPECT_EQ(std::tuple(set->GetMemberCount(), set->GetLastHit(ball.get(), ground.get())), std::tuple(2, 0.0f));
    auto stranger = Ball(log, "stranger", {}, {});
    EXPECT_FALSE(set->Remove(stranger.get()));
    EXPECT_TRUE(set->Remove(ball.get()));
    EXPECT_EQ(std::tuple(set->GetMemberCount(), set->GetMember(0), set->GetMember(1)),
              std::tuple(1, static_cast<Collidable*>(ground.get()), nullptr));
}

TEST_F(CollisionManagerTest, ADoppelGangerHandsItsHitsToItsOwnerAndEndsTheFrameWithIt)
{
    auto ground = Ground(log);
    CopiedCollidable owner(std::make_unique<Sphere>(1.0f));
    owner.SetPosition({0, 3, 0});
    owner.SetVelocity({1, -4, 0});
    auto copy = std::make_unique<CollisionDoppelGanger>(owner, std::make_unique<Sphere>(1.0f));
    CollisionDoppelGanger* doppel = copy.get();
    owner.AddCopy(std::move(copy));
    auto other = Ball(log, "other", {50, 0, 50}, {});
    manager->GetCollisionSet("characters+ball")->Add(&owner, true);
    manager->GetCollisionSet("characters+ball")->Add(other.get(), true);
    manager->GetCollisionSet("ball+pitchvolumes")->Add(ground.get(), false);
    manager->GetCollisionSet("ball+pitchvolumes")->Add(doppel, true);
    Age();
    manager->Update(1.0f);
    EXPECT_EQ(log, (Log{"ground:null"}));  // the owner's reaction is to do nothing
    EXPECT_EQ(std::tuple(owner.GetPosition(), doppel->GetPosition(), doppel->GetVelocity()),
              std::tuple(Vector3(1, -1, 0), Vector3(1, -1, 0), Vector3(1, -4, 0)));
    owner.SetPosition({7, 7, 7});
    EXPECT_EQ(doppel->GetPosition(), Vector3(7, 7, 7));
    std::unique_ptr<CollisionDoppelGanger> back = owner.RemoveCopy(doppel);
    EXPECT_EQ(std::tuple(back.get(), owner.GetCopyCount(), owner.RemoveCopy(doppel).get()),
              std::tuple(doppel, 0, nullptr));
}

TEST_F(CollisionManagerTest, ABouncingBallIsSteppedToEachImpact)
{
    auto ground = Ground(log);
    auto ball = Ball(log, "ball", {0, 2, 0}, {0, -4, 0}, true);
    CollisionSet* set = manager->GetCollisionSet("set");
    set->Add(ground.get(), false);
    set->Add(ball.get(), true);
    Age();
    manager->Update(0.5f);
    EXPECT_EQ(log, (Log{"ground:ball", "ball:ground"}));
    EXPECT_EQ(std::tuple(ball->moves, ball->GetPosition(), ball->GetVelocity()),
              std::tuple(2, Vector3(0, 2, 0), Vector3(0, 4, 0)));
}

TEST_F(CollisionManagerTest, SetsAreRemovedByNameAndLinkedSetsForgetTheirImpactTogether)
{
    CollisionSet* set = manager->GetCollisionSet("characters+pitchvolumes");
    EXPECT_EQ(manager->RemoveCollisionSet("nothing", true), nullptr);
    std::unique_ptr<CollisionSet> kept = manager->RemoveCollisionSet("characters+pitchvolumes", true);
    EXPECT_EQ(std::tuple(kept.get(), manager->GetSetCount(), manager->FindCollisionSet("characters+pitchvolumes")),
              std::tuple(set, 0, nullptr));
    manager->GetCollisionSet("gone");
    EXPECT_EQ(manager->RemoveCollisionSet("gone"), nullptr);
    EXPECT_EQ(manager->GetSetCount(), 0);

    auto ground = Ground(log);
    auto ball = Ball(log, "ball", {0, 3, 0}, {0, -4, 0});
    CollisionSet first, second;
    first.Link(&second);
    second.Link(&first);
    first.Link(nullptr);  // neither null nor itself is linked
    first.Link(&first);
    float time = 0;
    for (CollisionSet* s : {&first, &second}) {
        s->Add(ground.get(), false);
        s->Add(ball.get(), true);
        ASSERT_TRUE(s->FindEarliestImpact(1.0f, time));
    }
    // Invalidation passes along the links, around the loop back to where it started.
    first.Invalidate(nullptr);
    EXPECT_EQ(std::tuple(first.GetNextImpactTime(), second.GetNextImpactTime()),
              std::tuple(CollisionSet::kInvalidTime, CollisionSet::kInvalidTime));
    ASSERT_TRUE(first.FindEarliestImpact(1.0f, time) && second.FindEarliestImpact(1.0f, time));
    second.Invalidate(&second);
    EXPECT_EQ(second.GetNextImpactTime(), 0.6f);
    // Resolving forgets the linked set's impact, but not in the middle of nowhere.
    first.Advance(0.5f);
    first.Resolve();
    EXPECT_EQ(std::tuple(first.GetNextImpactTime(), second.GetNextImpactTime(), log.size()),
              std::tuple(CollisionSet::kInvalidTime, CollisionSet::kInvalidTime, size_t(2)));
    second.Resolve();
    EXPECT_EQ(log.size(), 2u);
}

}  // namespace

// The sets outlive a match: once the last member leaves, the next match's pairs must count
// exactly as in a new set, whatever time the old one had reached. A ball that reaches the
// ground just before a frame ends meets it again as the next frame starts.
TEST_F(CollisionManagerTest, AnEmptiedSetCountsItsNextMembersHitsExactlyAsANewSetDoes)
{
    constexpr float kFrame = 1.0f / 60;
    const auto hitsByFrame = [&](const char* name) {
        auto ground = Ground(log);
        auto ball = Ball(log, "ball", {0, 1.0f + (kFrame - 2e-4f), 0}, {0, -1.0f, 0});
        CollisionSet* set = manager->GetCollisionSet(name);
        set->Add(ground.get(), false);
        set->Add(ball.get(), true);
        Age();
        const std::vector<size_t> hits = LogLengthsOverThreeFrames(kFrame);
        set->Remove(ball.get());
        set->Remove(ground.get());
        return hits;
    };
    const std::vector<size_t> fresh = hitsByFrame("fresh");
    EXPECT_EQ(fresh, (std::vector<size_t>{2, 4, 6}));
    manager->RemoveCollisionSet("fresh");
    // A match in "old" first: an hour of frames that age the set.
    auto stand = Ground(log, "stand");
    manager->GetCollisionSet("old")->Add(stand.get(), false);
    for (int frame = 0; frame < 216000; ++frame)
        manager->Update(kFrame);
    manager->GetCollisionSet("old")->Remove(stand.get());
    EXPECT_EQ(hitsByFrame("old"), fresh);
}

// The ball stays in its sets from match to match: restarted, they count its hits exactly as
// new sets do once they have run a frame, however long the last match aged them; and at once,
// since the next match may start with a touch.
TEST_F(CollisionManagerTest, ARestartedSetCountsTheHitsOfTheMembersItKeptAtOnceAsANewSetDoes)
{
    constexpr float kFrame = 1.0f / 60;
    auto ground = Ground(log);
    auto ball = Ball(log, "ball", {0, 100.0f, 0}, {});
    CollisionSet* set = manager->GetCollisionSet("kept");
    set->Add(ground.get(), false);
    set->Add(ball.get(), true);
    const auto hitsByFrame = [&](bool age) {
        ball->SetPosition({0, 1.0f + (kFrame - 2e-4f), 0});
        ball->SetVelocity({0, -1.0f, 0});
        if (age)
            Age();
        return LogLengthsOverThreeFrames(kFrame);
    };
    const std::vector<size_t> fresh = hitsByFrame(true);
    EXPECT_EQ(fresh, (std::vector<size_t>{2, 4, 6}));
    ball->SetPosition({0, 100.0f, 0});
    ball->SetVelocity({});
    for (int frame = 0; frame < 216000; ++frame)
        manager->Update(kFrame);
    manager->RestartSets();
    EXPECT_EQ(set->GetMemberCount(), 2);
    EXPECT_EQ(hitsByFrame(false), fresh);
}
