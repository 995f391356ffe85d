// The loading screen on the null device, whose frame buffer keeps what is painted, with a
// clock the tests set.
#include "engine/core/NullDevice.h"
#include "engine/core/RwCore.h"
#include "framework/FileSystem.h"
#include "menus/LoadingScreen.h"
#include "scene/Camera.h"
#include "scene/EngineUtil.h"
#include "scene/RwGraphics.h"
#include "tests/support/LogCapture.h"
#include "tests/support/OffscreenEngine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr RwRGBA kBackground{0, 0, 255, 255};
constexpr RwRGBA kEmpty{255, 0, 0, 255};
// The filled picture's left half and right half, so that a squeezed bar shows both.
constexpr RwRGBA kFilledLeft{0, 255, 0, 255};
constexpr RwRGBA kFilledRight{255, 255, 0, 255};
constexpr RwRGBA kBlack{0, 0, 0, 255};

class FakeClock : public LoadingScreen::Clock {
public:
    static constexpr int64_t kFrequency = 1000;
    int64_t Counter() const override { return now; }
    int64_t Frequency() const override { return kFrequency; }
    void At(double seconds) { now = kStart + static_cast<int64_t>(seconds * kFrequency); }

    static constexpr int64_t kStart = 123456789;
    int64_t now = kStart;
};

using Image = std::unique_ptr<RwImage, decltype(&RwImageDestroy)>;

void WritePicture(const std::string& path, int width, int height, const std::function<RwRGBA(int x)>& colour)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    Image image(RwImageAllocatePixels(RwImageCreate(width, height, 32)), RwImageDestroy);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            *reinterpret_cast<RwRGBA*>(image->pixels + y * image->stride + x * 4) = colour(x);
    ASSERT_TRUE(RtPngImageWrite(image.get(), path.c_str())) << path;
    FileSystem::Instance()->InvalidateDiskCache();
}

bool operator==(const RwRGBA& a, const RwRGBA& b)
{
    return a.red == b.red && a.green == b.green && a.blue == b.blue && a.alpha == b.alpha;
}

class LoadingScreenTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        RwGraphics* graphics = RwGraphics::Instance();
        graphics->SetDeviceKind(rwDeviceNull);
        graphics->SetScreenSize(800, 600);
        ASSERT_TRUE(graphics->Initialise(OffscreenWindow()));
        FileSystem::Instance()->AddAlias("<PP>", "data\\pc\\");
    }
    static void TearDownTestSuite()
    {
        LoadingScreen::DestroyInstance();
        RwGraphics::Instance()->Destroy();
        CloseOffscreenWindow();
    }

    void SetUp() override
    {
        std::filesystem::remove_all("data");
        WritePicture("data/pc/Menu/loading.png", 80, 60, [](int) { return kBackground; });
        WritePicture("data/pc/Menu/loadingempty.png", 512, 32, [](int) { return kEmpty; });
        WriteFilled(512);
        camera()->SetSize(800, 600);
        screen = LoadingScreen::Instance();
        screen->SetClock(&clock);
        clock.At(0);
        RwNullDeviceGet()->ClearLog();
    }
    void TearDown() override
    {
        screen->Hide();
        screen->SetClock(nullptr);
    }

    static PrimaryCamera* camera() { return RwGraphics::Instance()->GetPrimaryCamera(); }
    static void WriteFilled(int width)
    {
        WritePicture("data/pc/Menu/loadingfilled.png", width, 32,
                     [width](int x) { return x < width / 2 ? kFilledLeft : kFilledRight; });
    }

    // The frame buffer as last painted.
    class Frame {
    public:
        Frame() : m_image(EngineUtil::GrabCameraRaster(camera()->GetRwCamera()), RwImageDestroy) {}
        RwRGBA operator()(int x, int y) const
        {
            return *reinterpret_cast<const RwRGBA*>(m_image->pixels + y * m_image->stride + x * 4);
        }
        // How far the bar's row shows the filled picture, from the bar's left edge.
        int FilledPixels(int left = 144, int row = 466) const
        {
            int x = left;
            while (x < m_image->width && IsFilled((*this)(x, row)))
                ++x;
            return x - left;
        }

    private:
        Image m_image;
    };
    static bool IsFilled(const RwRGBA& pixel) { return pixel == kFilledLeft || pixel == kFilledRight; }

    LoadingScreen* screen = nullptr;
    FakeClock clock;
};

