#include "editor/InputDialog.h"
#include "framework/Matrix3.h"
#include "framework/Object.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

TEST(PropertyWidgets, FloatTextsReadAndWritten)
{
    const struct {
        float value;
        const char* shown;
    } shown[] = {{2.0f, "2"}, {0.25f, "0.25"}, {0.0f, "0"}, {-0.0f, "0"}, {-1.5f, "-1.5"}, {100.0f, "100"}};
    for (const auto& c : shown)
        EXPECT_EQ(FormatFloat(c.value), c.shown) << c.value;

    const struct {
        const char* typed;
        bool reads;
        float value;
    } typed[] = {{"1,5", true, 1.5f}, {" 2.5", true, 2.5f}, {"+3", true, 3.0f}, {"7abc", true, 7.0f},
                 {"abc", false, 0}, {"", false, 0}, {"nan", false, 0}, {"inf", false, 0}, {"1e39", false, 0},
                 {"-1e30", true, -1e30f}};
    for (const auto& c : typed) {
        float value = 42.0f;
        EXPECT_EQ(ParseFloat(c.typed, value), c.reads) << c.typed;
        EXPECT_EQ(value, c.reads ? c.value : 42.0f) << c.typed;
    }
}

TEST(PropertyWidgets, IntTextsKeepZerosAndRefuseOutOfRange)
{
    const struct {
        const char* typed;
        bool reads;
        int32_t value;
    } cases[] = {{"100", true, 100}, {"-2147483648", true, INT32_MIN}, {"2147483648", false, 0},
                 {"99999999999", false, 0}, {"x", false, 0}, {"1,5", true, 1}};
    for (const auto& c : cases) {
        int32_t value = 9;
        EXPECT_EQ(ParseInt(c.typed, value), c.reads) << c.typed;
        EXPECT_EQ(value, c.reads ? c.value : 9) << c.typed;
    }
    CInputDialog dialog;
    int32_t n = 100;
    ParameterInput* w = dialog.AddInt("n", &n);
    EXPECT_EQ(w->Controls()[1].text, "100");
    w->Controls()[1].text = "nonsense";
    dialog.ApplyAll();
    EXPECT_EQ(n, 100);
    EXPECT_EQ(w->Controls()[1].text, "100");
}

TEST(PropertyWidgets, ControlsTakeIdentifiersFromTwentyThousandAtTheCursor)
{
    CInputDialog dialog;
    float f = 0;
    Vector3 v;
    ParameterInput* a = dialog.AddFloat("f", &f);
    ParameterInput* b = dialog.AddVector("v", &v);
    ASSERT_EQ(a->Controls().size(), 2u);
    EXPECT_EQ(a->Controls()[0].id, 20000);
    EXPECT_EQ(a->Controls()[1].id, 20001);
    const DialogControl& edit = a->Controls()[1];
    EXPECT_EQ((std::array{edit.left, edit.top, edit.right, edit.bottom}), (std::array{200, 5, 260, 21}));
    ASSERT_EQ(b->Controls().size(), 5u);
    EXPECT_EQ(b->Controls()[0].top, 25);
    EXPECT_EQ(b->Controls()[4].id, 20006);
    EXPECT_FALSE(b->Controls()[4].enabled);
    ASSERT_EQ(dialog.Commands().size(), 1u);
    EXPECT_EQ(dialog.Commands()[0].id, 20006);
    EXPECT_EQ(dialog.Commands()[0].kind, 2);
}

