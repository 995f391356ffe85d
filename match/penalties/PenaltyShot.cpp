#include "match/penalties/PenaltyShot.h"

#include "audio/SoundEngine.h"
#include "audio/Voice.h"
#include "characters/Actor.h"
#include "characters/Character.h"
#include "characters/CharacterBrain.h"
#include "characters/CharacterRace.h"
#include "characters/CharacterVariation.h"
#include "characters/Team.h"
#include "framework/Cast.h"
#include "framework/Debug.h"
#include "framework/MathUtil.h"
#include "framework/Random.h"
#include "input/InputController.h"
#include "match/PitchSides.h"
#include "match/PlayerHold.h"
#include "match/penalties/PenaltySettings.h"
#include "pitch/CameraStack.h"
#include "pitch/PitchSimulation.h"
#include "settings/LevelSettings.h"
#include "simulation/Ball.h"
#include "simulation/CollisionManager.h"
#include "simulation/PitchVolume.h"
#include "simulation/Shape.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace {

// Placing and run-up: everything but tactics, collisions and the clock.
constexpr uint32_t kPlacingMask = 461;
// The flight: collisions included, still without tactics and the clock.
constexpr uint32_t kFlightMask = 477;
// What the collision world is advanced by after placing, so that the taker takes the ball.
constexpr float kSettleSeconds = 0.1f;
constexpr float kPercent = 100.0f;
// How far from its goal line a level without its penalty objects puts the spot.
constexpr float kSpotDistance = 11.0f;

const PenaltySettings& Settings() { return *PenaltySettings::Instance(); }

float ShootingLevel(const Character& character) { return character.GetVariation()->shooting.level; }

// The member of "objects" by name, as a game element; a missing one is reported once.
GameElement* FindObject(const std::string& name)
{
    static std::set<std::string> reported;
    auto* element = dynamic_cast<GameElement*>(CastManager::Instance()->FindObject(("objects|" + name).c_str()));
    if (!element && reported.insert(name).second)
        LogWarning("PenaltyPreShot: no \"%s\" among the level's objects; the default place stands in\n",
                   name.c_str());
    return element;
}

// No actor keeps the ball: a placed ball must be free.
void FreeBall()
{
    for (Character* player : PlayerHold::AllPlayers())
        player->GetActor()->ReleaseBall();
}

void PutBallOn(const Vector3& spot)
{
    Ball* ball = PitchSimulation::Instance()->GetBall();
    if (!ball)
        return;
    FreeBall();
    ball->SetPosition(spot + Vector3(0.0f, ball->GetRadius(), 0.0f));
    ball->SetVelocity(Vector3{});
}

// An axis at rest keeps the last direction it was pushed in.
void KeepPushedAxes(const ControllerInput& stick, float& x, float& y)
{
    if (stick.x != 0.0f)
        x = stick.x;
    if (stick.y != 0.0f)
        y = stick.y;
}

// The middle of the goal line the left side (the first) or the right one defends.
Vector3 GoalLineCentre(bool leftSide) { return PitchPosition(-1.0f, 0.0f).ToWorld(leftSide); }

void StepPitch(float dt, uint32_t mask)
{
    if (PitchSimulation::Instance()->IsSetUp())
        PitchSimulation::Instance()->Update(dt, mask);
}

}  // namespace

// ---------------------------------------------------------------- PenaltyShot

bool PushPenaltyCamera(bool leftSide)
{
    CameraStack* cameras = CameraStack::Current();
    if (!cameras)
        return false;
    const size_t before = cameras->GetCameraStack().size();
    cameras->PushCamera(leftSide ? "Penalty Left" : "Penalty Right");
    return cameras->GetCameraStack().size() > before;
}

namespace {

std::unique_ptr<PenaltyContext> MakeContext(Character* taker, Character* keeper, const std::string& takerController,
                                            const std::string& keeperController, bool leftSide, int32_t* result,
                                            bool bothWayError)
{
    auto context = std::make_unique<PenaltyContext>();
    context->taker = taker;
    context->keeper = keeper;
    context->takerController = takerController;
    context->keeperController = keeperController;
    context->leftSide = leftSide;
    context->result = result;
    context->bothWayError = bothWayError;
    return context;
}

}  // namespace

PenaltyShot::PenaltyShot(Character* taker, Character* keeper, const std::string& takerController,
                         const std::string& keeperController, bool leftSide, int32_t* result, bool bothWayError)
    : PenaltyShot(MakeContext(taker, keeper, takerController, keeperController, leftSide, result, bothWayError))
{
}

