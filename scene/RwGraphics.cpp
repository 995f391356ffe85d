#include "scene/RwGraphics.h"

#include "engine/bridge/EngineBridge.h"
#include "engine/core/RwCore.h"
#include "framework/Debug.h"
#include "platform/Window.h"
#include "scene/Camera.h"
#include "scene/EnginePlugins.h"
#include "scene/World.h"

#if TB_HAVE_ENGINE_PLUGINS
#include "engine/world/RpWorld.h"
#endif

#include <cstring>
#include <exception>

namespace {

// The wanted full-screen refresh rate; the engine takes the nearest lower one it offers.
constexpr uint32_t kFullScreenRefreshRate = 85;

RwTextureCallBackRead g_previousTextureRead = nullptr;

const char* const kCounterWatchNames[RwGraphics::kCounterCount] = {
    "Triangles",
    "Processed Triangles",
    "Vertices",
    "Texture Uploads",
    "Size Texture Uploads",
    "Resource Allocs",
    "Lights Changed",
    "Material Changes",
    "Render State Changes",
    "Texture Stage State Changes",
    "VB Switches",
};

}  // namespace

RwGraphics::~RwGraphics() = default;

bool RwGraphics::Initialise(platform::Window* window)
{
    if (!window) {
        LogError("RwGraphics::Initialise: Invalid window specified.\n");
        return false;
    }
    m_window = window;
    if (!RwEngineInit(nullptr, 0, kEngineArenaBytes)) {
        LogError("RwGraphics::Initialise: Rendering Engine failed to initialise.\n");
        return false;
    }
    if (!AttachEnginePlugins()) {
        RwEngineTerm();
        return false;
    }

    const RwEngineOpenParams params = {window->GetSDLWindow(), m_deviceKind};
    if (!RwEngineOpen(&params)) {
        LogError("\nRwGraphics::Initialise: Failed to open library.\n");
        RwEngineTerm();
        return false;
    }

    ChooseVideoMode();
    if (m_fullScreen) {
        RwD3D8EngineSetRefreshRate(kFullScreenRefreshRate);
        RwEngineSetVideoMode(m_chosenMode);
    }

    if (!RwEngineStart()) {
        LogError("\nRwGraphics::Initialise: Failed to start engine.\n");
        RwEngineClose();
        RwEngineTerm();
        return false;
    }
    const uint32_t version = RwEngineGetVersion();
    LogMessage("Rendering engine v%x.%x.%x initialised.\n", version >> 16, (version >> 12) & 0xf,
               (version >> 8) & 0xf);

    RegisterEngineImageFormats();
    InstallTextureReadCallBack();

    if (!m_watchesAdded) {
        for (int i = 0; i < kCounterCount; ++i)
            Debug::Instance()->AddWatch(kCounterWatchNames[i], &m_counters[i], "Render Metrics");
        m_watchesAdded = true;
    }

    m_primaryCamera = new PrimaryCamera();
    if (m_primaryCamera->Create(uint32_t(m_width), uint32_t(m_height), window)) {
        m_primaryCamera->SetViewWindow(0.8f, 0.8f);
        m_primaryCamera->SetClipPlanes(0.1f, 10000.0f);
    } else {
        // Nothing can be drawn without it; the caller treats a false start as fatal.
        LogError("RwGraphics::Initialise: Failed to create the primary camera.\n");
        delete m_primaryCamera;
        m_primaryCamera = nullptr;
    }
    m_camera = nullptr;

    if (RtFSManagerOpen(-1))
        m_fileSystemManagerOpened = true;
    m_fileSystemInstalled = RwInstallFileSystem();
    if (!m_fileSystemInstalled)
        LogError("RwGraphics::Initialise: Failed to install the file system.\n");

    // Marked even without a primary camera, so that Destroy stops the engine.
    m_initialised = true;
    return m_primaryCamera != nullptr;
}

void RwGraphics::ChooseVideoMode()
{
    int bestDepth = 0;
    m_chosenMode = 0;
    m_videoModes.clear();
    LogMessage("available video modes:\n");
    const int modeCount = RwEngineGetNumVideoModes();
    for (int i = 0; i < modeCount; ++i) {
        RwVideoMode mode;
        if (!RwEngineGetVideoModeInfo(&mode, i))
            continue;
        if (mode.width == m_width && mode.height == m_height && mode.depth > bestDepth) {
            bestDepth = mode.depth;
            m_chosenMode = i;
        }
        m_videoModes.push_back(mode);
        LogMessage("\t%d: %dx%dx%d %dHz format: %d %s\n", i, mode.width, mode.height, mode.depth,
                   mode.refRate, mode.format, (mode.flags & rwVideoModeExclusive) ? "(EXCLUSIVE)" : "");
    }
}

