#include "scene/RenderStateSaver.h"

void RenderStateSaver::Set(RwRenderState state, intptr_t value)
{
    intptr_t previous = 0;
    RwRenderStateGet(state, &previous);
    m_saved.emplace_back(state, previous);
    RwRenderStateSet(state, value);
}

void RenderStateSaver::Restore()
{
    for (const auto& [state, value] : m_saved)
        RwRenderStateSet(state, value);
    m_saved.clear();
}
