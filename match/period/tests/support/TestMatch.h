#pragma once

// A match of "Panda01" against "Lizard01" on level01, loaded on the harness as a match load
// leaves it, for the states that run on it.
//
//     TestMatch match;
//     ASSERT_TRUE(match.Start(1));     // side 0 under "(0):"
//     match.Harness().MakeCurrent(new KickOff(true));

#include "game/harness/GameHarness.h"

#include <memory>
#include <string>

class Character;
class SoccerTeam;

class TestMatch {
public:
    TestMatch();
    ~TestMatch();

    // players: how many sides humans play ("players"). False when the harness or the data
    // would not start.
    bool Start(int players = 0, const std::string& level = "level01");

    GameHarness& Harness() { return *m_harness; }
    static SoccerTeam& Team(int side);
    // Steps until the predicate holds or the cap is reached; the frames run.
    template <typename Predicate>
    int RunUntil(Predicate done, int cap)
    {
        int frames = 0;
        while (frames < cap && !done() && m_harness->Step())
            ++frames;
        return frames;
    }

private:
    std::unique_ptr<GameHarness> m_harness;
    float m_rate = 22.5f;
};
