#pragma once

#include <vector>

class Character;

// The brains' hold during a pause in play: a held brain gives its character no commands.
// HoldAll and ReleaseAll cover the players of the pitch simulation's two sides, never the
// referee; without a match they do nothing.
class PlayerHold {
public:
    // Every player of side 0, then side 1, held.
    static void HoldAll();
    // Every player of both sides free again.
    static void ReleaseAll();
    // One character's brain; nothing for null or a character without a brain.
    static void Set(Character* character, bool hold);
    // False for null or a character without a brain.
    static bool IsHeld(const Character* character);
    // The players of side 0, then side 1, in member order.
    static std::vector<Character*> AllPlayers();
};
