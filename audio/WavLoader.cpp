#include "audio/WavLoader.h"

#include "framework/Debug.h"
#include "framework/Registration.h"

#include <cstring>

namespace {

[[maybe_unused]] const auto s_registered =
    registration_detail::RegisterClass<WavLoader>(SampleLoaderRegistry::Get(), "WavLoader");

uint32_t Read32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t Read16(const uint8_t* p)
{
    return uint16_t(p[0] | p[1] << 8);
}

// Tags are only looked for at whole multiples of 4 from the start; a hit needs room for
// the tag and `after` more bytes. Returns the position, or -1.
int64_t FindTag(const uint8_t* bytes, size_t size, uint64_t start, const char* tag, size_t after)
{
    for (uint64_t pos = start; pos + 4 + after <= size; pos += 4) {
        if (std::memcmp(bytes + pos, tag, 4) == 0)
            return int64_t(pos);
    }
    return -1;
}

}  // namespace

bool WavLoader::CanLoad(const std::string& name)
{
    return sample_detail::HasExtensionAndExists(name, "WAV");
}

bool WavLoader::Load(const std::string& name, WaveData& wave)
{
    if (!CanLoad(name))
        return false;
    std::vector<uint8_t> file;
    if (!sample_detail::ReadWholeFile(sample_detail::WithDefaultExtension(name, "WAV"), file))
        return false;
    return Parse(file.data(), file.size(), wave);
}

bool WavLoader::Parse(const uint8_t* bytes, size_t size, WaveData& wave)
{
    const int64_t wavePos = FindTag(bytes, size, 0, "WAVE", 0);
    if (wavePos < 0) {
        LogError("could not find WAVE chunk\n");
        return false;
    }
    const int64_t fmtPos = FindTag(bytes, size, uint64_t(wavePos), "fmt ", 4);
    if (fmtPos < 0) {
        LogError("could not find fmt chunk\n");
        return false;
    }
    const uint64_t fmtBody = uint64_t(fmtPos) + 8;
    const uint32_t fmtSize = Read32(bytes + fmtPos + 4);
    if (fmtSize < 16 || fmtBody + 16 > size) {
        LogError("WavLoader: fmt chunk too short (%u bytes)\n", unsigned(fmtSize));
        return false;
    }
    const int channels = Read16(bytes + fmtBody + 2);
    const uint32_t rate = Read32(bytes + fmtBody + 4);
    const int bits = Read16(bytes + fmtBody + 14);
    // Without channels or with fewer than 8 bits there is no frame size to count by.
    if (channels == 0 || bits < 8) {
        LogError("WavLoader: unsupported format (%d channels, %d bits)\n", channels, bits);
        return false;
    }

    const int64_t dataPos = FindTag(bytes, size, fmtBody + fmtSize, "data", 4);
    if (dataPos < 0) {
        LogError("could not find data chunk\n");
        return false;
    }
    const uint64_t dataStart = uint64_t(dataPos) + 8;
    // The size field may promise more than a cut-off file holds.
    const uint64_t dataSize = std::min<uint64_t>(Read32(bytes + dataPos + 4), size - dataStart);
    const uint64_t frames = dataSize / uint64_t(bits / 8) / uint64_t(channels);
    if (dataSize == 0 || frames == 0) {
        LogError("Zero length wav sample\n");
        return false;
    }

    wave.frequency = int(std::min<uint32_t>(rate, 0x7fffffff));
    wave.bits = bits;
    wave.channels = channels;
    wave.frames = int(frames);
    wave.data.assign(bytes + dataStart, bytes + dataStart + dataSize);
    return true;
}
