// Music and effects may come from any tool: any bytes must be refused or decoded within
// bounds, whole and as a stream, and every stream must come to an end.
#include "audio/OggLoader.h"
#include "framework/fuzz/FuzzRun.h"

#include <cstddef>
#include <cstdint>

namespace {

constexpr int kPiece = 4096;
// A stream of the largest fuzz input decodes to far less than this many pieces.
constexpr int kMaxPieces = 1 << 16;

}  // namespace

// The decoder library loses a few bytes when a damaged chain fails to open part way, out
// of our reach. Only this target ignores them: the audio tests check our own use of the
// library for leaks. The leak checker's fast unwinding can stop inside the lower decoder
// library before it reaches the stream layer that called it, so both are named.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libvorbisfile.so\nleak:libvorbis.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzBeginRun();
    const std::vector<uint8_t> bytes(data, data + size);
    WaveData wave;
    const bool loaded = OggLoader::Decode(bytes, "fuzz.ogg", wave);
    if (loaded && size_t(wave.frames) * size_t(wave.channels) * 2 != wave.data.size())
        __builtin_trap();

    OggStream stream;
    WaveData format;
    if (!stream.OpenBytes(bytes, "fuzz.ogg", format))
        return 0;
    uint8_t piece[kPiece];
    size_t streamed = 0;
    int pieces = 0;
    for (int got; (got = stream.Refill(piece, kPiece)) > 0; ++pieces) {
        if (got > kPiece || pieces == kMaxPieces)
            __builtin_trap();
        streamed += size_t(got);
    }
    // The stream plays what the loader takes.
    if (loaded && streamed != wave.data.size())
        __builtin_trap();
    stream.Rewind();
    stream.Refill(piece, kPiece);
    return 0;
}
