#include "file_test_util.h"

#include "framework/Archive.h"
#include "framework/CryptedStdFile.h"
#include "framework/Scramble.h"

#include <cstring>

using filetest::FileTest;
using filetest::LogCapture;
using filetest::ReadRaw;
using filetest::WriteRaw;

namespace {

class ArchiveTest : public FileTest {
protected:
    // A folder as the build stages it, packed by the archive tool's own function.
    std::string PackStage()
    {
        WriteRaw(Path("stage/data/pc/config.txt"), "# config\r\nscreenWidth 800\r\nProject TB\r\n");
        WriteRaw(Path("stage/data/pc/Menu/Screens/Main.xml"), "<screen name=\"main\"/>\n");
        WriteRaw(Path("stage/data/pc/Textures24Bit/grass.png"), std::string("\x89PNG\r\n\x1a\n\0\0binary", 16));
        WriteRaw(Path("stage/data/pc/empty.csv"), "");
        std::string error;
        const std::string out = Dir() + "game\\data\\Turfbolt.dat";
        EXPECT_TRUE(Archive::Pack(out, Dir() + "stage", error)) << error;
        return out;
    }

    std::string ArchiveBytes() { return ReadRaw(Path("game/data/Turfbolt.dat")); }

    // Mounts a hand-made archive and returns whether it was accepted.
    bool Mount(const std::string& bytes)
    {
        WriteRaw(Path("bad.dat"), bytes);
        return fs()->AddDataFile((Dir() + "bad.dat").c_str(), false);
    }
};

void Put(std::string& s, uint64_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

std::string HandMade(uint32_t count, uint64_t directoryOffset, const std::string& data, const std::string& directory)
{
    std::string s = "TBDA";
    Put(s, 1, 4);
    Put(s, count, 4);
    Put(s, 0, 4);
    Put(s, directoryOffset, 8);
    return s + data + directory;
}

std::string DirEntry(const std::string& name, uint64_t offset, uint64_t size, uint32_t flags)
{
    std::string s;
    Put(s, name.size(), 2);
    s += name;
    Put(s, offset, 8);
    Put(s, size, 8);
    Put(s, flags, 4);
    return s;
}

}  // namespace

TEST_F(ArchiveTest, TheToolsArchiveShadowsDiskFilesAndStoresTextScrambled)
{
    const std::string dat = PackStage();
    // The same name on disk, but relative to the working folder as the game asks for it.
    WriteRaw("data/pc/config.txt", "from disk\n");
    ASSERT_TRUE(fs()->AddDataFile(dat.c_str(), false));
    EXPECT_EQ(ReadThroughLayer("data\\pc\\config.txt"), "# config\r\nscreenWidth 800\r\nProject TB\r\n");
    EXPECT_EQ(ReadThroughLayer("DATA/PC//Config.TXT"), ReadThroughLayer(".\\data\\pc\\config.txt"));
    fs()->AddAlias("<PP>", "data\\pc\\");
    EXPECT_EQ(ReadThroughLayer("<pp>menu\\screens\\MAIN.XML"), "<screen name=\"main\"/>\n");
    EXPECT_EQ(ReadThroughLayer("<PP>Textures24Bit\\grass.png"), std::string("\x89PNG\r\n\x1a\n\0\0binary", 16));
    EXPECT_EQ(ReadThroughLayer("<PP>empty.csv"), "");
    EXPECT_TRUE(fs()->FileExists("<PP>Menu\\Screens\\Main.xml"));
    EXPECT_EQ(FileUtil::FileLength("<PP>Menu\\Screens\\Main.xml"), 22);
    EXPECT_FALSE(fs()->FileExists("<PP>Menu\\Screens\\Other.xml"));

    const std::string raw = ArchiveBytes();
    EXPECT_EQ(raw.find("screenWidth"), std::string::npos);  // text is not stored plain
    EXPECT_NE(raw.find("binary"), std::string::npos);       // other files are
    EXPECT_NE(raw.find("data\\pc\\Menu\\Screens\\Main.xml"), std::string::npos);
    std::filesystem::remove("data/pc/config.txt");
}

TEST_F(ArchiveTest, BothMountModesServeTheSameEntries)
{
    const std::string dat = PackStage();
    for (bool cache : {false, true}) {
        FileSystem::DestroyInstance();
        ASSERT_TRUE(fs()->AddDataFile(dat.c_str(), cache));
        EXPECT_EQ(ReadThroughLayer("data\\pc\\config.txt"), "# config\r\nscreenWidth 800\r\nProject TB\r\n");
        EXPECT_EQ(ReadThroughLayer("data\\pc\\Textures24Bit\\GRASS.png").size(), 16u);
    }
}

TEST_F(ArchiveTest, ArchiveReadLineCutsAtTheLineFeedAndDropsCarriageReturns)
{
    ASSERT_TRUE(fs()->AddDataFile(PackStage().c_str(), true));
    File* file = fs()->OpenRead("data\\pc\\config.txt");
    ASSERT_NE(file, nullptr);
    char line[64];
    ASSERT_TRUE(file->ReadLine(line, sizeof line));
    EXPECT_STREQ(line, "# config");
    char small[8];
    ASSERT_TRUE(file->ReadLine(small, sizeof small));
    EXPECT_STREQ(small, "screenW");  // at most size - 1 characters
    ASSERT_TRUE(file->ReadLine(line, sizeof line));
    EXPECT_STREQ(line, "idth 800");
    ASSERT_TRUE(file->ReadLine(line, sizeof line));
    EXPECT_STREQ(line, "Project TB");
    EXPECT_TRUE(file->IsEof());
    std::strcpy(line, "kept");
    EXPECT_FALSE(file->ReadLine(line, sizeof line));
    EXPECT_STREQ(line, "kept");
    EXPECT_TRUE(fs()->Close(file));
}

TEST_F(ArchiveTest, PackingAgainReplacesTheArchiveAndSkipsItself)
{
    // The archive written into the folder it packs must not pack itself next time.
    WriteRaw(Path("stage/a.txt"), "a");
    std::string error;
    ASSERT_TRUE(Archive::Pack(Dir() + "stage\\out.dat", Dir() + "stage", error)) << error;
    ASSERT_TRUE(Archive::Pack(Dir() + "stage\\out.dat", Dir() + "stage", error)) << error;
    std::unique_ptr<Archive> archive = Archive::Open(Path("stage/out.dat").string(), false, error);
    ASSERT_NE(archive, nullptr) << error;
    ASSERT_EQ(archive->Entries().size(), 1u);
    EXPECT_EQ(archive->Entries()[0].name, "a.txt");
    EXPECT_EQ(archive->Entries()[0].flags, Archive::kTextEntry);
    EXPECT_FALSE(Archive::Pack(Dir() + "x.dat", Dir() + "no such folder", error));
    EXPECT_NE(error.find("not a folder"), std::string::npos);
}

TEST_F(ArchiveTest, EveryTruncationOfAnArchiveIsRejectedWithItsReason)
{
    PackStage();
    const std::string whole = ArchiveBytes();
    LogCapture log;
    for (size_t length = 0; length < whole.size(); ++length) {
        FileSystem::DestroyInstance();
        log.Clear();
        EXPECT_FALSE(Mount(whole.substr(0, length))) << "accepted " << length << " of " << whole.size() << " bytes";
        EXPECT_TRUE(log.Contains("FileSystem::AddDataFile: cannot use")) << log.Text();
    }
    log.Clear();
    FileSystem::DestroyInstance();
    EXPECT_FALSE(Mount(whole.substr(0, 10)));
    EXPECT_TRUE(log.Contains("too short for the header")) << log.Text();
    FileSystem::DestroyInstance();
    EXPECT_FALSE(Mount(whole.substr(0, whole.size() - 1)));
    EXPECT_TRUE(log.Contains("truncated")) << log.Text();
    FileSystem::DestroyInstance();
    EXPECT_TRUE(Mount(whole));
}

TEST_F(ArchiveTest, GarbageAndInconsistentArchivesAreRejected)
{
    LogCapture log;
    EXPECT_FALSE(Mount(std::string(4096, '\x5A')));
    EXPECT_TRUE(log.Contains("bad magic")) << log.Text();

    std::string wrongVersion = HandMade(0, 24, "", "");
    wrongVersion[4] = 2;
    EXPECT_FALSE(Mount(wrongVersion));
    EXPECT_TRUE(log.Contains("unsupported version 2"));

    // An entry whose data would reach into the directory.
    EXPECT_FALSE(Mount(HandMade(1, 28, "abcd", DirEntry("a.bin", 24, 5, 0))));
    EXPECT_TRUE(log.Contains("entry \"a.bin\" lies outside the data"));
    // Offsets chosen to overflow when added.
    EXPECT_FALSE(Mount(HandMade(1, 28, "abcd", DirEntry("a.bin", 26, UINT64_MAX - 10, 0))));
    // A count far beyond what the directory holds.
    EXPECT_FALSE(Mount(HandMade(0xFFFFFFFF, 28, "abcd", DirEntry("a.bin", 24, 4, 0))));
    EXPECT_TRUE(log.Contains("cannot fit"));
    EXPECT_FALSE(Mount(HandMade(1, 28, "abcd", DirEntry("", 24, 4, 0))));
    EXPECT_TRUE(log.Contains("empty name"));

    EXPECT_TRUE(Mount(HandMade(1, 28, "abcd", DirEntry("a.bin", 24, 4, 0))));
    EXPECT_EQ(ReadThroughLayer("A.BIN"), "abcd");
}

TEST_F(ArchiveTest, AMissingArchiveEndsTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(fs()->AddDataFile((Dir() + "data\\Turfbolt.dat").c_str(), false), ::testing::ExitedWithCode(1),
                "data file not found");
}

TEST(ScrambleTest, TheKeyRestartsWithEveryFileAndUndoesItself)
{
    std::string text = "SECTION Graphics\nscreenWidth 800\n";
    std::string scrambled = text;
    Scramble::Apply(scrambled.data(), scrambled.size());
    EXPECT_NE(scrambled, text);
    std::string prefix = text.substr(0, 7);
    Scramble::Apply(prefix.data(), prefix.size());
    EXPECT_EQ(prefix, scrambled.substr(0, 7));
    // Equal bytes at different places scramble differently.
    std::string same(64, 'a');
    Scramble::Apply(same.data(), same.size());
    EXPECT_NE(same.find_first_not_of(same[0]), std::string::npos);
    Scramble::Apply(scrambled.data(), scrambled.size());
    EXPECT_EQ(scrambled, text);
}

TEST(ScrambleTest, HexIsUppercaseSixtyFourPairsALine)
{
    std::vector<uint8_t> bytes(130);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + 0xA0);
    const std::string hex = Scramble::EncodeHex(bytes.data(), bytes.size());
    EXPECT_EQ(hex.substr(0, 4), "A0A7");
    EXPECT_EQ(hex.find('\n'), 128u);
    EXPECT_EQ(hex.find('\n', 129), 257u);
    EXPECT_EQ(hex.size(), 130u * 2 + 3);
    EXPECT_EQ(hex.find_first_of("abcdef"), std::string::npos);
    std::vector<uint8_t> back;
    ASSERT_TRUE(Scramble::DecodeHex(hex.data(), hex.size(), back));
    EXPECT_EQ(back, bytes);
    EXPECT_EQ(Scramble::EncodeHex(nullptr, 0), "");
}

