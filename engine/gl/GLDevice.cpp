#include "engine/gl/GLDevice.h"

#include "engine/core/RwTexture.h"
#include "framework/Debug.h"
#include "platform/Platform.h"
#include "platform/Window.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kStreamBytes = 4u << 20;  // per stream; grows for bigger draws
constexpr float kWhite[4] = {1, 1, 1, 1};
// Linear fog is left out of a draw only where every point keeps at least this share of its
// colour before clamping: a margin over the shader's rounding, which must still clamp to 1.
constexpr float kUnfoggedShare = 1.001f;
// Only small draws (sprites, decals) are worth copying into a batch.
constexpr RwInt32 kMaxBatchedDraw = 64;
// 16-bit indices.
constexpr size_t kMaxBatchVertices = 65536;

RwDevice* CreateGLDevice(const RwEngineOpenParams& params)
{
    return new GLDevice(static_cast<SDL_Window*>(params.displayID));
}

// Core never names GL symbols: the device announces itself before main runs.
struct Registrar {
    Registrar() { RwDeviceRegister(rwDeviceGL, CreateGLDevice); }
} s_registrar;

GLenum BlendFactor(intptr_t code, GLenum fallback)
{
    switch (code) {
    case rwBlendZero: return GL_ZERO;
    case rwBlendOne: return GL_ONE;
    case rwBlendSrcColor: return GL_SRC_COLOR;
    case rwBlendInvSrcColor: return GL_ONE_MINUS_SRC_COLOR;
    case rwBlendSrcAlpha: return GL_SRC_ALPHA;
    case rwBlendInvSrcAlpha: return GL_ONE_MINUS_SRC_ALPHA;
    case rwBlendDestAlpha: return GL_DST_ALPHA;
    case rwBlendInvDestAlpha: return GL_ONE_MINUS_DST_ALPHA;
    case rwBlendDestColor: return GL_DST_COLOR;
    case rwBlendInvDestColor: return GL_ONE_MINUS_DST_COLOR;
    case rwBlendSrcAlphaSat: return GL_SRC_ALPHA_SATURATE;
    default: return fallback;
    }
}

GLint AddressMode(intptr_t code)
{
    switch (code) {
    case rwTextureAddressMirror: return GL_MIRRORED_REPEAT;
    case rwTextureAddressClamp: return GL_CLAMP_TO_EDGE;
    case rwTextureAddressBorder: return GL_CLAMP_TO_BORDER;
    default: return GL_REPEAT;
    }
}

GLenum PrimitiveMode(RwPrimitiveType type, bool& ok)
{
    ok = true;
    switch (type) {
    case rwPrimTypeLineList: return GL_LINES;
    case rwPrimTypePolyLine: return GL_LINE_STRIP;
    case rwPrimTypeTriList: return GL_TRIANGLES;
    case rwPrimTypeTriStrip: return GL_TRIANGLE_STRIP;
    case rwPrimTypeTriFan: return GL_TRIANGLE_FAN;
    case rwPrimTypePointList: return GL_POINTS;
    default: ok = false; return GL_POINTS;
    }
}

void UnpackColour(intptr_t packed, float* rgb, float* alpha = nullptr)
{
    const uint32_t c = static_cast<uint32_t>(packed);
    rgb[0] = ((c >> 16) & 0xff) / 255.0f;
    rgb[1] = ((c >> 8) & 0xff) / 255.0f;
    rgb[2] = (c & 0xff) / 255.0f;
    if (alpha)
        *alpha = ((c >> 24) & 0xff) / 255.0f;
}

// Column-major 4 x 4 product a x b.
void Multiply(float* out, const float* a, const float* b)
{
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row) {
            float sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += a[k * 4 + row] * b[column * 4 + k];
            out[column * 4 + row] = sum;
        }
}

// An engine matrix (row vectors right, up, at, pos) as a column-major GL matrix.
void ToColumnMajor(const RwMatrix& m, float* out)
{
    const RwV3d* axes[4] = {&m.right, &m.up, &m.at, &m.pos};
    for (int i = 0; i < 4; ++i) {
        out[i * 4 + 0] = axes[i]->x;
        out[i * 4 + 1] = axes[i]->y;
        out[i * 4 + 2] = axes[i]->z;
        out[i * 4 + 3] = i == 3 ? 1.0f : 0.0f;
    }
}

void ToFloats(const RwRGBAReal& colour, float* out)
{
    out[0] = colour.red;
    out[1] = colour.green;
    out[2] = colour.blue;
    out[3] = colour.alpha;
}

GLLights ToLights(const RwDeviceLighting& lighting)
{
    GLLights lights;
    lights.ambient[0] = lighting.ambient.red;
    lights.ambient[1] = lighting.ambient.green;
    lights.ambient[2] = lighting.ambient.blue;
    lights.count = lighting.directional ? std::clamp(lighting.numDirectional, 0, kMaxDirectionalLights) : 0;
    for (int i = 0; i < lights.count; ++i) {
        const RwDeviceDirectionalLight& light = lighting.directional[i];
        const float direction[3] = {light.direction.x, light.direction.y, light.direction.z};
        const float colour[3] = {light.colour.red, light.colour.green, light.colour.blue};
        std::copy(direction, direction + 3, lights.direction[i]);
        std::copy(colour, colour + 3, lights.colour[i]);
    }
    return lights;
}

// Whether the lighting brightens anything: colours are clamped to 1 after the light is added.
bool AddsLight(const RwDeviceLighting& lighting)
{
    const RwRGBAReal& a = lighting.ambient;
    return a.red != 0 || a.green != 0 || a.blue != 0 || (lighting.directional && lighting.numDirectional > 0);
}

// Whether a fragment of the alpha (0 to 255) passes the alpha test as the shader makes it.
bool AlphaPasses(intptr_t function, intptr_t reference, intptr_t alpha)
{
    switch (function) {
    case rwAlphaTestNever: return false;
    case rwAlphaTestLess: return alpha < reference;
    case rwAlphaTestEqual: return alpha == reference;
    case rwAlphaTestLessEqual: return alpha <= reference;
    case rwAlphaTestGreater: return alpha > reference;
    case rwAlphaTestNotEqual: return alpha != reference;
    case rwAlphaTestGreaterEqual: return alpha >= reference;
    default: return true;
    }
}

// Whether every vertex leaves its third and fourth weights at zero.
bool WeighsTwoBones(const RwReal (*weights)[4], size_t count)
{
    return std::all_of(weights, weights + count,
                       [](const RwReal(&w)[4]) { return w[2] == 0.0f && w[3] == 0.0f; });
}

// Whether the test throws away exactly the fragments whose alpha rounds to 0.
bool DiscardsOnlyClear(intptr_t function, intptr_t reference)
{
    return (function == rwAlphaTestGreater && reference == 0) || (function == rwAlphaTestGreaterEqual && reference == 1);
}

// Whether blending a fragment of alpha 0 leaves every channel of the destination as it was.
bool ClearLeavesDestination(intptr_t source, intptr_t destination)
{
    return (source == rwBlendSrcAlpha || source == rwBlendSrcAlphaSat) &&
           (destination == rwBlendInvSrcAlpha || destination == rwBlendOne);
}

// Whether a blended fragment of alpha 0 changes neither the colour nor the depth drawn.
bool ClearChangesNothing(const intptr_t (&states)[rwRenderStateCount])
{
    return !states[rwRenderStateZWriteEnable] &&
           ClearLeavesDestination(states[rwRenderStateSrcBlend], states[rwRenderStateDestBlend]);
}

