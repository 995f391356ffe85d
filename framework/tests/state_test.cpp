#include "framework/State.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Log = std::vector<std::string>;

// Records its life into a shared log. Finishes after `duration` seconds (never when
// negative), handing over to `successor` (null: finished).
class Probe : public State {
public:
    Probe(Log& log, std::string name, float duration, State* successor = nullptr,
          bool waits = false)
        : m_log(log), m_name(std::move(name)), m_duration(duration), m_successor(successor),
          m_waits(waits)
    {
    }
    ~Probe() override
    {
        m_log.push_back(m_name + ":delete");
        delete m_successor;  // only when never handed over
    }
    void Enter() override { m_log.push_back(m_name + ":enter"); }
    void Exit() override { m_log.push_back(m_name + ":exit"); }
    void Render() override { m_log.push_back(m_name + ":render"); }
    bool WaitsForOwner() const override { return m_waits; }
    State* Update(float dt) override
    {
        m_elapsed += dt;
        if (m_duration < 0.0f || m_elapsed < m_duration)
            return this;
        State* next = m_successor;
        m_successor = nullptr;
        return next;
    }

private:
    Log& m_log;
    std::string m_name;
    float m_duration;
    float m_elapsed = 0.0f;
    State* m_successor;
    bool m_waits;
};

bool Has(const Log& log, const std::string& entry)
{
    for (const auto& e : log)
        if (e == entry)
            return true;
    return false;
}

// Runs the state in a slot the way every holder does, with quarter-second frames
// (exact in binary), and returns the number of frames until the slot was emptied.
int RunToEnd(State* state, int maxFrames, Log* log = nullptr, const char* marker = nullptr)
{
    State* slot = state;
    slot->Enter();
    for (int frame = 1; frame <= maxFrames; ++frame) {
        StateSlot::Update(&slot, 0.25f);
        if (log && marker)
            log->push_back(marker);
        if (!slot)
            return frame;
    }
    StateSlot::Set(&slot, nullptr, false);
    return -1;
}

TEST(StateSlotTest, EmptySlotAndStayingStateReportNoChange)
{
    State* slot = nullptr;
    EXPECT_FALSE(StateSlot::Update(&slot, 0.1f));
    EXPECT_FALSE(StateSlot::Update(nullptr, 0.1f));

    Log log;
    slot = new Probe(log, "a", -1.0f);
    EXPECT_FALSE(StateSlot::Update(&slot, 0.1f));
    EXPECT_TRUE(log.empty());
    StateSlot::Set(&slot, nullptr, true);
    EXPECT_EQ(log, (Log{"a:exit", "a:delete"}));
}

TEST(StateSlotTest, SuccessorReplacesHeldStateInOrder)
{
    Log log;
    State* b = new Probe(log, "b", -1.0f);
    State* slot = new Probe(log, "a", 0.0f, b);
    EXPECT_TRUE(StateSlot::Update(&slot, 0.1f));
    EXPECT_EQ(slot, b);
    EXPECT_EQ(log, (Log{"a:exit", "a:delete", "b:enter"}));
    StateSlot::Set(&slot, nullptr, false);
}

TEST(StateSlotTest, NullResultEmptiesTheSlot)
{
    Log log;
    State* slot = new Probe(log, "a", 0.5f);
    EXPECT_FALSE(StateSlot::Update(&slot, 0.25f));
    EXPECT_TRUE(StateSlot::Update(&slot, 0.25f));
    EXPECT_EQ(slot, nullptr);
    EXPECT_EQ(log, (Log{"a:exit", "a:delete"}));
    EXPECT_FALSE(StateSlot::Update(&slot, 0.25f));
}

TEST(StateSlotTest, SetExitsOldAndEntersNewOnlyWhenAsked)
{
    Log log;
    State* slot = nullptr;
    StateSlot::Set(&slot, new Probe(log, "a", -1.0f), false);
    EXPECT_TRUE(log.empty());
    StateSlot::Set(&slot, new Probe(log, "b", -1.0f), true);
    EXPECT_EQ(log, (Log{"a:exit", "a:delete", "b:enter"}));

    // Setting the held state again must neither exit nor delete it.
    log.clear();
    StateSlot::Set(&slot, slot, false);
    EXPECT_TRUE(log.empty());
    StateSlot::Set(&slot, nullptr, false);
    EXPECT_EQ(log, (Log{"b:exit", "b:delete"}));
}

