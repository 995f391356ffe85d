// Character actions without animation files: event timing, the table, the save contact.
#include "characters/CharacterAction.h"

#include "framework/AsciiSerializer.h"
#include "framework/FileSystem.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;

Names Fired(CharacterAction& action, float t0, float t1)
{
    Names names;
    for (const CharacterActionEvent* event : action.GetEventsBetween(t0, t1))
        names.push_back(ActionEventName(event->type));
    return names;
}

// Records what the player hands on.
class Recorder : public CharacterActionPlayer {
public:
    void OnActionEvent(const CharacterActionEvent& event) override { fired.push_back(ActionEventName(event.type)); }
    Names fired;
};

void Serialize(Object& object, const char* path, bool writing)
{
    File* file = writing ? FileSystem::Instance()->OpenWrite(path) : FileSystem::Instance()->OpenRead(path);
    ASSERT_NE(file, nullptr) << path;
    auto serializer = std::make_unique<AsciiSerializer>(file, writing);
    object.Serialize(*serializer, "Action");
    serializer.reset();
    EXPECT_TRUE(FileSystem::Instance()->Close(file) || !writing) << path;
}

std::string ReadText(const char* path)
{
    std::string text;
    File* file = FileSystem::Instance()->OpenRead(path);
    EXPECT_NE(file, nullptr) << path;
    if (!file)
        return text;
    char buffer[256];
    for (size_t n; (n = file->Read(buffer, sizeof(buffer))) > 0;)
        text.append(buffer, n);
    FileSystem::Instance()->Close(file);
    return text;
}

void WriteText(const char* path, const std::string& text)
{
    File* out = FileSystem::Instance()->OpenWrite(path);
    ASSERT_NE(out, nullptr) << path;
    out->Write(text.data(), text.size());
    ASSERT_TRUE(FileSystem::Instance()->Close(out)) << path;
}

}  // namespace

TEST(ActionEventTest, IsBetweenTakesTheStartAndLeavesTheEndToTheNextStep)
{
    const struct {
        float time, t0, t1;
        bool fires;
    } cases[] = {
        {0.5f, 0.5f, 0.6f, true},    // at the start
        {0.6f, 0.5f, 0.6f, false},   // at the end: the next step's
        {0.6f, 0.6f, 0.7f, true},
        {0.5f, 0.5f, 0.5f, false},   // a step of no length
        {0.9f, 0.8f, 0.1f, true},    // wrapped, before the end
        {0.05f, 0.8f, 0.1f, true},   // wrapped, after the start
        {0.5f, 0.8f, 0.1f, false},   // wrapped past it
        {-1.0f, -2.0f, 5.0f, false}, // no time
        {-1.0f, 0.8f, 0.1f, false},
    };
    for (const auto& c : cases) {
        const CharacterActionEvent event(2, c.time);
        EXPECT_EQ(event.IsBetween(c.t0, c.t1), c.fires) << c.time << " in " << c.t0 << ".." << c.t1;
    }
}

TEST(CharacterActionTest, EventsComeEndFirstThenInListOrder)
{
    CharacterAction action;
    action.GetEvents() = {{3, 0.2f}, {2, 0.1f}, {5, 0.4f}};
    // Without an animation the action ends at 0.
    EXPECT_EQ(Fired(action, -0.1f, 0.3f), (Names{"End Action", "Save", "Contact Foot"}));
    EXPECT_EQ(Fired(action, 0.0f, 0.1f), (Names{"End Action"}));
    EXPECT_EQ(Fired(action, 0.1f, 0.4f), (Names{"Save", "Contact Foot"}));
    EXPECT_EQ(Fired(action, 0.4f, 0.4f), Names{});
    EXPECT_EQ(action.GetEventTimes(2), (std::vector<float>{0.1f}));
    EXPECT_TRUE(action.GetEventTimes(4).empty());
}

TEST(CharacterActionPlayerTest, EndActionFiresOnceAsTheTimeRunsOnPastTheEnd)
{
    CharacterAction action;
    action.GetAnimation().SetRates(0.0f, 0.0f, 1.0f, MovingAnimation::kFixed);
    action.boundRadius = 0.4f;
    CharacterActionPlayer::SetBallRadius(0.11f);
    Recorder player;
    player.SetAction(&action);
    EXPECT_EQ(player.GetPlaybackRate(), 1.0f);
    for (int i = 0; i < 3; ++i)
        player.UpdateAction(0.1f);
    EXPECT_EQ(player.fired, (Names{"End Action"}));
    EXPECT_NEAR(player.GetActionTime(), 0.3f, 1e-6f);
    // Without a ball locator the ball sits in front of the body at its own height.
    EXPECT_EQ(player.GetBallLocatorPoint(), (Vector3{0.0f, 0.11f, 0.4f}));
    EXPECT_EQ(player.GetCollisionLocatorPoint(), Vector3{});
}

