#include "pitch/TBWorld.h"

#include "engine/world/RpCollision.h"
#include "framework/Cast.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "scene/Atmosphere.h"
#include "scene/Camera.h"
#include "scene/Light.h"
#include "scene/RwGraphics.h"
#include "simulation/Collidable.h"
#include "simulation/CollisionManager.h"

#include <algorithm>

namespace {

constexpr const char* kDisplayCast = "display";
constexpr const char* kCollisionSet = "ball+pitchvolumes";
constexpr const char* kAtmosphereNames[] = {"Fog", "Skydome", "Lensflares"};

Cast* DisplayCast()
{
    return CastManager::Instance()->GetCast(kDisplayCast);
}

std::string Expand(const std::string& name)
{
    return FileSystem::Instance()->ExpandAliases(name);
}

}  // namespace

TBWorld::TBWorld() = default;

TBWorld::~TBWorld()
{
    Unload();
    if (RwGraphics::Instance()->GetWorld() == this)
        RwGraphics::Instance()->SetWorld(nullptr);
    World::DestroyWorld();
}

bool TBWorld::IsLoaded(const std::string& worldFile, const std::string& textureFolder) const
{
    return m_loaded && Expand(worldFile) == m_worldName && Expand(textureFolder) == m_textureFolder;
}

void TBWorld::FreeEmptyWorld()
{
    if (!m_world)
        return;
    RwGraphics* graphics = RwGraphics::Instance();
    if (graphics->GetWorld() == this)
        graphics->SetWorld(nullptr);
    World::DestroyWorld();
}

bool TBWorld::Load(const std::string& worldFile, const std::string& textureFolder)
{
    if (IsLoaded(worldFile, textureFolder))
        return true;
    if (m_loaded)
        Unload();
    FreeEmptyWorld();
    const bool loaded = World::Load(worldFile, textureFolder);
    RwGraphics* graphics = RwGraphics::Instance();
    graphics->SetWorld(this);
    graphics->SetCamera(graphics->GetPrimaryCamera());
    if (loaded)
        CreateAtmosphere();
    if (!m_world)
        return false;
    AddCollision();
    m_worldName = Expand(worldFile);
    m_textureFolder = Expand(textureFolder);
    m_loaded = true;
    return loaded;
}

void TBWorld::CreateAtmosphere()
{
    m_fog = std::make_unique<Fog>();
    m_skydome = std::make_unique<Skydome>(m_night);
    m_lensflares = std::make_unique<Lensflares>();
    Cast* cast = DisplayCast();
    if (!cast) {
        LogWarning("TBWorld::Load: no cast \"%s\"; fog, sky dome and lens flares keep their defaults\n",
                   kDisplayCast);
        return;
    }
    cast->AddMember(m_fog.get(), kAtmosphereNames[0], false);
    cast->AddMember(m_skydome.get(), kAtmosphereNames[1], false);
    cast->AddMember(m_lensflares.get(), kAtmosphereNames[2], false);
}

void TBWorld::DestroyAtmosphere()
{
    if (Cast* cast = DisplayCast())
        for (const char* name : kAtmosphereNames)
            if (CastMember* member = cast->FindByName(name))
                cast->RemoveMember(member->object);
    // The sky dome lets go of its light only in the current world, and the game may have
    // made none current before its stadium goes.
    if (m_skydome) {
        const auto& lights = GetLights();
        if (std::find(lights.begin(), lights.end(), &m_skydome->GetLight()) != lights.end())
            RemoveLight(&m_skydome->GetLight());
    }
    m_fog.reset();
    m_skydome.reset();
    m_lensflares.reset();
}

void TBWorld::AddCollision()
{
    RpCollisionWorldBuildData(m_world, nullptr);
    m_collisionBuilt = true;
    m_collidable = std::make_unique<SimpleCollidable>(std::make_unique<WorldGeometry>(m_world));
    m_collidable->SetCollisionName("world");
    CollisionManager::Instance()->GetCollisionSet(kCollisionSet)->Add(m_collidable.get(), false);
}

void TBWorld::RemoveCollision()
{
    if (m_collisionBuilt && m_world)
        RpCollisionWorldDestroyData(m_world);
    m_collisionBuilt = false;
    if (!m_collidable)
        return;
    if (CollisionSet* set = CollisionManager::Instance()->FindCollisionSet(kCollisionSet))
        set->Remove(m_collidable.get());
    m_collidable.reset();
}

void TBWorld::Unload()
{
    if (!m_loaded)
        return;
    RemoveCollision();
    DestroyAtmosphere();
    RwGraphics* graphics = RwGraphics::Instance();
    if (graphics->GetWorld() == this) {
        graphics->SetCamera(nullptr);
        graphics->SetWorld(nullptr);
    }
    World::DestroyWorld();
    m_worldName.clear();
    m_textureFolder.clear();
    m_loaded = false;
}

void TBWorld::ShowShortBenches(bool visible)
{
    SetObjectVisible("short_benches", visible);
    SetObjectVisible("short_benches_shadow", visible);
}

void TBWorld::ShowBenches(bool visible)
{
    SetObjectVisible("benches", visible);
    SetObjectVisible("benches_shadow", visible);
}

void TBWorld::ShowSpectators(bool visible)
{
    for (const char* name : {"spec_mods_crowd", "Crowd", "flags", "flags_01", "flags_02", "flags_03"})
        SetObjectVisible(name, visible);
}

void TBWorld::Render()
{
    if (m_fog)
        m_fog->Render();
    // Behind the opaque stadium the sky shades only the pixels it shows.
    if (m_skydome)
        RenderWorld([this] { m_skydome->Draw(m_skyValue); });
    else
        World::Render();
    if (m_lensflares)
        m_lensflares->Render();
}

void TBWorld::Update(float dt)
{
    World::Update(dt);
    if (m_skydome) {
        m_skydome->SetPosition(RwGraphics::Instance()->GetCameraPosition());
        m_skydome->Update(dt);
    }
}
