#pragma once

#include "framework/Singleton.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Every text the player sees, by number. A number may carry several lines (credits, long
// descriptions): line 0 is the first loaded for it, line 1 the next, and so on.
class TextManager : public Singleton<TextManager> {
public:
    // The text a lookup gives for a number or line the table does not hold.
    static constexpr const char* kNotFound = "**TEXT*NOT*FOUND***";
    // Longer lines keep this many characters.
    static constexpr size_t kMaxLineLength = 9999;

    // Adds the records of a "number;text" table to those already held. A missing file logs
    // "could not open text file: %s" and adds nothing.
    void LoadTextFile(const char* fileName);
    // The same over bytes already in memory; name only labels log lines.
    void LoadText(const char* data, size_t size, const char* name);

    // The text of that line of the number, or kNotFound (logged) when there is none.
    std::string GetText(int32_t number, int line = 0) const;
    // True when the number has at least line + 1 lines (any line below 1 asks only that the
    // number exists).
    bool HasText(int32_t number, int line = 0) const;
    // Each number held, once, ascending.
    std::vector<int32_t> GetTextNumbers() const;
    size_t GetEntryCount() const { return m_texts.size(); }
    // The names of the files read since the last Clear, in load order, as they were given.
    const std::vector<std::string>& GetLoadedFiles() const { return m_files; }
    bool Clear();

private:
    void AddRecord(const std::string& line);

    // Equal numbers keep their load order: that order is their line number.
    std::multimap<int32_t, std::string> m_texts;
    std::vector<std::string> m_files;
};
