#include "game/GameTB.h"

#include "audio/SampleManager.h"
#include "audio/SfxLoaderUtil.h"
#include "audio/SoundEngine.h"
#include "audio/TBMusic.h"
#include "engine/core/RwCore.h"
#include "framework/Cast.h"
#include "framework/Debug.h"
#include "framework/DebugDisplay.h"
#include "framework/FileSystem.h"
#include "framework/MemTrack.h"
#include "framework/ObjectsBrowser.h"
#include "framework/Registration.h"
#include "framework/Settings.h"
#include "framework/State.h"
#include "framework/StringUtil.h"
#include "frontend/story/StoryModeGame.h"
#include "frontend/story/StorySaveGame.h"
#include "input/ConfigurableInputMapper.h"
#include "input/InputMappers.h"
#include "input/PlatformInputDevices.h"
#include "match/FrontEndScreens.h"
#include "match/ObjectSettings.h"
#include "menus/LoadingScreen.h"
#include "menus/Menu.h"
#include "pitch/CameraControl.h"
#include "pitch/PitchSimulation.h"
#include "pitch/TBWorld.h"
#include "platform/Events.h"
#include "scene/Camera.h"
#include "scene/EngineUtil.h"
#include "scene/GameElement.h"
#include "scene/HudItems.h"
#include "scene/Immediate3DCache.h"
#include "scene/Light.h"
#include "scene/ProjectedShadow.h"
#include "scene/RwGraphics.h"
#include "scene/Texture.h"
#include "scene/World.h"
#include "settings/GameParameters.h"
#include "settings/PitchCoordinates.h"
#include "simulation/Ball.h"
#include "simulation/CollisionManager.h"
#include "simulation/ShapeCollision.h"
#include "text/Font.h"
#include "text/GameText.h"
#include "text/TextDisplay.h"
#include "text/TextManager.h"

#include <cstdio>
#include <strings.h>

REGISTER_FACTORY(GameStates, GameTB);

int GameTB::s_screenshotCounter = 1;

namespace {

GameTB* s_game = nullptr;

constexpr float kLoadingSeconds = 1.0f;
constexpr uint32_t kLightFlags = 0x103;
constexpr int kClearColourAndDepth = 3;
const char* const kCopyFile = "__temp__.txt";
const char* const kInputsFile = "data\\Savegames\\inputs.txt";

float Action(const char* name, int mode)
{
    return BufferedInputController::Instance()->GetAction(name, mode);
}

// One device's mapper in the watches window: who claims it and which bound actions are held.
class InputMapperWatch : public WatchData {
public:
    InputMapperWatch(ConfigurableInputMapper* mapper, const std::string& watchName) : m_mapper(mapper)
    {
        name = watchName;
    }

    void GetText(std::string& out) override
    {
        out = FormatString("claimed %d %d, shared %d, held:", m_mapper->IsClaimed(0) ? 1 : 0,
                           m_mapper->IsClaimed(1) ? 1 : 0, m_mapper->IsShared() ? 1 : 0);
        for (const auto& [action, input] : m_mapper->GetBindings())
            if (input != ConfigurableInputMapper::kUnbound && m_mapper->ReadInput(input) != 0.0f)
                out += " " + action;
    }

    bool HasChanged() override
    {
        std::string now;
        GetText(now);
        const bool changed = now != m_last;
        m_last.swap(now);
        return changed;
    }

private:
    ConfigurableInputMapper* m_mapper;
    std::string m_last;
};

}  // namespace

GameTB::GameTB() : m_clearColor(Color::OpaqueBlack)
{
    s_game = this;
    CameraStack::SetCurrent(&m_cameras);
    GameElementRegistry::SetCurrent(&m_elements);
}

GameTB::~GameTB()
{
    StateSlot::Set(&m_state, nullptr, false);
    DestroyObjectsBrowser();
    if (s_game == this)
        s_game = nullptr;
}

GameTB* GameTB::Current()
{
    return s_game;
}

void GameTB::AddOwnedObject(Object* object)
{
    if (object)
        m_startupObjects.emplace_back(object);
}

// Only the editor frame shows a browser; without it the game runs with none.
void GameTB::CreateObjectsBrowser()
{
    if (const BrowserMaker& make = GetBrowserMaker())
        m_ownBrowser = make();
    m_elements.SetObjectsBrowser(m_ownBrowser.get());
}

void GameTB::DestroyObjectsBrowser()
{
    m_elements.SetObjectsBrowser(nullptr);
    m_ownBrowser.reset();
}

