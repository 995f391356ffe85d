#include "scene/GameElement.h"

#include "framework/Cast.h"
#include "framework/Registration.h"
#include "framework/Serializer.h"

#include <cerrno>
#include <cstdlib>

namespace {

REGISTER_MESSAGE(g_msgActivateGroup, "activate group");

void SerializeFlag(Serializer& serializer, const char* key, uint32_t& flags, uint32_t bit)
{
    bool on = (flags & bit) != 0;
    serializer.SerializeBool(key, &on);
    flags = on ? flags | bit : flags & ~bit;
}

// The group a message names: its text as a whole decimal number, else none.
bool ParseGroup(intptr_t param, long& group)
{
    const char* text = reinterpret_cast<const char*>(param);
    if (!text || !*text)
        return false;
    char* end = nullptr;
    errno = 0;
    group = std::strtol(text, &end, 10);
    return errno == 0 && *end == '\0';
}

}  // namespace

GameElement::GameElement()
{
    MessageServer::Instance()->RegisterListener(this);
}

GameElement::~GameElement() = default;

void GameElement::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("GameElement", descriptor);
    SerializeFlag(serializer, "Enabled", m_flags, kEnabled);
    SerializeFlag(serializer, "Visible", m_flags, kVisible);
    serializer.SerializeInt("group", &m_group);
    serializer.SerializeInt("displayDistance", &m_displayDistance);
    serializer.EndSection();
    if (serializer.IsReading())
        ResetStatus();
}

void GameElement::ResetStatus()
{
    m_statusFlags = m_flags;
}

void GameElement::SerializeStatus(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("GameElement", descriptor);
    int32_t status = static_cast<int32_t>(m_statusFlags);
    serializer.SerializeInt("statusFlags", &status);
    m_statusFlags = static_cast<uint32_t>(status);
    serializer.EndSection();
}

int GameElement::OnMessage(int message, intptr_t param)
{
    long group = 0;
    if (message == g_msgActivateGroup && ParseGroup(param, group) && group == m_group)
        m_statusFlags |= kEnabled | kVisible;
    return 0;
}

void RenderCast(const Cast& cast)
{
    for (int i = 0; i < cast.GetMemberCount(); ++i)
        if (auto* object = dynamic_cast<RenderObject*>(cast.GetMember(i)->object))
            object->Render();
}
