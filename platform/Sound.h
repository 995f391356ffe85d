#pragma once

#include <cstdint>
#include <memory>
#include <vector>

// Our own small sound layer over SDL2 audio: one output device that mixes any number of
// PCM sound buffers into S16 stereo at the device's rate.
//
// Typical use:
//     std::unique_ptr<platform::SoundDevice> device;
//     if (platform::SoundDevice::Open(&device) != platform::kSoundOk) ... run silent ...
//     std::unique_ptr<platform::SoundBuffer> buffer;
//     device->CreateBuffer({.flags = platform::kSoundCtrlVolume, .bytes = n,
//                           .format = {22050, 1, 16}}, &buffer);
//     buffer->Lock(0, n, &p1, &n1, &p2, &n2); ... write PCM ...; buffer->Unlock(p1, n1, p2, n2);
//     buffer->Play(false);
//
// Every call answers a result code, so that callers can log it in hexadecimal. Buffers may
// outlive their device (they then simply stay unheard). SDL's audio thread runs the mixer;
// every call takes the device's lock, so buffers may be used from any thread.
namespace platform {

using SoundResult = uint32_t;
inline constexpr SoundResult kSoundOk = 0;
inline constexpr SoundResult kSoundInvalidParam = 0x8AD00001;
inline constexpr SoundResult kSoundNoBuffer = 0x8AD00002;  // duplicating a missing buffer
inline constexpr SoundResult kSoundBadFormat = 0x8AD00003;
inline constexpr SoundResult kSoundOutOfMemory = 0x8AD00004;
inline constexpr SoundResult kSoundNoDevice = 0x8AD00005;
inline constexpr SoundResult kSoundControlUnavailable = 0x8AD00006;
inline constexpr SoundResult kSoundInvalidCall = 0x8AD00007;  // e.g. a second Lock

// Buffer capability flags.
inline constexpr uint32_t kSoundCtrlVolume = 1;
inline constexpr uint32_t kSoundCtrlFrequency = 2;
// Status bits.
inline constexpr uint32_t kSoundStatusPlaying = 1;
inline constexpr uint32_t kSoundStatusLooping = 4;
// Lock flag: ignore offset and size, lock the whole buffer.
inline constexpr uint32_t kSoundLockEntireBuffer = 2;

// Volume in hundredths of a decibel.
inline constexpr int kSoundVolumeMax = 0;
inline constexpr int kSoundVolumeMin = -10000;  // silent
inline constexpr int kSoundFrequencyMin = 100;
inline constexpr int kSoundFrequencyMax = 200000;

struct PcmFormat {
    int rate = 22050;
    int channels = 1;  // 1 or 2
    int bits = 16;     // 8 (unsigned) or 16 (signed, little-endian)
    int BlockAlign() const { return channels * bits / 8; }
};

struct SoundBufferDesc {
    uint32_t flags = 0;  // kSoundCtrl* bits
    uint32_t bytes = 0;  // a whole number of frames
    PcmFormat format;
};

struct SoundBufferCaps {
    uint32_t flags = 0;
    uint32_t bytes = 0;
};

namespace sound_detail {
struct MixerCore;
struct PcmData;
}  // namespace sound_detail

class SoundBuffer {
public:
    ~SoundBuffer();
    SoundBuffer(const SoundBuffer&) = delete;
    SoundBuffer& operator=(const SoundBuffer&) = delete;

    // Plays from the current position; a play-once buffer stops at its end and goes back to 0.
    SoundResult Play(bool looping);
    SoundResult Stop();  // keeps the position
    SoundResult SetPosition(uint32_t byteOffset);
    // The mixer's read position; all bytes from the write cursor on may be rewritten.
    SoundResult GetPosition(uint32_t* playCursor, uint32_t* writeCursor) const;
    SoundResult GetStatus(uint32_t* status) const;
    SoundResult GetCaps(SoundBufferCaps* caps) const;
    SoundResult GetFormat(PcmFormat* format) const;

