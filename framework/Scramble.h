#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Keeps text files from being plain text; not protection of any kind. The key stream
// restarts with every file, so applying it twice gives the text back.
namespace Scramble {

void Apply(void* data, size_t size);

// Uppercase hex pairs, 64 pairs a line, each line ended by "\n".
std::string EncodeHex(const uint8_t* data, size_t size);
// Line breaks are skipped; anything else that is not a hex digit, or an odd digit count,
// fails with the offset of the offending character in badOffset.
bool DecodeHex(const char* text, size_t size, std::vector<uint8_t>& out, size_t* badOffset = nullptr);

}  // namespace Scramble