void GameTB::SetCurrentState(State* state)
{
    StateSlot::Set(&m_state, state, state != nullptr);
}

int GameTB::OnMessage(int message, intptr_t param)
{
    if (message == MessageServer::Instance()->RegisterMessage("delete game element") && param)
        m_elements.RequestDeletion(reinterpret_cast<GameElement*>(param));
    return 0;
}

void GameTB::ReadGameSize()
{
    static const char* const kSizes[] = {"XS", "XL", "XXL"};
    const std::string size = SettingsManager::Instance()->GetString("GameSize");
    for (int i = 0; i < 3; ++i) {
        if (strcasecmp(size.c_str(), kSizes[i]) == 0) {
            m_gameSize = i;
            m_gameSizeKnown = true;
            return;
        }
    }
    LogWarning("GameTB::Enter: No game size set/invalid size (\"%s\"); using XS\n", size.c_str());
    m_gameSize = 0;
}

void GameTB::StartSound()
{
    SoundEngine* sound = SoundEngine::Instance();
    sound->Init();
    sound->ResizeListenerPoints(1);
    sound->SetEnabled(SettingsManager::Instance()->GetInt("sound") != 0 && SampleManager::Instance()->IsInitialised());
    const std::string folder = TBMusic::GetSizeFolder();
    const std::string data = FormatString("<PP>Audio\\%s\\Data\\", folder.c_str());
    SfxLoaderUtil::LoadSoundEffects(FormatString("<PP>Audio\\%s\\Definitions\\menu.txt", folder.c_str()), data);
    SfxLoaderUtil::LoadSoundEffects(FormatString("<PP>Audio\\%s\\Definitions\\game.txt", folder.c_str()), data);
}

void GameTB::LoadTextTable()
{
    TextManager::Instance()->LoadTextFile(
        gametext::TextTableFor(SettingsManager::Instance()->GetString("GameSize")).c_str());
}

void GameTB::CreateInputs()
{
    m_inputMapper = std::make_unique<InputMapperGameTB>();
    BufferedInputController::Instance()->RegisterInputMapper(m_inputMapper.get());
    Cast* inputs = CastManager::Instance()->CreateCast("inputs");
    PlatformInputDevices* devices = PlatformInputDevices::Instance();
    for (int i = 0; i < devices->GetNumDevices(); ++i) {
        ConfigurableInputMapper* mapper = devices->GetInputMapper(i);
        const std::string name = FormatString("input(%d)", i);
        // Removed with every other watch by Exit, before the devices could go.
        Debug::Instance()->AddWatchData(new InputMapperWatch(mapper, name), name.c_str());
        inputs->AddMember(mapper, name.c_str(), false);
        BufferedInputController::Instance()->RegisterInputMapper(mapper);
    }
    // A first run has no file: the defaults stand.
    if (FileSystem::Instance()->FileExists(kInputsFile))
        LoadPlayerSettings(inputs, kInputsFile);
}

void GameTB::CreateLights()
{
    World* world = RwGraphics::Instance()->GetWorld();
    Cast* display = CastManager::Instance()->GetCast("display");
    const auto add = [&](std::unique_ptr<Light> light, const char* name) {
        light->SetName(name);
        light->SetFlags(kLightFlags);
        if (world)
            world->AddLight(light.get());
        if (display)
            display->AddMember(light.get(), name, false);
        m_lights.push_back(std::move(light));
    };
    auto ambient = std::make_unique<AmbientLight>();
    ambient->Create();
    add(std::move(ambient), "Ambient Light");
    for (const char* name : {"Directional Light", "Directional Light Objects"}) {
        auto directional = std::make_unique<DirectionalLight>();
        directional->Create();
        add(std::move(directional), name);
    }
}

void GameTB::CreateSubCameras()
{
    PrimaryCamera* primary = RwGraphics::Instance()->GetPrimaryCamera();
    if (GameParameters::Instance()->playerCount != 2 || !primary || m_subCameras[0] || m_subCameras[1])
        return;
    const CameraRect rects[2] = {{0.0f, 0.0f, 1.0f, 0.5f}, {0.0f, 0.5f, 1.0f, 0.5f}};
    float x = 0, y = 0, nearClip = 0, farClip = 0;
    primary->GetViewWindow(x, y);
    primary->GetClipPlanes(nearClip, farClip);
    for (int i = 0; i < 2; ++i) {
        auto sub = std::make_unique<SubCamera>();
        if (!sub->Create(primary, rects[i], false))
            continue;
        sub->SetViewWindow(x, y * 0.5f);
        sub->SetClipPlanes(nearClip, farClip);
        m_subCameras[i] = std::move(sub);
    }
}

