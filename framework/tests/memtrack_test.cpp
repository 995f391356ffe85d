#include "framework/MemTrack.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string ReadFile(const char* path)
{
    std::ifstream in(path);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

}  // namespace

TEST(MemTrackTest, AllocationsAreCountedByPhaseAndTagAndDumpedAsCsv)
{
    MemTrack::Reset();
    int a, b, c;
    MemTrack::SetPhase(1);
    MemTrack::SetTag("TEXR");
    MemTrack::RecordAlloc(&a, 100);
    MemTrack::SetPhase(2);
    MemTrack::SetTag("SN");  // padded
    MemTrack::RecordAlloc(&b, 30);
    MemTrack::RecordAlloc(&c, 7);
    EXPECT_EQ(MemTrack::GetLiveBytes(), 137u);
    EXPECT_TRUE(MemTrack::RecordFree(&c));
    EXPECT_FALSE(MemTrack::RecordFree(&c));  // twice
    EXPECT_EQ(MemTrack::GetLiveCount(), 2u);
    EXPECT_EQ(MemTrack::GetLiveBytes(), 130u);
    EXPECT_EQ(MemTrack::GetTotalAllocations(), 3u);
    ASSERT_TRUE(MemTrack::ReportUnfreed(2));
    const std::string unfreed = ReadFile("data/memtrack_unfreed.csv");
    EXPECT_EQ(unfreed.substr(0, unfreed.find('\n') + 1), "address,size,phase,tag\n");
    EXPECT_NE(unfreed.find(",30,2,SN  \n"), std::string::npos);
    EXPECT_EQ(unfreed.find(",100,"), std::string::npos);
    ASSERT_TRUE(MemTrack::WriteAllocations(-1));
    const std::string all = ReadFile("data/memtrack_allocations.csv");
    EXPECT_NE(all.find(",100,1,TEXR\n"), std::string::npos);
    EXPECT_NE(all.find(",30,2,SN  \n"), std::string::npos);
    ASSERT_TRUE(MemTrack::WriteSummary());
    const std::string summary = ReadFile("data/memtrack_summary.csv");
    for (const char* line : {"SN  ,1,30,2\n", "TEXR,1,100,1\n", "total,2,130,3\n"})
        EXPECT_NE(summary.find(line), std::string::npos) << line;
    // A tag cannot break the CSV.
    for (const auto& [tag, kept] : {std::pair{"a,\n\"", "a___"}, {static_cast<const char*>(nullptr), "    "}}) {
        MemTrack::SetTag(tag);
        EXPECT_EQ(MemTrack::GetTag(), kept);
    }
    MemTrack::Reset();
}
