#include "match/period/MatchPeriod.h"

#include "audio/SoundEngine.h"
#include "audio/TBMusic.h"
#include "characters/Actor.h"
#include "characters/Character.h"
#include "characters/CharacterVariation.h"
#include "characters/RefereeBrain.h"
#include "characters/RefereeSettings.h"
#include "characters/Team.h"
#include "framework/Debug.h"
#include "input/InputController.h"
#include "match/FrontEndScreens.h"
#include "match/MatchDelay.h"
#include "match/MatchFade.h"
#include "match/PitchSides.h"
#include "match/PlayerHold.h"
#include "match/PlayerSelectionResult.h"
#include "match/SubstitutionChoice.h"
#include "match/penalties/PenaltyShootout.h"
#include "match/period/RestartKicks.h"
#include "match/setpieces/EnterPitch.h"
#include "match/setpieces/KickOff.h"
#include "match/setpieces/PlayerReaction.h"
#include "match/setpieces/RefereeStates.h"
#include "match/setpieces/SendOffPlayer.h"
#include "menus/Menu.h"
#include "pitch/CameraControl.h"
#include "pitch/CameraStack.h"
#include "pitch/PitchSimulation.h"
#include "settings/GameParameters.h"
#include "settings/MatchSettings.h"
#include "settings/MatchStatistics.h"
#include "settings/MenuVariables.h"
#include "settings/PitchCoordinates.h"
#include "simulation/Ball.h"
#include "simulation/BallToucher.h"
#include "simulation/ReplayEngine.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace {

constexpr uint32_t kPeriodHud = 0x3F;
constexpr float kKickOffBannerSeconds = 1.5f;
constexpr float kEndBannerSeconds = 3.0f;
constexpr float kEndReactionSeconds = 3.0f;
constexpr float kEndReactionMaxStagger = 0.1f;
const char* const kListenerMessage = "something";
const char* const kDynamicBanner = "message_dynamic";
constexpr float kBannerSeconds = 2.0f;
constexpr float kRestartDelay = 2.0f;
constexpr float kCardDelay = 1.5f;
constexpr float kRedCardWalkSeconds = 5.0f;
constexpr int kForfeitRedCards = 3;
constexpr int kHighCrowdLevels = 2;
constexpr size_t kLineUpPlayers = 5;
constexpr size_t kHalfTimeBench = 2;

// Rating changes by event.
constexpr float kSnagRating = 0.2f;
constexpr float kGoalRating = 2.0f;
constexpr float kIllegalGoalRating = -0.1f;
constexpr float kBallOutRating = -0.1f;
constexpr float kUnseenFoulRating = 0.3f;
constexpr float kFoulRating = 0.1f;
constexpr float kPenaltyRating = -0.5f;
constexpr float kYellowRating = -0.5f;
constexpr float kRedRating = -1.0f;

PitchSimulation& Pitch()
{
    return *PitchSimulation::Instance();
}

SoccerTeam& TeamOf(int side)
{
    return *Pitch().GetTeam(side);
}

std::vector<Character*> PlayersOf(int side)
{
    std::vector<Character*> players;
    for (int32_t i = 0; i < TeamOf(side).GetPlayerCount(); ++i)
        players.push_back(TeamOf(side).GetPlayer(i));
    return players;
}

class MenuVariableSink : public MenuVariables {
public:
    void SetVariable(const std::string& key, const std::string& text) override
    {
        Menu::Instance()->SetVariable(key, text);
    }
};

void SetVariable(const std::string& key, const std::string& text)
{
    Menu::Instance()->SetVariable(key, text);
}

void AddRating(Character* player, float change)
{
    if (player)
        player->SetMatchRating(player->GetMatchRating() + change);
}

int SideOf(const SoccerTeam* team)
{
    return team == &TeamOf(0) ? 0 : 1;
}

// The side of a player's team: 0 for team 0, else 1 (a player without a team counts as 1).
int SideOf(const Character* player)
{
    return player && player->GetTeam() == &TeamOf(0) ? 0 : 1;
}

Character* AsCharacter(BallToucher* toucher)
{
    return dynamic_cast<Character*>(toucher);
}

// The member's object name ("Variations|PandaPl03"), for the trace.
std::string NameOf(const Character* player)
{
    const char* name = player && player->GetVariation() ? player->GetVariation()->GetName() : nullptr;
    return name ? name : std::string();
}

