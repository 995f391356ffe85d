#include "framework/Archive.h"
#include "framework/CryptedStdFile.h"
#include "framework/Scramble.h"
#include "support/FileTest.h"
#include "tests/support/LogCapture.h"

#include <cstring>
#include <map>

namespace {

const std::string kConfig = "# config\r\nscreenWidth 800\r\nProject TB\r\n";
const std::string kPng("\x89PNG\r\n\x1a\n\0\0binary", 16);

class ArchiveTest : public FileTest {
protected:
    // A folder as the build stages it, packed into itself by the archive tool's own function:
    // packed again, the archive must not take itself in.
    std::string PackStage()
    {
        WriteRaw(Path("stage/data/pc/config.txt"), kConfig);
        WriteRaw(Path("stage/data/pc/Menu/Screens/Main.xml"), "<screen name=\"main\"/>\n");
        WriteRaw(Path("stage/data/pc/Textures24Bit/grass.png"), kPng);
        WriteRaw(Path("stage/data/pc/empty.csv"), "");
        std::string error;
        for (int pack = 0; pack < 2; ++pack)
            EXPECT_TRUE(Archive::Pack(Dir("stage\\data\\Turfbolt.dat"), Dir("stage"), error)) << error;
        return Dir("stage\\data\\Turfbolt.dat");
    }
    // Mounts the bytes as an archive and returns whether they were accepted.
    bool Mount(const std::string& bytes)
    {
        FileSystem::DestroyInstance();
        WriteRaw(Path("bad.dat"), bytes);
        return fs()->AddDataFile(Dir("bad.dat").c_str(), false);
    }
};

std::string Little(uint64_t v, int bytes)
{
    std::string s;
    for (int i = 0; i < bytes; ++i)
        s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    return s;
}

// Header, "abcd" as the data and one directory entry.
std::string HandMade(uint32_t count, const std::string& name, uint64_t offset, uint64_t size, int version = 1)
{
    return "TBDA" + Little(version, 4) + Little(count, 4) + Little(0, 4) + Little(28, 8) + "abcd" +
           Little(name.size(), 2) + name + Little(offset, 8) + Little(size, 8) + Little(0, 4);
}

}  // namespace

TEST_F(ArchiveTest, TheToolsArchiveShadowsDiskFilesAndStoresTextScrambled)
{
    const std::string dat = PackStage();
    WriteRaw("data/pc/config.txt", "from disk\n");  // relative to the working folder, as the game asks
    for (bool cache : {false, true}) {
        FileSystem::DestroyInstance();
        ASSERT_TRUE(fs()->AddDataFile(dat.c_str(), cache));
        fs()->AddAlias("<PP>", "data\\pc\\");
        EXPECT_EQ(ReadThroughLayer("DATA/PC//Config.TXT"), kConfig);
        EXPECT_EQ(ReadThroughLayer(".\\data\\pc\\config.txt"), kConfig);
        EXPECT_EQ(ReadThroughLayer("<pp>menu\\screens\\MAIN.XML"), "<screen name=\"main\"/>\n");
        EXPECT_EQ(ReadThroughLayer("<PP>Textures24Bit\\grass.png"), kPng);
        EXPECT_EQ(ReadThroughLayer("<PP>empty.csv"), "");
        EXPECT_EQ(FileUtil::FileLength("<PP>Menu\\Screens\\Main.xml"), 22);
        EXPECT_FALSE(fs()->FileExists("<PP>Menu\\Screens\\Other.xml") || fs()->FileExists("data\\Turfbolt.dat"));
    }
    const std::string raw = ReadRaw(Path("stage/data/Turfbolt.dat"));
    EXPECT_EQ(raw.find("screenWidth"), std::string::npos);  // text is not stored plain
    EXPECT_NE(raw.find("binary"), std::string::npos);       // other files are
    EXPECT_NE(raw.find("data\\pc\\Menu\\Screens\\Main.xml"), std::string::npos);
    std::filesystem::remove("data/pc/config.txt");
    std::string error;
    EXPECT_FALSE(Archive::Pack(Dir("x.dat"), Dir("no such folder"), error));
    EXPECT_EQ(error, "not a folder: " + Dir("no such folder"));
    EXPECT_FALSE(Archive::Pack(Dir("stage\\data\\Turfbolt.dat\\x.dat"), Dir("stage"), error));
    EXPECT_EQ(error, "cannot create " + Dir("stage\\data\\Turfbolt.dat\\x.dat"));
}

