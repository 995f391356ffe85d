// Contact sheet of the characters: each race in a few poses and variations, read back from the
// staged files (model, textures, animations, locators) and drawn through the engine.

#include "tools/assets/animations/Motions.h"
#include "tools/assets/characters/Characters.h"

#include "tools/assets/common/Registry.h"
#include "tools/assets/common/Sheet.h"

#include "engine/plugins/RpPlugins.h"
#include "engine/world/RpWorld.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace assets::chars {

namespace {

struct Figure {
    Race race;
    int variation;
    const char* clip;
    float time;
    float x;    // place along the row
    float yaw;  // degrees, 0 faces the camera
    bool hideKit = false;
};

struct Loaded {
    RpClump* clump = nullptr;
    RwTexDictionary* textures = nullptr;
    RtAnimAnimation* anim = nullptr;
    RpClump* ball = nullptr;
    RwTexDictionary* ballTextures = nullptr;
};

RpClump* ReadClump(const std::string& path)
{
    RwStream* in = RwStreamOpen(rwStreamFileName, rwStreamRead, path.c_str());
    if (!in)
        return nullptr;
    RpClump* clump = nullptr;
    RwUInt32 length, version;
    if (RwStreamFindChunk(in, rwChunkClump, &length, &version))
        clump = RpClumpStreamRead(in);
    RwStreamClose(in, nullptr);
    return clump;
}

RpClump* LoadWithTextures(const std::string& file, const std::string& texturePath, RwTexDictionary*& dict)
{
    RwTexDictionary* previous = RwTexDictionaryGetCurrent();
    dict = RwTexDictionaryCreate();
    RwTexDictionarySetCurrent(dict);
    RwImageSetPath(texturePath.c_str());
    RpClump* clump = ReadClump(file);
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

bool LoadFigure(const SheetContext& ctx, const Figure& f, Loaded& out, std::string& error)
{
    const std::string dir = ctx.ProjectDir() + "/" + RaceFolder(f.race) + "/Textures24Bit/";
    const std::string path = dir + "Var0" + std::to_string(f.variation) + ";" + dir + "Common;" + dir + "Shirt00";
    out.clump = LoadWithTextures(ctx.ProjectDir() + "/" + ModelPath(f.race), path, out.textures);
    const std::string anims = ctx.ProjectDir() + "/" + kAnimationFolder + "/";
    out.anim = RtAnimAnimationRead((anims + f.clip + ".anm").c_str());
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
    if (f.hideKit)
        RpAtomicSetFlags(out.clump->atomics[size_t(KitAtomic(f.race))], 0);
    if (f.race == Race::Weasel && std::string(f.clip) != "refredcardpresent")
        RpAtomicSetFlags(out.clump->atomics[size_t(kCardAtomic)], 0);
    h->flags |= rpHAnimHierarchyUpdateModellingMatrices | rpHAnimHierarchyUpdateLTMs;
    RtAnimInterpolatorSetCurrentAnim(h->interpolator, out.anim);
    RpHAnimHierarchyAttach(h);
    RtAnimInterpolatorSetCurrentTime(h->interpolator, f.time);

    // Root motion and the ball, as the game would place them.
    Vec3 moved{};
    if (RtAnimAnimation* move = RtAnimAnimationRead((anims + f.clip + "_move.anm").c_str())) {
        moved = LocatorPoint(move, f.time);
        RtAnimAnimationDestroy(move);
    }
    RwFrame* root = RpClumpGetFrame(out.clump);
    const RwV3d up{0, 1, 0};
    RwFrameRotate(root, &up, 180 + f.yaw, rwCombineReplace);
    const float yaw = (180 + f.yaw) * kPi / 180;
    const Vec3 turned{moved.x * std::cos(yaw) + moved.z * std::sin(yaw), 0, -moved.x * std::sin(yaw) + moved.z * std::cos(yaw)};
    const RwV3d at{f.x + turned.x, 0, turned.z};
    RwFrameTranslate(root, &at, rwCombinePostMultiply);
    RpHAnimHierarchyUpdateMatrices(h);

    if (RtAnimAnimation* ball = RtAnimAnimationRead((anims + f.clip + "_ball.anm").c_str())) {
        if (f.time < ball->duration) {
            const std::string balls = ctx.ProjectDir() + "/Balls/";
            out.ball = LoadWithTextures(balls + "tournamentball.dff", balls + "Textures24Bit;" + balls, out.ballTextures);
            if (out.ball) {
                const Vec3 p = LocatorPoint(ball, f.time);
                const Vec3 w{p.x * std::cos(yaw) + p.z * std::sin(yaw), p.y, -p.x * std::sin(yaw) + p.z * std::cos(yaw)};
                const RwV3d pos{at.x + w.x, w.y, at.z + w.z};
                RwFrameTranslate(RpClumpGetFrame(out.ball), &pos, rwCombineReplace);
            }
        }
        RtAnimAnimationDestroy(ball);
    }
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

bool RenderRow(const SheetContext& ctx, const std::vector<Figure>& figures, const std::string& name, float width)
{
    constexpr int kW = 1400, kH = 560;
    std::vector<Loaded> loaded(figures.size());
    bool ok = true;
    for (size_t i = 0; i < figures.size(); ++i) {
        std::string error;
        if (!LoadFigure(ctx, figures[i], loaded[i], error)) {
            std::fprintf(stderr, "tbasset: characters sheet: %s\n", error.c_str());
            ok = false;
        }
    }
    RpLight* ambient = RpLightCreate(rpLightAmbient);
    RpLight* sun = RpLightCreate(rpLightDirectional);
    const RwRGBAReal dim{0.45f, 0.45f, 0.48f, 1}, bright{0.75f, 0.72f, 0.65f, 1};
    RpLightSetColor(ambient, &dim);
    RpLightSetColor(sun, &bright);
    RwFrame* sunFrame = RwFrameCreate();
    const RwV3d axis{1, 0, 0};
    const RwV3d spin{0, 1, 0};
    RwFrameRotate(sunFrame, &axis, 40, rwCombineReplace);
    RwFrameRotate(sunFrame, &spin, 30, rwCombinePostMultiply);
    RpLightSetFrame(sun, sunFrame);
    const RwBBox box{{200, 200, 200}, {-200, -200, -200}};
    RpWorld* world = RpWorldCreate(&box);
    RpWorldAddLight(world, ambient);
    RpWorldAddLight(world, sun);

    RwRaster* raster = RwRasterCreate(kW, kH, 0, rwRasterTypeCamera);
    RwRaster* z = RwRasterCreate(kW, kH, 0, rwRasterTypeZBuffer);
    RwCamera* camera = RwCameraCreate();
    RwFrame* camFrame = RwFrameCreate();
    RwCameraSetRaster(camera, raster);
    RwCameraSetZRaster(camera, z);
    const float half = width * 0.5f;
    const RwV2d window{half / 10.0f, half / 10.0f * float(kH) / float(kW)};
    RwCameraSetViewWindow(camera, &window);
    RwCameraSetNearClipPlane(camera, 0.5f);
    RwCameraSetFarClipPlane(camera, 100);
    // Looking along +z from in front and a little above.
    const RwV3d tilt{1, 0, 0};
    RwFrameRotate(camFrame, &tilt, 6, rwCombineReplace);
    const RwV3d eye{0, 2.0f, -10.0f};
    RwFrameTranslate(camFrame, &eye, rwCombinePostMultiply);
    RwObjectHasFrameSetFrame(camera, camFrame);
    RpWorldAddCamera(world, camera);

    const RwRGBA sky{120, 150, 120, 255};
    RwCameraClear(camera, &sky, rwCameraClearImage | rwCameraClearZ);
    if (RwCameraBeginUpdate(camera)) {
        for (const Loaded& l : loaded) {
            if (l.clump)
                RpClumpRender(l.clump);
            if (l.ball)
                RpClumpRender(l.ball);
        }
        RwCameraEndUpdate(camera);
        RwImage* image = RwImageCreate(kW, kH, 32);
        RwImageAllocatePixels(image);
        if (RwImageSetFromRaster(image, raster)) {
            Image out(kW, kH);
            for (int y = 0; y < kH; ++y)
                for (int x = 0; x < kW; ++x) {
                    const RwUInt8* p = image->pixels + size_t(y) * size_t(image->stride) + size_t(x) * 4;
                    out.Set(x, y, {p[0], p[1], p[2], 255});
                }
            ok = WritePng(out, ctx.outDir + "/" + name + ".png") && ok;
        } else {
            ok = false;
        }
        RwImageDestroy(image);
    } else {
        ok = false;
    }
    RpWorldRemoveCamera(world, camera);
    RpWorldDestroy(world);
    RwObjectHasFrameSetFrame(camera, nullptr);
    RwCameraDestroy(camera);
    RwFrameDestroy(camFrame);
    RwRasterDestroy(raster);
    RwRasterDestroy(z);
    RpLightDestroy(ambient);
    RpLightDestroy(sun);
    RwFrameDestroy(sunFrame);
    for (Loaded& l : loaded)
        Release(l);
    return ok;
}

bool RenderCharacters(const SheetContext& ctx)
{
    bool ok = RegisterImageReaders();
    // All five side by side, front and back, and one without its kit.
    std::vector<Figure> lineup;
    float x = -7.2f;
    for (Race race : kRaces) {
        const char* stand = race == Race::Weasel ? "refstand" : "stand";
        lineup.push_back({race, race == Race::Weasel ? 0 : 3, stand, 0.0f, x, 0});
        lineup.push_back({race, race == Race::Weasel ? 0 : 2, stand, 0.0f, x + 1.25f, 180});
        x += 3.0f;
    }
    ok = RenderRow(ctx, lineup, "characters_lineup", 16.0f) && ok;

    for (Race race : kRaces) {
        std::vector<Figure> row;
        if (race == Race::Weasel) {
            row = {{race, 0, "refstand", 0.0f, -6.0f, 20},
                   {race, 0, "refrun", 0.2f, -3.6f, -50},
                   {race, 0, "refwhistlelong", 0.6f, -1.2f, 20},
                   {race, 0, "refredcardpresent", 1.0f, 1.2f, 10},
                   {race, 0, "refwalk", 0.3f, 3.6f, -60},
                   {race, 0, "refstand", 0.0f, 6.0f, 20, true}};
        } else {
            row = {{race, 2, "run", 0.16f, -5.0f, -90},
                   {race, 4, "shoot", 0.40f, -3.0f, -90},
                   {race, 0, "savetopleft", 0.45f, -2.2f, 0},
                   {race, 1, "savebottomcenter", 0.5f, 0.9f, 20},
                   {race, 5, "header", 0.34f, 2.6f, -60},
                   {race, 6, "cheer", 0.25f, 4.2f, -10},
                   {race, 7, "slidetackle", 0.6f, 3.0f, 90}};
        }
        std::string name = RaceName(race);
        ok = RenderRow(ctx, row, "characters_" + name, 12.0f) && ok;
    }
    // Motions frame by frame, seen from the side.
    struct Strip {
        const char* clip;
        Race race;
        int variation;
        float yaw;
    };
    const Strip strips[] = {{"shoot", Race::Lizard, 2, -90}, {"pass", Race::Primate, 3, -90},
                            {"savetopleft", Race::Rhino, 0, 0}, {"slidetackle", Race::Panda, 4, -90},
                            {"throwinshot", Race::Primate, 5, -90}, {"refredcardpresent", Race::Weasel, 0, -30}};
    for (const Strip& strip : strips) {
        const Clip* clip = FindClip(strip.clip);
        if (!clip)
            continue;
        std::vector<Figure> row;
        for (int k = 0; k < 6; ++k) {
            const float t = clip->duration * float(k) / 6.0f;
            row.push_back({strip.race, strip.variation, strip.clip, t, 5.5f - 2.2f * float(k), strip.yaw});
        }
        ok = RenderRow(ctx, row, std::string("motion_") + strip.clip, 14.0f) && ok;
    }
    return ok;
}

const SheetRegistrar kSheet("characters", &RenderCharacters);

}  // namespace

}  // namespace assets::chars
