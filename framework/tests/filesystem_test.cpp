#include "file_test_util.h"

#include "framework/FileSystem.h"

#include <csignal>
#include <cstring>
#include <sys/resource.h>

using filetest::FileTest;
using filetest::LogCapture;
using filetest::ReadRaw;
using filetest::WriteRaw;
namespace fsys = std::filesystem;

namespace {

size_t CountEntries(const fsys::path& dir)
{
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : fsys::directory_iterator(dir))
        ++n;
    return n;
}

}  // namespace

using AliasTest = FileTest;

TEST_F(AliasTest, ExpandReplacesEveryAliasWithoutRegardToCaseAndNormalisesSeparators)
{
    fs()->AddAlias("<PP>", "data\\pc\\");
    fs()->AddAlias("<TP>", "Textures24Bit\\\\");  // stored with two backslashes by one caller
    EXPECT_EQ(fs()->ExpandAliases("<PP>Menu\\main.xml"), "data\\pc\\Menu\\main.xml");
    EXPECT_EQ(fs()->ExpandAliases("<pp>\\Menu\\"), "data\\pc\\Menu\\");
    EXPECT_EQ(fs()->ExpandAliases("<Pp><tP>grass.png"), "data\\pc\\Textures24Bit\\grass.png");
    EXPECT_EQ(fs()->ExpandAliases("<PP>a/b//c\\\\\\d"), "data\\pc\\a\\b\\c\\d");
    EXPECT_EQ(fs()->ExpandAliases("x\\<PP>y"), "x\\data\\pc\\y");
    EXPECT_EQ(fs()->ExpandAliases("<LP>level01.bsp"), "<LP>level01.bsp");  // unknown stays
    EXPECT_EQ(fs()->ExpandAliases(""), "");
}

TEST_F(AliasTest, RemoveDropsEveryEntryAndAReAddedAliasTakesItsNewFolder)
{
    fs()->AddAlias("<LP>", "data\\pc\\level01\\");
    fs()->AddAlias("<LP>", "data\\pc\\level02\\");
    EXPECT_EQ(fs()->ExpandAliases("<LP>x"), "data\\pc\\level02\\x");
    EXPECT_EQ(fs()->GetAlias("<lp>"), "data\\pc\\level02\\");
    fs()->RemoveAlias("<lp>");
    EXPECT_EQ(fs()->ExpandAliases("<LP>x"), "<LP>x");
    EXPECT_EQ(fs()->GetAlias("<LP>"), "");
}

TEST_F(AliasTest, AFolderThatContainsItsOwnAliasDoesNotLoop)
{
    fs()->AddAlias("<SP>", "<SP>\\settings\\");
    EXPECT_EQ(fs()->ExpandAliases("<SP>a.txt"), "<SP>\\settings\\a.txt");
}

TEST_F(AliasTest, CollapsePrefersTheLongestFolderAndIgnoresCase)
{
    fs()->AddAlias("<PP>", "data\\pc\\");
    fs()->AddAlias("<LP>", "data\\pc\\level01\\");
    EXPECT_EQ(fs()->CollapseAliases("DATA\\PC\\Level01\\\\pitch.dff"), "<LP>pitch.dff");
    EXPECT_EQ(fs()->CollapseAliases("data/pc/Menu/x.xml"), "<PP>Menu\\x.xml");
    EXPECT_EQ(fs()->CollapseAliases("other\\x.xml"), "other\\x.xml");
    EXPECT_EQ(fs()->ExpandAliases(fs()->CollapseAliases("data\\pc\\level01\\a.bsp")), "data\\pc\\level01\\a.bsp");
}

using DiskTest = FileTest;

TEST_F(DiskTest, WindowsNamesInAnyCaseNameOneFile)
{
    // Relative to the working folder, as the game spells it; "data" may already exist
    // (the log lives there), and must then be reused rather than doubled.
    fsys::remove_all("data/SaveGames");
    fsys::remove_all("Data");
    const bool hadLowerData = fsys::exists("data");
    ASSERT_TRUE(WriteThroughLayer("Data\\SaveGames\\x.txt", "saved\n"));
    EXPECT_EQ(ReadThroughLayer("data\\Savegames\\X.TXT"), "saved\n");
    EXPECT_TRUE(fs()->FileExists("DATA\\SAVEGAMES\\x.TXT"));
    ASSERT_TRUE(WriteThroughLayer("data\\Savegames\\X.TXT", "again\n"));
    EXPECT_EQ(ReadThroughLayer("Data\\SaveGames\\x.txt"), "again\n");
    // One folder, one file: the second write replaced the first.
    const fsys::path top = hadLowerData ? "data" : "Data";
    EXPECT_EQ(fsys::exists("data") + fsys::exists("Data"), 1);
    ASSERT_TRUE(fsys::exists(top / "SaveGames"));
    EXPECT_EQ(CountEntries(top / "SaveGames"), 1u);
    EXPECT_EQ(ReadRaw(top / "SaveGames" / "x.txt"), "again\n");
    fsys::remove_all(top / "SaveGames");
}

