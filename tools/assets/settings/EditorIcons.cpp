// The objects browser's icons: 20 x 20 BMP files in "data\icons", one per class the casts
// hold or the game can create, "default", "folder", and the overlay that marks members
// their cast owns, named to come seventeenth in name order, where the browser takes it from.
// Pure green is transparent. They stay on disk beside the archive (the browser lists the
// folder), and are staged with the rest.
#include "framework/Factory.h"
#include "tools/assets/common/Files.h"
#include "tools/assets/common/Registry.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace assets {

namespace {

constexpr int kSize = 20;
constexpr size_t kOverlayIndex = 16;
using Pixel = std::array<uint8_t, 3>;  // red, green, blue
constexpr Pixel kClear{0, 255, 0};
using Picture = std::array<Pixel, kSize * kSize>;

// Classes of the default data's cast members that no game-element registration names.
const char* const kCastClasses[] = {
    "AmbientLight", "DirectionalLight", "Fog", "FreeCameraControl", "GameSettings", "Lensflares",
    "LevelSettings", "MatchSettings", "PenaltySettings", "RwGraphicsSettings", "Skydome",
    "SimpleCameraControl", "SplineCameraControl", "TrackingCameraControl", "BillboardForest",
    "CharacterRace", "CharacterVariation", "Clump", "DebugDisplay", "TeamDescription",
    "RefereeSettings", "TeamStrategy",
};

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// A 24-bit bottom-up BMP with its 54-byte header; rows are 60 bytes, already 4-aligned.
std::string Bmp(const Picture& picture)
{
    std::string bytes;
    const auto put = [&](uint32_t value, int count) {
        for (int i = 0; i < count; ++i)
            bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    };
    const uint32_t imageBytes = kSize * kSize * 3;
    bytes += "BM";
    put(54 + imageBytes, 4), put(0, 4), put(54, 4);
    put(40, 4), put(kSize, 4), put(kSize, 4), put(1, 2), put(24, 2), put(0, 4), put(imageBytes, 4);
    put(2835, 4), put(2835, 4), put(0, 4), put(0, 4);
    for (int y = kSize - 1; y >= 0; --y)
        for (int x = 0; x < kSize; ++x) {
            const Pixel& p = picture[static_cast<size_t>(y * kSize + x)];
            bytes.push_back(static_cast<char>(p[2]));
            bytes.push_back(static_cast<char>(p[1]));
            bytes.push_back(static_cast<char>(p[0]));
        }
    return bytes;
}

Picture Blank()
{
    Picture picture;
    picture.fill(kClear);
    return picture;
}

// Paints the rectangle [x0, x1) x [y0, y1).
void Paint(Picture& picture, int x0, int y0, int x1, int y1, Pixel colour)
{
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            picture[static_cast<size_t>(y * kSize + x)] = colour;
}

// A framed tile in two colours taken from the name, so that classes tell apart.
Picture ClassIcon(const std::string& name)
{
    const uint32_t hash = static_cast<uint32_t>(std::hash<std::string>{}(name));
    const auto channel = [&](int shift) { return static_cast<uint8_t>(60 + ((hash >> shift) & 0xFF) * 160 / 255); };
    Picture icon = Blank();
    Paint(icon, 2, 2, 18, 18, Pixel{30, 30, 40});
    Paint(icon, 3, 3, 17, 10, Pixel{channel(0), channel(8), channel(16)});
    Paint(icon, 3, 10, 17, 17, Pixel{channel(24), channel(4), channel(12)});
    return icon;
}

Picture FolderIcon()
{
    Picture icon = Blank();
    Paint(icon, 2, 3, 9, 6, Pixel{200, 150, 30});
    Paint(icon, 2, 5, 18, 17, Pixel{240, 200, 60});
    return icon;
}

Picture DefaultIcon()
{
    Picture icon = Blank();
    Paint(icon, 3, 3, 17, 17, Pixel{90, 90, 90});
    Paint(icon, 5, 5, 15, 15, Pixel{170, 170, 170});
    return icon;
}

// A small key mark at the bottom left, drawn over a class icon.
Picture OwnedOverlay()
{
    Picture icon = Blank();
    Paint(icon, 0, 13, 7, 20, Pixel{255, 255, 255});
    Paint(icon, 1, 14, 6, 19, Pixel{200, 30, 30});
    return icon;
}

bool WriteEditorIcons(const AssetContext& context)
{
    std::set<std::string> classes;
    for (const char* name : kCastClasses)
        classes.insert(Lower(name));
    for (const std::string& name : FactoryRegistry::GameElements().GetNames())
        classes.insert(Lower(name));
    std::vector<std::pair<std::string, Picture>> icons;
    for (const std::string& name : classes)
        icons.emplace_back(name, ClassIcon(name));
    icons.emplace_back("default", DefaultIcon());
    icons.emplace_back("folder", FolderIcon());
    std::sort(icons.begin(), icons.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    // Named after the sixteenth so that it sorts right behind it.
    const std::string overlay = icons.size() >= kOverlayIndex ? icons[kOverlayIndex - 1].first + "_owned" : "owned";
    icons.emplace_back(overlay, OwnedOverlay());
    const std::string folder = context.stageDir + "/data/icons/";
    for (const auto& [name, picture] : icons)
        if (!WriteTextFile(folder + name + ".bmp", Bmp(picture)))
            return false;
    return true;
}

const GeneratorRegistrar kIcons("settings.icons", &WriteEditorIcons);

}  // namespace

}  // namespace assets