TEST_F(LoadingScreenTest, TheBarFollowsTheClockAndShowsTheFilledPictureCroppedNotSqueezed)
{
    screen->Show(10.0f, false);
    ASSERT_TRUE(screen->IsActive());
    const struct {
        double seconds;
        int32_t progress;
        int filledPixels;
        RwRGBA lastFilled;
    } steps[] = {
        {5.0, 0x8000, 256, kFilledLeft},
        // A real division: whole seconds would give 0x8000 again.
        {5.5, 0x8CCC, 281, kFilledRight},
        {10.0, LoadingScreen::kFull, 512, kFilledRight},
        {12.0, LoadingScreen::kFull, 512, kFilledRight},
    };
    for (const auto& step : steps) {
        clock.At(step.seconds);
        screen->Update();
        EXPECT_EQ(screen->GetProgress(), step.progress) << step.seconds;
        const Frame frame;
        EXPECT_EQ(frame.FilledPixels(), step.filledPixels) << step.seconds;
        EXPECT_TRUE(frame(144 + step.filledPixels - 1, 466) == step.lastFilled) << step.seconds;
        EXPECT_TRUE(frame(143, 466) == kBackground) << step.seconds;
        EXPECT_TRUE(frame(400, 100) == kBackground) << step.seconds;
    }
    // The empty bar shows beside the half one.
    clock.At(5.0);
    screen->Show(10.0f, false);
    clock.At(7.0);
    screen->Update();
    const Frame frame;
    EXPECT_TRUE(frame(144 + 358, 466) == kEmpty);
    EXPECT_TRUE(frame(144 + 512, 466) == kBackground);
}

// The background replaces every pixel, so a frame that has it clears the depth alone; one
// without it is cleared to black. Either way the frame shows what it should.
TEST_F(LoadingScreenTest, OnlyAFrameWithoutItsBackgroundIsClearedToBlack)
{
    for (const bool background : {true, false}) {
        SCOPED_TRACE(background ? "with its background" : "without");
        if (!background) {
            std::filesystem::remove("data/pc/Menu/loading.png");
            FileSystem::Instance()->InvalidateDiskCache();
        }
        clock.At(0);
        screen->Show(10.0f, false);
        clock.At(5.0);
        RwNullDeviceGet()->ClearLog();
        screen->Update();
        const std::vector<RwNullClearRecord>& clears = RwNullDeviceGet()->clears;
        ASSERT_EQ(clears.size(), 1u);
        EXPECT_EQ(clears[0].clearMode, background ? rwCameraClearZ : rwCameraClearImage | rwCameraClearZ);
        EXPECT_TRUE(Frame()(400, 100) == (background ? kBackground : kBlack));
    }
}

TEST_F(LoadingScreenTest, AnExpectedTimeOfNothingCountsAsDone)
{
    for (float expected : {0.0f, -1.0f}) {
        clock.At(0);
        screen->Show(expected, false);
        screen->Update();
        EXPECT_EQ(screen->GetProgress(), LoadingScreen::kFull) << expected;
    }
}

TEST_F(LoadingScreenTest, FinishBeforeTwoSecondsDrawsNothingAndTheBarNeverGoesBack)
{
    screen->Show(10.0f, false);
    clock.At(1.0);
    screen->Update();
    screen->Finish();
    EXPECT_EQ(screen->GetProgress(), LoadingScreen::kFull);
    EXPECT_EQ(RwNullDeviceGet()->shows, 0);
    EXPECT_EQ(RwNullDeviceGet()->scaledRenders, 0);
    // The loader's next step after Finish keeps the bar full.
    clock.At(3.0);
    screen->Update();
    EXPECT_EQ(screen->GetProgress(), LoadingScreen::kFull);
    EXPECT_EQ(RwNullDeviceGet()->shows, 1);
    EXPECT_EQ(Frame().FilledPixels(), 512);
}