TEST(PropertyWidgets, ControlRectanglesRelativeToTheCursor)
{
    CInputDialog dialog;
    std::string text;
    Color colour{0, 0, 0, 1};
    Quaternion q;
    Object object;
    struct Row {
        ParameterInput* widget;
        int y;  // the cursor it was made at
        size_t control;
        std::array<int, 4> rect;  // left, top, right, bottom from the cursor
    };
    std::vector<Row> rows;
    auto at = [&](int y, ParameterInput* w, std::vector<std::pair<size_t, std::array<int, 4>>> expected) {
        for (auto& [i, r] : expected)
            rows.push_back({w, y, i, r});
    };
    int y = dialog.GetCursorY();
    at(y, dialog.AddString("s", &text), {{1, {120, 0, 240, 20}}});
    y = dialog.GetCursorY();
    at(y, dialog.AddColor("c", &colour), {{0, {0, 0, 240, 70}}, {2, {75, 20, 135, 36}}, {6, {80, 40, 230, 66}}});
    y = dialog.GetCursorY();
    at(y, dialog.AddQuaternion("q", &q), {{1, {120, 40, 200, 56}}, {2, {120, 60, 200, 76}}, {5, {10, 20, 90, 100}}});
    y = dialog.GetCursorY();
    at(y, dialog.AddButton("b", "Settings", &object, "b"), {{0, {0, 2, 170, 18}}, {1, {180, 0, 240, 20}}});
    y = dialog.GetCursorY() + 10;  // a title below the top of a column
    at(y, dialog.AddTitle("t"), {{0, {0, 0, 240, 20}}, {1, {1, 1, 238, 18}}});
    for (const Row& r : rows) {
        const DialogControl& c = r.widget->Controls()[r.control];
        EXPECT_EQ((std::array{c.left - 20, c.top - r.y, c.right - 20, c.bottom - r.y}), r.rect)
            << r.widget->Controls()[0].text << " control " << r.control;
    }
}

TEST(PropertyWidgets, ColourBlocksAndSlider)
{
    CInputDialog dialog;
    Color plain;
    plain.SetRGB(0.5f, 0.25f, 1.0f);
    Color alpha{0.1f, 0.2f, 0.3f, 0.5f};
    ParameterInput* a = dialog.AddColor("plain", &plain);
    EXPECT_EQ(dialog.GetCursorY(), 5 + 60);
    ParameterInput* b = dialog.AddColor("alpha", &alpha);
    EXPECT_EQ(dialog.GetCursorY(), 5 + 60 + 80);
    EXPECT_EQ(a->Controls().size(), 5u);
    ASSERT_EQ(b->Controls().size(), 7u);
    EXPECT_EQ(b->Controls()[5].text, "Alpha");
    EXPECT_EQ(b->Controls()[6].position, 500000);
    EXPECT_EQ(a->Controls()[1].text, "0.5");

    b->Controls()[6].position = 250000;
    b->Controls()[2].text = "oops";
    dialog.ApplyAll();
    EXPECT_FLOAT_EQ(alpha.a, 0.25f);
    EXPECT_FLOAT_EQ(alpha.g, 0.2f);  // the bad text keeps its component
    EXPECT_FALSE(plain.IsSet());
}

