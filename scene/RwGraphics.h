#pragma once

#include "engine/core/RwEngine.h"
#include "framework/Matrix3.h"
#include "framework/Singleton.h"
#include "framework/Vector.h"

#include <cstdint>
#include <vector>

namespace platform {
class Window;
}

class Camera;
class PrimaryCamera;
class World;
struct RwTexture;

// The renderer: brings the engine up on the render window with its plugins, owns the
// primary camera, keeps the current camera and world, publishes the render counters as
// watches and shows each finished frame.
class RwGraphics : public Singleton<RwGraphics> {
public:
    RwGraphics() = default;
    ~RwGraphics() override;

    // Set by the application before Initialise.
    void SetScreenSize(int width, int height)
    {
        m_width = width;
        m_height = height;
    }
    void SetFullScreen(bool fullScreen) { m_fullScreen = fullScreen; }
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    bool IsFullScreen() const { return m_fullScreen; }
    // The engine device to open; GL unless a test asks for another.
    void SetDeviceKind(RwDeviceKind kind) { m_deviceKind = kind; }

    // The window is borrowed and must outlive Destroy. False (logged) without a window or
    // when the engine or the primary camera cannot be made.
    bool Initialise(platform::Window* window);
    // Undoes what Initialise did, each step only once and only when it was done.
    void Destroy();
    bool IsInitialised() const { return m_initialised; }

    // Nothing to prepare: the frame is shown by Render.
    bool BeginRender();
    // Copies the frame's counters and shows the primary camera's raster in the window. True
    // without a primary camera; false when the engine threw.
    bool Render();

    // Null before Initialise, after Destroy, or when it could not be made.
    PrimaryCamera* GetPrimaryCamera() const { return m_primaryCamera; }
    Camera* GetCamera() const { return m_camera; }
    World* GetWorld() const { return m_world; }
    // Both are borrowed and must stay alive while they are set.
    void SetCamera(Camera* camera);
    void SetWorld(World* world);

    // Where the current camera's frame is; without a camera, where the last one was.
    const Vector3& GetCameraPosition();
    float GetDistanceToCamera(const Vector3& point);
    const Matrix3& GetCameraMatrix();

    const std::vector<RwVideoMode>& GetVideoModes() const { return m_videoModes; }
    // The mode Initialise chose for the wanted size (0 when none matched).
    int GetChosenVideoMode() const { return m_chosenMode; }

    // Installs the DDS-first texture reader, keeping the one it replaces as the fallback.
    void InstallTextureReadCallBack();

    // Render counters of the last shown frame, in watch order.
    enum Counter {
        kTriangles,
        kProcessedTriangles,
        kVertices,
        kTextureUploads,
        kSizeTextureUploads,
        kResourceAllocs,
        kLightsChanged,
        kMaterialChanges,
        kRenderStateChanges,
        kTextureStageStateChanges,
        kVBSwitches,
        kCounterCount
    };
    uint32_t GetCounter(Counter counter) const { return m_counters[counter]; }

private:
    static RwTexture* TextureReadCallBack(const char* name, const char* maskName);
    void RemoveCameraFromWorld();
    // Lists the device's modes into the log and m_videoModes, choosing the deepest one of the
    // asked size (mode 0 when none has it).
    void ChooseVideoMode();

    int m_width = 0;
    int m_height = 0;
    bool m_fullScreen = false;
    bool m_initialised = false;
    platform::Window* m_window = nullptr;
    RwDeviceKind m_deviceKind = rwDeviceGL;
    PrimaryCamera* m_primaryCamera = nullptr;
    Camera* m_camera = nullptr;
    Matrix3 m_cameraMatrix;
    Vector3 m_cameraPosition{0.0f, 0.0f, 0.0f};
    World* m_world = nullptr;
    std::vector<RwVideoMode> m_videoModes;
    int m_chosenMode = 0;
    uint32_t m_counters[kCounterCount] = {};

    // What Initialise did, so that Destroy undoes exactly that.
    bool m_fileSystemInstalled = false;
    bool m_fileSystemManagerOpened = false;
    bool m_textureReadInstalled = false;
    bool m_watchesAdded = false;
};
