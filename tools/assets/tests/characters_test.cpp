// The characters and their animations as the game reads them back: models, skins, textures by
// variation, the clips of every action name, the locators, and motions that do what they say.
#include "support/AssetTestSupport.h"

#include "tools/assets/animations/Motions.h"
#include "tools/assets/characters/Characters.h"
#include "tools/assets/common/Sheet.h"
#include "tools/assets/world/Stadium.h"

#include "engine/plugins/RpPlugins.h"
#include "engine/world/RpWorld.h"
#include "text/Font.h"
#include "tools/assets/common/Registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace assets;
using namespace assets::chars;

class Staged : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(test::EngineUp());
        stage = test::SharedStage();
        ASSERT_FALSE(stage.empty());
        project = stage + "/data/pc/";
    }
    std::string TexturePath(Race race, const char* set, int variation) const
    {
        const std::string d = project + RaceFolder(race) + "/" + set + "/";
        return d + "Var0" + std::to_string(variation) + ";" + d + "Common;" + d + "Shirt00";
    }
    // Loads the model with one variation's textures; counts the textures that were missing.
    RpClump* Load(Race race, const char* set, int variation, bool& missing) const
    {
        RwTexDictionary* previous = RwTexDictionaryGetCurrent();
        RwTexDictionary* dict = RwTexDictionaryCreate();
        dicts.push_back(dict);
        RwTexDictionarySetCurrent(dict);
        RwImageSetPath(TexturePath(race, set, variation).c_str());
        RwError error;
        RwErrorGet(&error);  // clears it
        RpClump* clump = nullptr;
        RwStream* in = RwStreamOpen(rwStreamFileName, rwStreamRead, (project + ModelPath(race)).c_str());
        RwUInt32 length, version;
        if (in && RwStreamFindChunk(in, rwChunkClump, &length, &version))
            clump = RpClumpStreamRead(in);
        if (in)
            RwStreamClose(in, nullptr);
        RwErrorGet(&error);
        missing = error.errorCode == rwErrorTextureMissing;
        RwTexDictionarySetCurrent(previous);
        return clump;
    }
    void TearDown() override
    {
        for (RwTexDictionary* d : dicts)
            RwTexDictionaryDestroy(d);
    }
    RtAnimAnimation* ReadAnimation(const std::string& name) const
    {
        return RtAnimAnimationRead((project + kAnimationFolder + "/" + name + ".anm").c_str());
    }

    std::string stage, project;
    mutable std::vector<RwTexDictionary*> dicts;
};

bool HasShirt(RpAtomic* atomic)
{
    const RpGeometry* g = RpAtomicGetGeometry(atomic);
    for (int i = 0; i < g->matList.numMaterials; ++i)
        if (const RwTexture* t = g->matList.materials[i]->texture) {
            const std::string name = t->name;
            if (name.size() > 6 && name.substr(name.size() - 6) == "_shirt")
                return true;
        }
    return false;
}

TEST_F(Staged, ModelsReadBackSkinnedOnTheSharedSkeleton)
{
    for (Race race : kRaces) {
        SCOPED_TRACE(RaceName(race));
        bool missing = false;
        RpClump* clump = Load(race, "Textures24Bit", 2 % VariationCount(race), missing);
        ASSERT_NE(clump, nullptr);
        EXPECT_FALSE(missing);
        RpHAnimHierarchy* h = RpHAnimFrameFindHierarchy(RpClumpGetFrame(clump));
        ASSERT_NE(h, nullptr);
        ASSERT_EQ(h->numNodes, kBoneCount);
        for (int i = 0; i < kBoneCount; ++i) {
            EXPECT_EQ(h->pNodeInfo[i].nodeID, i);
            EXPECT_EQ(h->pNodeInfo[i].parentIndex, Bones()[size_t(i)].parent) << Bones()[size_t(i)].name;
        }
        ASSERT_EQ(RpClumpGetNumAtomics(clump), race == Race::Weasel ? 3 : 2);
        int triangles = 0;
        for (RpAtomic* a : clump->atomics) {
            RpGeometry* g = RpAtomicGetGeometry(a);
            triangles += g->numTriangles;
            RpSkin* skin = RpSkinGeometryGetSkin(g);
            ASSERT_NE(skin, nullptr);
            EXPECT_EQ(RpSkinGetNumBones(skin), kBoneCount);
            EXPECT_LE(skin->maxWeightsPerVertex, 4);
            for (int v = 0; v < skin->numVertices; ++v) {
                float sum = 0;
                for (int k = 0; k < 4; ++k) {
                    sum += skin->weights[v][k];
                    EXPECT_LT(skin->boneIndices[v][k], kBoneCount);
                }
                EXPECT_NEAR(sum, 1.0f, 1e-4f);
            }
        }
        EXPECT_LT(triangles, 3000);
        // The kit carries the shirt; the body never does (a cut scene hides the kit).
        EXPECT_TRUE(HasShirt(clump->atomics[size_t(KitAtomic(race))]));
        EXPECT_FALSE(HasShirt(clump->atomics[size_t(BodyAtomic(race))]));
        if (race == Race::Weasel) {
            const RpGeometry* card = RpAtomicGetGeometry(clump->atomics[kCardAtomic]);
            ASSERT_EQ(card->matList.numMaterials, 1);
            ASSERT_NE(card->matList.materials[0]->texture, nullptr);
            EXPECT_STREQ(card->matList.materials[0]->texture->name, "weasel_card");
        }
        RpClumpDestroy(clump);
    }
}

