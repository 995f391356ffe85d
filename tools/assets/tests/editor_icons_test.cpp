// The objects browser's icons: 20 x 20 pictures that SDL reads, one per class the casts
// hold, with the owned overlay seventeenth by name and green around the shapes.
#include "support/AssetTestSupport.h"

#include "framework/Cast.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

namespace {

TEST(EditorIcons, EveryCastClassHasAReadableIconAndTheSeventeenthIsTheOverlay)
{
    const std::string stage = assets::test::SharedStage();
    ASSERT_FALSE(stage.empty()) << "the data set was not generated";
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(stage + "/data/icons"))
        names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    ASSERT_GE(names.size(), 17u);
    EXPECT_NE(names[16].find("owned"), std::string::npos) << names[16];
    EXPECT_TRUE(std::binary_search(names.begin(), names.end(), "default"));
    EXPECT_TRUE(std::binary_search(names.begin(), names.end(), "folder"));

    // Every member class of a shipped cast file has its icon.
    const std::regex classLine("OBJECT START\r?\nclass type: \"([A-Za-z]+)\"");
    std::set<std::string> missing;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(stage + "/data/pc")) {
        if (entry.path().extension() != ".txt")
            continue;
        std::ifstream in(entry.path());
        std::ostringstream text;
        text << in.rdbuf();
        const std::string all = text.str();
        for (std::sregex_iterator it(all.begin(), all.end(), classLine), end; it != end; ++it) {
            std::string name = (*it)[1];
            std::transform(name.begin(), name.end(), name.begin(), ::tolower);
            if (!std::binary_search(names.begin(), names.end(), name))
                missing.insert(name);
        }
    }
    std::string listed;
    for (const std::string& name : missing)
        listed += " " + name;
    EXPECT_EQ(listed, "") << "classes without an icon";

    for (const std::string& name : names) {
        SDL_Surface* icon = SDL_LoadBMP((stage + "/data/icons/" + name + ".bmp").c_str());
        ASSERT_NE(icon, nullptr) << name;
        EXPECT_EQ(icon->w, 20);
        EXPECT_EQ(icon->h, 20);
        Uint8 r = 0, g = 0, b = 0;
        SDL_LockSurface(icon);
        SDL_GetRGB(*static_cast<const Uint32*>(icon->pixels) & 0xFFFFFF, icon->format, &r, &g, &b);
        SDL_UnlockSurface(icon);
        EXPECT_EQ(std::vector<int>({r, g, b}), std::vector<int>({0, 255, 0})) << name << ": the corner is transparent";
        SDL_FreeSurface(icon);
    }
}

}  // namespace
