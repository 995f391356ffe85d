#include "editor/InputDialog.h"
#include "editor/InputDialogSerializer.h"
#include "framework/FileSystem.h"
#include "framework/Object.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// An object whose table is whatever the test gives it.
class Scripted : public Object {
public:
    std::function<void(Serializer&, const char*)> table;
    void Serialize(Serializer& s, const char* descriptor) override { table(s, descriptor); }
};

class Child : public Object {
public:
    float speed = 2.0f;
    float turn = 3.1415925f;
    int32_t count = 4;
    void Serialize(Serializer& s, const char* descriptor) override
    {
        s.BeginSection("Child", descriptor);
        s.SerializeFloat("speed", &speed);
        s.SerializeFloat("turn", &turn);
        s.SerializeInt("count", &count);
        s.EndSection();
    }
};

class Everything : public Object {
public:
    float f = 1.25f;
    int32_t i = -7;
    bool b = true;
    Color unsetColor{};
    Color color{0.5f, 1.0f, 0.2f, 0.75f};
    Vector3 v{1, 2, 3};
    std::string text = "a long text";
    Quaternion q{0.7071068f, 0.0f, 0.7071068f, 0.0f};
    Child inlineChild;
    Child popupChild;
    float after = 9.0f;
    void Serialize(Serializer& s, const char* descriptor) override
    {
        s.BeginSection("Everything", descriptor);
        s.SerializeFloat("f", &f);
        s.SerializeInt("i", &i);
        s.SerializeBool("b", &b);
        s.SerializeColor("unset colour", &unsetColor);
        s.SerializeColor("colour", &color);
        s.SerializeVector3("v", &v);
        s.SerializeString("text", &text);
        s.SerializeQuaternion("q", &q);
        s.SerializeObject("inline", &inlineChild);
        s.SerializeButton("popup", "");
        s.SerializeObject("popped", &popupChild);
        s.SerializeFloat("after", &after);
        s.EndSection();
    }
};

// Opens a window on the object the way the objects browser does; Apply reads back.
struct Window {
    CInputDialog dialog;
    InputDialogSerializer serializer{&dialog};
    Object& object;
    int applied = 0;
    explicit Window(Object& o) : object(o)
    {
        serializer.SetWriting(true);
        object.Serialize(serializer, "label");
        dialog.SetUpdateCallback([this] {
            serializer.SetWriting(false);
            serializer.Reset();
            object.Serialize(serializer, "Unknown");
            ++applied;
        });
    }
    // The edit (or other control) of the widget whose label is the text.
    ParameterInput* Widget(const std::string& label)
    {
        for (auto& w : dialog.Widgets())
            if (!w->Controls().empty() && w->Controls()[0].text == label)
                return w.get();
        return nullptr;
    }
    std::vector<std::string> Titles() const
    {
        std::vector<std::string> titles;
        for (auto& w : dialog.Widgets())
            if (w->Controls().size() == 2 && w->Controls()[1].kind == DialogControl::kTitle)
                titles.push_back(w->Controls()[1].text);
        return titles;
    }
};

TEST(InputDialogSerializer, UneditedApplyGivesTheObjectBack)
{
    Everything object;
    Everything before = object;
    Window window(object);
    window.dialog.OnCommand(CInputDialog::kApplyId);
    EXPECT_EQ(window.applied, 1);
    EXPECT_EQ(object.f, before.f);
    EXPECT_EQ(object.i, before.i);
    EXPECT_EQ(object.b, before.b);
    EXPECT_EQ(object.unsetColor, before.unsetColor);
    EXPECT_NEAR(object.color.r, before.color.r, 1e-6f);
    EXPECT_NEAR(object.color.a, before.color.a, 1e-6f);
    EXPECT_EQ(object.v, before.v);
    EXPECT_EQ(object.text, before.text);
    EXPECT_NEAR(std::fabs(object.q.Dot(before.q)), 1.0f, 1e-5f);
    EXPECT_EQ(object.inlineChild.count, before.inlineChild.count);
    EXPECT_EQ(object.popupChild.speed, before.popupChild.speed);
    EXPECT_EQ(object.after, before.after);
    EXPECT_EQ(window.serializer.GetDepth(), 0);

    // The popup child is a "Settings" button, the inline one shows its rows.
    ParameterInput* popped = window.Widget("popped");
    ASSERT_NE(popped, nullptr);
    EXPECT_EQ(popped->Controls()[1].text, "Settings");
    EXPECT_NE(window.Widget("count"), nullptr);
    EXPECT_EQ(window.Titles(), (std::vector<std::string>{"label - Everything", "inline - Child"}));
}

