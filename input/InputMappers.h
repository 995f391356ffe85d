#pragma once

#include "input/InputController.h"

// Mouse values and raw key queries by name: "mouse pos x", "mouse button r",
// "key event 27", "key pressed 65", ...
class InputMapperDefault : public InputMapper {
public:
    // "mouse": hides (Capture) or shows (Release) the cursor.
    bool Capture(const char* device) override;
    bool Release(const char* device) override;
    float GetValue(const std::string& name) override;
};

// The fixed keys of the game, camera, menu and debug actions.
class InputMapperGameTB : public InputMapper {
public:
    // The settings key that lets the test cheats answer; a test configuration sets it to 1.
    static constexpr const char* kTestCheatsKey = "TestCheats";

    bool Capture(const char*) override { return false; }
    bool Release(const char*) override { return false; }
    // A "cheat ..." name answers 1 once when its letters were just typed, and clears the
    // typed keys so it does not fire again. "cheat win" and "cheat skip", which end a match
    // or a drill at once, answer only while a loaded settings file sets kTestCheatsKey.
    float GetValue(const std::string& name) override;
};
