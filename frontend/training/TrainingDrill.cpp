#include "frontend/training/TrainingDrill.h"

#include "audio/SoundEngine.h"
#include "audio/TBMusic.h"
#include "framework/Cast.h"
#include "framework/Debug.h"
#include "frontend/ingame/TBIngameMenu.h"
#include "frontend/story/StoryModeGame.h"
#include "menus/Menu.h"
#include "pitch/CameraStack.h"
#include "pitch/PitchSimulation.h"
#include "scene/GameElements.h"
#include "settings/GameSettings.h"
#include "settings/TrainingSettings.h"


namespace {

constexpr const char* kMessageScreen = "message_dynamic";
constexpr const char* kPerfectText = "%50206%";

}  // namespace

TrainingDrill::TrainingDrill(const Look& look) : m_look(look) {}

TrainingDrill::~TrainingDrill()
{
    StateSlot::Set(&m_round, nullptr, false);
    StateSlot::Set(&m_screen, nullptr, false);
    StateSlot::Set(&m_menu, nullptr, false);
}

void TrainingDrill::Enter()
{
    m_finished = false;
    m_perfect = false;
    // A HUD text parameter is drawn as it stands, so the caption goes in as its table text;
    // what to do stays under it after the intro has gone.
    SetHudText("TrainingName", Menu::Instance()->ExpandVariables(m_look.title));
    SetHudText("TrainingHint", Menu::Instance()->ExpandVariables(m_look.intro));
    if (CameraStack* cameras = CameraStack::Current()) {
        if (m_look.cameraSlot != kNoCameraSlot)
            cameras->PopCamera();
        cameras->PushCamera(m_look.camera);
        if (m_look.cameraSlot != kNoCameraSlot)
            cameras->RestoreCameraChoice(m_look.cameraSlot);
    }
    PitchSimulation::Instance()->SetHudElements(m_look.hudMask);
    PlayLevelMusic();
    ShowMessage(m_look.intro);
    Begin();
}

void TrainingDrill::Exit()
{
    EndRound();
    End();
    if (CameraStack* cameras = CameraStack::Current()) {
        if (m_look.cameraSlot != kNoCameraSlot)
            cameras->StoreCameraChoice(m_look.cameraSlot);
        else
            cameras->PopCamera();
    }
    TBMusic::Instance()->PlayMenuMusic();
}

State* TrainingDrill::Update(float dt)
{
    if (m_menu) {
        StateSlot::Update(&m_menu, dt);
        return this;
    }
    if (!m_screen && MayPause() && ReadAction("ingame_menu")) {
        StateSlot::Set(&m_menu, new TBIngameMenu("ingame_menu", false), true);
        return this;
    }
    StateSlot::Update(&m_screen, dt);
    if (m_finished)
        return m_screen ? this : nullptr;
    if (m_round && ReadAction("cheat win"))
        WinAtOnce();
    AdvanceRound(dt);
    Judge();
    if (!m_round) {
        if (State* next = NextRound()) {
            StateSlot::Set(&m_round, next, true);
            RoundEntered();
        } else {
            Settle();
        }
    }
    return this;
}

void TrainingDrill::Render()
{
    m_stillPitch.Draw(m_menu != nullptr, [this] {
        if (m_round)
            m_round->Render();
        else if (!m_finished && PitchSimulation::Instance()->IsSetUp())
            PitchSimulation::Instance()->Render();
    });
    if (m_screen)
        m_screen->Render();
    if (m_menu)
        m_menu->Render();
}

void TrainingDrill::Settle()
{
    const int points = Points();
    TrainingSettings::Instance()->points = points;
    PublishResults(points);
    m_finished = true;
    m_perfect = Perfect();
    State* results = new TBIngameMenu(m_look.results, m_look.resultsOverPitch);
    if (m_perfect) {
        Menu::Instance()->SetVariable("%dynamic_message%", kPerfectText);
        // No round draws the pitch any more: the message does.
        results = new IteratingState(new TBIngameMessageMenu(kMessageScreen, kMessageSeconds, false, true), results);
        SoundEngine::Instance()->PlayOnce("perfect");
    }
    StateSlot::Set(&m_screen, results, true);
}

void TrainingDrill::ShowMessage(const std::string& text)
{
    Menu::Instance()->SetVariable("%dynamic_message%", text);
    StateSlot::Set(&m_screen, new TBIngameMessageMenu(kMessageScreen, kMessageSeconds), true);
}

void TrainingDrill::PlayLevelMusic() const
{
    TBMusic::Instance()->PlayMainMusic(StoryModeGame::Instance()->GetLevelNumber(), false);
}

int TrainingDrill::Setting(const char* key, int fallback)
{
    if (const std::optional<int32_t> value = GameSettings::Instance()->GetInt(key))
        return *value;
    LogWarning("TrainingDrill::Setting: no whole-number setting \"%s\"; %d taken\n", key, fallback);
    return fallback;
}

std::string TrainingDrill::CountdownText(int seconds)
{
    const std::string text = std::to_string(seconds);
    return text.size() == 1 ? "0" + text : text;
}

void TrainingDrill::SetHudText(const char* element, const std::string& text)
{
    if (const Cast* hud = CastManager::Instance()->GetCast("hud"))
        HudElement::SetItemParameter(*hud, element, "text", text.c_str());
}

void TrainingDrill::PlayFeedback(bool passed)
{
    SoundEngine::Instance()->PlayOnce(passed ? "feedbacktrainingpassed" : "feedbacktrainingfailed");
}

CharacterVariation* TrainingDrill::ChosenMember(int place)
{
    if (place < 0 || place >= TrainingSettings::kChosen)
        return nullptr;
    return TrainingSettings::Instance()->chosen[place];
}
