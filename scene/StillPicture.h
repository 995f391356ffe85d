#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

struct RwCamera;
struct RwRaster;

// The finished picture of a view that stands still for a while, such as a paused game under
// its menu: drawing it again would give the same pixels, so it is drawn once, kept, and laid
// back into the camera's raster until the camera moves, changes size or the hold ends.
class StillPicture {
public:
    StillPicture();
    ~StillPicture();
    StillPicture(const StillPicture&) = delete;
    StillPicture& operator=(const StillPicture&) = delete;

    // Inside the current camera's update. While hold is set and a picture kept for this camera
    // still fits its view, lays that picture into the camera's raster in place of draw; else
    // runs draw and, while hold is set and the view stands where the frame before left it,
    // keeps what it drew. Without hold, or on a device that shows no pictures, it only runs
    // draw and lets go of what it kept.
    void Draw(bool hold, const std::function<void()>& draw);
    // Every picture kept anywhere is drawn afresh at its next Draw: for changes no camera
    // shows, such as an edit made in the editor while a game is paused.
    static void ForgetAll();

private:
    struct RasterDeleter {
        void operator()(RwRaster* raster) const;
    };
    // What the picture depends on besides the scene: the camera's place, lens, target and
    // size, and the count of ForgetAll calls.
    struct View {
        std::array<float, 17> lens{};
        const RwRaster* target = nullptr;
        int32_t width = 0, height = 0, projection = 0;
        uint32_t generation = 0;
        bool operator==(const View&) const = default;
    };
    // Split screens draw one view per camera.
    struct Kept {
        const RwCamera* camera = nullptr;
        View view;  // what the picture shows
        View seen;  // the view of the last frame drawn
        std::unique_ptr<RwRaster, RasterDeleter> picture;
    };

    static View ViewOf(RwCamera& camera);
    Kept* Find(const RwCamera& camera);
    bool Show(RwCamera& camera);
    void Keep(RwCamera& camera, Kept& kept, const View& view);

    std::vector<Kept> m_kept;
    // A copy failed: the rest of this hold draws, without a warning each frame.
    bool m_failed = false;
    static uint32_t s_generation;
};