// Players seen from afar draw a simpler mesh of the same model: a stand-in for each body and
// kit, with their materials in their order, posed by the same bones through the same binding.
TEST_F(Staged, BodiesAndKitsCarryALowDetailMeshOnTheSameBones)
{
    const auto bonesUsed = [](const RpSkin* skin) {
        std::set<int> used;
        for (int v = 0; v < skin->numVertices; ++v)
            for (int k = 0; k < 4; ++k)
                if (skin->weights[v][k] > 0)
                    used.insert(skin->boneIndices[v][k]);
        return used;
    };
    const auto textures = [](const RpGeometry* g) {
        std::vector<std::string> names;
        for (int i = 0; i < g->matList.numMaterials; ++i)
            names.push_back(g->matList.materials[i]->texture ? g->matList.materials[i]->texture->name : "");
        return names;
    };
    for (Race race : kRaces) {
        bool missing = false;
        RpClump* clump = Load(race, "Textures24Bit", 2 % VariationCount(race), missing);
        ASSERT_NE(clump, nullptr);
        for (int index : {BodyAtomic(race), KitAtomic(race)}) {
            SCOPED_TRACE(std::string(RaceName(race)) + " atomic " + std::to_string(index));
            RpAtomic* atomic = clump->atomics[size_t(index)];
            RpGeometry* full = RpAtomicGetGeometry(atomic);
            RpGeometry* low = RpAtomicGetLowDetail(atomic);
            ASSERT_NE(low, nullptr);
            EXPECT_EQ(atomic->lowDetailBelow, kLowDetailBelowPixels);
            EXPECT_LE(low->numTriangles * 2, full->numTriangles);
            EXPECT_EQ(textures(low), textures(full));
            const RpSkin* fullSkin = RpSkinGeometryGetSkin(full);
            const RpSkin* lowSkin = RpSkinGeometryGetSkin(low);
            ASSERT_NE(lowSkin, nullptr);
            ASSERT_EQ(lowSkin->numBones, fullSkin->numBones);
            EXPECT_EQ(std::memcmp(lowSkin->skinToBone, fullSkin->skinToBone, sizeof(RwMatrix) * size_t(kBoneCount)), 0);
            EXPECT_EQ(bonesUsed(lowSkin), bonesUsed(fullSkin));
            if (index == BodyAtomic(race)) {
                // In both meshes every limb, the neck and the head lead a part of the body.
                for (const RpSkin* skin : {fullSkin, lowSkin}) {
                    std::set<int> leading;
                    for (int v = 0; v < skin->numVertices; ++v)
                        for (int k = 0; k < 4; ++k)
                            if (skin->weights[v][k] > 0.5f)
                                leading.insert(skin->boneIndices[v][k]);
                    for (int bone = kPelvis; bone <= kFootR; ++bone)
                        EXPECT_EQ(leading.count(bone), 1u) << "bone " << bone << (skin == lowSkin ? " (low)" : "");
                }
            }
        }
        if (race == Race::Weasel) {
            EXPECT_EQ(RpAtomicGetLowDetail(clump->atomics[kCardAtomic]), nullptr);
        }
        RpClumpDestroy(clump);
    }
}

// The cells of a grid over the box [lo, hi] of the plane that the meshes' triangles cover, seen
// along the axis (0 x, 1 y, 2 z) in the bind pose.
std::vector<bool> Outline(const std::vector<const RpGeometry*>& meshes, int axis, std::array<float, 2> lo,
                          std::array<float, 2> hi, int cells)
{
    const int u = (axis + 1) % 3, v = (axis + 2) % 3;
    std::vector<bool> covered(size_t(cells * cells));
    const auto at = [](const RwV3d& p, int k) { return k == 0 ? p.x : k == 1 ? p.y : p.z; };
    for (const RpGeometry* g : meshes)
        for (int t = 0; t < g->numTriangles; ++t) {
            std::array<std::array<float, 2>, 3> c;
            for (int k = 0; k < 3; ++k) {
                const RwV3d& p = g->morphTarget[0].verts[g->triangles[t].vertIndex[k]];
                c[size_t(k)] = {(at(p, u) - lo[0]) / (hi[0] - lo[0]) * float(cells),
                                (at(p, v) - lo[1]) / (hi[1] - lo[1]) * float(cells)};
            }
            const auto edge = [](const std::array<float, 2>& a, const std::array<float, 2>& b, float x, float y) {
                return (b[0] - a[0]) * (y - a[1]) - (b[1] - a[1]) * (x - a[0]);
            };
            const int x0 = std::max(0, int(std::floor(std::min({c[0][0], c[1][0], c[2][0]}))));
            const int x1 = std::min(cells - 1, int(std::ceil(std::max({c[0][0], c[1][0], c[2][0]}))));
            const int y0 = std::max(0, int(std::floor(std::min({c[0][1], c[1][1], c[2][1]}))));
            const int y1 = std::min(cells - 1, int(std::ceil(std::max({c[0][1], c[1][1], c[2][1]}))));
            for (int y = y0; y <= y1; ++y)
                for (int x = x0; x <= x1; ++x) {
                    const float px = float(x) + 0.5f, py = float(y) + 0.5f;
                    const float e0 = edge(c[0], c[1], px, py), e1 = edge(c[1], c[2], px, py),
                                e2 = edge(c[2], c[0], px, py);
                    if ((e0 >= 0 && e1 >= 0 && e2 >= 0) || (e0 <= 0 && e1 <= 0 && e2 <= 0))
                        covered[size_t(y * cells + x)] = true;
                }
        }
    return covered;
}

// Shadows below the best quality are cast from a still coarser mesh of each body and kit, on
// the same bones with the same materials, whose outline from every side is the low mesh's: no
// limb lost, none swollen.
TEST_F(Staged, ShadowMeshesCastTheLowMeshesOutline)
{
    constexpr int kCells = 64;
    for (Race race : kRaces) {
        SCOPED_TRACE(RaceName(race));
        bool missing = false;
        RpClump* clump = Load(race, "SmallTextures24Bit", 0, missing);
        ASSERT_NE(clump, nullptr);
        std::vector<const RpGeometry*> lows, coarse;
        for (int index : {BodyAtomic(race), KitAtomic(race)}) {
            RpAtomic* atomic = clump->atomics[size_t(index)];
            RpGeometry* low = RpAtomicGetLowDetail(atomic);
            RpGeometry* shadow = RpAtomicGetShadowDetail(atomic);
            ASSERT_TRUE(low && shadow) << index;
            EXPECT_LT(shadow->numTriangles * 4, low->numTriangles * 3) << index;
            ASSERT_EQ(shadow->matList.numMaterials, low->matList.numMaterials) << index;
            const RpSkin* lowSkin = RpSkinGeometryGetSkin(low);
            const RpSkin* shadowSkin = RpSkinGeometryGetSkin(shadow);
            ASSERT_NE(shadowSkin, nullptr) << index;
            EXPECT_EQ(shadowSkin->numBones, lowSkin->numBones) << index;
            lows.push_back(low);
            coarse.push_back(shadow);
        }
        std::array<float, 3> lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
        for (const RpGeometry* g : lows)
            for (int i = 0; i < g->numVertices; ++i) {
                const RwV3d& p = g->morphTarget[0].verts[i];
                for (int k = 0; k < 3; ++k) {
                    const float value = k == 0 ? p.x : k == 1 ? p.y : p.z;
                    lo[size_t(k)] = std::min(lo[size_t(k)], value - 0.1f);
                    hi[size_t(k)] = std::max(hi[size_t(k)], value + 0.1f);
                }
            }
        for (int axis = 0; axis < 3; ++axis) {
            SCOPED_TRACE("seen along axis " + std::to_string(axis));
            const size_t u = size_t((axis + 1) % 3), v = size_t((axis + 2) % 3);
            const std::vector<bool> a = Outline(lows, axis, {lo[u], lo[v]}, {hi[u], hi[v]}, kCells);
            const std::vector<bool> b = Outline(coarse, axis, {lo[u], lo[v]}, {hi[u], hi[v]}, kCells);
            int both = 0, either = 0, onlyLow = 0;
            for (size_t i = 0; i < a.size(); ++i) {
                both += a[i] && b[i];
                either += a[i] || b[i];
                onlyLow += a[i] && !b[i];
            }
            ASSERT_GT(either, kCells * kCells / 20);
            // The low mesh differs from the full one by about as much: up to 8 % of the
            // outline lost and as much gained.
            const int gained = either - both - onlyLow;
            EXPECT_GT(both * 100, either * 85) << both << " of " << either << " cells in both";
            EXPECT_LT(onlyLow * 100, either * 8) << onlyLow << " cells of the low mesh's outline lost";
            EXPECT_LT(gained * 100, either * 12) << gained << " cells gained";
        }
        RpClumpDestroy(clump);
    }
}

