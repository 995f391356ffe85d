#include "framework/State.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Log = std::vector<std::string>;
Log g_log;

// Records its life into g_log. Finishes after `duration` seconds (never when
// negative), handing over to `successor` (null: finished).
class Probe : public State {
public:
    Probe(std::string name, float duration, State* successor = nullptr, bool waits = false)
        : m_name(std::move(name)), m_duration(duration), m_successor(successor), m_waits(waits)
    {
        ++live;
    }
    ~Probe() override
    {
        --live;
        g_log.push_back(m_name + ":delete");
        delete m_successor;  // only when never handed over
    }
    void Enter() override { g_log.push_back(m_name + ":enter"); }
    void Exit() override { g_log.push_back(m_name + ":exit"); }
    void Render() override { g_log.push_back(m_name + ":render"); }
    bool WaitsForOwner() const override { return m_waits; }
    static inline int live = 0;
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
    std::string m_name;
    float m_duration;
    float m_elapsed = 0.0f;
    State* m_successor;
    bool m_waits;
};

Log& Fresh()
{
    g_log.clear();
    return g_log;
}

// Runs the state in a slot the way every holder does, with quarter-second frames (exact
// in binary), logging "frame" after each; the number of frames until the slot emptied.
int RunToEnd(State* state, int maxFrames = 100)
{
    State* slot = state;
    slot->Enter();
    for (int frame = 1; frame <= maxFrames; ++frame) {
        StateSlot::Update(&slot, 0.25f);
        g_log.push_back("frame");
        if (!slot)
            return frame;
    }
    StateSlot::Set(&slot, nullptr, false);
    return -1;
}

TEST(StateSlotTest, TheHeldStateIsReplacedOnlyWhenItHandsOver)
{
    Log& log = Fresh();
    State* slot = nullptr;
    EXPECT_FALSE(StateSlot::Update(&slot, 0.1f));
    EXPECT_FALSE(StateSlot::Update(nullptr, 0.1f));
    StateSlot::Set(&slot, new Probe("a", -1.0f), false);
    EXPECT_FALSE(StateSlot::Update(&slot, 0.25f));
    StateSlot::Set(&slot, slot, true);  // the held state again: neither exited nor deleted
    State* c = new Probe("c", 0.5f);
    StateSlot::Set(&slot, new Probe("b", 0.25f, c), true);
    EXPECT_TRUE(StateSlot::Update(&slot, 0.25f));
    EXPECT_EQ(slot, c);
    EXPECT_FALSE(StateSlot::Update(&slot, 0.25f));
    EXPECT_TRUE(StateSlot::Update(&slot, 0.25f));
    EXPECT_EQ(slot, nullptr);
    EXPECT_EQ(log, (Log{"a:enter", "a:exit", "a:delete", "b:enter", "b:exit", "b:delete", "c:enter", "c:exit",
                        "c:delete"}));
}

TEST(IteratingStateTest, AChainRunsThroughItsHandOversGivesItsNextOrDropsItWhenEndedEarly)
{
    Log& log = Fresh();
    State* next = new Probe("next", -1.0f);
    State* slot = new IteratingState(new Probe("first", 0.25f, new Probe("second", 0.5f)), next);
    slot->Enter();
    EXPECT_FALSE(StateSlot::Update(&slot, 0.25f));  // first hands over inside the chain
    slot->Render();
    EXPECT_FALSE(StateSlot::Update(&slot, 0.25f));
    EXPECT_TRUE(StateSlot::Update(&slot, 0.25f));  // chain over: the holder takes next
    EXPECT_EQ(slot, next);
    EXPECT_EQ(log, (Log{"first:enter", "first:exit", "first:delete", "second:enter", "second:render", "second:exit",
                        "second:delete", "next:enter"}));
    StateSlot::Set(&slot, nullptr, false);
    // Without next, or without a first state, the holder ends empty.
    for (State* chain : {new IteratingState(new Probe("only", 0.25f), nullptr), new IteratingState(nullptr, nullptr)})
        EXPECT_EQ(RunToEnd(chain), 1);
    // Ended early, a chain exits its current state and drops next; never entered, it exits nothing.
    log.clear();
    slot = new IteratingState(new Probe("current", -1.0f), new Probe("next", -1.0f));
    slot->Enter();
    StateSlot::Update(&slot, 0.25f);
    StateSlot::Set(&slot, nullptr, false);
    delete new IteratingState(new Probe("unentered", -1.0f), new Probe("unentered next", -1.0f));
    EXPECT_EQ(log, (Log{"current:enter", "current:exit", "current:delete", "next:delete", "unentered:delete",
                        "unentered next:delete"}));
}

