#include "support/EngineTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// Writes into a memory stream (starting from the given bytes when appending) and returns the bytes.
template <typename F>
std::vector<RwUInt8> Written(F fill, RwStreamAccessType access = rwStreamWrite, std::vector<RwUInt8> start = {})
{
    RwMemory mem{start.data(), static_cast<RwUInt32>(start.size())};
    RwStream* s = RwStreamOpen(rwStreamMemory, access, &mem);
    fill(s);
    RwStreamClose(s, &mem);
    std::vector<RwUInt8> out(mem.start, mem.start + mem.length);
    std::free(mem.start);
    return out;
}

// A read stream over the bytes, which must outlive it.
RwStream* Reader(std::vector<RwUInt8>& bytes, RwMemory& mem)
{
    mem = {bytes.data(), static_cast<RwUInt32>(bytes.size())};
    return RwStreamOpen(rwStreamMemory, rwStreamRead, &mem);
}

void ThreeChunks(RwStream* s)
{
    const RwUInt32 a[2] = {1, 2}, v = 0xabcdef01;
    RwStreamWriteChunkHeader(s, 0x100, 1, 8);
    RwStreamWriteUInt32(s, a, 2);
    RwStreamWriteChunkHeader(s, 16, 3, 4);
    RwStreamWriteUInt32(s, &v, 1);
    RwStreamWriteChunkHeader(s, 22, 7, 0);
}

TEST(StreamTest, FindChunkSkipsOtherChunksAndReportsSizeAndVersion)
{
    std::vector<RwUInt8> bytes = Written(ThreeChunks);
    ASSERT_EQ(bytes.size(), 12u + 8 + 12 + 4 + 12);
    RwMemory mem;
    RwStream* s = Reader(bytes, mem);
    RwUInt32 size = 0, version = 0, value = 0;
    ASSERT_TRUE(RwStreamFindChunk(s, 16, &size, &version));
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(version, 3u);
    EXPECT_EQ(RwStreamTell(s), 12 + 8 + 12);
    ASSERT_TRUE(RwStreamReadUInt32(s, &value, 1));
    EXPECT_EQ(value, 0xabcdef01u);
    ASSERT_TRUE(RwStreamFindChunk(s, 22, &size, &version));
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(version, 7u);
    EXPECT_FALSE(RwStreamFindChunk(s, 16, &size, &version));  // nothing of that type follows
    RwStreamClose(s, nullptr);

    // Appending keeps what the memory held.
    EXPECT_EQ(Written([](RwStream* a) { RwStreamWriteChunkHeader(a, 1, 2, 3); }, rwStreamAppend, {9, 9}),
              (std::vector<RwUInt8>{9, 9, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0}));
}

TEST(StreamTest, FindChunkFailsWithALogLineOnCutShortInput)
{
    const std::vector<RwUInt8> whole = Written(ThreeChunks);
    // Every cut that loses part of the skipped chunks or the wanted header.
    for (size_t cut = 0; cut < whole.size(); ++cut) {
        std::vector<RwUInt8> bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
        RwMemory mem;
        RwStream* s = Reader(bytes, mem);
        LogCapture log;
        RwUInt32 size, version;
        EXPECT_FALSE(RwStreamFindChunk(s, 22, &size, &version)) << "cut at " << cut;
        RwStreamClose(s, nullptr);
    }
    // A header whose payload claims more than remains is reported.
    std::vector<RwUInt8> bytes(whole.begin(), whole.begin() + 12 + 8 + 12 + 2);
    RwMemory mem;
    RwStream* s = Reader(bytes, mem);
    LogCapture log;
    RwUInt32 size, version;
    EXPECT_FALSE(RwStreamFindChunk(s, 16, &size, &version));
    EXPECT_TRUE(log.Contains("RwStreamFindChunk: chunk 16 claims 4 bytes, 2 remain"));
    RwStreamClose(s, nullptr);
}

