#include "platform/Sound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <set>
#include <thread>

using namespace platform;

namespace {

std::unique_ptr<SoundBuffer> MakeBuffer(SoundDevice& device, const std::vector<int16_t>& samples,
                                        int rate, int channels, uint32_t flags = kSoundCtrlVolume | kSoundCtrlFrequency)
{
    SoundBufferDesc desc;
    desc.flags = flags;
    desc.bytes = uint32_t(samples.size() * 2);
    desc.format = {rate, channels, 16};
    std::unique_ptr<SoundBuffer> buffer;
    EXPECT_EQ(device.CreateBuffer(desc, &buffer), kSoundOk);
    if (!buffer)
        return buffer;
    void *p1, *p2;
    uint32_t n1, n2;
    EXPECT_EQ(buffer->Lock(0, 0, &p1, &n1, &p2, &n2, kSoundLockEntireBuffer), kSoundOk);
    EXPECT_EQ(n1, desc.bytes);
    EXPECT_EQ(n2, 0u);
    std::memcpy(p1, samples.data(), n1);
    EXPECT_EQ(buffer->Unlock(p1, n1, p2, n2), kSoundOk);
    return buffer;
}

std::vector<int16_t> Mix(SoundDevice& device, int frames)
{
    std::vector<int16_t> out(size_t(frames) * 2, 12345);
    device.Mix(out.data(), frames);
    return out;
}

std::vector<int16_t> Ramp(int n, int start, int step)
{
    std::vector<int16_t> v;
    for (int i = 0; i < n; ++i)
        v.push_back(int16_t(start + i * step));
    return v;
}

}  // namespace

TEST(SoundMixer, HalfVolumeSampleBySample)
{
    auto device = SoundDevice::CreateOffline(22050);
    std::vector<int16_t> mono = Ramp(300, -30000, 200);
    auto buffer = MakeBuffer(*device, mono, 22050, 1);
    ASSERT_EQ(buffer->SetVolume(-602), kSoundOk);
    ASSERT_EQ(buffer->Play(false), kSoundOk);
    const std::vector<int16_t> out = Mix(*device, 400);
    for (int i = 0; i < 300; ++i) {
        ASSERT_NEAR(out[2 * i], mono[i] / 2.0 * kSoundMixHeadroom, 1.0) << i;
        ASSERT_EQ(out[2 * i + 1], out[2 * i]) << i;
    }
    // Played once: silence after the end, stopped, back at the start.
    for (int i = 300; i < 400; ++i)
        ASSERT_EQ(out[2 * i], 0) << i;
    uint32_t status = 99, play = 99;
    buffer->GetStatus(&status);
    buffer->GetPosition(&play, nullptr);
    EXPECT_EQ(status, 0u);
    EXPECT_EQ(play, 0u);
}

TEST(SoundMixer, StereoChannelsStaySeparateAndVoicesAdd)
{
    auto device = SoundDevice::CreateOffline(44100);
    std::vector<int16_t> stereo;
    for (int i = 0; i < 100; ++i) {
        stereo.push_back(int16_t(1000 + i));
        stereo.push_back(int16_t(-2000 - i));
    }
    auto a = MakeBuffer(*device, stereo, 44100, 2);
    auto b = MakeBuffer(*device, std::vector<int16_t>(100, 500), 44100, 1);
    auto loud = MakeBuffer(*device, std::vector<int16_t>(100, 30000), 44100, 1);
    a->Play(false);
    b->Play(false);
    std::vector<int16_t> out = Mix(*device, 100);
    for (int i = 0; i < 100; ++i) {
        ASSERT_NEAR(out[2 * i], (1500 + i) * kSoundMixHeadroom, 0.5);
        ASSERT_NEAR(out[2 * i + 1], (-1500 - i) * kSoundMixHeadroom, 0.5);
    }
    // Within the headroom a sum past full scale keeps its level.
    a->SetPosition(0);
    a->Play(false);
    b->Stop();
    loud->Play(false);
    out = Mix(*device, 10);
    EXPECT_EQ(out[0], 31000 * kSoundMixHeadroom);
    EXPECT_EQ(out[1], 28000 * kSoundMixHeadroom);
}

