#pragma once

#include "framework/Singleton.h"

#include <cstdint>
#include <memory>

struct RwRaster;
struct RwTexture;

// The picture with a progress bar that long loads paint straight into the primary camera's
// frame buffer, presenting each frame themselves while nothing else draws. Progress is the
// time elapsed against the time the caller expects, not the work done.
//
//     LoadingScreen::Instance()->Show(10.0f, false);
//     ... load a step; LoadingScreen::Instance()->Update(); ...
//     LoadingScreen::Instance()->Finish();
//     LoadingScreen::Instance()->Hide();
class LoadingScreen : public Singleton<LoadingScreen> {
public:
    // Where elapsed time comes from: the platform's high-resolution counter unless a test
    // gives its own.
    class Clock {
    public:
        virtual ~Clock() = default;
        virtual int64_t Counter() const = 0;
        // Counts per second.
        virtual int64_t Frequency() const = 0;
    };

    // 16.16 fixed point.
    static constexpr int32_t kFull = 0x10000;
    // The bar pictures are laid out for a bar of this many pixels.
    static constexpr int32_t kBarPixelsWide = 512;
    static constexpr int32_t kBarPixelsHigh = 32;
    // Loads that finish sooner never show the screen.
    static constexpr double kSecondsBeforeDrawing = 2.0;
    // One per frame buffer, so that none keeps an older picture.
    static constexpr int kFrameBuffers = 3;
    static constexpr const char* kFolder = "<PP>\\Menu\\";
    static constexpr const char* kBackgroundFile = "loading.png";
    static constexpr const char* kBarEmptyFile = "loadingempty.png";
    static constexpr const char* kBarFilledFile = "loadingfilled.png";

    struct Rect {
        int32_t x = 0, y = 0, width = 0, height = 0;
        bool operator==(const Rect&) const = default;
    };

    LoadingScreen();
    ~LoadingScreen() override;

    // Borrowed; it must outlive its use here. Null goes back to the platform's counter. Read
    // between shows: a screen shown on another clock keeps its start count.
    void SetClock(const Clock* clock);

    // Reads the pictures and starts the clock; an expected time of 0 or less counts as done
    // at once. With drawBackgroundNow the background fills every frame buffer at once. A
    // screen already shown lets go of its pictures first. Without an engine to make the bar
    // raster the screen stays inactive and later calls do nothing.
    void Show(float expectedSeconds, bool drawBackgroundNow);
    // Moves the bar on by the time elapsed (never back) and draws.
    void Update();
    // The bar full, then drawn.
    void Finish();
    // Lets go of the pictures and clears every frame buffer to black.
    void Hide();

    bool IsActive() const { return m_active; }
    // The picture has been put on screen since the last Show and is still there.
    bool IsPictureShown() const { return m_pictureShown; }
    // 0 to kFull.
    int32_t GetProgress() const { return m_progress; }
    // Where the bar lies on the screen, in pixels.
    const Rect& GetBarRect() const { return m_barRect; }
    // Screen size over the 800 x 600 layout, 16.16 fixed point.
    int32_t GetScaleX() const { return m_scaleX; }
    int32_t GetScaleY() const { return m_scaleY; }

private:
    struct TextureDeleter {
        void operator()(RwTexture* texture) const;
    };
    struct RasterDeleter {
        void operator()(RwRaster* raster) const;
    };
    using TexturePtr = std::unique_ptr<RwTexture, TextureDeleter>;
    using RasterPtr = std::unique_ptr<RwRaster, RasterDeleter>;

    void Draw();
    // The filled part of the bar, drawn into the target.
    void DrawBar(RwRaster* target);
    void Release();
    // Counts since Show.
    int64_t Elapsed() const;
    double ElapsedSeconds() const;

    const Clock* m_clock;
    bool m_active = false;
    float m_expectedSeconds = 0.0f;
    int64_t m_startCount = 0;
    int64_t m_frequency = 0;
    int64_t m_elapsedCount = 0;
    int32_t m_progress = 0;
    TexturePtr m_background;
    TexturePtr m_barEmpty;
    TexturePtr m_barFilled;
    // A window onto part of the filled bar's raster; no pixels of its own.
    RasterPtr m_barPart;
    Rect m_barRect;
    int32_t m_scaleX = 0;
    int32_t m_scaleY = 0;
    bool m_warnedCrop = false;
    bool m_pictureShown = false;
};