void GameTB::StartFirstState()
{
    State* menu = FrontEndScreens::Menu("main");
    State* first =
        m_gameSize == 2 ? new IteratingState(FrontEndScreens::CutScene("<PP>cutScenes\\primate_intro\\"), menu) : menu;
    SetCurrentState(first);
}

void GameTB::StartDrawingServices()
{
    TextureManager::Instance()->Initialise();
    if (SettingsManager::Instance()->GetBool("fastLoading") &&
        TextureManager::Instance()->ReadDictionary("<LP>\\textures.dict"))
        LogMessage("Texture Dictionary: Read <LP>\\textures.dict\n");
    LoadTextTable();
    TextDisplay::Instance()->Init();
    Immediate3DCache::Instance()->Initialise();
}

void GameTB::SetUpView()
{
    RwGraphics* graphics = RwGraphics::Instance();
    graphics->SetWorld(PitchSimulation::Instance()->GetWorld());
    CreateLights();
    graphics->SetCamera(graphics->GetPrimaryCamera());
    m_cameras.PushCamera("StandardMedium");
    if (CameraControl* active = m_cameras.GetActiveCamera())
        active->Activate();
    CreateSubCameras();
}

bool GameTB::Enter()
{
    MemTrack::SetPhase(2);
    ReadGameSize();
    TBMusic::SetGameSizeSource([this] { return m_gameSize; });
    LoadingScreen::Instance()->Show(kLoadingSeconds, true);
    CreateSettingsCasts();
    if (!m_elements.GetObjectsBrowser())
        CreateObjectsBrowser();
    StartSound();
    StartDrawingServices();
    GameParameters::Instance()->playerCount = 1;
    m_clearColor = Color::OpaqueBlack;
    m_listenerId = MessageServer::Instance()->RegisterListener(this, 0);

    PitchSimulation* pitch = PitchSimulation::Instance();
    pitch->SetupMatch();
    CreateInputs();
    PitchSimulation::SetPitchAxes(Vector3(-1, 0, 0), Vector3(0, 1, 0), Vector3(0, 0, -1));
    PitchSimulation::SetPitchExtents(Vector3(0, 0, 0), PitchFrame::kHalfWidth, PitchFrame::kHalfWidth,
                                     PitchFrame::kHalfLength, PitchFrame::kHalfLength);
    gametext::CreateFonts(m_fonts);
    SetUpView();

    m_elements.LoadOrSaveCasts(true, true, true);
    StorySaveGame::Instance()->LoadTable();
    CastManager::Instance()->Dump();
    m_elements.RefreshObjectsBrowser();
    ShapeCollisionTable::Init();
    SetCameraTarget(pitch->GetBall());

    const int devices = PlatformInputDevices::Instance()->GetNumDevices();
    GameParameters::Instance()->deviceCount = devices;
    Menu::Instance()->SetVariable("%numOfDevices%", std::to_string(devices - 1));
    FrontEndScreens::ApplyOptions(true);
    StartFirstState();
    // Every picture's camera is placed before the play casts the shadows, and looks again at
    // those it did not see as it begins.
    ProjectedShadow::SetCullOutsideView(true);
    m_entered = true;
    return true;
}

void GameTB::DestroyLights()
{
    World* world = RwGraphics::Instance()->GetWorld();
    std::vector<std::unique_ptr<Light>> lights;
    lights.swap(m_lights);
    for (auto& light : lights) {
        if (world)
            world->RemoveLight(light.get());
    }
}

void GameTB::ReleaseGameObjects()
{
    // The browser's windows go before the objects they show.
    DestroyObjectsBrowser();
    // A loaded stadium lists the lights of the casts: it lets go of them while they live.
    if (TBWorld* world = PitchSimulation::Instance()->GetWorld())
        world->Unload();
    m_elements.ReleaseAll();
}

void GameTB::ShutDownServices()
{
    TextureManager::Instance()->Shutdown();
    CastManager::Instance()->DeleteAll();
    DebugDisplay::Instance()->Clear();
    Immediate3DCache::Instance()->Shutdown();
    TextManager::Instance()->Clear();
    SoundEngine::Instance()->Exit();
    // A later start in this process loads them again.
    SoundEngine::Instance()->ClearAudioEvents();
    Debug::Instance()->RemoveAllWatches();
    MessageServer::Instance()->Clear();
    TBMusic::SetGameSizeSource(nullptr);
    CollisionManager* collisions = CollisionManager::Instance();
    for (const char* set : {"characters+ball", "ball+pitchvolumes", "characters+pitchvolumes"})
        collisions->RemoveCollisionSet(set);
}

