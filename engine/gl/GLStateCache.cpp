#include "engine/gl/GLStateCache.h"

void GLStateCache::Reset()
{
    GLCounters kept = counters;
    *this = GLStateCache();
    counters = kept;

    glUseProgram(0);
    for (int unit = kTextureUnits - 1; unit >= 0; --unit) {
        glActiveTexture(GL_TEXTURE0 + unit);
        glBindTexture(GL_TEXTURE_2D, 0);
        glBindSampler(unit, 0);
    }
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glViewport(0, 0, 0, 0);
    glDisable(GL_SCISSOR_TEST);
    glScissor(0, 0, 0, 0);
    glDisable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ZERO);
    glDisable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);  // never changed afterwards: the engine only switches the test
    glDepthMask(GL_TRUE);
    glDepthRange(0.0, 1.0);
    glDisable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(0.0f, 0.0f);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
}

bool GLStateCache::Same(bool equal)
{
    if (equal)
        ++counters.suppressed;
    return equal;
}

void GLStateCache::UseProgram(GLuint program)
{
    if (Same(m_program == program))
        return;
    m_program = program;
    glUseProgram(program);
    ++counters.programChanges;
}

void GLStateCache::ActiveUnit(int unit)
{
    if (m_activeUnit == unit)
        return;
    m_activeUnit = unit;
    glActiveTexture(GL_TEXTURE0 + unit);
}

void GLStateCache::BindTexture(int unit, GLuint texture)
{
    if (Same(m_textures[unit] == texture))
        return;
    ActiveUnit(unit);
    m_textures[unit] = texture;
    glBindTexture(GL_TEXTURE_2D, texture);
    ++counters.textureBinds;
}

void GLStateCache::BindSampler(int unit, GLuint sampler)
{
    if (Same(m_samplers[unit] == sampler))
        return;
    m_samplers[unit] = sampler;
    glBindSampler(unit, sampler);
    ++counters.samplerChanges;
}

void GLStateCache::BindVertexArray(GLuint vao)
{
    if (Same(m_vao == vao))
        return;
    m_vao = vao;
    glBindVertexArray(vao);
    ++counters.bufferBinds;
}

void GLStateCache::BindArrayBuffer(GLuint buffer)
{
    if (Same(m_arrayBuffer == buffer))
        return;
    m_arrayBuffer = buffer;
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    ++counters.bufferBinds;
}

void GLStateCache::BindFramebuffer(GLuint framebuffer)
{
    if (Same(m_framebuffer == framebuffer))
        return;
    m_framebuffer = framebuffer;
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    ++counters.stateChanges;
}

void GLStateCache::BindBlitFramebuffers(GLuint read, GLuint draw)
{
    glBindFramebuffer(GL_READ_FRAMEBUFFER, read);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, draw);
    m_framebuffer = kSplitFramebuffers;
    counters.stateChanges += 2;
}

void GLStateCache::BindRenderbuffer(GLuint renderbuffer)
{
    if (Same(m_renderbuffer == renderbuffer))
        return;
    m_renderbuffer = renderbuffer;
    glBindRenderbuffer(GL_RENDERBUFFER, renderbuffer);
}

void GLStateCache::OnTextureDeleted(GLuint texture)
{
    for (GLuint& bound : m_textures)
        if (bound == texture)
            bound = 0;  // GL unbinds a deleted texture itself
}

void GLStateCache::OnFramebufferDeleted(GLuint framebuffer)
{
    if (m_framebuffer == framebuffer)
        m_framebuffer = 0;
}

void GLStateCache::OnBufferDeleted(GLuint buffer)
{
    if (m_arrayBuffer == buffer)
        m_arrayBuffer = 0;
}

void GLStateCache::OnRenderbufferDeleted(GLuint renderbuffer)
{
    if (m_renderbuffer == renderbuffer)
        m_renderbuffer = 0;
}

