#pragma once

#include "framework/Singleton.h"

#include <set>
#include <string>

class HudItem;

// The shoot-out's rows of kick marks in the HUD cast "penaltyhud": one row of five per side
// (side 0 above), each mark scored, missed or still to come. The items are looked up through
// their elements at every call, so a reloaded cast is always the one driven; a missing mark
// is logged once by name and skipped.
class PenaltyDisplayControl : public Singleton<PenaltyDisplayControl> {
public:
    static constexpr int kMarks = 5;
    static constexpr int kSides = 2;
    enum Look { kScored, kMissed, kEmpty };

    // Hides every scored and missed mark, shows side 0's first marksPerRow empty marks (1 to
    // 5) and, unless one row only, all five of side 1.
    void Show(bool oneRowOnly, int marksPerRow);
    // Hides all thirty marks.
    void Hide();
    // Marks the kick (from 0) of the side in place of whatever its mark showed; kicks wrap
    // after marksPerRow, and side 0 starts its row afresh when it wraps.
    void SetMark(int side, int kick, bool scored);

    bool IsOneRowOnly() const { return m_oneRowOnly; }
    int GetMarksPerRow() const { return m_marksPerRow; }
    // The item of the mark (0 to 4) of the side, or null when the cast lacks it.
    static HudItem* FindItem(Look look, int side, int mark);
    // The side's row as shown, one letter a mark: 's' scored, 'm' missed, 'e' to come, '-'
    // hidden (or missing), '?' more than one look at once.
    static std::string DescribeRow(int side);
    // "PenaltyDisplay_<mark 1..5>_<scored|miss|empty>_p<side 1..2>".
    static std::string ItemName(Look look, int side, int mark);

private:
    void SetVisible(Look look, int side, int mark, bool visible);

    bool m_oneRowOnly = false;
    int m_marksPerRow = kMarks;
    std::set<std::string> m_reported;
};
