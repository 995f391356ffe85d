#include "frontend/training/TrainingPenalties.h"

#include "characters/Actor.h"
#include "characters/Character.h"
#include "characters/CharacterVariation.h"
#include "characters/Team.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "frontend/loading/MatchLoading.h"
#include "frontend/story/StoryModeGame.h"
#include "frontend/training/DrillResults.h"
#include "match/Fade.h"
#include "match/penalties/PenaltyDisplayControl.h"
#include "match/penalties/PenaltyShot.h"
#include "pitch/PitchSimulation.h"
#include "settings/GameSettings.h"
#include "settings/MatchSettings.h"
#include "settings/TrainingSettings.h"

#include <algorithm>
#include <string>

namespace {

using H = PitchSimulation::HudFlag;
constexpr uint32_t kShootingHud = H::kHudPlayerNames | H::kHudEnergy | H::kHudPowerBar | H::kHudPenaltyPowerBar |
                                  H::kHudDrillName;
constexpr uint32_t kKeepingHud = H::kHudPlayerNames | H::kHudEnergy | H::kHudDrillName;
constexpr uint32_t kMatchHud = 0x3F;
// The kick settles for this long before the fade starts, so that the taker holds the ball.
constexpr float kSettleSeconds = 0.1f;
constexpr const char* kUser = "(0):";
constexpr const char* kComputer = "ai";

const TrainingDrill::Look kShootingLook{"%20903%", "Penalty Left", TrainingDrill::kNoCameraSlot, kShootingHud,
                                        "%20404%", "training_results_3"};
const TrainingDrill::Look kKeepingLook{"%20904%", "Penalty Left", TrainingDrill::kNoCameraSlot, kKeepingHud,
                                       "%20405%", "training_results_4"};

Character* FirstPlayer(int side)
{
    const SoccerTeam* team = PitchSimulation::Instance()->GetTeam(side);
    return team && team->GetPlayerCount() > 0 ? team->GetPlayer(0) : nullptr;
}

}  // namespace

TrainingPenalties::TrainingPenalties(bool shooting)
    : TrainingDrill(shooting ? kShootingLook : kKeepingLook),
      m_shooting(shooting),
      m_tries(std::max(GameSettings::Instance()->penaltyTrainingTries, 0))
{
}

int TrainingPenalties::PointsFor(bool shooting, int goals, int tries, int perfectBonus)
{
    const int won = shooting ? goals : tries - goals;
    return won + (tries > 0 && won >= tries ? perfectBonus : 0);
}

bool TrainingPenalties::UserSucceeded(bool shooting, int32_t kickResult)
{
    return (kickResult == PenaltyContext::kScored) == shooting;
}

TrainingPenalties::Shirt TrainingPenalties::StoryShirt(const std::string& race, int32_t teamColor)
{
    FileSystem* files = FileSystem::Instance();
    const std::string textures = files->GetAlias("<TP>");
    const std::string shirt =
        "<PP>\\Characters\\" + race + "\\" + textures + "shirt0" + std::to_string(teamColor) + "\\" + race + "_shirt.png";
    const std::string number = "<PP>\\Characters\\" + textures + "ShirtNumber_2.png";
    return {files->ExpandAliases(shirt), files->ExpandAliases(number), MatchLoading::NumberColour(teamColor),
            race == "Rhino"};
}

bool TrainingPenalties::DressInStoryShirt(Character& taker, int32_t teamColor)
{
    const CharacterVariation* record = taker.GetVariation();
    Actor* actor = taker.GetActor();
    if (!record || !actor)
        return false;
    const Shirt look = StoryShirt(record->GetRaceName(), teamColor);
    return actor->SetShirtTexture(look.shirt, look.number, look.numberColour, look.mirror);
}

void TrainingPenalties::Begin()
{
    m_kicks = 0;
    m_goals = 0;
    m_recorded = true;
    PenaltyDisplayControl::Instance()->Show(true, m_tries);
}

void TrainingPenalties::End()
{
    PenaltyDisplayControl::Instance()->Hide();
    PitchSimulation::Instance()->SetHudElements(kMatchHud);
}

State* TrainingPenalties::NextRound()
{
    if (m_kicks >= m_tries)
        return nullptr;
    Character* taker = FirstPlayer(m_shooting ? 0 : 1);
    Character* keeper = FirstPlayer(m_shooting ? 1 : 0);
    if (!taker || !keeper) {
        LogWarning("TrainingPenalties::NextRound: no %s on the pitch; the drill ends after %d kicks\n",
                   taker ? "keeper" : "taker", m_kicks);
        m_kicks = m_tries;
        return nullptr;
    }
    if (!m_shooting)
        DressInStoryShirt(*taker, StoryModeGame::Instance()->teamColor);
    auto* kick = new ParallelState();
    kick->AddState(new PenaltyShot(taker, keeper, m_shooting ? kUser : kComputer, m_shooting ? kComputer : kUser, true,
                                   &m_kickResult, false));
    kick->AddState(new Fade(true, MatchSettings::Instance()->fadeLength));
    m_recorded = false;
    ++m_kicks;
    return kick;
}

void TrainingPenalties::RoundEntered() { AdvanceRound(kSettleSeconds); }

void TrainingPenalties::Judge()
{
    // Also on the update in which the kick ends: a kick decided on its last frame counts.
    if (m_recorded || m_kicks < 1 || m_kickResult == PenaltyContext::kOpen)
        return;
    m_recorded = true;
    if (m_kickResult == PenaltyContext::kScored)
        ++m_goals;
    const bool success = UserSucceeded(m_shooting, m_kickResult);
    PenaltyDisplayControl::Instance()->SetMark(0, m_kicks - 1, success);
    PlayFeedback(success);
}

void TrainingPenalties::WinAtOnce()
{
    for (int kick = m_kicks > 0 ? m_kicks - 1 : 0; kick < m_tries; ++kick)
        PenaltyDisplayControl::Instance()->SetMark(0, kick, true);
    m_kicks = m_tries;
    m_goals = m_shooting ? m_tries : 0;
    // Recorded already: the kick cut short must not count once more.
    m_recorded = true;
    EndRound();
    m_kickResult = m_shooting ? PenaltyContext::kScored : PenaltyContext::kMissed;
}

bool TrainingPenalties::MayPause() const { return GetRound() != nullptr; }

int TrainingPenalties::Points() const
{
    return PointsFor(m_shooting, m_goals, m_tries, GameSettings::Instance()->penaltyTrainingPerfectBonus);
}

bool TrainingPenalties::Perfect() const
{
    return m_shooting ? m_goals == m_tries && m_kickResult == PenaltyContext::kScored
                      : m_goals == 0 && m_kickResult == PenaltyContext::kMissed;
}

void TrainingPenalties::PublishResults(int points)
{
    const TrainingSettings* settings = TrainingSettings::Instance();
    if (m_shooting)
        PublishMemberValues("%training_player_subselect_", ChosenMember(settings->chosenIndex),
                            RaisedValues{0, 0, points});
    else
        PublishMemberValues("%training_player_goalie_", CharacterVariation::Find(settings->keeperName),
                            RaisedValues{points, points, points});
}

REGISTER_TRAINING_DRILL(TrainingDrill::kShooting, []() -> State* { return new TrainingPenalties(true); });
REGISTER_TRAINING_DRILL(TrainingDrill::kKeeping, []() -> State* { return new TrainingPenalties(false); });