// Overrides render states for one draw and gives the caller's values back when it goes.
class StateOverride {
public:
    explicit StateOverride(intptr_t* states) : m_states(states) {}
    ~StateOverride()
    {
        // Last first, so that a state overridden twice ends as it began.
        while (m_count > 0) {
            const Saved& saved = m_saved[--m_count];
            m_states[saved.state] = saved.value;
        }
    }
    StateOverride(const StateOverride&) = delete;
    StateOverride& operator=(const StateOverride&) = delete;

    void Set(RwRenderState state, intptr_t value)
    {
        m_saved[m_count++] = {state, m_states[state]};
        m_states[state] = value;
    }

private:
    struct Saved {
        RwRenderState state;
        intptr_t value;
    };
    intptr_t* m_states;
    Saved m_saved[rwRenderStateCount];
    int m_count = 0;
};

bool LinearFog(uint32_t features)
{
    return (features & kShaderFog) && !(features & (kShaderFogExponential | kShaderFogExponential2));
}

// The box round count points, the i-th given by position(i); count at least 1.
template <typename Position>
void Bounds(size_t count, Position position, RwV3d& low, RwV3d& high)
{
    low = high = position(0);
    for (size_t i = 1; i < count; ++i) {
        const RwV3d& p = position(i);
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    }
}

GLenum ColourFormat(const RwRaster* raster)
{
    switch (raster->format & rwRasterFormatPixelMask) {
    case rwRasterFormat565:  // kept at 8 bits: 5-6-5 is not a format GL 3.3 must render to
    case rwRasterFormat888:
        return GL_RGB8;
    default:
        return GL_RGBA8;
    }
}

}  // namespace

GLDevice::GLDevice(platform::NativeWindow* window) : m_window(window)
{
    m_states[rwRenderStateZTestEnable] = 1;
    m_states[rwRenderStateZWriteEnable] = 1;
    m_states[rwRenderStateSrcBlend] = rwBlendSrcAlpha;
    m_states[rwRenderStateDestBlend] = rwBlendInvSrcAlpha;
    m_states[rwRenderStateAlphaTestFunction] = rwAlphaTestAlways;
    m_states[rwRenderStateCullMode] = rwCullNone;
    m_states[rwRenderStateTextureFilter] = rwFilterLinear;
    m_states[rwRenderStateTextureAddressU] = rwTextureAddressWrap;
    m_states[rwRenderStateTextureAddressV] = rwTextureAddressWrap;
    m_states[rwRenderStateShadeMode] = rwShadeGouraud;
    m_states[rwRenderStateFogType] = rwFogLinear;
    m_states[rwRenderStateFogDensity] = RwRenderStateFromReal(1.0f);
}

GLDevice::~GLDevice()
{
    Stop();
    for (Mesh* mesh : m_meshes)
        delete mesh;
    for (GLSurface* surface : m_surfaces)
        delete surface;
}

bool GLDevice::Start(const RwVideoMode* mode, RwInt32 refreshRate)
{
    if (m_started)
        return true;
    if (!m_window) {
        LogError("GLDevice::Start: no window\n");
        return false;
    }
    // The shell's platform window normally brings its context; only without one is a
    // context made here.
    if (SDL_GL_GetCurrentContext() && SDL_GL_GetCurrentWindow() == m_window) {
        m_context = SDL_GL_GetCurrentContext();
        m_ownsContext = false;
    } else {
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        m_context = SDL_GL_CreateContext(m_window);
        if (!m_context) {
            LogError("GLDevice::Start: no OpenGL 3.3 core context: %s\n", SDL_GetError());
            return false;
        }
        m_ownsContext = true;
        SDL_GL_SetSwapInterval(platform::IsHeadless() ? 0 : 1);
    }
    if (!epoxy_is_desktop_gl() || epoxy_gl_version() < 33) {
        LogError("GLDevice::Start: OpenGL 3.3 core is needed, %d.%d found\n",
                 epoxy_gl_version() / 10, epoxy_gl_version() % 10);
        ReleaseGL();
        return false;
    }

    m_cache.Reset();
    // Front faces look counter-clockwise on the screen, in 2D and 3D alike; our targets
    // keep the top row first, which GL sees as clockwise.
    m_cache.FrontFace(GL_CW);
    glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);  // flat shading takes the first vertex
    if (!m_shaders.Initialise()) {
        ReleaseGL();
        return false;
    }

    glGenBuffers(1, &m_vertices3D.buffer);
    glGenBuffers(1, &m_vertices2D.buffer);
    glGenBuffers(1, &m_indices.buffer);
    glGenVertexArrays(1, &m_vao3D);
    glGenVertexArrays(1, &m_vao2D);

    // Both layouts read their own vertex stream and share the index stream.
    m_cache.BindVertexArray(m_vao3D);
    m_cache.BindArrayBuffer(m_vertices3D.buffer);
    glBufferData(GL_ARRAY_BUFFER, kStreamBytes, nullptr, GL_STREAM_DRAW);
    m_vertices3D.capacity = kStreamBytes;
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_indices.buffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, kStreamBytes, nullptr, GL_STREAM_DRAW);
    m_indices.capacity = kStreamBytes;
    const GLsizei stride3D = sizeof(RwIm3DVertex);
    glEnableVertexAttribArray(kAttribPosition);
    glVertexAttribPointer(kAttribPosition, 3, GL_FLOAT, GL_FALSE, stride3D,
                          reinterpret_cast<void*>(offsetof(RwIm3DVertex, objVertex)));
    glEnableVertexAttribArray(kAttribNormal);
    glVertexAttribPointer(kAttribNormal, 3, GL_FLOAT, GL_FALSE, stride3D,
                          reinterpret_cast<void*>(offsetof(RwIm3DVertex, objNormal)));
    glEnableVertexAttribArray(kAttribColour);
    glVertexAttribPointer(kAttribColour, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride3D,
                          reinterpret_cast<void*>(offsetof(RwIm3DVertex, color)));
    glEnableVertexAttribArray(kAttribTexCoord);
    glVertexAttribPointer(kAttribTexCoord, 2, GL_FLOAT, GL_FALSE, stride3D,
                          reinterpret_cast<void*>(offsetof(RwIm3DVertex, u)));

    m_cache.BindVertexArray(m_vao2D);
    m_cache.BindArrayBuffer(m_vertices2D.buffer);
    glBufferData(GL_ARRAY_BUFFER, kStreamBytes, nullptr, GL_STREAM_DRAW);
    m_vertices2D.capacity = kStreamBytes;
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_indices.buffer);
    const GLsizei stride2D = sizeof(RwIm2DVertex);
    glEnableVertexAttribArray(kAttribPosition);
    glVertexAttribPointer(kAttribPosition, 4, GL_FLOAT, GL_FALSE, stride2D,
                          reinterpret_cast<void*>(offsetof(RwIm2DVertex, x)));
    glVertexAttrib3f(kAttribNormal, 0, 0, 1);
    glEnableVertexAttribArray(kAttribColour);
    glVertexAttribPointer(kAttribColour, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride2D,
                          reinterpret_cast<void*>(offsetof(RwIm2DVertex, emissiveColor)));
    glEnableVertexAttribArray(kAttribTexCoord);
    glVertexAttribPointer(kAttribTexCoord, 2, GL_FLOAT, GL_FALSE, stride2D,
                          reinterpret_cast<void*>(offsetof(RwIm2DVertex, u)));

    glGenSamplers(1, &m_sampler);
    m_samplerState = SamplerState();
    m_cache.BindSampler(0, m_sampler);

    if (mode && !ChangeVideoMode(*mode, refreshRate))
        LogWarning("GLDevice::Start: staying in a window\n");
    if (mode && SDL_SetWindowFullscreen(m_window, SDL_WINDOW_FULLSCREEN) != 0)
        LogWarning("GLDevice::Start: no full screen: %s\n", SDL_GetError());

    if (glGetError() != GL_NO_ERROR) {
        LogError("GLDevice::Start: the GL refused the set-up\n");
        ReleaseGL();
        return false;
    }
    m_started = true;
    m_reported = m_cache.counters;
    return true;
}

