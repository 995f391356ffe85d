#include "framework/StringUtil.h"

#include <gtest/gtest.h>

TEST(StringUtilTest, CaseInsensitiveCompareAndReplace)
{
    EXPECT_TRUE(EqualsNoCase("Data\\SaveGames", "data\\savegames"));
    EXPECT_FALSE(EqualsNoCase("abc", "abcd"));
    EXPECT_TRUE(EqualsNoCase("", ""));

    std::string s = "<PP>Menu\\<pp>x";
    EXPECT_EQ(ReplaceNoCase(s, "<Pp>", "data\\"), 0);
    EXPECT_EQ(s, "data\\Menu\\<pp>x");
    EXPECT_EQ(ReplaceNoCase(s, "<PP>", "", 6), 10);  // from the start position on
    EXPECT_EQ(s, "data\\Menu\\x");
    EXPECT_EQ(ReplaceNoCase(s, "menu", "M", 6), -1);
    EXPECT_EQ(ReplaceNoCase(s, "", "y"), -1);
    EXPECT_EQ(ReplaceNoCase(s, "x", "y", 100), -1);
    EXPECT_EQ(s, "data\\Menu\\x");
}

TEST(StringUtilTest, TrimLeavesCarriageReturns)
{
    std::string s = " \t\n value \t\n";
    Trim(s);
    EXPECT_EQ(s, "value");
    s = "line\r\n";
    Trim(s);
    EXPECT_EQ(s, "line\r");
    s = " \t\n";
    Trim(s);
    EXPECT_EQ(s, "");
}

TEST(StringUtilTest, CaseAndSlices)
{
    std::string s = "Ab1-Z";
    StringUtil::ToLower(s);
    EXPECT_EQ(s, "ab1-z");
    StringUtil::ToUpper(s);
    EXPECT_EQ(s, "AB1-Z");
    EXPECT_EQ(StringUtil::Left("level01", 5), "level");
    EXPECT_EQ(StringUtil::Right("target.PNG", 3), "PNG");
    EXPECT_EQ(StringUtil::Left("ab", 5), "ab");
    EXPECT_EQ(StringUtil::Right("ab", 5), "ab");
    EXPECT_EQ(StringUtil::Left("ab", -1), "");
    EXPECT_EQ(StringUtil::Right("ab", 0), "");
}

TEST(StringUtilTest, FormattingHasNoLengthLimit)
{
    EXPECT_EQ(FormatString("animation %02d", 7), "animation 07");
    EXPECT_EQ(FormatString("100%%"), "100%");
    const std::string big(40000, 'q');
    EXPECT_EQ(FormatString("<%s>", big.c_str()), "<" + big + ">");
    EXPECT_EQ(IntToString(-42), "-42");
    EXPECT_EQ(FloatToString(0.5f), "0.500000");
}

TEST(StringTokenizerTest, SplitsAtRunsOfAnyDelimiter)
{
    StringTokenizer t("  AV\t-1.0  , 3,,x ", " \t,");
    EXPECT_EQ(t.CountTokens(), 4);
    EXPECT_EQ(t.NextToken(), "AV");
    EXPECT_FLOAT_EQ(t.NextFloat(), -1.0f);
    EXPECT_EQ(t.CountRemaining(), 2);
    EXPECT_EQ(t.NextInt(), 3);
    EXPECT_EQ(t.NextInt(), 0);  // "x" is no number
    EXPECT_EQ(t.CountRemaining(), 0);
}

TEST(StringTokenizerTest, ReadsPastTheEndAreGuarded)
{
    StringTokenizer t("1", " ");
    EXPECT_EQ(t.NextInt(), 1);
    EXPECT_FALSE(t.HasMoreTokens());
    EXPECT_EQ(t.NextToken(), "");
    EXPECT_EQ(t.NextInt(), 0);
    EXPECT_EQ(t.NextFloat(), 0.0f);
    EXPECT_EQ(t.CountRemaining(), 0);

    StringTokenizer empty("", ",");
    EXPECT_EQ(empty.CountTokens(), 0);
    StringTokenizer onlyDelimiters(",,,", ",");
    EXPECT_EQ(onlyDelimiters.CountTokens(), 0);
    EXPECT_EQ(onlyDelimiters.NextToken(), "");

    t.Tokenize("a b 99999999999", " ");  // starts over on the new text
    EXPECT_EQ(t.CountRemaining(), 3);
    EXPECT_EQ(t.NextToken(), "a");
    t.NextToken();
    EXPECT_EQ(t.NextInt(), INT_MAX);
}
