#pragma once

#include "framework/Quaternion.h"
#include "framework/Singleton.h"
#include "framework/Vector.h"
#include "text/TextDisplay.h"

#include <string>
#include <vector>

// Mark-up text on a plane in the world: the 2D display's layout (its area, alignment and
// global scale) with the 800 x 600 layout's centre on the position, 600 layout units to a
// world unit at global scale 1. Layout x runs along the plane's -x axis, layout y along -y.
class TextDisplay3D : public Singleton<TextDisplay3D> {
public:
    // One character's quad in the world: corners top-left, top-right, bottom-left,
    // bottom-right of the glyph, and its texture rectangle.
    struct GlyphQuad {
        Vector3 corners[4];
        TextRect uv;
    };

    // Lays the text out and draws its words, the layout moved so that (x, y) lands where
    // (400, 300) x global scale would.
    void Print(const std::string& text, float x = 0.0f, float y = 0.0f);
    // One word's glyph quads in the current attributes, its left top at layout point (x, y);
    // none without a font.
    void PlaceWord(std::vector<GlyphQuad>& out, float x, float y, const std::string& word, const Vector3& position,
                   const Quaternion& rotation, const Vector3& pivot) const;
    // Attributes words are placed in (Print sets them from each word).
    void SetAttributes(const TextAttributes& attributes) { m_attributes = attributes; }

    void SetPosition(const Vector3& position) { m_position = position; }
    const Vector3& GetPosition() const { return m_position; }
    void SetRotation(const Quaternion& rotation) { m_rotation = rotation; }
    const Quaternion& GetRotation() const { return m_rotation; }
    void SetPivot(const Vector3& pivot) { m_pivot = pivot; }
    const Vector3& GetPivot() const { return m_pivot; }
    const TextAttributes& Attributes() const { return m_attributes; }

private:
    // The glyph quads (corners four by four) in the font's texture and the colour: filtered,
    // and seen from either side.
    void DrawQuads(const std::vector<Vector3>& corners, const std::vector<TextRect>& uvs, const Font* font,
                   const Color& colour) const;

    TextAttributes m_attributes;
    Vector3 m_position;
    Quaternion m_rotation;
    Vector3 m_pivot;
};
