#include "framework/State.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Log = std::vector<std::string>;

// Records its life into a shared log. Finishes after `duration` seconds (never when
// negative), handing over to `successor` (null: finished).
class Probe : public State {
public:
    Probe(Log& log, std::string name, float duration, State* successor = nullptr, bool waits = false)
        : m_log(log), m_name(std::move(name)), m_duration(duration), m_successor(successor), m_waits(waits)
    {
        ++live;
    }
    ~Probe() override
    {
        --live;
        m_log.push_back(m_name + ":delete");
        delete m_successor;  // only when never handed over
    }
    void Enter() override { m_log.push_back(m_name + ":enter"); }
    void Exit() override { m_log.push_back(m_name + ":exit"); }
    void Render() override { m_log.push_back(m_name + ":render"); }
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
    Log& m_log;
    std::string m_name;
    float m_duration;
    float m_elapsed = 0.0f;
    State* m_successor;
    bool m_waits;
};

// Runs the state in a slot the way every holder does, with quarter-second frames (exact
// in binary), logging "frame" after each; the number of frames until the slot emptied.
int RunToEnd(State* state, Log& log, int maxFrames = 100)
{
    State* slot = state;
    slot->Enter();
    for (int frame = 1; frame <= maxFrames; ++frame) {
        StateSlot::Update(&slot, 0.25f);
        log.push_back("frame");
        if (!slot)
            return frame;
    }
    StateSlot::Set(&slot, nullptr, false);
    return -1;
}

TEST(StateSlotTest, TheHeldStateIsReplacedOnlyWhenItHandsOver)
{
    Log log;
    State* slot = nullptr;
    EXPECT_FALSE(StateSlot::Update(&slot, 0.1f));
    EXPECT_FALSE(StateSlot::Update(nullptr, 0.1f));
    StateSlot::Set(&slot, new Probe(log, "a", -1.0f), false);
    EXPECT_FALSE(StateSlot::Update(&slot, 0.25f));
    StateSlot::Set(&slot, slot, true);  // the held state again: neither exited nor deleted
    State* c = new Probe(log, "c", 0.5f);
    StateSlot::Set(&slot, new Probe(log, "b", 0.25f, c), true);
    EXPECT_TRUE(StateSlot::Update(&slot, 0.25f));
    EXPECT_EQ(slot, c);
    EXPECT_FALSE(StateSlot::Update(&slot, 0.25f));
    EXPECT_TRUE(StateSlot::Update(&slot, 0.25f));
    EXPECT_EQ(slot, nullptr);
    EXPECT_EQ(log, (Log{"a:enter", "a:exit", "a:delete", "b:enter", "b:exit", "b:delete", "c:enter", "c:exit",
                        "c:delete"}));
}

TEST(IteratingStateTest, AChainRunsThroughItsHandOversAndThenGivesItsNext)
{
    Log log;
    State* next = new Probe(log, "next", -1.0f);
    State* slot = new IteratingState(new Probe(log, "first", 0.25f, new Probe(log, "second", 0.5f)), next);
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
    for (State* chain : {new IteratingState(new Probe(log, "only", 0.25f), nullptr), new IteratingState(nullptr, nullptr)})
        EXPECT_EQ(RunToEnd(chain, log), 1);
}

TEST(IteratingStateTest, EndedEarlyItExitsItsCurrentStateAndDropsNext)
{
    Log log;
    State* slot = new IteratingState(new Probe(log, "current", -1.0f), new Probe(log, "next", -1.0f));
    slot->Enter();
    StateSlot::Update(&slot, 0.25f);
    StateSlot::Set(&slot, nullptr, false);
    delete new IteratingState(new Probe(log, "unentered", -1.0f), new Probe(log, "unentered next", -1.0f));
    EXPECT_EQ(log, (Log{"current:enter", "current:exit", "current:delete", "next:delete", "unentered:delete",
                        "unentered next:delete"}));
}

