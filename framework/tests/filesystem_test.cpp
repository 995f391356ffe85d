#include "framework/FileSystem.h"
#include "framework/PlayerFolder.h"
#include "support/FileTest.h"
#include "tests/support/LogCapture.h"

#include <cstring>
#include <dlfcn.h>
#include <functional>
#include <set>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace fsys = std::filesystem;

namespace {

// Every fsync of this program passes here, so that a test sees what was made durable.
std::function<void(const std::string& path)> g_onSync;
// Runs once, before the next flock of this program: another program's turn.
std::function<void(const std::string& path)> g_beforeLock;

std::string OpenPath(int fd)
{
    char path[4096];
    const ssize_t n = readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), path, sizeof path);
    return n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string();
}

std::set<std::string> Entries(const fsys::path& dir)
{
    std::set<std::string> names;
    for (const auto& e : fsys::directory_iterator(dir))
        names.insert(e.path().filename().string());
    return names;
}

}  // namespace

extern "C" int fsync(int fd)
{
    if (g_onSync)
        g_onSync(OpenPath(fd));
    static const auto real = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fsync"));
    return real(fd);
}

extern "C" int flock(int fd, int operation)
{
    if (g_beforeLock)
        std::exchange(g_beforeLock, nullptr)(OpenPath(fd));
    static const auto real = reinterpret_cast<int (*)(int, int)>(dlsym(RTLD_NEXT, "flock"));
    return real(fd, operation);
}

using AliasTest = FileTest;

TEST_F(AliasTest, ExpandAndCollapseIgnoreCaseAndNormaliseSeparators)
{
    fs()->AddAlias("<PP>", "data\\pc\\");
    fs()->AddAlias("<TP>", "Textures24Bit\\\\");  // stored with two backslashes by one caller
    fs()->AddAlias("<LP>", "data\\pc\\level01\\");
    fs()->AddAlias("<SP>", "<SP>\\settings\\");  // holds itself: must not loop
    const std::pair<const char*, const char*> expanded[] = {
        {"<PP>Menu\\main.xml", "data\\pc\\Menu\\main.xml"}, {"<pp>\\Menu\\", "data\\pc\\Menu\\"},
        {"<Pp><tP>grass.png", "data\\pc\\Textures24Bit\\grass.png"}, {"<PP>a/b//c\\\\\\d", "data\\pc\\a\\b\\c\\d"},
        {"x\\<PP>y", "x\\data\\pc\\y"}, {"<XP>level01.bsp", "<XP>level01.bsp"}, {"", ""},
        {"<SP>a.txt", "<SP>\\settings\\a.txt"}};
    for (const auto& [name, expected] : expanded)
        EXPECT_EQ(fs()->ExpandAliases(name), expected) << name;
    // The longest folder gives the alias.
    EXPECT_EQ(fs()->CollapseAliases("DATA\\PC\\Level01\\\\pitch.dff"), "<LP>pitch.dff");
    EXPECT_EQ(fs()->CollapseAliases("data/pc/Menu/x.xml"), "<PP>Menu\\x.xml");
    EXPECT_EQ(fs()->CollapseAliases("other\\x.xml"), "other\\x.xml");
    // Added again, an alias takes its new folder; removed, every entry of it goes.
    fs()->AddAlias("<LP>", "data\\pc\\level02\\");
    EXPECT_EQ(fs()->ExpandAliases("<LP>x"), "data\\pc\\level02\\x");
    EXPECT_EQ(fs()->GetAlias("<lp>"), "data\\pc\\level02\\");
    fs()->RemoveAlias("<lp>");
    EXPECT_EQ(fs()->ExpandAliases("<LP>x") + fs()->GetAlias("<LP>"), "<LP>x");
}

using DiskTest = FileTest;

