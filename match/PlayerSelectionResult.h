#pragma once

#include <cstdint>
#include <string>
#include <vector>

class Character;
class RenderObject;

// What a squad selection offers and where it puts the picks. The creator fills it on the
// stack; PlayerSelection keeps a copy. The candidates and both outputs are borrowed: the
// candidates must live until the selection's Exit, the outputs as long as the creator reads
// them.
struct PlayerSelectionResult {
    // 0 free choice, 1 line-up change, 2 two sides pick in turns, 3 one side picks alone.
    int32_t mode = 0;
    // The selection screen's name.
    std::string screen;
    // Drawn and updated behind the bench; may be null.
    RenderObject* sceneObject = nullptr;
    std::vector<Character*> candidates;
    int32_t goalkeepersToPick = 0;
    int32_t outfieldPlayersToPick = 0;
    // The picking players' input prefixes ("(0):", "(1):"); carried for the screens.
    std::string firstPrefix;
    std::string secondPrefix;
    // One flag per candidate: picked from the start.
    std::vector<bool> startPicked;
    // One flag per candidate: its pick may be changed. A candidate beyond the list may not.
    std::vector<bool> pickable;
    // Filled by the selection: side one's (or the single picker's) squad, and side two's.
    std::vector<Character*>* firstOutput = nullptr;
    std::vector<Character*>* secondOutput = nullptr;
    // Mode 1 only: the leading candidates that form the current line-up, and how many of
    // the last candidates sit apart on the bench.
    int32_t lineUpSize = 0;
    int32_t benchGapCount = 0;

    // The picks of a single match by side; they live for the whole run and are valid only
    // while the characters in them are (the loading the selection ran on).
    static std::vector<Character*>& SingleMatchOutput(int side);
    // Side one picks alone under "(0):" on the pitch's scene, starting from the first
    // candidate (the keeper), who stays picked; the picks go into firstOutput.
    static PlayerSelectionResult SingleSideFromFirst(std::string screen, std::vector<Character*> candidates,
                                                     int32_t goalkeepers, int32_t outfieldPlayers,
                                                     std::vector<Character*>* firstOutput);
};
