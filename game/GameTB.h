#pragma once

#include "framework/Color.h"
#include "framework/GameHost.h"
#include "framework/GameState.h"
#include "pitch/CameraStack.h"
#include "scene/GameElementRegistry.h"

#include <memory>
#include <string>
#include <vector>

class Font;
class InputMapperGameTB;
class Light;
class Object;
class ObjectsBrowser;
class State;
class SubCamera;

// The game's one top-level state: owns the settings casts, the camera stack and the element
// registry (both registered while the game exists), the fonts, the game's input mapper, the
// world's lights, and the current State that is the flow of play. While it exists it is the
// current game (GameTB::Current).
class GameTB : public GameState, public GameHost {
public:
    using CastEntry = GameElementRegistry::CastEntry;
    static constexpr int kCastCount = 16;
    static const CastEntry kCastTable[kCastCount];

    GameTB();
    ~GameTB() override;

    // The game under construction or running; null when none exists.
    static GameTB* Current();

    int OnMessage(int message, intptr_t param) override;
    bool Enter() override;
    bool Exit() override;
    void Update(float dt) override;
    void Render() override;
    // The editor's and debug commands by name; 0, but "rename object" answers 1 on a rename.
    int HandleEvent(const char* event, intptr_t p1, intptr_t p2) override;
    bool GetFlag() const override { return m_entered; }

    // 0 "XS", 1 "XL", 2 "XXL"; 0 when "GameSize" was missing or unknown.
    int GetGameSize() const { return m_gameSize; }
    bool IsGameSizeKnown() const { return m_gameSizeKnown; }
    void RequestMainMenu() override { m_returnToMenu = true; }
    // Taken over: deleted by Exit, after the casts let go of it.
    void AddOwnedObject(Object* object);

    // The casts of the table and their singletons, "savegame", "SaveGameMeta" and the
    // camera controls; every cast that existed before is deleted.
    void CreateSettingsCasts();
    // Registered as the current stack while the game exists.
    CameraStack& GetCameras() { return m_cameras; }
    const CameraStack& GetCameras() const { return m_cameras; }

    // Registered as the current registry while the game exists.
    GameElementRegistry& GetElements() { return m_elements; }
    const GameElementRegistry& GetElements() const { return m_elements; }
    void ResetObjects();
    // Enter asks the shell's maker for one only when none was set.
    void SetObjectsBrowser(ObjectsBrowser* browser) override { m_elements.SetObjectsBrowser(browser); }
    ObjectsBrowser* GetObjectsBrowser() const override { return m_elements.GetObjectsBrowser(); }

    // Null before Enter and after Exit.
    State* GetCurrentState() const { return m_state; }
    // Replaces the current state (old: Exit, delete; new: Enter).
    void SetCurrentState(State* state);
    int GetScreenshotCounter() const { return s_screenshotCounter; }

private:
    // The main menu in place of the current state when RequestMainMenu asked for it; the
    // career in memory starts afresh under its team name.
    void ReturnToMenuWhenAsked();
    void ReadGameSize();
    void StartSound();
    void LoadTextTable();
    void CreateInputs();
    void CreateLights();
    void CreateSubCameras();
    void StartFirstState();
    // Textures (with the level's dictionary under "fastLoading"), the text table and display,
    // the immediate-mode cache.
    void StartDrawingServices();
    // The pitch's world with its lights, the first camera and the split-screen ones.
    void SetUpView();
    // The browser, the casts' members and the quiet elements, with the world let go of them.
    void ReleaseGameObjects();
    // The process-wide services the game started or filled, back to empty.
    void ShutDownServices();
    void AddSingletonsToCasts();
    // "cheat outro" shows the closing cut scenes, "cheat quit" goes back to the main menu.
    void ReadCheatKeys();
    void TakeScreenshot();
    void RenderPlayers();
    void DestroyLights();

    int m_listenerId = 0;
    bool m_entered = false;
    void CreateObjectsBrowser();
    void DestroyObjectsBrowser();

    // From the shell's maker; shown by the editor frame until it goes.
    std::shared_ptr<ObjectsBrowser> m_ownBrowser;
    std::vector<std::unique_ptr<Object>> m_startupObjects;
    Color m_clearColor;
    std::vector<std::unique_ptr<Font>> m_fonts;
    std::unique_ptr<InputMapperGameTB> m_inputMapper;
    std::vector<std::unique_ptr<Light>> m_lights;
    std::unique_ptr<SubCamera> m_subCameras[2];
    CameraStack m_cameras;
    GameElementRegistry m_elements{kCastTable};
    // Owned through StateSlot: SetCurrentState exits and deletes the one it replaces.
    State* m_state = nullptr;
    bool m_returnToMenu = false;
    bool m_gameSizeKnown = false;
    int m_gameSize = 0;
    bool m_screenshotRequested = false;
    static int s_screenshotCounter;
};
