#pragma once

#include "audio/SampleLoader.h"

#include <vorbis/vorbisfile.h>

// Ogg Vorbis files decoded whole into memory.
class OggLoader : public SampleLoader {
public:
    bool CanLoad(const std::string& name) override;
    bool Load(const std::string& name, WaveData& wave) override;

    // The decoding on its own, over a whole file in memory; the name only goes into the
    // log lines. Damaged pages are skipped; a chained file ends at the first part whose
    // rate or channels differ from the first part's (warned). False (logged) when nothing
    // playable can be decoded.
    static bool Decode(const std::vector<uint8_t>& bytes, const std::string& name, WaveData& wave);
};

// Ogg Vorbis files decoded piece by piece from the whole file held in memory. At the end
// of the data it starts again from the beginning; a chained file ends, as for the loader,
// at the first part of another format. Damaged pages are skipped.
class OggStream : public SampleStream {
public:
    OggStream();
    ~OggStream() override;

    bool CanOpen(const std::string& name) override;
    bool Open(const std::string& name, WaveData& wave) override;
    // Open over a whole file already in memory; the name only goes into the log lines.
    bool OpenBytes(std::vector<uint8_t> bytes, const std::string& name, WaveData& wave);
    bool Close() override;
    int Refill(uint8_t* buffer, int bytes) override;
    void Rewind() override;

private:
    bool OpenDecoder();

    std::vector<uint8_t> m_file;
    std::string m_name;
    size_t m_readPos = 0;  // the decoder's position in m_file
    OggVorbis_File m_decoder;
    bool m_decoderOpen = false;
    int m_links = 1;     // the leading parts that share the first part's format
    int m_damaged = 0;   // damaged stretches met since Open, for the log
};

namespace sample_detail {
// Opens the decoder over bytes in memory; the position lives in *readPos.
int OpenOggInMemory(OggVorbis_File* decoder, const std::vector<uint8_t>* bytes, size_t* readPos);
}  // namespace sample_detail
