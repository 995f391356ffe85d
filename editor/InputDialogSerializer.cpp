#include "editor/InputDialogSerializer.h"

#include "editor/InputDialog.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "framework/Object.h"

#include <cstring>

namespace {

const char kSection[] = "*SECTION*";
const char kSectionEnd[] = "*SECTIONEND*";

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

std::vector<std::string> Words(const std::string& text)
{
    std::vector<std::string> words;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t')
            ++i;
        if (i > start)
            words.emplace_back(text, start, i - start);
    }
    return words;
}

enum class Scope { kNone, kOnce, kSection, kChildren, kChild };

// The scope and the option word of an option text; false for a text without words.
bool ParseOption(const std::string& text, Scope& scope, std::string& word)
{
    std::vector<std::string> words = Words(text);
    if (words.empty())
        return false;
    static const struct {
        const char* name;
        Scope scope;
    } scopes[] = {{"once", Scope::kOnce}, {"section", Scope::kSection}, {"children", Scope::kChildren}, {"child", Scope::kChild}};
    scope = Scope::kNone;
    size_t first = 0;
    for (const auto& s : scopes)
        if (words[0] == s.name) {
            scope = s.scope;
            first = 1;
        }
    word = first < words.size() ? words[first] : std::string();
    return true;
}

}  // namespace

InputDialogSerializer::InputDialogSerializer(CInputDialog* dialog) : m_dialog(dialog), m_read(m_entries.end()) {}

InputDialogSerializer::~InputDialogSerializer() = default;

void InputDialogSerializer::Reset()
{
    m_read = m_entries.begin();
    m_options.clear();
    m_rebuild = false;
}

int InputDialogSerializer::FindOption(const char* word) const
{
    for (size_t i = 0; i < m_options.size(); ++i) {
        Scope scope;
        std::string optionWord;
        if (!ParseOption(m_options[i].text, scope, optionWord) || optionWord != word)
            continue;
        const int at = m_options[i].depth;
        bool applies = false;
        switch (scope) {
        case Scope::kNone:
        case Scope::kOnce: applies = true; break;
        case Scope::kSection: applies = m_depth == at; break;
        case Scope::kChildren: applies = m_depth >= at; break;
        case Scope::kChild: applies = m_depth == at + 1; break;
        }
        if (applies)
            return static_cast<int>(i);
    }
    return -1;
}

void InputDialogSerializer::ExpireOptions()
{
    std::vector<Option> kept;
    for (Option& option : m_options) {
        Scope scope;
        std::string word;
        bool keep = true;
        if (ParseOption(option.text, scope, word)) {
            switch (scope) {
            case Scope::kNone:
            case Scope::kOnce: keep = false; break;
            case Scope::kSection: keep = m_depth >= option.depth; break;
            case Scope::kChildren: keep = m_depth > option.depth; break;
            case Scope::kChild: keep = m_depth >= option.depth; break;
            }
        }
        if (keep)
            kept.push_back(std::move(option));
    }
    m_options.swap(kept);
}

std::vector<std::string> InputDialogSerializer::ComboItems(const std::string& option)
{
    std::vector<std::string> items;
    size_t open = option.find('[');
    if (open == std::string::npos)
        return items;
    std::string piece;
    for (size_t i = open + 1; i <= option.size(); ++i) {
        if (i == option.size() || option[i] == '[' || option[i] == ']') {
            if (!piece.empty())
                items.push_back(piece);
            piece.clear();
        } else {
            piece += option[i];
        }
    }
    return items;
}

std::string InputDialogSerializer::FileFilter(const std::string& option)
{
    size_t open = option.find('[');
    if (open == std::string::npos)
        return "All|*.*||";
    size_t close = option.rfind(']');
    if (close == std::string::npos || close < open)
        return option.substr(open + 1) + "||";
    return option.substr(open + 1, close - open - 1) + "||";
}

InputDialogSerializer::Entry& InputDialogSerializer::Record(int32_t kind, const char* name)
{
    Entry& entry = m_entries.emplace_back();
    entry.kind = kind;
    entry.key = name ? name : "";
    return entry;
}

InputDialogSerializer::Entry* InputDialogSerializer::FindEntry(const char* name)
{
    const std::string key = name ? name : "";
    if (m_read != m_entries.end() && m_read->key == key)
        return &*m_read;

    // Back to the start of the current section, then forward to its end.
    auto from = m_read;
    while (from != m_entries.begin()) {
        if (from != m_entries.end() && StartsWith(from->key, kSection)) {
            ++from;
            break;
        }
        --from;
    }
    if (from == m_entries.begin() && from != m_entries.end() && StartsWith(from->key, kSection))
        ++from;
    for (auto it = from; it != m_entries.end() && !StartsWith(it->key, kSectionEnd); ++it)
        if (it->key == key) {
            m_read = it;
            return &*it;
        }
    DebugTrace("InputDialogSerializer: FindEntry <%s> not found\n", key.c_str());
    return nullptr;
}

void InputDialogSerializer::Advance()
{
    if (m_read != m_entries.end())
        ++m_read;
}

