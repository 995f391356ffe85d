#pragma once

// The five animal characters: the models (one clump per race on the shared skeleton) and the
// textures they read. A model holds, in this atomic order, its body and its kit (the Panda's
// kit comes first), and the referee's red card last; the kit atomic is what a cut scene hides
// to show the bare animal, the card atomic is what the referee's variation hides.
//
// Textures are looked up by name through "Var0<n>", then "Common", then "Shirt00" below the
// race's texture-set folder, so each variation overrides what it paints differently: its fur,
// face and hands (keeper gloves), and for the keepers (Var00, Var01) their shirt and kit.

#include "tools/assets/common/Image.h"
#include "tools/assets/common/Mesh.h"

#include <string>
#include <vector>

struct RpClump;

namespace assets::chars {

enum class Race { Lizard, Panda, Primate, Rhino, Weasel };
inline constexpr Race kRaces[] = {Race::Lizard, Race::Panda, Race::Primate, Race::Rhino, Race::Weasel};

const char* RaceName(Race race);
// Variations 0 and 1 are the keepers; the referee has variation 0 only.
int VariationCount(Race race);
inline bool IsKeeperVariation(Race race, int variation) { return race != Race::Weasel && variation < 2; }

// The display names of the race's team members in variation order; none for the referee's.
std::vector<std::string> MemberNames(Race race);

// "Characters/<Race>/<Race>.DFF" below the project folder, and the texture folder.
std::string ModelPath(Race race);
std::string RaceFolder(Race race);

// Atomic indices.
int BodyAtomic(Race race);
int KitAtomic(Race race);
inline constexpr int kCardAtomic = 2;  // the referee only

// The texture names the model's materials use ("<race>_skin", "<race>_shirt", ...).
std::vector<std::string> TextureNames(Race race);
std::string ShirtTexture(Race race);

// Shirt texture layout, for whoever paints team shirts: the torso wraps around u with the
// chest at u 0.25 and the back at u 0.75 (the number's place), from the collar (v 0) down to
// the hem (v 0.8); the sleeves take v 0.8 to 1.
inline constexpr float kShirtBackU = 0.75f;
inline constexpr float kShirtNumberV = 0.32f;

// The model as the engine writes it: skinned atomics on the shared skeleton, each body and
// kit with its low-detail mesh for players seen from afar and a coarser one for shadows.
RpClump* BuildCharacter(Race race);
// Below this many pixels across its bounding sphere an atomic draws its low-detail mesh.
inline constexpr float kLowDetailBelowPixels = 90.0f;
// Shadow: only an outline in a small texture, so the coarsest that keeps every limb whole.
enum class Detail { Full, Low, Shadow };
// The meshes of the model in bind pose, atomic by atomic (for triangle budgets and tests).
std::vector<MeshBuilder> BuildCharacterMeshes(Race race, Detail detail = Detail::Full);

// Texture painters, full size; the folder is "Var0<n>", "Common" or "Shirt00".
struct TextureFile {
    std::string folder;
    std::string name;
    Image image;
};
std::vector<TextureFile> PaintCharacterTextures(Race race);
// The shirts a side may wear in a match besides the race's own "Shirt00": folders "Shirt01"
// to "Shirt07".
inline constexpr int kShirtColours = 8;
std::vector<TextureFile> PaintMatchShirts(Race race);
// The main colour of shirt choice 1 to kShirtColours - 1, which the options' swatch of that
// choice shows; black for any other choice.
Rgba ShirtChoiceColour(int choice);
// The main colour of the race's own shirt, choice 0, and the colour of its trim.
Rgba RaceShirtColour(Race race);
Rgba RaceShirtTrim(Race race);
// The selectable teams in the game's team order (the order of TeamDescription::KeyAt), each
// in its race's own shirt.
struct TeamRow {
    const char* key;
    Race race;
    const char* shownName;
    int squad;  // 0: Gk00 with Pl00 to Pl03; 1: Gk01 with Pl04 to Pl07
};
const std::vector<TeamRow>& SelectableTeams();

// A shirt-sized picture that is clear but for the number, white, on the back's number place.
Image PaintShirtNumber(int number);

}  // namespace assets::chars
