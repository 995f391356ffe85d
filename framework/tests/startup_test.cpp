#include "framework/Factory.h"
#include "framework/FileSystem.h"
#include "framework/GameState.h"
#include "framework/MainProgram.h"
#include "framework/Message.h"
#include "framework/Object.h"
#include "framework/Registration.h"
#include "framework/Settings.h"
#include "tests/support/LogCapture.h"
#include "tests/support/ScopedEnv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

using Log = std::vector<std::string>;
Log g_log;

class Recording : public GameState {
public:
    explicit Recording(std::string name) : m_name(std::move(name)) {}
    ~Recording() override { Note("delete"); }
    bool Enter() override { return m_flag = Note("enter"); }
    bool Exit() override { return Note("exit"); }
    void Update(float dt) override { Note("update " + std::to_string(dt)); }
    void Render() override { Note("render"); }
    int HandleEvent(const char* event, intptr_t a, intptr_t b) override { return Note(event) ? static_cast<int>(a + b) : 0; }

private:
    bool Note(const std::string& what)
    {
        g_log.push_back(m_name + ":" + what);
        return true;
    }
    std::string m_name;
};

// The state the configuration below names: "Game" + "Probe".
class GameProbe : public Recording {
public:
    GameProbe() : Recording("GameProbe") {}
};
REGISTER_FACTORY(GameStates, GameProbe);

int g_creatorCalls = 0;

class MainProgramTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        MainProgram::DestroyInstance();
        g_log.clear();
    }
    // Steps from the last call on.
    Log Steps()
    {
        Log steps;
        steps.swap(g_log);
        return steps;
    }
    MainProgram* program = MainProgram::Instance();
};

TEST_F(MainProgramTest, RequestsAreCarriedOutByTheNextUpdateAndOnlyTheTopStateRuns)
{
    LogCapture log;
    EXPECT_EQ(program->HandleEvent("lost focus", 1, 1), 0);  // an empty stack answers nothing
    program->Render();
    program->PopState();
    program->PushState(new Recording("a"));
    program->PushState(new Recording("b"));
    EXPECT_FALSE(program->HasCurrentState());
    EXPECT_TRUE(Steps().empty());
    program->Update(0.5f);
    EXPECT_TRUE(log.Contains("***WARNING: "));  // the pop of nothing
    EXPECT_TRUE(program->GetCurrentState()->GetFlag());
    EXPECT_EQ(Steps(), (Log{"a:enter", "b:enter", "b:update 0.500000"}));
    program->Render();
    EXPECT_EQ(program->HandleEvent("got focus", 2, 3), 5);
    program->PopAndPushState(new Recording("c"));
    program->Update(0.25f);
    program->PopState();
    program->Update(0.0f);
    EXPECT_EQ(Steps(), (Log{"b:render", "b:got focus", "b:exit", "b:delete", "c:enter", "c:update 0.250000", "c:exit",
                            "c:delete", "a:update 0.000000"}));
    program->PushState(new Recording("pending"));
    program->Exit();
    program->Update(1.0f);  // nothing left to run
    EXPECT_EQ(Steps(), (Log{"pending:delete", "a:exit", "a:delete"}));
    EXPECT_FALSE(program->HasCurrentState());
}

TEST_F(MainProgramTest, InitReadsTheConfigurationAndRequestsTheGameState)
{
    const auto init = [&](const char* config) {
        SettingsManager::Instance()->UnloadAll();  // as the shell does before Init
        std::filesystem::create_directories("data/pc");
        std::ofstream("data/pc/config.txt") << config;
        return program->Init();
    };
    MainProgram::AddCoreSingletonCreator([] { ++g_creatorCalls; });
    const int calls = g_creatorCalls;
    ASSERT_TRUE(init("Project Probe\nProjectPath data\\probe\\\nTextureSet textures\\high\n"));
    EXPECT_EQ(g_creatorCalls, calls + 1);
    FileSystem* files = FileSystem::Instance();
    EXPECT_EQ((Log{program->GetProjectName(), program->GetProjectPath(), program->GetTextureSetPath(),
                   files->ExpandAliases("<PP>x.txt"), files->ExpandAliases("<TP>ball.png")}),
              (Log{"Probe", "data\\probe\\", "textures\\high\\", "data\\probe\\x.txt", "textures\\high\\ball.png"}));
    EXPECT_FALSE(program->HasCurrentState());  // requested, not yet running
    program->Update(0.0f);
    EXPECT_EQ(Steps(), (Log{"GameProbe:enter", "GameProbe:update 0.000000"}));
    EXPECT_NE(dynamic_cast<GameProbe*>(program->GetCurrentState()), nullptr);
    // A second Init replaces the aliases rather than stacking them.
    ASSERT_TRUE(init("Project Probe\nProjectPath other\\\nTextureSet low\n"));
    EXPECT_EQ(files->ExpandAliases("<PP>a.txt") + files->ExpandAliases("<TP>a.png"), "other\\a.txtlow\\a.png");
    MainProgram::DestroyInstance();
    program = MainProgram::Instance();
    LogCapture log;
    EXPECT_FALSE(init("Project Missing\nProjectPath x\\\nTextureSet t\n"));
    EXPECT_EQ(log.Count("***ERROR: "), 1);
    program->Update(0.0f);
    EXPECT_FALSE(program->HasCurrentState());
}

