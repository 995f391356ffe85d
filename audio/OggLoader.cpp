#include "audio/OggLoader.h"

#include "framework/Debug.h"
#include "framework/Registration.h"
#include "framework/StringUtil.h"

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
// Damaged stretches reported per file; the rest are only skipped.
constexpr int kMaxReportedDamage = 3;
// Decode errors in a row after which the rest of the data counts as lost.
constexpr int kMaxErrorsInARow = 64;
constexpr size_t kPageHeaderBytes = 27;  // up to the segment count

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
    if (n == 0)
        return 0;  // an empty file has no data pointer to copy from
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

// The codec named by the first packet of a file that the Vorbis decoder refused, or null.
const char* OtherCodec(const std::vector<uint8_t>& bytes)
{
    static const struct {
        const char* magic;
        size_t length;
        const char* codec;
    } kCodecs[] = {
        {"OpusHead", 8, "Opus"},       {"\x7f" "FLAC", 5, "FLAC"},          {"fLaC", 4, "FLAC"},
        {"Speex   ", 8, "Speex"},      {"\x80" "theora", 7, "Theora video"},
    };
    if (bytes.size() < kPageHeaderBytes || std::memcmp(bytes.data(), "OggS", 4) != 0)
        return nullptr;
    const size_t packet = kPageHeaderBytes + bytes[kPageHeaderBytes - 1];
    for (const auto& c : kCodecs) {
        if (packet + c.length <= bytes.size() && std::memcmp(bytes.data() + packet, c.magic, c.length) == 0)
            return c.codec;
    }
    return nullptr;
}

// Logs why the decoder refused the file: another codec by name, else the plain line.
void ReportRefusal(const char* who, const std::string& name, const std::vector<uint8_t>& bytes, const char* plain)
{
    if (const char* codec = OtherCodec(bytes))
        LogError("%s: <%s> holds %s, an unsupported codec; only Vorbis can be played\n", who, name.c_str(), codec);
    else
        LogError("%s", plain);
}

// How many leading parts of a chained file share the first part's rate and channels; the
// first part of another format is warned about, since playing it at the first part's
// format would change its pitch and speed.
int PlayableLinks(OggVorbis_File* decoder, const char* who, const std::string& name)
{
    const long links = ov_streams(decoder);
    const vorbis_info* first = ov_info(decoder, 0);
    for (long i = 1; first && i < links; ++i) {
        const vorbis_info* part = ov_info(decoder, int(i));
        if (part && part->rate == first->rate && part->channels == first->channels)
            continue;
        LogWarning("%s: <%s> part %ld is %ld Hz with %d channels, unlike the first part's %ld Hz with %d; "
                   "played up to there\n",
                   who, name.c_str(), i + 1, part ? part->rate : 0L, part ? part->channels : 0, first->rate,
                   first->channels);
        return int(i);
    }
    return int(std::max(links, 1L));
}

struct OggFormat {
    int rate = 0;
    int channels = 0;
    int links = 1;  // the leading parts of a chain that share the first part's format
};

// The format of a decoder just opened; false (logged) when the decoder holds no stream
// or the device cannot play it.
bool ReadFormat(OggVorbis_File* decoder, const char* who, const std::string& name, const char* notOgg,
                OggFormat& out)
{
    const vorbis_info* info = ov_info(decoder, -1);
    if (!info || info->channels <= 0) {
        LogError("%s", notOgg);
        return false;
    }
    out.rate = int(std::min<long>(info->rate, 0x7fffffff));
    out.channels = info->channels;
    if (!sample_detail::IsPlayableFormat(out.rate, out.channels, 16, who, name))
        return false;
    out.links = PlayableLinks(decoder, who, name);
    return true;
}

