#pragma once

// The penalty drills: "Penalty Training tries" kicks at the left goal, either taken by the
// chosen member against the computer's keeper, or kept by the team's keeper against the
// chosen member. Every kick that goes the user's way is a point.

#include "frontend/training/TrainingDrill.h"

#include "framework/Color.h"

#include <cstdint>
#include <string>

class Character;

class TrainingPenalties : public TrainingDrill {
public:
    // shooting: the user takes the kicks (side 0 kicks at side 1's keeper); else the user
    // keeps goal (side 1 kicks at side 0's keeper).
    explicit TrainingPenalties(bool shooting);

    void Serialize(Serializer&, const char*) override {}

    // Points for that many goals of that many kicks: goals when shooting, saves when keeping,
    // the bonus added when every kick went the user's way.
    static int PointsFor(bool shooting, int goals, int tries, int perfectBonus);
    // Whether a decided kick went the user's way: a goal when shooting, anything else when keeping.
    static bool UserSucceeded(bool shooting, int32_t kickResult);
    // The story team's shirt for a member of the race, with the number 2 in the shirt
    // colour's number colour; paths with their aliases expanded.
    struct Shirt {
        std::string shirt;
        std::string number;
        Color numberColour;
        bool mirror = false;
    };
    static Shirt StoryShirt(const std::string& race, int32_t teamColor);
    // Dresses the keeping drill's taker, who stands on the opponent's side, in that shirt.
    // False when the images are missing; the taker then keeps his shirt.
    static bool DressInStoryShirt(Character& taker, int32_t teamColor);

    bool IsShooting() const { return m_shooting; }
    int GetKicks() const { return m_kicks; }
    int GetGoals() const { return m_goals; }

protected:
    void Begin() override;
    void End() override;
    State* NextRound() override;
    void RoundEntered() override;
    void Judge() override;
    void WinAtOnce() override;
    // Only while a kick runs.
    bool MayPause() const override;
    int Points() const override;
    bool Perfect() const override;
    void PublishResults(int points) override;

private:
    const bool m_shooting;
    const int m_tries;
    int32_t m_kickResult = 0;
    int m_kicks = 0;
    int m_goals = 0;
    bool m_recorded = true;
};
