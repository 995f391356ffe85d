#include "audio/TBMusic.h"

#include "audio/SampleManager.h"
#include "audio/SoundEngine.h"
#include "audio/StreamingSample.h"
#include "framework/Debug.h"
#include "framework/Random.h"
#include "framework/Settings.h"
#include "framework/StringUtil.h"

#include <algorithm>

namespace {

constexpr const char* kMenuMusic[3] = {
    "Audio\\%s\\Data\\music\\menuambience1.ogg",
    "Audio\\%s\\Data\\music\\menuambience2.ogg",
    "Audio\\%s\\Data\\music\\menuambience3.ogg",
};
constexpr const char* kIntroMusic[4] = {
    "Audio\\%s\\Data\\music\\china_intro.ogg",
    "Audio\\%s\\Data\\music\\egypt_intro.ogg",
    "Audio\\%s\\Data\\music\\africa_intro.ogg",
    "Audio\\%s\\Data\\music\\stadium_intro.ogg",
};
constexpr const char* kMainMusic[4] = {
    "Audio\\%s\\Data\\music\\china_main.ogg",
    "Audio\\%s\\Data\\music\\egypt_main.ogg",
    "Audio\\%s\\Data\\music\\africa_main.ogg",
    "Audio\\%s\\Data\\music\\stadium_main.ogg",
};
constexpr const char* kCrowdAmbience[4] = {
    "Audio\\%s\\Data\\crowd\\ambiences\\chinaambience.ogg",
    "Audio\\%s\\Data\\crowd\\ambiences\\egyptambience.ogg",
    "Audio\\%s\\Data\\crowd\\ambiences\\africarhinoambience.ogg",
    "Audio\\%s\\Data\\crowd\\ambiences\\africathestadiumambience.ogg",
};
constexpr const char* kSoundtracks[5] = {
    "Audio\\%s\\Data\\music\\pandaintrosoundtrack.ogg",
    "Audio\\%s\\Data\\music\\primateintrosoundtrack.ogg",
    "Audio\\%s\\Data\\music\\outrosoundtrack.ogg",
    "Audio\\%s\\Data\\music\\newspaper.ogg",
    "Audio\\%s\\Data\\music\\newspapersad.ogg",
};

constexpr int kMusicGroup = 0;
constexpr int kEffectsGroup = 1;

TBMusic::GameSizeSource& SizeSource()
{
    static TBMusic::GameSizeSource source;
    return source;
}

int GameSizeFromSettings()
{
    const std::string size = SettingsManager::Instance()->GetString("GameSize");
    if (size == "XS")
        return 0;
    if (size == "XL")
        return 1;
    if (size == "XXL")
        return 2;
    return -1;
}

std::string WithSizeFolder(const char* pattern)
{
    return FormatString(pattern, TBMusic::GetSizeFolder().c_str());
}

int LevelIndex(int level)
{
    return std::clamp(level - 1, 0, 3);
}

}  // namespace

void TBMusic::SetGameSizeSource(GameSizeSource source)
{
    SizeSource() = std::move(source);
}

int TBMusic::GetGameSize()
{
    return SizeSource() ? SizeSource()() : GameSizeFromSettings();
}

std::string TBMusic::GetSizeFolder()
{
    switch (GetGameSize()) {
    case 0:
        return "XS";
    case 1:
        return "XL";
    case 2:
        return "XXL";
    default:
        return std::string();
    }
}

StreamingSample* TBMusic::Valid(uint64_t& id)
{
    StreamingSample* stream = id ? SoundEngine::Instance()->FindStream(id) : nullptr;
    if (!stream)
        id = 0;
    return stream;
}

StreamingSample* TBMusic::Load(const std::string& file, int group, uint64_t& id)
{
    StreamingSample* stream = SoundEngine::Instance()->LoadStream(file);
    if (!stream)
        return nullptr;
    id = stream->GetStreamId();
    stream->SetSoundGroup(group);
    SoundEngine::Instance()->UpdateVolumes();
    return stream;
}

StreamingSample* TBMusic::GetMusic()
{
    return Valid(m_music);
}

StreamingSample* TBMusic::GetAmbience()
{
    return Valid(m_ambience);
}

bool TBMusic::HasMusic()
{
    return GetMusic() != nullptr;
}

void TBMusic::PlayStream(const std::string& file, int group, bool looped)
{
    StopMusic();
    StreamingSample* stream = Load(file, group, m_music);
    if (!stream)
        return;
    if (looped)
        stream->PlayLooped();
    else
        stream->Play();
}

void TBMusic::PlayAmbience(const std::string& file)
{
    StopAmbience();
    if (StreamingSample* stream = Load(file, kEffectsGroup, m_ambience))
        stream->PlayLooped();
}

void TBMusic::Release(uint64_t& id)
{
    if (StreamingSample* stream = Valid(id)) {
        stream->Stop();
        SoundEngine::Instance()->ReleaseStream(stream);
    }
    id = 0;
}

void TBMusic::StopMusic()
{
    Release(m_music);
}

void TBMusic::StopAmbience()
{
    Release(m_ambience);
}

void TBMusic::PlayMenuMusic()
{
    const int size = GetGameSize();
    const int variant = (size == 0 || size == 1) ? 0 : Random::Below(3);
    PlayStream(WithSizeFolder(kMenuMusic[variant]), kMusicGroup, true);
    StopAmbience();
}

void TBMusic::PlayIntroMusic(int level)
{
    const int index = LevelIndex(level);
    PlayStream(WithSizeFolder(kIntroMusic[index]), kMusicGroup, false);
    PlayAmbience(WithSizeFolder(kCrowdAmbience[index]));
}

void TBMusic::PlayMainMusic(int level, bool withAmbience)
{
    const int index = LevelIndex(level);
    PlayStream(WithSizeFolder(kMainMusic[index]), kMusicGroup, true);
    StreamingSample* ambience = GetAmbience();
    if (withAmbience && !(ambience && ambience->IsPlaying()))
        PlayAmbience(WithSizeFolder(kCrowdAmbience[index]));
}

void TBMusic::PlaySoundtrack(int index)
{
    if (index < 0 || index > 4) {
        LogWarning("TBMusic::PlaySoundtrack: no soundtrack %d\n", index);
        return;
    }
    PlayStream(WithSizeFolder(kSoundtracks[index]), kEffectsGroup, index >= 3);
    StopAmbience();
}
