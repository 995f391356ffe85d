#pragma once

// The figures the tools' timings print.

#include <algorithm>
#include <vector>

#include <sys/resource.h>
#include <sys/time.h>

namespace tools {

// The middle value (the upper one of an even count); 0 for none.
inline double Median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    const auto middle = values.begin() + static_cast<long>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// Processor time of the whole process, the driver's workers included (or with RUSAGE_THREAD of
// the calling thread alone), in ms: unlike wall-clock time it hardly grows when other programs
// share the machine.
inline double CpuMilliseconds(int who = RUSAGE_SELF)
{
    rusage usage{};
    getrusage(who, &usage);
    const auto ms = [](const timeval& t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

}  // namespace tools
