#include "input/PressFrames.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Events between frames ('d' down, 'u' up, 'p' the poll reading down, 'r' reading up) and
// frames ('.'), told as the button's state in each frame ('1' down).
std::string Frames(const std::string& story)
{
    PressFrames<2> button;
    std::string frames;
    for (const char c : story) {
        if (c == 'd')
            button.Down(1);
        else if (c == 'u')
            button.Up(1);
        else if (c == 'p' || c == 'r')
            button.SetNow(1, c == 'p');
        else
            button.Update(), frames += button.IsDown(1) ? '1' : '0';
    }
    return frames;
}

TEST(PressFramesTest, EveryPressGetsAFrameDownAndEachItsEdges)
{
    const struct {
        const char* story;
        const char* frames;
    } cases[] = {
        {"d.u.", "10"},              // held over a frame
        {"du..", "10"},              // let go before the frame
        {"dudu.....", "10100"},      // two taps before a frame: two presses
        {"d.ud.u..", "1010"},        // let go and pressed again within a frame: an up frame first
        {"dd.u.", "10"},             // a repeated down is no press
        {"d.d.u.", "110"},
        {"p.dr..", "100"},           // the poll read it down already: its late event adds none
        {"dr..", "10"},              // an event's press the poll missed
        {"dududududududu.........", "101010100"},  // a burst keeps only four presses
    };
    for (const auto& c : cases)
        EXPECT_EQ(Frames(c.story), c.frames) << c.story;
}

TEST(PressFramesTest, ButtonsOutsideTheSetAreIgnored)
{
    PressFrames<2> buttons;
    buttons.Down(2);
    buttons.SetNow(2, true);
    buttons.Up(2);
    buttons.Update();
    EXPECT_FALSE(buttons.IsDown(2) || buttons.IsHeld(2) || buttons.IsWaiting(2));
    EXPECT_TRUE(buttons.Frame().none());
}

}  // namespace
