#include "scene/MaterialActions.h"

#include "engine/core/RwDevice.h"
#include "engine/plugins/RpPlugins.h"
#include "engine/world/RpWorld.h"
#include "framework/Debug.h"
#include "framework/Factory.h"
#include "framework/FileSystem.h"
#include "framework/Registration.h"
#include "framework/Serializer.h"
#include "scene/Clump.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

REGISTER_FACTORY(MaterialActions, AnimatedTextureAction);
REGISTER_FACTORY(MaterialActions, AnimatedTransparencyAction);
REGISTER_FACTORY(MaterialActions, AnimateUVAction);
REGISTER_FACTORY(MaterialActions, WaterAction);

namespace {

constexpr float kByte = 255.0f;

RwUInt8 ToByte(float channel)
{
    return static_cast<RwUInt8>(std::lround(std::clamp(channel, 0.0f, 1.0f) * kByte));
}

// Visits every geometry of the clump's atomics.
template <class Visit>
void ForEachGeometry(const Clump& clump, Visit visit)
{
    std::vector<RpAtomic*> atomics;
    clump.GetAtomics(atomics);
    for (RpAtomic* atomic : atomics)
        if (RpGeometry* geometry = RpAtomicGetGeometry(atomic))
            visit(atomic, geometry);
}

}  // namespace

Material::Material(RpMaterial* material) : m_material(material)
{
    if (!material) {
        LogWarning("Material::Material: Material-Ptr is null!\n");
        return;
    }
    const RwRGBA& c = material->color;
    m_color.Set(c.red / kByte, c.green / kByte, c.blue / kByte, c.alpha / kByte);
    m_ambient = material->surfaceProps.ambient;
    m_diffuse = material->surfaceProps.diffuse;
    m_specular = material->surfaceProps.specular;
    if (material->texture)
        m_textureName = RwTextureGetName(material->texture);
}

void Material::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("Material", descriptor);
    serializer.SerializeColor("Color", &m_color);
    serializer.SerializeFloat("Ambient Reflection", &m_ambient);
    serializer.SerializeFloat("Diffuse Reflection", &m_diffuse);
    serializer.SerializeFloat("Specular Reflection", &m_specular);
    serializer.SerializeString("Texture Name", &m_textureName);
    serializer.EndSection();
    if (!serializer.IsReading() || !m_material)
        return;
    const RwRGBA colour{ToByte(m_color.r), ToByte(m_color.g), ToByte(m_color.b), ToByte(m_color.a)};
    RpMaterialSetColor(m_material, &colour);
    const RwSurfaceProperties surface{m_ambient, m_specular, m_diffuse};
    RpMaterialSetSurfaceProperties(m_material, &surface);
}

bool Action::CanApply(Object* object, int) const
{
    return dynamic_cast<Clump*>(object) != nullptr;
}

std::vector<Material> Action::TexturedMaterials(const Clump& clump)
{
    std::vector<Material> materials;
    ForEachGeometry(clump, [&](RpAtomic*, RpGeometry* geometry) {
        for (RwInt32 i = 0; i < geometry->matList.numMaterials; ++i) {
            RpMaterial* material = geometry->matList.materials[i];
            if (material && material->texture)
                materials.emplace_back(material);
        }
    });
    return materials;
}

// Flip-book -------------------------------------------------------------------------------

AnimatedTextureAction::~AnimatedTextureAction()
{
    DestroyFrames();
}

void AnimatedTextureAction::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("AnimatedTextureAction", descriptor);
    serializer.SerializeButton("filename", "");
    serializer.SerializeString("file name", &m_fileName);
    serializer.SerializeFloat("anim speed", &m_animSpeed);
    serializer.SerializeInt("start index", &m_startIndex);
    serializer.EndSection();
    if (serializer.IsReading())
        ReadFrames();
}

void AnimatedTextureAction::SetFileName(const std::string& name, int startIndex, float speed)
{
    m_fileName = name;
    m_startIndex = startIndex;
    m_animSpeed = speed;
}

void AnimatedTextureAction::DestroyFrames()
{
    std::vector<RwTexture*> frames;
    frames.swap(m_frames);
    for (RwTexture* frame : frames)
        RwTextureDestroy(frame);
}