TEST_F(ArchiveTest, ATextReadsTheSameFromTheArchiveAndFromDisk)
{
    const std::string text = "one\r\ntwo\rthree\r\n\r\nlast\r";
    WriteRaw(Path("stage/t.txt"), text);
    std::string error;
    ASSERT_TRUE(Archive::Pack(Dir("t.dat"), Dir("stage"), error)) << error;
    // Read one byte at a time, every carriage return sits at the end of a chunk.
    auto readAll = [&](const std::string& name, const char* mode, size_t chunk) {
        const bool lines = chunk == 0;
        File* file = fs()->Open(name.c_str(), mode);
        std::string got;
        char buffer[5];
        size_t n;
        while (lines ? file->ReadLine(buffer, sizeof buffer) : (n = file->Read(buffer, chunk)) > 0)
            got += lines ? std::string(buffer) + "|" : std::string(buffer, n);
        EXPECT_TRUE(file->IsEof() && file->Size() == 23);
        fs()->Close(file);
        return lines ? got + "kept " + buffer : got;  // the end leaves the buffer as it was
    };
    const std::map<std::pair<std::string, size_t>, std::string> expected = {
        {{"r", 1}, "one\ntwo\rthree\n\nlast\r"}, {{"r", 3}, "one\ntwo\rthree\n\nlast\r"},
        {{"r", 0}, "one\n|two\r|thre|e\n|\n|last|\r|kept \r"}, {{"rb", 3}, text},
        {{"rb", 0}, "one\r|\n|two\r|thre|e\r\n|\r\n|last|\r|kept \r"}};
    ASSERT_TRUE(fs()->AddDataFile(Dir("t.dat").c_str(), true));
    for (const std::string& name : {Dir("stage\\t.txt"), std::string("T.TXT")}) {
        for (const auto& [how, got] : expected)
            EXPECT_EQ(readAll(name, how.first.c_str(), how.second), got) << name << " " << how.first << how.second;
    }
}

TEST_F(ArchiveTest, DamagedArchivesAreRejectedWithTheirReason)
{
    PackStage();
    const std::string whole = ReadRaw(Path("stage/data/Turfbolt.dat"));
    LogCapture log;
    const auto openFiles = [] { return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}); };
    const auto filesBefore = openFiles();
    for (size_t length = 0; length < whole.size(); ++length)
        EXPECT_FALSE(Mount(whole.substr(0, length))) << "accepted " << length << " of " << whole.size();
    EXPECT_EQ(log.Count("FileSystem::AddDataFile: cannot use"), static_cast<int>(whole.size()));
    EXPECT_EQ(log.Count("too short for the header"), 24);
    const std::pair<std::string, const char*> damaged[] = {
        {whole.substr(0, whole.size() - 1), "truncated"},
        {std::string(4096, '\x5A'), "bad magic"},
        {HandMade(1, "a.bin", 24, 4, 2), "unsupported version 2"},
        {HandMade(1, "a.bin", 24, 5), "entry \"a.bin\" lies outside the data"},  // reaches into the directory
        {HandMade(1, "a.bin", 26, UINT64_MAX - 10), "lies outside"},            // overflows when added
        {HandMade(1, "a.bin", 20, 4), "lies outside"},                          // inside the header
        {HandMade(0xFFFFFFFF, "a.bin", 24, 4), "cannot fit"},
        {HandMade(2, std::string(30, 'n'), 24, 4), "directory truncated at entry 1"},
        {HandMade(1, "", 24, 4), "empty name"}};
    for (const auto& [bytes, reason] : damaged) {
        log.Clear();
        EXPECT_FALSE(Mount(bytes)) << reason;
        EXPECT_TRUE(log.Contains(reason)) << log.Text();
    }
    EXPECT_EQ(openFiles(), filesBefore) << "a refused archive stays open";
    EXPECT_TRUE(Mount(whole) && Mount(HandMade(1, "a.bin", 24, 4)));
    EXPECT_EQ(ReadThroughLayer("A.BIN"), "abcd");
}

