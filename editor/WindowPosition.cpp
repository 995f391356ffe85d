#include "editor/WindowPosition.h"

#include <algorithm>
#include <vector>

namespace {

uint32_t Sum(int32_t x, int32_t y, int32_t width, int32_t height)
{
    return static_cast<uint32_t>(x) + static_cast<uint32_t>(y) + static_cast<uint32_t>(width) +
           static_cast<uint32_t>(height);
}

void PutWord(std::vector<uint8_t>& bytes, uint32_t word)
{
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(static_cast<uint8_t>(word >> shift));
}

uint32_t GetWord(const std::vector<uint8_t>& bytes, size_t index)
{
    uint32_t word = 0;
    for (int i = 3; i >= 0; --i)
        word = (word << 8) | bytes[index * 4 + static_cast<size_t>(i)];
    return word;
}

}  // namespace

WindowPosition::WindowPosition(const std::string& valueName, const std::string& file) : m_valueName(valueName), m_key(file) {}

void WindowPosition::Set(int x, int y, int width, int height)
{
    m_x = x;
    m_y = y;
    m_width = width;
    m_height = height;
    m_check = Sum(x, y, width, height);
}

bool WindowPosition::Save()
{
    std::vector<uint8_t> bytes;
    for (const uint32_t word : {static_cast<uint32_t>(m_x), static_cast<uint32_t>(m_y), static_cast<uint32_t>(m_width),
                                static_cast<uint32_t>(m_height), m_check})
        PutWord(bytes, word);
    return m_key.SetValue(m_valueName, bytes);
}

bool WindowPosition::IsValid(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t check)
{
    return check == Sum(x, y, width, height);
}

bool WindowPosition::Load(int& x, int& y, int& width, int& height) const
{
    std::vector<uint8_t> bytes;
    if (!m_key.QueryValue(m_valueName, bytes) || bytes.size() != kRecordBytes)
        return false;
    int32_t words[4];
    for (size_t i = 0; i < 4; ++i)
        words[i] = static_cast<int32_t>(GetWord(bytes, i));
    if (!IsValid(words[0], words[1], words[2], words[3], GetWord(bytes, 4)))
        return false;
    x = words[0];
    y = words[1];
    width = words[2];
    height = words[3];
    return true;
}

bool WindowPosition::Restore(int width, int height, int viewWidth, int viewHeight, int titleHeight, WindowPlace& place) const
{
    int x = 0, y = 0, storedWidth = 0, storedHeight = 0;
    if (!Load(x, y, storedWidth, storedHeight)) {
        place = {(viewWidth - width) / 2, (viewHeight - height) / 2};
        return false;
    }
    // In 64 bits: a stored place may lie anywhere in the 32-bit range.
    const int64_t reach = std::min(kReachablePixels, std::max(width, 1));
    const int64_t left = std::clamp<int64_t>(x, reach - width, std::max<int64_t>(viewWidth - reach, reach - width));
    const int64_t top = std::clamp<int64_t>(y, 0, std::max(viewHeight - titleHeight, 0));
    place = {static_cast<int>(left), static_cast<int>(top)};
    return true;
}