TEST_F(MainProgramTest, ATestConfigurationNamedByTheEnvironmentWinsOverTheShippedOne)
{
    std::filesystem::create_directories("data/pc");
    std::ofstream("data/pc/config.txt") << "Project Probe\nProjectPath data\\pc\\\nTestCheats 0\n";
    std::ofstream("startup_test_config.txt") << "TestCheats 1\n";
    const std::string testConfig = std::filesystem::absolute("startup_test_config.txt").string();
    const struct {
        const char* variable;
        const char* cheats;
    } cases[] = {{nullptr, "0"}, {"", "0"}, {testConfig.c_str(), "1"}};
    for (const auto& c : cases) {
        ScopedEnv named("TB_TEST_CONFIG", c.variable);
        SettingsManager::Instance()->UnloadAll();
        ASSERT_TRUE(program->Init());
        EXPECT_EQ(SettingsManager::Instance()->GetString("TestCheats") + " " + program->GetProjectName(),
                  std::string(c.cheats) + " Probe")
            << (c.variable ? c.variable : "unset");
    }
    SettingsManager::Instance()->UnloadAll();
}

class AnimateUVAction : public Object {};
class AnimatedTextureAction : public Object {};
// Registered by the macros below before main(); probe_registration.cpp is linked in but
// nothing here names anything of it, so only its start-up registrations can have put
// its names in place.
class RegisteredElement : public Object {};
class RegisteredGame : public GameState {};
REGISTER_FACTORY(GameElements, RegisteredElement);
REGISTER_FACTORY(GameStates, RegisteredGame);
REGISTER_MESSAGE(g_msgFirst, "registration test message");
REGISTER_MESSAGE(g_msgAgain, "registration test message");

TEST(FactoryTest, NamesRunInByteOrderTheLastRegistrationWinsAndMacrosRegisterBeforeMain)
{
    Factory<Object> factory;
    factory.Register("AnimatedTextureAction", [] { return static_cast<Object*>(new AnimatedTextureAction); });
    factory.Register("Zoom", [] { return new Object; });
    factory.Register("AnimateUVAction", [] { return new Object; });
    factory.Register("AnimateUVAction", [] { return static_cast<Object*>(new AnimateUVAction); });
    factory.Register(nullptr, [] { return new Object; });
    factory.Register("Nothing", nullptr);
    EXPECT_EQ(factory.GetNames(), (std::vector<std::string>{"AnimateUVAction", "AnimatedTextureAction", "Zoom"}));
    std::vector<std::string> iterated;
    for (const auto& entry : factory)
        iterated.push_back(entry.first);
    EXPECT_EQ(iterated, factory.GetNames());
    std::unique_ptr<Object> made(factory.Create("AnimateUVAction"));
    EXPECT_NE(dynamic_cast<AnimateUVAction*>(made.get()), nullptr);
    EXPECT_EQ(factory.Create("animateUVAction"), nullptr);  // names are exact
    EXPECT_EQ(factory.Create(nullptr), nullptr);
    EXPECT_FALSE(factory.Contains(nullptr));
    // The macros fill the named registries before main(), from every linked file.
    std::unique_ptr<Object> element(FactoryRegistry::Create(FactoryRegistry::GameElements(), "RegisteredElement"));
    EXPECT_NE(dynamic_cast<RegisteredElement*>(element.get()), nullptr);
    EXPECT_FALSE(FactoryRegistry::CameraControls().Contains("RegisteredElement"));  // each registry is its own
    std::unique_ptr<GameState> game(FactoryRegistry::GameStates().Create("RegisteredGame"));
    EXPECT_NE(dynamic_cast<RegisteredGame*>(game.get()), nullptr);
    EXPECT_GE(g_msgFirst, MessageServer::kFirstMessageId);
    EXPECT_EQ(g_msgAgain, g_msgFirst);
    EXPECT_STREQ(MessageServer::Instance()->GetMessageName(g_msgFirst), "registration test message");

    std::unique_ptr<Object> probe(FactoryRegistry::EditorProxies().Create("RegistrationProbe"));
    ASSERT_NE(probe, nullptr);
    EXPECT_EQ(ClassNameOf(*probe), "RegistrationProbe");
    std::vector<std::string> names;
    for (int id = MessageServer::kFirstMessageId; MessageServer::Instance()->GetMessageName(id); ++id)
        names.push_back(MessageServer::Instance()->GetMessageName(id));
    EXPECT_NE(std::find(names.begin(), names.end(), "registration probe"), names.end());
}

}  // namespace
