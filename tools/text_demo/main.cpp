// Draws the game's fonts and mark-up off screen and saves the picture:
//     text_demo <game folder> <out.png>
// The game folder holds data\Turfbolt.dat, or the data unpacked. Every font shows its
// characters; tags, alignment, a missing text, text on a turned plane in the world and the
// packed font textures follow. Fails when loading the texts or fonts logs a warning.
#include "engine/bridge/EngineBridge.h"
#include "engine/core/RwCore.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "scene/EnginePlugins.h"
#include "text/Font.h"
#include "text/GameText.h"
#include "text/TextDisplay.h"
#include "text/TextDisplay3D.h"
#include "text/TextDraw.h"
#include "text/TextManager.h"
#include "tools/common/ConsoleSink.h"
#include "tools/common/GameData.h"
#include "tools/common/OffscreenCamera.h"
#include "tools/common/OffscreenSession.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 1280, kHeight = 720;
constexpr int kPanelWidth = 480, kPanelHeight = 270;

void PrintAt(const std::string& text, float x, float y, float width, float height)
{
    TextDisplay* display = TextDisplay::Instance();
    display->SetArea({x, y, width, height});
    display->Print(text);
}

void DrawFontSamples()
{
    const std::string letters = "The quick brown fox jumps over the lazy dog";
    const std::string others = "0123456789 \xC4\xD6\xDC \xE4\xF6\xFC\xDF \xE9\xE8\xEA \xE7\xF1 !?$%&/()+-.,;:\"' &lt;&gt;|*";
    struct Line {
        const char* font;
        const char* label;
        float height;
        bool split;  // the two halves of the sample on lines of their own
    };
    const Line lines[] = {{"debug", "debug", 16, false},
                          {"austere", "austere", 24, true},
                          {"menu", "menu", 24, false},
                          {"selected", "selected", 24, false},
                          {"menu_buttons", "menu buttons", 34, true},
                          {"menu_buttons_selected_green", "menu buttons green", 34, true}};
    float y = 12;
    for (const Line& line : lines) {
        PrintAt(std::string("<font debug><color 160 170 190>") + line.label + "</color></font>", 16, y + 4, 200, 20);
        const std::string sample = line.split ? letters + "<br>" + others : letters + " " + others;
        PrintAt(std::string("<font ") + line.font + ">" + sample + "</font>", 220, y, 1060, line.height);
        y += line.height * (line.split ? 2 : 1) + 4;
    }
    PrintAt("<font debug><color 160 170 190>shirts</color></font>", 16, y + 4, 200, 20);
    PrintAt("<font shirts>0 1 2 3 4 5 6 7</font> <font menu>shirt colours for 0 to 7</font>", 220, y, 1060, 30);
}

void DrawTags()
{
    TextDisplay* display = TextDisplay::Instance();
    TextManager* texts = TextManager::Instance();
    PrintAt("<font menu_buttons><center>" + texts->GetText(70001) + "</center></font><br>"
            "<font menu>Colours: <color 255 80 80>red</color>, <color 80 255 80>green</color>, "
            "<color 90 150 255>blue</color> and <color 255 255 255 120>faded</color>. "
            "Scale: <scale 1.5>big</scale>, <scale 0.7>small</scale>, <scale 1.5 0.8>wide</scale>. "
            "Brackets: &lt;tag&gt;. Unbound key: <color 255.0 0.0 0.0>-</color>. "
            "A word wrap in a narrow area, then a break:<br>"
            "<font austere>" + texts->GetText(60501) + ", " + texts->GetText(80525) + ", " + texts->GetText(10204) +
                "</font></font>",
            16, 318, 720, 130);
    display->SetHorizontalAlign(kAlignRight);
    PrintAt("<font menu>Right aligned<br><font selected>" + texts->GetText(20551) + "</font></font>", 760, 318, 500,
            60);
    display->SetHorizontalAlign(kAlignLeft);
    PrintAt("<font menu>" + texts->GetText(70002) + " <font selected>" + texts->GetText(12345) + "</font></font>", 760,
            382, 500, 30);
}