void GLDevice::Stop()
{
    if (!m_started && !m_context)
        return;
    ReleaseGL();
}

void GLDevice::ReleaseGL()
{
    m_batch.vertices.clear();
    m_batch.indices.clear();
    if (m_context && SDL_GL_GetCurrentContext() == m_context) {
        m_framebuffers.Clear();
        for (GLSurface* surface : m_surfaces) {
            // The raster records stay; they come back without storage.
            GLSurface empty;
            empty.width = surface->width;
            empty.height = surface->height;
            gltarget::Release(m_cache, *surface);
            *surface = empty;
        }
        gltarget::Release(m_cache, m_scratch);
        m_cache.BindVertexArray(0);
        for (Mesh* mesh : m_meshes) {
            // The records stay until DestroyMesh; without storage they no longer draw.
            m_cache.OnBufferDeleted(mesh->vertices);
            m_cache.OnBufferDeleted(mesh->indices);
            GLuint buffers[2] = {mesh->vertices, mesh->indices};
            glDeleteBuffers(2, buffers);
            glDeleteVertexArrays(1, &mesh->vao);
            *mesh = Mesh();
        }
        m_shaders.Shutdown();
        GLuint buffers[3] = {m_vertices3D.buffer, m_vertices2D.buffer, m_indices.buffer};
        glDeleteBuffers(3, buffers);
        GLuint arrays[2] = {m_vao3D, m_vao2D};
        glDeleteVertexArrays(2, arrays);
        if (m_sampler)
            glDeleteSamplers(1, &m_sampler);
        if (m_sampleQuery)
            glDeleteQueries(1, &m_sampleQuery);
    }
    m_vertices3D = m_vertices2D = m_indices = StreamBuffer();
    m_scratch = GLSurface();
    m_vao3D = m_vao2D = m_sampler = m_sampleQuery = 0;
    m_camera = nullptr;
    if (m_ownsContext && m_context)
        SDL_GL_DeleteContext(m_context);
    m_context = nullptr;
    m_ownsContext = false;
    m_started = false;
}

bool GLDevice::ChangeVideoMode(const RwVideoMode& mode, RwInt32 refreshRate)
{
    FlushIm3D();
    if (!m_window || mode.width <= 0 || mode.height <= 0)
        return false;
    if (SDL_GetWindowFlags(m_window) & SDL_WINDOW_FULLSCREEN) {
        SDL_DisplayMode display = {0, mode.width, mode.height, refreshRate, nullptr};
        if (SDL_SetWindowDisplayMode(m_window, &display) != 0) {
            LogError("GLDevice::ChangeVideoMode: %s\n", SDL_GetError());
            return false;
        }
    }
    SDL_SetWindowSize(m_window, mode.width, mode.height);
    return true;
}

GLuint GLDevice::RasterTexture(const RwRaster* raster) const
{
    if (!raster)
        return 0;
    const RwRaster* root = raster->parent ? raster->parent : raster;
    const auto* surface = static_cast<const GLSurface*>(root->deviceData);
    return surface ? surface->texture : 0;
}

GLSurface* GLDevice::Storage(RwRaster* raster)
{
    if (!raster)
        return nullptr;
    RwRaster* root = raster->parent ? raster->parent : raster;
    auto* surface = static_cast<GLSurface*>(root->deviceData);
    if (!surface || !m_started)
        return nullptr;
    // Callers write width and height directly; storage follows at the next use.
    if ((root->width != surface->width || root->height != surface->height) &&
        root->width > 0 && root->height > 0) {
        if (!ResizeRaster(root))
            return nullptr;
        root->storedWidth = root->width;
        root->storedHeight = root->height;
    }
    return (surface->texture || surface->renderbuffer) ? surface : nullptr;
}

bool GLDevice::Rect(RwRaster* raster, const GLSurface& surface, TargetRect& rect) const
{
    const bool sub = raster->parent && raster->parent != raster;
    rect.x = sub ? raster->offsetX : 0;
    rect.y = sub ? raster->offsetY : 0;
    rect.width = std::min(raster->width, surface.width - rect.x);
    rect.height = std::min(raster->height, surface.height - rect.y);
    return rect.x >= 0 && rect.y >= 0 && rect.width > 0 && rect.height > 0;
}

bool GLDevice::CreateRaster(RwRaster* raster)
{
    if (!m_started) {
        LogError("GLDevice::CreateRaster: the engine has not started\n");
        return false;
    }
    auto* surface = new GLSurface();
    bool ok;
    const RwInt32 type = raster->type & rwRasterTypeMask;
    if (type == rwRasterTypeZBuffer) {
        ok = gltarget::AllocateDepth(m_cache, *surface, raster->width, raster->height);
    } else {
        const bool texture = type == rwRasterTypeTexture;
        surface->windowOrder = type == rwRasterTypeCamera;
        ok = gltarget::AllocateColour(m_cache, *surface, raster->width, raster->height,
                                      ColourFormat(raster),
                                      texture && (raster->format & rwRasterFormatMipmap),
                                      texture && (raster->format & rwRasterFormatAutoMipmap));
        // A target asked for with alpha blends when drawn as a texture.
        surface->hasAlpha = type != rwRasterTypeTexture &&
                            (raster->format & rwRasterFormatPixelMask) == rwRasterFormat8888;
    }
    if (!ok) {
        LogError("GLDevice::CreateRaster: no storage for %d x %d (type %d)\n", raster->width,
                 raster->height, type);
        gltarget::Release(m_cache, *surface);
        delete surface;
        Report();
        return false;
    }
    m_surfaces.insert(surface);
    raster->deviceData = surface;
    Report();
    return true;
}

void GLDevice::DestroyRaster(RwRaster* raster)
{
    FlushIm3D();
    auto* surface = static_cast<GLSurface*>(raster->deviceData);
    if (m_states[rwRenderStateTextureRaster] == reinterpret_cast<intptr_t>(raster))
        m_states[rwRenderStateTextureRaster] = 0;
    if (!surface)
        return;
    if (m_started) {
        if (surface->texture)
            m_framebuffers.ForgetTexture(surface->texture);
        if (surface->renderbuffer)
            m_framebuffers.ForgetRenderbuffer(surface->renderbuffer);
        gltarget::Release(m_cache, *surface);
    }
    m_surfaces.erase(surface);
    delete surface;
    raster->deviceData = nullptr;
    Report();
}

bool GLDevice::ResizeRaster(RwRaster* raster)
{
    FlushIm3D();
    auto* surface = static_cast<GLSurface*>(raster->deviceData);
    if (!surface)
        return CreateRaster(raster);
    if (!m_started)
        return false;
    // The names stay, so framebuffers made with them stay valid.
    bool ok;
    if ((raster->type & rwRasterTypeMask) == rwRasterTypeZBuffer)
        ok = gltarget::AllocateDepth(m_cache, *surface, raster->width, raster->height);
    else
        ok = gltarget::AllocateColour(m_cache, *surface, raster->width, raster->height,
                                      surface->internalFormat, surface->mipmapped,
                                      surface->autoMipmap);
    Report();
    return ok;
}

bool GLDevice::SubRaster(RwRaster* raster)
{
    return raster->parent && raster->parent->deviceData;
}

