// A whole run on a private X server that goes away while the game runs.
#include <gtest/gtest.h>

#include "framework/Factory.h"
#include "framework/GameState.h"
#include "shell/MainApp.h"
#include "support/RunFiles.h"
#include "tests/support/ScopedEnv.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

extern char** environ;

namespace {

constexpr int kFrames = 5;
constexpr unsigned kSecondsToFrames = 60;
// Generous, so that a loaded machine never fails it: what it catches is a run that never ends.
constexpr unsigned kSecondsToEnd = 30;
constexpr int kServerStartMs = 20000;

pid_t g_server = -1;

// Stops the server after a few frames; from then on the program must end by itself.
struct ServerStopper : GameState {
    void Update(float) override
    {
        if (++m_frames != kFrames)
            return;
        // A program still running when the alarm rings dies of SIGALRM, which the test refuses.
        alarm(kSecondsToEnd);
        kill(g_server, SIGTERM);
    }
    int m_frames = 0;
};

void StopServer()
{
    if (g_server <= 0)
        return;
    kill(g_server, SIGTERM);
    waitpid(g_server, nullptr, 0);
    g_server = -1;
}

// Waits for the display number the server writes once it accepts clients.
std::string ReadDisplay(int fd)
{
    std::string number;
    pollfd ready{fd, POLLIN, 0};
    char c = 0;
    while (poll(&ready, 1, kServerStartMs) == 1 && read(fd, &c, 1) == 1 && c != '\n')
        number += c;
    return c == '\n' && !number.empty() ? ":" + number : "";
}

// An Xvfb on a display number of its own choosing (so that parallel runs never meet);
// the display name, or "" with the reason.
std::string StartServer(std::string& reason)
{
    int fds[2];
    if (pipe(fds) != 0)
        return reason = std::strerror(errno), "";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "xvfb.log", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    std::string fd = std::to_string(fds[1]);
    char* argv[] = {const_cast<char*>("Xvfb"), const_cast<char*>("-displayfd"), fd.data(),
                    const_cast<char*>("-nolisten"), const_cast<char*>("tcp"), nullptr};
    const int spawned = posix_spawnp(&g_server, "Xvfb", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (spawned != 0) {
        g_server = -1;
        close(fds[0]);
        return reason = std::string("Xvfb: ") + std::strerror(spawned), "";
    }
    const std::string display = ReadDisplay(fds[0]);
    close(fds[0]);
    if (display.empty()) {
        StopServer();
        reason = "Xvfb gave no display (its output is in xvfb.log)";
    }
    return display;
}

[[noreturn]] void RunUntilTheServerGoes()
{
    // A run that never reaches its frames would never stop the server either.
    alarm(kSecondsToFrames);
    std::exit(theApp.Run());
}

TEST(DisplayLoss, TheGameEndsWithinSecondsWithAnErrorCodeAndSaysWhy)
{
    std::string reason;
    const std::string display = StartServer(reason);
    if (display.empty())
        GTEST_SKIP() << "no private X server could start: " << reason;
    ScopedEnv video("SDL_VIDEODRIVER", "x11"), screen("DISPLAY", display.c_str());
    FactoryRegistry::GameStates().Register(shelltest::kStateClass,
                                           [] { return static_cast<GameState*>(new ServerStopper); });
    ASSERT_TRUE(shelltest::WriteRunFiles(0, 0));

    // Forked, not started again: only this process knows the server. It has no other threads yet.
    GTEST_FLAG_SET(death_test_style, "fast");
    const auto failedByItself = [](int status) { return WIFEXITED(status) && WEXITSTATUS(status) != 0; };
    EXPECT_EXIT(RunUntilTheServerGoes(), failedByItself, "");
    StopServer();
    const std::string log = shelltest::ReadLog();
    EXPECT_NE(log.find("***ERROR: platform::DisplayWork: lost the connection to the display"), std::string::npos)
        << log;
    EXPECT_EQ(log.find("RenderWindow: Exit"), std::string::npos) << "nothing tears the window down: " << log;
}

}  // namespace
