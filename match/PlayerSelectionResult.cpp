#include "match/PlayerSelectionResult.h"

#include "pitch/PitchSimulation.h"

#include <utility>

std::vector<Character*>& PlayerSelectionResult::SingleMatchOutput(int side)
{
    static std::vector<Character*> outputs[2];
    return outputs[side == 1 ? 1 : 0];
}

PlayerSelectionResult PlayerSelectionResult::SingleSideFromFirst(std::string screen,
                                                                 std::vector<Character*> candidates,
                                                                 int32_t goalkeepers, int32_t outfieldPlayers,
                                                                 std::vector<Character*>* firstOutput)
{
    PlayerSelectionResult request;
    request.mode = 3;
    request.screen = std::move(screen);
    request.sceneObject = PitchSimulation::Instance()->GetSceneObject();
    for (size_t i = 0; i < candidates.size(); ++i) {
        request.startPicked.push_back(i == 0);
        request.pickable.push_back(i != 0);
    }
    request.candidates = std::move(candidates);
    request.goalkeepersToPick = goalkeepers;
    request.outfieldPlayersToPick = outfieldPlayers;
    request.firstPrefix = "(0):";
    request.firstOutput = firstOutput;
    return request;
}
