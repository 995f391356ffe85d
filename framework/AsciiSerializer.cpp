#include "framework/AsciiSerializer.h"

#include "framework/Color.h"
#include "framework/Debug.h"
#include "framework/File.h"
#include "framework/Object.h"
#include "framework/Quaternion.h"
#include "framework/Vector.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// A damaged file can hold a problem on every line; the log gets the first few.
constexpr int kMaxWarnings = 20;

std::string FormatText(const char* format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (needed <= 0)
        return {};
    std::string text(static_cast<size_t>(needed), '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, args);
    return text;
}

std::string FormatFloats(const float* values, int count)
{
    std::string text;
    char buffer[64];
    for (int i = 0; i < count; ++i) {
        // "%f" of the largest float needs 46 characters.
        std::snprintf(buffer, sizeof buffer, "%f", static_cast<double>(values[i]));
        if (i)
            text += ' ';
        text += buffer;
    }
    return text;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

}  // namespace

AsciiSerializer::AsciiSerializer(File* file, bool writing) : m_file(file), m_writing(writing)
{
    m_sections.emplace_back();
    m_cursors.push_back({0});
    if (!m_file) {
        LogError("AsciiSerializer::AsciiSerializer: no file to %s\n", writing ? "write" : "read");
        return;
    }
    if (!m_writing)
        Parse();
}

AsciiSerializer::~AsciiSerializer()
{
    if (m_writing && m_depth > 0)
        LogWarning("AsciiSerializer::~AsciiSerializer: %d section(s) left open\n", m_depth);
}

void AsciiSerializer::Warn(const char* format, ...)
{
    ++m_warnings;
    if (m_warnings > kMaxWarnings + 1)
        return;
    if (m_warnings == kMaxWarnings + 1) {
        LogWarning("AsciiSerializer: further problems in this property table are not reported\n");
        return;
    }
    va_list args;
    va_start(args, format);
    std::string text = FormatText(format, args);
    va_end(args);
    LogWarning("%s", text.c_str());
}

// ---------------------------------------------------------------------------------
// Reading

void AsciiSerializer::Parse()
{
    // Room for the longest line and its line feed: a line without one was cut.
    char line[kMaxLineLength + 2];
    int lineNumber = 0;
    int current = 0;
    int depth = 0;
    bool done = false;
    while (!done) {
        line[0] = '\0';
        if (!m_file->ReadLine(line, sizeof line))
            break;
        ++lineNumber;
        size_t length = std::strlen(line);
        bool ended = length > 0 && line[length - 1] == '\n';
        if (ended)
            line[--length] = '\0';
        if (length > kMaxLineLength) {
            Warn("AsciiSerializer::Parse: table line %d is longer than %zu characters; the rest is skipped\n",
                 lineNumber, kMaxLineLength);
            line[kMaxLineLength] = '\0';
            length = kMaxLineLength;
            // Were the rest read as a line of its own, it could open or close a section.
            char rest[kMaxLineLength + 2];
            while (!ended && m_file->ReadLine(rest, sizeof rest)) {
                const size_t restLength = std::strlen(rest);
                ended = restLength > 0 && rest[restLength - 1] == '\n';
            }
        }
        while (length > 0 && line[length - 1] == '\r')
            line[--length] = '\0';
        ParseLine(line, lineNumber, current, depth, done);
    }
    if (!done && depth > 0)
        Warn("AsciiSerializer::Parse: the text ends inside %d open section(s)\n", depth);
    m_lines = lineNumber;
}

int32_t AsciiSerializer::GetListCapacity() const
{
    return std::min(m_lines, kMaxListItems);
}

void AsciiSerializer::ParseLine(const char* line, int lineNumber, int& current, int& depth, bool& done)
{
    // Only spaces indent; a line indented with a tab is not a table line.
    const char* p = line;
    while (*p == ' ')
        ++p;

    if (*p == '[') {
        Section section;
        section.parent = current;
        const char* typeStart = p + 1;
        const char* typeEnd = std::strchr(typeStart, ']');
        if (!typeEnd) {
            Warn("AsciiSerializer::Parse: table line %d: section header without \"]\"\n", lineNumber);
            section.type = typeStart;
        } else {
            section.type.assign(typeStart, typeEnd);
            const char* open = std::strchr(typeEnd + 1, '"');
            const char* close = open ? std::strrchr(open + 1, '"') : nullptr;
            if (!open)
                Warn("AsciiSerializer::Parse: table line %d: section header without instance name\n", lineNumber);
            else if (!close)
                Warn("AsciiSerializer::Parse: table line %d: instance name without closing quote\n", lineNumber);
            if (open)
                section.instance = close ? std::string(open + 1, close) : std::string(open + 1);
        }
        // Opened even when damaged, so that its "}" does not close the section around it.
        int index = static_cast<int>(m_sections.size());
        m_sections.push_back(std::move(section));
        m_sections[current].children.push_back(index);
        current = index;
        ++depth;
        return;
    }

    if (*p == '}') {
        if (depth == 0) {
            Warn("AsciiSerializer::Parse: table line %d: \"}\" outside any section is ignored\n", lineNumber);
            return;
        }
        current = m_sections[current].parent;
        if (--depth == 0)
            done = true;
        return;
    }

    if (*p == '"') {
        const char* keyStart = p + 1;
        const char* keyEnd = std::strchr(keyStart, '"');
        if (!keyEnd) {
            Warn("AsciiSerializer::Parse: table line %d: key without closing quote is ignored\n", lineNumber);
            return;
        }
        Entry entry;
        entry.key.assign(keyStart, keyEnd);
        entry.value = keyEnd + 1;
        m_sections[current].entries.push_back(std::move(entry));
    }
    // Anything else ("{", "class type:" lines, comments) carries nothing for the table.
}

const std::string* AsciiSerializer::FindValue(const char* key)
{
    Cursor& cursor = m_cursors.back();
    if (cursor.section < 0 || !key)
        return nullptr;
    std::vector<Entry>& entries = m_sections[static_cast<size_t>(cursor.section)].entries;
    for (size_t i = cursor.firstUnreadEntry; i < entries.size(); ++i) {
        Entry& entry = entries[i];
        if (entry.used || entry.key != key)
            continue;
        entry.used = true;
        while (cursor.firstUnreadEntry < entries.size() && entries[cursor.firstUnreadEntry].used)
            ++cursor.firstUnreadEntry;
        return &entry.value;
    }
    return nullptr;
}

bool AsciiSerializer::ReadFloats(const char* name, float* out, int count)
{
    const std::string* value = FindValue(name);
    if (!value)
        return false;
    float parsed[4];
    const char* p = value->c_str();
    for (int i = 0; i < count; ++i) {
        char* end = nullptr;
        parsed[i] = std::strtof(p, &end);
        // strtof takes "nan" and "inf" too; no field is meant to hold them.
        if (end == p || !std::isfinite(parsed[i])) {
            Warn("AsciiSerializer: \"%s\" needs %d finite number(s), found \"%s\"; value kept\n", name, count,
                 value->c_str());
            return false;
        }
        p = end;
    }
    std::memcpy(out, parsed, sizeof(float) * static_cast<size_t>(count));
    return true;
}

// ---------------------------------------------------------------------------------
// Writing

void AsciiSerializer::WriteLine(const std::string& text)
{
    if (!m_file)
        return;
    std::string line(static_cast<size_t>(m_depth), ' ');
    line += text;
    if (line.size() > kMaxLineLength)
        Warn("AsciiSerializer: a line of %zu characters is written; only %zu will read back\n", line.size(),
             kMaxLineLength);
    line += '\n';
    if (m_file->Write(line.data(), line.size()) != line.size())
        Warn("AsciiSerializer: could not write \"%s\"\n", text.c_str());
}

std::string AsciiSerializer::Quoted(const char* text)
{
    std::string quoted = "\"";
    quoted += text ? text : "";
    // A line break inside a value would end the line early, and the rest of the value
    // would be read as table lines of its own.
    bool broken = false;
    for (size_t i = 1; i < quoted.size(); ++i) {
        if (quoted[i] == '\n' || quoted[i] == '\r') {
            quoted[i] = ' ';
            broken = true;
        }
    }
    if (broken)
        Warn("AsciiSerializer: line break written as a blank in \"%s\"\n", quoted.c_str() + 1);
    quoted += '"';
    return quoted;
}

void AsciiSerializer::WriteEntry(const char* name, const std::string& valueText)
{
    WriteLine(Quoted(name) + " " + valueText);
}

// ---------------------------------------------------------------------------------
// Property calls

void AsciiSerializer::SerializeQuaternion(const char* name, Quaternion* value)
{
    if (!value)
        return;
    float f[4] = {value->w, value->x, value->y, value->z};
    if (m_writing) {
        WriteEntry(name, FormatFloats(f, 4));
    } else if (ReadFloats(name, f, 4)) {
        *value = Quaternion(f[0], f[1], f[2], f[3]);
    }
}

void AsciiSerializer::SerializeColor(const char* name, Color* value)
{
    if (!value)
        return;
    float f[4] = {value->r, value->g, value->b, value->a};
    if (m_writing) {
        WriteEntry(name, FormatFloats(f, 4));
    } else if (ReadFloats(name, f, 4)) {
        value->Set(f[0], f[1], f[2], f[3]);
    }
}

void AsciiSerializer::SerializeVector3(const char* name, Vector3* value)
{
    if (!value)
        return;
    float f[3] = {value->x, value->y, value->z};
    if (m_writing) {
        WriteEntry(name, FormatFloats(f, 3));
    } else if (ReadFloats(name, f, 3)) {
        value->Set(f[0], f[1], f[2]);
    }
}

void AsciiSerializer::SerializeString(const char* name, std::string* value)
{
    if (!value)
        return;
    if (m_writing) {
        WriteEntry(name, Quoted(value->c_str()));
        return;
    }
    const std::string* text = FindValue(name);
    if (!text)
        return;
    size_t begin = 0;
    size_t end = text->size();
    while (begin < end && IsBlank((*text)[begin]))
        ++begin;
    while (end > begin && IsBlank((*text)[end - 1]))
        --end;
    if (begin == end) {
        Warn("AsciiSerializer::SerializeString: \"%s\" has no value; value kept\n", name);
        return;
    }
    if ((*text)[begin] != '"') {
        Warn("AsciiSerializer::SerializeString: \"%s\" value without quotes\n", name);
        value->assign(*text, begin, end - begin);
        return;
    }
    // Quotes inside a value are not escaped, so the value runs to the last quote.
    size_t close = text->rfind('"');
    if (close == begin) {
        Warn("AsciiSerializer::SerializeString: \"%s\" value without closing quote\n", name);
        value->assign(*text, begin + 1, end - begin - 1);
        return;
    }
    value->assign(*text, begin + 1, close - begin - 1);
}

void AsciiSerializer::SerializeBool(const char* name, bool* value)
{
    if (!value)
        return;
    int32_t number = *value ? 1 : 0;
    SerializeInt(name, &number);
    if (!m_writing)
        *value = number != 0;
}

void AsciiSerializer::SerializeFloat(const char* name, float* value)
{
    if (!value)
        return;
    if (m_writing)
        WriteEntry(name, FormatFloats(value, 1));
    else
        ReadFloats(name, value, 1);
}

void AsciiSerializer::SerializeInt(const char* name, int32_t* value)
{
    if (!value)
        return;
    if (m_writing) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%d", static_cast<int>(*value));
        WriteEntry(name, buffer);
        return;
    }
    const std::string* text = FindValue(name);
    if (!text)
        return;
    const char* start = text->c_str();
    char* end = nullptr;
    errno = 0;
    long long number = std::strtoll(start, &end, 10);
    if (end == start) {
        Warn("AsciiSerializer::SerializeInt: \"%s\" is not a number: \"%s\"; value kept\n", name, start);
        return;
    }
    if (errno == ERANGE || number < INT32_MIN || number > INT32_MAX) {
        Warn("AsciiSerializer::SerializeInt: \"%s\" is out of range: \"%s\"; limited\n", name, start);
        number = number < 0 ? INT32_MIN : INT32_MAX;
    }
    *value = static_cast<int32_t>(number);
}

