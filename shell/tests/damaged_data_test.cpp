// The real program started on data archives it cannot use: it must end, say why and give a
// non-zero exit code, never open an empty window and wait.
#include <gtest/gtest.h>

#include "framework/Archive.h"
#include "framework/PlayerFolder.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<char>;

// Generous, so that a loaded machine never fails it: a program that never ends is the fault.
constexpr auto kEndWithin = std::chrono::seconds(30);
constexpr size_t kVersionAt = 4;
constexpr size_t kDirectoryOffsetAt = 16;

Bytes ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Put(Bytes& bytes, size_t at, uint64_t value, int width)
{
    for (int i = 0; i < width; ++i)
        bytes[at + static_cast<size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xff);
}

// The exit code of the program run in the folder, or -1 when it had to be killed.
int RunProgram(const fs::path& folder)
{
    const pid_t child = fork();
    if (child == 0) {
        if (chdir(folder.c_str()) != 0)
            _exit(126);
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        setenv("TB_NO_MESSAGE_BOX", "1", 1);
        setenv(player_folder::kVariable, "data", 1);
        execl(TB_GAME_PROGRAM, TB_GAME_PROGRAM, static_cast<char*>(nullptr));
        _exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + kEndWithin;
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ReadLog(const fs::path& folder)
{
    std::stringstream text;
    text << std::ifstream(folder / "data" / "log.txt").rdbuf();
    return text.str();
}

// An archive that reads well and holds nothing to play.
Bytes EmptyArchive()
{
    fs::create_directories("empty_stage");
    std::string error;
    EXPECT_TRUE(Archive::Pack("empty.dat", "empty_stage", error)) << error;
    return ReadAll("empty.dat");
}

}  // namespace

TEST(DamagedDataTest, WithAnArchiveItCannotUseTheProgramEndsWithCode1AndSaysWhy)
{
    const Bytes real = ReadAll(TB_DATA_ARCHIVE);
    ASSERT_GT(real.size(), 1000u);
    // The paths as the system writes them, so that the player can find both files.
    const fs::path folder = fs::absolute("damaged_run");
    const std::string see = " (see " + (folder / "data" / "log.txt").string() + ")";
    const std::string unusable =
        "CMainApp::InitInstance: the data file " + (folder / "data" / "Turfbolt.dat").string() + " cannot be used" + see;
    const std::string noGame = "CMainApp::InitInstance: the game state is missing from the data" + see;
    struct Case {
        const char* name;
        std::function<Bytes()> damage;
        std::string reason;  // the archive's own log line
        std::string ending;
    };
    const Case cases[] = {
        {"empty file", [] { return Bytes(); }, "file too short for the header", unusable},
        {"cut in half", [&] { return Bytes(real.begin(), real.begin() + static_cast<long>(real.size() / 2)); },
         "lies outside the file", unusable},
        {"cut inside its directory", [&] { return Bytes(real.begin(), real.end() - 8); }, "truncated", unusable},
        {"not an archive", [&] { Bytes b = real; b[0] = 'X'; return b; }, "bad magic", unusable},
        {"another version", [&] { Bytes b = real; Put(b, kVersionAt, 99, 4); return b; }, "unsupported version 99",
         unusable},
        {"directory past the end", [&] { Bytes b = real; Put(b, kDirectoryOffsetAt, b.size() + 100, 8); return b; },
         "lies outside the file", unusable},
        {"nothing to play in it", EmptyArchive, "no game state \"Game\"", noGame},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(folder);
        fs::create_directories(folder / "data");
        {
            const Bytes bytes = c.damage();
            std::ofstream(folder / "data" / "Turfbolt.dat", std::ios::binary).write(bytes.data(),
                                                                                      static_cast<long>(bytes.size()));
        }
        EXPECT_EQ(RunProgram(folder), 1);
        const std::string log = ReadLog(folder);
        EXPECT_NE(log.find(c.reason), std::string::npos) << log;
        EXPECT_NE(log.find("***ERROR: " + c.ending), std::string::npos) << log;
        fs::remove_all(folder);
    }
}
