#pragma once

#include "framework/Color.h"
#include "scene/RenderObject.h"

#include <cstdint>
#include <map>
#include <string>

class Texture;

// What HUD text needs of the text layer, which lives above the scene. The text layer installs
// one at start-up; without one, text items measure (0, 0) and draw nothing.
class HudTextService {
public:
    virtual ~HudTextService();
    // Text ids and menu variables replaced by their values.
    virtual std::string Expand(const std::string& text) = 0;
    // Unscaled width and one line's height in pixels, in the named font.
    virtual void Measure(const std::string& font, const std::string& text, int& width, int& height) = 0;
    // Top-left at (x, y) in pixels, scaled by (sx, sy).
    virtual void Print(const std::string& font, const std::string& text, float x, float y, float sx, float sy,
                       const Color& colour) = 0;
};

// Borrowed; null removes it. The service must outlive every text item's drawing.
void SetHudTextService(HudTextService* service);
HudTextService* GetHudTextService();

// A piece of the match display, placed on a virtual 800 x 600 screen by its position and
// alignment, shown while the render object's visible flag is on, and fed named text values
// ("level", "text", "color") from outside.
class HudItem : public RenderObject {
public:
    enum HorizontalAlign : int32_t { kLeft = 0, kCenter = 1, kRight = 2 };
    enum VerticalAlign : int32_t { kTop = 0, kMiddle = 1, kBottom = 2 };

    void Serialize(Serializer& serializer, const char* descriptor) override;

    // Places the item for the current screen size, then draws it.
    void Render() override;
    void Update(float) override {}

    virtual std::string GetClassName() const = 0;
    // x, y: the placed top-left corner in pixels; sx, sy: the effective scales.
    virtual void Draw(int x, int y, float sx, float sy) = 0;
    // The unscaled size in pixels.
    virtual void GetSize(int& width, int& height) const = 0;

    void SetParameter(const std::string& key, const std::string& value) { m_parameters[key] = value; }
    // Empty for a key never set.
    std::string GetParameter(const std::string& key) const;
    void SetAlignment(int32_t horizontal, int32_t vertical)
    {
        m_horizontalAlign = horizontal;
        m_verticalAlign = vertical;
    }
    void SetScale(float x, float y)
    {
        m_scaleX = x;
        m_scaleY = y;
    }
    void SetColorParameterUsed(bool used) { m_useColorParameter = used; }
    // Where the last Render placed the item.
    int GetPixelX() const { return m_pixelX; }
    int GetPixelY() const { return m_pixelY; }

    // The window size in pixels that the virtual screen maps onto; shared by every item.
    static void SetScreenSize(int width, int height);

protected:
    // The "color" parameter as four 0..255 numbers; false (colour untouched) otherwise.
    bool ColorParameter(Color& colour) const;

    int32_t m_horizontalAlign = kLeft;
    int32_t m_verticalAlign = kTop;
    float m_scaleX = 1.0f, m_scaleY = 1.0f;
    int32_t m_pixelX = 0, m_pixelY = 0;
    std::map<std::string, std::string> m_parameters;
    bool m_useColorParameter = false;
};

// An image at its native size. The texture is the texture manager's, shared by every item
// of the same file.
class HudImage : public HudItem {
public:
    void Serialize(Serializer& serializer, const char* descriptor) override;
    std::string GetClassName() const override { return "HudImage"; }
    void Draw(int x, int y, float sx, float sy) override;
    void GetSize(int& width, int& height) const override;

    // Loads through the texture manager; a file that cannot be read leaves no texture.
    void SetImage(const std::string& fileName, int width, int height);
    // Names the image without loading it, for writers of tables; reading the table loads.
    void NameImage(const std::string& fileName, int width, int height)
    {
        m_fileName = fileName;
        m_nativeWidth = width;
        m_nativeHeight = height;
    }
    Texture* GetTexture() const { return m_texture; }
    void SetFlip(bool horizontal, bool vertical)
    {
        m_flipHorizontal = horizontal;
        m_flipVertical = vertical;
    }

protected:
    void LoadTexture();

    std::string m_fileName;
    Texture* m_texture = nullptr;
    int32_t m_nativeWidth = 0, m_nativeHeight = 0;
    bool m_flipHorizontal = false, m_flipVertical = false;
};

// The part of an image given by a level in 0..1, growing from one edge.
class HudMeter : public HudImage {
public:
    enum GrowType : int32_t { kLeftToRight = 0, kRightToLeft = 1, kTopToBottom = 2, kBottomToTop = 3 };

    void Serialize(Serializer& serializer, const char* descriptor) override;
    std::string GetClassName() const override { return "HudMeter"; }
    void Draw(int x, int y, float sx, float sy) override;
    void GetSize(int& width, int& height) const override;

    // The "level" parameter when it reads as a number, else the meter size; within 0..1.
    float GetLevel() const;
    void SetMeter(float size, int32_t growType)
    {
        m_meterSize = size;
        m_growType = growType;
    }

private:
    float m_meterSize = 1.0f;
    int32_t m_growType = kLeftToRight;
};

// One line of text in a named font.
class HudText : public HudItem {
public:
    void Serialize(Serializer& serializer, const char* descriptor) override;
    std::string GetClassName() const override { return "HudText"; }
    void Draw(int x, int y, float sx, float sy) override;
    void GetSize(int& width, int& height) const override;

    // The "text" parameter as it stands, else the Text field expanded.
    std::string GetText() const;
    void SetText(const std::string& text, const std::string& font, const Color& colour)
    {
        m_text = text;
        m_font = font;
        m_colour = colour;
    }

private:
    std::string m_text;
    std::string m_font;
    // Opaque black, marked as never set.
    Color m_colour;
};
