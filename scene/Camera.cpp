#include "scene/Camera.h"

#include "engine/core/RwCore.h"
#include "framework/Debug.h"
#include "platform/Window.h"
#include "scene/ProjectedShadow.h"

Camera::~Camera()
{
    if (m_camera)
        Camera::Destroy();
}

bool Camera::Create(uint32_t width, uint32_t height, bool withZRaster, bool asTexture,
                    uint32_t frameDepth, uint32_t zDepth)
{
    RwInt32 format = rwRasterFormatDefault;
    RwInt32 depth = RwInt32(frameDepth);
    switch (frameDepth) {
    case 0:
        break;
    case 16:
        format = rwRasterFormat565;
        break;
    case 24:
        // Three-byte pixels are padded to four.
        format = rwRasterFormat888;
        depth = 32;
        break;
    case 32:
        format = rwRasterFormat8888;
        break;
    default:
        LogError("Camera::Create wrong frameDepth: %d\n", int(frameDepth));
        break;
    }

    const RwInt32 type = asTexture ? rwRasterTypeCameraTexture : rwRasterTypeCamera;
    RwRaster* raster = RwRasterCreate(RwInt32(width), RwInt32(height), depth, format | type);
    if (!raster) {
        LogError("Camera::Create: Error, can't create the frame-raster!\n");
        return false;
    }
    RwRaster* zRaster = nullptr;
    if (withZRaster) {
        zRaster = RwRasterCreate(RwInt32(width), RwInt32(height), RwInt32(zDepth), rwRasterTypeZBuffer);
        if (!zRaster) {
            LogError("Camera::Create: Error, can't create the z-raster!\n");
            RwRasterDestroy(raster);
            return false;
        }
    }
    RwFrame* frame = RwFrameCreate();
    if (!frame) {
        LogError("Camera::Create: Failed to create a frame!\n");
        RwRasterDestroy(zRaster);
        RwRasterDestroy(raster);
        return false;
    }
    RwCamera* camera = RwCameraCreate();
    if (!camera) {
        LogError("Camera::Create: Error, can't create the camera!\n");
        RwFrameDestroy(frame);
        RwRasterDestroy(zRaster);
        RwRasterDestroy(raster);
        return false;
    }
    RwCameraSetRaster(camera, raster);
    if (zRaster)
        RwCameraSetZRaster(camera, zRaster);
    RwObjectHasFrameSetFrame(camera, frame);
    m_camera = camera;
    return true;
}

bool Camera::Destroy()
{
    if (!m_camera)
        return true;
    if (RwRaster* raster = RwCameraGetRaster(m_camera)) {
        RwCameraSetRaster(m_camera, nullptr);
        RwRasterDestroy(raster);
    }
    if (RwRaster* zRaster = RwCameraGetZRaster(m_camera)) {
        RwCameraSetZRaster(m_camera, nullptr);
        RwRasterDestroy(zRaster);
    }
    if (RwFrame* frame = RwCameraGetFrame(m_camera)) {
        RwObjectHasFrameSetFrame(m_camera, nullptr);
        RwFrameDestroy(frame);
    }
    RwCameraDestroy(m_camera);
    m_camera = nullptr;
    return true;
}

float Camera::GetWidth() const
{
    const RwRaster* raster = GetRaster();
    return raster ? float(raster->width) : 0.0f;
}

float Camera::GetHeight() const
{
    const RwRaster* raster = GetRaster();
    return raster ? float(raster->height) : 0.0f;
}

bool Camera::Clear(const float colour[4], int32_t flags)
{
    if (!m_camera)
        return false;
    // Shadow textures are finished before this target's work begins, which they would split.
    ProjectedShadow::FinishTextures(m_camera);
    const RwRGBA bytes = {RwUInt8(colour[0] * 255.0f), RwUInt8(colour[1] * 255.0f),
                          RwUInt8(colour[2] * 255.0f), RwUInt8(colour[3] * 255.0f)};
    return RwCameraClear(m_camera, &bytes, flags) != nullptr;
}

bool Camera::BeginUpdate()
{
    if (!m_camera)
        return false;
    // The frame's shadows are laid down inside the update, where no other target can be drawn.
    ProjectedShadow::FinishTextures(m_camera);
    return RwCameraBeginUpdate(m_camera) != nullptr;
}

bool Camera::EndUpdate()
{
    return m_camera && RwCameraEndUpdate(m_camera) != nullptr;
}