// The member's name as the player reads it on the screens.
std::string DisplayNameOf(const Character* player)
{
    return player && player->GetVariation() ? player->GetVariation()->GetDisplayName() : std::string();
}

void Whistle()
{
    if (Character* referee = Pitch().GetReferee())
        if (auto* brain = dynamic_cast<RefereeBrain*>(referee->GetBrain()))
            brain->Whistle(true);
}

bool Matches(int message, const char* name)
{
    return message == MessageServer::Instance()->RegisterMessage(name);
}

// The crowd of the first levels is the loud one.
const char* CrowdLevel()
{
    return GameParameters::Instance()->GetLevelNumber() <= kHighCrowdLevels ? "high" : "low";
}

// The statistics screen shows side 0 as home except in a story-mode first leg.
bool StatisticsHome(const MatchRules& rules)
{
    return !(rules.storyLeg && rules.firstLeg);
}

}  // namespace

MatchPeriod::MatchPeriod(int period, bool extraTimeAllowed, bool crowdFavoursTeam0, bool crowdFavoursTeam1,
                         const MatchRules& rules)
    : m_period(period), m_extraTimeAllowed(extraTimeAllowed), m_crowdFavours0(crowdFavoursTeam0),
      m_crowdFavours1(crowdFavoursTeam1), m_rules(rules)
{
}

MatchPeriod::~MatchPeriod()
{
    LeaveStoppedPlay();
    m_pendingChanges.clear();
    StateSlot::Set(&m_banner, nullptr, false);
    StateSlot::Set(&m_pauseMenu, nullptr, false);
    StateSlot::Set(&m_sequence, nullptr, false);
    m_queue.clear();
}

std::string MatchPeriod::PeriodName(int period)
{
    static const char* const kNames[kPeriods] = {"%60501%", "%60502%", "%60503%", "%60504%"};
    return period >= 0 && period < kPeriods ? kNames[period] : "";
}

void MatchPeriod::Enter()
{
    Pitch().SetHudElements(kPeriodHud);
    for (Character* player : PlayerHold::AllPlayers())
        if (CharacterVariation* variation = player->GetVariation())
            variation->energy.current = variation->energy.level;
    if (m_period == 1 && m_rules.storyLeg)
        EnterStoryLineUp();
    SetVariable("%match_period%", PeriodName(m_period));
    SetVariable("%dynamic_message%", PeriodName(m_period));
    ApplyEnds();
    StartSequenceAtEnter();
    m_listenerId = MessageServer::Instance()->RegisterListener(
        this, MessageServer::Instance()->RegisterMessage(kListenerMessage));
    m_pendingChanges.clear();
    m_periodOver = false;
    m_finalShowRunning = false;
}

void MatchPeriod::EnterStoryLineUp()
{
    std::vector<Character*> chosen;
    chosen.swap(m_halfTimeLineUp);
    SoccerTeam& team = TeamOf(0);
    const std::vector<Character*> bench = team.GetBench();
    const auto onSide = [&](const Character* member) {
        return team.Contains(member) || std::find(bench.begin(), bench.end(), member) != bench.end();
    };
    // Never a side without players: with nobody of it chosen, the first half's line-up plays on.
    if (std::none_of(chosen.begin(), chosen.end(), onSide)) {
        LogWarning("MatchPeriod::Enter: no second-half line-up chosen; side 0 keeps its line-up\n");
        return;
    }
    // The bench is only forgotten by RemoveAll: its members are ours to place from here on.
    std::vector<std::unique_ptr<Character>> offered = team.RemoveAll();
    for (Character* member : bench)
        offered.emplace_back(member);
    size_t playing = 0;
    for (Character* member : chosen) {
        const auto found =
            std::find_if(offered.begin(), offered.end(), [&](const auto& o) { return o.get() == member; });
        if (found == offered.end())
            continue;
        const bool plays = playing < kLineUpPlayers;
        LogMessage("MatchPeriod::Enter: second half %s %s\n", plays ? "plays" : "bench", NameOf(member).c_str());
        if (plays) {
            team.AddPlayer(std::move(*found));
            ++playing;
        } else {
            team.SendToBench(found->release());
        }
    }
    // Whoever was left out (not offered, or not picked from a short bench) waits on the bench.
    for (auto& member : offered)
        if (member)
            team.SendToBench(member.release());
}

