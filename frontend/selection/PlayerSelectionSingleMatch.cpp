#include "frontend/selection/PlayerSelectionSingleMatch.h"

#include "characters/Character.h"
#include "characters/CharacterVariation.h"
#include "characters/Team.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "framework/State.h"
#include "frontend/loading/MatchLoading.h"
#include "frontend/menu/MenuLaunchedCodeFragment.h"
#include "frontend/selection/PlayerSelection.h"
#include "pitch/PitchSimulation.h"
#include "settings/GameParameters.h"

namespace single_match {

namespace {

constexpr const char* kSingleMatchStart = "SingleMatchStart";

// Hands the picks to the match by name: the picked characters themselves go when the match
// loads its sides afresh.
class HandOverPicks : public State {
public:
    State* Update(float) override
    {
        for (int side = 0; side < 2; ++side) {
            std::vector<Character*>& picks = PlayerSelectionResult::SingleMatchOutput(side);
            g_chosenCharacters[side].clear();
            for (const Character* picked : picks)
                if (const CharacterVariation* member = picked->GetVariation())
                    g_chosenCharacters[side].push_back({member->GetKeyName()});
            picks.clear();
        }
        GameParameters::Instance()->memberListsStale = 1;
        State* match = MenuLaunchedCodeFragment::GetFactory().Create(kSingleMatchStart);
        if (!match)
            LogError("PlayerSelection: no \"%s\" in this program\n", kSingleMatchStart);
        return match;
    }
};

std::vector<Character*> PitchCandidates()
{
    std::vector<Character*> candidates;
    const PitchSimulation* pitch = PitchSimulation::Instance();
    for (int side = 0; side < 2; ++side)
        if (const SoccerTeam* team = pitch->GetTeam(side))
            for (int32_t i = 0; i < team->GetPlayerCount(); ++i)
                candidates.push_back(team->GetPlayer(i));
    return candidates;
}

[[maybe_unused]] const bool g_installed = (SetSelectionStarter(&StartSelection), true);

}  // namespace

PlayerSelectionResult MakeRequest(const SelectionStart& start, std::vector<Character*> candidates)
{
    PlayerSelectionResult request;
    const bool twoHumans = start.layout == Layout::kTwoHumans;
    request.mode = twoHumans ? 2 : 3;
    request.screen = kSelectionScreen;
    request.sceneObject = PitchSimulation::Instance()->GetSceneObject();
    request.startPicked.assign(candidates.size(), false);
    request.pickable.assign(candidates.size(), true);
    request.candidates = std::move(candidates);
    request.goalkeepersToPick = twoHumans ? 2 : 1;
    request.outfieldPlayersToPick = twoHumans ? 8 : 4;
    request.firstPrefix = "(0):";
    request.secondPrefix = "(1):";
    const bool sideOneFirst = twoHumans || start.sideOneFirst;
    request.firstOutput = &PlayerSelectionResult::SingleMatchOutput(sideOneFirst ? 0 : 1);
    request.secondOutput = &PlayerSelectionResult::SingleMatchOutput(sideOneFirst ? 1 : 0);
    return request;
}

State* StartSelection(const SelectionStart& start)
{
    MatchSetup setup;
    setup.levelFolder =
        FileSystem::Instance()->ExpandAliases("<PP>") + GameParameters::Instance()->GetParameter("level") + "\\";
    setup.teamOne.members = start.pool;
    setup.showBenches = true;
    State* handedOver = MatchLoading::RunAtOnce(std::move(setup));
    std::vector<Character*> candidates = PitchCandidates();
    State* next = nullptr;
    if (candidates.empty())
        LogError("PlayerSelection: the pool loaded nobody to pick from\n");
    else
        next = new IteratingState(new PlayerSelection(MakeRequest(start, std::move(candidates))), new HandOverPicks());
    if (handedOver) {
        handedOver->Exit();
        delete handedOver;
    }
    return next;
}

}  // namespace single_match
