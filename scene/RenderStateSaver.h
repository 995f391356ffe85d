#pragma once

#include "engine/core/RwRenderState.h"

#include <array>
#include <cstddef>
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
    bool IsEmpty() const { return m_count == 0; }

private:
    using Saved = std::pair<RwRenderState, intptr_t>;
    // Savers live on the stack of every draw: the usual few pairs need no allocation.
    static constexpr size_t kInline = 16;
    std::array<Saved, kInline> m_inline{};
    std::vector<Saved> m_more;
    size_t m_count = 0;
};
