#include "frontend/menu/TBMenuToggles.h"

#include "audio/SoundEngine.h"
#include "engine/core/RwEngine.h"
#include "framework/Cast.h"
#include "framework/FileSystem.h"
#include "framework/MainProgram.h"
#include "input/ConfigurableInputMapper.h"
#include "input/JoystickInput.h"
#include "input/PlatformInputDevices.h"
#include "settings/GameParameters.h"
#include "simulation/Ball.h"
#include "tests/support/LogCapture.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace {

class MenuTogglesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::remove_all("Data");
        std::filesystem::create_directories("Data/SaveGames");
        FileSystem::Instance()->InvalidateDiskCache();
        Fresh();
    }
    void TearDown() override { Fresh(); }
    void Fresh()
    {
        PlatformInputDevices::DestroyInstance();
        DXInput::DestroyInstance();
        CastManager::DestroyInstance();
        TBMenuToggles::DestroyInstance();
        GameParameters::DestroyInstance();
        SoundEngine::DestroyInstance();
    }
    static TBMenuToggle& Toggle(int id) { return *TBMenuToggles::Instance()->GetToggle(id); }
    static std::vector<int> Pending()
    {
        std::vector<int> pending;
        for (int id = 0; id < TBMenuToggles::kCount; ++id)
            if (Toggle(id).IsPending())
                pending.push_back(id);
        return pending;
    }
    static Cast* UserCast()
    {
        Cast* user = CastManager::Instance()->CreateCast("user");
        user->AddMember(GameParameters::Instance(), "Game Parameters", false);
        return user;
    }
};

