#pragma once

// Runs the game state without a screen, frame by frame, for tests and tools: the engine on
// the null device, a test configuration over the default data, a seeded random sequence,
// a fixed frame time, scripted input, and a log of every message sent.
//
//     GameHarness harness(window, archive);
//     if (!harness.Start())        // Enter on the default data; false when it cannot
//         return;
//     harness.Script().Press(3, "(menu):button a");
//     harness.RunFrames(10);       // stops early when the state ends or a value is NaN

#include "engine/core/RwEngine.h"
#include "framework/Message.h"
#include "input/InputController.h"

#include <memory>
#include <string>
#include <vector>

namespace platform {
class Window;
}
class GameTB;
class State;

// Answers the actions it was given for the frames it was given; every other name is left
// to the game's mappers. "any key press" answers 1 on a frame with any scripted press.
class HarnessInputScript : public InputMapper {
public:
    bool Capture(const char*) override { return false; }
    bool Release(const char*) override { return false; }
    float GetValue(const std::string& name) override;

    // The action reads value on that frame only.
    void Press(int frame, const std::string& action, float value = 1.0f);
    // Forgets the presses of the frames before it.
    void SetFrame(int frame);

private:
    struct Entry {
        int frame;
        std::string action;
        float value;
    };
    std::vector<Entry> m_entries;
    int m_frame = 0;
};

// Every message sent, as "frame <n> t=<seconds> <name> <parameter>".
class MessageTap : public MessageListener {
public:
    int OnMessage(int message, intptr_t param) override;
    void SetTime(int frame, double seconds)
    {
        m_frame = frame;
        m_seconds = seconds;
    }
    const std::vector<std::string>& GetLines() const { return m_lines; }
    void Clear() { m_lines.clear(); }

private:
    std::vector<std::string> m_lines;
    int m_frame = 0;
    double m_seconds = 0.0;
};

class GameHarness {
public:
    static constexpr float kFrameTime = 1.0f / 60.0f;
    static constexpr uint32_t kSeed = 12345;

    // archive: the default data's archive (or "" for the data unpacked under the current
    // folder). The window is borrowed; the renderer starts on it with the device given,
    // unless it runs already.
    GameHarness(platform::Window* window, std::string archive, RwDeviceKind device = rwDeviceNull);
    ~GameHarness();
    GameHarness(const GameHarness&) = delete;
    GameHarness& operator=(const GameHarness&) = delete;

    // Mounts the data, writes and loads the test configuration ("GameSize" as given, "sound"
    // 0, "CutScenes" 0 unless asked for, the test cheats on), starts the renderer and enters
    // the game state. False (on stderr) on failure.
    bool Start(const std::string& gameSize = "XL", bool cutScenes = false);
    // Exits and deletes the game state; the renderer stays up. Safe to call twice. The
    // game's Exit result; true when nothing ran.
    bool Stop();

    // Makes the state current (the old one exits and goes).
    void MakeCurrent(State* state);
    // One frame: input, Update and Render with the fixed frame time; false once the flow of
    // play has ended or a NaN was found (then GetProblem says where).
    bool Step();
    // Up to the frame cap; the number of frames run.
    int RunFrames(int cap);

    GameTB* GetGame() const { return m_game.get(); }
    HarnessInputScript& Script() { return m_script; }
    MessageTap& Tap() { return m_tap; }
    int GetFrame() const { return m_frame; }
    const std::string& GetProblem() const { return m_problem; }
    double GetEnterSeconds() const { return m_enterSeconds; }

private:
    bool MountData();
    bool CheckFinite();

    platform::Window* m_window;
    std::string m_archive;
    RwDeviceKind m_device;
    std::unique_ptr<GameTB> m_game;
    HarnessInputScript m_script;
    MessageTap m_tap;
    int m_tapId = 0;
    int m_frame = 0;
    std::string m_problem;
    double m_enterSeconds = 0.0;
    bool m_rendererStarted = false;
};
