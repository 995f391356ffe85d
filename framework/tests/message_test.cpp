#include "framework/Message.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using Log = std::vector<std::string>;

// Logs "name message param" for each message it gets.
class Recorder : public MessageListener {
public:
    Recorder(Log& out, std::string name) : m_out(out), m_name(std::move(name)) {}
    int OnMessage(int message, intptr_t param) override
    {
        m_out.push_back(m_name + " " + std::to_string(message) + " " + std::to_string(param));
        if (onMessage)
            onMessage();
        return result;
    }
    std::function<void()> onMessage;
    int result = 0;

private:
    Log& m_out;
    std::string m_name;
};

// Logs each message with what was still queued during its handler.
class Queue : public MessageQueuedListener {
public:
    void OnQueuedMessage(int message, intptr_t param) override
    {
        handled.push_back(std::to_string(message) + " " + std::to_string(param) + " " + std::to_string(QueuedCount()));
        if (message == 1)
            OnMessage(3, 30);  // a handler that queues another
    }
    Log handled;
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
    Log got;
};

TEST_F(MessageServerTest, NamesGetIdsFrom4096OnOnePerExactName)
{
    std::vector<int> ids;
    for (const char* name : {"goal scored", "out of bounds far", "goal scored", "Goal Scored", static_cast<const char*>(nullptr), ""})
        ids.push_back(server->RegisterMessage(name));
    EXPECT_EQ(ids, (std::vector<int>{4096, 4097, 4096, 4098, 4099, 4099}));  // never fails, not even without a name
    EXPECT_STREQ(server->GetMessageName(4097), "out of bounds far");
    EXPECT_STREQ(server->GetMessageName(4099), "");
    EXPECT_TRUE(!server->GetMessageName(4095) && !server->GetMessageName(4100));
    EXPECT_EQ(server->GetMessageCount(), 4);
    server->Clear();  // names survive it
    EXPECT_EQ(server->RegisterMessage("Goal Scored"), 4098);
}

TEST_F(MessageServerTest, MessagesReachOneListenerOrAllInTheOrderTheyRegistered)
{
    Recorder a(got, "a"), b(got, "b"), c(got, "c"), stranger(got, "stranger");
    // The key changes nothing; a listener registered twice keeps its one entry.
    EXPECT_EQ((std::vector<int>{server->RegisterListener(&a), server->RegisterListener(&b, 4200),
                                server->RegisterListener(&c), server->RegisterListener(&b, 4300),
                                server->RegisterListener(nullptr)}),
              (std::vector<int>{1, 2, 3, 2, 0}));
    server->SendMessage(2, 5000, 7);
    server->Send(0, 5001, -7);
    server->SendMessage(99, 5002, 0);
    EXPECT_EQ(got, (Log{"b 5000 7", "a 5001 -7", "b 5001 -7", "c 5001 -7"}));
    LogCapture log;
    server->UnregisterListener(&stranger);
    EXPECT_EQ(log.Text(), "***WARNING: MessageServer::UnregisterListener - listener not found\n");
    server->UnregisterListener(&b);
    EXPECT_TRUE(!server->IsRegistered(&b) && server->IsRegistered(&c));
    server->Clear();
    EXPECT_EQ(server->GetListenerCount(), 0);
    a.result = 42;
    EXPECT_EQ(DeliverMessage(&a, 4100, 9), 42);
    EXPECT_EQ(got.back(), "a 4100 9");
    EXPECT_EQ(DeliverMessage(nullptr, 4100, 9), 0);
    EXPECT_TRUE(log.Contains("DeliverMessage: no listener for message 4100"));
}

TEST_F(MessageServerTest, ListenersChangedDuringADeliveryTakeEffectSafelyAndQueuesWait)
{
    Recorder a(got, "a"), b(got, "b"), late(got, "late");
    auto* c = new Recorder(got, "c");
    auto* d = new Recorder(got, "d");
    for (MessageListener* listener : std::vector<MessageListener*>{&a, &b, c, d})
        server->RegisterListener(listener);
    // a unregisters itself and b, c deletes d outright, a new listener waits for the next message.
    a.onMessage = [&] {
        server->UnregisterListener(&a);
        server->UnregisterListener(&b);
        server->RegisterListener(&late);
    };
    c->onMessage = [&] { delete d; };
    server->SendMessage(0, 1, 0);
    c->onMessage = nullptr;
    server->SendMessage(0, 2, 0);
    delete c;  // a destroyed listener leaves the server
    server->SendMessage(0, 3, 0);
    EXPECT_EQ(got, (Log{"a 1 0", "c 1 0", "c 2 0", "late 2 0", "late 3 0"}));
    EXPECT_EQ(server->GetListenerCount(), 1);
    // A queued listener handles in arrival order when drained.
    Queue queue;
    const int id = server->RegisterListener(&queue);
    server->SendMessage(0, 1, 10);
    server->SendMessage(id, 2, 20);
    EXPECT_TRUE(queue.handled.empty());
    EXPECT_EQ(queue.QueuedCount(), 2u);
    queue.Drain();
    queue.Drain();
    EXPECT_EQ(queue.handled, (Log{"1 10 1", "2 20 1", "3 30 0"}));  // each left the queue before its handler ran
    EXPECT_EQ(queue.QueuedCount(), 0u);
}

}  // namespace