TEST(ParallelStateTest, EndsWhenEverySubStateThatCanFinishHas)
{
    const std::pair<std::vector<State*>, int> cases[] = {
        {{new Probe("delay", 1), new Probe("fade", 1)}, 4},
        {{new Probe("walkoff", 5), new Probe("banner", 2)}, 20},  // a card show lasts as long as its walk-off
        {{new IteratingState(new Probe("held", -1, nullptr, true), new Probe("never", -1)), new Probe("banner", 1)},
         4},  // a chain waiting for its owner does not hold the show
        {{new Probe("a", 0.25f, new Probe("a2", 1)), new Probe("b", 0.25f)}, 5},  // the successor runs in its slot
        {{new Probe("held", -1, nullptr, true)}, 1},                            // only waiting sub-states
        {{}, 1}};
    for (const auto& [subs, frames] : cases) {
        Log& log = Fresh();
        auto* parallel = new ParallelState;
        for (State* sub : subs)
            parallel->AddState(sub);
        EXPECT_EQ(RunToEnd(parallel), frames) << subs.size();
        for (const std::string& entry : log) {
            if (entry.ends_with(":enter")) {  // whatever ran was ended
                EXPECT_EQ(std::count(log.begin(), log.end(), entry.substr(0, entry.find(':')) + ":exit"), 1) << entry;
            }
        }
        EXPECT_EQ(std::count(log.begin(), log.end(), "never:enter"), 0);
    }
    EXPECT_EQ(Probe::live, 0);  // every sub-state went with its show
}

TEST(ParallelStateTest, ARestartOutlastsItsBannerAndAHeldWalkOffEndsWithItsShow)
{
    Log& log = Fresh();
    auto* restart = new ParallelState;
    restart->AddState(new IteratingState(new Probe("delay", 2.0f), new Probe("kick", 3.0f)));
    restart->AddState(new Probe("banner", 2.0f));
    EXPECT_EQ(RunToEnd(restart), 20);
    const auto frameOf = [&](const std::string& entry) {
        return std::count(log.begin(), std::find(log.begin(), log.end(), entry), "frame");
    };
    EXPECT_EQ(frameOf("banner:delete"), 7);  // during the 8th frame, at 2 s
    EXPECT_EQ(frameOf("kick:enter"), 7);
    EXPECT_EQ(frameOf("kick:delete"), 19);
    log.clear();
    auto* show = new ParallelState;
    show->AddState(new Probe("walkoff", -1.0f, nullptr, true));
    show->AddState(new IteratingState(new Probe("message", 3.0f), new Probe("menu", 1.0f)));
    EXPECT_EQ(RunToEnd(new IteratingState(show, new Probe("after", 0.25f))), 17);
    const Log tail{"menu:exit", "menu:delete", "walkoff:exit", "walkoff:delete", "after:enter"};
    EXPECT_NE(std::search(log.begin(), log.end(), tail.begin(), tail.end()), log.end());
    EXPECT_EQ(frameOf("after:enter"), 15);  // in the 16th frame: 3 s of message and 1 s of menu
}

TEST(ParallelStateTest, SubStatesNotOwnedAreExitedButNotDeletedAndAllRunningOnesRender)
{
    Log& log = Fresh();
    Probe kept("kept", 0.25f), waiting("waiting", -1.0f, nullptr, true);
    auto* parallel = new ParallelState;
    parallel->AddState(&kept, false);
    parallel->AddState(&waiting, false);
    EXPECT_EQ(RunToEnd(parallel), 1);
    EXPECT_EQ(log, (Log{"kept:enter", "waiting:enter", "kept:exit", "waiting:exit", "frame"}));
    log.clear();
    parallel = new ParallelState;
    for (const char* name : {"a", "b", "c"})
        parallel->AddState(new Probe(name, name[0] == 'a' ? 0.25f : -1.0f));
    State* slot = parallel;
    slot->Enter();
    StateSlot::Update(&slot, 0.25f);
    slot->Render();
    StateSlot::Set(&slot, nullptr, false);  // cut short
    EXPECT_EQ(log, (Log{"a:enter", "b:enter", "c:enter", "a:exit", "a:delete", "b:render", "c:render", "b:exit",
                        "b:delete", "c:exit", "c:delete"}));
    log.clear();  // the stack objects log their own deletion after this
}

}  // namespace
