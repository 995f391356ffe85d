#include "audio/WavLoader.h"

#include "framework/Debug.h"
#include "framework/Registration.h"
#include "framework/StringUtil.h"

#include <cstring>

namespace {

[[maybe_unused]] const auto s_registered =
    registration_detail::RegisterClass<WavLoader>(SampleLoaderRegistry::Get(), "WavLoader");

constexpr uint64_t kFirstChunk = 12;  // after "RIFF", the form size and "WAVE"
constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;
constexpr uint32_t kExtensibleFmtSize = 40;
constexpr uint32_t kSubFormatOffset = 24;
// The sub-format GUID after its leading 16-bit format tag.
constexpr uint8_t kSubFormatSuffix[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                          0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

uint32_t Read32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t Read16(const uint8_t* p)
{
    return uint16_t(p[0] | p[1] << 8);
}

struct Chunk {
    uint64_t body = 0;  // offset of the chunk's contents
    uint32_t size = 0;  // its size field, which a cut-off file may not honour
};

// A top-level chunk of the RIFF form, walked by the chunk sizes: a chunk of odd size is
// followed by a pad byte, so chunks start at any even offset. False when no chunk with a
// complete header has the tag.
bool FindChunk(const uint8_t* bytes, size_t size, const char* tag, Chunk& out)
{
    for (uint64_t pos = kFirstChunk; pos + 8 <= size;) {
        const uint32_t length = Read32(bytes + pos + 4);
        if (std::memcmp(bytes + pos, tag, 4) == 0) {
            out = {pos + 8, length};
            return true;
        }
        pos += 8 + uint64_t(length) + (length & 1u);
    }
    return false;
}

// The format of an extensible fmt chunk is the tag at the head of its sub-format GUID.
uint16_t FormatTag(const uint8_t* fmt, uint32_t fmtBytes)
{
    const uint16_t tag = Read16(fmt);
    if (tag != kFormatExtensible || fmtBytes < kExtensibleFmtSize)
        return tag;
    const uint8_t* guid = fmt + kSubFormatOffset;
    if (std::memcmp(guid + 2, kSubFormatSuffix, sizeof kSubFormatSuffix) != 0)
        return tag;
    return Read16(guid);
}

std::string FormatName(uint16_t tag)
{
    switch (tag) {
    case 2:
        return "ADPCM";
    case 3:
        return "floating-point";
    case 6:
        return "A-law";
    case 7:
        return "mu-law";
    case 0x11:
        return "IMA ADPCM";
    case 0x31:
        return "GSM 6.10";
    case 0x55:
        return "MPEG layer 3";
    case kFormatExtensible:
        return "extensible, of an unknown kind,";
    default:
        return FormatString("format 0x%04x", unsigned(tag));
    }
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
    const std::string file = sample_detail::WithDefaultExtension(name, "WAV");
    std::vector<uint8_t> bytes;
    if (!sample_detail::ReadWholeFile(file, bytes))
        return false;
    return Parse(bytes.data(), bytes.size(), wave, file);
}

bool WavLoader::Parse(const uint8_t* bytes, size_t size, WaveData& wave, const std::string& name)
{
    if (size < kFirstChunk || std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVE", 4) != 0) {
        LogError("could not find WAVE chunk\n");
        return false;
    }
    Chunk fmt;
    if (!FindChunk(bytes, size, "fmt ", fmt)) {
        LogError("could not find fmt chunk\n");
        return false;
    }
    if (fmt.size < 16 || fmt.body + 16 > size) {
        LogError("WavLoader::Load: <%s> fmt chunk too short (%u bytes)\n", name.c_str(), unsigned(fmt.size));
        return false;
    }
    const uint8_t* body = bytes + fmt.body;
    const uint32_t fmtBytes = uint32_t(std::min<uint64_t>(fmt.size, size - fmt.body));
    const uint16_t tag = FormatTag(body, fmtBytes);
    if (tag != kFormatPcm) {
        LogError("WavLoader::Load: <%s> holds %s data, not integer PCM; refused\n", name.c_str(),
                 FormatName(tag).c_str());
        return false;
    }
    const int channels = Read16(body + 2);
    const uint32_t rate = Read32(body + 4);
    const int bits = Read16(body + 14);
    if (!sample_detail::IsPlayableFormat(int(std::min<uint32_t>(rate, 0x7fffffff)), channels, bits, "WavLoader::Load",
                                         name))
        return false;

    Chunk data;
    if (!FindChunk(bytes, size, "data", data)) {
        LogError("could not find data chunk\n");
        return false;
    }
    // The size field may promise more than a cut-off file holds.
    const uint64_t dataSize = std::min<uint64_t>(data.size, size - data.body);
    const uint64_t frames = dataSize / uint64_t(bits / 8) / uint64_t(channels);
    if (dataSize == 0 || frames == 0) {
        LogError("Zero length wav sample\n");
        return false;
    }

    wave.frequency = int(rate);
    wave.bits = bits;
    wave.channels = channels;
    wave.frames = int(frames);
    wave.data.assign(bytes + data.body, bytes + data.body + dataSize);
    return true;
}
