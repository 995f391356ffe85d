#include "audio/StreamingSample.h"
#include "audio/TBMusic.h"
#include "framework/FileSystem.h"
#include "framework/Random.h"
#include "framework/Settings.h"

#include "support/ManagerFixture.h"

#include <filesystem>
#include <set>

namespace {

class MusicTest : public ManagerFixture {
protected:
    void SetUp() override
    {
        ManagerFixture::SetUp();
        FileSystem::Instance()->AddAlias("<PP>", "data\\pc\\");
        StreamingSample::SetManualTimer(true);
        StreamingSample::SetStartWaitLimit(std::chrono::milliseconds(0));
        TBMusic::DestroyInstance();
        TBMusic::SetGameSizeSource([this] { return size; });
        const std::vector<uint8_t> ogg =
            fixtures::EncodeOgg(fixtures::Tone(4410, 1, 22050, 330.0, 6000), 1, 22050);
        for (const char* folder : {"XS", "XXL"}) {
            const std::string music = std::string("data/pc/Audio/") + folder + "/Data/music/";
            const std::string crowd = std::string("data/pc/Audio/") + folder + "/Data/crowd/ambiences/";
            for (const char* name : {"menuambience1", "menuambience2", "menuambience3", "china_intro", "egypt_intro",
                                     "africa_intro", "stadium_intro", "china_main", "egypt_main", "africa_main",
                                     "stadium_main", "pandaintrosoundtrack", "primateintrosoundtrack",
                                     "outrosoundtrack", "newspaper", "newspapersad"})
                ASSERT_TRUE(fixtures::WriteFile(music + name + ".ogg", ogg));
            for (const char* name : {"chinaambience", "egyptambience", "africarhinoambience",
                                     "africathestadiumambience"})
                ASSERT_TRUE(fixtures::WriteFile(crowd + name + ".ogg", ogg));
        }
    }
    void TearDown() override
    {
        TBMusic::DestroyInstance();
        TBMusic::SetGameSizeSource(nullptr);
        SoundEngine::Instance()->DestroyVoices();
        StreamingSample::SetManualTimer(false);
        StreamingSample::SetStartWaitLimit(std::chrono::milliseconds(500));
        SettingsManager::DestroyInstance();
        ManagerFixture::TearDown();
    }

    static std::string File(StreamingSample* stream) { return stream ? stream->GetFileName() : "(none)"; }
    TBMusic* music() { return TBMusic::Instance(); }

    int size = 2;
};

}  // namespace

TEST_F(MusicTest, IntroAndMainMusicClampTheLevel)
{
    music()->PlayIntroMusic(0);
    EXPECT_EQ(File(music()->GetMusic()), "Audio\\XXL\\Data\\music\\china_intro.ogg");
    EXPECT_EQ(File(music()->GetAmbience()), "Audio\\XXL\\Data\\crowd\\ambiences\\chinaambience.ogg");
    EXPECT_TRUE(music()->GetMusic()->IsPlayOnce());
    EXPECT_EQ(music()->GetMusic()->GetSoundGroup(), 0);
    EXPECT_FALSE(music()->GetAmbience()->IsPlayOnce());
    EXPECT_EQ(music()->GetAmbience()->GetSoundGroup(), 1);

    music()->PlayIntroMusic(9);
    EXPECT_EQ(File(music()->GetMusic()), "Audio\\XXL\\Data\\music\\stadium_intro.ogg");
    EXPECT_EQ(File(music()->GetAmbience()), "Audio\\XXL\\Data\\crowd\\ambiences\\africathestadiumambience.ogg");
    EXPECT_EQ(SoundEngine::Instance()->GetStreamCount(), 2);  // the earlier pair was released

    music()->PlayMainMusic(-3, false);
    EXPECT_EQ(File(music()->GetMusic()), "Audio\\XXL\\Data\\music\\china_main.ogg");
    EXPECT_FALSE(music()->GetMusic()->IsPlayOnce());
    EXPECT_TRUE(music()->HasMusic());
    music()->StopMusic();
    EXPECT_FALSE(music()->HasMusic());
}

TEST_F(MusicTest, MenuMusicVariesOnlyForTheLargestSize)
{
    std::set<std::string> played;
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        Random::Seed(seed);
        music()->PlayMenuMusic();
        played.insert(File(music()->GetMusic()));
    }
    EXPECT_EQ(played.size(), 3u);

    size = 0;
    music()->PlayIntroMusic(1);
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        Random::Seed(seed);
        music()->PlayMenuMusic();
        EXPECT_EQ(File(music()->GetMusic()), "Audio\\XS\\Data\\music\\menuambience1.ogg");
        EXPECT_EQ(music()->GetAmbience(), nullptr);
    }
}

