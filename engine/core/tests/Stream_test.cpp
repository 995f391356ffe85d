#include "support/EngineTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Writes into a memory stream and returns the bytes.
std::vector<RwUInt8> Written(void (*fill)(RwStream*))
{
    RwStream* s = RwStreamOpen(rwStreamMemory, rwStreamWrite, nullptr);
    fill(s);
    RwMemory mem{};
    RwStreamClose(s, &mem);
    std::vector<RwUInt8> out(mem.start, mem.start + mem.length);
    std::free(mem.start);
    return out;
}

RwStream* ReadStream(std::vector<RwUInt8>& bytes, RwMemory& mem)
{
    mem = {bytes.data(), RwUInt32(bytes.size())};
    return RwStreamOpen(rwStreamMemory, rwStreamRead, &mem);
}

void ThreeChunks(RwStream* s)
{
    const RwUInt32 a[2] = {1, 2};
    RwStreamWriteChunkHeader(s, 0x100, 1, 8);
    RwStreamWriteUInt32(s, a, 2);
    RwStreamWriteChunkHeader(s, 16, 3, 4);
    const RwUInt32 v = 0xabcdef01;
    RwStreamWriteUInt32(s, &v, 1);
    RwStreamWriteChunkHeader(s, 22, 7, 0);
}

TEST(StreamTest, FindChunkSkipsOtherChunksAndReportsSizeAndVersion)
{
    std::vector<RwUInt8> bytes = Written(ThreeChunks);
    ASSERT_EQ(bytes.size(), 12u + 8 + 12 + 4 + 12);
    RwMemory mem;
    RwStream* s = ReadStream(bytes, mem);
    RwUInt32 size = 0, version = 0, value = 0;
    ASSERT_TRUE(RwStreamFindChunk(s, 16, &size, &version));
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(version, 3u);
    ASSERT_TRUE(RwStreamReadUInt32(s, &value, 1));
    EXPECT_EQ(value, 0xabcdef01u);
    ASSERT_TRUE(RwStreamFindChunk(s, 22, &size, &version));
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(version, 7u);
    // Nothing of that type follows any more.
    EXPECT_FALSE(RwStreamFindChunk(s, 16, &size, &version));
    RwStreamClose(s, nullptr);
}

TEST(StreamTest, FindChunkFailsWithALogLineOnCutShortInput)
{
    const std::vector<RwUInt8> whole = Written(ThreeChunks);
    // Every cut that loses part of the skipped chunks or the wanted payload.
    for (size_t cut = 0; cut < whole.size(); ++cut) {
        std::vector<RwUInt8> bytes(whole.begin(), whole.begin() + std::ptrdiff_t(cut));
        RwMemory mem;
        RwStream* s = ReadStream(bytes, mem);
        LogCapture log;
        RwUInt32 size, version;
        EXPECT_FALSE(RwStreamFindChunk(s, 22, &size, &version)) << "cut at " << cut;
        RwStreamClose(s, nullptr);
    }
    // A header whose payload claims more than remains is reported.
    std::vector<RwUInt8> bytes(whole.begin(), whole.begin() + 12 + 8 + 12 + 2);
    RwMemory mem;
    RwStream* s = ReadStream(bytes, mem);
    LogCapture log;
    RwUInt32 size, version;
    EXPECT_FALSE(RwStreamFindChunk(s, 16, &size, &version));
    EXPECT_TRUE(log.Contains("RwStreamFindChunk"));
    RwStreamClose(s, nullptr);
}

TEST(StreamTest, StringsRoundTripAndOverlongOnesAreRefused)
{
    std::vector<RwUInt8> bytes = Written([](RwStream* s) {
        RwStreamWriteString(s, "pitch");
        RwStreamWriteString(s, "");
        RwStreamWriteString(s, "0123456789");
    });
    EXPECT_EQ(bytes.size(), RwStreamStringSize("pitch") + RwStreamStringSize("") + RwStreamStringSize("0123456789"));
    RwMemory mem;
    RwStream* s = ReadStream(bytes, mem);
    char text[8];
    ASSERT_TRUE(RwStreamReadString(s, text, sizeof text));
    EXPECT_STREQ(text, "pitch");
    ASSERT_TRUE(RwStreamReadString(s, text, sizeof text));
    EXPECT_STREQ(text, "");
    LogCapture log;
    EXPECT_FALSE(RwStreamReadString(s, text, sizeof text));
    EXPECT_STREQ(text, "");
    EXPECT_TRUE(log.Contains("too long"));
    RwStreamClose(s, nullptr);
}

