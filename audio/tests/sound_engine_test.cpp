#include "audio/AudioEvent.h"
#include "audio/SfxLoaderUtil.h"
#include "audio/Voice.h"
#include "framework/Cast.h"
#include "framework/Random.h"
#include "tests/support/NullSerializer.h"

#include "support/ManagerFixture.h"

#include <set>

namespace {

class EngineTest : public ManagerFixture {
protected:
    void SetUp() override
    {
        ManagerFixture::SetUp();
        CastManager::DestroyInstance();
        engine = SoundEngine::Instance();
        engine->Init();
    }
    void TearDown() override
    {
        engine->Exit();
        CastManager::DestroyInstance();
        ManagerFixture::TearDown();
    }

    // A tone of the given length in scratch/Audio/XS/Data/<name>.
    static void WriteData(const std::string& name, int frames = 2205)
    {
        fixtures::WavSpec spec;
        spec.pcm = fixtures::ToBytes(fixtures::Tone(frames, 1, 22050, 440.0, 8000));
        ASSERT_TRUE(fixtures::WriteFile("scratch/Audio/XS/Data/" + name, fixtures::MakeWav(spec)));
    }
    static void WriteText(const std::string& path, const std::string& text)
    {
        ASSERT_TRUE(fixtures::WriteFile(path, std::vector<uint8_t>(text.begin(), text.end())));
    }
    static constexpr const char* kDataFolder = "scratch\\Audio\\XS\\Data\\";

    // An effect "beep" of a short tone, and a looping 3D "hum".
    void DefineBeepAndHum()
    {
        WriteData("beep.wav");
        WriteData("hum.wav", 22050);
        WriteText("scratch/defs.txt", "beep beep.wav\nhum hum.wav\n");
        SfxLoaderUtil::LoadSoundEffects("scratch\\defs.txt", kDataFolder);
        AudioEvent* hum = engine->GetAudioEvent("hum");
        ASSERT_NE(hum, nullptr);
        hum->isLooping = true;
        hum->is3d = true;
        hum->minDistance = 1.0f;
        hum->maxDistance = 10.0f;
    }
    void Mix(int frames)
    {
        std::vector<int16_t> out(size_t(frames) * 2);
        SampleManager::Instance()->GetDevice()->Mix(out.data(), frames);
    }

    SoundEngine* engine = nullptr;
};


}  // namespace

