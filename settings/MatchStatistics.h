#pragma once

#include "framework/Object.h"
#include "framework/Singleton.h"

#include <cstdint>
#include <string>

class MenuVariables;

// What happened in one match, per side (index 0 is the first team of the pitch
// simulation). The match loading resets it, the match flow raises the counters and the
// statistics screen shows them; the last match's values stay until the next load.
class MatchStatistics : public Singleton<MatchStatistics>, public Object {
public:
    MatchStatistics() { Reset(); }

    // Names empty, every counter and both possession shares 0.
    void Reset();

    // Side 0's share is ceil(100 a / (a + b)) and side 1's floor(100 b / (a + b)), so the two
    // add up to 100; with no possession time at all each side gets 50.
    void SetPossession(int32_t side0Seconds, int32_t side1Seconds);

    // The statistics screen's variables: the home side is side 0 when home is true, else
    // side 1.
    void FillText(bool home, MenuVariables& variables) const;

    std::string teamNames[2];
    std::string mostValuable;  // the character variation's name
    int32_t possession[2] = {};  // percent
    int32_t fouls[2] = {};
    int32_t freeKicks[2] = {};
    int32_t penaltyKicks[2] = {};
    int32_t yellowCards[2] = {};
    int32_t redCards[2] = {};
    int32_t corners[2] = {};
    int32_t goals[2] = {};
};
