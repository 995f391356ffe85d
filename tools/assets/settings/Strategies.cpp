// The default formations. Every strategy has five slots (0 keeper, 1 last defender, 2 and 3
// wide, 4 forward) on a grid of 4 columns along the pitch by 3 rows across it; a cell holds
// where the slot stands while the ball is near the cell's centre, in the side's own frame
// (x -1 its own goal line, +1 the attacked one).
//
// In open play the forward stays behind the wide players and outside the shooting zone (a
// holder shoots as soon as he stands in it, and it reaches 30 m out in the middle): a forward
// waiting in it would shoot the moment a pass reached him, with the defenders still before
// him. He has to run at goal first. The wide players go up the wings, outside the zone, and
// close in on the middle while their side defends.
#include "tools/assets/settings/Strategies.h"

#include "ai/TeamStrategy.h"
#include "framework/Cast.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

namespace assets {

namespace {

constexpr int32_t kColumns = 4;
constexpr int32_t kRows = 3;
constexpr int32_t kSlots = 5;
enum Slot { kKeeper, kLastDefender, kLeftWide, kRightWide, kForward };

// Nobody is placed on a line: the outermost point a formation uses.
constexpr float kInside = 0.95f;
// The penalty area in pitch units (16.5 m of 50, 20.15 m of 32.67): set-piece formations that
// must stay out of it keep below this along the pitch.
constexpr float kOutsideArea = 0.6f;

using Formation = std::function<PitchPosition(int slot, float ballX, float ballZ)>;

PitchPosition Inside(float x, float z)
{
    return {std::clamp(x, -kInside, kInside), std::clamp(z, -kInside, kInside)};
}

// An open-play shape: the line-up at the centre spot and how it follows the ball.
struct Shape {
    float depth;    // the whole team further up (+) or back (-)
    float push;     // how far the team moves up with the ball
    float spread;   // distance between the last defender and the others, 1 as usual
    float width;    // how wide the wide players stand, 1 as usual
    float shift;    // how far the team slides across towards the ball
    float forward;  // the forward further up (+) than the shape says
};

constexpr float kBaseX[kSlots] = {-0.92f, -0.5f, 0.0f, 0.0f, -0.3f};
constexpr float kBaseZ[kSlots] = {0.0f, 0.0f, -0.475f, 0.475f, 0.0f};
// How much wider the wide players stand per unit the ball is further up the pitch: from a
// third of the width with the ball in their own area to three fifths in the other one.
constexpr float kWidening = 0.36f;

Formation OpenPlay(const Shape& s)
{
    return [s](int slot, float bx, float bz) {
        if (slot == kKeeper)
            return Inside(kBaseX[kKeeper] + 0.03f * bx, 0.12f * bz);
        const float forward = slot == kForward ? s.forward : 0.0f;
        return Inside(kBaseX[slot] * s.spread + s.depth + s.push * bx + forward,
                      kBaseZ[slot] * s.width * (1.0f + kWidening * bx) + s.shift * bz);
    };
}

// A line-up that does not follow the ball.
Formation Fixed(const PitchPosition (&places)[kSlots])
{
    return [&places](int slot, float, float bz) { return Inside(places[slot].x, places[slot].z + 0.05f * bz); };
}

// The team follows the ball half the way up and down the pitch.
constexpr Shape kNormal{0.0f, 0.5f, 1.0f, 1.0f, 0.2f, 0.0f};
constexpr Shape kDefend{-0.15f, 0.45f, 1.0f, 0.9f, 0.2f, 0.0f};
constexpr Shape kAttack{0.1f, 0.55f, 1.0f, 1.05f, 0.2f, 0.0f};
// Long: the forward waits high for the long ball while the back stays deep.
constexpr Shape kKickAndRush{-0.05f, 0.45f, 1.35f, 1.0f, 0.18f, 0.2f};
// Compact: a short, narrow block that slides hard towards the ball.
constexpr Shape kCounter{-0.12f, 0.45f, 0.6f, 0.7f, 0.3f, 0.0f};
constexpr Shape kAllOut{0.2f, 0.55f, 0.9f, 1.1f, 0.2f, 0.0f};

// The taker is placed by the set piece itself; these are where the others wait, the right
// wide player within a short pass of the spot for the kick-off's first ball.
constexpr PitchPosition kKickoffAttack[kSlots] = {{-0.92f, 0.0f}, {-0.5f, 0.0f}, {-0.2f, -0.5f}, {-0.1f, 0.22f}, {-0.04f, 0.06f}};
// Outside the centre circle (9.15 m is 0.18 along).
constexpr PitchPosition kKickoffDefend[kSlots] = {{-0.92f, 0.0f}, {-0.55f, 0.0f}, {-0.3f, -0.45f}, {-0.3f, 0.45f}, {-0.22f, 0.0f}};
// The keeper's kick goes to the last defender, out wide at the edge of the area; the side
// that shot drops back to its own half. With its forward left 25 m from goal he won the ball
// off the defender at once and shot again from where he had just shot.
constexpr PitchPosition kGoalkickAttack[kSlots] = {{-0.92f, 0.0f}, {-0.6f, 0.55f}, {-0.3f, -0.6f}, {-0.15f, 0.3f}, {0.0f, -0.1f}};
constexpr PitchPosition kGoalkickDefend[kSlots] = {{-0.92f, 0.0f}, {-0.5f, 0.0f}, {-0.15f, -0.45f}, {-0.15f, 0.45f}, {0.05f, 0.0f}};
// The box is 0.67 deep and 0.62 wide in pitch units.
constexpr PitchPosition kCornerAttack[kSlots] = {{-0.9f, 0.0f}, {0.0f, 0.0f}, {0.8f, -0.25f}, {0.8f, 0.25f}, {0.88f, 0.05f}};
constexpr PitchPosition kCornerDefend[kSlots] = {{-0.95f, 0.0f}, {-0.85f, 0.0f}, {-0.82f, -0.3f}, {-0.82f, 0.3f}, {-0.4f, 0.0f}};
constexpr PitchPosition kPenaltyAttack[kSlots] = {{-0.92f, 0.0f}, {0.1f, 0.0f}, {kOutsideArea - 0.05f, -0.35f}, {kOutsideArea - 0.05f, 0.35f}, {kOutsideArea - 0.02f, 0.0f}};
constexpr PitchPosition kPenaltyDefend[kSlots] = {{-0.95f, 0.0f}, {-kOutsideArea + 0.02f, -0.15f}, {-kOutsideArea + 0.02f, -0.4f}, {-kOutsideArea + 0.02f, 0.4f}, {-0.3f, 0.0f}};

// Throw-ins and free kicks are open play crowding the ball.
constexpr Shape kThrowinAttack{0.05f, 0.28f, 1.0f, 0.9f, 0.3f, 0.0f};
constexpr Shape kThrowinDefend{-0.1f, 0.25f, 0.9f, 0.9f, 0.28f, 0.0f};
constexpr Shape kFreekickAttack{0.1f, 0.35f, 0.9f, 1.0f, 0.25f, 0.05f};
constexpr Shape kFreekickDefend{-0.15f, 0.25f, 0.8f, 0.8f, 0.28f, -0.05f};

// At a throw-in the ball lies on an outer row. The wide player of its wing goes to the line,
// so that he is the one nearest the ball and throws; the forward comes short a little behind
// him and the other wide player further back, 9 to 20 m off. A computer throws to the
// nearest team-mate at a pass's speed however near he is: to one 25 to 50 m away across the
// pitch the throw outran him and went out over the far touch line, for a throw the other way,
// again and again. With two men near, a sending-off still leaves one.
constexpr float kForwardBack = 0.08f;
constexpr float kForwardIn = 0.62f;
constexpr float kFarWideBack = 0.2f;
constexpr float kFarWideIn = 0.7f;
// An end column is read for every ball beyond its centre, up to a throw's 2 m from the goal
// line: its line-up is drawn up for a ball that far towards the end.
constexpr float kEndColumnReach = 0.1f;

Formation ThrowinAttack(const Shape& s)
{
    const Formation shape = OpenPlay(s);
    return [shape](int slot, float bx, float bz) {
        if (bz == 0.0f || slot == kKeeper || slot == kLastDefender)
            return shape(slot, bx, bz);
        const float wing = bz > 0.0f ? 1.0f : -1.0f;
        const bool endColumn = std::abs(bx) > 0.5f;
        const float ball = endColumn ? bx + std::copysign(kEndColumnReach, bx) : bx;
        if (slot == (bz > 0.0f ? kRightWide : kLeftWide))
            return Inside(ball, wing * kInside);
        if (slot == kForward)
            return Inside(ball - kForwardBack, wing * kForwardIn);
        return Inside(ball - kFarWideBack, wing * kFarWideIn);
    };
}

// In creation order.
std::vector<Formation> Formations()
{
    return {OpenPlay(kNormal),          OpenPlay(kDefend),          OpenPlay(kAttack),
            OpenPlay(kKickAndRush),     OpenPlay(kCounter),         OpenPlay(kAllOut),
            Fixed(kKickoffAttack),      Fixed(kKickoffDefend),      Fixed(kGoalkickAttack),
            Fixed(kGoalkickDefend),     Fixed(kCornerAttack),       Fixed(kCornerDefend),
            ThrowinAttack(kThrowinAttack), OpenPlay(kThrowinDefend),   Fixed(kPenaltyAttack),
            Fixed(kPenaltyDefend),      OpenPlay(kFreekickAttack),  OpenPlay(kFreekickDefend)};
}

// The ball coordinate at the centre of cell k of n.
float CellCentre(int32_t k, int32_t n) { return -1.0f + 2.0f / static_cast<float>(n) * (static_cast<float>(k) + 0.5f); }

void Fill(TeamStrategy& strategy, const Formation& formation)
{
    strategy.Resize(kColumns, kRows, kSlots);
    for (int32_t a = 0; a < kSlots; ++a)
        for (int32_t i = 0; i < kColumns; ++i)
            for (int32_t j = 0; j < kRows; ++j)
                strategy.Cell(a, i, j) = formation(a, CellCentre(i, kColumns), CellCentre(j, kRows));
}

}  // namespace

void AddStrategies(Cast& cast, std::vector<std::unique_ptr<TeamStrategy>>& strategies)
{
    const std::vector<Formation> formations = Formations();
    for (int k = 0; k < TeamStrategy::kCount; ++k) {
        auto strategy = std::make_unique<TeamStrategy>();
        Fill(*strategy, formations[static_cast<size_t>(k)]);
        cast.AddMember(strategy.get(), TeamStrategy::MemberName(TeamStrategy::kNames[k]).c_str(), false);
        strategies.push_back(std::move(strategy));
    }
}

}  // namespace assets
