#pragma once

// A career's world without a running game: the members and teams in their casts, the three
// story casts, fresh story singletons, and the save folder emptied, with a way to read and
// write the scrambled files as text.

#include "characters/CharacterVariation.h"
#include "characters/TeamDescription.h"
#include "framework/Cast.h"
#include "framework/Scramble.h"
#include "framework/tests/support/FileTest.h"
#include "frontend/story/StoryModeGame.h"
#include "frontend/story/StorySaveGame.h"
#include "match/GainedObjects.h"
#include "menus/Menu.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class StoryTest : public FileTest {
protected:
    using Members = std::vector<TeamDescription::Member>;

    static Members Squad(const std::string& race, int squad)
    {
        auto number = [](int n) { return std::string(n < 10 ? "0" : "") + std::to_string(n); };
        Members members{{race + "Gk" + number(squad), true}};
        for (int i = 0; i < 4; ++i)
            members.push_back({race + "Pl" + number(squad * 4 + i), false});
        return members;
    }

    void SetUp() override
    {
        FileTest::SetUp();
        // The log lives in "data"; the game's spellings of the save folder differ in case.
        for (const char* folder : {"Data", "data/Savegames", "data/SaveGames"})
            std::filesystem::remove_all(folder);
        DestroySingletons();
        CharacterVariation::CreateAll(m_owned);
        TeamDescription::CreateAll(m_owned);
        Team("Panda01")->GetMembers() = Squad("Panda", 0);
        Team("Panda01")->SetTeamName("Bamboo Rovers");
        Team("Panda02")->GetMembers() = Squad("Panda", 1);
        Team("Panda02")->SetTeamName("Bamboo Wanderers");
        CastManager* casts = CastManager::Instance();
        casts->CreateCast("savegame")->AddMember(StoryModeGame::Instance(), "SaveGame", false);
        casts->CreateCast("SaveGameMeta")->AddMember(StorySaveGame::Instance(), "Metainfo", false);
        casts->CreateCast("gained")->AddMember(GainedObjects::Instance(), "Gained Objects", false);
    }

    void TearDown() override
    {
        CastManager::DestroyInstance();
        m_owned.clear();
        DestroySingletons();
        FileTest::TearDown();
    }

    static void DestroySingletons()
    {
        CastManager::DestroyInstance();
        StoryModeGame::DestroyInstance();
        StorySaveGame::DestroyInstance();
        GainedObjects::DestroyInstance();
        Menu::DestroyInstance();
    }

    static TeamDescription* Team(const std::string& name) { return TeamDescription::Find(name); }
    static CharacterVariation* Member(const std::string& name) { return CharacterVariation::Find(name); }
    static StoryModeGame* Game() { return StoryModeGame::Instance(); }
    static StorySaveGame* Slots() { return StorySaveGame::Instance(); }
    static std::string Variable(const std::string& key) { return Menu::Instance()->Variables()[key]; }

    static std::vector<std::string> Names(const Members& members)
    {
        std::vector<std::string> names;
        for (const auto& member : members)
            names.push_back(member.variation + (member.isSub ? "*" : ""));
        return names;
    }

    // Where the file layer puts a game file name.
    static std::string OnDisk(const std::string& name) { return FileSystem::Instance()->ResolveDiskPath(name); }

    // The plain text of a scrambled game file; "<missing>" or "<not scrambled>" otherwise.
    static std::string Unscrambled(const std::string& name)
    {
        const std::string path = OnDisk(name);
        if (!std::filesystem::exists(path))
            return "<missing>";
        const std::string raw = ReadRaw(path);
        std::vector<uint8_t> bytes;
        if (!Scramble::DecodeHex(raw.data(), raw.size(), bytes))
            return "<not scrambled>";
        Scramble::Apply(bytes.data(), bytes.size());
        return std::string(bytes.begin(), bytes.end());
    }

    static void WriteScrambled(const std::string& name, std::string text)
    {
        Scramble::Apply(text.data(), text.size());
        WriteRaw(OnDisk(name), Scramble::EncodeHex(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
    }

    static std::string CareerPath(int slot) { return StorySaveGame::CareerFileName(slot); }
    static constexpr const char* kTablePath = StorySaveGame::kTableFile;
    static constexpr const char* kGainedPath = StorySaveGame::kGainedFile;

    OwnedObjects m_owned;
};
