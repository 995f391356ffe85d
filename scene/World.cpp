#include "scene/World.h"

#include "engine/core/RwDevice.h"
#include "engine/world/RpLight.h"
#include "engine/world/RpWorld.h"
#include "framework/Debug.h"
#include "scene/Light.h"

#include <algorithm>

World::~World()
{
    World::DestroyWorld();
}

bool World::CreateWorld()
{
    if (m_world)
        RpWorldDestroy(m_world);
    const RwBBox box{{1000.0f, 1000.0f, 1000.0f}, {-1000.0f, -1000.0f, -1000.0f}};
    m_world = RpWorldCreate(&box);
    if (!m_world) {
        DebugTrace("Engine::CreateWorld: Failed.\n");
        return false;
    }
    return true;
}

bool World::Load(const std::string& worldFile, const std::string& textureFolder)
{
    DestroyWorld();
    RwImageSetPath(textureFolder.c_str());
    RwStream* stream = RwStreamOpen(rwStreamFileName, rwStreamRead, worldFile.c_str());
    if (!stream) {
        LogError("Engine::LoadWorld: failed to load stream.\n");
        return false;
    }
    if (!RwStreamFindChunk(stream, rwChunkWorld, nullptr, nullptr)) {
        LogError("Engine::LoadWorld: Failed to find chunk in loaded stream.\n");
        RwStreamClose(stream, nullptr);
        return false;
    }
    RwError error{};
    RwErrorGet(&error);
    m_world = RpWorldStreamRead(stream);
    if (!m_world) {
        LogError("Engine::LoadWorld: Failed to extract world from stream.\n");
        RwStreamClose(stream, nullptr);
        return false;
    }
    RwErrorGet(&error);
    RwStreamClose(stream, nullptr);
    if (error.errorCode == rwErrorTextureMissing) {
        LogWarning("Engine::LoadWorld: (Warning) failed to load all textures.\n");
        return false;
    }
    return true;
}

void World::DestroyWorld()
{
    if (!m_world)
        return;
    for (Light* light : m_lights)
        if (light->GetRwLight() && RpLightGetWorld(light->GetRwLight()) == m_world)
            RpWorldRemoveLight(m_world, light->GetRwLight());
    RpWorldDestroy(m_world);
    m_world = nullptr;
}

bool World::AddRenderObject(RenderObject* object)
{
    m_objects.push_back(object);
    return true;
}

bool World::RemoveRenderObject(RenderObject* object)
{
    const auto found = std::find(m_objects.begin(), m_objects.end(), object);
    if (found == m_objects.end()) {
        LogWarning("World::RemoveRenderObject object not found\n");
        return false;
    }
    m_objects.erase(found);
    return true;
}

bool World::AddLight(Light* light)
{
    m_lights.push_back(light);
    if (m_world && light->GetRwLight())
        RpWorldAddLight(m_world, light->GetRwLight());
    return true;
}

bool World::RemoveLight(Light* light)
{
    const auto found = std::find(m_lights.begin(), m_lights.end(), light);
    if (found == m_lights.end()) {
        LogWarning("World::RemoveLight light not found\n");
        return false;
    }
    if (RpLight* engineLight = light->GetRwLight())
        if (RpWorld* world = RpLightGetWorld(engineLight))
            RpWorldRemoveLight(world, engineLight);
    m_lights.erase(found);
    return true;
}

void World::DisableLights()
{
    for (Light* light : m_lights)
        light->Disable();
}

void World::SaveLightStates(std::vector<bool>& states) const
{
    states.clear();
    for (const Light* light : m_lights)
        states.push_back(light->IsEnabled());
}

void World::RestoreLightStates(const std::vector<bool>& states)
{
    for (size_t i = 0; i < m_lights.size() && i < states.size(); ++i)
        m_lights[i]->SetEnabled(states[i]);
}

void World::ReattachLights()
{
    // Without an engine world there is nothing to move the lights into or out of.
    if (!m_world)
        return;
    for (Light* light : m_lights) {
        RpLight* engineLight = light->GetRwLight();
        if (!engineLight)
            continue;
        if (RpWorld* world = RpLightGetWorld(engineLight))
            RpWorldRemoveLight(world, engineLight);
        if (light->GetFlags() & Light::kDynamicLighting)
            RpWorldAddLight(m_world, engineLight);
    }
}

void World::SetObjectVisible(const std::string& name, bool visible)
{
    for (RenderObject* object : m_objects)
        if (object->GetName() == name)
            object->SetVisible(visible);
}

void World::MoveLights(uint32_t set, bool in)
{
    for (Light* light : m_lights) {
        RpLight* engineLight = light->GetRwLight();
        if (!engineLight || light->GetFlags() != set)
            continue;
        RpWorld* world = RpLightGetWorld(engineLight);
        if (in && !world)
            RpWorldAddLight(m_world, engineLight);
        else if (!in && world)
            RpWorldRemoveLight(world, engineLight);
    }
}

void World::RenderWorld(const std::function<void()>& backdrop)
{
    if (!m_world) {
        if (backdrop)
            backdrop();
        for (RenderObject* object : m_objects)
            object->Render();
        return;
    }
    // Alpha-tested and blended parts wait for every opaque one, so that hidden pixels of them
    // fail the depth test instead of being shaded.
    void (*draw)(void*) = [](void* data) { (*static_cast<const std::function<void()>*>(data))(); };
    RpWorldBeginHoldingTransparent(backdrop ? draw : nullptr, const_cast<std::function<void()>*>(&backdrop));
    RpWorldRender(m_world);
    // The sectors' picture is drawn while the objects are still being sent.
    if (RwDevice* device = RwDeviceGetCurrent(); device && !m_objects.empty())
        device->StartWork();
    bool currentStatic = true;
    MoveLights(kDynamicSet, false);
    for (RenderObject* object : m_objects) {
        const bool isStatic = object->UsesStaticLighting();
        if (isStatic != currentStatic) {
            MoveLights(isStatic ? kStaticSet : kDynamicSet, true);
            MoveLights(isStatic ? kDynamicSet : kStaticSet, false);
            currentStatic = isStatic;
        }
        object->Render();
    }
    MoveLights(currentStatic ? kDynamicSet : kStaticSet, true);
    RpWorldEndHoldingTransparent();
}

void World::Render()
{
    RenderWorld();
}

void World::Update(float dt)
{
    ReattachLights();
    for (RenderObject* object : m_objects)
        object->Update(dt);
}