bool GLDevice::UploadRaster(RwRaster* raster, const RwImage* image)
{
    FlushIm3D();
    GLSurface* surface = Storage(raster);
    if (!surface || !surface->texture || !image || !image->pixels || image->depth != 32)
        return false;
    size_t bytes;
    if (raster->parent && raster->parent != raster)
        bytes = gltarget::UploadRect(m_cache, *surface, raster->offsetX, raster->offsetY,
                                     std::min(image->width, raster->width),
                                     std::min(image->height, raster->height), image->pixels,
                                     image->stride);
    else if (image->width == surface->width && image->height == surface->height)
        bytes = gltarget::Upload(m_cache, *surface, 0, image->pixels, image->stride);
    else
        bytes = gltarget::UploadRect(m_cache, *surface, 0, 0, image->width, image->height,
                                     image->pixels, image->stride);
    Report();
    return bytes > 0;
}

bool GLDevice::ReadRaster(RwRaster* raster, RwImage* image)
{
    FlushIm3D();
    GLSurface* surface = Storage(raster);
    TargetRect rect;
    if (!surface || !surface->texture || !image || !image->pixels || image->depth != 32 ||
        !Rect(raster, *surface, rect))
        return false;
    const bool ok = gltarget::ReadPixels(m_cache, m_framebuffers, surface->texture, rect.x,
                                         rect.y, std::min(rect.width, image->width),
                                         std::min(rect.height, image->height), image->pixels,
                                         image->stride);
    Report();
    return ok;
}

bool GLDevice::RenderRasterScaled(RwRaster* target, RwRaster* source, const RwRect& rect)
{
    FlushIm3D();
    GLSurface* to = Storage(target);
    GLSurface* from = Storage(source);
    TargetRect toRect, fromRect;
    if (!to || !from || !to->texture || !from->texture || !Rect(target, *to, toRect) ||
        !Rect(source, *from, fromRect))
        return false;
    if (rect.w <= 0 || rect.h <= 0)
        return true;  // nothing to cover
    if (to->texture == from->texture) {
        LogError("GLDevice::RenderRasterScaled: a raster cannot be drawn into itself\n");
        return false;
    }
    const bool sameSize = rect.w == fromRect.width && rect.h == fromRect.height;
    GLuint read = m_framebuffers.Get(from->texture, 0);
    const GLuint draw = m_framebuffers.Get(to->texture, 0);
    if (!read || !draw)
        return false;
    if (!sameSize && (fromRect.width != from->width || fromRect.height != from->height)) {
        // Filtering a part of a texture would blend in texels from outside it: the part
        // goes into a scratch texture of its own size first, whose edges clamp.
        if ((m_scratch.width != fromRect.width || m_scratch.height != fromRect.height) &&
            !gltarget::AllocateColour(m_cache, m_scratch, fromRect.width, fromRect.height,
                                      GL_RGBA8, false, false))
            return false;
        const GLuint scratch = m_framebuffers.Get(m_scratch.texture, 0);
        if (!scratch)
            return false;
        m_cache.BindBlitFramebuffers(read, scratch);
        m_cache.Scissor(false, 0, 0, 0, 0);
        glBlitFramebuffer(fromRect.x, fromRect.y, fromRect.x + fromRect.width,
                          fromRect.y + fromRect.height, 0, 0, fromRect.width, fromRect.height,
                          GL_COLOR_BUFFER_BIT, GL_NEAREST);
        read = scratch;
        fromRect.x = 0;
        fromRect.y = 0;
    }
    m_cache.BindBlitFramebuffers(read, draw);
    // The scissor keeps the copy inside the target, sub-raster or not.
    m_cache.Scissor(true, toRect.x, toRect.y, toRect.width, toRect.height);
    const int x0 = toRect.x + rect.x;
    const int y0 = toRect.y + rect.y;
    glBlitFramebuffer(fromRect.x, fromRect.y, fromRect.x + fromRect.width,
                      fromRect.y + fromRect.height, x0, y0, x0 + rect.w, y0 + rect.h,
                      GL_COLOR_BUFFER_BIT, sameSize ? GL_NEAREST : GL_LINEAR);
    Report();
    return true;
}

bool GLDevice::BindTarget(RwRaster* frame, RwRaster* z, TargetRect* rectOut)
{
    GLSurface* colour = Storage(frame);
    TargetRect rect;
    if (!colour || !colour->texture || !Rect(frame, *colour, rect))
        return false;
    GLSurface* depth = Storage(z);
    const GLuint framebuffer =
        m_framebuffers.Get(colour->texture, depth ? depth->renderbuffer : 0);
    if (!framebuffer)
        return false;
    m_cache.BindFramebuffer(framebuffer);
    m_cache.Viewport(rect.x, rect.y, rect.width, rect.height);
    m_cache.Scissor(true, rect.x, rect.y, rect.width, rect.height);
    if (rectOut)
        *rectOut = rect;
    return true;
}

bool GLDevice::BeginCameraUpdate(RwCamera* camera)
{
    FlushIm3D();
    if (!camera || !BindTarget(camera->frameBuffer, camera->zBuffer)) {
        Report();
        return false;
    }
    m_camera = camera;
    RwCameraGetClipMatrix(camera, m_clip);
    // Clip y +1 is the top of the view; our targets keep the top row first, at y -1.
    for (int column = 0; column < 4; ++column)
        m_clip[column * 4 + 1] = -m_clip[column * 4 + 1];
    const RwMatrix* view = RwCameraGetViewMatrix(camera);
    m_depthPlane[0] = view->right.z;
    m_depthPlane[1] = view->up.z;
    m_depthPlane[2] = view->at.z;
    m_depthPlane[3] = view->pos.z;
    Report();
    return true;
}

void GLDevice::EndCameraUpdate(RwCamera* camera)
{
    FlushIm3D();
    if (camera == m_camera)
        m_camera = nullptr;
}