void Camera::SetViewWindow(float x, float y)
{
    m_viewWindowX = x;
    m_viewWindowY = y;
    const float width = GetWidth();
    const float height = GetHeight();
    const float aspect = (width == 0.0f || height == 0.0f) ? 1.0f : width / height;
    if (m_camera) {
        const RwV2d window = {x, y / aspect};
        RwCameraSetViewWindow(m_camera, &window);
    }
}

void Camera::GetViewWindow(float& x, float& y) const
{
    x = m_viewWindowX;
    y = m_viewWindowY;
}

void Camera::SetClipPlanes(float nearClip, float farClip)
{
    m_nearClip = nearClip;
    m_farClip = farClip;
    if (m_camera) {
        RwCameraSetNearClipPlane(m_camera, nearClip);
        RwCameraSetFarClipPlane(m_camera, farClip);
    }
}

void Camera::GetClipPlanes(float& nearClip, float& farClip) const
{
    nearClip = m_nearClip;
    farClip = m_farClip;
}

void Camera::SetSize(uint32_t width, uint32_t height)
{
    // The engine reallocates a raster whose size changed at its next use.
    if (RwRaster* raster = GetRaster()) {
        raster->width = RwInt32(width);
        raster->height = RwInt32(height);
    }
    if (RwRaster* zRaster = GetZRaster()) {
        zRaster->width = RwInt32(width);
        zRaster->height = RwInt32(height);
    }
    SetViewWindow(m_viewWindowX, m_viewWindowY);
}

RwRaster* Camera::GetRaster() const
{
    return m_camera ? RwCameraGetRaster(m_camera) : nullptr;
}

RwRaster* Camera::GetZRaster() const
{
    return m_camera ? RwCameraGetZRaster(m_camera) : nullptr;
}

RwFrame* Camera::GetFrame() const
{
    return m_camera ? RwCameraGetFrame(m_camera) : nullptr;
}

bool PrimaryCamera::Create(uint32_t width, uint32_t height, platform::Window* window)
{
    m_window = window;
    return Camera::Create(width, height, true, false, 0, 0);
}

void PrimaryCamera::SetViewWindow(float x, float y)
{
    Camera::SetViewWindow(x, y);
    const float width = GetWidth(), height = GetHeight();
    if (!m_camera || height <= 0.0f || width / height <= kLayoutAspect)
        return;
    const RwV2d window = {x * (width / height) / kLayoutAspect, y / kLayoutAspect};
    RwCameraSetViewWindow(m_camera, &window);
}

bool PrimaryCamera::ShowRaster()
{
    return m_camera && RwCameraShowRaster(m_camera, m_window ? m_window->GetSDLWindow() : nullptr, 0) != nullptr;
}

SubCamera::~SubCamera()
{
    if (m_camera)
        SubCamera::Destroy();
}

bool SubCamera::Create(Camera* parent, const CameraRect& rect, bool asTexture)
{
    m_parent = parent;
    m_rect = rect;
    m_hasZRaster = parent && parent->HasZRaster();
    if (!parent || !Camera::Create(0, 0, m_hasZRaster, asTexture, 0, 0)) {
        LogError("SubCamera::Create: Failed to Create the Subcamera!\n");
        return false;
    }
    const float parentWidth = parent->GetWidth();
    const float parentHeight = parent->GetHeight();
    const RwRect pixels = {RwInt32(parentWidth * rect.x), RwInt32(parentHeight * rect.y),
                           RwInt32(parentWidth * rect.width), RwInt32(parentHeight * rect.height)};
    m_subRaster = RwRasterSubRaster(GetRaster(), parent->GetRaster(), &pixels);
    if (!m_subRaster) {
        LogError("SubCamera::Create: RwRasterSubRaster (for Raster) failed!\n");
        return false;
    }
    if (m_hasZRaster) {
        m_subZRaster = RwRasterSubRaster(GetZRaster(), parent->GetZRaster(), &pixels);
        if (!m_subZRaster) {
            LogError("SubCamera::Create: RwRasterSubRaster (for ZRaster) failed!\n");
            return false;
        }
    }
    return true;
}

bool SubCamera::Destroy()
{
    m_subRaster = nullptr;
    m_subZRaster = nullptr;
    return Camera::Destroy();
}

bool SubCamera::Recreate()
{
    Destroy();
    return Create(m_parent, m_rect, true);
}

float SubCamera::GetWidth() const
{
    return m_parent ? m_parent->GetWidth() * m_rect.width : 0.0f;
}

float SubCamera::GetHeight() const
{
    return m_parent ? m_parent->GetHeight() * m_rect.height : 0.0f;
}
