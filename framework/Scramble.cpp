#include "framework/Scramble.h"

namespace Scramble {

namespace {

// Changing this makes every stored archive and save game unreadable.
constexpr uint32_t kSeed = 0x7B3A91C5u;
constexpr size_t kPairsPerLine = 64;

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

}  // namespace

void Apply(void* data, size_t size)
{
    uint8_t* bytes = static_cast<uint8_t*>(data);
    uint32_t state = kSeed;
    for (size_t i = 0; i < size; ++i) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        bytes[i] ^= static_cast<uint8_t>(state & 0xFFu);
    }
}

std::string EncodeHex(const uint8_t* data, size_t size)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(size * 2 + size / kPairsPerLine + 1);
    for (size_t i = 0; i < size; ++i) {
        out.push_back(digits[data[i] >> 4]);
        out.push_back(digits[data[i] & 0x0F]);
        if ((i + 1) % kPairsPerLine == 0 || i + 1 == size)
            out.push_back('\n');
    }
    return out;
}

bool DecodeHex(const char* text, size_t size, std::vector<uint8_t>& out, size_t* badOffset)
{
    out.clear();
    out.reserve(size / 2);
    int high = -1;
    size_t highOffset = 0;
    for (size_t i = 0; i < size; ++i) {
        const char c = text[i];
        if (c == '\n' || c == '\r')
            continue;
        const int v = HexValue(c);
        if (v < 0) {
            if (badOffset)
                *badOffset = i;
            return false;
        }
        if (high < 0) {
            high = v;
            highOffset = i;
        } else {
            out.push_back(static_cast<uint8_t>((high << 4) | v));
            high = -1;
        }
    }
    if (high >= 0) {
        if (badOffset)
            *badOffset = highOffset;
        return false;
    }
    return true;
}

}  // namespace Scramble
