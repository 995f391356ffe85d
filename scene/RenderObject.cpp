#include "scene/RenderObject.h"

#include "framework/Registration.h"
#include "framework/Serializer.h"
#include "scene/RwGraphics.h"

#include <algorithm>

REGISTER_FACTORY(RenderObjects, RenderObjectsList);

RenderObject::~RenderObject() = default;

void RenderObject::Serialize(Serializer&, const char*) {}

void RenderObject::SetPosition(const Vector3& position)
{
    m_position = position;
}

const Vector3& RenderObject::GetPosition() const
{
    return m_position;
}

void RenderObject::SetRotation(const Quaternion& rotation)
{
    m_rotation = rotation;
}

const Quaternion& RenderObject::GetRotation() const
{
    return m_rotation;
}

float RenderObject::GetDistanceToCamera() const
{
    return RwGraphics::Instance()->GetDistanceToCamera(m_position);
}

Container::~Container() = default;

void Container::Clear()
{
    while (Count() > 0) {
        // A member that cannot be removed would otherwise spin here for ever.
        if (!Remove(Get(0)))
            break;
    }
}

bool Container::IsEmpty() const
{
    return Count() == 0;
}

RenderObjectsList::RenderObjectsList()
{
    RenderObjectsList::SetPosition(Vector3{0.0f, 0.0f, 0.0f});
    RenderObjectsList::SetRotation(Quaternion::Identity);
}

RenderObjectsList::~RenderObjectsList() = default;

void RenderObjectsList::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("RenderObjectsList", descriptor);
    serializer.EndSection();
}

void RenderObjectsList::SetPosition(const Vector3& position)
{
    RenderObject::SetPosition(position);
    for (RenderObject* member : m_members)
        member->SetPosition(position);
}

void RenderObjectsList::SetRotation(const Quaternion& rotation)
{
    RenderObject::SetRotation(rotation);
    for (RenderObject* member : m_members)
        member->SetRotation(rotation);
}

void RenderObjectsList::Render()
{
    for (RenderObject* member : m_members)
        member->Render();
}

void RenderObjectsList::Update(float dt)
{
    for (RenderObject* member : m_members)
        member->Update(dt);
}

bool RenderObjectsList::Add(Object* object)
{
    auto* member = dynamic_cast<RenderObject*>(object);
    if (!member)
        return false;
    m_members.push_back(member);
    return true;
}

bool RenderObjectsList::Remove(Object* object)
{
    auto* member = dynamic_cast<RenderObject*>(object);
    if (!member)
        return false;
    auto it = std::find(m_members.begin(), m_members.end(), member);
    if (it == m_members.end())
        return false;
    m_members.erase(it);
    return true;
}

void RenderObjectsList::Clear()
{
    m_members.clear();
}

int RenderObjectsList::Count() const
{
    return int(m_members.size());
}

Object* RenderObjectsList::Get(int index) const
{
    if (index >= Count() || m_members.empty())
        return nullptr;
    auto it = m_members.begin();
    for (int i = 0; i < index; ++i)
        ++it;
    return *it;
}