TEST_F(EngineTest, DefinitionFilesMakeEventsVariantsAndCastMembers)
{
    for (const char* name : {"click.wav", "a.wav", "b.wav", "c.wav", "whistle.wav", "d.wav"})
        WriteData(name);
    WriteText("scratch/Audio/XS/Definitions/menu.txt",
              "# menu sounds\r\n"
              "menuselect\tclick.wav\r\n"
              "\r\n"
              "   \r\n"
              "hit a.wav  b.wav\tc.wav\r\n"
              "#hidden click.wav\r\n"
              "lonely\r\n");
    WriteText("scratch/Audio/XS/Definitions/game.txt", "whistle whistle.wav\nhit d.wav\n");
    audiotest::LogCapture log;
    SfxLoaderUtil::LoadSoundEffects("scratch\\Audio\\XS\\Definitions\\menu.txt", kDataFolder);
    SfxLoaderUtil::LoadSoundEffects("scratch\\Audio\\XS\\Definitions\\game.txt", kDataFolder);
    SfxLoaderUtil::LoadSoundEffects("scratch\\Audio\\XS\\Definitions\\missing.txt", kDataFolder);

    SampleManager* manager = SampleManager::Instance();
    AudioEvent* select = engine->GetAudioEvent("menuselect");
    ASSERT_NE(select, nullptr);
    EXPECT_EQ(select->sampleName, "sample_menuselect");
    ASSERT_NE(manager->FindSample("sample_menuselect"), nullptr);
    EXPECT_NE(manager->FindSample("sample_menuselect")->GetBuffer(), nullptr);  // no "\r" in the file name
    EXPECT_EQ(manager->CountInstances("sample_menuselect"), 13);
    ASSERT_NE(engine->GetAudioEvent("whistle"), nullptr);

    const std::vector<std::string>* hit = engine->GetAlias("hit");
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(*hit, (std::vector<std::string>{"hit0", "hit1", "hit2"}));
    EXPECT_EQ(engine->GetAudioEvent("hit"), nullptr);
    ASSERT_NE(engine->GetAudioEvent("hit2"), nullptr);
    EXPECT_EQ(engine->GetAudioEvent("hit2")->sampleName, "sample_hit2");
    EXPECT_EQ(manager->FindSample("sample_hit2")->GetFileName(), std::string(kDataFolder) + "c.wav");
    EXPECT_EQ(manager->FindSample("sample_hit3"), nullptr);
    EXPECT_TRUE(log.Contains("SoundEngine::AddAudioEvent failed because there is already a audio-event <hit>!"));

    EXPECT_EQ(engine->FindAudioEvent("hidden"), nullptr);
    EXPECT_EQ(engine->FindAudioEvent("#hidden"), nullptr);
    EXPECT_EQ(engine->FindAudioEvent("lonely"), nullptr);
    EXPECT_TRUE(log.Contains("<lonely> names no sample file"));
    EXPECT_TRUE(log.Contains(
        "SfxLoaderUtil::LoadSoundEffects: Failed to open <scratch\\Audio\\XS\\Definitions\\missing.txt>!"));
    EXPECT_EQ(engine->GetEventCount(), 5);  // menuselect, hit0-2, whistle

    Cast* cast = CastManager::Instance()->GetCast("soundevents");
    ASSERT_NE(cast, nullptr);
    EXPECT_EQ(cast->GetMemberCount(), 5);
    ASSERT_NE(cast->FindByName("menuselect_00"), nullptr);
    EXPECT_EQ(cast->FindByName("menuselect_00")->object, select);
    EXPECT_FALSE(cast->FindByName("menuselect_00")->owned);
    ASSERT_NE(cast->FindByName("hit_02"), nullptr);
    EXPECT_EQ(cast->FindByName("hit_02")->object, engine->GetAudioEvent("hit2"));
    EXPECT_NE(cast->FindByName("whistle_00"), nullptr);
}

TEST_F(EngineTest, AnAliasPicksItsVariantsWithTheSeededGenerator)
{
    for (const char* name : {"a.wav", "b.wav", "c.wav"})
        WriteData(name);
    WriteText("scratch/defs.txt", "hit a.wav b.wav c.wav\n");
    SfxLoaderUtil::LoadSoundEffects("scratch\\defs.txt", kDataFolder);

    Random::Seed(42);
    std::vector<std::string> picked;
    for (int i = 0; i < 30; ++i) {
        AudioEvent* event = engine->FindAudioEvent("hit");
        ASSERT_NE(event, nullptr);
        picked.push_back(event->eventName);
    }
    Random::Seed(42);
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(picked[size_t(i)], "hit" + std::to_string(Random::Below(3))) << i;
    EXPECT_EQ(std::set<std::string>(picked.begin(), picked.end()).size(), 3u);

    Voice* voice = engine->Play("hit", true);
    ASSERT_NE(voice, nullptr);
    EXPECT_EQ(voice->GetEvent()->eventName.substr(0, 3), "hit");
    EXPECT_EQ(engine->Play("nothing", true), nullptr);
}

TEST_F(EngineTest, TemporaryVoicesLiveAsLongAsTheyShouldSound)
{
    DefineBeepAndHum();
    engine->SetListenerPoints({{0, 0}});

    Voice* beep = engine->Play("beep", true);
    ASSERT_NE(beep, nullptr);
    beep->Start();
    engine->Update(0.02f);
    ASSERT_NE(beep->GetSample(), nullptr);
    EXPECT_TRUE(beep->IsSamplePlaying());
    EXPECT_EQ(engine->GetTemporaryVoiceCount(), 1);

    Voice* hum = engine->Play("hum", true);
    ASSERT_NE(hum, nullptr);
    hum->SetPosition({3, 4});
    hum->Start();
    engine->Update(0.02f);
    ASSERT_TRUE(hum->IsSamplePlaying());
    EXPECT_EQ(engine->GetTemporaryVoiceCount(), 2);

    // 2,205 frames at 22,050 Hz are 4,410 frames at the device's 44,100 Hz: the beep ends,
    // and its voice goes at the next update.
    Mix(4410 + 2);
    EXPECT_FALSE(beep->IsSamplePlaying());
    engine->Update(0.02f);
    EXPECT_EQ(engine->GetTemporaryVoiceCount(), 1);

    // Out of range, the looping voice gives its sample back and stays.
    engine->SetListenerPoint(0, {100, 0});
    engine->Update(0.02f);
    EXPECT_EQ(hum->GetSample(), nullptr);
    EXPECT_EQ(engine->GetTemporaryVoiceCount(), 1);
    engine->SetListenerPoint(0, {0, 0});
    engine->Update(0.02f);
    EXPECT_TRUE(hum->IsSamplePlaying());

    // A temporary one-shot that was never started goes at once.
    engine->Play("beep", true);
    engine->Update(0.02f);
    EXPECT_EQ(engine->GetTemporaryVoiceCount(), 1);

    // One played once sounds until its end; an unknown name plays nothing.
    EXPECT_TRUE(engine->PlayOnce("beep"));
    EXPECT_FALSE(engine->PlayOnce("nothing"));
    engine->Update(0.02f);
    EXPECT_EQ(engine->GetTemporaryVoiceCount(), 2);
    Mix(4410 + 2);
    engine->Update(0.02f);
    EXPECT_EQ(engine->GetTemporaryVoiceCount(), 1);
}

