#pragma once

#include <cstdint>
#include <vector>

// Decoded PCM as loaders deliver it. Streams fill only the format; frames and data stay empty.
struct WaveData {
    int frequency = 0;  // frames per second
    int bits = 0;       // per sample
    int channels = 0;
    int frames = 0;
    std::vector<uint8_t> data;

    int Size() const { return static_cast<int>(data.size()); }
};
