#include "framework/Debug.h"
#include "framework/Message.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Delivery {
    std::string who;
    int message;
    intptr_t param;
    bool operator==(const Delivery&) const = default;
};
using Deliveries = std::vector<Delivery>;

class Recorder : public MessageListener {
public:
    Recorder(Deliveries& out, std::string name) : m_out(out), m_name(std::move(name)) {}
    int OnMessage(int message, intptr_t param) override
    {
        m_out.push_back({m_name, message, param});
        if (onMessage)
            onMessage();
        return result;
    }
    std::function<void()> onMessage;
    int result = 0;

private:
    Deliveries& m_out;
    std::string m_name;
};

// Every test starts from an empty server, whatever registered before main().
class MessageServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        MessageServer::DestroyInstance();
        server = MessageServer::Instance();
    }
    void TearDown() override { MessageServer::DestroyInstance(); }
    MessageServer* server = nullptr;
};

TEST_F(MessageServerTest, IdsStartAt4096AndAreStablePerName)
{
    const int goal = server->RegisterMessage("goal scored");
    const int out = server->RegisterMessage("out of bounds far");
    EXPECT_EQ(goal, 4096);
    EXPECT_EQ(out, 4097);
    EXPECT_EQ(server->RegisterMessage("goal scored"), goal);
    // Names are compared exactly.
    EXPECT_EQ(server->RegisterMessage("Goal Scored"), 4098);
    // Never fails, not even without a name.
    EXPECT_EQ(server->RegisterMessage(nullptr), 4099);
    EXPECT_EQ(server->RegisterMessage(""), 4099);

    EXPECT_STREQ(server->GetMessageName(goal), "goal scored");
    EXPECT_STREQ(server->GetMessageName(out), "out of bounds far");
    EXPECT_EQ(server->GetMessageName(4095), nullptr);
    EXPECT_EQ(server->GetMessageName(4100), nullptr);
    EXPECT_EQ(server->GetMessageCount(), 4);
}

TEST_F(MessageServerTest, TargetedAndBroadcastDelivery)
{
    Deliveries got;
    Recorder a(got, "a"), b(got, "b"), c(got, "c");
    const int idA = server->RegisterListener(&a);
    const int idB = server->RegisterListener(&b, 4200);  // the key changes nothing
    const int idC = server->RegisterListener(&c);
    EXPECT_EQ(idA, 1);
    EXPECT_EQ(idB, 2);
    EXPECT_EQ(idC, 3);

    int x = 0;
    const intptr_t pointer = reinterpret_cast<intptr_t>(&x);
    server->SendMessage(idB, 5000, pointer);
    EXPECT_EQ(got, (Deliveries{{"b", 5000, pointer}}));

    got.clear();
    server->Send(0, 5001, -7);
    EXPECT_EQ(got, (Deliveries{{"a", 5001, -7}, {"b", 5001, -7}, {"c", 5001, -7}}));

    got.clear();
    server->SendMessage(99, 5002, 0);
    EXPECT_TRUE(got.empty());
}

TEST_F(MessageServerTest, RegisteringTwiceKeepsOneEntry)
{
    Deliveries got;
    Recorder a(got, "a");
    const int id = server->RegisterListener(&a);
    EXPECT_EQ(server->RegisterListener(&a, 4300), id);
    server->SendMessage(0, 1, 0);
    EXPECT_EQ(got.size(), 1u);
    server->UnregisterListener(&a);
    EXPECT_FALSE(server->IsRegistered(&a));
}

TEST_F(MessageServerTest, ListenerUnregisteringItselfDuringDelivery)
{
    Deliveries got;
    Recorder a(got, "a"), b(got, "b");
    server->RegisterListener(&a);
    server->RegisterListener(&b);
    a.onMessage = [&] { server->UnregisterListener(&a); };

    server->SendMessage(0, 1, 0);
    EXPECT_EQ(got, (Deliveries{{"a", 1, 0}, {"b", 1, 0}}));
    got.clear();
    server->SendMessage(0, 2, 0);
    EXPECT_EQ(got, (Deliveries{{"b", 2, 0}}));
}

