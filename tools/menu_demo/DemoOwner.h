#pragma once

// Stands in for the front-end menu state: owns one screen at a time, answers its commands,
// turns a frame's keys and mouse into menu messages, and draws the screen on the plane in
// front of the camera.

#include "framework/Message.h"
#include "framework/Quaternion.h"
#include "framework/Vector.h"

#include <string>
#include <vector>

// One frame's menu keys.
struct MenuKeys {
    bool up = false, down = false, select = false, back = false, left = false, right = false;
};

class DemoOwner : public MessageListener {
public:
    // Loads "<PP>\Menu\Screens\<screen>.xml" and starts the fade-in; false (logged) when the
    // file is missing, the screen then staying empty.
    bool Enter(const std::string& screen);
    void Exit();
    // One frame: input while the screen is shown, then the menu's update. False once the
    // fade-out is over: next then names the screen chosen (empty for none).
    bool Update(float seconds, const MenuKeys& keys);
    // The screen on its plane, with the cursor while the menu is in mouse mode.
    void Render();

    int OnMessage(int message, intptr_t param) override;

    // The commands received, as "name argument".
    std::vector<std::string> commands;
    std::string next;
    // The screen ends (without a successor when next is empty).
    bool leaving = false;
    // "CheckPlayers n" passes for n up to this.
    int players = 2;

private:
    void PollMenuInput(const MenuKeys& keys);
    void CheckGameVersion();

    Vector3 m_position;
    Quaternion m_rotation;
};
