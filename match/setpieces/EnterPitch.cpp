#include "match/setpieces/EnterPitch.h"

#include "ai/TeamStrategy.h"
#include "audio/TBMusic.h"
#include "characters/Actor.h"
#include "characters/ActorState.h"
#include "characters/Character.h"
#include "characters/CharacterBrain.h"
#include "characters/RefereeSettings.h"
#include "characters/Team.h"
#include "framework/Cast.h"
#include "framework/Debug.h"
#include "framework/Random.h"
#include "input/InputController.h"
#include "input/KeyboardInput.h"
#include "match/Fade.h"
#include "match/PitchSides.h"
#include "match/PlayerHold.h"
#include "pitch/CameraControl.h"
#include "pitch/CameraStack.h"
#include "pitch/PitchSimulation.h"
#include "scene/RenderObject.h"
#include "settings/GameParameters.h"
#include "settings/PitchCoordinates.h"
#include "simulation/Ball.h"

#include <algorithm>

namespace {

constexpr float kFadeSeconds = 2.0f;
constexpr float kSpawnOffsetX = 0.4f;
constexpr uint32_t kIntroHud = PitchSimulation::kHudTeamNames | PitchSimulation::kHudScore | PitchSimulation::kHudTime;
// Every part but the clock, the managers' tactics and the selection refresh.
constexpr uint32_t kIntroUpdate = PitchSimulation::kUpdateAll & ~(PitchSimulation::kUpdateClock |
                                                                   PitchSimulation::kUpdateManagers |
                                                                   PitchSimulation::kRefreshSelection);
constexpr int kCameraCounts[GameParameters::kLevelCount] = {7, 6, 0, 0};
const char* const kIntroCamera = "Intro Camera";
const char* const kControllers[] = {"(0):", "(1):"};

PitchSimulation& Pitch()
{
    return *PitchSimulation::Instance();
}


}  // namespace

EnterPitch::EnterPitch(const std::vector<Character*>& walkers)
    : SetPiece("kickoff", true, 0.0f, 0.0f), m_walkers(walkers)
{
    StateSlot::Set(&m_fadeIn, new Fade(true, kFadeSeconds), true);
    StateSlot::Set(&m_fadeOut, new Fade(false, kFadeSeconds), true);
}

EnterPitch::~EnterPitch()
{
    StateSlot::Set(&m_fadeOut, nullptr, false);
    StateSlot::Set(&m_fadeIn, nullptr, false);
}

std::vector<std::string> EnterPitch::IntroPathNames(int level)
{
    const int clamped = std::clamp(level, 1, GameParameters::kLevelCount);
    const int count = std::max(kCameraCounts[clamped - 1] - 1, 1);
    std::vector<std::string> names;
    for (int n = 1; n <= count; ++n)
        names.push_back("camera0" + std::to_string(n));
    return names;
}

std::string EnterPitch::ChooseCameraName(int level)
{
    const int count = kCameraCounts[std::clamp(level, 1, GameParameters::kLevelCount) - 1];
    // Levels with no choice take camera 1 without a draw, which keeps the sequence unmoved.
    const int number = count > 1 ? Random::Range(1, count) : 1;
    return "camera0" + std::to_string(number);
}

void EnterPitch::Enter()
{
    PlaceReferee();
    m_savedHudMask = Pitch().GetHudMask();
    Pitch().SetHudElements(kIntroHud);
    FindCasts();
    PlaceWalkers();
    if (Ball* ball = Pitch().GetBall())
        ball->SetCanBeHeld(false);
    StartCamera();
    TBMusic::Instance()->PlayIntroMusic(GameParameters::Instance()->GetLevelNumber());
    FlushInput();
    m_ignoreFirstInput = true;
}

void EnterPitch::PlaceReferee()
{
    Character* referee = Pitch().GetReferee();
    if (!referee || !referee->GetActor())
        return;
    const Vector3 facing = PitchFrame::GetDirection(PitchFrame::kAcross);
    const Vector3 position = PitchFrame::GetCentre() - facing * RefereeSettings::Instance()->distFromBall;
    referee->GetActor()->PlaceInState(position, PitchAngle::FromDirection(facing).ToWorldHeading(),
                                      new ActorState(ActorNodes::refstand));
    PlayerHold::Set(referee, true);
}

void EnterPitch::PlaceWalkers()
{
    const char* const kSpawnPoints[2] = {"objects|LeftSpawnPoint", "objects|RightSpawnPoint"};
    Vector3 spawn[2];
    for (int i = 0; i < 2; ++i) {
        const auto* point = dynamic_cast<const RenderObject*>(CastManager::Instance()->FindObject(kSpawnPoints[i]));
        if (point)
            spawn[i] = point->GetPosition();
        else
            LogError("EnterPitch::Enter: no \"%s\"; its side walks on from the origin\n", kSpawnPoints[i]);
        spawn[i].x -= kSpawnOffsetX;
    }
    for (Character* walker : m_walkers) {
        const bool first = sides::OnFirstSide(walker);
        PlayerHold::Set(walker, false);
        if (Actor* actor = walker->GetActor()) {
            actor->pitchVolumeContact = false;
            actor->PlaceInState(spawn[first ? 0 : 1], 0.0f, new ActorState(ActorNodes::stand));
        }
    }
    // An order left from before could already lie at the spawn point: each walker is sent to
    // his place now, so that nobody counts as arrived before he has walked.
    for (int side = 0; side < PitchSimulation::kSides; ++side)
        SendToFormation(side);
}

