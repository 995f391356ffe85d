#pragma once

#include <cstdint>

// A colour with a flag telling whether anyone gave it a value; the default is opaque
// black with the flag clear, so readers can tell "never set" from "set to black".
struct Color {
    float r = 0.0f, g = 0.0f, b = 0.0f, a = 1.0f;
    bool set = false;

    constexpr Color() = default;
    constexpr Color(float r_, float g_, float b_, float a_ = 1.0f) : r(r_), g(g_), b(b_), a(a_), set(true) {}

    void Set(float r_, float g_, float b_, float a_)
    {
        r = r_; g = g_; b = b_; a = a_;
        set = true;
    }
    // Channels from 0..255 integers; sets the flag.
    void Set255(int r_, int g_, int b_, int a_ = 255);
    // Leaves alpha and the flag alone.
    void SetRGB(float r_, float g_, float b_) { r = r_; g = g_; b = b_; }
    // Red, green and blue from 0..255 integers; alpha and the flag stay.
    void SetRGB255(int r_, int g_, int b_);
    void SetAlpha(float a_)
    {
        a = a_;
        set = true;
    }
    bool IsSet() const { return set; }

    constexpr bool operator==(const Color&) const = default;

    static const Color White;
    static const Color OpaqueBlack;
};

inline constexpr Color Color::White{1.0f, 1.0f, 1.0f, 1.0f};
inline constexpr Color Color::OpaqueBlack{0.0f, 0.0f, 0.0f, 1.0f};
