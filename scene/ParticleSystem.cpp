#include "scene/ParticleSystem.h"

#include "engine/plugins/RpPlugins.h"
#include "engine/world/RpWorld.h"
#include "framework/Debug.h"
#include "framework/Random.h"
#include "framework/Registration.h"
#include "framework/Serializer.h"
#include "scene/RenderStateSaver.h"
#include "scene/RwGraphics.h"
#include "scene/Texture.h"

#include <algorithm>
#include <cmath>

REGISTER_FACTORY(RenderObjects, ParticleSystem);

namespace {

constexpr int kMaxSamples = 64;
// Far beyond any effect's need; a damaged table's limit would otherwise let one fast emitter
// make particles until memory runs out.
constexpr int32_t kMaxLiveParticles = 1 << 14;
// A particle dies when its animation passes the last frame of a 4 x 4 sheet.
constexpr float kLastFrame = 15.0f;

Color Mix(const Color& start, const Color& end, float fraction)
{
    const auto mix = [&](float a, float b) { return b * fraction + a * (1.0f - fraction); };
    return {mix(start.r, end.r), mix(start.g, end.g), mix(start.b, end.b), mix(start.a, end.a)};
}

}  // namespace

void BillboardParticle::Render()
{
    m_billboard.Render();
}

void BillboardParticle::Update(float)
{
    m_billboard.SetPosition(m_position);
    m_billboard.SetSize(m_size);
    m_billboard.SetAngle(m_angle);
    m_billboard.SetColor(Color(m_color.r, m_color.g, m_color.b, m_color.a));
    m_billboard.SetFrame(static_cast<int32_t>(m_frame));
}

bool BillboardParticle::Advance(float dt)
{
    m_remainingLife -= dt;
    if (m_remainingLife < 0.0f)
        return true;
    // A life of 0 has an infinite inverse: a frame time of 0 must not make that 0 x inf.
    if (dt != 0.0f)
        m_lifeFraction = std::min(1.0f, m_lifeFraction + dt * m_inverseLife);
    m_color = Mix(m_startColor, m_endColor, m_lifeFraction);
    m_position += m_velocity * dt;
    m_velocity += m_acceleration * dt;
    m_angle += m_deltaAngle * dt;
    m_size += m_deltaSize * dt;
    m_frame += m_animSpeed * dt;
    if (m_frame >= kLastFrame + 1.0f) {
        m_frame = kLastFrame;
        return true;
    }
    return false;
}

void BillboardParticle::SetLifeTime(float lifeTime)
{
    m_lifeTime = lifeTime;
    m_remainingLife = lifeTime;
    m_lifeFraction = 0.0f;
    m_inverseLife = 1.0f / lifeTime;
}

void BillboardParticleFactory::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("Billboard Particle Factory", descriptor);
    if (m_texture)
        serializer.SerializeObject("texture", m_texture);
    SerializeBlend(serializer, "Blend Src", m_sourceBlend, "BillboardParticleFactory::Serialize");
    SerializeBlend(serializer, "Blend Dest", m_destinationBlend, "BillboardParticleFactory::Serialize");
    serializer.SerializeInt("row count", &m_rows);
    serializer.SerializeInt("column count", &m_columns);
    serializer.SerializeInt("frames count", &m_frames);
    serializer.SerializeBool("Z Write", &m_zWrite);
    serializer.SerializeBool("Z Test", &m_zTest);
    serializer.EndSection();
    m_rows = SpriteSheetCount(m_rows, "BillboardParticleFactory::Serialize", "row count");
    m_columns = SpriteSheetCount(m_columns, "BillboardParticleFactory::Serialize", "column count");
    m_frames = SpriteSheetCount(m_frames, "BillboardParticleFactory::Serialize", "frames count");
}

