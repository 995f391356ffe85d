#pragma once

// The light the tools' pictures are drawn in: one ambient light and one directional light
// (the sun), added to a world so that its clumps and sectors are lit by them.

#include "engine/core/RwTypes.h"

struct RpLight;
struct RpWorld;
struct RwFrame;

namespace tools {

class SceneLights {
public:
    SceneLights() = default;
    ~SceneLights();
    SceneLights(const SceneLights&) = delete;
    SceneLights& operator=(const SceneLights&) = delete;

    // The sun shines along direction (need not be unit length). The world is borrowed and must
    // outlive the lights or see Destroy first. False when the engine refuses; nothing is
    // left in the world then.
    bool Create(RpWorld* world, const RwRGBAReal& ambient, const RwRGBAReal& sun, const RwV3d& direction);
    // Takes the lights out of the world and destroys them; safe to call again.
    void Destroy();

    RpWorld* World() const { return m_world; }

private:
    RpWorld* m_world = nullptr;
    RpLight* m_ambient = nullptr;
    RpLight* m_sun = nullptr;
    RwFrame* m_sunFrame = nullptr;
};

}  // namespace tools
