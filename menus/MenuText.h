#pragma once

// Text helpers that every text widget of the menus shares.

#include "framework/Vector.h"

#include <string>

struct Quaternion;

namespace menutext {

// Where every widget's shadow lies from it, in world units of the menu plane.
inline const Vector3 kShadowShift(0.02f, -0.02f, 0.0f);

// The text with each colour tag, opening (with its arguments) or closing, in any case,
// turned into an ignore tag, so that a colour wrapped round the result colours all of it.
std::string SwitchOffColorTags(const std::string& text);
// The text with its colour tags off, wrapped in the colour "r g b a" (0 to 255 each).
std::string InColor(const std::string& text, const char* rgba);
// The shadow every text widget draws behind its text: translucent black.
std::string ShadowText(const std::string& text);

// The "halign" words "left", "right" and "center" (any case) as alignment codes; false,
// with the code untouched, for another word.
bool ReadHorizontalAlign(const std::string& word, int& align);

// While the debug option "Display Menu Boxes" is on, fills the rectangle (pixels) in
// translucent red.
void DrawDebugBox(const Vector4& rect);

// Sets the text display's horizontal alignment default for its life, when asked to, and
// puts the previous one back.
class AlignScope {
public:
    AlignScope(bool set, int align);
    ~AlignScope();
    AlignScope(const AlignScope&) = delete;
    AlignScope& operator=(const AlignScope&) = delete;

private:
    bool m_set;
    int m_remembered = 0;
};

// How far a text popped out by depth towards the viewer moves, in its plane's frame (the
// viewer on the plane's -z side): along the line from its anchor to the eye, so that the
// anchor stays where it is seen and the text only grows about it. Straight out of the plane,
// (0, 0, -depth), when the eye is not in front of the plane.
Vector3 PopOutOffset(const Vector3& anchor, const Vector3& eye, float depth);

// Prints the text on the menu plane at layout point (x, y), the plane at the position
// with the rotation.
void Print3D(const std::string& text, float x, float y, const Vector3& position, const Quaternion& rotation);

}  // namespace menutext
