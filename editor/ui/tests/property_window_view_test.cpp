#include "editor/InputDialog.h"
#include "editor/InputDialogSerializer.h"
#include "editor/FileFilter.h"
#include "editor/ui/ImGuiHost.h"
#include "editor/ui/InputDialogView.h"
#include "editor/ui/Modals.h"
#include "framework/Object.h"
#include "support/HeadlessFrames.h"

#include <gtest/gtest.h>
#include <imgui.h>
#include <imgui_internal.h>

#include <filesystem>
#include <functional>
#include <fstream>

namespace {

struct Thing : Object {
    float speed = 1.5f;
    void Serialize(Serializer& s, const char* d) override
    {
        s.BeginSection("Thing", d);
        s.SerializeFloat("speed", &speed);
        s.EndSection();
    }
};

TEST(PropertyWindowView, TypeThenApplyChangesTheObject)
{
    Thing thing;
    CInputDialog dialog;
    dialog.SetLabel("thing");
    InputDialogSerializer serializer(&dialog);
    serializer.SetWriting(true);
    thing.Serialize(serializer, "thing");
    int callbacks = 0;
    dialog.SetUpdateCallback([&] {
        serializer.SetWriting(false);
        serializer.Reset();
        thing.Serialize(serializer, "Unknown");
        ++callbacks;
    });
    editor::InputDialogView view(dialog);
    Frames frames;
    auto draw = [&] {
        ImGui::SetNextWindowPos(ImVec2(0, 0));
        view.Draw();
    };
    frames.Run(draw);
    ImGuiWindow* window = ImGui::FindWindowByName(("thing###" + std::to_string(dialog.GetSerial())).c_str());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(ImGui::GetCurrentContext() != nullptr, true);
    const float top = ImGui::GetFrameHeight();  // below the title bar
    // The edit of the float row: after the title row.
    const DialogControl& edit = dialog.Widgets()[1]->Controls()[1];
    const ImVec2 editAt(edit.left + 10.0f, top + edit.top + 8.0f);
    frames.Click(draw, editAt);
    // Select all and type over it.
    ImGuiIO& io = ImGui::GetIO();
    io.KeyCtrl = true;
    io.KeysDown[io.KeyMap[ImGuiKey_A]] = true;
    frames.Run(draw, editAt);
    io.KeysDown[io.KeyMap[ImGuiKey_A]] = false;
    io.KeyCtrl = false;
    frames.Run(draw, editAt, false, "7.25");
    frames.Run(draw, editAt);
    EXPECT_EQ(dialog.Widgets()[1]->Controls()[1].text, "7.25");
    EXPECT_EQ(thing.speed, 1.5f);

    const CInputDialog::Rect apply = dialog.GetBottomControl(CInputDialog::kApplyId);
    frames.Click(draw, ImVec2(apply.left + 10.0f, top + apply.top + 8.0f));
    EXPECT_EQ(callbacks, 1);
    EXPECT_EQ(thing.speed, 7.25f);

    // OK hides the window.
    const CInputDialog::Rect ok = dialog.GetBottomControl(CInputDialog::kOkId);
    frames.Click(draw, ImVec2(ok.left + 10.0f, top + ok.top + 8.0f));
    EXPECT_FALSE(dialog.IsVisible());
    EXPECT_EQ(callbacks, 1);
}

TEST(PropertyWindowView, RegainedFocusReplacesTypedTextAndEscapeHides)
{
    float a = 1, b = 2;
    CInputDialog first, second;
    first.SetLabel("first");
    second.SetLabel("second");
    ParameterInput* field = first.AddFloat("a", &a);
    second.AddFloat("b", &b);
    editor::InputDialogView firstView(first), secondView(second);
    Frames frames;
    auto draw = [&] {
        ImGui::SetNextWindowPos(ImVec2(0, 0));
        firstView.Draw();
        ImGui::SetNextWindowPos(ImVec2(400, 0));
        secondView.Draw();
    };
    const float top = 0;
    frames.Run(draw);
    const DialogControl& edit = field->Controls()[1];
    const ImVec2 editAt(edit.left + 10.0f, top + ImGui::GetFrameHeight() + edit.top + 8.0f);
    frames.Click(draw, editAt);
    field->Controls()[1].text = "typed";  // as if typed, not applied
    frames.Click(draw, ImVec2(420, 60));   // the other window takes the focus
    a = 5;                                  // the object changed meanwhile
    frames.Click(draw, editAt);             // back: the clicked field shows the stored value
    EXPECT_EQ(field->Controls()[1].text, "5");

    ImGuiIO& io = ImGui::GetIO();
    io.KeysDown[ImGuiKey_Escape] = true;
    frames.Run(draw, editAt);
    io.KeysDown[ImGuiKey_Escape] = false;
    frames.Run(draw, editAt);
    EXPECT_FALSE(first.IsVisible());
    EXPECT_TRUE(second.IsVisible());
}

TEST(PropertyWindowView, WindowTakesTheComputedSize)
{
    CInputDialog dialog;
    dialog.SetLabel("sized");
    float f = 0;
    dialog.AddFloat("f", &f);
    editor::InputDialogView view(dialog);
    Frames frames;
    frames.Run([&] { view.Draw(); });
    ImGuiWindow* window = ImGui::FindWindowByName(("sized###" + std::to_string(dialog.GetSerial())).c_str());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Size.x, 312);
    EXPECT_EQ(window->Size.y, 137);
}

