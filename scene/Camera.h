#pragma once

#include "framework/Object.h"

#include <cstdint>

namespace platform {
class Window;
}

struct RwCamera;
struct RwFrame;
struct RwRaster;

// The scene's view onto the engine: one engine camera with its frame, its frame raster and
// an optional z-raster, all owned here.
class Camera : public Object {
public:
    Camera() = default;
    ~Camera() override;

    Camera(const Camera&) = delete;
    Camera& operator=(const Camera&) = delete;

    void Serialize(Serializer&, const char*) override {}

    // frameDepth 0, 16, 24 or 32 selects the raster format; another depth is logged and
    // the default format used. Nothing made by a failing call stays allocated.
    virtual bool Create(uint32_t width, uint32_t height, bool withZRaster, bool asTexture,
                        uint32_t frameDepth, uint32_t zDepth);
    // Releases the engine camera, its frame and both rasters; true also when there was none.
    virtual bool Destroy();

    virtual RwCamera* GetRwCamera() const { return m_camera; }
    // The frame raster's size; 0 without one.
    virtual float GetWidth() const;
    virtual float GetHeight() const;

    // Channels are truncated to bytes; flags are the engine's clear flags (1 image, 2 z).
    // These three are false without an engine camera.
    virtual bool Clear(const float colour[4], int32_t flags);
    virtual bool BeginUpdate();
    virtual bool EndUpdate();

    // The vertical extent given to the engine is corrected for the raster's aspect; the
    // stored y is the uncorrected value. Without an engine camera the view window and the
    // clip planes are only stored.
    virtual void SetViewWindow(float x, float y);
    virtual void GetViewWindow(float& x, float& y) const;
    virtual void SetClipPlanes(float nearClip, float farClip);
    virtual void GetClipPlanes(float& nearClip, float& farClip) const;
    // Resizes both rasters in place and re-applies the view window for the new aspect.
    virtual void SetSize(uint32_t width, uint32_t height);

    // Null before Create and after Destroy.
    virtual RwRaster* GetRaster() const;
    virtual RwRaster* GetZRaster() const;
    virtual RwFrame* GetFrame() const;
    virtual bool HasZRaster() const { return GetZRaster() != nullptr; }

protected:
    RwCamera* m_camera = nullptr;
    float m_viewWindowX = 0.0f;
    float m_viewWindowY = 0.0f;
    float m_nearClip = 0.0f;
    float m_farClip = 0.0f;
};

// The camera whose raster is shown in the render window.
class PrimaryCamera : public Camera {
public:
    // A camera raster of the default format with a z-raster of the default depth; the
    // window is borrowed and must outlive the camera.
    bool Create(uint32_t width, uint32_t height, platform::Window* window);
    using Camera::Create;
    // The screens and menus are laid out for a 4:3 window: a wider one shows more at the sides
    // (the horizontal extent widens) instead of cutting them off above and below.
    static constexpr float kLayoutAspect = 4.0f / 3.0f;
    void SetViewWindow(float x, float y) override;
    // False without an engine camera.
    bool ShowRaster();
    platform::Window* GetWindow() const { return m_window; }

private:
    platform::Window* m_window = nullptr;
};

// Fractions (0..1) of the parent camera's size.
struct CameraRect {
    float x = 0.0f;
    float y = 0.0f;
    float width = 0.0f;
    float height = 0.0f;
};

// Renders into a rectangle of another camera's rasters, sharing their memory; it must be
// destroyed before its parent.
class SubCamera : public Camera {
public:
    SubCamera() = default;
    ~SubCamera() override;

    bool Destroy() override;
    // The rectangle's share of the parent's size; 0 without a parent.
    float GetWidth() const override;
    float GetHeight() const override;

    // False (logged) without a parent or when the rectangle does not lie inside its rasters.
    virtual bool Create(Camera* parent, const CameraRect& rect, bool asTexture);
    // Destroy, then Create again on the stored parent and rectangle as a camera texture.
    virtual bool Recreate();
    using Camera::Create;

    Camera* GetParent() const { return m_parent; }
    const CameraRect& GetRect() const { return m_rect; }

private:
    Camera* m_parent = nullptr;
    RwRaster* m_subRaster = nullptr;
    RwRaster* m_subZRaster = nullptr;
    bool m_hasZRaster = false;
    CameraRect m_rect;
};
