#pragma once

#include "framework/Color.h"
#include "framework/GameState.h"

#include <list>
#include <memory>
#include <string>
#include <vector>

class CameraControl;
class Font;
class GameElement;
class InputMapperGameTB;
class Light;
class Object;
class RenderObject;
class ObjectsBrowser;
class CObjectSettingsDialog;
namespace editor {
class ObjectsBrowserView;
}
class State;
class SubCamera;

// The game's one top-level state: owns the settings casts, the camera controls and their
// stack, the fonts, the game's input mapper, the world's lights, and the current State
// that is the flow of play. While it exists it is the current game (GameTB::Current).
class GameTB : public GameState {
public:
    // One cast-table entry: its settings file is directory + name + ".txt".
    struct CastEntry {
        const char* directory;
        const char* name;
    };
    static constexpr int kCastCount = 16;
    static const CastEntry kCastTable[kCastCount];
    // The camera controls' names by index; 0 is "Free Camera".
    static constexpr int kCameraCount = 27;

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
    // The next Update replaces the current state by the menu "main".
    void RequestMainMenu() { m_returnToMenu = true; }
    // Taken over: deleted by Exit, after the casts let go of it.
    void AddOwnedObject(Object* object);

    // The casts of the table and their singletons, "savegame", "SaveGameMeta" and the
    // camera controls; every cast that existed before is deleted.
    void CreateSettingsCasts();
    // Loads or saves every table cast; "objects" only with objects, "Characters" only with
    // characters. Loading "objects" first takes its members out of the world, the vector
    // of game elements and the cast, and puts the new ones into the world. A save file not
    // written yet, or a level's cast while no level is set, is passed over without a word:
    // the cast keeps what it holds.
    void LoadOrSaveCasts(bool load, bool objects, bool characters);

    // Makes the control of "Cameras|<name>" the active one; an unknown name changes nothing.
    void PushCamera(const std::string& name);
    // Back to the control below the top; an empty stack stays empty.
    void PopCamera();
    // Null while the stack is empty.
    CameraControl* GetActiveCamera() const;
    // Remembers the base camera and its zoom in the slot (0 to 2) and saves the user file.
    void StoreCameraChoice(int slot);
    // With one entry on the stack, brings back the slot's camera; an unknown name leaves the
    // stack as it is (logged).
    void RestoreCameraChoice(int slot);
    // The stack's indices, top first.
    const std::list<int>& GetCameraStack() const { return m_cameraStack; }
    const std::vector<std::unique_ptr<CameraControl>>& GetCameraControls() const { return m_cameraControls; }

    // Null for a class the factory does not hold. Owned by its cast ("hud" for a
    // "HudElement", else "objects") unless quiet, then by the game.
    GameElement* CreateGameElement(const char* className, const char* name, bool quiet);
    // Takes the element out of the world, the vector and whichever cast holds it, and
    // deletes it once. Answers false in every case, null included.
    bool DeleteGameElement(GameElement* element);
    // Renames a member of "objects", keeping the part up to its last "|"; false (message
    // box "name not unique") when another member already bears the resulting name.
    bool RenameObject(Object* object, const char* name);
    void ResetObjects();
    void RefreshObjectsBrowser();
    // A browser of the caller's, told of what the game frees and refilled by it; null for
    // none. Enter makes the game's own only when the editor frame exists and none was set.
    void SetObjectsBrowser(ObjectsBrowser* browser) { m_browser = browser; }
    ObjectsBrowser* GetObjectsBrowser() const { return m_browser; }
    const std::vector<GameElement*>& GetGameElements() const { return m_gameElements; }

    // Null before Enter and after Exit.
    State* GetCurrentState() const { return m_state; }
    // Replaces the current state (old: Exit, delete; new: Enter).
    void SetCurrentState(State* state);
    int GetScreenshotCounter() const { return s_screenshotCounter; }
    // The program-wide flag SingleMatch keeps set while a match runs: screenshots only then.
    static bool s_inMatch;

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
    void CreateCameraControls();
    void AddSingletonsToCasts();
    void UpdateCameraKeys();
    // The elements whose deletion was asked for during the frame.
    void DeletePendingElements();
    // "cheat outro" shows the closing cut scenes, "cheat quit" goes back to the main menu.
    void ReadCheatKeys();
    void TakeScreenshot();
    void RenderPlayers();
    void DestroyLights();
    void ReleaseCasts();
    int FindCameraIndex(const std::string& name) const;
    void ClearObjectsCast();
    // Out of the renderer's world when it is there.
    static void TakeOutOfWorld(RenderObject* object);

    int m_listenerId = 0;
    bool m_entered = false;
    void CreateObjectsBrowser();
    void DestroyObjectsBrowser();

    // Null without an editor frame (full screen, headless): the browser is optional.
    ObjectsBrowser* m_browser = nullptr;
    std::unique_ptr<CObjectSettingsDialog> m_ownBrowser;
    std::unique_ptr<editor::ObjectsBrowserView> m_browserView;
    std::vector<std::unique_ptr<Object>> m_startupObjects;
    std::vector<std::unique_ptr<CameraControl>> m_cameraControls;
    // In creation order; owned by their cast unless made quiet (see m_quietElements).
    std::vector<GameElement*> m_gameElements;
    std::vector<GameElement*> m_quietElements;
    Color m_clearColor;
    std::vector<std::unique_ptr<Font>> m_fonts;
    std::unique_ptr<InputMapperGameTB> m_inputMapper;
    std::vector<GameElement*> m_pendingDeletions;
    std::vector<std::unique_ptr<Light>> m_lights;
    std::unique_ptr<SubCamera> m_subCameras[2];
    // Owned through StateSlot: SetCurrentState exits and deletes the one it replaces.
    State* m_state = nullptr;
    std::list<int> m_cameraStack;  // front = top
    bool m_returnToMenu = false;
    bool m_gameSizeKnown = false;
    int m_gameSize = 0;
    bool m_screenshotRequested = false;
    static int s_screenshotCounter;
};
