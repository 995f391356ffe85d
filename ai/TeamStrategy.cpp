#include "ai/TeamStrategy.h"

#include "framework/Cast.h"
#include "framework/Serializer.h"

#include <cmath>

const char* const TeamStrategy::kNames[kCount] = {
    "Classic-Normal",  "Classic-Defend",  "Classic-Attack",  "KickAndRush",     "CounterTactics",  "AllOutOffense",
    "kickoff_attack",  "kickoff_defend",  "goalkick_attack", "goalkick_defend", "corner_attack",   "corner_defend",
    "throwin_attack",  "throwin_defend",  "penalty_attack",  "penalty_defend",  "freekick_attack", "freekick_defend"};

namespace {

// The two cells around a ball coordinate on one axis and how far it lies from the low one
// towards the high one. The grid values sit at the cell centres; beyond the outer centres
// the position holds.
struct AxisCells {
    int32_t low = 0;
    int32_t high = 0;
    float fraction = 0.0f;
};

AxisCells FindCells(float c, int32_t n)
{
    AxisCells cells;
    if (n == 1 || c <= -1.0f)
        return cells;
    if (c >= 1.0f) {
        cells.low = cells.high = n - 1;
        return cells;
    }
    const float step = 2.0f / static_cast<float>(n);
    float t = c + 1.0f - step * 0.5f;
    if (t <= 0.0f)
        t = 0.0f;
    cells.low = static_cast<int32_t>(t / step);
    cells.fraction = (t - static_cast<float>(cells.low) * step) / step;
    cells.high = cells.low + 1;
    if (cells.high >= n)
        cells.fraction = 0.0f;
    if (cells.fraction == 0.0f)
        cells.high = cells.low;
    return cells;
}

} // namespace

void TeamStrategy::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("TeamStrategy", descriptor);
    serializer.SerializeInt("LeftToRightBallResolution", &m_columns);
    serializer.SerializeInt("FarToNearBallResolution", &m_rows);
    serializer.SerializeInt("NumActors", &m_slots);
    if (serializer.IsReading())
        Reallocate();
    for (PitchPosition& cell : m_grid) {
        serializer.SerializeButton("hide", "");
        serializer.SerializeFloat("PosLeftToRight", &cell.x);
        serializer.SerializeButton("hide", "");
        serializer.SerializeFloat("PosFarToNear", &cell.z);
    }
    serializer.EndSection();
}

void TeamStrategy::Resize(int32_t columns, int32_t rows, int32_t slots)
{
    m_columns = columns;
    m_rows = rows;
    m_slots = slots;
    Reallocate();
}

void TeamStrategy::Reallocate()
{
    m_grid.clear();
    m_valid = m_slots >= 1 && m_columns >= 1 && m_rows > 0;
    // Counts from a file may be anything: a negative or absurd product gets no grid.
    const int64_t count = static_cast<int64_t>(m_slots) * m_columns * m_rows;
    constexpr int64_t kMaxCells = 1 << 16;
    if (!m_valid || count > kMaxCells) {
        m_valid = false;
        return;
    }
    m_grid.resize(static_cast<size_t>(count));
}

PitchPosition& TeamStrategy::Cell(int32_t slot, int32_t column, int32_t row)
{
    return m_grid[static_cast<size_t>((m_columns * slot + column) * m_rows + row)];
}

const PitchPosition& TeamStrategy::Cell(int32_t slot, int32_t column, int32_t row) const
{
    return m_grid[static_cast<size_t>((m_columns * slot + column) * m_rows + row)];
}

PitchPosition TeamStrategy::GetTacticalPosition(int32_t slot, const PitchPosition& ball) const
{
    if (!m_valid || slot < 0 || slot >= m_slots)
        return {};
    const AxisCells along = FindCells(ball.x, m_columns);
    const AxisCells across = FindCells(ball.z, m_rows);
    const float u = along.fraction;
    const float v = across.fraction;
    // Each corner weighs its distance from (u, v) to the opposite corner: not bilinear, so
    // the position jumps where the ball crosses a cell centre.
    const float weights[4] = {std::hypot(1.0f - u, 1.0f - v), std::hypot(1.0f - u, v), std::hypot(u, 1.0f - v),
                              std::hypot(u, v)};
    const PitchPosition* corners[4] = {&Cell(slot, along.low, across.low), &Cell(slot, along.low, across.high),
                                       &Cell(slot, along.high, across.low), &Cell(slot, along.high, across.high)};
    const float total = weights[0] + weights[1] + weights[2] + weights[3];
    PitchPosition result;
    for (int i = 0; i < 4; ++i) {
        result.x += weights[i] / total * corners[i]->x;
        result.z += weights[i] / total * corners[i]->z;
    }
    return result;
}

std::string TeamStrategy::MemberName(const char* name) { return std::string("Strategies|") + name; }

TeamStrategy* TeamStrategy::Find(const char* name)
{
    const Cast* cast = CastManager::Instance()->GetCast(kCastName);
    if (!cast || !name)
        return nullptr;
    const CastMember* member = cast->FindByName(MemberName(name).c_str());
    return member ? dynamic_cast<TeamStrategy*>(member->object) : nullptr;
}

namespace {

// Owned by the cast when owner is null.
int CreateStrategies(std::vector<std::unique_ptr<Object>>* owner)
{
    Cast* cast = CastManager::Instance()->CreateCast(TeamStrategy::kCastName);
    int created = 0;
    for (const char* name : TeamStrategy::kNames) {
        if (TeamStrategy::Find(name))
            continue;
        auto* strategy = new TeamStrategy;
        cast->AddMember(strategy, TeamStrategy::MemberName(name).c_str(), owner == nullptr);
        if (owner)
            owner->emplace_back(strategy);
        ++created;
    }
    return created;
}

}  // namespace

int TeamStrategy::CreateAll()
{
    return CreateStrategies(nullptr);
}

int TeamStrategy::CreateAll(std::vector<std::unique_ptr<Object>>& owner)
{
    return CreateStrategies(&owner);
}