bool GLDevice::ClearCamera(RwCamera* camera, const RwRGBA& colour, RwInt32 clearMode)
{
    FlushIm3D();
    if (!camera || !BindTarget(camera->frameBuffer, camera->zBuffer)) {
        Report();
        return false;
    }
    GLbitfield mask = 0;
    if (clearMode & rwCameraClearImage) {
        glClearColor(colour.red / 255.0f, colour.green / 255.0f, colour.blue / 255.0f,
                     colour.alpha / 255.0f);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if ((clearMode & rwCameraClearZ) && Storage(camera->zBuffer)) {
        m_cache.DepthWrite(true);  // a cleared z-buffer ignores the z-write state
        glClearDepth(1.0);
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    if (mask)
        glClear(mask);
    Report();
    return true;
}

bool GLDevice::ShowRaster(RwCamera* camera, void* window, RwUInt32 /*flags*/)
{
    FlushIm3D();
    SDL_Window* target = window ? static_cast<SDL_Window*>(window) : m_window;
    if (target != m_window) {
        LogWarning("GLDevice::ShowRaster: not the engine's window, showing in it instead\n");
        target = m_window;
    }
    GLSurface* colour = camera ? Storage(camera->frameBuffer) : nullptr;
    TargetRect rect;
    if (!target || !colour || !colour->texture || !Rect(camera->frameBuffer, *colour, rect)) {
        Report();
        return false;
    }
    const GLuint read = m_framebuffers.Get(colour->texture, 0);
    if (!read)
        return false;
    int width = 0, height = 0;
    SDL_GL_GetDrawableSize(target, &width, &height);
    platform::PresentHook* hook = platform::GetPresentHook();
    const platform::Rect view = hook ? hook->GetView(width, height) : platform::Rect{0, 0, width, height};
    m_cache.BindBlitFramebuffers(read, 0);
    // The window's first row is its bottom: the copy turns the picture over.
    const int bottom = height - view.y - view.height;
    // Around a smaller view the window would show what the last swap left. Only the bands
    // around it are cleared: the copy covers the view, and clearing it too costs a software
    // renderer a pass over every pixel of every frame, idle menus included.
    const int top = bottom + view.height, right = view.x + view.width;
    const TargetRect bands[] = {{0, top, width, height - top},
                                {0, 0, width, bottom},
                                {0, bottom, view.x, view.height},
                                {right, bottom, width - right, view.height}};
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    for (const TargetRect& band : bands)
        if (band.width > 0 && band.height > 0) {
            m_cache.Scissor(true, band.x, band.y, band.width, band.height);
            glClear(GL_COLOR_BUFFER_BIT);
        }
    // The copy obeys the scissor test.
    m_cache.Scissor(false, 0, 0, 0, 0);
    const bool sameSize = view.width == rect.width && view.height == rect.height;
    glBlitFramebuffer(rect.x, rect.y, rect.x + rect.width, rect.y + rect.height, view.x, bottom + view.height,
                      view.x + view.width, bottom, GL_COLOR_BUFFER_BIT, sameSize ? GL_NEAREST : GL_LINEAR);
    if (hook)
        hook->BeforeSwap();
    SDL_GL_SwapWindow(target);
    Report();
    return true;
}

void GLDevice::SetRenderState(RwRenderState state, intptr_t value)
{
    if (state <= rwRenderStateNa || state >= rwRenderStateCount)
        return;
    m_states[state] = value;
    if (state == rwRenderStateTextureAddress) {
        m_states[rwRenderStateTextureAddressU] = value;
        m_states[rwRenderStateTextureAddressV] = value;
    }
}

void GLDevice::SetZBias(RwInt32 bias)
{
    m_zBias = bias;
}

void GLDevice::ApplySampler(const GLSurface& texture)
{
    SamplerState wanted;
    wanted.wrapS = AddressMode(m_states[rwRenderStateTextureAddressU]);
    wanted.wrapT = AddressMode(m_states[rwRenderStateTextureAddressV]);
    // Minification with and without mip levels, and magnification, per filter mode.
    struct FilterGL {
        GLint minMip, min, mag;
    };
    static const FilterGL kNearest{GL_NEAREST, GL_NEAREST, GL_NEAREST};
    static const FilterGL kLinear{GL_LINEAR, GL_LINEAR, GL_LINEAR};
    FilterGL filter = kLinear;
    switch (m_states[rwRenderStateTextureFilter]) {
    case rwFilterNearest: filter = kNearest; break;
    case rwFilterMipNearest: filter = {GL_NEAREST_MIPMAP_NEAREST, GL_NEAREST, GL_NEAREST}; break;
    case rwFilterMipLinear: filter = {GL_NEAREST_MIPMAP_LINEAR, GL_NEAREST, GL_NEAREST}; break;
    case rwFilterLinearMipNearest: filter = {GL_LINEAR_MIPMAP_NEAREST, GL_LINEAR, GL_LINEAR}; break;
    case rwFilterLinearMipLinear: filter = {GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR, GL_LINEAR}; break;
    default: break;
    }
    wanted.minFilter = texture.levels > 1 ? filter.minMip : filter.min;
    wanted.magFilter = filter.mag;
    UnpackColour(m_states[rwRenderStateBorderColor], wanted.border, &wanted.border[3]);

    SamplerState& have = m_samplerState;
    uint32_t& changes = m_cache.counters.samplerChanges;
    const auto update = [&](GLint had, GLint want, GLenum parameter) {
        if (had != want) {
            glSamplerParameteri(m_sampler, parameter, want);
            ++changes;
        }
    };
    update(have.wrapS, wanted.wrapS, GL_TEXTURE_WRAP_S);
    update(have.wrapT, wanted.wrapT, GL_TEXTURE_WRAP_T);
    update(have.minFilter, wanted.minFilter, GL_TEXTURE_MIN_FILTER);
    update(have.magFilter, wanted.magFilter, GL_TEXTURE_MAG_FILTER);
    if (std::memcmp(have.border, wanted.border, sizeof wanted.border) != 0) {
        glSamplerParameterfv(m_sampler, GL_TEXTURE_BORDER_COLOR, wanted.border);
        ++changes;
    }
    have = wanted;
}

uint32_t GLDevice::ApplyRenderStates(bool screen)
{
    uint32_t features = screen ? uint32_t(kShaderScreen) : 0u;
    auto* textureRaster = reinterpret_cast<RwRaster*>(m_states[rwRenderStateTextureRaster]);
    GLSurface* texture = Storage(textureRaster);
    if (texture && texture->texture) {
        features |= kShaderTextured;
        m_cache.BindTexture(0, texture->texture);
        m_cache.BindSampler(0, m_sampler);
        ApplySampler(*texture);
    } else {
        texture = nullptr;
    }

    // Blending follows vertex alpha, and a texture with translucent texels turns it on
    // by itself.
    const bool blend = m_states[rwRenderStateVertexAlphaEnable] || (texture && texture->hasAlpha);
    m_cache.Blend(blend, BlendFactor(m_states[rwRenderStateSrcBlend], GL_ONE),
                  BlendFactor(m_states[rwRenderStateDestBlend], GL_ZERO));
    m_cache.DepthTest(m_states[rwRenderStateZTestEnable] != 0);
    m_cache.DepthWrite(m_states[rwRenderStateZWriteEnable] != 0);
    m_cache.DepthAtFar(m_states[rwRenderStateZAtFar] != 0);
    switch (m_states[rwRenderStateCullMode]) {
    case rwCullBack: m_cache.Cull(true, GL_BACK); break;
    case rwCullFront: m_cache.Cull(true, GL_FRONT); break;
    default: m_cache.Cull(false, GL_BACK); break;
    }
    // One unit of bias is worth a little more than the depth buffer's step.
    m_cache.PolygonOffset(m_zBias > 0, -1.0f * static_cast<float>(m_zBias),
                          -2.0f * static_cast<float>(m_zBias));

    const intptr_t alphaFunction = m_states[rwRenderStateAlphaTestFunction];
    const intptr_t alphaReference = m_states[rwRenderStateAlphaTestFunctionRef];
    // Where a clear fragment would change neither colour nor depth, a test that throws away
    // only those decides nothing, yet would cost each pixel.
    const bool testDecides =
        !blend || !DiscardsOnlyClear(alphaFunction, alphaReference) || !ClearChangesNothing(m_states);
    if (!testDecides)
        ++m_cache.counters.alphaTestLeftOut;
    if (testDecides && alphaFunction != rwAlphaTestAlways && alphaFunction >= rwAlphaTestNever &&
        alphaFunction < rwAlphaTestAlways) {
        features |= kShaderAlphaTest;
        m_inputs.alphaFunction = static_cast<int>(alphaFunction);
        m_inputs.alphaReference = static_cast<float>(alphaReference);
    }
    if (!screen && m_states[rwRenderStateFogEnable]) {
        features |= kShaderFog;
        const intptr_t type = m_states[rwRenderStateFogType];
        features |= type == rwFogExponential ? kShaderFogExponential
                    : type == rwFogExponential2 ? kShaderFogExponential2
                                                : 0u;
        UnpackColour(m_states[rwRenderStateFogColor], m_inputs.fogColour);
        m_inputs.fogDensity = RwRenderStateToReal(m_states[rwRenderStateFogDensity]);
        m_inputs.fogStart = m_camera ? m_camera->fogPlane : 0.0f;
        m_inputs.fogEnd = m_camera ? m_camera->farPlane : 1.0f;
    }
    if (m_states[rwRenderStateShadeMode] == rwShadeFlat)
        features |= kShaderFlat;
    return features;
}

size_t GLDevice::Stream(StreamBuffer& stream, GLenum target, const void* data, size_t bytes,
                        size_t align)
{
    size_t offset = (stream.offset + align - 1) / align * align;
    if (offset + bytes > stream.capacity) {
        // Orphaning hands the old storage to the draws still reading it.
        stream.capacity = std::max(stream.capacity, bytes);
        glBufferData(target, static_cast<GLsizeiptr>(stream.capacity), nullptr, GL_STREAM_DRAW);
        offset = 0;
    }
    glBufferSubData(target, static_cast<GLintptr>(offset), static_cast<GLsizeiptr>(bytes), data);
    stream.offset = offset + bytes;
    return offset;
}

bool GLDevice::Draw(GLuint vao, StreamBuffer& vertices, size_t stride, RwPrimitiveType type,
                    const void* vertexData, RwInt32 numVertices, const RwImVertexIndex* indices,
                    RwInt32 numIndices)
{
    bool known = false;
    const GLenum mode = PrimitiveMode(type, known);
    if (!known || numVertices <= 0 || (indices && numIndices <= 0))
        return false;
    ++m_cache.counters.draws;
    m_cache.BindVertexArray(vao);
    m_cache.BindArrayBuffer(vertices.buffer);
    const size_t vertexOffset = Stream(vertices, GL_ARRAY_BUFFER, vertexData,
                                       stride * static_cast<size_t>(numVertices), stride);
    const GLint first = static_cast<GLint>(vertexOffset / stride);
    if (indices) {
        // The element buffer belongs to the bound vertex array.
        const size_t indexOffset =
            Stream(m_indices, GL_ELEMENT_ARRAY_BUFFER, indices,
                   sizeof(RwImVertexIndex) * static_cast<size_t>(numIndices), 4);
        glDrawElementsBaseVertex(mode, numIndices, GL_UNSIGNED_SHORT,
                                 reinterpret_cast<void*>(indexOffset), first);
    } else {
        glDrawArrays(mode, first, numVertices);
    }
    return true;
}

void GLDevice::SetObjectTransform(const RwMatrix* ltm)
{
    if (ltm) {
        float world[16];
        ToColumnMajor(*ltm, world);
        Multiply(m_inputs.transform, m_clip, world);
        const float* d = m_depthPlane;
        for (int axis = 0; axis < 3; ++axis)
            m_inputs.depthPlane[axis] = d[0] * world[axis * 4] + d[1] * world[axis * 4 + 1] +
                                        d[2] * world[axis * 4 + 2];
        m_inputs.depthPlane[3] =
            d[0] * world[12] + d[1] * world[13] + d[2] * world[14] + d[3];
        for (int column = 0; column < 3; ++column)
            for (int row = 0; row < 3; ++row)
                m_inputs.worldNormal[column * 3 + row] = world[column * 4 + row];
    } else {
        std::memcpy(m_inputs.transform, m_clip, sizeof m_clip);
        std::memcpy(m_inputs.depthPlane, m_depthPlane, sizeof m_depthPlane);
        const float identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
        std::memcpy(m_inputs.worldNormal, identity, sizeof identity);
    }
}

bool GLDevice::LinearFogReaches(const RwV3d& low, const RwV3d& high) const
{
    const float start = m_inputs.fogStart, end = m_inputs.fogEnd;
    // Without a depth to fade over, the shader keeps every colour whole.
    if (end <= start)
        return false;
    const float* plane = m_inputs.depthPlane;
    const float lows[3] = {low.x, low.y, low.z}, highs[3] = {high.x, high.y, high.z};
    float farthest = plane[3];
    for (int axis = 0; axis < 3; ++axis)
        farthest += std::max(plane[axis] * lows[axis], plane[axis] * highs[axis]);
    return (end - farthest) / (end - start) < kUnfoggedShare;
}

void GLDevice::LeaveOutUnreachedFog(uint32_t& features, const RwV3d& low, const RwV3d& high)
{
    // Fog that starts beyond the box changes none of its pixels, yet would cost each of them.
    if (LinearFogReaches(low, high))
        return;
    features &= ~kShaderFog;
    ++m_cache.counters.fogLeftOut;
}

bool GLDevice::Batchable(const RwIm3DDraw& draw) const
{
    const RwInt32 count = draw.indices ? draw.numIndices : draw.numVertices;
    const bool triangles = draw.type == rwPrimTypeTriList ? count % 3 == 0
                           : draw.type == rwPrimTypeTriStrip || draw.type == rwPrimTypeTriFan;
    return m_started && m_camera && draw.vertices && !draw.ltm && !m_lit && triangles && draw.numVertices > 0 &&
           draw.numVertices <= kMaxBatchedDraw && count >= 3;
}

void GLDevice::AddToBatch(const RwIm3DDraw& draw)
{
    const bool sameStates = m_batch.flags == draw.flags && m_batch.zBias == m_zBias &&
                            std::equal(std::begin(m_states), std::end(m_states), std::begin(m_batch.states));
    if (!m_batch.vertices.empty() &&
        (!sameStates || m_batch.vertices.size() + static_cast<size_t>(draw.numVertices) > kMaxBatchVertices))
        FlushIm3D();
    if (m_batch.vertices.empty()) {
        std::copy(std::begin(m_states), std::end(m_states), std::begin(m_batch.states));
        m_batch.zBias = m_zBias;
        m_batch.flags = draw.flags;
    }
    const auto base = static_cast<RwImVertexIndex>(m_batch.vertices.size());
    m_batch.vertices.insert(m_batch.vertices.end(), draw.vertices, draw.vertices + draw.numVertices);
    const RwInt32 count = draw.indices ? draw.numIndices : draw.numVertices;
    const auto add = [&](RwInt32 i) {
        m_batch.indices.push_back(static_cast<RwImVertexIndex>(base + (draw.indices ? draw.indices[i] : i)));
    };
    // Strips and fans become the triangles GL makes of them: the same winding, and first the
    // vertex that flat shading takes the colour from (strip: its first; fan: its second).
    for (RwInt32 t = 0; t + 2 < count; t += draw.type == rwPrimTypeTriList ? 3 : 1) {
        if (draw.type == rwPrimTypeTriFan) {
            add(t + 1);
            add(t + 2);
            add(0);
        } else {
            const RwInt32 odd = draw.type == rwPrimTypeTriStrip ? (t & 1) : 0;
            add(t);
            add(t + 1 + odd);
            add(t + 2 - odd);
        }
    }
}

bool GLDevice::FlushIm3D()
{
    if (m_batch.vertices.empty())
        return true;
    intptr_t current[rwRenderStateCount];
    std::copy(std::begin(m_states), std::end(m_states), std::begin(current));
    std::copy(std::begin(m_batch.states), std::end(m_batch.states), std::begin(m_states));
    std::swap(m_zBias, m_batch.zBias);
    const RwIm3DDraw draw{m_batch.vertices.data(), static_cast<RwInt32>(m_batch.vertices.size()), nullptr,
                          m_batch.flags, rwPrimTypeTriList, m_batch.indices.data(),
                          static_cast<RwInt32>(m_batch.indices.size())};
    const bool ok = DrawIm3DNow(draw);
    std::swap(m_zBias, m_batch.zBias);
    std::copy(std::begin(current), std::end(current), std::begin(m_states));
    m_batch.vertices.clear();
    m_batch.indices.clear();
    return ok;
}

bool GLDevice::DrawIm3D(const RwIm3DDraw& draw)
{
    if (Batchable(draw)) {
        AddToBatch(draw);
        return true;
    }
    FlushIm3D();
    return DrawIm3DNow(draw);
}

bool GLDevice::DrawIm3DNow(const RwIm3DDraw& draw)
{
    if (!m_started || !m_camera || !draw.vertices ||
        !BindTarget(m_camera->frameBuffer, m_camera->zBuffer)) {
        Report();
        return false;
    }
    SetObjectTransform(draw.ltm);
    uint32_t features = ApplyRenderStates(false);
    if (LinearFog(features) && draw.numVertices > 0) {
        // Every vertex, not only those the indices name: a larger box can only keep the fog.
        RwV3d low, high;
        const auto vertex = [&](size_t i) -> const RwV3d& { return draw.vertices[i].objVertex; };
        Bounds(static_cast<size_t>(draw.numVertices), vertex, low, high);
        LeaveOutUnreachedFog(features, low, high);
    }
    if (m_lit) {
        features |= kShaderLit;
        m_inputs.lights = m_imLights;
    }
    std::memcpy(m_inputs.materialColour, m_lit ? m_materialColour : kWhite, sizeof kWhite);
    bool ok = m_shaders.Use(features, m_inputs) &&
              Draw(m_vao3D, m_vertices3D, sizeof(RwIm3DVertex), draw.type, draw.vertices,
                   draw.numVertices, draw.indices, draw.numIndices);
    Report();
    return ok;
}

bool GLDevice::DrawIm2D(const RwIm2DDraw& draw)
{
    FlushIm3D();
    TargetRect rect;
    if (!m_started || !m_camera || !draw.vertices ||
        !BindTarget(m_camera->frameBuffer, m_camera->zBuffer, &rect)) {
        Report();
        return false;
    }
    // Pixels count from the camera raster's own corner, sub-raster or not.
    m_inputs.screenSize[0] = static_cast<float>(rect.width);
    m_inputs.screenSize[1] = static_cast<float>(rect.height);
    const uint32_t features = ApplyRenderStates(true);
    std::memcpy(m_inputs.materialColour, kWhite, sizeof kWhite);
    bool ok = m_shaders.Use(features, m_inputs) &&
              Draw(m_vao2D, m_vertices2D, sizeof(RwIm2DVertex), draw.type, draw.vertices,
                   draw.numVertices, draw.indices, draw.numIndices);
    Report();
    return ok;
}

void GLDevice::BeginSampleCount()
{
    FlushIm3D();
    if (!m_started)
        return;
    if (!m_sampleQuery)
        glGenQueries(1, &m_sampleQuery);
    glBeginQuery(GL_SAMPLES_PASSED, m_sampleQuery);
}

uint64_t GLDevice::EndSampleCount()
{
    FlushIm3D();
    if (!m_started || !m_sampleQuery)
        return 0;
    glEndQuery(GL_SAMPLES_PASSED);
    GLuint64 samples = 0;
    glGetQueryObjectui64v(m_sampleQuery, GL_QUERY_RESULT, &samples);
    return samples;
}

void GLDevice::SetLighting(const RwDeviceLighting* lighting)
{
    FlushIm3D();
    m_lit = lighting != nullptr;
    if (!lighting)
        return;
    m_imLights = ToLights(*lighting);
    ToFloats(lighting->materialColour, m_materialColour);
}

void GLDevice::Report()
{
    const GLCounters& now = m_cache.counters;
    if (metrics) {
        RwDeviceMetrics& out = metrics->device;
        out.numRenderStateChanges += (now.stateChanges - m_reported.stateChanges) +
                                     (now.programChanges - m_reported.programChanges);
        out.numTextureStageStateChanges += (now.textureBinds - m_reported.textureBinds) +
                                           (now.samplerChanges - m_reported.samplerChanges);
        out.numMaterialChanges += now.materialChanges - m_reported.materialChanges;
        out.numLightsChanged += now.lightChanges - m_reported.lightChanges;
        out.numVBSwitches += now.bufferBinds - m_reported.bufferBinds;
    }
    m_reported = now;
}

namespace {

// Sections of a mesh's vertex buffer, in the order of RwDeviceMeshPart.
constexpr size_t kSectionBytes[5] = {sizeof(RwV3d), sizeof(RwV3d), 4, sizeof(RwV2d), 4 + 16};

size_t SectionOffset(int part, RwInt32 numVertices)
{
    size_t offset = 0;
    for (int i = 0; i < part; ++i)
        offset += kSectionBytes[i] * static_cast<size_t>(numVertices);
    return offset;
}

}  // namespace

bool GLDevice::UploadMesh(Mesh& mesh, const RwDeviceMeshData& data, RwUInt32 parts)
{
    const size_t n = static_cast<size_t>(mesh.numVertices);
    m_cache.BindVertexArray(mesh.vao);
    m_cache.BindArrayBuffer(mesh.vertices);
    auto section = [&](RwUInt32 part, int index, const void* source, GLuint attrib, GLint size, GLenum type,
                       GLboolean normalise) {
        if (!(parts & part) || !source)
            return;
        const size_t offset = SectionOffset(index, mesh.numVertices);
        glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(offset),
                        static_cast<GLsizeiptr>(kSectionBytes[index] * n), source);
        glEnableVertexAttribArray(attrib);
        glVertexAttribPointer(attrib, size, type, normalise, 0, reinterpret_cast<void*>(offset));
        mesh.present |= part;
    };
    section(rwMeshPositions, 0, data.positions, kAttribPosition, 3, GL_FLOAT, GL_FALSE);
    if ((parts & rwMeshPositions) && data.positions) {
        Bounds(n, [&](size_t i) -> const RwV3d& { return data.positions[i]; }, mesh.low, mesh.high);
    }
    section(rwMeshNormals, 1, data.normals, kAttribNormal, 3, GL_FLOAT, GL_FALSE);
    section(rwMeshColours, 2, data.colours, kAttribColour, 4, GL_UNSIGNED_BYTE, GL_TRUE);
    section(rwMeshUVs, 3, data.uvs, kAttribTexCoord, 2, GL_FLOAT, GL_FALSE);
    if ((parts & rwMeshBones) && data.boneIndices && data.weights) {
        const size_t offset = SectionOffset(4, mesh.numVertices);
        glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(offset), static_cast<GLsizeiptr>(4 * n),
                        data.boneIndices);
        glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(offset + 4 * n), static_cast<GLsizeiptr>(16 * n),
                        data.weights);
        glEnableVertexAttribArray(kAttribBoneIndices);
        glVertexAttribPointer(kAttribBoneIndices, 4, GL_UNSIGNED_BYTE, GL_FALSE, 0, reinterpret_cast<void*>(offset));
        glEnableVertexAttribArray(kAttribWeights);
        glVertexAttribPointer(kAttribWeights, 4, GL_FLOAT, GL_FALSE, 0, reinterpret_cast<void*>(offset + 4 * n));
        mesh.present |= rwMeshBones;
        mesh.twoBones = WeighsTwoBones(data.weights, n);
    }
    if ((parts & rwMeshIndices) && data.indices && data.numIndices > 0) {
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh.indices);
        const GLsizeiptr bytes = static_cast<GLsizeiptr>(sizeof(RwUInt16) * static_cast<size_t>(data.numIndices));
        if (data.numIndices != mesh.numIndices)
            glBufferData(GL_ELEMENT_ARRAY_BUFFER, bytes, data.indices, GL_STATIC_DRAW);
        else
            glBufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, bytes, data.indices);
        mesh.numIndices = data.numIndices;
    }
    return glGetError() == GL_NO_ERROR;
}

