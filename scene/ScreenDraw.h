#pragma once

// Drawing in screen space (menus, HUD, fades, flares) and textured quads in the world.
// Each function sets the render states it needs through a RenderStateSaver and puts them
// back before it returns, unless its flag is off: a caller that has set the states for a
// batch of draws turns the flag off around it and on again.

#include "framework/Vector.h"

#include <cstddef>

struct Color;
struct RwRaster;

// A rectangle in pixels, or a texture rectangle in UV units.
struct ScreenRect {
    float x = 0.0f, y = 0.0f, w = 0.0f, h = 0.0f;
};

// The 2D functions' flag and DrawTexturedQuad3D's; both on by default.
void SetDraw2DStates(bool on);
bool GetDraw2DStates();
void SetDraw3DStates(bool on);
bool GetDraw3DStates();

// Untextured, with vertex alpha.
void DrawFilledRect(const ScreenRect& rect, const Color& colour);
// As DrawFilledRect for each of the count rectangles, in as few draws as the vertex indices
// allow: for rectangles that do not overlap, the same pixels as one draw each.
void DrawFilledRects(const ScreenRect* rects, size_t count, const Color& colour);
void DrawFilledTriangle(const Vector2& a, const Vector2& b, const Vector2& c, const Color& colour);
// Blended by the colour's alpha, flat, ignoring and leaving the depth buffer.
void DrawBlendedRect(const ScreenRect& rect, const Color& colour);
// As DrawBlendedRect with the texture (null draws untextured), clamped at its edges.
void DrawTexturedRect(RwRaster* texture, const ScreenRect& rect, const ScreenRect& uv, const Color& colour);
// Turned by angle (radians) about the pivot, in screen pixels.
void DrawRotatedTexturedRect(RwRaster* texture, const ScreenRect& rect, const ScreenRect& uv, const Vector2& pivot,
                             float angle, const Color& colour);
// The corners in the order p0 (u, v), p1 (u + du, v), p2 (u, v + dv), p3 (u + du, v + dv),
// drawn as a strip into the current camera.
void DrawTexturedQuad3D(const Vector3 points[4], RwRaster* texture, const ScreenRect& uv, const Color& colour);
// As DrawTexturedQuad3D for each of the count quads (points four by four, one uv each) with
// one set of states: the same triangles in the same order, handed over a few quads at a time.
void DrawTexturedQuads3D(const Vector3* points, const ScreenRect* uvs, size_t count, RwRaster* texture,
                         const Color& colour);
// A marker lying in the world (a player's cursor, the aiming arrow): the whole texture, white,
// blended by its alpha, flat and clamped, tested against depth but never writing it.
void DrawWorldMarker(const Vector3 points[4], RwRaster* texture);
