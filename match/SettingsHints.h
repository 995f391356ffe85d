#pragma once

#include "framework/Serializer.h"

// Entries the editor shows with a special input: the hint call comes first and the file
// carries nothing for it.

// An angle in radians, entered in degrees.
inline void SerializeAngle(Serializer& serializer, const char* key, float* value)
{
    serializer.SerializeButton("angle", "");
    serializer.SerializeFloat(key, value);
}

// A file name, chosen with a file dialog.
inline void SerializeFileName(Serializer& serializer, const char* key, std::string* value)
{
    serializer.SerializeButton("filename", "");
    serializer.SerializeString(key, value);
}
