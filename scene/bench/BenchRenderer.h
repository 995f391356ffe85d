#pragma once

// The renderer over a hidden window of the offscreen driver (unless the caller chose another),
// for the frame benchmarks; what was started is taken down when it goes.

#include <benchmark/benchmark.h>

#include "platform/Platform.h"
#include "platform/Window.h"
#include "scene/RwGraphics.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

class BenchRenderer {
public:
    BenchRenderer() = default;
    BenchRenderer(const BenchRenderer&) = delete;
    BenchRenderer& operator=(const BenchRenderer&) = delete;

    ~BenchRenderer()
    {
        if (m_renderer)
            RwGraphics::Instance()->Destroy();
        m_window.reset();
        if (m_platform)
            platform::Shutdown();
    }

    // False, with the benchmark skipped, when no window or renderer could start.
    bool Start(benchmark::State& state, int width, int height)
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        if (!platform::Init()) {
            state.SkipWithError("no video");
            return false;
        }
        m_platform = true;
        platform::WindowSettings settings;
        settings.width = width;
        settings.height = height;
        settings.swapInterval = 0;
        m_window = platform::Window::Create(settings);
        RwGraphics* graphics = RwGraphics::Instance();
        graphics->SetScreenSize(width, height);
        if (!m_window || !graphics->Initialise(m_window.get())) {
            state.SkipWithError("no renderer");
            return false;
        }
        m_renderer = true;
        return true;
    }

private:
    std::unique_ptr<platform::Window> m_window;
    bool m_platform = false;
    bool m_renderer = false;
};

// The median and the worst of the times (seconds, sorted here) as the counters
// "<name>_median_ms" and "<name>_worst_ms", or "median_ms" and "worst_ms" without a name.
inline void ReportMedianAndWorst(benchmark::State& state, std::vector<double>& seconds, const std::string& name = "")
{
    if (seconds.empty())
        return;
    std::sort(seconds.begin(), seconds.end());
    const std::string prefix = name.empty() ? "" : name + "_";
    state.counters[prefix + "median_ms"] = seconds[seconds.size() / 2] * 1000.0;
    state.counters[prefix + "worst_ms"] = seconds.back() * 1000.0;
}
