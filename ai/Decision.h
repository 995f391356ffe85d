#pragma once

#include "framework/Object.h"

#include <cstdint>
#include <string>
#include <vector>

class Character;
class Team;
class UtilityRegistry;

// One weighted measure of a decision; inverted, it rates 1 - value.
class DecisionPart : public Object {
public:
    DecisionPart(const std::string& measure, bool invert, float weight)
        : m_measure(measure), m_invert(invert), m_weight(weight)
    {
    }

    const std::string& GetMeasure() const { return m_measure; }
    bool IsInverted() const { return m_invert; }
    float GetWeight() const { return m_weight; }

private:
    std::string m_measure;
    bool m_invert;
    float m_weight;
};

// A weighted list of measures that scores candidate players and picks the best.
class Decision : public Object {
public:
    // Keeps a copy.
    void AddPart(const DecisionPart& part) { m_parts.push_back(part); }

    // The weighted mean of the parts' values; the plain weighted sum when the weights add up
    // to exactly 0, and 0 without parts. A part naming no registered measure is skipped.
    float Score(const Character* candidate, const UtilityRegistry& registry) const;
    // The first candidate of the best score; null for none.
    Character* ChooseBest(Character* const* candidates, int32_t count, const UtilityRegistry& registry) const;
    // The same over the team's members in member order.
    Character* ChooseBestPlayer(const Team& team, const UtilityRegistry& registry) const;

private:
    std::vector<DecisionPart> m_parts;
};
