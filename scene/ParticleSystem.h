#pragma once

#include "framework/Color.h"
#include "scene/Billboard.h"
#include "scene/ParticleEmitters.h"
#include "scene/RenderObject.h"

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

class Texture;
struct RpAtomic;

// One live particle of a particle system: it ages by Advance and draws itself.
class Particle : public RenderObject {
public:
    // Ages the particle by dt; true once it has died.
    virtual bool Advance(float dt) = 0;
    // Also restarts the particle's life.
    virtual void SetLifeTime(float lifeTime) = 0;
    virtual void SetVelocity(const Vector3& velocity) = 0;
    virtual void SetAcceleration(const Vector3& acceleration) = 0;
    virtual void SetAngle(float angle) = 0;
    virtual void SetDeltaAngle(float deltaAngle) = 0;
    virtual void SetSize(float size) = 0;
    virtual void SetDeltaSize(float deltaSize) = 0;
    virtual void SetFrame(float frame) = 0;
    virtual void SetAnimSpeed(float speed) = 0;
    virtual void SetStartColor(const Color& color) = 0;
    virtual void SetEndColor(const Color& color) = 0;
    virtual void SetAlpha(float alpha) = 0;
    virtual float GetAlpha() const = 0;
    virtual float GetLifeTime() const = 0;
    virtual float GetRemainingLife() const = 0;
    virtual const Vector3& GetVelocity() const = 0;
};

// A camera-facing sprite whose colour runs from the start to the end colour over its life.
// It dies when its life is over or its animation passes frame 15.
class BillboardParticle : public Particle {
public:
    void Render() override;
    // Hands the particle's state to its billboard.
    void Update(float dt) override;

    bool Advance(float dt) override;
    void SetLifeTime(float lifeTime) override;
    void SetVelocity(const Vector3& velocity) override { m_velocity = velocity; }
    void SetAcceleration(const Vector3& acceleration) override { m_acceleration = acceleration; }
    void SetAngle(float angle) override { m_angle = angle; }
    void SetDeltaAngle(float deltaAngle) override { m_deltaAngle = deltaAngle; }
    void SetSize(float size) override { m_size = size; }
    void SetDeltaSize(float deltaSize) override { m_deltaSize = deltaSize; }
    void SetFrame(float frame) override { m_frame = frame; }
    void SetAnimSpeed(float speed) override { m_animSpeed = speed; }
    void SetStartColor(const Color& color) override { m_startColor = color; }
    void SetEndColor(const Color& color) override { m_endColor = color; }
    void SetAlpha(float alpha) override { m_color.a = alpha; }
    float GetAlpha() const override { return m_color.a; }
    float GetLifeTime() const override { return m_lifeTime; }
    float GetRemainingLife() const override { return m_remainingLife; }
    const Vector3& GetVelocity() const override { return m_velocity; }

    const Color& GetColor() const { return m_color; }
    float GetSize() const { return m_size; }
    float GetAngle() const { return m_angle; }
    float GetFrame() const { return m_frame; }
    AnimatedBillboard& GetBillboard() { return m_billboard; }
    const AnimatedBillboard& GetBillboard() const { return m_billboard; }

private:
    float m_lifeTime = 0.0f;
    float m_remainingLife = 0.0f;
    Vector3 m_velocity{0.0f, 0.0f, 0.0f};
    Vector3 m_acceleration{0.0f, 0.0f, 0.0f};
    float m_angle = 0.0f;
    float m_deltaAngle = 0.0f;
    float m_size = 0.0f;
    float m_deltaSize = 0.0f;
    float m_frame = 0.0f;
    float m_animSpeed = 0.0f;
    Color m_color = Color::White;
    Color m_startColor = Color::White;
    Color m_endColor = Color::White;
    float m_inverseLife = 0.0f;
    float m_lifeFraction = 0.0f;
    AnimatedBillboard m_billboard;
};

// Makes the particles of a particle system and takes the dead ones back.
class ParticleFactory : public Object {
public:
    // The caller hands the particle back to Release.
    virtual Particle* Create() = 0;
    // Deletes the particle; null is ignored.
    virtual void Release(Particle* particle) = 0;
};

class BillboardParticleFactory : public ParticleFactory {
public:
    // Blends are engine blend functions (1 zero .. 11 source alpha saturated); files hold
    // them one lower. Counts below 1 read from a file become 1 (logged).
    void Serialize(Serializer& serializer, const char* descriptor) override;

    // The texture is borrowed and must outlive the factory and its particles.
    void Setup(Texture* texture, int32_t sourceBlend, int32_t destinationBlend, int32_t rows, int32_t columns,
               int32_t frames);
    void SetDepth(bool zWrite, bool zTest)
    {
        m_zWrite = zWrite;
        m_zTest = zTest;
    }
    Particle* Create() override;
    void Release(Particle* particle) override;

private:
    Texture* m_texture = nullptr;
    int32_t m_sourceBlend = 5;
    int32_t m_destinationBlend = 6;
    bool m_zWrite = false;
    bool m_zTest = true;
    int32_t m_rows = 1;
    int32_t m_columns = 1;
    int32_t m_frames = 1;
};