TEST(ParallelStateTest, EndsWhenEverySubStateThatCanFinishHas)
{
    struct Case {
        const char* name;
        std::vector<State*> (*make)(Log& log);
        int frames;
    };
    const Case cases[] = {
        {"delay and fade", [](Log& l) -> std::vector<State*> { return {new Probe(l, "delay", 1), new Probe(l, "fade", 1)}; },
         4},
        {"card show lasts as long as the walk-off",
         [](Log& l) -> std::vector<State*> { return {new Probe(l, "walkoff", 5), new Probe(l, "banner", 2)}; }, 20},
        {"a chain waiting for its owner does not hold the show",
         [](Log& l) -> std::vector<State*> {
             return {new IteratingState(new Probe(l, "held", -1, nullptr, true), new Probe(l, "never", -1)),
                     new Probe(l, "banner", 1)};
         },
         4},
        {"a hand-over runs the successor in its slot",
         [](Log& l) -> std::vector<State*> {
             return {new Probe(l, "a", 0.25f, new Probe(l, "a2", 1)), new Probe(l, "b", 0.25f)};
         },
         5},
        {"only waiting sub-states", [](Log& l) -> std::vector<State*> { return {new Probe(l, "held", -1, nullptr, true)}; },
         1},
        {"none", [](Log&) -> std::vector<State*> { return {}; }, 1}};
    for (const Case& c : cases) {
        Log log;
        auto* parallel = new ParallelState;
        for (State* sub : c.make(log))
            parallel->AddState(sub);
        EXPECT_EQ(RunToEnd(parallel, log), c.frames) << c.name;
        EXPECT_EQ(Probe::live, 0) << c.name;  // every sub-state went with the show
        for (const std::string& entry : log) {
            if (entry.ends_with(":enter"))  // and whatever ran was ended
                EXPECT_EQ(std::count(log.begin(), log.end(), entry.substr(0, entry.find(':')) + ":exit"), 1) << c.name;
        }
        EXPECT_EQ(std::count(log.begin(), log.end(), "never:enter"), 0);
    }
}

TEST(ParallelStateTest, ARestartOutlastsItsBannerAndAHeldWalkOffEndsWithItsShow)
{
    Log log;
    auto* restart = new ParallelState;
    restart->AddState(new IteratingState(new Probe(log, "delay", 2.0f), new Probe(log, "kick", 3.0f)));
    restart->AddState(new Probe(log, "banner", 2.0f));
    EXPECT_EQ(RunToEnd(restart, log), 20);
    const auto frameOf = [&](const std::string& entry) {
        return std::count(log.begin(), std::find(log.begin(), log.end(), entry), "frame");
    };
    EXPECT_EQ(frameOf("banner:delete"), 7);  // during the 8th frame, at 2 s
    EXPECT_EQ(frameOf("kick:enter"), 7);
    EXPECT_EQ(frameOf("kick:delete"), 19);
    log.clear();
    auto* show = new ParallelState;
    show->AddState(new Probe(log, "walkoff", -1.0f, nullptr, true));
    show->AddState(new IteratingState(new Probe(log, "message", 3.0f), new Probe(log, "menu", 1.0f)));
    EXPECT_EQ(RunToEnd(new IteratingState(show, new Probe(log, "after", 0.25f)), log), 17);
    const Log tail{"menu:exit", "menu:delete", "walkoff:exit", "walkoff:delete", "after:enter"};
    EXPECT_NE(std::search(log.begin(), log.end(), tail.begin(), tail.end()), log.end());
    EXPECT_EQ(frameOf("after:enter"), 15);  // in the 16th frame: 3 s of message and 1 s of menu
}

TEST(ParallelStateTest, SubStatesNotOwnedAreExitedButNotDeletedAndAllRunningOnesRender)
{
    Log log;
    Probe kept(log, "kept", 0.25f), waiting(log, "waiting", -1.0f, nullptr, true);
    auto* parallel = new ParallelState;
    parallel->AddState(&kept, false);
    parallel->AddState(&waiting, false);
    EXPECT_EQ(RunToEnd(parallel, log), 1);
    EXPECT_EQ(log, (Log{"kept:enter", "waiting:enter", "kept:exit", "waiting:exit", "frame"}));
    log.clear();
    parallel = new ParallelState;
    for (const char* name : {"a", "b", "c"})
        parallel->AddState(new Probe(log, name, name[0] == 'a' ? 0.25f : -1.0f));
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
