#pragma once

#include "framework/Singleton.h"

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

// Receives named messages. The parameter is pointer-sized: menu actions pass pointers.
class MessageListener {
public:
    // A listener destroyed while still registered is dropped from the server, so a
    // later send never reaches freed memory.
    virtual ~MessageListener();
    virtual int OnMessage(int message, intptr_t param) = 0;
};

// Keeps messages until its owner is ready for them, typically in its own update.
class MessageQueuedListener : public MessageListener {
public:
    int OnMessage(int message, intptr_t param) override;

    // Hands each queued message to OnQueuedMessage, oldest first. Each leaves the queue
    // before its call, so a handler may queue (or send) more; those are handled too.
    void Drain();
    virtual void OnQueuedMessage(int message, intptr_t param) = 0;

    size_t QueuedCount() const { return m_queue.size(); }

protected:
    int m_listenerId = 0;
    std::deque<std::pair<int, intptr_t>> m_queue;
};

// Calls the listener's OnMessage and returns its result (0 for a null listener).
int DeliverMessage(MessageListener* listener, int message, intptr_t param);

// Message names to ids, and delivery to registered listeners. Ids depend on the order
// of registration (and so on link order); nothing may store them.
class MessageServer : public Singleton<MessageServer> {
public:
    static constexpr int kFirstMessageId = 4096;

    MessageServer() = default;

    // The same name always yields the same id; a new name gets the next one. Never fails.
    int RegisterMessage(const char* name);
    // The name of a registered id, or null.
    const char* GetMessageName(int message) const;
    int GetMessageCount() const { return static_cast<int>(m_names.size()); }

    // Returns the listener id (from 1 up). The key is accepted for callers that pass a
    // message id and has no effect: every listener gets every message sent to all.
    // Registering a listener again returns its id and does not double its deliveries.
    int RegisterListener(MessageListener* listener, int key = 0);
    void UnregisterListener(MessageListener* listener, int key = 0);
    bool IsRegistered(const MessageListener* listener) const;
    int GetListenerCount() const { return static_cast<int>(m_listeners.size()); }

    // Delivers at once, on the calling thread: to every listener when the target is 0,
    // else to that listener only. Listeners removed during the send are skipped;
    // listeners added during the send get the next message, not this one.
    void SendMessage(int targetListenerId, int message, intptr_t param);
    void Send(int targetListenerId, int message, intptr_t param)
    {
        SendMessage(targetListenerId, message, param);
    }

    // Drops every listener (names and ids stay).
    void Clear();

private:
    friend class MessageListener;
    // Silent removal for destroyed listeners.
    void Forget(const MessageListener* listener);

    std::unordered_map<std::string, int> m_ids;
    std::vector<std::string> m_names;  // index = id - kFirstMessageId
    std::map<int, MessageListener*> m_listeners;  // ordered by id: registration order
    int m_nextListenerId = 1;
};
