#include "editor/HelpDialog.h"
#include "editor/HyperLink.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// An opener that records what it was asked to open and answers as told.
struct Opener {
    bool works = true;
    std::vector<std::string> opened;
    LinkOpener Get()
    {
        return [this](const std::string& target) {
            opened.push_back(target);
            return works;
        };
    }
};

TEST(HelpDialogTest, TextIsTheFixedHelp)
{
    const std::string& text = HelpText();
    EXPECT_EQ(text.size(), 260u);
    EXPECT_EQ(text.substr(0, 16), "Help........\r\n\r\n");
    EXPECT_EQ(text.substr(text.size() - 37), "    pg.down: prev. path point\r\n\r\n\r\n\r\n");
}

TEST(HyperLinkTest, ColourFollowsHoverFocusAndVisits)
{
    using L = CHyperLink;
    const LinkColor blue{0, 0, 255}, teal{0, 128, 128}, purple{128, 0, 128}, red{255, 0, 0};
    const struct {
        uint8_t options;
        bool hovering, pressed, visited;
        LinkColor want;
    } cases[] = {
        {L::kDefaultOptions, false, false, false, blue},
        {L::kDefaultOptions, true, false, false, blue},  // no hover colour by default
        {L::kDefaultOptions, false, true, false, teal},
        {L::kDefaultOptions, false, false, true, purple},
        {L::kDefaultOptions | L::kHoverColor, true, true, true, red},
        {L::kDefaultOptions | L::kHoverColor, false, false, false, blue},
        {L::kDefaultOptions | L::kNoFocusColor, false, true, false, blue},
        {L::kDefaultOptions | L::kNoFocusColor, false, true, true, purple},
    };
    for (const auto& c : cases) {
        Opener opener;
        CHyperLink link("text", "target", opener.Get());
        link.SetOptions(c.options);
        if (c.visited)
            link.Open();
        if (c.hovering)
            link.OnMouseEnter();
        if (c.pressed)
            link.OnFocus();
        if (!c.hovering) {  // came and went
            link.OnMouseEnter();
            link.OnMouseLeave();
        }
        const LinkColor got = link.GetColor();
        EXPECT_EQ((std::vector<int>{got.r, got.g, got.b}), (std::vector<int>{c.want.r, c.want.g, c.want.b}))
            << int(c.options) << c.hovering << c.pressed << c.visited;
    }
}

TEST(HyperLinkTest, DefaultOpensOnReleaseAndOptionEightOnPress)
{
    Opener opener;
    CHyperLink link("Turfbolt", "", opener.Get());  // an empty target opens the text
    EXPECT_EQ(link.GetOptions(), 0x15);
    link.OnButtonDown();
    EXPECT_TRUE(opener.opened.empty());
    EXPECT_EQ(link.GetColor(), (LinkColor{0, 128, 128}));  // a click gives it the focus colour
    link.OnButtonUp();
    EXPECT_EQ(opener.opened, (std::vector<std::string>{"Turfbolt"}));

    CHyperLink onPress("", "https://example.org/", opener.Get());
    EXPECT_EQ(onPress.GetText(), "https://example.org/");
    onPress.SetOptions(CHyperLink::kDefaultOptions | CHyperLink::kOpenOnButtonDown);
    onPress.OnButtonDown();
    EXPECT_EQ(opener.opened.size(), 2u);
    onPress.OnButtonUp();
    EXPECT_EQ(opener.opened.size(), 2u);
    onPress.OnSpace();
    EXPECT_EQ(opener.opened.size(), 3u);

    CHyperLink unfocused("x", "y", opener.Get());
    unfocused.OnButtonUp();  // a release without a press on the link opens nothing
    EXPECT_EQ(opener.opened.size(), 3u);
    unfocused.OnFocus();
    unfocused.OnFocusLost();
    unfocused.OnButtonUp();
    EXPECT_EQ(opener.opened.size(), 3u);
}

TEST(HyperLinkTest, FailureShowsTheBoxAndSuccessMarksVisited)
{
    Opener opener;
    opener.works = false;
    CHyperLink link("docs", "docs/index.html", opener.Get());
    EXPECT_FALSE(link.Open());
    EXPECT_EQ(link.GetError(), "Can't open link:\n\nThere is no application associated\nwith the given filename extension.");
    EXPECT_FALSE(link.IsVisited());
    link.ClearError();
    opener.works = true;
    EXPECT_TRUE(link.Open());
    EXPECT_TRUE(link.IsVisited());
    EXPECT_EQ(link.GetError(), "");
    EXPECT_EQ(opener.opened, (std::vector<std::string>{"docs/index.html", "docs/index.html"}));

    CHyperLink noOpener("a", "b", nullptr);
    EXPECT_FALSE(noOpener.Open());
    EXPECT_FALSE(noOpener.GetError().empty());
}

}  // namespace
