// Sound effects may come from any tool: any bytes must be refused or read within bounds,
// and what is taken must make a buffer the device plays.
#include "audio/SampleManager.h"
#include "audio/SoundEngine.h"
#include "audio/WavLoader.h"
#include "framework/fuzz/FuzzRun.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzBeginRun();
    static const bool ready = [] {
        SoundEngine::Instance()->SetEnabled(true);
        return SampleManager::Instance()->Initialise(platform::SoundDevice::CreateOffline(44100));
    }();
    WaveData wave;
    if (!ready || !WavLoader::Parse(data, size, wave))
        return 0;
    SampleManager::Resample(wave);
    // The loader only takes formats the device can play.
    if (wave.frames > 0 && !SampleManager::Instance()->CreateSoundBuffer(wave, kSampleVolumeControl | kSampleFrequencyControl))
        __builtin_trap();
    return 0;
}
