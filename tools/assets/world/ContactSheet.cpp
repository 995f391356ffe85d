// Contact-sheet pages of the world data: each stadium from its main camera, every camera path
// of it from start to end on one page, a goal close up and the stadium from the air, and the
// two balls. Everything is read back from the staged files through the engine's readers, as
// the game reads it, and framed as the game frames it.
#include "tools/assets/common/Registry.h"
#include "tools/assets/common/Sheet.h"
#include "tools/assets/world/Balls.h"
#include "tools/assets/world/Levels.h"
#include "tools/common/SceneLights.h"

#include "engine/plugins/RpPlugins.h"
#include "engine/world/RpWorld.h"

#include <cstdio>
#include <vector>

namespace assets::world {

namespace {

// The game's screen and view window (800 x 600, 0.8 by 0.8), so a page shows what a player sees.
constexpr int kWidth = 800, kHeight = 600;
constexpr float kGameView = 0.8f;
// The path pages: a row of frames from start to end for each path, a few pixels apart.
constexpr int kThumbWidth = 240, kThumbHeight = 180, kPathFrames = 5, kGap = 4;
constexpr Rgba kPageColour{24, 24, 28, 255};

struct LevelScene {
    RpWorld* world = nullptr;
    RpClump* sky = nullptr;
    std::vector<RpClump*> dressing;
    RpClump* ball = nullptr;
    tools::SceneLights lights;

