// Runs the program itself, the game folder's "turfbolt", from a scratch copy of the game folder
// under the offscreen driver, waits until its log shows the main menu, then asks it to quit as
// closing its window does (SIGTERM, which SDL turns into a quit request):
//     program_run <game folder> <work folder>
// Unlike the scripted runs, nothing is linked in beside the game, so the program is the one a
// player starts. The exit code is 0 when the program ended by itself with 123 and logged no
// error; 1 otherwise (a crash, a sanitizer's report, an error logged, no main menu ever).

#include "tools/menu_script/WorkFolder.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kNormalExit = 123;
constexpr useconds_t kPollMicroseconds = 100000;
const char* const kMainMenuLine = "TBMenu::CreateMenu: <main>";

std::string ReadAll(const fs::path& file)
{
    std::ifstream in(file);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The program's status once it has ended, or -1 while it runs.
int Ended(pid_t program)
{
    int status = 0;
    return waitpid(program, &status, WNOHANG) == program ? status : -1;
}

// Polls the log until the main menu is built; the program's status when it ended before that.
int WaitForMainMenu(pid_t program, const fs::path& log)
{
    for (;;) {
        if (const int status = Ended(program); status != -1)
            return status;
        if (ReadAll(log).find(kMainMenuLine) != std::string::npos)
            return -1;
        usleep(kPollMicroseconds);
    }
}

bool EndedNormally(int status)
{
    if (WIFSIGNALED(status)) {
        std::printf("the program died of signal %d (%s)\n", WTERMSIG(status), strsignal(WTERMSIG(status)));
        return false;
    }
    std::printf("the program ended with %d\n", WEXITSTATUS(status));
    return WEXITSTATUS(status) == kNormalExit;
}

int Run(const fs::path& program, const fs::path& work)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("TB_NO_MESSAGE_BOX", "1", 1);
    if (chdir(work.c_str()) != 0) {
        std::perror("program_run: chdir");
        return 1;
    }
    std::string path = program.string();
    char* argv[] = {path.data(), nullptr};
    pid_t pid = -1;
    if (const int error = posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ); error != 0) {
        std::fprintf(stderr, "program_run: %s: %s\n", path.c_str(), std::strerror(error));
        return 1;
    }
    int status = WaitForMainMenu(pid, "data/log.txt");
    if (status == -1) {
        std::printf("main menu shown; closing the program\n");
        kill(pid, SIGTERM);
        waitpid(pid, &status, 0);
    } else {
        std::printf("the program ended before its main menu\n");
    }
    const std::string errors = menu_script::LoggedErrors("data/log.txt");
    std::printf("%s", errors.c_str());
    return EndedNormally(status) && errors.empty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: program_run <game folder> <work folder>\n");
        return 2;
    }
    const fs::path game = fs::absolute(argv[1]);
    const fs::path work = fs::absolute(argv[2]) / "game";
    if (!menu_script::PrepareWorkFolder(game, work, true)) {
        std::fprintf(stderr, "program_run: no game data in %s\n", argv[1]);
        return 1;
    }
    return Run(game / "turfbolt", work);
}
