#pragma once
// Colours with four single-precision channels r, g, b, a, nominally 0 to 1.
//
// A Color is laid out as (and usable wherever Direct3D expects) a
// D3DCOLORVALUE. Arithmetic works on all four channels including alpha and
// never clamps; only the conversion to a packed 32-bit ARGB value clamps each
// channel to 0 … 255. Bytes become channels by multiplying with the float
// nearest to 1/255. The default constructor leaves the channels
// uninitialised; comparison is exact.

#include "aeD3D9Types.h"

#include <cstdint>
#include <type_traits>

// 1/255 as a float (bits 0x3B808081): byte channels are multiplied by it.
constexpr float kColorByteToFloat = 0x1.010102p-8f;

struct Color : D3DCOLORVALUE
{
    Color() = default;
    // Grey of value v, opaque.
    Color(float v) : D3DCOLORVALUE{v, v, v, 1.0f} {}
    Color(float r_, float g_, float b_) : D3DCOLORVALUE{r_, g_, b_, 1.0f} {}
    Color(float r_, float g_, float b_, float a_) : D3DCOLORVALUE{r_, g_, b_, a_} {}
    Color(const float* p) : D3DCOLORVALUE{p[0], p[1], p[2], p[3]} {}
    Color(const D3DCOLORVALUE& c) : D3DCOLORVALUE(c) {}
    // Byte channels 0 … 255.
    Color(unsigned char r_, unsigned char g_, unsigned char b_)
        : D3DCOLORVALUE{r_ * kColorByteToFloat, g_ * kColorByteToFloat, b_ * kColorByteToFloat, 1.0f} {}
    Color(unsigned char r_, unsigned char g_, unsigned char b_, unsigned char a_)
        : D3DCOLORVALUE{r_ * kColorByteToFloat, g_ * kColorByteToFloat, b_ * kColorByteToFloat,
                        a_ * kColorByteToFloat} {}
    // Four bytes in the order r, g, b, a.
    Color(const unsigned char* p)
        : D3DCOLORVALUE{p[0] * kColorByteToFloat, p[1] * kColorByteToFloat, p[2] * kColorByteToFloat,
                        p[3] * kColorByteToFloat} {}
    // Packed 32-bit ARGB: alpha in bits 24–31, red 16–23, green 8–15, blue 0–7.
    // Bits above 31 are ignored.
    Color(unsigned long argb);
    Color(uint32_t argb) : Color(static_cast<unsigned long>(argb)) {}

    // The conversion to D3DCOLORVALUE& is the one to the base class.
    operator float*() { return &r; }
    operator const float*() const { return &r; }
    // Packed 32-bit ARGB; each channel is clamped to 0 … 1 and scaled by 255
    // with truncation (0.5 gives 127).
    operator unsigned long() const;

    Color operator+(const Color& o) const { return Color(r + o.r, g + o.g, b + o.b, a + o.a); }
    Color operator-(const Color& o) const { return Color(r - o.r, g - o.g, b - o.b, a - o.a); }
    Color operator*(const Color& o) const { return Color(r * o.r, g * o.g, b * o.b, a * o.a); }
    Color operator/(const Color& o) const { return Color(r / o.r, g / o.g, b / o.b, a / o.a); }
    Color operator*(float f) const { return Color(r * f, g * f, b * f, a * f); }
    Color operator/(float f) const { return Color(r / f, g / f, b / f, a / f); }
    Color operator-() const { return Color(-r, -g, -b, -a); }

    Color operator+=(const Color& o) { r += o.r; g += o.g; b += o.b; a += o.a; return *this; }
    Color operator-=(const Color& o) { r -= o.r; g -= o.g; b -= o.b; a -= o.a; return *this; }
    Color operator*=(const Color& o) { r *= o.r; g *= o.g; b *= o.b; a *= o.a; return *this; }
    Color operator/=(const Color& o) { r /= o.r; g /= o.g; b /= o.b; a /= o.a; return *this; }
    Color operator*=(float f) { r *= f; g *= f; b *= f; a *= f; return *this; }
    Color operator/=(float f) { r /= f; g /= f; b /= f; a /= f; return *this; }

    bool operator==(const Color& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
    bool operator!=(const Color& o) const { return r != o.r || g != o.g || b != o.b || a != o.a; }
};

inline Color operator*(float f, const Color& c) { return c * f; }

static_assert(sizeof(Color) == sizeof(D3DCOLORVALUE), "Color has the layout of D3DCOLORVALUE");
static_assert(__builtin_offsetof(Color, a) == __builtin_offsetof(D3DCOLORVALUE, a),
              "Color has the layout of D3DCOLORVALUE");
static_assert(std::is_trivially_copyable_v<Color>, "colours are copied as bytes");