PlayerSelectionResult MatchPeriod::HalfTimeRequest(std::vector<Character*>* lineUp)
{
    std::vector<Character*> candidates = PlayersOf(0);
    const auto players = static_cast<int32_t>(candidates.size());
    const std::vector<Character*>& bench = TeamOf(0).GetBench();
    candidates.insert(candidates.end(), bench.begin(),
                      bench.begin() + static_cast<std::ptrdiff_t>(std::min(bench.size(), kHalfTimeBench)));
    char screen[64];
    std::snprintf(screen, sizeof screen, "3dmenues\\IngameSelection%dp", static_cast<int>(candidates.size()));
    // Without its keeper (sent off) the side could never pick one: the first player stands
    // in and the rest are field players.
    const bool keeperFirst = !candidates.empty() && candidates.front()->IsKeeper();
    return PlayerSelectionResult::SingleSideFromFirst(screen, std::move(candidates), keeperFirst ? 1 : 0,
                                                      keeperFirst ? players - 1 : players, lineUp);
}

State* MatchPeriod::CreateHalfTimeSelection(MatchPeriod* next) const
{
    SetVariable("%s7p_title%", "%20524%");
    SetVariable("%s7p_selection_accept%", "%30322%");
    return new IteratingState(FrontEndScreens::PlayerSelection(HalfTimeRequest(&next->m_halfTimeLineUp)), next);
}

void MatchPeriod::ApplyEnds()
{
    const bool team0First = m_period == 0 || m_period == 2;
    TeamOf(0).SetFirstSide(team0First);
    TeamOf(1).SetFirstSide(!team0First);
    SetCameraFlipped(m_period == 1 || m_period == 3);
    if (CameraStack* cameras = CameraStack::Current())
        cameras->RestoreCameraChoice(0);
}

void MatchPeriod::StartSequenceAtEnter()
{
    State* kickOff = new KickOff(TeamOf(0).IsFirstSide(), m_rules.storyLeg);
    if (m_period != 0) {
        StartMainMusicAndBanner();
        SetSequence(kickOff);
        return;
    }
    for (Character* player : PlayerHold::AllPlayers())
        player->SetMatchRating(0.0f);
    SetSequence(new IteratingState(new EnterPitch(PlayerHold::AllPlayers()), kickOff));
}

void MatchPeriod::StartMainMusicAndBanner()
{
    TBMusic::Instance()->PlayMainMusic(GameParameters::Instance()->GetLevelNumber(), true);
    m_kickOffBannerDone = true;
    ShowBanner(kDynamicBanner, kKickOffBannerSeconds);
}

void MatchPeriod::ShowBanner(const std::string& screen, float seconds)
{
    StateSlot::Set(&m_banner, FrontEndScreens::IngameMessage(screen, seconds), true);
}

void MatchPeriod::SetSequence(State* sequence)
{
    StateSlot::Set(&m_sequence, sequence, true);
}

void MatchPeriod::Exit()
{
    MessageServer::Instance()->UnregisterListener(this, MessageServer::Instance()->RegisterMessage(kListenerMessage));
    ReplayEngine* replay = ReplayEngine::Instance();
    if (replay->IsEnabled())
        replay->SetReplaying(false);
    replay->SetEnabled(false);
    if (CameraStack* cameras = CameraStack::Current())
        cameras->StoreCameraChoice(0);
    SetCameraFlipped(false);
    LeaveStoppedPlay();
    TBMusic::Instance()->PlayMenuMusic();
}

void MatchPeriod::Render()
{
    m_stillPitch.Draw(m_pauseMenu != nullptr, [this] {
        if (m_sequence)
            m_sequence->Render();
        else
            Pitch().Render();
    });
    if (m_pauseMenu)
        m_pauseMenu->Render();
    if (m_banner)
        m_banner->Render();
}

bool MatchPeriod::IsLevel(const MatchRules& rules)
{
    const int goals0 = TeamOf(0).GetGoals();
    const int goals1 = TeamOf(1).GetGoals();
    if (!rules.storyLeg || rules.finalRound)
        return goals0 == goals1;
    if (rules.firstLeg)
        return false;
    // The second leg is the own team's home match: it plays as side 0.
    return rules.bookedGoals[0] + goals0 == rules.bookedGoals[1] + goals1;
}

ParallelState* MatchPeriod::CreateFadeStep(bool direction, float duration)
{
    return MatchFade::CreateFadeStep(direction, duration);
}

