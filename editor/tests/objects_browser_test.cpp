// The objects browser over casts made in code, with a game state that records its events:
// the tree made from names, folders, selection, property windows opened, rebuilt and closed
// before their objects go, the icons and the create dialog.
#include "editor/ObjectSettingsDialog.h"
#include "editor/tests/support/RecordingGame.h"
#include "framework/Factory.h"
#include "framework/Registration.h"
#include "framework/Serializer.h"
#include "tests/support/LogCapture.h"
#include "tests/support/ScopedEnv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using Item = TreeModel::Item;

struct Thing : Object {
    float x = 0;
    bool changed = false;
    Object child;
    void Serialize(Serializer& s, const char* descriptor) override
    {
        s.BeginSection("Thing", descriptor);
        if (changed)
            s.SerializeButton("changed", "");
        s.SerializeFloat("x", &x);
        s.SerializeButton("popup", "");
        s.SerializeObject("child", &child);
        s.EndSection();
    }
};

struct Clump : Object {};

REGISTER_FACTORY(GameElements, Thing);
REGISTER_FACTORY(GameElements, Clump);

std::string Describe(const TreeModel& tree, Item parent = TreeModel::kNone)
{
    std::string text;
    for (Item item : tree.GetChildren(parent)) {
        if (!text.empty())
            text += ",";
        text += tree.GetItemText(item) + (tree.GetItemData(item) ? "*" : "");
        if (tree.ItemHasChildren(item))
            text += "(" + Describe(tree, item) + ")";
    }
    return text;
}

Item Find(const TreeModel& tree, const std::string& label)
{
    const CTreeCtrlX& walk = static_cast<const CTreeCtrlX&>(tree);
    for (Item item = tree.GetRootItem(); item != TreeModel::kNone; item = walk.GetNextItemInOrder(item))
        if (tree.GetItemText(item) == label)
            return item;
    return TreeModel::kNone;
}

class Browser : public ::testing::Test {
protected:
    void Fill()
    {
        browser.ClearTree();
        for (int c = 0; c < CastManager::Instance()->GetCastCount(); ++c) {
            const Cast& cast = *CastManager::Instance()->GetCastAt(c);
            browser.InsertObject(cast, cast.GetName());
        }
    }
    Thing* AddThing(const char* cast, const char* name)
    {
        auto* thing = new Thing();
        CastManager::Instance()->CreateCast(cast)->AddMember(thing, name, true);
        return thing;
    }
    void DoubleClick(const std::string& label)
    {
        browser.Tree().SelectItem(Find(browser.Tree(), label));
        browser.OnDblClk();
    }
    // The "Settings" button of the window: opens the child's window after the UI pass.
    void OpenChildWindow(CObjectSettingsDialog::PropertyWindowEntry& entry)
    {
        for (const auto& command : entry.dialog->Commands())
            if (command.kind == 4)
                entry.dialog->OnCommand(command.id);
    }
    std::vector<std::string> OpenLabels() const
    {
        std::vector<std::string> labels;
        for (const auto& entry : browser.Windows())
            labels.push_back(entry.label + (entry.closed ? " (closed)" : ""));
        return labels;
    }

    ScopedEnv noBox{"TB_NO_MESSAGE_BOX", "1"};
    std::filesystem::path folder = std::filesystem::path(::testing::TempDir()) / "objects_browser_test";
    GameScope scope;
    CObjectSettingsDialog browser{(folder / "positions.txt").string()};
};

TEST_F(Browser, NamesBecomeFoldersUnderTheirCastOnce)
{
    AddNamed("objects", "A|B");
    AddNamed("objects", "objects|C");
    AddNamed("objects", "Lamp");
    AddNamed("hud", "Lamp");
    AddNamed("hud", "||D||E");
    Fill();
    EXPECT_EQ(Describe(browser.Tree()), "objects(A(B*),C*,Lamp*),hud(Lamp*,D(E*))");
    browser.OnNewFolder();
    browser.OnNewFolder();
    EXPECT_EQ(Describe(browser.Tree()), "objects(A(B*),C*,Lamp*),hud(Lamp*,D(E*)),New Folder");
    // Members the cast owns carry the overlay.
    Object borrowed;
    CastManager::Instance()->GetCast("hud")->AddMember(&borrowed, "borrowed", false);
    Fill();
    EXPECT_EQ(browser.Tree().GetOverlay(Find(browser.Tree(), "E")), 1);
    EXPECT_EQ(browser.Tree().GetOverlay(Find(browser.Tree(), "borrowed")), 0);
}

TEST_F(Browser, SelectObjectSelectsItsFirstItemAndIgnoresAnAbsentOne)
{
    Object* lamp = AddNamed("objects", "A|Lamp");
    Fill();
    Object absent;
    browser.SelectObject(&absent);
    EXPECT_EQ(browser.Tree().GetSelectedItem(), TreeModel::kNone);
    browser.SelectObject(lamp);
    const Item item = browser.Tree().GetSelectedItem();
    EXPECT_EQ(browser.Tree().GetItemData(item), lamp);
    EXPECT_TRUE(browser.Tree().IsExpanded(browser.Tree().GetParent(item)));
    EXPECT_EQ(browser.Tree().TakeEnsureVisible(), item);
}