    // Needs kSoundCtrlVolume; -10000..0.
    SoundResult SetVolume(int hundredthsDb);
    SoundResult GetVolume(int* hundredthsDb) const;
    // Needs kSoundCtrlFrequency; 100..200000 Hz, or 0 for the format's own rate.
    SoundResult SetFrequency(int hz);
    SoundResult GetFrequency(int* hz) const;

    // Locks bytes from the offset, wrapping past the end into a second region (p2 null and
    // n2 0 when it does not wrap). The regions hold the current data; what is written there
    // reaches the buffer at Unlock. One lock at a time.
    SoundResult Lock(uint32_t offset, uint32_t bytes, void** p1, uint32_t* n1, void** p2,
                     uint32_t* n2, uint32_t flags = 0);
    // Stores the first n1 bytes of region 1 and n2 of region 2.
    SoundResult Unlock(void* p1, uint32_t n1, void* p2, uint32_t n2);

private:
    friend class SoundDevice;
    friend struct sound_detail::MixerCore;
    SoundBuffer(std::shared_ptr<sound_detail::MixerCore> core,
                std::shared_ptr<sound_detail::PcmData> pcm, uint32_t flags);

    std::shared_ptr<sound_detail::MixerCore> m_core;
    std::shared_ptr<sound_detail::PcmData> m_pcm;  // shared with duplicates
    uint32_t m_flags;
    // The fields below are guarded by the core's mutex.
    uint64_t m_position = 0;  // frames, 32.32 fixed point
    bool m_playing = false;
    bool m_looping = false;
    int m_volume = kSoundVolumeMax;
    float m_gain = 1.0f;
    int m_frequency;
    bool m_locked = false;
    uint32_t m_lockOffset = 0;
    uint32_t m_lockN1 = 0;
    uint32_t m_lockN2 = 0;
    std::vector<uint8_t> m_lockScratch;  // written by the lock holder only
};

class SoundDevice {
public:
    // Opens the default output through SDL (S16 stereo, 44,100 Hz or the device's rate).
    // SDL_AUDIODRIVER=dummy runs silently; disk writes the output to SDL_DISKAUDIOFILE.
    static SoundResult Open(std::unique_ptr<SoundDevice>* out);
    // A device with no output behind it: nothing plays until Mix is called by hand.
    static std::unique_ptr<SoundDevice> CreateOffline(int rate);
    ~SoundDevice();
    SoundDevice(const SoundDevice&) = delete;
    SoundDevice& operator=(const SoundDevice&) = delete;

    int Rate() const;
    bool HasOutput() const { return m_deviceId != 0; }

    SoundResult CreateBuffer(const SoundBufferDesc& desc, std::unique_ptr<SoundBuffer>* out);
    // A buffer sharing the original's PCM data, with its own position, status, volume and
    // frequency (starting from the original's volume and frequency). A null original gives
    // kSoundNoBuffer.
    SoundResult DuplicateBuffer(const SoundBuffer* original, std::unique_ptr<SoundBuffer>* out);

    // Mixes every playing buffer into interleaved S16 stereo frames at Rate(), advancing
    // their positions; the sum is scaled by kSoundMixHeadroom and never reaches full scale.
    // SDL's audio thread calls it; tests call it directly.
    void Mix(int16_t* out, int frames);

private:
    explicit SoundDevice(std::shared_ptr<sound_detail::MixerCore> core) : m_core(std::move(core)) {}

    std::shared_ptr<sound_detail::MixerCore> m_core;
    uint32_t m_deviceId = 0;
};

// Every mix is scaled by this, so that a few loud sounds at once still fit below full
// scale with their levels as set; a limiter takes down only what would still reach it.
inline constexpr float kSoundMixHeadroom = 0.5f;

// The gain factor of a volume in hundredths of a decibel: 1 at 0, 0 at -10000 and below.
float SoundGainFromVolume(int hundredthsDb);

}  // namespace platform