// Moves the mouse up the popup's left edge, frame by frame, until it is over the button.
bool PointAtButton(Frames& frames, const std::function<void()>& draw, const char* popupName, const char* label,
                   ImVec2& at)
{
    ImGuiWindow* popup = ImGui::FindWindowByName(popupName);
    if (!popup)
        return false;
    const ImGuiID button = popup->GetID(label);
    for (float y = popup->Pos.y + popup->Size.y - 2; y > popup->Pos.y; y -= 3) {
        at = ImVec2(popup->Pos.x + 20, y);
        frames.Run(draw, at);
        if (ImGui::GetCurrentContext()->HoveredId == button)
            return true;
    }
    return false;
}

TEST(PropertyWindowView, ColourModalAnswersThroughItsCallback)
{
    editor::Modals modals;
    Rgb8 got{-1, -1, -1};
    modals.MakeColorChooser()({127, 255, 51}, [&](Rgb8 c) { got = c; });
    EXPECT_TRUE(modals.IsOpen());
    Frames frames;
    auto draw = [&] { modals.Draw(); };
    frames.Run(draw);
    frames.Run(draw);
    ImGuiWindow* popup = ImGui::FindWindowByName("Color###tb_color_modal");
    ASSERT_NE(popup, nullptr);
    // Escape cancels.
    ImGuiIO& io = ImGui::GetIO();
    io.KeysDown[io.KeyMap[ImGuiKey_Escape]] = true;
    frames.Run(draw);
    io.KeysDown[io.KeyMap[ImGuiKey_Escape]] = false;
    EXPECT_FALSE(modals.IsOpen());
    EXPECT_EQ(got, (Rgb8{-1, -1, -1}));
}

TEST(PropertyWindowView, ColourModalOkAnswersWithTheColourItOpenedOn)
{
    editor::Modals modals;
    Rgb8 got{-1, -1, -1};
    modals.MakeColorChooser()({127, 255, 51}, [&](Rgb8 c) { got = c; });
    Frames frames;
    auto draw = [&] { modals.Draw(); };
    frames.Run(draw);
    frames.Run(draw);
    ImVec2 at;
    ASSERT_TRUE(PointAtButton(frames, draw, "Color###tb_color_modal", "OK", at));
    frames.Click(draw, at);
    EXPECT_FALSE(modals.IsOpen());
    EXPECT_EQ(got, (Rgb8{127, 255, 51}));
}