TEST(CharacterActionTest, TheTableRoundTripsAndCreateNewEventAddsOneUnfiredContactFoot)
{
    CharacterAction written;
    written.boundRadius = 0.5f;
    written.boundHeight = 1.8f;
    written.energyPerAction = 2.0f;
    written.energyPerSecond = 0.25f;
    written.ballLocatorRotates = true;
    written.needsPowerBar = true;
    written.startBlendTime = 0.1f;
    written.endBlendTime = 0.2f;
    written.GetEvents() = {{3, 0.25f}, {11, 0.1f}};
    Serialize(written, "action.txt", true);

    CharacterAction read;
    Serialize(read, "action.txt", false);
    EXPECT_EQ(read.boundRadius, 0.5f);
    EXPECT_EQ(read.boundHeight, 1.8f);
    EXPECT_EQ(read.energyPerAction, 2.0f);
    EXPECT_EQ(read.energyPerSecond, 0.25f);
    EXPECT_TRUE(read.ballLocatorRotates);
    EXPECT_TRUE(read.needsPowerBar);
    EXPECT_EQ(read.startBlendTime, 0.1f);
    EXPECT_EQ(read.endBlendTime, 0.2f);
    ASSERT_EQ(read.GetEvents().size(), 2u);
    EXPECT_EQ(read.GetEvents()[1].type, 11);
    EXPECT_EQ(read.GetEvents()[1].time, 0.1f);
    // An empty name leaves the action without locators.
    EXPECT_EQ(read.GetBallLocator(), nullptr);
    EXPECT_EQ(read.GetCollisionLocator(), nullptr);

    // The editor's switch comes back set once.
    {
        std::string text = ReadText("action.txt");
        const size_t at = text.find("Create new event?");
        ASSERT_NE(at, std::string::npos);
        text.replace(text.find('0', at), 1, "1");
        WriteText("edited.txt", text);
    }
    CharacterAction edited;
    Serialize(edited, "edited.txt", false);
    ASSERT_EQ(edited.GetEvents().size(), 3u);
    EXPECT_EQ(edited.GetEvents()[2].type, 2);
    EXPECT_EQ(edited.GetEvents()[2].time, -1.0f);
    EXPECT_TRUE(Fired(edited, -100.0f, 100.0f) == (Names{"End Action", "Save", "Save Prepare"}));
}

TEST(CharacterActionTest, AHugeEventCountReadsNoMoreEventsThanTheTableHasLines)
{
    CharacterAction written;
    written.GetEvents() = {{3, 0.25f}};
    Serialize(written, "action.txt", true);
    std::string text = ReadText("action.txt");
    const std::string key = "\"Number of events\" 1";
    ASSERT_NE(text.find(key), std::string::npos);
    text.replace(text.find(key), key.size(), "\"Number of events\" 2000000000");
    WriteText("huge.txt", text);
    CharacterAction read;
    LogCapture log;
    Serialize(read, "huge.txt", false);
    EXPECT_LE(read.GetEvents().size(), static_cast<size_t>(std::count(text.begin(), text.end(), '\n')));
    EXPECT_EQ(read.GetEvents()[0].type, 3);
    EXPECT_EQ(log.Count("Number of events 2000000000 is more than the table can hold"), 1) << log.Text();
}

TEST(CharacterActionTest, SaveContactTakesTheSaveOrDeflectTimeAndKeepsItWithoutARate)
{
    CharacterAction action;
    action.GetAnimation().SetRates(0.0f, 0.0f, 2.0f, MovingAnimation::kFixed);
    action.GetEvents() = {{4, 0.6f}, {11, 0.2f}};
    Vector3 position;
    float time = 0.0f, prepare = 0.0f;
    action.GetSaveContact(position, time, prepare);
    // No save event: the deflect time, both turned into seconds at the fixed rate.
    EXPECT_FLOAT_EQ(time, 0.3f);
    EXPECT_FLOAT_EQ(prepare, 0.1f);

    action.GetEvents().push_back({3, 0.4f});
    action.GetSaveContact(position, time, prepare);
    EXPECT_FLOAT_EQ(time, 0.2f);

    // Locked to movement, at rest the action does not play: the times stay animation times.
    action.GetAnimation().SetRates(2.0f, 0.0f, 1.0f, MovingAnimation::kMovement);
    LogCapture log;
    action.GetSaveContact(position, time, prepare);
    EXPECT_FLOAT_EQ(time, 0.4f);
    EXPECT_FLOAT_EQ(prepare, 0.2f);
    EXPECT_TRUE(log.Contains("CharacterAction::GetSaveContact:"));
}
