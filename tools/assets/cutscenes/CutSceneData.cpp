// The cut scenes: the two intros, the outro and the newspaper report. Each folder holds its
// script (written through the scene's own table), the models it names, the actors' animations
// and places (locators), and one camera path per shot. The newspaper keeps a copy of its
// folder per race, since it plays in the home goalie's race folder, and its page images.
#include "tools/assets/animations/Motions.h"
#include "tools/assets/characters/Characters.h"
#include "tools/assets/common/Files.h"
#include "tools/assets/common/Registry.h"
#include "tools/assets/world/Levels.h"

#include "engine/plugins/RpPlugins.h"
#include "framework/AsciiSerializer.h"
#include "framework/Cast.h"
#include "framework/FileSystem.h"
#include "frontend/cutscenes/Scene.h"
#include "scene/GameElements.h"
#include "scene/ParticleEmitters.h"
#include "scene/ParticleSystem.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <set>

namespace assets::cutscenes {

namespace {

using chars::Race;

struct Key {
    float time;
    Vec3 eye, target;
};

const Vec3 kLeft{-1.2f, 0, 0}, kRight{1.2f, 0, 0};

bool WriteAnimation(RtAnimAnimation* animation, const std::string& path)
{
    const bool ok = animation && WriteAnimationFile(animation, path);
    RtAnimAnimationDestroy(animation);
    return ok;
}

// A camera path of a few keys; with a clump, the hidden clump that carries it beside it.
bool WriteCameraPath(const std::string& base, const std::vector<Key>& keys, bool withClump)
{
    RtAnimAnimation* anim = RtAnimAnimationCreate(1, keys.back().time);
    float previous[4] = {1, 0, 0, 0};
    for (const Key& k : keys) {
        RtAnimKeyFrame key{};
        key.time = k.time;
        world::ToQuaternion(Frame3::LookAt(k.eye, k.target), key.rot);
        if (key.rot[0] * previous[0] + key.rot[1] * previous[1] + key.rot[2] * previous[2] + key.rot[3] * previous[3] < 0)
            for (float& c : key.rot)
                c = -c;
        std::copy(key.rot, key.rot + 4, previous);
        std::copy(&k.eye.x, &k.eye.x + 3, key.trans);
        anim->tracks[0].keys.push_back(key);
    }
    bool ok = WriteAnimation(anim, base + ".anm");
    if (withClump) {
        RpClump* clump = world::PathClump();
        ok = clump && WriteClumpFile(clump, base + ".dff") && ok;
        RpClumpDestroy(clump);
    }
    return ok;
}

// A slow push towards what the shot looks at, from the side given by the angle.
std::vector<Key> Orbit(float seconds, Vec3 target, float angle, float radius, float height, float turn = 0.4f)
{
    const auto eye = [&](float a, float r, float h) {
        return Vec3{target.x + std::sin(a) * r, h, target.z - std::cos(a) * r};
    };
    return {{0, eye(angle, radius, height), target},
            {seconds * 0.5f, eye(angle + turn * 0.5f, radius * 0.85f, height * 0.9f), target},
            {seconds, eye(angle + turn, radius * 0.7f, height * 0.8f), target}};
}

bool WriteModel(const std::string& dir, Race race, const std::string& name)
{
    RpClump* clump = chars::BuildCharacter(race);
    const std::string path = dir + "/" + name + ".dff";
    const bool ok = clump && MakeParentDirs(path) && WriteClumpFile(clump, path);
    if (clump)
        RpClumpDestroy(clump);
    // Later folders override earlier ones in the game's look-up, so they are written last.
    std::map<std::string, const Image*> textures;
    const std::vector<chars::TextureFile> painted = chars::PaintCharacterTextures(race);
    for (const char* folder : {"Shirt00", "Common", "Var02"})
        for (const chars::TextureFile& file : painted)
            if (file.folder == folder)
                textures[file.name] = &file.image;
    bool written = ok;
    for (const auto& [texture, image] : textures)
        written = WritePng(*image, dir + "/" + name + "_tex/" + texture + ".png") && written;
    return written;
}

bool WriteClip(const std::string& path, const char* clip)
{
    const chars::Clip* found = chars::FindClip(clip);
    return found && WriteAnimation(chars::BuildClipAnimation(*found), path);
}

bool WritePlace(const std::string& path, Vec3 from, Vec3 to, float seconds)
{
    return WriteAnimation(chars::BuildLocatorAnimation(seconds, [=](float t) {
                              return from + (to - from) * (seconds > 0 ? t / seconds : 0.0f);
                          }),
                          path);
}

// The sheet of newsprint ("paper") and the printing plate that shows the same page.
bool WriteProps(const std::string& dir)
{
    MeshBuilder paper;
    paper.UseMaterial(paper.Material("paper"));
    // Read from the front (+z, where the actors face).
    paper.Quad({-0.3f, 1.0f, 0}, {0.3f, 1.0f, 0}, {0.3f, 1.8f, 0}, {-0.3f, 1.8f, 0}, 0, 1, 1, 0);
    paper.Quad({0.3f, 1.0f, -0.01f}, {-0.3f, 1.0f, -0.01f}, {-0.3f, 1.8f, -0.01f}, {0.3f, 1.8f, -0.01f}, 1, 1, 0, 0);
    MeshBuilder plate;
    plate.UseMaterial(plate.Material("", {120, 120, 128, 255}));
    plate.Box({-0.6f, 0.0f, -0.6f}, {0.6f, 0.7f, 0.6f});
    plate.UseMaterial(plate.Material("paper"));
    plate.Quad({-0.5f, 0.71f, -0.5f}, {-0.5f, 0.71f, 0.5f}, {0.5f, 0.71f, 0.5f}, {0.5f, 0.71f, -0.5f});
    bool ok = true;
    for (auto [mesh, name] : {std::pair{&paper, "newspaper"}, std::pair{&plate, "plate"}}) {
        RpClump* clump = BuildClump(*mesh, kGeoNormals | kGeoTextured);
        ok = clump && WriteClumpFile(clump, dir + "/" + name + ".dff") && ok;
        if (clump)
            RpClumpDestroy(clump);
    }
    Image blank(64, 64, {236, 232, 218, 255});
    blank.Grain(8, 0.05f, 77);
    return WritePng(blank, dir + "/props/paper.png") && ok;
}

bool WriteScript(const Scene& scene, const std::string& path)
{
    FileSystem* files = FileSystem::Instance();
    File* file = MakeParentDirs(path) ? files->OpenWrite(path.c_str()) : nullptr;
    if (!file)
        return false;
    {
        AsciiSerializer writer(file, true);
        writer.SerializeObject("intro scene", const_cast<Scene*>(&scene));
    }
    if (!files->Close(file))
        return false;
    NoteWritten(path);
    return true;
}

// One actor's part in a shot: what it plays and where it stands.
struct Part {
    const char* actor;
    const char* anim;  // a clip of the animation library, or "idle"
    Vec3 from, to;
};

struct ShotPlan {
    float seconds;
    std::vector<Key> camera;
    std::vector<Part> parts;
    std::vector<SceneFade> fades;
    float replaySpeed = 1.0f;
    bool cameraClump = false;
    float fov = 0.7f;
};

// The script's names of a part's clip ("idle" for the race's own loop) and of its place.
std::string AnimFile(const Part& part)
{
    return std::string(part.anim) == "idle" ? "idle" : std::string(part.anim) + ".anm";
}

std::string PlaceFile(const std::string& prefix, size_t shot, const Part& part)
{
    return prefix + "_s" + std::to_string(shot + 1) + "_" + part.actor + ".anm";
}

// The clips and places the shots' actors play, written into dir: the actors read them from
// the race folder of the player they stand for, or from the scene's folder.
bool WriteActorFiles(const std::string& dir, const std::string& prefix, const std::vector<ShotPlan>& plans)
{
    bool ok = true;
    std::set<std::string> clips;
    for (size_t i = 0; i < plans.size(); ++i)
        for (const Part& part : plans[i].parts) {
            if (AnimFile(part) != "idle" && clips.insert(part.anim).second)
                ok = WriteClip(dir + "/" + AnimFile(part), part.anim) && ok;
            ok = WritePlace(dir + "/" + PlaceFile(prefix, i, part), part.from, part.to, plans[i].seconds) && ok;
        }
    return ok;
}

// Writes the shots' camera paths, clips and places into dir, and adds the shots to the scene.
bool AddShots(Scene& scene, const std::string& dir, const std::string& prefix, const std::vector<ShotPlan>& plans)
{
    bool ok = WriteActorFiles(dir, prefix, plans);
    for (size_t i = 0; i < plans.size(); ++i) {
        const ShotPlan& plan = plans[i];
        auto shot = std::make_unique<SceneShot>();
        const std::string camera = prefix + "_cam" + std::to_string(i + 1);
        ok = WriteCameraPath(dir + "/" + camera, plan.camera, plan.cameraClump) && ok;
        shot->SetCamera(camera + ".anm", plan.fov, 0.3f, 600.0f);
        shot->fogDistance = 140.0f;
        shot->fogDensity = 1.0f;
        shot->replaySpeed = plan.replaySpeed;
        for (const Part& part : plan.parts)
            shot->ActorAnims().push_back(std::make_unique<ActorAnim>(part.actor, AnimFile(part), PlaceFile(prefix, i, part)));
        for (const SceneFade& fade : plan.fades)
            shot->Fades().push_back(std::make_unique<SceneFade>(fade.fadeType, fade.fadeStart, fade.fadeEnd,
                                                                fade.fadeColor, fade.fadeObjName, fade.fadeTransType));
        scene.Shots().push_back(std::move(shot));
    }
    return ok;
}

std::unique_ptr<Scene> MakeScene(const char* level, const char* settings, int crossFade)
{
    auto scene = std::make_unique<Scene>();
    scene->level = level;
    scene->settings = settings;
    scene->crossFadeableSkyDome = crossFade;
    return scene;
}

const SceneFade kFadeIn{1, 0.0f, 1.0f};
const SceneFade kFadeOut{2, 0.0f, 1.0f};

bool WriteIntro(const AssetContext& context, const char* folder, const char* level, Race hero, Race rival,
                const Color& flash)
{
    const std::string dir = context.Path(std::string("cutScenes/") + folder);
    const std::string a = chars::RaceName(hero), b = chars::RaceName(rival);
    bool ok = WriteModel(dir, hero, a) && WriteModel(dir, rival, b) && WriteClip(dir + "/idle_loop.anm", "idle");
    const std::unique_ptr<Scene> made = MakeScene(level, "settings", 0);
    Scene& scene = *made;
    scene.Actors().push_back(std::make_unique<SceneActor>(a, a + ".dff", a + "_tex"));
    scene.Actors().push_back(std::make_unique<SceneActor>(b, b + ".dff", b + "_tex"));
    const char* hn = scene.Actors()[0]->GetName().c_str();
    const char* rn = scene.Actors()[1]->GetName().c_str();
    const std::vector<ShotPlan> plans = {
        {3.0f, Orbit(3.0f, {0, 1, 0}, 2.5f, 9, 3), {{hn, "idle", kLeft, kLeft}, {rn, "idle", kRight, kRight}}, {kFadeIn}},
        {2.5f, Orbit(2.5f, {-1.2f, 1.2f, 0}, 3.4f, 4, 1.6f), {{hn, "cheer", kLeft, kLeft}, {rn, "dismay", kRight, kRight}},
         {SceneFade(1, 0.0f, 0.3f, flash, "", 1)}, 1.0f, true},
        {3.0f, Orbit(3.0f, {0, 1, 0}, 3.9f, 7, 2.2f, -0.5f),
         {{hn, "cheer2", kLeft, kLeft + Vec3{0, 0, 1}}, {rn, "idle", kRight, kRight}}, {kFadeOut}},
    };
    ok = AddShots(scene, dir, "intro", plans) && ok;
    return WriteScript(scene, dir + "/script.txt") && ok;
}

bool WriteIntros(const AssetContext& context)
{
    // Both are written whatever the first gives, so that one run reports every failure.
    bool ok = WriteIntro(context, "panda_intro", "level01", Race::Panda, Race::Lizard, {1, 1, 1, 0.8f});
    ok = WriteIntro(context, "primate_intro", "level04", Race::Primate, Race::Rhino, {1, 0.9f, 0.6f, 0.8f}) && ok;
    return ok;
}

// The home team's places, facing +z: one row, the goalie in its middle, where no camera that
// looks at the row from in front passes through him.
Vec3 TeamPlace(int i)
{
    const int place = i == 0 ? 3 : i <= 3 ? i - 1 : i;
    return Vec3{-4.5f + 1.5f * static_cast<float>(place), 0, -0.5f};
}

std::string TeamActor(int i)
{
    return i == 0 ? "goalie" : "player" + std::to_string(i);
}

void AddTeamActors(Scene& scene)
{
    for (int i = 0; i < 7; ++i)
        scene.Actors().push_back(std::make_unique<SceneActor>(TeamActor(i), "player.dff", "player_tex"));
}

// Parts for the whole team; the names live as long as the program (static table).
std::vector<Part> TeamParts(const char* anim, int count = 7)
{
    static const std::string names[7] = {TeamActor(0), TeamActor(1), TeamActor(2), TeamActor(3),
                                         TeamActor(4), TeamActor(5), TeamActor(6)};
    std::vector<Part> parts;
    for (int i = 0; i < count; ++i)
        parts.push_back({names[i].c_str(), anim, TeamPlace(i), TeamPlace(i)});
    return parts;
}

bool WriteOutroSettings(const AssetContext& context)
{
    const std::string from = context.Path("level01/settings");
    const std::string to = context.Path("level01/cutscene");
    bool ok = true;
    for (const char* cast : {"display/display.txt", "level/level.txt", "misc/misc.txt"}) {
        std::error_code error;
        std::filesystem::create_directories(std::filesystem::path(to + "/" + cast).parent_path(), error);
        std::filesystem::copy_file(from + "/" + cast, to + "/" + cast, std::filesystem::copy_options::overwrite_existing,
                                   error);
        ok = !error && ok;
        if (!error)
            NoteWritten(to + "/" + cast);
    }
    Cast objects("objects");
    world::AddLevelPitchVolumes(objects);
    world::AddLevelElements(objects);
    auto* element = new GeParticleSystem();
    element->GetTexture()->NameFiles("<PP>Particles\\<TP>spark.png", "");
    element->SetQuality(GeParticleSystem::kLow);
    ParticleSystem& sparks = *element->GetParticleSystem();
    sparks.SetEmitterSpeed(40.0f);
    sparks.SetMaxParticles(200);
    sparks.SetColors({1, 0.9f, 0.5f, 1}, {1, 0.4f, 0.1f, 0});
    sparks.Position().Set(MakeSphereEmitter({0, 0, 0}, 0.3f));
    sparks.Velocity().Set(MakeSphereEmitter({0, 1.5f, 0}, 1.0f));
    sparks.Size().Set(MakeLinearEmitter(0.3f, 0.1f));
    sparks.LifeTime().Set(MakeLinearEmitter(1.2f, 0.3f));
    objects.AddDynamicMember(element, "referee_particles");
    return WriteCastFile(objects, to + "/objects/objects.txt") && ok;
}

// A path of one node through the points of the function, eight keys a second.
RtAnimAnimation* PointPath(float seconds, const std::function<Vec3(float)>& at)
{
    RtAnimAnimation* anim = RtAnimAnimationCreate(1, seconds);
    const int keys = static_cast<int>(seconds * 8.0f);
    for (int k = 0; k <= keys; ++k) {
        RtAnimKeyFrame key{};
        key.time = seconds * static_cast<float>(k) / static_cast<float>(keys);
        key.rot[0] = 1.0f;
        const Vec3 p = at(key.time);
        std::copy(&p.x, &p.x + 3, key.trans);
        anim->tracks[0].keys.push_back(key);
    }
    return anim;
}

bool WriteOutroProps(const std::string& dir)
{
    // The particles fly a loop over the centre spot; their emission follows the controller's
    // height: from nothing up to twice the level's own and back.
    const float seconds = 3.0f;
    bool ok = WriteAnimation(PointPath(seconds, [](float t) {
                                 return Vec3{std::sin(t * 2.1f) * 3, 2.5f + std::sin(t * 3.0f), std::cos(t * 2.1f) * 3};
                             }),
                             dir + "/Props/s17_emitter.anm");
    ok = WriteAnimation(PointPath(seconds, [=](float t) { return Vec3{0, -2 * std::sin(t / seconds * 3.14159f), 0}; }),
                        dir + "/Props/s17_controller.anm") && ok;
    RpClump* clump = world::PathClump();
    ok = clump && WriteClumpFile(clump, dir + "/Props/s17_emitter.dff") && ok;
    if (clump)
        RpClumpDestroy(clump);
    return ok;
}

bool WriteOutro(const AssetContext& context)
{
    const std::string dir = context.Path("cutScenes/Outro");
    bool ok = WriteModel(dir, Race::Panda, "player") && WriteClip(dir + "/idle_loop.anm", "idle");
    ok = WriteOutroProps(dir) && WriteOutroSettings(context) && ok;
    const std::unique_ptr<Scene> made = MakeScene("level01", "cutscene", 1);
    Scene& scene = *made;
    AddTeamActors(scene);
    std::vector<ShotPlan> plans;
    const char* anims[] = {"idle", "cheer", "cheer2", "cheer"};
    for (int i = 0; i < 17; ++i) {
        const float seconds = i == 16 ? 3.0f : 1.2f;
        const Vec3 target = TeamPlace(i % 7) + Vec3{0, 1, 0};
        // From in front of the team, swinging from one side to the other over the shots.
        ShotPlan plan{seconds, Orbit(seconds, target, 2.4f + 0.09f * static_cast<float>(i), 3.5f + (i % 3) * 2.0f, 1.8f),
                      TeamParts(anims[i % 4]), {}};
        plan.cameraClump = i % 4 == 1;
        plans.push_back(plan);
    }
    plans[0].fades = {kFadeIn};
    plans[2].fades = {SceneFade(3, 0.0f, 1.0f)};
    plans[4].fades = {SceneFade(4, 0.0f, 1.0f)};
    plans[6].fades = {SceneFade(5, 0.2f, 1.0f, {0, 0, 0, 1}, "mascot")};
    plans[8].fades = {SceneFade(6, 0.2f, 1.0f, {0, 0, 0, 1}, "mascot")};
    // The goalie fades out in shot 11 and back in at the end of shot 13: an actor keeps the
    // alpha its last fade gave it.
    plans[10].fades = {SceneFade(7, 0.0f, 0.8f, {0, 0, 0, 1}, "goalie")};
    plans[12].fades = {SceneFade(8, 0.0f, 0.8f, {0, 0, 0, 1}, "goalie")};
    plans[14].replaySpeed = 0.5f;
    // Over the team towards the referee's particles behind it.
    plans[16].camera = {{0, {0, 6, 10}, {0, 2.5f, -7}}, {3.0f, {2, 5, 7}, {0, 2.5f, -7}}};
    plans[16].fades = {kFadeOut};
    ok = AddShots(scene, dir, "outro", plans) && ok;
    // The home team's players may be of any race, each reading from his race's folder.
    for (Race race : {Race::Lizard, Race::Panda, Race::Primate, Race::Rhino}) {
        const std::string raceDir = dir + "/" + chars::RaceName(race);
        ok = WriteClip(raceDir + "/idle_loop.anm", "idle") && WriteActorFiles(raceDir, "outro", plans) && ok;
    }
    return WriteScript(scene, dir + "/script.txt") && ok;
}

// A 3 x 5 pixel alphabet for the headlines: each row three bits, the left one highest.
const std::map<char, std::array<uint8_t, 5>>& Glyphs()
{
    static const std::map<char, std::array<uint8_t, 5>> glyphs = {
        {'A', {2, 5, 7, 5, 5}}, {'B', {6, 5, 6, 5, 6}}, {'C', {3, 4, 4, 4, 3}}, {'D', {6, 5, 5, 5, 6}},
        {'E', {7, 4, 6, 4, 7}}, {'F', {7, 4, 6, 4, 4}}, {'G', {3, 4, 5, 5, 3}}, {'H', {5, 5, 7, 5, 5}},
        {'I', {7, 2, 2, 2, 7}}, {'J', {1, 1, 1, 5, 2}}, {'K', {5, 5, 6, 5, 5}}, {'L', {4, 4, 4, 4, 7}},
        {'M', {5, 7, 7, 5, 5}}, {'N', {6, 5, 5, 5, 5}}, {'O', {2, 5, 5, 5, 2}}, {'P', {6, 5, 6, 4, 4}},
        {'Q', {2, 5, 5, 6, 3}}, {'R', {6, 5, 6, 5, 5}}, {'S', {3, 4, 2, 1, 6}}, {'T', {7, 2, 2, 2, 2}},
        {'U', {5, 5, 5, 5, 7}}, {'V', {5, 5, 5, 5, 2}}, {'W', {5, 5, 5, 7, 5}}, {'X', {5, 5, 2, 5, 5}},
        {'Y', {5, 5, 2, 2, 2}}, {'Z', {7, 1, 2, 4, 7}}, {'0', {7, 5, 5, 5, 7}}, {'1', {2, 6, 2, 2, 7}},
        {'2', {6, 1, 2, 4, 7}}, {'3', {6, 1, 2, 1, 6}}, {'4', {5, 5, 7, 1, 1}}, {'5', {7, 4, 6, 1, 6}},
        {'6', {3, 4, 7, 5, 7}}, {'7', {7, 1, 2, 2, 2}}, {'8', {7, 5, 7, 5, 7}}, {'9', {7, 5, 7, 1, 6}},
        {'!', {2, 2, 2, 0, 2}},
    };
    return glyphs;
}

void DrawText(Image& image, const std::string& text, int x, int y, int scale, Rgba ink)
{
    for (char c : text) {
        auto found = Glyphs().find(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
        if (found != Glyphs().end())
            for (int row = 0; row < 5; ++row)
                for (int col = 0; col < 3; ++col)
                    if (found->second[static_cast<size_t>(row)] & (4 >> col))
                        image.FillRect(x + col * scale, y + row * scale, x + (col + 1) * scale, y + (row + 1) * scale, ink);
        x += 4 * scale;
    }
}

struct PageText {
    const char* file;
    const char* headline;
    const char* subline;
    Rgba photo;
};

const PageText kPages[] = {
    {"1st_game_draw", "ALL SQUARE", "BACK FOR MORE", {150, 150, 120, 255}},
    {"1st_game_lost", "PANDAS BEATEN", "WORK TO DO", {110, 110, 130, 255}},
    {"1st_game_won", "PANDAS WIN", "GREAT START", {90, 150, 90, 255}},
    {"2nd_game_lost", "OUT!", "PANDAS GO HOME", {120, 90, 90, 255}},
    {"2nd_game_won", "THROUGH!", "PANDAS MARCH ON", {80, 160, 80, 255}},
    {"after_1st_training", "HARD WORK", "PANDAS TRAIN", {140, 130, 100, 255}},
    {"after_2nd_training", "READY NOW", "TRAINING ENDS", {130, 140, 110, 255}},
    {"before_1st_training", "NEW SEASON", "PANDAS ARRIVE", {100, 130, 160, 255}},
};

Image PaintPage(int round, const PageText& page)
{
    const Rgba ink{30, 28, 26, 255};
    Image image(256, 256, {236, 232, 218, 255});
    image.Grain(16, 0.04f, static_cast<uint32_t>(round * 31 + 7));
    image.FillRect(8, 8, 248, 30, ink);
    DrawText(image, "TURF TIMES", 14, 12, 3, {236, 232, 218, 255});
    char number[16];
    std::snprintf(number, sizeof number, "ROUND %d", round);
    DrawText(image, number, 190, 16, 2, {236, 232, 218, 255});
    DrawText(image, page.headline, 10, 40, 5, ink);
    DrawText(image, page.subline, 10, 72, 3, ink);
    image.FillRect(10, 94, 130, 180, page.photo);
    image.FillCircle(70, 137, 22, Scale(page.photo, 0.6f));
    for (int line = 0; line < 12; ++line) {
        const int y = 96 + line * 7;
        image.FillRect(138, y, 246 - (line * 37 % 30), y + 3, Scale(ink, 2.5f));
    }
    for (int line = 0; line < 8; ++line) {
        const int y = 188 + line * 7;
        image.FillRect(10, y, 124 - (line * 23 % 20), y + 3, Scale(ink, 2.5f));
        image.FillRect(138, y, 246 - (line * 41 % 30), y + 3, Scale(ink, 2.5f));
    }
    return image;
}

bool WriteNewspaperFolder(const std::string& dir, Race race)
{
    return WriteModel(dir, race, "player") && WriteProps(dir) && WriteClip(dir + "/idle_loop.anm", "idle");
}

std::unique_ptr<Scene> NewspaperScene(const std::string& dir, bool happy, bool& ok)
{
    std::unique_ptr<Scene> made = MakeScene("level01", "settings", 0);
    Scene& scene = *made;
    scene.Actors().push_back(std::make_unique<SceneActor>("newspaper", "newspaper.dff", "props"));
    scene.Actors().push_back(std::make_unique<SceneActor>("plate", "plate.dff", "props"));
    AddTeamActors(scene);
    const Vec3 plateAt{0, 0, 4.5f}, paperAt{0, 0, 2.0f};
    std::vector<Part> printing = {{"plate", "idle", plateAt, plateAt}};
    std::vector<Part> reading = TeamParts(happy ? "cheer" : "dismay");
    reading.push_back({"newspaper", "idle", paperAt, paperAt});
    const std::vector<ShotPlan> plans = {
        {2.0f, Orbit(2.0f, plateAt + Vec3{0, 0.7f, 0}, 3.3f, 1.6f, 1.9f), printing, {kFadeIn}},
        {2.0f, {{0, {0, 1.6f, 5.5f}, paperAt + Vec3{0, 1.4f, 0}}, {2.0f, {0, 1.5f, 4.0f}, paperAt + Vec3{0, 1.4f, 0}}},
         {{"newspaper", "idle", paperAt + Vec3{0, 1.5f, 0}, paperAt}},
         {},
         1.0f,
         true},
        {4.0f, Orbit(4.0f, {0, 1.2f, 1}, 3.14159f, 6.5f, 2.2f, 0.2f), reading, {}},
    };
    ok = AddShots(scene, dir, happy ? "happy" : "sad", plans) && ok;
    return made;
}

bool WriteNewspaper(const AssetContext& context)
{
    const std::string dir = context.Path("cutScenes/newspaper");
    bool ok = true;
    // The scene plays in the home goalie's race folder, or in the folder itself without a team.
    std::vector<std::pair<std::string, Race>> folders = {{dir, Race::Panda}};
    for (Race race : {Race::Lizard, Race::Panda, Race::Primate, Race::Rhino})
        folders.push_back({dir + "/" + chars::RaceName(race), race});
    // Each folder gets the shots' paths and clips; one script serves them all.
    for (bool happy : {true, false})
        for (const auto& [folder, race] : folders) {
            const std::unique_ptr<Scene> scene = NewspaperScene(folder, happy, ok);
            if (folder == dir)
                ok = WriteScript(*scene, dir + (happy ? "/script_happy.txt" : "/script_sad.txt")) && ok;
        }
    for (const auto& [folder, race] : folders)
        ok = WriteNewspaperFolder(folder, race) && ok;
    ok = WriteModel(dir + "/Primate", Race::Primate, "goalie_cutscene") && ok;
    for (int round = 1; round <= 7; ++round)
        for (const PageText& page : kPages) {
            char name[64];
            std::snprintf(name, sizeof name, "R%02d_%s.png", round, page.file);
            ok = WritePng(PaintPage(round, page), dir + "/Textures24Bit/" + name) && ok;
        }
    return ok;
}

bool WriteCutScenes(const AssetContext& context)
{
    bool ok = WriteIntros(context);
    ok = WriteOutro(context) && ok;
    ok = WriteNewspaper(context) && ok;
    return ok;
}

// After the level settings: the outro's settings start from level01's.
const GeneratorRegistrar kCutScenes("world.settings.cutscenes", &WriteCutScenes);

}  // namespace

}  // namespace assets::cutscenes