TEST(StreamTest, SkipAndRemainingStopAtTheEnd)
{
    std::vector<RwUInt8> bytes(10, 7);
    RwMemory mem;
    RwStream* s = ReadStream(bytes, mem);
    EXPECT_EQ(RwStreamGetRemaining(s), 10);
    EXPECT_NE(RwStreamSkip(s, 4), nullptr);
    EXPECT_EQ(RwStreamTell(s), 4);
    EXPECT_EQ(RwStreamSkip(s, 7), nullptr);
    EXPECT_EQ(RwStreamGetRemaining(s), 0);
    RwUInt8 b;
    EXPECT_EQ(RwStreamRead(s, &b, 1), 0u);
    RwStreamClose(s, nullptr);
}

TEST(StreamTest, FileStreamsWriteAndReadThroughTheDefaultFileSystem)
{
    RwStream* w = RwStreamOpen(rwStreamFileName, rwStreamWrite, "chunks.bin");
    ASSERT_NE(w, nullptr);
    ThreeChunks(w);
    ASSERT_TRUE(RwStreamClose(w, nullptr));

    RwStream* r = RwStreamOpen(rwStreamFileName, rwStreamRead, "chunks.bin");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(RwStreamGetRemaining(r), 48);
    RwUInt32 size, version;
    EXPECT_TRUE(RwStreamFindChunk(r, 22, &size, &version));
    EXPECT_EQ(version, 7u);
    RwStreamClose(r, nullptr);

    LogCapture log;
    EXPECT_EQ(RwStreamOpen(rwStreamFileName, rwStreamRead, "no such file.bin"), nullptr);
    EXPECT_TRUE(log.Contains("no such file.bin"));
}

// A file system that serves one name from memory and counts its polls.
class OneFileSystem : public RtFileSystem {
public:
    OneFileSystem(const char* fsName, const char* file, RwUInt8 fill) : m_name(fsName), m_file(file), m_fill(fill) {}
    const char* GetName() const override { return m_name; }
    RtFile* Open(const char* name, RwStreamAccessType) override
    {
        if (std::strcmp(name, m_file) != 0)
            return nullptr;
        struct Bytes : RtFile {
            RwUInt8 fill;
            int64_t pos = 0;
            explicit Bytes(RwUInt8 f) : fill(f) {}
            RwUInt32 Read(void* b, RwUInt32 n) override
            {
                const RwUInt32 k = std::min<RwUInt32>(n, RwUInt32(4 - pos));
                std::memset(b, fill, k);
                pos += k;
                return k;
            }
            RwUInt32 Write(const void*, RwUInt32) override { return 0; }
            bool Seek(int64_t o) override { pos = std::min<int64_t>(o, 4); return true; }
            int64_t Tell() const override { return pos; }
            int64_t Size() const override { return 4; }
            bool Close() override { return true; }
        };
        return new Bytes(m_fill);
    }
    void PollFiles() override { ++polls; }
    int polls = 0;

private:
    const char* m_name;
    const char* m_file;
    RwUInt8 m_fill;
};

TEST(StreamTest, FileSystemsAreTriedInRegistrationOrder)
{
    OneFileSystem first("first", "a", 1), second("second", "b", 2), third("third", "a", 3);
    ASSERT_TRUE(RtFSManagerOpen(2));
    EXPECT_TRUE(RtFSManagerRegister(&first));
    EXPECT_TRUE(RtFSManagerRegister(&second));
    EXPECT_FALSE(RtFSManagerRegister(&third));  // the limit is 2
    EXPECT_EQ(RtFSManagerGetFileSystemFromName("second"), &second);

    for (const char* name : {"a", "b"}) {
        RwStream* s = RwStreamOpen(rwStreamFileName, rwStreamRead, name);
        ASSERT_NE(s, nullptr);
        RwUInt8 b = 0;
        RwStreamRead(s, &b, 1);
        EXPECT_EQ(b, name[0] == 'a' ? 1 : 2);
        RwStreamClose(s, nullptr);
    }
    {
        LogCapture log;
        EXPECT_EQ(RwStreamOpen(rwStreamFileName, rwStreamRead, "c"), nullptr);
    }
    RtFSManagerPollFiles();
    EXPECT_EQ(first.polls, 1);
    EXPECT_EQ(second.polls, 1);
    RtFSManagerClose();
}

}  // namespace
