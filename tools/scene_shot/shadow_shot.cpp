// Shadows over the first stadium: a box and a ball standing on the pitch cast soft shadows
// away from the sun, and a spot of light is projected beside them, drawn through the scene
// classes on the default data:
//     scene_shot shadows <game folder> <out prefix>     writes <prefix>_1.png (ball on the grass)
//                                                and <prefix>_2.png (ball in the air)
//     scene_shot shadows --bench <game folder>          frame times with and without 12 shadows
#include "engine/core/RwCore.h"
#include "engine/world/RpClump.h"
#include "engine/world/RpCollision.h"
#include "engine/world/RpWorld.h"
#include "scene/Camera.h"
#include "scene/Clump.h"
#include "scene/ProjectedShadow.h"
#include "scene/ProjectedTexture.h"
#include "scene/RwGraphics.h"
#include "scene/World.h"
#include "tools/assets/common/Mesh.h"
#include "tools/common/Fail.h"
#include "tools/common/Figures.h"
#include "tools/scene_shot/Level.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace tools::level;
using tools::Fail;
using Clock = std::chrono::steady_clock;

constexpr int kWidth = 1280;
constexpr int kHeight = 720;
constexpr int kShadowSize = 128;
constexpr int kSpotSize = 64;
constexpr int kBenchFrames = 300;
// The ball's height above the grass in each picture.
constexpr float kBallHeights[] = {0.0f, 1.4f};
constexpr float kBoxHalf = 0.5f;
constexpr float kBallRadius = 0.45f;
const char* const kBenchBall = "<PP>Balls\\tournamentball.dff";
const char* const kBenchRaces[] = {"Lizard", "Panda", "Primate", "Rhino", "Weasel"};
constexpr int kBenchCasters = 12;

double Milliseconds(Clock::time_point from)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

// The level's engine world as the renderer's current world; the level keeps it.
class LevelWorld : public World {
public:
    explicit LevelWorld(RpWorld* world) { m_world = world; }
    ~LevelWorld() override { m_world = nullptr; }
};

using ClumpPtr = std::unique_ptr<RpClump, decltype(&RpClumpDestroy)>;

ClumpPtr Solid(bool box, assets::Rgba colour)
{
    assets::MeshBuilder mesh;
    mesh.UseMaterial(mesh.Material("", colour));
    if (box)
        mesh.Box({-kBoxHalf, -kBoxHalf, -kBoxHalf}, {kBoxHalf, kBoxHalf, kBoxHalf});
    else
        mesh.Sphere({0, 0, 0}, kBallRadius, 16, 24);
    return ClumpPtr(assets::BuildClump(mesh, assets::kGeoNormals | assets::kGeoLight | assets::kGeoModulate),
                    RpClumpDestroy);
}

void Place(RpClump* clump, const Vector3& position)
{
    RwFrame* frame = RpClumpGetFrame(clump);
    const RwV3d at{position.x, position.y, position.z};
    RwFrameTranslate(frame, &at, rwCombineReplace);
}

// A warm disc of light fading to black at its rim, opaque so that no texel is cut away.
RwRaster* MakeSpot()
{
    RwImage* image = RwImageAllocatePixels(RwImageCreate(kSpotSize, kSpotSize, 32));
    if (!image)
        return nullptr;
    const float half = 0.5f * static_cast<float>(kSpotSize);
    for (int y = 0; y < kSpotSize; ++y)
        for (int x = 0; x < kSpotSize; ++x) {
            const float dx = (static_cast<float>(x) + 0.5f - half) / half;
            const float dy = (static_cast<float>(y) + 0.5f - half) / half;
            const float light = std::clamp(1.0f - std::sqrt(dx * dx + dy * dy), 0.0f, 1.0f);
            const float soft = light * light * (3.0f - 2.0f * light);
            RwUInt8* p = image->pixels + y * image->stride + x * 4;
            p[0] = static_cast<RwUInt8>(255.0f * soft);
            p[1] = static_cast<RwUInt8>(220.0f * soft);
            p[2] = static_cast<RwUInt8>(140.0f * soft);
            p[3] = 255;
        }
    RwRaster* raster = RwRasterCreate(kSpotSize, kSpotSize, 0, rwRasterTypeTexture);
    if (raster && !RwRasterSetFromImage(raster, image)) {
        RwRasterDestroy(raster);
        raster = nullptr;
    }
    RwImageDestroy(image);
    return raster;
}