void AnimatedTextureAction::ReadFrames()
{
    DestroyFrames();
    m_time = 0.0f;
    if (m_fileName.empty())
        return;
    // Aliases first: the folder is what the last backslash ends.
    const std::string file = FileSystem::Instance()->ExpandAliases(m_fileName);
    const size_t dot = file.rfind('.');
    const std::string stem = file.substr(0, dot);
    const std::string extension = dot == std::string::npos ? std::string() : file.substr(dot + 1);
    const size_t slash = stem.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? std::string() : stem.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? stem : stem.substr(slash + 1);
    const size_t digits = name.size() - (name.find_last_not_of("0123456789") + 1);
    const std::string prefix = name.substr(0, name.size() - digits);

    DebugTrace("Animated Texture Action\n");
    if (!folder.empty()) {
        RwImageSetPath(folder.c_str());
        DebugTrace("  path: %s\n", folder.c_str());
    }
    FileSystem* files = FileSystem::Instance();
    for (int index = m_startIndex;; ++index) {
        char number[32];
        std::snprintf(number, sizeof number, "%0*d", static_cast<int>(digits), index);
        const std::string frame = prefix + number + (extension.empty() ? "" : "." + extension);
        if (!files->FileExists((folder + frame).c_str()))
            break;
        RwTexture* texture = RwTextureRead(frame.c_str(), nullptr);
        if (!texture)
            break;
        RwTextureSetFilterMode(texture, rwFilterMipLinear);
        m_frames.push_back(texture);
    }
    DebugTrace("  %d textures read\n", static_cast<int>(m_frames.size()));
}

bool AnimatedTextureAction::Attach(Object* object, int value)
{
    m_materials.clear();
    if (!CanApply(object, value))
        return false;
    m_clump = static_cast<Clump*>(object);
    m_materials = TexturedMaterials(*m_clump);
    return true;
}

bool AnimatedTextureAction::Detach()
{
    m_clump = nullptr;
    m_materials.clear();
    return true;
}

int AnimatedTextureAction::GetFrameIndex() const
{
    if (m_frames.empty())
        return -1;
    const auto count = static_cast<long>(m_frames.size());
    // Halves round to the even frame.
    const long index = std::lrint(m_time) % count;
    return static_cast<int>(index < 0 ? index + count : index);
}

bool AnimatedTextureAction::DoAction(Object*, float dt)
{
    m_time += m_animSpeed * dt;
    if (m_frames.empty())
        return false;
    if (!m_materials.empty())
        RpMaterialSetTexture(m_materials.front().GetRwMaterial(), m_frames[GetFrameIndex()]);
    return true;
}

// Fading ----------------------------------------------------------------------------------

AnimatedTransparencyAction::~AnimatedTransparencyAction()
{
    DestroyAnimation();
}

void AnimatedTransparencyAction::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("AnimatedTransparencyAction", descriptor);
    serializer.SerializeButton("filename", "");
    serializer.SerializeString("anim filename", &m_fileName);
    serializer.SerializeFloat("speed", &m_speed);
    serializer.EndSection();
    if (serializer.IsReading())
        ReadAnimation();
}

void AnimatedTransparencyAction::SetAnimation(const std::string& fileName, float speed)
{
    m_fileName = fileName;
    m_speed = speed;
}

void AnimatedTransparencyAction::DestroyAnimation()
{
    if (m_interpolator)
        RtAnimInterpolatorDestroy(m_interpolator);
    if (m_animation)
        RtAnimAnimationDestroy(m_animation);
    m_interpolator = nullptr;
    m_animation = nullptr;
}

void AnimatedTransparencyAction::ReadAnimation()
{
    DestroyAnimation();
    m_time = 0.0f;
    if (m_fileName.empty())
        return;
    m_animation = RtAnimAnimationRead(FileSystem::Instance()->ExpandAliases(m_fileName).c_str());
    if (!m_animation)
        return;
    m_interpolator = RtAnimInterpolatorCreate(m_animation->numNodes, sizeof(RtAnimKeyFrame));
    if (m_interpolator)
        RtAnimInterpolatorSetCurrentAnim(m_interpolator, m_animation);
}

bool AnimatedTransparencyAction::Attach(Object* object, int value)
{
    m_clump = CanApply(object, value) ? static_cast<Clump*>(object) : nullptr;
    return true;
}