int MatchPeriod::OnMessage(int message, intptr_t param)
{
    if (!Matches(message, SubstitutionChoice::kMessage))
        return MessageQueuedListener::OnMessage(message, param);
    if (const auto* choice = reinterpret_cast<const SubstitutionChoice*>(param))
        AddPendingChange(choice->outgoing, choice->incoming);
    return 0;
}

void MatchPeriod::AddPendingChange(Character* outgoing, Character* incoming)
{
    const auto involved = [&](const PlayerChange& change) {
        return change.first == outgoing || change.second == incoming || change.first == incoming ||
               change.second == outgoing;
    };
    std::erase_if(m_pendingChanges, involved);
    m_pendingChanges.emplace_back(outgoing, incoming);
    LogMessage("MatchPeriod: %s for %s at the next corner\n", NameOf(incoming).c_str(), NameOf(outgoing).c_str());
}

void MatchPeriod::OnQueuedMessage(int message, intptr_t param)
{
    // Events raised while play stands are lost, not deferred.
    if (m_sequence || m_pauseMenu || m_periodOver || !param)
        return;
    if (Matches(message, "goal scored")) {
        HandleGoalScored(*reinterpret_cast<const Ball::Goal*>(param));
    } else if (Matches(message, "Snagged")) {
        AddRating(reinterpret_cast<Character*>(param), kSnagRating);
        return;
    } else if (Matches(message, "goal kick")) {
        LogMessage("Goal kick\n");
        SetSequence(RestartKicks::CreateGoalKick(SideOf(reinterpret_cast<const Character*>(param)) == 0));
    } else if (Matches(message, "out of bounds far")) {
        LogMessage("Keeper kick\n");
        const auto& record = *reinterpret_cast<const Ball::OutOfBoundsFar*>(param);
        AddRating(AsCharacter(record.lastToucher), kBallOutRating);
        StartCornerOrKeeperKick(record);
        Whistle();
    } else if (Matches(message, "out of bounds across")) {
        const auto& record = *reinterpret_cast<const Ball::OutOfBoundsAcross*>(param);
        AddRating(AsCharacter(record.lastToucher), kBallOutRating);
        StartThrowIn(record);
        Whistle();
    } else if (Matches(message, "free kick foul") || Matches(message, "penalty foul")) {
        StartFoulSequence(*reinterpret_cast<const Character::FoulRecord*>(param),
                          Matches(message, "penalty foul"));
    } else {
        return;
    }
    Pitch().RandomizeTeamStrategies();
}

void MatchPeriod::HandleGoalScored(const Ball::Goal& goal)
{
    Character* scorer = AsCharacter(goal.scorer);
    const bool ownGoal = !goal.scoringTeam || !goal.scoringTeam->Contains(scorer);
    if (ownGoal)
        AddRating(scorer, -kGoalRating);
    LogMessage("Goal scored, ownGoal=%d\n", ownGoal ? 1 : 0);
    const Ball* ball = Pitch().GetBall();
    if (ownGoal || !ball || ball->IsLegalForGoal()) {
        if (!ownGoal)
            LogMessage("Ball was legal for goal\n");
        StartGoalSequence(goal);
        return;
    }
    LogMessage("Ball was _not_ legal for goal\n");
    // As if the scoring side had put the ball out over the goal line: the other side's keeper kicks.
    Ball::OutOfBoundsFar record;
    record.left = !goal.scoringTeam->IsFirstSide();
    record.negativeSide = true;
    record.lastToucher = sides::PlayerAt(goal.scoringTeam, 0);
    AddRating(scorer, kIllegalGoalRating);
    StartCornerOrKeeperKick(record);
}

State* MatchPeriod::WrapSetPiece(State* setPiece)
{
    const float fade = MatchSettings::Instance()->fadeLength;
    // To black before the set piece places the players, and back from it once it is over.
    return new IteratingState(new MatchDelay(kRestartDelay, true, true),
                              new IteratingState(CreateFadeStep(false, fade),
                                                 new IteratingState(setPiece, CreateFadeStep(true, fade))));
}

