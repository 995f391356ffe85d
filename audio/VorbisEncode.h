#pragma once

// Ogg Vorbis encoding for the asset tool and the audio tests (the game itself only decodes).
// Header-only so that only those who call it need libvorbisenc.

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vorbis_encode {

// Encodes `frames` frames at the VBR quality; fill(buffer, first, count) writes frames
// first..first+count-1 into buffer[channel][0..count-1]. A fixed serial keeps the bytes the
// same from run to run. Empty on failure.
template <typename Fill>
std::vector<uint8_t> Encode(int channels, int rate, float quality, int serial, size_t frames, Fill&& fill)
{
    std::vector<uint8_t> out;
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, channels, rate, quality) != 0) {
        vorbis_info_clear(&vi);
        return out;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block vb;
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, serial);

    ogg_page og;
    ogg_packet op;
    auto flushPages = [&](bool force) {
        while (force ? ogg_stream_flush(&os, &og) : ogg_stream_pageout(&os, &og)) {
            out.insert(out.end(), og.header, og.header + og.header_len);
            out.insert(out.end(), og.body, og.body + og.body_len);
        }
    };
    ogg_packet header, comments, codebooks;
    vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comments);
    ogg_stream_packetin(&os, &codebooks);
    flushPages(true);

    size_t done = 0;
    for (;;) {
        const size_t n = std::min<size_t>(1024, frames - done);
        if (n == 0) {
            vorbis_analysis_wrote(&vd, 0);
        } else {
            float** buffer = vorbis_analysis_buffer(&vd, int(n));
            fill(buffer, done, n);
            vorbis_analysis_wrote(&vd, int(n));
            done += n;
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            while (vorbis_bitrate_flushpacket(&vd, &op)) {
                ogg_stream_packetin(&os, &op);
                flushPages(false);
            }
        }
        if (n == 0)
            break;
    }
    flushPages(true);

    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}

}  // namespace vorbis_encode
