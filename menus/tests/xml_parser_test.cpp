#include "support/MenuTestSupport.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using menutest::ParseText;
using menutest::TryParseText;

namespace {

// The whole tree as one line: name, attributes, text, then the children in brackets.
std::string Dump(const XmlNode* node)
{
    if (!node)
        return "null";
    std::string out = node->name;
    for (const auto& attribute : node->attributes)
        out += " " + attribute->name + "=\"" + attribute->value + "\"";
    if (!node->text.empty())
        out += " text=\"" + node->text + "\"";
    if (!node->children.empty()) {
        out += " {";
        for (const auto& child : node->children)
            out += " " + Dump(child.get());
        out += " }";
    }
    return out;
}

std::string DumpText(const std::string& text)
{
    return Dump(ParseText(text).get());
}

TEST(XmlParserTest, EquivalentFormsGiveTheSameTree)
{
    const struct {
        const char* what;
        const char* first;
        const char* second;
    } cases[] = {
        {"empty element and closing tag", "<Menu name=start/>", "<Menu name=\"start\"></Menu>"},
        {"comment over three lines in a tag", "<Menu a=1 <!-- one\ntwo\nthree --> b='2'/>", "<Menu a=\"1\" b=\"2\"/>"},
        {"quoted value over two lines", "<Menu text=\"first \n   second\"/>", "<Menu text=\"firstsecond\"/>"},
        {"brackets in a value", "<T text=\"[color 1 2 3]x[/color] [b]\"/>", "<T text='<color 1 2 3>x</color> <b>'/>"},
        {"blanks and lines between tags", "<A>\n  <B/>\n\n<C x=1 />\n</A>", "<A><B/><C x=1/></A>"},
        {"a quote glued to a word", "<A v=ab\"c d\"/>", "<A v=\"abc d\"/>"},
        {"tabs as blanks", "<A\tb=1\t/>", "<A b=\"1\"/>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DumpText(c.first), DumpText(c.second)) << c.what;
    EXPECT_EQ(DumpText("<T text=\"[color 1 2 3]x[/color] [b]\"/>"), "T text=\"<color 1 2 3>x</color> <b>\"");
    EXPECT_EQ(DumpText("<A>some  words = here</A>"), "A text=\"some  words = here\"");
    // The name must follow the bracket: a blank is the name here, and A an attribute.
    EXPECT_EQ(DumpText("< A/>"), "  A=\"\"");
}

TEST(XmlParserTest, AnEmptyValueExistsAndAMissingOneIsEmpty)
{
    // On the last line of the file, an empty quotation must not end the tag.
    const auto node = ParseText("<Menu a=\"\" b=\"x\"/>");
    ASSERT_NE(node, nullptr);
    EXPECT_TRUE(node->HasAttribute("a"));
    EXPECT_EQ(node->GetAttribute("a"), "");
    EXPECT_EQ(node->GetAttribute("b"), "x");
    EXPECT_FALSE(node->HasAttribute("c"));
    EXPECT_EQ(node->GetAttribute("c"), "");
    EXPECT_EQ(node->FindAttribute("B"), nullptr);
    EXPECT_EQ(DumpText("<A k=1 k=2/>"), "A k=\"1\" k=\"2\"");
    EXPECT_EQ(ParseText("<A k=1 k=2/>")->GetAttribute("k"), "1");
}

TEST(XmlParserTest, TheLastTopLevelElementIsTheRoot)
{
    EXPECT_EQ(DumpText("<!-- only\n a comment -->\n"), "null");
    EXPECT_EQ(DumpText(""), "null");
    EXPECT_EQ(DumpText("just words"), "null");
    EXPECT_EQ(DumpText("<First a=1/><Second><C/></Second>\n<Third b=2/>"), "Third b=\"2\"");
}

TEST(XmlParserTest, ACutFileKeepsWhatWasRead)
{
    const struct {
        const char* text;
        const char* tree;
    } cases[] = {
        {"<A b=\"x\" c", "A b=\"x\" c=\"\""},
        {"<A b=\"x\" c=", "A b=\"x\" c=\"\""},
        {"<A><B v=\"open quote", "A { B v=\"open quote\" }"},
        {"<A><B/><C", "A { B C }"},
        {"<A x=1><!-- never closed", "A x=\"1\""},
        {"<", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DumpText(c.text), c.tree) << c.text;
}

TEST(XmlParserTest, MismatchedClosingTagsAreRejected)
{
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"<A>\n<B>\n</A>", "(B, A)"},
        {"</A>", "(, A)"},
        {"<A></A></A>", "(, A)"},
        {"<A><B></b></A>", "(B, b)"},
        {"<A></ A>", "(A,  )"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_EQ(TryParseText(c.text, error), nullptr) << c.text;
        EXPECT_EQ(error, std::string("XmlParser::ParseNode: Error in file, opening/closing tags don't match ") +
                             c.message + "\n");
    }
    std::string error;
    EXPECT_NE(TryParseText("<A><B></B></A>", error), nullptr);
    EXPECT_EQ(error, "");
}

TEST(XmlParserDeathTest, AMismatchEndsTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(ParseText("<A>\n<B>\n</A>"), ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT(ParseText("</A>"), ::testing::ExitedWithCode(1), "");
}

TEST(XmlParserTest, GarbageAndDeepNestingEndSafely)
{
    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += static_cast<char>((i * 7919 + 13) % 251 + 1);
    std::string error;
    TryParseText(garbage, error);  // no crash or hang; either outcome is fine

    std::string deep;
    for (int i = 0; i < XmlParser::kMaxDepth + 10; ++i)
        deep += "<a>";
    LogCapture log;
    const auto root = TryParseText(deep, error);
    ASSERT_NE(root, nullptr);
    int depth = 1;
    for (const XmlNode* node = root.get(); !node->children.empty(); node = node->children[0].get())
        ++depth;
    EXPECT_EQ(depth, XmlParser::kMaxDepth);
    EXPECT_TRUE(log.Contains("XmlParser::ParseNode: elements nested deeper than 256"));
}

}  // namespace
