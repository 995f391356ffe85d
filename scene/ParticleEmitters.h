#pragma once

#include "framework/Object.h"
#include "framework/Vector.h"

#include <cstdint>
#include <memory>

class Particle;

// Draws one float start value of a new particle. The type is the number the emitter
// factory makes it under.
class FloatEmitter : public Object {
public:
    virtual float Emit() = 0;
    int32_t GetType() const { return m_type; }
    void SetType(int32_t type) { m_type = type; }

private:
    int32_t m_type = 0;
};

class ConstantEmitter : public FloatEmitter {
public:
    void Serialize(Serializer& serializer, const char* descriptor) override;
    float Emit() override { return m_value; }
    void SetValue(float value) { m_value = value; }

private:
    float m_value = 0.0f;
};

// Uniform in [base - variance, base + variance].
class LinearEmitter : public FloatEmitter {
public:
    void Serialize(Serializer& serializer, const char* descriptor) override;
    float Emit() override;
    void Set(float base, float variance)
    {
        m_base = base;
        m_variance = variance;
    }

private:
    float m_base = 0.0f;
    float m_variance = 0.0f;
};

// Draws one vector start value of a new particle.
class VectorEmitter : public Object {
public:
    virtual Vector3 Emit() = 0;
    int32_t GetType() const { return m_type; }
    void SetType(int32_t type) { m_type = type; }

private:
    int32_t m_type = 0;
};

class PointEmitter : public VectorEmitter {
public:
    void Serialize(Serializer& serializer, const char* descriptor) override;
    Vector3 Emit() override { return m_position; }
    void SetPosition(const Vector3& position) { m_position = position; }

private:
    Vector3 m_position{0.0f, 0.0f, 0.0f};
};

// Uniform in the box of that centre and half-extent, each axis drawn on its own.
class BoxEmitter : public VectorEmitter {
public:
    void Serialize(Serializer& serializer, const char* descriptor) override;
    Vector3 Emit() override;
    void Set(const Vector3& position, const Vector3& size)
    {
        m_position = position;
        m_size = size;
    }

private:
    Vector3 m_position{0.0f, 0.0f, 0.0f};
    Vector3 m_size{0.0f, 0.0f, 0.0f};
};

// A point on the upper half (z at or above the centre) of the sphere's surface.
class SphereEmitter : public VectorEmitter {
public:
    void Serialize(Serializer& serializer, const char* descriptor) override;
    Vector3 Emit() override;
    void Set(const Vector3& position, float radius)
    {
        m_position = position;
        m_radius = radius;
    }

private:
    Vector3 m_position{0.0f, 0.0f, 0.0f};
    float m_radius = 0.0f;
};

// 0 constant, 1 linear; any other type is logged and gives a constant 0.
std::unique_ptr<FloatEmitter> CreateFloatEmitter(int32_t type);
// 0 point, 1 box, 2 sphere; any other type is logged and gives a point at the origin.
std::unique_ptr<VectorEmitter> CreateVectorEmitter(int32_t type);

// Emitters set up in one call, with the type their tables write.
std::unique_ptr<FloatEmitter> MakeLinearEmitter(float base, float variance);
std::unique_ptr<VectorEmitter> MakeSphereEmitter(const Vector3& centre, float radius);
std::unique_ptr<VectorEmitter> MakePointEmitter(const Vector3& position);

// Holds one emitter, never none, whose kind its table can switch by type number.
template <class Emitter>
class GenericEmitter : public Object {
public:
    using Create = std::unique_ptr<Emitter> (*)(int32_t);

    // Reading a type other than the held emitter's replaces it by a new one of that type,
    // which then reads its own keys.
    void Serialize(Serializer& serializer, const char* descriptor) override;

    Emitter& Get() const { return *m_emitter; }
    // Null is refused.
    void Set(std::unique_ptr<Emitter> emitter)
    {
        if (emitter)
            m_emitter = std::move(emitter);
    }
    auto Emit() const { return m_emitter->Emit(); }

protected:
    GenericEmitter(Create create, const char* typeHint) : m_create(create), m_typeHint(typeHint), m_emitter(create(0)) {}

private:
    Create m_create;
    const char* m_typeHint;
    std::unique_ptr<Emitter> m_emitter;
};

class GenericFloatEmitter : public GenericEmitter<FloatEmitter> {
public:
    // A constant 0.
    GenericFloatEmitter() : GenericEmitter(&CreateFloatEmitter, "combobox [Constant][Linear]") {}
};

class GenericVectorEmitter : public GenericEmitter<VectorEmitter> {
public:
    // A point at the origin.
    GenericVectorEmitter() : GenericEmitter(&CreateVectorEmitter, "combobox [Point][Box][Sphere]") {}
};

// Changes a live particle each frame, after it aged and before it draws.
class ParticleAction : public Object {
public:
    // word is reserved and passed as 0; the result is not used.
    virtual bool Apply(Particle& particle, int32_t word, float dt) = 0;
    int32_t GetType() const { return m_type; }
    void SetType(int32_t type) { m_type = type; }

private:
    int32_t m_type = 0;
};

// Visible on even, hidden on odd counts of remaining life x speed; off at speed 0.
class ParticleActionBlink : public ParticleAction {
public:
    void Serialize(Serializer& serializer, const char* descriptor) override;
    bool Apply(Particle& particle, int32_t word, float dt) override;
    void SetSpeed(float speed) { m_speed = speed; }

private:
    float m_speed = 0.0f;
};

// A fade over a time in seconds; its table is a section of its own name with the time.
class ParticleActionFade : public ParticleAction {
public:
    void Serialize(Serializer& serializer, const char* descriptor) override;
    void SetTime(float time) { m_time = time; }

protected:
    explicit ParticleActionFade(const char* section) : m_section(section) {}
    float m_time = 0.0f;

private:
    const char* m_section;
};

// Scales alpha up from 0 over the first seconds of life.
class ParticleActionFadeIn : public ParticleActionFade {
public:
    ParticleActionFadeIn() : ParticleActionFade("Fade In") {}
    bool Apply(Particle& particle, int32_t word, float dt) override;
};

// Scales alpha down to 0 over the last seconds of life.
class ParticleActionFadeOut : public ParticleActionFade {
public:
    ParticleActionFadeOut() : ParticleActionFade("Fade Out") {}
    bool Apply(Particle& particle, int32_t word, float dt) override;
};

// Carries particles above the start height along with the wind.
class ParticleActionHeightWind : public ParticleAction {
public:
    void Serialize(Serializer& serializer, const char* descriptor) override;
    bool Apply(Particle& particle, int32_t word, float dt) override;
    void Set(float startHeight, const Vector3& wind)
    {
        m_startHeight = startHeight;
        m_wind = wind;
    }

private:
    float m_startHeight = 5.0f;
    Vector3 m_wind{5.0f, 0.0f, 0.0f};
};

inline constexpr int32_t kParticleActionTypeCount = 4;
// "Blink", "Fade In", "Fade Out", "Height Wind"; null outside 0..3.
const char* ParticleActionTypeName(int32_t type);
// Null (logged) for a type outside 0..3.
std::unique_ptr<ParticleAction> CreateParticleAction(int32_t type);
