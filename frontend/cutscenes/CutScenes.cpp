#include "frontend/cutscenes/CutScenes.h"

#include "audio/TBMusic.h"
#include "characters/CharacterVariation.h"
#include "characters/Team.h"
#include "characters/TeamDescription.h"
#include "engine/core/RwRenderState.h"
#include "engine/core/RwTexture.h"
#include "framework/AsciiSerializer.h"
#include "framework/Cast.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "framework/Settings.h"
#include "framework/StringUtil.h"
#include "frontend/FrontEndStates.h"
#include "frontend/cutscenes/CutSceneProps.h"
#include "frontend/story/StoryModeGame.h"
#include "input/InputController.h"
#include "match/FrontEndScreens.h"
#include "menus/LoadingScreen.h"
#include "pitch/CameraControl.h"
#include "pitch/CameraStack.h"
#include "pitch/PitchSimulation.h"
#include "pitch/TBWorld.h"
#include "scene/AnimatedClump.h"
#include "scene/Atmosphere.h"
#include "scene/Camera.h"
#include "scene/GameElementRegistry.h"
#include "scene/GameElements.h"
#include "scene/RenderStateSaver.h"
#include "scene/RwGraphics.h"
#include "scene/ScreenDraw.h"
#include "simulation/Ball.h"
#include "text/TextDisplay.h"
#include "text/TextManager.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace {

constexpr const char* kCutSceneCamera = "CutScene";
constexpr float kLoadingSeconds = 5.0f;
constexpr float kDefaultViewWindow = 0.8f;
// The ball waits out of sight while a cut scene plays.
const Vector3 kBallParking{0.0f, -1000.0f, 0.0f};
// Only the first members' statistics survive the casts' reload.
constexpr size_t kKeptMembers = 10;
// The band behind the newspaper's prompt, and how far it reaches beyond the text in pixels.
const Color kPromptBand{0.0f, 0.0f, 0.0f, 0.55f};
constexpr float kPromptMargin = 6.0f;

bool Pressed(const char* action)
{
    return BufferedInputController::Instance()->GetAction(action, InputController::kPressEdge) != 0.0f;
}

// The newspaper's prompt asks for a key or a button: the menus' two choosing keys and the
// first player's pass key answer it.
bool PromptAnswered()
{
    bool answered = false;
    // Every one is asked every frame, so that each is tracked before the prompt shows.
    for (const char* action : {"(menu):button a", "(menu):button b", "(0):button a"})
        answered = Pressed(action) || answered;
    return answered;
}

SplineCameraControl* ActiveSpline()
{
    CameraStack* cameras = CameraStack::Current();
    return cameras ? dynamic_cast<SplineCameraControl*>(cameras->GetActiveCamera()) : nullptr;
}

PrimaryCamera* Primary()
{
    return RwGraphics::Instance()->GetPrimaryCamera();
}

Cast* ObjectsCast()
{
    return CastManager::Instance()->GetCast("objects");
}

template <class T>
T* FindInCast(Cast* cast, const std::string& name)
{
    CastMember* member = cast ? cast->FindByName(name.c_str()) : nullptr;
    return member ? dynamic_cast<T*>(member->object) : nullptr;
}

// The story team's members and statistics, kept across a reload of the casts.
struct KeptStoryTeam {
    std::vector<TeamDescription::Member> members;
    std::string teamName;
    std::vector<std::array<Statistic, 3>> statistics;

    bool Keep()
    {
        const TeamDescription* team = TeamDescription::Find("Panda01");
        if (!team)
            return false;
        members = team->GetMembers();
        teamName = team->GetTeamName();
        for (size_t i = 0; i < members.size() && i < kKeptMembers; ++i) {
            const CharacterVariation* v = CharacterVariation::Find(members[i].variation);
            statistics.push_back(v ? std::array<Statistic, 3>{v->energy, v->speed, v->shooting}
                                   : std::array<Statistic, 3>{});
        }
        return true;
    }

    void PutBack() const
    {
        TeamDescription* team = TeamDescription::Find("Panda01");
        if (!team)
            return;
        team->GetMembers() = members;
        team->SetTeamName(teamName);
        for (size_t i = 0; i < statistics.size(); ++i)
            if (CharacterVariation* v = CharacterVariation::Find(members[i].variation)) {
                v->energy = statistics[i][0];
                v->speed = statistics[i][1];
                v->shooting = statistics[i][2];
            }
    }
};

