#pragma once

#include "editor/RegistryFile.h"

#include <cstdint>
#include <string>

// The file that stands in for the user's registry key "software\TB\WindowPositions",
// beside the user's save files.
constexpr const char* kWindowPositionsFile = "Data\\SaveGames\\WindowPositions.txt";

struct WindowPlace {
    int x = 0, y = 0;
};

// Where one editor window was left, as pixels from the game view's top-left. The record is
// 20 bytes: x, y, width, height and their sum (with 32-bit wrap-around) as a check, each
// little-endian. A window calls Set and Save when a move ends and Restore when it opens.
class WindowPosition {
public:
    static constexpr size_t kRecordBytes = 20;
    // Of a restored window at least this much of the title bar stays inside the view.
    static constexpr int kReachablePixels = 40;

    // The value name is the window's ("Control Panel"). A key that cannot be opened makes
    // every later Save and Load fail quietly.
    explicit WindowPosition(const std::string& valueName, const std::string& file = kWindowPositionsFile);
    virtual ~WindowPosition() = default;

    // Takes the window's place and size and recomputes the check; nothing is written yet.
    void Set(int x, int y, int width, int height);
    // False without a key or when the file cannot be written.
    bool Save();
    static bool IsValid(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t check);
    // False unless the value exists, has exactly 20 bytes and a matching check.
    bool Load(int& x, int& y, int& width, int& height) const;

    // Where a window of the given size opens in a view of the given size: the stored
    // place, moved just enough that the title bar (titleHeight high) can still be grabbed;
    // centred on the view when Load fails (then false). The stored size is never applied
    // and the stored bytes stay as they are.
    bool Restore(int width, int height, int viewWidth, int viewHeight, int titleHeight, WindowPlace& place) const;

    const std::string& GetValueName() const { return m_valueName; }

private:
    int32_t m_x = 0, m_y = 0, m_width = 0, m_height = 0;
    uint32_t m_check = 0;
    std::string m_valueName;
    RegistryFile m_key;
};