    ~LevelScene()
    {
        for (RpClump* c : dressing)
            RpClumpDestroy(c);
        if (sky)
            RpClumpDestroy(sky);
        if (ball)
            RpClumpDestroy(ball);
        lights.Destroy();
        if (world)
            RpWorldDestroy(world);
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
    const Vec3 sun = -ToSun();
    return scene.lights.Create(scene.world, {0.35f, 0.35f, 0.35f, 1}, {0.75f, 0.75f, 0.71f, 1}, ToRw(sun));
}

void PlaceClump(RpClump* clump, Vec3 position)
{
    RwFrame* f = RpClumpGetFrame(clump);
    const RwV3d p = ToRw(position);
    RwFrameTranslate(f, &p, rwCombineReplace);
}

// Draws the level as the match does: sky dome round the eye, fogged world, dressing, a ball.
bool Draw(LevelScene& scene, const Theme& theme, SheetCamera& camera, const Frame3& view)
{
    camera.Place(view);
    RpWorldAddCamera(scene.world, camera.Camera());
    RwCameraSetFogDistance(camera.Camera(), 220);
    const bool ok = camera.Begin(theme.skyHorizon);
    if (ok) {
        PlaceClump(scene.sky, view.pos);
        RwRenderStateSet(rwRenderStateZWriteEnable, 0);
        RwRenderStateSet(rwRenderStateZTestEnable, 0);
        RpClumpRender(scene.sky);
        RwRenderStateSet(rwRenderStateZWriteEnable, 1);
        RwRenderStateSet(rwRenderStateZTestEnable, 1);
        RwRenderStateSet(rwRenderStateFogEnable, 1);
        RwRenderStateSet(rwRenderStateFogType, rwFogLinear);
        RwRenderStateSet(rwRenderStateFogColor,
                         RwPackColor(theme.skyHorizon.r, theme.skyHorizon.g, theme.skyHorizon.b, 255));
        RpWorldRender(scene.world);
        for (RpClump* c : scene.dressing)
            RpClumpRender(c);
        PlaceClump(scene.ball, {3.0f, kBallRadius, -2.0f});
        RpClumpRender(scene.ball);
        RwRenderStateSet(rwRenderStateFogEnable, 0);
        camera.End();
    }
    RpWorldRemoveCamera(scene.world, camera.Camera());
    return ok;
}

bool Render(LevelScene& scene, const Theme& theme, SheetCamera& camera, const Frame3& view, const std::string& path)
{
    return Draw(scene, theme, camera, view) && camera.SavePng(path);
}

// The camera frame the path animation gives at `fraction` of its length, as the spline
// camera applies it.
bool PathFrame(const std::string& anmPath, float fraction, Frame3& out)
{
    RtAnimAnimation* anim = RtAnimAnimationRead(anmPath.c_str());
    if (!anim)
        return false;
    RtAnimInterpolator* interp = RtAnimInterpolatorCreate(anim->numNodes, sizeof(RtAnimKeyFrame));
    RtAnimInterpolatorSetCurrentAnim(interp, anim);
    RtAnimInterpolatorSetCurrentTime(interp, anim->duration * fraction);
    RwMatrix m;
    RtAnimScheme1Apply(&m, RtAnimInterpolatorGetInterpFrame(interp, 0));
    out = {{m.right.x, m.right.y, m.right.z}, {m.up.x, m.up.y, m.up.z}, {m.at.x, m.at.y, m.at.z},
           {m.pos.x, m.pos.y, m.pos.z}};
    RtAnimInterpolatorDestroy(interp);
    RtAnimAnimationDestroy(anim);
    return true;
}

// Copies what the camera drew into the page with its top left corner at (x, y).
bool Paste(const SheetCamera& camera, Image& page, int x, int y)
{
    RwImage* image = camera.Grab();
    if (!image)
        return false;
    for (int row = 0; row < image->height; ++row)
        for (int col = 0; col < image->width; ++col) {
            const RwUInt8* p =
                image->pixels + static_cast<size_t>(row) * image->stride + static_cast<size_t>(col) * 4;
            page.Set(x + col, y + row, {p[0], p[1], p[2], 255});
        }
    RwImageDestroy(image);
    return true;
}

// A 3 x 5 pixel digit, each row three bits from the left, for the path numbers on a page.
void DrawDigit(Image& page, int digit, int x, int y, int scale, Rgba colour)
{
    static const uint8_t kGlyphs[10][5] = {
        {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
        {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 2, 2, 2}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
    };
    for (int row = 0; row < 5; ++row)
        for (int col = 0; col < 3; ++col)
            if (kGlyphs[digit % 10][row] & (4 >> col))
                page.FillRect(x + col * scale, y + row * scale, x + (col + 1) * scale, y + (row + 1) * scale, colour);
}

// One row per path ("camera" as 0, then "camera01"...), frames from the start of the path on
// the left to its end on the right, each row numbered in its first frame.
bool RenderPathPage(LevelScene& scene, const Theme& theme, SheetCamera& thumb, const std::string& cameraFolder,
                    const std::string& path)
{
    const int rows = 1 + theme.introCameras;
    Image page(kPathFrames * (kThumbWidth + kGap) + kGap, rows * (kThumbHeight + kGap) + kGap, kPageColour);
    bool ok = true;
    for (int r = 0; r < rows; ++r) {
        char name[24];
        std::snprintf(name, sizeof name, r == 0 ? "camera.anm" : "camera%02d.anm", r);
        const int y = kGap + r * (kThumbHeight + kGap);
        for (int f = 0; f < kPathFrames; ++f) {
            Frame3 view;
            const float fraction = static_cast<float>(f) / (kPathFrames - 1);
            ok = PathFrame(cameraFolder + name, fraction, view) && Draw(scene, theme, thumb, view) &&
                 Paste(thumb, page, kGap + f * (kThumbWidth + kGap), y) && ok;
        }
        page.FillRect(kGap, y, kGap + 24, y + 32, {0, 0, 0, 160});
        DrawDigit(page, r, kGap + 6, y + 6, 4, {255, 255, 255, 255});
    }
    return WritePng(page, path) && ok;
}

bool RenderLevels(const SheetContext& context)
{
    bool ok = true;
    SheetCamera camera, thumb;
    if (!camera.Create(kWidth, kHeight, kGameView, 0.3f, 500.0f) ||
        !thumb.Create(kThumbWidth, kThumbHeight, kGameView, 0.3f, 500.0f))
        return false;
    // The game's view window is square whatever the picture's shape.
    const RwV2d gameView{kGameView, kGameView};
    RwCameraSetViewWindow(camera.Camera(), &gameView);
    RwCameraSetViewWindow(thumb.Camera(), &gameView);
    for (int i = 0; i < kLevelCount; ++i) {
        const Theme& theme = LevelTheme(i);
        LevelScene scene;
        if (!Load(context, theme, scene)) {
            std::fprintf(stderr, "tbasset: %s does not load\n", theme.folder);
            ok = false;
            continue;
        }
        const std::string cameras = context.ProjectDir() + "/" + theme.folder + "/camera/";
        const std::string out = context.outDir + "/" + theme.folder;
        Frame3 view;
        ok = PathFrame(cameras + "camera.anm", 0.5f, view) && Render(scene, theme, camera, view, out + "_main.png") &&
             ok;
        ok = RenderPathPage(scene, theme, thumb, cameras, out + "_paths.png") && ok;
        ok = Render(scene, theme, camera, Frame3::LookAt({-43, 3, -7}, {-50.5f, 1.0f, 0}), out + "_goal.png") && ok;
        ok = Render(scene, theme, camera, Frame3::LookAt({15, 55, -100}, {0, 0, 0}), out + "_aerial.png") && ok;
    }
    return ok;
}

bool RenderBalls(const SheetContext& context)
{
    SheetCamera camera;
    if (!camera.Create(480, 270, 0.5f, 0.02f, 50.0f))
        return false;
    const RwBBox box{{100, 100, 100}, {-100, -100, -100}};
    RpWorld* world = RpWorldCreate(&box);
    tools::SceneLights lights;
    const std::string balls = context.ProjectDir() + "/Balls/";
    RpClump* a = LoadClump(balls + "tournamentball.dff", balls);
    RpClump* b = LoadClump(balls + "ragball.dff", balls);
    bool ok = a && b && lights.Create(world, {0.35f, 0.35f, 0.35f, 1}, {0.8f, 0.8f, 0.76f, 1}, {-0.5f, -0.7f, 0.5f});
    if (ok) {
        PlaceClump(a, {-0.15f, 0, 0});
        PlaceClump(b, {0.15f, 0, 0});
        camera.LookAt({0, 0.12f, -0.75f}, {0, 0, 0});
        RpWorldAddCamera(world, camera.Camera());
        ok = camera.Begin({60, 90, 60, 255});
        if (ok) {
            RpClumpRender(a);
            RpClumpRender(b);
            camera.End();
            ok = camera.SavePng(context.outDir + "/balls.png");
        }
        RpWorldRemoveCamera(world, camera.Camera());
    }
    if (a)
        RpClumpDestroy(a);
    if (b)
        RpClumpDestroy(b);
    lights.Destroy();
    RpWorldDestroy(world);
    return ok;
}

const SheetRegistrar kLevels("world.levels", &RenderLevels);
const SheetRegistrar kBalls("world.balls", &RenderBalls);

}  // namespace

}  // namespace assets::world