TEST_F(DiskTest, ResolveMatchesEachComponentAndKeepsWhatDoesNotExist)
{
    WriteRaw(Path("Menu/Screens/Main.XML"), "<x/>");
    EXPECT_EQ(fs()->ResolveDiskPath(Dir() + "menu\\SCREENS\\main.xml"), Path("Menu/Screens/Main.XML").string());
    EXPECT_EQ(fs()->ResolveDiskPath(Dir() + "MENU\\missing\\Main.xml"), Path("Menu/missing/Main.xml").string());
    // An exact name wins over another that differs only in case.
    WriteRaw(Path("Menu/Screens/main.xml"), "<y/>");
    fs()->InvalidateDiskCache();
    EXPECT_EQ(fs()->ResolveDiskPath(Dir() + "Menu\\Screens\\main.xml"), Path("Menu/Screens/main.xml").string());
    // Absolute names go through the same rules.
    const std::string absolute = fsys::absolute(Path("Menu")).string();
    EXPECT_EQ(fs()->ResolveDiskPath(absolute + "/screens/MAIN.XML"), absolute + "/Screens/Main.XML");
}

TEST_F(DiskTest, FilesMadeOutsideTheLayerAreFoundAfterACachedMiss)
{
    WriteRaw(Path("a.txt"), "a");
    EXPECT_TRUE(fs()->FileExists((Dir() + "A.TXT").c_str()));
    EXPECT_FALSE(fs()->FileExists((Dir() + "B.TXT").c_str()));  // the listing is cached now
    WriteRaw(Path("b.txt"), "b");
    EXPECT_TRUE(fs()->FileExists((Dir() + "B.TXT").c_str()));
    EXPECT_EQ(ReadThroughLayer(Dir() + "B.txt"), "b");
}

TEST_F(DiskTest, ExistsAndLengthDoNotOpenAndReportMissingFiles)
{
    WriteRaw(Path("Five.bin"), "12345");
    EXPECT_TRUE(fs()->FileExists((Dir() + "five.BIN").c_str()));
    EXPECT_EQ(FileUtil::FileLength((Dir() + "FIVE.bin").c_str()), 5);
    EXPECT_FALSE(fs()->FileExists(Dir().c_str()));  // a folder is not a file
    EXPECT_FALSE(fs()->FileExists(nullptr));
    LogCapture log;
    EXPECT_EQ(FileUtil::FileLength((Dir() + "none.bin").c_str()), 0);
    EXPECT_TRUE(log.Contains("FileUtil::FileLength: file not found: " + Dir() + "none.bin\n"));
}

TEST_F(DiskTest, OpenRejectsUnknownModesAndFolders)
{
    LogCapture log;
    EXPECT_EQ(fs()->Open((Dir() + "x.txt").c_str(), "a"), nullptr);
    EXPECT_TRUE(log.Contains("unsupported mode"));
    EXPECT_EQ(fs()->OpenRead(Dir().c_str()), nullptr);
    EXPECT_EQ(fs()->OpenWrite(Dir().c_str()), nullptr);
    EXPECT_EQ(fs()->OpenWrite(""), nullptr);
    EXPECT_TRUE(log.Contains("names no file to write"));
    EXPECT_EQ(fs()->OpenRead((Dir() + "none.txt").c_str()), nullptr);
    EXPECT_FALSE(fs()->Close(nullptr));
}

