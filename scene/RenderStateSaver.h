#pragma once

#include "engine/core/RwRenderState.h"

#include <utility>
#include <vector>

// Drawing code changes engine render states only through one of these and restores them
// before it returns. Each state is changed at most once per saver.
class RenderStateSaver {
public:
    // Remembers the state's current value, then sets the new one.
    void Set(RwRenderState state, intptr_t value);
    // Puts every saved value back, first saved first, and empties the saver.
    void Restore();
    bool IsEmpty() const { return m_saved.empty(); }

private:
    std::vector<std::pair<RwRenderState, intptr_t>> m_saved;
};