void BillboardParticleFactory::Setup(Texture* texture, int32_t sourceBlend, int32_t destinationBlend, int32_t rows,
                                     int32_t columns, int32_t frames)
{
    m_texture = texture;
    m_sourceBlend = sourceBlend;
    m_destinationBlend = destinationBlend;
    m_rows = SpriteSheetCount(rows, "BillboardParticleFactory::Setup", "row count");
    m_columns = SpriteSheetCount(columns, "BillboardParticleFactory::Setup", "column count");
    m_frames = SpriteSheetCount(frames, "BillboardParticleFactory::Setup", "frames count");
}

Particle* BillboardParticleFactory::Create()
{
    auto* particle = new BillboardParticle();
    AnimatedBillboard& billboard = particle->GetBillboard();
    billboard.Init(m_texture, m_sourceBlend, m_destinationBlend);
    billboard.SetLayout(m_rows, m_columns);
    billboard.SetFrameCount(m_frames);
    billboard.SetFrame(0);
    billboard.SetZTest(m_zTest);
    billboard.SetZWrite(m_zWrite);
    return particle;
}

void BillboardParticleFactory::Release(Particle* particle)
{
    delete particle;
}

ParticleSystem::ParticleSystem() = default;

ParticleSystem::~ParticleSystem()
{
    Reset();
}

void ParticleSystem::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("Particle System", descriptor);
    serializer.SerializeBool("Automatic generate particles", &m_automatic);
    serializer.SerializeInt("Max. Particles", &m_maxParticles);
    if (m_maxParticles > kMaxLiveParticles) {
        LogWarning("ParticleSystem::Serialize: Max. Particles %d read as %d\n", m_maxParticles, kMaxLiveParticles);
        m_maxParticles = kMaxLiveParticles;
    }
    serializer.SerializeFloat("Emitter Speed", &m_emitterSpeed);
    if (m_factory) {
        serializer.SerializeButton("popup", "");
        serializer.SerializeObject("Particle Factory", m_factory);
    }
    SerializeEmitters(serializer);
    SerializeActions(serializer);
    bool reset = false;
    serializer.SerializeBool("Reset", &reset);
    if (reset)
        Reset();
    serializer.EndSection();
}

void ParticleSystem::SerializeEmitters(Serializer& serializer)
{
    serializer.SerializeObject("Position", &m_positionEmitter);
    serializer.SerializeObject("Velocity", &m_velocityEmitter);
    serializer.SerializeObject("Acceleration", &m_accelerationEmitter);
    serializer.SerializeButton("children angle", "");
    serializer.SerializeObject("Angle", &m_angleEmitter);
    serializer.SerializeButton("children angle", "");
    serializer.SerializeObject("DeltaAngle", &m_deltaAngleEmitter);
    serializer.SerializeObject("Size", &m_sizeEmitter);
    serializer.SerializeObject("Delta Size", &m_deltaSizeEmitter);
    serializer.SerializeObject("Anim Speed", &m_animSpeedEmitter);
    serializer.SerializeColor("Start Color", &m_startColor);
    serializer.SerializeColor("End Color", &m_endColor);
    serializer.SerializeObject("Life Time", &m_lifeTimeEmitter);
}

void ParticleSystem::SerializeActions(Serializer& serializer)
{
    serializer.SerializeButton("hide", "");
    auto count = static_cast<int32_t>(m_actions.size());
    serializer.SerializeInt("Actions Count", &count);
    ResizeActions(serializer.BoundListCount("ParticleSystem::Serialize", "Actions Count", count));

    serializer.SerializeButton("section popup", "");
    serializer.BeginSection("Actions", "");
    for (std::unique_ptr<ParticleAction>& action : m_actions) {
        serializer.SerializeButton("hide", "");
        int32_t type = action->GetType();
        serializer.SerializeInt("Action Type", &type);
        if (type != action->GetType()) {
            if (ParticleActionTypeName(type)) {
                action = CreateParticleAction(type);
                serializer.SerializeButton("changed", "");
            } else {
                LogWarning("ParticleSystem::Serialize: Action Type %d ignored\n", type);
            }
        }
        serializer.SerializeObject(ParticleActionTypeName(action->GetType()), action.get());
    }
    SerializeActionEditor(serializer);
    serializer.EndSection();
}

