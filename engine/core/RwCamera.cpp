#include "engine/core/RwCamera.h"

#include "engine/core/RwInternal.h"
#include "engine/core/RwPlugin.h"
#include "engine/core/RwRaster.h"

#include "framework/Debug.h"

#include <cmath>

namespace {

RwCamera* g_current = nullptr;

// The camera's position and unit axes in world space.
struct Basis {
    RwV3d right, up, at, pos;
};

bool SameAxes(const RwMatrix& a, const RwMatrix& b)
{
    const auto same = [](const RwV3d& p, const RwV3d& q) { return p.x == q.x && p.y == q.y && p.z == q.z; };
    return same(a.right, b.right) && same(a.up, b.up) && same(a.at, b.at) && same(a.pos, b.pos);
}

Basis CameraBasis(RwCamera* camera)
{
    RwFrame* frame = RwCameraGetFrame(camera);
    if (!frame)
        return {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 0}};
    const RwMatrix* ltm = RwFrameGetLTM(frame);
    if (!camera->basisKnown || !SameAxes(*ltm, camera->basisSource)) {
        RwMatrixOrthoNormalize(&camera->basis, ltm);
        camera->basisSource = *ltm;
        camera->basisKnown = true;
    }
    const RwMatrix& m = camera->basis;
    return {m.right, m.up, m.at, ltm->pos};
}

struct Local {
    RwReal x, y, z;
};

Local ToLocal(const Basis& b, const RwV3d& p)
{
    const RwV3d d = {p.x - b.pos.x, p.y - b.pos.y, p.z - b.pos.z};
    return {RwV3dDotProduct(&d, &b.right), RwV3dDotProduct(&d, &b.up), RwV3dDotProduct(&d, &b.at)};
}

RwReal SafeWindow(RwReal w)
{
    return std::fabs(w) > 1e-6f ? w : 1e-6f;
}

}  // namespace

void rwcore::ResetCameraState()
{
    g_current = nullptr;
    rwcore::ResetRasterContexts();
}

RwCamera* RwCameraCreate()
{
    auto* camera = new RwCamera{};
    camera->object.object.type = rwObjectTypeCamera;
    camera->projectionType = rwPerspective;
    camera->viewWindow = {1, 1};
    camera->nearPlane = 0.05f;
    camera->farPlane = 10.0f;
    camera->fogPlane = 5.0f;
    RwMatrixSetIdentity(&camera->viewMatrix);
    if (!RwPluginCreateExtension(rwPluginClassCamera, camera, &camera->pluginData)) {
        LogError("RwCameraCreate: a plugin refused the camera\n");
        delete camera;
        return nullptr;
    }
    return camera;
}

RwBool RwCameraDestroy(RwCamera* camera)
{
    if (!camera)
        return false;
    if (g_current == camera)
        RwCameraEndUpdate(camera);
    RwObjectHasFrameSetFrame(camera, nullptr);
    RwPluginDestroyExtension(rwPluginClassCamera, camera, camera->pluginData);
    delete camera;
    return true;
}

RwCamera* RwCameraSetViewWindow(RwCamera* camera, const RwV2d* viewWindow)
{
    camera->viewWindow = *viewWindow;
    return camera;
}

RwCamera* RwCameraSetNearClipPlane(RwCamera* camera, RwReal nearPlane)
{
    camera->nearPlane = nearPlane;
    return camera;
}

RwCamera* RwCameraSetFarClipPlane(RwCamera* camera, RwReal farPlane)
{
    camera->farPlane = farPlane;
    return camera;
}

RwCamera* RwCameraSetFogDistance(RwCamera* camera, RwReal distance)
{
    camera->fogPlane = distance;
    return camera;
}

RwCamera* RwCameraSetProjection(RwCamera* camera, RwCameraProjection projection)
{
    if (projection != rwPerspective && projection != rwParallel)
        return nullptr;
    camera->projectionType = projection;
    return camera;
}