TEST_F(EngineTest, MutingAGroupSilencesItsVoicesAtTheNextVolumeUpdate)
{
    DefineBeepAndHum();
    engine->GetAudioEvent("hum")->is3d = false;
    Voice* hum = engine->Play("hum", false);
    ASSERT_NE(hum, nullptr);
    hum->Start();
    engine->Update(0.02f);
    ASSERT_TRUE(hum->IsSamplePlaying());
    EXPECT_EQ(BufferVolume(hum->GetSample()), 0);

    engine->SetGroupMuted(1, true);
    EXPECT_EQ(BufferVolume(hum->GetSample()), 0);  // not before the update
    engine->UpdateVolumes();
    EXPECT_EQ(BufferVolume(hum->GetSample()), platform::kSoundVolumeMin);
    EXPECT_TRUE(hum->IsSamplePlaying());
    EXPECT_TRUE(engine->IsGroupMuted(1));
    EXPECT_FALSE(engine->IsGroupMuted(0));

    engine->SetGroupMuted(1, false);
    engine->SetGroupVolume(1, 0.5f);
    engine->UpdateVolumes();
    EXPECT_EQ(BufferVolume(hum->GetSample()), Sample::VolumeToHundredthsDb(0.5f));

    Sample* sample = hum->GetSample();
    engine->DestroyVoice(hum);
    EXPECT_FALSE(sample->IsPlaying());
    EXPECT_EQ(engine->GetVoiceCount(), 0);
}

TEST_F(EngineTest, WithSoundDisabledOnlyKeptVoicesAreHandedOut)
{
    DefineBeepAndHum();
    engine->SetEnabled(false);
    EXPECT_EQ(engine->Play("beep", true), nullptr);
    Voice* kept = engine->Play("beep", false);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->GetEvent(), nullptr);
    EXPECT_EQ(engine->GetCleanupVoiceCount(), 1);
    EXPECT_EQ(engine->Play("unknown", false), nullptr);
    engine->DestroyVoice(kept);
    EXPECT_EQ(engine->GetCleanupVoiceCount(), 0);

    audiotest::LogCapture log;
    Voice stranger;
    engine->DestroyVoice(&stranger);
    EXPECT_TRUE(log.Contains("SoundEngine::DestroyVoice: unknown voice"));
}

TEST_F(EngineTest, ReadingTheCastUpdatesTheEnginesOwnEventsInPlace)
{
    DefineBeepAndHum();
    AudioEvent* beep = engine->GetAudioEvent("beep");
    beep->volume = 0.25f;
    beep->minDistance = 0.2f;  // as a hand-edited file might have it
    beep->maxDistance = 30.0f;
    Cast* cast = CastManager::Instance()->GetCast("soundevents");
    ASSERT_TRUE(SaveSettings(cast, "scratch\\soundevents.txt"));

    beep->volume = 1.0f;
    Voice* voice = engine->Play("beep", false);
    ASSERT_TRUE(LoadSettings(cast, "scratch\\soundevents.txt"));
    EXPECT_EQ(engine->GetAudioEvent("beep"), beep);  // the same object, updated
    EXPECT_EQ(voice->GetEvent(), beep);
    EXPECT_FLOAT_EQ(beep->volume, 0.25f);
    EXPECT_FLOAT_EQ(beep->minDistance, 1.0f);
    EXPECT_FLOAT_EQ(beep->maxDistance, 30.0f);
    EXPECT_EQ(engine->GetEventCount(), 2);
    EXPECT_EQ(cast->GetMemberCount(), 2);

    // A copy read apart from the engine passes its values on.
    AudioEvent copy = *beep;
    copy.pitch = 1.5f;
    NullSerializer reader(false);
    copy.Serialize(reader, "beep");
    EXPECT_FLOAT_EQ(beep->pitch, 1.5f);
}

