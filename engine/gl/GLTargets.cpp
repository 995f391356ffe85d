#include "engine/gl/GLTargets.h"

#include "framework/Debug.h"

#include <algorithm>
#include <vector>

namespace gltarget {

namespace {

int LevelCount(int width, int height)
{
    int levels = 1;
    for (int size = std::max(width, height); size > 1; size >>= 1)
        ++levels;
    return levels;
}

// Binding for setup work goes through the cache so its picture of unit 0 stays true.
void BindForSetup(GLStateCache& cache, GLuint texture)
{
    cache.BindTexture(0, texture);
}

}  // namespace

bool AllocateColour(GLStateCache& cache, GLSurface& surface, int width, int height,
                    GLenum internalFormat, bool mipmapped, bool autoMipmap)
{
    if (width <= 0 || height <= 0)
        return false;
    if (!surface.texture)
        glGenTextures(1, &surface.texture);
    surface.internalFormat = internalFormat;
    surface.width = width;
    surface.height = height;
    surface.mipmapped = mipmapped;
    surface.autoMipmap = autoMipmap;
    surface.levels = mipmapped ? LevelCount(width, height) : 1;
    BindForSetup(cache, surface.texture);
    // GL has no sized blue-first format; an unsized one with blue-first data is how to ask.
    const GLint storage = !surface.windowOrder ? static_cast<GLint>(internalFormat)
                          : internalFormat == GL_RGB8 ? GL_RGB
                                                      : GL_RGBA;
    const GLenum layout = surface.windowOrder ? GL_BGRA : GL_RGBA;
    for (int level = 0; level < surface.levels; ++level)
        glTexImage2D(GL_TEXTURE_2D, level, storage, std::max(1, width >> level),
                     std::max(1, height >> level), 0, layout, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, surface.levels - 1);
    return glGetError() == GL_NO_ERROR;
}

bool AllocateDepth(GLStateCache& cache, GLSurface& surface, int width, int height)
{
    if (width <= 0 || height <= 0)
        return false;
    if (!surface.renderbuffer)
        glGenRenderbuffers(1, &surface.renderbuffer);
    surface.internalFormat = GL_DEPTH_COMPONENT24;
    surface.width = width;
    surface.height = height;
    surface.levels = 1;
    cache.BindRenderbuffer(surface.renderbuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    return glGetError() == GL_NO_ERROR;
}

void Release(GLStateCache& cache, GLSurface& surface)
{
    if (surface.texture) {
        cache.OnTextureDeleted(surface.texture);
        glDeleteTextures(1, &surface.texture);
    }
    if (surface.renderbuffer) {
        cache.OnRenderbufferDeleted(surface.renderbuffer);
        glDeleteRenderbuffers(1, &surface.renderbuffer);
    }
    surface = GLSurface();
}

namespace {

bool AnyTranslucent(const uint8_t* rgba, int width, int height, int stride)
{
    for (int row = 0; row < height; ++row) {
        const uint8_t* p = rgba + static_cast<size_t>(row) * stride;
        for (int x = 0; x < width; ++x)
            if (p[x * 4 + 3] != 255)
                return true;
    }
    return false;
}

void SubImage(int level, int x, int y, int width, int height, const uint8_t* rgba, int stride)
{
    if (stride % 4 == 0 && stride / 4 >= width) {
        glPixelStorei(GL_UNPACK_ROW_LENGTH, stride / 4);
        glTexSubImage2D(GL_TEXTURE_2D, level, x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE,
                        rgba);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    } else {
        for (int row = 0; row < height; ++row)
            glTexSubImage2D(GL_TEXTURE_2D, level, x, y + row, width, 1, GL_RGBA,
                            GL_UNSIGNED_BYTE, rgba + static_cast<size_t>(row) * stride);
    }
}

}  // namespace

size_t Upload(GLStateCache& cache, GLSurface& surface, int level, const uint8_t* rgba,
              int stride)
{
    if (!surface.texture || level < 0 || level >= surface.levels || !rgba)
        return 0;
    const int width = std::max(1, surface.width >> level);
    const int height = std::max(1, surface.height >> level);
    BindForSetup(cache, surface.texture);
    SubImage(level, 0, 0, width, height, rgba, stride);
    if (level == 0) {
        surface.hasAlpha = AnyTranslucent(rgba, width, height, stride);
        if (surface.autoMipmap && surface.levels > 1)
            glGenerateMipmap(GL_TEXTURE_2D);
    }
    return static_cast<size_t>(width) * height * 4;
}

size_t UploadRect(GLStateCache& cache, GLSurface& surface, int x, int y, int width, int height,
                  const uint8_t* rgba, int stride)
{
    if (!surface.texture || !rgba)
        return 0;
    // Clip to the surface, moving the source start along with the rectangle.
    if (x < 0) {
        rgba += static_cast<size_t>(-x) * 4;
        width += x;
        x = 0;
    }
    if (y < 0) {
        rgba += static_cast<size_t>(-y) * stride;
        height += y;
        y = 0;
    }
    width = std::min(width, surface.width - x);
    height = std::min(height, surface.height - y);
    if (width <= 0 || height <= 0)
        return 0;
    BindForSetup(cache, surface.texture);
    SubImage(0, x, y, width, height, rgba, stride);
    if (x == 0 && y == 0 && width == surface.width && height == surface.height)
        surface.hasAlpha = AnyTranslucent(rgba, width, height, stride);
    else
        surface.hasAlpha = surface.hasAlpha || AnyTranslucent(rgba, width, height, stride);
    if (surface.autoMipmap && surface.levels > 1)
        glGenerateMipmap(GL_TEXTURE_2D);
    return static_cast<size_t>(width) * height * 4;
}

GLuint FramebufferCache::Get(GLuint texture, GLuint renderbuffer)
{
    const auto key = std::make_pair(texture, renderbuffer);
    auto found = m_framebuffers.find(key);
    if (found != m_framebuffers.end())
        return found->second;
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    m_cache.BindFramebuffer(framebuffer);
    if (texture)
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    else
        glDrawBuffer(GL_NONE);
    if (renderbuffer)
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                                  renderbuffer);
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE) {
        LogError("GL device: framebuffer of texture %u and depth %u is incomplete (0x%x)\n",
                 texture, renderbuffer, status);
        m_cache.BindFramebuffer(0);
        m_cache.OnFramebufferDeleted(framebuffer);
        glDeleteFramebuffers(1, &framebuffer);
        framebuffer = 0;
    }
    m_framebuffers.emplace(key, framebuffer);
    return framebuffer;
}