TEST_F(DiskTest, NamesResolveInEveryFolderThatMatchesAndWhatIsNoFileIsRefused)
{
    WriteRaw(Path("Menu/Screens/Main.XML"), "<x/>");
    EXPECT_EQ(fs()->ResolveDiskPath(Dir("menu\\SCREENS\\main.xml")), Path("Menu/Screens/Main.XML").string());
    EXPECT_EQ(fs()->ResolveDiskPath(Dir("MENU\\missing\\Main.xml")), Path("Menu/missing/Main.xml").string());
    // A name made outside the layer after a cached miss is found; an exact one wins.
    EXPECT_FALSE(fs()->FileExists(Dir("MENU\\Screens\\b.txt").c_str()));
    WriteRaw(Path("Menu/Screens/b.txt"), "b");
    EXPECT_EQ(ReadThroughLayer(Dir("menu\\screens\\B.TXT")), "b");
    WriteRaw(Path("Menu/Screens/main.xml"), "<y/>");
    fs()->InvalidateDiskCache();
    EXPECT_EQ(fs()->ResolveDiskPath(Dir("Menu\\Screens\\main.xml")), Path("Menu/Screens/main.xml").string());
    EXPECT_EQ(ReadThroughLayer(Dir("Menu\\Screens\\main.xml")), "<y/>");
    const std::string absolute = fsys::absolute(Path("Menu")).string();
    EXPECT_EQ(fs()->ResolveDiskPath(absolute + "/screens/MAIN.XML"), absolute + "/Screens/Main.XML");
    // A folder forgotten by name, trailing slash and all, is listed anew: its file renamed outside is found.
    fsys::rename(Path("Menu/Screens/b.txt"), Path("Menu/Screens/B.Txt"));
    fs()->InvalidateDiskCache(Path("Menu/Screens").string() + "/");
    EXPECT_EQ(ReadThroughLayer(Dir("menu\\screens\\B.TXT")), "b");
    // Folders differing only in case are each looked in.
    WriteRaw(Path("Data/pc/a.txt"), "A");
    WriteRaw(Path("data/pc/b.txt"), "B");
    EXPECT_EQ(ReadThroughLayer(Dir("DATA\\PC\\B.TXT")), "B");
    EXPECT_EQ(ReadThroughLayer(Dir("data\\pc\\A.txt")), "A");  // not in the folder spelt so
    EXPECT_EQ(fs()->FileSize(Dir("dAtA\\Pc\\b.txt").c_str()), 1);
    // A write replaces the file where it is; a new file goes to the first match, and
    // missing folders are made once.
    ASSERT_TRUE(WriteThroughLayer(Dir("DATA\\pc\\b.txt"), "B2"));
    ASSERT_TRUE(WriteThroughLayer(Dir("DATA\\pc\\c.txt"), "C"));
    ASSERT_TRUE(WriteThroughLayer(Dir("data\\SaveGames\\x.txt"), "saved"));
    ASSERT_TRUE(WriteThroughLayer(Dir("DATA\\SAVEGAMES\\X.TXT"), "again"));
    EXPECT_EQ(Entries(Path("data")), (std::set<std::string>{"pc", "SaveGames"}));
    EXPECT_EQ(Entries(Path("data/SaveGames")), (std::set<std::string>{"x.txt"}));
    EXPECT_EQ(std::pair(Entries(Path("data/pc")), ReadRaw(Path("data/pc/b.txt"))),
              std::pair(std::set<std::string>{"b.txt"}, std::string("B2")));
    EXPECT_EQ(Entries(Path("Data/pc")), (std::set<std::string>{"a.txt", "c.txt"}));
    // Exists, length and open reject what is no file.
    WriteRaw(Path("Five.bin"), "12345");
    EXPECT_TRUE(fs()->FileExists(Dir("five.BIN").c_str()) && fs()->ExistsOnDisk(Dir("FIVE.bin").c_str()));
    EXPECT_EQ(FileUtil::FileLength(Dir("FIVE.bin").c_str()), 5);
    LogCapture log;
    const std::string folder = Dir();  // a folder is not a file
    for (const char* name : {folder.c_str(), static_cast<const char*>(nullptr)})
        EXPECT_FALSE(fs()->FileExists(name) || fs()->ExistsOnDisk(name));
    EXPECT_EQ(FileUtil::FileLength(Dir("none.bin").c_str()), 0);
    EXPECT_TRUE(log.Contains("FileUtil::FileLength: file not found: " + Dir("none.bin") + "\n"));
    EXPECT_EQ((std::vector<File*>{fs()->Open(Dir("x.txt").c_str(), "a"), fs()->OpenRead(Dir().c_str()),
                                  fs()->OpenRead(Dir("none.txt").c_str()), fs()->OpenWrite(Dir().c_str()),
                                  fs()->OpenWrite("")}),
              std::vector<File*>(5, nullptr));
    EXPECT_EQ(log.Count("unsupported mode") + log.Count("names no file to write") + fs()->Close(nullptr), 3);
}

