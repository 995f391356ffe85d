#include "frontend/story/StoryModeMatch.h"

#include "characters/Team.h"
#include "characters/TeamDescription.h"
#include "framework/Debug.h"
#include "frontend/cutscenes/CutScenes.h"
#include "frontend/loading/MatchLoading.h"
#include "frontend/selection/PlayerSelection.h"
#include "frontend/story/StoryMatchRules.h"
#include "frontend/story/StoryModeGame.h"
#include "frontend/story/StoryModeLoading.h"
#include "frontend/story/StorySelection.h"
#include "match/period/MatchPeriod.h"
#include "menus/Menu.h"
#include "pitch/PitchSimulation.h"

namespace {

constexpr int kKeepersToPick = 1;
constexpr int kOutfieldToPick = 4;
constexpr size_t kSmallTeam = 5;
constexpr size_t kFullTeam = 7;

std::vector<TeamDescription::Member> StoryMembers()
{
    const TeamDescription* team = TeamDescription::Find(StoryModeGame::kStoryTeam);
    return team ? team->GetMembers() : std::vector<TeamDescription::Member>();
}

int32_t Goals(int side)
{
    const SoccerTeam* team = PitchSimulation::Instance()->GetTeam(side);
    return team ? team->GetGoals() : 0;
}

}  // namespace

StoryModeMatch::StoryModeMatch(bool home) : m_home(home) {}

StoryModeMatch::~StoryModeMatch()
{
    StateSlot::Set(&m_match, nullptr, false);
    StateSlot::Set(&m_selection, nullptr, false);
}

void StoryModeMatch::Enter()
{
    DebugTrace("StoryModeMatch::Enter\n");
    StartSelection();
}

void StoryModeMatch::StartSelection()
{
    const std::vector<TeamDescription::Member> members = StoryMembers();
    if (members.size() != kSmallTeam && members.size() != kFullTeam)
        DebugTrace("Error: Story Mode Match: Team has invalid teamsize!\n");
    MatchSetup setup;
    setup.levelFolder = StoryModeLoading::LevelFolder();
    setup.teamOne.members = members;
    setup.showBenches = true;
    m_match = MatchLoading::RunAtOnce(std::move(setup));

    // The keeper on offer starts picked and stays so; the pick fills its own outputs.
    PlayerSelectionResult request = PlayerSelectionResult::SingleSideFromFirst(
        story_match::SelectionScreen(members.size()), story_selection::PitchPlayers(), kKeepersToPick,
        kOutfieldToPick, nullptr);
    Menu::Instance()->SetVariable("%s7p_title%", "%20524%");
    Menu::Instance()->SetVariable("%s7p_selection_accept%", "%30316%");
    StateSlot::Set(&m_selection, story_selection::Make(std::move(request), m_selected), true);
    if (!m_selection)
        m_selected = story_match::FirstFive(members);
}

void StoryModeMatch::StartMatch()
{
    StoryModeLoading::PublishLevel();
    auto* match = new MatchPeriod(0, story_match::IsDecisive(), m_home, !m_home, story_match::Rules());
    StateSlot::Set(&m_match, new IteratingState(new MatchLoading(story_match::PlaySetup(m_selected)), match), true);
    m_matchStarted = true;
}

State* StoryModeMatch::BookMatch()
{
    const int32_t own = Goals(0);
    const int32_t opponent = Goals(1);
    StoryModeGame::Instance()->AddLegGoals(own, opponent);
    const story_match::CutScene scene = story_match::AfterMatch(own, opponent);
    State* cutScene = scene.script.empty() ? new CutScenes(scene.folder)
                                           : new CutScenes(scene.folder, scene.script, scene.page);
    return new IteratingState(new StoryModeLoading(false, 0, 0), cutScene);
}

State* StoryModeMatch::Update(float dt)
{
    StateSlot::Update(&m_match, dt);
    StateSlot::Update(&m_selection, dt);
    if (m_match || m_selection)
        return this;
    if (!m_matchStarted) {
        StartMatch();
        return this;
    }
    return BookMatch();
}

void StoryModeMatch::Exit()
{
    DebugTrace("StoryModeMatch::Exit\n");
}

void StoryModeMatch::Render()
{
    if (m_match)
        m_match->Render();
    if (m_selection)
        m_selection->Render();
}

// The match-start screen builds the match by this name; the home leg is the career's.
[[maybe_unused]] static const bool kRegistered = (MenuLaunchedCodeFragment::Register("StoryModeMatch", [] {
    return static_cast<MenuLaunchedCodeFragment*>(new StoryModeMatch(story_match::IsHomeLeg()));
}), true);

// The story's picks (the line-up here, the gained players between rounds) run on the squad
// selection, which lies above the game library with the story's other states.
[[maybe_unused]] static const bool kSelectionInstalled =
    (story_selection::SetDefaultMaker([](const PlayerSelectionResult& request) -> State* {
         return new IteratingState(new PlayerSelection(request), nullptr);
     }),
     true);
