#pragma once

#include "framework/Color.h"
#include "framework/Quaternion.h"
#include "framework/Serializer.h"
#include "framework/Vector.h"

#include <cstdint>
#include <list>
#include <string>
#include <vector>

class CInputDialog;

// Turns an object's property table into a property window and back. The writing pass
// records every property as an entry and asks the dialog for a widget bound to the
// entry; the reading pass runs the same Serialize and copies the entries back. Widgets
// edit entries, never the object.
class InputDialogSerializer : public Serializer {
public:
    enum Kind : int32_t { kFloat = 0, kInt, kBool, kColor, kVector, kString, kQuaternion, kObject };

    // Only the field of the entry's kind carries the value.
    struct Entry {
        int32_t kind = kInt;
        float floatValue = 0.0f;
        int32_t intValue = 0;
        bool boolValue = false;
        Color color;
        Vector3 vector;
        Quaternion quaternion;
        std::string stringValue;
        std::string key;
    };

    struct Option {
        std::string text;
        int depth = 0;
    };

    // The dialog is borrowed and may be null (entries are recorded, no widgets made).
    explicit InputDialogSerializer(CInputDialog* dialog);
    ~InputDialogSerializer() override;

    void SetWriting(bool writing) { m_writing = writing; }
    // Before a reading pass: back to the first entry, pending options and the rebuild
    // request dropped.
    void Reset();
    bool IsRebuildRequested() const { return m_rebuild; }

    bool IsWriting() const override { return m_writing; }
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
    void SerializeButton(const char* option, const char* second) override;

    // Index of the first pending option that applies at the current depth and whose
    // option word is the word, or -1.
    int FindOption(const char* word) const;
    const std::vector<Option>& GetOptions() const { return m_options; }
    const std::list<Entry>& GetEntries() const { return m_entries; }
    int GetDepth() const { return m_depth; }

    // The items of a "combobox [a][b]" option text and the file filter of a
    // "filename [desc|pattern]" text.
    static std::vector<std::string> ComboItems(const std::string& option);
    static std::string FileFilter(const std::string& option);

private:
    Entry& Record(int32_t kind, const char* name);
    // Reading pass: the entry with the key in the current section, which becomes the read
    // position; null when there is none (the position stays).
    Entry* FindEntry(const char* name);
    // Reading pass after a value is copied.
    void Advance();
    void ExpireOptions();
    bool Hidden() const { return FindOption("hide") >= 0; }
    // Writing: records the value in a new entry and, with a dialog and unless hidden, lets
    // addWidget make the entry's widget. Reading: copies the entry's value back.
    template <typename T, typename AddWidget>
    void Exchange(Kind kind, const char* name, T* value, T Entry::*field, AddWidget addWidget);

    CInputDialog* m_dialog;
    bool m_writing = false;
    // A list, because widgets hold pointers into the entries.
    std::list<Entry> m_entries;
    std::list<Entry>::iterator m_read;
    std::vector<Option> m_options;
    bool m_rebuild = false;
    int m_depth = 0;
};