// The game's names of the player's files, and only those, lead into the player folder; each
// change the layer makes there is told to a listener.
TEST_F(DiskTest, ThePlayersFilesLieInThePlayerFolder)
{
    const std::string home = Path("home/turfbolt").string();
    player_folder::Use(home);
    struct Case {
        const char* name;
        std::string disk;
    };
    const Case cases[] = {
        {"Data\\SaveGames\\user.txt", home + "/SaveGames/user.txt"},
        {"data/Savegames/savegame0.txt", home + "/Savegames/savegame0.txt"},
        {"DATA\\SAVEGAMES", home + "/SAVEGAMES"},
        {"data\\log.txt", home + "/log.txt"},
        {"data\\pc\\config.txt", "data/pc/config.txt"},
        {"data\\log.txt\\x", "data/log.txt/x"},
        {"data\\SaveGamesOld\\user.txt", "data/SaveGamesOld/user.txt"},
        {"olddata\\SaveGames\\user.txt", "olddata/SaveGames/user.txt"},
        {"Turfbolt.dat", "Turfbolt.dat"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fs()->ResolveDiskPath(c.name), c.disk) << c.name;

    static std::vector<std::string> changed;
    changed.clear();
    FileSystem::SetChangeListener([](const std::string& path) { changed.push_back(path); });
    ASSERT_TRUE(WriteThroughLayer("Data\\SaveGames\\user.txt", "options"));
    EXPECT_TRUE(fs()->Remove("DATA\\savegames\\USER.TXT"));
    FileSystem::SetChangeListener(nullptr);
    ASSERT_TRUE(WriteThroughLayer("Data\\SaveGames\\user.txt", "again"));
    EXPECT_EQ(ReadRaw(home + "/SaveGames/user.txt"), "again");
    EXPECT_EQ(changed, std::vector<std::string>(2, home + "/SaveGames/user.txt"));
    EXPECT_EQ(fs()->ShownPath("data/log.txt"), (fsys::current_path() / home / "log.txt").string());
    player_folder::Use("data");
}

TEST_F(DiskTest, ACopyIsKeptOnceForTheSameBytesAndUnderTheFirstFreeNameForOthers)
{
    const std::string name = Dir("user.txt");
    const auto keep = [&] { return fs()->KeepCopy(name.c_str(), "damaged"); };
    WriteRaw(Path("user.txt"), "one");
    EXPECT_EQ(keep(), name + ".damaged");
    EXPECT_EQ(keep(), name + ".damaged");
    WriteRaw(Path("user.txt"), "two");
    EXPECT_EQ(keep(), name + ".damaged-2");
    WriteRaw(Path("user.txt"), "one");
    EXPECT_EQ(keep(), name + ".damaged");
    EXPECT_EQ(std::pair(ReadRaw(Path("user.txt.damaged")), ReadRaw(Path("user.txt.damaged-2"))),
              std::pair(std::string("one"), std::string("two")));
    EXPECT_EQ(Entries(m_dir), (std::set<std::string>{"user.txt", "user.txt.damaged", "user.txt.damaged-2"}));

    LogCapture log;
    EXPECT_EQ(fs()->KeepCopy(Dir("none.txt").c_str(), "damaged"), "");
    EXPECT_TRUE(log.Contains("FileSystem::KeepCopy: cannot read"));
    // A name taken by something else is passed over.
    fsys::create_directories(Path("taken.txt.damaged"));
    WriteRaw(Path("taken.txt"), "x");
    EXPECT_EQ(fs()->KeepCopy(Dir("taken.txt").c_str(), "damaged"), Dir("taken.txt") + ".damaged-2");
}

using AtomicWriteTest = FileTest;

TEST_F(AtomicWriteTest, TheOldContentStaysUntilCloseAndAnAbandonedWriteLeavesNoTrace)
{
    const std::string name = Dir("Saves\\user.txt");
    ASSERT_TRUE(WriteThroughLayer(name, "old content\n"));
    File* file = fs()->OpenWrite(name.c_str());
    ASSERT_NE(file, nullptr);
    const std::string text = "new content that is longer\n";
    EXPECT_EQ(file->Write(text.data(), text.size()), text.size());
    EXPECT_EQ(ReadRaw(Path("Saves/user.txt")), "old content\n");  // as a crash here would leave it
    delete file;                                                  // never closed
    EXPECT_EQ(ReadRaw(Path("Saves/user.txt")), "old content\n");
    EXPECT_EQ(Entries(Path("Saves")), (std::set<std::string>{"user.txt"}));
    // The file is synced, renamed, and then the folder is synced.
    const std::string folder = fsys::canonical(Path("Saves")).string();
    std::vector<std::string> synced;
    g_onSync = [&](const std::string& path) {
        synced.push_back(path == folder ? "folder holding " + ReadRaw(Path("Saves/user.txt")) : "file");
    };
    const bool written = WriteThroughLayer(name, text);
    g_onSync = nullptr;
    EXPECT_TRUE(written);
    EXPECT_EQ(synced, (std::vector<std::string>{"file", "folder holding " + text}));
    EXPECT_EQ(Entries(Path("Saves")), (std::set<std::string>{"user.txt"}));
}

TEST_F(AtomicWriteTest, ABatchSyncsItsFolderOnceAfterEveryFileIsWhole)
{
    ASSERT_TRUE(WriteThroughLayer(Dir("Saves\\a.txt"), "a0\n"));
    const std::string folder = fsys::canonical(Path("Saves")).string();
    std::vector<std::string> synced;
    g_onSync = [&](const std::string& path) {
        synced.push_back(path == folder ? "folder holding " + ReadRaw(Path("Saves/a.txt")) + ReadRaw(Path("Saves/b.txt"))
                                        : "file");
    };
    {
        FolderSyncBatch outer;
        {
            FolderSyncBatch inner;
            EXPECT_TRUE(WriteThroughLayer(Dir("Saves\\a.txt"), "a1\n"));
        }
        synced.push_back("inner ended");
        EXPECT_TRUE(WriteThroughLayer(Dir("Saves\\b.txt"), "b1\n"));
        EXPECT_TRUE(WriteThroughLayer(Dir("Saves\\a.txt"), "a2\n"));
    }
    synced.push_back("outer ended");
    EXPECT_TRUE(WriteThroughLayer(Dir("Saves\\b.txt"), "b2\n"));
    g_onSync = nullptr;
    EXPECT_EQ(synced, (std::vector<std::string>{"file", "folder holding a1\n", "inner ended", "file", "file",
                                                "folder holding a2\nb1\n", "outer ended", "file",
                                                "folder holding a2\nb2\n"}));
    EXPECT_FALSE(FolderSyncBatch::Defer(folder));
}

// Another program writing: it holds its temporary until told to let go.
class ForeignWriter {
public:
    explicit ForeignWriter(const fsys::path& temp)
    {
        int held[2], release[2];
        EXPECT_EQ(pipe(held) | pipe(release), 0);
        m_pid = fork();
        if (m_pid == 0) {
            close(held[0]);
            close(release[1]);
            const int fd = open(temp.c_str(), O_WRONLY | O_CREAT, 0666);
            char c = flock(fd, LOCK_EX) == 0 ? 'y' : 'n';
            if (write(held[1], &c, 1) != 1 || read(release[0], &c, 1) < 0)
                _exit(1);
            _exit(0);
        }
        close(held[1]);
        close(release[0]);
        char c = 0;
        EXPECT_EQ(read(held[0], &c, 1), 1);
        EXPECT_EQ(c, 'y');
        close(held[0]);
        m_release = release[1];
    }
    ~ForeignWriter()
    {
        close(m_release);
        waitpid(m_pid, nullptr, 0);
    }

private:
    pid_t m_pid = -1;
    int m_release = -1;
};

TEST_F(AtomicWriteTest, TemporariesThatNoWriterHoldsGoWithTheNextWrite)
{
    const pid_t gone = fork();  // a writer that has ended
    if (gone == 0)
        _exit(0);
    waitpid(gone, nullptr, 0);
    const std::string dead = std::to_string(gone);
    const std::string ours = std::to_string(getpid());
    const std::set<std::string> stale = {
        ".user.txt.tmp" + dead + "_3",
        ".user.txt.tmp" + ours + "_0",                         // an earlier run with our process id
        ".user.txt.tmp" + std::to_string(getppid()) + "_7"};  // a live process that does not hold it
    const std::set<std::string> unlike = {".other.txt.tmp" + dead + "_1", ".user.txt.tmp" + dead + "_",
                                          ".user.txt.tmp" + dead + "_3x", ".user.txt.tmp_3",
                                          ".user.txt.tmp" + dead};
    for (const std::string& name : stale)
        WriteRaw(Path(name), "partial");
    for (const std::string& name : unlike)
        WriteRaw(Path(name), "partial");
    WriteRaw(Path("user.txt"), "old");
    const std::string held = ".user.txt.tmp" + ours + "_99";
    ForeignWriter foreign(Path(held));
    File* first = fs()->OpenWrite(Dir("user.txt").c_str());
    ASSERT_NE(first, nullptr);
    // The listing the write was resolved through forgets what the clean-up removed.
    const std::string removedSpelling = ".USER.TXT.TMP" + dead + "_3";
    EXPECT_EQ(fs()->ResolveDiskPath(Dir(removedSpelling)), Path(removedSpelling).string());
    std::set<std::string> kept = unlike;
    kept.insert({held, "user.txt"});
    EXPECT_EQ(Entries(m_dir).size(), kept.size() + 1);  // and the first writer's temporary
    // This program's own writer, still open, keeps its temporary through a second write.
    File* second = fs()->OpenWrite(Dir("user.txt").c_str());
    ASSERT_NE(second, nullptr);
    second->Write("second", 6);
    EXPECT_TRUE(fs()->Close(second));
    first->Write("first", 5);
    EXPECT_TRUE(fs()->Close(first));
    EXPECT_EQ(std::pair(Entries(m_dir), ReadRaw(Path("user.txt"))), std::pair(kept, std::string("first")));
}

// Another program's clean-up may find a new temporary before its writer has locked it.
TEST_F(AtomicWriteTest, ATemporaryRemovedBeforeItsWriterLocksItIsGivenUp)
{
    for (const bool stillHeld : {false, true}) {
        int cleanup = -1;
        g_beforeLock = [&](const std::string& temp) {
            cleanup = open(temp.c_str(), O_RDONLY | O_CLOEXEC);
            EXPECT_EQ(flock(cleanup, LOCK_EX | LOCK_NB), 0);
            EXPECT_EQ(unlink(temp.c_str()), 0);
            if (!stillHeld)
                close(cleanup);
        };
        const std::string text = stillHeld ? "second" : "first";
        EXPECT_TRUE(WriteThroughLayer(Dir("user.txt"), text)) << stillHeld;
        if (stillHeld)
            close(cleanup);
        EXPECT_EQ(std::pair(Entries(m_dir), ReadRaw(Path("user.txt"))),
                  std::pair(std::set<std::string>{"user.txt"}, text));
    }
}

TEST_F(AtomicWriteTest, FailedWritesAreReportedAndKeepTheOldFileAndBinaryWritesSeek)
{
    const std::string name = Dir("big.txt");
    ASSERT_TRUE(WriteThroughLayer(name, "old\n"));
    LogCapture log;
    File* file = fs()->OpenWrite(name.c_str());
    ASSERT_NE(file, nullptr);
    const bool closed = [&] {
        DiskFullAfter full(4096);
        const std::string block(1000, 'x');
        for (int i = 0; i < 20; ++i)
            file->Write(block.data(), block.size());
        return fs()->Close(file);
    }();
    EXPECT_FALSE(closed);
    EXPECT_EQ(ReadRaw(Path("big.txt")), "old\n");
    fsys::create_directories(Path("taken/inside"));  // a folder where the file should go
    file = fs()->OpenWrite(Dir("taken").c_str());
    ASSERT_NE(file, nullptr);
    file->Write("x", 1);
    EXPECT_FALSE(fs()->Close(file));
    EXPECT_EQ(log.Count("could not store"), 2);
    EXPECT_EQ(Entries(m_dir), (std::set<std::string>{"big.txt", "taken"}));
    // Binary writes seek, and a file written again keeps its permissions.
    file = fs()->OpenWriteBinary(Dir("data.bin").c_str());
    ASSERT_NE(file, nullptr);
    file->Write("XXXXtail", 8);
    EXPECT_EQ(file->Size(), 8);  // what is still buffered counts
    EXPECT_TRUE(file->Seek(0));
    file->Write("head", 4);
    ASSERT_TRUE(fs()->Close(file));
    EXPECT_EQ(ReadRaw(Path("data.bin")), "headtail");
    fsys::permissions(Path("data.bin"), fsys::perms::owner_read | fsys::perms::owner_write);
    ASSERT_TRUE(WriteThroughLayer(Dir("data.bin"), "v2"));
    EXPECT_EQ(fsys::status(Path("data.bin")).permissions() & fsys::perms::all,
              fsys::perms::owner_read | fsys::perms::owner_write);
}

namespace {

// A file renamed over another takes its place whole, names matched without regard to case;
// removing what is not there is no failure, and what cannot be done leaves both names.
TEST_F(AtomicWriteTest, RenameReplacesInOneStepAndRemoveForgetsWhatIsGone)
{
    ASSERT_TRUE(WriteThroughLayer(Dir("Saves\\career.txt"), "old\n"));
    ASSERT_TRUE(WriteThroughLayer(Dir("Saves\\career.txt.new"), "new\n"));
    EXPECT_TRUE(fs()->ExistsOnDisk(Dir("saves\\CAREER.txt").c_str()));  // listed before the rename
    EXPECT_TRUE(fs()->Rename(Dir("SAVES\\career.txt.new").c_str(), Dir("saves\\Career.txt").c_str()));
    EXPECT_EQ(ReadRaw(Path("Saves/career.txt")), "new\n");
    EXPECT_EQ(Entries(Path("Saves")), (std::set<std::string>{"career.txt"}));
    EXPECT_FALSE(fs()->ExistsOnDisk(Dir("Saves\\career.txt.new").c_str()));

    LogCapture log;
    fsys::create_directories(Path("Saves/taken/inside"));  // a folder where the file should go
    ASSERT_TRUE(WriteThroughLayer(Dir("Saves\\other.txt"), "other\n"));
    EXPECT_FALSE(fs()->Rename(Dir("Saves\\other.txt").c_str(), Dir("Saves\\taken").c_str()));
    EXPECT_FALSE(fs()->Rename(Dir("Saves\\missing.txt").c_str(), Dir("Saves\\career.txt").c_str()));
    EXPECT_EQ(log.Count("FileSystem::Rename: could not rename"), 2);
    EXPECT_EQ(ReadRaw(Path("Saves/other.txt")), "other\n");
    EXPECT_EQ(ReadRaw(Path("Saves/career.txt")), "new\n");

    EXPECT_TRUE(fs()->Remove(Dir("saves\\OTHER.txt").c_str()));
    EXPECT_FALSE(fs()->ExistsOnDisk(Dir("Saves\\other.txt").c_str()));
    EXPECT_TRUE(fs()->Remove(Dir("Saves\\other.txt").c_str()));
    EXPECT_FALSE(fs()->Remove(Dir("Saves\\taken").c_str()));
    EXPECT_EQ(log.Count("FileSystem::Remove: could not remove"), 1);
    EXPECT_EQ(Entries(Path("Saves")), (std::set<std::string>{"career.txt", "taken"}));
}

}  // namespace
