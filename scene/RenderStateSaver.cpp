#include "scene/RenderStateSaver.h"

void RenderStateSaver::Set(RwRenderState state, intptr_t value)
{
    intptr_t previous = 0;
    RwRenderStateGet(state, &previous);
    if (m_count < kInline)
        m_inline[m_count] = {state, previous};
    else
        m_more.emplace_back(state, previous);
    ++m_count;
    RwRenderStateSet(state, value);
}

void RenderStateSaver::Restore()
{
    for (size_t i = 0; i < m_count && i < kInline; ++i)
        RwRenderStateSet(m_inline[i].first, m_inline[i].second);
    for (const auto& [state, value] : m_more)
        RwRenderStateSet(state, value);
    m_more.clear();
    m_count = 0;
}
