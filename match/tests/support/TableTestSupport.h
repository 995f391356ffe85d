#pragma once

// Property tables in memory for the settings tests: write an object's table to text, read
// text into an object, give every entry of a table a new value of its own, and list the
// editor hints that come before its entries.

#include "framework/AsciiSerializer.h"
#include "framework/Color.h"
#include "framework/Object.h"
#include "framework/Quaternion.h"
#include "framework/Vector.h"
#include "framework/tests/support/StringFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace table_test {

inline std::string Write(Object& object, const char* descriptor = "")
{
    StringFile file;
    AsciiSerializer writer(&file, true);
    object.Serialize(writer, descriptor);
    return file.text;
}

inline void Read(Object& object, const std::string& text, const char* descriptor = "")
{
    MemoryFile file = TextFile(text);
    AsciiSerializer reader(&file, false);
    object.Serialize(reader, descriptor);
}

// The keys of the table lines, in file order.
inline std::vector<std::string> Keys(const std::string& text)
{
    std::vector<std::string> keys;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const size_t quote = text.find_first_not_of(' ', start);
        if (quote < end && text[quote] == '"') {
            const size_t close = text.find('"', quote + 1);
            if (close < end)
                keys.push_back(text.substr(quote + 1, close - quote - 1));
        }
        start = end + 1;
    }
    return keys;
}

// Describes itself as a writer, so that an object's Serialize takes none of its reading
// steps, and changes each value it is shown by a step that grows with each entry, so that
// two entries never end up with the same change.
class Changer : public Serializer {
public:
    bool IsWriting() const override { return true; }
    void SerializeQuaternion(const char*, Quaternion* v) override { v->w += Step(); }
    void SerializeColor(const char*, Color* v) override { v->r += Step(); }
    void SerializeVector3(const char*, Vector3* v) override { v->x += Step(); }
    void SerializeString(const char*, std::string* v) override { *v += "~" + std::to_string(++m_count); }
    void SerializeBool(const char*, bool* v) override
    {
        ++m_count;
        *v = !*v;
    }
    void SerializeFloat(const char*, float* v) override { *v += Step(); }
    void SerializeInt(const char*, int32_t* v) override { *v += static_cast<int32_t>(Step() * 4); }
    void BeginSection(const char*, const char*) override {}
    void EndSection() override {}

private:
    float Step() { return 0.25f * static_cast<float>(++m_count); }
    int m_count = 0;
};

// The editor hints of a table, each as "hint: key" for the entry that follows it.
class HintRecorder : public Changer {
public:
    void SerializeButton(const char* option, const char* second) override
    {
        EXPECT_STREQ(second, "");
        m_pending = option;
    }
    void SerializeFloat(const char* key, float*) override { Note(key); }
    void SerializeString(const char* key, std::string*) override { Note(key); }
    void SerializeInt(const char* key, int32_t*) override { Note(key); }
    void SerializeBool(const char* key, bool*) override { Note(key); }
    void SerializeQuaternion(const char* key, Quaternion*) override { Note(key); }

    std::vector<std::string> hinted;

private:
    void Note(const char* key)
    {
        if (!m_pending.empty())
            hinted.push_back(m_pending + ": " + key);
        m_pending.clear();
    }
    std::string m_pending;
};

inline std::vector<std::string> Hints(Object& object)
{
    HintRecorder recorder;
    object.Serialize(recorder, "");
    return recorder.hinted;
}

inline void ChangeEveryValue(Object& object)
{
    Changer changer;
    object.Serialize(changer, "");
}

}  // namespace table_test
