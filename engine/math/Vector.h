#pragma once
// Two- and three-component single-precision vectors.
//
// Vectors are row vectors: a point is transformed as p · M (see Matrix.h).
// The coordinate system is left-handed, Y up. Arithmetic is element by
// element, so Vector3 * Vector3 is the element-wise product; the dot and
// cross products are the free functions below. The default constructors leave
// the fields uninitialised. Comparison is exact, without tolerance.
//
// Compound operators return the new value as a copy, not a reference.

#include "aeD3D9Types.h"

#include <cmath>
#include <type_traits>

// ---------------------------------------------------------------------------
// Vector2
// ---------------------------------------------------------------------------

struct Vector2
{
    float x;
    float y;

    Vector2() = default;
    Vector2(float v) : x(v), y(v) {}
    Vector2(float x_, float y_) : x(x_), y(y_) {}
    Vector2(const float* p) : x(p[0]), y(p[1]) {}

    operator float*() { return &x; }
    operator const float*() const { return &x; }

    Vector2 operator+(const Vector2& v) const { return Vector2(x + v.x, y + v.y); }
    Vector2 operator-(const Vector2& v) const { return Vector2(x - v.x, y - v.y); }
    Vector2 operator*(const Vector2& v) const { return Vector2(x * v.x, y * v.y); }
    Vector2 operator/(const Vector2& v) const { return Vector2(x / v.x, y / v.y); }
    Vector2 operator*(float f) const { return Vector2(x * f, y * f); }
    Vector2 operator/(float f) const { return Vector2(x / f, y / f); }
    Vector2 operator-() const { return Vector2(-x, -y); }

    Vector2 operator+=(const Vector2& v) { x += v.x; y += v.y; return *this; }
    Vector2 operator-=(const Vector2& v) { x -= v.x; y -= v.y; return *this; }
    Vector2 operator*=(const Vector2& v) { x *= v.x; y *= v.y; return *this; }
    Vector2 operator/=(const Vector2& v) { x /= v.x; y /= v.y; return *this; }
    Vector2 operator*=(float f) { x *= f; y *= f; return *this; }
    Vector2 operator/=(float f) { x /= f; y /= f; return *this; }

    bool operator==(const Vector2& v) const { return x == v.x && y == v.y; }
    bool operator!=(const Vector2& v) const { return x != v.x || y != v.y; }
};

inline Vector2 operator*(float f, const Vector2& v) { return v * f; }

// ---------------------------------------------------------------------------
// Vector3: laid out as (and usable wherever Direct3D expects) a D3DVECTOR.
// ---------------------------------------------------------------------------

struct Vector3 : D3DVECTOR
{
    Vector3() = default;
    Vector3(float v) : D3DVECTOR{v, v, v} {}
    Vector3(float x_, float y_, float z_) : D3DVECTOR{x_, y_, z_} {}
    Vector3(const float* p) : D3DVECTOR{p[0], p[1], p[2]} {}
    Vector3(const D3DVECTOR& v) : D3DVECTOR(v) {}

    // The conversion to D3DVECTOR& is the one to the base class.
    operator float*() { return &x; }
    operator const float*() const { return &x; }

    Vector3 operator+(const Vector3& v) const { return Vector3(x + v.x, y + v.y, z + v.z); }
    Vector3 operator-(const Vector3& v) const { return Vector3(x - v.x, y - v.y, z - v.z); }
    Vector3 operator*(const Vector3& v) const { return Vector3(x * v.x, y * v.y, z * v.z); }
    Vector3 operator/(const Vector3& v) const { return Vector3(x / v.x, y / v.y, z / v.z); }
    Vector3 operator*(float f) const { return Vector3(x * f, y * f, z * f); }
    Vector3 operator/(float f) const { return Vector3(x / f, y / f, z / f); }
    Vector3 operator-() const { return Vector3(-x, -y, -z); }

    Vector3 operator+=(const Vector3& v) { x += v.x; y += v.y; z += v.z; return *this; }
    Vector3 operator-=(const Vector3& v) { x -= v.x; y -= v.y; z -= v.z; return *this; }
    Vector3 operator*=(const Vector3& v) { x *= v.x; y *= v.y; z *= v.z; return *this; }
    Vector3 operator/=(const Vector3& v) { x /= v.x; y /= v.y; z /= v.z; return *this; }
    Vector3 operator*=(float f) { x *= f; y *= f; z *= f; return *this; }
    Vector3 operator/=(float f) { x /= f; y /= f; z /= f; return *this; }

    bool operator==(const Vector3& v) const { return x == v.x && y == v.y && z == v.z; }
    bool operator!=(const Vector3& v) const { return x != v.x || y != v.y || z != v.z; }
};

inline Vector3 operator*(float f, const Vector3& v) { return v * f; }

static_assert(sizeof(Vector2) == 8, "Vector2 is two floats");
static_assert(sizeof(Vector3) == sizeof(D3DVECTOR), "Vector3 has the layout of D3DVECTOR");
static_assert(__builtin_offsetof(Vector3, z) == __builtin_offsetof(D3DVECTOR, z),
              "Vector3 has the layout of D3DVECTOR");
// Vectors are stored in files and containers by their bytes.
static_assert(std::is_trivially_copyable_v<Vector2> && std::is_trivially_copyable_v<Vector3>,
              "vectors are copied as bytes");

// ---------------------------------------------------------------------------
// Products, lengths and normalisation.
// Normalisation divides by the length without a guard: a zero vector gives
// non-finite components.
// ---------------------------------------------------------------------------

inline float Vector2Dot(const Vector2& a, const Vector2& b) { return a.x * b.x + a.y * b.y; }
inline float Vector2LengthSq(const Vector2& v) { return v.x * v.x + v.y * v.y; }
inline float Vector2Length(const Vector2& v) { return std::sqrt(v.x * v.x + v.y * v.y); }
inline Vector2 Vector2Normalize(const Vector2& v) { return v / Vector2Length(v); }

inline float Vector3Dot(const Vector3& a, const Vector3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

inline Vector3 Vector3Cross(const Vector3& a, const Vector3& b)
{
    return Vector3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

inline float Vector3LengthSq(const Vector3& v) { return v.x * v.x + v.y * v.y + v.z * v.z; }
inline float Vector3Length(const Vector3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }
inline Vector3 Vector3Normalize(const Vector3& v) { return v / Vector3Length(v); }
// Component by component, as for the corners of a box around points.
inline Vector3 Vector3Minimize(const Vector3& a, const Vector3& b)
{
    return Vector3(std::fmin(a.x, b.x), std::fmin(a.y, b.y), std::fmin(a.z, b.z));
}
inline Vector3 Vector3Maximize(const Vector3& a, const Vector3& b)
{
    return Vector3(std::fmax(a.x, b.x), std::fmax(a.y, b.y), std::fmax(a.z, b.z));
}
// Corner i (0 to 7) of the box from min to max: bit 0 picks x, bit 1 y, bit 2 z.
inline Vector3 BoxCorner(const Vector3& min, const Vector3& max, int i)
{
    return Vector3(i & 1 ? max.x : min.x, i & 2 ? max.y : min.y, i & 4 ? max.z : min.z);
}
