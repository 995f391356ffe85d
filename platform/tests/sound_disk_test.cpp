#include "platform/Sound.h"

#include "tests/support/ScopedEnv.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace platform;

// The real device path: SDL's disk driver writes what the mixer produced to a file.
TEST(SoundDisk, TheOutputFileHoldsTheTonePlayed)
{
    const std::string path = (std::filesystem::current_path() / "sound_disk.raw").string();
    std::filesystem::remove(path);
    ScopedEnv driver("SDL_AUDIODRIVER", "disk");
    ScopedEnv file("SDL_DISKAUDIOFILE", path.c_str());

    std::unique_ptr<SoundDevice> device;
    ASSERT_EQ(SoundDevice::Open(&device), kSoundOk) << SDL_GetError();
    ASSERT_TRUE(device->HasOutput());
    const int rate = device->Rate();

    // Half a second of 441 Hz at amplitude 8000, 22,050 Hz mono, played once.
    const int frames = 11025;
    std::vector<int16_t> tone(frames);
    for (int i = 0; i < frames; ++i)
        tone[size_t(i)] = int16_t(std::lrint(8000.0 * std::sin(2.0 * M_PI * 441.0 * i / 22050.0)));
    std::unique_ptr<SoundBuffer> buffer;
    ASSERT_EQ(device->CreateBuffer({kSoundCtrlVolume, uint32_t(frames * 2), {22050, 1, 16}}, &buffer), kSoundOk);
    void *p1, *p2;
    uint32_t n1, n2;
    ASSERT_EQ(buffer->Lock(0, 0, &p1, &n1, &p2, &n2, kSoundLockEntireBuffer), kSoundOk);
    std::memcpy(p1, tone.data(), n1);
    ASSERT_EQ(buffer->Unlock(p1, n1, p2, n2), kSoundOk);
    ASSERT_EQ(buffer->Play(false), kSoundOk);

    uint32_t status = kSoundStatusPlaying;
    for (int waited = 0; waited < 5000 && (status & kSoundStatusPlaying); waited += 10) {
        SDL_Delay(10);
        buffer->GetStatus(&status);
    }
    EXPECT_EQ(status, 0u) << "the tone never finished playing";
    buffer.reset();
    device.reset();

    std::ifstream in(path, std::ios::binary);
    const std::vector<char> raw{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<int16_t> out(raw.size() / 2);
    std::memcpy(out.data(), raw.data(), out.size() * 2);
    ASSERT_GT(out.size(), size_t(rate));  // at least half a second of stereo

    // Find the tone: the stretch of non-silent left samples.
    size_t first = out.size(), last = 0;
    int peak = 0;
    for (size_t i = 0; i < out.size(); i += 2) {
        if (out[i] != 0) {
            first = std::min(first, i);
            last = i;
        }
        peak = std::max(peak, std::abs(int(out[i])));
        ASSERT_EQ(out[i], out[i + 1]) << "mono plays alike on both sides";
    }
    ASSERT_LT(first, last) << "the output is silent";
    EXPECT_NEAR(peak, 8000 * kSoundMixHeadroom, 100);
    const double seconds = double((last - first) / 2 + 1) / rate;
    EXPECT_NEAR(seconds, 0.5, 0.01);
    int crossings = 0;
    for (size_t i = first + 2; i <= last; i += 2)
        crossings += (out[i - 2] < 0) != (out[i] < 0);
    EXPECT_NEAR(crossings / seconds, 2 * 441.0, 20.0);
}
