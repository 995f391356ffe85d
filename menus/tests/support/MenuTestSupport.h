#pragma once

// What the menu tests share: screens parsed from text, an owner that records the commands it
// gets and answers from a script, and a probe widget whose hit area and selectability the
// screen sets.

#include "framework/Message.h"
#include "menus/Menu.h"
#include "menus/MenuItem.h"
#include "menus/XmlParser.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace menutest {

// The tree of a screen written as text, as the reader makes it from a file.
std::unique_ptr<XmlNode> ParseText(const std::string& text);
// The same through TryParse; error gets the reader's message.
std::unique_ptr<XmlNode> TryParseText(const std::string& text, std::string& error);

// Writes a file below the test's working folder ("data/pc/..."), folders made on the way.
void WriteFile(const std::string& path, const std::string& text);
// "<PP>" as the working folder's "data\pc\".
void UseTestProjectFolder();

// Records "name:argument" for each command; the answer comes from answers (by name, 0
// when absent) or, when set, from react, which may also act on the menu.
class RecordingOwner : public MessageListener {
public:
    int OnMessage(int message, intptr_t param) override;

    std::vector<std::string> log;
    std::vector<int> results;  // the previous result each command was given
    std::vector<MenuItem*> sources;
    std::map<std::string, int> answers;
    std::function<int(const std::string& name, const MenuActionParameter&)> react;
};

// A widget of class "Probe": "x", "y", "w", "h" set its area (also where it is hit), and
// "selectable" set to "true" makes it selectable. Each draw records the pass and the menu's
// offset in drawn.
class MenuProbe : public MenuItem {
public:
    int OnMessage(int, intptr_t) override { return 0; }
    void Update(float seconds) override { UpdateWithFade(seconds); }
    void Create(XmlNode* node) override;
    void Draw(int pass) override;
    Vector4 GetArea() const override { return m_area; }
    bool HitTest(float x, float y) const override;
    bool IsSelectable() const override { return m_selectable && IsEnabled(); }

    static std::vector<std::string> drawn;

private:
    Vector4 m_area;
    bool m_selectable = false;
};

// A fresh menu for each test, and the message ids by name.
class MenuFixture {
public:
    MenuFixture();
    ~MenuFixture();
    static int Id(const char* name) { return MessageServer::Instance()->RegisterMessage(name); }
    // Loads the screen text; true when the menu built it.
    bool Load(const std::string& screen);

    Menu& menu;
    RecordingOwner owner;
};

}  // namespace menutest