TEST_F(MusicTest, ASoundtrackPlaysOnceAndStopsTheAmbience)
{
    music()->PlayIntroMusic(2);
    ASSERT_NE(music()->GetAmbience(), nullptr);
    music()->PlaySoundtrack(1);
    EXPECT_EQ(File(music()->GetMusic()), "Audio\\XXL\\Data\\music\\primateintrosoundtrack.ogg");
    EXPECT_TRUE(music()->GetMusic()->IsPlayOnce());
    EXPECT_TRUE(music()->GetMusic()->IsPlaying());
    EXPECT_EQ(music()->GetAmbience(), nullptr);
    EXPECT_EQ(SoundEngine::Instance()->GetStreamCount(), 1);

    music()->PlaySoundtrack(4);
    EXPECT_EQ(File(music()->GetMusic()), "Audio\\XXL\\Data\\music\\newspapersad.ogg");
    EXPECT_FALSE(music()->GetMusic()->IsPlayOnce());

    audiotest::LogCapture log;
    music()->PlaySoundtrack(5);
    EXPECT_TRUE(log.Contains("TBMusic::PlaySoundtrack: no soundtrack 5"));
    EXPECT_EQ(File(music()->GetMusic()), "Audio\\XXL\\Data\\music\\newspapersad.ogg");
}

TEST_F(MusicTest, MainMusicKeepsARunningAmbience)
{
    music()->PlayIntroMusic(2);
    StreamingSample* ambience = music()->GetAmbience();
    ASSERT_NE(ambience, nullptr);
    // Let it run a little, so that a restart would show in its write offset.
    ambience->GetBuffer()->SetPosition(20000);
    ambience->TimerCallback();
    const uint32_t offset = ambience->GetWriteOffset();

    music()->PlayMainMusic(2, true);
    EXPECT_EQ(File(music()->GetMusic()), "Audio\\XXL\\Data\\music\\egypt_main.ogg");
    EXPECT_EQ(music()->GetAmbience(), ambience);
    EXPECT_EQ(ambience->GetWriteOffset(), offset);
    EXPECT_TRUE(ambience->IsPlaying());
    EXPECT_EQ(SoundEngine::Instance()->GetStreamCount(), 2);
}

TEST_F(MusicTest, MainMusicThatCannotBeLoadedStillBringsTheAmbience)
{
    std::filesystem::remove("data/pc/Audio/XXL/Data/music/egypt_main.ogg");
    FileSystem::Instance()->InvalidateDiskCache();
    audiotest::LogCapture log;
    music()->PlayMainMusic(2, true);
    EXPECT_FALSE(music()->HasMusic());
    EXPECT_TRUE(log.Contains("could not load filename Audio\\XXL\\Data\\music\\egypt_main.ogg"));
    EXPECT_EQ(File(music()->GetAmbience()), "Audio\\XXL\\Data\\crowd\\ambiences\\egyptambience.ogg");
    EXPECT_TRUE(music()->GetAmbience()->IsPlaying());

    music()->StopAmbience();
    music()->PlayMainMusic(3, false);
    EXPECT_EQ(music()->GetAmbience(), nullptr);
}

TEST_F(MusicTest, TheGameSizeComesFromTheSettingsByDefault)
{
    TBMusic::SetGameSizeSource(nullptr);
    EXPECT_EQ(TBMusic::GetSizeFolder(), "");
    ASSERT_TRUE(fixtures::WriteFile("scratch/config.txt", {'G', 'a', 'm', 'e', 'S', 'i', 'z', 'e', ' ', 'X', 'L', '\n'}));
    ASSERT_TRUE(SettingsManager::Instance()->LoadSettings("scratch\\config.txt"));
    EXPECT_EQ(TBMusic::GetGameSize(), 1);
    EXPECT_EQ(TBMusic::GetSizeFolder(), "XL");
}

TEST_F(MusicTest, NothingPlaysWithSoundDisabled)
{
    SoundEngine::Instance()->SetEnabled(false);
    music()->PlayIntroMusic(1);
    music()->PlayMenuMusic();
    EXPECT_FALSE(music()->HasMusic());
    EXPECT_EQ(music()->GetAmbience(), nullptr);
    EXPECT_EQ(SoundEngine::Instance()->GetStreamCount(), 0);
}

TEST_F(MusicTest, StreamsReleasedByTheEngineAreForgotten)
{
    music()->PlayIntroMusic(1);
    const std::set<const void*> released = {music()->GetMusic(), music()->GetAmbience()};
    SoundEngine::Instance()->Exit();

    // Someone else's streams; the allocator hands freed blocks out again, so one of them
    // is likely to sit where a released one was.
    std::vector<StreamingSample*> others;
    bool reused = false;
    for (int i = 0; i < 16 && !reused; ++i) {
        others.push_back(SoundEngine::Instance()->LoadStream("Audio\\XXL\\Data\\music\\newspaper.ogg"));
        ASSERT_NE(others.back(), nullptr);
        reused = released.count(others.back()) > 0;
    }
    EXPECT_FALSE(music()->HasMusic());
    EXPECT_EQ(music()->GetAmbience(), nullptr);
    music()->StopMusic();
    music()->StopAmbience();
    EXPECT_EQ(SoundEngine::Instance()->GetStreamCount(), int(others.size()));

    music()->PlayMainMusic(1, true);  // nothing dangles
    EXPECT_TRUE(music()->HasMusic());
    EXPECT_EQ(SoundEngine::Instance()->GetStreamCount(), int(others.size()) + 2);
}
