#pragma once

#include "input/InputController.h"

#include <map>
#include <string>
#include <vector>

// A controller that plays a script, one frame per update of the input controller: each frame
// names the actions that are down ("(0):button b") or the stick's push ("(0):right") with
// their values. Other actions of its prefix read 0 from it and other prefixes are left to
// the other mappers. Past the script's end nothing is down.
//
//     ScriptedInputMapper script("(0):");
//     script.Add(30, {{"button b", 1.0f}, {"right", 1.0f}});  // hold b while running right
//     script.Add(1, {});                                      // let go
//     script.Register(*BufferedInputController::Instance());
class ScriptedInputMapper : public InputMapper, public InputListener {
public:
    using Frame = std::map<std::string, float>;

    // prefix: the controller answered for, such as "(0):".
    explicit ScriptedInputMapper(std::string prefix) : m_prefix(std::move(prefix)) {}

    // Appends the frame count times; names are without the prefix.
    void Add(int count, const Frame& frame);
    // Joins the controller as mapper and listener; leaving is automatic when destroyed.
    void Register(InputController& controller);

    // The frame now played; -1 before the first update.
    int GetFrameIndex() const { return m_index; }
    bool IsFinished() const { return m_index >= static_cast<int>(m_frames.size()); }

    // InputListener: steps to the next frame.
    bool OnInput(float dt) override;
    // InputMapper.
    bool Capture(const char*) override { return true; }
    bool Release(const char*) override { return true; }
    float GetValue(const std::string& name) override;

private:
    std::string m_prefix;
    std::vector<Frame> m_frames;
    int m_index = -1;
};
