#include "framework/Message.h"

#include "framework/Debug.h"

MessageListener::~MessageListener()
{
    if (MessageServer::Exists())
        MessageServer::Instance()->Forget(this);
}

int MessageQueuedListener::OnMessage(int message, intptr_t param)
{
    m_queue.emplace_back(message, param);
    return 0;
}

void MessageQueuedListener::Drain()
{
    while (!m_queue.empty()) {
        const auto [message, param] = m_queue.front();
        m_queue.pop_front();
        OnQueuedMessage(message, param);
    }
}

int DeliverMessage(MessageListener* listener, int message, intptr_t param)
{
    if (!listener) {
        LogError("DeliverMessage: no listener for message %d\n", message);
        return 0;
    }
    return listener->OnMessage(message, param);
}

int MessageServer::RegisterMessage(const char* name)
{
    std::string key = name ? name : "";
    auto it = m_ids.find(key);
    if (it != m_ids.end())
        return it->second;
    const int id = kFirstMessageId + static_cast<int>(m_names.size());
    m_names.push_back(key);
    m_ids.emplace(std::move(key), id);
    return id;
}

const char* MessageServer::GetMessageName(int message) const
{
    const int index = message - kFirstMessageId;
    if (index < 0 || index >= static_cast<int>(m_names.size()))
        return nullptr;
    return m_names[index].c_str();
}

int MessageServer::RegisterListener(MessageListener* listener, int /*key*/)
{
    if (!listener) {
        LogError("MessageServer::RegisterListener - no listener\n");
        return 0;
    }
    for (const auto& [id, registered] : m_listeners)
        if (registered == listener)
            return id;
    const int id = m_nextListenerId++;
    m_listeners.emplace(id, listener);
    return id;
}

void MessageServer::UnregisterListener(MessageListener* listener, int /*key*/)
{
    for (auto it = m_listeners.begin(); it != m_listeners.end(); ++it) {
        if (it->second == listener) {
            m_listeners.erase(it);
            return;
        }
    }
    LogWarning("MessageServer::UnregisterListener - listener not found\n");
}

bool MessageServer::IsRegistered(const MessageListener* listener) const
{
    for (const auto& entry : m_listeners)
        if (entry.second == listener)
            return true;
    return false;
}

void MessageServer::Forget(const MessageListener* listener)
{
    for (auto it = m_listeners.begin(); it != m_listeners.end(); ++it) {
        if (it->second == listener) {
            m_listeners.erase(it);
            return;
        }
    }
}

void MessageServer::SendMessage(int targetListenerId, int message, intptr_t param)
{
    if (targetListenerId != 0) {
        auto it = m_listeners.find(targetListenerId);
        if (it != m_listeners.end())
            it->second->OnMessage(message, param);
        return;
    }

    // Listeners commonly unregister (or delete one another) while handling a message,
    // so walk a copy and re-check each entry by its id, which is never reused.
    const std::vector<std::pair<int, MessageListener*>> snapshot(m_listeners.begin(),
                                                                  m_listeners.end());
    for (const auto& [id, listener] : snapshot) {
        auto it = m_listeners.find(id);
        if (it == m_listeners.end() || it->second != listener)
            continue;
        listener->OnMessage(message, param);
    }
}

void MessageServer::Clear()
{
    m_listeners.clear();
}
