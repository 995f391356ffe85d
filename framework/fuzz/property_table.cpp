// Reads arbitrary bytes as a property table. Besides crashes and out-of-bounds reads
// it checks that what was read writes the same text twice: reading text that the
// writer made must give back the same values.

#include "framework/AsciiSerializer.h"
#include "framework/File.h"
#include "framework/MemoryFile.h"
#include "framework/Object.h"
#include "framework/fuzz/FuzzRun.h"
#include "framework/fuzz/FuzzScalars.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

class ScratchFile : public File {
public:
    explicit ScratchFile(std::string text = {}) : m_text(std::move(text)) {}

    size_t Read(void* buffer, size_t count) override
    {
        size_t n = std::min(count, m_text.size() - m_pos);
        m_text.copy(static_cast<char*>(buffer), n, m_pos);
        m_pos += n;
        return n;
    }
    size_t Write(const void* buffer, size_t count) override
    {
        m_text.append(static_cast<const char*>(buffer), count);
        return count;
    }
    bool ReadLine(char* buffer, size_t size) override
    {
        if (m_pos >= m_text.size())
            return false;
        size_t n = 0;
        while (n + 1 < size && m_pos < m_text.size()) {
            char c = m_text[m_pos++];
            buffer[n++] = c;
            if (c == '\n')
                break;
        }
        buffer[n] = '\0';
        return true;
    }
    bool IsEof() const override { return m_pos >= m_text.size(); }
    bool Seek(int64_t offset) override
    {
        m_pos = std::min(static_cast<size_t>(offset), m_text.size());
        return true;
    }
    int64_t Tell() const override { return static_cast<int64_t>(m_pos); }
    int64_t Size() const override { return static_cast<int64_t>(m_text.size()); }
    bool Close() override { return true; }

    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
    size_t m_pos = 0;
};

// Every kind of property, nested objects made by count as the game's lists are.
struct Node : Object {
    explicit Node(int depth_) : depth(depth_) {}

    int depth;
    FuzzScalars scalars;
    std::vector<std::string> repeated;
    std::vector<std::unique_ptr<Node>> children;

    void Serialize(Serializer& s, const char* descriptor) override
    {
        s.BeginSection("Node", descriptor);
        scalars.Serialize(s);
        int32_t count = static_cast<int32_t>(repeated.size());
        s.SerializeInt("num repeated", &count);
        if (s.IsReading())
            repeated.resize(static_cast<size_t>(std::clamp(count, 0, 16)));
        for (std::string& item : repeated)
            s.SerializeString("item", &item);
        count = static_cast<int32_t>(children.size());
        s.SerializeInt("num children", &count);
        if (s.IsReading()) {
            children.clear();
            for (int32_t i = 0; depth < 4 && i < std::min(count, 4); ++i)
                children.push_back(std::make_unique<Node>(depth + 1));
        }
        for (auto& child : children)
            s.SerializeObject("child", child.get());
        s.EndSection();
    }
};

std::string WriteText(Node& node)
{
    ScratchFile file;
    {
        AsciiSerializer writer(&file, true);
        writer.SerializeObject("root", &node);
    }
    return file.Text();
}

// Plain disk files keep the line feed in their lines; archive entries do not. With
// anyInstance the root is read as pasted settings are, from a section of any instance name.
void Check(File& input, bool anyInstance)
{
    Node first(0);
    {
        AsciiSerializer reader(&input, false);
        reader.SetAnyInstanceName(anyInstance ? "root" : nullptr);
        reader.SerializeObject("root", &first);
    }
    std::string once = WriteText(first);
    // A value read from a line of full length can come out longer when written deeper
    // in; such text cannot read back whole, and the writer says so.
    size_t lineStart = 0;
    while (lineStart < once.size()) {
        size_t lineEnd = once.find('\n', lineStart);
        if (lineEnd - lineStart > AsciiSerializer::kMaxLineLength)
            return;
        lineStart = lineEnd + 1;
    }

    ScratchFile again(once);
    Node second(0);
    {
        AsciiSerializer reader(&again, false);
        reader.SerializeObject("root", &second);
    }
    if (WriteText(second) != once)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzBeginRun();
    ScratchFile plain(std::string(reinterpret_cast<const char*>(data), size));
    Check(plain, false);
    MemoryFile archived(std::vector<uint8_t>(data, data + size), true);
    // Either reading suits the check; the input's size picks one, so both are explored.
    Check(archived, size % 2 == 1);
    return 0;
}
