// The pieces under the device, against a real context: the state cache, the shader
// variants and the raster storage.
#include "engine/gl/GLShaders.h"
#include "engine/gl/GLStateCache.h"
#include "engine/gl/GLTargets.h"
#include "support/GLTestSupport.h"

#include <cstring>
#include <functional>

namespace {

std::vector<GLint> Get(GLenum what, int count = 1)
{
    std::vector<GLint> values(static_cast<size_t>(count));
    glGetIntegerv(what, values.data());
    return values;
}

GLfloat GetFloat(GLenum what)
{
    GLfloat value = 0;
    glGetFloatv(what, &value);
    return value;
}

class GLHelpers : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!OffscreenWindow())
            GTEST_SKIP() << "no OpenGL 3.3 context on this machine";
        cache.Reset();
        cache.counters = GLCounters();
    }
    static void TearDownTestSuite() { CloseOffscreenWindow(); }

    GLStateCache cache;
};

// Each change reaches GL and counts; the same request again is dropped.
TEST_F(GLHelpers, StateChangesReachGLOnceEach)
{
    const struct {
        const char* name;
        std::function<void()> request;
        uint32_t changes;
        std::function<bool()> inGL;
    } steps[] = {
        {"viewport", [&] { cache.Viewport(1, 2, 30, 40); }, 1,
         [] { return Get(GL_VIEWPORT, 4) == std::vector{1, 2, 30, 40}; }},
        {"scissor", [&] { cache.Scissor(true, 3, 4, 5, 6); }, 2,
         [] { return glIsEnabled(GL_SCISSOR_TEST) && Get(GL_SCISSOR_BOX, 4) == std::vector{3, 4, 5, 6}; }},
        {"blending", [&] { cache.Blend(true, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA); }, 2,
         [] { return glIsEnabled(GL_BLEND) && Get(GL_BLEND_DST_RGB)[0] == GL_ONE_MINUS_SRC_ALPHA; }},
        {"no blending", [&] { cache.Blend(false, GL_ONE, GL_ZERO); }, 1, [] { return !glIsEnabled(GL_BLEND); }},
        {"depth write", [&] { cache.DepthWrite(false); }, 1, [] { return Get(GL_DEPTH_WRITEMASK)[0] == GL_FALSE; }},
        {"culling", [&] { cache.Cull(true, GL_FRONT); }, 2,
         [] { return glIsEnabled(GL_CULL_FACE) && Get(GL_CULL_FACE_MODE)[0] == GL_FRONT; }},
        {"offset", [&] { cache.PolygonOffset(true, -1.0f, -2.0f); }, 2,
         [] { return glIsEnabled(GL_POLYGON_OFFSET_FILL) && GetFloat(GL_POLYGON_OFFSET_FACTOR) == -1.0f; }},
        {"offset units", [&] { cache.PolygonOffset(true, -1.0f, -4.0f); }, 1,
         [] { return GetFloat(GL_POLYGON_OFFSET_UNITS) == -4.0f; }},
    };
    for (const auto& s : steps) {
        const uint32_t before = cache.counters.stateChanges;
        s.request();
        EXPECT_EQ(cache.counters.stateChanges - before, s.changes) << s.name;
        EXPECT_TRUE(s.inGL()) << s.name;
        const uint32_t suppressed = cache.counters.suppressed;
        s.request();
        EXPECT_EQ(cache.counters.stateChanges - before, s.changes) << s.name << " again";
        EXPECT_GT(cache.counters.suppressed, suppressed) << s.name << " again";
    }
    // Reset brings the cache back in step with GL when someone else changed it.
    glDisable(GL_DEPTH_TEST);
    cache.Reset();
    cache.DepthTest(true);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
}

