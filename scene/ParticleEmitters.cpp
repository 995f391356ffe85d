#include "scene/ParticleEmitters.h"

#include "framework/Debug.h"
#include "framework/Random.h"
#include "framework/Serializer.h"
#include "scene/ParticleSystem.h"

#include <cmath>

namespace {

const char* const kActionTypeNames[kParticleActionTypeCount] = {"Blink", "Fade In", "Fade Out", "Height Wind"};

template <class Emitter>
std::unique_ptr<Emitter> Typed(std::unique_ptr<Emitter> emitter, int32_t type)
{
    emitter->SetType(type);
    return emitter;
}

}  // namespace

void ConstantEmitter::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("Constant Emitter", descriptor);
    serializer.SerializeFloat("Value", &m_value);
    serializer.EndSection();
}

void LinearEmitter::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("Linear Emitter", descriptor);
    serializer.SerializeFloat("Base Value", &m_base);
    serializer.SerializeFloat("Variance", &m_variance);
    serializer.EndSection();
}

float LinearEmitter::Emit()
{
    return m_base + m_variance * Random::Effects::Signed();
}

void PointEmitter::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("Point Emitter", descriptor);
    serializer.SerializeVector3("Position", &m_position);
    serializer.EndSection();
}

void BoxEmitter::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("Box Emitter", descriptor);
    serializer.SerializeVector3("Position", &m_position);
    serializer.SerializeVector3("Size", &m_size);
    serializer.EndSection();
}

Vector3 BoxEmitter::Emit()
{
    // Three statements, so that the draws go to x, y and z in that order.
    Vector3 p;
    p.x = m_position.x + m_size.x * Random::Effects::Signed();
    p.y = m_position.y + m_size.y * Random::Effects::Signed();
    p.z = m_position.z + m_size.z * Random::Effects::Signed();
    return p;
}

void SphereEmitter::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("Sphere Emitter", descriptor);
    serializer.SerializeVector3("Position", &m_position);
    serializer.SerializeFloat("radius", &m_radius);
    serializer.EndSection();
}

Vector3 SphereEmitter::Emit()
{
    const float a = Random::Effects::Unit() * 6.283185f;
    const float b = Random::Effects::Unit() * 3.1415925f;
    return {m_position.x + std::sin(a) * m_radius * std::cos(b), m_position.y + std::cos(a) * m_radius * std::cos(b),
            m_position.z + std::sin(b) * m_radius};
}

std::unique_ptr<FloatEmitter> CreateFloatEmitter(int32_t type)
{
    if (type == 1)
        return Typed<FloatEmitter>(std::make_unique<LinearEmitter>(), type);
    if (type != 0)
        LogMessage("FloatEmitterFactory: illegale type (%d)\n", type);
    return std::make_unique<ConstantEmitter>();
}

std::unique_ptr<VectorEmitter> CreateVectorEmitter(int32_t type)
{
    if (type == 1)
        return Typed<VectorEmitter>(std::make_unique<BoxEmitter>(), type);
    if (type == 2)
        return Typed<VectorEmitter>(std::make_unique<SphereEmitter>(), type);
    if (type != 0)
        LogMessage("VectorEmitterFactory: illegale type (%d)\n", type);
    return std::make_unique<PointEmitter>();
}

std::unique_ptr<FloatEmitter> MakeLinearEmitter(float base, float variance)
{
    auto emitter = std::make_unique<LinearEmitter>();
    emitter->Set(base, variance);
    return Typed<FloatEmitter>(std::move(emitter), 1);
}

std::unique_ptr<VectorEmitter> MakeSphereEmitter(const Vector3& centre, float radius)
{
    auto emitter = std::make_unique<SphereEmitter>();
    emitter->Set(centre, radius);
    return Typed<VectorEmitter>(std::move(emitter), 2);
}

std::unique_ptr<VectorEmitter> MakePointEmitter(const Vector3& position)
{
    auto emitter = std::make_unique<PointEmitter>();
    emitter->SetPosition(position);
    return emitter;
}

template <class Emitter>
void GenericEmitter<Emitter>::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("Emitter", descriptor);
    serializer.SerializeButton(m_typeHint, "");
    int32_t type = m_emitter->GetType();
    serializer.SerializeInt("Type", &type);
    if (type != m_emitter->GetType()) {
        m_emitter = m_create(type);
        serializer.SerializeButton("changed", "");
    }
    serializer.SerializeButton("notitle", "");
    serializer.SerializeObject("", m_emitter.get());
    serializer.EndSection();
}

template class GenericEmitter<FloatEmitter>;
template class GenericEmitter<VectorEmitter>;

void ParticleActionBlink::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("Blink", descriptor);
    serializer.SerializeFloat("blink speed", &m_speed);
    serializer.EndSection();
}

bool ParticleActionBlink::Apply(Particle& particle, int32_t, float)
{
    if (m_speed > 0.0f) {
        const auto count = static_cast<int64_t>(particle.GetRemainingLife() * m_speed);
        particle.SetAlpha(count % 2 == 0 ? 1.0f : 0.0f);
    }
    return false;
}

void ParticleActionFade::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection(m_section, descriptor);
    serializer.SerializeFloat("time", &m_time);
    serializer.EndSection();
}

bool ParticleActionFadeIn::Apply(Particle& particle, int32_t, float)
{
    const float age = particle.GetLifeTime() - particle.GetRemainingLife();
    if (age < m_time)
        particle.SetAlpha(particle.GetAlpha() * age / m_time);
    return false;
}

bool ParticleActionFadeOut::Apply(Particle& particle, int32_t, float)
{
    const float remaining = particle.GetRemainingLife();
    if (remaining < m_time)
        particle.SetAlpha(particle.GetAlpha() * remaining / m_time);
    return false;
}

void ParticleActionHeightWind::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("Height Wind", descriptor);
    serializer.SerializeFloat("Start height", &m_startHeight);
    serializer.SerializeVector3("Wind speed", &m_wind);
    serializer.EndSection();
}

bool ParticleActionHeightWind::Apply(Particle& particle, int32_t, float dt)
{
    const Vector3& position = particle.GetPosition();
    if (position.y > m_startHeight)
        particle.SetPosition(position + m_wind * dt);
    return false;
}

const char* ParticleActionTypeName(int32_t type)
{
    return type >= 0 && type < kParticleActionTypeCount ? kActionTypeNames[type] : nullptr;
}

std::unique_ptr<ParticleAction> CreateParticleAction(int32_t type)
{
    std::unique_ptr<ParticleAction> action;
    switch (type) {
    case 0: action = std::make_unique<ParticleActionBlink>(); break;
    case 1: action = std::make_unique<ParticleActionFadeIn>(); break;
    case 2: action = std::make_unique<ParticleActionFadeOut>(); break;
    case 3: action = std::make_unique<ParticleActionHeightWind>(); break;
    default:
        LogMessage("ParticleActionFactory: illegale type (%d)\n", type);
        return nullptr;
    }
    action->SetType(type);
    return action;
}
