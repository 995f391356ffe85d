// Contact-sheet pages of the world data: each stadium from its main camera path and from an
// intro path, a goal close up, and the two balls. Everything is read back from the staged
// files through the engine's readers, as the game reads it.
#include "tools/assets/common/Registry.h"
#include "tools/assets/common/Sheet.h"
#include "tools/assets/world/Balls.h"
#include "tools/assets/world/Levels.h"

#include "engine/plugins/RpPlugins.h"
#include "engine/world/RpWorld.h"

#include <cstdio>
#include <vector>

namespace assets::world {

namespace {

constexpr int kWidth = 960, kHeight = 540;

struct LevelScene {
    RpWorld* world = nullptr;
    RpClump* sky = nullptr;
    std::vector<RpClump*> dressing;
    RpClump* ball = nullptr;
    LitWorld lights;

    ~LevelScene()
    {
        for (RpClump* c : dressing)
            RpClumpDestroy(c);
        if (sky)
            RpClumpDestroy(sky);
        if (ball)
            RpClumpDestroy(ball);
        if (world)
            DestroyLitWorld(lights, true);
    }
};

bool Load(const SheetContext& context, const Theme& theme, LevelScene& scene)
{
    const std::string level = context.ProjectDir() + "/" + theme.folder;
    const std::string textures = level + "/Textures24Bit/";
    scene.world = LoadWorld(level + "/Objects/Level.bsp", textures);
    scene.sky = LoadClump(level + "/Objects/skydome.dff", textures);
    for (const char* name : {"benches", "benches_shadow", "Crowd", "spec_mods_crowd", "flags", "flags_01",
                             "flags_02", "flags_03"})
        if (RpClump* c = LoadClump(level + "/Objects/" + name + ".dff", textures))
            scene.dressing.push_back(c);
    scene.ball = LoadClump(context.ProjectDir() + "/Balls/tournamentball.dff", context.ProjectDir() + "/Balls/");
    if (!scene.world || !scene.sky || scene.dressing.size() != 8 || !scene.ball)
        return false;
    scene.lights = CreateLitWorld(scene.world, -ToSun(), 0.35f, 0.75f);
    return true;
}

void PlaceClump(RpClump* clump, Vec3 position)
{
    RwFrame* f = RpClumpGetFrame(clump);
    const RwV3d p = ToRw(position);
    RwFrameTranslate(f, &p, rwCombineReplace);
}

bool Render(LevelScene& scene, const Theme& theme, SheetCamera& camera, const Frame3& view, const std::string& path)
{
    camera.Place(view);
    RpWorldAddCamera(scene.world, camera.Camera());
    RwCameraSetFogDistance(camera.Camera(), 220);
    bool ok = camera.Begin(theme.skyHorizon);
    if (ok) {
        PlaceClump(scene.sky, view.pos);
        RwRenderStateSet(rwRenderStateZWriteEnable, 0);
        RwRenderStateSet(rwRenderStateZTestEnable, 0);
        RpClumpRender(scene.sky);
        RwRenderStateSet(rwRenderStateZWriteEnable, 1);
        RwRenderStateSet(rwRenderStateZTestEnable, 1);
        RwRenderStateSet(rwRenderStateFogEnable, 1);
        RwRenderStateSet(rwRenderStateFogType, rwFogLinear);
        const RwRGBA h{theme.skyHorizon.r, theme.skyHorizon.g, theme.skyHorizon.b, 255};
        RwRenderStateSet(rwRenderStateFogColor, RwPackColor(h.red, h.green, h.blue, 255));
        RpWorldRender(scene.world);
        for (RpClump* c : scene.dressing)
            RpClumpRender(c);
        PlaceClump(scene.ball, {3.0f, kBallRadius, -2.0f});
        RpClumpRender(scene.ball);
        RwRenderStateSet(rwRenderStateFogEnable, 0);
        camera.End();
        ok = camera.SavePng(path);
    }
    RpWorldRemoveCamera(scene.world, camera.Camera());
    return ok;
}

// The camera frame the path animation gives at `time`, as the spline camera applies it.
bool PathFrame(const std::string& anmPath, float fraction, Frame3& out)
{
    RtAnimAnimation* anim = RtAnimAnimationRead(anmPath.c_str());
    if (!anim)
        return false;
    RtAnimInterpolator* interp = RtAnimInterpolatorCreate(anim->numNodes, sizeof(RtAnimKeyFrame));
    RtAnimInterpolatorSetCurrentAnim(interp, anim);
    RtAnimInterpolatorSetCurrentTime(interp, anim->duration * fraction * 0.999f);
    RwMatrix m;
    RtAnimScheme1Apply(&m, RtAnimInterpolatorGetInterpFrame(interp, 0));
    out = {{m.right.x, m.right.y, m.right.z}, {m.up.x, m.up.y, m.up.z}, {m.at.x, m.at.y, m.at.z},
           {m.pos.x, m.pos.y, m.pos.z}};
    RtAnimInterpolatorDestroy(interp);
    RtAnimAnimationDestroy(anim);
    return true;
}

bool RenderLevels(const SheetContext& context)
{
    bool ok = true;
    SheetCamera camera;
    if (!camera.Create(kWidth, kHeight, 0.6f, 0.3f, 500.0f))
        return false;
    for (int i = 0; i < kLevelCount; ++i) {
        const Theme& theme = LevelTheme(i);
        LevelScene scene;
        if (!Load(context, theme, scene)) {
            std::fprintf(stderr, "tbasset: %s does not load\n", theme.folder);
            ok = false;
            continue;
        }
        const std::string level = context.ProjectDir() + "/" + theme.folder + "/camera/";
        const std::string out = context.outDir + "/" + theme.folder;
        Frame3 view;
        ok = PathFrame(level + "camera.anm", 0.5f, view) && Render(scene, theme, camera, view, out + "_main.png") && ok;
        ok = PathFrame(level + "camera01.anm", 0.0f, view) && Render(scene, theme, camera, view, out + "_intro.png") && ok;
        ok = Render(scene, theme, camera, Frame3::LookAt({-38, 5, -14}, {-50, 1.2f, 0}), out + "_goal.png") && ok;
        ok = Render(scene, theme, camera, Frame3::LookAt({20, 70, -130}, {0, 0, 0}), out + "_aerial.png") && ok;
    }
    return ok;
}

bool RenderBalls(const SheetContext& context)
{
    SheetCamera camera;
    if (!camera.Create(480, 270, 0.5f, 0.02f, 50.0f))
        return false;
    const RwBBox box{{100, 100, 100}, {-100, -100, -100}};
    LitWorld lit = CreateLitWorld(RpWorldCreate(&box), {-0.5f, -0.7f, 0.5f}, 0.35f, 0.8f);
    const std::string balls = context.ProjectDir() + "/Balls/";
    RpClump* a = LoadClump(balls + "tournamentball.dff", balls);
    RpClump* b = LoadClump(balls + "ragball.dff", balls);
    bool ok = a && b;
    if (ok) {
        PlaceClump(a, {-0.15f, 0, 0});
        PlaceClump(b, {0.15f, 0, 0});
        camera.LookAt({0, 0.12f, -0.75f}, {0, 0, 0});
        RpWorldAddCamera(lit.world, camera.Camera());
        ok = camera.Begin({60, 90, 60, 255});
        if (ok) {
            RpClumpRender(a);
            RpClumpRender(b);
            camera.End();
            ok = camera.SavePng(context.outDir + "/balls.png");
        }
        RpWorldRemoveCamera(lit.world, camera.Camera());
    }
    if (a)
        RpClumpDestroy(a);
    if (b)
        RpClumpDestroy(b);
    DestroyLitWorld(lit, true);
    return ok;
}

const SheetRegistrar kLevels("world.levels", &RenderLevels);
const SheetRegistrar kBalls("world.balls", &RenderBalls);

}  // namespace

}  // namespace assets::world
