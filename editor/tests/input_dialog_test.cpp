#include "editor/InputDialog.h"
#include "editor/InputDialogSerializer.h"
#include "framework/Object.h"

#include <gtest/gtest.h>

namespace {

TEST(InputDialog, LayoutOfRowsColumnsAndTitles)
{
    {
        CInputDialog dialog;
        float f = 0;
        dialog.AddFloat("f", &f);
        EXPECT_EQ(dialog.GetWidth(), 312);
        EXPECT_EQ(dialog.GetHeight(), 137);
        EXPECT_EQ(dialog.GetBottomControl(CInputDialog::kOkId).top, 45);
        EXPECT_EQ(dialog.GetBottomControl(CInputDialog::kOkId).left, 180);
        EXPECT_EQ(dialog.GetBottomControl(CInputDialog::kApplyId).left, 100);
        EXPECT_EQ(dialog.GetBottomControl(CInputDialog::kAutoUpdateId).left, 10);
    }
    {
        CInputDialog dialog;
        float f[41] = {};
        for (int i = 0; i < 40; ++i)
            dialog.AddFloat("f", &f[i]);
        EXPECT_EQ(dialog.GetWidth(), 592);
        EXPECT_EQ(dialog.GetCursorX(), 300);  // 805 started a second column
        ParameterInput* last = dialog.AddFloat("f", &f[40]);
        EXPECT_EQ(last->Controls()[0].left, 300);
        EXPECT_EQ(last->Controls()[0].top, 5);
        EXPECT_EQ(dialog.GetHeight(), 600);  // h = 805 + 80
        EXPECT_EQ(dialog.GetContentRect().bottom, 885);
    }
    {
        CInputDialog dialog;
        ParameterInput* top = dialog.AddTitle("top");
        EXPECT_EQ(top->Controls()[0].top, 5);  // no gap at a column's top
        float f = 0;
        dialog.AddFloat("f", &f);
        ParameterInput* second = dialog.AddTitle("second");
        EXPECT_EQ(second->Controls()[0].top, 5 + 26 + 20 + 10);
        int32_t n[25] = {};
        for (int i = 0; i < 25; ++i)
            dialog.AddInt("n", &n[i]);
        EXPECT_GT(dialog.GetCursorY(), 500);
        ParameterInput* third = dialog.AddTitle("third");
        EXPECT_EQ(third->Controls()[0].left, 300);
        EXPECT_EQ(third->Controls()[0].top, 5);
        EXPECT_EQ(third->Controls()[1].text, "third");
    }
    {
        CInputDialog dialog;
        int32_t n[26] = {};
        for (int i = 0; i < 26; ++i)
            dialog.AddInt("n", &n[i]);
        EXPECT_EQ(dialog.GetHeight(), 600);  // 525 + 80 >= 600
        EXPECT_EQ(dialog.GetWidth(), 312);
    }
}

TEST(InputDialog, OkHidesWithoutApplyingAndFocusRestoresTexts)
{
    CInputDialog dialog;
    float f = 1;
    int calls = 0;
    dialog.SetUpdateCallback([&] { ++calls; });
    ParameterInput* w = dialog.AddFloat("f", &f);
    w->Controls()[1].text = "5";
    dialog.OnSetFocus();
    EXPECT_EQ(w->Controls()[1].text, "1");
    w->Controls()[1].text = "5";
    dialog.OnCommand(CInputDialog::kOkId);
    EXPECT_FALSE(dialog.IsVisible());
    EXPECT_EQ(f, 1);
    EXPECT_EQ(calls, 0);
    dialog.OnCommand(CInputDialog::kApplyId);
    EXPECT_EQ(f, 5);
    EXPECT_EQ(calls, 1);
}

TEST(InputDialog, CommandKinds)
{
    CInputDialog dialog;
    Vector3 v;
    Quaternion q;
    Object child;
    int applied = 0, opened = 0;
    dialog.SetUpdateCallback([&] { ++applied; });
    dialog.SetObjectWindowOpener([&](Object* o, const std::string& name) {
        EXPECT_EQ(o, &child);
        EXPECT_EQ(name, "kid");
        ++opened;
    });
    dialog.AddVector("v", &v);
    dialog.AddQuaternion("q", &q);
    dialog.AddButton("kid", "Settings", &child, "kid");
    ASSERT_EQ(dialog.Commands().size(), 3u);
    EXPECT_EQ(dialog.Commands()[1].kind, 5);
    EXPECT_EQ(dialog.Commands()[2].kind, 4);
    dialog.OnCommand(dialog.Commands()[0].id);  // the disabled vector button
    dialog.OnCommand(dialog.Commands()[1].id);  // the orientation control
    dialog.OnCommand(dialog.Commands()[1].id - 1);  // the quaternion's ">"
    EXPECT_EQ(applied, 0);
    EXPECT_EQ(opened, 0);
    dialog.OnCommand(dialog.Commands()[2].id);
    EXPECT_EQ(opened, 1);
    EXPECT_FALSE(dialog.OnNotify(123));
    EXPECT_TRUE(dialog.OnNotify(1092));
    EXPECT_EQ(applied, 1);
}

TEST(InputDialog, GizmoDragTurnsTheObject)
{
    struct Turnable : Object {
        Quaternion orientation;
        void Serialize(Serializer& s, const char* d) override
        {
            s.BeginSection("Turnable", d);
            s.SerializeQuaternion("Orientation", &orientation);
            s.EndSection();
        }
    } object;
    CInputDialog dialog;
    InputDialogSerializer serializer(&dialog);
    serializer.SetWriting(true);
    object.Serialize(serializer, "t");
    dialog.SetUpdateCallback([&] {
        serializer.SetWriting(false);
        serializer.Reset();
        object.Serialize(serializer, "Unknown");
    });
    auto* widget = dynamic_cast<ParameterInputQuaternion*>(dialog.Widgets()[1].get());
    ASSERT_NE(widget, nullptr);
    OrientationControl& gizmo = widget->Gizmo();
    gizmo.OnMouseMove(40, 40, false);
    gizmo.OnMouseMove(50, 40, true);
    // 10 pixels right: 0.2 rad about the screen vertical.
    Quaternion expected(0.2f, Vector3{0, 1, 0});
    EXPECT_NEAR(std::fabs(object.orientation.Dot(expected)), 1.0f, 1e-5f);
    EXPECT_NEAR(std::fabs(gizmo.GetOrientation().Dot(expected)), 1.0f, 1e-5f);
    gizmo.OnMouseMove(50, 30, true);
    EXPECT_LT(std::fabs(object.orientation.Dot(expected)), 0.9999f);
}

}  // namespace
