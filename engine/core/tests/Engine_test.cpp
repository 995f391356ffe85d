#include "support/EngineTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct Counters {
    int constructed = 0, destroyed = 0, copied = 0;
};
Counters g_counts;

RwBool Construct(void*, void* data, RwInt32 size)
{
    ++g_counts.constructed;
    std::memset(data, 0x5a, size_t(size));
    return true;
}
void Destruct(void*, void*, RwInt32) { ++g_counts.destroyed; }

RwBool ReadTag(RwStream* stream, RwUInt32 length, void*, void* data)
{
    return length == 4 && RwStreamReadUInt32(stream, static_cast<RwUInt32*>(data), 1);
}
RwBool WriteTag(RwStream* stream, const void*, const void* data)
{
    return RwStreamWriteUInt32(stream, static_cast<const RwUInt32*>(data), 1) != nullptr;
}
RwUInt32 TagSize(const void*, const void*) { return 4; }

TEST(EngineTest, LifeCycleRunsInOrderOnly)
{
    LogCapture log;
    RwEngineOpenParams params{nullptr, rwDeviceNull};
    EXPECT_FALSE(RwEngineOpen(&params));  // before Init
    ASSERT_TRUE(RwEngineInit(nullptr, 0, 0x100000));
    EXPECT_FALSE(RwEngineInit(nullptr, 0, 0x100000));
    EXPECT_FALSE(RwEngineStart());
    ASSERT_TRUE(RwEngineOpen(&params));
    EXPECT_EQ(RwEngineGetState(), 2);
    ASSERT_TRUE(RwEngineStart());
    EXPECT_TRUE(RwNullDeviceGet()->started);
    EXPECT_TRUE(RwEngineStop());
    EXPECT_TRUE(RwEngineClose());
    EXPECT_EQ(RwNullDeviceGet(), nullptr);
    EXPECT_TRUE(RwEngineTerm());
    EXPECT_EQ(RwEngineGetState(), 0);
}

TEST(EngineTest, GLDeviceNeedsARegistrationAndAWindow)
{
    ASSERT_TRUE(RwEngineInit(nullptr, 0, 0));
    LogCapture log;
    RwEngineOpenParams noWindow{nullptr, rwDeviceGL};
    EXPECT_FALSE(RwEngineOpen(&noWindow));
    EXPECT_TRUE(log.Contains("needs a window"));
    if (!RwDeviceIsRegistered(rwDeviceGL)) {
        int fakeWindow = 0;
        RwEngineOpenParams gl{&fakeWindow, rwDeviceGL};
        EXPECT_FALSE(RwEngineOpen(&gl));
        EXPECT_TRUE(log.Contains("not available"));
    }
    RwEngineTerm();
}

void* g_openedWith = nullptr;

// Stands in for a device library's registrar: the engine reaches it only through the registry.
RwDevice* CreateStandIn(const RwEngineOpenParams& params)
{
    g_openedWith = params.displayID;
    return new RwNullDevice;
}

TEST(EngineTest, DevicesAreFoundThroughTheirRegistration)
{
    ASSERT_TRUE(RwEngineInit(nullptr, 0, 0));
    if (!RwDeviceIsRegistered(rwDeviceGL)) {
        EXPECT_TRUE(RwDeviceRegister(rwDeviceGL, CreateStandIn));
        EXPECT_FALSE(RwDeviceRegister(rwDeviceGL, CreateStandIn));
        int window = 0;
        RwEngineOpenParams params{&window, rwDeviceGL};
        ASSERT_TRUE(RwEngineOpen(&params));
        EXPECT_EQ(g_openedWith, &window);
        EXPECT_EQ(RwEngineGetWindow(), &window);
        EXPECT_NE(RwDeviceGetCurrent(), nullptr);
    }
    RwEngineTerm();
}

