#include "scene/GameElements.h"

#include "engine/world/RpWorld.h"
#include "framework/Cast.h"
#include "framework/Factory.h"
#include "framework/Registration.h"
#include "framework/Serializer.h"
#include "scene/Billboard.h"
#include "scene/Clump.h"
#include "scene/HudItems.h"
#include "scene/RenderStateSaver.h"
#include "scene/RwGraphics.h"

#include <algorithm>
#include <cmath>
#include <numbers>

REGISTER_FACTORY(GameElements, ClumpElement);
REGISTER_FACTORY(GameElements, BillboardForest);
REGISTER_FACTORY(GameElements, GeParticleSystem);
REGISTER_FACTORY(GameElements, SfxElement);
REGISTER_FACTORY(GameElements, HudElement);

namespace {

constexpr float kTreeAngle = 0.7853982f;
constexpr const char* kInitialised = "initialised:";

GeParticleSystem::QualitySource s_qualitySource = nullptr;

// Alpha test at the clip value while the caller draws; a clip of 0 tests nothing.
void ClipAlpha(RenderStateSaver& states, int32_t clip)
{
    if (clip <= 0)
        return;
    states.Set(rwRenderStateAlphaTestFunction, rwAlphaTestGreaterEqual);
    states.Set(rwRenderStateAlphaTestFunctionRef, clip);
}

}  // namespace

// Model -----------------------------------------------------------------------------------

ClumpElement::ClumpElement() : m_clump(std::make_unique<Clump>())
{
    m_clump->CreateDummyClump();
}

ClumpElement::~ClumpElement() = default;

void ClumpElement::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("ClumpElement", descriptor);
    serializer.SerializeInt("alpha clip", &m_alphaClip);
    serializer.SerializeBool("z-write", &m_zWrite);
    serializer.SerializeBool("override blend mode", &m_overrideBlend);
    SerializeBlend(serializer, "Blend Src", m_blendSource, "ClumpElement::Serialize");
    SerializeBlend(serializer, "Blend Dest", m_blendDestination, "ClumpElement::Serialize");
    serializer.SerializeObject("clump", m_clump.get());
    SerializeMaterialActions(serializer, m_actions);
    AttachMaterialActions(m_actions, m_clump.get());
    serializer.EndSection();
}

void ClumpElement::SetPosition(const Vector3& position)
{
    m_clump->SetPosition(position);
}

const Vector3& ClumpElement::GetPosition() const
{
    return m_clump->GetPosition();
}

void ClumpElement::SetRotation(const Quaternion& rotation)
{
    m_clump->SetRotation(rotation);
}

const Quaternion& ClumpElement::GetRotation() const
{
    return m_clump->GetRotation();
}

void ClumpElement::Render()
{
    if (!IsVisible())
        return;
    RenderStateSaver states;
    if (m_overrideBlend) {
        states.Set(rwRenderStateSrcBlend, m_blendSource);
        states.Set(rwRenderStateDestBlend, m_blendDestination);
    }
    ClipAlpha(states, m_alphaClip);
    if (!m_zWrite)
        states.Set(rwRenderStateZWriteEnable, 0);
    m_clump->Render();
    states.Restore();
}

void ClumpElement::Update(float dt)
{
    RunMaterialActions(m_actions, dt);
    m_clump->Update(dt);
}

void ClumpElement::SetTransparency(float alpha)
{
    const auto value = static_cast<RwUInt8>(std::clamp(alpha, 0.0f, 1.0f) * 255.0f);
    std::vector<RpAtomic*> atomics;
    m_clump->GetAtomics(atomics);
    for (RpAtomic* atomic : atomics) {
        RpGeometry* geometry = RpAtomicGetGeometry(atomic);
        if (!geometry)
            continue;
        for (RwInt32 i = 0; i < geometry->matList.numMaterials; ++i)
            if (RpMaterial* material = geometry->matList.materials[i])
                material->color.alpha = value;
        RpGeometrySetFlags(geometry, RpGeometryGetFlags(geometry) | rpGeometryModulateMaterialColor);
    }
}

// Forest ----------------------------------------------------------------------------------

BillboardForest::BillboardForest() = default;
BillboardForest::~BillboardForest() = default;

void BillboardForest::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("BillboardForest", descriptor);
    GameElement::Serialize(serializer, "");
    serializer.SerializeButton("filename [Geometry|*.dff]", "");
    serializer.SerializeString("position clump", &m_positionFile);
    serializer.SerializeButton("filename [Path|*.*]", "");
    serializer.SerializeString("texture", &m_textureFile);
    serializer.SerializeButton("filename [Path|*.*]", "");
    serializer.SerializeString("texture alpha", &m_alphaFile);
    serializer.SerializeFloat("min size", &m_minSize);
    serializer.SerializeFloat("max size", &m_maxSize);
    serializer.SerializeBool("only y axis", &m_onlyYAxis);
    serializer.SerializeBool("write z", &m_writeZ);
    serializer.SerializeInt("alpha clip", &m_alphaClip);
    SerializeBlend(serializer, "Blend Src", m_blendSource, "BillboardForest::Serialize");
    SerializeBlend(serializer, "Blend Dest", m_blendDestination, "BillboardForest::Serialize");
    serializer.SerializeButton("combobox [Bottom][Center][Top]", "");
    serializer.SerializeInt("align", &m_align);
    serializer.SerializeColor("Color", &m_colour);
    serializer.EndSection();
    if (serializer.IsReading())
        Rebuild();
}

