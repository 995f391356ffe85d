#pragma once

#include "audio/Sample.h"
#include "audio/SampleLoader.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// Calls a function periodically on a thread of its own.
class RefillTimer {
public:
    RefillTimer() = default;
    ~RefillTimer();
    RefillTimer(const RefillTimer&) = delete;
    RefillTimer& operator=(const RefillTimer&) = delete;

    // The first call comes one period from now. A running timer is stopped first.
    // False when no thread could be started.
    bool Start(std::chrono::milliseconds period, std::function<void()> tick);
    // Ends the timer and waits for a running tick. From inside a tick it only asks the
    // thread to end after that tick, since a thread cannot wait for itself.
    void Stop();
    // True on the timer's own thread, i.e. inside a tick.
    bool IsTimerThread() const;

private:
    void Run(std::chrono::milliseconds period);

    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;  // guarded by m_mutex
    std::function<void()> m_tick;
};

// Music or ambience played from a stream through a one-second looping buffer, refilled
// every 100 ms on the timer's thread. The sound engine lists the valid streams; the timer
// refills only a listed stream, under the engine's stream lock.
class StreamingSample : public Sample {
public:
    static constexpr int kTransferBytes = 4096;
    static constexpr int kMaxFillBytes = 40000;
    static constexpr std::chrono::milliseconds kRefillPeriod{100};

    StreamingSample(const std::string& name, const std::string& file, int flags,
                    std::unique_ptr<platform::SoundBuffer> buffer, std::unique_ptr<SampleStream> stream);
    ~StreamingSample() override;

    // Play once (then silence, and the timer stops playback) or looped.
    void Play() override;
    void PlayLooped() override;
    // Stops playback and the refills; keeps the position.
    void Stop() override;
    // The volume times the volume of the stream's sound group (0 when it is muted).
    void SetVolume(float volume) override;
    float GetVolume() override { return m_streamVolume; }
    // Stops, releases the buffer and deletes the stream. Stop and Close wait for a running
    // refill, so neither may be called while holding the engine's stream lock.
    virtual void Close();
    virtual void Rewind();

    // Unique among all streams made in the process, unlike the address, which a later
    // stream may reuse.
    uint64_t GetStreamId() const { return m_streamId; }
    void SetSoundGroup(int group) { m_soundGroup = group; }
    int GetSoundGroup() const { return m_soundGroup; }

    // The timer's work: refills while the engine lists this stream, and stops a play-once
    // stream whose end the play cursor has passed.
    void TimerCallback();
    // Writes decoded data (silence after the end of a play-once stream) from the write
    // offset up to a quarter buffer behind the play cursor, at most kMaxFillBytes.
    // True when a play-once stream has been heard to its end. Takes the engine's stream
    // lock, since all streams share one transfer block.
    bool Fill();

    // The refill state, read under the stream lock.
    bool IsTimerInstalled() const { return m_timerInstalled.load(); }
    bool IsPlayOnce() const;
    bool IsEndReached() const;
    uint32_t GetEndPosition() const;
    uint32_t GetWriteOffset() const;
    uint32_t GetBufferSize() const;

    // Test seams. A manual timer starts no thread: the test calls TimerCallback itself.
    // The start wait bounds how long playback start waits for the play cursor to move.
    static void SetManualTimer(bool manual);
    static void SetStartWaitLimit(std::chrono::milliseconds limit);

private:
    void Loop();
    void StopTimer();
    // Writes n bytes of the transfer block, or zeros, at the write offset.
    bool WriteAtOffset(const uint8_t* bytes, uint32_t n, bool silence);

    const uint64_t m_streamId;
    std::unique_ptr<SampleStream> m_stream;
    uint32_t m_bufferSize = 0;
    std::atomic<int> m_reentry{0};
    RefillTimer m_timer;
    std::atomic<bool> m_timerInstalled{false};
    uint32_t m_writeOffset = 0;
    bool m_playOnce = false;
    float m_streamVolume = 1.0f;
    bool m_endReached = false;
    uint32_t m_endPosition = 0;
    int m_soundGroup = 0;
};
