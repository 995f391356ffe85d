#pragma once

#include "framework/Object.h"

// One trainable attribute of a team member: the trained level and the value in use, which
// drains and recovers between 0 and the level. The operations keep the level within
// [kMinLevel, kMaxLevel] and the current value within [0, level]; the fields stay open for
// the HUD and the loaders that read them.
class Statistic : public Object {
public:
    static constexpr float kMinLevel = 50.0f;
    static constexpr float kMaxLevel = 100.0f;

    Statistic() = default;
    Statistic(const Statistic& other) : Object(), level(other.level), current(other.current) {}
    // Copies the values only: the copy keeps its own name.
    Statistic& operator=(const Statistic& other);

    // Reading and writing both leave the level clamped and the current value at the level.
    void Serialize(Serializer& serializer, const char* descriptor) override;

    // The level clamped to the range; the current value becomes the level.
    void SetLevel(float value);
    // Raises the level by d, up to the maximum; nothing for d <= 0.
    void RaiseLevel(float d);
    // Within [0, level]; a negative d subtracts.
    void AddCurrent(float d);
    void SubtractCurrent(float d);

    float level = kMinLevel;
    float current = kMinLevel;
};