void* GLDevice::CreateMesh(const RwDeviceMeshData& data)
{
    if (!m_started || data.numVertices <= 0 || !data.positions || !data.indices || data.numIndices <= 0)
        return nullptr;
    auto* mesh = new Mesh;
    mesh->numVertices = data.numVertices;
    glGenVertexArrays(1, &mesh->vao);
    GLuint buffers[2];
    glGenBuffers(2, buffers);
    mesh->vertices = buffers[0];
    mesh->indices = buffers[1];
    m_cache.BindVertexArray(mesh->vao);
    m_cache.BindArrayBuffer(mesh->vertices);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(SectionOffset(5, data.numVertices)), nullptr,
                 GL_STATIC_DRAW);
    m_meshes.insert(mesh);
    if (!UploadMesh(*mesh, data, rwMeshAll)) {
        LogError("GLDevice::CreateMesh: the GL refused the buffers\n");
        DestroyMesh(mesh);
        return nullptr;
    }
    return mesh;
}

bool GLDevice::UpdateMesh(void* handle, const RwDeviceMeshData& data, RwUInt32 parts)
{
    auto* mesh = static_cast<Mesh*>(handle);
    if (!m_started || !m_meshes.count(mesh) || !mesh->vao || data.numVertices != mesh->numVertices)
        return false;
    return UploadMesh(*mesh, data, parts);
}

