#pragma once

#include "framework/Color.h"
#include "menus/MenuItem.h"

#include <string>

class Texture;

// A textured rectangle: flat (under everything of the normal pass, drawn in the shadow pass
// only) or, by default, in the menu's 3D plane with a dark shadow behind it. A plate may grow
// to hold a text of the screen whose length only shows when it is drawn.
class MenuImage : public MenuDisplayItem {
public:
    static constexpr const char* kTextureFolder = "<PP>\\Menu\\Screens\\Textures24Bit\\";

    // Reads the attributes, then asks the texture manager for the picture.
    void Create(XmlNode* node) override;
    void Draw(int pass) override;
    Vector4 GetArea() const override { return m_rect; }
    // Against the rectangle last drawn: left and top edges in, right and bottom out; never
    // before the first draw.
    bool HitTest(float x, float y) const override;

    // Swaps the picture for the file in the screens' texture folder; the name it already
    // shows loads nothing.
    void SetTexture(const std::string& fileName);
    void SetPosition(float x, float y)
    {
        m_rect.x = x;
        m_rect.y = y;
    }
    // In menu units, as the element's "position" and "size".
    void SetArea(const Vector4& area) { m_rect = area; }

    const std::string& GetTexturePath() const { return m_texturePath; }
    // Null when the texture manager could not make it; then drawn untextured.
    const Texture* GetTexture() const { return m_texture; }
    const Color& GetColor() const { return m_color; }
    void SetColor(const Color& color) { m_color = color; }
    const Vector4& GetHitRect() const { return m_hitRect; }

protected:
    // "texture", "position", "size" and "color", then the picture.
    void ReadPicture(XmlNode* node);
    // The rectangle, widened about its middle when the text item it fits ("fitText") with its
    // margins ("fitMargin" on each side, in menu units) is wider, as that text was last drawn.
    Vector4 FittedRect() const;
    // The rectangle's corners on the plane at the position with the rotation, a pixel of
    // the rectangle r (in screen pixels) being 1 / H of a world unit.
    static void PlaneCorners(const Vector4& r, const Vector3& position, const Quaternion& rotation,
                             Vector3 (&corners)[4]);

    std::string m_texturePath;
    // The texture manager's; not released here.
    Texture* m_texture = nullptr;
    Vector4 m_rect;
    Vector4 m_hitRect;
    std::string m_fitText;
    float m_fitMargin = 0.0f;
    Color m_color = Color(1.0f, 1.0f, 1.0f, 1.0f);
};

// A faint dark shape of a picture hanging behind the menu plane, swaying slowly. Drawn in
// the normal pass only, in black at alpha 0.2 whatever its "color".
class MenuPalmTree : public MenuImage {
public:
    void Create(XmlNode* node) override;
    void Draw(int pass) override;
    bool HitTest(float, float) const override { return false; }
};

// "r,g,b" or "r,g,b,a", 0 to 255 each, as a colour; alpha is 255 when not given. Components
// that are missing keep those of fallback, with a warning naming the item.
Color ReadMenuColor(const std::string& text, const Color& fallback, const std::string& itemName);
