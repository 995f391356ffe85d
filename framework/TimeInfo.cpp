#include "framework/TimeInfo.h"

void TimeInfo::AddFrame(float dt)
{
    m_frameTime = dt;
    m_menuTime += dt;
    m_elapsedTime += dt;
    ++m_frameCount;
}