void GLStateCache::Viewport(int x, int y, int width, int height)
{
    if (Same(m_viewport[0] == x && m_viewport[1] == y && m_viewport[2] == width &&
             m_viewport[3] == height))
        return;
    m_viewport[0] = x;
    m_viewport[1] = y;
    m_viewport[2] = width;
    m_viewport[3] = height;
    glViewport(x, y, width, height);
    ++counters.stateChanges;
}

void GLStateCache::Scissor(bool enable, int x, int y, int width, int height)
{
    if (enable != m_scissor) {
        m_scissor = enable;
        if (enable)
            glEnable(GL_SCISSOR_TEST);
        else
            glDisable(GL_SCISSOR_TEST);
        ++counters.stateChanges;
    } else {
        ++counters.suppressed;
    }
    if (!enable)
        return;
    if (Same(m_scissorBox[0] == x && m_scissorBox[1] == y && m_scissorBox[2] == width &&
             m_scissorBox[3] == height))
        return;
    m_scissorBox[0] = x;
    m_scissorBox[1] = y;
    m_scissorBox[2] = width;
    m_scissorBox[3] = height;
    glScissor(x, y, width, height);
    ++counters.stateChanges;
}

void GLStateCache::Blend(bool enable, GLenum source, GLenum destination)
{
    if (enable != m_blend) {
        m_blend = enable;
        if (enable)
            glEnable(GL_BLEND);
        else
            glDisable(GL_BLEND);
        ++counters.stateChanges;
    } else {
        ++counters.suppressed;
    }
    if (!enable)
        return;  // the factors only matter while blending
    if (Same(source == m_blendSource && destination == m_blendDestination))
        return;
    m_blendSource = source;
    m_blendDestination = destination;
    glBlendFunc(source, destination);
    ++counters.stateChanges;
}

void GLStateCache::DepthTest(bool enable)
{
    if (Same(enable == m_depthTest))
        return;
    m_depthTest = enable;
    if (enable)
        glEnable(GL_DEPTH_TEST);
    else
        glDisable(GL_DEPTH_TEST);
    ++counters.stateChanges;
}

void GLStateCache::DepthWrite(bool enable)
{
    if (Same(enable == m_depthWrite))
        return;
    m_depthWrite = enable;
    glDepthMask(enable ? GL_TRUE : GL_FALSE);
    ++counters.stateChanges;
}

void GLStateCache::DepthAtFar(bool atFar)
{
    if (Same(atFar == m_depthAtFar))
        return;
    m_depthAtFar = atFar;
    glDepthRange(atFar ? 1.0 : 0.0, 1.0);
    ++counters.stateChanges;
}

void GLStateCache::Cull(bool enable, GLenum face)
{
    if (enable != m_cull) {
        m_cull = enable;
        if (enable)
            glEnable(GL_CULL_FACE);
        else
            glDisable(GL_CULL_FACE);
        ++counters.stateChanges;
    } else {
        ++counters.suppressed;
    }
    if (!enable || Same(face == m_cullFace))
        return;
    m_cullFace = face;
    glCullFace(face);
    ++counters.stateChanges;
}

void GLStateCache::FrontFace(GLenum winding)
{
    if (Same(winding == m_frontFace))
        return;
    m_frontFace = winding;
    glFrontFace(winding);
    ++counters.stateChanges;
}

void GLStateCache::PolygonOffset(bool enable, float factor, float units)
{
    if (enable != m_offset) {
        m_offset = enable;
        if (enable)
            glEnable(GL_POLYGON_OFFSET_FILL);
        else
            glDisable(GL_POLYGON_OFFSET_FILL);
        ++counters.stateChanges;
    } else {
        ++counters.suppressed;
    }
    if (!enable || Same(factor == m_offsetFactor && units == m_offsetUnits))
        return;
    m_offsetFactor = factor;
    m_offsetUnits = units;
    glPolygonOffset(factor, units);
    ++counters.stateChanges;
}
