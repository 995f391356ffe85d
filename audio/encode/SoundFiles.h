#pragma once

// WAV and Ogg Vorbis files made from samples in memory, for the programs and tests that
// need sounds without keeping binary files in the tree (the game itself only reads them).

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace sound_files {

// The fields past the format can make a file the loader must refuse or skip over.
struct WavSpec {
    int rate = 22050;
    int channels = 1;
    int bits = 16;
    uint16_t formatTag = 1;          // integer PCM
    std::vector<uint8_t> pcm;        // the data chunk's bytes
    int listBytes = 0;               // > 0: a LIST chunk of that payload between "fmt " and "data"
    int fmtSize = 16;                // the fmt chunk's size field and body length
    std::vector<uint8_t> fmtTail;    // written after the 16 bytes of PCM fields, within fmtSize
    // Chunks (tag, payload) after the LIST chunk; odd payloads get their pad byte.
    std::vector<std::pair<std::string, std::vector<uint8_t>>> chunks;
    int64_t dataSizeField = -1;      // -1: the real size
};

std::vector<uint8_t> MakeWav(const WavSpec& spec);

// Little-endian bytes of the 16-bit samples, as a WAV data chunk holds them.
std::vector<uint8_t> ToBytes(const std::vector<int16_t>& samples);

// Ogg Vorbis of the interleaved samples (quality 0.4); empty when the encoder refuses the
// format. Parts of a chained file need serials of their own.
std::vector<uint8_t> EncodeOgg(const std::vector<int16_t>& samples, int channels, int rate, int serial = 1234);

// Writes the bytes, creating folders; false on failure.
bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace sound_files