TEST(SoundMixer, ALoudSumIsLimitedBelowFullScaleAndTheLevelReturnsAfterIt)
{
    // Voices at once, their level, and whether the right channel carries a third of it.
    const struct {
        int voices;
        int16_t level;
        bool stereo;
    } cases[] = {{3, 30000, false}, {8, 32767, false}, {8, -32768, false}, {40, 20000, false}, {4, 30000, true}};
    for (const auto& c : cases) {
        auto device = SoundDevice::CreateOffline(44100);
        auto quiet = MakeBuffer(*device, std::vector<int16_t>(100, 1000), 44100, 1);
        quiet->Play(true);
        // The loud voices begin a little after the quiet one, within the same period.
        constexpr int kLead = 20;
        std::vector<int16_t> pcm(size_t(kLead * (c.stereo ? 2 : 1)), 0);
        for (int i = 0; i < 4410; ++i) {
            pcm.push_back(c.level);
            if (c.stereo)
                pcm.push_back(int16_t(c.level / 3));
        }
        std::vector<std::unique_ptr<SoundBuffer>> loud;
        for (int v = 0; v < c.voices; ++v) {
            loud.push_back(MakeBuffer(*device, pcm, 44100, c.stereo ? 2 : 1));
            loud.back()->Play(false);
        }
        const std::vector<int16_t> during = Mix(*device, 4410);
        // The gain falls ahead of the peak, from the first frame on, not at once on it.
        EXPECT_LT(during[0], 1000 * kSoundMixHeadroom - 10) << c.voices;
        int peak = 0;
        for (size_t i = 0; i < during.size(); i += 2) {
            peak = std::max({peak, std::abs(int(during[i])), std::abs(int(during[i + 1]))});
            // One gain for both sides: the picture does not move.
            const bool loud = c.stereo && i / 2 >= size_t(kLead);
            const double right = loud ? (c.voices * (c.level / 3) + 1000.0) / (c.voices * c.level + 1000.0) : 1.0;
            ASSERT_NEAR(during[i + 1], during[i] * right, 2.0) << c.voices << " frame " << i / 2;
        }
        EXPECT_LT(peak, 32767) << c.voices;
        EXPECT_GT(peak, 30000) << c.voices << ": limited, not silenced";

        // A second and a half later the quiet voice is back at its own level.
        Mix(*device, 66150);
        EXPECT_NEAR(Mix(*device, 10)[0], 1000 * kSoundMixHeadroom, 2.0) << c.voices;
    }
}

TEST(SoundMixer, SilentVolumeAndEightBitData)
{
    auto device = SoundDevice::CreateOffline(8000);
    SoundBufferDesc desc{kSoundCtrlVolume, 4, {8000, 1, 8}};
    std::unique_ptr<SoundBuffer> buffer;
    ASSERT_EQ(device->CreateBuffer(desc, &buffer), kSoundOk);
    void *p1, *p2;
    uint32_t n1, n2;
    ASSERT_EQ(buffer->Lock(0, 4, &p1, &n1, &p2, &n2), kSoundOk);
    const uint8_t bytes[4] = {128, 255, 0, 192};
    std::memcpy(p1, bytes, 4);
    buffer->Unlock(p1, n1, p2, n2);
    buffer->Play(false);
    std::vector<int16_t> out = Mix(*device, 4);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[2], 127 * 256 * kSoundMixHeadroom);
    EXPECT_EQ(out[4], -128 * 256 * kSoundMixHeadroom);
    EXPECT_EQ(out[6], 64 * 256 * kSoundMixHeadroom);

    buffer->SetVolume(kSoundVolumeMin);
    buffer->Play(true);
    out = Mix(*device, 4);
    for (int16_t s : out)
        EXPECT_EQ(s, 0);
}

