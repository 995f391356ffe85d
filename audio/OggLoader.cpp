#include "audio/OggLoader.h"

#include "framework/Debug.h"
#include "framework/Registration.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

[[maybe_unused]] const auto s_loader =
    registration_detail::RegisterClass<OggLoader>(SampleLoaderRegistry::Get(), "OggLoader");
[[maybe_unused]] const auto s_stream =
    registration_detail::RegisterClass<OggStream>(SampleStreamRegistry::Get(), "OggStream");

constexpr int kReadPiece = 4096;
constexpr size_t kGrowth = 65536;

// The decoder reads the file from memory, so it can seek and open again at will.
struct MemorySource {
    const std::vector<uint8_t>* bytes;
    size_t* pos;
};

size_t MemRead(void* out, size_t size, size_t count, void* source)
{
    auto* s = static_cast<MemorySource*>(source);
    if (size == 0)
        return 0;
    const size_t left = s->bytes->size() - *s->pos;
    const size_t n = std::min(count, left / size);
    std::memcpy(out, s->bytes->data() + *s->pos, n * size);
    *s->pos += n * size;
    return n;
}

int MemSeek(void* source, ogg_int64_t offset, int whence)
{
    auto* s = static_cast<MemorySource*>(source);
    const int64_t size = int64_t(s->bytes->size());
    int64_t base = 0;
    if (whence == SEEK_CUR)
        base = int64_t(*s->pos);
    else if (whence == SEEK_END)
        base = size;
    else if (whence != SEEK_SET)
        return -1;
    const int64_t target = base + offset;
    if (target < 0 || target > size)
        return -1;
    *s->pos = size_t(target);
    return 0;
}

long MemTell(void* source)
{
    return long(*static_cast<MemorySource*>(source)->pos);
}

int MemClose(void* source)
{
    delete static_cast<MemorySource*>(source);
    return 0;
}

}  // namespace

int sample_detail::OpenOggInMemory(OggVorbis_File* decoder, const std::vector<uint8_t>* bytes, size_t* readPos)
{
    *readPos = 0;
    auto* source = new MemorySource{bytes, readPos};
    const ov_callbacks callbacks{&MemRead, &MemSeek, &MemClose, &MemTell};
    const int result = ov_open_callbacks(source, decoder, nullptr, 0, callbacks);
    // On failure the decoder does not own the source; on success ov_clear closes it.
    if (result != 0)
        delete source;
    return result;
}

// ---- OggLoader ----

bool OggLoader::CanLoad(const std::string& name)
{
    return sample_detail::HasExtensionAndExists(name, "OGG");
}

bool OggLoader::Load(const std::string& name, WaveData& wave)
{
    if (!CanLoad(name))
        return false;
    const std::string file = sample_detail::WithDefaultExtension(name, "OGG");
    DebugTrace("OggLoader::Load %s\n", file.c_str());
    std::vector<uint8_t> bytes;
    if (!sample_detail::ReadWholeFile(file, bytes))
        return false;

    OggVorbis_File decoder;
    size_t readPos = 0;
    if (sample_detail::OpenOggInMemory(&decoder, &bytes, &readPos) != 0) {
        LogError("OggLoader: <%s> does not appear to be an Ogg bitstream.\n", file.c_str());
        return false;
    }
    const vorbis_info* info = ov_info(&decoder, -1);
    const int channels = info ? info->channels : 0;
    const int rate = info ? int(info->rate) : 0;

    std::vector<uint8_t> pcm;
    size_t used = 0;
    try {
        pcm.resize(kGrowth);
        for (;;) {
            if (used + kReadPiece >= pcm.size())
                pcm.resize(pcm.size() + kGrowth);
            int section = 0;
            const long got = ov_read(&decoder, reinterpret_cast<char*>(pcm.data() + used), kReadPiece,
                                     0 /* little-endian */, 2, 1 /* signed */, &section);
            if (got == 0)
                break;
            if (got < 0) {
                // What was decoded so far is kept.
                LogError("OggLoader::Load can't load ogg-file <%s> (%ld)!\n", file.c_str(), got);
                break;
            }
            used += size_t(got);
        }
    } catch (const std::bad_alloc&) {
        ov_clear(&decoder);
        LogFatalError("OggLoader: realloc not ok\n");
    }
    ov_clear(&decoder);
    if (channels <= 0) {
        LogError("OggLoader: <%s> does not appear to be an Ogg bitstream.\n", file.c_str());
        return false;
    }
    pcm.resize(used);
    pcm.shrink_to_fit();
    wave.frequency = rate;
    wave.bits = 16;
    wave.channels = channels;
    wave.frames = int(used / (2 * size_t(channels)));
    wave.data = std::move(pcm);
    return true;
}

// ---- OggStream ----

OggStream::OggStream()
{
    std::memset(&m_decoder, 0, sizeof(m_decoder));
}

OggStream::~OggStream()
{
    Close();
}

bool OggStream::CanOpen(const std::string& name)
{
    return sample_detail::HasExtensionAndExists(name, "OGG", "<PP>");
}

bool OggStream::OpenDecoder()
{
    if (m_decoderOpen) {
        ov_clear(&m_decoder);
        m_decoderOpen = false;
    }
    if (m_file.empty() || sample_detail::OpenOggInMemory(&m_decoder, &m_file, &m_readPos) != 0)
        return false;
    m_decoderOpen = true;
    return true;
}

bool OggStream::Open(const std::string& name, WaveData& wave)
{
    if (!CanOpen(name))
        return false;
    Close();
    const std::string file = sample_detail::WithDefaultExtension("<PP>" + name, "OGG");
    if (!sample_detail::ReadWholeFile(file, m_file))
        return false;
    if (!OpenDecoder()) {
        LogError("OggStream: Input does not appear to be an Ogg bitstream.\n");
        m_file.clear();
        return false;
    }
    const vorbis_info* info = ov_info(&m_decoder, -1);
    wave.frequency = info ? int(info->rate) : 0;
    wave.bits = 16;
    wave.channels = info ? info->channels : 0;
    wave.frames = 0;
    wave.data.clear();
    return true;
}

bool OggStream::Close()
{
    if (m_decoderOpen) {
        ov_clear(&m_decoder);
        m_decoderOpen = false;
    }
    m_file.clear();
    m_file.shrink_to_fit();
    return true;
}

int OggStream::Refill(uint8_t* buffer, int bytes)
{
    if (!m_decoderOpen || !buffer || bytes <= 0)
        return 0;
    int section = 0;
    const long got = ov_read(&m_decoder, reinterpret_cast<char*>(buffer), bytes, 0, 2, 1, &section);
    if (got > 0)
        return int(got);
    if (got == 0) {
        // Streams always loop: the next call starts from the beginning.
        if (!OpenDecoder())
            LogError("Input does not appear to be an Ogg bitstream.\n");
        return 0;
    }
    LogError("Oggstream::Refill not ok (%ld)!\n", got);
    return 0;
}

void OggStream::Rewind()
{
    if (m_file.empty())
        return;
    if (!OpenDecoder())
        LogError("Input does not appear to be an Ogg bitstream.\n");
}
