#pragma once

#include "framework/Object.h"
#include "framework/Singleton.h"
#include "framework/Vector.h"

#include <string>
#include <vector>

// Called once per frame before the actions are refreshed.
class InputListener {
public:
    // One destroyed while still registered leaves the buffered controller, so the next
    // frame never calls freed memory.
    virtual ~InputListener();
    // False stops the walk for this frame: later listeners are not asked.
    virtual bool OnInput(float dt) = 0;
};

// Turns an action name into a value by looking at the devices.
class InputMapper : public Object {
public:
    // The answer for a name the mapper does not know.
    static constexpr float kUnknown = -999999.0f;

    // Leaves the buffered controller when still registered, as listeners do.
    ~InputMapper() override;

    virtual bool Capture(const char* device) = 0;
    virtual bool Release(const char* device) = 0;
    virtual float GetValue(const std::string& name) = 0;
};

class InputController {
public:
    // The modes of GetAction.
    enum Mode { kPressEdge = 0, kValue = 1, kReleaseEdge = 2 };

    InputController();
    virtual ~InputController() = default;

    virtual bool Exit() { return false; }
    // Asks the listeners, the one registered first first.
    virtual void Update(float dt);

    void RegisterInputListener(InputListener* listener);
    void UnregisterInputListener(InputListener* listener);
    void RegisterInputMapper(InputMapper* mapper);
    void UnregisterInputMapper(InputMapper* mapper);

    // The earliest registered mapper's real, non-zero answer; 0 when none has one.
    float GetActionValue(const std::string& name);
    // Mode 1 gives the value now. This controller keeps no history, so it sees no edges.
    virtual float GetAction(const std::string& name, const int& mode, float* holdTime = nullptr);

    const std::vector<InputMapper*>& GetMappers() const { return m_mappers; }

protected:
    friend class InputListener;
    friend class InputMapper;
    // Silent removal for destroyed listeners and mappers.
    void Forget(const InputListener* listener);
    void Forget(const InputMapper* mapper);

    std::vector<InputListener*> m_listeners;  // the newest at the front
    std::vector<InputMapper*> m_mappers;
};

// Remembers the previous frame of every action asked for, for edges and hold times.
// Reading consumes nothing: an edge reads the same all through its frame.
class BufferedInputController : public InputController, public Singleton<BufferedInputController> {
public:
    bool Exit() override;
    void Update(float dt) override;

    // Mode 1: the value now. Mode 0: 1 on the frame the action became non-zero; any other
    // mode: 1 on the frame it became zero. An action is tracked from its first request on,
    // which itself answers 0. The hold time (seconds) is written when asked for, except in
    // mode 1 and on that first request.
    float GetAction(const std::string& name, const int& mode, float* holdTime = nullptr) override;

    size_t GetTrackedCount() const { return m_actions.size(); }

private:
    struct Action {
        std::string name;
        float current = 0.0f;
        float previous = 0.0f;
        float holdTime = 0.0f;
    };
    std::vector<Action> m_actions;
};

// One controller's stick and two buttons in one record.
struct ControllerInput {
    bool buttonAPressed = false;
    bool buttonBPressed = false;
    bool buttonAReleased = false;
    bool buttonBReleased = false;
    bool buttonAHeld = false;
    bool buttonBHeld = false;
    float buttonAHoldTime = 0.0f;
    float buttonBHoldTime = 0.0f;
    float x = 0.0f;  // right positive
    float y = 0.0f;  // down positive

    // The stick's heading on the pitch (radians, in (-pi, pi]): x and y taken along the pitch
    // frame's first and third axes.
    float GetStickHeading() const;
    // Once x and y hold world x and z (turned by the camera): the world heading of
    // (x, 0, y), measured as actors measure theirs. Taking it through the pitch frame again would turn it twice on a pitch that
    // does not lie along the world axes.
    float GetWorldHeading() const;
};

// prefix: "(0):", "(1):" or "(menu):". Read through the buffered controller.
ControllerInput GetControllerInput(const std::string& prefix);
