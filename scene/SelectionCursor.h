#pragma once

#include "scene/RenderObject.h"

#include <string>

class Texture;

// A textured square that spins about its own z axis, marking a selection. With "Display
// Collision Data?" on, its outline is drawn too.
class SelectionCursor : public RenderObject {
public:
    // The texture is the manager's shared one (it stays the manager's); without it the
    // cursor draws untextured. spinSpeed is radians per second.
    SelectionCursor(const char* textureFile, int width, int height, int spinSpeed);

    void Update(float dt) override;
    void Render() override;

    const Texture* GetTexture() const { return m_texture; }

private:
    Texture* m_texture = nullptr;
    int m_width;
    int m_height;
    float m_spinSpeed;
};