State* MatchPeriod::AddPlayerChanges(State* setPiece)
{
    // Found by address alone: a player sent off meanwhile has been deleted, and one who came on
    // meanwhile cannot come on again.
    const auto playing = [](const Character* player) {
        return player && (TeamOf(0).Contains(player) || TeamOf(1).Contains(player));
    };
    State* chain = nullptr;
    for (const PlayerChange& change : m_pendingChanges) {
        Character* outgoing = change.first;
        if (!playing(outgoing) || !change.second || playing(change.second)) {
            LogWarning("MatchPeriod::AddPlayerChanges: the outgoing player is in no team or the incoming one "
                       "plays already; change dropped\n");
            continue;
        }
        const Vector3 place = outgoing->GetActor()->GetPosition();
        State* step = new IteratingState(
            new SendOffPlayer({outgoing}, false, true, false, 0.0f),
            new IteratingState(new Substitution(outgoing, change.second), new SendInPlayer({change.second}, {place})));
        chain = chain ? new IteratingState(chain, step) : step;
    }
    m_pendingChanges.clear();
    return chain ? new IteratingState(chain, setPiece) : setPiece;
}

void MatchPeriod::StartCornerOrKeeperKick(const Ball::OutOfBoundsFar& record)
{
    const Character* toucher = AsCharacter(record.lastToucher);
    const SoccerTeam* touchingTeam = toucher ? toucher->GetTeam() : nullptr;
    State* setPiece;
    if (touchingTeam && record.left == touchingTeam->IsFirstSide()) {
        const int touchingSide = SideOf(touchingTeam);
        ++MatchStatistics::Instance()->corners[touchingSide == 0 ? 1 : 0];
        setPiece = AddPlayerChanges(RestartKicks::CreateCorner(touchingSide != 0, record.negativeSide));
        ShowBanner("message_corner", kBannerSeconds);
    } else {
        // Without a last toucher the side that defends the line kicks.
        const bool attacking = touchingTeam ? SideOf(touchingTeam) != 0 : TeamOf(0).IsFirstSide() == record.left;
        if (!touchingTeam)
            LogWarning("MatchPeriod::StartCornerOrKeeperKick: ball out with no last toucher; side %d kicks\n",
                       attacking ? 0 : 1);
        setPiece = RestartKicks::CreateKeeperKick(attacking, record.negativeSide);
        ShowBanner("message_goalkick", kBannerSeconds);
    }
    FollowStoppedPlay();
    SetSequence(WrapSetPiece(setPiece));
}

void MatchPeriod::FollowStoppedPlay()
{
    if (const Ball* ball = Pitch().GetBall()) {
        m_stoppedPlay.Set(ball->GetPosition());
        SetCameraTarget(&m_stoppedPlay);
    }
}

void MatchPeriod::LeaveStoppedPlay()
{
    if (GetCameraTarget() == &m_stoppedPlay)
        SetCameraTarget(PitchSimulation::Instance()->GetBall());
}

void MatchPeriod::StartThrowIn(const Ball::OutOfBoundsAcross& record)
{
    ShowBanner("message_throwin", kBannerSeconds);
    FollowStoppedPlay();
    const Character* toucher = AsCharacter(record.lastToucher);
    bool attacking;
    if (toucher) {
        attacking = SideOf(toucher) != 0;
    } else {
        // Nobody touched it: the side that defends the half where it left throws.
        attacking = PitchPosition::FromWorld(record.position, TeamOf(0).IsFirstSide()).x < 0.0f;
        LogWarning("MatchPeriod::StartThrowIn: ball out with no last toucher; side %d throws\n", attacking ? 0 : 1);
    }
    SetSequence(WrapSetPiece(RestartKicks::CreateThrowIn(attacking, record.nearSide, record.position)));
}

std::string MatchPeriod::CrowdSoundName(const char* stem, int side, bool ownGoal) const
{
    bool cheer = CrowdFavours(side);
    if (ownGoal && CrowdFavours(0) && CrowdFavours(1))
        cheer = false;
    return std::string(stem) + (cheer ? "cheer_" : "dismay_") + CrowdLevel();
}

void MatchPeriod::PlayCrowd(const std::string& name) const
{
    SoundEngine::Instance()->PlayOnce(name);
}

