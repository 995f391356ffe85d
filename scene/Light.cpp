#include "scene/Light.h"

#include "engine/world/RpWorld.h"
#include "framework/Debug.h"
#include "framework/Serializer.h"
#include "scene/Clump.h"

Light::~Light()
{
    Light::Destroy();
}

bool Light::Create(RwInt32 type)
{
    Destroy();
    RpLight* light = RpLightCreate(type);
    if (!light) {
        LogError("Engine::CreateLight: Failed to create light.\n");
        return false;
    }
    RwFrame* frame = RwFrameCreate();
    if (!frame) {
        LogError("Engine::CreateLight: Failed to create light frame.\n");
        RpLightDestroy(light);
        return false;
    }
    RpLightSetFrame(light, frame);
    m_light = light;
    return true;
}

bool Light::Destroy()
{
    if (!m_light)
        return false;
    RwFrame* frame = RpLightGetFrame(m_light);
    RpLightSetFrame(m_light, nullptr);
    if (frame)
        RwFrameDestroy(frame);
    RpLightDestroy(m_light);
    m_light = nullptr;
    return true;
}

void Light::SetEnabled(bool enabled)
{
    m_enabled = enabled;
    SetFlags(m_flags);
}

void Light::Disable()
{
    SetEnabled(false);
}

bool Light::IsEnabled() const
{
    return m_enabled;
}

void Light::SetFlags(uint32_t flags)
{
    m_flags = flags;
    if (!m_light)
        return;
    RwUInt32 engineFlags = 0;
    if (m_enabled)
        engineFlags = (flags & kLightWorld) ? (rpLightLightAtomics | rpLightLightWorld) : (flags & kLightAtomics);
    RpLightSetFlags(m_light, engineFlags);
}

uint32_t Light::GetFlags() const
{
    return m_flags;
}

void Light::SetColor(const Color& color, float intensity)
{
    m_color = color;
    m_intensity = intensity;
    if (!m_light)
        return;
    const RwRGBAReal engineColor{color.r * intensity, color.g * intensity, color.b * intensity, 255.0f};
    RpLightSetColor(m_light, &engineColor);
}

const Color& Light::GetColor() const
{
    return m_color;
}

void Light::SetPosition(const Vector3& position)
{
    FrameHelper(GetFrame()).Translate(position, rwCombineReplace);
    m_position = position;
}

const Vector3& Light::GetPosition() const
{
    return m_position;
}

const Quaternion& Light::GetOrientation() const
{
    return m_orientation;
}

RwFrame* Light::GetFrame() const
{
    return m_light ? RpLightGetFrame(m_light) : nullptr;
}

RpLight* Light::GetRwLight() const
{
    return m_light;
}

void Light::Serialize(Serializer& serializer, const char*)
{
    SerializeLight(serializer);
}

void Light::SerializeLight(Serializer& serializer)
{
    serializer.SerializeBool("Enabled", &m_enabled);
    bool staticLighting = (m_flags & kStaticLighting) != 0;
    bool dynamicLighting = (m_flags & kDynamicLighting) != 0;
    bool lightWorld = (m_flags & kLightWorld) != 0;
    bool lightAtomics = (m_flags & kLightAtomics) != 0;
    serializer.SerializeBool("Static Lighting", &staticLighting);
    serializer.SerializeBool("Dynamic Lighting", &dynamicLighting);
    serializer.SerializeBool("Light World", &lightWorld);
    serializer.SerializeBool("Light Atomics", &lightAtomics);
    // Bits no key stands for are dropped.
    m_flags = (staticLighting ? kStaticLighting : 0u) | (dynamicLighting ? kDynamicLighting : 0u) |
              (lightWorld ? kLightWorld : 0u) | (lightAtomics ? kLightAtomics : 0u);
    serializer.SerializeColor("Color", &m_color);
    serializer.SerializeFloat("Intensity", &m_intensity);
    if (serializer.IsReading()) {
        SetColor(m_color, m_intensity);
        SetFlags(m_flags);
    }
}

void AmbientLight::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("Ambient Light", descriptor);
    SerializeLight(serializer);
    serializer.EndSection();
}

bool AmbientLight::Create()
{
    return Light::Create(rpLightAmbient);
}

void DirectionalLight::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("Directional Light", descriptor);
    SerializeLight(serializer);
    serializer.SerializeQuaternion("Orientation", &m_orientation);
    if (serializer.IsReading())
        SetOrientation(m_orientation);
    serializer.EndSection();
}

void DirectionalLight::SetOrientation(const Quaternion& orientation)
{
    m_orientation = orientation;
    FrameHelper(GetFrame()).SetOrientation(orientation);
}

bool DirectionalLight::Create()
{
    m_position = Vector3{0.0f, 0.0f, 0.0f};
    m_orientation = Quaternion::Identity;
    return Light::Create(rpLightDirectional);
}