TEST(IteratingStateTest, ChainRunsThroughHandOversAndEndsWithNext)
{
    Log log;
    State* next = new Probe(log, "next", -1.0f);
    State* second = new Probe(log, "second", 0.5f);
    State* slot = new IteratingState(new Probe(log, "first", 0.25f, second), next);
    slot->Enter();
    EXPECT_EQ(log, (Log{"first:enter"}));

    log.clear();
    EXPECT_FALSE(StateSlot::Update(&slot, 0.25f));  // first hands over inside the chain
    EXPECT_EQ(log, (Log{"first:exit", "first:delete", "second:enter"}));

    log.clear();
    slot->Render();
    EXPECT_EQ(log, (Log{"second:render"}));

    log.clear();
    EXPECT_FALSE(StateSlot::Update(&slot, 0.25f));
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(StateSlot::Update(&slot, 0.25f));  // chain over: the holder takes next
    EXPECT_EQ(slot, next);
    // The iterating state goes without deleting the next it handed out.
    EXPECT_EQ(log, (Log{"second:exit", "second:delete", "next:enter"}));
    StateSlot::Set(&slot, nullptr, false);
}

TEST(IteratingStateTest, WithoutNextTheHolderEndsEmpty)
{
    Log log;
    State* slot = new IteratingState(new Probe(log, "only", 0.25f), nullptr);
    slot->Enter();
    EXPECT_TRUE(StateSlot::Update(&slot, 0.25f));
    EXPECT_EQ(slot, nullptr);

    // A null first state ends at once.
    slot = new IteratingState(nullptr, nullptr);
    slot->Enter();
    EXPECT_TRUE(StateSlot::Update(&slot, 0.25f));
    EXPECT_EQ(slot, nullptr);
}

TEST(IteratingStateTest, EndedEarlyExitsCurrentAndDropsNext)
{
    Log log;
    State* slot = new IteratingState(new Probe(log, "current", -1.0f),
                                     new Probe(log, "next", -1.0f));
    slot->Enter();
    StateSlot::Update(&slot, 0.25f);
    log.clear();
    StateSlot::Set(&slot, nullptr, false);
    EXPECT_EQ(log, (Log{"current:exit", "current:delete", "next:delete"}));
}

TEST(IteratingStateTest, NeverEnteredChainIsDeletedWithoutExits)
{
    Log log;
    State* chain = new IteratingState(new Probe(log, "current", -1.0f),
                                      new Probe(log, "next", -1.0f));
    delete chain;
    EXPECT_EQ(log, (Log{"current:delete", "next:delete"}));
}

TEST(ParallelStateTest, FadeStepEndsWhenDelayAndFadeHaveRun)
{
    Log log;
    auto* step = new ParallelState;
    step->AddState(new Probe(log, "delay", 1.0f), true);
    step->AddState(new Probe(log, "fade", 1.0f), true);
    EXPECT_EQ(RunToEnd(step, 100), 4);
    EXPECT_EQ(log, (Log{"delay:enter", "fade:enter", "delay:exit", "delay:delete",
                        "fade:exit", "fade:delete"}));
}

TEST(ParallelStateTest, RestartOutlastsItsBanner)
{
    // A 2 s delay, then a 3 s kick, beside the 2 s banner: the banner goes first and
    // the restart goes on alone.
    Log log;
    auto* restart = new ParallelState;
    restart->AddState(new IteratingState(new Probe(log, "delay", 2.0f),
                                         new Probe(log, "kick", 3.0f)),
                      true);
    restart->AddState(new Probe(log, "banner", 2.0f), true);
    EXPECT_EQ(RunToEnd(restart, 100, &log, "frame"), 20);

    auto frameOf = [&](const std::string& entry) {
        int frames = 0;
        for (const auto& e : log) {
            if (e == entry)
                return frames;
            if (e == "frame")
                ++frames;
        }
        return -1;
    };
    EXPECT_EQ(frameOf("banner:delete"), 7);  // during the 8th frame, at 2 s
    EXPECT_EQ(frameOf("kick:enter"), 7);
    EXPECT_EQ(frameOf("kick:delete"), 19);
}

TEST(ParallelStateTest, CardShowLastsAsLongAsTheWalkOff)
{
    Log log;
    auto* show = new ParallelState;
    show->AddState(new Probe(log, "walkoff", 5.0f), true);
    show->AddState(new Probe(log, "banner", 2.0f), true);
    EXPECT_EQ(RunToEnd(show, 100), 20);
    EXPECT_TRUE(Has(log, "walkoff:delete"));
    EXPECT_TRUE(Has(log, "banner:delete"));
}

