#include "support/EngineTestSupport.h"

#include "engine/core/RwInternal.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(EngineTest, LifeCycleRunsInOrderOnlyAndSetsTheFullScreenModeAtTheStart)
{
    LogCapture log;
    const RwEngineOpenParams params{nullptr, rwDeviceNull};
    EXPECT_FALSE(RwEngineOpen(&params));  // before Init
    ASSERT_TRUE(RwEngineInit(nullptr, 0, kEngineArenaBytes));
    EXPECT_FALSE(RwEngineInit(nullptr, 0, kEngineArenaBytes));
    EXPECT_FALSE(RwEngineStart());
    EXPECT_FALSE(RwEngineSetVideoMode(1));  // not open yet
    EXPECT_FALSE(RwEngineOpen(nullptr));
    ASSERT_TRUE(RwEngineOpen(&params));
    EXPECT_FALSE(RwEngineOpen(&params));
    EXPECT_EQ(RwEngineGetState(), 2);
    EXPECT_FALSE(RwEngineSetVideoMode(3));
    EXPECT_TRUE(RwEngineSetVideoMode(1));
    RwD3D8EngineSetRefreshRate(60);
    ASSERT_TRUE(RwEngineStart());
    EXPECT_FALSE(RwEngineStart());
    RwNullDevice* device = RwNullDeviceGet();
    EXPECT_TRUE(device->started);
    EXPECT_EQ((std::vector<RwInt32>{device->mode.width, device->refreshRate, RwEngineGetCurrentVideoMode()}),
              (std::vector<RwInt32>{1024, 60, 1}));
    EXPECT_FALSE(RwEngineSetVideoMode(0));  // only before the start
    EXPECT_TRUE(RwEngineStop());
    EXPECT_FALSE(device->started);
    EXPECT_FALSE(RwEngineStop());
    EXPECT_TRUE(RwEngineClose());
    EXPECT_EQ(RwNullDeviceGet(), nullptr);
    EXPECT_EQ(RwEngineGetMetrics(), nullptr);
    EXPECT_TRUE(RwEngineTerm());
    EXPECT_FALSE(RwEngineTerm());
    EXPECT_EQ(RwEngineGetState(), 0);
}

TEST(EngineTest, StartUpBringsTheEngineUpOrLeavesItAsItWas)
{
    LogCapture log;
    EXPECT_FALSE(RwEngineStartUp(rwDeviceNull, nullptr, []() -> RwBool { return false; }));  // attach refused
    EXPECT_EQ(RwEngineGetState(), 0);
    EXPECT_FALSE(RwEngineStartUp(rwDeviceGL));  // no window
    EXPECT_EQ(RwEngineGetState(), 0);
    ASSERT_TRUE(RwEngineStartUp(rwDeviceNull));
    EXPECT_EQ(RwEngineGetState(), 3);
    EXPECT_FALSE(RwEngineStartUp(rwDeviceNull));  // someone else's engine stays up
    EXPECT_EQ(RwEngineGetState(), 3);
    RwEngineShutDown();
    EXPECT_EQ(RwEngineGetState(), 0);
    // Shut down from half way too.
    ASSERT_TRUE(RwEngineInit(nullptr, 0, kEngineArenaBytes));
    RwEngineShutDown();
    EXPECT_EQ(RwEngineGetState(), 0);
}

void* g_openedWith = nullptr;

// Stands in for a device library's registrar: the engine reaches it only through the registry.
RwDevice* CreateStandIn(const RwEngineOpenParams& params)
{
    g_openedWith = params.displayID;
    return new RwNullDevice;
}

TEST(EngineTest, OtherDevicesAreFoundThroughTheirRegistrationAndNeedAWindow)
{
    ASSERT_FALSE(RwDeviceIsRegistered(rwDeviceGL));  // this program links no GL device
    LogCapture log;
    ASSERT_TRUE(RwEngineInit(nullptr, 0, kEngineArenaBytes));
    int window = 0;
    const RwEngineOpenParams gl{&window, rwDeviceGL};
    EXPECT_FALSE(RwEngineOpen(&gl));
    EXPECT_TRUE(log.Contains("not available"));

    EXPECT_FALSE(RwDeviceRegister(rwDeviceGL, nullptr));
    EXPECT_TRUE(RwDeviceRegister(rwDeviceGL, CreateStandIn));
    EXPECT_FALSE(RwDeviceRegister(rwDeviceGL, CreateStandIn));
    const RwEngineOpenParams noWindow{nullptr, rwDeviceGL};
    EXPECT_FALSE(RwEngineOpen(&noWindow));
    EXPECT_TRUE(log.Contains("needs a window"));
    EXPECT_EQ(RwEngineGetWindow(), nullptr);
    ASSERT_TRUE(RwEngineOpen(&gl));
    EXPECT_EQ(g_openedWith, &window);
    EXPECT_EQ(RwEngineGetWindow(), &window);
    EXPECT_NE(RwDeviceGetCurrent(), nullptr);
    RwEngineTerm();
}

