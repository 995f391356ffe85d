#include "support/EngineTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

void ThreeChunks(RwStream* s)
{
    const RwUInt32 a[2] = {1, 2}, v = 0xabcdef01;
    RwStreamWriteChunkHeader(s, 0x100, 1, 8);
    RwStreamWriteUInt32(s, a, 2);
    RwStreamWriteChunkHeader(s, 16, 3, 4);
    RwStreamWriteUInt32(s, &v, 1);
    RwStreamWriteChunkHeader(s, 22, 7, 0);
}

TEST(StreamTest, FindChunkSkipsOtherChunksAndFailsWithALogLineOnCutShortInput)
{
    const std::vector<RwUInt8> whole = Written(ThreeChunks);
    ASSERT_EQ(whole.size(), 12u + 8 + 12 + 4 + 12);
    Reader r(whole);
    RwUInt32 size = 0, version = 0, value = 0;
    ASSERT_TRUE(RwStreamFindChunk(r.stream, 16, &size, &version));
    EXPECT_EQ((std::vector<RwUInt32>{size, version}), (std::vector<RwUInt32>{4, 3}));
    EXPECT_EQ(RwStreamTell(r.stream), 12 + 8 + 12);
    ASSERT_TRUE(RwStreamReadUInt32(r.stream, &value, 1));
    EXPECT_EQ(value, 0xabcdef01u);
    ASSERT_TRUE(RwStreamFindChunk(r.stream, 22, &size, &version));
    EXPECT_EQ((std::vector<RwUInt32>{size, version}), (std::vector<RwUInt32>{0, 7}));
    EXPECT_FALSE(RwStreamFindChunk(r.stream, 16, &size, &version));  // nothing of that type follows

    LogCapture log;
    for (size_t cut = 0; cut < whole.size(); ++cut) {
        Reader part({whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)});
        EXPECT_FALSE(RwStreamFindChunk(part.stream, 22, &size, &version)) << "cut at " << cut;
    }
    // A header whose payload claims more than remains is reported.
    Reader part({whole.begin(), whole.begin() + 12 + 8 + 12 + 2});
    EXPECT_FALSE(RwStreamFindChunk(part.stream, 16, &size, &version));
    EXPECT_TRUE(log.Contains("RwStreamFindChunk: chunk 16 claims 4 bytes, 2 remain"));
    // Reads and skips stop at the end; a read stream takes no writes.
    Reader ten(std::vector<RwUInt8>(10, 7));
    RwUInt8 b[8] = {};
    EXPECT_NE(RwStreamSkip(ten.stream, 4), nullptr);
    EXPECT_EQ(RwStreamTell(ten.stream), 4);
    EXPECT_EQ(RwStreamGetRemaining(ten.stream), 6);
    EXPECT_EQ(RwStreamRead(ten.stream, b, 8), 6u);
    EXPECT_EQ(RwStreamRead(ten.stream, b, 1), 0u);
    Reader again(ten.bytes);
    EXPECT_EQ(RwStreamSkip(again.stream, 11), nullptr);
    EXPECT_EQ(RwStreamGetRemaining(again.stream), 0);
    EXPECT_EQ(RwStreamWrite(again.stream, b, 1), nullptr);
    // Appending keeps what the memory held.
    EXPECT_EQ(Written([](RwStream* a) { RwStreamWriteChunkHeader(a, 1, 2, 3); }, rwStreamAppend, {9, 9}),
              (std::vector<RwUInt8>{9, 9, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0}));
}

