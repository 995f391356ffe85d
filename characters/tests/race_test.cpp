// Races, variations and statistics: the ranges the statistics keep, the variation's file
// fields, and what start-up creates for each game size.
#include "audio/AudioEvent.h"
#include "audio/SoundEngine.h"
#include "audio/Voice.h"
#include "characters/CharacterRace.h"
#include "characters/CharacterVariation.h"
#include "characters/Statistic.h"

#include "framework/AsciiSerializer.h"
#include "framework/Cast.h"
#include "framework/File.h"
#include "framework/FileSystem.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

void Serialize(Object& object, const char* path, bool writing)
{
    File* file = writing ? FileSystem::Instance()->OpenWrite(path) : FileSystem::Instance()->OpenRead(path);
    ASSERT_NE(file, nullptr) << path;
    auto serializer = std::make_unique<AsciiSerializer>(file, writing);
    object.Serialize(*serializer, "Object");
    serializer.reset();
    EXPECT_TRUE(FileSystem::Instance()->Close(file) || !writing) << path;
}

std::string ReadText(const char* path)
{
    std::string text;
    File* file = FileSystem::Instance()->OpenRead(path);
    if (!file)
        return text;
    char buffer[256];
    size_t n = 0;
    while ((n = file->Read(buffer, sizeof buffer)) > 0)
        text.append(buffer, n);
    FileSystem::Instance()->Close(file);
    return text;
}

void WriteText(const char* path, const std::string& text)
{
    File* file = FileSystem::Instance()->OpenWrite(path);
    ASSERT_NE(file, nullptr);
    file->Write(text.data(), text.size());
    ASSERT_TRUE(FileSystem::Instance()->Close(file));
}

// The races and variations as the game state keeps them; the cast goes first.
class CharacterCast : public ::testing::Test {
protected:
    void TearDown() override
    {
        CastManager::Instance()->DeleteAll();
        owned.clear();
    }
    OwnedObjects owned;
};

}  // namespace

TEST(StatisticTest, OperationsKeepTheRanges)
{
    const struct {
        float level;
        float expected;
    } levels[] = {{49.0f, 50.0f}, {50.0f, 50.0f}, {75.5f, 75.5f}, {100.0f, 100.0f}, {130.0f, 100.0f}};
    for (const auto& c : levels) {
        Statistic s;
        s.SetLevel(c.level);
        EXPECT_EQ(s.level, c.expected) << c.level;
        EXPECT_EQ(s.current, c.expected) << c.level;
    }

    Statistic s;
    s.SetLevel(70.0f);
    s.SubtractCurrent(20.0f);
    s.RaiseLevel(-5.0f);
    EXPECT_EQ(s.level, 70.0f);
    s.RaiseLevel(60.0f);
    EXPECT_EQ(s.level, 100.0f);
    EXPECT_EQ(s.current, 50.0f);  // raising trains; it does not rest

    s.AddCurrent(30.0f);
    EXPECT_EQ(s.current, 80.0f);
    s.AddCurrent(30.0f);
    EXPECT_EQ(s.current, 100.0f);  // never past the level
    s.SubtractCurrent(-10.0f);     // a negative drain recovers, still within the level
    EXPECT_EQ(s.current, 100.0f);
    s.SubtractCurrent(95.0f);
    s.AddCurrent(-10.0f);
    EXPECT_EQ(s.current, 0.0f);
    s.AddCurrent(0.0f);
    s.SubtractCurrent(0.0f);
    EXPECT_EQ(s.current, 0.0f);

    Statistic copy;
    copy.SetName("kept");
    copy = s;
    EXPECT_EQ(copy.level, 100.0f);
    EXPECT_EQ(copy.current, 0.0f);
    EXPECT_STREQ(copy.GetName(), "kept");
}

TEST(StatisticTest, FileLevelsAreClampedAndRested)
{
    const struct {
        const char* value;
        float expected;
    } cases[] = {{"20", 50.0f}, {"64.5", 64.5f}, {"250", 100.0f}, {"nan", 50.0f}};
    for (const auto& c : cases) {
        WriteText("statistic.txt", std::string("[Statistic] \"Object\"\n{\n \"Training level (50 - 100)\" ") +
                                        c.value + "\n}\n");
        Statistic s;
        s.SubtractCurrent(30.0f);
        Serialize(s, "statistic.txt", false);
        EXPECT_EQ(s.level, c.expected) << c.value;
        EXPECT_EQ(s.current, c.expected) << c.value;
    }
}

