#pragma once

#include "audio/SampleLoader.h"

// RIFF WAVE files with integer PCM data of 8 or 16 bits, mono or stereo.
class WavLoader : public SampleLoader {
public:
    bool CanLoad(const std::string& name) override;
    bool Load(const std::string& name, WaveData& wave) override;

    // The parsing on its own, over bytes already in memory; the name only goes into the
    // log lines. False (logged with the reason) for anything the device could not play.
    static bool Parse(const uint8_t* bytes, size_t size, WaveData& wave, const std::string& name = "memory");
};
