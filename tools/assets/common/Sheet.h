#pragma once

// Contact-sheet helpers: an off-screen camera on the running GL device, and loading staged
// models the way the game does (file stream, chunk search, engine reader, textures from a
// folder).

#include "tools/assets/common/Mesh.h"
#include "tools/common/OffscreenCamera.h"

#include <string>

struct RpClump;
struct RpWorld;

namespace assets {

// The contact sheet's camera: an off-screen camera placed with the generators' frames.
class SheetCamera : public tools::OffscreenCamera {
public:
    // A perspective view of the given horizontal half-width at distance 1; the vertical one
    // follows the picture's shape. False when the engine refuses.
    bool Create(int width, int height, float viewWindow = 0.8f, float nearClip = 0.3f, float farClip = 500.0f);
    void Place(const Frame3& frame);
    void LookAt(Vec3 eye, Vec3 target) { Place(Frame3::LookAt(eye, target)); }
    // Clears and begins the update; false when the device refuses.
    bool Begin(Rgba clear);
};

// Makes the engine read PNG images (the game's renderer does the same at start-up).
bool RegisterImageReaders();

// Textures are searched in textureFolder (empty: not at all). Null with a message on failure.
RpClump* LoadClump(const std::string& path, const std::string& textureFolder);
RpWorld* LoadWorld(const std::string& path, const std::string& textureFolder);

}  // namespace assets