using CryptedFileTest = FileTest;

TEST_F(CryptedFileTest, RoundTripStoresHexAndReadsLikeAnArchiveText)
{
    const std::string name = Dir() + "SaveGames\\gained.txt";
    const std::string text = "# ---- Gained Objects\r\nOBJECT START\n \"Count\" 3\n" + std::string(200, 'z') + "\n";
    File* out = CryptedStdFile::Open(name.c_str(), true);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out->Write(text.data(), text.size()), text.size());
    EXPECT_TRUE(fs()->Close(out));

    const std::string stored = ReadRaw(Path("SaveGames/gained.txt"));
    EXPECT_EQ(stored.find("OBJECT"), std::string::npos);
    EXPECT_EQ(stored.find_first_not_of("0123456789ABCDEF\n"), std::string::npos);
    EXPECT_EQ(stored.find('\n'), 128u);

    File* in = CryptedStdFile::Open((Dir() + "savegames\\GAINED.TXT").c_str(), false);
    ASSERT_NE(in, nullptr);
    EXPECT_EQ(in->Size(), static_cast<int64_t>(text.size()));
    char line[300];
    ASSERT_TRUE(in->ReadLine(line, sizeof line));
    EXPECT_STREQ(line, "# ---- Gained Objects");
    ASSERT_TRUE(in->ReadLine(line, sizeof line));
    EXPECT_STREQ(line, "OBJECT START");
    ASSERT_TRUE(in->Seek(0));
    std::string all(text.size(), '\0');
    EXPECT_EQ(in->Read(all.data(), all.size()), text.size());
    EXPECT_EQ(all, text);
    EXPECT_TRUE(in->IsEof());
    fs()->Close(in);
}

