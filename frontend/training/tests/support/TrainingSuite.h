#pragma once

// The game on the default data with the story team's first three field players chosen for the
// training, for the training tests.

#include "characters/CharacterVariation.h"
#include "characters/TeamDescription.h"
#include "framework/Message.h"
#include "frontend/menu/TBMenu.h"
#include "frontend/menu/TBMenuToggles.h"
#include "frontend/story/StoryModeGame.h"
#include "game/harness/GameHarness.h"
#include "input/ConfigurableInputMapper.h"
#include "input/PlatformInputDevices.h"
#include "menus/Menu.h"
#include "settings/TrainingSettings.h"
#include "tests/support/NullDeviceSuite.h"

#include <memory>
#include <string>
#include <vector>

class TrainingSuite : public NullDeviceSuite {
protected:
    void SetUp() override
    {
        ClearDataFolders();
        StoryModeGame::DestroyInstance();
        TrainingSettings::DestroyInstance();
        PlatformInputDevices::Instance()->GetInputMapper(0)->SetDefaults();
        harness = std::make_unique<GameHarness>(OffscreenWindow(), TB_DATA_ARCHIVE);
        ASSERT_TRUE(harness->Start("XL"));
        team = TeamDescription::Find(StoryModeGame::kStoryTeam);
        ASSERT_NE(team, nullptr);
        for (const auto& entry : team->GetMembers())
            (entry.isSub ? keeper : members.emplace_back()) = CharacterVariation::Find(entry.variation);
        ASSERT_NE(keeper, nullptr);
        ASSERT_GE(members.size(), 4u);
        for (int i = 0; i < TrainingSettings::kChosen; ++i)
            TrainingSettings::Instance()->chosen[i] = members[static_cast<size_t>(i)];
    }
    void TearDown() override
    {
        harness.reset();
        TBMenuToggles::DestroyInstance();
    }

    // A menu command word with its argument, as a screen sends it.
    static void Command(TBMenu* menu, const char* word, const char* argument = "")
    {
        MenuActionParameter parameter;
        parameter.argument = argument;
        menu->OnMessage(MessageServer::Instance()->RegisterMessage(word), reinterpret_cast<intptr_t>(&parameter));
    }
    static std::string Variable(const std::string& key) { return Menu::Instance()->Variables()[key]; }

    std::unique_ptr<GameHarness> harness;
    TeamDescription* team = nullptr;
    CharacterVariation* keeper = nullptr;
    // The field players in team order.
    std::vector<CharacterVariation*> members;
};
