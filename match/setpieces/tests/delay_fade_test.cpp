// Pauses and fades on the harness: the brains held during a pause and free after it, the
// clock still, the fade's opacity over time and the one quad it draws over the screen.
#include "characters/Character.h"
#include "engine/core/NullDevice.h"
#include "match/Fade.h"
#include "match/MatchDelay.h"
#include "match/MatchFade.h"
#include "match/PlayerHold.h"
#include "pitch/PitchSimulation.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "simulation/Ball.h"
#include "support/MatchOnHarness.h"
#include "tests/support/OffscreenEngine.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kDt = GameHarness::kFrameTime;

int HeldCount()
{
    const auto players = PlayerHold::AllPlayers();
    return static_cast<int>(std::count_if(players.begin(), players.end(), PlayerHold::IsHeld));
}

// The frames a state of this length runs: the last one takes the time left to 0 or below.
bool EndsAt(int frames, float seconds)
{
    return std::fabs(frames * kDt - seconds) <= kDt * 1.01f;
}

const RwNullDrawRecord* FullScreenQuad()
{
    const RwNullDevice* device = RwNullDeviceGet();
    const RwNullDrawRecord* found = nullptr;
    for (const RwNullDrawRecord& draw : device->draws) {
        if (draw.is2D && draw.corners2D[0].x <= 0.0f && draw.corners2D[0].y <= 0.0f &&
            std::max({draw.corners2D[1].x, draw.corners2D[2].x, draw.corners2D[3].x}) >= 800.0f &&
            std::max({draw.corners2D[1].y, draw.corners2D[2].y, draw.corners2D[3].y}) >= 600.0f)
            found = &draw;
    }
    return found;
}

// Into the screen's camera: shadows draw into cameras of their own as the world updates.
int MeshDraws()
{
    const RwCamera* screen = RwGraphics::Instance()->GetPrimaryCamera()->GetRwCamera();
    const auto& draws = RwNullDeviceGet()->draws;
    return static_cast<int>(
        std::count_if(draws.begin(), draws.end(), [&](const auto& d) { return d.isMesh && d.camera == screen; }));
}

// Draws its fade every frame, still or moved on, and never ends: a fade kept past its end.
class KeptFade : public State {
public:
    KeptFade(bool fromBlack, float seconds, bool moving = false) : m_fade(fromBlack, seconds), m_moving(moving) {}
    State* Update(float dt) override
    {
        if (m_moving)
            m_fade.Update(dt);
        return this;
    }
    void Render() override { m_fade.Render(); }

private:
    Fade m_fade;
    bool m_moving;
};

class DelayAndFadeTest : public setpiecetest::MatchOnHarness {
protected:
    void SetUp() override
    {
        MatchOnHarness::SetUp();
        ResetSides();
    }
};

}  // namespace

TEST_F(DelayAndFadeTest, ADelayHoldsEveryPlayerButNotTheRefereeAndStopsTheClock)
{
    const float clock = ClockTime();
    const int players = static_cast<int>(PlayerHold::AllPlayers().size());
    ASSERT_GT(players, 8);
    harness->MakeCurrent(new MatchDelay(0.5f, true, true));
    int heldFrames = 0;
    bool refereeHeld = false;
    const int frames = RunWith(120, [&](int) {
        heldFrames += HeldCount() == players;
        refereeHeld = refereeHeld || PlayerHold::IsHeld(Referee());
    });
    EXPECT_TRUE(StateEnded());
    EXPECT_TRUE(EndsAt(frames, 0.5f)) << frames;
    EXPECT_EQ(heldFrames, frames);
    EXPECT_FALSE(refereeHeld);
    EXPECT_EQ(HeldCount(), 0);
    EXPECT_EQ(ClockTime(), clock);
}

TEST_F(DelayAndFadeTest, ADelaySimulatesAndDrawsOnlyWhenAsked)
{
    ScopedPicturesShown shown;
    // The game draws a few meshes of its own whatever the state.
    Run(new MatchDelay(1.0f, false, false), 2);
    const int own = MeshDraws();
    const struct {
        bool simulate, draw;
    } cases[] = {{true, true}, {false, true}, {true, false}, {false, false}};
    for (const auto& c : cases) {
        Ball* ball = PitchSimulation::Instance()->GetBall();
        ball->SetPosition({0.0f, 0.0f, 0.0f});
        ball->SetVelocity({0.0f, 0.0f, 5.0f});
        Run(new MatchDelay(1.0f, c.simulate, c.draw), 5);
        EXPECT_EQ(ball->GetPosition().z > 0.0f, c.simulate) << c.simulate << c.draw;
        EXPECT_EQ(MeshDraws() > own, c.draw) << c.simulate << c.draw;
    }
}

