// Plays a short effect fourteen times overlapping (the fourteenth steals the first
// instance), then an Ogg Vorbis file, through the sample manager.
//
//     play_sound [effect.wav [music.ogg]]
//
// Without arguments it writes its own "play_sound_effect.wav" and "play_sound_music.ogg"
// into the working folder. SDL_AUDIODRIVER=disk captures the output to SDL_DISKAUDIOFILE.

#include "audio/SampleManager.h"
#include "audio/SoundEngine.h"
#include "audio/encode/SoundFiles.h"
#include "framework/Debug.h"
#include "platform/Platform.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace {

// A plucked tone that fades out: 0.4 s at 22,050 Hz mono.
std::vector<uint8_t> MakeEffect()
{
    const int rate = 22050, frames = rate * 2 / 5;
    std::vector<int16_t> samples(frames);
    for (int i = 0; i < frames; ++i) {
        const double t = double(i) / rate;
        const double v = std::sin(2 * M_PI * 660 * t) + 0.5 * std::sin(2 * M_PI * 990 * t);
        samples[size_t(i)] = int16_t(std::lrint(9000 * v * std::exp(-t * 8)));
    }
    sound_files::WavSpec spec;
    spec.rate = rate;
    spec.pcm = sound_files::ToBytes(samples);
    return sound_files::MakeWav(spec);
}

// Two seconds of a slow major arpeggio, 44,100 Hz stereo.
std::vector<uint8_t> MakeMusic()
{
    const int rate = 44100, frames = rate * 2;
    const double notes[] = {261.63, 329.63, 392.0, 523.25};
    std::vector<int16_t> samples(size_t(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        const double t = double(i) / rate;
        const int n = int(t * 4) % 4;
        const double local = t - std::floor(t * 4) / 4;
        const double v = 7000 * std::sin(2 * M_PI * notes[n] * t) * std::exp(-local * 6);
        samples[size_t(i) * 2] = int16_t(std::lrint(v));
        samples[size_t(i) * 2 + 1] = int16_t(std::lrint(v * 0.8));
    }
    return sound_files::EncodeOgg(samples, 2, rate);
}

void WaitWhilePlaying(Sample* sample, double maxSeconds)
{
    for (double waited = 0; sample->IsPlaying() && waited < maxSeconds; waited += 0.02)
        platform::Sleep(20);
}

}  // namespace

int main(int argc, char** argv)
{
    std::string effect = argc > 1 ? argv[1] : "play_sound_effect.wav";
    std::string music = argc > 2 ? argv[2] : "play_sound_music.ogg";
    if (argc <= 1 && !sound_files::WriteFile(effect, MakeEffect())) {
        std::fprintf(stderr, "play_sound: cannot write %s\n", effect.c_str());
        return 1;
    }
    if (argc <= 2 && !sound_files::WriteFile(music, MakeMusic())) {
        std::fprintf(stderr, "play_sound: cannot write %s\n", music.c_str());
        return 1;
    }

    SoundEngine::Instance()->SetEnabled(true);
    SampleManager* manager = SampleManager::Instance();
    if (!manager->Initialise()) {
        std::fprintf(stderr, "play_sound: no audio device\n");
        return 1;
    }
    std::printf("play_sound: device at %d Hz\n", manager->GetDevice()->Rate());

    if (!manager->LoadEffectSamples("effect", effect, kSampleVolumeControl | kSampleFrequencyControl)) {
        std::fprintf(stderr, "play_sound: cannot load %s\n", effect.c_str());
        return 1;
    }
    Sample* last = nullptr;
    for (int i = 0; i < 14; ++i) {
        last = manager->GetFreeInstance("effect");
        if (!last)
            break;
        last->SetVolume(0.5f);
        // Rising pitch, so each use can be told apart.
        last->SetFrequency(int(last->GetBaseFrequency() * std::pow(2.0, i / 12.0)));
        last->Play();
        platform::Sleep(70);
    }
    if (last)
        WaitWhilePlaying(last, 2.0);

    std::unique_ptr<Sample> song = manager->Load("music", music, kSampleVolumeControl);
    if (!song || !song->GetBuffer()) {
        std::fprintf(stderr, "play_sound: cannot load %s\n", music.c_str());
        return 1;
    }
    song->SetVolume(0.8f);
    song->Play();
    WaitWhilePlaying(song.get(), 30.0);

    song.reset();
    SampleManager::DestroyInstance();
    std::printf("play_sound: done, %d errors\n", Debug::Instance()->GetErrorCount());
    return Debug::Instance()->GetErrorCount() == 0 ? 0 : 1;
}