PenaltyShot::PenaltyShot(std::unique_ptr<PenaltyContext> context)
    : IteratingState(new PenaltyPreShot(context.get()), nullptr), m_context(std::move(context))
{
}

PenaltyShot::~PenaltyShot()
{
    if (m_entered)
        MessageServer::Instance()->UnregisterListener(this);
}

void PenaltyShot::Take(Character* character, const std::string& controller, Saved& saved)
{
    if (CharacterBrain* brain = character->GetBrain())
        brain->SetInPenalty(true);
    saved.controller = character->GetControllerName();
    saved.selected = character->IsSelected();
    saved.faceAtOnce = character->GetCommand().faceAtOnce;
    character->SetControllerName(controller);
    character->SetSelected(controller != "ai");
}

void PenaltyShot::GiveBack(Character* character, const Saved& saved)
{
    if (CharacterBrain* brain = character->GetBrain())
        brain->SetInPenalty(false);
    character->SetControllerName(saved.controller);
    character->SetSelected(saved.selected);
    character->GetCommand().faceAtOnce = saved.faceAtOnce;
    character->GetActor()->ballContact = true;
}

void PenaltyShot::Enter()
{
    // Taken before the first phase places them: what goes back is what open play had.
    Take(m_context->taker, m_context->takerController, m_savedTaker);
    Take(m_context->keeper, m_context->keeperController, m_savedKeeper);
    IteratingState::Enter();
    m_cameraPushed = PushPenaltyCamera(m_context->leftSide);
    if (m_context->result)
        *m_context->result = PenaltyContext::kOpen;
    m_goalMessage = MessageServer::Instance()->RegisterMessage("goal scored");
    MessageServer::Instance()->RegisterListener(this);
    m_entered = true;
}

void PenaltyShot::Exit()
{
    IteratingState::Exit();
    if (!m_entered)
        return;
    m_entered = false;
    GiveBack(m_context->taker, m_savedTaker);
    GiveBack(m_context->keeper, m_savedKeeper);
    CameraStack* cameras = CameraStack::Current();
    if (m_cameraPushed && cameras)
        cameras->PopCamera();
    MessageServer::Instance()->UnregisterListener(this);
}

int PenaltyShot::OnMessage(int message, intptr_t)
{
    if (message != m_goalMessage)
        return 0;
    if (m_context->result && *m_context->result == PenaltyContext::kOpen)
        *m_context->result = PenaltyContext::kScored;
    // Neither plays the ball out of the net.
    m_context->taker->GetActor()->ballContact = false;
    m_context->keeper->GetActor()->ballContact = false;
    return 0;
}

// ---------------------------------------------------------------- PenaltyPreShot

GameElement* PenaltyPreShot::FindKeeperLine(bool leftSide)
{
    return FindObject(leftSide ? "LeftKeeperLine" : "RightKeeperLine");
}

GameElement* PenaltyPreShot::FindPenaltySpot(bool leftSide)
{
    return FindObject(leftSide ? "LeftPenaltySpot" : "RightPenaltySpot");
}

Vector3 PenaltyPreShot::KeeperPoint(bool leftSide)
{
    GameElement* line = FindKeeperLine(leftSide);
    if (const auto* plane = dynamic_cast<const PlanarPitchVolume*>(line))
        return plane->GetPlane().ClosestPoint(PitchFrame::GetCentre());
    if (line)
        return line->GetPosition();
    return GoalLineCentre(leftSide);
}

Vector3 PenaltyPreShot::SpotPoint(bool leftSide)
{
    if (const GameElement* spot = FindPenaltySpot(leftSide))
        return spot->GetPosition();
    return GoalLineCentre(leftSide) + sides::PlayDirection(leftSide) * kSpotDistance;
}

float PenaltyPreShot::KeeperHeading(bool leftSide)
{
    // The left goal is the one the first side defends: its keeper faces the first side's
    // direction of play.
    return sides::PlayAngle(leftSide).ToWorldHeading();
}

namespace {

float TakerHeading(bool leftSide) { return Math::AngleDifference(PenaltyPreShot::KeeperHeading(leftSide) + Math::Pi, 0.0f); }

// The brain in a penalty clears only the code: a command left from open play, a keeper's
// "face the ball at once" above all, would turn him away from the kick, and his dive and
// parry with him, into his own net. He holds the heading he is placed with.
void PlaceFacing(Character& character, const Vector3& at, float heading, const ActorStateNode& node)
{
    ActorCommand& command = character.GetCommand();
    command = ActorCommand{};
    command.direction = heading;
    command.faceAtOnce = 1;
    character.GetActor()->PlaceInState(at, heading, new ActorState(node));
}

}  // namespace