// One caster with its shadow along the sun.
struct Caster {
    RpClump* clump = nullptr;
    float radius = 0.0f;
    ProjectedShadow shadow;

    bool Create(RpClump* model, float sphereRadius, const Vector3& sun)
    {
        clump = model;
        radius = sphereRadius;
        if (!shadow.Create(kShadowSize))
            return false;
        shadow.SetLightDirection(FacingAlong(sun));
        return true;
    }
    // Around the point, which the shadow camera centres on.
    void Cast(const Vector3& centre)
    {
        shadow.SetCaster(&clump, 1, RwSphere{{centre.x, centre.y, centre.z}, radius}, centre);
    }
};

bool DrawFrame(PrimaryCamera& camera, RpWorld* world, const std::vector<RpClump*>& models,
               std::vector<Caster*> shadows, RenderObject* spot)
{
    const float sky[4] = {0.47f, 0.63f, 0.82f, 1.0f};
    if (!camera.Clear(sky, rwCameraClearImage | rwCameraClearZ) || !camera.BeginUpdate())
        return false;
    RpWorldRender(world);
    for (Caster* caster : shadows)
        caster->shadow.Render();
    if (spot)
        spot->Render();
    for (RpClump* model : models)
        RpClumpRender(model);
    camera.EndUpdate();
    return RwGraphics::Instance()->Render();
}

int Shoot(PrimaryCamera& camera, const LevelView& level, const std::string& prefix)
{
    Vector3 side = Vector3(0, 1, 0).Cross(level.At());
    side.Normalize();
    Vector3 ahead = level.At();
    ahead.y = 0;
    ahead.Normalize();
    ClumpPtr box = Solid(true, {200, 70, 50, 255});
    ClumpPtr ball = Solid(false, {235, 235, 225, 255});
    RwRaster* spotTexture = MakeSpot();
    if (!box || !ball || !spotTexture)
        return Fail("cannot build the models");
    Caster boxCaster, ballCaster;
    if (!boxCaster.Create(box.get(), kBoxHalf * std::sqrt(3.0f), level.SunDirection()) ||
        !ballCaster.Create(ball.get(), kBallRadius, level.SunDirection()))
        return Fail("cannot create the shadows");

    ProjectedTexture spot;
    spot.SetTexture(spotTexture);
    spot.SetBlend(rwBlendOne, rwBlendOne);
    spot.SetAlpha(0.6f);
    spot.SetRadius(1.6f);
    spot.SetFadeDist(6.0f);
    spot.SetStartRadius(2.0f);
    spot.SetProjectionZoneRadius(10.0f);
    spot.SetPosition(level.Centre() + ahead * 3.0f - side * 0.5f + Vector3(0, 5, 0));
    spot.SetRotation(ProjectedShadow::DefaultLightDirection());

    const Vector3 boxAt = level.Centre() + side * 1.2f + Vector3(0, kBoxHalf, 0);
    Place(box.get(), boxAt);
    boxCaster.Cast(boxAt);
    int result = 0;
    for (size_t shot = 0; shot < std::size(kBallHeights) && result == 0; ++shot) {
        const Vector3 ballAt = level.Centre() - side * 1.2f + Vector3(0, kBallRadius + kBallHeights[shot], 0);
        Place(ball.get(), ballAt);
        ballCaster.Cast(ballAt);
        const std::string path = prefix + "_" + std::to_string(shot + 1) + ".png";
        if (!DrawFrame(camera, level.World(), {box.get(), ball.get()}, {&boxCaster, &ballCaster}, &spot) ||
            !SavePng(camera, path))
            result = Fail("cannot draw or write %s", path.c_str());
        else
            std::printf("scene_shot: wrote %s, ball %.1f above the grass\n", path.c_str(), kBallHeights[shot]);
    }
    RwRasterDestroy(spotTexture);
    return result;
}