bool AnimatedTransparencyAction::DoAction(Object*, float dt)
{
    if (!m_animation || !m_interpolator || m_animation->numNodes < 1)
        return true;
    m_time += dt * (m_speed + 1.0f);
    if (m_time >= m_animation->duration)
        m_time = 0.0f;
    RtAnimInterpolatorSetCurrentTime(m_interpolator, m_time);
    RwMatrix matrix{};
    if (RtAnimKeyFrame* frame = RtAnimInterpolatorGetInterpFrame(m_interpolator, 0))
        m_interpolator->keyFrameApplyCB(&matrix, frame);
    const float x = std::fabs(matrix.pos.x);
    m_alpha = std::isnan(x) ? 0.0f : std::min(x, 1.0f);
    if (m_clump)
        m_clump->SetAlpha(m_alpha);
    return true;
}

// Scrolling -------------------------------------------------------------------------------

AnimateUVAction::~AnimateUVAction()
{
    Release();
}

void AnimateUVAction::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("AnimateUVAction", descriptor);
    serializer.SerializeFloat("speed U", &m_speedU);
    serializer.SerializeFloat("speed V", &m_speedV);
    serializer.EndSection();
}

void AnimateUVAction::Release()
{
    if (m_transformed) {
        RpMatFXMaterialSetUVTransformMatrices(m_transformed, nullptr, nullptr);
        RpMatFXMaterialSetEffects(m_transformed, rpMaterialFXNone);
        RpMaterialDestroy(m_transformed);
        m_transformed = nullptr;
    }
    if (m_uvMatrix)
        RwMatrixDestroy(m_uvMatrix);
    m_uvMatrix = nullptr;
}

bool AnimateUVAction::Attach(Object* object, int value)
{
    Release();
    m_materials.clear();
    if (!CanApply(object, value))
        return false;
    m_clump = static_cast<Clump*>(object);
    m_materials = TexturedMaterials(*m_clump);
    ForEachGeometry(*m_clump, [](RpAtomic* atomic, RpGeometry*) { RpMatFXAtomicEnableEffects(atomic); });
    m_uvMatrix = RwMatrixCreate();
    if (!m_materials.empty() && m_uvMatrix) {
        m_transformed = RpMaterialAddRef(m_materials.front().GetRwMaterial());
        RpMatFXMaterialSetEffects(m_transformed, rpMaterialFXUVTransform);
        RpMatFXMaterialSetUVTransformMatrices(m_transformed, m_uvMatrix, nullptr);
    }
    return true;
}

bool AnimateUVAction::Detach()
{
    m_clump = nullptr;
    return true;
}

bool AnimateUVAction::DoAction(Object*, float dt)
{
    if (!m_uvMatrix)
        return false;
    const auto wrap = [](float& offset, float step) {
        offset += step;
        if (offset < 0.0f)
            offset += 1.0f;
        else if (offset > 1.0f)
            offset -= 1.0f;
    };
    wrap(m_offsetU, dt * m_speedU);
    wrap(m_offsetV, dt * m_speedV);
    RwMatrixSetIdentity(m_uvMatrix);
    const RwV3d offset{m_offsetU, m_offsetV, 0.0f};
    RwMatrixTranslate(m_uvMatrix, &offset, rwCombinePostMultiply);
    return true;
}

// Water -----------------------------------------------------------------------------------

void WaterAction::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("WaterAction", descriptor);
    serializer.SerializeFloat("factor x", &m_factorX);
    serializer.SerializeFloat("factor Z", &m_factorZ);
    serializer.SerializeFloat("waveHeight", &m_waveHeight);
    serializer.SerializeFloat("alpha min", &m_alphaMin);
    serializer.SerializeFloat("alpha max", &m_alphaMax);
    serializer.EndSection();
}

bool WaterAction::Attach(Object* object, int value)
{
    m_clump = CanApply(object, value) ? static_cast<Clump*>(object) : nullptr;
    return true;
}

int WaterAction::Alpha(float w) const
{
    const float alpha = m_alphaMin + (w + 1.0f) * 0.5f * (m_alphaMax - m_alphaMin);
    return static_cast<int>(std::lround(std::clamp(alpha, 0.0f, kByte)));
}