TEST(SoundMixer, ResamplesToTheDeviceRateAndFollowsFrequencyChanges)
{
    auto device = SoundDevice::CreateOffline(44100);
    std::vector<int16_t> mono = Ramp(1000, 0, 20);
    auto buffer = MakeBuffer(*device, mono, 22050, 1);
    buffer->Play(true);
    std::vector<int16_t> out = Mix(*device, 200);
    for (int i = 0; i < 200; ++i)
        ASSERT_NEAR(out[2 * i], 10 * i * kSoundMixHeadroom, 1) << i;  // half steps between the samples
    uint32_t play = 0, write = 0;
    buffer->GetPosition(&play, &write);
    EXPECT_EQ(play, 100u * 2);
    EXPECT_GE(write, play);

    ASSERT_EQ(buffer->SetFrequency(88200), kSoundOk);
    Mix(*device, 100);
    buffer->GetPosition(&play, nullptr);
    EXPECT_EQ(play, 300u * 2);
    int hz = 0;
    buffer->GetFrequency(&hz);
    EXPECT_EQ(hz, 88200);
    ASSERT_EQ(buffer->SetFrequency(0), kSoundOk);  // back to the format's rate
    buffer->GetFrequency(&hz);
    EXPECT_EQ(hz, 22050);
    EXPECT_EQ(buffer->SetFrequency(50), kSoundInvalidParam);
    EXPECT_EQ(buffer->SetFrequency(kSoundFrequencyMax + 1), kSoundInvalidParam);

    // Looping wraps to the start: 1,000 frames, 700 more output frames at step 2 pass the end.
    buffer->SetFrequency(88200);
    out = Mix(*device, 400);
    buffer->GetPosition(&play, nullptr);
    EXPECT_EQ(play, (300u + 800u - 1000u) * 2);
    uint32_t status = 0;
    buffer->GetStatus(&status);
    EXPECT_EQ(status, kSoundStatusPlaying | kSoundStatusLooping);
}

TEST(SoundBuffer, LockWrapsAroundTheEnd)
{
    auto device = SoundDevice::CreateOffline(22050);
    auto buffer = MakeBuffer(*device, Ramp(32, 0, 1), 22050, 1);  // 64 bytes
    void *p1 = nullptr, *p2 = nullptr;
    uint32_t n1 = 0, n2 = 0;
    ASSERT_EQ(buffer->Lock(48, 32, &p1, &n1, &p2, &n2), kSoundOk);
    ASSERT_EQ(n1, 16u);
    ASSERT_EQ(n2, 16u);
    ASSERT_NE(p2, nullptr);
    // The regions show the current data: samples 24.. and 0..
    int16_t s;
    std::memcpy(&s, p1, 2);
    EXPECT_EQ(s, 24);
    std::memcpy(&s, p2, 2);
    EXPECT_EQ(s, 0);
    EXPECT_EQ(buffer->Lock(0, 8, &p1, &n1, &p2, &n2), kSoundInvalidCall);  // one lock at a time
    std::memset(p1, 0x11, n1);
    std::memset(p2, 0x22, n2);
    ASSERT_EQ(buffer->Unlock(p1, n1, p2, n2), kSoundOk);
    EXPECT_EQ(buffer->Unlock(p1, n1, p2, n2), kSoundInvalidCall);

    ASSERT_EQ(buffer->Lock(0, 0, &p1, &n1, &p2, &n2, kSoundLockEntireBuffer), kSoundOk);
    const auto* bytes = static_cast<const uint8_t*>(p1);
    for (uint32_t i = 0; i < 64; ++i) {
        const uint8_t expected = i < 16 ? 0x22 : i >= 48 ? 0x11 : uint8_t(i % 2 ? 0 : i / 2);
        ASSERT_EQ(bytes[i], expected) << i;
    }
    // Storing less than was locked leaves the rest as it was.
    std::memset(p1, 0x33, 64);
    ASSERT_EQ(buffer->Unlock(p1, 2, nullptr, 0), kSoundOk);
    ASSERT_EQ(buffer->Lock(0, 4, &p1, &n1, &p2, &n2), kSoundOk);
    EXPECT_EQ(static_cast<const uint8_t*>(p1)[1], 0x33);
    EXPECT_EQ(static_cast<const uint8_t*>(p1)[2], 0x22);
    EXPECT_EQ(p2, nullptr);
    EXPECT_EQ(n2, 0u);
    EXPECT_EQ(buffer->Unlock(p1, n1 + 1, nullptr, 0), kSoundInvalidParam);
    ASSERT_EQ(buffer->Unlock(p1, n1, nullptr, 0), kSoundOk);

    EXPECT_EQ(buffer->Lock(64, 4, &p1, &n1, &p2, &n2), kSoundInvalidParam);
    EXPECT_EQ(buffer->Lock(0, 65, &p1, &n1, &p2, &n2), kSoundInvalidParam);
    EXPECT_EQ(buffer->Lock(0, 0, &p1, &n1, &p2, &n2), kSoundInvalidParam);
    EXPECT_EQ(buffer->Lock(60, 8, &p1, &n1, nullptr, nullptr), kSoundInvalidParam);
}