[[maybe_unused]] const bool s_cutSceneHook =
    (FrontEndScreens::Get().cutScene = [](const std::string& folder) -> State* { return new CutScenes(folder); }, true);

}  // namespace

CutScenes::CutScenes(const std::string& folder)
    : m_folder(folder), m_scriptPath(folder + kScriptName), m_pageNumber(NewspaperPage::kNoPage)
{
    m_enabled = SettingsManager::Instance()->GetInt("CutScenes") == 1;
    m_outro = EqualsNoCase(folder, kOutroFolder);
    m_primateIntro = !m_outro && EqualsNoCase(folder, kPrimateIntroFolder);
}

CutScenes::CutScenes(const std::string& folder, const std::string& scriptName, int pageNumber)
    : m_folder(folder), m_scriptPath(folder + scriptName), m_pageNumber(NewspaperPage::kNoPage)
{
    m_enabled = SettingsManager::Instance()->GetInt("CutScenes") == 1;
    m_newspaper = EqualsNoCase(folder, Scene::kNewspaperFolder);
    m_happy = EqualsNoCase(scriptName, "script_happy.txt");
    if (m_newspaper) {
        m_pageNumber = pageNumber;
        m_storyRound = StoryModeGame::Instance()->round;
        m_storyLevel = StoryModeGame::Instance()->GetLevelNumber();
    }
}

CutScenes::~CutScenes() = default;

bool CutScenes::ReadScript()
{
    FileSystem* files = FileSystem::Instance();
    File* file = files->OpenRead(m_scriptPath.c_str());
    if (!file) {
        LogError("Could not load from \"%s\"\n", m_scriptPath.c_str());
        return false;
    }
    {
        AsciiSerializer reader(file, false);
        reader.SerializeObject("intro scene", &m_scene);
    }
    files->Close(file);
    return true;
}

void CutScenes::LoadStadium()
{
    std::string levelFolder = "data/pc/" + m_scene.level + "/";
    if (m_newspaper) {
        char name[32];
        std::snprintf(name, sizeof name, "data/pc/level%02d/", m_storyLevel);
        levelFolder = name;
    }
    FileSystem* files = FileSystem::Instance();
    files->RemoveAlias("<LP>");
    files->AddAlias("<LP>", levelFolder.c_str());
    files->RemoveAlias("<SP>");
    files->AddAlias("<SP>", (levelFolder + m_scene.settings + "\\").c_str());
    if (TBWorld* world = PitchSimulation::Instance()->GetWorld()) {
        world->SetNight(m_scene.crossFadeableSkyDome != 0);
        world->Load("<LP>\\Objects\\Level.bsp", "<LP><TP>");
    }
    LoadingScreen::Instance()->Update();
}

void CutScenes::ReloadCastsKeepingStoryTeam()
{
    KeptStoryTeam kept;
    const bool story = StoryModeGame::Instance()->active && kept.Keep();
    if (GameElementRegistry* elements = GameElementRegistry::Current())
        elements->LoadOrSaveCasts(true, true, true);
    if (story)
        kept.PutBack();
    LoadingScreen::Instance()->Update();
}

void CutScenes::MakeNewspaperPage()
{
    const std::string image = NewspaperPage::ImageName(m_storyRound, m_pageNumber);
    if (!m_newspaper || image.empty())
        return;
    m_page = std::make_unique<NewspaperPage>(1024, 1024);
    m_page->DrawImage(image, 0.0f, 0.0f, 1.0f, 1.0f);
    for (const auto& actor : m_scene.Actors())
        if ((actor->GetName() == "newspaper" || actor->GetName() == "plate") && actor->GetClump())
            m_page->ApplyToClump(*actor->GetClump());
}

void CutScenes::MakeParticleDriver()
{
    auto* element = FindInCast<GeParticleSystem>(ObjectsCast(), "referee_particles");
    if (!m_outro || !element || !element->GetParticleSystem())
        return;
    const std::string props = "<PP>\\cutscenes\\Outro\\Props\\";
    m_particles = std::make_unique<OutroParticleDriver>();
    m_particles->Init(element->GetParticleSystem(), props + "s17_emitter", props + "s17_controller");
    element->GetParticleSystem()->SetEmitterSpeed(0.0f);
}

