// The real program on the default data, started as a child process on the offscreen
// driver and stopped the ways a player or the system stops it.
#include <gtest/gtest.h>

#include "support/TestRun.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using namespace std::chrono_literals;

class Program {
public:
    Program(const std::string& folder, const char* videoDriver) : m_folder(folder)
    {
        std::filesystem::create_symlink(TB_DATA_ARCHIVE, folder + "/data/Turfbolt.dat");
        std::vector<std::string> env = {std::string("SDL_VIDEODRIVER=") + videoDriver,
                                        "SDL_AUDIODRIVER=dummy", "TB_NO_MESSAGE_BOX=1"};
        for (char** e = environ; *e; ++e) {
            const std::string entry = *e;
            if (entry.rfind("SDL_VIDEODRIVER=", 0) != 0 && entry.rfind("SDL_AUDIODRIVER=", 0) != 0)
                env.push_back(entry);
        }
        std::vector<char*> envp;
        for (std::string& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        char* argv[] = {const_cast<char*>(TB_TURFBOLT_EXE), nullptr};

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
        m_started = posix_spawn(&m_pid, TB_TURFBOLT_EXE, &actions, nullptr, argv, envp.data()) == 0;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Program()
    {
        if (m_started && !m_reaped) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }

    bool Started() const { return m_started; }
    std::string Log() const { return testrun::ReadFile(m_folder + "/data/log.txt"); }

    bool WaitForLog(const std::string& line, std::chrono::seconds limit = 30s)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            if (Log().find(line) != std::string::npos)
                return true;
            if (Exited())
                return Log().find(line) != std::string::npos;
            std::this_thread::sleep_for(20ms);
        }
        return false;
    }
    void Signal(int signal) { kill(m_pid, signal); }
    // The exit code, or -1 when it did not end on its own in time.
    int Wait(std::chrono::seconds limit = 30s)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            if (Exited())
                return WIFEXITED(m_status) ? WEXITSTATUS(m_status) : -1;
            std::this_thread::sleep_for(20ms);
        }
        return -1;
    }

private:
    bool Exited()
    {
        if (!m_reaped && waitpid(m_pid, &m_status, WNOHANG) == m_pid)
            m_reaped = true;
        return m_reaped;
    }

    std::string m_folder;
    pid_t m_pid = 0;
    bool m_started = false;
    bool m_reaped = false;
    int m_status = 0;
};

const std::vector<std::string> kShutdownOrder = {
    "RenderWindow: Exit\n",
    "MainProgram::Instance()->Exit()\n",
    "DXInput::Instance()->Exit()\n",
    "renderWindow.Destroy()\n",
    "RenderWindow Destroy\n",
    "RwGraphics::Instance()->Exit()\n",
    "Rendering engine exited gracefully.\n",
    "RwGraphics::Instance()->Exit() ok\n",
    "renderWindow.Destroy() ok\n",
    "RenderWindow: Exit 2\n",
    "Exit2:: delete m_pMainWnd\n",
    "Exit2:: delete m_pMainWnd ok\n",
    "AfxPostQuitMesage\n",
    "AfxPostQuitMesage ok\n",
};

TEST(Smoke, StartsOnTheDefaultDataAndEndsWith123OnSigterm)
{
    Program program(testrun::MakeFolder("sigterm"), "offscreen");
    ASSERT_TRUE(program.Started());
    ASSERT_TRUE(program.WaitForLog("running with no state")) << program.Log();
    std::this_thread::sleep_for(300ms);  // some frames
    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(), 123);

    const std::string log = program.Log();
    testrun::ExpectInOrder(log, {"---------------------------------------------------\nTurfbolt\n"
                                 "---------------------------------------------------\nBuild: ",
                                 "Version 1.0g\n\nStarted at: ", " version: ", " build ",
                                 "Starting in directory ", "Starting in mode: 800 600\n",
                                 "Rendering engine v", "no game state \"GameTB\"",
                                 "running with no state"});
    testrun::ExpectInOrder(log, kShutdownOrder);
    EXPECT_EQ(log.find("***ERROR: RwGraphics"), std::string::npos) << log;
}

TEST(Smoke, CtrlCTakesTheSameClosePath)
{
    Program program(testrun::MakeFolder("sigint"), "offscreen");
    ASSERT_TRUE(program.Started());
    ASSERT_TRUE(program.WaitForLog("running with no state")) << program.Log();
    program.Signal(SIGINT);
    EXPECT_EQ(program.Wait(), 123);
    testrun::ExpectInOrder(program.Log(), kShutdownOrder);
}

TEST(Smoke, WithoutARendererTheProgramEndsWithCode1AndSaysWhy)
{
    // The dummy driver has no OpenGL: nothing can be shown.
    Program program(testrun::MakeFolder("nogl"), "dummy");
    ASSERT_TRUE(program.Started());
    EXPECT_EQ(program.Wait(), 1);
    const std::string log = program.Log();
    EXPECT_NE(log.find("***ERROR: CMainApp::InitInstance: the render window cannot be created."),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("RenderWindow: Exit"), std::string::npos);
}

}  // namespace