bool GameTB::Exit()
{
    m_entered = false;
    ProjectedShadow::SetCullOutsideView(false);
    LoadingScreen::Instance()->Hide();
    SetCurrentState(nullptr);
    ReleaseGameObjects();
    FileSystem::Instance()->RemoveAlias("<LP>");
    if (CameraControl* active = m_cameras.GetActiveCamera())
        active->Deactivate();
    DestroyLights();
    RwGraphics::Instance()->SetWorld(nullptr);

    SetCameraTarget(nullptr);
    PitchSimulation::Instance()->DestroyMatch();
    for (auto& sub : m_subCameras)
        sub.reset();
    TextDisplay::Instance()->Reset();
    m_fonts.clear();
    m_startupObjects.clear();
    CastManager::Instance()->DeleteAll();

    BufferedInputController::Instance()->UnregisterInputMapper(m_inputMapper.get());
    m_inputMapper.reset();
    m_cameras.Clear();
    MessageServer::Instance()->UnregisterListener(this, 0);
    ShutDownServices();
    MemTrack::ReportUnfreed(2);
    return true;
}

void GameTB::Update(float dt)
{
    if (!m_entered)
        return;
    // File reads are synchronous: nothing waits to be completed here.
    ReturnToMenuWhenAsked();
    RwGraphics* graphics = RwGraphics::Instance();
    if (CameraControl* active = m_cameras.GetActiveCamera()) {
        active->Update(dt);
        if (Camera* camera = graphics->GetCamera())
            active->ApplyToFrame(camera->GetFrame());
    }
    SoundEngine* sound = SoundEngine::Instance();
    if (Ball* ball = PitchSimulation::Instance()->GetBall()) {
        const Vector3& at = ball->GetPosition();
        sound->SetListenerPoint(0, {static_cast<int>(at.x), static_cast<int>(at.z)});
    }
    sound->Update(dt);
    const size_t cameraDepth = m_cameras.GetCameraStack().size();
    StateSlot::Update(&m_state, dt);
    // A state that just popped its camera may have done so for the same key.
    if (m_cameras.GetCameraStack().size() == cameraDepth)
        m_cameras.HandleCameraKeys();
    m_elements.DeletePendingElements();
    ReadCheatKeys();
    // A menu that ended itself asking for the main menu leaves the slot empty.
    if (!m_state)
        ReturnToMenuWhenAsked();
    // Nothing left to play: the program ends as when its window is closed.
    if (!m_state) {
        LogMessage("CloseRenderWindow\n");
        platform::RequestQuit();
    }
}

void GameTB::ReadCheatKeys()
{
    if (Action("cheat outro", 1) != 0.0f)
        SetCurrentState(new IteratingState(
            new IteratingState(FrontEndScreens::BareLoading(), FrontEndScreens::CutScene("<PP>cutScenes\\Outro\\")),
            FrontEndScreens::Menu("main")));
    if (Action("cheat quit", 1) != 0.0f)
        SetCurrentState(FrontEndScreens::Menu("main"));
}

void GameTB::ReturnToMenuWhenAsked()
{
    if (!m_returnToMenu)
        return;
    SetCurrentState(FrontEndScreens::Menu("main"));
    // Under its own team name: the record's object name ("SaveGame") is no name to show.
    StoryModeGame* career = StoryModeGame::Instance();
    career->NewGame(career->GetTeamName());
    m_returnToMenu = false;
}