TEST(CharacterVariationTest, InvisibleAtomicsReadAndWrite)
{
    const struct {
        const char* text;
        std::vector<int32_t> atomics;
    } cases[] = {{"3,7", {3, 7}}, {"3,7,", {3, 7}}, {"", {}}, {",2,,x,-1", {2, -1}}};
    for (const auto& c : cases) {
        WriteText("variation.txt",
                  std::string("[CharacterVariation] \"Object\"\n{\n \"invisible atomics\" \"") + c.text + "\"\n}\n");
        CharacterVariation variation("LizardPl00", "Lizard", 2);
        Serialize(variation, "variation.txt", false);
        EXPECT_EQ(variation.GetInvisibleAtomics(), c.atomics) << c.text;
        EXPECT_EQ(variation.GetDisplayName(), "noname") << c.text;
    }

    CharacterVariation written("Referee", "Weasel", 0);
    written.SetInvisibleAtomics({3, 7});
    written.SetDisplayName("Ref");
    written.speed.SetLevel(80.0f);
    Serialize(written, "variation.txt", true);
    EXPECT_NE(ReadText("variation.txt").find("\"invisible atomics\" \"3,7,\""), std::string::npos);
    CharacterVariation read("Referee", "Weasel", 0);
    Serialize(read, "variation.txt", false);
    EXPECT_EQ(read.GetInvisibleAtomics(), (std::vector<int32_t>{3, 7}));
    EXPECT_EQ(read.GetDisplayName(), "Ref");
    EXPECT_EQ(read.speed.level, 80.0f);
    EXPECT_EQ(read.energy.level, 50.0f);
}

TEST(CharacterVariationTest, AverageStatisticStaysInRange)
{
    const struct {
        float energy, speed, shooting, expected;
    } cases[] = {{50, 50, 50, 50}, {100, 100, 40, 80}, {100, 100, 100, 100}, {60, 70, 80, 70}};
    for (const auto& c : cases) {
        CharacterVariation variation("PandaPl00", "Panda", 2);
        variation.energy.level = c.energy;
        variation.speed.level = c.speed;
        variation.shooting.level = c.shooting;
        const Statistic average = variation.GetAverageStatistic();
        EXPECT_NEAR(average.level, c.expected, 1e-4f) << c.energy << " " << c.speed << " " << c.shooting;
        EXPECT_EQ(average.current, average.level);
    }
}

TEST_F(CharacterCast, CreateAllByGameSize)
{
    const struct {
        int32_t size;
        std::vector<std::string> races;
    } cases[] = {{0, {"Panda", "Weasel"}},
                 {1, {"Lizard", "Panda", "Weasel"}},
                 {2, {"Lizard", "Panda", "Primate", "Rhino", "Weasel"}}};
    for (const auto& c : cases) {
        CharacterRace::CreateAll(c.size, owned);
        CharacterVariation::CreateAll(owned);
        std::vector<std::string> found;
        for (const char* name : CharacterRace::RaceNames()) {
            if (CharacterRace* race = CharacterRace::Find(name)) {
                found.push_back(race->GetRaceName());
                EXPECT_EQ(race->GetModelFile(), "<PP>\\Characters\\" + found.back() + "\\" + found.back() + ".DFF");
            }
        }
        EXPECT_EQ(found, c.races) << c.size;
        EXPECT_EQ(CastManager::Instance()->GetCast("Characters")->GetMemberCount(),
                  static_cast<int>(c.races.size()) + 41);
        EXPECT_EQ(owned.size(), c.races.size() + 41);

        const struct {
            const char* key;
            const char* race;
            int32_t number;
        } rows[] = {{"LizardGk00", "Lizard", 0}, {"PandaGk01", "Panda", 1}, {"PrimatePl00", "Primate", 2},
                    {"RhinoPl07", "Rhino", 9}, {"Referee", "Weasel", 0}};
        for (const auto& row : rows) {
            const CharacterVariation* variation = CharacterVariation::Find(row.key);
            ASSERT_NE(variation, nullptr) << row.key;
            EXPECT_EQ(variation->GetRaceName(), row.race);
            EXPECT_EQ(variation->GetNumber(), row.number);
        }
        EXPECT_EQ(CharacterVariation::Find("PandaPl08"), nullptr);
        TearDown();
    }
}