// One read of 16-bit PCM that skips damaged stretches: the bytes read, or 0 at the end of
// the data (and after too many errors in a row). `damaged` counts the stretches skipped.
long ReadPcm(OggVorbis_File* decoder, uint8_t* out, int bytes, int* section, int& damaged, const char* who,
             const std::string& name)
{
    for (int errors = 0; errors < kMaxErrorsInARow; ++errors) {
        const long got = ov_read(decoder, reinterpret_cast<char*>(out), bytes, 0 /* little-endian */, 2,
                                 1 /* signed */, section);
        if (got >= 0)
            return got;
        if (++damaged <= kMaxReportedDamage)
            LogWarning("%s: <%s> damaged data skipped (%ld)\n", who, name.c_str(), got);
    }
    LogError("%s: <%s> cannot be decoded past its damage\n", who, name.c_str());
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
    if (result != 0) {
        delete source;
        return result;
    }
    // Opening a chain can leave the decoder past a first part that is a single page long.
    if (ov_streams(decoder) > 1)
        ov_pcm_seek(decoder, 0);
    return 0;
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
    return Decode(bytes, file, wave);
}

bool OggLoader::Decode(const std::vector<uint8_t>& bytes, const std::string& name, WaveData& wave)
{
    const char* who = "OggLoader::Load";
    const std::string notOgg = FormatString("OggLoader: <%s> does not appear to be an Ogg bitstream.\n", name.c_str());
    OggVorbis_File decoder;
    size_t readPos = 0;
    if (sample_detail::OpenOggInMemory(&decoder, &bytes, &readPos) != 0) {
        ReportRefusal(who, name, bytes, notOgg.c_str());
        return false;
    }
    OggFormat format;
    if (!ReadFormat(&decoder, who, name, notOgg.c_str(), format)) {
        ov_clear(&decoder);
        return false;
    }

    std::vector<uint8_t> pcm;
    size_t used = 0;
    int damaged = 0;
    try {
        pcm.resize(kGrowth);
        for (;;) {
            if (used + kReadPiece >= pcm.size())
                pcm.resize(pcm.size() + kGrowth);
            int section = 0;
            const long got = ReadPcm(&decoder, pcm.data() + used, kReadPiece, &section, damaged, who, name);
            if (got == 0 || section >= format.links)
                break;
            used += size_t(got);
        }
    } catch (const std::bad_alloc&) {
        ov_clear(&decoder);
        LogFatalError("OggLoader: realloc not ok\n");
    }
    ov_clear(&decoder);
    pcm.resize(used);
    pcm.shrink_to_fit();
    wave.frequency = format.rate;
    wave.bits = 16;
    wave.channels = format.channels;
    wave.frames = int(used / (2 * size_t(format.channels)));
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
    const std::string file = sample_detail::WithDefaultExtension("<PP>" + name, "OGG");
    std::vector<uint8_t> bytes;
    if (!sample_detail::ReadWholeFile(file, bytes))
        return false;
    return OpenBytes(std::move(bytes), file, wave);
}

bool OggStream::OpenBytes(std::vector<uint8_t> bytes, const std::string& name, WaveData& wave)
{
    Close();
    m_file = std::move(bytes);
    m_name = name;
    m_damaged = 0;
    const char* who = "OggStream::Open";
    const char* notOgg = "OggStream: Input does not appear to be an Ogg bitstream.\n";
    OggFormat format;
    if (!OpenDecoder()) {
        ReportRefusal(who, name, m_file, notOgg);
        Close();
        return false;
    }
    if (!ReadFormat(&m_decoder, who, name, notOgg, format)) {
        Close();
        return false;
    }
    m_links = format.links;
    wave.frequency = format.rate;
    wave.bits = 16;
    wave.channels = format.channels;
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
    const long got = ReadPcm(&m_decoder, buffer, bytes, &section, m_damaged, "OggStream::Refill", m_name);
    if (got > 0 && section < m_links)
        return int(got);
    // The end, or a part in another format: streams always loop, so the next call
    // starts from the beginning.
    if (!OpenDecoder())
        LogError("Input does not appear to be an Ogg bitstream.\n");
    return 0;
}

void OggStream::Rewind()
{
    if (m_file.empty())
        return;
    if (!OpenDecoder())
        LogError("Input does not appear to be an Ogg bitstream.\n");
}