void InputDialogSerializer::SerializeFloat(const char* name, float* value)
{
    const bool angle = FindOption("angle") >= 0;
    if (m_writing) {
        Entry& entry = Record(kFloat, name);
        entry.floatValue = *value;
        if (angle)
            entry.floatValue = static_cast<float>(entry.floatValue * 57.29578226691561);
        if (m_dialog && !Hidden())
            m_dialog->AddFloat(entry.key.c_str(), &entry.floatValue, "%f");
    } else if (Entry* entry = FindEntry(name)) {
        *value = entry->floatValue;
        Advance();
        if (angle)
            *value = *value * 3.1415925f * (1.0f / 180.0f);
    }
    ExpireOptions();
}

template <typename T, typename AddWidget>
void InputDialogSerializer::Exchange(Kind kind, const char* name, T* value, T Entry::*field, AddWidget addWidget)
{
    if (m_writing) {
        Entry& entry = Record(kind, name);
        entry.*field = *value;
        if (m_dialog && !Hidden())
            addWidget(entry);
    } else if (Entry* entry = FindEntry(name)) {
        *value = entry->*field;
        Advance();
    }
    ExpireOptions();
}

void InputDialogSerializer::SerializeInt(const char* name, int32_t* value)
{
    Exchange(kInt, name, value, &Entry::intValue, [this](Entry& entry) {
        const int combo = FindOption("combobox");
        if (combo >= 0)
            m_dialog->AddComboBox(entry.key.c_str(), &entry.intValue, ComboItems(m_options[combo].text));
        else
            m_dialog->AddInt(entry.key.c_str(), &entry.intValue, "%d");
    });
}

void InputDialogSerializer::SerializeBool(const char* name, bool* value)
{
    Exchange(kBool, name, value, &Entry::boolValue,
             [this](Entry& entry) { m_dialog->AddBool(entry.key.c_str(), &entry.boolValue); });
}

void InputDialogSerializer::SerializeColor(const char* name, Color* value)
{
    if (m_writing) {
        Entry& entry = Record(kColor, name);
        entry.color = *value;
        if (m_dialog && !Hidden())
            m_dialog->AddColor(entry.key.c_str(), &entry.color);
    } else if (Entry* entry = FindEntry(name)) {
        const Color& c = entry->color;
        if (value->IsSet())
            value->Set(c.r, c.g, c.b, c.a);
        else
            value->SetRGB(c.r, c.g, c.b);
        Advance();
    }
    ExpireOptions();
}

void InputDialogSerializer::SerializeVector3(const char* name, Vector3* value)
{
    Exchange(kVector, name, value, &Entry::vector,
             [this](Entry& entry) { m_dialog->AddVector(entry.key.c_str(), &entry.vector); });
}

void InputDialogSerializer::SerializeString(const char* name, std::string* value)
{
    if (m_writing) {
        Entry& entry = Record(kString, name);
        entry.stringValue = *value;
        if (!Hidden()) {
            int file = FindOption("filename");
            if (file >= 0) {
                if (FileSystem::Exists())
                    entry.stringValue = FileSystem::Instance()->CollapseAliases(entry.stringValue);
                if (m_dialog)
                    m_dialog->AddFilename(entry.key.c_str(), &entry.stringValue, FileFilter(m_options[file].text));
            } else if (m_dialog) {
                m_dialog->AddString(entry.key.c_str(), &entry.stringValue);
            }
        }
    } else if (Entry* entry = FindEntry(name)) {
        *value = entry->stringValue;
        Advance();
    }
    ExpireOptions();
}

void InputDialogSerializer::SerializeQuaternion(const char* name, Quaternion* value)
{
    Exchange(kQuaternion, name, value, &Entry::quaternion,
             [this](Entry& entry) { m_dialog->AddQuaternion(entry.key.c_str(), &entry.quaternion); });
}

void InputDialogSerializer::SerializeObject(const char* name, Object* object)
{
    const char* key = name ? name : "";
    if (m_writing)
        Record(kObject, key);
    else
        Advance();
    if (FindOption("popup") >= 0) {
        if (m_writing && m_dialog && !Hidden())
            m_dialog->AddButton(key, "Settings", object, key);
    } else if (object) {
        object->Serialize(*this, key);
    } else {
        LogError("InputDialogSerializer::SerializeObject: no object for \"%s\"\n", key);
    }
    ExpireOptions();
}

void InputDialogSerializer::BeginSection(const char* type, const char* instance)
{
    const std::string name = type ? type : "";
    const std::string descriptor = instance ? instance : "";
    if (m_writing) {
        Record(kInt, (kSection + name).c_str());
        if (m_dialog && !Hidden() && FindOption("notitle") < 0)
            m_dialog->AddTitle((descriptor.empty() ? name : descriptor + " - " + name).c_str());
    } else {
        auto it = m_read;
        while (it != m_entries.end() && !StartsWith(it->key, kSection))
            ++it;
        m_read = it == m_entries.end() ? m_entries.begin() : std::next(it);
    }
    ++m_depth;
}

void InputDialogSerializer::EndSection()
{
    if (m_writing) {
        Record(kInt, kSectionEnd);
    } else {
        while (m_read != m_entries.end() && !StartsWith(m_read->key, kSectionEnd))
            ++m_read;
        Advance();
    }
    --m_depth;
}

void InputDialogSerializer::SerializeButton(const char* option, const char* /*second*/)
{
    const std::string text = option ? option : "";
    std::vector<std::string> words = Words(text);
    if (!words.empty() && words[0] == "changed")
        m_rebuild = true;
    m_options.push_back({text, m_depth});
}
