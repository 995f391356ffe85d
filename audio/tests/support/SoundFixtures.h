#pragma once

// Sound files made on the spot, so that no binary fixture is kept in the tree.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace fixtures {

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

// Interleaved 16-bit samples of a sine tone.
std::vector<int16_t> Tone(int frames, int channels, int rate, double hz, int amplitude);
// Interleaved 16-bit white noise of a fixed seed: it needs many Ogg pages.
std::vector<int16_t> Noise(int frames, int channels, int amplitude);
std::vector<uint8_t> ToBytes(const std::vector<int16_t>& samples);
std::vector<int16_t> ToSamples(const std::vector<uint8_t>& bytes);

// Ogg Vorbis of the interleaved samples (quality 0.4). Parts of a chained file need
// serials of their own.
std::vector<uint8_t> EncodeOgg(const std::vector<int16_t>& samples, int channels, int rate, int serial = 1234);
// One Ogg page holding the packet, as another codec's first page would.
std::vector<uint8_t> OggPage(const std::vector<uint8_t>& packet, int serial);
// The offsets of the Ogg pages ("OggS") in the bytes.
std::vector<size_t> OggPageOffsets(const std::vector<uint8_t>& bytes);

// Writes the bytes, creating folders; false on failure.
bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace fixtures
