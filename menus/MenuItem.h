#pragma once

#include "framework/Message.h"
#include "framework/Object.h"
#include "framework/Quaternion.h"
#include "framework/Vector.h"

#include <string>

class Menu;
class XmlNode;

// A widget of a menu screen: made by class name from its element, updated and drawn by the
// menu every frame, and faded in and out by the state machine all widgets share.
class MenuItem : public Object, public MessageListener {
public:
    enum FadeMode { kFadeNone = 0, kFadeScrollRight = 1, kFadeScrollLeft = 2 };
    enum FadeState {
        kWaitingToAppear = 0,
        kAppearing = 1,
        kShown = 2,
        kWaitingToDisappear = 3,
        kDisappearing = 4,
        kGone = 5,
        kIdle = 6
    };
    static constexpr float kDefaultFadeSpeed = 3.0f;

    // A message sent to this item by the menu or the screen's owner.
    int OnMessage(int message, intptr_t param) override = 0;

    // Runs the "OnUpdate" action, every frame.
    virtual void Update(float seconds);
    // Reads the widget from its element, which must outlive the item (the menu keeps it).
    virtual void Create(XmlNode* node) = 0;
    // Null before Create.
    virtual XmlNode* GetXmlNode() const { return m_xmlNode; }
    // Pass 0 draws the shadow, pass 1 the widget.
    virtual void Draw(int pass);
    // Null reads as an empty name.
    virtual void SetName(const char* name);
    // The owning menu, borrowed; set before Create.
    virtual void SetMenu(Menu* menu) { m_menu = menu; }
    virtual const std::string& GetName() const { return m_name; }
    // (x, y, width, height); the menu staggers fades by its x and y.
    virtual Vector4 GetArea() const = 0;
    virtual void SetFadeMode(int mode) { m_fadeMode = mode; }
    // Whether the point, in screen pixels, lies on the widget.
    virtual bool HitTest(float x, float y) const;
    virtual void Enable() { m_enabled = true; }
    virtual void Disable() { m_enabled = false; }
    virtual bool IsEnabled() const { return m_enabled; }
    virtual void Show() { m_visible = true; }
    virtual void Hide() { m_visible = false; }
    virtual bool IsVisible() const { return m_visible; }
    virtual void Select() { m_selected = true; }
    virtual void Deselect() { m_selected = false; }
    virtual bool IsSelected() const { return m_selected; }
    // Only widgets the player can pick answer true (while enabled).
    virtual bool IsSelectable() const { return false; }
    virtual void SetBlinking(bool blinking) { m_blinking = blinking; }
    virtual void SetExtraText(const std::string& text) { m_extraText = text; }
    // The shown text of a text widget; empty for the others.
    virtual std::string GetText() const { return std::string(); }
    virtual void SetFadeState(int state) { m_fadeState = state; }
    virtual int GetFadeState() const { return m_fadeState; }
    // Starts the fade the menu has just set (appear or disappear) after the delay, from a
    // random turn and offset.
    virtual void StartFade(float delay);
    virtual void UpdateFade(float seconds);
    // The x shift of a 2D widget in menu units while it fades.
    virtual float GetFadeOffset() const;
    // Turns and moves a 3D widget's placement while it fades; unchanged outside a fade.
    virtual void GetFadeTransform(Vector3& position, Quaternion& rotation) const;
    // Where a 3D widget is drawn: the menu plane's pose with the fade applied. Needs the menu.
    void GetPlanePose(Vector3& position, Quaternion& rotation) const;

    void SetString(const std::string& text) { SetExtraText(text); }
    const std::string& GetExtraText() const { return m_extraText; }
    bool IsBlinking() const { return m_blinking; }
    bool Is3d() const { return m_is3d; }
    int GetFadeMode() const { return m_fadeMode; }
    // 0 gone to 1 shown; the delay is in seconds.
    float GetFadeProgress() const { return m_fadeProgress; }
    float GetFadeDelay() const { return m_fadeDelay; }
    const Vector3& GetFadeStartOffset() const { return m_fadeOffset; }
    const Quaternion& GetFadeStartRotation() const { return m_fadeRotation; }
    const std::string& GetUpdateAction() const { return m_updateAction; }
    // Null before SetMenu.
    Menu* GetMenu() const { return m_menu; }

    // Reads "name", "fademode", "blinking" and "OnUpdate"; every Create calls it first.
    void ReadCommonAttributes(XmlNode* node);
    // Update, then UpdateFade: the update of most widgets.
    void UpdateWithFade(float seconds);

protected:
    // Reads "x,y" into the two numbers; those it cannot read stay as they were.
    static void ReadPair(const XmlNode* node, const char* attribute, float& x, float& y);
    bool IsFading() const { return m_fadeState >= kWaitingToAppear && m_fadeState <= kGone; }

    Menu* m_menu = nullptr;
    std::string m_name;
    XmlNode* m_xmlNode = nullptr;
    std::string m_updateAction;
    bool m_enabled = true;
    bool m_visible = true;
    bool m_selected = false;
    bool m_blinking = false;
    std::string m_extraText;
    bool m_is3d = false;
    int m_fadeMode = kFadeScrollRight;
    int m_fadeState = kIdle;
    float m_fadeDelay = 0.0f;
    float m_fadeProgress = 0.0f;
    float m_fadeSpeed = kDefaultFadeSpeed;
    Vector3 m_fadeOffset;
    Quaternion m_fadeRotation;
};

// A widget that only shows something: it ignores messages and only fades.
class MenuDisplayItem : public MenuItem {
public:
    int OnMessage(int, intptr_t) override { return 0; }
    void Update(float seconds) override { UpdateWithFade(seconds); }
};

// Shifts the items after it in the screen by its position, for the rest of a drawing pass.
class MenuOrigin : public MenuDisplayItem {
public:
    void Create(XmlNode* node) override;
    void Draw(int pass) override;
    Vector4 GetArea() const override { return Vector4(); }
    const Vector2& GetOrigin() const { return m_origin; }

private:
    Vector2 m_origin;
};

// An invisible named rectangle that the screen's owner reads back for its own drawing.
class MenuCustomElement : public MenuItem {
public:
    int OnMessage(int, intptr_t) override { return 0; }
    void Update(float seconds) override;
    void Create(XmlNode* node) override;
    // The rectangle moved by the fade.
    Vector4 GetArea() const override { return m_area; }

private:
    Vector4 m_rect;
    Vector4 m_area;
};
