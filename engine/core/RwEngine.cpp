#include "engine/core/RwInternal.h"
#include "engine/core/NullDevice.h"
#include "engine/core/RwTexture.h"

#include "framework/Debug.h"
#include "platform/DisplayModes.h"

#include <SDL.h>

#include <cctype>

namespace rwcore {

Globals& G()
{
    static Globals globals;
    return globals;
}

RwDevice* Device(const char* caller)
{
    if (!G().device)
        LogError("%s: engine not open\n", caller);
    return G().device;
}

bool EqualsNoCaseAscii(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b) {
        if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b)))
            return false;
    }
    return *a == *b;
}

}  // namespace rwcore

using namespace rwcore;

namespace {

constexpr RwUInt32 kVersion = (1u << 16) | (0u << 12) | (1u << 8);

struct DeviceEntry {
    RwDeviceKind kind;
    RwDeviceCreateFunc create;
};

std::vector<DeviceEntry>& DeviceRegistry()
{
    static std::vector<DeviceEntry> entries;
    return entries;
}

RwInt32 FormatForDepth(int bits)
{
    return bits == 16 ? rwRasterFormat565 : rwRasterFormat888;
}

void BuildVideoModes(const RwEngineOpenParams& params)
{
    std::vector<platform::DisplayMode> modes;
    if (params.device == rwDeviceNull) {
        modes = platform::FixedDisplayModes();
    } else {
        int display = 0;
        if (params.displayID) {
            display = SDL_GetWindowDisplayIndex(static_cast<SDL_Window*>(params.displayID));
            if (display < 0)
                display = 0;
        }
        modes = platform::GetDisplayModes(display);
    }
    G().modes.clear();
    for (const platform::DisplayMode& m : modes) {
        G().modes.push_back(
            {m.width, m.height, m.bits, rwVideoModeExclusive, m.refresh, FormatForDepth(m.bits)});
    }
}

}  // namespace

bool RwDeviceRegister(RwDeviceKind kind, RwDeviceCreateFunc create)
{
    if (!create || RwDeviceIsRegistered(kind))
        return false;
    DeviceRegistry().push_back({kind, create});
    return true;
}

bool RwDeviceIsRegistered(RwDeviceKind kind)
{
    for (const DeviceEntry& e : DeviceRegistry()) {
        if (e.kind == kind)
            return true;
    }
    return false;
}

RwDevice* RwDeviceGetCurrent()
{
    return G().device;
}

bool RwDeviceShowsPictures()
{
    const RwDevice* device = RwDeviceGetCurrent();
    return device && device->ShowsPictures();
}

void* RwEngineGetWindow()
{
    return G().state >= StateOpen ? G().params.displayID : nullptr;
}

RwNullDevice* RwNullDeviceGet()
{
    RwDevice* d = G().device;
    return d && d->GetKind() == rwDeviceNull ? static_cast<RwNullDevice*>(d) : nullptr;
}

RwBool RwEngineInit(const RwMemoryFunctions* /*memoryFunctions*/, RwUInt32 /*flags*/, RwUInt32 /*resourceArenaSize*/)
{
    // Objects come from the C++ heap; the arena and memory hooks have nothing to tune.
    if (G().state != StateTerminated) {
        LogError("RwEngineInit: engine already initialised\n");
        return false;
    }
    ResetPlugins();
    G().error = {};
    G().wantedMode = -1;
    G().refreshRate = 0;
    G().state = StateInitialised;
    return true;
}

RwBool RwEngineOpen(const RwEngineOpenParams* params)
{
    if (G().state != StateInitialised) {
        LogError("RwEngineOpen: engine not initialised or already open\n");
        return false;
    }
    if (!params) {
        LogError("RwEngineOpen: no open parameters\n");
        return false;
    }
    RwDevice* device = nullptr;
    if (params->device == rwDeviceNull) {
        device = new RwNullDevice();
    } else {
        if (!params->displayID) {
            LogError("RwEngineOpen: device %d needs a window\n", int(params->device));
            return false;
        }
        for (const DeviceEntry& e : DeviceRegistry()) {
            if (e.kind == params->device)
                device = e.create(*params);
        }
        if (!device) {
            LogError("RwEngineOpen: device %d is not available\n", int(params->device));
            return false;
        }
    }
    G().device = device;
    G().params = *params;
    G().frame = {};
    G().last = {};
    device->metrics = &G().frame;
    BuildVideoModes(*params);
    G().currentMode = 0;
    G().state = StateOpen;
    return true;
}

RwBool RwEngineStart()
{
    if (G().state != StateOpen) {
        LogError("RwEngineStart: engine not open or already started\n");
        return false;
    }
    const RwVideoMode* mode = nullptr;
    RwInt32 rate = 0;
    if (G().wantedMode >= 0 && G().wantedMode < RwInt32(G().modes.size())) {
        mode = &G().modes[G().wantedMode];
        rate = RwEngineChooseRefreshRate(G().wantedMode);
    }
    if (!G().device->Start(mode, rate)) {
        LogError("RwEngineStart: the device did not start\n");
        return false;
    }
    if (mode)
        G().currentMode = G().wantedMode;
    G().state = StateStarted;
    RwRenderStateReset();
    return true;
}