// Emits particles at its emitter speed (or on request), draws each start value from an
// emitter, runs its actions over the live particles every frame and gives the dead ones
// back to its particle factory.
class ParticleSystem : public RenderObject {
public:
    ParticleSystem();
    // Gives every live particle back to the factory; the factory itself is not deleted.
    ~ParticleSystem() override;

    ParticleSystem(const ParticleSystem&) = delete;
    ParticleSystem& operator=(const ParticleSystem&) = delete;

    // The editor's "Create", "Delete" and "Reset" are written as 0 and false; a value
    // outside its list is ignored (logged).
    void Serialize(Serializer& serializer, const char* descriptor) override;

    void Render() override;
    void Update(float dt) override;

    // The new particle, placed in the system's frame; null when max particles are live or
    // there is no factory. The system keeps it.
    Particle* Emit();
    // Every live particle goes back to the factory.
    void Reset();

    // Borrowed; it must outlive the system. The live particles go back to the factory that
    // made them first. Null stops emission.
    void SetParticleFactory(ParticleFactory* factory);
    ParticleFactory* GetParticleFactory() const { return m_factory; }
    // Particles per second.
    float GetEmitterSpeed() const { return m_emitterSpeed; }
    void SetEmitterSpeed(float speed) { m_emitterSpeed = speed; }
    void SetAutomaticGenerate(bool automatic) { m_automatic = automatic; }
    void SetMaxParticles(int32_t count) { m_maxParticles = count; }
    int32_t GetMaxParticles() const { return m_maxParticles; }
    int32_t GetLiveCount() const { return m_liveCount; }
    const std::list<Particle*>& GetParticles() const { return m_particles; }
    void SetColors(const Color& start, const Color& end)
    {
        m_startColor = start;
        m_endColor = end;
    }

    GenericVectorEmitter& Position() { return m_positionEmitter; }
    GenericVectorEmitter& Velocity() { return m_velocityEmitter; }
    GenericVectorEmitter& Acceleration() { return m_accelerationEmitter; }
    GenericFloatEmitter& Angle() { return m_angleEmitter; }
    GenericFloatEmitter& DeltaAngle() { return m_deltaAngleEmitter; }
    GenericFloatEmitter& Size() { return m_sizeEmitter; }
    GenericFloatEmitter& DeltaSize() { return m_deltaSizeEmitter; }
    GenericFloatEmitter& AnimSpeed() { return m_animSpeedEmitter; }
    GenericFloatEmitter& LifeTime() { return m_lifeTimeEmitter; }

    // Null (nothing added) is refused.
    void AddAction(std::unique_ptr<ParticleAction> action);
    const std::vector<std::unique_ptr<ParticleAction>>& GetActions() const { return m_actions; }

private:
    void SerializeEmitters(Serializer& serializer);
    void SerializeActions(Serializer& serializer);
    void SerializeActionEditor(Serializer& serializer);
    void ResizeActions(int32_t count);
    void Release(std::list<Particle*>::iterator particle);

    bool m_automatic = true;
    float m_accumulator = 0.0f;
    float m_emitterSpeed = 1.0f;
    int32_t m_maxParticles = 10;
    int32_t m_liveCount = 0;
    Color m_startColor = Color::White;
    Color m_endColor = Color::White;
    GenericVectorEmitter m_positionEmitter;
    GenericVectorEmitter m_velocityEmitter;
    GenericVectorEmitter m_accelerationEmitter;
    GenericFloatEmitter m_angleEmitter;
    GenericFloatEmitter m_deltaAngleEmitter;
    GenericFloatEmitter m_sizeEmitter;
    GenericFloatEmitter m_deltaSizeEmitter;
    GenericFloatEmitter m_animSpeedEmitter;
    GenericFloatEmitter m_lifeTimeEmitter;
    std::vector<std::unique_ptr<ParticleAction>> m_actions;
    ParticleFactory* m_factory = nullptr;
    // Made by the factory and given back to its Release, which deletes them.
    std::list<Particle*> m_particles;
    // The quads of Render's batch; kept so that a frame does not allocate them again.
    std::vector<RwIm3DVertex> m_corners;
    // The editor shows these texts while the table is open.
    std::string m_newActionHint;
    std::string m_deleteActionHint;
};

// Fills n world-space positions and normals of vertices drawn at random from the atomic's
// posed mesh (skinned when it has a skin). False, with nothing filled, for n above 64, no
// atomic or no vertices.
bool SampleAtomicVertices(RpAtomic* atomic, Vector3* positions, Vector3* normals, int count);