TEST_F(Staged, EveryVariationFindsAllItsTexturesInBothSets)
{
    for (Race race : kRaces)
        for (const char* set : {"Textures24Bit", "SmallTextures24Bit"})
            for (int v = 0; v < VariationCount(race); ++v) {
                bool missing = true;
                RpClump* clump = Load(race, set, v, missing);
                ASSERT_NE(clump, nullptr);
                EXPECT_FALSE(missing) << RaceName(race) << " " << set << " Var0" << v;
                RpClumpDestroy(clump);
            }
    // A variation that does not exist misses its textures: the check above can fail.
    bool missing = false;
    RpClump* clump = Load(Race::Weasel, "Textures24Bit", 5, missing);
    EXPECT_TRUE(missing);
    if (clump)
        RpClumpDestroy(clump);
}

// A picture as a player shows it from across the pitch: colour means over a coarse grid,
// the fine grain averaged away. Empty when the picture does not read.
using Coarse = std::vector<std::array<float, 3>>;

Coarse CoarseColours(const std::string& path, int cells)
{
    RwImage* image = RwImageRead(path.c_str());
    if (!image || image->depth != 32)
        return {};
    Coarse grid(size_t(cells * cells), {0, 0, 0});
    const float perCell = float(image->width * image->height) / float(cells * cells);
    for (int y = 0; y < image->height; ++y)
        for (int x = 0; x < image->width; ++x) {
            const RwUInt8* p = image->pixels + y * image->stride + x * 4;
            auto& cell = grid[size_t(y * cells / image->height * cells + x * cells / image->width)];
            for (int c = 0; c < 3; ++c)
                cell[size_t(c)] += float(p[c]) / perCell;
        }
    RwImageDestroy(image);
    return grid;
}

// The largest difference of one cell, summed over red, green and blue.
float LargestDifference(const Coarse& a, const Coarse& b)
{
    float largest = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        largest = std::max(largest, std::fabs(a[i][0] - b[i][0]) + std::fabs(a[i][1] - b[i][1]) + std::fabs(a[i][2] - b[i][2]));
    return largest;
}

TEST_F(Staged, EveryTwoVariationsOfARaceLookVisiblyDifferent)
{
    // Fur, second fur and face: what shows of a player in a kit.
    constexpr int kSkin = 0, kSkin2 = 1, kFace = 2;
    constexpr float kVisible = 45;
    // Field players of one team also differ in the colour of their coats, which shows when
    // a face is too small to read; the keepers wear their own kits.
    constexpr float kCoatsApart = 40;
    for (Race race : kRaces) {
        const std::string d = project + RaceFolder(race) + "/Textures24Bit/Var0";
        std::vector<Coarse> looks, coats;
        for (int v = 0; v < VariationCount(race); ++v) {
            Coarse look, coat;
            for (const int texture : {kSkin, kSkin2, kFace}) {
                const std::string path = d + std::to_string(v) + "/" + TextureNames(race)[size_t(texture)] + ".png";
                const Coarse part = CoarseColours(path, 4);
                ASSERT_FALSE(part.empty()) << RaceName(race) << " Var0" << v;
                look.insert(look.end(), part.begin(), part.end());
                if (texture != kFace)
                    coat.push_back(CoarseColours(path, 1).front());
            }
            looks.push_back(look);
            coats.push_back(coat);
        }
        for (size_t a = 0; a < looks.size(); ++a)
            for (size_t b = a + 1; b < looks.size(); ++b) {
                EXPECT_GE(LargestDifference(looks[a], looks[b]), kVisible) << RaceName(race) << " Var0" << a << " and Var0" << b;
                if (!IsKeeperVariation(race, int(a))) {
                    EXPECT_GE(LargestDifference(coats[a], coats[b]), kCoatsApart)
                        << RaceName(race) << " coats of Var0" << a << " and Var0" << b;
                }
            }
    }
}

TEST_F(Staged, KeepersWearTheirOwnShirtAndGloves)
{
    for (Race race : kRaces) {
        if (race == Race::Weasel)
            continue;
        const std::string d = project + RaceFolder(race) + "/Textures24Bit/";
        // Keepers wear their own shirt and gloves; field players take the team's shirt.
        const std::string shirt = ShirtTexture(race) + ".png";
        EXPECT_TRUE(std::filesystem::exists(d + "Var00/" + shirt));
        EXPECT_TRUE(std::filesystem::exists(d + "Var01/" + shirt));
        EXPECT_FALSE(std::filesystem::exists(d + "Var02/" + shirt));
        EXPECT_TRUE(std::filesystem::exists(d + "Shirt00/" + shirt));
        const std::string hands = TextureNames(race)[3] + ".png";
        EXPECT_GE(LargestDifference(CoarseColours(d + "Var00/" + hands, 2), CoarseColours(d + "Var05/" + hands, 2)), 45.0f);
    }
}

// The mean colour of a rectangle of a 32-bit image.
std::array<float, 3> MeanColour(const RwImage& image, int x0, int y0, int x1, int y1)
{
    std::array<float, 3> sum{0, 0, 0};
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            for (int c = 0; c < 3; ++c)
                sum[size_t(c)] += float(image.pixels[y * image.stride + x * 4 + c]);
    const float count = float((x1 - x0) * (y1 - y0));
    for (float& channel : sum)
        channel /= count;
    return sum;
}

float Distance(const std::array<float, 3>& a, const std::array<float, 3>& b)
{
    return std::fabs(a[0] - b[0]) + std::fabs(a[1] - b[1]) + std::fabs(a[2] - b[2]);
}

