#include "support/SoundFixtures.h"

#include "audio/VorbisEncode.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>

namespace fixtures {

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

std::vector<int16_t> Tone(int frames, int channels, int rate, double hz, int amplitude)
{
    std::vector<int16_t> out(size_t(frames) * size_t(channels));
    for (int i = 0; i < frames; ++i) {
        const double v = amplitude * std::sin(2.0 * M_PI * hz * i / rate);
        for (int c = 0; c < channels; ++c)
            out[size_t(i) * channels + c] = int16_t(std::lrint(v));
    }
    return out;
}

std::vector<int16_t> Noise(int frames, int channels, int amplitude)
{
    std::vector<int16_t> out(size_t(frames) * size_t(channels));
    uint32_t state = 12345;
    for (int16_t& v : out) {
        state = state * 1664525u + 1013904223u;
        v = int16_t(int(state >> 16) % (2 * amplitude + 1) - amplitude);
    }
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

std::vector<int16_t> ToSamples(const std::vector<uint8_t>& bytes)
{
    std::vector<int16_t> out(bytes.size() / 2);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = int16_t(uint16_t(bytes[2 * i] | bytes[2 * i + 1] << 8));
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

std::vector<uint8_t> OggPage(const std::vector<uint8_t>& packet, int serial)
{
    ogg_stream_state stream;
    ogg_stream_init(&stream, serial);
    ogg_packet op{};
    op.packet = const_cast<unsigned char*>(packet.data());
    op.bytes = long(packet.size());
    op.b_o_s = 1;
    ogg_stream_packetin(&stream, &op);
    std::vector<uint8_t> out;
    ogg_page page;
    while (ogg_stream_flush(&stream, &page)) {
        out.insert(out.end(), page.header, page.header + page.header_len);
        out.insert(out.end(), page.body, page.body + page.body_len);
    }
    ogg_stream_clear(&stream);
    return out;
}

std::vector<size_t> OggPageOffsets(const std::vector<uint8_t>& bytes)
{
    std::vector<size_t> out;
    for (size_t i = 0; i + 4 <= bytes.size(); ++i)
        if (std::equal(bytes.begin() + long(i), bytes.begin() + long(i) + 4, "OggS"))
            out.push_back(i);
    return out;
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

}  // namespace fixtures