void RwGraphics::Destroy()
{
    if (m_fileSystemInstalled) {
        VantaroFileSystem::Uninstall();
        m_fileSystemInstalled = false;
    }
    if (m_fileSystemManagerOpened) {
        RtFSManagerClose();
        m_fileSystemManagerOpened = false;
    }
    try {
        RemoveCameraFromWorld();
        if (m_primaryCamera) {
            delete m_primaryCamera;
            m_primaryCamera = nullptr;
        }
        if (m_textureReadInstalled) {
            RwTextureSetReadCallBack(g_previousTextureRead);
            g_previousTextureRead = nullptr;
            m_textureReadInstalled = false;
        }
        if (m_initialised) {
            m_initialised = false;
            RwEngineStop();
            RwEngineClose();
            RwEngineTerm();
            LogMessage("Rendering engine exited gracefully.\n");
        }
    } catch (const std::exception& e) {
        LogError("RwGraphics::Destroy: Exception encountered on destruction.\n");
        LogMessage("\t%s\n", e.what());
    } catch (...) {
        LogError("RwGraphics::Destroy: Exception encountered on destruction.\n");
    }
}

bool RwGraphics::BeginRender()
{
    // The window needs no paint bracket of its own: the frame is shown by Render.
    return true;
}

bool RwGraphics::Render()
{
    if (!m_primaryCamera)
        return true;
    try {
        if (const RwMetrics* metrics = RwEngineGetMetrics()) {
            m_counters[kTriangles] = metrics->numTriangles;
            m_counters[kProcessedTriangles] = metrics->numProcTriangles;
            m_counters[kVertices] = metrics->numVertices;
            m_counters[kTextureUploads] = metrics->numTextureUploads;
            m_counters[kSizeTextureUploads] = metrics->sizeTextureUploads;
            m_counters[kResourceAllocs] = metrics->numResourceAllocs;
            m_counters[kLightsChanged] = metrics->device.numLightsChanged;
            m_counters[kMaterialChanges] = metrics->device.numMaterialChanges;
            m_counters[kRenderStateChanges] = metrics->device.numRenderStateChanges;
            m_counters[kTextureStageStateChanges] = metrics->device.numTextureStageStateChanges;
            m_counters[kVBSwitches] = metrics->device.numVBSwitches;
        }
        m_primaryCamera->ShowRaster();
    } catch (...) {
        LogError("RwGraphics::Render: Exception occurred.\n");
        LogError("\tPossibly due to old clump requiring skin and bone animation.\n");
        return false;
    }
    return true;
}

void RwGraphics::RemoveCameraFromWorld()
{
#if TB_HAVE_ENGINE_PLUGINS
    if (m_camera && m_camera->GetRwCamera()) {
        RwCamera* camera = m_camera->GetRwCamera();
        if (RpWorld* world = RwCameraGetWorld(camera))
            RpWorldRemoveCamera(world, camera);
    }
#endif
}

void RwGraphics::SetCamera(Camera* camera)
{
    if (m_world)
        RemoveCameraFromWorld();
    m_camera = camera;
#if TB_HAVE_ENGINE_PLUGINS
    if (camera && camera->GetRwCamera() && m_world && m_world->GetRwWorld())
        RpWorldAddCamera(m_world->GetRwWorld(), camera->GetRwCamera());
#endif
}

void RwGraphics::SetWorld(World* world)
{
    Camera* camera = m_camera;
    if (m_world)
        SetCamera(nullptr);
    m_world = world;
    // Without a new world the camera only stays current.
    SetCamera(camera);
}

const Vector3& RwGraphics::GetCameraPosition()
{
    if (m_camera && m_camera->GetFrame()) {
        const RwMatrix* ltm = RwFrameGetLTM(m_camera->GetFrame());
        m_cameraPosition = Vector3{ltm->pos.x, ltm->pos.y, ltm->pos.z};
    }
    return m_cameraPosition;
}

float RwGraphics::GetDistanceToCamera(const Vector3& point)
{
    return (point - GetCameraPosition()).Length();
}

const Matrix3& RwGraphics::GetCameraMatrix()
{
    if (m_camera && m_camera->GetFrame())
        m_cameraMatrix = Math::Matrix3FromRwMatrix(RwFrameGetMatrix(m_camera->GetFrame()));
    return m_cameraMatrix;
}

void RwGraphics::InstallTextureReadCallBack()
{
    if (m_textureReadInstalled)
        return;
    g_previousTextureRead = RwTextureGetReadCallBack();
    RwTextureSetReadCallBack(&RwGraphics::TextureReadCallBack);
    m_textureReadInstalled = true;
}

RwTexture* RwGraphics::TextureReadCallBack(const char* name, const char* maskName)
{
    return ReadTextureDdsFirst(name, maskName, g_previousTextureRead);
}
