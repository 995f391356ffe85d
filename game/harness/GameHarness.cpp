#include "game/harness/GameHarness.h"

#include "characters/Actor.h"
#include "characters/Character.h"
#include "characters/Team.h"
#include "engine/core/RwCore.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "framework/Random.h"
#include "framework/Settings.h"
#include "framework/State.h"
#include "framework/TimeInfo.h"
#include "game/GameTB.h"
#include "pitch/CameraControl.h"
#include "pitch/PitchSimulation.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "simulation/Ball.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>

namespace {

const char* const kConfigFile = "harness_config.txt";

bool Finite(const Vector3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

std::string Describe(const Vector3& v)
{
    char text[96];
    std::snprintf(text, sizeof text, "(%g, %g, %g)", v.x, v.y, v.z);
    return text;
}

}  // namespace

float HarnessInputScript::GetValue(const std::string& name)
{
    bool anyPress = false;
    for (const Entry& entry : m_entries) {
        if (entry.frame != m_frame)
            continue;
        if (entry.action == name)
            return entry.value;
        anyPress = true;
    }
    if (name == "any key press")
        return anyPress ? 1.0f : 0.0f;
    return kUnknown;
}

void HarnessInputScript::Press(int frame, const std::string& action, float value)
{
    m_entries.push_back({frame, action, value});
}

void HarnessInputScript::SetFrame(int frame)
{
    // Kept, they would grow with every match of a long run and be searched on every read.
    std::erase_if(m_entries, [frame](const Entry& entry) { return entry.frame < frame; });
    m_frame = frame;
}

int MessageTap::OnMessage(int message, intptr_t param)
{
    const char* name = MessageServer::Instance()->GetMessageName(message);
    char line[256];
    std::snprintf(line, sizeof line, "frame %d t=%.3f %s %#lx", m_frame, m_seconds, name ? name : "?",
                  static_cast<unsigned long>(param));
    m_lines.emplace_back(line);
    return 0;
}

GameHarness::GameHarness(platform::Window* window, std::string archive, RwDeviceKind device)
    : m_window(window), m_archive(std::move(archive)), m_device(device)
{
}

GameHarness::~GameHarness()
{
    Stop();
    if (m_rendererStarted)
        RwGraphics::Instance()->Destroy();
}

bool GameHarness::MountData()
{
    FileSystem* files = FileSystem::Instance();
    if (!m_archive.empty() && !files->AddDataFile(m_archive.c_str(), false)) {
        std::fprintf(stderr, "GameHarness: cannot mount %s\n", m_archive.c_str());
        return false;
    }
    for (const char* alias : {"<PP>", "<TP>", "<LP>", "<SP>"})
        files->RemoveAlias(alias);
    // As the program registers them; "<LP>" and "<SP>" come with a match's level.
    files->AddAlias("<PP>", "data\\pc\\");
    files->AddAlias("<TP>", "Textures24Bit\\");
    return true;
}

bool GameHarness::Start(const std::string& gameSize, bool cutScenes)
{
    if (!MountData())
        return false;
    {
        std::ofstream config(kConfigFile);
        config << "GameSize " << gameSize << "\nsound 0\nCutScenes " << (cutScenes ? 1 : 0) << "\nTestCheats 1\n";
    }
    SettingsManager* settings = SettingsManager::Instance();
    settings->UnloadAll();
    // The first file loaded wins: the test values over the shipped configuration.
    settings->LoadSettings(kConfigFile);
    settings->LoadSettings("data\\pc\\config.txt");

    RwGraphics* graphics = RwGraphics::Instance();
    if (!graphics->IsInitialised()) {
        graphics->SetDeviceKind(m_device);
        graphics->SetScreenSize(800, 600);
        if (!m_window || !graphics->Initialise(m_window)) {
            std::fprintf(stderr, "GameHarness: the renderer does not start\n");
            return false;
        }
        m_rendererStarted = true;
    }
    Random::Seed(kSeed);
    BufferedInputController::Instance()->RegisterInputMapper(&m_script);
    m_tapId = MessageServer::Instance()->RegisterListener(&m_tap, 0);

    m_game = std::make_unique<GameTB>();
    const auto start = std::chrono::steady_clock::now();
    const bool entered = m_game->Enter();
    m_enterSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m_frame = 0;
    return entered;
}

bool GameHarness::Stop()
{
    if (!m_game)
        return true;
    const bool exited = m_game->Exit();
    m_game.reset();
    BufferedInputController::Instance()->UnregisterInputMapper(&m_script);
    // The game's Exit has emptied the message server, the tap with it.
    m_tapId = 0;
    return exited;
}

void GameHarness::MakeCurrent(State* state)
{
    if (m_game)
        m_game->SetCurrentState(state);
}

bool GameHarness::Step()
{
    if (!m_game || !m_game->GetCurrentState())
        return false;
    m_script.SetFrame(m_frame);
    m_tap.SetTime(m_frame, m_frame * static_cast<double>(kFrameTime));
    // As the program's tick does: blinking marks and menu animations run on this time.
    TimeInfo::Instance()->AddFrame(kFrameTime);
    BufferedInputController::Instance()->Update(kFrameTime);
    m_game->Update(kFrameTime);
    m_game->Render();
    ++m_frame;
    return CheckFinite() && m_game->GetCurrentState() != nullptr;
}

int GameHarness::RunFrames(int cap)
{
    const int first = m_frame;
    while (m_frame - first < cap && Step()) {
    }
    return m_frame - first;
}

bool GameHarness::CheckFinite()
{
    PitchSimulation* pitch = PitchSimulation::Instance();
    if (Ball* ball = pitch->GetBall()) {
        if (!Finite(ball->GetPosition()) || !Finite(ball->GetVelocity())) {
            m_problem = "ball at " + Describe(ball->GetPosition()) + " moving " + Describe(ball->GetVelocity());
            return false;
        }
    }
    for (int side = 0; side < PitchSimulation::kSides; ++side) {
        const Team* team = pitch->GetTeam(side);
        for (int i = 0; team && i < team->GetPlayerCount(); ++i) {
            const Actor* actor = team->GetPlayer(i) ? team->GetPlayer(i)->GetActor() : nullptr;
            if (actor && !Finite(actor->GetPosition())) {
                m_problem = "side " + std::to_string(side) + " player " + std::to_string(i) + " at " +
                            Describe(actor->GetPosition());
                return false;
            }
        }
    }
    // A path camera tells no position of its own; the camera's frame is checked below.
    CameraControl* control = m_game->GetCameras().GetActiveCamera();
    if (control && !dynamic_cast<SplineCameraControl*>(control)) {
        if (!Finite(control->GetPosition())) {
            m_problem = "camera control at " + Describe(control->GetPosition());
            return false;
        }
    }
    Camera* camera = RwGraphics::Instance()->GetPrimaryCamera();
    if (camera && camera->GetFrame()) {
        const RwMatrix* ltm = RwFrameGetLTM(camera->GetFrame());
        const Vector3 at(ltm->pos.x, ltm->pos.y, ltm->pos.z);
        if (!Finite(at)) {
            m_problem = "camera at " + Describe(at);
            return false;
        }
    }
    return true;
}
