#include "menus/LoadingScreen.h"

#include "engine/core/RwCore.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "platform/Platform.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"

#include <algorithm>

namespace {

// The layout the pictures are drawn for: 800 x 600, the bar 144 from the left and 150 above
// the bottom. The factors are the ones the game has always used, 1/800 and 1/600.
constexpr float kPerLayoutX = 0.00125f;
constexpr float kPerLayoutY = 0.0016666667f;
constexpr float kFixedOne = 65536.0f;
constexpr float kBarLeft = 144.0f;
constexpr float kBarAboveBottom = 150.0f;
constexpr int32_t kClearAll = rwCameraClearImage | rwCameraClearZ;
constexpr float kBlack[4] = {0.0f, 0.0f, 0.0f, 1.0f};

class PlatformClock : public LoadingScreen::Clock {
public:
    int64_t Counter() const override { return static_cast<int64_t>(platform::PerformanceCounter()); }
    int64_t Frequency() const override { return static_cast<int64_t>(platform::PerformanceFrequency()); }
};

const PlatformClock& DefaultClock()
{
    static const PlatformClock clock;
    return clock;
}

PrimaryCamera* Primary()
{
    return RwGraphics::Exists() ? RwGraphics::Instance()->GetPrimaryCamera() : nullptr;
}

RwRaster* RasterOf(const RwTexture* texture)
{
    return texture ? RwTextureGetRaster(texture) : nullptr;
}

// Stretched into rect of the target; nothing without a raster.
void Blit(RwRaster* target, RwRaster* raster, const RwRect& rect)
{
    if (!raster || !RwRasterPushContext(target))
        return;
    RwRasterRenderScaled(raster, &rect);
    RwRasterPopContext();
}

// One presented frame of the primary camera, cleared to opaque black, then painted. A frame
// whose paint copies a picture over the whole screen clears the depth alone: the copy replaces
// every pixel of the colour. The camera update is always ended, so that the game's next frame
// can begin its own.
template <typename Paint>
void PresentFrame(PrimaryCamera& camera, Paint paint, bool paintCoversAll = false)
{
    RwGraphics* graphics = RwGraphics::Instance();
    graphics->BeginRender();
    const bool updating = camera.BeginUpdate();
    camera.Clear(kBlack, paintCoversAll ? rwCameraClearZ : kClearAll);
    paint(camera.GetRaster());
    if (updating)
        camera.EndUpdate();
    graphics->Render();
}

}  // namespace

void LoadingScreen::TextureDeleter::operator()(RwTexture* texture) const
{
    RwTextureDestroy(texture);
}

void LoadingScreen::RasterDeleter::operator()(RwRaster* raster) const
{
    RwRasterDestroy(raster);
}

LoadingScreen::LoadingScreen() : m_clock(&DefaultClock()), m_frequency(m_clock->Frequency()) {}

LoadingScreen::~LoadingScreen()
{
    Release();
}

void LoadingScreen::SetClock(const Clock* clock)
{
    m_clock = clock ? clock : &DefaultClock();
    m_frequency = m_clock->Frequency();
}

void LoadingScreen::Show(float expectedSeconds, bool drawBackgroundNow)
{
    // Shown twice without a Hide (the game shows it at start and again for each match).
    Release();
    m_expectedSeconds = expectedSeconds;
    m_progress = 0;
    m_startCount = m_clock->Counter();
    m_elapsedCount = 0;
    m_warnedCrop = false;

    PrimaryCamera* camera = Primary();
    const float width = camera ? camera->GetWidth() : 0.0f;
    const float height = camera ? camera->GetHeight() : 0.0f;
    m_scaleX = static_cast<int32_t>(width * kPerLayoutX * kFixedOne);
    m_scaleY = static_cast<int32_t>(height * kPerLayoutY * kFixedOne);
    m_barRect = {static_cast<int32_t>(width * kPerLayoutX * kBarLeft),
                 static_cast<int32_t>(height - height * kPerLayoutY * kBarAboveBottom),
                 static_cast<int32_t>(width * kPerLayoutX * kBarPixelsWide),
                 static_cast<int32_t>(height * kPerLayoutY * kBarPixelsHigh)};

    RwImageSetPath(FileSystem::Instance()->ExpandAliases(kFolder).c_str());
    m_background.reset(RwTextureRead(kBackgroundFile, nullptr));
    if (drawBackgroundNow && camera && m_scaleX > 0 && m_scaleY > 0) {
        const RwRect screen{0, 0, static_cast<RwInt32>(width), static_cast<RwInt32>(height)};
        for (int i = 0; i < kFrameBuffers; ++i)
            PresentFrame(
                *camera, [&](RwRaster* target) { Blit(target, RasterOf(m_background.get()), screen); },
                RasterOf(m_background.get()) != nullptr);
        m_pictureShown = true;
    }
    m_barEmpty.reset(RwTextureRead(kBarEmptyFile, nullptr));
    m_barFilled.reset(RwTextureRead(kBarFilledFile, nullptr));
    m_barPart.reset(RwRasterCreate(0, 0, 0, 0));
    if (!m_barPart) {
        LogError("LoadingScreen::Show: no raster for the bar; the screen is not shown\n");
        Release();
        return;
    }
    m_active = true;
}

