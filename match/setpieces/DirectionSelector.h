#pragma once

#include "scene/RenderObject.h"

#include <string>

class Texture;

// The aiming arrow of a set piece taken by a person: a flat arrow at the ball, tilted up
// from the ground by the match settings' angle, that the taker's stick turns within limits.
// It only turns; the set piece reads the angle and handles the kick.
class DirectionSelector : public RenderObject {
public:
    // prefix: the steering controller's input prefix ("(0):"). Angles are pitch headings in
    // radians. The arrow's image is the match settings' "Direction arrow file name"; without
    // one the arrow is not drawn (logged once).
    DirectionSelector(std::string prefix, const Vector3& origin, float angle, float minimum, float maximum);

    void Serialize(Serializer&, const char*) override {}
    // Turns by the stick at the match settings' rate and stops at either limit.
    void Update(float dt) override;
    void Render() override;

    float GetAngle() const { return m_angle; }
    void SetAngle(float angle) { m_angle = angle; }
    // Null when the image could not be read; the texture manager keeps it.
    const Texture* GetTexture() const { return m_texture; }
    // The four corners drawn, in the order the textured quad takes them: the tip's two
    // corners first, then the base's.
    void GetCorners(Vector3 corners[4]) const;

private:
    std::string m_prefix;
    Vector3 m_origin;
    float m_minimum;
    float m_maximum;
    float m_angle;
    // The texture manager's; null when the arrow image could not be read.
    Texture* m_texture = nullptr;
};
