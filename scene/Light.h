#pragma once

#include "engine/core/RwCore.h"
#include "framework/Color.h"
#include "framework/Object.h"
#include "framework/Quaternion.h"
#include "framework/Vector.h"

#include <cstdint>

struct RpLight;

// One engine light on a frame of its own, with a colour scaled by an intensity and flags
// saying what it reaches. Disabling switches the engine light off but keeps the flags.
class Light : public Object {
public:
    enum Flags : uint32_t {
        kLightAtomics = 0x1,
        kLightWorld = 0x2,
        kDynamicLighting = 0x100,
        kStaticLighting = 0x200,
    };

    Light() = default;
    ~Light() override;

    Light(const Light&) = delete;
    Light& operator=(const Light&) = delete;

    // The light's part of a table, without a section of its own.
    void Serialize(Serializer& serializer, const char* descriptor) override;

    virtual void SetEnabled(bool enabled);
    virtual void Disable();
    virtual bool IsEnabled() const;
    // While enabled, kLightWorld makes the engine light reach the world and the atomics,
    // kLightAtomics the atomics only; the other bits reach nothing.
    virtual void SetFlags(uint32_t flags);
    virtual uint32_t GetFlags() const;
    // The engine light gets the colour times the intensity.
    virtual void SetColor(const Color& color, float intensity);
    virtual const Color& GetColor() const;
    // Replaces the frame's matrix by the translation.
    virtual void SetPosition(const Vector3& position);
    virtual const Vector3& GetPosition() const;
    virtual void SetOrientation(const Quaternion&) {}
    virtual const Quaternion& GetOrientation() const;
    // Null before Create and after Destroy.
    virtual RwFrame* GetFrame() const;
    virtual RpLight* GetRwLight() const;
    // False when there was no engine light.
    virtual bool Destroy();

    // type: 1 directional, 2 ambient. A light made before is destroyed first; false (logged)
    // when the engine cannot make the light or its frame.
    bool Create(RwInt32 type);
    float GetIntensity() const { return m_intensity; }

protected:
    void SerializeLight(Serializer& serializer);

    RpLight* m_light = nullptr;
    Color m_color = Color::White;
    float m_intensity = 1.0f;
    Vector3 m_position{0.0f, 0.0f, 0.0f};
    Quaternion m_orientation = Quaternion::Identity;
    uint32_t m_flags = kLightAtomics | kLightWorld;
    bool m_enabled = true;
};

class AmbientLight : public Light {
public:
    void Serialize(Serializer& serializer, const char* descriptor) override;
    bool Create();
};

// Lights along its orientation; its position is not used.
class DirectionalLight : public Light {
public:
    void Serialize(Serializer& serializer, const char* descriptor) override;
    // Replaces the frame's matrix by the rotation.
    void SetOrientation(const Quaternion& orientation) override;
    bool Create();
};
