// The elements each level's objects cast places around the pitch volumes: the stadium dressing,
// waving crowd flags, a scrolling board, a flip-book screen that fades, a pond, a forest, a
// cheering mascot, smoke from a chimney, crowd sound markers, and the particle systems of the
// ball, the ground and each team member's special move. The models and pictures they show are
// written here too; the elements go through their own tables.
#include "framework/Cast.h"
#include "scene/AnimatedClump.h"
#include "scene/AnimatedClumpElement.h"
#include "scene/Clump.h"
#include "scene/GameElements.h"
#include "tools/assets/characters/Characters.h"
#include "tools/assets/common/Files.h"
#include "tools/assets/common/Random.h"
#include "tools/assets/common/Registry.h"
#include "tools/assets/world/Levels.h"

#include "engine/plugins/RpPlugins.h"
#include "engine/world/RpWorld.h"

#include <cmath>
#include <numbers>

namespace assets::world {

namespace {

constexpr float kTwoPi = 2.0f * std::numbers::pi_v<float>;
constexpr Rgba kWhite{255, 255, 255, 255};
constexpr uint32_t kPrelitFlags = kGeoPrelit | kGeoTextured | kGeoNormals;
constexpr int kWaveFrames = 6;
constexpr int kScreenFrames = 8;
// Engine blend functions.
constexpr int32_t kSourceAlpha = 5, kInverseSourceAlpha = 6, kZero = 1, kSourceColour = 3;
// Placed outside the stands, where the main camera looks over them.
const Vec3 kScreenCentre{28.0f, 21.0f, 60.0f};
const Vec3 kPondCentre{74.0f, 0.15f, 56.0f};
const Vec3 kChimney{-72.0f, 14.0f, 58.0f};
constexpr float kScrollZ = 39.8f;

std::string Level(const Theme& theme, const std::string& rest)
{
    return std::string(theme.folder) + "/" + rest;
}

bool WriteMesh(const AssetContext& context, const Theme& theme, const char* name, const MeshBuilder& mesh)
{
    RpClump* clump = BuildClump(mesh, kPrelitFlags);
    if (!clump)
        return false;
    const bool ok = WriteClumpFile(clump, context.Path(Level(theme, std::string("Objects/") + name + ".dff")));
    RpClumpDestroy(clump);
    return ok;
}

// The flag rippling: columns shifted up and down by a wave that travels along the cloth and
// grows towards the free edge, shaded on its slopes.
Image WaveFrame(const Image& flag, int frame)
{
    Image out(flag.Width(), flag.Height(), {0, 0, 0, 0});
    for (int x = 0; x < flag.Width(); ++x) {
        const float along = static_cast<float>(x) / static_cast<float>(flag.Width());
        const float phase = along * kTwoPi * 1.5f - kTwoPi * static_cast<float>(frame) / kWaveFrames;
        const float lift = std::sin(phase) * 3.0f * along;
        const float shade = 0.85f + 0.15f * std::cos(phase);
        for (int y = 0; y < flag.Height(); ++y) {
            const int from = y + static_cast<int>(std::lround(lift));
            if (from >= 0 && from < flag.Height())
                out.Set(x, y, Scale(flag.Get(x, from), shade));
        }
    }
    return out;
}

// A big screen: the two team colours in bands that slide across, and a ball crossing them.
Image ScreenFrame(const Theme& theme, int frame)
{
    Image image(128, 64, {20, 20, 24, 255});
    const int shift = frame * 16;
    for (int x = 4; x < 124; ++x) {
        const bool first = ((x + shift) / 32) % 2 == 0;
        image.FillRect(x, 6, x + 1, 58, Scale(first ? theme.teamA : theme.teamB, 0.8f));
    }
    image.FillCircle(14.0f + static_cast<float>(frame) * 14.0f, 32.0f, 9.0f, kWhite);
    image.Ring(14.0f + static_cast<float>(frame) * 14.0f, 32.0f, 3.0f, 4.5f, {30, 30, 30, 255});
    return image;
}

Image PaintWater()
{
    Image image(64, 64, {40, 90, 140, 255});
    image.Grain(8.0f, 0.25f, 505);
    return image;
}

// A conifer in silhouette on a clear background.
Image PaintTree(const Theme& theme)
{
    Image image(64, 128, {0, 0, 0, 0});
    const Rgba trunk{90, 60, 40, 255};
    image.FillRect(29, 100, 35, 128, trunk);
    const Rgba leaves = Mix(theme.hills, {30, 80, 40, 255}, 0.6f);
    for (int tier = 0; tier < 4; ++tier) {
        const float top = 8.0f + static_cast<float>(tier) * 22.0f, half = 12.0f + static_cast<float>(tier) * 6.0f;
        for (int y = static_cast<int>(top); y < static_cast<int>(top) + 34 && y < 108; ++y) {
            const float width = half * static_cast<float>(y - static_cast<int>(top)) / 34.0f;
            image.FillRect(static_cast<int>(32.0f - width), y, static_cast<int>(32.0f + width) + 1, y + 1,
                           Scale(leaves, 0.8f + 0.2f * static_cast<float>(tier) / 3.0f));
        }
    }
    return image;
}

MeshBuilder Screen()
{
    MeshBuilder m;
    m.UseMaterial(m.Material("screen_0001"));
    m.SetColour(kWhite);
    const float halfWidth = 8.0f, halfHeight = 4.0f;
    const Vec3 c = kScreenCentre;
    // Above the far stand, facing the main camera (-z).
    m.Quad(c + Vec3{halfWidth, -halfHeight, 0}, c + Vec3{-halfWidth, -halfHeight, 0},
           c + Vec3{-halfWidth, halfHeight, 0}, c + Vec3{halfWidth, halfHeight, 0}, 0, 1, 1, 0);
    return m;
}

MeshBuilder ScrollBoard()
{
    MeshBuilder m;
    m.UseMaterial(m.Material("adboards"));
    m.SetColour(kWhite);
    const float half = 50.0f;
    // Faces the main camera (-z), in front of the far stand.
    m.Quad({half, 0.2f, kScrollZ}, {-half, 0.2f, kScrollZ}, {-half, 1.3f, kScrollZ}, {half, 1.3f, kScrollZ}, 0, 1,
           2.0f * half / 8.0f, 0);
    return m;
}

MeshBuilder Pond()
{
    MeshBuilder m;
    m.UseMaterial(m.Material("water"));
    m.SetColour({255, 255, 255, 200});
    constexpr int kCells = 18;
    const float size = 1.4f;
    for (int j = 0; j < kCells; ++j)
        for (int i = 0; i < kCells; ++i) {
            const Vec3 a = kPondCentre + Vec3{(static_cast<float>(i) - kCells / 2.0f) * size, 0,
                                              (static_cast<float>(j) - kCells / 2.0f) * size};
            m.Quad(a, a + Vec3{0, 0, size}, a + Vec3{size, 0, size}, a + Vec3{size, 0, 0}, 0, 0, 1, 1);
        }
    return m;
}

// One small triangle per tree, in a belt round the stadium and a copse by the pond.
MeshBuilder ForestPositions(uint32_t seed)
{
    MeshBuilder m;
    m.UseMaterial(m.Material(""));
    Rng rng(seed);
    const auto tree = [&](Vec3 at) {
        // The second triangle has no area: the forest plants a tree at each triangle's centre.
        const Vec3 up{0, 1, 0};
        const uint32_t a = m.Vertex(at, up, 0, 0), b = m.Vertex(at + Vec3{0.1f, 0, 0}, up, 1, 0);
        const uint32_t c = m.Vertex(at + Vec3{0.1f, 0, 0.1f}, up, 1, 1), d = m.Vertex(at, up, 0, 1);
        m.Triangle(a, c, b);
        m.Triangle(a, c, d);
    };
    for (int i = 0; i < 160; ++i) {
        const float angle = rng.Unit() * kTwoPi, radius = 95.0f + rng.Unit() * 40.0f;
        tree({std::cos(angle) * radius, 0, std::sin(angle) * radius * 0.8f});
    }
    for (int i = 0; i < 12; ++i)
        tree(kPondCentre + Vec3{-14.0f + rng.Unit() * 6.0f, 0, -6.0f + rng.Unit() * 18.0f});
    return m;
}

// The screen brightens and dims once every four seconds: the first node's x runs 0.55 .. 1.
bool WriteScreenFade(const AssetContext& context, const Theme& theme)
{
    RtAnimAnimation* animation = RtAnimAnimationCreate(1, 4.0f);
    for (int k = 0; k <= 4; ++k) {
        const float t = static_cast<float>(k);
        const float x = 0.775f + 0.225f * std::cos(kTwoPi * t / 4.0f);
        animation->tracks[0].keys.push_back({t, {1, 0, 0, 0}, {x, 0, 0}, 0});
    }
    const bool ok = WriteAnimationFile(animation, context.Path(Level(theme, "Objects/screen_fade.anm")));
    RtAnimAnimationDestroy(animation);
    return ok;
}

bool WriteObjectAssets(const AssetContext& context, const Theme& theme, int level)
{
    const std::string folder = theme.folder;
    bool ok = true;
    for (int v = 0; v < 4; ++v) {
        const Image flag = PaintFlag(theme, v);
        for (int f = 0; f < kWaveFrames; ++f) {
            char name[32];
            std::snprintf(name, sizeof name, "flag_%d_%04d", v + 1, f + 1);
            ok = context.WriteTextureSets(folder, name, WaveFrame(flag, f)) && ok;
        }
    }
    for (int f = 0; f < kScreenFrames; ++f) {
        char name[32];
        std::snprintf(name, sizeof name, "screen_%04d", f + 1);
        ok = context.WriteTextureSets(folder, name, ScreenFrame(theme, f)) && ok;
    }
    ok = context.WriteTextureSets(folder, "water", PaintWater()) && ok;
    ok = context.WriteTextureSets(folder, "tree", PaintTree(theme)) && ok;
    ok = WriteMesh(context, theme, "screen", Screen()) && ok;
    ok = WriteMesh(context, theme, "scroll_board", ScrollBoard()) && ok;
    ok = WriteMesh(context, theme, "pond", Pond()) && ok;
    ok = WriteMesh(context, theme, "forest", ForestPositions(theme.seed + static_cast<uint32_t>(level))) && ok;
    return WriteScreenFade(context, theme) && ok;
}

// Elements ------------------------------------------------------------------------------

ClumpElement* AddModel(Cast& cast, const char* name, const char* model)
{
    auto* element = new ClumpElement();
    element->GetClump()->NameFiles(std::string("<LP>Objects\\") + model + ".dff", "<LP><TP>");
    cast.AddDynamicMember(element, name);
    return element;
}

template <class Action>
Action* AddAction(ClumpElement& element)
{
    auto* action = new Action();
    element.GetActions().emplace_back(action);
    return action;
}

void AddDressing(Cast& cast)
{
    // The lines are paint on the grass: they hide nothing, and a shadow laid on the grass
    // darkens them once.
    ClumpElement* markings = AddModel(cast, "markings", "markings");
    markings->SetBlend(true, kSourceAlpha, kInverseSourceAlpha);
    markings->SetZWrite(false);
    for (const char* name : {"benches", "short_benches", "Crowd", "spec_mods_crowd", "flags"})
        AddModel(cast, name, name);
    // Shadows darken the grass under the benches and never hide what is drawn after them.
    for (const char* name : {"benches_shadow", "short_benches_shadow"}) {
        ClumpElement* shadow = AddModel(cast, name, name);
        shadow->SetBlend(true, kZero, kSourceColour);
        shadow->SetZWrite(false);
    }
    // The crowd's flags wave through frames of their own picture.
    const int flagTextures[] = {1, 2, 3};
    for (int i = 0; i < 3; ++i) {
        char name[16], frames[48];
        std::snprintf(name, sizeof name, "flags_%02d", i + 1);
        std::snprintf(frames, sizeof frames, "<LP><TP>flag_%d_0001.png", flagTextures[i]);
        ClumpElement* flags = AddModel(cast, name, name);
        flags->SetAlphaClip(16);
        AddAction<AnimatedTextureAction>(*flags)->SetFileName(frames, 1, 8.0f);
    }
}

void AddEffects(Cast& cast)
{
    ClumpElement* screen = AddModel(cast, "big_screen", "screen");
    AddAction<AnimatedTextureAction>(*screen)->SetFileName("<LP><TP>screen_0001.png", 1, 2.0f);
    AddAction<AnimatedTransparencyAction>(*screen)->SetAnimation("<LP>Objects\\screen_fade.anm", 0.0f);
    screen->SetBlend(true, kSourceAlpha, kInverseSourceAlpha);

    AddAction<AnimateUVAction>(*AddModel(cast, "scroll_board", "scroll_board"))->SetSpeed(0.08f, 0.0f);

    ClumpElement* pond = AddModel(cast, "pond", "pond");
    pond->SetBlend(true, kSourceAlpha, kInverseSourceAlpha);
    pond->SetZWrite(false);
    AddAction<WaterAction>(*pond);

    auto* forest = new BillboardForest();
    forest->SetFiles("<LP>Objects\\forest.dff", "<LP><TP>tree.png", "");
    forest->SetSizes(4.0f, 7.0f, BillboardForest::kBottom);
    cast.AddDynamicMember(forest, "forest");
}

// A mascot cheering on the near touchline, beside the dugouts.
void AddMascot(Cast& cast)
{
    auto* mascot = new AnimatedClumpElement();
    const std::string textures = "<PP>Characters\\Panda\\<TP>";
    mascot->GetClump()->NameFiles("<PP>Characters\\Panda\\Panda.DFF",
                                  textures + "Var00\\;" + textures + "Common\\;" + textures + "Shirt00\\");
    mascot->SetPosition({14.0f, 0.0f, -35.5f});
    mascot->SetAnimations({"<PP>Characters\\Animations\\cheer.anm"}, 0, AnimatedClumpElement::kLooping, 1.0f);
    cast.AddDynamicMember(mascot, "mascot");
}

// Sound markers on the four stands.
void AddCrowdSounds(Cast& cast)
{
    const Vector3 stands[] = {{0, 5, 45}, {0, 5, -45}, {64, 5, 0}, {-64, 5, 0}};
    for (int i = 0; i < 4; ++i) {
        auto* marker = new SfxElement();
        marker->SetPosition(stands[i]);
        marker->SetEventName(i % 2 ? "crowd_cheer_high" : "crowd_cheer_low");
        cast.AddDynamicMember(marker, ("crowd_sound_" + std::to_string(i + 1)).c_str());
    }
}

GeParticleSystem* AddParticles(Cast& cast, const char* name, const char* texture, int32_t quality)
{
    auto* element = new GeParticleSystem();
    element->GetTexture()->NameFiles(texture, "");
    element->SetQuality(quality);
    cast.AddDynamicMember(element, name);
    return element;
}

void AddParticleSystems(Cast& cast)
{
    GeParticleSystem* smoke = AddParticles(cast, "smoke", "<PP>Particles\\<TP>smoke.png", GeParticleSystem::kLow);
    smoke->SetPosition({kChimney.x, kChimney.y, kChimney.z});
    ParticleSystem& rising = *smoke->GetParticleSystem();
    rising.SetEmitterSpeed(10.0f);
    rising.SetMaxParticles(60);
    rising.SetColors({0.75f, 0.75f, 0.75f, 0.9f}, {0.9f, 0.9f, 0.9f, 0.0f});
    rising.Position().Set(MakeSphereEmitter({0, 0, 0}, 0.6f));
    rising.Velocity().Set(MakeSphereEmitter({0.8f, 2.2f, 0}, 0.5f));
    rising.Angle().Set(MakeLinearEmitter(0, std::numbers::pi_v<float>));
    rising.DeltaAngle().Set(MakeLinearEmitter(0, 0.4f));
    rising.Size().Set(MakeLinearEmitter(2.2f, 0.4f));
    rising.DeltaSize().Set(MakeLinearEmitter(0.9f, 0.2f));
    rising.LifeTime().Set(MakeLinearEmitter(5.0f, 1.0f));

    // Emitted by the ball and the players themselves, not on a timer.
    for (auto [name, texture] : {std::pair{"ball_particles", "<PP>Particles\\<TP>spark.png"},
                                 std::pair{"ground_particles", "<PP>Particles\\<TP>dust.png"}}) {
        ParticleSystem& system = *AddParticles(cast, name, texture, GeParticleSystem::kMedium)->GetParticleSystem();
        system.SetAutomaticGenerate(false);
        system.SetEmitterSpeed(30.0f);
        system.SetMaxParticles(60);
        system.SetColors({1, 1, 1, 0.8f}, {1, 1, 1, 0});
        system.Size().Set(MakeLinearEmitter(0.25f, 0.05f));
        system.DeltaSize().Set(MakeLinearEmitter(0.3f, 0.1f));
        system.LifeTime().Set(MakeLinearEmitter(0.6f, 0.2f));
    }
}

// A special move's body particles, one system per team member as the actors look them up
// ("actor_particles_" and the display name), in the colour of the race's element.
void AddActorParticleSystems(Cast& cast)
{
    struct Element {
        chars::Race race;
        Color colour;
    };
    const Element elements[] = {{chars::Race::Lizard, {0.2f, 0.5f, 1.0f, 0.9f}},
                                {chars::Race::Panda, {0.55f, 0.8f, 1.0f, 0.9f}},
                                {chars::Race::Primate, {1.0f, 0.45f, 0.1f, 0.9f}},
                                {chars::Race::Rhino, {0.6f, 0.4f, 0.2f, 0.9f}}};
    for (const Element& element : elements) {
        for (const std::string& member : chars::MemberNames(element.race)) {
            const std::string name = "actor_particles_" + member;
            ParticleSystem& system =
                *AddParticles(cast, name.c_str(), "<PP>Particles\\<TP>glow.png", GeParticleSystem::kMedium)
                     ->GetParticleSystem();
            system.SetAutomaticGenerate(false);
            system.SetEmitterSpeed(60.0f);
            system.SetMaxParticles(90);
            Color faded = element.colour;
            faded.a = 0.0f;
            system.SetColors(element.colour, faded);
            system.Velocity().Set(MakeSphereEmitter({0, 0.8f, 0}, 0.8f));
            system.Size().Set(MakeLinearEmitter(0.25f, 0.08f));
            system.DeltaSize().Set(MakeLinearEmitter(-0.15f, 0.05f));
            system.LifeTime().Set(MakeLinearEmitter(0.7f, 0.2f));
        }
    }
}

}  // namespace

bool WriteLevelObjectAssets(const AssetContext& context)
{
    bool ok = true;
    for (int i = 0; i < kLevelCount; ++i)
        ok = WriteObjectAssets(context, LevelTheme(i), i) && ok;
    return ok;
}

void AddLevelElements(Cast& cast)
{
    AddDressing(cast);
    AddEffects(cast);
    AddMascot(cast);
    AddCrowdSounds(cast);
    AddParticleSystems(cast);
    AddActorParticleSystems(cast);
}

namespace {
const GeneratorRegistrar kObjectAssets("world.objectassets", &WriteLevelObjectAssets);
}

}  // namespace assets::world
