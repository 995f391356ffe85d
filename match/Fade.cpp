#include "match/Fade.h"

#include "framework/Color.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "scene/ScreenDraw.h"

#include <algorithm>

Fade::Fade(bool fromBlack, float seconds) : m_fromBlack(fromBlack), m_duration(seconds), m_timeLeft(seconds) {}

State* Fade::Update(float dt)
{
    m_timeLeft = std::max(m_timeLeft - dt, 0.0f);
    return m_timeLeft > 0.0f ? this : nullptr;
}

float Fade::GetAlpha() const
{
    if (m_duration <= 0.0f)
        return m_fromBlack ? 0.0f : 1.0f;
    const float left = m_timeLeft / m_duration;
    return m_fromBlack ? left : 1.0f - left;
}

void Fade::Render()
{
    // A clear fade would blend the whole screen to what it was, at the cost of every pixel.
    if (m_duration <= 0.0f || GetAlpha() <= 0.0f)
        return;
    Camera* camera = RwGraphics::Instance()->GetCamera();
    if (!camera)
        return;
    Color black = Color::OpaqueBlack;
    black.SetAlpha(GetAlpha());
    DrawBlendedRect({0.0f, 0.0f, camera->GetWidth(), camera->GetHeight()}, black);
}
