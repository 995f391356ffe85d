#include "platform/Sound.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstring>

// 32 looping effects at 22,050 Hz mono, each at its own pitch, mixed to 44,100 Hz stereo in
// periods of 1,024 frames. "rt_share" is the mixing time over the sound time it produced.
static void BM_Mix32VoicesResampled(benchmark::State& state)
{
    auto device = platform::SoundDevice::CreateOffline(44100);
    const int frames = 22050;
    std::vector<int16_t> tone(frames);
    for (int i = 0; i < frames; ++i)
        tone[size_t(i)] = int16_t(std::lrint(3000.0 * std::sin(2.0 * M_PI * 330.0 * i / 22050.0)));
    std::unique_ptr<platform::SoundBuffer> source;
    device->CreateBuffer({platform::kSoundCtrlVolume | platform::kSoundCtrlFrequency, uint32_t(frames * 2),
                          {22050, 1, 16}},
                         &source);
    void *p1, *p2;
    uint32_t n1, n2;
    source->Lock(0, 0, &p1, &n1, &p2, &n2, platform::kSoundLockEntireBuffer);
    std::memcpy(p1, tone.data(), n1);
    source->Unlock(p1, n1, p2, n2);

    std::vector<std::unique_ptr<platform::SoundBuffer>> voices;
    for (int v = 0; v < 32; ++v) {
        std::unique_ptr<platform::SoundBuffer> copy;
        device->DuplicateBuffer(source.get(), &copy);
        copy->SetFrequency(16000 + v * 617);
        copy->SetVolume(-600 - v * 20);
        copy->Play(true);
        voices.push_back(std::move(copy));
    }

    const int period = 1024;
    std::vector<int16_t> out(2 * period);
    double mixSeconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        device->Mix(out.data(), period);
        mixSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        benchmark::DoNotOptimize(out.data());
    }
    const double soundSeconds = double(state.iterations()) * period / 44100.0;
    state.counters["rt_share"] = mixSeconds / soundSeconds;
    state.SetItemsProcessed(state.iterations() * period);
}
BENCHMARK(BM_Mix32VoicesResampled);
