#pragma once

#include <string>

class Serializer;

// Base of every data class: a name and a property table. The same Serialize body
// serves writing and reading, so the fields are described once.
class Object {
public:
    Object() = default;
    virtual ~Object();

    // Describes the fields to the serializer, as a rule as one section whose instance
    // name is the descriptor. The base has nothing to describe.
    virtual void Serialize(Serializer& serializer, const char* descriptor);

    // A copy of the text becomes the name; null leaves the object without one.
    void SetName(const char* name);
    // Null when the object has no name.
    const char* GetName() const { return m_hasName ? m_name.c_str() : nullptr; }
    bool HasName() const { return m_hasName; }

private:
    std::string m_name;
    bool m_hasName = false;
};

// The class name written to and read from property-table files ("GameParameters"),
// taken from the run-time type with any namespace dropped.
std::string ClassNameOf(const Object& object);