TEST_F(EngineTest, RemovingAnEventTakesItsVoicesAndCastEntryWithIt)
{
    DefineBeepAndHum();
    engine->Play("hum", false);
    engine->Play("hum", true);
    engine->Play("beep", false);
    engine->RemoveAudioEvent("hum");
    EXPECT_EQ(engine->GetAudioEvent("hum"), nullptr);
    EXPECT_EQ(engine->GetVoiceCount(), 1);
    EXPECT_EQ(engine->GetTemporaryVoiceCount(), 0);
    EXPECT_EQ(CastManager::Instance()->GetCast("soundevents")->FindByName("hum_00"), nullptr);
}

TEST_F(EngineTest, ReadingTheSampleManagerRefreshesVoices)
{
    DefineBeepAndHum();
    engine->GetAudioEvent("hum")->is3d = false;
    Voice* hum = engine->Play("hum", false);
    hum->Start();
    engine->Update(0.02f);
    engine->Play("beep", true)->Start();
    NullSerializer reader(false);
    SampleManager::Instance()->Serialize(reader, "Sample Manager");
    EXPECT_EQ(engine->GetTemporaryVoiceCount(), 0);
    EXPECT_TRUE(hum->IsActive());  // it was sounding, so it starts again
    engine->Update(0.02f);
    ASSERT_TRUE(hum->IsSamplePlaying());
    uint32_t status = 0;
    hum->GetSample()->GetBuffer()->GetStatus(&status);
    EXPECT_EQ(status, platform::kSoundStatusPlaying | platform::kSoundStatusLooping);
}

TEST_F(EngineTest, AnInstanceServesOnlyItsLatestVoice)
{
    DefineBeepAndHum();
    const auto play = [this] {
        Voice* voice = engine->Play("beep", false);
        voice->Start();
        engine->Update(0.02f);
        return voice;
    };
    // A voice whose sample has finished still holds it; the next voice is given that one.
    Voice* finished = play();
    Mix(4410 + 2);
    ASSERT_FALSE(finished->IsSamplePlaying());
    Voice* next = play();
    ASSERT_TRUE(next->IsSamplePlaying());
    EXPECT_EQ(finished->GetSample(), nullptr);
    engine->DestroyVoice(finished);
    EXPECT_TRUE(next->IsSamplePlaying());

    // Thirteen sound at once; the fourteenth steals the first instance from its voice.
    std::vector<Voice*> voices{next};
    for (int i = 1; i < SampleManager::kInstancesPerEffect; ++i)
        voices.push_back(play());
    Sample* first = voices[0]->GetSample();
    Voice* thief = play();
    EXPECT_EQ(thief->GetSample(), first);
    EXPECT_EQ(voices[0]->GetSample(), nullptr);
    voices[0]->Stop();
    EXPECT_TRUE(thief->IsSamplePlaying());
    for (size_t i = 1; i < voices.size(); ++i)
        EXPECT_TRUE(voices[i]->IsSamplePlaying()) << i;
}

TEST_F(EngineTest, ListenerPointsAreSetOneByOne)
{
    audiotest::LogCapture log;
    engine->ResizeListenerPoints(1);
    engine->SetListenerPoint(0, {5, -7});
    engine->SetListenerPoint(1, {1, 1});
    ASSERT_EQ(engine->GetListenerPoints().size(), 1u);
    EXPECT_EQ(engine->GetListenerPoints()[0].x, 5);
    EXPECT_EQ(engine->GetListenerPoints()[0].y, -7);
    EXPECT_TRUE(log.Contains("SoundEngine::SetListenerPoint: no listener 1"));
}
