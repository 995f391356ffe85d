#include "audio/encode/SoundFiles.h"

#include "audio/VorbisEncode.h"

#include <filesystem>
#include <fstream>

namespace sound_files {

namespace {

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

void Put16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void PutTag(std::vector<uint8_t>& out, const char* tag)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(tag[i]));
}

}  // namespace

std::vector<uint8_t> MakeWav(const WavSpec& spec)
{
    std::vector<uint8_t> body;
    PutTag(body, "WAVE");
    PutTag(body, "fmt ");
    Put32(body, uint32_t(spec.fmtSize));
    std::vector<uint8_t> fmt;
    const int align = spec.channels * spec.bits / 8;
    Put16(fmt, spec.formatTag);
    Put16(fmt, uint16_t(spec.channels));
    Put32(fmt, uint32_t(spec.rate));
    Put32(fmt, uint32_t(spec.rate * align));
    Put16(fmt, uint16_t(align));
    Put16(fmt, uint16_t(spec.bits));
    fmt.insert(fmt.end(), spec.fmtTail.begin(), spec.fmtTail.end());
    fmt.resize(size_t(spec.fmtSize), 0);
    body.insert(body.end(), fmt.begin(), fmt.end());
    if (spec.listBytes > 0) {
        PutTag(body, "LIST");
        Put32(body, uint32_t(spec.listBytes));
        for (int i = 0; i < spec.listBytes; ++i)
            body.push_back(uint8_t("INFOISFTTurfbolt"[i % 16]));
        if (spec.listBytes % 2)
            body.push_back(0);
    }
    for (const auto& [tag, payload] : spec.chunks) {
        PutTag(body, tag.c_str());
        Put32(body, uint32_t(payload.size()));
        body.insert(body.end(), payload.begin(), payload.end());
        if (payload.size() % 2)
            body.push_back(0);
    }
    PutTag(body, "data");
    Put32(body, spec.dataSizeField < 0 ? uint32_t(spec.pcm.size()) : uint32_t(spec.dataSizeField));
    body.insert(body.end(), spec.pcm.begin(), spec.pcm.end());

    std::vector<uint8_t> out;
    PutTag(out, "RIFF");
    Put32(out, uint32_t(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

std::vector<uint8_t> ToBytes(const std::vector<int16_t>& samples)
{
    std::vector<uint8_t> out(samples.size() * 2);
    for (size_t i = 0; i < samples.size(); ++i) {
        out[2 * i] = uint8_t(uint16_t(samples[i]));
        out[2 * i + 1] = uint8_t(uint16_t(samples[i]) >> 8);
    }
    return out;
}

std::vector<uint8_t> EncodeOgg(const std::vector<int16_t>& samples, int channels, int rate, int serial)
{
    const size_t frames = samples.size() / size_t(channels);
    return vorbis_encode::Encode(channels, rate, 0.4f, serial, frames, [&](float** buffer, size_t first, size_t n) {
        for (size_t i = 0; i < n; ++i)
            for (int c = 0; c < channels; ++c)
                buffer[c][i] = samples[(first + i) * channels + c] / 32768.0f;
    });
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::error_code ec;
    const std::filesystem::path p(path);
    if (p.has_parent_path())
        std::filesystem::create_directories(p.parent_path(), ec);
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

}  // namespace sound_files