float BillboardForest::TreeSize(const Vector3& centre) const
{
    const double sum = std::fabs(static_cast<double>(centre.x) + centre.y + centre.z);
    const double h = std::fmod(std::floor(sum * 10000.0), 10000.0);
    return m_minSize + (m_maxSize - m_minSize) * static_cast<float>(h) * 0.0001f;
}

void BillboardForest::Plant(const Vector3& centre)
{
    m_positions.push_back(centre);
    const float size = TreeSize(centre);
    Vector3 place = centre;
    if (m_align == kBottom)
        place.y += size / std::numbers::sqrt2_v<float>;
    else if (m_align == kTop)
        place.y -= size / std::numbers::sqrt2_v<float>;
    auto tree = std::make_unique<Billboard>();
    tree->Init(m_texture, m_blendSource, m_blendDestination);
    tree->SetColor(m_colour);
    tree->SetSize(size);
    tree->SetUVRect(0.0f, 0.0f, 1.0f, 1.0f);
    tree->SetZTest(true);
    tree->SetZWrite(m_writeZ);
    tree->SetPosition(place);
    tree->SetAngle(kTreeAngle);
    tree->SetUpright(m_onlyYAxis);
    m_billboards.push_back(std::move(tree));
}

void BillboardForest::Rebuild()
{
    m_positionClump.reset();
    m_positions.clear();
    m_billboards.clear();
    m_texture = m_textureFile.empty() ? nullptr
                                      : TextureManager::Instance()->CreateTexture(
                                            m_textureFile.c_str(), m_alphaFile.empty() ? nullptr : m_alphaFile.c_str(),
                                            false);
    m_positionClump = std::make_unique<Clump>();
    if (!m_positionClump->LoadClump(m_positionFile, "", true))
        return;
    m_positionClump->FreezeTransform();
    if (!m_texture)
        return;
    std::vector<RpAtomic*> atomics;
    m_positionClump->GetAtomics(atomics);
    for (RpAtomic* atomic : atomics) {
        const RpGeometry* geometry = RpAtomicGetGeometry(atomic);
        if (!geometry || geometry->numTriangles <= 0)
            continue;
        const RwV3d* vertices = geometry->morphTarget[0].verts;
        for (RwInt32 t = 0; t < geometry->numTriangles; ++t) {
            const RwUInt16* corner = geometry->triangles[t].vertIndex;
            Vector3 sum{0.0f, 0.0f, 0.0f};
            for (int c = 0; c < 3; ++c)
                sum = sum + Vector3{vertices[corner[c]].x, vertices[corner[c]].y, vertices[corner[c]].z};
            Plant(sum / 3.0f);
        }
    }
}

void BillboardForest::Render()
{
    // The trees are planted alike: one draw under one set of states shows each as its own
    // would, in the same order.
    std::vector<RwIm3DVertex>& corners = m_corners;
    corners.clear();
    const Matrix3& view = RwGraphics::Instance()->GetCameraMatrix();
    for (const auto& tree : m_billboards) {
        if (!tree->InView())
            continue;
        corners.resize(corners.size() + 4);
        tree->BuildQuad(view, &corners[corners.size() - 4]);
    }
    if (corners.empty())
        return;
    RenderStateSaver states;
    ClipAlpha(states, m_alphaClip);
    m_billboards.front()->SetDrawStates(states);
    DrawQuads(corners.data(), corners.size() / 4);
    states.Restore();
}

void BillboardForest::Update(float dt)
{
    for (auto& tree : m_billboards)
        tree->Update(dt);
}

// Particles -------------------------------------------------------------------------------

GeParticleSystem::GeParticleSystem()
    : m_texture(std::make_unique<Texture>()),
      m_factory(std::make_unique<BillboardParticleFactory>()),
      m_system(std::make_unique<ParticleSystem>())
{
    m_factory->Setup(m_texture.get(), 5, 6, 1, 1, 1);
    m_system->SetParticleFactory(m_factory.get());
}

GeParticleSystem::~GeParticleSystem()
{
    m_system.reset();
}

