#pragma once
// Transforms of points, normals and planes; distances; plane sets of boxes and
// view volumes and the visibility tests against them; bits per pixel of the
// Direct3D formats.
//
// Plane sets are six Planes in one array with outward normals: a box in the
// order −x, +x, +y, −y, −z, +z, a view volume in the order left, right, top,
// bottom, near, far. A point is inside a set when its unnormalised distance
// n·p + d is ≤ 0 for every plane.
//
// Classifications return 1 when the object lies completely on the positive
// (outer) side of the plane, −1 when completely on the negative (inner) side
// and 0 when it straddles the plane.
//
// Zero-length normals, degenerate triangles and planes with a zero normal are
// not guarded; the results are then not finite.

#include "aeD3D9Types.h"
#include "Matrix.h"
#include "Plane.h"
#include "Vector.h"

// (x, y, z, w') = (v, 1) · m; the result is divided by w' unless w' is exactly
// 1. w' is stored in *w when w is not null.
inline Vector3 Vector3TransformCoords(const Vector3& v, const Matrix& m, float* w)
{
    Vector3 r(v.x * m.m11 + v.y * m.m21 + v.z * m.m31 + m.m41,
              v.x * m.m12 + v.y * m.m22 + v.z * m.m32 + m.m42,
              v.x * m.m13 + v.y * m.m23 + v.z * m.m33 + m.m43);
    const float wr = v.x * m.m14 + v.y * m.m24 + v.z * m.m34 + m.m44;
    if (wr != 1.0f) r = Vector3(r.x / wr, r.y / wr, r.z / wr);
    if (w) *w = wr;
    return r;
}

// 2D form of Vector3TransformCoords with the point (v.x, v.y, 0, 1): the
// result is (x, y) divided by w' unless w' is exactly 1.
Vector2 Vector2TransformCoords(const Vector2& v, const Matrix& m, float* w);

// A normal n transformed by the upper 3×3 of the transposed inverse of m, with
// the length of n kept. A zero-length n is returned unchanged.
Vector3 Vector3TransformNormal(const Vector3& n, const Matrix& m);
// The same with m already being the transposed inverse.
Vector3 Vector3TransformNormal_TranspInv(const Vector3& n, const Matrix& m);
// 2D forms with the upper 2×2 of the transposed inverse.
Vector2 Vector2TransformNormal(const Vector2& n, const Matrix& m);
Vector2 Vector2TransformNormal_TranspInv(const Vector2& n, const Matrix& m);

// The screen size in pixels that Vector3Project maps to. The graphics device
// sets it whenever it creates or resets the back buffer; it is 640 × 480
// until then.
void aeMathSetScreenSize(const Vector2& size);
Vector2 aeMathGetScreenSize();

// Point to screen: p = Vector3TransformCoords(v, m, null), then
// x = W/2 + W·p.x/2, y = H/2 − H·p.y/2, z = p.z.
Vector3 Vector3Project(const Vector3& v, const Matrix& m, const Vector2& screenSize);
// The same with the screen size set by aeMathSetScreenSize.
Vector3 Vector3Project(const Vector3& v, const Matrix& m);

// A plane moved by a rotation and translation m: n' = n · upper 3×3 of m,
// d' = d − n'·(m41, m42, m43). Exact for rigid motions only.
Plane PlaneTransform(const Plane& p, const Matrix& m);

// normalise((b − a) × (c − a)).
Vector3 ComputeTriangleNormal(const Vector3& a, const Vector3& b, const Vector3& c);

// The six outward planes of the box [min, max], placed by m. Returns 1.
int ComputeBoxPlanes(const Vector3& min, const Vector3& max, const Matrix& m, Plane* planes);
// The six outward, normalised planes of the view volume of view · proj. Returns 1.
int ComputeClipPlanes(const Matrix& view, const Matrix& proj, Plane* planes);

// Signed distance from the plane, normalised: (n·p + d) / |n|.
float PointPlaneDistance(const Vector3& p, const Plane& plane);
// n·p + d, in the units of the plane.
inline float PointPlaneDistanceFast(const Vector3& p, const Plane& plane)
{
    return plane.a * p.x + plane.b * p.y + plane.c * p.z + plane.d;
}
// Distance of p from the infinite line through a and b (a ≠ b).
float PointLineDistance(const Vector3& p, const Vector3& a, const Vector3& b);
// Distance between the infinite lines through p0, p1 and through q0, q1.
float LineLineDistance(const Vector3& p0, const Vector3& p1, const Vector3& q0, const Vector3& q1);

int ClassifySphere(const Vector3& c, float r, const Plane& plane);
int ClassifyAABox(const Vector3& min, const Vector3& max, const Plane& plane);
// The box [min, max] placed by m, against a world-space plane.
int ClassifyBox(const Vector3& min, const Vector3& max, const Matrix& m, const Plane& plane);
// The same with the inverse of the box's matrix given.
int ClassifyBox_Inv(const Vector3& min, const Vector3& max, const Matrix& mInv, const Plane& plane);

// Visibility against six planes; each test stops at the first plane that
// excludes the object. The sphere radius is measured in the units of the
// planes (true units for normalised planes such as those of ComputeClipPlanes).
int PointVisible(const Vector3& p, const Plane* planes);
int SphereVisible(const Vector3& c, float r, const Plane* planes);
int AABoxVisible(const Vector3& min, const Vector3& max, const Plane* planes);
int BoxVisible(const Vector3& min, const Vector3& max, const Matrix& m, const Plane* planes);
int BoxVisible_Inv(const Vector3& min, const Vector3& max, const Matrix& mInv, const Plane* planes);

// Bits per pixel of a Direct3D format; 0 for formats without a fixed pixel
// size in this table (A8, X4R4G4B4, A8B8G8R8, the compressed formats …).
unsigned long GetD3DFormatBPP(D3DFORMAT f);
