#pragma once

#include "scene/World.h"

#include <memory>
#include <string>

class Fog;
class Lensflares;
class SimpleCollidable;
class Skydome;

// The stadium of a match: the level's world with its collision in "ball+pitchvolumes", the
// sky dome, fog and lens flares registered in the cast "display", and the dressing shown or
// hidden by name.
class TBWorld : public World {
public:
    TBWorld();
    ~TBWorld() override;

    void Render() override;
    void Update(float dt) override;
    // The engine world goes only through Unload.
    void DestroyWorld() override {}
    // True at once when the same names (after alias expansion) are loaded. False when the
    // world could not be read (then there is no engine world, nothing counts as loaded and
    // the next call tries again) or when some of its textures were missing (the world is
    // kept and counts as loaded, without atmosphere). Either way the world and the primary
    // camera become current.
    bool Load(const std::string& worldFile, const std::string& textureFolder) override;
    // Returns to the empty state: no engine world, no atmosphere, no collision.
    virtual void Unload();

    bool IsLoaded(const std::string& worldFile, const std::string& textureFolder) const;
    bool IsLoaded() const { return m_loaded; }

    void ShowShortBenches(bool visible);
    void ShowBenches(bool visible);
    void ShowSpectators(bool visible);

    // The night dome is made at the next load.
    void SetNight(bool night) { m_night = night; }
    bool IsNight() const { return m_night; }
    // How far the night dome is faded in, 0..1.
    void SetSkyValue(float value) { m_skyValue = value; }
    float GetSkyValue() const { return m_skyValue; }

    // Null until a load made them.
    Fog* GetFog() const { return m_fog.get(); }
    Skydome* GetSkydome() const { return m_skydome.get(); }
    Lensflares* GetLensflares() const { return m_lensflares.get(); }
    SimpleCollidable* GetWorldCollidable() const { return m_collidable.get(); }

private:
    void CreateAtmosphere();
    void DestroyAtmosphere();
    void AddCollision();
    void RemoveCollision();
    // The empty world a new TBWorld may hold, once the camera and lights have left it.
    void FreeEmptyWorld();

    std::unique_ptr<Fog> m_fog;
    std::unique_ptr<Skydome> m_skydome;
    std::unique_ptr<Lensflares> m_lensflares;
    bool m_night = false;
    float m_skyValue = 0.0f;
    std::unique_ptr<SimpleCollidable> m_collidable;
    bool m_collisionBuilt = false;
    bool m_loaded = false;
    std::string m_worldName;
    std::string m_textureFolder;
};