void GeParticleSystem::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("GeParticleSystem", descriptor);
    GameElement::Serialize(serializer, "");
    serializer.SerializeVector3("Base Position", &m_position);
    serializer.SerializeQuaternion("Base Rotation", &m_rotation);
    serializer.SerializeButton("combobox [low][medium][high]", "");
    serializer.SerializeInt("quality", &m_quality);
    serializer.SerializeBool("enable fog", &m_enableFog);
    serializer.SerializeFloat("sorting offset", &m_sortingOffset);
    serializer.SerializeButton("popup", "");
    serializer.SerializeObject("particle system", m_system.get());
    serializer.EndSection();
    if (serializer.IsReading()) {
        SetPosition(m_position);
        SetRotation(m_rotation);
    }
}

ParticleSystem* GeParticleSystem::FindIn(const Cast* cast, const char* name)
{
    const CastMember* member = cast ? cast->FindByName(name) : nullptr;
    if (!member)
        return nullptr;
    if (auto* element = dynamic_cast<GeParticleSystem*>(member->object))
        return element->GetParticleSystem();
    return dynamic_cast<ParticleSystem*>(member->object);
}

void GeParticleSystem::SetPosition(const Vector3& position)
{
    m_position = position;
    m_system->SetPosition(position);
}

void GeParticleSystem::SetRotation(const Quaternion& rotation)
{
    m_rotation = rotation;
    m_system->SetRotation(rotation);
}

float GeParticleSystem::GetDistanceToCamera() const
{
    return std::max(RwGraphics::Instance()->GetDistanceToCamera(m_position) - m_sortingOffset, 0.0f);
}

void GeParticleSystem::SetQualitySource(QualitySource source)
{
    s_qualitySource = source;
}

int32_t GeParticleSystem::GetQualitySetting()
{
    return s_qualitySource ? s_qualitySource() : kMedium;
}

bool GeParticleSystem::CanRun()
{
    return Prepare(1.0f) && m_texture->GetHandle() && m_quality <= GetQualitySetting();
}

void GeParticleSystem::Render()
{
    if (!(m_statusFlags & kVisible) || !CanRun())
        return;
    RenderStateSaver states;
    states.Set(rwRenderStateFogEnable, m_enableFog ? 1 : 0);
    m_system->Render();
    states.Restore();
}

void GeParticleSystem::Update(float dt)
{
    if (CanRun())
        m_system->Update(dt);
}

void GeParticleSystem::ResetStatus()
{
    m_system->Reset();
}

// Sound marker ----------------------------------------------------------------------------

void SfxElement::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("SfxElement", descriptor);
    serializer.SerializeVector3("position", &m_position);
    serializer.SerializeString("eventName", &m_eventName);
    if (serializer.IsReading())
        m_playHandle = 0;
    serializer.EndSection();
}

// HUD -------------------------------------------------------------------------------------

HudElement::HudElement() = default;
HudElement::~HudElement() = default;

void HudElement::SetItem(std::unique_ptr<HudItem> item)
{
    m_item = std::move(item);
    m_itemName = m_item ? m_item->GetClassName() : std::string();
}

void HudElement::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("HudElement", descriptor);
    GameElement::Serialize(serializer, "(GameElement)this");
    if (serializer.IsReading()) {
        m_item.reset();
        std::string name;
        serializer.SerializeString("item name", &name);
        const bool withData = name.rfind(kInitialised, 0) == 0;
        m_itemName = withData ? name.substr(std::string(kInitialised).size()) : name;
        std::unique_ptr<Object> made(FactoryRegistry::HudItems().Create(m_itemName.c_str()));
        if (auto* item = dynamic_cast<HudItem*>(made.get())) {
            made.release();
            m_item.reset(item);
        } else if (!m_itemName.empty()) {
            const std::string unknown = m_itemName;
            LogWarning("HudElement::Serialize: no HUD item \"%s\"\n", unknown.c_str());
        }
        // Without an item its data has nowhere to go and is skipped.
        if (withData && m_item)
            m_item->Serialize(serializer, "item data");
    } else {
        std::string name = m_item ? kInitialised + m_item->GetClassName() : std::string();
        serializer.SerializeString("item name", &name);
        if (m_item)
            m_item->Serialize(serializer, "item data");
    }
    serializer.EndSection();
}

void HudElement::SetPosition(const Vector3& position)
{
    m_position = position;
    if (m_item)
        m_item->SetPosition(position);
}

const Vector3& HudElement::GetPosition() const
{
    return m_item ? m_item->GetPosition() : m_position;
}

void HudElement::Render()
{
    if (m_item)
        m_item->Render();
}

void HudElement::Update(float dt)
{
    if (m_item)
        m_item->Update(dt);
}

void HudElement::SetItemParameter(const Cast& cast, const char* name, const char* key, const char* value)
{
    const CastMember* member = cast.FindByName(name);
    auto* element = member ? dynamic_cast<HudElement*>(member->object) : nullptr;
    if (element && element->m_item)
        element->m_item->SetParameter(key ? key : "", value ? value : "");
}