// The options show a shirt choice as a swatch of the "shirts" font: the swatch a player picks
// has the colour of the shirt his side then wears, for every race; swatch 0, each race's own
// shirt, holds every race's colour.
TEST_F(Staged, EachShirtSwatchShowsTheShirtItChooses)
{
    constexpr float kSameColour = 45;
    for (const char* set : kTextureSets) {
        RwImage* swatches = RwImageRead((project + "misc/fonts/" + set + "/shirts.png").c_str());
        ASSERT_NE(swatches, nullptr) << set;
        const std::vector<Glyph> glyphs = Font::ExtractGlyphs(*swatches);
        ASSERT_EQ(glyphs.size(), size_t(kShirtColours)) << set;
        // Below the collar: a colour per swatch, and for swatch 0 one per quarter.
        const auto swatch = [&](const Glyph& g, float from, float to) {
            const int top = int(g.height / 3);
            return MeanColour(*swatches, int(g.x + from * g.width), top, int(g.x + to * g.width), int(g.height) - 2);
        };
        for (Race race : kRaces) {
            if (race == Race::Weasel)
                continue;
            std::vector<std::array<float, 3>> sleeves;
            for (int choice = 0; choice < kShirtColours; ++choice) {
                const std::string path = project + RaceFolder(race) + "/" + set + "/Shirt0" + std::to_string(choice) +
                                         "/" + ShirtTexture(race) + ".png";
                RwImage* shirt = RwImageRead(path.c_str());
                ASSERT_NE(shirt, nullptr) << path;
                // The sleeves, between the hem and the cuffs, wear the shirt's main colour.
                sleeves.push_back(MeanColour(*shirt, 0, shirt->height * 83 / 100, shirt->width, shirt->height * 95 / 100));
                RwImageDestroy(shirt);
            }
            for (int choice = 1; choice < kShirtColours; ++choice) {
                SCOPED_TRACE(std::string(set) + " " + RaceName(race) + " choice " + std::to_string(choice));
                const auto shown = swatch(glyphs[size_t(choice)], 0.1f, 0.9f);
                EXPECT_LT(Distance(shown, sleeves[size_t(choice)]), kSameColour);
                for (int other = 1; other < kShirtColours; ++other)
                    EXPECT_LE(Distance(shown, sleeves[size_t(choice)]), Distance(shown, sleeves[size_t(other)]));
            }
            float nearest = 1e9f;
            for (int quarter = 0; quarter < 4; ++quarter)
                nearest = std::min(nearest, Distance(swatch(glyphs[0], (float(quarter) + 0.2f) / 4, (float(quarter) + 0.8f) / 4),
                                                     sleeves[0]));
            EXPECT_LT(nearest, kSameColour) << set << " " << RaceName(race) << " own shirt";
        }
        RwImageDestroy(swatches);
    }
}

TEST_F(Staged, EveryActionHasAClipOnTheSkeleton)
{
    ASSERT_EQ(ActionAnimations().size(), 63u);
    std::set<std::string> actions;
    for (const ActionAnimation& a : ActionAnimations()) {
        actions.insert(a.action);
        SCOPED_TRACE(a.action);
        const Clip* clip = FindClip(a.clip);
        ASSERT_NE(clip, nullptr);
        RtAnimAnimation* anim = ReadAnimation(a.clip);
        ASSERT_NE(anim, nullptr);
        EXPECT_EQ(RtAnimAnimationGetNumNodes(anim), kBoneCount);
        EXPECT_NEAR(anim->duration, clip->duration, 1e-5f);
        for (const RtAnimTrack& track : anim->tracks) {
            ASSERT_GE(track.keys.size(), 2u);
            EXPECT_EQ(track.keys.front().time, 0.0f);
            EXPECT_NEAR(track.keys.back().time, anim->duration, 1e-5f);
        }
        if (clip->loops)
            for (const RtAnimTrack& track : anim->tracks) {
                const RtAnimKeyFrame &first = track.keys.front(), &last = track.keys.back();
                for (int k = 0; k < 4; ++k)
                    EXPECT_EQ(first.rot[k], last.rot[k]);
                for (int k = 0; k < 3; ++k)
                    EXPECT_EQ(first.trans[k], last.trans[k]);
            }
        RtAnimAnimationDestroy(anim);
    }
    EXPECT_EQ(actions.size(), 63u);
    // The clip names are files: nothing else reads them.
    EXPECT_EQ(ReadAnimation("no_such_clip"), nullptr);
}

TEST_F(Staged, ClipsKeepTheModelsProportions)
{
    // Shared clips carry every bone's offset, so they must equal the model's bind offsets.
    RtAnimAnimation* anim = ReadAnimation("stand");
    ASSERT_NE(anim, nullptr);
    for (int b = 0; b < kBoneCount; ++b) {
        if (b == kPelvis)
            continue;
        const Vec3 o = BindOffset(b);
        const RtAnimKeyFrame& k = anim->tracks[size_t(b)].keys.front();
        EXPECT_NEAR(k.trans[0], o.x, 1e-6f) << Bones()[size_t(b)].name;
        EXPECT_NEAR(k.trans[1], o.y, 1e-6f) << Bones()[size_t(b)].name;
        EXPECT_NEAR(k.trans[2], o.z, 1e-6f) << Bones()[size_t(b)].name;
    }
    RtAnimAnimationDestroy(anim);
}

// The radius of the match ball as the staged model has it.
float BallModelRadius(const std::string& project)
{
    RpClump* ball = LoadClump(project + "Balls/tournamentball.dff", project + "Balls/");
    if (!ball)
        return 0;
    const float radius = RpAtomicGetBoundingSphere(ball->atomics[0])->radius;
    RpClumpDestroy(ball);
    return radius;
}

