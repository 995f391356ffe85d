#include "framework/Cast.h"

#include "framework/AsciiSerializer.h"
#include "framework/CryptedStdFile.h"
#include "framework/Debug.h"
#include "framework/Factory.h"
#include "framework/FileSystem.h"
#include "framework/MemoryFile.h"
#include "framework/Message.h"
#include "framework/Object.h"

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <unordered_map>

// ---------------------------------------------------------------------------------
// Cast

Cast::Cast(const char* name) : m_name(name ? name : "") {}

Cast::~Cast()
{
    std::vector<std::unique_ptr<CastMember>> members;
    members.swap(m_members);
    for (auto& member : members)
        if (member->owned)
            delete member->object;
}

CastMember* Cast::AddMember(Object* object, const char* name, bool owned)
{
    if (!object) {
        LogError("Cast::AddMember: no object for \"%s\" in cast %s\n", name ? name : "", m_name.c_str());
        return nullptr;
    }
    auto member = std::make_unique<CastMember>();
    member->object = object;
    member->owned = owned;
    member->name = name ? name : "";
    object->SetName(member->name.c_str());
    m_members.push_back(std::move(member));
    return m_members.back().get();
}

CastMember* Cast::AddDynamicMember(Object* object, const char* name)
{
    CastMember* member = AddMember(object, name, true);
    if (member)
        member->dynamic = true;
    return member;
}

CastMember* Cast::FindByName(const char* name, int n) const
{
    if (!name || n < 0)
        return nullptr;
    for (const auto& member : m_members) {
        const char* objectName = member->object->GetName();
        if (objectName && std::strcmp(objectName, name) == 0 && n-- == 0)
            return member.get();
    }
    return nullptr;
}

bool Cast::RemoveMember(Object* object)
{
    if (!object)
        return false;
    for (auto it = m_members.begin(); it != m_members.end(); ++it) {
        if ((*it)->object != object)
            continue;
        const bool owned = (*it)->owned;
        m_members.erase(it);
        object->SetName(nullptr);
        if (owned)
            delete object;
        return true;
    }
    return false;
}

void Cast::Clear()
{
    // Taken out first: an object's destructor or a listener may use the cast again.
    std::vector<std::unique_ptr<CastMember>> members;
    members.swap(m_members);
    for (auto& member : members)
        if (member->owned)
            delete member->object;
    members.clear();
    MessageServer* server = MessageServer::Instance();
    server->SendMessage(0, server->RegisterMessage("cast clear"), 0);
}

CastMember* Cast::GetMember(int index) const
{
    if (index < 0 || index >= GetMemberCount())
        return nullptr;
    return m_members[static_cast<size_t>(index)].get();
}

// ---------------------------------------------------------------------------------
// CastManager

CastManager::CastManager() = default;

CastManager::~CastManager() = default;

Cast* CastManager::GetCast(const char* name) const
{
    if (!name)
        return nullptr;
    for (const auto& cast : m_casts)
        if (cast->GetName() == name)
            return cast.get();
    return nullptr;
}

Cast* CastManager::CreateCast(const char* name)
{
    if (Cast* existing = GetCast(name ? name : ""))
        return existing;
    m_casts.push_back(std::make_unique<Cast>(name));
    return m_casts.back().get();
}

void CastManager::DeleteAll()
{
    std::vector<std::unique_ptr<Cast>> casts;
    casts.swap(m_casts);
    casts.clear();
}

Cast* CastManager::GetCastAt(int index) const
{
    if (index < 0 || index >= GetCastCount())
        return nullptr;
    return m_casts[static_cast<size_t>(index)].get();
}

Object* CastManager::FindObject(const char* path) const
{
    if (!path)
        return nullptr;
    const char* bar = std::strchr(path, '|');
    if (!bar || bar == path || bar[1] == '\0')
        return nullptr;
    const Cast* cast = GetCast(std::string(path, bar).c_str());
    if (!cast)
        return nullptr;
    const CastMember* member = cast->FindByName(bar + 1, 0);
    return member ? member->object : nullptr;
}

void CastManager::Dump() const
{
    DebugTrace("CastManager: %d cast(s)\n", GetCastCount());
    for (const auto& cast : m_casts) {
        DebugTrace(" cast \"%s\": %d member(s)\n", cast->GetName().c_str(), cast->GetMemberCount());
        for (int i = 0; i < cast->GetMemberCount(); ++i) {
            const CastMember* member = cast->GetMember(i);
            DebugTrace("  %s (%s)%s%s\n", member->name.c_str(), ClassNameOf(*member->object).c_str(),
                       member->owned ? " owned" : "", member->dynamic ? " dynamic" : "");
        }
    }
}

// ---------------------------------------------------------------------------------
// Cast files

