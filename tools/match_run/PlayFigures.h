#pragma once

// What a watcher counts of a match's play, fed with its events as they happen: open-play
// passes and whether a team-mate got the ball next, shots with where they were taken from,
// and goals with whether a shot went before them. It knows nothing of the game: the match
// tool turns the game's messages into these calls.

#include <map>
#include <string>
#include <vector>

class PlayFigures {
public:
    // A player by anything that tells him apart for one match.
    using Player = const void*;

    // How far, and how soon after his last shot, a player's shot repeats it.
    static constexpr float kRepeatDistance = 3.0f;
    static constexpr float kRepeatSeconds = 10.0f;

    // A pass struck in open play; the next holder decides whether it reached a team-mate.
    void Pass(int side, Player passer);
    // Who holds the ball now (null: nobody); called every frame.
    void Holder(int side, Player holder);
    // Play stops (a whistle, a goal, the ball out): a pass nobody took has missed.
    void Stop();
    // A shot at seconds of play, from a point on the pitch (metres), at the given distance
    // from the goal it is aimed at, inside that goal's penalty area or not.
    void Shot(Player shooter, float seconds, float x, float z, float distance, bool inArea);
    // A kick that is neither pass nor shot, which a goal may follow (a set piece's pass).
    void Kick();
    // A penalty awarded: a goal before the next kick came from a shot, though the penalty's
    // kick is not one of the shots counted.
    void Penalty();
    void Goal();

    int passes = 0;
    int passesReached = 0;
    int shots = 0;
    int shotsInArea = 0;
    int repeatShots = 0;
    int goals = 0;
    int goalsWithoutShot = 0;
    std::vector<double> shotDistances;

    // Adds another match's figures (the repeat memory is each match's own).
    void Add(const PlayFigures& other);
    // "passes reaching a team-mate 52 % of 310, shots inside the area 31 %, median shot
    // 17.2 m, repeat shots 3 of 40, goals without a shot 0 of 4"
    std::string Describe() const;

private:
    struct LastShot {
        float seconds = 0.0f;
        float x = 0.0f;
        float z = 0.0f;
    };
    std::map<Player, LastShot> m_lastShots;
    Player m_passer = nullptr;
    int m_passSide = -1;
    bool m_lastKickShot = false;
};