RwCamera* RwCameraSetRaster(RwCamera* camera, RwRaster* raster)
{
    camera->frameBuffer = raster;
    return camera;
}

RwCamera* RwCameraSetZRaster(RwCamera* camera, RwRaster* raster)
{
    camera->zBuffer = raster;
    return camera;
}

RwRaster* RwCameraGetRaster(const RwCamera* camera) { return camera->frameBuffer; }
RwRaster* RwCameraGetZRaster(const RwCamera* camera) { return camera->zBuffer; }
RwFrame* RwCameraGetFrame(const RwCamera* camera) { return RwObjectGetFrame(camera); }
RpWorld* RwCameraGetWorld(const RwCamera* camera) { return camera->world; }

const RwMatrix* RwCameraGetViewMatrix(RwCamera* camera)
{
    const Basis b = CameraBasis(camera);
    const RwReal sx = -0.5f / SafeWindow(camera->viewWindow.x);
    const RwReal sy = -0.5f / SafeWindow(camera->viewWindow.y);
    const bool parallel = camera->projectionType == rwParallel;
    // Columns of the view matrix: X = sx * lx + c * lz (+ 0.5 when parallel), Y likewise,
    // Z = lz, with l the camera-local coordinates.
    const RwReal c = parallel ? 0.0f : 0.5f;
    RwMatrix& v = camera->viewMatrix;
    const RwV3d cx = {sx * b.right.x + c * b.at.x, sx * b.right.y + c * b.at.y, sx * b.right.z + c * b.at.z};
    const RwV3d cy = {sy * b.up.x + c * b.at.x, sy * b.up.y + c * b.at.y, sy * b.up.z + c * b.at.z};
    const RwV3d cz = b.at;
    v.right = {cx.x, cy.x, cz.x};
    v.up = {cx.y, cy.y, cz.y};
    v.at = {cx.z, cy.z, cz.z};
    v.pos = {-RwV3dDotProduct(&b.pos, &cx) + (parallel ? 0.5f : 0.0f),
             -RwV3dDotProduct(&b.pos, &cy) + (parallel ? 0.5f : 0.0f), -RwV3dDotProduct(&b.pos, &cz)};
    v.flags = 0;
    return &v;
}

void RwCameraGetClipMatrix(RwCamera* camera, RwReal out[16])
{
    const Basis b = CameraBasis(camera);
    const RwReal n = camera->nearPlane, f = camera->farPlane;
    const RwReal depth = std::fabs(f - n) > 1e-6f ? f - n : 1e-6f;
    const RwReal wx = SafeWindow(camera->viewWindow.x), wy = SafeWindow(camera->viewWindow.y);
    // Rows of the world-to-local transform: (axis, -axis . pos).
    const RwReal lx[4] = {b.right.x, b.right.y, b.right.z, -RwV3dDotProduct(&b.right, &b.pos)};
    const RwReal ly[4] = {b.up.x, b.up.y, b.up.z, -RwV3dDotProduct(&b.up, &b.pos)};
    const RwReal lz[4] = {b.at.x, b.at.y, b.at.z, -RwV3dDotProduct(&b.at, &b.pos)};
    RwReal rows[4][4];
    for (int i = 0; i < 4; ++i) {
        // Screen x grows against the right axis (see the header).
        rows[0][i] = -lx[i] / wx;
        rows[1][i] = ly[i] / wy;
        if (camera->projectionType == rwParallel) {
            rows[2][i] = 2 * lz[i] / depth;
            rows[3][i] = 0;
        } else {
            rows[2][i] = lz[i] * (f + n) / depth;
            rows[3][i] = lz[i];
        }
    }
    if (camera->projectionType == rwParallel) {
        rows[2][3] -= (f + n) / depth;
        rows[3][3] = 1;
    } else {
        rows[2][3] -= 2 * f * n / depth;
    }
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col)
            out[col * 4 + row] = rows[row][col];
    }
}

