#include "characters/Actor.h"

#include "engine/core/RwImage.h"
#include "engine/core/RwRaster.h"
#include "engine/core/RwTexture.h"
#include "engine/world/RpClump.h"
#include "engine/world/RpGeometry.h"
#include "framework/Color.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "framework/StringUtil.h"
#include "scene/AnimatedClump.h"
#include "scene/EngineUtil.h"
#include "scene/ProjectedShadow.h"
#include "scene/Wireframe.h"
#include "settings/GameSettings.h"
#include "simulation/Ball.h"

#include <algorithm>

namespace {

constexpr const char kShirtSuffix[] = "_shirt";
constexpr size_t kShirtSuffixLength = sizeof(kShirtSuffix) - 1;
// The ball locator's mark before a match gives the ball's size.
constexpr float kLocatorMarkRadius = 0.1f;
constexpr Color kLocatorColour(1.0f, 0.9f, 0.2f, 1.0f);

bool IsShirtTexture(const RwTexture* texture)
{
    if (!texture)
        return false;
    const std::string name = RwTextureGetName(texture);
    // A bare suffix names no shirt.
    return name.size() > kShirtSuffixLength &&
           EqualsNoCase(name.substr(name.size() - kShirtSuffixLength), kShirtSuffix);
}

RwImage* ReadImage(const std::string& path)
{
    const std::string expanded = FileSystem::Instance()->ExpandAliases(path.c_str());
    const size_t slash = expanded.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? "" : expanded.substr(0, slash + 1);
    const std::string file = slash == std::string::npos ? expanded : expanded.substr(slash + 1);
    DebugTrace("path = %s, name = %s\n", folder.c_str(), file.c_str());
    RwImageSetPath(folder.c_str());
    return RwImageRead(file.c_str());
}

std::vector<RpMaterial*> MaterialsOf(RpAtomic* atomic)
{
    if (!atomic || !atomic->geometry)
        return {};
    const RpMaterialList& list = atomic->geometry->matList;
    return std::vector<RpMaterial*>(list.materials, list.materials + list.numMaterials);
}

}  // namespace

bool Actor::SetMaterialColor(int atomic, int material, const Color& color)
{
    std::vector<RpAtomic*> atomics;
    m_clump->GetAtomics(atomics);
    if (atomic < 0 || atomic >= static_cast<int>(atomics.size())) {
        LogError("Actor::SetMaterialColor has invalid atomic number %d\n", atomic);
        return false;
    }
    const std::vector<RpMaterial*> materials = MaterialsOf(atomics[static_cast<size_t>(atomic)]);
    if (material < 0 || material >= static_cast<int>(materials.size())) {
        LogError("Actor::SetMaterialColor has invalid material number %d\n", material);
        return false;
    }
    const auto byte = [](float channel) { return static_cast<RwUInt8>(std::clamp(channel, 0.0f, 1.0f) * 255.0f); };
    materials[static_cast<size_t>(material)]->color = RwRGBA{byte(color.r), byte(color.g), byte(color.b), byte(color.a)};
    return true;
}

bool Actor::SetShirtTexture(const std::string& shirtPath, const std::string& numberPath, const Color& color,
                            bool mirror)
{
    RwTexDictionary* previous = RwTexDictionaryGetCurrent();
    RwTexDictionarySetCurrent(m_textureDictionary);
    RwImage* shirt = ReadImage(shirtPath);
    RwImage* number = shirt ? ReadImage(numberPath) : nullptr;
    if (!shirt || !number) {
        // Whichever image was read goes, or it would stay for the life of the run.
        if (shirt)
            RwImageDestroy(shirt);
        RwTexDictionarySetCurrent(previous);
        return false;
    }
    ImageUtil::Tint(number, color.r, color.g, color.b, color.a);
    ImageUtil::BlendOver(shirt, number);
    if (mirror)
        ImageUtil::MirrorRows(shirt);
    RwRaster* raster = RwRasterCreate(shirt->width, shirt->height, shirt->depth, rwRasterTypeTexture);
    RwRasterSetFromImage(raster, shirt);
    RwTexture* texture = RwTextureCreate(raster);
    RwImageDestroy(number);
    RwImageDestroy(shirt);

    std::vector<RpAtomic*> atomics;
    m_clump->GetAtomics(atomics);
    m_shirtMaterials = 0;
    for (RpAtomic* atomic : atomics) {
        for (RpMaterial* material : MaterialsOf(atomic)) {
            if (!IsShirtTexture(material->texture))
                continue;
            const std::string oldName = RwTextureGetName(material->texture);
            RpMaterialSetTexture(material, texture);
            RwTextureSetName(texture, oldName.c_str());
            ++m_shirtMaterials;
        }
    }
    // The materials hold their own references; the made one is dropped either way.
    RwTextureDestroy(texture);
    RwTexDictionarySetCurrent(previous);
    return true;
}

void Actor::Render(const std::vector<int>& hiddenAtomics)
{
    m_shadow->FollowLevelLight();
    if (Ball::s_highQuality)
        m_shadow->Render();
    const std::vector<int> hidden = m_clump->GetInvisibleAtomics();
    m_clump->SetInvisibleAtomics(hiddenAtomics);
    m_clump->Render();
    m_clump->SetInvisibleAtomics(hidden);
    if (GameSettings::Instance()->displayCollisionData)
        RenderCollisionData();
}

void Actor::RenderCollisionData() const
{
    WireframeCylinder cylinder;
    cylinder.radius = GetRadius();
    cylinder.length = GetHeight();
    cylinder.StandOn(GetPosition());
    cylinder.Render();
    WireframeSphere locator;
    const float ballRadius = CharacterActionPlayer::GetBallRadius();
    locator.radius = ballRadius > 0.0f ? ballRadius : kLocatorMarkRadius;
    locator.SetColor(kLocatorColour);
    locator.SetPosition(GetCarryPoint());
    locator.Render();
}