void ParticleSystem::SerializeActionEditor(Serializer& serializer)
{
    m_newActionHint = "combobox [New Action]";
    for (int32_t type = 0; type < kParticleActionTypeCount; ++type)
        m_newActionHint += std::string("[") + ParticleActionTypeName(type) + "]";
    serializer.SerializeButton(m_newActionHint.c_str(), "");
    int32_t create = 0;
    serializer.SerializeInt("Create", &create);
    if (create != 0) {
        if (ParticleActionTypeName(create - 1)) {
            AddAction(CreateParticleAction(create - 1));
            serializer.SerializeButton("changed", "");
        } else {
            LogWarning("ParticleSystem::Serialize: Create %d ignored\n", create);
        }
    }

    m_deleteActionHint = "combobox [Delete Action]";
    for (const std::unique_ptr<ParticleAction>& action : m_actions)
        m_deleteActionHint += std::string("[") + ParticleActionTypeName(action->GetType()) + "]";
    serializer.SerializeButton(m_deleteActionHint.c_str(), "");
    int32_t erase = 0;
    serializer.SerializeInt("Delete", &erase);
    if (erase != 0) {
        if (erase >= 1 && erase <= static_cast<int32_t>(m_actions.size())) {
            m_actions.erase(m_actions.begin() + (erase - 1));
            serializer.SerializeButton("changed", "");
        } else {
            LogWarning("ParticleSystem::Serialize: Delete %d ignored\n", erase);
        }
    }
}

void ParticleSystem::ResizeActions(int32_t count)
{
    const auto wanted = static_cast<size_t>(count);
    if (m_actions.size() > wanted)
        m_actions.resize(wanted);
    while (m_actions.size() < wanted)
        m_actions.push_back(CreateParticleAction(0));
}

void ParticleSystem::AddAction(std::unique_ptr<ParticleAction> action)
{
    if (action)
        m_actions.push_back(std::move(action));
}

void ParticleSystem::Render()
{
    // Billboards that draw alike go out as one batch of quads, in the particles' order, under
    // the states each would set alone.
    const Billboard* look = nullptr;
    const auto flush = [&] {
        if (m_corners.empty())
            return;
        RenderStateSaver states;
        look->SetDrawStates(states);
        DrawQuads(m_corners.data(), m_corners.size() / 4);
        states.Restore();
        m_corners.clear();
    };
    const Matrix3& view = RwGraphics::Instance()->GetCameraMatrix();
    for (Particle* particle : m_particles) {
        auto* sprite = dynamic_cast<BillboardParticle*>(particle);
        if (!sprite) {
            flush();
            particle->Render();
            continue;
        }
        const Billboard& billboard = sprite->GetBillboard();
        if (!billboard.InView())
            continue;
        if (look && !look->DrawsLike(billboard))
            flush();
        look = &billboard;
        m_corners.resize(m_corners.size() + 4);
        billboard.BuildQuad(view, &m_corners[m_corners.size() - 4]);
    }
    flush();
}

void ParticleSystem::Update(float dt)
{
    if (m_automatic) {
        m_accumulator += dt * m_emitterSpeed;
        while (m_accumulator > 0.0f) {
            if (!Emit()) {
                // What the loop would have subtracted had it gone on, without the wait.
                m_accumulator -= std::ceil(m_accumulator);
                if (!std::isfinite(m_accumulator))
                    m_accumulator = 0.0f;
                break;
            }
            m_accumulator -= 1.0f;
        }
    }
    for (auto it = m_particles.begin(); it != m_particles.end();) {
        Particle* particle = *it;
        if (particle->Advance(dt)) {
            Release(it++);
            continue;
        }
        for (const std::unique_ptr<ParticleAction>& action : m_actions)
            action->Apply(*particle, 0, dt);
        particle->Update(dt);
        ++it;
    }
}

