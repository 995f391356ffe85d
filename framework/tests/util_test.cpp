#include "framework/MemTrack.h"
#include "framework/StringUtil.h"
#include "support/FileTest.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

TEST(StringUtilTest, TextHelpersTokensAndTheAllocationRecords)
{
    EXPECT_TRUE(EqualsNoCase("Data\\SaveGames", "data\\savegames"));
    EXPECT_FALSE(EqualsNoCase("abc", "abcd"));
    std::string s = "<PP>Menu\\<pp>x";
    EXPECT_EQ(ReplaceNoCase(s, "<Pp>", "data\\"), 0);
    EXPECT_EQ(ReplaceNoCase(s, "<PP>", "", 6), 10);  // from the start position on
    for (const auto& [search, start] : {std::pair{"menu", 6}, {"", 0}, {"x", 100}})
        EXPECT_EQ(ReplaceNoCase(s, search, "y", start), -1) << search;
    EXPECT_EQ(s, "data\\Menu\\x");
    for (const auto& [text, trimmed] : {std::pair{" \t\n value \t\n", "value"}, {"line\r\n", "line\r"}, {" \t\n", ""}}) {
        std::string t = text;
        Trim(t);
        EXPECT_EQ(t, trimmed);
    }
    s = "Ab1-Z";
    StringUtil::ToLower(s);
    EXPECT_EQ(s, "ab1-z");
    StringUtil::ToUpper(s);
    EXPECT_EQ(s, "AB1-Z");
    EXPECT_EQ(StringUtil::Left("level01", 5) + StringUtil::Right("target.PNG", 3), "levelPNG");
    EXPECT_EQ(StringUtil::Left("ab", 5) + StringUtil::Right("ab", 5), "abab");
    EXPECT_EQ(StringUtil::Left("ab", -1) + StringUtil::Right("ab", 0), "");
    EXPECT_EQ(FormatString("animation %02d, 100%%", 7), "animation 07, 100%");
    const std::string big(40000, 'q');
    EXPECT_EQ(FormatString("<%s>", big.c_str()), "<" + big + ">");  // no length limit
    EXPECT_EQ(IntToString(-42) + " " + FloatToString(0.5f), "-42 0.500000");
    // A tokenizer splits at runs of any delimiter and guards reads past the end.
    StringTokenizer t("  AV\t-1.0  , 3,,x ", " \t,");
    EXPECT_EQ(t.CountTokens(), 4);
    EXPECT_EQ(t.NextToken(), "AV");
    EXPECT_EQ(t.NextFloat(), -1.0f);
    EXPECT_EQ(t.CountRemaining(), 2);
    EXPECT_EQ(t.NextInt(), 3);
    EXPECT_EQ(t.NextInt(), 0);  // "x" is no number
    EXPECT_FALSE(t.HasMoreTokens());
    EXPECT_EQ(t.NextToken() + std::to_string(t.NextInt()) + std::to_string(t.NextFloat()), "00.000000");
    EXPECT_EQ(t.CountRemaining(), 0);
    EXPECT_EQ(StringTokenizer("", ",").CountTokens() + StringTokenizer(",,,", ",").CountTokens(), 0);
    t.Tokenize("a b 99999999999", " ");  // starts over on the new text
    EXPECT_EQ(t.CountRemaining(), 3);
    EXPECT_EQ(t.NextToken(), "a");
    t.NextToken();
    EXPECT_EQ(t.NextInt(), INT_MAX);
    // Allocations are counted by phase and tag and dumped as CSV.
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
    EXPECT_EQ((std::vector<bool>{MemTrack::RecordFree(&c), MemTrack::RecordFree(&c)}), (std::vector<bool>{true, false}));
    EXPECT_EQ((std::vector<size_t>{MemTrack::GetLiveCount(), MemTrack::GetLiveBytes(), MemTrack::GetTotalAllocations()}),
              (std::vector<size_t>{2, 130, 3}));
    ASSERT_TRUE(MemTrack::ReportUnfreed(2));
    const std::string unfreed = ReadRaw("data/memtrack_unfreed.csv");
    EXPECT_EQ(unfreed.substr(0, unfreed.find('\n') + 1), "address,size,phase,tag\n");
    EXPECT_NE(unfreed.find(",30,2,SN  \n"), std::string::npos);
    EXPECT_EQ(unfreed.find(",100,"), std::string::npos);
    ASSERT_TRUE(MemTrack::WriteAllocations(-1));
    const std::string all = ReadRaw("data/memtrack_allocations.csv");
    EXPECT_NE(all.find(",100,1,TEXR\n"), std::string::npos);
    EXPECT_NE(all.find(",30,2,SN  \n"), std::string::npos);
    ASSERT_TRUE(MemTrack::WriteSummary());
    const std::string summary = ReadRaw("data/memtrack_summary.csv");
    for (const char* line : {"SN  ,1,30,2\n", "TEXR,1,100,1\n", "total,2,130,3\n"})
        EXPECT_NE(summary.find(line), std::string::npos) << line;
    // A tag cannot break the CSV.
    for (const auto& [tag, kept] : {std::pair{"a,\n\"", "a___"}, {static_cast<const char*>(nullptr), "    "}}) {
        MemTrack::SetTag(tag);
        EXPECT_EQ(MemTrack::GetTag(), kept);
    }
    MemTrack::Reset();
}
