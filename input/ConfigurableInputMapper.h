#pragma once

#include "input/InputController.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>

// The inputs a joystick binding can name.
enum StickInput {
    kStickNone = 0,
    kStickLeft = 1,
    kStickRight = 2,
    kStickUp = 3,
    kStickDown = 4,
    kStick2Up = 5,
    kStick2Down = 6,
    kButtonA = 7,
    kButtonB = 8,
    kButtonF = 9,
    kButtonG = 10,
    kButtonH = 11,
    kStickInputCount = 12
};

// A table from action name to an input of one device that the player can change; stored
// in the key-assignment file. Names with the prefix "(0):" or "(1):" are answered only
// while that player claims the device.
class ConfigurableInputMapper : public InputMapper {
public:
    using Bindings = std::map<std::string, int, std::less<>>;

    static constexpr int kUnbound = -1;
    // What an unbound action shows: a red dash.
    static constexpr const char* kUnboundName = "<color 255.0 0.0 0.0>-</color>";

    bool Capture(const char*) override { return true; }
    bool Release(const char*) override { return true; }
    // Bound to an input: its value; unbound: 0; no binding at all: unknown.
    float GetValue(const std::string& name) override;
    void Serialize(Serializer& serializer, const char* descriptor) override;

    // Puts the default bindings back; actions without a default stay as they are.
    virtual void SetDefaults() = 0;
    // The display text of the input bound to the action.
    virtual std::string GetTargetName(const std::string& action);
    // Binds the action to the input the player is holding; false while nothing is held.
    virtual bool CaptureBinding(const std::string& action, bool reset) = 0;
    // The name with a "(0):" or "(1):" prefix of an unclaimed player made empty.
    virtual std::string TranslateName(const std::string& name);
    virtual float ReadInput(int input) = 0;
    virtual void SerializeInput(Serializer& serializer, int* input);

    // The flags the front end's controller assignment reads and sets.
    bool IsShared() const { return m_shared; }
    void SetShared(bool shared) { m_shared = shared; }
    // player 0 is player 1, player 1 is player 2; other numbers read false and set nothing.
    bool IsClaimed(int player) const { return player >= 0 && player < 2 && m_claims[player]; }
    void SetClaimed(int player, bool claimed)
    {
        if (player >= 0 && player < 2)
            m_claims[player] = claimed;
    }

    // A shared device, or one neither player claims.
    bool IsFree() const { return m_shared || (!m_claims[0] && !m_claims[1]); }
    // A claim on a device that is not free is refused (false, nothing changes); otherwise the
    // player's claim is set (other player numbers change nothing) and true returned.
    bool SetClaim(int player, bool claim)
    {
        if (claim && !IsFree())
            return false;
        SetClaimed(player, claim);
        return true;
    }

    const Bindings& GetBindings() const { return m_bindings; }
    // kUnbound also when the action has no binding at all.
    int GetBinding(const std::string& action) const;
    // Empty names are refused: a name of an unclaimed player becomes empty and must
    // match nothing.
    void SetBinding(const std::string& action, int input);

    const std::string& GetTarget() const { return m_target; }

protected:
    // Which codes a binding may hold besides kUnbound; the file's values are checked
    // against it.
    virtual bool IsValidInput(int input) const = 0;

    Bindings m_bindings;
    std::string m_target;
    bool m_shared = false;
    bool m_unused = false;  // kept for the layout of the flags; nothing reads it
    bool m_claims[2] = {false, false};
};

// Keys by virtual-key code; created with all flags set, as every player may use it.
class ConfigurableKeyboardInputMapper : public ConfigurableInputMapper {
public:
    ConfigurableKeyboardInputMapper();

    void SetDefaults() override;
    std::string GetTargetName(const std::string& action) override;
    bool CaptureBinding(const std::string& action, bool reset) override;
    float ReadInput(int key) override;

    // "A", "7", "NUM 1", a text id such as "%80511%", or "" for keys that cannot be bound.
    static std::string KeyName(int key);

protected:
    bool IsValidInput(int input) const override;
};

// StickInput codes on one joystick of DXInput; created unclaimed.
class ConfigurableJoystickInputMapper : public ConfigurableInputMapper {
public:
    static constexpr float kDeadZone = 0.2f;

    explicit ConfigurableJoystickInputMapper(int joystickIndex = 0);

    void Serialize(Serializer& serializer, const char* descriptor) override;
    void SetDefaults() override;
    std::string GetTargetName(const std::string& action) override;
    bool CaptureBinding(const std::string&, bool) override { return false; }
    float ReadInput(int code) override;

    int GetJoystickIndex() const { return m_joystickIndex; }
    static const char* StickInputName(int code);

protected:
    bool IsValidInput(int input) const override;

private:
    int m_joystickIndex;
};