TEST_F(Browser, ADoubleClickOpensOneWindowPerObjectAtTheFirstWindowsPlace)
{
    AddThing("objects", "A|thing");
    Fill();
    DoubleClick("A");
    EXPECT_TRUE(browser.Windows().empty());
    DoubleClick("thing");
    ASSERT_EQ(browser.Windows().size(), 1u);
    auto& first = browser.Windows().front();
    first.placeKnown = true, first.x = 123, first.y = 45;
    DoubleClick("thing");
    ASSERT_EQ(browser.Windows().size(), 1u);
    const auto& second = browser.Windows().front();
    EXPECT_EQ(second.label, "thing");
    EXPECT_TRUE(second.placePending);
    EXPECT_EQ(std::make_pair(second.x, second.y), std::make_pair(123, 45));
}

TEST_F(Browser, AChangedObjectAppliedTenTimesIsRebuiltInPlaceAfterEachPass)
{
    Thing* thing = AddThing("objects", "thing");
    thing->changed = true;
    auto& entry = browser.OpenPropertyWindow(*thing, "thing");
    entry.placeKnown = true, entry.x = 7, entry.y = 9;
    for (int i = 0; i < 10; ++i) {
        browser.BeginUiPass();
        auto& open = browser.Windows().front();
        thing->x = 0;
        open.dialog->ApplyAll();
        browser.EndUiPass();
        ASSERT_EQ(browser.Windows().size(), 1u);
        EXPECT_NE(browser.Windows().front().dialog.get(), nullptr);
    }
    EXPECT_EQ(std::make_pair(browser.Windows().front().x, browser.Windows().front().y), std::make_pair(7, 9));
    int updates = 0;
    for (const auto& event : scope.game->events)
        updates += event == RecordedEvent{"object updated", thing, ""};
    EXPECT_EQ(updates, 10);
}

TEST_F(Browser, WindowsAndTheirChildWindowsCloseBeforeTheGameFreesTheirObjects)
{
    Thing* thing = AddThing("objects", "thing");
    Thing* other = AddThing("objects", "other");
    browser.BeginUiPass();
    OpenChildWindow(browser.OpenPropertyWindow(*thing, "thing"));
    browser.OpenPropertyWindow(*other, "other");
    browser.EndUiPass();
    EXPECT_EQ(OpenLabels(), (std::vector<std::string>{"thing", "other", "child"}));

    // "delete object": the game tells the browser, then frees the object. Its item, until
    // the tree is refilled, opens nothing.
    Fill();
    browser.OnObjectFreeing(thing);
    EXPECT_EQ(browser.Tree().GetItemData(Find(browser.Tree(), "thing")), nullptr);
    CastManager::Instance()->GetCast("objects")->RemoveMember(thing);
    EXPECT_EQ(OpenLabels(), (std::vector<std::string>{"other"}));

    // "load settings" while the UI pass runs: closed at once, removed after it.
    browser.BeginUiPass();
    OpenChildWindow(browser.Windows().front());
    browser.EndUiPass();
    browser.BeginUiPass();
    browser.OnCastClearing(*CastManager::Instance()->GetCast("objects"));
    EXPECT_EQ(OpenLabels(), (std::vector<std::string>{"other (closed)", "child (closed)"}));
    browser.EndUiPass();
    CastManager::Instance()->GetCast("objects")->Clear();
    EXPECT_TRUE(browser.Windows().empty());
}

TEST_F(Browser, AWindowDeletedByItsOwnApplyIsClosedSafely)
{
    Thing* thing = AddThing("objects", "thing");
    scope.game->onEvent = [&](const RecordedEvent& event) {
        if (event.event == "object updated") {
            browser.OnObjectFreeing(thing);
            CastManager::Instance()->GetCast("objects")->RemoveMember(thing);
        }
    };
    browser.OpenPropertyWindow(*thing, "thing").dialog->ApplyAll();
    EXPECT_EQ(OpenLabels(), (std::vector<std::string>{"thing (closed)"}));
    browser.BeginUiPass();
    browser.EndUiPass();
    EXPECT_TRUE(browser.Windows().empty());
}

TEST_F(Browser, ImportAndExportSendTheSelectedItemOrSayNothingIsSelected)
{
    LogCapture log;
    Object* lamp = AddNamed("objects", "A|Lamp");
    Fill();
    browser.OnCommand(CObjectSettingsDialog::kImport);
    EXPECT_EQ(log.Count("Nothing selected"), 1);
    browser.Tree().SelectItem(Find(browser.Tree(), "A"));
    browser.OnCommand(CObjectSettingsDialog::kImport);
    browser.Tree().SelectItem(Find(browser.Tree(), "Lamp"));
    browser.OnCommand(CObjectSettingsDialog::kExport);
    browser.OnCommand(CObjectSettingsDialog::kLoad);
    browser.OnCommand(CObjectSettingsDialog::kClose);
    EXPECT_EQ(scope.game->events, (std::vector<RecordedEvent>{{"import settings", nullptr, "A"},
                                                              {"export settings", lamp, "Lamp"},
                                                              {"load settings", nullptr, ""}}));
}

