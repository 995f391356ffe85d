#pragma once

#include "engine/gl/GLStateCache.h"

#include <epoxy/gl.h>

#include <cstdint>
#include <functional>
#include <map>
#include <utility>

// GL storage behind one raster that owns pixels. Colour lives in a texture so that
// every raster can be drawn into and sampled alike; depth in a renderbuffer.
// Rows are kept top row first, as images are: texture coordinate v = 0 is the top,
// and read-backs come out in image order without flipping.
struct GLSurface {
    GLuint texture = 0;
    GLuint renderbuffer = 0;
    GLenum internalFormat = 0;
    int width = 0;   // size of the storage as allocated
    int height = 0;
    int levels = 1;  // mip levels the storage holds
    bool hasAlpha = false;  // some texel is not opaque: drawing with it blends
    bool mipmapped = false;
    bool autoMipmap = false;
    // Stored blue first, as windows are: showing it is then a plain copy rather than a
    // conversion, about ten times cheaper on the software renderer.
    bool windowOrder = false;
};

namespace gltarget {

// Allocates (or reallocates, keeping the names) storage of the given size; the old
// contents are lost. Depth surfaces get a renderbuffer, the others a texture. The
// surface's windowOrder asks for storage in the window's byte order.
bool AllocateColour(GLStateCache& cache, GLSurface& surface, int width, int height,
                    GLenum internalFormat, bool mipmapped, bool autoMipmap);
bool AllocateDepth(GLStateCache& cache, GLSurface& surface, int width, int height);
void Release(GLStateCache& cache, GLSurface& surface);

// Writes RGBA8 rows (top row first) into one level; rebuilds the lower levels when the
// surface makes its own mip-maps. Returns the number of bytes sent.
size_t Upload(GLStateCache& cache, GLSurface& surface, int level, const uint8_t* rgba,
              int stride);
// The same into a rectangle of level 0 (a sub-raster), clipped to the surface.
size_t UploadRect(GLStateCache& cache, GLSurface& surface, int x, int y, int width, int height,
                  const uint8_t* rgba, int stride);

// Keeps the framebuffer object of each (colour texture, depth renderbuffer) pair that
// was drawn into, made on first use.
class FramebufferCache {
public:
    explicit FramebufferCache(GLStateCache& cache) : m_cache(cache) {}

    // 0 when GL calls the combination incomplete (logged once per pair).
    GLuint Get(GLuint texture, GLuint renderbuffer);
    // Drops every framebuffer that uses the storage; call before deleting it.
    void ForgetTexture(GLuint texture);
    void ForgetRenderbuffer(GLuint renderbuffer);
    void Clear();
    size_t Size() const { return m_framebuffers.size(); }

private:
    using Key = std::pair<GLuint, GLuint>;  // colour texture, depth renderbuffer
    void Forget(const std::function<bool(const Key&)>& uses);

    GLStateCache& m_cache;
    std::map<Key, GLuint> m_framebuffers;
};

// Reads RGBA8 pixels of a rectangle of a colour texture, top row first.
bool ReadPixels(GLStateCache& cache, FramebufferCache& framebuffers, GLuint texture, int x,
                int y, int width, int height, uint8_t* out, int stride);

}  // namespace gltarget
