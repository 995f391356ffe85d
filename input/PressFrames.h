#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>

// The state of N buttons frame by frame, fed by their down and up events (or by a poll of the
// device) between two frames. Every press reaches a frame as down, and a press that comes
// while the button was down in the frame before gets a frame up first, so that no press is
// lost and each keeps its two edges however short it was and however long a frame takes.
template <size_t N>
class PressFrames {
public:
    // Presses waiting for their frame beyond this are dropped: a long stall does not replay
    // a burst of them one by one.
    static constexpr uint8_t kMaxWaiting = 4;

    // A down that finds the button up is a press; a repeated down is not. Here and in Up and
    // SetNow, indices >= N are ignored.
    void Down(size_t i)
    {
        if (i >= N)
            return;
        if (!m_now.test(i) && m_waiting[i] < kMaxWaiting)
            ++m_waiting[i];
        m_now.set(i);
    }
    void Up(size_t i)
    {
        if (i < N)
            m_now.reset(i);
    }
    // What a poll of the device reads now; its presses come through Down.
    void SetNow(size_t i, bool down)
    {
        if (i < N)
            m_now.set(i, down);
    }

    // The next frame: a waiting press shows (after an up frame when needed), else the button
    // as it is now.
    void Update()
    {
        for (size_t i = 0; i < N; ++i) {
            if (m_waiting[i] == 0) {
                m_frame[i] = m_now[i];
            } else if (m_frame[i]) {
                m_frame.reset(i);
            } else {
                m_frame.set(i);
                --m_waiting[i];
            }
        }
    }

    // Down in this frame.
    bool IsDown(size_t i) const { return i < N && m_frame.test(i); }
    // Down now, whatever the frame says.
    bool IsHeld(size_t i) const { return i < N && m_now.test(i); }
    // A press still waits for its frame.
    bool IsWaiting(size_t i) const { return i < N && m_waiting[i] > 0; }
    const std::bitset<N>& Frame() const { return m_frame; }
    void Clear() { *this = PressFrames(); }

private:
    std::bitset<N> m_now;
    std::bitset<N> m_frame;
    uint8_t m_waiting[N] = {};
};
