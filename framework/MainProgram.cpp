#include "framework/MainProgram.h"

#include "framework/Cast.h"
#include "framework/Debug.h"
#include "framework/DebugDisplay.h"
#include "framework/FileSystem.h"
#include "framework/GameState.h"
#include "framework/Message.h"
#include "framework/Settings.h"
#include "framework/TimeInfo.h"

#include <cstdlib>

namespace {
const char* const kConfigFile = "data\\pc\\config.txt";
}

MainProgram::~MainProgram()
{
    Exit();
}

std::vector<MainProgram::CoreSingletonCreator>& MainProgram::CoreSingletonCreators()
{
    static std::vector<CoreSingletonCreator> creators;
    return creators;
}

void MainProgram::AddCoreSingletonCreator(CoreSingletonCreator creator)
{
    if (creator)
        CoreSingletonCreators().push_back(creator);
}

bool MainProgram::Init()
{
    MessageServer::Instance();
    FileSystem::Instance();
    SettingsManager::Instance();
    CastManager::Instance();
    TimeInfo::Instance();
    DebugDisplay::Instance();
    for (CoreSingletonCreator create : CoreSingletonCreators())
        create();

    SettingsManager* settings = SettingsManager::Instance();
    // Loaded first, so that a test run's values win over the shipped ones.
    if (const char* testConfig = std::getenv("TB_TEST_CONFIG"); testConfig && *testConfig)
        settings->LoadSettings(testConfig);
    settings->LoadSettings(kConfigFile);
    m_project = settings->GetString("Project");
    m_projectPath = settings->GetString("ProjectPath");
    const std::string textureSet = settings->GetString("TextureSet");
    // Without a texture set "<TP>" must not turn into the root folder.
    m_textureSetPath = textureSet.empty() ? std::string() : textureSet + "\\";

    FileSystem* files = FileSystem::Instance();
    // Init may run again (tests, editor reset); one entry per alias.
    files->RemoveAlias("<PP>");
    files->RemoveAlias("<TP>");
    files->AddAlias("<PP>", m_projectPath.c_str());
    files->AddAlias("<TP>", m_textureSetPath.c_str());

    const std::string stateName = "Game" + m_project;
    GameState* state = FactoryRegistry::GameStates().Create(stateName.c_str());
    if (!state) {
        LogError("MainProgram::Init: no game state \"%s\" (Project \"%s\" in %s)\n",
                 stateName.c_str(), m_project.c_str(), kConfigFile);
        return false;
    }
    PushState(state);
    return true;
}

void MainProgram::PushState(GameState* state)
{
    if (!state) {
        LogError("MainProgram::PushState: no state\n");
        return;
    }
    m_requests.push_back({false, state});
}

void MainProgram::PopState()
{
    m_requests.push_back({true, nullptr});
}

void MainProgram::PopAndPushState(GameState* state)
{
    if (!state) {
        LogError("MainProgram::PopAndPushState: no state\n");
        return;
    }
    m_requests.push_back({true, state});
}

void MainProgram::Push(GameState* state)
{
    m_stack.push_back(state);
    if (!state->Enter())
        LogWarning("MainProgram::Update: state Enter failed\n");
}

void MainProgram::Pop()
{
    if (m_stack.empty()) {
        LogWarning("MainProgram::Update: pop with no state\n");
        return;
    }
    GameState* top = m_stack.back();
    m_stack.pop_back();
    top->Exit();
    delete top;
}

void MainProgram::Update(float t)
{
    // Requests made while these run (from Enter or Exit) wait for the next Update.
    std::vector<Request> requests;
    requests.swap(m_requests);
    for (const Request& request : requests) {
        if (request.pop)
            Pop();
        if (request.push)
            Push(request.push);
    }

    if (!m_stack.empty())
        m_stack.back()->Update(t);
}

void MainProgram::Render()
{
    if (!m_stack.empty())
        m_stack.back()->Render();
}

int MainProgram::HandleEvent(const char* event, intptr_t a, intptr_t b)
{
    if (m_stack.empty())
        return 0;
    return m_stack.back()->HandleEvent(event, a, b);
}

void MainProgram::Exit()
{
    for (const Request& request : m_requests)
        delete request.push;
    m_requests.clear();
    while (!m_stack.empty())
        Pop();
}

void MainProgram::SetTextureSetPath(const std::string& folder)
{
    m_textureSetPath = folder;
    FileSystem* files = FileSystem::Instance();
    files->RemoveAlias("<TP>");
    files->AddAlias("<TP>", m_textureSetPath.c_str());
}