TEST(SoundBuffer, DuplicatesShareDataButNotTheirState)
{
    auto device = SoundDevice::CreateOffline(22050);
    auto original = MakeBuffer(*device, std::vector<int16_t>(100, 1000), 22050, 1);
    original->SetVolume(-602);
    std::unique_ptr<SoundBuffer> copy;
    ASSERT_EQ(device->DuplicateBuffer(original.get(), &copy), kSoundOk);
    int volume = 1;
    copy->GetVolume(&volume);
    EXPECT_EQ(volume, -602);
    copy->SetVolume(0);
    copy->SetFrequency(11025);
    original->GetVolume(&volume);
    EXPECT_EQ(volume, -602);

    // New data written through the original is heard through the copy.
    void *p1, *p2;
    uint32_t n1, n2;
    ASSERT_EQ(original->Lock(0, 0, &p1, &n1, &p2, &n2, kSoundLockEntireBuffer), kSoundOk);
    for (uint32_t i = 0; i < n1 / 2; ++i) {
        const int16_t v = 2000;
        std::memcpy(static_cast<uint8_t*>(p1) + 2 * i, &v, 2);
    }
    original->Unlock(p1, n1, p2, n2);
    copy->Play(false);
    std::vector<int16_t> out = Mix(*device, 10);
    EXPECT_EQ(out[0], 2000 * kSoundMixHeadroom);
    uint32_t play = 0, status = 0;
    copy->GetPosition(&play, nullptr);
    EXPECT_EQ(play, 5u * 2);
    original->GetPosition(&play, nullptr);
    original->GetStatus(&status);
    EXPECT_EQ(play, 0u);
    EXPECT_EQ(status, 0u);

    std::unique_ptr<SoundBuffer> none;
    EXPECT_EQ(device->DuplicateBuffer(nullptr, &none), kSoundNoBuffer);
    EXPECT_EQ(none, nullptr);
}

TEST(SoundBuffer, CapabilitiesFormatsAndControls)
{
    auto device = SoundDevice::CreateOffline(22050);
    auto plain = MakeBuffer(*device, std::vector<int16_t>(10, 0), 22050, 2, 0);
    SoundBufferCaps caps;
    ASSERT_EQ(plain->GetCaps(&caps), kSoundOk);
    EXPECT_EQ(caps.flags, 0u);
    EXPECT_EQ(caps.bytes, 20u);
    EXPECT_EQ(plain->SetVolume(-100), kSoundControlUnavailable);
    EXPECT_EQ(plain->SetFrequency(11025), kSoundControlUnavailable);
    EXPECT_EQ(plain->SetPosition(20), kSoundInvalidParam);
    EXPECT_EQ(plain->SetPosition(7), kSoundOk);
    uint32_t play = 0;
    plain->GetPosition(&play, nullptr);
    EXPECT_EQ(play, 4u);  // whole frames

    auto controlled = MakeBuffer(*device, std::vector<int16_t>(10, 0), 22050, 1);
    EXPECT_EQ(controlled->SetVolume(1), kSoundInvalidParam);
    EXPECT_EQ(controlled->SetVolume(-10001), kSoundInvalidParam);

    std::unique_ptr<SoundBuffer> bad;
    EXPECT_EQ(device->CreateBuffer({0, 30, {22050, 3, 16}}, &bad), kSoundBadFormat);
    EXPECT_EQ(device->CreateBuffer({0, 30, {22050, 1, 12}}, &bad), kSoundBadFormat);
    EXPECT_EQ(device->CreateBuffer({0, 30, {0, 1, 16}}, &bad), kSoundBadFormat);
    EXPECT_EQ(device->CreateBuffer({0, 0, {22050, 1, 16}}, &bad), kSoundInvalidParam);
    EXPECT_EQ(device->CreateBuffer({0, 3, {22050, 1, 16}}, &bad), kSoundInvalidParam);
    EXPECT_EQ(bad, nullptr);
}

