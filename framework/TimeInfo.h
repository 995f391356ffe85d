#pragma once

#include "framework/Singleton.h"

#include <cstdint>

// Frame timing, fed once per tick. Both running sums add every frame and are never
// reset; they are kept apart because their readers (menus, replay) are.
class TimeInfo : public Singleton<TimeInfo> {
public:
    TimeInfo() = default;

    void AddFrame(float dt);

    float GetFrameTime() const { return m_frameTime; }
    // Menus' blink and caret time.
    float GetMenuTime() const { return m_menuTime; }
    // Seconds since start.
    float GetElapsedTime() const { return m_elapsedTime; }
    uint32_t GetFrameCount() const { return m_frameCount; }

private:
    float m_frameTime = 0.0f;
    float m_menuTime = 0.0f;
    float m_elapsedTime = 0.0f;
    uint32_t m_frameCount = 0;
};
