#include "simulation/Collidable.h"

#include "simulation/ShapeCollision.h"

#include <algorithm>

Collidable::Collidable(std::unique_ptr<Shape> shape) : m_ownedShape(std::move(shape)), m_shape(m_ownedShape.get()) {}

Collidable::Collidable(Shape* shape) : m_shape(shape) {}

Collidable::~Collidable() = default;

void Collidable::SetShape(std::unique_ptr<Shape> shape)
{
    m_ownedShape = std::move(shape);
    m_shape = m_ownedShape.get();
}

bool Collidable::FindImpact(const Collidable& other, float dt, float& time) const
{
    if (!m_shape || !other.m_shape)
        return false;
    const Vector3 p = other.GetPosition() - GetPosition();
    const Vector3 m = (GetVelocity() - other.GetVelocity()) * dt;
    float fraction = 0.0f;
    if (!ShapeCollisionTable::Test(*m_shape, *other.m_shape, p, m, fraction))
        return false;
    time = fraction * dt;
    return true;
}

void SimpleCollidable::Move(float dt)
{
    SetPosition(GetPosition() + GetVelocity() * dt);
}

CollisionDoppelGanger::CollisionDoppelGanger(Collidable& owner, std::unique_ptr<Shape> shape)
    : Collidable(std::move(shape)), m_owner(owner), m_position(owner.GetPosition())
{
}

void CollisionDoppelGanger::Move(float dt)
{
    m_position += m_owner.GetVelocity() * dt;
}

void CollisionDoppelGanger::OnCollision(const std::vector<Collidable*>& hits)
{
    m_owner.OnCollision(hits);
    m_position = m_owner.GetPosition();
}

void CopiedCollidable::SetPosition(const Vector3& position)
{
    SimpleCollidable::SetPosition(position);
    for (auto& copy : m_copies)
        copy->SetOwnPosition(position);
}

void CopiedCollidable::AddCopy(std::unique_ptr<CollisionDoppelGanger> copy)
{
    if (copy)
        m_copies.push_back(std::move(copy));
}

std::unique_ptr<CollisionDoppelGanger> CopiedCollidable::RemoveCopy(const CollisionDoppelGanger* copy)
{
    const auto it = std::find_if(m_copies.begin(), m_copies.end(), [&](const auto& c) { return c.get() == copy; });
    if (it == m_copies.end())
        return nullptr;
    std::unique_ptr<CollisionDoppelGanger> removed = std::move(*it);
    m_copies.erase(it);
    return removed;
}