TEST(PropertyWindowView, FileModalAnswersWithTheChosenPathOnlyOnOk)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(::testing::TempDir()) / "file_modal_answer";
    fs::create_directories(folder);
    std::ofstream(folder / "pitch.dff") << "x";
    const std::string start = (folder / "pitch.dff").string();
    editor::Modals modals;
    std::string got = "none";
    const auto ask = [&] {
        modals.MakeFileChooser()(start, "Geometry|*.dff||", [&](const std::string& path) { got = path; });
    };
    Frames frames;
    auto draw = [&] { modals.Draw(); };

    ask();
    frames.Run(draw);
    frames.Run(draw);
    frames.Press(draw, ImGuiKey_Escape);
    EXPECT_FALSE(modals.IsOpen());
    EXPECT_EQ(got, "none");

    ask();
    frames.Run(draw);
    frames.Run(draw);
    ImGuiWindow* popup = ImGui::FindWindowByName("Open###tb_file_modal");
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->Size.x, 460);
    ImVec2 at;
    ASSERT_TRUE(PointAtButton(frames, draw, "Open###tb_file_modal", "OK", at));
    frames.Click(draw, at);
    EXPECT_FALSE(modals.IsOpen());
    EXPECT_EQ(got, start);
    fs::remove_all(folder);
}

TEST(FileFilter, PairsAndPatterns)
{
    auto entries = editor::ParseFileFilter("Bitmap|*.bmp;*.png|All|*.*||");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].description, "Bitmap");
    EXPECT_EQ(entries[0].patterns, (std::vector<std::string>{"*.bmp", "*.png"}));
    EXPECT_EQ(entries[1].patterns, (std::vector<std::string>{"*.*"}));
    EXPECT_TRUE(editor::ParseFileFilter("||").empty());
    EXPECT_EQ(editor::ParseFileFilter("Geometry|*.dff||").size(), 1u);

    const struct {
        const char* name;
        const char* pattern;
        bool match;
    } cases[] = {{"Bench.DFF", "*.dff", true}, {"bench.dff.bak", "*.dff", false}, {"a.txt", "*.*", true},
                 {"ab", "a?", true},         {"a", "a?", false},             {"xyz.dff", "x*z.d*", true}};
    for (const auto& c : cases)
        EXPECT_EQ(editor::MatchesPattern(c.name, c.pattern), c.match) << c.name << " " << c.pattern;

    std::string folder, name;
    editor::SplitBrowsePath("\\home\\me\\select file", folder, name);
    EXPECT_EQ(folder, "/home/me");
    EXPECT_EQ(name, "select file");
}

TEST(FileBrowser, ListsTheFoldersFirstAndTheFilesTheFilterLets)
{
    namespace fs = std::filesystem;
    const fs::path root = fs::path(::testing::TempDir()) / "file_browser_listing";
    fs::remove_all(root);
    fs::create_directories(root / "textures");
    fs::create_directories(root / "Anims");
    for (const char* name : {"pitch.dff", "Bench.DFF", "notes.txt"})
        std::ofstream(root / name) << "x";

    const editor::FilterEntry geometry{"Geometry", {"*.dff"}};
    const editor::FilterEntry all{"All", {"*.*"}};
    const editor::FilterEntry none{"Pictures", {"*.png"}};
    const std::vector<std::string> folders{"..", "Anims", "textures"};
    const struct {
        const editor::FilterEntry* filter;
        std::vector<std::string> files;
    } cases[] = {{nullptr, {"Bench.DFF", "notes.txt", "pitch.dff"}},
                 {&geometry, {"Bench.DFF", "pitch.dff"}},
                 {&all, {"Bench.DFF", "notes.txt", "pitch.dff"}},
                 {&none, {}}};
    for (const auto& c : cases) {
        const editor::FolderListing listing = editor::ListFolder(root.string(), c.filter);
        EXPECT_EQ(listing.folders, folders) << (c.filter ? c.filter->description : "no filter");
        EXPECT_EQ(listing.files, c.files) << (c.filter ? c.filter->description : "no filter");
    }

    const editor::FolderListing missing = editor::ListFolder((root / "gone").string(), nullptr);
    EXPECT_EQ(missing.folders, (std::vector<std::string>{".."}));
    EXPECT_TRUE(missing.files.empty());
    fs::remove_all(root);
}

}  // namespace
