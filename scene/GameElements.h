#pragma once

#include "scene/GameElement.h"
#include "scene/MaterialActions.h"
#include "scene/ParticleSystem.h"
#include "scene/Texture.h"

#include <memory>
#include <string>
#include <vector>

class Billboard;
class Cast;
class Clump;
class HudItem;

// A placed model with surface actions and its own blending.
class ClumpElement : public GameElement {
public:
    ClumpElement();
    ~ClumpElement() override;

    // Section "ClumpElement"; the element's flags are not part of it. Reading attaches the
    // actions to the (possibly reloaded) clump.
    void Serialize(Serializer& serializer, const char* descriptor) override;

    // The placement is the clump's.
    void SetPosition(const Vector3& position) override;
    const Vector3& GetPosition() const override;
    void SetRotation(const Quaternion& rotation) override;
    const Quaternion& GetRotation() const override;
    // Drawn while the render object's visible flag is on.
    void Render() override;
    // The actions run, then the clump updates.
    void Update(float dt) override;

    // Every material's alpha becomes alpha x 255 (truncated) and the geometry modulates by it.
    void SetTransparency(float alpha);

    Clump* GetClump() const { return m_clump.get(); }
    ActionList& GetActions() { return m_actions; }
    void SetAlphaClip(int32_t alphaClip) { m_alphaClip = alphaClip; }
    void SetZWrite(bool zWrite) { m_zWrite = zWrite; }
    // Engine blend functions (1 Zero .. 11 Source Alpha Sat.).
    void SetBlend(bool override, int32_t source, int32_t destination)
    {
        m_overrideBlend = override;
        m_blendSource = source;
        m_blendDestination = destination;
    }

private:
    std::unique_ptr<Clump> m_clump;
    int32_t m_alphaClip = 0;
    bool m_zWrite = true;
    bool m_overrideBlend = false;
    int32_t m_blendSource = 5;
    int32_t m_blendDestination = 6;
    // After the clump: actions point into its materials and go first.
    ActionList m_actions;
};

// Camera-facing trees standing on the triangle centres of a position model.
class BillboardForest : public GameElement {
public:
    enum Align : int32_t { kBottom = 0, kCenter = 1, kTop = 2 };

    BillboardForest();
    ~BillboardForest() override;

    // Reading rebuilds the forest.
    void Serialize(Serializer& serializer, const char* descriptor) override;
    void Render() override;
    void Update(float dt) override;

    // A missing model or texture leaves the forest empty.
    void Rebuild();
    // Between min and max size, repeatable from the position.
    float TreeSize(const Vector3& centre) const;

    const std::vector<Vector3>& GetTreePositions() const { return m_positions; }
    const std::vector<std::unique_ptr<Billboard>>& GetBillboards() const { return m_billboards; }
    void SetFiles(const std::string& positions, const std::string& texture, const std::string& alpha)
    {
        m_positionFile = positions;
        m_textureFile = texture;
        m_alphaFile = alpha;
    }
    void SetSizes(float minSize, float maxSize, int32_t align)
    {
        m_minSize = minSize;
        m_maxSize = maxSize;
        m_align = align;
    }

private:
    void Plant(const Vector3& centre);

    std::string m_positionFile;
    std::string m_textureFile;
    std::string m_alphaFile;
    std::unique_ptr<Clump> m_positionClump;
    float m_minSize = 1.0f, m_maxSize = 1.0f;
    bool m_onlyYAxis = true;
    bool m_writeZ = true;
    int32_t m_alphaClip = 128;
    int32_t m_blendSource = 5, m_blendDestination = 6;
    int32_t m_align = kBottom;
    Color m_colour = Color::White;
    std::vector<Vector3> m_positions;
    std::vector<RwIm3DVertex> m_corners;  // the trees in view, kept to spare a frame's allocation
    std::vector<std::unique_ptr<Billboard>> m_billboards;
    // The texture manager's; never deleted here.
    Texture* m_texture = nullptr;
};

// A particle system placed in a level, drawn only at a graphics quality that allows it.
class GeParticleSystem : public GameElement {
public:
    enum Quality : int32_t { kLow = 0, kMedium = 1, kHigh = 2 };

    GeParticleSystem();
    ~GeParticleSystem() override;

    void Serialize(Serializer& serializer, const char* descriptor) override;
    // The element's and the particle system's.
    void SetPosition(const Vector3& position) override;
    void SetRotation(const Quaternion& rotation) override;
    // The element's distance less the sorting offset, never below 0.
    float GetDistanceToCamera() const override;
    void Render() override;
    void Update(float dt) override;
    // Clears the particles; the running flags stay.
    void ResetStatus() override;

    virtual ParticleSystem* GetParticleSystem() { return m_system.get(); }
    // The particle system filed under the name in the cast: a member that is one, or the one a
    // placed element wraps (levels place them as elements). Null when there is none.
    static ParticleSystem* FindIn(const Cast* cast, const char* name);

    // Where the player's graphics quality comes from (the game parameters sit above the
    // scene); null reads as medium, the parameters' default.
    using QualitySource = int32_t (*)();
    static void SetQualitySource(QualitySource source);
    static int32_t GetQualitySetting();
    Texture* GetTexture() { return m_texture.get(); }
    void SetQuality(int32_t quality) { m_quality = quality; }

private:
    // Ready, with a texture, at a quality the settings allow.
    bool CanRun();

    std::unique_ptr<Texture> m_texture;
    std::unique_ptr<BillboardParticleFactory> m_factory;
    // Last: its particles go back to the factory when it is destroyed.
    std::unique_ptr<ParticleSystem> m_system;
    bool m_enableFog = true;
    int32_t m_quality = kLow;
    float m_sortingOffset = 0.0f;
};

// A sound marker: an event name at a place. Draws and updates nothing.
class SfxElement : public GameElement {
public:
    void Serialize(Serializer& serializer, const char* descriptor) override;
    void Render() override {}
    void Update(float) override {}

    const std::string& GetEventName() const { return m_eventName; }
    void SetEventName(const std::string& name) { m_eventName = name; }
    // The voice playing the event; 0 while none does.
    intptr_t GetPlayHandle() const { return m_playHandle; }
    void SetPlayHandle(intptr_t handle) { m_playHandle = handle; }

private:
    std::string m_eventName;
    intptr_t m_playHandle = 0;
};

// A HUD item's place in a level cast.
class HudElement : public GameElement {
public:
    HudElement();
    ~HudElement() override;

    // The element's flags, then the item by class name with its own table. Reading a class
    // the HUD-item factory does not know leaves no item.
    void Serialize(Serializer& serializer, const char* descriptor) override;

    // With an item, these are the item's.
    void SetPosition(const Vector3& position) override;
    const Vector3& GetPosition() const override;
    void Render() override;
    void Update(float dt) override;

    // Null without an item.
    HudItem* GetItem() const { return m_item.get(); }
    void SetItem(std::unique_ptr<HudItem> item);

    // Sets the parameter of the item of the first member of the cast with the name; nothing
    // happens when there is no such member, it is no HUD element or it has no item.
    static void SetItemParameter(const Cast& cast, const char* name, const char* key, const char* value);

private:
    std::unique_ptr<HudItem> m_item;
    std::string m_itemName;
};
