#include "support/SoundFixtures.h"

#include <ogg/ogg.h>

#include <algorithm>
#include <cmath>

namespace fixtures {

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

std::vector<int16_t> ToSamples(const std::vector<uint8_t>& bytes)
{
    std::vector<int16_t> out(bytes.size() / 2);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = int16_t(uint16_t(bytes[2 * i] | bytes[2 * i + 1] << 8));
    return out;
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

}  // namespace fixtures