namespace {

constexpr const char* kObjectStart = "OBJECT START";
constexpr const char* kDynamicObjectStart = "DYNAMIC OBJECT START";
constexpr const char* kNameRule = "# ------------------------------------------------ ";

// A damaged file can be damaged in every block; the log gets the first few.
constexpr int kMaxReportedProblems = 20;

struct Line {
    size_t begin;  // first character after the leading blanks
    size_t end;    // before the line feed and any trailing blanks
    size_t start;  // the line's first byte
};

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

std::vector<Line> SplitLines(const std::vector<uint8_t>& bytes)
{
    std::vector<Line> lines;
    const char* text = reinterpret_cast<const char*>(bytes.data());
    size_t pos = 0;
    while (pos < bytes.size()) {
        const void* found = std::memchr(text + pos, '\n', bytes.size() - pos);
        const size_t lineEnd = found ? static_cast<size_t>(static_cast<const char*>(found) - text) : bytes.size();
        Line line{pos, lineEnd, pos};
        while (line.begin < line.end && IsBlank(text[line.begin]))
            ++line.begin;
        while (line.end > line.begin && IsBlank(text[line.end - 1]))
            --line.end;
        lines.push_back(line);
        pos = lineEnd + 1;
    }
    return lines;
}

// The text between the first and the last double quote after start, as the table
// reader takes instance names; false without a quote.
bool QuotedText(std::string_view text, size_t start, std::string& out)
{
    const size_t open = text.find('"', start);
    if (open == std::string_view::npos)
        return false;
    const size_t close = text.rfind('"');
    out.assign(text.substr(open + 1, close > open ? close - open - 1 : std::string_view::npos));
    return true;
}

class CastReader {
public:
    // needsObject: a file with no object at all is damaged, not only an empty one.
    CastReader(Cast& cast, const char* file, FactoryRegistry& registry, bool needsObject)
        : m_cast(cast), m_file(file), m_registry(registry), m_needsObject(needsObject)
    {
        for (int i = 0; i < cast.GetMemberCount(); ++i) {
            CastMember* member = cast.GetMember(i);
            if (member->dynamic)
                m_earlierDynamic[member->name].push_back(member);
        }
    }

    // False when any block was damaged or skipped.
    bool Read(const std::vector<uint8_t>& bytes)
    {
        m_text = std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        m_lines = SplitLines(bytes);

        std::vector<size_t> markers;
        for (size_t i = 0; i < m_lines.size(); ++i)
            if (MarkerKind(i) != Kind::None)
                markers.push_back(i);

        const size_t firstBlock = markers.empty() ? m_lines.size() : markers.front();
        const size_t firstName = markers.empty() ? firstBlock : NameLineBefore(firstBlock, 0);
        for (size_t i = 0; i < firstName; ++i) {
            if (!LineText(i).empty() && LineText(i)[0] != '#') {
                Problem("LoadSettings: %s: line %zu stands outside any object and is ignored\n", m_file,
                        i + 1);
                break;
            }
        }

        // A zero-byte file (a save cut off at its start) is as damaged as a broken one; a data
        // file of comments alone was written to change nothing, but a player's file never is.
        if (markers.empty() && (bytes.empty() || m_needsObject) && HasFixedMember())
            Problem("LoadSettings: %s holds no object; the cast keeps its values\n", m_file);

        for (size_t k = 0; k < markers.size(); ++k) {
            const size_t marker = markers[k];
            const size_t previousEnd = k == 0 ? 0 : markers[k - 1] + 1;
            size_t last = m_lines.size();
            if (k + 1 < markers.size())
                last = NameLineBefore(markers[k + 1], marker + 1);
            std::string name;
            const size_t nameLine = NameLineBefore(marker, previousEnd);
            if (nameLine < marker)
                name = CommentName(nameLine);
            ReadBlock(MarkerKind(marker), marker, last, name);
        }

        if (m_problems > kMaxReportedProblems)
            LogWarning("LoadSettings: %s: %d more problem(s) not reported\n", m_file,
                       m_problems - kMaxReportedProblems);
        return m_problems == 0;
    }

private:
    enum class Kind { None, Object, Dynamic };

    std::string_view LineText(size_t i) const
    {
        return m_text.substr(m_lines[i].begin, m_lines[i].end - m_lines[i].begin);
    }

    Kind MarkerKind(size_t i) const
    {
        const std::string_view text = LineText(i);
        if (text == kObjectStart)
            return Kind::Object;
        if (text == kDynamicObjectStart)
            return Kind::Dynamic;
        return Kind::None;
    }