void AsciiSerializer::SerializeObject(const char* name, Object* object)
{
    if (m_writing && object)
        WriteLine("class type: " + Quoted(ClassNameOf(*object).c_str()));
    Serializer::SerializeObject(name, object);
}

void AsciiSerializer::BeginSection(const char* type, const char* instance)
{
    if (!type)
        type = "";
    if (!instance)
        instance = "";
    if (m_writing) {
        // The type may not hold a line break either; Quoted mends and reports it.
        std::string quotedType = Quoted(type);
        WriteLine("[" + quotedType.substr(1, quotedType.size() - 2) + "] " + Quoted(instance));
        WriteLine("{");
        ++m_depth;
        return;
    }

    Cursor& cursor = m_cursors.back();
    const int found = FindChild(type, instance);
    if (found >= 0) {
        m_sections[static_cast<size_t>(found)].used = true;
        const std::vector<int>& children = m_sections[static_cast<size_t>(cursor.section)].children;
        while (cursor.firstUnreadChild < children.size() &&
               m_sections[static_cast<size_t>(children[cursor.firstUnreadChild])].used)
            ++cursor.firstUnreadChild;
    }
    // A section missing from the file still opens, empty, so EndSection stays paired.
    m_cursors.push_back({found});
}

int AsciiSerializer::FindChild(const char* type, const char* instance) const
{
    const Cursor& cursor = m_cursors.back();
    if (cursor.section < 0)
        return -1;
    const bool anyInstance = !m_anyInstance.empty() && m_anyInstance == instance;
    const std::vector<int>& children = m_sections[static_cast<size_t>(cursor.section)].children;
    for (size_t i = cursor.firstUnreadChild; i < children.size(); ++i) {
        const Section& child = m_sections[static_cast<size_t>(children[i])];
        if (!child.used && child.type == type && (child.instance == instance || anyInstance))
            return children[i];
    }
    return -1;
}

bool AsciiSerializer::HasSection(const char* type, const char* instance) const
{
    return m_writing || FindChild(type ? type : "", instance ? instance : "") >= 0;
}

void AsciiSerializer::EndSection()
{
    if (m_writing) {
        if (m_depth == 0) {
            Warn("AsciiSerializer::EndSection: no open section\n");
            return;
        }
        --m_depth;
        WriteLine("}");
        return;
    }
    if (m_cursors.size() <= 1) {
        Warn("AsciiSerializer::EndSection: no open section\n");
        return;
    }
    m_cursors.pop_back();
}
