#pragma once

#include "engine/core/NullDevice.h"

#include <algorithm>

// The opacity (0 to 255) of a recorded draw that lays black over the whole 800 x 600 screen,
// as a fade does; -1 for any other draw.
inline int BlackScreenCoverAlpha(const RwNullDrawRecord& draw)
{
    const RwIm2DVertex* c = draw.corners2D;
    if (!draw.is2D || c[0].x > 0.0f || c[0].y > 0.0f || (c[0].emissiveColor & 0xFFFFFFu) != 0)
        return -1;
    const float right = std::max({c[0].x, c[1].x, c[2].x, c[3].x});
    const float bottom = std::max({c[0].y, c[1].y, c[2].y, c[3].y});
    return right >= 800.0f && bottom >= 600.0f ? static_cast<int>(c[0].emissiveColor >> 24) : -1;
}
