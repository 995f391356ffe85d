#pragma once

// Contact-sheet helpers: an off-screen camera on the running GL device, loading staged
// models the way the game does (file stream, chunk search, engine reader, textures from a
// folder), and saving what the camera drew as a PNG.

#include "tools/assets/common/Mesh.h"

#include <string>

struct RpClump;
struct RpWorld;
struct RpLight;
struct RwCamera;
struct RwFrame;
struct RwRaster;
struct RtAnimAnimation;

namespace assets {

class SheetCamera {
public:
    SheetCamera() = default;
    ~SheetCamera();
    SheetCamera(const SheetCamera&) = delete;
    SheetCamera& operator=(const SheetCamera&) = delete;

    // Rasters of the size, perspective view of the given horizontal half-width at distance 1.
    bool Create(int width, int height, float viewWindow = 0.8f, float nearClip = 0.3f, float farClip = 500.0f);
    void Place(const Frame3& frame);
    void LookAt(Vec3 eye, Vec3 target) { Place(Frame3::LookAt(eye, target)); }
    // Clears and begins the update; false when the device refuses.
    bool Begin(Rgba clear);
    void End();
    bool SavePng(const std::string& path) const;
    RwCamera* Camera() const { return m_camera; }

private:
    RwCamera* m_camera = nullptr;
    RwFrame* m_frame = nullptr;
    RwRaster* m_raster = nullptr;
    RwRaster* m_zRaster = nullptr;
    int m_width = 0, m_height = 0;
};

// Makes the engine read PNG images (the game's renderer does the same at start-up).
bool RegisterImageReaders();

// Textures are searched in textureFolder (empty: not at all). Null with a message on failure.
RpClump* LoadClump(const std::string& path, const std::string& textureFolder);
RpWorld* LoadWorld(const std::string& path, const std::string& textureFolder);

// A world to render clumps in (their lights come from it): an ambient and one directional
// light. Destroy with DestroyLitWorld.
struct LitWorld {
    RpWorld* world = nullptr;
    RpLight* ambient = nullptr;
    RpLight* sun = nullptr;
    RwFrame* sunFrame = nullptr;
};
LitWorld CreateLitWorld(RpWorld* world, Vec3 lightDirection, float ambient, float diffuse);
void DestroyLitWorld(LitWorld& lit, bool destroyWorld);

}  // namespace assets
