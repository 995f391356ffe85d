#include "editor/ui/ControlPanel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ControlPanel, OpensRunningAtSpeedOneAndPlayPauseSwitchesTheButtonAndStep)
{
    CControlPanel panel;
    panel.OnPlayPause();
    panel.SetSpeedText("3");
    panel.SetPhysicsSimulation(false);
    panel.OnInitDialog();
    EXPECT_EQ(std::string(panel.GetPlayPauseText()) + " " + panel.GetSpeedText(), "Pause 1.0");
    EXPECT_FALSE(panel.IsStepEnabled() || panel.IsPaused());
    EXPECT_TRUE(panel.IsPhysicsSimulationOn());
    EXPECT_EQ(panel.GetSpeed(), 1.0f);

    panel.OnPlayPause();
    EXPECT_EQ(std::string(panel.GetPlayPauseText()), "Play");
    EXPECT_TRUE(panel.IsStepEnabled() && panel.IsPaused());
    // The "pause game" key flips the state only.
    panel.SetPaused(false);
    EXPECT_EQ(std::string(panel.GetPlayPauseText()), "Play");
    EXPECT_FALSE(panel.IsPaused());
}

TEST(ControlPanel, OnlyAFiniteSpeedOfAtLeastZeroReplacesTheLastOne)
{
    CControlPanel panel;
    const std::pair<const char*, float> typed[] = {{"0.5", 0.5f}, {"abc", 0.5f}, {"nan", 0.5f}, {"inf", 0.5f},
                                                   {"-2", 0.5f},  {"", 0.5f},    {"0", 0.0f},   {"2.5x", 2.5f},
                                                   {"-0", 0.0f},  {"1e40", 0.0f}};
    std::vector<float> speeds, expected;
    for (const auto& [text, speed] : typed)
        panel.SetSpeedText(text), speeds.push_back(panel.GetSpeed()), expected.push_back(speed);
    EXPECT_EQ(speeds, expected);
}

TEST(ControlPanel, AStepLetsTheGameRunUntilATickSpendsIt)
{
    CControlPanel panel;
    panel.OnPlayPause();
    panel.OnStep();
    panel.OnStep();
    std::string seen;
    for (int pass = 0; pass < 3; ++pass) {
        seen += panel.IsPaused() ? 'P' : '-';
        if (pass == 1)
            panel.SpendStep();
    }
    EXPECT_EQ(seen, "--P");
}

}  // namespace
