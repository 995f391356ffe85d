#pragma once

// Cameras. A camera looks along its frame's at axis with up as screen up; screen x grows
// along at x up (the image is not mirrored for a right-handed world), screen y grows
// downwards. The view window is the half extent of the view at distance 1 (perspective) or
// in world units (parallel).

#include "engine/core/RwFrame.h"

struct RwRaster;
struct RpWorld;

enum RwCameraProjection : RwInt32 {
    rwNaProjection = 0,
    rwPerspective = 1,
    rwParallel = 2,
};

enum RwCameraClearMode : RwInt32 {
    rwCameraClearImage = 1,
    rwCameraClearZ = 2,
};

enum RwFrustumTestResult : RwInt32 {
    rwSphereOutside = 0,
    rwSphereBoundary = 1,
    rwSphereInside = 2,
};

struct RwCamera {
    RwObjectHasFrame object;
    RwInt32 projectionType;  // RwCameraProjection
    RwRaster* frameBuffer;   // assigned directly by callers
    RwRaster* zBuffer;
    RwV2d viewWindow;
    RwReal nearPlane;
    RwReal farPlane;
    RwReal fogPlane;  // distance where fog starts
    // World to view: a point becomes (X, Y, Z) with X / Z and Y / Z in 0..1 over the view for
    // perspective (X and Y themselves for parallel), Z the distance along at. Refreshed by
    // RwCameraBeginUpdate and RwCameraGetViewMatrix.
    RwMatrix viewMatrix;
    // The frame's LTM as last orthonormalised, and the result: culling asks for it per object.
    RwMatrix basisSource;
    RwMatrix basis;
    bool basisKnown;
    // Each atomic draws its low-detail mesh, where it has one that can stand in, however large.
    bool lowDetail;
    // Each atomic whose parts would all come out opaque and black (lit by no light, without
    // pre-lit colours) draws them as one untextured draw: for a shadow's casters.
    bool silhouettes;
    RpWorld* world;  // set by the world when the camera is added to it
    RwUInt8* pluginData;
};

// Perspective, view window 1 x 1, near 0.05, far 10, fog at 5, no frame or rasters.
RwCamera* RwCameraCreate();
RwBool RwCameraDestroy(RwCamera* camera);  // leaves its rasters and frame alone
RwCamera* RwCameraSetViewWindow(RwCamera* camera, const RwV2d* viewWindow);
RwCamera* RwCameraSetNearClipPlane(RwCamera* camera, RwReal nearPlane);
RwCamera* RwCameraSetFarClipPlane(RwCamera* camera, RwReal farPlane);
RwCamera* RwCameraSetFogDistance(RwCamera* camera, RwReal distance);
RwCamera* RwCameraSetProjection(RwCamera* camera, RwCameraProjection projection);  // null for others
RwCamera* RwCameraSetRaster(RwCamera* camera, RwRaster* raster);
RwCamera* RwCameraSetZRaster(RwCamera* camera, RwRaster* raster);
RwRaster* RwCameraGetRaster(const RwCamera* camera);
RwRaster* RwCameraGetZRaster(const RwCamera* camera);
RwFrame* RwCameraGetFrame(const RwCamera* camera);
RpWorld* RwCameraGetWorld(const RwCamera* camera);
// Recomputed from the frame's LTM; identity without a frame.
const RwMatrix* RwCameraGetViewMatrix(RwCamera* camera);
// World to clip space for the current frame LTM, column-major 4 x 4: x -1 at the left of the
// view, y +1 at the top, z -1 at the near and +1 at the far plane (w = distance for perspective).
void RwCameraGetClipMatrix(RwCamera* camera, RwReal out[16]);

// Makes the camera the drawing target; null on failure (no frame buffer, already updating).
RwCamera* RwCameraBeginUpdate(RwCamera* camera);
RwCamera* RwCameraEndUpdate(RwCamera* camera);
RwCamera* RwCameraGetCurrentCamera();
// Works inside and outside an update.
RwCamera* RwCameraClear(RwCamera* camera, const RwRGBA* colour, RwInt32 clearMode);
// Presents the frame buffer in the window (null: the window the engine was opened with);
// the raster keeps its pixels. Ends the metrics frame.
RwCamera* RwCameraShowRaster(RwCamera* camera, void* window, RwUInt32 flags);
// Against the view volume of the current frame LTM (works outside an update).
RwFrustumTestResult RwCameraFrustumTestSphere(RwCamera* camera, const RwSphere* sphere);
