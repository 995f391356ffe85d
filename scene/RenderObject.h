#pragma once

#include "framework/Object.h"
#include "framework/Quaternion.h"
#include "framework/Vector.h"

#include <cstdint>
#include <list>

// Base of everything drawn in the scene: a placement, a visible flag, drawing and updating.
class RenderObject : public Object {
public:
    RenderObject() = default;
    ~RenderObject() override;

    // The base describes nothing.
    void Serialize(Serializer& serializer, const char* descriptor) override;

    virtual void SetPosition(const Vector3& position);
    virtual const Vector3& GetPosition() const;
    virtual void SetRotation(const Quaternion& rotation);
    virtual const Quaternion& GetRotation() const;
    virtual float GetDistanceToCamera() const;
    virtual void Render() = 0;
    virtual void Update(float dt) = 0;
    // Which light set the world switches on before the object draws.
    virtual bool UsesStaticLighting() const { return true; }

    // Only game elements honour it; clumps, lists and worlds draw regardless.
    void SetVisible(bool visible) { m_visible = visible ? 1 : 0; }
    bool IsVisible() const { return m_visible != 0; }

protected:
    Vector3 m_position{0.0f, 0.0f, 0.0f};
    Quaternion m_rotation = Quaternion::Identity;
    int32_t m_visible = 1;
};

// An object that holds other objects.
class Container {
public:
    virtual ~Container();
    virtual bool Add(Object* object) = 0;
    virtual bool Remove(Object* object) = 0;
    // Removes the first member until none is left.
    virtual void Clear();
    virtual bool IsEmpty() const;
    virtual int Count() const = 0;
    virtual Object* Get(int index) const = 0;
};

// Render objects drawn, updated and placed together. The list does not own its members:
// clearing or destroying it leaves them alive.
class RenderObjectsList : public RenderObject, public Container {
public:
    RenderObjectsList();
    ~RenderObjectsList() override;

    // An empty section: members come from their own tables.
    void Serialize(Serializer& serializer, const char* descriptor) override;

    // Every member gets the same absolute placement, not an offset.
    void SetPosition(const Vector3& position) override;
    void SetRotation(const Quaternion& rotation) override;
    void Render() override;
    void Update(float dt) override;

    // Only render objects are taken; the same object may be added more than once.
    bool Add(Object* object) override;
    // Removes the first entry holding the object.
    bool Remove(Object* object) override;
    void Clear() override;
    int Count() const override;
    // Null past the end; a negative index gives the first member.
    Object* Get(int index) const override;

private:
    std::list<RenderObject*> m_members;
};
