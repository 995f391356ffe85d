#pragma once

#include "framework/Object.h"
#include "settings/PitchCoordinates.h"

#include <cstdint>
#include <memory>
#include <vector>

// A named formation: for every slot (a member's role index) a grid of tactical positions,
// one per cell of a coarse grid over the ball's pitch position, blended from the four cells
// around the ball. The positions are in the pitch frame of the side that plays it.
class TeamStrategy : public Object {
public:
    // The eighteen strategies in creation order: six for open play, then an attacking and a
    // defending formation for each set piece.
    static constexpr int kCount = 18;
    static const char* const kNames[kCount];
    static constexpr const char* kCastName = "Teams";

    TeamStrategy() = default;

    // Section "TeamStrategy": the three counts, then every cell's two coordinates, slot by
    // slot, column by column, row by row. Reading new counts reallocates the grid.
    void Serialize(Serializer& serializer, const char* descriptor) override;

    // (0, 0) when the strategy is invalid or the slot is outside [0, NumActors).
    PitchPosition GetTacticalPosition(int32_t slot, const PitchPosition& ball) const;

    // The strategy of that name in the cast "Teams", or null.
    static TeamStrategy* Find(const char* name);
    // Creates the eighteen strategies as members of the cast "Teams", which owns them; their
    // numbers come from the cast's settings file. Returns the number created (strategies
    // already present are kept and not counted).
    static int CreateAll();
    // The same with the strategies owned by owner instead of the cast.
    static int CreateAll(std::vector<std::unique_ptr<Object>>& owner);
    // "Strategies|<name>".
    static std::string MemberName(const char* name);

    // Sets the counts and an all-zero grid, as reading them would.
    void Resize(int32_t columns, int32_t rows, int32_t slots);
    // Index within the counts; no check.
    PitchPosition& Cell(int32_t slot, int32_t column, int32_t row);
    const PitchPosition& Cell(int32_t slot, int32_t column, int32_t row) const;

    int32_t GetColumns() const { return m_columns; }
    int32_t GetRows() const { return m_rows; }
    int32_t GetSlotCount() const { return m_slots; }
    bool IsValid() const { return m_valid; }

private:
    void Reallocate();

    int32_t m_columns = 0;  // along the pitch
    int32_t m_rows = 0;     // across it
    int32_t m_slots = 0;
    std::vector<PitchPosition> m_grid;
    bool m_valid = false;
};
