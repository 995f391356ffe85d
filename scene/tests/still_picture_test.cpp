// A held view drawn once and laid back from the kept picture, on the GL device.
#include <gtest/gtest.h>

#include "engine/core/RwCore.h"
#include "framework/Color.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "scene/ScreenDraw.h"
#include "scene/StillPicture.h"
#include "support/SceneTest.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using Pixel = std::vector<uint8_t>;
const Pixel kRed{255, 0, 0, 255}, kBlue{0, 0, 255, 255}, kGreen{0, 255, 0, 255}, kWhite{255, 255, 255, 255};

class StillPictureGL : public SceneGLTest {
protected:
    StillPictureGL() { width = 320, height = 240; }
    // One frame: the view (the whole camera in one colour) through the still picture, then
    // a white mark over it in the top left corner, as a menu over a paused game.
    void Frame(StillPicture& still, bool hold, const Color& colour)
    {
        const float black[4] = {0, 0, 0, 1};
        ASSERT_TRUE(camera->Clear(black, 3) && camera->BeginUpdate());
        const float across = camera->GetWidth(), down = camera->GetHeight();
        still.Draw(hold, [&] {
            ++draws;
            DrawFilledRect({0, 0, across, down}, colour);
        });
        DrawFilledRect({0, 0, 8, 8}, Color::White);
        camera->EndUpdate();
    }
    void Move(float x)
    {
        RwFrame* frame = camera->GetFrame();
        RwFrameGetMatrix(frame)->pos.x += x;
        RwMatrixUpdateFlags(RwFrameGetMatrix(frame));
        RwFrameUpdateObjects(frame);
    }

    int draws = 0;
};

TEST_F(StillPictureGL, TheKeptPictureStandsInUntilTheViewChangesOrTheHoldEnds)
{
    struct Case {
        std::string name;
        std::function<void(StillPicture&)> between;
        bool drawnAgain;
    };
    const Color grey(0.5f, 0.5f, 0.5f, 1.0f);
    const Case cases[] = {
        {"nothing", [](StillPicture&) {}, false},
        {"the camera moved", [&](StillPicture&) { Move(0.5f); }, true},
        // What was kept for the view before must not come back with it.
        {"the camera moved and came back",
         [&](StillPicture& still) {
             Move(0.5f);
             Frame(still, true, grey);
             Move(-0.5f);
         },
         true},
        {"a wider lens", [&](StillPicture&) { camera->SetViewWindow(1.5f, 1.0f); }, true},
        {"a smaller window", [&](StillPicture&) { camera->SetSize(160, 120); }, true},
        {"everything forgotten", [](StillPicture&) { StillPicture::ForgetAll(); }, true},
        {"a frame without hold", [&](StillPicture& still) { Frame(still, false, grey); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        camera->SetSize(320, 240);
        camera->SetViewWindow(1.0f, 1.0f);
        StillPicture still;
        draws = 0;
        // The first frame of a hold is drawn; the second, finding the view where the first
        // left it, is drawn and kept.
        Frame(still, true, Color(1.0f, 0.0f, 0.0f, 1.0f));
        Frame(still, true, Color(1.0f, 0.0f, 0.0f, 1.0f));
        EXPECT_EQ(draws, 2);
        c.between(still);
        const int drawsBefore = draws;
        Frame(still, true, Color(0.0f, 0.0f, 1.0f, 1.0f));
        // The view drawn afresh is blue; the kept one is still red, and the mark is over either.
        EXPECT_EQ(draws - drawsBefore, c.drawnAgain ? 1 : 0);
        EXPECT_EQ(At(60, 60), c.drawnAgain ? kBlue : kRed);
        EXPECT_EQ(At(2, 2), kWhite);
        // A view drawn afresh is kept at the next frame, which draws it once more; from then
        // on the hold lays it back.
        for (const Color& colour : {Color(0.0f, 1.0f, 0.0f, 1.0f), Color(1.0f, 1.0f, 0.0f, 1.0f)}) {
            Frame(still, true, colour);
            EXPECT_EQ(draws - drawsBefore, c.drawnAgain ? 2 : 0);
            EXPECT_EQ(At(60, 60), c.drawnAgain ? kGreen : kRed);
        }
    }
}

// A camera that moves every frame of the hold: each frame is drawn as it stands.
TEST_F(StillPictureGL, AViewMovingEveryFrameIsDrawnEveryFrame)
{
    StillPicture still;
    const Color colours[] = {{1.0f, 0.0f, 0.0f, 1.0f}, {0.0f, 0.0f, 1.0f, 1.0f}, {0.0f, 1.0f, 0.0f, 1.0f}};
    const Pixel pixels[] = {kRed, kBlue, kGreen};
    for (int frame = 0; frame < 3; ++frame) {
        Move(0.25f);
        Frame(still, true, colours[frame]);
        EXPECT_EQ(draws, frame + 1);
        EXPECT_EQ(At(60, 60), pixels[frame]);
    }
}

TEST_F(StillPictureGL, AKeptPictureIsLaidBackPixelForPixel)
{
    StillPicture still;
    // Two texels, red and blue, stretched over the view: a picture with edges and blends in it.
    RwRaster* texture = TwoTexelTexture({255, 0, 0, 255, 0, 0, 255, 128});
    ASSERT_TRUE(texture);
    std::vector<Pixel> rows[3];
    int drawn = 0;
    for (auto& row : rows) {
        const float black[4] = {0, 0, 0, 1};
        ASSERT_TRUE(camera->Clear(black, 3) && camera->BeginUpdate());
        // Only the first two frames draw (the second keeps): the third has nothing but the
        // kept picture.
        still.Draw(true, [&] {
            if (drawn++ < 2)
                DrawTexturedRect(texture, {10, 10, 300, 200}, {0, 0, 1, 1}, Color::White);
        });
        camera->EndUpdate();
        for (int x = 0; x < 320; x += 3)
            row.push_back(At(x, 100));
    }
    RwRasterDestroy(texture);
    EXPECT_EQ(drawn, 2);
    EXPECT_EQ(rows[2], rows[0]);
}

}  // namespace
