#include "audio/StreamingSample.h"

#include "audio/SampleManager.h"
#include "audio/SoundEngine.h"
#include "framework/Debug.h"

#include <algorithm>
#include <cstring>
#include <system_error>

namespace {

thread_local const RefillTimer* t_currentTimer = nullptr;

// Shared by all streams; only used under the engine's stream lock.
uint8_t g_transfer[StreamingSample::kTransferBytes];

std::atomic<bool> g_manualTimer{false};
std::atomic<uint64_t> g_lastStreamId{0};
std::atomic<int64_t> g_startWaitMs{500};

}  // namespace

// ---- RefillTimer ----

RefillTimer::~RefillTimer()
{
    Stop();
    // Only reachable if the owner were destroyed inside its own tick.
    if (m_thread.joinable())
        m_thread.detach();
}

bool RefillTimer::Start(std::chrono::milliseconds period, std::function<void()> tick)
{
    Stop();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = false;
    }
    m_tick = std::move(tick);
    try {
        m_thread = std::thread(&RefillTimer::Run, this, period);
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void RefillTimer::Stop()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (IsTimerThread())
        return;
    if (m_thread.joinable())
        m_thread.join();
}

bool RefillTimer::IsTimerThread() const
{
    return t_currentTimer == this;
}

void RefillTimer::Run(std::chrono::milliseconds period)
{
    t_currentTimer = this;
    auto next = std::chrono::steady_clock::now() + period;
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stop) {
        if (m_wake.wait_until(lock, next, [this] { return m_stop; }))
            break;
        lock.unlock();
        m_tick();
        lock.lock();
        next += period;
        // After a stall, go on from now rather than catching up with a burst of ticks.
        const auto now = std::chrono::steady_clock::now();
        if (next < now)
            next = now + period;
    }
    t_currentTimer = nullptr;
}

// ---- StreamingSample ----

StreamingSample::StreamingSample(const std::string& name, const std::string& file, int flags,
                                 std::unique_ptr<platform::SoundBuffer> buffer,
                                 std::unique_ptr<SampleStream> stream)
    : Sample(name, file, flags, std::move(buffer)), m_streamId(++g_lastStreamId), m_stream(std::move(stream))
{
    if (m_buffer) {
        platform::SoundBufferCaps caps;
        if (m_buffer->GetCaps(&caps) == platform::kSoundOk)
            m_bufferSize = caps.bytes;
    }
}

StreamingSample::~StreamingSample()
{
    Close();
}

bool StreamingSample::IsPlayOnce() const
{
    std::lock_guard<std::recursive_mutex> lock(SoundEngine::StreamLock());
    return m_playOnce;
}

bool StreamingSample::IsEndReached() const
{
    std::lock_guard<std::recursive_mutex> lock(SoundEngine::StreamLock());
    return m_endReached;
}

uint32_t StreamingSample::GetEndPosition() const
{
    std::lock_guard<std::recursive_mutex> lock(SoundEngine::StreamLock());
    return m_endPosition;
}

uint32_t StreamingSample::GetWriteOffset() const
{
    std::lock_guard<std::recursive_mutex> lock(SoundEngine::StreamLock());
    return m_writeOffset;
}

uint32_t StreamingSample::GetBufferSize() const
{
    std::lock_guard<std::recursive_mutex> lock(SoundEngine::StreamLock());
    return m_bufferSize;
}

void StreamingSample::SetManualTimer(bool manual)
{
    g_manualTimer = manual;
}

void StreamingSample::SetStartWaitLimit(std::chrono::milliseconds limit)
{
    g_startWaitMs = limit.count();
}

void StreamingSample::Play()
{
    if (!m_buffer || !SoundEngine::Instance()->IsEnabled())
        return;
    if (m_timerInstalled)
        LogError("StreamingSample::Loop timer already installed\n");
    StopTimer();
    {
        std::lock_guard<std::recursive_mutex> lock(SoundEngine::StreamLock());
        m_playOnce = true;
    }
    Loop();
}

void StreamingSample::PlayLooped()
{
    if (m_buffer && SoundEngine::Instance()->IsEnabled() && m_timerInstalled)
        LogError("StreamingSample::Loop timer already installed\n");
    StopTimer();
    {
        std::lock_guard<std::recursive_mutex> lock(SoundEngine::StreamLock());
        m_playOnce = false;
    }
    Loop();
}

