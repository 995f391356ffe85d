#include "match/setpieces/DirectionSelector.h"

#include "framework/Debug.h"
#include "input/InputController.h"
#include "scene/ScreenDraw.h"
#include "scene/Texture.h"
#include "settings/MatchSettings.h"
#include "settings/PitchCoordinates.h"

#include <utility>

namespace {

// The arrow in its own space: x across, z forward from the base, one unit each way.
constexpr Vector3 kUnitArrow[4] = {{-0.5f, 0.0f, 1.0f}, {0.5f, 0.0f, 1.0f}, {-0.5f, 0.0f, 0.0f}, {0.5f, 0.0f, 0.0f}};

Texture* LoadArrow()
{
    const std::string& file = MatchSettings::Instance()->directionArrowFileName;
    Texture* texture = file.empty() ? nullptr : TextureManager::Instance()->CreateTexture(file.c_str(), nullptr, false);
    if (!texture)
        LogWarning("DirectionSelector::DirectionSelector: no arrow image \"%s\"; the arrow is not drawn\n",
                   file.c_str());
    return texture;
}

}  // namespace

DirectionSelector::DirectionSelector(std::string prefix, const Vector3& origin, float angle, float minimum,
                                     float maximum)
    : m_prefix(std::move(prefix)), m_origin(origin), m_minimum(minimum), m_maximum(maximum), m_angle(angle),
      m_texture(LoadArrow())
{
}

void DirectionSelector::Update(float dt)
{
    const ControllerInput input = GetControllerInput(m_prefix);
    m_angle += input.x * MatchSettings::Instance()->directionArrowMoveRate * dt;
    if (m_angle <= m_minimum)
        m_angle = m_minimum;
    else if (m_angle >= m_maximum)
        m_angle = m_maximum;
}

void DirectionSelector::GetCorners(Vector3 corners[4]) const
{
    const MatchSettings& settings = *MatchSettings::Instance();
    const Quaternion tilt(-settings.directionArrowAngleToGround, Vector3::UnitX);
    const Quaternion heading = PitchAngle(m_angle).ToRotation();
    for (int i = 0; i < 4; ++i) {
        const Vector3 scaled(kUnitArrow[i].x * settings.directionArrowWidth, 0.0f,
                             kUnitArrow[i].z * settings.directionArrowHeight);
        corners[i] = heading.Rotate(tilt.Rotate(scaled)) + m_origin;
    }
}

void DirectionSelector::Render()
{
    if (!m_texture)
        return;
    Vector3 corners[4];
    GetCorners(corners);
    DrawWorldMarker(corners, m_texture->GetRaster());
}
