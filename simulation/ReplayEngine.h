#pragma once

#include "framework/Quaternion.h"
#include "framework/Singleton.h"
#include "framework/Vector.h"

#include <cstdint>
#include <vector>

class Clump;

// Where the characters and the ball were at one recorded instant. Kept in memory only.
struct ReplayFrame {
    static constexpr int kCharacters = 11;
    static constexpr float kEmpty = -1.0f;

    bool IsEmpty() const { return time < 0.0f; }

    // Recording time; kEmpty until the frame is recorded.
    float time = kEmpty;
    int32_t unused = 0;
    Vector3 positions[kCharacters] = {};
    Quaternion rotations[kCharacters] = {};
    int32_t animations[kCharacters] = {};
    float animationTimes[kCharacters] = {};
    uint32_t flags[kCharacters] = {};
    Vector3 ballPosition;
    Quaternion ballRotation;
    uint32_t ballFlag = 0;
};
static_assert(sizeof(ReplayFrame) == 120 * 4, "a frame is 120 four-byte values");

// Records where the characters and the ball were, frame by frame, in a ring of the last
// 1200 frames, and plays the last seconds back by interpolating between recorded frames.
// Objects record and apply themselves, in the same order every frame: characters take the
// slots in that order.
class ReplayEngine : public Singleton<ReplayEngine> {
public:
    enum Kind : int32_t { kCharacter = 0, kBall = 1 };

    static constexpr int kCapacity = 1200;
    // Positions this far apart in two frames are a cut, not a movement.
    static constexpr float kCutDistance = 2.0f;

    ReplayEngine();

    // Empties every frame and stops any replay; speed 1. Enabled and paused stay.
    void Reset();
    // Recording: starts a new frame at the recording time, then the time moves on by dt.
    // Replaying: the replay time moves on by dt x speed; past the newest frame the replay
    // stops and counts as finished. Nothing happens while disabled or paused.
    void Tick(float dt);
    // Plays back from `seconds` before the newest frame, or from the oldest kept frame when
    // fewer were recorded. Nothing while disabled.
    void StartReplay(float seconds);

    // Stores the object's placement (and, for an animated clump, its animation and time) with
    // the flag in the current frame. Characters beyond the eleventh are left out.
    void Record(const Clump& object, Kind kind, uint32_t flag);
    // Places the object as the replay shows it now and gives its recorded flag; leaves the
    // object and the flag alone while disabled, and characters beyond the eleventh.
    void Apply(Clump& object, Kind kind, uint32_t& flag);

    bool IsEnabled() const { return m_enabled; }
    void SetEnabled(bool enabled) { m_enabled = enabled; }
    bool IsPaused() const { return m_paused; }
    void SetPaused(bool paused) { m_paused = paused; }
    bool IsReplaying() const { return m_replaying; }
    // The match flow stops a replay early through this.
    void SetReplaying(bool replaying) { m_replaying = replaying; }
    bool IsFinished() const { return m_finished; }
    float GetSpeed() const { return m_speed; }
    void SetSpeed(float speed) { m_speed = speed; }

    // The frames around the replay time and the replay time's place between them (0 at A).
    int GetFrameA() const { return m_frameA; }
    int GetFrameB() const { return m_frameB; }
    float GetBlend() const { return m_blend; }
    // The replay time while replaying, else the recording time.
    float GetClock() const { return m_replaying ? m_replayClock : m_clock; }
    int GetWriteIndex() const { return m_writeIndex; }
    // index in [0, kCapacity).
    const ReplayFrame& GetFrame(int index) const { return m_frames[static_cast<size_t>(index)]; }

private:
    // Finds frames A and B around the replay time; finishes the replay when none are.
    void FindReplayFrames();
    // The next character slot of this frame, or -1 (reported once per Reset) when all are used.
    int NextCharacterSlot();
    void ApplyCharacter(Clump& object, int slot, uint32_t& flag) const;

    std::vector<ReplayFrame> m_frames;
    bool m_replaying = false;
    bool m_finished = false;
    int m_frameA = 0;
    int m_frameB = 0;
    int m_writeIndex = 0;
    float m_blend = 0.0f;
    float m_speed = 1.0f;
    // Kept apart, so that a replay stopped early does not rewind the recording and mix old
    // frames with new ones.
    float m_clock = 0.0f;
    float m_replayClock = 0.0f;
    int m_objectCount = 0;
    bool m_enabled = false;
    bool m_paused = false;
    bool m_tooManyReported = false;
};
