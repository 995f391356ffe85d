#pragma once

// What the widget tests share: the renderer on the null device (800 x 600, so the menu's
// scale is 1), block fonts under the names texts use, a menu owned by a recording owner,
// and the colours and corners the device recorded.

#include "engine/core/NullDevice.h"
#include "framework/Color.h"
#include "support/MenuTestSupport.h"
#include "support/SceneTest.h"
#include "text/Font.h"

#include <functional>
#include <string>
#include <vector>

namespace menutest {

// 8-bit channels of a recorded vertex colour.
struct Rgba {
    int r, g, b, a;
    bool operator==(const Rgba&) const = default;
};
Rgba Unpack(RwUInt32 packed);
Rgba ColorOf(const RwNullDrawRecord& draw);
// What the colour becomes on the way to the device.
Rgba Expected(const Color& colour);
Vector3 Corner(const RwNullDrawRecord& draw, int i);
// The colour of each quad the 3D draws hold (four vertices each), in drawing order: texts
// hand several glyphs over in one draw.
std::vector<Rgba> QuadColours(const std::vector<RwNullDrawRecord>& draws);

class MenuDrawTest : public SceneTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Loads the screen; the items are idle.
    void Load(const std::string& screen);
    MenuItem* Item(int index) { return menu->GetItem(index); }
    // What the device recorded while the draw ran on the primary camera.
    std::vector<RwNullDrawRecord> Pass(const std::function<void()>& draw);
    std::vector<RwNullDrawRecord> Pass(int pass, int item = 0);

    Menu* menu = nullptr;
    RecordingOwner owner;
    Font font;          // "default" and "menu": blocks 10 wide, 11 high
    Font selectedFont;  // "selected": blocks 6 wide
};

}  // namespace menutest
