#pragma once

// The first stadium as the scene tools show it: the game folder mounted as the game mounts
// it, the level's world with a soft fill and a low sun, and the primary camera drawn in along
// the main camera path towards the pitch.

#include "framework/Vector.h"
#include "scene/Light.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

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
    // The way the sun's light travels.
    const Vector3& SunDirection() const { return m_sunDirection; }

private:
    bool AddLight(Light& light, const Color& color, float intensity);

    RpWorld* m_world = nullptr;
    RwCamera* m_camera = nullptr;
    AmbientLight m_ambient;
    DirectionalLight m_sun;
    Vector3 m_centre{0.0f, 0.0f, 0.0f};
    Vector3 m_at{0.0f, 0.0f, 1.0f};
    Vector3 m_sunDirection{0.0f, -1.0f, 0.0f};
};

// A rotation whose z axis is the direction, with y as near to up as it can be.
Quaternion FacingAlong(Vector3 direction);

// The camera's picture as an opaque PNG; false when it cannot be read or written.
bool SavePng(PrimaryCamera& camera, const std::string& path);
// Since the time point.
double Milliseconds(std::chrono::steady_clock::time_point from);

// What a scene tool was asked for: pictures under a prefix, or benchmark figures.
struct ShotRequest {
    std::string folder;
    std::string prefix;  // absolute
    bool bench = false;
    int frames = 0;  // the bench's frames; 0 for the mode's own count
    std::string picture;  // absolute; where a bench that can writes its last frame, or empty
};
// Reads "<tool> <game folder> <out prefix>" or "<tool> --bench <game folder> [--frames N]
// [picture.png]" (N at least 1); false, with the usage or the fault on stderr, for anything else.
bool ReadShotRequest(const char* tool, int argc, char** argv, ShotRequest& request);

// Mounts the game data, brings the renderer up offscreen at the size, opens the level with the
// camera that far from its aim point and runs the body; the body's exit code, else 1 with what
// failed on stderr. The renderer's camera is the primary one while the body runs.
int RunOnLevel(const char* tool, const std::string& folder, int width, int height, float distance,
               float aimHeight, const std::function<int(PrimaryCamera&, LevelView&)>& body);

// The modes of scene_shot that draw more than its one frame: each reads its arguments from
// argv[1] on ("<game folder> <out prefix>" or "--bench <game folder>" for the first three)
// and returns the exit code.
int ParticleShot(int argc, char** argv);
int ElementShot(int argc, char** argv);
int ShadowShot(int argc, char** argv);
// The pitch volumes from above, and a ball thrown at a post: "<game folder> <out.png>".
int VolumeShot(int argc, char** argv);
// Every stadium from the broadcast camera, checked: "<game folder> <out folder>".
int StadiumShot(int argc, char** argv);
// The views of a match standing still on every stadium: "<game folder> <out folder> [situation]".
int ViewsShot(int argc, char** argv);

}  // namespace tools::level