void GLDevice::DestroyMesh(void* handle)
{
    auto* mesh = static_cast<Mesh*>(handle);
    if (!m_meshes.erase(mesh))
        return;
    if (mesh->vao && m_context && SDL_GL_GetCurrentContext() == m_context) {
        m_cache.BindVertexArray(0);
        m_cache.OnBufferDeleted(mesh->vertices);
        m_cache.OnBufferDeleted(mesh->indices);
        GLuint buffers[2] = {mesh->vertices, mesh->indices};
        glDeleteBuffers(2, buffers);
        glDeleteVertexArrays(1, &mesh->vao);
    }
    delete mesh;
}

void GLDevice::StartWork()
{
    if (!m_started)
        return;
    FlushIm3D();
    glFlush();
}

bool GLDevice::RasterHasAlpha(RwRaster* raster)
{
    GLSurface* surface = Storage(raster);
    return surface && surface->hasAlpha;
}

bool GLDevice::DrawMesh(const RwDeviceMeshDraw& draw)
{
    FlushIm3D();
    auto* mesh = static_cast<Mesh*>(draw.mesh);
    if (!m_started || !m_camera || !m_meshes.count(mesh) || !mesh->vao || draw.firstIndex < 0 ||
        draw.numIndices <= 0 || draw.firstIndex + draw.numIndices > mesh->numIndices ||
        !BindTarget(m_camera->frameBuffer, m_camera->zBuffer)) {
        Report();
        return false;
    }
    // A part of material alpha 0, as a clump faded out, has only clear fragments. Thrown away by
    // the alpha test, or blended so that clear leaves the picture as it was and kept out of the
    // depth buffer, it would be shaded for nothing.
    const intptr_t alphaFunction = m_states[rwRenderStateAlphaTestFunction];
    const intptr_t alphaReference = m_states[rwRenderStateAlphaTestFunctionRef];
    if (draw.transparent && draw.materialColour.alpha == 0.0f &&
        (!AlphaPasses(alphaFunction, alphaReference, 0) || ClearChangesNothing(m_states))) {
        ++m_cache.counters.clearLeftOut;
        return true;
    }
    SetObjectTransform(draw.ltm);
    uint32_t features = 0;
    {
        // The material decides texture, sampling and blending for this draw only.
        StateOverride material(m_states);
        material.Set(rwRenderStateTextureRaster, reinterpret_cast<intptr_t>(draw.texture));
        if (draw.texture) {
            material.Set(rwRenderStateTextureFilter, draw.filter);
            material.Set(rwRenderStateTextureAddressU, draw.addressU);
            material.Set(rwRenderStateTextureAddressV, draw.addressV);
        }
        if (draw.transparent)
            material.Set(rwRenderStateVertexAlphaEnable, 1);
        material.Set(rwRenderStateCullMode, draw.cullBack ? rwCullBack : rwCullNone);
        // Every fragment of an opaque material is opaque, unless a border colour is sampled. A
        // test that lets them all through is dropped: without discarding, hidden fragments
        // stop at the depth test before shading.
        const bool bordered = draw.texture && (draw.addressU == rwTextureAddressBorder ||
                                               draw.addressV == rwTextureAddressBorder);
        if (!draw.transparent && !bordered &&
            AlphaPasses(alphaFunction, alphaReference, 255))
            material.Set(rwRenderStateAlphaTestFunction, rwAlphaTestAlways);
        features = ApplyRenderStates(false);
    }
    const bool skinned = draw.boneMatrices && draw.numBones > 0 && (mesh->present & rwMeshBones);
    if (!skinned && LinearFog(features))
        LeaveOutUnreachedFog(features, mesh->low, mesh->high);
    // Lighting that adds nothing keeps every colour as it is: the shader need not light at all,
    // which spares it blending and turning the normals (a shadow's casters are lit so).
    if (draw.lighting && AddsLight(*draw.lighting)) {
        m_inputs.lights = ToLights(*draw.lighting);
        features |= kShaderLit;
    }
    ToFloats(draw.materialColour, m_inputs.materialColour);
    if (draw.uvTransform) {
        const RwMatrix& m = *draw.uvTransform;
        const float rows[6] = {m.right.x, m.up.x, m.pos.x, m.right.y, m.up.y, m.pos.y};
        std::memcpy(m_inputs.uvTransform, rows, sizeof rows);
        features |= kShaderUVTransform;
    }
    if (skinned) {
        const int count = std::min<int>(draw.numBones, kMaxBones);
        for (int b = 0; b < count; ++b) {
            const RwMatrix& m = draw.boneMatrices[b];
            float* r = &m_inputs.bones[b * 12];
            const float rows[12] = {m.right.x, m.up.x, m.at.x, m.pos.x, m.right.y, m.up.y,
                                    m.at.y,    m.pos.y, m.right.z, m.up.z, m.at.z, m.pos.z};
            std::memcpy(r, rows, sizeof rows);
        }
        m_inputs.boneCount = count;
        features |= kShaderSkinned | (mesh->twoBones ? kShaderTwoBones : 0u);
    }

    m_cache.BindVertexArray(mesh->vao);
    // Attributes the mesh lacks read these values.
    if (!(mesh->present & rwMeshColours)) {
        // Without pre-lit colours light starts from black; unlit meshes draw white.
        const float base = draw.lighting ? 0.0f : 1.0f;
        glVertexAttrib4f(kAttribColour, base, base, base, 1);
        // Nothing else varies the colour (a shadow's casters): the material colour is all of it,
        // and the scale by 0 or 1 is exact, as the shader's would be.
        if (!(features & kShaderColourVaries)) {
            for (int c = 0; c < 3; ++c)
                m_inputs.materialColour[c] *= base;
            features |= kShaderPlainColour;
        }
    }
    if (!(mesh->present & rwMeshNormals))
        glVertexAttrib3f(kAttribNormal, 0, 0, 1);
    if (!(mesh->present & rwMeshUVs))
        glVertexAttrib2f(kAttribTexCoord, 0, 0);
    const bool ok = m_shaders.Use(features, m_inputs);
    if (ok) {
        glDrawElements(GL_TRIANGLES, draw.numIndices, GL_UNSIGNED_SHORT,
                       reinterpret_cast<void*>(sizeof(RwUInt16) * static_cast<size_t>(draw.firstIndex)));
        ++m_cache.counters.meshDraws;
    }
    Report();
    return ok;
}