void EnterPitch::StartCamera()
{
    m_cameraName = ChooseCameraName(GameParameters::Instance()->GetLevelNumber());
    CameraStack* cameras = CameraStack::Current();
    if (cameras) {
        cameras->PushCamera(kIntroCamera);
        m_camera = dynamic_cast<SplineCameraControl*>(cameras->GetActiveCamera());
    }
    m_pathLoaded = m_camera && m_camera->Load("<LP>\\camera\\", m_cameraName + ".dff", m_cameraName + ".anm");
    // With no path the camera never finishes; the scene must not wait for it.
    if (!m_pathLoaded)
        LogError("EnterPitch::Enter: intro path \"%s\" not loaded; the intro ends at once\n", m_cameraName.c_str());
}

void EnterPitch::FlushInput()
{
    KeyboardInput::Instance()->Update(1.0f);
    for (size_t i = 0; i < std::size(kControllers); ++i) {
        const ControllerInput input = GetControllerInput(kControllers[i]);
        m_heldAtEnter[i] = {input.buttonAHeld, input.buttonBHeld};
    }
}

bool EnterPitch::SkipRequested()
{
    bool skip = false;
    for (size_t i = 0; i < std::size(kControllers); ++i) {
        const ControllerInput input = GetControllerInput(kControllers[i]);
        const bool pressed[2] = {input.buttonAPressed, input.buttonBPressed};
        const bool held[2] = {input.buttonAHeld, input.buttonBHeld};
        for (size_t b = 0; b < 2; ++b) {
            // The controller reports a button first read while down as pressed on the next
            // frame: a button held since before the scene skips only once pressed again.
            skip = skip || (pressed[b] && !m_heldAtEnter[i][b]);
            m_heldAtEnter[i][b] = m_heldAtEnter[i][b] && held[b];
        }
    }
    if (skip)
        return true;
    const bool anyKey = BufferedInputController::Instance()->GetAction("any key press", InputController::kValue) != 0.0f;
    const bool keySkip = anyKey && !m_ignoreFirstInput;
    m_ignoreFirstInput = false;
    return keySkip;
}

State* EnterPitch::Update(float dt)
{
    if (SkipRequested())
        return nullptr;
    for (int side = 0; side < PitchSimulation::kSides; ++side)
        WalkToFormation(side);
    Pitch().Update(dt, kIntroUpdate);
    if (m_fadeIn)
        StateSlot::Update(&m_fadeIn, dt);
    if (m_fadeOut && CameraTimeLeft() <= kFadeSeconds)
        StateSlot::Update(&m_fadeOut, dt);
    return IsCameraFinished() ? nullptr : this;
}

void EnterPitch::WalkToFormation(int side)
{
    SoccerTeam* team = Pitch().GetTeam(side);
    if (!team)
        return;
    const bool first = team->IsFirstSide();
    for (int32_t i = 0; i < team->GetPlayerCount(); ++i) {
        Character* player = team->GetPlayer(i);
        CharacterBrain* brain = player->GetBrain();
        Actor* actor = player->GetActor();
        if (!brain || !actor)
            continue;
        if (brain->IsAtTargetPosition()) {
            const float heading = sides::PlayAngle(first).ToWorldHeading();
            if (actor->GetHeading() != heading)
                actor->PlaceInState(actor->GetPosition(), heading, new ActorState(ActorNodes::stand));
            continue;
        }
        SendToPlace(side, i);
    }
}

void EnterPitch::SendToFormation(int side)
{
    SoccerTeam* team = Pitch().GetTeam(side);
    for (int32_t i = 0; team && i < team->GetPlayerCount(); ++i)
        SendToPlace(side, i);
}

void EnterPitch::SendToPlace(int side, int32_t index)
{
    const SoccerTeam& team = *Pitch().GetTeam(side);
    Character* player = team.GetPlayer(index);
    CharacterBrain* brain = player->GetBrain();
    Actor* actor = player->GetActor();
    if (!brain || !actor)
        return;
    const bool first = team.IsFirstSide();
    // Without its formation a side walks nowhere: the error has been logged.
    const TeamStrategy* strategy = GetStrategy(side);
    const PitchPosition place = strategy ? strategy->GetTacticalPosition(index, PitchPosition(0.0f, 0.0f))
                                         : PitchPosition::FromWorld(actor->GetPosition(), first);
    brain->GetOrder() = TeamOrder{0, place.ToWorld(first), nullptr};
    player->SetSelected(false);
    actor->ReleaseBall();
}

float EnterPitch::CameraTimeLeft() const
{
    return m_pathLoaded ? m_camera->GetDuration() - m_camera->GetTime() : 0.0f;
}

bool EnterPitch::IsCameraFinished() const
{
    return !m_pathLoaded || m_camera->IsFinished();
}

void EnterPitch::Render()
{
    if (m_fadeOut)
        Pitch().Render();
    if (m_fadeIn)
        m_fadeIn->Render();
    if (m_fadeOut)
        m_fadeOut->Render();
}

void EnterPitch::Exit()
{
    PlayerHold::Set(Pitch().GetReferee(), false);
    Pitch().SetHudElements(m_savedHudMask);
    for (Character* player : PlayerHold::AllPlayers()) {
        PlayerHold::Set(player, false);
        if (Actor* actor = player->GetActor())
            actor->pitchVolumeContact = true;
    }
    if (Ball* ball = Pitch().GetBall())
        ball->SetCanBeHeld(true);
    if (m_camera && CameraStack::Current())
        CameraStack::Current()->PopCamera();
    m_camera = nullptr;
}
