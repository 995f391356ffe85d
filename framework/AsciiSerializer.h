#pragma once

#include "framework/Serializer.h"

#include <cstddef>
#include <string>
#include <vector>

class File;

// Property tables as text:
//
//   [GameParameters] "Game Parameters"
//   {
//    "SFX Volume" 10
//    "Camera_0" ""
//   }
//
// Writing goes straight to the file, call by call. Reading parses the file once, when
// the serializer is made: from the file's current position up to the "}" that closes the
// outermost section (or the end of the file). The file is left just after that line, so
// a cast file can be read block after block.
class AsciiSerializer : public Serializer {
public:
    // Longer lines are cut; their rest is skipped.
    static constexpr size_t kMaxLineLength = 999;

    AsciiSerializer(File* file, bool writing);
    ~AsciiSerializer() override;

    AsciiSerializer(const AsciiSerializer&) = delete;
    AsciiSerializer& operator=(const AsciiSerializer&) = delete;

    bool IsWriting() const override { return m_writing; }

    // Reading: a section asked for under this instance name is the first unread section of
    // its type, whatever instance name it was saved under. Null switches it off.
    void SetAnyInstanceName(const char* instance) { m_anyInstance = instance ? instance : ""; }

    void SerializeQuaternion(const char* name, Quaternion* value) override;
    void SerializeColor(const char* name, Color* value) override;
    void SerializeVector3(const char* name, Vector3* value) override;
    void SerializeString(const char* name, std::string* value) override;
    void SerializeBool(const char* name, bool* value) override;
    void SerializeFloat(const char* name, float* value) override;
    void SerializeInt(const char* name, int32_t* value) override;
    void SerializeObject(const char* name, Object* object) override;
    void BeginSection(const char* type, const char* instance) override;
    void EndSection() override;
    bool HasSection(const char* type, const char* instance) const override;
    // The table's lines: no list in it can have more items.
    int32_t GetListCapacity() const override;

private:
    struct Entry {
        std::string key;
        std::string value;  // the rest of the line after the key's closing quote
        bool used = false;
    };
    struct Section {
        std::string type;
        std::string instance;
        int parent = -1;
        std::vector<Entry> entries;
        std::vector<int> children;
        bool used = false;
    };
    // Every entry and section is read at most once, and a search takes the first unread
    // match in file order: repeated keys and sections come in the order written, and
    // keys read in another order than written are still found.
    struct Cursor {
        int section;  // -1: the section asked for is not in the file
        size_t firstUnreadEntry = 0;  // all before it are read
        size_t firstUnreadChild = 0;
    };

    void Parse();
    // The first unread child of the current section of that type and instance name; -1 when
    // there is none.
    int FindChild(const char* type, const char* instance) const;
    void ParseLine(const char* line, int lineNumber, int& current, int& depth, bool& done);
    // The value text of the first unread entry with that key in the current section.
    const std::string* FindValue(const char* key);
    bool ReadFloats(const char* name, float* out, int count);

    void WriteLine(const std::string& text);
    void WriteEntry(const char* name, const std::string& valueText);
    std::string Quoted(const char* text);
    void Warn(const char* format, ...) __attribute__((format(printf, 2, 3)));

    File* m_file;
    bool m_writing;
    int m_depth = 0;  // writing: open sections
    int m_warnings = 0;
    int32_t m_lines = 0;  // reading: the table lines read
    std::string m_anyInstance;

    std::vector<Section> m_sections;  // reading: [0] holds what stands outside any section
    std::vector<Cursor> m_cursors;
};