TEST(InputDialogSerializer, EditsReachTheObjectOnlyOnApply)
{
    Everything object;
    Window window(object);
    window.Widget("f")->Controls()[1].text = "4,5";
    window.Widget("text")->Controls()[1].text = std::string(2000, 'x');
    EXPECT_EQ(object.f, 1.25f);
    window.dialog.OnCommand(CInputDialog::kApplyId);
    EXPECT_EQ(object.f, 4.5f);
    EXPECT_EQ(object.text.size(), 2000u);  // texts are not cut
}

TEST(InputDialogSerializer, ColourReadBackKeepsAlphaOfAnUnsetColour)
{
    Color unset;                      // flag clear: alpha and flag stay the object's
    Color set{0.1f, 0.2f, 0.3f, 0.4f};
    Scripted object;
    object.table = [&](Serializer& s, const char*) {
        s.SerializeColor("unset", &unset);
        s.SerializeColor("set", &set);
    };
    Window window(object);
    auto& entries = const_cast<std::list<InputDialogSerializer::Entry>&>(window.serializer.GetEntries());
    for (auto& e : entries) {
        e.color.Set(0.9f, 0.8f, 0.7f, 0.25f);
    }
    window.dialog.OnSetFocus();
    window.dialog.OnCommand(CInputDialog::kApplyId);
    EXPECT_EQ(unset.r, 0.9f);
    EXPECT_EQ(unset.a, 1.0f);
    EXPECT_FALSE(unset.IsSet());
    EXPECT_EQ(set.a, 0.25f);
}

TEST(InputDialogSerializer, AngleShownInDegreesStoredInRadians)
{
    float angle = 3.1415925f, next = 1.0f;
    Scripted object;
    object.table = [&](Serializer& s, const char*) {
        s.SerializeButton("once angle", "");
        s.SerializeFloat("angle", &angle);
        s.SerializeFloat("next", &next);
    };
    Window window(object);
    EXPECT_EQ(window.Widget("angle")->Controls()[1].text, "180");
    EXPECT_EQ(window.Widget("next")->Controls()[1].text, "1");
    window.Widget("angle")->Controls()[1].text = "90";
    window.dialog.ApplyAll();
    EXPECT_FLOAT_EQ(angle, 1.5707963f);
    EXPECT_EQ(next, 1.0f);
}

