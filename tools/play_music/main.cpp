// Plays the default sound data through the sound engine: menu music looping, a level's
// intro that stops by itself, the crowd ambience carrying on into the main music, and
// named sound events with their random variants.
//
//     play_music [game folder]
//
// The game folder holds "data" (the packed "data/Turfbolt.dat", or the loose "data/pc"
// files); by default the working folder. SDL_AUDIODRIVER=disk captures the output to
// SDL_DISKAUDIOFILE, and the capture is then checked for clipping. The exit code is 0 when
// everything played as it should.

#include "audio/SampleManager.h"
#include "audio/SfxLoaderUtil.h"
#include "audio/SoundEngine.h"
#include "audio/StreamingSample.h"
#include "audio/TBMusic.h"
#include "audio/Voice.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "framework/Random.h"
#include "framework/Settings.h"
#include "framework/StringUtil.h"
#include "platform/Platform.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

int g_failures = 0;

void Check(bool ok, const char* what)
{
    std::printf("play_music: %s: %s\n", what, ok ? "yes" : "NO");
    if (!ok)
        ++g_failures;
}

// Runs the engine's frame update for a while, as the game state does.
void Run(double seconds)
{
    for (double t = 0; t < seconds; t += 0.02) {
        SoundEngine::Instance()->Update(0.02f);
        platform::Sleep(20);
    }
}

template <class Condition>
bool RunUntil(Condition condition, double seconds)
{
    for (double t = 0; t < seconds; t += 0.02) {
        if (condition())
            return true;
        SoundEngine::Instance()->Update(0.02f);
        platform::Sleep(20);
    }
    return condition();
}

// With the disk driver the mixed output lies in a file once the device is closed: no
// sample of it may reach full scale, where the mixer clips.
void CheckClipping()
{
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    const char* file = std::getenv("SDL_DISKAUDIOFILE");
    if (!driver || std::strcmp(driver, "disk") != 0 || !file)
        return;
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> raw{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<int16_t> samples(raw.size() / 2);
    std::memcpy(samples.data(), raw.data(), samples.size() * 2);
    int peak = 0;
    size_t clipped = 0;
    for (int16_t v : samples) {
        peak = std::max(peak, std::abs(int(v)));
        clipped += v == INT16_MAX || v == INT16_MIN;
    }
    std::printf("play_music: output peak %d (%.1f dBFS), %zu samples at full scale\n", peak,
                20.0 * std::log10(std::max(peak, 1) / 32768.0), clipped);
    Check(!samples.empty() && clipped == 0, "the mixed output never clips");
}

void PlayEvent(const char* name)
{
    Voice* voice = SoundEngine::Instance()->Play(name, true);
    const AudioEvent* event = voice ? voice->GetEvent() : nullptr;
    std::printf("play_music: event %s -> %s\n", name, event ? event->eventName.c_str() : "(none)");
    if (!voice) {
        ++g_failures;
        return;
    }
    voice->Start();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1) {
        std::error_code ec;
        std::filesystem::current_path(argv[1], ec);
        if (ec) {
            std::fprintf(stderr, "play_music: no folder %s\n", argv[1]);
            return 2;
        }
    }
    Debug::Instance()->Initialise();
    FileSystem* files = FileSystem::Instance();
    if (std::filesystem::exists("data/Turfbolt.dat"))
        files->AddDataFile("data\\Turfbolt.dat", false);
    SettingsManager::Instance()->LoadSettings("data\\pc\\config.txt");
    std::string project = SettingsManager::Instance()->GetString("ProjectPath");
    files->AddAlias("<PP>", project.empty() ? "data\\pc\\" : project.c_str());

    SoundEngine* engine = SoundEngine::Instance();
    engine->Init();
    if (!SampleManager::Instance()->Initialise()) {
        std::fprintf(stderr, "play_music: no audio device\n");
        return 1;
    }
    engine->SetEnabled(true);
    const std::string size = TBMusic::GetSizeFolder();
    std::printf("play_music: size folder \"%s\", device at %d Hz\n", size.c_str(),
                SampleManager::Instance()->GetDevice()->Rate());
    SfxLoaderUtil::LoadSoundEffects(FormatString("<PP>Audio\\%s\\Definitions\\menu.txt", size.c_str()),
                                    FormatString("<PP>Audio\\%s\\Data\\", size.c_str()));
    SfxLoaderUtil::LoadSoundEffects(FormatString("<PP>Audio\\%s\\Definitions\\game.txt", size.c_str()),
                                    FormatString("<PP>Audio\\%s\\Data\\", size.c_str()));
    std::printf("play_music: %d sound events\n", engine->GetEventCount());

    TBMusic* music = TBMusic::Instance();
    Random::Seed(7);
    music->PlayMenuMusic();
    Check(music->HasMusic(), "menu music plays");
    // Longer than the piece, so it has to loop.
    Run(7.0);
    Check(music->GetMusic() && music->GetMusic()->IsPlaying(), "menu music still playing after looping");

    music->PlayIntroMusic(2);
    StreamingSample* ambience = music->GetAmbience();
    Check(music->HasMusic() && ambience, "intro music and crowd ambience play");
    Check(RunUntil([music] { return music->GetMusic() && !music->GetMusic()->IsPlaying(); }, 20.0),
          "intro stopped by itself");

    music->PlayMainMusic(2, true);
    Check(music->HasMusic(), "main music plays");
    Check(music->GetAmbience() == ambience && ambience && ambience->IsPlaying(),
          "crowd ambience carried on into the main music");
    Run(2.0);

    for (const char* name : {"whistle_long", "shot", "shot", "shot", "run", "run", "run", "crowd_cheer_high",
                             "crowd_cheer_high", "menuselect", "whistle_short"}) {
        PlayEvent(name);
        Run(0.6);
    }
    Run(2.0);

    music->StopMusic();
    music->StopAmbience();
    engine->Exit();
    SampleManager::DestroyInstance();
    CheckClipping();
    const int errors = Debug::Instance()->GetErrorCount();
    std::printf("play_music: done, %d errors, %d failures\n", errors, g_failures);
    return errors == 0 && g_failures == 0 ? 0 : 1;
}
