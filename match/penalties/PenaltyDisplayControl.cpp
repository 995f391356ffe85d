#include "match/penalties/PenaltyDisplayControl.h"

#include "framework/Cast.h"
#include "framework/Debug.h"
#include "scene/GameElements.h"
#include "scene/HudItems.h"

#include <algorithm>
#include <cstdio>

std::string PenaltyDisplayControl::ItemName(Look look, int side, int mark)
{
    static const char* const kLooks[] = {"scored", "miss", "empty"};
    char name[64];
    std::snprintf(name, sizeof name, "PenaltyDisplay_%d_%s_p%d", mark + 1, kLooks[look], side + 1);
    return name;
}

HudItem* PenaltyDisplayControl::FindItem(Look look, int side, int mark)
{
    const Cast* cast = CastManager::Instance()->GetCast("penaltyhud");
    const CastMember* member = cast ? cast->FindByName(ItemName(look, side, mark).c_str()) : nullptr;
    const auto* element = member ? dynamic_cast<const HudElement*>(member->object) : nullptr;
    return element ? element->GetItem() : nullptr;
}

std::string PenaltyDisplayControl::DescribeRow(int side)
{
    static const char kLetters[] = {'s', 'm', 'e'};
    std::string row;
    for (int mark = 0; mark < kMarks; ++mark) {
        char shown = '-';
        for (Look look : {kScored, kMissed, kEmpty}) {
            const HudItem* item = FindItem(look, side, mark);
            if (item && item->IsVisible())
                shown = shown == '-' ? kLetters[look] : '?';
        }
        row += shown;
    }
    return row;
}

void PenaltyDisplayControl::SetVisible(Look look, int side, int mark, bool visible)
{
    if (HudItem* item = FindItem(look, side, mark)) {
        item->SetVisible(visible);
        return;
    }
    const std::string name = ItemName(look, side, mark);
    if (m_reported.insert(name).second)
        LogWarning("PenaltyDisplayControl: no HUD item \"%s\" in \"penaltyhud\"; the mark is not shown\n",
                   name.c_str());
}

void PenaltyDisplayControl::Show(bool oneRowOnly, int marksPerRow)
{
    m_oneRowOnly = oneRowOnly;
    // No row can be empty or longer than its marks: wrapping needs at least one.
    m_marksPerRow = std::clamp(marksPerRow, 1, kMarks);
    for (int side = 0; side < kSides; ++side)
        for (int mark = 0; mark < kMarks; ++mark) {
            SetVisible(kScored, side, mark, false);
            SetVisible(kMissed, side, mark, false);
            const bool empty = side == 0 ? mark < m_marksPerRow : !oneRowOnly;
            SetVisible(kEmpty, side, mark, empty);
        }
}

void PenaltyDisplayControl::Hide()
{
    for (int side = 0; side < kSides; ++side)
        for (int mark = 0; mark < kMarks; ++mark)
            for (Look look : {kScored, kMissed, kEmpty})
                SetVisible(look, side, mark, false);
}

void PenaltyDisplayControl::SetMark(int side, int kick, bool scored)
{
    if (side < 0 || side >= kSides || kick < 0)
        return;
    const int mark = kick % m_marksPerRow;
    if (side == 0 && mark == 0)
        Show(m_oneRowOnly, m_marksPerRow);
    SetVisible(kEmpty, side, mark, false);
    // A sudden-death kick may reuse a mark that shows the other look.
    SetVisible(scored ? kMissed : kScored, side, mark, false);
    SetVisible(scored ? kScored : kMissed, side, mark, true);
}
