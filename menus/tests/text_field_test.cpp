#include "framework/TimeInfo.h"
#include "input/InputController.h"
#include "input/InputMappers.h"
#include "input/KeyboardInput.h"
#include "input/VirtualKeys.h"
#include "menus/MenuTextField.h"
#include "support/MenuTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using menutest::MenuFixture;

namespace {

class TextFieldTest : public ::testing::Test, public MenuFixture {
protected:
    TextFieldTest() { BufferedInputController::Instance()->RegisterInputMapper(&m_keys); }
    ~TextFieldTest() override
    {
        BufferedInputController::Instance()->UnregisterInputMapper(&m_keys);
        KeyboardInput::DestroyInstance();
        TimeInfo::DestroyInstance();
    }

    MenuTextField& Field(const std::string& attributes)
    {
        EXPECT_TRUE(Load("<Screen><TextField name=f " + attributes + "/></Screen>"));
        auto* field = dynamic_cast<MenuTextField*>(menu.GetItem("f"));
        EXPECT_NE(field, nullptr);
        return *field;
    }
    // One key-down and release, with a frame of the field between.
    void Type(MenuTextField& field, int key)
    {
        KeyboardInput::Instance()->OnKeyDown(key);
        field.Update(0.02f);
        KeyboardInput::Instance()->OnKeyUp(key);
    }

private:
    InputMapperDefault m_keys;
};

TEST_F(TextFieldTest, StartsFromTheBoundVariableAndMirrorsIt)
{
    menu.SetVariable("%name%", "Ann");
    MenuTextField& field = Field("text=\"[font menu]%name%[/font]\" bufferVar=%%typed%%");
    EXPECT_EQ(field.GetBuffer().prefix, "<font menu>");
    EXPECT_EQ(field.GetText(), "Ann");
    EXPECT_EQ(field.GetBuffer().suffix, "</font>");
    EXPECT_EQ(field.GetBufferVar(), "%typed%");
    EXPECT_EQ(menu.Variables()["%typed%"], "<font menu>Ann</font>");
    EXPECT_EQ(field.GetSelectedBuffer().GetDisplayText(), "<font selected><font menu>Ann</font></font>");

    // Not selected: nothing is typed or mirrored.
    Type(field, 'X');
    EXPECT_EQ(field.GetText(), "Ann");

    field.Select();
    Type(field, vk::Back);
    Type(field, 'A');
    Type(field, 'B');
    EXPECT_EQ(menu.Variables()["%typed%"], "<font menu>Anab</font>");
    EXPECT_EQ(field.GetSelectedBuffer().GetText(), "Anab");
    EXPECT_EQ(menu.Variables()["%name%"], "Ann");
}

TEST_F(TextFieldTest, AnAbsentVariableGivesAnEmptyField)
{
    MenuTextField& field = Field("text=nobody bufferVar=out");
    EXPECT_EQ(field.GetText(), "");
    EXPECT_TRUE(menu.Variables().contains("nobody"));
    EXPECT_EQ(menu.Variables()["out"], "");
}

TEST_F(TextFieldTest, AHeldKeyTypesOnce)
{
    MenuTextField& field = Field("text=name bufferVar=name");
    field.Select();
    KeyboardInput* keyboard = KeyboardInput::Instance();
    keyboard->OnKeyDown('Q');
    for (int frame = 0; frame < 5; ++frame)
        field.Update(0.02f);
    EXPECT_EQ(field.GetText(), "q");
    keyboard->OnKeyUp('Q');
    keyboard->OnKeyDown('Q');
    field.Update(0.02f);
    EXPECT_EQ(menu.Variables()["name"], "qq");
}

TEST_F(TextFieldTest, ShiftOnTheFirstLetter)
{
    MenuTextField& field = Field("text=team bufferVar=team");
    field.Select();
    // Shift reads as the frame has it.
    KeyboardInput::Instance()->OnKeyDown(vk::Shift);
    KeyboardInput::Instance()->Update(0.02f);
    Type(field, 'A');
    KeyboardInput::Instance()->OnKeyUp(vk::Shift);
    KeyboardInput::Instance()->Update(0.02f);
    Type(field, 'B');
    Type(field, 'C');
    Type(field, 188);  // punctuation is not one of the field's classes
    Type(field, ' ');
    EXPECT_EQ(menu.Variables()["team"], "Abc ");
}

TEST_F(TextFieldTest, OnScreenKeysTypeCapitalsWhereAWordStartsAndKeepTheLength)
{
    const struct {
        std::vector<std::string> keys;
        std::string typed;
    } cases[] = {
        {{"R", "E", "D", "SPACE", "L", "I", "O", "N", "S"}, "Red Lions"},
        {{"F", "C", "SPACE", "9", "!", "."}, "Fc 9!."},
        {{"B", "DEL", "DEL", "OK", "", "X"}, "X"},
        {std::vector<std::string>(16, "A"), "A" + std::string(14, 'a')},
    };
    for (const auto& c : cases) {
        menu.ClearScreen();
        menu.SetVariable("team", "");
        MenuTextField& field = Field("text=team bufferVar=team");
        for (const std::string& key : c.keys)
            field.TypeOnScreenKey(key);
        EXPECT_EQ(std::vector<std::string>({field.GetText(), menu.Variables()["team"]}),
                  std::vector<std::string>({c.typed, c.typed}));
    }
}

TEST_F(TextFieldTest, PercentSignsInValuesShowAsThey)
{
    for (const char* value : {"%s", "100%", "%d%n%%"}) {
        menu.SetVariable("v", value);
        MenuTextField& field = Field("text=v bufferVar=\"100%% v\"");
        EXPECT_EQ(field.GetBufferVar(), "100% v");
        EXPECT_EQ(menu.Variables()["100% v"], value);
        EXPECT_EQ(field.GetSelectedBuffer().GetDisplayText(), std::string("<font selected>") + value + "</font>");
        EXPECT_EQ(field.GetShownText(1), value);
        field.Select();
        field.Update(0.02f);
        EXPECT_NE(field.GetShownText(1).find(std::string("<font selected>") + value + "</font>"), std::string::npos);
        menu.ClearScreen();
    }
}

TEST_F(TextFieldTest, CaretBlinksAndNeverShowsInTheShadow)
{
    const std::string shown = "<color 255 255 255 255>|";
    menu.SetVariable("v", "Ann");
    MenuTextField& field = Field("text=v");
    EXPECT_EQ(field.GetShownText(1).find('|'), std::string::npos);
    field.Select();
    TimeInfo* time = TimeInfo::Instance();
    const struct {
        float advance;
        bool caret;
    } steps[] = {{0.1f, false}, {0.2f, true}, {0.2f, false}, {0.3f, true}, {0.25f, false}};
    for (const auto& step : steps) {
        time->AddFrame(step.advance);
        EXPECT_EQ(field.GetShownText(1).find(shown) != std::string::npos, step.caret) << time->GetMenuTime();
        const std::string shadow = field.GetShownText(0);
        EXPECT_EQ(shadow.find(shown), std::string::npos);
        // The hidden caret stands outside the shadow's colour, so it stays clear.
        EXPECT_NE(shadow.find("</color><font selected><scale 1 0.70><color 0 0 0 0>|"), std::string::npos) << shadow;
    }
    EXPECT_EQ(field.GetShownText(1).rfind("<center><font selected>Ann</font>", 0), 0u);
}

TEST_F(TextFieldTest, MenuClickLeavesMouseMode)
{
    MenuTextField& field = Field("text=v OnSelect=Go");
    menu.SetMouseMode(true);
    field.OnMessage(Id("menu click"), 0);
    EXPECT_FALSE(menu.IsMouseMode());
    field.Select();
    field.OnMessage(Id("menu select"), 0);
    EXPECT_EQ(owner.log, std::vector<std::string>({"Go:"}));
}

TEST_F(TextFieldTest, PopsOutWhileSelected)
{
    MenuTextField& field = Field("text=v useOffset=false");
    field.Select();
    field.Update(0.05f);
    EXPECT_FLOAT_EQ(field.GetPopOut(), 0.5f);
}

}  // namespace