RwBool RwEngineStop()
{
    if (G().state != StateStarted)
        return false;
    ResetCameraState();
    G().device->Stop();
    G().state = StateOpen;
    return true;
}

RwBool RwEngineClose()
{
    if (G().state == StateStarted)
        RwEngineStop();
    if (G().state != StateOpen)
        return false;
    RwTexDictionarySetCurrent(nullptr);
    ResetCameraState();
    delete G().device;
    G().device = nullptr;
    G().modes.clear();
    G().state = StateInitialised;
    return true;
}

RwBool RwEngineTerm()
{
    if (G().state >= StateOpen)
        RwEngineClose();
    if (G().state != StateInitialised)
        return false;
    ResetPlugins();
    G().state = StateTerminated;
    return true;
}

RwInt32 RwEngineGetState()
{
    return G().state;
}

RwBool RwEngineStartUp(RwDeviceKind device, void* displayID, RwBool (*attach)())
{
    const RwEngineOpenParams params{displayID, device};
    // An engine already up belongs to someone else: leave it alone.
    if (!RwEngineInit(nullptr, 0, kEngineArenaBytes))
        return false;
    if ((!attach || attach()) && RwEngineOpen(&params) && RwEngineStart())
        return true;
    RwEngineShutDown();
    return false;
}

void RwEngineShutDown()
{
    if (G().state == StateStarted)
        RwEngineStop();
    if (G().state != StateTerminated)
        RwEngineTerm();
}

RwInt32 RwEngineGetNumVideoModes()
{
    return RwInt32(G().modes.size());
}

RwVideoMode* RwEngineGetVideoModeInfo(RwVideoMode* modeInfo, RwInt32 modeIndex)
{
    if (!modeInfo || modeIndex < 0 || modeIndex >= RwInt32(G().modes.size()))
        return nullptr;
    *modeInfo = G().modes[modeIndex];
    return modeInfo;
}

RwInt32 RwEngineGetCurrentVideoMode()
{
    return G().currentMode;
}

RwBool RwEngineSetVideoMode(RwInt32 modeIndex)
{
    if (G().state != StateOpen || modeIndex < 0 || modeIndex >= RwInt32(G().modes.size())) {
        LogError("RwEngineSetVideoMode: mode %d cannot be set now\n", modeIndex);
        return false;
    }
    G().wantedMode = modeIndex;
    return true;
}

RwBool RwD3D8EngineSetRefreshRate(RwUInt32 refreshRate)
{
    G().refreshRate = refreshRate;
    return true;
}

RwInt32 RwEngineChooseRefreshRate(RwInt32 modeIndex)
{
    if (modeIndex < 0 || modeIndex >= RwInt32(G().modes.size()))
        return 0;
    const RwVideoMode& mode = G().modes[modeIndex];
    const RwInt32 wanted = RwInt32(G().refreshRate);
    if (wanted <= 0)
        return mode.refRate;
    RwInt32 best = 0;
    for (const RwVideoMode& m : G().modes) {
        if (m.width != mode.width || m.height != mode.height || m.depth != mode.depth)
            continue;
        if (m.refRate == wanted)
            return wanted;
        if (m.refRate < wanted && m.refRate > best)
            best = m.refRate;
    }
    return best > 0 ? best : mode.refRate;
}

RwBool RwD3D8ChangeVideoMode(RwInt32 modeIndex)
{
    if (G().state != StateStarted || modeIndex < 0 || modeIndex >= RwInt32(G().modes.size())) {
        LogError("RwD3D8ChangeVideoMode: mode %d cannot be set now\n", modeIndex);
        return false;
    }
    if (!G().device->ChangeVideoMode(G().modes[modeIndex], RwEngineChooseRefreshRate(modeIndex))) {
        LogError("RwD3D8ChangeVideoMode: the device refused mode %d\n", modeIndex);
        return false;
    }
    G().currentMode = modeIndex;
    return true;
}

RwUInt32 RwEngineGetVersion()
{
    return kVersion;
}

RwMetrics* RwEngineGetMetrics()
{
    return G().state >= StateOpen ? &G().last : nullptr;
}

RwMetrics* RwEngineGetFrameMetrics()
{
    return &G().frame;
}

RwBool RwPaletteQuantizeSetDepth(RwInt32 depth)
{
    if (depth < 1 || depth > 8)
        return false;
    G().paletteDepth = depth;
    return true;
}

RwInt32 RwPaletteQuantizeGetDepth()
{
    return G().paletteDepth;
}

RwError* RwErrorGet(RwError* code)
{
    if (!code)
        return nullptr;
    *code = G().error;
    G().error = {};
    return code;
}

RwError* RwErrorSet(const RwError* code)
{
    if (!code)
        return nullptr;
    G().error = *code;
    return const_cast<RwError*>(code);
}
