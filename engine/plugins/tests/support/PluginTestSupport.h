#pragma once

#include "engine/plugins/RpPlugins.h"
#include "engine/world/tests/support/WorldTestSupport.h"
#include "tests/support/LogCapture.h"
#include "tests/support/OffscreenEngine.h"

#include <gtest/gtest.h>

#include <vector>

// The null engine with every plugin attached.
class PluginTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(engine.IsOpen()); }
    ScopedEngine engine{rwDeviceNull, RpPluginsAttachAll};
};

// A key frame rotating by degrees about z, then translating.
RtAnimKeyFrame Key(RwReal time, RwReal degreesZ, RwV3d trans = {0, 0, 0});
RwV3d Transformed(const RwMatrix& m, RwV3d p);
::testing::AssertionResult Near(RwV3d got, RwV3d want, RwReal tolerance = 1e-4f);

// The limb: a ribbon in the plane z = 0 from x 0 to x 2 (y -0.15 to 0.15) skinned to two
// bones, bone 0 at the origin and bone 1 at x 1. Vertices in pairs at x 0 (on bone 0), x 1
// (half and half) and x 2 (on bone 1), their normals pointing away from the x axis. Frames: root (the atomic's) -> bone 0 (id 0, holding
// the hierarchy of 2 nodes) -> bone 1 (id 1).
struct Limb {
    RpClump* clump = nullptr;
    RpAtomic* atomic = nullptr;
    RwFrame* root = nullptr;
    RwFrame* bone0 = nullptr;
    RwFrame* bone1 = nullptr;
    RpHAnimHierarchy* hierarchy = nullptr;
};
Limb MakeLimb();
// The same parts found in a clump read back or cloned.
Limb FindLimb(RpClump* clump);

// With a limb, taken down after the test.
class LimbTest : public PluginTest {
protected:
    void TearDown() override { RpClumpDestroy(l.clump); }
    Limb l = MakeLimb();
};

// Bone 1 turns from 0 to 90 degrees about z over one second; bone 0 stays.
RtAnimAnimation* MakeBendAnimation();

using worldtest::ReadClump;
using worldtest::WriteClump;
// The clump written to memory and read back (null when either fails).
inline RpClump* RoundTrip(const RpClump* clump)
{
    return ReadClump(WriteClump(clump));
}
