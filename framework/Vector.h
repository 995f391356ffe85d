#pragma once

#include <cfloat>
#include <cmath>

// Tolerance of Vector3::IsEqual; 0 makes the comparison exact.
namespace Math {
extern float g_epsilon;
}

struct Vector2 {
    float x = 0.0f, y = 0.0f;

    constexpr Vector2() = default;
    constexpr Vector2(float x_, float y_) : x(x_), y(y_) {}

    constexpr Vector2 operator+(const Vector2& o) const { return {x + o.x, y + o.y}; }
    constexpr Vector2 operator-(const Vector2& o) const { return {x - o.x, y - o.y}; }
    constexpr Vector2 operator-() const { return {-x, -y}; }
    constexpr Vector2 operator*(float s) const { return {x * s, y * s}; }
    Vector2& operator+=(const Vector2& o) { x += o.x; y += o.y; return *this; }
    Vector2& operator-=(const Vector2& o) { x -= o.x; y -= o.y; return *this; }
    Vector2& operator*=(float s) { x *= s; y *= s; return *this; }
    constexpr bool operator==(const Vector2&) const = default;

    constexpr float Dot(const Vector2& o) const { return x * o.x + y * o.y; }
    // The z component of the 3D cross product of the two vectors in the plane.
    constexpr float Cross(const Vector2& o) const { return x * o.y - y * o.x; }
    constexpr float LengthSquared() const { return x * x + y * y; }
    float Length() const { return std::sqrt(LengthSquared()); }
    // Returns the former length; a zero vector stays zero.
    float Normalize();
    void Set(float x_, float y_) { x = x_; y = y_; }
    void SetZero() { x = y = 0.0f; }
};

constexpr Vector2 operator*(float s, const Vector2& v) { return v * s; }

struct Vector3 {
    float x = 0.0f, y = 0.0f, z = 0.0f;

    constexpr Vector3() = default;
    constexpr Vector3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    constexpr Vector3 operator+(const Vector3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    constexpr Vector3 operator-(const Vector3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    constexpr Vector3 operator-() const { return {-x, -y, -z}; }
    constexpr Vector3 operator*(float s) const { return {x * s, y * s, z * s}; }
    // A zero divisor gives FLT_MAX in every component rather than inf or NaN.
    Vector3 operator/(float s) const;
    Vector3& operator+=(const Vector3& o) { x += o.x; y += o.y; z += o.z; return *this; }
    Vector3& operator-=(const Vector3& o) { x -= o.x; y -= o.y; z -= o.z; return *this; }
    Vector3& operator*=(float s) { x *= s; y *= s; z *= s; return *this; }
    Vector3& operator/=(float s) { return *this = *this / s; }
    constexpr bool operator==(const Vector3&) const = default;

    constexpr float Dot(const Vector3& o) const { return x * o.x + y * o.y + z * o.z; }
    constexpr Vector3 Cross(const Vector3& o) const
    {
        return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x};
    }
    constexpr float LengthSquared() const { return x * x + y * y + z * z; }
    float Length() const { return std::sqrt(LengthSquared()); }
    // Returns the former length; a zero vector stays zero.
    float Normalize();
    // Component-wise within Math::g_epsilon (exact when it is 0).
    bool IsEqual(const Vector3& o) const;
    void Set(float x_, float y_, float z_) { x = x_; y = y_; z = z_; }
    void SetZero() { x = y = z = 0.0f; }

    static const Vector3 Zero;
    static const Vector3 UnitX;
    static const Vector3 UnitY;
    static const Vector3 UnitZ;
};

constexpr Vector3 operator*(float s, const Vector3& v) { return v * s; }

inline constexpr Vector3 Vector3::Zero{0.0f, 0.0f, 0.0f};
inline constexpr Vector3 Vector3::UnitX{1.0f, 0.0f, 0.0f};
inline constexpr Vector3 Vector3::UnitY{0.0f, 1.0f, 0.0f};
inline constexpr Vector3 Vector3::UnitZ{0.0f, 0.0f, 1.0f};

// Four floats; also a screen rectangle x, y, w (width), h (height) when the fields
// are read through the accessors below.
struct Vector4 {
    float x = 0.0f, y = 0.0f, z = 0.0f, w = 0.0f;

    constexpr Vector4() = default;
    constexpr Vector4(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}

    constexpr Vector4 operator+(const Vector4& o) const { return {x + o.x, y + o.y, z + o.z, w + o.w}; }
    constexpr Vector4 operator-(const Vector4& o) const { return {x - o.x, y - o.y, z - o.z, w - o.w}; }
    constexpr Vector4 operator-() const { return {-x, -y, -z, -w}; }
    constexpr Vector4 operator*(float s) const { return {x * s, y * s, z * s, w * s}; }
    Vector4& operator+=(const Vector4& o) { x += o.x; y += o.y; z += o.z; w += o.w; return *this; }
    Vector4& operator-=(const Vector4& o) { x -= o.x; y -= o.y; z -= o.z; w -= o.w; return *this; }
    Vector4& operator*=(float s) { x *= s; y *= s; z *= s; w *= s; return *this; }
    constexpr bool operator==(const Vector4&) const = default;

    constexpr float Dot(const Vector4& o) const { return x * o.x + y * o.y + z * o.z + w * o.w; }
    // Cross product of the xyz parts; w is 0.
    constexpr Vector4 Cross(const Vector4& o) const
    {
        return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x, 0.0f};
    }
    constexpr float LengthSquared() const { return x * x + y * y + z * z + w * w; }
    float Length() const { return std::sqrt(LengthSquared()); }
    float Normalize();
    void Set(float x_, float y_, float z_, float w_) { x = x_; y = y_; z = z_; w = w_; }
    void SetZero() { x = y = z = w = 0.0f; }

    // Rectangle view: z is the width, w the height.
    constexpr float Width() const { return z; }
    constexpr float Height() const { return w; }
};

constexpr Vector4 operator*(float s, const Vector4& v) { return v * s; }