    // The name from a "# ---- name" line, or empty when the line is not one.
    std::string CommentName(size_t i) const
    {
        const std::string_view text = LineText(i);
        if (text.empty() || text[0] != '#')
            return {};
        size_t p = 1;
        while (p < text.size() && text[p] == ' ')
            ++p;
        const size_t dashes = p;
        while (p < text.size() && text[p] == '-')
            ++p;
        if (p == dashes || p >= text.size() || text[p] != ' ')
            return {};
        return std::string(text.substr(p + 1));
    }

    // The "# ---- name" line just before the marker (blank lines between allowed), not
    // before floor; the marker itself when there is none.
    size_t NameLineBefore(size_t marker, size_t floor) const
    {
        size_t i = marker;
        while (i > floor) {
            --i;
            if (LineText(i).empty())
                continue;
            return CommentName(i).empty() ? marker : i;
        }
        return marker;
    }

    void ReadBlock(Kind kind, size_t marker, size_t last, std::string name)
    {
        const size_t lineNumber = marker + 1;
        std::string className;
        bool hasClass = false;
        size_t header = last;
        for (size_t i = marker + 1; i < last; ++i) {
            const std::string_view text = LineText(i);
            if (!text.empty() && text[0] == '[') {
                header = i;
                break;
            }
            if (!hasClass && text.substr(0, 11) == "class type:")
                hasClass = QuotedText(text, 11, className);
        }
        if (header == last) {
            Problem("LoadSettings: %s: the object at line %zu has no section; skipped\n", m_file, lineNumber);
            return;
        }
        if (name.empty()) {
            const std::string_view text = LineText(header);
            const size_t close = text.find(']');
            if (close != std::string_view::npos)
                QuotedText(text, close + 1, name);
        }
        if (name.empty()) {
            Problem("LoadSettings: %s: the object at line %zu has no name; skipped\n", m_file, lineNumber);
            return;
        }

        Object* object = nullptr;
        // A cast read again (every match reads its casts) must not gain a second copy of a
        // dynamic member: a block whose name a dynamic member held before this read updates
        // that member, each such member once, so blocks sharing a name stay apart.
        CastMember* existing = kind == Kind::Dynamic ? TakeEarlierDynamic(name) : nullptr;
        if (existing) {
            object = existing->object;
        } else if (kind == Kind::Object) {
            CastMember* member = FindMember(name);
            if (!member) {
                if (!m_cast.IsLeftOut(name))
                    Problem("LoadSettings: Object %s not found\n", name.c_str());
                return;
            }
            object = member->object;
        } else {
            if (!hasClass || className.empty()) {
                Problem("LoadSettings: %s: the dynamic object %s at line %zu has no class type; skipped\n",
                        m_file, name.c_str(), lineNumber);
                return;
            }
            object = m_registry.Create(className.c_str());
            if (!object) {
                Problem("LoadSettings: %s: unknown class \"%s\" for the dynamic object %s; skipped\n", m_file,
                        className.c_str(), name.c_str());
                return;
            }
        }

        const size_t begin = m_lines[marker + 1].start;  // a header line follows, so it exists
        const size_t end = last < m_lines.size() ? m_lines[last].start : m_text.size();
        const int reported = Debug::Instance()->GetWarningCount() + Debug::Instance()->GetErrorCount();
        {
            MemoryFile block(std::vector<uint8_t>(m_text.begin() + static_cast<ptrdiff_t>(begin),
                                                  m_text.begin() + static_cast<ptrdiff_t>(end)),
                             true);
            AsciiSerializer reader(&block, false);
            reader.SerializeObject(name.c_str(), object);
        }
        if (Debug::Instance()->GetWarningCount() + Debug::Instance()->GetErrorCount() != reported)
            Problem("LoadSettings: %s: the object %s at line %zu was read with the problems above (table line 1 "
                    "is line %zu)\n",
                    m_file, name.c_str(), lineNumber, marker + 2);

        if (kind == Kind::Dynamic && !existing) {
            CastMember* member = m_cast.AddDynamicMember(object, name.c_str());
            if (m_indexed)
                m_index.emplace(member->name, member);
        }
    }

    // A member the file is there to describe; dynamic ones come and go with their files.
    bool HasFixedMember() const
    {
        for (int i = 0; i < m_cast.GetMemberCount(); ++i)
            if (!m_cast.GetMember(i)->dynamic)
                return true;
        return false;
    }

    CastMember* TakeEarlierDynamic(const std::string& name)
    {
        auto it = m_earlierDynamic.find(name);
        if (it == m_earlierDynamic.end() || it->second.empty())
            return nullptr;
        CastMember* member = it->second.front();
        it->second.erase(it->second.begin());
        return member;
    }

