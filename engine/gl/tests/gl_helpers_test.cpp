// The pieces under the device, against a real context: the state cache, the shader
// variants and the raster storage.
#include <gtest/gtest.h>

#include "engine/gl/GLShaders.h"
#include "engine/gl/GLStateCache.h"
#include "engine/gl/GLTargets.h"
#include "support/GLTestWindow.h"

#include <vector>

namespace {

class GLHelpers : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!GLTestWindow::Get())
            GTEST_SKIP() << "no OpenGL 3.3 context on this machine";
        cache.Reset();
        cache.counters = GLCounters();
    }
    static void TearDownTestSuite() { GLTestWindow::Close(); }

    GLStateCache cache;
};

TEST_F(GLHelpers, RepeatedStateIsSuppressedAndChangesReachGL)
{
    cache.Blend(true, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    const uint32_t afterFirst = cache.counters.stateChanges;
    EXPECT_EQ(afterFirst, 2u);  // enable and factors
    cache.Blend(true, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    cache.Blend(true, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(cache.counters.stateChanges, afterFirst);
    EXPECT_GE(cache.counters.suppressed, 4u);

    GLint source = 0, destination = 0;
    glGetIntegerv(GL_BLEND_SRC_RGB, &source);
    glGetIntegerv(GL_BLEND_DST_RGB, &destination);
    EXPECT_EQ(source, GL_SRC_ALPHA);
    EXPECT_EQ(destination, GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));

    cache.Blend(true, GL_ONE, GL_ONE);
    EXPECT_EQ(cache.counters.stateChanges, afterFirst + 1);

    cache.DepthWrite(false);
    cache.DepthWrite(false);
    GLboolean mask = GL_TRUE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
    EXPECT_EQ(mask, GL_FALSE);
    EXPECT_EQ(cache.counters.stateChanges, afterFirst + 2);

    cache.PolygonOffset(true, -1.0f, -2.0f);
    GLfloat units = 0;
    glGetFloatv(GL_POLYGON_OFFSET_UNITS, &units);
    EXPECT_FLOAT_EQ(units, -2.0f);
    EXPECT_TRUE(glIsEnabled(GL_POLYGON_OFFSET_FILL));
}

TEST_F(GLHelpers, AlternatingTexturesCountEveryBind)
{
    GLuint textures[2];
    glGenTextures(2, textures);
    for (int i = 0; i < 10; ++i)
        cache.BindTexture(0, textures[i % 2]);
    EXPECT_EQ(cache.counters.textureBinds, 10u);
    for (int i = 0; i < 10; ++i)
        cache.BindTexture(0, textures[1]);
    EXPECT_EQ(cache.counters.textureBinds, 10u);

    // A deleted name must not look bound when GL hands it out again.
    cache.OnTextureDeleted(textures[1]);
    glDeleteTextures(2, textures);
    GLuint reused = 0;
    glGenTextures(1, &reused);
    cache.BindTexture(0, reused);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), reused);
    cache.OnTextureDeleted(reused);
    glDeleteTextures(1, &reused);
}

TEST_F(GLHelpers, ResetBringsTheCacheBackInStepWithGL)
{
    cache.DepthTest(true);
    glDisable(GL_DEPTH_TEST);  // someone else changed GL behind the cache
    cache.Reset();
    cache.DepthTest(true);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
}

TEST_F(GLHelpers, EveryShaderVariantCompilesAndLinks)
{
    GLShaderFamily family(cache);
    ASSERT_TRUE(family.Initialise());
    GLShaderInputs inputs;
    inputs.lightCount = 3;
    const uint32_t all = kShaderScreen | kShaderTextured | kShaderAlphaTest | kShaderFog |
                         kShaderLit | kShaderFlat;
    for (uint32_t features = 0; features <= all; ++features)
        EXPECT_TRUE(family.Use(features, inputs)) << "variant " << features;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    // Screen variants ignore fog and lights, so they collapse onto fewer programs.
    EXPECT_EQ(family.VariantCount(), 32 + 8);
    family.Shutdown();
}

TEST_F(GLHelpers, UniformsAreSentOnlyWhenTheyChange)
{
    GLShaderFamily family(cache);
    ASSERT_TRUE(family.Initialise());
    GLShaderInputs inputs;
    ASSERT_TRUE(family.Use(kShaderAlphaTest, inputs));
    const uint32_t first = cache.counters.uniformChanges;
    ASSERT_TRUE(family.Use(kShaderAlphaTest, inputs));
    EXPECT_EQ(cache.counters.uniformChanges, first);
    inputs.alphaReference = 128;
    ASSERT_TRUE(family.Use(kShaderAlphaTest, inputs));
    EXPECT_EQ(cache.counters.uniformChanges, first + 1);
    family.Shutdown();
}