void MatchPeriod::StartGoalSequence(const Ball::Goal& goal)
{
    SoccerTeam* credited = goal.scoringTeam;
    if (!credited) {
        LogError("MatchPeriod::StartGoalSequence: goal without a credited team\n");
        return;
    }
    Character* scorer = AsCharacter(goal.scorer);
    const int side = SideOf(credited);
    const bool ownGoal = !credited->Contains(scorer);
    credited->SetGoals(credited->GetGoals() + 1);
    AddRating(scorer, kGoalRating);
    ++MatchStatistics::Instance()->goals[side];

    SetVariable("%scorer%", DisplayNameOf(scorer));
    ShowBanner("message_goal", kBannerSeconds);

    std::vector<Character*> cheer;
    std::vector<Character*> dismay;
    if (scorer)
        (ownGoal ? dismay : cheer).push_back(scorer);
    Character* beatenKeeper = ownGoal ? nullptr : sides::PlayerAt(&TeamOf(1 - side), 0);
    if (beatenKeeper)
        dismay.push_back(beatenKeeper);
    const MatchSettings& settings = *MatchSettings::Instance();
    State* sequence = new PlayerReaction(cheer, dismay, settings.goalMinStagger, settings.goalMaxStagger,
                                         settings.goalReactionTime);
    if (m_rules.storyLeg || GameParameters::Instance()->replays)
        sequence = new IteratingState(sequence, RestartKicks::CreateReplay(!credited->IsFirstSide()));
    // In extra time the goal ends the period: no kick-off follows.
    if (m_period < 2)
        sequence = new IteratingState(sequence, new KickOff(side != 0, m_rules.storyLeg));
    SetSequence(sequence);
    PlayCrowd(CrowdSoundName("crowd_", side, ownGoal));
}

bool MatchPeriod::RefereeSeesFoul(const Character* fouler)
{
    const Character* referee = Pitch().GetReferee();
    if (!referee || !fouler)
        return false;
    const RefereeSettings& settings = *RefereeSettings::Instance();
    const Actor& eye = *referee->GetActor();
    const Actor& offender = *fouler->GetActor();
    return eye.DistanceTo(offender) < settings.foulSpotMaxDist &&
           eye.IsFacing(offender.GetPosition(), settings.foulSpotMaxFov);
}

bool MatchPeriod::ShouldShowCard(const Character* fouler) const
{
    const bool cards = m_rules.storyLeg ? m_rules.cards : GameParameters::Instance()->cards;
    const Character* referee = Pitch().GetReferee();
    if (!cards || !referee || !fouler)
        return false;
    const bool firstSide = sides::OnFirstSide(fouler);
    const Actor& offender = *fouler->GetActor();
    const float x = std::max(0.0f, PitchPosition::FromWorld(offender.GetPosition(), !firstSide).x);
    const RefereeSettings& settings = *RefereeSettings::Instance();
    return referee->GetActor()->DistanceTo(offender) < x * settings.redCardDistVariation + settings.redCardAwardDist;
}

void MatchPeriod::StartFoulSequence(const Character::FoulRecord& foul, bool penalty)
{
    Character* fouler = foul.offender;
    if (!RefereeSeesFoul(fouler)) {
        AddRating(fouler, kUnseenFoulRating);
        return;
    }
    const int foulingSide = SideOf(foul.fouled) == 0 ? 1 : 0;
    ++MatchStatistics::Instance()->fouls[foulingSide];
    State* restart = CreateFoulRestart(foul, penalty);
    if (ShouldShowCard(fouler)) {
        SetSequence(CreateCardSequence(foul, foulingSide, restart));
    } else {
        Whistle();
        AddRating(fouler, kFoulRating);
        SetSequence(restart);
    }
    PlayCrowd(std::string("boohfoul") + CrowdLevel());
}

State* MatchPeriod::CreateFoulRestart(const Character::FoulRecord& foul, bool penalty)
{
    const bool fouledInTeam0 = SideOf(foul.fouled) == 0;
    const int awardedSide = fouledInTeam0 ? 0 : 1;
    MatchStatistics& statistics = *MatchStatistics::Instance();
    State* kick;
    const char* banner;
    if (penalty) {
        kick = RestartKicks::CreatePenalty(fouledInTeam0);
        banner = "message_penaltykick";
        AddRating(foul.offender, kPenaltyRating);
        ++statistics.penaltyKicks[awardedSide];
    } else {
        kick = RestartKicks::CreateFreeKick(fouledInTeam0, foul.spot);
        banner = "message_freekick";
        ++statistics.freeKicks[awardedSide];
    }
    auto* restart = new ParallelState;
    restart->AddState(new IteratingState(new MatchDelay(kRestartDelay, true, true), kick));
    restart->AddState(FrontEndScreens::IngameMessage(banner, kBannerSeconds));
    return restart;
}

