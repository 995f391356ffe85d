#pragma once

#include "audio/SampleLoader.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace audiotest {

// A stream of known length for names "fake:<rate>:<channels>:<bytes>". Byte p of the
// data is p % 250 + 1, so it is never zero, and the data restarts after its end as
// streams do. Registered ahead of the Ogg stream (class names sort "AFake" first).
class FakeStream : public SampleStream {
public:
    static inline int largestRequest = 0;

    bool CanOpen(const std::string& name) override { return Parse(name); }
    bool Open(const std::string& name, WaveData& wave) override
    {
        if (!Parse(name))
            return false;
        wave.frequency = m_rate;
        wave.bits = 16;
        wave.channels = m_channels;
        return true;
    }
    bool Close() override { return true; }
    int Refill(uint8_t* buffer, int bytes) override
    {
        largestRequest = std::max(largestRequest, bytes);
        if (m_position >= m_length) {
            m_position = 0;
            return 0;
        }
        const int n = int(std::min<long>(bytes, m_length - m_position));
        for (int i = 0; i < n; ++i)
            buffer[i] = uint8_t((m_position + i) % 250 + 1);
        m_position += n;
        return n;
    }

    static void Register()
    {
        SampleStreamRegistry::Register("AFakeStream", []() -> SampleStream* { return new FakeStream; });
    }
    static std::string Name(int rate, int channels, long bytes)
    {
        return "fake:" + std::to_string(rate) + ":" + std::to_string(channels) + ":" + std::to_string(bytes);
    }

private:
    bool Parse(const std::string& name)
    {
        return std::sscanf(name.c_str(), "fake:%d:%d:%ld", &m_rate, &m_channels, &m_length) == 3 && m_rate > 0 &&
               m_channels > 0 && m_length >= 0;
    }

    int m_rate = 0;
    int m_channels = 0;
    long m_length = 0;
    long m_position = 0;
};

}  // namespace audiotest
