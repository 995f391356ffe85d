#pragma once

#include "framework/Vector.h"
#include "simulation/Shape.h"

#include <memory>
#include <string>
#include <vector>

// Everything that takes part in collision: one shape, a position and velocity, a move over a
// time step and a reaction to what it hit. The CollisionManager drives these calls.
class Collidable {
public:
    // The collidable owns the shape; null leaves it without one (it then meets nothing).
    explicit Collidable(std::unique_ptr<Shape> shape);
    // Borrowed: the shape must outlive the collidable.
    explicit Collidable(Shape* shape);
    virtual ~Collidable();

    Collidable(const Collidable&) = delete;
    Collidable& operator=(const Collidable&) = delete;

    // Whether this meets the other within dt seconds at their present velocities, and when
    // (seconds from now).
    virtual bool FindImpact(const Collidable& other, float dt, float& time) const;
    virtual void Move(float dt) = 0;
    // Everything hit at one instant; the list lives only for the call.
    virtual void OnCollision(const std::vector<Collidable*>& hits) = 0;
    // By reference, so that a render object that collides answers both bases with one override.
    virtual const Vector3& GetPosition() const = 0;
    virtual Vector3 GetVelocity() const { return Vector3::Zero; }

    // What the collision handlers recognise this object by; "null" until set.
    const std::string& GetCollisionName() const { return m_name; }
    void SetCollisionName(const std::string& name) { m_name = name; }
    Shape* GetShape() const { return m_shape; }

protected:
    // Replaces the shape with one the collidable owns.
    void SetShape(std::unique_ptr<Shape> shape);

private:
    std::string m_name = "null";
    std::unique_ptr<Shape> m_ownedShape;
    Shape* m_shape;
};

// A collidable that moves at a constant velocity and ignores what it hits.
class SimpleCollidable : public Collidable {
public:
    using Collidable::Collidable;

    void Move(float dt) override;
    void OnCollision(const std::vector<Collidable*>&) override {}
    const Vector3& GetPosition() const override { return m_position; }
    Vector3 GetVelocity() const override { return m_velocity; }
    virtual void SetPosition(const Vector3& position) { m_position = position; }
    virtual void SetVelocity(const Vector3& velocity) { m_velocity = velocity; }

private:
    Vector3 m_position;
    Vector3 m_velocity;
};

// Stands in for its owner in a second collision set: moves with the owner's velocity and
// hands what it hits to the owner. The owner is borrowed and must outlive it.
class CollisionDoppelGanger : public Collidable {
public:
    CollisionDoppelGanger(Collidable& owner, std::unique_ptr<Shape> shape);

    void Move(float dt) override;
    // The owner reacts, then this takes the owner's position (the reaction may move it).
    void OnCollision(const std::vector<Collidable*>& hits) override;
    const Vector3& GetPosition() const override { return m_position; }
    Vector3 GetVelocity() const override { return m_owner.GetVelocity(); }
    void SetOwnPosition(const Vector3& position) { m_position = position; }
    const Collidable& GetOwner() const { return m_owner; }

private:
    Collidable& m_owner;
    Vector3 m_position;
};

// A simple collidable that keeps the copies standing in for it in other sets at its own
// position whenever it is placed.
class CopiedCollidable : public SimpleCollidable {
public:
    explicit CopiedCollidable(std::unique_ptr<Shape> shape) : SimpleCollidable(std::move(shape)) {}

    void SetPosition(const Vector3& position) override;
    // Owned from here on; stable until RemoveCopy or destruction.
    void AddCopy(std::unique_ptr<CollisionDoppelGanger> copy);
    // Hands the copy back to the caller; null when it is not one of this object's copies.
    std::unique_ptr<CollisionDoppelGanger> RemoveCopy(const CollisionDoppelGanger* copy);
    int GetCopyCount() const { return static_cast<int>(m_copies.size()); }

private:
    std::vector<std::unique_ptr<CollisionDoppelGanger>> m_copies;
};
