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
    bool Capture(const char*) override { return false; }
    bool Release(const char*) override { return false; }
    // A "cheat ..." name answers 1 once when its letters were just typed, and clears the
    // typed keys so it does not fire again.
    float GetValue(const std::string& name) override;
};