void PenaltyPreShot::Enter()
{
    const bool left = m_context->leftSide;
    const Vector3 spot = SpotPoint(left);
    PlaceFacing(*m_context->keeper, KeeperPoint(left), KeeperHeading(left), ActorNodes::inactive);
    PlaceFacing(*m_context->taker, spot, TakerHeading(left), ActorNodes::penaltywait);
    PutBallOn(spot);
    CollisionManager::Instance()->Update(kSettleSeconds);
    m_timer = m_context->IsTakerAi() ? Settings().aiWaitBeforeShot : 0.0f;
}

State* PenaltyPreShot::Update(float dt)
{
    bool done = false;
    if (m_context->IsTakerAi()) {
        m_timer -= dt;
        done = m_timer <= 0.0f;
    } else {
        BufferedInputController* input = BufferedInputController::Instance();
        const std::string& prefix = m_context->takerController;
        const bool a = input->GetAction(prefix + "button a", InputController::kPressEdge) != 0.0f;
        const bool b = input->GetAction(prefix + "button b", InputController::kPressEdge) != 0.0f;
        done = a || b;
        m_context->buttonAChosen = a;
    }
    StepPitch(dt, kPlacingMask);
    if (!done)
        return this;
    return new PenaltyRunUp(m_context);
}

void PenaltyPreShot::Exit()
{
    const bool left = m_context->leftSide;
    PlaceFacing(*m_context->taker, SpotPoint(left), TakerHeading(left), ActorNodes::penaltyshot);
    CollisionManager::Instance()->Update(kSettleSeconds);
}

// ---------------------------------------------------------------- PenaltyRunUp

void PenaltyRunUp::Enter()
{
    CharacterAction* action = m_context->taker->GetRace()->GetAction("penaltyshot");
    m_timer = action ? action->GetDuration() : 0.0f;
}

State* PenaltyRunUp::Update(float dt)
{
    m_timer -= dt;
    if (!m_context->IsTakerAi()) {
        if (m_powerRunning)
            ChargePower();
        KeepPushedAxes(GetControllerInput(m_context->takerController), m_aimX, m_aimY);
    }
    StepPitch(dt, kPlacingMask);
    if (m_timer > 0.0f)
        return this;
    return new PenaltyMovement(m_context);
}

// The chosen button's hold time charges the power; its release ends the charge.
void PenaltyRunUp::ChargePower()
{
    const std::string button = m_context->takerController + (m_context->buttonAChosen ? "button a" : "button b");
    float held = 0.0f;
    m_powerRunning = BufferedInputController::Instance()->GetAction(button, InputController::kReleaseEdge, &held) == 0.0f;
    const PenaltySettings& settings = Settings();
    const float upTime = Math::Lerp(settings.worstPowerUpTime, settings.bestPowerUpTime,
                                    ShootingLevel(*m_context->taker) / kPercent);
    const float power = upTime > 0.0f ? held / upTime : 1.0f;
    m_context->taker->GetActor()->kickPower = std::clamp(power, 0.0f, 1.0f);
}

void PenaltyRunUp::Exit()
{
    Character& taker = *m_context->taker;
    Actor& actor = *taker.GetActor();
    if (Voice* voice = SoundEngine::Instance()->Play("shot", true)) {
        const Vector3 at = actor.GetPosition();
        voice->SetPosition(SoundPoint{static_cast<int>(at.x), static_cast<int>(at.z)});
        voice->SetVolume((actor.kickPower + 1.0f) * 0.5f);
        voice->Start();
    }
    // His clip ends with the run-up and may have let the ball go in this very frame.
    if (!actor.HasBall() && ActorSurroundings::ball)
        taker.OnBallTouched(*ActorSurroundings::ball, true, false);
    taker.KickBall(ComputeShot(), true);
    actor.kickPower = 0.0f;
}

penalty::Aim PenaltyRunUp::ChooseAim()
{
    const PenaltySettings& settings = Settings();
    if (!m_context->IsTakerAi())
        return penalty::HumanAim(m_aimX, m_aimY, m_context->taker->GetActor()->kickPower, settings);
    const int side = Random::Below(2);
    const int height = Random::Below(2);
    const float error =
        penalty::DrawAiPowerError(ShootingLevel(*m_context->taker), m_context->bothWayError, settings);
    return penalty::AiAim(side, height, error, settings);
}