TEST(PropertyWidgets, ColourPickThroughTheChooser)
{
    const struct {
        const char* name;
        Color start;
        bool ok;
        Rgb8 initial;
    } cases[] = {
        {"ok", Color(0.5f, 1.0f, 0.2f, 0.3f), true, {127, 255, 51}},
        {"cancel", Color(0.5f, 1.0f, 0.2f, 0.3f), false, {127, 255, 51}},
        {"out of range starts clamped", Color(1.5f, -0.5f, 2.0f, 0.3f), true, {255, 0, 255}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CInputDialog dialog;
        Color colour = c.start;
        ParameterInput* w = dialog.AddColor("c", &colour);
        Rgb8 seen{-1, -1, -1};
        dialog.SetColorChooser([&](Rgb8 initial, std::function<void(Rgb8)> accept) {
            seen = initial;
            if (c.ok)
                accept({10, 20, 30});
        });
        dialog.OnCommand(w->Controls()[ParameterInputColor::kPickControl].id);
        EXPECT_EQ(seen, c.initial);
        if (c.ok) {
            EXPECT_FLOAT_EQ(colour.r, 10 / 255.0f);
            EXPECT_FLOAT_EQ(colour.b, 30 / 255.0f);
            EXPECT_EQ(w->Controls()[3].text, FormatFloat(30 / 255.0f));
        } else {
            EXPECT_EQ(colour, c.start);
        }
        EXPECT_EQ(colour.a, 0.3f);
        EXPECT_TRUE(colour.IsSet());
    }
}

// A widget asks its dialog only for identifiers and to hear of a turned gizmo: any host does.
TEST(PropertyWidgets, AWidgetServesAnyHost)
{
    struct Host : ParameterInputHost {
        int TakeControlId() override { return next++; }
        bool OnNotify(int id) override
        {
            notified.push_back(id);
            return true;
        }
        int next = 7;
        std::vector<int> notified;
    } host;
    Quaternion q(1.0f, 0.0f, 0.0f, 0.0f);
    ParameterInputQuaternion widget(&q);
    widget.Create(host, 0, 0, "turn");

    ASSERT_FALSE(widget.Controls().empty());
    for (size_t i = 0; i < widget.Controls().size(); ++i)
        EXPECT_EQ(widget.Controls()[i].id, 7 + static_cast<int>(i));
    widget.Gizmo().onTurn();
    EXPECT_EQ(host.notified, std::vector<int>{OrientationControl::kNotifyId});
}

TEST(PropertyWidgets, QuaternionAnglesRoundTrip)
{
    CInputDialog dialog;
    Quaternion q(0.3f, 0.4f, 0.5f, 0.0f);
    q.Normalize();
    ParameterInput* w = dialog.AddQuaternion("q", &q);
    // Away from the poles the shown angles rebuild the same rotation.
    for (const Vector3 angles : {Vector3{10, 20, 30}, Vector3{-45, 60, 170}, Vector3{0, -80, 5}}) {
        Matrix3 m;
        m.FromEulerXYZ(angles.x * 3.1415925f / 180, angles.y * 3.1415925f / 180, angles.z * 3.1415925f / 180);
        Quaternion expected;
        expected.FromMatrix(m);
        q = expected;
        w->UpdateControl();
        dialog.ApplyAll();
        EXPECT_NEAR(std::fabs(q.Dot(expected)), 1.0f, 1e-5f);
        EXPECT_NEAR(std::stof(w->Controls()[1].text), angles.x, 1e-3f);
    }
    for (int i = 1; i <= 3; ++i)
        w->Controls()[i].text = "0";
    dialog.ApplyAll();
    EXPECT_NEAR(q.w, 1.0f, 1e-6f);
    EXPECT_NEAR(q.x * q.x + q.y * q.y + q.z * q.z, 0.0f, 1e-10f);

    // A bad text keeps its angle.
    w->Controls()[1].text = "20";
    w->Controls()[2].text = "bad";
    dialog.ApplyAll();
    EXPECT_EQ(w->Controls()[1].text, "20");
    EXPECT_EQ(w->Controls()[2].text, "0");
}

TEST(PropertyWidgets, BrowsePaths)
{
    const struct {
        const char* text;
        const char* start;
    } starts[] = {{"", "/home/me/game/"}, {"bench.dff", "/home/me/game"}, {"models\\bench.dff", "/home/me/game/"},
                  {"/tmp/a.dff", "/home/me/game/"}};
    const char* startExpected[] = {"\\home\\me\\game\\select file", "\\home\\me\\game\\bench.dff", "models\\bench.dff",
                                   "\\tmp\\a.dff"};
    for (size_t i = 0; i < std::size(starts); ++i)
        EXPECT_EQ(BrowseStartPath(starts[i].text, starts[i].start), startExpected[i]) << i;

    const struct {
        const char* chosen;
        const char* stored;
    } results[] = {{"/home/me/game/models/bench.dff", "models\\bench.dff"},
                   {"/HOME/Me/Game/Models/b.dff", "Models\\b.dff"},
                   {"/home/me/gamex/b.dff", "\\home\\me\\gamex\\b.dff"},
                   {"/elsewhere/b.dff", "\\elsewhere\\b.dff"}};
    for (const auto& c : results)
        EXPECT_EQ(BrowseResultPath(c.chosen, "/home/me/game/"), c.stored) << c.chosen;
}

TEST(PropertyWidgets, BrowseButtonStoresTheChosenFile)
{
    for (bool ok : {true, false}) {
        CInputDialog dialog;
        dialog.SetStartDirectory("/game/");
        std::string name;
        ParameterInput* w = dialog.AddFilename("file", &name, "Geometry|*.dff||");
        std::string seenPath, seenFilter;
        dialog.SetFileChooser([&](const std::string& path, const std::string& filter, auto accept) {
            seenPath = path;
            seenFilter = filter;
            if (ok)
                accept("/game/models/x.dff");
        });
        dialog.OnCommand(w->Controls()[2].id);
        EXPECT_EQ(seenPath, "\\game\\select file");
        EXPECT_EQ(seenFilter, "Geometry|*.dff||");
        EXPECT_EQ(name, ok ? "models\\x.dff" : "");
        EXPECT_EQ(w->Controls()[1].text, name);
    }
}

}  // namespace
