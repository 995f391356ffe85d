#pragma once

#include "framework/Object.h"

// The primary camera's clip planes and view window, kept in the cast "display" as
// "Engine". Reading the table applies it to the primary camera at once.
class RwGraphicsSettings : public Object {
public:
    // The one instance for the whole run.
    static RwGraphicsSettings& Global();

    void Serialize(Serializer& serializer, const char* descriptor) override;

    float nearClip = 0.1f;
    float farClipLow = 500.0f;
    // Stored and saved only: nothing chooses between the far clip values yet.
    float farClipMedium = 500.0f;
    float farClipHigh = 500.0f;
    float viewX = 0.8f;
    float viewY = 0.8f;
};
