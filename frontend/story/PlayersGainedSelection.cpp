#include "frontend/story/PlayersGainedSelection.h"

#include "framework/Debug.h"
#include "frontend/loading/MatchLoading.h"
#include "frontend/story/StoryModeGame.h"
#include "frontend/story/StoryModeLoading.h"
#include "frontend/story/StorySelection.h"
#include "pitch/PitchSimulation.h"

#include <algorithm>

namespace {

using Members = std::vector<TeamDescription::Member>;

constexpr size_t kSmallTeam = 5;
constexpr size_t kFullTeam = 7;
// Of the twelve on offer to a full team, the other team's five sit apart from its line-up.
constexpr int kOtherTeamOnOffer = 5;

GainedSelectionMaker& SelectionMaker()
{
    static GainedSelectionMaker maker;
    return maker;
}

const TeamDescription::Member* FindMember(const Members& list, const std::string& name)
{
    const auto found = std::find_if(list.begin(), list.end(), [&](const auto& m) { return m.variation == name; });
    return found == list.end() ? nullptr : &*found;
}

}  // namespace

bool MakeGainedOffer(const TeamDescription& own, const TeamDescription& other, GainedOffer& offer)
{
    offer = GainedOffer();
    const Members& ownMembers = own.GetMembers();
    if (ownMembers.size() == kSmallTeam) {
        for (const auto& member : other.GetMembers())
            if (!member.isSub)
                offer.candidates.push_back(member);
        offer.screen = "3dmenues//TrainingMainSelection4p";
        offer.outfieldToPick = 2;
        return true;
    }
    if (ownMembers.size() == kFullTeam) {
        offer.candidates = ownMembers;
        offer.candidates.insert(offer.candidates.end(), other.GetMembers().begin(), other.GetMembers().end());
        offer.screen = "3dmenues//TrainingMainSelection12p";
        offer.mode = 1;
        offer.keepersToPick = 1;
        offer.outfieldToPick = 6;
        offer.startPicked = static_cast<int>(kFullTeam);
        offer.lineUpSize = static_cast<int>(kFullTeam);
        offer.benchGapCount = kOtherTeamOnOffer;
        return true;
    }
    return false;
}

Members ComposeGainedTeam(const Members& own, const Members& other, const std::vector<std::string>& chosen)
{
    if (own.size() == kSmallTeam) {
        Members team = own;
        for (const std::string& name : chosen)
            team.push_back({name, false});
        return team;
    }
    if (own.size() != kFullTeam)
        return own;
    Members team;
    for (const std::string& name : chosen) {
        const TeamDescription::Member* found = FindMember(own, name);
        if (!found)
            found = FindMember(other, name);
        if (!found)
            continue;
        if (found->isSub)
            team.insert(team.begin(), *found);
        else
            team.push_back(*found);
    }
    return team;
}

void SetGainedSelectionMaker(GainedSelectionMaker maker)
{
    SelectionMaker() = std::move(maker);
}

State* SelectOnThePitch(const GainedOffer& offer, std::vector<std::string>& chosen)
{
    const auto split = offer.candidates.begin() + offer.startPicked;
    MatchSetup setup;
    setup.levelFolder = StoryModeLoading::LevelFolder();
    setup.teamOne = {"no_team_one_name", Members(offer.candidates.begin(), split), 0};
    setup.teamTwo = {"no_team_two_name", Members(split, offer.candidates.end()), 0};
    setup.showBenches = true;
    // The loading hands over to nothing that should run before the pick.
    State* handedOver = MatchLoading::RunAtOnce(std::move(setup));
    StateSlot::Set(&handedOver, nullptr, false);

    PlayerSelectionResult request;
    request.mode = offer.mode;
    request.screen = offer.screen;
    request.sceneObject = PitchSimulation::Instance()->GetSceneObject();
    request.candidates = story_selection::PitchPlayers();
    request.goalkeepersToPick = offer.keepersToPick;
    request.outfieldPlayersToPick = offer.outfieldToPick;
    request.firstPrefix = "(0):";
    for (size_t i = 0; i < request.candidates.size(); ++i) {
        request.startPicked.push_back(static_cast<int>(i) < offer.startPicked);
        request.pickable.push_back(true);
    }
    request.lineUpSize = offer.lineUpSize;
    request.benchGapCount = offer.benchGapCount;
    return story_selection::Make(std::move(request), chosen);
}

PlayersGainedSelection::PlayersGainedSelection(TeamDescription* own, TeamDescription* other)
    : m_own(own), m_other(other)
{
}

PlayersGainedSelection::~PlayersGainedSelection()
{
    // Here, not in the base: the pick writes into m_chosen until it is gone.
    Hold(nullptr);
}

void PlayersGainedSelection::Enter()
{
    DebugTrace("PlayersGainedSelection::Enter\n");
    StoryModeGame::Instance()->active = true;
    GainedOffer offer;
    if (!m_own || !m_other || !MakeGainedOffer(*m_own, *m_other, offer)) {
        LogWarning("PlayersGainedSelection::Enter: no selection for a story team of %d members; it stays as it is\n",
                   m_own ? static_cast<int>(m_own->GetMembers().size()) : 0);
        return;
    }
    State* selection = SelectionMaker() ? SelectionMaker()(offer, m_chosen) : SelectOnThePitch(offer, m_chosen);
    if (!selection) {
        LogWarning("PlayersGainedSelection::Enter: no selection screen; the story team stays as it is\n");
        return;
    }
    m_picking = true;
    Hold(selection);
}

State* PlayersGainedSelection::Update(float dt)
{
    StateSlot::Update(&m_held, dt);
    return m_held ? this : nullptr;
}

void PlayersGainedSelection::Exit()
{
    DebugTrace("PlayersGainedSelection::Exit\n");
    StoryModeGame* game = StoryModeGame::Instance();
    if (m_picking && m_own && m_other) {
        m_own->GetMembers() = ComposeGainedTeam(m_own->GetMembers(), m_other->GetMembers(), m_chosen);
        // The snapshot is kept by member index, so it follows the new list.
        game->RefreshMembers();
        game->SaveTrainingStats();
    }
    game->active = false;
}