TEST(ParallelStateTest, EndOfPeriodShowEndsWithItsMenuAndTakesTheHeldWalkOff)
{
    Log log;
    auto* show = new ParallelState;
    show->AddState(new Probe(log, "walkoff", -1.0f, nullptr, true), true);
    show->AddState(new IteratingState(new Probe(log, "message", 3.0f),
                                      new Probe(log, "menu", 1.0f)),
                   true);
    State* slot = new IteratingState(show, new Probe(log, "after", -1.0f));
    slot->Enter();

    int frames = 0;
    while (frames < 100 && !Has(log, "after:enter")) {
        StateSlot::Update(&slot, 0.25f);
        ++frames;
    }
    EXPECT_EQ(frames, 16);  // 3 s of message and 1 s of menu
    // The held walk-off never finished by itself; it ended with the show.
    Log expectedTail{"menu:exit", "menu:delete", "walkoff:exit", "walkoff:delete",
                     "after:enter"};
    ASSERT_GE(log.size(), expectedTail.size());
    EXPECT_EQ(Log(log.end() - expectedTail.size(), log.end()), expectedTail);
    StateSlot::Set(&slot, nullptr, false);
}

TEST(ParallelStateTest, ChainWaitingForItsOwnerDoesNotHoldTheShow)
{
    Log log;
    auto* show = new ParallelState;
    show->AddState(new IteratingState(new Probe(log, "held", -1.0f, nullptr, true),
                                      new Probe(log, "never", -1.0f)),
                   true);
    show->AddState(new Probe(log, "banner", 1.0f), true);
    EXPECT_EQ(RunToEnd(show, 100), 4);
    EXPECT_TRUE(Has(log, "held:exit"));
    EXPECT_TRUE(Has(log, "never:delete"));
    EXPECT_FALSE(Has(log, "never:enter"));
}

TEST(ParallelStateTest, OnlyWaitingOrNoSubStatesEndAtOnce)
{
    Log log;
    auto* waiting = new ParallelState;
    waiting->AddState(new Probe(log, "held", -1.0f, nullptr, true), true);
    EXPECT_EQ(RunToEnd(waiting, 10), 1);
    EXPECT_EQ(log, (Log{"held:enter", "held:exit", "held:delete"}));

    EXPECT_EQ(RunToEnd(new ParallelState, 10), 1);
}

TEST(ParallelStateTest, SubStateHandOverRunsTheSuccessorInItsSlot)
{
    Log log;
    auto* parallel = new ParallelState;
    parallel->AddState(new Probe(log, "a", 0.25f, new Probe(log, "a2", 1.0f)), true);
    parallel->AddState(new Probe(log, "b", 0.25f), true);
    EXPECT_EQ(RunToEnd(parallel, 100), 5);
    EXPECT_TRUE(Has(log, "a2:enter"));
    EXPECT_TRUE(Has(log, "a2:delete"));
}

TEST(ParallelStateTest, SubStatesNotOwnedAreExitedButNotDeleted)
{
    Log log;
    Probe kept(log, "kept", 0.25f);
    Probe waiting(log, "waiting", -1.0f, nullptr, true);
    auto* parallel = new ParallelState;
    parallel->AddState(&kept, false);
    parallel->AddState(&waiting, false);
    EXPECT_EQ(RunToEnd(parallel, 10), 1);
    EXPECT_EQ(log, (Log{"kept:enter", "waiting:enter", "kept:exit", "waiting:exit"}));
    log.clear();  // the stack objects log their own deletion after this
}

TEST(ParallelStateTest, RendersEveryRunningSubStateAndEndsThemWhenCutShort)
{
    Log log;
    auto* parallel = new ParallelState;
    parallel->AddState(new Probe(log, "a", 0.25f), true);
    parallel->AddState(new Probe(log, "b", -1.0f), true);
    parallel->AddState(new Probe(log, "c", -1.0f), true);
    State* slot = parallel;
    slot->Enter();
    StateSlot::Update(&slot, 0.25f);
    log.clear();
    slot->Render();
    EXPECT_EQ(log, (Log{"b:render", "c:render"}));

    log.clear();
    StateSlot::Set(&slot, nullptr, false);
    EXPECT_EQ(log, (Log{"b:exit", "b:delete", "c:exit", "c:delete"}));
}

}  // namespace
