#include "scene/EditorProxies.h"

#include "framework/Registration.h"
#include "scene/Light.h"
#include "scene/Wireframe.h"

REGISTER_FACTORY(EditorProxies, LightProxyObject);
REGISTER_FACTORY(EditorProxies, SplineProxyObject);

namespace {

constexpr float kCylinderRadius = 7.0f;
constexpr float kCylinderLength = 20.0f;
const Vector3 kOrigin{0.0f, 0.0f, 0.0f};

}  // namespace

std::unique_ptr<PositionEditorProxy> CreateEditorProxy(Object& object)
{
    for (const auto& [name, create] : FactoryRegistry::EditorProxies()) {
        std::unique_ptr<Object> made(create());
        auto* proxy = dynamic_cast<PositionEditorProxy*>(made.get());
        if (!proxy || !proxy->CanHandle(&object))
            continue;
        made.release();
        std::unique_ptr<PositionEditorProxy> attached(proxy);
        attached->Attach(&object);
        return attached;
    }
    return nullptr;
}

LightProxyObject::LightProxyObject() = default;
LightProxyObject::~LightProxyObject() = default;

bool LightProxyObject::CanHandle(const Object* object) const
{
    return dynamic_cast<const Light*>(object) && !dynamic_cast<const AmbientLight*>(object);
}

bool LightProxyObject::Attach(Object* object)
{
    m_shape = nullptr;
    m_cylinder.reset();
    m_light = dynamic_cast<Light*>(object);
    if (!m_light)
        return false;
    m_position = m_light->GetPosition();
    m_rotation = m_light->GetOrientation();
    if (!dynamic_cast<DirectionalLight*>(m_light))
        return false;
    m_cylinder = std::make_unique<WireframeCylinder>();
    m_shape = m_cylinder.get();
    Update(0.0f);
    return true;
}

void LightProxyObject::SetPosition(const Vector3& position)
{
    if (!m_shape)
        return;
    m_shape->SetPosition(position);
    m_light->SetPosition(position);
}

const Vector3& LightProxyObject::GetPosition() const
{
    return m_shape ? m_shape->GetPosition() : m_position;
}

void LightProxyObject::SetRotation(const Quaternion& rotation)
{
    if (!m_shape)
        return;
    m_shape->SetRotation(rotation);
    m_light->SetOrientation(rotation);
}

const Quaternion& LightProxyObject::GetRotation() const
{
    return m_shape ? m_shape->GetRotation() : m_rotation;
}

void LightProxyObject::Render()
{
    if (m_shape)
        m_shape->Render();
}

void LightProxyObject::Update(float)
{
    if (!m_cylinder || !m_light)
        return;
    m_cylinder->radius = kCylinderRadius;
    m_cylinder->length = kCylinderLength;
    m_position = m_light->GetPosition();
    m_rotation = m_light->GetOrientation();
    m_cylinder->SetPosition(m_position);
    m_cylinder->SetRotation(m_rotation);
    m_cylinder->SetColor(m_light->GetColor());
}

bool SplineProxyObject::CanHandle(const Object* object) const
{
    return dynamic_cast<const Spline*>(object) != nullptr;
}

bool SplineProxyObject::Attach(Object* object)
{
    m_spline = dynamic_cast<Spline*>(object);
    return false;
}

const Vector3& SplineProxyObject::GetPosition() const
{
    return kOrigin;
}

const Quaternion& SplineProxyObject::GetRotation() const
{
    return Quaternion::Identity;
}