TEST(InputDialogSerializer, OptionScopes)
{
    struct Case {
        const char* name;
        std::function<void(Serializer&, Child&, Child&, float&)> table;
        std::vector<std::string> shownAngles;  // the rows shown as 180 (angle conversion)
        std::vector<std::string> buttons;      // the rows shown as "Settings"
        std::vector<std::string> hidden;       // rows without a widget
    };
    const Case cases[] = {
        {"children angle reaches the child, not the float after it",
         [](Serializer& s, Child& a, Child&, float& after) {
             s.SerializeButton("children angle", "");
             s.SerializeObject("a", &a);
             s.SerializeFloat("after", &after);
         },
         {"turn"}, {}, {}},
        {"section popup holds in its section, not a nested one, and ends with it",
         [](Serializer& s, Child& a, Child& b, float& after) {
             s.BeginSection("Outer", "");
             s.SerializeButton("section popup", "");
             s.SerializeObject("a", &a);
             s.BeginSection("Inner", "");
             s.SerializeObject("b", &b);
             s.EndSection();
             s.EndSection();
             s.SerializeObject("c", &b);
             s.SerializeFloat("after", &after);
         },
         {}, {"a"}, {}},
        {"child applies one level down only",
         [](Serializer& s, Child& a, Child&, float& after) {
             s.SerializeButton("child angle", "");
             s.SerializeFloat("after", &after);
             s.SerializeObject("a", &a);
         },
         {"turn"}, {}, {}},
        {"once hide before an inline object hides the child's title and first row",
         [](Serializer& s, Child& a, Child&, float& after) {
             s.SerializeButton("once hide", "");
             s.SerializeObject("a", &a);
             s.SerializeFloat("after", &after);
         },
         {}, {}, {"speed"}},
        {"an option without a scope word goes after one value",
         [](Serializer& s, Child& a, Child&, float& after) {
             s.SerializeButton("hide", "");
             s.SerializeFloat("after", &after);
             s.SerializeObject("a", &a);
         },
         {}, {}, {"after"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Child a, b;
        float after = 3.1415925f;
        Scripted object;
        object.table = [&](Serializer& s, const char*) { c.table(s, a, b, after); };
        Window window(object);
        for (const char* row : {"speed", "turn", "after"}) {
            ParameterInput* w = window.Widget(row);
            bool hidden = std::find(c.hidden.begin(), c.hidden.end(), row) != c.hidden.end();
            ASSERT_EQ(w == nullptr, hidden) << row;
            if (w) {
                EXPECT_EQ(w->Controls()[1].text == "180",
                          std::find(c.shownAngles.begin(), c.shownAngles.end(), row) != c.shownAngles.end())
                    << row;
            }
        }
        for (const char* row : {"a", "b", "c"}) {
            ParameterInput* w = window.Widget(row);
            bool button = std::find(c.buttons.begin(), c.buttons.end(), row) != c.buttons.end();
            EXPECT_EQ(w != nullptr && w->Controls()[1].text == "Settings", button) << row;
        }
        // "child" lives until its own section closes; this one has none.
        EXPECT_EQ(window.serializer.GetOptions().empty(), std::string(c.name).rfind("child ", 0) != 0);
        // Unedited, the reading pass gives every value back.
        window.dialog.ApplyAll();
        EXPECT_FLOAT_EQ(a.turn, 3.1415925f);
        EXPECT_FLOAT_EQ(after, 3.1415925f);
        EXPECT_EQ(a.count, 4);
    }
}

TEST(InputDialogSerializer, OnceHideHidesTheChildTitle)
{
    Child a;
    Scripted object;
    object.table = [&](Serializer& s, const char*) {
        s.SerializeButton("once hide", "");
        s.SerializeObject("a", &a);
    };
    Window window(object);
    EXPECT_TRUE(window.Titles().empty());
}

TEST(InputDialogSerializer, ComboItemsAndFileFilters)
{
    const struct {
        const char* option;
        std::vector<std::string> items;
        const char* filter;
    } cases[] = {
        {"combobox [Music][SFX][Speech][Ambient]", {"Music", "SFX", "Speech", "Ambient"}, "Music][SFX][Speech][Ambient||"},
        {"combobox", {}, "All|*.*||"},
        {"filename [Geometry|*.dff]", {"Geometry|*.dff"}, "Geometry|*.dff||"},
        {"filename [Bitmap|*.bmp|All|*.*]", {"Bitmap|*.bmp|All|*.*"}, "Bitmap|*.bmp|All|*.*||"},
        {"filename [Open|*.x", {"Open|*.x"}, "Open|*.x||"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.option);
        EXPECT_EQ(InputDialogSerializer::ComboItems(c.option), c.items);
        EXPECT_EQ(InputDialogSerializer::FileFilter(c.option), c.filter);
    }
}

TEST(InputDialogSerializer, ComboBoxStoresTheChosenIndex)
{
    int32_t channel = 1, empty = 5;
    Scripted object;
    object.table = [&](Serializer& s, const char*) {
        s.SerializeButton("combobox [Music][SFX][Speech][Ambient]", "");
        s.SerializeInt("channel", &channel);
        s.SerializeButton("combobox", "");
        s.SerializeInt("empty", &empty);
    };
    Window window(object);
    ParameterInput* combo = window.Widget("channel");
    ASSERT_EQ(combo->Controls()[1].kind, DialogControl::kCombo);
    EXPECT_EQ(combo->Controls()[1].items.size(), 4u);
    EXPECT_EQ(combo->Controls()[1].selection, 1);
    EXPECT_EQ(window.Widget("empty")->Controls()[1].selection, -1);
    combo->Controls()[1].selection = 4;  // past the last item
    window.dialog.ApplyAll();
    EXPECT_EQ(channel, 1);
    combo->Controls()[1].selection = 3;
    window.dialog.ApplyAll();
    EXPECT_EQ(channel, 3);
    EXPECT_EQ(empty, 5);  // nothing selected keeps the value
}

TEST(InputDialogSerializer, FilenameShowsAliasFormAndItsFilter)
{
    FileSystem::Instance()->AddAlias("<PP>", "data\\pc\\");
    std::string model = "data\\pc\\models\\bench.dff";
    Scripted object;
    object.table = [&](Serializer& s, const char*) {
        s.SerializeButton("filename [Geometry|*.dff]", "");
        s.SerializeString("model", &model);
    };
    Window window(object);
    auto* file = dynamic_cast<ParameterInputFilename*>(window.Widget("model"));
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->GetFilter(), "Geometry|*.dff||");
    window.dialog.ApplyAll();
    EXPECT_EQ(model, "<PP>models\\bench.dff");
    FileSystem::Instance()->RemoveAlias("<PP>");
}

TEST(InputDialogSerializer, EqualKeysMissingKeysAndRebuild)
{
    float first = 1, second = 2, late = 3;
    bool writingHasLate = false;
    Scripted object;
    object.table = [&](Serializer& s, const char*) {
        s.SerializeButton("changed", "");
        s.BeginSection("S", "");
        s.SerializeFloat("x", &first);
        s.SerializeFloat("x", &second);
        if (s.IsReading() || writingHasLate)
            s.SerializeFloat("late", &late);
        s.EndSection();
    };
    Window window(object);
    EXPECT_TRUE(window.serializer.IsRebuildRequested());
    auto& w = window.dialog.Widgets();
    w[1]->Controls()[1].text = "10";
    w[2]->Controls()[1].text = "20";
    window.dialog.ApplyAll();
    EXPECT_EQ(first, 10);
    EXPECT_EQ(second, 20);
    EXPECT_EQ(late, 3);  // not recorded: keeps its value
    EXPECT_TRUE(window.serializer.IsRebuildRequested());
    window.dialog.ApplyAll();
    EXPECT_TRUE(window.serializer.IsRebuildRequested());
}

TEST(InputDialogSerializer, EveryValueCallUsesUpAOnceOption)
{
    const std::function<void(Serializer&)> calls[] = {
        [](Serializer& s) { float v = 0; s.SerializeFloat("v", &v); },
        [](Serializer& s) { int32_t v = 0; s.SerializeInt("v", &v); },
        [](Serializer& s) { bool v = false; s.SerializeBool("v", &v); },
        [](Serializer& s) { Color v; s.SerializeColor("v", &v); },
        [](Serializer& s) { Vector3 v; s.SerializeVector3("v", &v); },
        [](Serializer& s) { std::string v; s.SerializeString("v", &v); },
        [](Serializer& s) { Quaternion v; s.SerializeQuaternion("v", &v); },
    };
    for (size_t i = 0; i < std::size(calls); ++i) {
        float after = 1;
        Scripted object;
        object.table = [&](Serializer& s, const char*) {
            s.SerializeButton("once hide", "");
            calls[i](s);
            s.SerializeFloat("after", &after);
        };
        Window window(object);
        EXPECT_EQ(window.dialog.Widgets().size(), 1u) << i;
        EXPECT_NE(window.Widget("after"), nullptr) << i;
    }
}

TEST(InputDialogSerializer, LookupStaysInsideTheSection)
{
    float a = 1, b = 2, c = 3;
    bool swapped = false;
    Scripted object;
    object.table = [&](Serializer& s, const char*) {
        s.SerializeButton("", "");  // no words: never expires
        s.BeginSection("One", "");
        s.SerializeFloat(swapped ? "b" : "a", &a);
        s.EndSection();
        s.BeginSection("Two", "");
        if (swapped)
            s.SerializeFloat("c", &c);
        s.SerializeFloat("b", &b);
        if (!swapped)
            s.SerializeFloat("c", &c);
        s.EndSection();
    };
    Window window(object);
    EXPECT_EQ(window.serializer.GetOptions().size(), 1u);
    window.dialog.Widgets()[3]->Controls()[1].text = "7";
    window.dialog.Widgets()[4]->Controls()[1].text = "8";
    // Section One now asks for a key only section Two has; Two asks in another order.
    swapped = true;
    window.dialog.ApplyAll();
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 7);
    EXPECT_EQ(c, 8);
}

TEST(InputDialogSerializer, ReadingPastTheLastEntryIsSafe)
{
    float x = 1;
    Child extra;
    bool reading = false;
    Scripted object;
    object.table = [&](Serializer& s, const char*) {
        s.SerializeFloat("x", &x);
        if (reading) {
            // More calls than the writing pass made: positions run off the list's end.
            s.SerializeObject("extra", &extra);
            s.EndSection();
            s.EndSection();
            s.SerializeFloat("y", &x);
            s.BeginSection("Q", "");
        }
    };
    Window window(object);
    reading = true;
    window.dialog.ApplyAll();
    EXPECT_EQ(x, 1);
    EXPECT_EQ(extra.speed, 2.0f);
}

}  // namespace
