#pragma once

#include <string>
#include <vector>

class Character;

// The members of a side that a controller may steer and the one it steers now. Members are
// borrowed from their team, which removes them here before they go.
class ControlledPlayerList {
public:
    // Appends the member and hands it the controller's name.
    void Add(Character* member);
    // Every entry for the member; when it was selected, nobody is.
    void Remove(Character* member);
    // Selects the member holding the ball, else keeps the selection, else takes the first
    // entry; then marks who is steered by a person.
    void Refresh();
    // The selected member, refreshing first when there is none; null for an empty list.
    Character* GetSelected();
    // Orders the entries by score, highest first; of equal scores the later entry comes first.
    void Rank();
    // Moves the selection to the best ranked other member; nothing while a member holds the
    // ball, nobody is selected or only one member is listed.
    void SelectNext();
    // After the kicker played the ball: the member in the ball's direction of travel.
    void SelectByBallDirection(Character& kicker);
    // The member's ranking score: the nearer it will be to the ball shortly, the higher;
    // kUnselectable for one that cannot be selected.
    static float Score(const Character& member);
    static constexpr float kUnselectable = -3.4e38f;

    // "ai" for a computer-controlled side, else the controller's prefix.
    const std::string& GetControllerName() const { return m_controllerName; }
    void SetControllerName(const std::string& name) { m_controllerName = name; }
    bool IsEnabled() const { return m_enabled; }
    void SetEnabled(bool enabled) { m_enabled = enabled; }
    int GetCount() const { return static_cast<int>(m_entries.size()); }
    // Entry by index below the count, in ranking order after Rank.
    Character* GetEntry(int index) const { return m_entries[static_cast<size_t>(index)].member; }

private:
    void Select(Character* member);
    void Deselect();
    bool AnyHoldsBall() const;

    struct Entry {
        Character* member;
        float score;
    };

    std::string m_controllerName = "ai";
    std::vector<Entry> m_entries;
    Character* m_selected = nullptr;
    bool m_enabled = true;
};