// Each change of an input sends one uniform (and counts as a material or light change where
// it is one); what the program already holds is not sent again.
TEST_F(GLHelpers, VariantsCompileAndUniformsAreSentOnlyWhenTheyChange)
{
    GLShaderFamily family(cache);
    ASSERT_TRUE(family.Initialise());
    const uint32_t everything =
        kShaderTextured | kShaderAlphaTest | kShaderFog | kShaderLit | kShaderSkinned | kShaderUVTransform;
    GLShaderInputs inputs;
    inputs.lights.count = 2;
    inputs.boneCount = 2;
    ASSERT_TRUE(family.Use(everything, inputs));
    using In = GLShaderInputs&;
    const struct {
        const char* name;
        void (*change)(In);
        uint32_t sent, materials, lights;
    } changes[] = {
        {"nothing", [](In) {}, 0, 0, 0},
        {"transform", [](In in) { in.transform[3] = 2; }, 1, 0, 0},
        {"depth plane", [](In in) { in.depthPlane[1] = 2; }, 1, 0, 0},
        {"normal matrix", [](In in) { in.worldNormal[4] = 2; }, 1, 0, 0},
        {"material colour", [](In in) { in.materialColour[0] = 0.5f; }, 1, 1, 0},
        {"alpha function", [](In in) { in.alphaFunction = 3; }, 1, 0, 0},
        {"alpha reference", [](In in) { in.alphaReference = 128; }, 1, 0, 0},
        {"fog colour", [](In in) { in.fogColour[2] = 1; }, 1, 0, 0},
        {"fog start and end", [](In in) { in.fogStart = 3, in.fogEnd = 9; }, 2, 0, 0},
        {"fog density, which the linear curve does not read", [](In in) { in.fogDensity = 0.5f; }, 0, 0, 0},
        {"ambient", [](In in) { in.lights.ambient[1] = 1; }, 1, 0, 1},
        {"a light's direction and colour", [](In in) { in.lights.direction[1][2] = -1, in.lights.colour[1][0] = 1; },
         2, 0, 2},
        {"a light beyond the count", [](In in) { in.lights.colour[2][0] = 1; }, 0, 0, 0},
        {"fewer lights", [](In in) { in.lights.count = 1; }, 1, 0, 1},
        // Only what differs from what the program holds: the count and the colours.
        {"more lights than there are", [](In in) { in.lights.count = 99; }, 2, 0, 2},
        {"uv transform", [](In in) { in.uvTransform[2] = 0.5f; }, 1, 0, 0},
        {"a bone", [](In in) { in.bones[13] = 3; }, 1, 0, 0},
        {"more bones, still as sent", [](In in) { in.boneCount = 3; }, 0, 0, 0},
    };
    for (const auto& c : changes) {
        const GLCounters before = cache.counters;
        c.change(inputs);
        ASSERT_TRUE(family.Use(everything, inputs)) << c.name;
        EXPECT_EQ(cache.counters.uniformChanges - before.uniformChanges, c.sent) << c.name;
        EXPECT_EQ(cache.counters.materialChanges - before.materialChanges, c.materials) << c.name;
        EXPECT_EQ(cache.counters.lightChanges - before.lightChanges, c.lights) << c.name;
    }
    // Every variant compiles and links; screen variants ignore fog, lights and bones, so they
    // collapse onto fewer programs.
    const uint32_t all = kShaderScreen | kShaderTextured | kShaderAlphaTest | kShaderFog | kShaderLit | kShaderFlat;
    for (uint32_t features = 0; features <= all; ++features)
        EXPECT_TRUE(family.Use(features, inputs)) << "variant " << features;
    EXPECT_TRUE(family.Use(kShaderScreen | kShaderSkinned, inputs));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(family.VariantCount(), 1 + 32 + 8);
    // A variant without lights ignores them.
    ASSERT_TRUE(family.Use(0, inputs));
    const uint32_t before = cache.counters.uniformChanges;
    inputs.lights.ambient[0] = 1;
    ASSERT_TRUE(family.Use(0, inputs));
    EXPECT_EQ(cache.counters.uniformChanges, before);
    GLfloat colour[4] = {};  // what was sent is what the program holds
    glGetUniformfv(cache.Program(), glGetUniformLocation(cache.Program(), "uMaterialColour"), colour);
    EXPECT_EQ(colour[0], 0.5f);
    family.Shutdown();
    EXPECT_EQ(family.VariantCount(), 0);
}

