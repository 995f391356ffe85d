#pragma once

// Sound files made on the spot, so that no binary fixture is kept in the tree.

#include "audio/encode/SoundFiles.h"

#include <cstdint>
#include <vector>

namespace fixtures {

using sound_files::EncodeOgg;
using sound_files::MakeWav;
using sound_files::ToBytes;
using sound_files::WavSpec;
using sound_files::WriteFile;

// Interleaved 16-bit samples of a sine tone.
std::vector<int16_t> Tone(int frames, int channels, int rate, double hz, int amplitude);
// Interleaved 16-bit white noise of a fixed seed: it needs many Ogg pages.
std::vector<int16_t> Noise(int frames, int channels, int amplitude);
std::vector<int16_t> ToSamples(const std::vector<uint8_t>& bytes);

// One Ogg page holding the packet, as another codec's first page would.
std::vector<uint8_t> OggPage(const std::vector<uint8_t>& packet, int serial);
// The offsets of the Ogg pages ("OggS") in the bytes.
std::vector<size_t> OggPageOffsets(const std::vector<uint8_t>& bytes);

}  // namespace fixtures