TEST_F(CharacterCast, MissingRaceIsLoggedAndMissingCastIsQuiet)
{
    LogCapture log;
    EXPECT_EQ(CharacterVariation::Find("PandaPl00"), nullptr);
    EXPECT_EQ(CharacterRace::Find("Panda"), nullptr);
    EXPECT_TRUE(log.lines.empty());

    CharacterRace::CreateAll(0, owned);
    CharacterVariation::CreateAll(owned);
    const CharacterVariation* rhino = CharacterVariation::Find("RhinoPl03");
    ASSERT_NE(rhino, nullptr);
    EXPECT_EQ(rhino->GetRace(), nullptr);
    EXPECT_TRUE(log.Contains("Could not find character race Rhino")) << log.Text();
    EXPECT_EQ(rhino->GetTexturePath(), "");

    const CharacterVariation* panda = CharacterVariation::Find("PandaGk01");
    ASSERT_NE(panda, nullptr);
    EXPECT_EQ(panda->GetRace(), CharacterRace::Find("Panda"));
    const std::string path = panda->GetTexturePath();
    EXPECT_NE(path.find("<PP>\\Characters\\Panda\\"), std::string::npos) << path;
    EXPECT_NE(path.find("Var01\\;"), std::string::npos) << path;
    EXPECT_EQ(path.substr(path.size() - 7), "Common\\") << path;
}

TEST(CharacterRaceTest, ActionsAndSounds)
{
    CharacterRace panda("Panda", CharacterRace::SoundNamesOf("Panda"));
    EXPECT_EQ(CharacterRace::ActionNames().size(), 63u);
    for (const char* name : CharacterRace::ActionNames())
        EXPECT_NE(panda.GetAction(name), nullptr) << name;
    CharacterAction* unknown = panda.GetAction("moonwalk");
    ASSERT_NE(unknown, nullptr);
    EXPECT_EQ(panda.GetAction("moonwalk"), unknown);  // it stays

    EXPECT_STREQ((*CharacterRace::SoundNamesOf("Primate"))[2], "stealballfromgorilla");
    EXPECT_STREQ((*CharacterRace::SoundNamesOf("Lizard"))[3], "water");
    EXPECT_STREQ((*CharacterRace::SoundNamesOf("Rhino"))[11], "keeperjumpsavelow");
    EXPECT_EQ(CharacterRace::SoundNamesOf("Weasel"), nullptr);
}

TEST(CharacterRaceTest, ARaceWithoutSoundsMakesNone)
{
    SoundEngine* engine = SoundEngine::Instance();
    engine->SetEnabled(true);
    const AudioEvent* steal = engine->AddAudioEvent("stealballfrompanda", AudioEvent{});
    ASSERT_NE(steal, nullptr);
    CharacterRace panda("Panda", CharacterRace::SoundNamesOf("Panda"));
    CharacterRace weasel("Weasel", CharacterRace::SoundNamesOf("Weasel"));

    Voice* kept = panda.CreateSound(static_cast<int32_t>(RaceSound::Snagged));
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->GetEvent(), steal);
    engine->DestroyVoice(kept);
    const int32_t outOfRange[] = {-1, static_cast<int32_t>(kRaceSoundCount)};
    for (int32_t n : outOfRange)
        EXPECT_EQ(panda.CreateSound(n), nullptr) << n;
    EXPECT_EQ(panda.CreateSound(static_cast<int32_t>(RaceSound::Cheer)), nullptr);  // no such event

    // The referee's race: the snag sound a footstep would ask for is not there to play.
    EXPECT_FALSE(weasel.HasSounds());
    EXPECT_EQ(weasel.CreateSound(static_cast<int32_t>(RaceSound::Snagged)), nullptr);
    weasel.PlaySound(static_cast<int32_t>(RaceSound::Snagged), 1.0f, 2.0f);
    SoundEngine::DestroyInstance();
}