TEST_F(Staged, LocatorsHaveTwoNodesAndTimeTheBall)
{
    const float ballRadius = BallModelRadius(project);
    ASSERT_GT(ballRadius, 0.0f);
    int balls = 0, moves = 0;
    for (const Clip& clip : Clips()) {
        SCOPED_TRACE(clip.name);
        RtAnimAnimation* ball = ReadAnimation(clip.name + "_ball");
        ASSERT_EQ(ball != nullptr, clip.ball != BallMode::None);
        if (ball) {
            ++balls;
            EXPECT_EQ(RtAnimAnimationGetNumNodes(ball), 2);
            EXPECT_NEAR(ball->duration, clip.ballEnd, 1e-4f);
            // Node 0 stays at the origin: the locator's frame follows node 1 alone.
            for (const RtAnimKeyFrame& k : ball->tracks[0].keys)
                EXPECT_EQ(k.trans[0] * k.trans[0] + k.trans[1] * k.trans[1] + k.trans[2] * k.trans[2], 0.0f);
            // Balls stay within reach of the body and never sink into the ground.
            for (const RtAnimKeyFrame& k : ball->tracks[1].keys) {
                EXPECT_GE(k.trans[1], ballRadius - 1e-3f);
                EXPECT_LT(std::hypot(k.trans[0], k.trans[2]), 1.6f);
            }
            // Kicks start with the ball before the player's feet, resting on the pitch: its
            // centre one model radius up, neither sunk nor hovering.
            if (clip.ball == BallMode::Point) {
                const RtAnimKeyFrame& first = ball->tracks[1].keys.front();
                EXPECT_GT(first.trans[2], 0.0f);
                if (first.trans[1] < 0.5f) {
                    EXPECT_NEAR(first.trans[1], ballRadius, 2e-3f);
                }
            }
            RtAnimAnimationDestroy(ball);
        }
        RtAnimAnimation* move = ReadAnimation(clip.name + "_move");
        ASSERT_EQ(move != nullptr, bool(clip.move));
        if (move) {
            ++moves;
            EXPECT_EQ(RtAnimAnimationGetNumNodes(move), 2);
            EXPECT_NEAR(move->duration, clip.duration, 1e-4f);
            RtAnimAnimationDestroy(move);
        }
    }
    EXPECT_GE(balls, 20);
    EXPECT_GE(moves, 8);
    // Kicks end their ball locator at the kick, inside the clip; holds last.
    for (const char* kick : {"pass", "shoot", "penaltyshot", "keeperkickpass", "throwinpass", "snag", "header"}) {
        const Clip* c = FindClip(kick);
        ASSERT_NE(c, nullptr);
        EXPECT_GT(c->ballEnd, 0.1f) << kick;
        EXPECT_LT(c->ballEnd, c->duration) << kick;
    }
    for (const char* hold : {"standwithball", "keeperkickwait", "throwinwait"})
        EXPECT_GE(FindClip(hold)->ballEnd, 600.0f) << hold;
}

// ---------------------------------------------------------------- the models posed by the engine

// A staged model skinned on its hierarchy, posed by staged clips the way the game poses it.
class Posed {
public:
    explicit Posed(RpClump* clump) : m_clump(clump), m_h(clump ? RpHAnimFrameFindHierarchy(RpClumpGetFrame(clump)) : nullptr)
    {
        if (!m_h)
            return;
        for (RpAtomic* a : clump->atomics)
            RpSkinAtomicSetHAnimHierarchy(a, m_h);
        RpHAnimHierarchyAttach(m_h);
    }
    ~Posed()
    {
        if (m_clump)
            RpClumpDestroy(m_clump);
    }
    bool Ready() const { return m_h != nullptr; }
    void Pose(RtAnimAnimation* anim, float time)
    {
        RtAnimInterpolatorSetCurrentAnim(m_h->interpolator, anim);
        RtAnimInterpolatorSetCurrentTime(m_h->interpolator, time);
        RpHAnimHierarchyUpdateMatrices(m_h);
    }
    // The atomic's vertices (and normals) as the current pose places them.
    std::vector<RwV3d> Vertices(int atomic, std::vector<RwV3d>* normals = nullptr) const
    {
        RpAtomic* a = m_clump->atomics[size_t(atomic)];
        std::vector<RwV3d> out(size_t(RpAtomicGetGeometry(a)->numVertices));
        if (normals)
            normals->resize(out.size());
        RpSkinBlendVertices(a, out.data(), normals ? normals->data() : nullptr);
        return out;
    }
    float Lowest() const
    {
        float low = 1e9f;
        for (int a = 0; a < RpClumpGetNumAtomics(m_clump); ++a)
            for (const RwV3d& p : Vertices(a))
                low = std::min(low, p.y);
        return low;
    }
    RpClump* Clump() const { return m_clump; }

private:
    RpClump* m_clump;
    RpHAnimHierarchy* m_h;
};

TEST_F(Staged, EveryRaceStaysOnThePitchInEveryKeyFrame)
{
    std::vector<RtAnimAnimation*> anims;
    for (const Clip& clip : Clips()) {
        anims.push_back(ReadAnimation(clip.name));
        ASSERT_NE(anims.back(), nullptr) << clip.name;
    }
    for (Race race : kRaces) {
        bool missing = false;
        Posed model(Load(race, "SmallTextures24Bit", 0, missing));
        ASSERT_TRUE(model.Ready()) << RaceName(race);
        for (size_t c = 0; c < anims.size(); ++c) {
            float low = 1e9f, at = 0;
            for (const RtAnimKeyFrame& key : anims[c]->tracks[0].keys) {
                model.Pose(anims[c], key.time);
                if (const float y = model.Lowest(); y < low) {
                    low = y;
                    at = key.time;
                }
            }
            EXPECT_GE(low, -0.02f) << RaceName(race) << " " << Clips()[c].name << " at " << at << " s";
        }
    }
    for (RtAnimAnimation* anim : anims)
        RtAnimAnimationDestroy(anim);
}

// Lifted no further than they must be: standing and lying poses rest on the pitch.
TEST_F(Staged, RestingPosesTouchThePitch)
{
    struct Rest {
        const char* clip;
        float time;
    };
    for (const Rest& rest : {Rest{"stand", 0}, Rest{"refstand", 0}, Rest{"slidetackle", 1.1f},
                             Rest{"fallover", 0.95f}, Rest{"satdown", 0}}) {
        RtAnimAnimation* anim = ReadAnimation(rest.clip);
        ASSERT_NE(anim, nullptr) << rest.clip;
        float low = 1e9f;
        for (Race race : kRaces) {
            bool missing = false;
            Posed model(Load(race, "SmallTextures24Bit", 0, missing));
            ASSERT_TRUE(model.Ready());
            model.Pose(anim, rest.time);
            low = std::min(low, model.Lowest());
        }
        EXPECT_LT(low, 0.03f) << rest.clip;
        RtAnimAnimationDestroy(anim);
    }
}

// A standing player stands in its boots: the kit reaches lower than the bare feet, and down
// to the pitch.
// A candidate on the squad selection's bench sits with the bottom of his hips on its plank:
// neither sunk into it nor floating over it.
TEST_F(Staged, SeatedCandidatesRestOnTheSelectionBench)
{
    RtAnimAnimation* anim = ReadAnimation("satdown");
    ASSERT_NE(anim, nullptr);
    for (Race race : {Race::Lizard, Race::Panda, Race::Primate, Race::Rhino}) {
        bool missing = false;
        Posed model(Load(race, "SmallTextures24Bit", 0, missing));
        ASSERT_TRUE(model.Ready()) << RaceName(race);
        model.Pose(anim, 0);
        // Under the hip joints, between the legs' fronts and the tail's root, above the feet.
        float hips = 1e9f;
        for (int a = 0; a < RpClumpGetNumAtomics(model.Clump()); ++a)
            for (const RwV3d& p : model.Vertices(a))
                if (std::fabs(p.x) < 0.25f && std::fabs(p.z) < 0.15f && p.y > 0.15f)
                    hips = std::min(hips, p.y);
        EXPECT_NEAR(hips, world::kSelectionSeatHeight, 0.04f) << RaceName(race);
    }
    RtAnimAnimationDestroy(anim);
}

