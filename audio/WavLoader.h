#pragma once

#include "audio/SampleLoader.h"

// RIFF WAVE files with PCM data.
class WavLoader : public SampleLoader {
public:
    bool CanLoad(const std::string& name) override;
    bool Load(const std::string& name, WaveData& wave) override;

    // The parsing on its own, over bytes already in memory.
    static bool Parse(const uint8_t* bytes, size_t size, WaveData& wave);
};
