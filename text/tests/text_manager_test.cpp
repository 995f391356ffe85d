#include "tests/support/LogCapture.h"
#include "text/TextManager.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

// A table file written to the test's working folder.
std::string WriteTable(const std::string& name, const std::string& bytes)
{
    std::ofstream(name, std::ios::binary | std::ios::trunc) << bytes;
    return name;
}

TextManager& FreshTable()
{
    TextManager::DestroyInstance();
    return *TextManager::Instance();
}

class TextManagerTest : public ::testing::Test {
protected:
    void TearDown() override { TextManager::DestroyInstance(); }
    TextManager& texts = FreshTable();
};

TEST_F(TextManagerTest, RecordsReadAsTheTableWritesThem)
{
    texts.LoadTextFile(WriteTable("cases.csv",
                                  "100;Hello;x\n"
                                  "100;\"a;b\"\n"
                                  "#101;comment with a number\n"
                                  "Title;words\n"
                                  "12\n"
                                  "  -7;minus\n"
                                  "200;say \"\"hi\"\" and \"\"\"quoted\"\"\";third\n"
                                  "201;\" keep blanks \"\n"
                                  "202;\n")
                           .c_str());
    const std::vector<std::pair<std::pair<int, int>, std::string>> expected = {
        {{100, 0}, "Hello"}, {{100, 1}, "a;b"},  {{12, 0}, ""},       {{-7, 0}, "minus"},
        {{200, 0}, "say \"hi\" and \"quoted\""}, {{201, 0}, " keep blanks "}, {{202, 0}, ""},
    };
    for (const auto& [key, text] : expected)
        EXPECT_EQ(texts.GetText(key.first, key.second), text) << key.first << " line " << key.second;
    EXPECT_EQ(texts.GetTextNumbers(), (std::vector<int32_t>{-7, 12, 100, 200, 201, 202}));
    EXPECT_TRUE(texts.HasText(100, 1));
    EXPECT_FALSE(texts.HasText(100, 2));
    EXPECT_TRUE(texts.HasText(100, -3));
    EXPECT_FALSE(texts.HasText(101));

    LogCapture log;
    EXPECT_EQ(texts.GetText(100, 2), TextManager::kNotFound);
    EXPECT_EQ(texts.GetText(101, 0), TextManager::kNotFound);
    EXPECT_EQ(log.Text(), "***ERROR: Could not find Text #100, line 2\n***ERROR: Could not find Text #101, line 0\n");
}

TEST_F(TextManagerTest, AnyLineEndingLoadsTheSameEntries)
{
    const std::string lines[] = {"1;one", "2;two", "", "2;two again", "3;three"};
    std::vector<std::vector<std::pair<int32_t, std::string>>> loads;
    for (const char* end : {"\r\n", "\n", "\r", "\n\r\n\r"}) {
        std::string bytes;
        for (const std::string& line : lines)
            bytes += line + end;
        TextManager* table = &FreshTable();
        table->LoadText(bytes.data(), bytes.size(), "endings");
        std::vector<std::pair<int32_t, std::string>> entries;
        for (int32_t number : table->GetTextNumbers())
            for (int line = 0; table->HasText(number, line); ++line)
                entries.emplace_back(number, table->GetText(number, line));
        loads.push_back(entries);
    }
    const std::vector<std::pair<int32_t, std::string>> expected = {
        {1, "one"}, {2, "two"}, {2, "two again"}, {3, "three"}};
    for (const auto& entries : loads)
        EXPECT_EQ(entries, expected);
}

TEST_F(TextManagerTest, ALargeLineFeedFileLoadsWhole)
{
    std::string bytes = "# number;text\n";
    int records = 0;
    for (; bytes.size() < 20 * 1024; ++records)
        bytes += std::to_string(1000 + records) + ";text number " + std::to_string(records) + "\n";
    texts.LoadTextFile(WriteTable("large.csv", bytes).c_str());
    EXPECT_EQ(texts.GetEntryCount(), static_cast<size_t>(records));
    EXPECT_EQ(texts.GetText(1000 + records - 1), "text number " + std::to_string(records - 1));
}

TEST_F(TextManagerTest, ASecondLoadAppendsLinesBehindTheFirst)
{
    texts.LoadTextFile(WriteTable("first.csv", "5;first\n6;only\n").c_str());
    texts.LoadTextFile(WriteTable("second.csv", "5;second\n").c_str());
    EXPECT_EQ(texts.GetText(5, 0), "first");
    EXPECT_EQ(texts.GetText(5, 1), "second");
    EXPECT_EQ(texts.GetText(6), "only");
    EXPECT_TRUE(texts.Clear());
    EXPECT_TRUE(texts.GetTextNumbers().empty());
}

TEST_F(TextManagerTest, BrokenFilesAddWhatCanBeReadAndSaySo)
{
    LogCapture log;
    texts.LoadTextFile("missing.csv");
    EXPECT_EQ(log.Text(), "***ERROR: could not open text file: missing.csv\n");
    EXPECT_EQ(texts.GetEntryCount(), 0u);

    // Cut off inside a quoted text, then bytes that are no table at all.
    texts.LoadTextFile(WriteTable("truncated.csv", "1;complete\n2;\"cut off inside qu").c_str());
    EXPECT_EQ(texts.GetText(2), "cut off inside qu");
    static constexpr char kCorrupt[] = "\0\xff;\x01\n\n;;;\n\"\"\"\n9\0;nul\n";
    const std::string corrupt(kCorrupt, sizeof kCorrupt - 1);
    texts.LoadTextFile(WriteTable("corrupt.csv", corrupt).c_str());
    EXPECT_EQ(texts.GetTextNumbers(), (std::vector<int32_t>{1, 2, 9}));
    EXPECT_EQ(texts.GetText(9), std::string("nul"));

    log.Clear();
    const std::string longLine = "7;" + std::string(12000, 'x') + "\n8;after\n";
    texts.LoadText(longLine.data(), longLine.size(), "long.csv");
    EXPECT_EQ(texts.GetText(7).size(), TextManager::kMaxLineLength - 2);
    EXPECT_EQ(texts.GetText(8), "after");
    EXPECT_TRUE(log.Contains("***WARNING: TextManager::LoadText: 1 line(s) of long.csv longer than 9999"));
}

}  // namespace
