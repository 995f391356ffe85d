#include "platform/Sound.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <new>

namespace platform {

namespace sound_detail {

struct PcmData {
    PcmFormat format;
    std::vector<uint8_t> bytes;
};

// What the device and its buffers share; it lives until the last of them is gone.
struct MixerCore {
    std::mutex mutex;
    int rate = 44100;
    std::vector<SoundBuffer*> buffers;
    std::vector<float> accumulator;
    std::vector<float> gains;  // the limiter's, one per frame of the period
    float limiterGain = 1.0f;  // where the last period left it

    void Mix(int16_t* out, int frames);
    // Writes the sum scaled by the headroom, and by the limiter where that still reaches the ceiling.
    void Limit(const float* acc, int16_t* out, int frames);
};

}  // namespace sound_detail

using sound_detail::MixerCore;
using sound_detail::PcmData;

namespace {

bool ValidFormat(const PcmFormat& f)
{
    return (f.channels == 1 || f.channels == 2) && (f.bits == 8 || f.bits == 16) &&
           f.rate >= kSoundFrequencyMin && f.rate <= kSoundFrequencyMax;
}

// Below full scale, so that no output sample is ever clipped.
constexpr float kCeiling = 32000.0f;
// The limiter falls to a peak over this time, within the period being mixed, and recovers
// over the release time.
constexpr float kAttackSeconds = 0.002f;
constexpr float kReleaseSeconds = 0.25f;

// One sample as a float in the 16-bit range.
inline float SampleAt(const uint8_t* data, int bits, size_t index)
{
    if (bits == 16) {
        const uint8_t* p = data + index * 2;
        return float(int16_t(uint16_t(p[0] | (p[1] << 8))));
    }
    return float((int(data[index]) - 128) * 256);
}

}  // namespace

float SoundGainFromVolume(int hundredthsDb)
{
    if (hundredthsDb <= kSoundVolumeMin)
        return 0.0f;
    if (hundredthsDb >= kSoundVolumeMax)
        return 1.0f;
    return std::pow(10.0f, float(hundredthsDb) / 2000.0f);
}

void sound_detail::MixerCore::Mix(int16_t* out, int frames)
{
    if (frames <= 0)
        return;
    std::lock_guard<std::mutex> lock(mutex);
    // Sized once for the device's period; a larger request grows it.
    if (accumulator.size() < size_t(frames) * 2)
        accumulator.resize(size_t(frames) * 2);
    float* acc = accumulator.data();
    std::fill(acc, acc + size_t(frames) * 2, 0.0f);

    for (SoundBuffer* b : buffers) {
        if (!b->m_playing)
            continue;
        const PcmData& pcm = *b->m_pcm;
        const int channels = pcm.format.channels;
        const int bits = pcm.format.bits;
        const uint64_t total = pcm.bytes.size() / size_t(pcm.format.BlockAlign());
        if (total == 0) {
            b->m_playing = false;
            continue;
        }
        const float gain = b->m_gain;
        const uint64_t step = (uint64_t(b->m_frequency) << 32) / uint64_t(rate);
        const uint8_t* data = pcm.bytes.data();
        uint64_t pos = b->m_position;
        for (int i = 0; i < frames; ++i) {
            uint64_t i0 = pos >> 32;
            if (i0 >= total) {
                if (!b->m_looping) {
                    b->m_playing = false;
                    pos = 0;
                    break;
                }
                pos %= total << 32;  // a step may pass more than one length
                i0 = pos >> 32;
            }
            uint64_t i1 = i0 + 1;
            if (i1 >= total)
                i1 = b->m_looping ? 0 : i0;
            const float frac = float(uint32_t(pos)) * (1.0f / 4294967296.0f);
            for (int c = 0; c < channels; ++c) {
                const float s0 = SampleAt(data, bits, size_t(i0) * channels + c);
                const float s1 = SampleAt(data, bits, size_t(i1) * channels + c);
                const float v = (s0 + (s1 - s0) * frac) * gain;
                if (channels == 1) {
                    acc[i * 2] += v;
                    acc[i * 2 + 1] += v;
                } else {
                    acc[i * 2 + c] += v;
                }
            }
            pos += step;
        }
        if (b->m_playing && (pos >> 32) >= total) {
            if (b->m_looping)
                pos %= (total << 32);
            else {
                b->m_playing = false;
                pos = 0;
            }
        }
        b->m_position = pos;
    }

    Limit(acc, out, frames);
}

void sound_detail::MixerCore::Limit(const float* acc, int16_t* out, int frames)
{
    if (gains.size() < size_t(frames))
        gains.resize(size_t(frames));
    // Both channels share the gain, so that nothing moves between left and right.
    for (size_t i = 0; i < size_t(frames); ++i) {
        const float peak = std::max(std::fabs(acc[i * 2]), std::fabs(acc[i * 2 + 1])) * kSoundMixHeadroom;
        gains[i] = peak > kCeiling ? kCeiling / peak : 1.0f;
    }
    // Only ever lowered: every frame stays within the ceiling.
    const float attack = 1.0f / (kAttackSeconds * float(rate));
    for (int i = frames - 2; i >= 0; --i)
        gains[size_t(i)] = std::min(gains[size_t(i)], gains[size_t(i) + 1] + attack);
    const float release = 1.0f - std::exp(-1.0f / (kReleaseSeconds * float(rate)));
    float gain = limiterGain;
    for (size_t i = 0; i < size_t(frames); ++i) {
        gain = std::min(gains[i], gain + (1.0f - gain) * release);
        const float scale = kSoundMixHeadroom * gain;
        out[i * 2] = int16_t(std::lrint(acc[i * 2] * scale));
        out[i * 2 + 1] = int16_t(std::lrint(acc[i * 2 + 1] * scale));
    }
    limiterGain = gain;
}

// ---- SoundBuffer ----

SoundBuffer::SoundBuffer(std::shared_ptr<MixerCore> core, std::shared_ptr<PcmData> pcm, uint32_t flags)
    : m_core(std::move(core)), m_pcm(std::move(pcm)), m_flags(flags), m_frequency(m_pcm->format.rate)
{
}

SoundBuffer::~SoundBuffer()
{
    std::lock_guard<std::mutex> lock(m_core->mutex);
    auto& list = m_core->buffers;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

SoundResult SoundBuffer::Play(bool looping)
{
    std::lock_guard<std::mutex> lock(m_core->mutex);
    m_playing = true;
    m_looping = looping;
    return kSoundOk;
}

SoundResult SoundBuffer::Stop()
{
    std::lock_guard<std::mutex> lock(m_core->mutex);
    m_playing = false;
    return kSoundOk;
}

SoundResult SoundBuffer::SetPosition(uint32_t byteOffset)
{
    std::lock_guard<std::mutex> lock(m_core->mutex);
    if (byteOffset >= m_pcm->bytes.size())
        return kSoundInvalidParam;
    m_position = uint64_t(byteOffset / uint32_t(m_pcm->format.BlockAlign())) << 32;
    return kSoundOk;
}

SoundResult SoundBuffer::GetPosition(uint32_t* playCursor, uint32_t* writeCursor) const
{
    std::lock_guard<std::mutex> lock(m_core->mutex);
    // The mixer copies what it reads at once, so everything from its read position on
    // is free to rewrite.
    const uint32_t bytes = uint32_t((m_position >> 32) * uint64_t(m_pcm->format.BlockAlign()));
    if (playCursor)
        *playCursor = bytes;
    if (writeCursor)
        *writeCursor = bytes;
    return kSoundOk;
}

SoundResult SoundBuffer::GetStatus(uint32_t* status) const
{
    if (!status)
        return kSoundInvalidParam;
    std::lock_guard<std::mutex> lock(m_core->mutex);
    *status = (m_playing ? kSoundStatusPlaying : 0) | (m_playing && m_looping ? kSoundStatusLooping : 0);
    return kSoundOk;
}

SoundResult SoundBuffer::GetCaps(SoundBufferCaps* caps) const
{
    if (!caps)
        return kSoundInvalidParam;
    caps->flags = m_flags;
    caps->bytes = uint32_t(m_pcm->bytes.size());  // fixed at creation
    return kSoundOk;
}

SoundResult SoundBuffer::GetFormat(PcmFormat* format) const
{
    if (!format)
        return kSoundInvalidParam;
    *format = m_pcm->format;
    return kSoundOk;
}

SoundResult SoundBuffer::SetVolume(int hundredthsDb)
{
    if (!(m_flags & kSoundCtrlVolume))
        return kSoundControlUnavailable;
    if (hundredthsDb < kSoundVolumeMin || hundredthsDb > kSoundVolumeMax)
        return kSoundInvalidParam;
    const float gain = SoundGainFromVolume(hundredthsDb);
    std::lock_guard<std::mutex> lock(m_core->mutex);
    m_volume = hundredthsDb;
    m_gain = gain;
    return kSoundOk;
}

SoundResult SoundBuffer::GetVolume(int* hundredthsDb) const
{
    if (!hundredthsDb)
        return kSoundInvalidParam;
    if (!(m_flags & kSoundCtrlVolume))
        return kSoundControlUnavailable;
    std::lock_guard<std::mutex> lock(m_core->mutex);
    *hundredthsDb = m_volume;
    return kSoundOk;
}

SoundResult SoundBuffer::SetFrequency(int hz)
{
    if (!(m_flags & kSoundCtrlFrequency))
        return kSoundControlUnavailable;
    if (hz == 0)
        hz = m_pcm->format.rate;
    if (hz < kSoundFrequencyMin || hz > kSoundFrequencyMax)
        return kSoundInvalidParam;
    std::lock_guard<std::mutex> lock(m_core->mutex);
    m_frequency = hz;
    return kSoundOk;
}

SoundResult SoundBuffer::GetFrequency(int* hz) const
{
    if (!hz)
        return kSoundInvalidParam;
    if (!(m_flags & kSoundCtrlFrequency))
        return kSoundControlUnavailable;
    std::lock_guard<std::mutex> lock(m_core->mutex);
    *hz = m_frequency;
    return kSoundOk;
}

SoundResult SoundBuffer::Lock(uint32_t offset, uint32_t bytes, void** p1, uint32_t* n1, void** p2,
                              uint32_t* n2, uint32_t flags)
{
    if (!p1 || !n1)
        return kSoundInvalidParam;
    const uint32_t size = uint32_t(m_pcm->bytes.size());
    if (flags & kSoundLockEntireBuffer) {
        offset = 0;
        bytes = size;
    }
    if (bytes == 0 || bytes > size || offset >= size)
        return kSoundInvalidParam;
    const uint32_t first = std::min(bytes, size - offset);
    const uint32_t second = bytes - first;
    if (second && (!p2 || !n2))
        return kSoundInvalidParam;

    std::lock_guard<std::mutex> lock(m_core->mutex);
    if (m_locked)
        return kSoundInvalidCall;
    try {
        m_lockScratch.resize(bytes);
    } catch (const std::bad_alloc&) {
        return kSoundOutOfMemory;
    }
    // The caller works on a copy, so the mixer never reads bytes while they are written.
    std::memcpy(m_lockScratch.data(), m_pcm->bytes.data() + offset, first);
    if (second)
        std::memcpy(m_lockScratch.data() + first, m_pcm->bytes.data(), second);
    m_locked = true;
    m_lockOffset = offset;
    m_lockN1 = first;
    m_lockN2 = second;
    *p1 = m_lockScratch.data();
    *n1 = first;
    if (p2)
        *p2 = second ? m_lockScratch.data() + first : nullptr;
    if (n2)
        *n2 = second;
    return kSoundOk;
}

SoundResult SoundBuffer::Unlock(void* p1, uint32_t n1, void* p2, uint32_t n2)
{
    std::lock_guard<std::mutex> lock(m_core->mutex);
    if (!m_locked)
        return kSoundInvalidCall;
    if (p1 != m_lockScratch.data() || n1 > m_lockN1 || n2 > m_lockN2 ||
        (n2 && p2 != m_lockScratch.data() + m_lockN1)) {
        return kSoundInvalidParam;
    }
    std::memcpy(m_pcm->bytes.data() + m_lockOffset, m_lockScratch.data(), n1);
    if (n2)
        std::memcpy(m_pcm->bytes.data(), m_lockScratch.data() + m_lockN1, n2);
    m_locked = false;
    return kSoundOk;
}

// ---- SoundDevice ----

namespace {

void SDLCALL AudioCallback(void* user, Uint8* stream, int len)
{
    static_cast<MixerCore*>(user)->Mix(reinterpret_cast<int16_t*>(stream), len / 4);
}

}  // namespace

SoundResult SoundDevice::Open(std::unique_ptr<SoundDevice>* out)
{
    if (!out)
        return kSoundInvalidParam;
    out->reset();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return kSoundNoDevice;
    auto core = std::make_shared<MixerCore>();
    SDL_AudioSpec want{};
    want.freq = 44100;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = &AudioCallback;
    want.userdata = core.get();
    SDL_AudioSpec have{};
    // SDL converts channels and format for us; only the rate follows the device.
    const SDL_AudioDeviceID id =
        SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (id == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return kSoundNoDevice;
    }
    core->rate = have.freq;
    std::unique_ptr<SoundDevice> device(new SoundDevice(std::move(core)));
    device->m_deviceId = id;
    SDL_PauseAudioDevice(id, 0);
    *out = std::move(device);
    return kSoundOk;
}

std::unique_ptr<SoundDevice> SoundDevice::CreateOffline(int rate)
{
    auto core = std::make_shared<MixerCore>();
    core->rate = std::clamp(rate, kSoundFrequencyMin, kSoundFrequencyMax);
    return std::unique_ptr<SoundDevice>(new SoundDevice(std::move(core)));
}

SoundDevice::~SoundDevice()
{
    if (m_deviceId) {
        // Returns once the callback has finished, so the core is no longer read by SDL.
        SDL_CloseAudioDevice(m_deviceId);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

int SoundDevice::Rate() const
{
    return m_core->rate;  // fixed once opened
}

SoundResult SoundDevice::CreateBuffer(const SoundBufferDesc& desc, std::unique_ptr<SoundBuffer>* out)
{
    if (!out)
        return kSoundInvalidParam;
    out->reset();
    if (!ValidFormat(desc.format))
        return kSoundBadFormat;
    if (desc.bytes == 0 || desc.bytes % uint32_t(desc.format.BlockAlign()) != 0)
        return kSoundInvalidParam;
    std::shared_ptr<PcmData> pcm;
    try {
        pcm = std::make_shared<PcmData>();
        pcm->format = desc.format;
        pcm->bytes.assign(desc.bytes, desc.format.bits == 8 ? uint8_t(128) : uint8_t(0));
    } catch (const std::bad_alloc&) {
        return kSoundOutOfMemory;
    }
    std::unique_ptr<SoundBuffer> buffer(new SoundBuffer(m_core, std::move(pcm), desc.flags));
    {
        std::lock_guard<std::mutex> lock(m_core->mutex);
        m_core->buffers.push_back(buffer.get());
    }
    *out = std::move(buffer);
    return kSoundOk;
}

SoundResult SoundDevice::DuplicateBuffer(const SoundBuffer* original, std::unique_ptr<SoundBuffer>* out)
{
    if (!out)
        return kSoundInvalidParam;
    out->reset();
    if (!original)
        return kSoundNoBuffer;
    std::unique_ptr<SoundBuffer> buffer(new SoundBuffer(m_core, original->m_pcm, original->m_flags));
    {
        std::lock_guard<std::mutex> lock(original->m_core->mutex);
        buffer->m_volume = original->m_volume;
        buffer->m_gain = original->m_gain;
        buffer->m_frequency = original->m_frequency;
    }
    {
        std::lock_guard<std::mutex> lock(m_core->mutex);
        m_core->buffers.push_back(buffer.get());
    }
    *out = std::move(buffer);
    return kSoundOk;
}

void SoundDevice::Mix(int16_t* out, int frames)
{
    m_core->Mix(out, frames);
}

}  // namespace platform
