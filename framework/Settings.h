#pragma once

#include "framework/Singleton.h"

#include <memory>
#include <string>
#include <vector>

// One settings file: a key and its value per line, optionally grouped as
//   SECTION <name>
//   key value...
//   ENDSECTION
// Lines starting with "#" or "//" and blank lines are ignored. The key is the first
// token; the value is the rest of the line, trimmed. Keys are compared exactly and may
// occur several times; "index" counts their occurrences from 0.
class Settings {
public:
    struct Entry {
        std::string section;  // empty outside any section
        std::string key;
        std::string value;
    };

    // Reads the file through the file layer (archive first). "Settings::Load could not open
    // file <%s>" when it cannot be opened.
    bool Load(const char* file);
    // Parses text already in memory; name only labels log lines.
    void Parse(const char* text, size_t size, const char* name);
    void Clear();

    // The whole value of the index-th occurrence of the key, or null. With a section,
    // only entries of that section count.
    const std::string* GetRaw(const char* key, int index = 0, const char* section = nullptr) const;
    // The first token of the value; empty or 0 when absent. A value that is no finite
    // number reads as 0; "nan" and "inf" are warned about.
    std::string GetString(const char* key, int index = 0, const char* section = nullptr) const;
    float GetFloat(const char* key, int index = 0, const char* section = nullptr) const;
    // The whole value of the index-th occurrence; false when there is no such occurrence.
    bool FindValue(std::string& out, const char* key, int index = 0, const char* section = nullptr) const;

    const std::string& GetFileName() const { return m_fileName; }
    const std::vector<Entry>& GetEntries() const { return m_entries; }

private:
    std::string m_fileName;
    std::vector<Entry> m_entries;
};

// The settings files the program has loaded ("data\pc\config.txt" first among them).
// A key is looked up in the files in the order they were loaded; without a section any
// section matches.
class SettingsManager : public Singleton<SettingsManager> {
public:
    // Loading a file again replaces its earlier contents. "SettingsManager::LoadSettings:
    // could not load settings <%s>" when it is missing.
    bool LoadSettings(const char* file);
    void UnloadAll();

    // The whole value (empty when absent).
    std::string GetString(const char* key, const char* section = nullptr);
    int GetInt(const char* key, const char* section = nullptr);      // 0 when absent
    bool GetBool(const char* key, const char* section = nullptr);    // "1"/"true"; false when absent
    // 0 when absent or no finite number ("nan" and "inf" are warned about).
    float GetFloat(const char* key, const char* section = nullptr);

    // The value, or null when no loaded file has the key.
    const std::string* Find(const char* key, const char* section = nullptr) const;
    size_t GetFileCount() const { return m_files.size(); }

private:
    std::vector<std::unique_ptr<Settings>> m_files;
};