TEST_F(DelayAndFadeTest, AFadeRunsItsOpacityOverItsLengthAndEndsThere)
{
    const struct {
        bool fromBlack;
        float seconds;
        float first, last;  // opacity after the first and the last frame
    } cases[] = {{false, 0.5f, kDt / 0.5f, 1.0f}, {true, 0.5f, 1.0f - kDt / 0.5f, 0.0f}, {false, 0.2f, kDt / 0.2f, 1.0f}};
    for (const auto& c : cases) {
        Fade fade(c.fromBlack, c.seconds);
        EXPECT_FLOAT_EQ(fade.GetAlpha(), c.fromBlack ? 1.0f : 0.0f);
        int frames = 1;
        fade.Update(kDt);
        EXPECT_NEAR(fade.GetAlpha(), c.first, 1e-4f);
        float previous = fade.GetAlpha();
        bool monotonic = true;
        while (fade.Update(kDt) == &fade && frames < 1000) {
            ++frames;
            monotonic = monotonic && (c.fromBlack ? fade.GetAlpha() < previous : fade.GetAlpha() > previous);
            previous = fade.GetAlpha();
        }
        ++frames;
        EXPECT_TRUE(monotonic);
        EXPECT_TRUE(EndsAt(frames, c.seconds)) << frames;
        EXPECT_EQ(fade.GetAlpha(), c.last);
    }
}

TEST_F(DelayAndFadeTest, AFadeCoversTheScreenWithOneQuadAndAFadeOfNoLengthDrawsNothing)
{
    Run(new Fade(false, 0.5f), 15);
    const RwNullDrawRecord* quad = FullScreenQuad();
    ASSERT_NE(quad, nullptr);
    EXPECT_EQ(quad->numVertices, 4);
    EXPECT_NE(quad->vertexAlpha, 0);
    EXPECT_EQ(quad->zTest, 0);
    // Half-way to black.
    EXPECT_NEAR(quad->corners2D[0].emissiveColor >> 24, 127, 3);

    for (const float seconds : {0.0f, -1.0f}) {
        EXPECT_EQ(Run(new Fade(true, seconds), 10), 1);
        EXPECT_TRUE(StateEnded());
        Run(new KeptFade(false, seconds), 2);
        EXPECT_EQ(FullScreenQuad(), nullptr) << seconds;
        EXPECT_EQ(Fade(false, seconds).GetAlpha(), 1.0f);
        EXPECT_EQ(Fade(true, seconds).GetAlpha(), 0.0f);
    }
}

TEST_F(DelayAndFadeTest, AFadeFromBlackDrawsUntilItIsClearAndAFadeToBlackStaysDrawn)
{
    const struct {
        bool fromBlack;
        int frames;  // of a 0.25 s fade
        bool drawn;
    } cases[] = {{true, 10, true}, {true, 20, false}, {false, 20, true}};
    for (const auto& c : cases) {
        Run(new KeptFade(c.fromBlack, 0.25f, true), c.frames);
        EXPECT_EQ(FullScreenQuad() != nullptr, c.drawn) << c.fromBlack << " " << c.frames;
    }
}

TEST_F(DelayAndFadeTest, AFadeStepDrawsTheMatchUnderTheFadeAndEndsWithIt)
{
    ScopedPicturesShown shown;
    const float clock = ClockTime();
    const int frames = Run(MatchFade::CreateFadeStep(false, 0.25f), 60);
    EXPECT_TRUE(StateEnded());
    EXPECT_TRUE(EndsAt(frames, 0.25f)) << frames;
    EXPECT_EQ(ClockTime(), clock);
    EXPECT_EQ(HeldCount(), 0);

    Run(new MatchDelay(1.0f, false, false), 2);
    const int own = MeshDraws();
    Run(MatchFade::CreateFadeStep(true, 1.0f), 10);
    EXPECT_GT(MeshDraws(), own);
    EXPECT_NE(FullScreenQuad(), nullptr);
    EXPECT_EQ(HeldCount(), static_cast<int>(PlayerHold::AllPlayers().size()));
}