Vector3 PenaltyRunUp::ComputeShot()
{
    const PenaltySettings& settings = Settings();
    const penalty::Aim aim = ChooseAim();
    m_context->shotQuality = aim.quality;
    CharacterRace& race = *m_context->keeper->GetRace();
    m_context->saveInput = ActorCommand{};
    m_context->saveInput.code =
        penalty::SaveCodeForAim(aim, race.GetKeeperSaveGridWidth(), race.GetKeeperSaveGridHeight());
    m_context->aimCode = m_context->saveInput.code;

    const float heading = PenaltyPreShot::KeeperHeading(m_context->leftSide);
    const Vector3 up(0.0f, 1.0f, 0.0f);
    // The keeper's left, seen as he faces the pitch.
    const Vector3 left(std::cos(heading), 0.0f, -std::sin(heading));
    const Vector3 target = m_context->keeper->GetActor()->GetPosition() + left * (aim.x + settings.defaultShotX) +
                           up * (aim.y + settings.defaultShotY);
    const Ball* ball = PitchSimulation::Instance()->GetBall();
    const Vector3 from = ball ? ball->GetPosition() : m_context->taker->GetActor()->GetPosition();
    const float seconds = penalty::FlightTime(ShootingLevel(*m_context->taker), settings);
    return penalty::SolveKick(target - from, seconds, LevelSettings::Instance()->gravity);
}

// ---------------------------------------------------------------- PenaltyMovement

void PenaltyMovement::Enter()
{
    m_timer = Settings().timeAfterKick;
    DecideSave();
}

// The computer keeper's read time, and whether he reads the kick: if not, his save is a
// guess, right by chance only. A person's keeper ignores the code and uses his stick.
void PenaltyMovement::DecideSave()
{
    const PenaltySettings& settings = Settings();
    const float read = std::fabs(Random::Unit());
    const float readTime = Math::Lerp(settings.minimumReadTime, settings.maximumReadTime, read);
    const float skill = m_context->keeper->GetVariation()->GetAverageStatistic().current / kPercent;
    const float base = Math::Lerp(settings.aiWorstSaveProb, settings.aiBestSaveProb, skill);
    const float chance = (1.0f - m_context->shotQuality) * settings.saveProbShotFraction +
                         base * settings.saveProbSkillFraction + read * settings.saveProbReadFraction;
    if (std::fabs(Random::Unit()) > chance)
        m_context->saveInput.code = penalty::kFirstSaveCode + Random::Below(9);
    m_context->readTime = readTime;
}

State* PenaltyMovement::Update(float dt)
{
    const PenaltySettings& settings = Settings();
    m_timer -= dt;
    m_inputWindow -= dt;
    if (!m_dived) {
        if (m_context->IsKeeperAi())
            UpdateAiKeeper(dt);
        else
            UpdateHumanKeeper();
    }
    int32_t* result = m_context->result;
    if (result && *result == PenaltyContext::kOpen && settings.timeAfterKick - m_timer >= settings.goalDecisionTime)
        *result = PenaltyContext::kMissed;
    StepPitch(dt, kFlightMask);
    if (m_timer > 0.0f)
        return this;
    // A decision time beyond the kick's end would leave it open for ever.
    if (result && *result == PenaltyContext::kOpen)
        *result = PenaltyContext::kMissed;
    return nullptr;
}

void PenaltyMovement::UpdateAiKeeper(float dt)
{
    const float read = m_context->readTime;
    if (m_timer < read && read <= m_timer + dt)
        Dive(m_context->saveInput.code);
}

void PenaltyMovement::UpdateHumanKeeper()
{
    const ControllerInput stick = GetControllerInput(m_context->keeperController);
    if (stick.x != 0.0f || stick.y != 0.0f) {
        if (!m_inputStarted) {
            m_inputStarted = true;
            m_inputWindow = Settings().keyboardInputTime;
        }
        KeepPushedAxes(stick, m_stickX, m_stickY);
    }
    if (m_inputStarted && m_inputWindow <= 0.0f)
        Dive(penalty::SaveCodeForStick(m_stickX, m_stickY));
}

// One step of the keeper's state machine with the save and no time passing: the save nodes
// enter at once.
void PenaltyMovement::Dive(int32_t code)
{
    Character& keeper = *m_context->keeper;
    Actor& actor = *keeper.GetActor();
    actor.PlaceInState(actor.GetPosition(), actor.GetHeading(), new ActorState(ActorNodes::stand));
    ActorCommand input;
    input.code = code;
    actor.ApplyCommand(0.0f, input, &keeper.GetVariation()->energy.current);
    m_context->diveCode = code;
    m_dived = true;
}
