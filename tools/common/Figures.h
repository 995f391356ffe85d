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

// Processor time summed over the spans between Start and Stop, in ms: the whole process's and
// the calling thread's, which tells serial work from the driver's workers.
class ProcessorTime {
public:
    void Start()
    {
        m_allStart = CpuMilliseconds();
        m_callingStart = CpuMilliseconds(RUSAGE_THREAD);
    }
    void Stop()
    {
        all += CpuMilliseconds() - m_allStart;
        calling += CpuMilliseconds(RUSAGE_THREAD) - m_callingStart;
    }

    double all = 0.0, calling = 0.0;

private:
    double m_allStart = 0.0, m_callingStart = 0.0;
};

}  // namespace tools