TEST_F(DiskTest, PlainReadLineKeepsTheLineFeedAndLeavesTheBufferAtTheEnd)
{
    WriteRaw(Path("lines.txt"), "one\r\ntwo\nlast");
    File* file = fs()->OpenRead((Dir() + "lines.txt").c_str());
    ASSERT_NE(file, nullptr);
    char buffer[64];
    ASSERT_TRUE(file->ReadLine(buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "one\n");  // text mode folds CR LF
    ASSERT_TRUE(file->ReadLine(buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "two\n");
    EXPECT_FALSE(file->IsEof());
    ASSERT_TRUE(file->ReadLine(buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "last");
    EXPECT_TRUE(file->IsEof());
    std::strcpy(buffer, "kept");
    EXPECT_FALSE(file->ReadLine(buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "kept");
    EXPECT_TRUE(fs()->Close(file));

    file = fs()->OpenReadBinary((Dir() + "lines.txt").c_str());
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(file->ReadLine(buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "one\r\n");  // binary mode keeps every byte
    char small[4];
    ASSERT_TRUE(file->ReadLine(small, sizeof small));
    EXPECT_STREQ(small, "two");  // size - 1 characters; the rest comes next
    ASSERT_TRUE(file->ReadLine(small, sizeof small));
    EXPECT_STREQ(small, "\n");
    EXPECT_EQ(file->Size(), 13);
    fs()->Close(file);
}

TEST_F(DiskTest, TextModeReadFoldsLineEndsAcrossChunks)
{
    WriteRaw(Path("crlf.txt"), "ab\r\ncd\r\n\r\ne\rf");
    File* file = fs()->OpenRead((Dir() + "crlf.txt").c_str());
    ASSERT_NE(file, nullptr);
    std::string text;
    char c;
    while (file->Read(&c, 1) == 1)  // one byte at a time: every CR sits at a chunk's end
        text += c;
    EXPECT_EQ(text, "ab\ncd\n\ne\rf");
    fs()->Close(file);
    file = fs()->OpenRead((Dir() + "crlf.txt").c_str());
    char all[32];
    const size_t n = file->Read(all, sizeof all);
    EXPECT_EQ(std::string(all, n), "ab\ncd\n\ne\rf");
    fs()->Close(file);
}

using AtomicWriteTest = FileTest;

TEST_F(AtomicWriteTest, TheOldContentStaysUntilCloseAndAnAbandonedWriteLeavesNoTrace)
{
    const std::string name = Dir() + "Saves\\user.txt";
    ASSERT_TRUE(WriteThroughLayer(name, "old content\n"));

    File* file = fs()->OpenWrite(name.c_str());
    ASSERT_NE(file, nullptr);
    const std::string text = "new content that is longer\n";
    EXPECT_EQ(file->Write(text.data(), text.size()), text.size());
    EXPECT_EQ(ReadRaw(Path("Saves/user.txt")), "old content\n");  // as a crash here would leave it
    delete file;                                                  // never closed
    EXPECT_EQ(ReadRaw(Path("Saves/user.txt")), "old content\n");
    EXPECT_EQ(CountEntries(Path("Saves")), 1u);  // no temporary file left behind

    ASSERT_TRUE(WriteThroughLayer(name, text));
    EXPECT_EQ(ReadRaw(Path("Saves/user.txt")), text);
    EXPECT_EQ(CountEntries(Path("Saves")), 1u);
}

TEST_F(AtomicWriteTest, AFailedWriteIsReportedAndKeepsTheOldFile)
{
    const std::string name = Dir() + "big.txt";
    ASSERT_TRUE(WriteThroughLayer(name, "old\n"));
    // A file-size limit makes the disk "full" after 4 KB.
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = saved;
    limited.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);

    LogCapture log;
    File* file = fs()->OpenWrite(name.c_str());
    bool closed = true;
    if (file) {
        const std::string block(1000, 'x');
        for (int i = 0; i < 20; ++i)
            file->Write(block.data(), block.size());
        closed = fs()->Close(file);
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    ASSERT_NE(file, nullptr);
    EXPECT_FALSE(closed);
    EXPECT_TRUE(log.Contains("could not store"));
    EXPECT_EQ(ReadRaw(Path("big.txt")), "old\n");
    EXPECT_EQ(CountEntries(m_dir), 1u);
}

TEST_F(AtomicWriteTest, ARenameThatFailsIsReported)
{
    fsys::create_directories(Path("taken/inside"));  // a folder where the file should go
    LogCapture log;
    File* file = fs()->OpenWrite((Dir() + "taken").c_str());
    ASSERT_NE(file, nullptr);
    file->Write("x", 1);
    EXPECT_FALSE(fs()->Close(file));
    EXPECT_TRUE(log.Contains("could not store"));
    EXPECT_TRUE(fsys::is_directory(Path("taken/inside")));
    EXPECT_EQ(CountEntries(m_dir), 1u);
}

TEST_F(AtomicWriteTest, BinaryWritesSeekAndKeepPermissions)
{
    const std::string name = Dir() + "data.bin";
    File* file = fs()->OpenWriteBinary(name.c_str());
    ASSERT_NE(file, nullptr);
    file->Write("XXXXtail", 8);
    EXPECT_TRUE(file->Seek(0));
    file->Write("head", 4);
    EXPECT_EQ(file->Size(), 8);
    ASSERT_TRUE(fs()->Close(file));
    EXPECT_EQ(ReadRaw(Path("data.bin")), "headtail");

    fsys::permissions(Path("data.bin"), fsys::perms::owner_read | fsys::perms::owner_write);
    ASSERT_TRUE(WriteThroughLayer(name, "v2"));
    EXPECT_EQ(fsys::status(Path("data.bin")).permissions() & fsys::perms::all,
              fsys::perms::owner_read | fsys::perms::owner_write);
}
