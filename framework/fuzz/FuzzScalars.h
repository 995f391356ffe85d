#pragma once

// One property of every plain kind the serializers know, so each fuzzer's objects reach
// every value parser.

#include "framework/Color.h"
#include "framework/Quaternion.h"
#include "framework/Serializer.h"
#include "framework/Vector.h"

#include <cstdint>
#include <string>

struct FuzzScalars {
    int32_t number = 0;
    bool flag = false;
    float value = 0.0f;
    std::string text;
    Vector3 position;
    Quaternion rotation;
    Color colour;

    // Inside the owner's section, in this order.
    void Serialize(Serializer& s)
    {
        s.SerializeInt("number", &number);
        s.SerializeBool("flag", &flag);
        s.SerializeFloat("value", &value);
        s.SerializeString("text", &text);
        s.SerializeVector3("position", &position);
        s.SerializeQuaternion("rotation", &rotation);
        s.SerializeColor("colour", &colour);
    }
};
