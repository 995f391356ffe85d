#pragma once

#include "scene/RenderObject.h"

#include <memory>

class Light;
class WireframeCylinder;

// A spline the editor can select; it has no shape of its own to place.
class Spline : public Object {};

// Stands in the editor for an object that has no shape to see or move: the proxy draws one
// and passes moves on to the object.
class PositionEditorProxy : public RenderObject {
public:
    void Serialize(Serializer&, const char*) override {}
    // Whether this proxy class can stand for the object.
    virtual bool CanHandle(const Object* object) const = 0;
    // Binds the proxy to the object (borrowed; it must outlive the proxy or a later
    // Attach); true when the proxy made a shape to show.
    virtual bool Attach(Object* object) = 0;
};

// A directional light, shown as a cylinder in its colour along its direction. Without a
// shape (never attached, or not directional) moves and turns reach nothing.
class LightProxyObject : public PositionEditorProxy {
public:
    LightProxyObject();
    ~LightProxyObject() override;

    bool CanHandle(const Object* object) const override;
    bool Attach(Object* object) override;
    void SetPosition(const Vector3& position) override;
    const Vector3& GetPosition() const override;
    void SetRotation(const Quaternion& rotation) override;
    const Quaternion& GetRotation() const override;
    void Render() override;
    // Keeps the cylinder on the light and in its colour.
    void Update(float dt) override;

    // Null without a shape.
    RenderObject* GetShape() const { return m_shape; }

private:
    RenderObject* m_shape = nullptr;
    std::unique_ptr<WireframeCylinder> m_cylinder;
    Light* m_light = nullptr;
};

// Splines have nothing to show or move: the proxy only remembers the spline.
class SplineProxyObject : public PositionEditorProxy {
public:
    bool CanHandle(const Object* object) const override;
    // Always false: no shape is made.
    bool Attach(Object* object) override;
    void SetPosition(const Vector3&) override {}
    // Always the origin.
    const Vector3& GetPosition() const override;
    void SetRotation(const Quaternion&) override {}
    // Always the identity.
    const Quaternion& GetRotation() const override;
    void Render() override {}
    void Update(float) override {}

    Spline* GetSpline() const { return m_spline; }

private:
    Spline* m_spline = nullptr;
};

// A proxy for the object from the first class in the editor-proxy registry (in its name
// order) that can stand for it, attached to it; null when none can. The object must
// outlive the proxy.
std::unique_ptr<PositionEditorProxy> CreateEditorProxy(Object& object);