RwCamera* RwCameraBeginUpdate(RwCamera* camera)
{
    RwDevice* device = rwcore::Device("RwCameraBeginUpdate");
    if (!camera || !device)
        return nullptr;
    if (g_current) {
        LogError("RwCameraBeginUpdate: another camera is being updated\n");
        return nullptr;
    }
    if (!camera->frameBuffer || !rwcore::SyncRasterSize(camera->frameBuffer) ||
        (camera->zBuffer && !rwcore::SyncRasterSize(camera->zBuffer))) {
        LogError("RwCameraBeginUpdate: the camera has no usable frame buffer\n");
        return nullptr;
    }
    RwCameraGetViewMatrix(camera);
    if (!device->BeginCameraUpdate(camera))
        return nullptr;
    g_current = camera;
    return camera;
}

RwCamera* RwCameraEndUpdate(RwCamera* camera)
{
    if (!camera || g_current != camera)
        return nullptr;
    RwImDrawHeld();
    RwIm3DEnd();
    if (RwDevice* device = RwDeviceGetCurrent())
        device->EndCameraUpdate(camera);
    g_current = nullptr;
    return camera;
}

RwCamera* RwCameraGetCurrentCamera()
{
    return g_current;
}

RwCamera* RwCameraClear(RwCamera* camera, const RwRGBA* colour, RwInt32 clearMode)
{
    RwDevice* device = rwcore::Device("RwCameraClear");
    if (!camera || !colour || !device || !camera->frameBuffer)
        return nullptr;
    if (!rwcore::SyncRasterSize(camera->frameBuffer) || (camera->zBuffer && !rwcore::SyncRasterSize(camera->zBuffer)))
        return nullptr;
    return device->ClearCamera(camera, *colour, clearMode) ? camera : nullptr;
}

RwCamera* RwCameraShowRaster(RwCamera* camera, void* window, RwUInt32 flags)
{
    RwDevice* device = rwcore::Device("RwCameraShowRaster");
    if (!camera || !device || !camera->frameBuffer || !rwcore::SyncRasterSize(camera->frameBuffer))
        return nullptr;
    if (!window)
        window = RwEngineGetWindow();
    const bool ok = device->ShowRaster(camera, window, flags);
    rwcore::G().last = rwcore::G().frame;
    rwcore::G().frame = {};
    return ok ? camera : nullptr;
}

RwFrustumTestResult RwCameraFrustumTestSphere(RwCamera* camera, const RwSphere* sphere)
{
    const Basis b = CameraBasis(camera);
    const Local l = ToLocal(b, sphere->center);
    const RwReal r = sphere->radius;
    RwReal d[6];
    d[0] = camera->nearPlane - l.z;
    d[1] = l.z - camera->farPlane;
    if (camera->projectionType == rwParallel) {
        d[2] = l.x - camera->viewWindow.x;
        d[3] = -l.x - camera->viewWindow.x;
        d[4] = l.y - camera->viewWindow.y;
        d[5] = -l.y - camera->viewWindow.y;
    } else {
        // Side planes through the eye: |x| <= w * z, as distances along their unit normals.
        const RwReal wx = camera->viewWindow.x, wy = camera->viewWindow.y;
        const RwReal kx = 1 / std::sqrt(1 + wx * wx), ky = 1 / std::sqrt(1 + wy * wy);
        d[2] = (l.x - wx * l.z) * kx;
        d[3] = (-l.x - wx * l.z) * kx;
        d[4] = (l.y - wy * l.z) * ky;
        d[5] = (-l.y - wy * l.z) * ky;
    }
    RwFrustumTestResult result = rwSphereInside;
    for (RwReal dist : d) {
        if (dist > r)
            return rwSphereOutside;
        if (dist > -r)
            result = rwSphereBoundary;
    }
    return result;
}
