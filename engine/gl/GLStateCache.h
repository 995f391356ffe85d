#pragma once

#include <epoxy/gl.h>

#include <cstdint>

// Counters the cache raises only when it really talks to GL; the engine's metrics
// are read from here.
struct GLCounters {
    uint32_t stateChanges = 0;     // render states (blend, depth, cull, offset, viewport...)
    uint32_t samplerChanges = 0;   // texture addressing and filtering
    uint32_t textureBinds = 0;
    uint32_t bufferBinds = 0;      // vertex arrays and buffers
    uint32_t programChanges = 0;
    uint32_t uniformChanges = 0;   // any value sent to a program
    uint32_t materialChanges = 0;  // of those: the material colour
    uint32_t lightChanges = 0;     // of those: ambient and directional lights
    uint32_t suppressed = 0;       // calls that matched the cached value and were dropped
    uint32_t draws = 0;            // immediate-mode draw calls
    uint32_t meshDraws = 0;        // draws of meshes kept on the device
    uint32_t fogLeftOut = 0;       // of both: drawn without the fog, which starts beyond them
    uint32_t alphaTestLeftOut = 0;  // draws whose alpha test could only throw away what changes nothing
    uint32_t clearLeftOut = 0;      // mesh draws left out: every fragment clear, so nothing would change
};

// Every GL state change of the device goes through here. The cache mirrors what GL
// holds so that repeated identical requests cost nothing, and counts what got through.
class GLStateCache {
public:
    static constexpr int kTextureUnits = 4;

    // Forgets everything and writes the defaults to GL: to be called with a current
    // context, once after creation and whenever someone else may have touched GL.
    void Reset();

    void UseProgram(GLuint program);
    void BindTexture(int unit, GLuint texture);  // GL_TEXTURE_2D only
    void BindSampler(int unit, GLuint sampler);
    void BindVertexArray(GLuint vao);
    void BindArrayBuffer(GLuint buffer);
    void BindFramebuffer(GLuint framebuffer);  // draw and read
    // Separate read and draw bindings for a blit; the next BindFramebuffer rebinds both.
    void BindBlitFramebuffers(GLuint read, GLuint draw);
    void BindRenderbuffer(GLuint renderbuffer);

    // The cache must hear about deletions, or a recycled name would look bound.
    void OnTextureDeleted(GLuint texture);
    void OnFramebufferDeleted(GLuint framebuffer);
    void OnBufferDeleted(GLuint buffer);
    void OnRenderbufferDeleted(GLuint renderbuffer);

    void Viewport(int x, int y, int width, int height);
    void Scissor(bool enable, int x, int y, int width, int height);
    void Blend(bool enable, GLenum source, GLenum destination);
    void DepthTest(bool enable);
    void DepthWrite(bool enable);
    // Every fragment at the far depth (a depth range of 1 to 1), or the usual 0 to 1.
    void DepthAtFar(bool atFar);
    void Cull(bool enable, GLenum face);
    void FrontFace(GLenum winding);
    void PolygonOffset(bool enable, float factor, float units);

    GLuint Program() const { return m_program; }
    GLuint Framebuffer() const { return m_framebuffer; }
    GLuint Texture(int unit) const { return m_textures[unit]; }

    GLCounters counters;

private:
    static constexpr GLuint kSplitFramebuffers = ~0u;  // no single framebuffer is bound

    void ActiveUnit(int unit);
    bool Same(bool equal);

    GLuint m_program = 0;
    GLuint m_textures[kTextureUnits] = {};
    GLuint m_samplers[kTextureUnits] = {};
    int m_activeUnit = 0;
    GLuint m_vao = 0;
    GLuint m_arrayBuffer = 0;
    GLuint m_framebuffer = 0;
    GLuint m_renderbuffer = 0;

    int m_viewport[4] = {};
    bool m_scissor = false;
    int m_scissorBox[4] = {};
    bool m_blend = false;
    GLenum m_blendSource = GL_ONE;
    GLenum m_blendDestination = GL_ZERO;
    bool m_depthTest = false;
    bool m_depthWrite = true;
    bool m_depthAtFar = false;
    bool m_cull = false;
    GLenum m_cullFace = GL_BACK;
    GLenum m_frontFace = GL_CCW;
    bool m_offset = false;
    float m_offsetFactor = 0.0f;
    float m_offsetUnits = 0.0f;
};