TEST_F(MessageServerTest, ListenerRemovedByAnotherDuringDeliveryIsSkipped)
{
    Deliveries got;
    Recorder a(got, "a"), b(got, "b");
    auto* c = new Recorder(got, "c");
    server->RegisterListener(&a);
    server->RegisterListener(&b);
    server->RegisterListener(c);
    // a unregisters b, b deletes c outright: neither may be reached afterwards.
    a.onMessage = [&] { server->UnregisterListener(&b); };
    server->SendMessage(0, 1, 0);
    EXPECT_EQ(got, (Deliveries{{"a", 1, 0}, {"c", 1, 0}}));

    got.clear();
    a.onMessage = [&] {
        delete c;
        c = nullptr;
    };
    server->SendMessage(0, 2, 0);
    EXPECT_EQ(got, (Deliveries{{"a", 2, 0}}));
    EXPECT_EQ(server->GetListenerCount(), 1);
}

TEST_F(MessageServerTest, ListenerAddedDuringDeliveryWaitsForTheNextMessage)
{
    Deliveries got;
    Recorder a(got, "a"), late(got, "late");
    server->RegisterListener(&a);
    a.onMessage = [&] { server->RegisterListener(&late); };
    server->SendMessage(0, 1, 0);
    EXPECT_EQ(got, (Deliveries{{"a", 1, 0}}));
    a.onMessage = nullptr;
    got.clear();
    server->SendMessage(0, 2, 0);
    EXPECT_EQ(got, (Deliveries{{"a", 2, 0}, {"late", 2, 0}}));
}

TEST_F(MessageServerTest, UnknownListenerIsReportedAndClearDropsAll)
{
    Deliveries got;
    Recorder a(got, "a"), stranger(got, "stranger");
    server->RegisterListener(&a);
    const int warnings = Debug::Instance()->GetWarningCount();
    server->UnregisterListener(&stranger);
    EXPECT_EQ(Debug::Instance()->GetWarningCount(), warnings + 1);

    server->Clear();
    server->SendMessage(0, 1, 0);
    EXPECT_TRUE(got.empty());
    // Names survive Clear.
    const int id = server->RegisterMessage("cast clear");
    server->Clear();
    EXPECT_EQ(server->RegisterMessage("cast clear"), id);
}

TEST_F(MessageServerTest, DestroyedListenerLeavesTheServer)
{
    Deliveries got;
    Recorder kept(got, "kept");
    {
        Recorder gone(got, "gone");
        server->RegisterListener(&gone);
        server->RegisterListener(&kept);
    }
    server->SendMessage(0, 1, 0);
    EXPECT_EQ(got, (Deliveries{{"kept", 1, 0}}));
}

TEST(DeliverMessageTest, CallsTheListenerAndReturnsItsResult)
{
    Deliveries got;
    Recorder a(got, "a");
    a.result = 42;
    EXPECT_EQ(DeliverMessage(&a, 4100, 9), 42);
    EXPECT_EQ(got, (Deliveries{{"a", 4100, 9}}));
    EXPECT_EQ(DeliverMessage(nullptr, 4100, 9), 0);
}

class Queue : public MessageQueuedListener {
public:
    void OnQueuedMessage(int message, intptr_t param) override
    {
        handled.push_back({message, param});
        queuedDuringCall.push_back(QueuedCount());
        if (message == 1)
            OnMessage(3, 30);  // a handler that queues another
    }
    std::vector<std::pair<int, intptr_t>> handled;
    std::vector<size_t> queuedDuringCall;
};

TEST_F(MessageServerTest, QueuedListenerHandlesInArrivalOrderOnDrain)
{
    Queue queue;
    const int id = server->RegisterListener(&queue);
    server->SendMessage(0, 1, 10);
    server->SendMessage(id, 2, 20);
    EXPECT_TRUE(queue.handled.empty());
    EXPECT_EQ(queue.QueuedCount(), 2u);

    queue.Drain();
    using Pairs = std::vector<std::pair<int, intptr_t>>;
    EXPECT_EQ(queue.handled, (Pairs{{1, 10}, {2, 20}, {3, 30}}));
    // Each left the queue before its handler ran.
    EXPECT_EQ(queue.queuedDuringCall, (std::vector<size_t>{1, 1, 0}));
    EXPECT_EQ(queue.QueuedCount(), 0u);

    queue.Drain();
    EXPECT_EQ(queue.handled.size(), 3u);
}

}  // namespace
