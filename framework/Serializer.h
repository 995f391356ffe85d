#pragma once

#include <cstdint>
#include <string>

class Object;
struct Vector3;
struct Quaternion;
struct Color;

// The property-table interface. An object's Serialize makes the same calls whether
// the serializer writes (object to text or dialog) or reads (text or dialog to object),
// so the order of the calls is the table. Reading leaves a field untouched when its key
// is absent. The editor's dialog builder implements the same calls in the same order.
class Serializer {
public:
    virtual ~Serializer();

    virtual bool IsWriting() const = 0;
    virtual bool IsReading() const { return !IsWriting(); }

    virtual void SerializeQuaternion(const char* name, Quaternion* value) = 0;  // w first
    virtual void SerializeColor(const char* name, Color* value) = 0;
    virtual void SerializeVector3(const char* name, Vector3* value) = 0;
    virtual void SerializeString(const char* name, std::string* value) = 0;
    virtual void SerializeBool(const char* name, bool* value) = 0;
    virtual void SerializeFloat(const char* name, float* value) = 0;
    virtual void SerializeInt(const char* name, int32_t* value) = 0;
    // The child describes itself with the name as its descriptor, so the name becomes
    // the instance name of the child's section. An empty name is allowed.
    virtual void SerializeObject(const char* name, Object* object);
    // Finds (reading) or opens (writing) the section of that type and instance name.
    virtual void BeginSection(const char* type, const char* instance) = 0;
    virtual void EndSection() = 0;
    // Reading: whether an unread section of that type and instance name follows in the
    // current section. Serializers that cannot tell answer true.
    virtual bool HasSection(const char* type, const char* instance) const;
    // An editor hint for the entries that follow ("popup", "angle", "combobox [a][b]")
    // or the signal "changed". Files carry no hints.
    virtual void SerializeButton(const char* option, const char* second);

    // Reading: the most list items the input can describe, as each item takes at least one
    // line of a table; inputs that are not files allow kMaxListItems.
    virtual int32_t GetListCapacity() const;
    // Reading: a count read under the key that sizes a list, brought within 0 and
    // GetListCapacity, so that a damaged count never asks for billions of items; a count
    // outside is logged under the owner ("Class::Method"). Writing: the count unchanged.
    int32_t BoundListCount(const char* owner, const char* key, int32_t count) const;

    static constexpr int32_t kMaxListItems = 1 << 16;
};