TEST_F(Staged, StandingPlayersStandInTheirBoots)
{
    RtAnimAnimation* stand = ReadAnimation("stand");
    ASSERT_NE(stand, nullptr);
    for (Race race : kRaces) {
        bool missing = false;
        Posed model(Load(race, "SmallTextures24Bit", 0, missing));
        ASSERT_TRUE(model.Ready());
        model.Pose(stand, 0);
        const auto lowest = [&model](int atomic) {
            float low = 1e9f;
            for (const RwV3d& p : model.Vertices(atomic))
                low = std::min(low, p.y);
            return low;
        };
        const float boots = lowest(KitAtomic(race));
        EXPECT_LT(boots, lowest(BodyAtomic(race))) << RaceName(race);
        EXPECT_LT(boots, 0.02f) << RaceName(race);
    }
    RtAnimAnimationDestroy(stand);
}

// Where a texture coordinate of a material lands on the posed atomic, with the surface normal.
struct SurfacePoint {
    Vec3 pos, normal;
};

std::optional<SurfacePoint> FindTexel(const Posed& model, int atomic, const std::string& texture, float u, float v)
{
    std::vector<RwV3d> normals;
    const std::vector<RwV3d> pos = model.Vertices(atomic, &normals);
    const RpGeometry* g = RpAtomicGetGeometry(model.Clump()->atomics[size_t(atomic)]);
    const auto V = [](const RwV3d& p) { return Vec3{p.x, p.y, p.z}; };
    for (int t = 0; t < g->numTriangles; ++t) {
        const RpTriangle& tri = g->triangles[t];
        const RwTexture* tex = g->matList.materials[tri.matIndex]->texture;
        if (!tex || texture != tex->name)
            continue;
        const RwTexCoords* uv = g->texCoords[0];
        const RwTexCoords &a = uv[tri.vertIndex[0]], &b = uv[tri.vertIndex[1]], &c = uv[tri.vertIndex[2]];
        const float det = (b.u - a.u) * (c.v - a.v) - (c.u - a.u) * (b.v - a.v);
        if (std::fabs(det) < 1e-9f)
            continue;
        const float wb = ((u - a.u) * (c.v - a.v) - (c.u - a.u) * (v - a.v)) / det;
        const float wc = ((b.u - a.u) * (v - a.v) - (u - a.u) * (b.v - a.v)) / det;
        const float wa = 1 - wb - wc;
        if (wa < 0 || wb < 0 || wc < 0)
            continue;
        const auto mix = [&](const std::vector<RwV3d>& p) {
            return V(p[tri.vertIndex[0]]) * wa + V(p[tri.vertIndex[1]]) * wb + V(p[tri.vertIndex[2]]) * wc;
        };
        return SurfacePoint{mix(pos), Normalised(mix(normals))};
    }
    return std::nullopt;
}

// The distance along from -> to at which the segment first meets a triangle (Moller-Trumbore).
float FirstHit(Vec3 from, Vec3 dir, Vec3 a, Vec3 b, Vec3 c)
{
    const Vec3 e1 = b - a, e2 = c - a, p = Cross(dir, e2);
    const float det = Dot(e1, p);
    if (std::fabs(det) < 1e-12f)
        return -1;
    const Vec3 s = from - a;
    const float u = Dot(s, p) / det;
    const Vec3 q = Cross(s, e1);
    const float v = Dot(dir, q) / det;
    if (u < 0 || v < 0 || u + v > 1)
        return -1;
    return Dot(e2, q) / det;
}

// A camera at eye sees the point when it faces the camera and nothing of the model is between.
bool Sees(const Posed& model, Vec3 eye, const SurfacePoint& point, int hiddenAtomic)
{
    if (Dot(point.normal, eye - point.pos) <= 0)
        return false;
    const Vec3 dir = point.pos - eye;
    for (int a = 0; a < RpClumpGetNumAtomics(model.Clump()); ++a) {
        if (a == hiddenAtomic)
            continue;
        const std::vector<RwV3d> pos = model.Vertices(a);
        const RpGeometry* g = RpAtomicGetGeometry(model.Clump()->atomics[size_t(a)]);
        const auto V = [&](int i) { return Vec3{pos[size_t(i)].x, pos[size_t(i)].y, pos[size_t(i)].z}; };
        for (int t = 0; t < g->numTriangles; ++t) {
            const RpTriangle& tri = g->triangles[t];
            const float hit = FirstHit(eye, dir, V(tri.vertIndex[0]), V(tri.vertIndex[1]), V(tri.vertIndex[2]));
            if (hit > 1e-3f && hit < 0.999f)
                return false;
        }
    }
    return true;
}

TEST_F(Staged, ShirtBackShowsBehindAndChestInFront)
{
    struct Mark {
        const char* where;
        float u, v;
        bool fromBehind;
    };
    const Mark marks[] = {{"number place", kShirtBackU, kShirtNumberV, true}, {"badge", 0.3f, 0.2f, false}};
    RtAnimAnimation* stand = ReadAnimation("stand");
    ASSERT_NE(stand, nullptr);
    for (Race race : kRaces)
        for (const Mark& mark : marks) {
            SCOPED_TRACE(std::string(RaceName(race)) + " " + mark.where);
            bool missing = false;
            Posed model(Load(race, "SmallTextures24Bit", 2 % VariationCount(race), missing));
            ASSERT_TRUE(model.Ready());
            model.Pose(stand, 0);
            const auto texel = FindTexel(model, KitAtomic(race), ShirtTexture(race), mark.u, mark.v);
            ASSERT_TRUE(texel.has_value());
            // The character faces +z.
            const Vec3 behind{0, texel->pos.y, -6}, front{0, texel->pos.y, 6};
            const int hidden = race == Race::Weasel ? kCardAtomic : -1;
            EXPECT_EQ(Sees(model, behind, *texel, hidden), mark.fromBehind);
            EXPECT_EQ(Sees(model, front, *texel, hidden), !mark.fromBehind);
        }
    RtAnimAnimationDestroy(stand);
}

// The shirt's torso, not its sleeves: the torso takes v 0 to 0.8 of the shirt picture.
bool InTorsoOfShirt(const RpGeometry* kit, const RpTriangle& tri)
{
    for (RwUInt16 i : tri.vertIndex)
        if (kit->texCoords[0][i].v > 0.8f + 1e-4f)
            return false;
    return true;
}

