#include "tools/common/SceneLights.h"

#include "engine/world/RpWorld.h"
#include "tools/common/OffscreenCamera.h"

namespace tools {

SceneLights::~SceneLights()
{
    Destroy();
}

bool SceneLights::Create(RpWorld* world, const RwRGBAReal& ambient, const RwRGBAReal& sun, const RwV3d& direction)
{
    Destroy();
    if (!world)
        return false;
    m_ambient = RpLightCreate(rpLightAmbient);
    m_sun = RpLightCreate(rpLightDirectional);
    m_sunFrame = RwFrameCreate();
    if (!m_ambient || !m_sun || !m_sunFrame) {
        Destroy();
        return false;
    }
    RpLightSetColor(m_ambient, &ambient);
    RpLightSetColor(m_sun, &sun);
    *RwFrameGetMatrix(m_sunFrame) = LookAtMatrix({0, 0, 0}, direction);
    RwMatrixUpdateFlags(RwFrameGetMatrix(m_sunFrame));
    RpLightSetFrame(m_sun, m_sunFrame);
    m_world = world;
    RpWorldAddLight(world, m_ambient);
    RpWorldAddLight(world, m_sun);
    return true;
}

void SceneLights::Destroy()
{
    if (m_world) {
        RpWorldRemoveLight(m_world, m_ambient);
        RpWorldRemoveLight(m_world, m_sun);
    }
    if (m_ambient)
        RpLightDestroy(m_ambient);
    if (m_sun)
        RpLightDestroy(m_sun);
    if (m_sunFrame)
        RwFrameDestroy(m_sunFrame);
    m_world = nullptr;
    m_ambient = m_sun = nullptr;
    m_sunFrame = nullptr;
}

}  // namespace tools
