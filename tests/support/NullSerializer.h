#pragma once

// A serializer that stores and reads nothing. Tests use it as it is, to tell an object that
// it was read or written, or derive from it to watch one kind of call.

#include "framework/Serializer.h"

class NullSerializer : public Serializer {
public:
    explicit NullSerializer(bool writing) : m_writing(writing) {}

    bool IsWriting() const override { return m_writing; }
    void SerializeQuaternion(const char*, Quaternion*) override {}
    void SerializeColor(const char*, Color*) override {}
    void SerializeVector3(const char*, Vector3*) override {}
    void SerializeString(const char*, std::string*) override {}
    void SerializeBool(const char*, bool*) override {}
    void SerializeFloat(const char*, float*) override {}
    void SerializeInt(const char*, int32_t*) override {}
    void BeginSection(const char*, const char*) override {}
    void EndSection() override {}

private:
    bool m_writing;
};
