#pragma once

// The first stadium as the scene tools show it: the game folder mounted as the game mounts
// it, the level's world with a soft fill and a low sun, and the primary camera drawn in along
// the main camera path towards the pitch.

#include "framework/Vector.h"
#include "scene/Light.h"

#include <string>

class PrimaryCamera;
struct RpWorld;

namespace tools::level {

inline constexpr const char* kConfigFile = "data\\pc\\config.txt";

// Works in the game folder, as the game does, with the archive mounted when there is one.
// False when the folder holds no game data.
bool MountGameData(const std::string& folder);
// The configured screen size, 800 x 600 when the configuration has none.
void ReadScreenSize(int& width, int& height);

// The world with its lights and the camera in it; released in the right order whatever
// failed on the way.
class LevelView {
public:
    LevelView() = default;
    ~LevelView();
    LevelView(const LevelView&) = delete;
    LevelView& operator=(const LevelView&) = delete;

    // Reads the world, puts the camera distance away from the point aimHeight above where the
    // main path's line of sight meets the pitch, looking along the path, and lights the
    // world. The text of what failed, empty on success.
    std::string Open(PrimaryCamera& camera, float distance, float aimHeight);

    RpWorld* World() const { return m_world; }
    // Where the path's line of sight meets the pitch, and the camera's viewing direction.
    const Vector3& Centre() const { return m_centre; }
    const Vector3& At() const { return m_at; }

private:
    bool AddLight(Light& light, const Color& color, float intensity);

    RpWorld* m_world = nullptr;
    RwCamera* m_camera = nullptr;
    AmbientLight m_ambient;
    DirectionalLight m_sun;
    Vector3 m_centre{0.0f, 0.0f, 0.0f};
    Vector3 m_at{0.0f, 0.0f, 1.0f};
};

// A rotation whose z axis is the direction, with y as near to up as it can be.
Quaternion FacingAlong(Vector3 direction);

}  // namespace tools::level
