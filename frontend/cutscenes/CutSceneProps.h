#pragma once

// What two cut scenes show besides their script: the newspaper's page of the round, drawn
// off-screen onto the paper of the newspaper models, and the outro's particles that follow a
// path with an emission of their own.

#include <cstdint>
#include <memory>
#include <string>

class Camera;
class Clump;
class ParticleSystem;
struct RtAnimAnimation;
struct RtAnimInterpolator;
struct RwTexture;

// A texture drawn once from a page image, put on the materials whose texture is "paper".
class NewspaperPage {
public:
    // Rasters smaller than this are not tried.
    static constexpr int kMinimumWidth = 128;
    static constexpr int kPageNumbers = 9;
    // The page number that shows no page.
    static constexpr int kNoPage = 8;
    // The page shown before the career's first training.
    static constexpr int kBeforeFirstTraining = 7;

    // Tries the size, then half of it while the width stays at least kMinimumWidth. Without
    // any raster there is no page (logged): DrawImage and ApplyToClump do nothing. The camera
    // is the page's target; null makes a plain one.
    NewspaperPage(int width, int height, std::unique_ptr<Camera> camera = nullptr);
    ~NewspaperPage();

    NewspaperPage(const NewspaperPage&) = delete;
    NewspaperPage& operator=(const NewspaperPage&) = delete;

    // The image of "<PP>cutScenes\newspaper\Textures24Bit\" over the rectangle, in fractions
    // of the page. An image that cannot be read leaves the page as it was.
    void DrawImage(const std::string& name, float x0, float y0, float x1, float y1);
    // Every material of the clump whose texture is named exactly "paper" shows the page.
    void ApplyToClump(Clump& clump) const;

    bool HasPage() const { return m_texture != nullptr; }
    // The raster's size; 0 without a page.
    int GetWidth() const { return m_width; }
    // Both kept by the page; the texture is null without a page.
    Camera* GetCamera() const { return m_camera.get(); }
    RwTexture* GetTexture() const { return m_texture; }

    // "R03_2nd_game_won.png" for round index 2 and page 4; empty for a page number without
    // an image.
    static std::string ImageName(int roundIndex, int pageNumber);

private:
    std::unique_ptr<Camera> m_camera;
    RwTexture* m_texture = nullptr;  // one reference held; its raster is the camera's
    int m_width = 0;
};

// Moves a particle system along a path and drives its emission from a second path's height.
class OutroParticleDriver {
public:
    // The path's first node, moved this far along z, is where the particles come from.
    static constexpr float kDepthOffset = -7.0f;

    OutroParticleDriver() = default;
    ~OutroParticleDriver();

    OutroParticleDriver(const OutroParticleDriver&) = delete;
    OutroParticleDriver& operator=(const OutroParticleDriver&) = delete;

    // The system is borrowed and must outlive the driver; its emission now is the base. Reads
    // emitterBase + ".dff" and ".anm" and controllerBase + ".anm". False (logged) when a path
    // cannot be read: Update then leaves the system alone.
    bool Init(ParticleSystem* system, const std::string& emitterBase, const std::string& controllerBase);
    // Both paths start again at 0 once the clock passes either one's end.
    void Update(float step);

    // Seconds along the paths.
    float GetTime() const { return m_time; }
    float GetBaseEmission() const { return m_baseEmission; }

private:
    struct Path {
        RtAnimAnimation* animation = nullptr;
        RtAnimInterpolator* interpolator = nullptr;
    };
    static bool ReadPath(Path& path, const std::string& file);
    static void DestroyPath(Path& path);
    // The first node's position at the path's time.
    static void NodePosition(Path& path, float time, float out[3]);

    ParticleSystem* m_system = nullptr;
    std::unique_ptr<Clump> m_emitterClump;
    Path m_emitter;
    Path m_controller;
    float m_baseEmission = 0.0f;
    float m_time = 0.0f;
};