TEST(SoundBuffer, OutlivesItsDevice)
{
    auto device = SoundDevice::CreateOffline(22050);
    auto buffer = MakeBuffer(*device, std::vector<int16_t>(10, 5), 22050, 1);
    device.reset();
    EXPECT_EQ(buffer->Play(true), kSoundOk);
    uint32_t status = 0;
    buffer->GetStatus(&status);
    EXPECT_EQ(status, kSoundStatusPlaying | kSoundStatusLooping);
}

TEST(SoundBuffer, MixingOnAnotherThreadWhileTheGameThreadWrites)
{
    auto device = SoundDevice::CreateOffline(44100);
    auto buffer = MakeBuffer(*device, std::vector<int16_t>(4410, 0), 22050, 1);
    buffer->Play(true);
    std::atomic<bool> stop{false};
    std::thread mixer([&] {
        std::vector<int16_t> out(2 * 256);
        while (!stop.load())
            device->Mix(out.data(), 256);
    });
    // Writes go on until they have seen the mixer move the cursor (or for ten seconds).
    std::set<uint32_t> cursors;
    uint32_t lastPlay = 0;
    int i = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (; i < 300 || (cursors.size() < 2 && std::chrono::steady_clock::now() < deadline); ++i) {
        uint32_t play = 0;
        buffer->GetPosition(&play, nullptr);
        void *p1, *p2;
        uint32_t n1, n2;
        ASSERT_EQ(buffer->Lock(play, 4000, &p1, &n1, &p2, &n2), kSoundOk);
        std::memset(p1, i & 0xff, n1);
        if (p2)
            std::memset(p2, i & 0xff, n2);
        ASSERT_EQ(buffer->Unlock(p1, n1, p2, n2), kSoundOk);
        buffer->SetVolume(-(i % 100) * 10);
        std::unique_ptr<SoundBuffer> copy;
        device->DuplicateBuffer(buffer.get(), &copy);
        copy->Play(false);
        cursors.insert(play);
        lastPlay = play;
    }
    stop = true;
    mixer.join();

    EXPECT_GT(cursors.size(), 1u);  // the cursor moved while the writes went on
    for (uint32_t cursor : cursors)
        EXPECT_EQ(cursor % 2, 0u) << cursor;  // whole frames only
    int volume = 1;
    buffer->GetVolume(&volume);
    EXPECT_EQ(volume, -((i - 1) % 100) * 10);
    // The mixer only reads: the last write is there whole.
    void *p1, *p2;
    uint32_t n1, n2;
    ASSERT_EQ(buffer->Lock(lastPlay, 4000, &p1, &n1, &p2, &n2), kSoundOk);
    std::vector<uint8_t> last(static_cast<uint8_t*>(p1), static_cast<uint8_t*>(p1) + n1);
    if (p2)
        last.insert(last.end(), static_cast<uint8_t*>(p2), static_cast<uint8_t*>(p2) + n2);
    buffer->Unlock(p1, 0, p2, 0);
    EXPECT_EQ(last, std::vector<uint8_t>(4000, uint8_t((i - 1) & 0xff)));
}