bool WaterAction::DoAction(Object*, float dt)
{
    m_time += dt;
    // Waves nobody sees (a headless run's null device) are not moved; the time runs on, so
    // they stand where they would once pictures are shown.
    if (!m_clump || !RwDeviceShowsPictures())
        return true;
    ForEachGeometry(*m_clump, [&](RpAtomic*, RpGeometry* geometry) {
        if (!RpGeometryLock(geometry, rpGeometryLockVertices | rpGeometryLockPrelight)) {
            DebugTrace("WaterAction::DoAction could not lock geometry\n");
            return;
        }
        RwV3d* vertices = geometry->morphTarget[0].verts;
        if (!m_haveBaseHeight && geometry->numVertices > 0) {
            m_baseHeight = vertices[0].y;
            m_haveBaseHeight = true;
        }
        if (geometry->preLitLum) {
            for (RwInt32 i = 0; i < geometry->numVertices; ++i) {
                RwV3d& v = vertices[i];
                const float w = std::sin(v.x * m_factorX + m_time) * std::sin(v.z * m_factorZ + m_time);
                v.y = w * m_waveHeight + m_baseHeight;
                geometry->preLitLum[i].alpha = static_cast<RwUInt8>(Alpha(w));
            }
        }
        RpGeometryUnlock(geometry);
    });
    return true;
}

// The owner's list ------------------------------------------------------------------------

namespace {

// Replaces the entry by one of the named class unless it is one already; an unknown class
// leaves the entry empty.
void MakeAction(std::unique_ptr<Action>& entry, const std::string& type)
{
    if (entry && ClassNameOf(*entry) == type)
        return;
    entry.reset();
    if (type.empty())
        return;
    std::unique_ptr<Object> made(FactoryRegistry::MaterialActions().Create(type.c_str()));
    auto* action = dynamic_cast<Action*>(made.get());
    if (!action) {
        LogWarning("SerializeMaterialActions: no action \"%s\"; the entry stays empty\n", type.c_str());
        return;
    }
    made.release();
    entry.reset(action);
}

void ResizeActions(ActionList& actions, int32_t count)
{
    const auto size = static_cast<size_t>(std::max(count, 0));
    // From the end down, so that a destructor never sees a half-shortened list.
    while (actions.size() > size) {
        std::unique_ptr<Action> last = std::move(actions.back());
        actions.pop_back();
    }
    actions.resize(size);
}

std::string CreateBox(const std::vector<std::string>& names)
{
    std::string box = "combobox [New Action]";
    for (const std::string& name : names)
        box += "[" + name + "]";
    return box;
}

}  // namespace

void SerializeMaterialActions(Serializer& serializer, ActionList& actions)
{
    serializer.SerializeButton("hide", "");
    auto count = static_cast<int32_t>(actions.size());
    serializer.SerializeInt("Actions Count", &count);
    if (serializer.IsReading())
        ResizeActions(actions, serializer.BoundListCount("SerializeMaterialActions", "Actions Count", count));

    for (size_t i = 0; i < actions.size(); ++i) {
        serializer.SerializeButton("hide", "");
        std::string type = actions[i] ? ClassNameOf(*actions[i]) : std::string();
        serializer.SerializeString("Action Type", &type);
        serializer.SerializeButton("popup", "");
        if (serializer.IsReading())
            MakeAction(actions[i], type);
        if (actions[i]) {
            const std::string name = "action " + std::to_string(i + 1);
            serializer.SerializeObject(name.c_str(), actions[i].get());
        }
    }

    const std::vector<std::string> names = FactoryRegistry::MaterialActions().GetNames();
    serializer.SerializeButton(CreateBox(names).c_str(), "");
    int32_t create = 0;
    serializer.SerializeInt("Create", &create);
    if (create > 0 && static_cast<size_t>(create) <= names.size()) {
        std::unique_ptr<Action> made;
        MakeAction(made, names[create - 1]);
        if (made)
            actions.push_back(std::move(made));
        serializer.SerializeButton("changed", "");
    }
}

void AttachMaterialActions(ActionList& actions, Clump* clump)
{
    for (auto& action : actions)
        if (action)
            action->Attach(clump, 0);
}

void RunMaterialActions(ActionList& actions, float dt)
{
    for (auto& action : actions)
        if (action)
            action->DoAction(nullptr, dt);
}
