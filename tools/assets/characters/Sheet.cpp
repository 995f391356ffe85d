// Contact sheet of the characters: each race standing front and back, bare, in its actions and
// in every variation, and motions frame by frame, read back from the staged files (model,
// textures, animations, locators) and drawn through the engine. Figures stand on a pitch with
// a one-metre grid, laid out by their posed extent so that none overlaps another, and the
// camera frames the whole row.

#include "tools/assets/animations/Motions.h"
#include "tools/assets/characters/Characters.h"

#include "tools/assets/common/Registry.h"
#include "tools/assets/common/Sheet.h"
#include "tools/assets/world/Balls.h"
#include "tools/common/SceneLights.h"

#include "engine/plugins/RpPlugins.h"
#include "engine/world/RpWorld.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace assets::chars {

namespace {

constexpr int kWidth = 1600;
constexpr float kViewWindow = 0.5f;
constexpr float kGap = 0.3f;  // metres between neighbouring figures

struct Figure {
    Race race;
    int variation;
    const char* clip;
    float time;
    float yaw;  // degrees about +y; 0 faces the camera
    bool hideKit = false;
};

struct Loaded {
    RpClump* clump = nullptr;
    RwTexDictionary* textures = nullptr;
    RtAnimAnimation* anim = nullptr;
    RpHAnimHierarchy* hierarchy = nullptr;
    RpClump* ball = nullptr;
    RwTexDictionary* ballTextures = nullptr;
    Vec3 ballAt{};  // in the character's space, after its root motion
    Vec3 moved{};   // root motion
    float yaw = 0;
    float left = 0, right = 0, top = 0;  // posed extent
};

RpClump* LoadWithTextures(const std::string& file, const std::string& texturePath, RwTexDictionary*& dict)
{
    // A dictionary per figure: variations name their textures alike.
    RwTexDictionary* previous = RwTexDictionaryGetCurrent();
    dict = RwTexDictionaryCreate();
    RwTexDictionarySetCurrent(dict);
    RpClump* clump = LoadClump(file, texturePath);
    RwTexDictionarySetCurrent(previous);
    return clump;
}

Vec3 LocatorPoint(RtAnimAnimation* locator, float t)
{
    RtAnimInterpolator* in = RtAnimInterpolatorCreate(2, 36);
    RtAnimInterpolatorSetCurrentAnim(in, locator);
    RtAnimInterpolatorSetCurrentTime(in, std::min(t, locator->duration - 1e-4f));
    const RtAnimKeyFrame* k = RtAnimInterpolatorGetInterpFrame(in, 1);
    const Vec3 p{k->trans[0], k->trans[1], k->trans[2]};
    RtAnimInterpolatorDestroy(in);
    return p;
}

// The point a locator file gives at time t; false when the clip has no such locator or it has
// ended by then.
bool ReadLocator(const std::string& path, float t, Vec3& at)
{
    RtAnimAnimation* locator = RtAnimAnimationRead(path.c_str());
    if (!locator)
        return false;
    const bool running = t < locator->duration;
    if (running)
        at = LocatorPoint(locator, t);
    RtAnimAnimationDestroy(locator);
    return running;
}

std::string TexturePath(const SheetContext& ctx, const Figure& f)
{
    const std::string dir = ctx.ProjectDir() + "/" + RaceFolder(f.race) + "/Textures24Bit/";
    return dir + "Var0" + std::to_string(f.variation) + ";" + dir + "Common;" + dir + "Shirt00";
}

// Turned by the figure's yaw, moved by its root motion, then along the row by x.
void Place(Loaded& l, float x)
{
    RwFrame* root = RpClumpGetFrame(l.clump);
    const RwV3d up{0, 1, 0}, moved = ToRw(l.moved), along{x, 0, 0};
    RwFrameRotate(root, &up, l.yaw, rwCombineReplace);
    RwFrameTranslate(root, &moved, rwCombinePreMultiply);
    RwFrameTranslate(root, &along, rwCombinePostMultiply);
    RpHAnimHierarchyUpdateMatrices(l.hierarchy);
    if (l.ball) {
        RwV3d ball;
        const RwV3d local = ToRw(l.ballAt);
        RwV3dTransformPoints(&ball, &local, 1, RwFrameGetLTM(root));
        RwFrameTranslate(RpClumpGetFrame(l.ball), &ball, rwCombineReplace);
    }
}

// The extent of the skinned vertices as drawn, and of the ball.
void Measure(Loaded& l)
{
    l.left = 1e9f;
    l.right = -1e9f;
    l.top = 0;
    auto take = [&l](RwV3d p, float radius) {
        l.left = std::min(l.left, p.x - radius);
        l.right = std::max(l.right, p.x + radius);
        l.top = std::max(l.top, p.y + radius);
    };
    for (RpAtomic* a : l.clump->atomics) {
        if (!(RpAtomicGetFlags(a) & rpAtomicRender))
            continue;
        std::vector<RwV3d> points(size_t(RpAtomicGetGeometry(a)->numVertices));
        if (!RpSkinBlendVertices(a, points.data(), nullptr))
            continue;
        RwV3dTransformPoints(points.data(), points.data(), RwInt32(points.size()), RwFrameGetLTM(RpAtomicGetFrame(a)));
        for (const RwV3d& p : points)
            take(p, 0);
    }
    if (l.ball)
        take(RwFrameGetLTM(RpClumpGetFrame(l.ball))->pos, world::kBallRadius);
}

void HideAtomics(const Figure& f, RpClump* clump)
{
    if (f.hideKit)
        RpAtomicSetFlags(clump->atomics[size_t(KitAtomic(f.race))], 0);
    if (f.race == Race::Weasel && std::string(f.clip) != "refredcardpresent")
        RpAtomicSetFlags(clump->atomics[size_t(kCardAtomic)], 0);
}

void LoadBall(const SheetContext& ctx, const std::string& clip, float time, Loaded& out)
{
    if (!ReadLocator(clip + "_ball.anm", time, out.ballAt))
        return;
    const std::string balls = ctx.ProjectDir() + "/Balls/";
    out.ball = LoadWithTextures(balls + "tournamentball.dff", balls + "Textures24Bit;" + balls, out.ballTextures);
}

bool LoadFigure(const SheetContext& ctx, const Figure& f, Loaded& out, std::string& error)
{
    out.clump = LoadWithTextures(ctx.ProjectDir() + "/" + ModelPath(f.race), TexturePath(ctx, f), out.textures);
    const std::string clip = ctx.ProjectDir() + "/" + kAnimationFolder + "/" + f.clip;
    out.anim = RtAnimAnimationRead((clip + ".anm").c_str());
    if (!out.clump || !out.anim) {
        error = std::string(RaceName(f.race)) + " or " + f.clip + " does not load";
        return false;
    }
    RpHAnimHierarchy* h = RpHAnimFrameFindHierarchy(RpClumpGetFrame(out.clump));
    if (!h) {
        error = std::string(RaceName(f.race)) + " has no skeleton";
        return false;
    }
    for (RpAtomic* a : out.clump->atomics)
        if (RpSkinGeometryGetSkin(RpAtomicGetGeometry(a)))
            RpSkinAtomicSetHAnimHierarchy(a, h);
    HideAtomics(f, out.clump);
    h->flags |= rpHAnimHierarchyUpdateModellingMatrices | rpHAnimHierarchyUpdateLTMs;
    RtAnimInterpolatorSetCurrentAnim(h->interpolator, out.anim);
    RpHAnimHierarchyAttach(h);
    RtAnimInterpolatorSetCurrentTime(h->interpolator, f.time);
    out.hierarchy = h;
    out.yaw = f.yaw;
    ReadLocator(clip + "_move.anm", f.time, out.moved);
    LoadBall(ctx, clip, f.time, out);
    Place(out, 0);
    Measure(out);
    return true;
}

void Release(Loaded& l)
{
    if (l.clump)
        RpClumpDestroy(l.clump);
    if (l.ball)
        RpClumpDestroy(l.ball);
    if (l.anim)
        RtAnimAnimationDestroy(l.anim);
    if (l.textures)
        RwTexDictionaryDestroy(l.textures);
    if (l.ballTextures)
        RwTexDictionaryDestroy(l.ballTextures);
}

struct RowExtent {
    float halfWidth = 0, top = 0;
};

// Side by side from left to right, a gap between extents, the row centred on x = 0.
RowExtent LayOut(std::vector<Loaded>& row)
{
    float width = 0;
    for (const Loaded& l : row)
        if (l.clump)
            width += l.right - l.left + kGap;
    RowExtent extent{std::max(0.0f, width - kGap) * 0.5f, 0};
    float cursor = -extent.halfWidth;
    for (Loaded& l : row) {
        if (!l.clump)
            continue;
        // Measured at x = 0, so the extent moves with the figure.
        Place(l, cursor - l.left);
        cursor += l.right - l.left + kGap;
        extent.top = std::max(extent.top, l.top);
    }
    return extent;
}

// The pitch: grass with a line every metre, so heights and depths read at a glance.
RpClump* BuildGround()
{
    MeshBuilder m;
    m.UseMaterial(m.Material(""));
    constexpr float kHalf = 40.0f;
    m.SetColour({86, 138, 74, 255});
    m.Quad({-kHalf, 0, kHalf}, {kHalf, 0, kHalf}, {kHalf, 0, -kHalf}, {-kHalf, 0, -kHalf});
    m.SetColour({150, 190, 140, 255});
    constexpr float kLine = 0.015f, kLift = 0.003f;
    for (int i = -static_cast<int>(kHalf); i <= static_cast<int>(kHalf); ++i) {
        const float c = static_cast<float>(i);
        m.Quad({c - kLine, kLift, kHalf}, {c + kLine, kLift, kHalf}, {c + kLine, kLift, -kHalf}, {c - kLine, kLift, -kHalf});
        m.Quad({-kHalf, kLift, c + kLine}, {kHalf, kLift, c + kLine}, {kHalf, kLift, c - kLine}, {-kHalf, kLift, c - kLine});
    }
    return BuildClump(m, kGeoPrelit);
}

// The picture: as wide as a page, as tall as the row needs, and the camera far enough back
// that the row fits across and up, looking a little down so that the pitch shows at the feet.
struct View {
    int height;
    Frame3 frame;
};

View FrameRow(const RowExtent& row)
{
    constexpr float kMargin = 0.3f, kFloor = 0.3f;
    const float halfWidth = row.halfWidth + kMargin;
    const float halfHeight = (row.top + kFloor) * 0.5f + kMargin;
    const float aspect = std::clamp(halfHeight / halfWidth, 0.25f, 0.7f);
    const float distance = std::max(halfWidth, halfHeight / aspect) / kViewWindow + 1.0f;
    const float centre = (row.top - kFloor) * 0.5f;
    return {static_cast<int>(static_cast<float>(kWidth) * aspect),
            Frame3::LookAt({0, centre + distance * 0.1f, distance}, {0, centre, 0})};
}

bool DrawRow(const SheetContext& ctx, std::vector<Loaded>& row, const std::string& name)
{
    const View view = FrameRow(LayOut(row));
    SheetCamera camera;
    RpClump* ground = BuildGround();
    const RwBBox box{{200, 200, 200}, {-200, -200, -200}};
    RpWorld* world = RpWorldCreate(&box);
    tools::SceneLights lights;
    bool ok = ground && camera.Create(kWidth, view.height, kViewWindow, 0.5f, 200.0f) &&
              lights.Create(world, {0.45f, 0.45f, 0.45f, 1}, {0.7f, 0.7f, 0.665f, 1}, {-0.3f, -0.7f, -0.6f});
    if (ok) {
        camera.Place(view.frame);
        RpWorldAddCamera(world, camera.Camera());
        ok = camera.Begin({176, 196, 214, 255});
        if (ok) {
            RpClumpRender(ground);
            for (const Loaded& l : row) {
                if (l.clump)
                    RpClumpRender(l.clump);
                if (l.ball)
                    RpClumpRender(l.ball);
            }
            camera.End();
            ok = camera.SavePng(ctx.outDir + "/" + name + ".png");
        }
        RpWorldRemoveCamera(world, camera.Camera());
    }
    if (ground)
        RpClumpDestroy(ground);
    lights.Destroy();
    RpWorldDestroy(world);
    return ok;
}

bool RenderRow(const SheetContext& ctx, const std::vector<Figure>& figures, const std::string& name)
{
    std::vector<Loaded> loaded(figures.size());
    bool ok = true;
    for (size_t i = 0; i < figures.size(); ++i) {
        std::string error;
        if (!LoadFigure(ctx, figures[i], loaded[i], error)) {
            std::fprintf(stderr, "tbasset: characters sheet: %s\n", error.c_str());
            Release(loaded[i]);
            loaded[i] = {};
            ok = false;
        }
    }
    ok = DrawRow(ctx, loaded, name) && ok;
    for (Loaded& l : loaded)
        Release(l);
    return ok;
}

const char* StandClip(Race race)
{
    return race == Race::Weasel ? "refstand" : "stand";
}

int FieldVariation(Race race)
{
    return race == Race::Weasel ? 0 : 2;
}

// Every race front and back.
std::vector<Figure> Lineup()
{
    std::vector<Figure> row;
    for (Race race : kRaces) {
        row.push_back({race, FieldVariation(race), StandClip(race), 0, 0});
        row.push_back({race, FieldVariation(race), StandClip(race), 0, 180});
    }
    return row;
}

// One race close up: in its kit from the front and the back, and bare from three sides.
std::vector<Figure> Look(Race race)
{
    const int v = FieldVariation(race);
    const char* stand = StandClip(race);
    return {{race, v, stand, 0, 0},         {race, v, stand, 0, 180},       {race, v, stand, 0, 0, true},
            {race, v, stand, 0, 90, true},  {race, v, stand, 0, 180, true}};
}

std::vector<Figure> Actions(Race race)
{
    if (race == Race::Weasel)
        return {{race, 0, "refstand", 0.0f, 20},         {race, 0, "refrun", 0.2f, 90},
                {race, 0, "refwhistlelong", 0.6f, 20},   {race, 0, "refredcardpresent", 1.0f, 10},
                {race, 0, "refwalk", 0.3f, 60},          {race, 0, "refstand", 0.0f, -30, true}};
    return {{race, 2, "run", 0.16f, 90},          {race, 4, "shoot", 0.40f, 90},        {race, 0, "savetopleft", 0.45f, 0},
            {race, 1, "savebottomcenter", 0.5f, 20}, {race, 5, "header", 0.34f, 60},    {race, 6, "cheer", 0.25f, 10},
            {race, 7, "slidetackle", 0.6f, 90},   {race, 8, "fallover", 0.9f, 90}};
}

std::vector<Figure> Variations(Race race)
{
    std::vector<Figure> row;
    for (int v = 0; v < VariationCount(race); ++v)
        row.push_back({race, v, StandClip(race), 0, 20});
    return row;
}

// Six frames from the start to the end of a clip, seen from the side.
std::vector<Figure> Strip(const Clip& clip, Race race, int variation, float yaw)
{
    std::vector<Figure> row;
    for (int k = 0; k < 6; ++k)
        row.push_back({race, variation, clip.name.c_str(), clip.duration * static_cast<float>(k) / 5.0f, yaw});
    return row;
}

bool RenderMotions(const SheetContext& ctx)
{
    struct Motion {
        const char* clip;
        Race race;
        int variation;
        float yaw;
    };
    const Motion motions[] = {{"shoot", Race::Lizard, 2, 90},       {"pass", Race::Primate, 3, 90},
                              {"savetopleft", Race::Rhino, 0, 0},    {"slidetackle", Race::Panda, 4, 90},
                              {"slidegetup", Race::Rhino, 5, 90},     {"fallover", Race::Lizard, 6, 90},
                              {"throwinshot", Race::Primate, 5, 90}, {"refredcardpresent", Race::Weasel, 0, 30}};
    bool ok = true;
    for (const Motion& m : motions)
        if (const Clip* clip = FindClip(m.clip))
            ok = RenderRow(ctx, Strip(*clip, m.race, m.variation, m.yaw), std::string("motion_") + m.clip) && ok;
    return ok;
}

bool RenderCharacters(const SheetContext& ctx)
{
    bool ok = RegisterImageReaders();
    ok = RenderRow(ctx, Lineup(), "characters_lineup") && ok;
    for (Race race : kRaces) {
        const std::string name = RaceName(race);
        ok = RenderRow(ctx, Look(race), "characters_look_" + name) && ok;
        ok = RenderRow(ctx, Actions(race), "characters_" + name) && ok;
        if (VariationCount(race) > 1)
            ok = RenderRow(ctx, Variations(race), "characters_variations_" + name) && ok;
    }
    return RenderMotions(ctx) && ok;
}

const SheetRegistrar kSheet("characters", &RenderCharacters);

}  // namespace

}  // namespace assets::chars