void LoadingScreen::Update()
{
    if (!m_active)
        return;
    m_elapsedCount = Elapsed();
    int32_t progress = kFull;
    if (m_expectedSeconds > 0.0f) {
        const double share = std::min(ElapsedSeconds() / m_expectedSeconds, 1.0);
        progress = static_cast<int32_t>(share * kFull);
    }
    // A Finish before keeps the bar full.
    m_progress = std::max(m_progress, progress);
    Draw();
}

void LoadingScreen::Finish()
{
    m_progress = kFull;
    Draw();
}

void LoadingScreen::Hide()
{
    if (!m_active)
        return;
    Release();
    PrimaryCamera* camera = Primary();
    if (!camera)
        return;
    for (int i = 0; i < kFrameBuffers; ++i)
        PresentFrame(*camera, [](RwRaster*) {});
}

void LoadingScreen::Release()
{
    m_active = false;
    m_pictureShown = false;
    // The window first: it looks into the filled bar's raster.
    m_barPart.reset();
    m_background.reset();
    m_barEmpty.reset();
    m_barFilled.reset();
}

int64_t LoadingScreen::Elapsed() const
{
    return m_clock->Counter() - m_startCount;
}

double LoadingScreen::ElapsedSeconds() const
{
    // A counter that went back, or one without a frequency, counts as no time.
    if (m_frequency <= 0 || m_elapsedCount <= 0)
        return 0.0;
    return static_cast<double>(m_elapsedCount) / static_cast<double>(m_frequency);
}

void LoadingScreen::Draw()
{
    if (!m_active)
        return;
    m_elapsedCount = Elapsed();
    PrimaryCamera* camera = Primary();
    // The scales first: a window of no size draws nothing, and no frame is begun for it.
    if (ElapsedSeconds() < kSecondsBeforeDrawing || !camera || m_scaleX == 0 || m_scaleY == 0)
        return;
    const RwRect screen{0, 0, static_cast<RwInt32>(camera->GetWidth()), static_cast<RwInt32>(camera->GetHeight())};
    const RwRect bar{m_barRect.x, m_barRect.y, m_barRect.width, m_barRect.height};
    PresentFrame(
        *camera,
        [&](RwRaster* target) {
            Blit(target, RasterOf(m_background.get()), screen);
            Blit(target, RasterOf(m_barEmpty.get()), bar);
            DrawBar(target);
        },
        RasterOf(m_background.get()) != nullptr);
    m_pictureShown = true;
}

void LoadingScreen::DrawBar(RwRaster* target)
{
    // Source pixels of the filled picture: cropped, not squeezed.
    const int32_t pixels = (m_progress << 9) >> 16;
    RwRaster* filled = RasterOf(m_barFilled.get());
    if (!filled || pixels <= 0)
        return;
    if (pixels > filled->width || kBarPixelsHigh > filled->height) {
        if (!m_warnedCrop)
            LogWarning("LoadingScreen::Draw: %s is %d x %d, smaller than the %d x %d bar; the filled part is not "
                       "drawn\n",
                       kBarFilledFile, filled->width, filled->height, kBarPixelsWide, kBarPixelsHigh);
        m_warnedCrop = true;
        return;
    }
    const RwRect crop{0, 0, pixels, kBarPixelsHigh};
    if (!RwRasterSubRaster(m_barPart.get(), filled, &crop))
        return;
    const int32_t width = static_cast<int32_t>((static_cast<int64_t>(pixels) * m_scaleX) >> 16);
    if (width <= 0)
        return;
    Blit(target, m_barPart.get(), {m_barRect.x, m_barRect.y, width, m_barRect.height});
}