void FramebufferCache::ForgetTexture(GLuint texture)
{
    Forget([texture](const Key& key) { return key.first == texture; });
}

void FramebufferCache::ForgetRenderbuffer(GLuint renderbuffer)
{
    Forget([renderbuffer](const Key& key) { return key.second == renderbuffer; });
}

void FramebufferCache::Forget(const std::function<bool(const Key&)>& uses)
{
    for (auto it = m_framebuffers.begin(); it != m_framebuffers.end();) {
        if (!uses(it->first)) {
            ++it;
            continue;
        }
        if (it->second) {
            m_cache.OnFramebufferDeleted(it->second);
            glDeleteFramebuffers(1, &it->second);
        }
        it = m_framebuffers.erase(it);
    }
}

void FramebufferCache::Clear()
{
    Forget([](const Key&) { return true; });
}

bool ReadPixels(GLStateCache& cache, FramebufferCache& framebuffers, GLuint texture, int x,
                int y, int width, int height, uint8_t* out, int stride)
{
    if (!texture || width <= 0 || height <= 0 || !out)
        return false;
    GLuint framebuffer = framebuffers.Get(texture, 0);
    if (!framebuffer)
        return false;
    cache.BindFramebuffer(framebuffer);
    if (stride % 4 == 0 && stride / 4 >= width) {
        glPixelStorei(GL_PACK_ROW_LENGTH, stride / 4);
        glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, out);
        glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    } else {
        std::vector<uint8_t> row(static_cast<size_t>(width) * 4);
        for (int r = 0; r < height; ++r) {
            glReadPixels(x, y + r, width, 1, GL_RGBA, GL_UNSIGNED_BYTE, row.data());
            std::copy(row.begin(), row.end(), out + static_cast<size_t>(r) * stride);
        }
    }
    return glGetError() == GL_NO_ERROR;
}

}  // namespace gltarget