TEST_F(GLHelpers, UploadedPixelsReadBackTopRowFirst)
{
    gltarget::FramebufferCache framebuffers(cache);
    GLSurface surface;
    ASSERT_TRUE(gltarget::AllocateColour(cache, surface, 3, 2, GL_RGBA8, false, false));
    const uint8_t pixels[2][3][4] = {
        {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}},
        {{10, 20, 30, 255}, {40, 50, 60, 255}, {70, 80, 90, 255}},
    };
    EXPECT_EQ(gltarget::Upload(cache, surface, 0, &pixels[0][0][0], 12), 24u);
    EXPECT_FALSE(surface.hasAlpha);

    uint8_t out[2][3][4] = {};
    ASSERT_TRUE(gltarget::ReadPixels(cache, framebuffers, surface.texture, 0, 0, 3, 2,
                                     &out[0][0][0], 12));
    EXPECT_EQ(0, memcmp(out, pixels, sizeof out));

    // A rectangle out of the middle, into a padded destination.
    uint8_t part[2][8] = {};
    ASSERT_TRUE(gltarget::ReadPixels(cache, framebuffers, surface.texture, 1, 0, 1, 2,
                                     &part[0][0], 8));
    EXPECT_TRUE(PixelNear(part[0], {0, 255, 0, 255}, 0));
    EXPECT_TRUE(PixelNear(part[1], {40, 50, 60, 255}, 0));

    framebuffers.ForgetTexture(surface.texture);
    gltarget::Release(cache, surface);
    EXPECT_EQ(surface.texture, 0u);
}

TEST_F(GLHelpers, TranslucentUploadIsNoticedAndResizeKeepsTheName)
{
    gltarget::FramebufferCache framebuffers(cache);
    GLSurface surface;
    ASSERT_TRUE(gltarget::AllocateColour(cache, surface, 2, 1, GL_RGBA8, false, false));
    const uint8_t pixels[8] = {1, 2, 3, 255, 4, 5, 6, 128};
    gltarget::Upload(cache, surface, 0, pixels, 8);
    EXPECT_TRUE(surface.hasAlpha);

    const GLuint name = surface.texture;
    ASSERT_TRUE(gltarget::AllocateColour(cache, surface, 4, 4, GL_RGBA8, false, false));
    EXPECT_EQ(surface.texture, name);
    std::vector<uint8_t> white(4 * 4 * 4, 255);
    gltarget::Upload(cache, surface, 0, white.data(), 16);
    EXPECT_FALSE(surface.hasAlpha);
    std::vector<uint8_t> out(4 * 4 * 4, 0);
    ASSERT_TRUE(
        gltarget::ReadPixels(cache, framebuffers, surface.texture, 0, 0, 4, 4, out.data(), 16));
    EXPECT_TRUE(PixelNear(&out[15 * 4], {255, 255, 255, 255}, 0));
    framebuffers.Clear();
    gltarget::Release(cache, surface);
}

TEST_F(GLHelpers, MipmappedSurfaceBuildsItsLevels)
{
    GLSurface surface;
    ASSERT_TRUE(gltarget::AllocateColour(cache, surface, 8, 4, GL_RGBA8, true, true));
    EXPECT_EQ(surface.levels, 4);
    std::vector<uint8_t> pixels(8 * 4 * 4);
    for (size_t i = 0; i < pixels.size(); i += 4) {
        pixels[i] = 200;
        pixels[i + 3] = 255;
    }
    gltarget::Upload(cache, surface, 0, pixels.data(), 32);
    uint8_t smallest[4] = {};
    cache.BindTexture(0, surface.texture);
    glGetTexImage(GL_TEXTURE_2D, 3, GL_RGBA, GL_UNSIGNED_BYTE, smallest);
    EXPECT_TRUE(PixelNear(smallest, {200, 0, 0, 255}, 1));
    gltarget::Release(cache, surface);
}

TEST_F(GLHelpers, FramebufferPairsAreMadeOnceEach)
{
    gltarget::FramebufferCache framebuffers(cache);
    GLSurface colour, depth, other;
    ASSERT_TRUE(gltarget::AllocateColour(cache, colour, 16, 16, GL_RGBA8, false, false));
    ASSERT_TRUE(gltarget::AllocateColour(cache, other, 16, 16, GL_RGBA8, false, false));
    ASSERT_TRUE(gltarget::AllocateDepth(cache, depth, 16, 16));
    const GLuint a = framebuffers.Get(colour.texture, depth.renderbuffer);
    ASSERT_NE(a, 0u);
    EXPECT_EQ(framebuffers.Get(colour.texture, depth.renderbuffer), a);
    const GLuint b = framebuffers.Get(other.texture, depth.renderbuffer);
    EXPECT_NE(b, a);
    EXPECT_NE(framebuffers.Get(colour.texture, 0), a);
    EXPECT_EQ(framebuffers.Size(), 3u);
    framebuffers.ForgetRenderbuffer(depth.renderbuffer);
    EXPECT_EQ(framebuffers.Size(), 1u);
    framebuffers.Clear();
    gltarget::Release(cache, colour);
    gltarget::Release(cache, other);
    gltarget::Release(cache, depth);
}

}  // namespace
