#pragma once

// Match time, running at a rate the caller may change while it runs.
class MatchClock {
public:
    // The rate is borrowed and read every update: clock seconds per second of play.
    explicit MatchClock(const float* rate) : m_rate(rate) {}

    void Update(float dt) { m_time += dt * *m_rate; }
    // Whole minutes and the seconds past them, both truncated.
    int Minutes() const;
    int Seconds() const;

    float GetTime() const { return m_time; }
    void SetTime(float time) { m_time = time; }
    const float* GetRate() const { return m_rate; }

private:
    const float* m_rate;
    float m_time = 0.0f;
};