int g_constructed = 0, g_destroyed = 0;

TEST(EngineTest, PluginsAttachOnlyBetweenInitAndOpenAndOnlyOnce)
{
    LogCapture log;
    EXPECT_EQ(RwEngineRegisterPlugin(rwPluginClassFrame, 0x999, 4, nullptr, nullptr, nullptr), -1);
    ASSERT_TRUE(RwEngineInit(nullptr, 0, kEngineArenaBytes));
    const RwPluginConstructor construct = [](void*, void* data, RwInt32 size) -> RwBool {
        std::memset(data, 0x5a, static_cast<size_t>(size));
        return ++g_constructed > 0;
    };
    const RwPluginDestructor destruct = [](void*, void*, RwInt32) { ++g_destroyed; };
    const RwInt32 first = RwEngineRegisterPlugin(rwPluginClassFrame, 0x900, 4, construct, destruct, nullptr);
    const RwInt32 second = RwEngineRegisterPlugin(rwPluginClassFrame, 0x901, 8, nullptr, nullptr, nullptr);
    EXPECT_EQ((std::vector<RwInt32>{first, second}), (std::vector<RwInt32>{0, 8}));  // 8-byte aligned
    EXPECT_EQ(RwEngineRegisterPlugin(rwPluginClassFrame, 0x900, 4, nullptr, nullptr, nullptr), -1);
    EXPECT_TRUE(log.Contains("0x900"));
    EXPECT_EQ(RwEngineRegisterPlugin(rwPluginClassFrame, 0x902, -1, nullptr, nullptr, nullptr), -1);
    // The same id on another class is a separate attachment.
    EXPECT_GE(RwEngineRegisterPlugin(rwPluginClassTexture, 0x900, 4, nullptr, nullptr, nullptr), 0);
    const RwEngineOpenParams params{nullptr, rwDeviceNull};
    ASSERT_TRUE(RwEngineOpen(&params));
    EXPECT_EQ(RwEngineRegisterPlugin(rwPluginClassCamera, 0x902, 4, nullptr, nullptr, nullptr), -1);
    EXPECT_TRUE(log.Contains("between RwEngineInit and RwEngineOpen"));
    EXPECT_EQ(RwEngineRegisterPluginStream(rwPluginClassFrame, 0x901, nullptr, nullptr, nullptr), -1);
    EXPECT_EQ(RwEngineGetPluginOffset(rwPluginClassFrame, 0x901), second);
    EXPECT_EQ(RwEngineGetPluginOffset(rwPluginClassCamera, 0x902), -1);
    EXPECT_TRUE(RwEngineIsPluginAttached(0x901));
    // Frames carry the plugin data: zeroed, then filled by the constructor; destroyed with the frame.
    RwFrame* frame = RwFrameCreate();
    ASSERT_NE(frame->pluginData, nullptr);
    EXPECT_EQ(frame->pluginData[first], 0x5a);
    EXPECT_EQ(frame->pluginData[second], 0);
    RwFrameDestroy(frame);
    EXPECT_EQ((std::vector<int>{g_constructed, g_destroyed}), (std::vector<int>{1, 1}));
    RwEngineTerm();
    // A new session starts with no plugins.
    ASSERT_TRUE(RwEngineInit(nullptr, 0, kEngineArenaBytes));
    EXPECT_FALSE(RwEngineIsPluginAttached(0x900));
    RwEngineTerm();
}

