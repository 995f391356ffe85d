#pragma once

// The front-end menu state: shows one XML screen of the menu and turns the screen's
// command words into changes of the flow of play.

#include "framework/Message.h"
#include "framework/Quaternion.h"
#include "framework/State.h"
#include "framework/Vector.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct MenuActionParameter;
struct MenuCommandCall;

// One screen from Enter to Exit. A command that picks a successor (none included) starts
// the fade-out, and Update hands the successor over once the screen is gone; "RunCode"
// hands over at the next update. A null successor ends the state.
class TBMenu : public State, public MessageListener {
public:
    // The menu and text scale (width / 800, height / 600), written by SetScreenSize.
    struct Scale {
        float x = 1.0f;
        float y = 1.0f;
    };
    static Scale ScreenScale;
    // Called by the game state's render every frame with the camera raster's size; also
    // sets the menu's scale. Click positions stay in pixels.
    static void SetScreenSize(int width, int height);
    static void SetMenuMousePosition(int width, int height) { SetScreenSize(width, height); }

    explicit TBMenu(const std::string& screen);
    // Deletes a successor it never handed over.
    ~TBMenu() override;

    void Enter() override;
    // Reverts the option toggles, lets the screen go and, after "BackToMain", asks the game
    // state for the main menu.
    void Exit() override;
    State* Update(float dt) override;
    void Render() override;
    // Runs one command word of the screen; 0, or -1 when the command failed and the rest of
    // its action text must not run.
    int OnMessage(int message, intptr_t param) override;

    // "<PP>\Menu\Screens\<screen>.xml"; false (logged) when the file is missing or broken,
    // and the screen stays empty.
    bool CreateMenu();
    // One frame of keys, joystick and mouse; keys pressed while the screen faded in are
    // taken first, a frame's keys at a time.
    void PollMenuInput();
    // Every numbered text as the variable "%<number>%".
    void PublishTextVariables();
    // Every variable the screens show, from the state of the game.
    void UpdateMenuVariables();
    // Each toggle's value under "%<name>%" in the edit values; "%numOfDevices%".
    void RegisterToggleEditValues();
    // A single match with an all-star side: draws its pool and either shares it out and
    // starts the match or loads it onto the bench for the players to pick. Sets the
    // successor and fades out; without a successor (logged) the screen stays. The first
    // seeds the game's random sequence from the clock.
    void StartSingleMatch();
    void StartSingleMatch(uint32_t seed);
    // Scrolls the credits text through the "creditsText" item; at the end, back to "main".
    void DrawCredits();

    // The message screen that tells the player how a command went.
    static constexpr const char* kNoticeScreen = "message_dynamic";
    static constexpr float kNoticeSeconds = 2.0f;
    // What it says after a save, and when a save or the settings could not be written.
    static constexpr const char* kSavedNotice = "%30330%";
    static constexpr const char* kNotSavedNotice = "%30331%";
    // Fades the screen out, shows the text on the message screen for kNoticeSeconds, then
    // builds the screen again with the same item selected. Meanwhile the state neither
    // exits nor hands over and takes no input, so what the player chose or typed stays.
    void ShowNotice(const std::string& text);
    bool IsShowingNotice() const { return m_notice.has_value(); }

    // The successor is owned until Update hands it over; a previous one is deleted. Also
    // used by the commands, which then start the fade-out.
    void SetNext(State* next);
    State* GetNext() const { return m_next; }
    // The next Update hands the successor over without waiting for the fade-out.
    void SetLeaveAtOnce(bool leave) { m_leaveAtOnce = leave; }
    // Enter clears it; "BackToMain" sets it.
    void SetReturnToMainOnExit(bool on) { m_returnToMainOnExit = on; }
    bool GetReturnToMainOnExit() const { return m_returnToMainOnExit; }
    // A key capture for the input action; PollMenuInput ends it with the next key, or with
    // Escape, which puts the action's key back.
    void StartKeyCapture(const std::string& action);
    bool IsCapturingKey() const { return m_keyCapturePending; }
    void SetDrawMouseCursor(bool on) { m_drawMouseCursor = on; }
    // The menu state that "SetMenu" and "Controls assign" open on the screen, owned by the
    // caller; in-match menus stay in-match menus.
    virtual TBMenu* CreateScreen(const std::string& screen) const;

    const std::string& GetScreen() const { return m_screenName; }
    // Where the menu plane is drawn in the world.
    const Vector3& GetPosition() const { return m_position; }
    const Quaternion& GetRotation() const { return m_rotation; }
    void SetPosition(const Vector3& position) { m_position = position; }
    void SetRotation(const Quaternion& rotation) { m_rotation = rotation; }
    // How far the credits have scrolled, in menu units; it grows 50 a second while the
    // screen has a credits item.
    float GetCreditsScroll() const { return m_creditsScroll; }
    void SetCreditsScroll(float scroll) { m_creditsScroll = scroll; }

    // Where the credits' lines stand for a scroll offset, s pixels per menu unit and a
    // number of lines: the lines to print with their y in pixels, and whether the last one
    // has passed the top.
    struct CreditsLayout {
        std::vector<std::pair<int, float>> printed;
        bool ended = false;
    };
    static CreditsLayout LayOutCredits(float scroll, float s, int lines);

protected:
    // Runs one command word of the screen in the fade state; a subclass may take a vocabulary
    // of its own.
    virtual void RunCommand(const std::string& word, MenuCommandCall& call, int fadeState);

private:
    // What ShowNotice shows and what it brings back.
    struct Notice {
        std::string text;
        std::string selected;
        // The message screen places the plane its own way.
        Vector3 position;
        Quaternion rotation;
        float remaining = kNoticeSeconds;
        bool shown = false;  // the message screen has replaced the screen
    };

    // Ends a pending key capture once the keyboard has taken a key (or there is none).
    void PollKeyCapture();
    // Notes the menu keys pressed this frame while the screen fades in: the player sees the
    // screen and means it.
    void KeepEarlyKeys();
    // "<PP>\Menu\Screens\<screen>.xml" into the menu, fading in; false when it is missing.
    bool LoadScreenFile(const std::string& screen);
    // One frame of a notice: the screen out, the message in and out, the screen back.
    void UpdateNotice(float dt);

    Vector3 m_position;
    Quaternion m_rotation;
    std::string m_screenName;
    State* m_next = nullptr;
    bool m_keyCapturePending = false;
    std::string m_captureAction;
    int m_bindingBeforeCapture = -1;
    float m_creditsScroll = 0.0f;
    bool m_returnToMainOnExit = false;
    bool m_leaveAtOnce = false;
    bool m_drawMouseCursor = true;
    std::optional<Notice> m_notice;
    // Presses beyond this while the screen appears are dropped, as the keyboard drops a burst.
    static constexpr size_t kMaxEarlyKeys = 4;
    // One entry a frame that had menu keys, the oldest first.
    std::vector<uint8_t> m_earlyKeys;
};
