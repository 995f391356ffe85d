#include "tools/common/FrameTimes.h"

#include "tools/common/Figures.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace tools {

FrameTimes TimeFrames(int count, const std::function<bool(int frame)>& frame)
{
    std::vector<double> times;
    times.reserve(static_cast<size_t>(std::max(count, 0)));
    const double processorBefore = CpuMilliseconds();
    for (int i = 0; i < count; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const bool more = frame(i);
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        if (!more)
            break;
    }
    FrameTimes result;
    if (times.empty())
        return result;
    result.frames = static_cast<int>(times.size());
    result.processor = (CpuMilliseconds() - processorBefore) / result.frames;
    result.median = Median(times);
    result.worst = *std::max_element(times.begin(), times.end());
    return result;
}

}  // namespace tools