void GameTB::RenderPlayers()
{
    RwGraphics* graphics = RwGraphics::Instance();
    PrimaryCamera* primary = graphics->GetPrimaryCamera();
    const int players = GameParameters::Instance()->playerCount;
    // Enter counts one player before it looks for two: a second player who joins later gets
    // the split screen here.
    CreateSubCameras();
    for (int p = 0; p < players; ++p) {
        Camera* camera = primary;
        // Split screen draws only into the sub-cameras that could be made.
        if (players >= 2)
            camera = p < 2 ? m_subCameras[p].get() : nullptr;
        if (!camera)
            continue;
        graphics->SetCamera(camera);
        if (CameraControl* active = m_cameras.GetActiveCamera())
            active->ApplyToFrame(camera->GetFrame());
        if (!camera->BeginUpdate())
            return;
        TextDisplay::Instance()->SetGlobalScale(1.0f, 1.0f);
        if (World* world = graphics->GetWorld()) {
            std::vector<bool> states;
            world->SaveLightStates(states);
            world->DisableLights();
            world->ReattachLights();
            world->RestoreLightStates(states);
            world->ReattachLights();
        }
        if (m_state)
            m_state->Render();
        RwRenderStateSet(rwRenderStateFogEnable, 0);
        DebugDisplay::Instance()->Render();
        if (players >= 2)
            camera->EndUpdate();
    }
    if (players < 2 && primary)
        primary->EndUpdate();
    graphics->SetCamera(primary);
    graphics->Render();
}

void GameTB::TakeScreenshot()
{
    PrimaryCamera* primary = RwGraphics::Instance()->GetPrimaryCamera();
    if (!primary)
        return;
    RwImage* image = EngineUtil::GrabCameraRaster(primary->GetRwCamera());
    if (!image) {
        LogWarning("GameTB::Render: the screenshot could not be taken\n");
        return;
    }
    const std::string file = FormatString("Turfbolt - %04d.tga", s_screenshotCounter);
    if (!EngineUtil::SaveImage(image, file.c_str()))
        LogWarning("GameTB::Render: could not write %s\n", file.c_str());
    RwImageDestroy(image);
    ++s_screenshotCounter;
}

void GameTB::Render()
{
    if (!m_entered)
        return;
    RwGraphics* graphics = RwGraphics::Instance();
    PrimaryCamera* primary = graphics->GetPrimaryCamera();
    Camera* current = graphics->GetCamera();
    if (!primary || !current)
        return;
    const float width = current->GetWidth(), height = current->GetHeight();
    TextDisplay::Instance()->SetArea({0.0f, 0.0f, width, height});
    HudItem::SetScreenSize(static_cast<int>(width), static_cast<int>(height));
    FrontEndScreens::SetScreenSize(static_cast<int>(width), static_cast<int>(height));
    graphics->BeginRender();
    const float black[4] = {m_clearColor.r, m_clearColor.g, m_clearColor.b, m_clearColor.a};
    primary->Clear(black, kClearColourAndDepth);
    RenderPlayers();
    if (s_inMatch && Action("screenshot", 0) != 0.0f)
        m_screenshotRequested = !m_screenshotRequested;
    if (m_screenshotRequested)
        TakeScreenshot();
    m_screenshotRequested = false;
}

int GameTB::HandleEvent(const char* event, intptr_t p1, intptr_t p2)
{
    if (!event)
        return 0;
    const std::string name = event;
    auto* object = reinterpret_cast<Object*>(p1);
    ObjectsBrowser* browser = m_elements.GetObjectsBrowser();
    if (name == "show objectsettings") {
        if (browser)
            browser->Show();
    } else if (name == "load settings") {
        m_elements.LoadOrSaveCasts(true, true, true);
    } else if (name == "save settings") {
        m_elements.LoadOrSaveCasts(false, true, true);
    } else if (name == "reload text") {
        TextManager::Instance()->Clear();
        LoadTextTable();
    } else if (name == "reset") {
        ResetObjects();
    } else if (name == "rename object") {
        // The browser keeps its new label only on a non-zero answer.
        return m_elements.RenameObject(object, reinterpret_cast<const char*>(p2)) ? 1 : 0;
    } else if (name == "paste settings") {
        LoadObjectSettings(kCopyFile, object);
    } else if (name == "copy settings") {
        SaveObjectSettings(kCopyFile, object, reinterpret_cast<const char*>(p2));
    } else if (name == "select gameelement") {
        if (browser)
            browser->SelectObject(object);
    } else if (name == "create game element") {
        m_elements.CreateGameElement(reinterpret_cast<const char*>(p1), nullptr, false);
    } else if (name == "delete object") {
        if (auto* element = dynamic_cast<GameElement*>(object))
            m_elements.DeleteGameElement(element);
        else
            LogMessageBox("only game elements!");
    } else if (name == "Print Current Usage") {
        MemTrack::WriteAllocations(-1);
    } else if (name == "Print Subtotaled Usage") {
        MemTrack::WriteSummary();
    }
    // The browser's "clone object", "import settings" and "export settings" have no answer:
    // the object and the scratch file stay as they are.
    return 0;
}