// The body under the shirt stays under it: every vertex of the torso's flesh between the hem
// and the collar (clear of the shirt's closing caps) lies inside the shirt, looking out from
// the torso's axis. The shirt and the torso are weighted alike by height, so what holds in the
// bind pose holds in every pose.
TEST_F(Staged, NothingOfTheTorsoComesThroughTheShirt)
{
    const auto onTorso = [](const RpSkin* skin, int v) {
        for (int k = 0; k < 4; ++k)
            if (skin->weights[v][k] > 0 && skin->boneIndices[v][k] != kPelvis && skin->boneIndices[v][k] != kSpine &&
                skin->boneIndices[v][k] != kChest)
                return false;
        return true;
    };
    for (Race race : kRaces) {
        SCOPED_TRACE(RaceName(race));
        bool missing = false;
        RpClump* clump = Load(race, "SmallTextures24Bit", 2 % VariationCount(race), missing);
        ASSERT_NE(clump, nullptr);
        // Both the full meshes and the low-detail ones seen from afar.
        for (const bool low : {false, true}) {
            SCOPED_TRACE(low ? "low detail" : "full detail");
            const auto mesh = [&](int index) {
                RpAtomic* atomic = clump->atomics[size_t(index)];
                return low ? RpAtomicGetLowDetail(atomic) : RpAtomicGetGeometry(atomic);
            };
            RpGeometry* body = mesh(BodyAtomic(race));
            const RpGeometry* kit = mesh(KitAtomic(race));
            ASSERT_TRUE(body && kit);
            std::vector<std::array<Vec3, 3>> shirt;
            float hem = 1e9f, collar = -1e9f;
            for (int t = 0; t < kit->numTriangles; ++t) {
                const RpTriangle& tri = kit->triangles[t];
                const RwTexture* tex = kit->matList.materials[tri.matIndex]->texture;
                if (!tex || ShirtTexture(race) != tex->name || !InTorsoOfShirt(kit, tri))
                    continue;
                std::array<Vec3, 3> corners;
                for (int k = 0; k < 3; ++k) {
                    const RwV3d& p = kit->morphTarget[0].verts[tri.vertIndex[k]];
                    corners[size_t(k)] = {p.x, p.y, p.z};
                    if (std::fabs(p.x) < 0.05f) {
                        hem = std::min(hem, p.y);
                        collar = std::max(collar, p.y);
                    }
                }
                shirt.push_back(corners);
            }
            ASSERT_FALSE(shirt.empty());
            const RpSkin* skin = RpSkinGeometryGetSkin(body);
            int checked = 0, outside = 0;
            for (int v = 0; v < body->numVertices; ++v) {
                const RwV3d& p = body->morphTarget[0].verts[v];
                if (!onTorso(skin, v) || p.y < hem + 0.08f || p.y > collar - 0.08f || std::hypot(p.x, p.z) < 0.02f)
                    continue;
                ++checked;
                const Vec3 axis{0, p.y, 0}, out = Normalised({p.x, 0, p.z});
                float reach = 1e9f;
                for (const auto& t : shirt)
                    if (const float hit = FirstHit(axis, out, t[0], t[1], t[2]); hit > 0)
                        reach = std::min(reach, hit);
                if (std::hypot(p.x, p.z) > reach + 1e-3f)
                    ++outside;
            }
            EXPECT_GT(checked, 20);
            EXPECT_EQ(outside, 0);
        }
        RpClumpDestroy(clump);
    }
}

// Both eyes look out of the face: each pupil shows to a camera in front of the head and to
// that eye's side, not hidden inside the head or behind the snout.
TEST_F(Staged, EyesShowFromTheFront)
{
    // The detail picture's pupil cell, as the palette lays it out (4 x 4 cells).
    constexpr float kPupilU = 1.5f / 4, kPupilV = 0.5f / 4;
    RtAnimAnimation* stand = ReadAnimation("stand");
    ASSERT_NE(stand, nullptr);
    for (Race race : kRaces) {
        SCOPED_TRACE(RaceName(race));
        bool missing = false;
        Posed model(Load(race, "SmallTextures24Bit", 0, missing));
        ASSERT_TRUE(model.Ready());
        model.Pose(stand, 0);
        const int body = BodyAtomic(race);
        std::vector<RwV3d> normals;
        const std::vector<RwV3d> pos = model.Vertices(body, &normals);
        const RpGeometry* g = RpAtomicGetGeometry(model.Clump()->atomics[size_t(body)]);
        const int hidden = race == Race::Weasel ? kCardAtomic : -1;
        for (const float side : {1.0f, -1.0f}) {
            int pupils = 0, seen = 0;
            for (int v = 0; v < g->numVertices; ++v) {
                const RwTexCoords& uv = g->texCoords[0][v];
                if (std::fabs(uv.u - kPupilU) > 1e-3f || std::fabs(uv.v - kPupilV) > 1e-3f || pos[size_t(v)].x * side <= 0)
                    continue;
                ++pupils;
                const SurfacePoint p{{pos[size_t(v)].x, pos[size_t(v)].y, pos[size_t(v)].z},
                                     {normals[size_t(v)].x, normals[size_t(v)].y, normals[size_t(v)].z}};
                seen += Sees(model, {side * 1.0f, p.pos.y, 3.0f}, p, hidden) ? 1 : 0;
            }
            EXPECT_GT(pupils, 0) << "side " << side;
            EXPECT_GT(seen, 0) << "side " << side;
        }
    }
    RtAnimAnimationDestroy(stand);
}

// The ground search skips flesh that cannot be lowest; it must find what a search of every
// vertex finds.
TEST(Motions, LowestFleshIsTheLowestVertexOfAnyRace)
{
    std::vector<MeshBuilder> meshes;
    for (Race race : kRaces)
        for (MeshBuilder& m : BuildCharacterMeshes(race))
            meshes.push_back(std::move(m));
    for (const char* name : {"stand", "run", "slidetackle", "fallover", "savebottomleft", "cheer", "satdown"}) {
        const Clip* clip = FindClip(name);
        ASSERT_NE(clip, nullptr);
        for (int k = 0; k <= 4; ++k) {
            const Pose pose = clip->pose(clip->duration * float(k) / 4);
            const auto world = PoseToWorld(pose);
            float low = 1e9f;
            for (const MeshBuilder& m : meshes)
                for (const MeshVertex& v : m.Vertices()) {
                    float y = 0;
                    for (int w = 0; w < 4; ++w)
                        y += v.weights[w] * world[v.bones[w]].Point(v.pos - Bones()[v.bones[w]].bindPos).y;
                    low = std::min(low, y);
                }
            EXPECT_NEAR(LowestFlesh(pose), low, 1e-4f) << name << " " << k;
        }
    }
}