Particle* ParticleSystem::Emit()
{
    if (m_liveCount >= m_maxParticles || !m_factory)
        return nullptr;
    Particle* particle = m_factory->Create();
    if (!particle)
        return nullptr;
    particle->SetPosition(m_positionEmitter.Emit());
    particle->SetVelocity(m_velocityEmitter.Emit());
    particle->SetAcceleration(m_accelerationEmitter.Emit());
    particle->SetAngle(m_angleEmitter.Emit());
    particle->SetDeltaAngle(m_deltaAngleEmitter.Emit());
    particle->SetSize(m_sizeEmitter.Emit());
    particle->SetDeltaSize(m_deltaSizeEmitter.Emit());
    particle->SetFrame(0.0f);
    particle->SetAnimSpeed(m_animSpeedEmitter.Emit());
    particle->SetStartColor(m_startColor);
    particle->SetEndColor(m_endColor);
    particle->SetLifeTime(m_lifeTimeEmitter.Emit());

    particle->SetPosition(m_rotation.Rotate(particle->GetPosition()) + m_position);
    particle->SetVelocity(m_rotation.Rotate(particle->GetVelocity()));
    m_particles.push_back(particle);
    ++m_liveCount;
    return particle;
}

void ParticleSystem::SetParticleFactory(ParticleFactory* factory)
{
    Reset();
    m_factory = factory;
}

void ParticleSystem::Release(std::list<Particle*>::iterator particle)
{
    Particle* dead = *particle;
    m_particles.erase(particle);
    --m_liveCount;
    // Only a factory makes particles, so one is set while any lives.
    m_factory->Release(dead);
}

void ParticleSystem::Reset()
{
    while (!m_particles.empty())
        Release(m_particles.begin());
}

bool SampleAtomicVertices(RpAtomic* atomic, Vector3* positions, Vector3* normals, int count)
{
    if (count < 0 || count > kMaxSamples || !atomic || !atomic->geometry || !positions || !normals)
        return false;
    const RpGeometry* geometry = atomic->geometry;
    if (geometry->numVertices <= 0 || geometry->numMorphTargets < 1)
        return false;
    if (geometry->numMorphTargets > 1)
        LogMessage("ERROR: Atomic with more than 1 morph target found!\n");

    const RpMorphTarget& target = geometry->morphTarget[0];
    const RpSkin* skin = RpSkinGeometryGetSkin(atomic->geometry);
    const RwMatrix* bones = skin && skin->numVertices == geometry->numVertices ? RpSkinAtomicGetBoneMatrices(atomic)
                                                                               : nullptr;
    RwFrame* frame = RpAtomicGetFrame(atomic);
    const RwMatrix* ltm = frame ? RwFrameGetLTM(frame) : nullptr;
    for (int i = 0; i < count; ++i) {
        const int v = Random::Effects::Below(geometry->numVertices);
        RwV3d position = target.verts[v];
        RwV3d normal = target.normals ? target.normals[v] : RwV3d{0.0f, 0.0f, 0.0f};
        if (bones) {
            RwV3d blendedPosition{0.0f, 0.0f, 0.0f}, blendedNormal{0.0f, 0.0f, 0.0f};
            for (int k = 0; k < 4; ++k) {
                const RwReal weight = skin->weights[v][k];
                if (weight <= 0.0f)
                    continue;
                const RwMatrix& bone = bones[skin->boneIndices[v][k]];
                RwV3d p, n;
                RwV3dTransformPoints(&p, &position, 1, &bone);
                RwV3dTransformVectors(&n, &normal, 1, &bone);
                blendedPosition = {blendedPosition.x + p.x * weight, blendedPosition.y + p.y * weight,
                                   blendedPosition.z + p.z * weight};
                blendedNormal = {blendedNormal.x + n.x * weight, blendedNormal.y + n.y * weight,
                                 blendedNormal.z + n.z * weight};
            }
            position = blendedPosition;
            normal = blendedNormal;
        }
        RwV3d world = position, turned = normal;
        if (ltm) {
            RwV3dTransformPoints(&world, &position, 1, ltm);
            RwV3dTransformVectors(&turned, &normal, 1, ltm);
        }
        positions[i] = Vector3{world.x, world.y, world.z};
        normals[i] = Vector3{turned.x, turned.y, turned.z};
        normals[i].Normalize();
    }
    return true;
}
