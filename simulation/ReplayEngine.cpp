#include "simulation/ReplayEngine.h"

#include "framework/Debug.h"
#include "scene/AnimatedClump.h"
#include "scene/Clump.h"

#include <algorithm>

namespace {

constexpr float kNoStart = 1e29f;

}  // namespace

ReplayEngine::ReplayEngine() : m_frames(kCapacity)
{
    Reset();
}

void ReplayEngine::Reset()
{
    m_replaying = false;
    m_finished = false;
    m_frameA = m_frameB = m_writeIndex = m_objectCount = 0;
    m_blend = 0.0f;
    m_speed = 1.0f;
    m_clock = m_replayClock = 0.0f;
    m_tooManyReported = false;
    for (ReplayFrame& frame : m_frames)
        frame.time = ReplayFrame::kEmpty;
}

void ReplayEngine::Tick(float dt)
{
    if (!m_enabled || m_paused)
        return;
    if (m_replaying) {
        m_replayClock += dt * m_speed;
        FindReplayFrames();
        return;
    }
    m_writeIndex = (m_writeIndex + 1) % kCapacity;
    m_frames[static_cast<size_t>(m_writeIndex)].time = m_clock;
    m_objectCount = 0;
    m_clock += dt;
}

void ReplayEngine::FindReplayFrames()
{
    m_objectCount = 0;
    const float t = m_replayClock;
    for (int k = 0; k < kCapacity; ++k) {
        const ReplayFrame& a = m_frames[static_cast<size_t>(k)];
        const ReplayFrame& b = m_frames[static_cast<size_t>((k + 1) % kCapacity)];
        if (a.IsEmpty() || b.IsEmpty() || !(a.time <= t && b.time > t))
            continue;
        m_frameA = k;
        m_frameB = (k + 1) % kCapacity;
        const float span = b.time - a.time;
        m_blend = span == 0.0f ? 0.0f : (t - a.time) / span;
        return;
    }
    m_replaying = false;
    m_finished = true;
}

void ReplayEngine::StartReplay(float seconds)
{
    if (!m_enabled)
        return;
    float start = kNoStart, end = -kNoStart;
    for (const ReplayFrame& frame : m_frames)
        if (!frame.IsEmpty()) {
            start = std::min(start, frame.time);
            end = std::max(end, frame.time);
        }
    DebugTrace("Replay startTime=%f endTime=%f\n", start, end);
    m_replayClock = end - seconds <= start ? start : end - seconds;
    DebugTrace("replaying last %f seconds, starting at: %f\n", seconds, m_replayClock);
    m_replaying = true;
    m_finished = false;
    // Searched directly, not through Tick(0): a paused engine still shows its first frame.
    FindReplayFrames();
}

int ReplayEngine::NextCharacterSlot()
{
    if (m_objectCount < ReplayFrame::kCharacters)
        return m_objectCount++;
    // A modal box: shown at every call it would stop the game twice a frame.
    if (!m_tooManyReported) {
        m_tooManyReported = true;
        LogMessageBox("Too many characters for replay!!!\n");
    }
    return -1;
}

void ReplayEngine::Record(const Clump& object, Kind kind, uint32_t flag)
{
    if (!m_enabled)
        return;
    ReplayFrame& frame = m_frames[static_cast<size_t>(m_writeIndex)];
    if (kind == kBall) {
        frame.ballPosition = object.GetPosition();
        frame.ballRotation = object.GetRotation();
        frame.ballFlag = flag;
        return;
    }
    const int slot = NextCharacterSlot();
    if (slot < 0)
        return;
    frame.positions[slot] = object.GetPosition();
    frame.rotations[slot] = object.GetRotation();
    frame.flags[slot] = flag;
    if (const auto* animated = dynamic_cast<const AnimatedClump*>(&object)) {
        frame.animations[slot] = animated->GetCurrentAnimation();
        frame.animationTimes[slot] = animated->GetTime();
    }
}

void ReplayEngine::Apply(Clump& object, Kind kind, uint32_t& flag)
{
    if (!m_enabled)
        return;
    if (kind == kBall) {
        const ReplayFrame& a = m_frames[static_cast<size_t>(m_frameA)];
        const ReplayFrame& b = m_frames[static_cast<size_t>(m_frameB)];
        object.SetPosition(a.ballPosition + (b.ballPosition - a.ballPosition) * m_blend);
        object.SetRotation(a.ballRotation.Slerp(b.ballRotation, m_blend));
        flag = b.ballFlag;
        return;
    }
    const int slot = NextCharacterSlot();
    if (slot >= 0)
        ApplyCharacter(object, slot, flag);
}

void ReplayEngine::ApplyCharacter(Clump& object, int slot, uint32_t& flag) const
{
    const ReplayFrame& a = m_frames[static_cast<size_t>(m_frameA)];
    const ReplayFrame& b = m_frames[static_cast<size_t>(m_frameB)];
    const Vector3& from = a.positions[slot];
    const Vector3& to = b.positions[slot];
    // A teleport (a set piece placing the players) or a change of animation is shown as
    // frame A, not dragged or blended across.
    const bool cut = a.animations[slot] != b.animations[slot] || (to - from).Length() >= kCutDistance;
    const float f = cut ? 0.0f : m_blend;
    object.SetPosition(from + (to - from) * f);
    object.SetRotation(a.rotations[slot].Slerp(b.rotations[slot], f));
    flag = b.flags[slot];
    if (auto* animated = dynamic_cast<AnimatedClump*>(&object)) {
        animated->SetAnimation(a.animations[slot], 0.0f);
        const float start = a.animationTimes[slot];
        animated->SetTime(start + (b.animationTimes[slot] - start) * f);
    }
}
