#pragma once

#include "scene/RenderObject.h"

#include <cstdint>
#include <functional>
#include <list>
#include <string>
#include <vector>

class Light;
struct RpWorld;

// The level geometry with the lights and render objects that live in it. Drawing switches
// each object's light set on (dynamic or static) before it draws.
class World : public RenderObject {
public:
    // The exact light flags of each set: dynamic objects get the first, static ones the second.
    static constexpr uint32_t kDynamicSet = 0x101;
    static constexpr uint32_t kStaticSet = 0x102;

    World() = default;
    ~World() override;

    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // Writes and reads nothing.
    void Serialize(Serializer&, const char*) override {}
    void Render() override;
    void Update(float dt) override;
    bool UsesStaticLighting() const override { return true; }

    virtual void Reset() {}
    // Takes the lights out of the engine world and destroys it; lights and objects stay listed.
    virtual void DestroyWorld();
    virtual void Prepare(const std::string&, const std::string&) {}
    // False without an engine world, or with one whose textures were not all found.
    virtual bool Load(const std::string& worldFile, const std::string& textureFolder);
    virtual bool IsReady() const { return true; }

    // An empty world 2000 units wide round the origin, replacing the one held.
    bool CreateWorld();
    // Null before CreateWorld or Load and after DestroyWorld.
    RpWorld* GetRwWorld() const { return m_world; }

    // Borrowed; the same object may be added twice.
    bool AddRenderObject(RenderObject* object);
    // Removes the first entry; false (logged) when absent.
    bool RemoveRenderObject(RenderObject* object);
    // Borrowed; its engine light joins the engine world.
    bool AddLight(Light* light);
    bool RemoveLight(Light* light);
    void DisableLights();
    void SaveLightStates(std::vector<bool>& states) const;
    void RestoreLightStates(const std::vector<bool>& states);
    // Every dynamic light back into the engine world, every other one out.
    void ReattachLights();
    // Every object of the name, not only the first.
    void SetObjectVisible(const std::string& name, bool visible);

    const std::vector<Light*>& GetLights() const { return m_lights; }
    const std::list<RenderObject*>& GetRenderObjects() const { return m_objects; }

protected:
    // Adds or takes out the lights whose flags equal the set exactly.
    void MoveLights(uint32_t set, bool in);
    // The engine world with the light sets switched per object. The backdrop, when given, is
    // drawn after the opaque parts and before the transparent ones (see
    // RpWorldBeginHoldingTransparent); first of all without an engine world.
    void RenderWorld(const std::function<void()>& backdrop = nullptr);

    RpWorld* m_world = nullptr;
    std::list<RenderObject*> m_objects;
    std::vector<Light*> m_lights;
};
