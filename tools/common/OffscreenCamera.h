#pragma once

// An engine camera that draws into rasters of its own, for pictures made off screen: its
// frame, colour raster and depth raster come and go with it. The engine must be running
// on a device that renders (the GL device) for Begin to draw anything.

#include "engine/core/RwMatrix.h"

#include <string>

struct RwCamera;
struct RwFrame;
struct RwImage;
struct RwRaster;

namespace tools {

// The image as an opaque PNG file: blending leaves its own alpha in a raster, and the picture
// is what was seen. The alpha is set in place. False when the file cannot be written.
bool SaveOpaquePng(RwImage& image, const std::string& path);
// What the camera's raster holds as a PNG file: opaque (as SaveOpaquePng), or with the
// raster's own alpha. False when the camera (may be null) has no raster or the file cannot
// be written.
bool SaveCameraPng(RwCamera* camera, const std::string& path, bool opaque = true);

// A placement at eye looking at target, screen up as near to +y as it can be.
RwMatrix LookAtMatrix(const RwV3d& eye, const RwV3d& target);

class OffscreenCamera {
public:
    OffscreenCamera() = default;
    ~OffscreenCamera();
    OffscreenCamera(const OffscreenCamera&) = delete;
    OffscreenCamera& operator=(const OffscreenCamera&) = delete;

    // Rasters of the size (rasterType: a camera raster, or a camera texture another pass
    // draws with) and a perspective view whose window is viewX by viewY at distance 1. False
    // when the engine refuses any part; the camera is then unusable.
    bool Create(RwInt32 width, RwInt32 height, RwReal viewX, RwReal viewY, RwReal nearClip, RwReal farClip,
                RwInt32 rasterType);
    // The camera's placement in the world (right, up, at, pos).
    void Place(const RwMatrix& matrix);
    // Placed at eye, looking at target, with screen up as near to +y as it can be.
    void LookAt(const RwV3d& eye, const RwV3d& target);
    // Clears both rasters and begins the update; false when the device refuses (End is then
    // not needed).
    bool Begin(const RwRGBA& clear);
    void End();
    // What the camera last drew, as a depth-32 image the caller destroys; null on failure.
    RwImage* Grab() const;
    // The picture as an opaque PNG file; false (logged) when it could not be read or written.
    bool SavePng(const std::string& path) const;

    RwCamera* Camera() const { return m_camera; }
    RwRaster* Raster() const { return m_raster; }
    RwInt32 Width() const { return m_width; }
    RwInt32 Height() const { return m_height; }

private:
    void Destroy();

    RwCamera* m_camera = nullptr;
    RwFrame* m_frame = nullptr;
    RwRaster* m_raster = nullptr;
    RwRaster* m_zRaster = nullptr;
    RwInt32 m_width = 0, m_height = 0;
};

}  // namespace tools