TEST(EngineTest, ExtensionChunksReachTheirPluginAndUnknownOnesAreSkipped)
{
    ASSERT_TRUE(RwEngineInit(nullptr, 0, kEngineArenaBytes));
    // The plugin's data is one tag, read and written as it is.
    const RwPluginStreamRead read = [](RwStream* stream, RwUInt32 length, void*, void* data) -> RwBool {
        return length == 4 && RwStreamReadUInt32(stream, static_cast<RwUInt32*>(data), 1);
    };
    const RwPluginStreamWrite write = [](RwStream* stream, const void*, const void* data) -> RwBool {
        return RwStreamWriteUInt32(stream, static_cast<const RwUInt32*>(data), 1) != nullptr;
    };
    const RwPluginStreamSize size = [](const void*, const void*) -> RwUInt32 { return 4; };
    RwEngineRegisterPlugin(rwPluginClassFrame, 0x202, 4, nullptr, nullptr, nullptr);  // ours is not first
    const RwInt32 offset = RwEngineRegisterPlugin(rwPluginClassFrame, 0x203, 4, nullptr, nullptr, nullptr);
    ASSERT_GE(RwEngineRegisterPluginStream(rwPluginClassFrame, 0x203, read, write, size), 0);
    EXPECT_EQ(RwEngineRegisterPluginStream(rwPluginClassFrame, 0x204, read, write, size), -1);
    RwFrame* frame = RwFrameCreate();
    *reinterpret_cast<RwUInt32*>(frame->pluginData + offset) = 0xfeedbeef;
    // An extension with an unknown plugin chunk, then ours; then the one the plugin writes.
    EXPECT_EQ(RwPluginStreamExtensionSize(rwPluginClassFrame, frame, frame->pluginData), 12u + 12 + 4);
    const std::vector<RwUInt8> bytes = Written([frame](RwStream* w) {
        const RwUInt32 junk[2] = {1, 2}, tag = 0x12345678;
        RwStreamWriteChunkHeader(w, rwChunkExtension, 1, 20 + 16);
        RwStreamWriteChunkHeader(w, 0x777, 1, 8);
        RwStreamWriteUInt32(w, junk, 2);
        RwStreamWriteChunkHeader(w, 0x203, 1, 4);
        RwStreamWriteUInt32(w, &tag, 1);
        EXPECT_TRUE(RwPluginStreamWriteExtension(rwPluginClassFrame, w, frame, frame->pluginData));
    });
    RwFrame* copy = RwFrameCreate();
    Reader r(bytes);
    RwUInt32 length, version;
    for (RwUInt32 expected : {0x12345678u, 0xfeedbeefu}) {
        ASSERT_TRUE(RwStreamFindChunk(r.stream, rwChunkExtension, &length, &version));
        ASSERT_TRUE(RwPluginStreamReadExtension(rwPluginClassFrame, r.stream, length, copy, copy->pluginData));
        EXPECT_EQ(*reinterpret_cast<RwUInt32*>(copy->pluginData + offset), expected);
    }
    EXPECT_EQ(RwStreamGetRemaining(r.stream), 0);
    // A plugin chunk that claims more than its extension holds is refused.
    Reader bad({bytes.begin(), bytes.begin() + 12 + 12});
    reinterpret_cast<RwUInt32*>(bad.bytes.data())[2] = 12;      // extension: 12 bytes
    reinterpret_cast<RwUInt32*>(bad.bytes.data() + 12)[2] = 8;  // child claims 8 more than left
    ASSERT_TRUE(RwStreamFindChunk(bad.stream, rwChunkExtension, &length, &version));
    LogCapture log;
    EXPECT_FALSE(RwPluginStreamReadExtension(rwPluginClassFrame, bad.stream, length, copy, copy->pluginData));
    EXPECT_TRUE(log.Contains("exceeds its extension"));
    RwFrameDestroy(frame);
    RwFrameDestroy(copy);
    RwEngineTerm();
}

TEST(EngineTest, VideoModesAndTheRefreshRateChosenForThem)
{
    ScopedEngine engine;
    ASSERT_EQ(RwEngineGetNumVideoModes(), 3);
    RwVideoMode mode;
    ASSERT_NE(RwEngineGetVideoModeInfo(&mode, 1), nullptr);
    EXPECT_EQ((std::vector<RwInt32>{mode.width, mode.height, mode.depth, static_cast<RwInt32>(mode.flags)}),
              (std::vector<RwInt32>{1024, 768, 32, rwVideoModeExclusive}));
    LogCapture log;
    EXPECT_TRUE(RwD3D8ChangeVideoMode(2));
    EXPECT_EQ(RwNullDeviceGet()->mode.width, 1280);
    EXPECT_EQ(RwNullDeviceGet()->modeChanges, 1);
    for (RwInt32 bad : {-1, 3}) {
        EXPECT_EQ(RwEngineGetVideoModeInfo(&mode, bad), nullptr) << bad;
        EXPECT_FALSE(RwD3D8ChangeVideoMode(bad)) << bad;
    }
    EXPECT_EQ(RwEngineGetCurrentVideoMode(), 2);
    // The rate wanted when a mode of that size and depth offers it, else the highest lower
    // one, else the mode's own.
    rwcore::G().modes = {{640, 480, 32, 1, 60, 0}, {640, 480, 32, 1, 75, 0}, {640, 480, 32, 1, 100, 0},
                         {800, 600, 32, 1, 85, 0}, {640, 480, 16, 1, 72, 0}};
    for (auto [wanted, chosen] :
         {std::pair{0u, 60}, {75u, 75}, {85u, 75}, {72u, 60}, {100u, 100}, {120u, 100}, {50u, 60}}) {
        RwD3D8EngineSetRefreshRate(wanted);
        EXPECT_EQ(RwEngineChooseRefreshRate(0), chosen) << wanted;
    }
    EXPECT_EQ(RwEngineChooseRefreshRate(5), 0);
    EXPECT_EQ(RwEngineChooseRefreshRate(-1), 0);
    RwD3D8EngineSetRefreshRate(0);
}

}  // namespace
