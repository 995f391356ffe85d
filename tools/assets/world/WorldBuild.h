#pragma once

// Turns a level mesh into an engine world: the triangles are split into sectors under a
// tree of axis-aligned planes (each split at the median of the triangle centres along the
// longest side), so the renderer can cull sectors and collision can skip them.

#include "tools/assets/common/Mesh.h"

struct RpWorld;

namespace assets {

// Sectors hold at most maxTriangles triangles (and never more than 65535 vertices).
// Pre-lit, textured, with normals; materials as in the mesh. Null on failure.
RpWorld* BuildWorld(const MeshBuilder& mesh, int maxTriangles);

}  // namespace assets