TEST_F(ArchiveTest, AMissingArchiveEndsTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // Named as the system writes the path, for the player to look for it.
    const std::string path = (std::filesystem::current_path() / Path("data/Turfbolt.dat")).string();
    EXPECT_EXIT(fs()->AddDataFile(Dir("data\\Turfbolt.dat").c_str(), false), ::testing::ExitedWithCode(1),
                "data file not found: " + path);
}

TEST(ScrambleTest, TheKeyRestartsWithEveryFileAndHexIsUppercaseSixtyFourPairsALine)
{
    std::string text = "SECTION Graphics\nscreenWidth 800\n" + std::string(64, 'a');
    std::string scrambled = text;
    Scramble::Apply(scrambled.data(), scrambled.size());
    std::string prefix = text.substr(0, 7);
    Scramble::Apply(prefix.data(), prefix.size());
    EXPECT_EQ(prefix, scrambled.substr(0, 7));
    // Equal bytes at different places scramble differently.
    EXPECT_NE(scrambled.find_first_not_of(scrambled[40], 40), std::string::npos);
    Scramble::Apply(scrambled.data(), scrambled.size());
    EXPECT_EQ(scrambled, text);

    std::vector<uint8_t> bytes(130);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + 0xA0);
    const std::string hex = Scramble::EncodeHex(bytes.data(), bytes.size());
    EXPECT_EQ(hex.substr(0, 4), "A0A7");
    EXPECT_EQ((std::vector<size_t>{hex.find('\n'), hex.find('\n', 129), hex.size(), hex.find_first_of("abcdef")}),
              (std::vector<size_t>{128, 257, 130 * 2 + 3, std::string::npos}));
    std::vector<uint8_t> back;
    ASSERT_TRUE(Scramble::DecodeHex(hex.data(), hex.size(), back));
    EXPECT_EQ(std::pair(back, Scramble::EncodeHex(nullptr, 0)), std::pair(bytes, std::string()));
}

using CryptedFileTest = FileTest;

TEST_F(CryptedFileTest, RoundTripStoresHexAndReadsAsTextAndCorruptHexGivesNoFile)
{
    const std::string text = "# ---- Gained Objects\r\nOBJECT START\n \"Count\" 3\n" + std::string(200, 'z') + "\n";
    File* out = CryptedStdFile::Open(Dir("SaveGames\\gained.txt").c_str(), true);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out->Write(text.data(), text.size()), text.size());
    EXPECT_TRUE(fs()->Close(out));
    const std::string stored = ReadRaw(Path("SaveGames/gained.txt"));
    EXPECT_EQ(std::pair(stored.find_first_not_of("0123456789ABCDEF\n"), stored.find('\n')), std::pair(std::string::npos, size_t{128}));
    File* in = CryptedStdFile::Open(Dir("savegames\\GAINED.TXT").c_str(), false);
    ASSERT_NE(in, nullptr);
    EXPECT_EQ(in->Size(), static_cast<int64_t>(text.size()));
    char line[300];
    ASSERT_TRUE(in->ReadLine(line, sizeof line));
    EXPECT_STREQ(line, "# ---- Gained Objects\n");
    ASSERT_TRUE(in->Seek(0));
    std::string all(text.size(), '\0');
    all.resize(in->Read(all.data(), all.size()));
    EXPECT_EQ(all, "# ---- Gained Objects\nOBJECT START\n \"Count\" 3\n" + std::string(200, 'z') + "\n");
    EXPECT_TRUE(in->IsEof());
    fs()->Close(in);
    out = CryptedStdFile::Open(Dir("SaveGames\\gained.txt").c_str(), true);
    out->Write("second", 6);
    delete out;  // never closed: the old file stays
    EXPECT_EQ(ReadRaw(Path("SaveGames/gained.txt")), stored);
    // Corrupt hex gives no file.
    LogCapture log;
    WriteRaw(Path("bad.txt"), "0A1B\r\n2C3G\n");
    EXPECT_EQ(CryptedStdFile::Open(Dir("bad.txt").c_str(), false), nullptr);
    EXPECT_TRUE(log.Contains("CryptedStdFile::Open: " + Dir("bad.txt") + " is not a scrambled text file (bad hex at byte 9)"));
    WriteRaw(Path("odd.txt"), "0A1\n");
    EXPECT_EQ(CryptedStdFile::Open(Dir("odd.txt").c_str(), false), nullptr);
    EXPECT_EQ(CryptedStdFile::Open(Dir("missing.txt").c_str(), false), nullptr);
}