TEST(EngineTest, PluginsAttachOnlyBetweenInitAndOpenAndOnlyOnce)
{
    EXPECT_EQ(RwEngineRegisterPlugin(rwPluginClassFrame, 0x999, 4, nullptr, nullptr, nullptr), -1);
    ASSERT_TRUE(RwEngineInit(nullptr, 0, 0));
    const RwInt32 first = RwEngineRegisterPlugin(rwPluginClassFrame, 0x900, 4, Construct, Destruct, nullptr);
    const RwInt32 second = RwEngineRegisterPlugin(rwPluginClassFrame, 0x901, 8, nullptr, nullptr, nullptr);
    EXPECT_EQ(first, 0);
    EXPECT_GE(second, 4);
    {
        LogCapture log;
        EXPECT_EQ(RwEngineRegisterPlugin(rwPluginClassFrame, 0x900, 4, nullptr, nullptr, nullptr), -1);
        EXPECT_TRUE(log.Contains("0x900"));
    }
    // The same id on another class is a separate attachment.
    EXPECT_GE(RwEngineRegisterPlugin(rwPluginClassTexture, 0x900, 4, nullptr, nullptr, nullptr), 0);
    RwEngineOpenParams params{nullptr, rwDeviceNull};
    ASSERT_TRUE(RwEngineOpen(&params));
    {
        LogCapture log;
        EXPECT_EQ(RwEngineRegisterPlugin(rwPluginClassCamera, 0x902, 4, nullptr, nullptr, nullptr), -1);
        EXPECT_TRUE(log.Contains("between RwEngineInit and RwEngineOpen"));
    }
    EXPECT_EQ(RwEngineGetPluginOffset(rwPluginClassFrame, 0x901), second);
    EXPECT_EQ(RwEngineGetPluginOffset(rwPluginClassCamera, 0x902), -1);

    // Frames carry the plugin data: constructed zeroed-then-filled, destroyed with the frame.
    g_counts = {};
    RwFrame* frame = RwFrameCreate();
    ASSERT_NE(frame->pluginData, nullptr);
    EXPECT_EQ(frame->pluginData[first], 0x5a);
    EXPECT_EQ(frame->pluginData[second], 0);
    RwFrameDestroy(frame);
    EXPECT_EQ(g_counts.constructed, 1);
    EXPECT_EQ(g_counts.destroyed, 1);
    RwEngineClose();
    RwEngineTerm();
    // A new session starts with no plugins.
    ASSERT_TRUE(RwEngineInit(nullptr, 0, 0));
    EXPECT_FALSE(RwEngineIsPluginAttached(0x900));
    RwEngineTerm();
}

TEST(EngineTest, ExtensionChunksReachTheirPluginAndUnknownOnesAreSkipped)
{
    ASSERT_TRUE(RwEngineInit(nullptr, 0, 0));
    const RwInt32 offset = RwEngineRegisterPlugin(rwPluginClassFrame, 0x203, 4, nullptr, nullptr, nullptr);
    ASSERT_GE(RwEngineRegisterPluginStream(rwPluginClassFrame, 0x203, ReadTag, WriteTag, TagSize), 0);
    RwFrame* frame = RwFrameCreate();
    *reinterpret_cast<RwUInt32*>(frame->pluginData + offset) = 0xfeedbeef;

    RwStream* w = RwStreamOpen(rwStreamMemory, rwStreamWrite, nullptr);
    // An unknown plugin chunk first, then ours.
    const RwUInt32 junk[2] = {1, 2};
    const RwUInt32 size = RwPluginStreamExtensionSize(rwPluginClassFrame, frame, frame->pluginData);
    EXPECT_EQ(size, 12u + 12 + 4);
    RwStreamWriteChunkHeader(w, rwChunkExtension, 1, 20 + 16);
    RwStreamWriteChunkHeader(w, 0x777, 1, 8);
    RwStreamWriteUInt32(w, junk, 2);
    RwStreamWriteChunkHeader(w, 0x203, 1, 4);
    const RwUInt32 tag = 0x12345678;
    RwStreamWriteUInt32(w, &tag, 1);
    ASSERT_TRUE(RwPluginStreamWriteExtension(rwPluginClassFrame, w, frame, frame->pluginData));
    RwMemory mem{};
    RwStreamClose(w, &mem);

    RwMemory in = mem;
    RwStream* r = RwStreamOpen(rwStreamMemory, rwStreamRead, &in);
    RwUInt32 length, version;
    ASSERT_TRUE(RwStreamFindChunk(r, rwChunkExtension, &length, &version));
    RwFrame* copy = RwFrameCreate();
    ASSERT_TRUE(RwPluginStreamReadExtension(rwPluginClassFrame, r, length, copy, copy->pluginData));
    EXPECT_EQ(*reinterpret_cast<RwUInt32*>(copy->pluginData + offset), 0x12345678u);
    ASSERT_TRUE(RwStreamFindChunk(r, rwChunkExtension, &length, &version));
    ASSERT_TRUE(RwPluginStreamReadExtension(rwPluginClassFrame, r, length, copy, copy->pluginData));
    EXPECT_EQ(*reinterpret_cast<RwUInt32*>(copy->pluginData + offset), 0xfeedbeefu);
    RwStreamClose(r, nullptr);

    // A plugin chunk that claims more than its extension holds is refused.
    std::vector<RwUInt8> bad(mem.start, mem.start + 12 + 12);
    reinterpret_cast<RwUInt32*>(bad.data())[2] = 12;      // extension: 12 bytes
    reinterpret_cast<RwUInt32*>(bad.data() + 12)[2] = 8;  // child claims 8 more than left
    RwMemory badMem{bad.data(), RwUInt32(bad.size())};
    r = RwStreamOpen(rwStreamMemory, rwStreamRead, &badMem);
    ASSERT_TRUE(RwStreamFindChunk(r, rwChunkExtension, &length, &version));
    LogCapture log;
    EXPECT_FALSE(RwPluginStreamReadExtension(rwPluginClassFrame, r, length, copy, copy->pluginData));
    EXPECT_FALSE(log.lines.empty());
    RwStreamClose(r, nullptr);

    std::free(mem.start);
    RwFrameDestroy(frame);
    RwFrameDestroy(copy);
    RwEngineTerm();
}

