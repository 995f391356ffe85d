#include "tools/assets/characters/Characters.h"

#include "tools/assets/common/Random.h"

#include <algorithm>
#include <cmath>

namespace assets::chars {

namespace {

constexpr int kSkinSize = 128;
constexpr int kFaceSize = 128;
constexpr int kShirtSize = 128;

struct Look {
    Rgba fur, fur2, accent;
};

Look BaseLook(Race race)
{
    switch (race) {
    case Race::Panda: return {{236, 232, 220, 255}, {34, 32, 36, 255}, {30, 30, 32, 255}};
    case Race::Lizard: return {{78, 150, 62, 255}, {214, 206, 120, 255}, {40, 92, 40, 255}};
    case Race::Primate: return {{58, 46, 40, 255}, {120, 110, 104, 255}, {30, 24, 22, 255}};
    case Race::Rhino: return {{138, 136, 140, 255}, {170, 166, 166, 255}, {96, 94, 98, 255}};
    case Race::Weasel: return {{150, 96, 52, 255}, {236, 222, 190, 255}, {70, 44, 26, 255}};
    }
    return {};
}

// Each variation takes a tone from its race's list and one of the race's four kinds of
// markings. Tone and markings step through their lists at different rates, so no two
// variations of a race share both and each can be told apart on the pitch.
struct VariationLook {
    Look look;
    int pattern;   // 0..3: the race's kinds of markings
    float amount;  // strength of the markings
    uint32_t seed;
};

Rgba Shade(Rgba c, float k) { return Scale(c, k); }

struct Tones {
    std::vector<Rgba> fur;
    std::vector<Rgba> fur2;  // empty: the race's own
};

Tones TonesOf(Race race)
{
    switch (race) {
    case Race::Panda:  // white, cream, ash and tan coats; black, brown or charcoal patches
        return {{{242, 240, 232, 255}, {240, 224, 188, 255}, {200, 200, 206, 255}, {222, 196, 158, 255}},
                {{28, 26, 30, 255}, {92, 60, 40, 255}, {72, 72, 80, 255}}};
    // A tone for each variation: a team's players can be told apart by their coats alone.
    case Race::Lizard:
        return {{{90, 170, 60, 255}, {60, 130, 110, 255}, {130, 150, 50, 255}, {50, 120, 160, 255}, {150, 110, 50, 255},
                 {170, 80, 50, 255}, {40, 90, 50, 255}, {200, 176, 90, 255}, {120, 70, 110, 255}, {150, 196, 80, 255}},
                {}};
    case Race::Primate:
        return {{{30, 28, 30, 255}, {86, 58, 38, 255}, {62, 62, 76, 255}, {130, 86, 52, 255}, {120, 120, 124, 255},
                 {176, 84, 30, 255}, {180, 154, 112, 255}, {200, 200, 204, 255}, {100, 80, 70, 255}, {140, 110, 90, 255}},
                {}};
    case Race::Rhino:
        return {{{140, 138, 142, 255}, {156, 120, 100, 255}, {100, 116, 140, 255}, {180, 170, 150, 255}, {90, 86, 84, 255},
                 {120, 130, 100, 255}, {176, 124, 124, 255}, {130, 100, 70, 255}, {200, 186, 200, 255}, {60, 70, 80, 255}},
                {}};
    case Race::Weasel: return {{BaseLook(race).fur}, {}};
    }
    return {};
}

VariationLook LookOf(Race race, int variation)
{
    VariationLook v;
    v.look = BaseLook(race);
    v.seed = uint32_t(int(race) * 100 + variation + 17);
    Rng rng(v.seed);
    const Tones tones = TonesOf(race);
    const int n = static_cast<int>(tones.fur.size());
    v.look.fur = Shade(tones.fur[static_cast<size_t>(variation % n)], 0.96f + 0.08f * rng.Unit());
    if (!tones.fur2.empty())
        v.look.fur2 = tones.fur2[static_cast<size_t>((variation + variation / n) % static_cast<int>(tones.fur2.size()))];
    v.pattern = (variation + variation / n) % 4;
    v.amount = 0.6f + 0.4f * rng.Unit();
    return v;
}

Image PaintSkin(Race race, const VariationLook& v)
{
    Image img(kSkinSize, kSkinSize, v.look.fur);
    Rng rng(v.seed * 7 + 1);
    const Rgba dark = Shade(v.look.fur, 0.7f);
    switch (race) {
    case Race::Lizard: {
        // Scales in offset rows; some variations add bands or spots.
        for (int y = 0; y < kSkinSize; y += 8)
            for (int x = 0; x < kSkinSize; x += 8) {
                const float ox = float(x + ((y / 8) % 2) * 4);
                img.Ring(ox, float(y), 2.8f, 4.2f, WithAlpha(dark, 150));
            }
        if (v.pattern == 1)  // pale bands
            for (int y = 0; y < kSkinSize; y += 32)
                img.FillRect(0, y, kSkinSize, y + 12, WithAlpha(v.look.fur2, uint8_t(120 + 100 * v.amount)));
        if (v.pattern == 2)
            for (int i = 0; i < 14; ++i)
                img.FillCircle(rng.Range(0, kSkinSize), rng.Range(0, kSkinSize), rng.Range(4, 9),
                               WithAlpha(Rgba{230, 200, 60, 255}, uint8_t(120 + 100 * v.amount)));
        if (v.pattern == 3)  // dark blotches
            for (int i = 0; i < 24; ++i)
                img.FillCircle(rng.Range(0, kSkinSize), rng.Range(0, kSkinSize), rng.Range(4, 8), WithAlpha(Shade(v.look.fur, 0.45f), 220));
        img.Grain(0.08f, 0.12f, v.seed);
        break;
    }
    case Race::Rhino: {
        // Folds of thick skin.
        for (int i = 0; i < 26; ++i) {
            const float y = rng.Range(0, kSkinSize), x = rng.Range(0, kSkinSize), len = rng.Range(14, 40);
            img.Line(x, y, x + len, y + rng.Range(-4, 4), 1.6f, WithAlpha(dark, 120));
        }
        if (v.pattern == 1)
            for (int i = 0; i < 10; ++i)
                img.FillCircle(rng.Range(0, kSkinSize), rng.Range(0, kSkinSize), rng.Range(6, 14), WithAlpha(Shade(v.look.fur, 0.82f), 120));
        img.Grain(0.12f, 0.1f + 0.05f * float(v.pattern), v.seed);
        break;
    }
    case Race::Weasel:
    case Race::Primate:
    case Race::Panda: {
        // Fur: short strokes over a soft noise.
        img.Grain(0.06f, 0.1f, v.seed, 4);
        const Rgba stroke = Shade(v.look.fur, race == Race::Panda ? 0.88f : 0.75f);
        for (int i = 0; i < 260; ++i) {
            const float x = rng.Range(0, kSkinSize), y = rng.Range(0, kSkinSize);
            img.Line(x, y, x + rng.Range(-2, 2), y + rng.Range(4, 8), 1.0f, WithAlpha(stroke, 110));
        }
        if (race == Race::Primate && v.pattern == 1)  // a silver back
            img.FillRect(0, kSkinSize / 4, kSkinSize, kSkinSize / 2, WithAlpha(Rgba{150, 150, 150, 255}, 110));
        break;
    }
    }
    return img;
}

Image PaintSkin2(Race race, const VariationLook& v)
{
    Image img(64, 64, v.look.fur2);
    if (race == Race::Panda) {
        img.Grain(0.08f, 0.15f, v.seed + 3);
        for (int i = 0; i < 90; ++i) {
            Rng rng(v.seed + uint32_t(i));
            const float x = rng.Range(0, 64), y = rng.Range(0, 64);
            img.Line(x, y, x, y + 5, 1.0f, WithAlpha(Rgba{70, 68, 74, 255}, 90));
        }
    } else if (race == Race::Weasel) {
        // The tail: cream fading into a dark tip along v.
        for (int y = 0; y < 64; ++y)
            img.FillRect(0, y, 64, y + 1, Mix(v.look.fur, Rgba{40, 28, 20, 255}, std::clamp((float(y) - 40) / 14, 0.0f, 1.0f)));
        img.Grain(0.1f, 0.12f, v.seed + 3);
    } else {
        img.Grain(0.1f, 0.1f, v.seed + 3);
    }
    return img;
}

// Eye patches in one of four cuts: round, drooping, a mask joining them, or small patches
// with a dark muzzle.
void PaintPandaMarkings(Image& img, const VariationLook& v)
{
    const float s = static_cast<float>(img.Width()), cx = 0.5f * s;
    const float size = 5 + 2 * v.amount;
    for (int side = -1; side <= 1; side += 2) {
        const float x = cx + static_cast<float>(side) * (0.05f * s);
        switch (v.pattern) {
        case 0: img.FillCircle(x, 0.38f * s, size + 1, v.look.fur2, 1.2f); break;
        case 1:
            for (int k = 0; k < 5; ++k)
                img.FillCircle(x + static_cast<float>(side * k) * 1.2f, 0.37f * s + static_cast<float>(k) * 1.6f,
                               size - 0.5f * static_cast<float>(k), v.look.fur2, 1.2f);
            break;
        case 2: img.FillCircle(x, 0.38f * s, size, v.look.fur2, 1.2f); break;
        default: img.FillCircle(x, 0.38f * s, size - 2, v.look.fur2, 1.2f); break;
        }
    }
    if (v.pattern == 2)  // the patches joined into a mask
        img.FillRect(static_cast<int>(cx - 0.07f * s), static_cast<int>(0.35f * s), static_cast<int>(cx + 0.07f * s),
                     static_cast<int>(0.41f * s), v.look.fur2);
    if (v.pattern == 3)  // a dark muzzle
        img.FillCircle(cx, 0.8f * s, 0.09f * s, WithAlpha(v.look.fur2, 220), 2);
}

// The face wraps the head: u around (the nose at 0.5), v from the crown down. The snouts and
// muzzles map into the lower middle of the picture.
Image PaintFace(Race race, const VariationLook& v)
{
    const int s = kFaceSize;
    Image img(s, s, v.look.fur);
    img.Grain(0.07f, 0.08f, v.seed + 5);
    const float cx = 0.5f * s;
    switch (race) {
    case Race::Panda: {
        PaintPandaMarkings(img, v);
        img.FillRect(int(0.45f * s), int(0.7f * s), int(0.55f * s), int(0.9f * s), Shade(v.look.fur, 1.02f));
        img.Line(cx - 6, 0.84f * s, cx + 6, 0.84f * s, 1.5f, Rgba{60, 40, 40, 255});
        break;
    }
    case Race::Lizard: {
        img.FillRect(0, int(0.75f * s), s, s, WithAlpha(v.look.fur2, 200));  // the pale jaw
        for (int i = 0; i < 30; ++i) {
            Rng rng(v.seed * 3 + uint32_t(i));
            img.FillCircle(rng.Range(0, s), rng.Range(0, 0.6f * s), rng.Range(1.5f, 3.5f), WithAlpha(Shade(v.look.fur, 0.7f), 160));
        }
        img.Line(0.3f * s, 0.8f * s, 0.7f * s, 0.8f * s, 1.5f, Rgba{40, 50, 30, 255});  // the mouth line
        img.FillCircle(0.47f * s, 0.93f * s, 1.6f, Rgba{20, 30, 20, 255});
        img.FillCircle(0.53f * s, 0.93f * s, 1.6f, Rgba{20, 30, 20, 255});
        break;
    }
    case Race::Primate: {
        const Rgba skin = v.pattern == 3 ? Shade(v.look.fur2, 1.4f) : v.look.fur2;  // a pale face
        img.FillCircle(cx, 0.55f * s, 0.16f * s, skin, 3);
        img.FillRect(int(0.4f * s), int(0.7f * s), int(0.6f * s), int(0.95f * s), skin);
        img.Line(cx - 8, 0.86f * s, cx + 8, 0.86f * s, 1.6f, Rgba{40, 30, 30, 255});
        img.FillCircle(cx - 3, 0.74f * s, 1.8f, Rgba{30, 24, 24, 255});
        img.FillCircle(cx + 3, 0.74f * s, 1.8f, Rgba{30, 24, 24, 255});
        if (v.pattern == 2)  // grey whiskers
            img.FillRect(int(0.3f * s), int(0.86f * s), int(0.7f * s), s, WithAlpha(Rgba{190, 190, 190, 255}, 220));
        break;
    }
    case Race::Rhino: {
        // The snout pale on some, a dark band at the eyes on others.
        img.FillRect(0, int(0.55f * s), s, s, WithAlpha(Shade(v.look.fur, v.pattern == 3 ? 1.35f : 1.08f), 200));
        if (v.pattern == 2)
            img.FillRect(0, int(0.3f * s), s, int(0.44f * s), WithAlpha(Shade(v.look.fur, 0.55f), 220));
        for (int i = 0; i < 12; ++i) {
            const float y = 0.6f * s + float(i) * 3.5f;
            img.Line(0.32f * s, y, 0.68f * s, y + 1, 1.0f, WithAlpha(Shade(v.look.fur, 0.7f), 120));
        }
        img.FillCircle(0.46f * s, 0.92f * s, 2.2f, Rgba{40, 38, 40, 255});
        img.FillCircle(0.54f * s, 0.92f * s, 2.2f, Rgba{40, 38, 40, 255});
        break;
    }
    case Race::Weasel: {
        img.FillRect(0, int(0.62f * s), s, s, v.look.fur2);                    // cream cheeks and throat
        img.FillRect(int(0.38f * s), int(0.36f * s), int(0.62f * s), int(0.5f * s), WithAlpha(v.look.accent, 200));  // the mask
        break;
    }
    }
    return img;
}

Image PaintHands(Race race, int variation, const VariationLook& v)
{
    if (IsKeeperVariation(race, variation)) {
        // Goalkeeper gloves.
        const Rgba glove = variation == 0 ? Rgba{250, 140, 30, 255} : Rgba{60, 200, 90, 255};
        Image img(32, 32, glove);
        img.FillRect(0, 12, 32, 18, Rgba{30, 30, 36, 255});
        img.Grain(0.2f, 0.06f, v.seed + 9);
        return img;
    }
    Rgba base = race == Race::Panda ? v.look.fur2 : race == Race::Primate ? v.look.fur2 : v.look.fur;
    Image img(32, 32, base);
    img.Grain(0.2f, 0.1f, v.seed + 9);
    return img;
}

Image PaintDetail(Race race)
{
    const Look look = BaseLook(race);
    Image img(32, 32);
    const Rgba cells[8] = {
        {250, 250, 245, 255},                                               // eye white
        {16, 16, 20, 255},                                                  // pupil
        {36, 30, 34, 255},                                                  // nose
        {222, 208, 170, 255},                                               // horn
        {200, 190, 160, 255},                                               // claw
        {120, 40, 40, 255},                                                 // mouth
        race == Race::Lizard ? Rgba{230, 190, 40, 255} : Rgba{90, 60, 30, 255},  // iris
        Shade(look.accent, 1.2f),                                           // crest
    };
    for (int i = 0; i < 16; ++i) {
        const Rgba c = i < 8 ? cells[i] : look.fur;
        img.FillRect((i % 4) * 8, (i / 4) * 8, (i % 4) * 8 + 8, (i / 4) * 8 + 8, c);
    }
    return img;
}

// A football shirt in the layout Characters.h describes. style picks the design.
Image PaintShirt(Rgba main, Rgba second, int style, uint32_t seed)
{
    const int s = kShirtSize;
    Image img(s, s, main);
    const int torso = int(0.8f * s);
    switch (style) {
    case 0:  // vertical stripes
        for (int x = 0; x < s; x += 16)
            img.FillRect(x, 0, x + 7, torso, second);
        break;
    case 1:  // a sash from shoulder to hip, front and back
        for (int k = 0; k < 2; ++k) {
            const float u = (0.25f + 0.5f * float(k)) * s;
            img.Line(u - 18, 0, u + 18, float(torso), 10, second);
        }
        break;
    case 2:  // hoops
        for (int y = 8; y < torso; y += 22)
            img.FillRect(0, y, s, y + 9, second);
        break;
    default:  // plain with side panels
        img.FillRect(0, 0, 10, torso, second);
        img.FillRect(s / 2 - 5, 0, s / 2 + 5, torso, second);
        img.FillRect(s - 10, 0, s, torso, second);
        break;
    }
    img.FillRect(0, 0, s, 5, second);                 // collar
    img.FillRect(0, torso - 4, s, torso, Shade(main, 0.8f));  // hem
    img.FillRect(0, torso, s, s, main);               // sleeves
    img.FillRect(0, s - 5, s, s, second);             // cuffs
    img.FillCircle(0.3f * s, 0.2f * s, 5, second);    // badge
    img.Grain(0.15f, 0.05f, seed);
    return img;
}

Image PaintKit(Rgba shorts, Rgba socks, Rgba boots, uint32_t seed)
{
    Image img(64, 64, shorts);
    img.FillRect(32, 0, 64, 32, socks);
    img.FillRect(32, 24, 64, 28, Shade(socks, 0.7f));
    img.FillRect(0, 32, 32, 64, boots);
    img.FillRect(12, 32, 20, 64, Shade(boots, 1.8f));  // a stripe on the boot
    img.FillRect(32, 32, 64, 64, shorts);
    img.Grain(0.2f, 0.04f, seed);
    return img;
}

struct Colours {
    Rgba main, second;
    int style;
};

Colours TeamColours(Race race)
{
    switch (race) {
    case Race::Panda: return {{200, 30, 40, 255}, {250, 250, 250, 255}, 0};
    case Race::Lizard: return {{30, 80, 190, 255}, {240, 210, 40, 255}, 1};
    case Race::Primate: return {{240, 120, 20, 255}, {30, 30, 30, 255}, 2};
    case Race::Rhino: return {{110, 40, 150, 255}, {230, 230, 230, 255}, 3};
    case Race::Weasel: return {{24, 24, 28, 255}, {240, 240, 240, 255}, 3};
    }
    return {};
}

// One per further shirt colour a side may choose (colour 0 is the race's own, "Shirt00"); the
// numbers drawn on them are black on 1, 4 and 6, white on 3 and 5, yellow on 2 and 7, so
// each shirt is dark or light to suit.
const Colours kShirtChoices[kShirtColours] = {
    {},                                              {{245, 245, 245, 255}, {200, 200, 210, 255}, 0},
    {{25, 60, 170, 255}, {15, 35, 110, 255}, 2},    {{20, 120, 50, 255}, {240, 240, 240, 255}, 1},
    {{130, 200, 240, 255}, {250, 250, 250, 255}, 0}, {{100, 30, 140, 255}, {60, 15, 90, 255}, 3},
    {{245, 140, 25, 255}, {250, 220, 120, 255}, 2}, {{25, 25, 28, 255}, {230, 190, 20, 255}, 1}};

}  // namespace

std::vector<TextureFile> PaintCharacterTextures(Race race)
{
    std::vector<TextureFile> files;
    const std::vector<std::string> names = TextureNames(race);
    const std::string& skin = names[0];
    const std::string& skin2 = names[1];
    const std::string& face = names[2];
    const std::string& hands = names[3];
    const std::string& detail = names[4];
    const std::string& shirt = names[5];
    const std::string& kit = names[6];
    const uint32_t seed = uint32_t(int(race) * 1000 + 5);
    for (int v = 0; v < VariationCount(race); ++v) {
        const std::string folder = "Var0" + std::to_string(v);
        const VariationLook look = LookOf(race, v);
        files.push_back({folder, skin, PaintSkin(race, look)});
        files.push_back({folder, skin2, PaintSkin2(race, look)});
        files.push_back({folder, face, PaintFace(race, look)});
        files.push_back({folder, hands, PaintHands(race, v, look)});
        if (IsKeeperVariation(race, v)) {
            // Keepers stand out from their team: their own shirt and a dark kit.
            const Rgba keeper = v == 0 ? Rgba{40, 170, 70, 255} : Rgba{240, 210, 30, 255};
            files.push_back({folder, shirt, PaintShirt(keeper, Rgba{20, 20, 20, 255}, 3, seed + uint32_t(v))});
            files.push_back({folder, kit, PaintKit({30, 30, 34, 255}, keeper, {20, 20, 20, 255}, seed + uint32_t(v))});
        }
    }
    const Colours team = TeamColours(race);
    files.push_back({"Common", detail, PaintDetail(race)});
    if (race == Race::Weasel) {
        files.push_back({"Common", kit, PaintKit({20, 20, 24, 255}, {20, 20, 24, 255}, {10, 10, 10, 255}, seed)});
        Image card(32, 32, Rgba{235, 235, 235, 255});
        card.FillRect(3, 3, 29, 29, Rgba{220, 20, 30, 255});
        files.push_back({"Common", "weasel_card", card});
    } else {
        files.push_back({"Common", kit, PaintKit({245, 245, 245, 255}, team.main, {24, 24, 24, 255}, seed)});
    }
    files.push_back({"Shirt00", shirt, PaintShirt(team.main, team.second, team.style, seed)});
    return files;
}

Rgba ShirtChoiceColour(int choice)
{
    return choice > 0 && choice < kShirtColours ? kShirtChoices[choice].main : Rgba{0, 0, 0, 255};
}

Rgba RaceShirtColour(Race race) { return TeamColours(race).main; }

Rgba RaceShirtTrim(Race race) { return TeamColours(race).second; }

std::vector<TextureFile> PaintMatchShirts(Race race)
{
    const std::string shirt = TextureNames(race)[5];
    std::vector<TextureFile> files;
    for (int i = 1; i < kShirtColours; ++i) {
        const Colours& c = kShirtChoices[i];
        files.push_back({"Shirt0" + std::to_string(i), shirt,
                         PaintShirt(c.main, c.second, c.style, uint32_t(int(race) * 100 + i))});
    }
    return files;
}

Image PaintShirtNumber(int number)
{
    // Seven segments: top, top right, bottom right, bottom, bottom left, top left, middle.
    static const uint8_t kSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    const int s = kShirtSize;
    Image img(s, s, Rgba{255, 255, 255, 0});
    const std::string digits = std::to_string(number);
    const int height = s / 4, width = height / 2, stroke = 3, gap = 3;
    const int total = int(digits.size()) * width + (int(digits.size()) - 1) * gap;
    const int top = int(kShirtNumberV * float(s)) - height / 2;
    int left = int(kShirtBackU * float(s)) - total / 2;
    const Rgba ink{255, 255, 255, 255};
    for (char digit : digits) {
        const uint8_t on = kSegments[digit - '0'];
        const int mid = top + height / 2, bottom = top + height, right = left + width;
        const auto bar = [&](int bit, int x0, int y0, int x1, int y1) {
            if (on & (1 << bit))
                img.FillRect(x0, y0, x1, y1, ink);
        };
        bar(0, left, top, right, top + stroke);
        bar(1, right - stroke, top, right, mid);
        bar(2, right - stroke, mid, right, bottom);
        bar(3, left, bottom - stroke, right, bottom);
        bar(4, left, mid, left + stroke, bottom);
        bar(5, left, top, left + stroke, mid);
        bar(6, left, mid - stroke / 2, right, mid + stroke - stroke / 2);
        left += width + gap;
    }
    return img;
}

}  // namespace assets::chars
