#include "scene/SelectionCursor.h"

#include "scene/ScreenDraw.h"
#include "scene/Texture.h"
#include "scene/Wireframe.h"
#include "settings/GameSettings.h"

SelectionCursor::SelectionCursor(const char* textureFile, int width, int height, int spinSpeed)
    : m_texture(TextureManager::Instance()->CreateTexture(textureFile, nullptr, false)),
      m_width(width),
      m_height(height),
      m_spinSpeed(static_cast<float>(spinSpeed))
{
}

void SelectionCursor::Update(float dt)
{
    m_rotation = m_rotation * Quaternion(dt * m_spinSpeed, Vector3::UnitZ);
}

void SelectionCursor::Render()
{
    const Vector3 scale(static_cast<float>(m_width), static_cast<float>(m_height), 1.0f);
    const Vector3 corners[4] = {{-0.5f, 0.5f, 0.0f}, {0.5f, 0.5f, 0.0f}, {-0.5f, -0.5f, 0.0f}, {0.5f, -0.5f, 0.0f}};
    Vector3 points[4];
    for (int i = 0; i < 4; ++i)
        points[i] = m_rotation.Rotate({corners[i].x * scale.x, corners[i].y * scale.y, corners[i].z}) + m_position;

    DrawWorldMarker(points, m_texture ? m_texture->GetRaster() : nullptr);

    if (GameSettings::Instance()->displayCollisionData) {
        WireFrameCube outline;
        outline.size = {scale.x, scale.y, 0.0f};
        outline.SetRotation(m_rotation);
        outline.SetPosition(m_position + m_rotation.Rotate({-scale.x / 2, -scale.y / 2, 0.0f}));
        outline.Render();
    }
}