// The ball and eleven characters of the default data in three rows in front of the camera.
std::vector<std::unique_ptr<Clump>> BenchModels(const LevelView& level)
{
    Vector3 side = Vector3(0, 1, 0).Cross(level.At());
    side.Normalize();
    Vector3 ahead = level.At();
    ahead.y = 0;
    ahead.Normalize();
    std::vector<std::unique_ptr<Clump>> models;
    for (int i = 0; i < kBenchCasters; ++i) {
        auto model = std::make_unique<Clump>();
        const std::string race = kBenchRaces[i % std::size(kBenchRaces)];
        const std::string file = i == 0 ? kBenchBall : "<PP>Characters\\" + race + "\\" + race + ".DFF";
        const std::string textures = i == 0 ? "<PP>Balls\\" : "<PP>Characters\\" + race + "\\Textures24Bit\\Common\\";
        model->LoadClump(file, textures, true);
        const float column = static_cast<float>(i % 4) - 1.5f, row = static_cast<float>(i / 4) - 1.0f;
        model->SetPosition(level.Centre() + side * (column * 2.2f) + ahead * (row * 2.5f));
        model->Update(0.0f);
        models.push_back(std::move(model));
    }
    return models;
}

int Bench(PrimaryCamera& camera, const LevelView& level)
{
    std::vector<std::unique_ptr<Clump>> models = BenchModels(level);
    std::vector<std::unique_ptr<Caster>> casters;
    std::vector<RpClump*> clumps;
    std::vector<Caster*> shadows;
    for (const auto& model : models) {
        auto caster = std::make_unique<Caster>();
        if (!model->GetRwClump() || !caster->Create(model->GetRwClump(), 1.0f, level.SunDirection()))
            return Fail("cannot make a caster of every model");
        clumps.push_back(model->GetRwClump());
        shadows.push_back(caster.get());
        casters.push_back(std::move(caster));
    }
    std::vector<double> bare, with, casting;
    for (int frame = 0; frame < kBenchFrames; ++frame) {
        Clock::time_point start = Clock::now();
        DrawFrame(camera, level.World(), clumps, {}, nullptr);
        bare.push_back(Milliseconds(start));
        start = Clock::now();
        for (size_t i = 0; i < casters.size(); ++i)
            casters[i]->Cast(models[i]->GetPosition() + Vector3(0, 0.9f, 0));
        casting.push_back(Milliseconds(start));
        start = Clock::now();
        DrawFrame(camera, level.World(), clumps, shadows, nullptr);
        with.push_back(Milliseconds(start));
    }
    std::printf("scene_shot: %d x %d, %d models, %d frames, shadow texture %d\n", kWidth, kHeight,
                kBenchCasters, kBenchFrames, kShadowSize);
    std::printf("  casting %d shadows: median %.2f ms, worst %.2f ms\n", kBenchCasters, tools::Median(casting),
                *std::max_element(casting.begin(), casting.end()));
    std::printf("  frame without shadows: median %.2f ms, worst %.2f ms\n", tools::Median(bare),
                *std::max_element(bare.begin(), bare.end()));
    std::printf("  frame with shadows laid down (casting not counted): median %.2f ms, worst %.2f ms\n",
                tools::Median(with), *std::max_element(with.begin(), with.end()));
    std::printf("  added by the shadows: median %.2f ms\n", tools::Median(casting) + tools::Median(with) - tools::Median(bare));
    int triangles = 0;
    for (const Caster* caster : shadows)
        triangles += caster->shadow.GetProjector()->GetDrawnTriangles();
    std::printf("  world triangles under the shadows: %d a frame\n", triangles);
    return 0;
}

}  // namespace

int tools::level::ShadowShot(int argc, char** argv)
{
    ShotRequest request;
    if (!ReadShotRequest("scene_shot shadows", argc, argv, request))
        return 1;
    return RunOnLevel("scene_shot shadows", request.folder, kWidth, kHeight, 9.0f, 0.8f,
                      [&](PrimaryCamera& camera, LevelView& level) {
                          // As the stadium world does, so that projections find their triangles
                          // quickly.
                          RpCollisionWorldBuildData(level.World(), nullptr);
                          LevelWorld world(level.World());
                          RwGraphics::Instance()->SetWorld(&world);
                          const int result =
                              request.bench ? Bench(camera, level) : Shoot(camera, level, request.prefix);
                          RwGraphics::Instance()->SetWorld(nullptr);
                          return result;
                      });
}