TEST_F(CryptedFileTest, CorruptHexIsReportedAndGivesNoFile)
{
    LogCapture log;
    WriteRaw(Path("bad.txt"), "0A1B\r\n2C3G\n");
    EXPECT_EQ(CryptedStdFile::Open((Dir() + "bad.txt").c_str(), false), nullptr);
    EXPECT_TRUE(log.Contains("CryptedStdFile::Open")) << log.Text();
    EXPECT_TRUE(log.Contains("bad hex at byte 9")) << log.Text();
    WriteRaw(Path("odd.txt"), "0A1\n");
    EXPECT_EQ(CryptedStdFile::Open((Dir() + "odd.txt").c_str(), false), nullptr);
    EXPECT_EQ(CryptedStdFile::Open((Dir() + "missing.txt").c_str(), false), nullptr);
    WriteRaw(Path("empty.txt"), "");
    File* empty = CryptedStdFile::Open((Dir() + "empty.txt").c_str(), false);
    ASSERT_NE(empty, nullptr);
    EXPECT_TRUE(empty->IsEof());
    fs()->Close(empty);
}

TEST_F(CryptedFileTest, AnUnclosedScrambledWriteLeavesTheOldFile)
{
    const std::string name = Dir() + "savegame1.txt";
    File* out = CryptedStdFile::Open(name.c_str(), true);
    out->Write("first", 5);
    ASSERT_TRUE(fs()->Close(out));
    const std::string before = ReadRaw(Path("savegame1.txt"));

    out = CryptedStdFile::Open(name.c_str(), true);
    out->Write("second", 6);
    delete out;
    EXPECT_EQ(ReadRaw(Path("savegame1.txt")), before);

    File* in = CryptedStdFile::Open(name.c_str(), false);
    char buffer[16] = {};
    EXPECT_EQ(in->Read(buffer, sizeof buffer), 5u);
    EXPECT_STREQ(buffer, "first");
    fs()->Close(in);
}