TEST(EngineTest, VideoModesVersionAndRefreshRate)
{
    NullEngine engine;
    ASSERT_EQ(RwEngineGetNumVideoModes(), 3);
    RwVideoMode mode;
    ASSERT_NE(RwEngineGetVideoModeInfo(&mode, 1), nullptr);
    EXPECT_EQ(mode.width, 1024);
    EXPECT_EQ(mode.height, 768);
    EXPECT_EQ(mode.depth, 32);
    EXPECT_EQ(mode.flags & rwVideoModeExclusive, 1u);
    EXPECT_EQ(RwEngineGetVideoModeInfo(&mode, 3), nullptr);
    EXPECT_EQ(RwEngineGetVideoModeInfo(&mode, -1), nullptr);

    const RwUInt32 v = RwEngineGetVersion();
    EXPECT_GE(v >> 16, 1u);
    EXPECT_EQ(v & 0xff, 0u);

    // The fixed modes run at 60 Hz: 85 is not offered, so the highest lower rate wins;
    // asking for exactly 60 gets 60, and a rate below every mode keeps the mode's own.
    RwD3D8EngineSetRefreshRate(85);
    EXPECT_EQ(RwEngineChooseRefreshRate(0), 60);
    RwD3D8EngineSetRefreshRate(50);
    EXPECT_EQ(RwEngineChooseRefreshRate(0), 60);

    LogCapture log;
    EXPECT_TRUE(RwD3D8ChangeVideoMode(2));
    EXPECT_EQ(RwNullDeviceGet()->mode.width, 1280);
    EXPECT_EQ(RwEngineGetCurrentVideoMode(), 2);
    EXPECT_FALSE(RwD3D8ChangeVideoMode(7));
    EXPECT_FALSE(RwEngineSetVideoMode(0));  // only before the start
    EXPECT_TRUE(RwPaletteQuantizeSetDepth(8));
    EXPECT_EQ(RwPaletteQuantizeGetDepth(), 8);
}

TEST(EngineTest, FullScreenModeIsSetWhenTheEngineStarts)
{
    RwEngineInit(nullptr, 0, 0);
    RwEngineOpenParams params{nullptr, rwDeviceNull};
    RwEngineOpen(&params);
    EXPECT_TRUE(RwEngineSetVideoMode(1));
    RwD3D8EngineSetRefreshRate(60);
    RwEngineStart();
    EXPECT_EQ(RwNullDeviceGet()->mode.width, 1024);
    EXPECT_EQ(RwNullDeviceGet()->refreshRate, 60);
    EXPECT_EQ(RwEngineGetCurrentVideoMode(), 1);
    RwEngineTerm();
}

TEST(EngineTest, ErrorGetReturnsAndClearsThePendingError)
{
    RwError e{};
    const RwError missing{0, rwErrorTextureMissing};
    RwErrorSet(&missing);
    ASSERT_NE(RwErrorGet(&e), nullptr);
    EXPECT_EQ(e.errorCode, 22);
    RwErrorGet(&e);
    EXPECT_EQ(e.errorCode, 0);
}

}  // namespace