State* MatchPeriod::CreateCardSequence(const Character::FoulRecord& foul, int foulingSide, State* restart)
{
    Character* fouler = foul.offender;
    MatchStatistics& statistics = *MatchStatistics::Instance();
    const bool yellow = !fouler->IsBooked();
    State* next = restart;
    if (yellow) {
        AddRating(fouler, kYellowRating);
        ++statistics.yellowCards[foulingSide];
    } else {
        ++statistics.redCards[foulingSide];
        AddRating(fouler, kRedRating);
        SetVariable("%scorer%", DisplayNameOf(fouler));
        auto* cardShow = new ParallelState;
        cardShow->AddState(new SendOffPlayer({fouler}, true, false, false, kRedCardWalkSeconds));
        cardShow->AddState(FrontEndScreens::IngameMessage("message_redcard", kBannerSeconds));
        if (statistics.redCards[foulingSide] >= kForfeitRedCards) {
            m_forfeitSide = foulingSide;
            delete restart;
            next = cardShow;
        } else {
            next = new IteratingState(cardShow, restart);
        }
    }
    const float reactionTime = MatchSettings::Instance()->penaltyReactionTime;
    return new IteratingState(
        new MatchDelay(kCardDelay, true, true),
        new IteratingState(new RedCardAward(fouler, yellow, foul.fouled),
                           new IteratingState(new PlayerReaction({}, {fouler}, 0.0f, 0.0f, reactionTime), next)));
}

State* MatchPeriod::Update(float dt)
{
    ReplayEngine::Instance()->Tick(dt);
    if (!m_periodOver && IsEndReached())
        StartEndShow();
    Drain();
    if (m_banner)
        StateSlot::Update(&m_banner, dt);
    if (m_pauseMenu) {
        StateSlot::Update(&m_pauseMenu, dt);
        return this;
    }
    if (m_forfeitSide != -1 && !m_sequence)
        return Forfeit();
    if (ReadAction("ingame_menu") && !m_banner && !m_finalShowRunning) {
        StateSlot::Set(&m_pauseMenu, FrontEndScreens::IngameMenu("ingame_menu", false), true);
        return this;
    }
    if (m_sequence) {
        if (StateSlot::Update(&m_sequence, dt) && !m_kickOffBannerDone)
            StartMainMusicAndBanner();
        return this;
    }
    if (!m_periodOver) {
        Pitch().Update(dt, PitchSimulation::kUpdateAll);
        CountPossession();
        return ReadCheats();
    }
    return NextState();
}

bool MatchPeriod::ReadAction(const char* name) const
{
    return BufferedInputController::Instance()->GetAction(name, InputController::kValue) != 0.0f;
}

bool MatchPeriod::IsEndReached() const
{
    if (Pitch().GetClock()->Minutes() >= kEndMinute[m_period])
        return true;
    return m_period >= 2 && !IsLevel(m_rules);
}

bool MatchPeriod::IsFinalPeriod() const
{
    switch (m_period) {
    case 1:
        return !m_extraTimeAllowed || !IsLevel(m_rules);
    case 2:
        return !IsLevel(m_rules);
    case 3:
        return true;
    default:
        return false;
    }
}

Character* MatchPeriod::FindMostValuable() const
{
    Character* best = sides::PlayerAt(&TeamOf(0), 0);
    for (Character* player : PlayerHold::AllPlayers())
        if (best && player->GetMatchRating() > best->GetMatchRating())
            best = player;
    return best;
}

void MatchPeriod::FillStatistics(Character* mostValuable)
{
    MatchStatistics& statistics = *MatchStatistics::Instance();
    statistics.SetPossession(TeamOf(0).GetPossession(), TeamOf(1).GetPossession());
    if (mostValuable)
        statistics.mostValuable = DisplayNameOf(mostValuable);
    MenuVariableSink sink;
    statistics.FillText(StatisticsHome(m_rules), sink);
}

void MatchPeriod::StartEndShow()
{
    m_periodOver = true;
    ReplayEngine::Instance()->SetEnabled(false);
    FillStatistics(FindMostValuable());
    const bool final = IsFinalPeriod();
    SetVariable("%dynamic_message%", "%60510% " + PeriodName(m_period));
    m_finalShowRunning = true;
    auto* walkOff = new ParallelState;
    walkOff->AddState(new SendOffPlayer(PlayerHold::AllPlayers(), false, false, true, 0.0f));
    walkOff->AddState(new IteratingState(FrontEndScreens::IngameMessage(kDynamicBanner, kEndBannerSeconds),
                                         FrontEndScreens::IngameMenu("game_stat", false)));
    State* show = walkOff;
    if (final)
        if (State* reaction = CreateEndReaction())
            show = new IteratingState(reaction, show);
    SetSequence(new IteratingState(new RefereeWhistle(false), show));
}

