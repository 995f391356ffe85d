#pragma once

#include "framework/Color.h"
#include "framework/Singleton.h"
#include "framework/Vector.h"
#include "scene/RenderObject.h"

#include <memory>
#include <vector>

class AmbientLight;
class Clump;
class RenderStateSaver;
class Texture;

// The engine's fog, switched on or off for what draws after it.
class Fog : public RenderObject {
public:
    enum Type : int32_t { kLinear = 0, kExponential = 1, kExponential2 = 2 };

    // A type outside the three is clamped into them, with a warning.
    void Serialize(Serializer& serializer, const char* descriptor) override;
    void Render() override { Apply(); }
    void Update(float) override {}

    // Sets the fog render states, through the saver when given so that it can put them back,
    // and the current camera's fog distance.
    void Apply(RenderStateSaver* saver = nullptr) const;

    bool enable = false;
    int32_t type = kLinear;
    Color color = Color::White;
    float density = 0.0f;
    float distance = 0.0f;
};

// The dome drawn round the camera behind the rest of the scene, lit by a light of its own.
class Skydome : public RenderObject {
public:
    // The night dome is loaded only with night. The sky light joins the renderer's current
    // world, which must outlive the dome or be replaced first.
    explicit Skydome(bool night);
    ~Skydome() override;

    void Serialize(Serializer& serializer, const char* descriptor) override;
    void SetPosition(const Vector3& position) override;
    // The sky is drawn by Draw, behind the scene.
    void Render() override {}
    void Update(float dt) override;

    // The night dome fades in by nightAlpha (0 day, 1 night). The dome lies at the far depth
    // under the z test: it shows only where nothing was drawn since the z-buffer was cleared,
    // so it goes after the opaque scene and before the transparent parts. Render states, the
    // camera's fog distance and the world's lights are left as they were; nothing is drawn
    // without a current world or camera.
    void Draw(float nightAlpha);

    bool HasNightDome() const { return m_night != nullptr; }
    Fog& GetFog() { return *m_fog; }
    AmbientLight& GetLight() { return *m_light; }

private:
    std::unique_ptr<Clump> m_day;
    std::unique_ptr<Clump> m_night;
    std::unique_ptr<Fog> m_fog;
    float m_nightAlpha = 0.0f;
    std::unique_ptr<AmbientLight> m_light;
};

// Flares across the screen from the sun to the centre and beyond, while the sun is in view
// and nothing stands between it and the camera.
class Lensflares : public RenderObject {
public:
    static constexpr int kTextureCount = 5;

    struct Flare {
        int32_t type = 0;
        float distance = 0.0f;
        float size = 10.0f;
        float offset = 0.0f;
        float rotation = 0.0f;
        bool doRotate = false;
        bool doScale = false;
        Color color = Color::White;
    };

    // Reads the five flare textures of the texture set; a missing one is logged by the
    // texture layer and the flares using it are not drawn.
    Lensflares();

    // A negative count reads as 0; a changed count tells an editor to rebuild its page.
    void Serialize(Serializer& serializer, const char* descriptor) override;
    void Render() override;
    void Update(float) override {}

    // The point's screen position over the current camera (0..1 in x and y) and its depth;
    // false without a camera.
    static bool ProjectToScreen(const Vector3& point, Vector2& screen, float& depth);

    std::vector<Flare>& GetFlares() { return m_flares; }
    // Null when that texture could not be read or the type is outside the five.
    Texture* GetTexture(int type) const;
    // How many quads the last Render drew.
    int GetDrawnCount() const { return m_drawn; }

private:
    std::vector<Flare> m_flares;
    // Borrowed from the texture manager.
    std::vector<Texture*> m_textures;
    float m_fadeRange = 0.5f;
    int m_drawn = 0;
};

// Line-of-sight tests against the world geometry of the renderer's current world.
class Raycaster : public Singleton<Raycaster> {
public:
    // Where along from..to (0 at from, 1 at to) the first triangle the engine reports lies;
    // -1 when none does, or without a current world or engine world.
    float RayTest(const Vector3& from, const Vector3& to) const;
};
