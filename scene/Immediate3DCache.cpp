#include "scene/Immediate3DCache.h"

#include "framework/Color.h"
#include "framework/Vector.h"

#include <algorithm>

namespace {

constexpr int kInitialVertices = 100;
constexpr int kInitialIndices = 150;

uint32_t ChannelByte(float value)
{
    return static_cast<uint32_t>(std::clamp(value, 0.0f, 1.0f) * 255.0f);
}

// Grows to at least `needed`, doubling so that a draw growing step by step does not copy
// the buffer at every step.
template <class T>
T* Reserve(std::vector<T>& buffer, int& count, int n)
{
    if (n < 1)
        return nullptr;
    const size_t needed = static_cast<size_t>(count) + static_cast<size_t>(n);
    if (needed > buffer.size())
        buffer.resize(std::max(needed, buffer.size() * 2));
    T* first = buffer.data() + count;
    count += n;
    return first;
}

}  // namespace

uint32_t PackColor(const Color& colour)
{
    return ChannelByte(colour.a) << 24 | ChannelByte(colour.r) << 16 | ChannelByte(colour.g) << 8 |
           ChannelByte(colour.b);
}

void Immediate3DCache::Initialise()
{
    m_primitiveType = -1;
    m_indexed = false;
    m_vertexCount = 0;
    m_indexCount = 0;
    m_vertices.assign(kInitialVertices, RwIm3DVertex{});
    m_indices.assign(kInitialIndices, 0);
}

void Immediate3DCache::Shutdown()
{
    m_vertexCount = 0;
    m_indexCount = 0;
    std::vector<RwIm3DVertex>().swap(m_vertices);
    std::vector<RwImVertexIndex>().swap(m_indices);
}

void Immediate3DCache::Begin(int primitiveType, bool indexed)
{
    m_primitiveType = primitiveType;
    m_indexed = indexed;
}

RwIm3DVertex* Immediate3DCache::AllocVertices(int n)
{
    return Reserve(m_vertices, m_vertexCount, n);
}

RwImVertexIndex* Immediate3DCache::AllocIndices(int n)
{
    return Reserve(m_indices, m_indexCount, n);
}

void Immediate3DCache::SetPositions(RwIm3DVertex* vertices, const Vector3* points, int n)
{
    for (int i = 0; i < n; ++i)
        vertices[i].objVertex = {points[i].x, points[i].y, points[i].z};
}

void Immediate3DCache::SetColors(RwIm3DVertex* vertices, const Color& colour, int n)
{
    const uint32_t packed = PackColor(colour);
    for (int i = 0; i < n; ++i)
        vertices[i].color = packed;
}

bool Immediate3DCache::Flush()
{
    if (m_vertexCount == 0)
        return true;
    const auto type = static_cast<RwPrimitiveType>(m_primitiveType);
    if (RwIm3DTransform(m_vertices.data(), static_cast<RwUInt32>(m_vertexCount), nullptr, rwIm3DVertexUV)) {
        if (m_indexed)
            RwIm3DRenderIndexedPrimitive(type, m_indices.data(), m_indexCount);
        else
            RwIm3DRenderPrimitive(type);
        RwIm3DEnd();
    }
    m_vertexCount = 0;
    m_indexCount = 0;
    return true;
}
