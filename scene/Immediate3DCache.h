#pragma once

#include "engine/core/RwIm.h"
#include "framework/Singleton.h"

#include <cstdint>
#include <vector>

struct Color;
struct Vector3;

// The colour as a vertex colour: each channel (clamped to 0..1) times 255, truncated, packed
// A R G B from the top byte down.
uint32_t PackColor(const Color& colour);

// Collects one immediate-mode 3D primitive and hands it to the engine in one call. Every
// user draws in the same order: Begin, allocate, fill, set render states, Flush; nothing
// stays in the cache between draws.
class Immediate3DCache : public Singleton<Immediate3DCache> {
public:
    // The most vertices one draw can index.
    static constexpr int kMaxVertices = 65536;

    Immediate3DCache() = default;

    // Room for 100 vertices and 150 indices, both counts 0, the primitive unset (-1).
    void Initialise();
    // Releases both buffers; the next allocation grows them again.
    void Shutdown();

    // The primitive (the engine's codes) and whether the next flush is indexed.
    void Begin(int primitiveType, bool indexed);
    // The first of n slots behind the ones already allocated, valid until the next
    // allocation or flush; the buffer grows when needed, keeping what was written. Null for
    // n below 1.
    RwIm3DVertex* AllocVertices(int n);
    RwImVertexIndex* AllocIndices(int n);

    static void SetPositions(RwIm3DVertex* vertices, const Vector3* points, int n);
    static void SetColors(RwIm3DVertex* vertices, const Color& colour, int n);

    // Draws what was allocated with the current render states into the current camera and
    // empties the cache, drawn or not. True also when there was nothing to draw.
    bool Flush();

    int GetPrimitiveType() const { return m_primitiveType; }
    bool IsIndexed() const { return m_indexed; }
    int GetVertexCount() const { return m_vertexCount; }
    int GetIndexCount() const { return m_indexCount; }
    int GetVertexCapacity() const { return static_cast<int>(m_vertices.size()); }
    int GetIndexCapacity() const { return static_cast<int>(m_indices.size()); }
    const RwIm3DVertex* GetVertices() const { return m_vertices.data(); }
    const RwImVertexIndex* GetIndices() const { return m_indices.data(); }

private:
    int m_primitiveType = -1;
    bool m_indexed = false;
    int m_vertexCount = 0;
    int m_indexCount = 0;
    // The sizes are the capacities; the counts say how much is in use.
    std::vector<RwIm3DVertex> m_vertices;
    std::vector<RwImVertexIndex> m_indices;
};
