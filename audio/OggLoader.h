#pragma once

#include "audio/SampleLoader.h"

#include <vorbis/vorbisfile.h>

// Ogg Vorbis files decoded whole into memory.
class OggLoader : public SampleLoader {
public:
    bool CanLoad(const std::string& name) override;
    bool Load(const std::string& name, WaveData& wave) override;
};

// Ogg Vorbis files decoded piece by piece from the whole file held in memory. At the end
// of the data it starts again from the beginning.
class OggStream : public SampleStream {
public:
    OggStream();
    ~OggStream() override;

    bool CanOpen(const std::string& name) override;
    bool Open(const std::string& name, WaveData& wave) override;
    bool Close() override;
    int Refill(uint8_t* buffer, int bytes) override;
    void Rewind() override;

private:
    bool OpenDecoder();

    std::vector<uint8_t> m_file;
    size_t m_readPos = 0;  // the decoder's position in m_file
    OggVorbis_File m_decoder;
    bool m_decoderOpen = false;
};

namespace sample_detail {
// Opens the decoder over bytes in memory; the position lives in *readPos.
int OpenOggInMemory(OggVorbis_File* decoder, const std::vector<uint8_t>* bytes, size_t* readPos);
}  // namespace sample_detail