void CutScenes::Enter()
{
    if (!m_enabled)
        return;
    LoadingScreen* loading = LoadingScreen::Instance();
    loading->Show(kLoadingSeconds, false);
    loading->Update();
    if (ReadScript()) {
        PitchSimulation* pitch = PitchSimulation::Instance();
        if (m_newspaper || m_outro)
            m_team = pitch->GetTeam(0);
        m_scene.Init(m_folder, m_team);
        loading->Update();
        LoadStadium();
        ReloadCastsKeepingStoryTeam();
        pitch->SetHudElements(0);
        if (Ball* ball = pitch->GetBall()) {
            ball->SetPosition(kBallParking);
            ball->Update(1.0f);
        }
        if (CameraStack* cameras = CameraStack::Current()) {
            cameras->PushCamera(kCutSceneCamera);
            m_cameraPushed = true;
        }
        MakeNewspaperPage();
        MakeParticleDriver();
    }
    m_shotIndex = -1;
    m_shotTime = m_shotDuration = 0.0f;
    m_replaySpeed = 1.0f;
    // Without a script or shots there is no current shot: the scene ends at its first update.
    loading->Finish();
    AdvanceShot();
}

void CutScenes::Exit()
{
    if (!m_enabled)
        return;
    if (TBWorld* world = PitchSimulation::Instance()->GetWorld())
        world->SetNight(false);
    if (PrimaryCamera* camera = Primary())
        camera->SetViewWindow(kDefaultViewWindow, kDefaultViewWindow);
    if (m_cameraPushed) {
        // The shots' camera clumps go with the scene.
        if (SplineCameraControl* spline = ActiveSpline())
            spline->SetClump(nullptr);
        if (CameraStack* cameras = CameraStack::Current())
            cameras->PopCamera();
        m_cameraPushed = false;
    }
    m_page.reset();
    if (m_musicStarted)
        TBMusic::Instance()->StopMusic();
}

bool CutScenes::NextShot(const std::vector<float>& durations, int& index, float& time, float& duration)
{
    do {
        time -= duration;
        ++index;
        if (index >= static_cast<int>(durations.size()))
            return false;
        duration = durations[static_cast<size_t>(index)];
    } while (duration < time);
    return true;
}

bool CutScenes::AdvanceShot()
{
    std::vector<float> durations;
    for (const auto& shot : m_scene.Shots())
        durations.push_back(shot->GetDuration());
    if (!NextShot(durations, m_shotIndex, m_shotTime, m_shotDuration))
        return false;
    StartShot(m_shotIndex, m_shotTime);
    if (m_newspaper && m_shotIndex == kNewspaperPromptShot)
        m_waitingForButton = true;
    return true;
}

SceneShot* CutScenes::CurrentShot() const
{
    const auto& shots = m_scene.Shots();
    if (m_shotIndex < 0 || m_shotIndex >= static_cast<int>(shots.size()))
        return nullptr;
    return shots[static_cast<size_t>(m_shotIndex)].get();
}

void CutScenes::StartShot(int index, float time)
{
    SceneShot& shot = *m_scene.Shots()[static_cast<size_t>(index)];
    for (const auto& anim : shot.ActorAnims())
        if (AnimatedClump* clump = anim->GetSceneActor() ? anim->GetSceneActor()->GetClump() : nullptr) {
            clump->SetAnimation(anim->GetAnimationIndex(), 0.0f);
            clump->SetTime(time);
        }
    m_replaySpeed = shot.replaySpeed;
    if (SplineCameraControl* spline = ActiveSpline()) {
        if (shot.GetCameraClump())
            spline->SetClump(shot.GetCameraClump());
        spline->SetAnimation(shot.TakeCameraAnimation());
        spline->SetSpeed(m_replaySpeed);
    }
    TBWorld* world = PitchSimulation::Instance()->GetWorld();
    Fog* fog = world ? world->GetFog() : nullptr;
    if (!fog)
        return;
    fog->density = shot.fogDensity;
    fog->distance = shot.fogDistance;
    if (PrimaryCamera* camera = Primary()) {
        camera->SetClipPlanes(shot.nearClip, shot.farClip);
        camera->SetViewWindow(shot.cameraFov, shot.cameraFov);
    }
}

