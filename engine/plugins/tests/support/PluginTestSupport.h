#pragma once

#include "engine/core/tests/support/CommonTestSupport.h"
#include "engine/plugins/RpPlugins.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The engine with every plugin attached, on the null device (or the GL device over a hidden
// window when asked and available) for the length of a test.
class PluginEngine {
public:
    explicit PluginEngine(bool gl = false);
    ~PluginEngine();
    bool open() const { return m_open; }

private:
    bool m_open = false;
};

// A key frame rotating by degrees about z, then translating.
RtAnimKeyFrame Key(RwReal time, RwReal degreesZ, RwV3d trans = {0, 0, 0});
RwV3d Transformed(const RwMatrix& m, RwV3d p);
::testing::AssertionResult Near(RwV3d got, RwV3d want, RwReal tolerance = 1e-4f);

// The limb: a square bar from x 0 to x 2 (half thickness 0.15) skinned to two bones, bone 0 at
// the origin and bone 1 at x 1 (rings at x <= 0.5 on bone 0, at 1 shared half and half,
// beyond on bone 1). Frames: root (the atomic's) -> bone 0 (id 0, holding the hierarchy of 2
// nodes) -> bone 1 (id 1).
struct Limb {
    RpClump* clump = nullptr;
    RpAtomic* atomic = nullptr;
    RwFrame* root = nullptr;
    RwFrame* bone0 = nullptr;
    RwFrame* bone1 = nullptr;
    RpHAnimHierarchy* hierarchy = nullptr;
};
Limb MakeLimb(RwRGBA colour = {255, 255, 255, 255});
// The same parts found in a clump read back or cloned.
Limb FindLimb(RpClump* clump);
// Bone 1 turns from 0 to 90 degrees about z over one second; bone 0 stays.
RtAnimAnimation* MakeBendAnimation();

// The clump written to memory and read back (null when either fails).
RpClump* RoundTrip(const RpClump* clump);
std::vector<RwUInt8> WriteClump(const RpClump* clump);
RpClump* ReadClump(const std::vector<RwUInt8>& bytes);