void StreamingSample::Loop()
{
    if (!m_buffer || !SoundEngine::Instance()->IsEnabled())
        return;
    {
        std::lock_guard<std::recursive_mutex> lock(SoundEngine::StreamLock());
        m_endReached = false;
        platform::SoundBufferCaps caps;
        if (m_buffer->GetCaps(&caps) == platform::kSoundOk)
            m_bufferSize = caps.bytes;
        m_writeOffset = 8;
        m_buffer->SetPosition(0);
        Fill();
    }
    m_buffer->Play(true);

    // A silent device may never move the cursor: wait a while, not for ever.
    DebugTrace("waiting for music to start\n");
    const auto start = std::chrono::steady_clock::now();
    const auto limit = std::chrono::milliseconds(g_startWaitMs.load());
    for (;;) {
        uint32_t cursor = 0;
        m_buffer->GetPosition(&cursor, nullptr);
        if (cursor != 0)
            break;
        if (std::chrono::steady_clock::now() - start >= limit) {
            DebugTrace("StreamingSample::Loop: play cursor did not move, going on\n");
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    SetVolume(m_streamVolume);
    m_reentry = 0;
    if (g_manualTimer) {
        m_timerInstalled = true;
        return;
    }
    if (!m_timer.Start(kRefillPeriod, [this] { TimerCallback(); })) {
        LogError("timeSetEvent error\n");
        return;
    }
    m_timerInstalled = true;
}

void StreamingSample::StopTimer()
{
    m_timer.Stop();
    m_timerInstalled = false;
}

void StreamingSample::Stop()
{
    // Stops the refills first, so that none runs after the stop (inside a refill it only
    // asks the timer to end).
    StopTimer();
    if (m_buffer && IsPlaying())
        m_buffer->Stop();
}

void StreamingSample::Close()
{
    StopTimer();
    std::lock_guard<std::recursive_mutex> lock(SoundEngine::StreamLock());
    if (m_buffer) {
        if (IsPlaying())
            m_buffer->Stop();
        m_buffer.reset();
    }
    if (m_stream) {
        m_stream->Close();
        m_stream.reset();
    }
}

void StreamingSample::Rewind()
{
    std::lock_guard<std::recursive_mutex> lock(SoundEngine::StreamLock());
    if (m_stream)
        m_stream->Rewind();
}

void StreamingSample::SetVolume(float volume)
{
    m_streamVolume = volume;
    Sample::SetVolume(volume * SoundEngine::Instance()->GetGroupFactor(m_soundGroup));
}

void StreamingSample::TimerCallback()
{
    std::lock_guard<std::recursive_mutex> lock(SoundEngine::StreamLock());
    if (!SoundEngine::IsStreamListed(this))
        return;
    if (m_reentry.exchange(1) == 1)
        return;
    const bool finished = Fill();
    m_reentry.store(0);
    if (finished)
        Stop();
}

bool StreamingSample::WriteAtOffset(const uint8_t* bytes, uint32_t n, bool silence)
{
    void* p1 = nullptr;
    void* p2 = nullptr;
    uint32_t n1 = 0;
    uint32_t n2 = 0;
    if (m_buffer->Lock(m_writeOffset, n, &p1, &n1, &p2, &n2) != platform::kSoundOk)
        return false;
    if (silence) {
        std::memset(p1, 0, n1);
        if (p2)
            std::memset(p2, 0, n2);
    } else {
        std::memcpy(p1, bytes, n1);
        if (p2)
            std::memcpy(p2, bytes + n1, n2);
    }
    return m_buffer->Unlock(p1, n1, p2, n2) == platform::kSoundOk;
}

bool StreamingSample::Fill()
{
    std::lock_guard<std::recursive_mutex> lock(SoundEngine::StreamLock());
    if (!m_buffer || !m_stream || m_bufferSize == 0)
        return false;
    platform::PcmFormat format;
    m_buffer->GetFormat(&format);
    const int64_t align = std::max(1, format.BlockAlign());

    uint32_t cursor = 0;
    m_buffer->GetPosition(&cursor, nullptr);
    const int64_t size = m_bufferSize;
    int64_t free = int64_t(cursor) - int64_t(m_writeOffset);
    if (free < 0)
        free += size;
    free -= size / 4;
    free = std::min<int64_t>(free, kMaxFillBytes);

    // Each read asks for no more than is free, so the writer never comes closer to the
    // play cursor than a quarter of the buffer.
    while (free >= align) {
        const int want = int(std::min<int64_t>(free, kTransferBytes) / align * align);
        // After the end only silence is written, so nothing needs decoding: a short stream
        // that keeps ending could not keep ahead of the cursor.
        const int got = m_endReached ? want : std::min(m_stream->Refill(g_transfer, want), want);
        if (got < 1) {
            if (m_playOnce && !m_endReached) {
                m_endReached = true;
                m_endPosition = m_writeOffset;
            }
            break;
        }
        if (!WriteAtOffset(g_transfer, uint32_t(got), m_endReached))
            break;
        free -= got;
        m_writeOffset = uint32_t((m_writeOffset + uint32_t(got)) % m_bufferSize);
    }

    if (!m_playOnce || !m_endReached)
        return false;
    const uint32_t quarter = m_bufferSize / 4;
    if (cursor >= m_endPosition && cursor <= m_endPosition + quarter)
        return true;
    // The window past the end wraps round the buffer's end.
    return m_endPosition > 3 * quarter && cursor < m_endPosition - 3 * quarter;
}