TEST_F(LoadingScreenTest, TheBarIsPlacedByTheLayoutFactorsAtAnySize)
{
    const struct {
        uint32_t width, height;
        LoadingScreen::Rect bar;
        int32_t scaleX, scaleY;
    } sizes[] = {
        {800, 600, {144, 450, 512, 32}, 0x10000, 0x10000},
        // 184.32, 655.36 and 40.96 truncated.
        {1024, 768, {184, 576, 655, 40}, 83886, 83886},
        {1280, 720, {230, 540, 819, 38}, 104857, 78643},
    };
    for (const auto& size : sizes) {
        camera()->SetSize(size.width, size.height);
        screen->Show(10.0f, false);
        EXPECT_EQ(screen->GetBarRect(), size.bar) << size.width;
        EXPECT_EQ(screen->GetScaleX(), size.scaleX) << size.width;
        EXPECT_EQ(screen->GetScaleY(), size.scaleY) << size.width;
    }
    // The full bar ends where the empty one does; half of it is 256 x 1.28 pixels, truncated.
    camera()->SetSize(1024, 768);
    screen->Show(10.0f, false);
    for (const auto& [seconds, last] : {std::pair{5.0, 184 + 326}, std::pair{10.0, 184 + 654}}) {
        clock.At(seconds);
        screen->Update();
        EXPECT_EQ(Frame().FilledPixels(184, 576 + 20), last - 184 + 1) << seconds;
    }
}

TEST_F(LoadingScreenTest, ShowingAgainLetsGoOfThePicturesAndHideClearsEveryBuffer)
{
    // The dictionary hands out one texture per name, so what the screen holds shows in the counts.
    RwTexDictionary* dictionary = RwTexDictionaryCreate();
    RwTexDictionarySetCurrent(dictionary);
    screen->Show(1.0f, true);
    EXPECT_EQ(RwNullDeviceGet()->shows, LoadingScreen::kFrameBuffers);
    EXPECT_TRUE(Frame()(10, 10) == kBackground);
    screen->Show(10.0f, false);
    const auto references = [&] {
        std::vector<RwInt32> counts;
        for (const RwTexture* texture : dictionary->textures)
            counts.push_back(texture->refCount);
        return counts;
    };
    // The dictionary's own and the screen's.
    EXPECT_EQ(references(), (std::vector<RwInt32>{2, 2, 2}));
    RwNullDeviceGet()->ClearLog();
    screen->Hide();
    EXPECT_FALSE(screen->IsActive());
    EXPECT_EQ(references(), (std::vector<RwInt32>{1, 1, 1}));
    EXPECT_EQ(RwNullDeviceGet()->shows, LoadingScreen::kFrameBuffers);
    EXPECT_TRUE(Frame()(10, 10) == kBlack);
    // Nothing more is drawn once hidden.
    clock.At(5.0);
    screen->Update();
    EXPECT_EQ(RwNullDeviceGet()->shows, LoadingScreen::kFrameBuffers);
    RwTexDictionarySetCurrent(nullptr);
    RwTexDictionaryDestroy(dictionary);
}

TEST_F(LoadingScreenTest, AWindowOfNoSizeDrawsNothingAndLeavesNoFrameOpen)
{
    for (const auto& [width, height] : {std::pair{0u, 0u}, std::pair{800u, 0u}, std::pair{0u, 600u}}) {
        camera()->SetSize(width, height);
        clock.At(0.0);
        screen->Show(10.0f, true);
        ASSERT_TRUE(screen->IsActive());
        EXPECT_TRUE(screen->GetScaleX() == 0 || screen->GetScaleY() == 0);
        clock.At(5.0);
        screen->Update();
        screen->Finish();
        EXPECT_EQ(RwNullDeviceGet()->shows, 0) << width << " x " << height;
        EXPECT_EQ(RwCameraGetCurrentCamera(), nullptr) << width << " x " << height;
    }
    // The game's next frame can begin.
    camera()->SetSize(800, 600);
    ASSERT_TRUE(camera()->BeginUpdate());
    EXPECT_TRUE(camera()->EndUpdate());
}

TEST_F(LoadingScreenTest, MissingOrSmallPicturesAreSkippedAndTheRestIsDrawn)
{
    // A filled picture narrower than the bar cannot be cropped to it: only its half fits.
    WriteFilled(256);
    screen->Show(10.0f, false);
    LogCapture log;
    for (double seconds : {5.0, 10.0, 11.0}) {
        clock.At(seconds);
        screen->Update();
    }
    EXPECT_TRUE(Frame()(144, 466) == kEmpty);
    EXPECT_EQ(log.Count("LoadingScreen::Draw: loadingfilled.png is 256 x 32"), 1) << log.Text();

    std::filesystem::remove_all("data");
    FileSystem::Instance()->InvalidateDiskCache();
    clock.At(0.0);
    screen->Show(10.0f, false);
    ASSERT_TRUE(screen->IsActive());
    clock.At(15.0);
    screen->Update();
    EXPECT_EQ(screen->GetProgress(), LoadingScreen::kFull);
    EXPECT_TRUE(Frame()(400, 466) == kBlack);
}

}  // namespace
