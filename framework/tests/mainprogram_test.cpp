#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "framework/GameState.h"
#include "framework/MainProgram.h"
#include "framework/Registration.h"
#include "framework/Settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_log;

class Recording : public GameState {
public:
    explicit Recording(std::string name = "probe") : m_name(std::move(name)) {}
    ~Recording() override { g_log.push_back(m_name + ":delete"); }
    bool Enter() override
    {
        g_log.push_back(m_name + ":enter");
        m_flag = true;
        return true;
    }
    bool Exit() override
    {
        g_log.push_back(m_name + ":exit");
        return true;
    }
    void Update(float dt) override { g_log.push_back(m_name + ":update " + std::to_string(dt)); }
    void Render() override { g_log.push_back(m_name + ":render"); }
    int HandleEvent(const char* event, intptr_t a, intptr_t b) override
    {
        g_log.push_back(m_name + ":" + event);
        return static_cast<int>(a + b);
    }

private:
    std::string m_name;
};

// The state the configuration below names: "Game" + "Probe".
class GameProbe : public Recording {
public:
    GameProbe() : Recording("GameProbe") {}
};
REGISTER_FACTORY(GameStates, GameProbe);

int g_creatorCalls = 0;
void CountingCreator() { ++g_creatorCalls; }

class MainProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        MainProgram::DestroyInstance();
        program = MainProgram::Instance();
        g_log.clear();
    }
    void TearDown() override
    {
        MainProgram::DestroyInstance();
        g_log.clear();
    }
    MainProgram* program = nullptr;
};

TEST_F(MainProgramTest, PushIsCarriedOutByTheNextUpdateWhichAlsoUpdatesTheState)
{
    program->PushState(new Recording("a"));
    EXPECT_FALSE(program->HasCurrentState());
    EXPECT_TRUE(g_log.empty());

    program->Update(0.5f);
    EXPECT_EQ(g_log, (std::vector<std::string>{"a:enter", "a:update 0.500000"}));
    EXPECT_TRUE(program->HasCurrentState());
    EXPECT_TRUE(program->GetCurrentState()->GetFlag());
}

TEST_F(MainProgramTest, PopThenPushBeforeTheUpdateInOneCall)
{
    program->PushState(new Recording("a"));
    program->Update(0.0f);
    g_log.clear();

    program->PopAndPushState(new Recording("b"));
    program->Update(0.25f);
    EXPECT_EQ(g_log, (std::vector<std::string>{"a:exit", "a:delete", "b:enter",
                                                "b:update 0.250000"}));
}

TEST_F(MainProgramTest, OnlyTheTopStateRunsAndExitPopsEveryState)
{
    program->PushState(new Recording("a"));
    program->PushState(new Recording("b"));
    program->Update(0.0f);
    g_log.clear();

    program->Update(0.125f);
    program->Render();
    EXPECT_EQ(program->HandleEvent("got focus", 2, 3), 5);
    EXPECT_EQ(g_log, (std::vector<std::string>{"b:update 0.125000", "b:render", "b:got focus"}));

    g_log.clear();
    program->PopState();
    program->Update(0.0f);
    EXPECT_EQ(g_log, (std::vector<std::string>{"b:exit", "b:delete", "a:update 0.000000"}));

    g_log.clear();
    program->PushState(new Recording("pending"));
    program->Exit();
    EXPECT_EQ(g_log, (std::vector<std::string>{"pending:delete", "a:exit", "a:delete"}));
    EXPECT_FALSE(program->HasCurrentState());
    program->Update(1.0f);  // nothing left to run
    EXPECT_EQ(g_log.size(), 3u);
}

TEST_F(MainProgramTest, EmptyStackAnswersNothingAndSurvivesAPop)
{
    EXPECT_EQ(program->HandleEvent("lost focus", 1, 1), 0);
    program->Render();
    const int warnings = Debug::Instance()->GetWarningCount();
    program->PopState();
    program->Update(0.1f);
    EXPECT_EQ(Debug::Instance()->GetWarningCount(), warnings + 1);
    EXPECT_FALSE(program->HasCurrentState());
}

void WriteConfig(const std::string& text)
{
    std::filesystem::create_directories("data/pc");
    std::ofstream("data/pc/config.txt") << text;
}

TEST_F(MainProgramTest, InitReloadsTheConfigurationAndRequestsTheGameState)
{
    WriteConfig("Project Probe\nProjectPath data\\probe\\\nTextureSet textures\\high\n");
    SettingsManager::Instance()->UnloadAll();  // as the shell does before Init
    MainProgram::AddCoreSingletonCreator(&CountingCreator);
    const int calls = g_creatorCalls;

    ASSERT_TRUE(program->Init());
    EXPECT_EQ(g_creatorCalls, calls + 1);
    EXPECT_EQ(program->GetProjectName(), "Probe");
    EXPECT_EQ(program->GetProjectPath(), "data\\probe\\");
    EXPECT_EQ(program->GetTextureSetPath(), "textures\\high\\");
    FileSystem* files = FileSystem::Instance();
    EXPECT_EQ(files->ExpandAliases("<PP>level01\\x.txt"), "data\\probe\\level01\\x.txt");
    EXPECT_EQ(files->ExpandAliases("<TP>ball.png"), "textures\\high\\ball.png");

    // Requested, not yet running: the first Update enters and updates it.
    EXPECT_FALSE(program->HasCurrentState());
    program->Update(0.0f);
    EXPECT_EQ(g_log, (std::vector<std::string>{"GameProbe:enter", "GameProbe:update 0.000000"}));
    EXPECT_NE(dynamic_cast<GameProbe*>(program->GetCurrentState()), nullptr);

    // A second Init replaces the aliases rather than stacking them.
    SettingsManager::Instance()->UnloadAll();
    WriteConfig("Project Probe\nProjectPath other\\\nTextureSet low\n");
    ASSERT_TRUE(program->Init());
    EXPECT_EQ(files->ExpandAliases("<PP>a.txt"), "other\\a.txt");
    EXPECT_EQ(files->ExpandAliases("<TP>a.png"), "low\\a.png");
}

TEST_F(MainProgramTest, InitFailsWhenTheProjectHasNoGameState)
{
    WriteConfig("Project Missing\nProjectPath x\\\nTextureSet t\n");
    SettingsManager::Instance()->UnloadAll();
    const int errors = Debug::Instance()->GetErrorCount();
    EXPECT_FALSE(program->Init());
    EXPECT_EQ(Debug::Instance()->GetErrorCount(), errors + 1);
    program->Update(0.0f);
    EXPECT_FALSE(program->HasCurrentState());
}

}  // namespace