int CutScenes::GetSoundtrack() const
{
    if (m_newspaper)
        return m_happy ? 3 : 4;
    if (m_outro)
        return 2;
    return m_primateIntro ? 1 : 0;
}

bool CutScenes::HandleKeys()
{
    const bool answered = PromptAnswered();
    if (m_waitingForButton) {
        if (answered) {
            m_waitingForButton = false;
            m_skippable = false;
            // The prompt's shot plays on from where it was held.
            m_forceAdvance = false;
        }
        return true;
    }
    if (!m_skippable || !Pressed("any key press"))
        return true;
    if (!m_newspaper)
        return false;
    // The next step starts the shot that waits for the button.
    m_shotIndex = kNewspaperPromptShot - 1;
    m_forceAdvance = true;
    m_shotTime = m_shotDuration;
    return true;
}

State* CutScenes::Update(float dt)
{
    if (!m_enabled || !CurrentShot())
        return nullptr;
    if (!m_musicStarted) {
        TBMusic::Instance()->PlaySoundtrack(GetSoundtrack());
        m_musicStarted = true;
    }
    const float step = dt * m_replaySpeed;
    if (!HandleKeys())
        return nullptr;
    if (!m_waitingForButton) {
        m_shotTime += step;
        if (m_shotTime > m_shotDuration || m_forceAdvance) {
            m_forceAdvance = false;
            if (!AdvanceShot())
                return nullptr;
        }
        if (TBWorld* world = PitchSimulation::Instance()->GetWorld())
            world->Update(step);
        UpdateShot(m_shotIndex, m_shotTime, step);
    }
    if (m_outro && m_particles && m_shotIndex == kOutroParticleShot)
        m_particles->Update(step);
    return this;
}

float CutScenes::IdleTime(int j, float shotTime, float idleDuration)
{
    float t = (shotTime + 0.7543f * static_cast<float>(j)) * (static_cast<float>(j) + 7.0f) * 0.1f;
    if (idleDuration > 0.0f)
        while (idleDuration < t)
            t -= idleDuration;
    return t;
}

void CutScenes::UpdateShot(int index, float time, float step)
{
    const auto& anims = m_scene.Shots()[static_cast<size_t>(index)]->ActorAnims();
    for (size_t j = 0; j < anims.size(); ++j) {
        const ActorAnim& anim = *anims[j];
        AnimatedClump* clump = anim.GetSceneActor() ? anim.GetSceneActor()->GetClump() : nullptr;
        if (!clump)
            continue;
        const float t = anim.IsIdle() ? IdleTime(static_cast<int>(j), time, anim.GetAnimationDuration()) : time;
        // Placed before its update, which is what moves the model: a shot that holds (the
        // newspaper's prompt) shows the actor where its locator put it.
        if (Locator* locator = anim.GetLocator()) {
            locator->SetTime(t);
            locator->Update(step);
            clump->SetPosition(locator->GetPosition());
            clump->SetRotation(locator->GetRotation());
        }
        clump->SetTime(t);
        clump->Update(step);
    }
}

float CutScenes::FadeFactor(const SceneFade& fade, float shotTime, float shotDuration)
{
    if (fade.fadeType == 0)
        return 0.0f;
    const float x = fade.fadeType % 2 == 1 ? shotTime : shotDuration - shotTime;
    const float s = std::min(fade.fadeStart, fade.fadeEnd), e = std::max(fade.fadeStart, fade.fadeEnd);
    if (x < s)
        return 1.0f;
    // A ramp of no length is a cut: from its time on the fade is over (no 0 / 0).
    if (x >= e)
        return 0.0f;
    return (e - x) / (e - s);
}