// From one key frame to the next no joint jumps further than a sprint of 20 m/s would take
// it, the seam of a loop included.
TEST(Motions, JointsMoveSmoothlyFromKeyToKey)
{
    constexpr float kFurthestStep = 20.0f / kSampleRate;
    for (const Clip& c : Clips()) {
        const int n = std::max(1, int(std::lround(c.duration * kSampleRate)));
        float furthest = 0;
        auto previous = PoseToWorld(c.pose(0));
        for (int k = 1; k <= n; ++k) {
            const auto world = PoseToWorld(c.pose(c.loops && k == n ? 0.0f : c.duration * float(k) / float(n)));
            for (size_t b = 0; b < world.size(); ++b)
                furthest = std::max(furthest, Length(world[b].pos - previous[b].pos));
            previous = world;
        }
        EXPECT_LT(furthest, kFurthestStep) << c.name;
    }
}

// The rig's own pose maths against what the engine makes of the written key frames.
TEST(Rig, PoseMathMatchesTheEngine)
{
    ASSERT_TRUE(test::EngineUp());
    const Clip* clip = FindClip("shoot");
    ASSERT_NE(clip, nullptr);
    RtAnimAnimation* anim = BuildClipAnimation(*clip);
    ASSERT_NE(anim, nullptr);
    RpHAnimHierarchy* h = CreateSkeletonHierarchy(0);
    RtAnimInterpolatorSetCurrentAnim(h->interpolator, anim);
    // A key's own time, so no interpolation stands between the two.
    const float t = anim->tracks[0].keys[size_t(clip->contact * kSampleRate)].time;
    RtAnimInterpolatorSetCurrentTime(h->interpolator, t);
    RpHAnimHierarchyUpdateMatrices(h);
    const auto world = PoseToWorld(clip->pose(t));
    for (int b = 0; b < kBoneCount; ++b) {
        const RwMatrix& m = h->pMatrixArray[b];
        EXPECT_NEAR(m.pos.x, world[size_t(b)].pos.x, 1e-3f) << Bones()[size_t(b)].name;
        EXPECT_NEAR(m.pos.y, world[size_t(b)].pos.y, 1e-3f) << Bones()[size_t(b)].name;
        EXPECT_NEAR(m.pos.z, world[size_t(b)].pos.z, 1e-3f) << Bones()[size_t(b)].name;
        // The axes too: the hand's direction decides where a held ball sits.
        EXPECT_NEAR(m.right.x, world[size_t(b)].right.x, 1e-3f) << Bones()[size_t(b)].name;
        EXPECT_NEAR(m.up.z, world[size_t(b)].up.z, 1e-3f) << Bones()[size_t(b)].name;
    }
    RpHAnimHierarchyDestroy(h);
    RtAnimAnimationDestroy(anim);
}

TEST(Rig, MirroredPoseMirrorsTheJoints)
{
    const Clip* left = FindClip("savetopleft");
    const Clip* right = FindClip("savetopright");
    ASSERT_TRUE(left && right);
    const auto l = PoseToWorld(left->pose(left->contact));
    const auto r = PoseToWorld(right->pose(right->contact));
    for (int b = 0; b < kBoneCount; ++b) {
        const int m = b >= kUpperArmL && b <= kHandL ? b + 3 : b >= kUpperArmR && b <= kHandR ? b - 3
                      : b >= kThighL && b <= kFootL  ? b + 3 : b >= kThighR && b <= kFootR ? b - 3 : b;
        EXPECT_NEAR(l[size_t(b)].pos.x, -r[size_t(m)].pos.x, 1e-4f) << Bones()[size_t(b)].name;
        EXPECT_NEAR(l[size_t(b)].pos.y, r[size_t(m)].pos.y, 1e-4f) << Bones()[size_t(b)].name;
    }
}

// Motions that read: a run runs, a kick meets the ball, a dive flies sideways, a held ball is
// in the hands.
TEST(Motions, DoWhatTheirNamesSay)
{
    const Clip* run = FindClip("run");
    ASSERT_NE(run, nullptr);
    float leftLead = 0, rightLead = 0;
    for (int k = 0; k < 20; ++k) {
        const auto w = PoseToWorld(run->pose(run->duration * float(k) / 20));
        leftLead = std::max(leftLead, w[kFootL].pos.z - w[kFootR].pos.z);
        rightLead = std::max(rightLead, w[kFootR].pos.z - w[kFootL].pos.z);
    }
    EXPECT_GT(leftLead, 0.5f);  // the feet take turns well in front of each other
    EXPECT_GT(rightLead, 0.5f);

    for (const char* kick : {"pass", "shoot", "penaltyshot"}) {
        const Clip* c = FindClip(kick);
        const auto w = PoseToWorld(c->pose(c->ballEnd));
        const Vec3 ball = c->ballAt(c->ballEnd);
        const Vec3 toe = w[kFootR].Point({0, -0.04f, 0.12f});
        EXPECT_LT(Length(toe - ball), 0.4f) << kick;
        // ... and the foot swings through: it is behind the body earlier in the clip.
        const auto back = PoseToWorld(c->pose(c->ballEnd * 0.55f));
        EXPECT_LT(back[kFootR].pos.z, -0.1f) << kick;
    }

    const Clip* dive = FindClip("savetopleft");
    const auto fly = PoseToWorld(dive->pose(dive->contact));
    EXPECT_GT(fly[kHead].pos.x - fly[kPelvis].pos.x, 0.4f);  // lying sideways towards the left
    EXPECT_GT(fly[kPelvis].pos.y, 1.0f);                      // in the air
    EXPECT_GT(dive->move(dive->duration).x, 1.0f);            // and travelling left
    EXPECT_LT(Mirror(dive->pose(dive->contact)).hip.x, 0.0f);

    const Clip* hold = FindClip("standwithball");
    const auto w = PoseToWorld(hold->pose(0));
    const Vec3 ball = BallInHands(hold->pose(0));
    EXPECT_LT(Length(ball - w[kHandL].pos), 0.3f);
    EXPECT_LT(Length(ball - w[kHandR].pos), 0.3f);
    EXPECT_GT(ball.z, w[kChest].pos.z + 0.1f);
    EXPECT_GT(ball.y, 0.9f);

    // A keeper's step carries him the way it is named, or guarding walks him out of his goal.
    struct Step {
        const char* clip;
        float left, forward;
    };
    for (const Step& s : {Step{"stepleft", 1, 0}, Step{"stepright", -1, 0}, Step{"stepforth", 0, 1},
                          Step{"stepback", 0, -1}}) {
        const Clip* step = FindClip(s.clip);
        ASSERT_TRUE(step && step->move) << s.clip;
        const Vec3 moved = step->move(step->duration);
        EXPECT_GT(moved.x * s.left + moved.z * s.forward, 0.3f) << s.clip;
        EXPECT_NEAR(moved.x * s.forward - moved.z * s.left, 0.0f, 1e-4f) << s.clip;
    }
}

}  // namespace