    // The first member of that name. Indexed once, as a cast file names most members.
    CastMember* FindMember(const std::string& name)
    {
        if (!m_indexed) {
            m_indexed = true;
            m_index.reserve(static_cast<size_t>(m_cast.GetMemberCount()));
            for (int i = 0; i < m_cast.GetMemberCount(); ++i) {
                CastMember* member = m_cast.GetMember(i);
                m_index.emplace(member->name, member);
            }
        }
        auto it = m_index.find(name);
        return it == m_index.end() ? nullptr : it->second;
    }

    void Problem(const char* format, ...) __attribute__((format(printf, 2, 3)))
    {
        if (++m_problems > kMaxReportedProblems)
            return;
        char text[1024];
        va_list args;
        va_start(args, format);
        std::vsnprintf(text, sizeof text, format, args);
        va_end(args);
        // A cut line still ends as a line.
        const size_t length = std::strlen(text);
        if (length > 0 && text[length - 1] != '\n')
            text[length - 1] = '\n';
        LogWarning("%s", text);
    }

    Cast& m_cast;
    const char* m_file;
    FactoryRegistry& m_registry;
    std::string_view m_text;
    std::vector<Line> m_lines;
    std::unordered_map<std::string, CastMember*> m_index;
    // The dynamic members the cast held before this read, by name, in member order.
    std::unordered_map<std::string, std::vector<CastMember*>> m_earlierDynamic;
    bool m_needsObject;
    bool m_indexed = false;
    int m_problems = 0;
};

// Line breaks in a name would end the comment line early.
std::string OneLine(const std::string& text)
{
    std::string line = text;
    for (char& c : line)
        if (c == '\n' || c == '\r')
            c = ' ';
    return line;
}

bool WriteText(File* file, const std::string& text)
{
    return file->Write(text.data(), text.size()) == text.size();
}

}  // namespace

bool SaveSettings(Cast* cast, const char* file, bool scrambled)
{
    if (!cast || !file) {
        LogError("Could not save settings to %s\n", file ? file : "(no file)");
        return false;
    }
    File* out = scrambled ? CryptedStdFile::Open(file, true) : FileSystem::Instance()->OpenWrite(file);
    if (!out) {
        LogError("Could not save settings to %s\n", file);
        return false;
    }
    bool written = true;
    for (int i = 0; i < cast->GetMemberCount(); ++i) {
        const CastMember* member = cast->GetMember(i);
        written = WriteText(out, kNameRule + OneLine(member->name) + "\n") && written;
        written = WriteText(out, std::string(member->dynamic ? kDynamicObjectStart : kObjectStart) + "\n") &&
                  written;
        AsciiSerializer writer(out, true);
        writer.SerializeObject(member->name.c_str(), member->object);
    }
    // The write is stored only by a successful close; a failed one leaves the old file.
    if (!written || !FileSystem::Instance()->Close(out)) {
        if (!written)
            delete out;
        LogError("Could not save settings to %s\n", file);
        return false;
    }
    return true;
}

namespace {

constexpr const char* kDamagedTag = "damaged";

bool ReadCastFile(Cast* cast, const char* file, bool scrambled, FactoryRegistry& registry, bool needsObject)
{
    std::vector<uint8_t> bytes;
    bool opened = false;
    if (cast && file) {
        if (scrambled) {
            if (File* in = CryptedStdFile::Open(file, false)) {
                const int64_t size = in->Size();
                bytes.resize(size > 0 ? static_cast<size_t>(size) : 0);
                bytes.resize(in->Read(bytes.data(), bytes.size()));
                FileSystem::Instance()->Close(in);
                opened = true;
            }
        } else {
            opened = FileSystem::Instance()->ReadAll(file, bytes);
        }
    }
    if (!opened) {
        LogError("Could not load cast from \"%s\"\n", file ? file : "(no file)");
        return false;
    }
    CastReader reader(*cast, file, registry, needsObject);
    return reader.Read(bytes);
}

}  // namespace

bool LoadSettings(Cast* cast, const char* file, bool scrambled)
{
    return LoadSettings(cast, file, scrambled, FactoryRegistry::GameElements());
}

bool LoadSettings(Cast* cast, const char* file, bool scrambled, FactoryRegistry& registry)
{
    return ReadCastFile(cast, file, scrambled, registry, false);
}

bool LoadPlayerSettings(Cast* cast, const char* file, bool scrambled)
{
    if (ReadCastFile(cast, file, scrambled, FactoryRegistry::GameElements(), true))
        return true;
    KeepDamagedCopy(file);
    return false;
}

std::string KeepDamagedCopy(const char* file)
{
    FileSystem* files = FileSystem::Instance();
    if (!file || !files->ExistsOnDisk(file))
        return {};
    const std::string copy = files->KeepCopy(file, kDamagedTag);
    if (!copy.empty())
        LogWarning("%s was read as damaged; it is kept as %s\n", files->ShownPath(file).c_str(),
                   files->ShownPath(copy).c_str());
    return copy;
}
