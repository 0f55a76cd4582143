#pragma once
// Planes a·x + b·y + c·z + d = 0 with the normal (a, b, c) and the distance d.
//
// In plane sets (view volumes, boxes) the normals point outward: a point is
// inside when a·x + b·y + c·z + d ≤ 0 for every plane. The default constructor
// leaves the fields uninitialised; comparison is exact.

#include "Vector.h"

struct Plane
{
    float a;
    float b;
    float c;
    float d;

    Plane() = default;
    Plane(const Vector3& normal, float d_) : a(normal.x), b(normal.y), c(normal.z), d(d_) {}
    Plane(float a_, float b_, float c_, float d_) : a(a_), b(b_), c(c_), d(d_) {}
    Plane(const float* p) : a(p[0]), b(p[1]), c(p[2]), d(p[3]) {}

    operator float*() { return &a; }
    operator const float*() const { return &a; }

    bool operator==(const Plane& p) const { return a == p.a && b == p.b && c == p.c && d == p.d; }
    bool operator!=(const Plane& p) const { return a != p.a || b != p.b || c != p.c || d != p.d; }
};

static_assert(sizeof(Plane) == 16, "Plane is four floats");
static_assert(std::is_trivially_copyable_v<Plane>, "planes are copied as bytes");

inline Vector3 PlaneNormal(const Plane& p) { return Vector3(p.a, p.b, p.c); }

// All four components divided by the length of the normal (not guarded against
// a zero normal).
inline Plane PlaneNormalize(const Plane& p)
{
    const float l = std::sqrt(p.a * p.a + p.b * p.b + p.c * p.c);
    return Plane(p.a / l, p.b / l, p.c / l, p.d / l);
}