// Each case starts from fresh toggles and parameters on one keyboard.
TEST_F(MenuTogglesTest, ApplyRevertAndPublish)
{
    const struct {
        const char* name;
        std::function<void()> act;
        std::function<void()> check;
    } cases[] = {
        {"a fresh start applies nothing but saves the user file",
         [] {
             UserCast();
             TBMenuToggles::Instance()->Apply(true);
         },
         [] {
             EXPECT_TRUE(Pending().empty());
             EXPECT_TRUE(std::filesystem::exists("Data/SaveGames/user.txt"));
             EXPECT_EQ(SoundEngine::Instance()->GetGroupVolume(1), 1.0f);
             EXPECT_EQ(GameParameters::Instance()->shirts[1], 3);
         }},
        {"a resolution in a window is only stored",
         [] {
             Toggle(TBMenuToggles::kResolution).value = 2;
             TBMenuToggles::Instance()->Apply(true);
         },
         [] {
             EXPECT_EQ(GameParameters::Instance()->resolution, 2);
             EXPECT_TRUE(Pending().empty());
         }},
        {"a resolution waits for permission",
         [] {
             Toggle(TBMenuToggles::kResolution).value = 1;
             TBMenuToggles::Instance()->Apply(false);
         },
         [] {
             EXPECT_EQ(GameParameters::Instance()->resolution, 0);
             EXPECT_EQ(Pending(), std::vector<int>{TBMenuToggles::kResolution});
         }},
        {"declining restores the effects volume",
         [] {
             Toggle(TBMenuToggles::kFxVolume).value = 3;
             SoundEngine::Instance()->SetGroupVolume(1, 0.3f);
             TBMenuToggles::Instance()->Revert();
         },
         [] {
             EXPECT_EQ(Toggle(TBMenuToggles::kFxVolume).value, 10);
             EXPECT_FLOAT_EQ(SoundEngine::Instance()->GetGroupVolume(1), 1.0f);
         }},
        {"accepting applies the effects volume",
         [] {
             Toggle(TBMenuToggles::kFxVolume).value = 4;
             TBMenuToggles::Instance()->Apply(true);
         },
         [] {
             EXPECT_EQ(GameParameters::Instance()->sfxVolume, 4);
             EXPECT_FLOAT_EQ(SoundEngine::Instance()->GetGroupVolume(1), 0.4f);
         }},
        {"both players on the keyboard block nothing",
         [] {
             GameParameters::Instance()->blockedDevices[0] = GameParameters::Instance()->blockedDevices[1] = 3;
             TBMenuToggles::Instance()->PublishBlockedDevices();
         },
         [] {
             EXPECT_EQ(GameParameters::Instance()->blockedDevices[0], -1);
             EXPECT_EQ(GameParameters::Instance()->blockedDevices[1], -1);
         }},
        {"a device that does not exist blocks nothing",
         [] {
             Toggle(TBMenuToggles::kDevice1).value = 4;
             TBMenuToggles::Instance()->PublishBlockedDevices();
         },
         [] { EXPECT_EQ(GameParameters::Instance()->blockedDevices[1], -1); }},
        {"a device beyond the count falls back",
         [] {
             GameParameters::Instance()->deviceCount = PlatformInputDevices::Instance()->GetNumDevices();
             Toggle(TBMenuToggles::kDevice2).value = 4;
             TBMenuToggles::Instance()->Apply(true);
         },
         [] {
             EXPECT_EQ(Toggle(TBMenuToggles::kDevice2).value, 0);
             EXPECT_EQ(GameParameters::Instance()->playerDevices[1], 0);
         }},
        {"the story choices are never applied",
         [] {
             Toggle(TBMenuToggles::kStoryShirts).value = 6;
             Toggle(TBMenuToggles::kStoryCards).value = 0;
             TBMenuToggles::Instance()->Apply(true);
         },
         [] { EXPECT_EQ(Pending(), (std::vector<int>{TBMenuToggles::kStoryShirts, TBMenuToggles::kStoryCards})); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        c.act();
        c.check();
    }
}

// A joystick serves one player; the keyboard is shared. Letting go is always allowed.
TEST(DeviceClaimTest, AClaimedJoystickRefusesTheOtherPlayer)
{
    ConfigurableJoystickInputMapper joystick;
    EXPECT_TRUE(joystick.IsFree());
    EXPECT_TRUE(joystick.SetClaim(0, true));
    EXPECT_FALSE(joystick.IsFree());
    EXPECT_FALSE(joystick.SetClaim(1, true));
    EXPECT_FALSE(joystick.IsClaimed(1));
    EXPECT_TRUE(joystick.SetClaim(0, false));
    EXPECT_TRUE(joystick.IsFree());
    EXPECT_TRUE(joystick.SetClaim(1, true));

    ConfigurableKeyboardInputMapper keyboard;
    EXPECT_TRUE(keyboard.IsShared());
    EXPECT_TRUE(keyboard.SetClaim(0, true));
    EXPECT_TRUE(keyboard.SetClaim(1, true));
}

// Player 1 chose the first joystick. A start without it plugged in plays on the keyboard, and
// the user file written then (options accepted) keeps the choice; the next start with it
// plugged in plays on it.
TEST_F(MenuTogglesTest, AChosenPadNotPluggedInIsPlayedWithoutAndStaysChosen)
{
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    GameParameters::Instance()->deviceChoices[0] = 1;
    ASSERT_TRUE(SaveSettings(UserCast(), TBMenuToggles::kUserFile));
    for (const bool plugged : {false, true}) {
        SCOPED_TRACE(plugged ? "plugged in" : "not plugged in");
        Fresh();
        const int index = plugged ? SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 4, 0) : -1;
        ASSERT_TRUE(DXInput::Instance()->Init());
        // As the game starts: the file read, then the devices counted and the toggles applied.
        ASSERT_TRUE(LoadSettings(UserCast(), TBMenuToggles::kUserFile));
        GameParameters::Instance()->deviceCount = PlatformInputDevices::Instance()->GetNumDevices();
        TBMenuToggles::Instance()->ApplyPending(true);
        const ConfigurableInputMapper* pad = PlatformInputDevices::Instance()->GetInputMapper(1);
        const std::vector<int> played = {GameParameters::Instance()->playerDevices[0],
                                         Toggle(TBMenuToggles::kDevice1).value, pad && pad->IsClaimed(0)};
        EXPECT_EQ(played, plugged ? std::vector<int>({1, 1, 1}) : std::vector<int>({0, 0, 0}));
        ASSERT_TRUE(TBMenuToggles::Instance()->Apply(true));
        Fresh();
        ASSERT_TRUE(LoadSettings(UserCast(), TBMenuToggles::kUserFile));
        EXPECT_EQ(GameParameters::Instance()->deviceChoices[0], 1);
        EXPECT_EQ(Toggle(TBMenuToggles::kDevice1).value, 1);
        DXInput::Instance()->Exit();
        if (index >= 0)
            SDL_JoystickDetachVirtual(index);
    }
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

TEST_F(MenuTogglesTest, TheDeepestExclusiveModeOfTheSizeIsChosen)
{
    const std::vector<RwVideoMode> modes = {
        {1280, 960, 16, rwVideoModeExclusive, 60, 0}, {1280, 960, 32, 0, 60, 0},
        {1280, 960, 32, rwVideoModeExclusive, 60, 0}, {1280, 960, 32, rwVideoModeExclusive, 75, 0},
        {1024, 768, 32, rwVideoModeExclusive, 60, 0},
    };
    EXPECT_EQ(TBMenuToggles::ChooseVideoMode(modes, 1280, 960), 2);
    EXPECT_EQ(TBMenuToggles::ChooseVideoMode(modes, 800, 600), -1);
    EXPECT_EQ(TBMenuToggles::ChooseVideoMode({}, 1280, 960), -1);
}

TEST_F(MenuTogglesTest, UserFileRoundTripLeavesTheResolutionPending)
{
    Cast* user = UserCast();
    Toggle(TBMenuToggles::kResolution).value = 1;
    Toggle(TBMenuToggles::kHalfTime).value = 4;
    Toggle(TBMenuToggles::kReplays).value = 0;
    TBMenuToggles::Instance()->Apply(true);
    ASSERT_EQ(GameParameters::Instance()->resolution, 1);

    Fresh();
    user = UserCast();
    ASSERT_TRUE(LoadSettings(user, TBMenuToggles::kUserFile));
    EXPECT_EQ(Toggle(TBMenuToggles::kHalfTime).value, 4);
    EXPECT_EQ(Toggle(TBMenuToggles::kReplays).value, 0);
    EXPECT_FALSE(GameParameters::Instance()->replays);
    EXPECT_EQ(Pending(), (std::vector<int>{TBMenuToggles::kResolution, TBMenuToggles::kDevice1,
                                           TBMenuToggles::kDevice2}));
    GameParameters::Instance()->deviceCount = 1;
    TBMenuToggles::Instance()->Apply(true);
    EXPECT_TRUE(Pending().empty());
    EXPECT_EQ(GameParameters::Instance()->resolution, 1);
}

// A stored lowest quality switches the trails, particles and shadows off as the game starts;
// below the best quality the textures come from the small set.
TEST_F(MenuTogglesTest, TheStoredQualitySwitchesTheEffectsAndTexturesAtStart)
{
    const struct {
        int stored;
        const char* textures;
    } cases[] = {{0, "SmallTextures24Bit\\"}, {1, "SmallTextures24Bit\\"}, {2, "Textures24Bit\\"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        Fresh();
        UserCast();
        Toggle(TBMenuToggles::kQuality).value = c.stored;
        TBMenuToggles::Instance()->Apply(true);
        Fresh();
        MainProgram::Instance()->SetTextureSetPath("Elsewhere\\");
        Ball::s_highQuality = c.stored == 0;
        ASSERT_TRUE(LoadSettings(UserCast(), TBMenuToggles::kUserFile));
        EXPECT_EQ(GameParameters::Instance()->quality, c.stored);
        EXPECT_EQ(Ball::s_highQuality, c.stored != 0);
        EXPECT_EQ(FileSystem::Instance()->GetAlias("<TP>"), c.textures);
        EXPECT_EQ(GameParameters::TextureSetFor(c.stored), std::string(c.textures));
    }
    Ball::s_highQuality = true;
    FileSystem::Instance()->RemoveAlias("<TP>");
}

TEST_F(MenuTogglesTest, StoredValuesAreClampedIntoTheirTables)
{
    LogCapture log;
    TBMenuToggle::LoadExternToggleValue(TBMenuToggles::kFxVolume, 15);
    TBMenuToggle::LoadExternToggleValue(TBMenuToggles::kResolution, -2);
    EXPECT_EQ(Toggle(TBMenuToggles::kFxVolume).value, 10);
    EXPECT_TRUE(Toggle(TBMenuToggles::kFxVolume).IsPending());
    EXPECT_EQ(Toggle(TBMenuToggles::kResolution).value, 0);
    EXPECT_EQ(log.Count("out of range"), 2);
}

}  // namespace
