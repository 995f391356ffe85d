#include "framework/MemTrack.h"
#include "framework/TimeInfo.h"

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

TEST(TimeInfo, AddFrameKeepsLastDurationSumsAndCount)
{
    TimeInfo::DestroyInstance();
    TimeInfo* t = TimeInfo::Instance();
    EXPECT_EQ(t->GetFrameCount(), 0u);
    t->AddFrame(0.25f);
    t->AddFrame(0.5f);
    t->AddFrame(0.125f);
    EXPECT_FLOAT_EQ(t->GetFrameTime(), 0.125f);
    EXPECT_FLOAT_EQ(t->GetMenuTime(), 0.875f);
    EXPECT_FLOAT_EQ(t->GetElapsedTime(), 0.875f);
    EXPECT_EQ(t->GetFrameCount(), 3u);
    TimeInfo::DestroyInstance();
}

TEST(MemTrack, CountsByPhaseAndTag)
{
    MemTrack::Reset();
    int a, b, c;
    MemTrack::SetPhase(1);
    MemTrack::SetTag("TEXR");
    MemTrack::RecordAlloc(&a, 100);
    MemTrack::SetPhase(2);
    MemTrack::SetTag("SN");  // padded
    EXPECT_EQ(MemTrack::GetTag(), "SN  ");
    MemTrack::RecordAlloc(&b, 30);
    MemTrack::RecordAlloc(&c, 7);
    EXPECT_EQ(MemTrack::GetLiveCount(), 3u);
    EXPECT_EQ(MemTrack::GetLiveBytes(), 137u);

    EXPECT_TRUE(MemTrack::RecordFree(&c));
    EXPECT_FALSE(MemTrack::RecordFree(&c));  // twice
    EXPECT_EQ(MemTrack::GetLiveBytes(), 130u);
    EXPECT_EQ(MemTrack::GetTotalAllocations(), 3u);

    ASSERT_TRUE(MemTrack::ReportUnfreed(2));
    const std::string unfreed = ReadFile("data/memtrack_unfreed.csv");
    EXPECT_EQ(unfreed.rfind("address,size,phase,tag\n", 0), 0u);
    EXPECT_NE(unfreed.find(",30,2,SN  \n"), std::string::npos);
    EXPECT_EQ(unfreed.find(",100,"), std::string::npos);

    ASSERT_TRUE(MemTrack::WriteAllocations(-1));
    const std::string all = ReadFile("data/memtrack_allocations.csv");
    EXPECT_NE(all.find(",100,1,TEXR\n"), std::string::npos);
    EXPECT_NE(all.find(",30,2,SN  \n"), std::string::npos);

    ASSERT_TRUE(MemTrack::WriteSummary());
    const std::string summary = ReadFile("data/memtrack_summary.csv");
    EXPECT_NE(summary.find("SN  ,1,30,2\n"), std::string::npos);
    EXPECT_NE(summary.find("TEXR,1,100,1\n"), std::string::npos);
    EXPECT_NE(summary.find("total,2,130,3\n"), std::string::npos);
    MemTrack::Reset();
}

TEST(MemTrack, TagCannotBreakTheCsv)
{
    MemTrack::Reset();
    MemTrack::SetTag("a,\n\"");
    EXPECT_EQ(MemTrack::GetTag(), "a___");
    MemTrack::SetTag(nullptr);
    EXPECT_EQ(MemTrack::GetTag(), "    ");
    MemTrack::Reset();
}