TEST_F(Browser, CreateSendsTheChosenClassAndNothingWithoutAChoice)
{
    CCreateGameElementDialog& create = browser.CreateDialog();
    EXPECT_FALSE(create.IsVisible());
    browser.OnCommand(CObjectSettingsDialog::kCreateGameElement);
    EXPECT_TRUE(create.IsVisible());
    EXPECT_EQ(create.GetNames(), (std::vector<std::string>{"Clump", "Thing"}));
    EXPECT_EQ(create.GetSelection(), 0);
    create.SetSelection(-1);
    create.OnCommand(CCreateGameElementDialog::kCreateId);
    EXPECT_TRUE(scope.game->events.empty());
    create.SetSelection(1);
    create.OnCommand(CCreateGameElementDialog::kCreateId);
    EXPECT_EQ(scope.game->events, (std::vector<RecordedEvent>{{"create game element", nullptr, "Thing"}}));
    create.OnCommand(CCreateGameElementDialog::kOkId);
    EXPECT_FALSE(create.IsVisible());
}

TEST_F(Browser, IconsComeInNameOrderAndClassesFindTheirsOrTheDefault)
{
    const auto icons = folder / "icons";
    std::filesystem::remove_all(icons);
    std::filesystem::create_directories(icons);
    const auto make = [&](int count) {
        for (int i = 0; i < count; ++i)
            std::ofstream(icons / ("icon" + std::to_string(10 + i) + ".bmp")) << "x";
    };
    for (const char* name : {"Clump.bmp", "folder.bmp", "default.bmp"})
        std::ofstream(icons / name) << "x";
    browser.LoadIcons((icons / "*.bmp").string(), [](const std::string&) { return true; });
    EXPECT_EQ(browser.GetIconNames(), (std::vector<std::string>{"clump", "default", "folder"}));
    EXPECT_EQ(browser.GetIconIndex(Clump()), 0);
    EXPECT_EQ(browser.GetIconIndex(Thing()), browser.GetDefaultIcon());
    EXPECT_EQ(browser.GetDefaultIcon(), 1);
    EXPECT_EQ(browser.GetFolderIcon(), 2);
    EXPECT_FALSE(browser.HasOverlay());
    make(14);
    browser.LoadIcons((icons / "*.bmp").string(), [](const std::string&) { return true; });
    EXPECT_TRUE(browser.HasOverlay());
    // A picture that does not load stops the loading; the ones before stay.
    browser.LoadIcons((icons / "*.bmp").string(), [](const std::string& path) { return path.find("default") == std::string::npos; });
    EXPECT_EQ(browser.GetIconNames(), (std::vector<std::string>{"clump"}));
    EXPECT_EQ(browser.GetIconIndex(Thing()), 0);
}

TEST_F(Browser, ShowPlacesTheBrowserAtTheViewsCornerAndRecordsIt)
{
    browser.Hide();
    browser.SetCollapsed(true);
    browser.Show();
    EXPECT_TRUE(browser.IsVisible());
    EXPECT_FALSE(browser.IsCollapsed());
    EXPECT_TRUE(browser.TakePlacement());
    EXPECT_FALSE(browser.TakePlacement());
    int x = -1, y = -1, w = 0, h = 0;
    ASSERT_TRUE(browser.Position().Load(x, y, w, h));
    EXPECT_EQ(std::vector<int>({x, y, w, h}), std::vector<int>({0, 0, 500, 500}));
}

struct CountingAttachment : PropertyWindowAttachment {
    explicit CountingAttachment(std::vector<std::string>& log) : log(log) { log.push_back("made"); }
    ~CountingAttachment() override { log.push_back("deleted"); }
    void Update(float) override { log.push_back("update"); }
    void Render() override { log.push_back("render"); }
    std::vector<std::string>& log;
};

TEST_F(Browser, AnAttachmentLivesAsLongAsItsWindow)
{
    std::vector<std::string> log;
    Thing* thing = AddThing("objects", "thing");
    Object plain;
    browser.SetAttachmentMaker([&](Object& object) -> std::unique_ptr<PropertyWindowAttachment> {
        if (&object != thing)
            return nullptr;
        return std::make_unique<CountingAttachment>(log);
    });
    browser.OpenPropertyWindow(plain, "plain");
    browser.OpenPropertyWindow(*thing, "thing");
    browser.UpdateAttachments(0.1f);
    browser.RenderAttachments();
    browser.OnObjectFreeing(thing);
    browser.UpdateAttachments(0.1f);
    EXPECT_EQ(log, (std::vector<std::string>{"made", "update", "render", "deleted"}));
}

}  // namespace