TEST(StreamTest, StringsRoundTripAndBadOnesAreRefused)
{
    std::vector<RwUInt8> bytes = Written([](RwStream* s) {
        RwStreamWriteString(s, "pitch");
        RwStreamWriteString(s, "");
        RwStreamWriteString(s, "0123456789");
    });
    EXPECT_EQ(bytes.size(), RwStreamStringSize("pitch") + RwStreamStringSize("") + RwStreamStringSize("0123456789"));
    RwMemory mem;
    RwStream* s = Reader(bytes, mem);
    char text[8];
    for (const char* expected : {"pitch", ""}) {
        ASSERT_TRUE(RwStreamReadString(s, text, sizeof text));
        EXPECT_STREQ(text, expected);
    }
    LogCapture log;
    EXPECT_FALSE(RwStreamReadString(s, text, sizeof text));
    EXPECT_STREQ(text, "");
    EXPECT_TRUE(log.Contains("too long"));
    RwStreamClose(s, nullptr);

    // Cut inside the text, a length that disagrees with the chunk, and another chunk type.
    std::vector<RwUInt8> cut(bytes.begin(), bytes.begin() + 12 + 4 + 3);
    std::vector<RwUInt8> disagrees(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(RwStreamStringSize("pitch")));
    disagrees[12] = 4;
    std::vector<RwUInt8> other = bytes;
    other[0] = 0x22;
    for (std::vector<RwUInt8>* bad : {&cut, &disagrees, &other}) {
        s = Reader(*bad, mem);
        std::strcpy(text, "x");
        EXPECT_FALSE(RwStreamReadString(s, text, sizeof text));
        EXPECT_STREQ(text, "");
        RwStreamClose(s, nullptr);
    }
}

TEST(StreamTest, ReadsSkipsAndRemainingStopAtTheEnd)
{
    std::vector<RwUInt8> bytes(10, 7);
    RwMemory mem;
    RwStream* s = Reader(bytes, mem);
    EXPECT_EQ(RwStreamGetRemaining(s), 10);
    EXPECT_NE(RwStreamSkip(s, 4), nullptr);
    EXPECT_EQ(RwStreamTell(s), 4);
    RwUInt8 b[8] = {};
    EXPECT_EQ(RwStreamRead(s, b, 8), 6u);
    EXPECT_EQ(RwStreamRead(s, b, 1), 0u);
    RwStreamClose(s, nullptr);
    s = Reader(bytes, mem);
    EXPECT_EQ(RwStreamSkip(s, 11), nullptr);
    EXPECT_EQ(RwStreamGetRemaining(s), 0);
    EXPECT_EQ(RwStreamWrite(s, b, 1), nullptr);  // a read stream takes no writes
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
    EXPECT_EQ(RwStreamGetRemaining(r), 0);
    RwStreamClose(r, nullptr);

    LogCapture log;
    EXPECT_EQ(RwStreamOpen(rwStreamFileName, rwStreamRead, "no such file.bin"), nullptr);
    EXPECT_TRUE(log.Contains("no such file.bin"));
}

// A file system that serves one four-byte name from memory and counts its polls.
class OneFileSystem : public RtFileSystem {
public:
    OneFileSystem(const char* fsName, const char* file, RwUInt8 fill) : m_name(fsName), m_file(file), m_fill(fill) {}
    const char* GetName() const override { return m_name; }
    RtFile* Open(const char* name, RwStreamAccessType) override
    {
        struct Bytes : RtFile {
            RwUInt8 fill;
            int64_t pos = 0;
            explicit Bytes(RwUInt8 f) : fill(f) {}
            RwUInt32 Read(void* b, RwUInt32 n) override
            {
                const RwUInt32 k = std::min<RwUInt32>(n, static_cast<RwUInt32>(4 - pos));
                std::memset(b, fill, k);
                pos += k;
                return k;
            }
            RwUInt32 Write(const void*, RwUInt32) override { return 0; }
            bool Seek(int64_t o) override
            {
                pos = std::min<int64_t>(o, 4);
                return true;
            }
            int64_t Tell() const override { return pos; }
            int64_t Size() const override { return 4; }
            bool Close() override { return true; }
        };
        return std::strcmp(name, m_file) == 0 ? new Bytes(m_fill) : nullptr;
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
    EXPECT_FALSE(RtFSManagerRegister(&first));
    EXPECT_TRUE(RtFSManagerRegister(&second));
    EXPECT_FALSE(RtFSManagerRegister(&third));  // the limit is 2
    EXPECT_EQ(RtFSManagerGetFileSystemFromName("second"), &second);

    for (const char* name : {"a", "b"}) {
        RwStream* s = RwStreamOpen(rwStreamFileName, rwStreamRead, name);
        ASSERT_NE(s, nullptr);
        RwUInt8 b = 0;
        RwStreamRead(s, &b, 1);
        EXPECT_EQ(b, name[0] == 'a' ? 1 : 2);
        EXPECT_EQ(RwStreamSkip(s, 4), nullptr);  // past the end of a file of known size
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