TEST(StreamTest, StringsRoundTripAndBadOnesAreRefused)
{
    const std::vector<RwUInt8> bytes = Written([](RwStream* s) {
        RwStreamWriteString(s, "pitch");
        RwStreamWriteString(s, "");
        RwStreamWriteString(s, "0123456789");
    });
    EXPECT_EQ(bytes.size(), RwStreamStringSize("pitch") + RwStreamStringSize("") + RwStreamStringSize("0123456789"));
    Reader r(bytes);
    char text[8];
    for (const char* expected : {"pitch", ""}) {
        ASSERT_TRUE(RwStreamReadString(r.stream, text, sizeof text));
        EXPECT_STREQ(text, expected);
    }
    LogCapture log;
    EXPECT_FALSE(RwStreamReadString(r.stream, text, sizeof text));
    EXPECT_STREQ(text, "");
    EXPECT_TRUE(log.Contains("too long"));
    // Cut inside the text, a length that disagrees with the chunk, and another chunk type.
    std::vector<RwUInt8> cut(bytes.begin(), bytes.begin() + 12 + 4 + 3), disagrees = bytes, other = bytes;
    disagrees[12] = 4;
    other[0] = 0x22;
    for (const std::vector<RwUInt8>& bad : {cut, disagrees, other}) {
        Reader b(bad);
        std::strcpy(text, "x");
        EXPECT_FALSE(RwStreamReadString(b.stream, text, sizeof text));
        EXPECT_STREQ(text, "");
    }
}

// Opens, through the disk, only the names that begin with its letter; counts opens and polls.
class LetterFileSystem : public RtFileSystem {
public:
    explicit LetterFileSystem(const char* name) : m_name(name) {}
    const char* GetName() const override { return m_name; }
    RtFile* Open(const char* file, RwStreamAccessType access) override
    {
        RtFile* f = file[0] == m_name[0] ? RtFSManagerGetDefaultFileSystem()->Open(file, access) : nullptr;
        opens += f != nullptr;
        return f;
    }
    void PollFiles() override { ++polls; }
    int opens = 0, polls = 0;

private:
    const char* m_name;
};

TEST(StreamTest, FileSystemsAreTriedInRegistrationOrderAndTheDiskWithoutThem)
{
    LetterFileSystem first("a"), second("a2"), third("b");
    ASSERT_TRUE(RtFSManagerOpen(2));
    EXPECT_TRUE(RtFSManagerRegister(&first));
    EXPECT_FALSE(RtFSManagerRegister(&first));
    EXPECT_TRUE(RtFSManagerRegister(&second));
    EXPECT_FALSE(RtFSManagerRegister(&third));  // the limit is 2
    EXPECT_EQ(RtFSManagerGetFileSystemFromName("a2"), &second);
    LogCapture log;
    for (const char* name : {"a.bin", "b.bin"}) {
        RwStream* w = RwStreamOpen(rwStreamFileName, rwStreamWrite, name);
        EXPECT_EQ(w != nullptr, name[0] == 'a') << name;  // no file system takes b
        if (w)
            ThreeChunks(w);
        EXPECT_EQ(RwStreamClose(w, nullptr), w != nullptr);
    }
    RtFSManagerUnregister(&first);
    RwStreamClose(RwStreamOpen(rwStreamFileName, rwStreamRead, "a.bin"), nullptr);
    RtFSManagerPollFiles();
    EXPECT_EQ((std::vector<int>{first.opens, second.opens, second.polls, first.polls}), (std::vector<int>{1, 1, 1, 0}));
    RtFSManagerClose();

    // Closed, the manager opens files on the disk itself.
    RwStream* r = RwStreamOpen(rwStreamFileName, rwStreamRead, "a.bin");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(RwStreamGetRemaining(r), 48);
    RwUInt32 size, version;
    EXPECT_TRUE(RwStreamFindChunk(r, 22, &size, &version));
    EXPECT_EQ(version, 7u);
    EXPECT_EQ(RwStreamGetRemaining(r), 0);
    EXPECT_FALSE(RwStreamSkip(r, 1));
    RwStreamClose(r, nullptr);
    RwStreamClose(RwStreamOpen(rwStreamFileName, rwStreamWrite, "empty.bin"), nullptr);
    r = RwStreamOpen(rwStreamFileName, rwStreamRead, "empty.bin");
    EXPECT_EQ(RwStreamGetRemaining(r), 0);
    RwStreamClose(r, nullptr);
    EXPECT_EQ(RwStreamOpen(rwStreamFileName, rwStreamRead, "no such file.bin"), nullptr);
    EXPECT_TRUE(log.Contains("no such file.bin"));
}

}  // namespace