// The plain colour compiles with what leaves the colour whole (skinning, fog, the alpha test) and
// gives way to whatever varies it, without a program of its own.
TEST_F(GLHelpers, APlainColourGivesWayToWhatVariesTheColour)
{
    GLShaderFamily family(cache);
    GLShaderInputs inputs;
    for (uint32_t varying : {kShaderTextured, kShaderLit, kShaderUVTransform, kShaderScreen}) {
        ASSERT_TRUE(family.Use(varying, inputs)) << varying;
        const GLuint program = cache.Program();
        ASSERT_TRUE(family.Use(varying | kShaderPlainColour, inputs)) << varying;
        EXPECT_EQ(cache.Program(), program) << varying;
    }
    const int count = family.VariantCount();
    const uint32_t kept = kShaderSkinned | kShaderTwoBones | kShaderFog | kShaderAlphaTest;
    EXPECT_TRUE(family.Use(kept | kShaderPlainColour, inputs));
    EXPECT_EQ(family.VariantCount(), count + 1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    family.Shutdown();
}

TEST_F(GLHelpers, SurfacesReadBackTopRowFirstAndPairIntoFramebuffersOnce)
{
    gltarget::FramebufferCache framebuffers(cache);
    GLSurface colour, other, depth;
    ASSERT_TRUE(gltarget::AllocateColour(cache, colour, 3, 2, GL_RGBA8, false, false));
    const uint8_t pixels[2][3][4] = {
        {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}},
        {{10, 20, 30, 255}, {40, 50, 60, 255}, {70, 80, 90, 128}},
    };
    EXPECT_EQ(gltarget::Upload(cache, colour, 0, &pixels[0][0][0], 12), 24u);
    EXPECT_TRUE(colour.hasAlpha);
    uint8_t out[2][3][4] = {};
    ASSERT_TRUE(gltarget::ReadPixels(cache, framebuffers, colour.texture, 0, 0, 3, 2, &out[0][0][0], 12));
    EXPECT_EQ(0, std::memcmp(out, pixels, sizeof out));
    uint8_t column[2][8] = {};  // the middle column into a padded destination
    ASSERT_TRUE(gltarget::ReadPixels(cache, framebuffers, colour.texture, 1, 0, 1, 2, &column[0][0], 8));
    EXPECT_TRUE(PixelNear(column[1], {40, 50, 60, 255}, 0));
    // Resized, the name stays; an opaque upload is no longer translucent, a translucent
    // rectangle makes the whole surface so.
    const GLuint name = colour.texture;
    ASSERT_TRUE(gltarget::AllocateColour(cache, colour, 4, 4, GL_RGBA8, false, false));
    EXPECT_EQ(colour.texture, name);
    const std::vector<uint8_t> white(4 * 4 * 4, 255);
    EXPECT_EQ(gltarget::Upload(cache, colour, 0, white.data(), 16), 64u);
    EXPECT_FALSE(colour.hasAlpha);
    std::vector<uint8_t> back(4 * 4 * 4, 0);
    ASSERT_TRUE(gltarget::ReadPixels(cache, framebuffers, colour.texture, 0, 0, 4, 4, back.data(), 16));
    EXPECT_EQ(back, white);
    const uint8_t clear[4] = {1, 2, 3, 0};
    EXPECT_EQ(gltarget::UploadRect(cache, colour, 3, 3, 4, 4, clear, 4), 4u);  // clipped to one texel
    EXPECT_TRUE(colour.hasAlpha);

    ASSERT_TRUE(gltarget::AllocateColour(cache, other, 4, 4, GL_RGBA8, false, false));
    ASSERT_TRUE(gltarget::AllocateDepth(cache, depth, 4, 4));
    const GLuint a = framebuffers.Get(colour.texture, depth.renderbuffer);
    ASSERT_NE(a, 0u);
    EXPECT_EQ(framebuffers.Get(colour.texture, depth.renderbuffer), a);
    EXPECT_NE(framebuffers.Get(other.texture, depth.renderbuffer), a);
    framebuffers.Get(other.texture, 0);
    EXPECT_EQ(framebuffers.Size(), 4u);  // with the one the read-back made
    framebuffers.ForgetRenderbuffer(depth.renderbuffer);
    EXPECT_EQ(framebuffers.Size(), 2u);
    framebuffers.ForgetTexture(other.texture);
    EXPECT_EQ(framebuffers.Size(), 1u);
    framebuffers.Clear();
    EXPECT_EQ(framebuffers.Size(), 0u);
    for (GLSurface* s : {&colour, &other, &depth})
        gltarget::Release(cache, *s);
    EXPECT_EQ(colour.texture, 0u);
}

}  // namespace