void CutScenes::ApplyFades()
{
    SceneShot* shot = CurrentShot();
    TBWorld* world = PitchSimulation::Instance()->GetWorld();
    for (const auto& fade : shot->Fades()) {
        if (fade->fadeType == 0)
            continue;
        fade->factor = FadeFactor(*fade, m_shotTime, m_shotDuration);
        switch (fade->fadeType) {
        case 3:
        case 4:
            if (world)
                world->SetSkyValue(fade->factor);
            break;
        case 5:
        case 6:
            if (auto* element = FindInCast<ClumpElement>(ObjectsCast(), fade->fadeObjName))
                element->SetTransparency(fade->factor);
            break;
        case 7:
        case 8:
            for (const auto& actor : m_scene.Actors())
                if (actor->GetName() == fade->fadeObjName && actor->GetClump())
                    actor->GetClump()->SetAlpha(fade->factor);
            break;
        default:
            break;
        }
    }
}

std::vector<int> CutScenes::GetRaceHiddenAtomics(const std::string& race)
{
    if (race == "Panda")
        return {0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    if (race == "Lizard" || race == "Primate" || race == "Rhino")
        return {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    return {};
}

void CutScenes::RenderShotActors(int index)
{
    for (const auto& anim : m_scene.Shots()[static_cast<size_t>(index)]->ActorAnims()) {
        SceneActor* actor = anim->GetSceneActor();
        AnimatedClump* clump = actor ? actor->GetClump() : nullptr;
        if (!clump)
            continue;
        const std::vector<int> kept = clump->GetInvisibleAtomics();
        clump->ExcludeFromBounds(actor->GetInvisibleAtomics());
        if (!anim->GetInvisibleAtomics().empty())
            clump->ExcludeFromBounds(GetRaceHiddenAtomics(actor->GetRaceName()));
        clump->Render();
        clump->SetInvisibleAtomics(kept);
    }
}

void CutScenes::DrawFadeOverlay(const Color& colour, int mode)
{
    PrimaryCamera* camera = Primary();
    // A clear overlay, blended or added, would leave every pixel of the screen as it was: a
    // shot's fade stays at nothing for the rest of the shot once its ramp is over.
    if (!camera || (colour.a <= 0.0f && (mode == 0 || mode == 1)))
        return;
    RenderStateSaver states;
    states.Set(rwRenderStateShadeMode, rwShadeFlat);
    states.Set(rwRenderStateTextureRaster, 0);
    if (mode == 0 || mode == 1) {
        states.Set(rwRenderStateSrcBlend, rwBlendSrcAlpha);
        states.Set(rwRenderStateDestBlend, mode == 0 ? rwBlendInvSrcAlpha : rwBlendOne);
    }
    states.Set(rwRenderStateVertexAlphaEnable, 1);
    states.Set(rwRenderStateTextureAddress, rwTextureAddressWrap);
    states.Set(rwRenderStateZWriteEnable, 0);
    states.Set(rwRenderStateZTestEnable, 0);
    const bool own = GetDraw2DStates();
    SetDraw2DStates(false);
    DrawBlendedRect({0.0f, 0.0f, camera->GetWidth(), camera->GetHeight()}, colour);
    SetDraw2DStates(own);
    states.Restore();
}

void CutScenes::Render()
{
    if (!m_enabled || !CurrentShot())
        return;
    ApplyFades();
    PitchSimulation* pitch = PitchSimulation::Instance();
    if (TBWorld* world = pitch->GetWorld())
        world->Render();
    if (Ball* ball = pitch->GetBall())
        ball->Render();
    RenderShotActors(m_shotIndex);
    for (const auto& fade : CurrentShot()->Fades())
        if (fade->fadeType == 1 || fade->fadeType == 2)
            DrawFadeOverlay({fade->fadeColor.r, fade->fadeColor.g, fade->fadeColor.b, fade->fadeColor.a * fade->factor},
                            fade->fadeTransType);
    if (m_waitingForButton)
        DrawPrompt();
}

std::string CutScenes::PromptMarkup()
{
    return "<font menu><halign center><valign bottom><scale 0.75>" + TextManager::Instance()->GetText(kPromptText) +
           "</scale></valign></halign></font>";
}

void CutScenes::DrawPrompt()
{
    const std::string prompt = PromptMarkup();
    TextDisplay* text = TextDisplay::Instance();
    TextRect area;
    text->MeasureText(area, prompt);
    // On a dark band: white letters over the pitch's white lines would be lost.
    DrawBlendedRect({area.x - kPromptMargin, area.y - kPromptMargin, area.width + 2 * kPromptMargin,
                     area.height + 2 * kPromptMargin},
                    kPromptBand);
    text->Print(prompt);
}