// The world-space text: drawn by a camera of its own, then shown as a panel.
bool Draw3D(tools::OffscreenCamera& panel)
{
    panel.LookAt({0.0f, 0.0f, -1.0f}, {0.0f, 0.0f, 0.0f});
    if (!panel.Begin({20, 60, 30, 255}))
        return false;
    TextDisplay* display = TextDisplay::Instance();
    display->SetArea({150, 250, 500, 100});
    display->SetHorizontalAlign(kAlignCenter);
    TextDisplay3D* text = TextDisplay3D::Instance();
    text->SetPosition(Vector3(0.0f, 0.0f, 0.0f));
    text->SetRotation(Quaternion(std::numbers::pi_v<float> / 6, Vector3(0.0f, 1.0f, 0.0f)));
    text->Print("<font menu_buttons>World text</font><br><font menu>on a plane turned <color 255 220 0>30 "
                "degrees</color> about y</font>");
    display->SetHorizontalAlign(kAlignLeft);
    panel.End();
    return true;
}

void DrawTextures(const std::vector<std::unique_ptr<Font>>& fonts)
{
    float x = 16, y = 470;
    for (const auto& font : fonts) {
        if (!font->GetRaster())
            continue;
        // Half size, so all of them fit.
        const float w = font->GetTextureWidth() * 0.5f, h = font->GetTextureHeight() * 0.5f;
        if (x + w > kWidth - kPanelWidth - 24) {
            x = 16;
            y += 130;
        }
        textdraw::DrawTexturedRect(font->GetRaster(), {x, y, w, h}, {0, 0, 1, 1}, Color(1, 1, 1, 1));
        x += w + 12;
    }
}

int Run(const std::string& folder, const std::string& out)
{
    const std::string outPath = std::filesystem::absolute(out).string();
    if (!tools::MountGameData(folder)) {
        std::fprintf(stderr, "text_demo: no game data in %s\n", folder.c_str());
        return 1;
    }
    tools::OffscreenSession session("text_demo", kWidth, kHeight);
    if (!session.Start(tools::OffscreenSession::kStartEngine))
        return 1;

    RegisterEngineImageFormats();
    // Images are read through the game's file layer, so that they come from the archive.
    const bool managerOpened = RtFSManagerOpen(-1);
    if (!RwInstallFileSystem()) {
        std::fprintf(stderr, "text_demo: the engine cannot read through the file layer\n");
        return 1;
    }
    ConsoleSink problems(true);
    DebugSink* previous = Debug::Instance()->GetSink();
    Debug::Instance()->SetSink(&problems);
    TextManager::Instance()->LoadTextFile(gametext::TextTableFor("XXL").c_str());
    TextDisplay::Instance()->Init();
    std::vector<std::unique_ptr<Font>> fonts;
    const bool made = gametext::CreateFonts(fonts);
    const int loadProblems = problems.problems;

    tools::OffscreenCamera screen, panel;
    bool ok = made && screen.Create(kWidth, kHeight, 0.5f, 0.5f * kHeight / kWidth, 0.1f, 100, rwRasterTypeCamera) &&
              panel.Create(kPanelWidth, kPanelHeight, 0.5f, 0.5f * kPanelHeight / kPanelWidth, 0.05f, 100,
                           rwRasterTypeCameraTexture) &&
              Draw3D(panel) && screen.Begin({28, 34, 52, 255});
    if (ok) {
        TextDisplay::Instance()->Init();
        DrawFontSamples();
        DrawTags();
        DrawTextures(fonts);
        textdraw::DrawTexturedRect(panel.Raster(), {kWidth - kPanelWidth - 16.0f, kHeight - kPanelHeight - 16.0f,
                                                    kPanelWidth, kPanelHeight},
                                   {0, 0, 1, 1}, Color(1, 1, 1, 1));
        screen.End();
        ok = screen.SavePng(outPath);
    }
    Debug::Instance()->SetSink(previous);
    TextDisplay::Instance()->Reset();
    const size_t fontCount = fonts.size();
    fonts.clear();
    VantaroFileSystem::Uninstall();
    if (managerOpened)
        RtFSManagerClose();
    if (!ok) {
        std::fprintf(stderr, "text_demo: could not draw the picture\n");
        return 1;
    }
    std::printf("text_demo: wrote %s; %zu texts, %zu fonts, %d problem(s) while loading\n", outPath.c_str(),
                TextManager::Instance()->GetEntryCount(), fontCount, loadProblems);
    return loadProblems ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: text_demo <game folder> <out.png>\n");
        return 2;
    }
    return Run(argv[1], argv[2]);
}