State* MatchPeriod::CreateEndReaction() const
{
    const int goals0 = TeamOf(0).GetGoals();
    const int goals1 = TeamOf(1).GetGoals();
    std::vector<Character*> cheer;
    std::vector<Character*> dismay;
    if (goals0 > goals1) {
        cheer = PlayersOf(0);
        dismay = PlayersOf(1);
    } else if (goals1 > goals0) {
        cheer = PlayersOf(1);
        dismay = PlayersOf(0);
    } else if (m_rules.storyLeg && m_rules.finalRound && m_rules.firstLeg) {
        cheer = PlayerHold::AllPlayers();
    } else {
        return nullptr;
    }
    return new PlayerReaction(cheer, dismay, 0.0f, kEndReactionMaxStagger, kEndReactionSeconds);
}

void MatchPeriod::CountPossession()
{
    const MatchClock& clock = *Pitch().GetClock();
    const int minute = clock.Minutes();
    const int second = clock.Seconds();
    if (minute > m_possessionMinute) {
        m_possessionMinute = minute;
        m_possessionSecond = 0;
    }
    if (second <= m_possessionSecond)
        return;
    // Before anybody has touched the ball nobody holds possession; the second is not owed.
    const BallToucher* toucher = Pitch().GetBall()->GetLastToucher();
    if (SoccerTeam* team = toucher ? toucher->GetBallTeam() : nullptr)
        team->SetPossession(team->GetPossession() + (second - m_possessionSecond));
    m_possessionSecond = second;
}

State* MatchPeriod::ReadCheats()
{
    MatchClock& clock = *Pitch().GetClock();
    if (ReadAction("cheat skip"))
        clock.SetTime(clock.GetTime() + 60.0f * static_cast<float>(kEndMinute[m_period] - clock.Minutes()));
    if (ReadAction("cheat goal"))
        TeamOf(0).SetGoals(TeamOf(0).GetGoals() + 1);
    // Each side's score as the forfeit score: 3 goals when set, else none.
    struct Result {
        const char* action;
        bool threeGoals0;
        bool threeGoals1;
    };
    static constexpr Result kResults[] = {
        {"cheat win", true, false}, {"cheat loose", false, true}, {"cheat draw", true, true}};
    for (const Result& result : kResults) {
        if (!ReadAction(result.action))
            continue;
        TeamOf(0).SetForfeitScore(result.threeGoals0);
        TeamOf(1).SetForfeitScore(result.threeGoals1);
        FillStatistics(sides::PlayerAt(&TeamOf(0), 0));
        SetVariable("%dynamic_message%", "%60510% " + PeriodName(m_period));
        return nullptr;
    }
    return this;
}

State* MatchPeriod::Forfeit()
{
    MatchStatistics& statistics = *MatchStatistics::Instance();
    for (int side = 0; side < PitchSimulation::kSides; ++side) {
        TeamOf(side).SetForfeitScore(side != m_forfeitSide);
        statistics.goals[side] = TeamOf(side).GetGoals();
    }
    FillStatistics(FindMostValuable());
    SetVariable("%match_period%", "%60511%");
    return new IteratingState(FrontEndScreens::Menu("fouloverkill_penalty"), FrontEndScreens::Menu("game_stat_wbg"));
}

State* MatchPeriod::NextState()
{
    const bool continues = m_period == 0 || (m_period == 1 && m_extraTimeAllowed && IsLevel(m_rules)) ||
                           (m_period == 2 && IsLevel(m_rules));
    if (continues) {
        auto* next = new MatchPeriod(m_period + 1, m_extraTimeAllowed, m_crowdFavours0, m_crowdFavours1, m_rules);
        return m_period == 0 && m_rules.storyLeg ? CreateHalfTimeSelection(next) : next;
    }
    if (m_period >= 2 && IsLevel(m_rules))
        return new PenaltyShootout(m_rules.shootoutWinner);
    SetVariable("%match_period%", "%60512%");
    return nullptr;
}
