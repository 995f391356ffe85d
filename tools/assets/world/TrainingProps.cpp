// The props the training drills stand on the pitch: the dribbling drill's cones, which the
// dribbler takes the ball round.
#include "tools/assets/common/Files.h"
#include "tools/assets/common/Mesh.h"
#include "tools/assets/common/Registry.h"

#include "engine/world/RpWorld.h"

namespace assets::world {

namespace {

// Knee-high: big enough to read from the drill's camera, low enough to keep a player's legs
// in view behind one.
constexpr float kBaseHalf = 0.4f;
constexpr float kBaseHeight = 0.03f;
constexpr float kBottomRadius = 0.3f;
constexpr float kTopRadius = 0.04f;
constexpr float kHeight = 0.85f;
constexpr int kSides = 16;
constexpr Rgba kOrange{245, 110, 20, 255};
constexpr Rgba kWhite{245, 245, 245, 255};

// An orange cone on a square base, with a white band round its middle; untextured, lit from
// above and the side.
MeshBuilder Cone()
{
    MeshBuilder m;
    m.UseMaterial(m.Material("", kWhite));
    m.SetColour(kOrange);
    m.Box({-kBaseHalf, 0, -kBaseHalf}, {kBaseHalf, kBaseHeight, kBaseHalf});
    const float band = kHeight * 0.4f, bandHeight = kHeight * 0.18f;
    const auto radiusAt = [](float y) { return kBottomRadius + (kTopRadius - kBottomRadius) * y / kHeight; };
    m.Frustum({0, kBaseHeight, 0}, kBottomRadius, radiusAt(band), band, kSides, false);
    m.SetColour(kWhite);
    m.Frustum({0, kBaseHeight + band, 0}, radiusAt(band), radiusAt(band + bandHeight), bandHeight, kSides, false);
    m.SetColour(kOrange);
    m.Frustum({0, kBaseHeight + band + bandHeight, 0}, radiusAt(band + bandHeight), kTopRadius,
              kHeight - band - bandHeight, kSides, true);
    m.BakeLighting(Normalised({0.4f, 1.0f, -0.3f}), 0.55f, 0.5f);
    return m;
}

bool WriteTrainingProps(const AssetContext& context)
{
    RpClump* clump = BuildClump(Cone(), kGeoPrelit | kGeoNormals);
    if (!clump)
        return false;
    const bool ok = WriteClumpFile(clump, context.Path("Props/cone.dff"));
    RpClumpDestroy(clump);
    return ok;
}

const GeneratorRegistrar kTrainingProps("world.trainingprops", &WriteTrainingProps);

}  // namespace

}  // namespace assets::world
