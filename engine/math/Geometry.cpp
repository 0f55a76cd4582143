// Transforms, distances, plane sets and visibility tests; format sizes.

#include "Geometry.h"

#include <cmath>

namespace
{
// The screen that Vector3Project maps to (set by the graphics device).
Vector2 s_vScreenSize(640.0f, 480.0f);

Vector3 PlaneColumn(const Matrix& q, int j)
{
    return Vector3(q.m[0][j], q.m[1][j], q.m[2][j]);
}
}

Vector2 Vector2TransformCoords(const Vector2& v, const Matrix& m, float* w)
{
    Vector2 r(v.x * m.m11 + v.y * m.m21 + m.m41,
              v.x * m.m12 + v.y * m.m22 + m.m42);
    const float wr = v.x * m.m14 + v.y * m.m24 + m.m44;
    if (wr != 1.0f) r = Vector2(r.x / wr, r.y / wr);
    if (w) *w = wr;
    return r;
}

Vector3 Vector3TransformNormal(const Vector3& n, const Matrix& m)
{
    if (Vector3Length(n) == 0.0f) return n;
    return Vector3TransformNormal_TranspInv(n, MatrixTranspose(MatrixInvert(m)));
}

Vector3 Vector3TransformNormal_TranspInv(const Vector3& n, const Matrix& m)
{
    const float length = Vector3Length(n);
    if (length == 0.0f) return n;
    const Vector3 r(n.x * m.m11 + n.y * m.m21 + n.z * m.m31,
                    n.x * m.m12 + n.y * m.m22 + n.z * m.m32,
                    n.x * m.m13 + n.y * m.m23 + n.z * m.m33);
    return Vector3Normalize(r) * length;
}

Vector2 Vector2TransformNormal(const Vector2& n, const Matrix& m)
{
    if (Vector2Length(n) == 0.0f) return n;
    return Vector2TransformNormal_TranspInv(n, MatrixTranspose(MatrixInvert(m)));
}

Vector2 Vector2TransformNormal_TranspInv(const Vector2& n, const Matrix& m)
{
    const float length = Vector2Length(n);
    if (length == 0.0f) return n;
    const Vector2 r(n.x * m.m11 + n.y * m.m21,
                    n.x * m.m12 + n.y * m.m22);
    return Vector2Normalize(r) * length;
}

void aeMathSetScreenSize(const Vector2& size) { s_vScreenSize = size; }

Vector2 aeMathGetScreenSize() { return s_vScreenSize; }

Vector3 Vector3Project(const Vector3& v, const Matrix& m, const Vector2& screenSize)
{
    const Vector3 p = Vector3TransformCoords(v, m, nullptr);
    const float w = screenSize.x, h = screenSize.y;
    return Vector3(w * 0.5f + w * p.x * 0.5f, h * 0.5f - h * p.y * 0.5f, p.z);
}

Vector3 Vector3Project(const Vector3& v, const Matrix& m)
{
    return Vector3Project(v, m, s_vScreenSize);
}

Plane PlaneTransform(const Plane& p, const Matrix& m)
{
    const Vector3 n(p.a * m.m11 + p.b * m.m21 + p.c * m.m31,
                    p.a * m.m12 + p.b * m.m22 + p.c * m.m32,
                    p.a * m.m13 + p.b * m.m23 + p.c * m.m33);
    return Plane(n, p.d - Vector3Dot(n, Vector3(m.m41, m.m42, m.m43)));
}

Vector3 ComputeTriangleNormal(const Vector3& a, const Vector3& b, const Vector3& c)
{
    return Vector3Normalize(Vector3Cross(b - a, c - a));
}

int ComputeBoxPlanes(const Vector3& min, const Vector3& max, const Matrix& m, Plane* planes)
{
    planes[0] = PlaneTransform(Plane(-1, 0, 0, min.x), m);
    planes[1] = PlaneTransform(Plane(1, 0, 0, -max.x), m);
    planes[2] = PlaneTransform(Plane(0, 1, 0, -max.y), m);
    planes[3] = PlaneTransform(Plane(0, -1, 0, min.y), m);
    planes[4] = PlaneTransform(Plane(0, 0, -1, min.z), m);
    planes[5] = PlaneTransform(Plane(0, 0, 1, -max.z), m);
    return 1;
}

int ComputeClipPlanes(const Matrix& view, const Matrix& proj, Plane* planes)
{
    // A clip-space coordinate is (p, 1) · column j of view · proj; the volume is
    // −w ≤ x ≤ w, −w ≤ y ≤ w, −w ≤ z ≤ w, each side turned into n·p + d ≤ 0.
    const Matrix q = view * proj;
    const Vector3 n1 = PlaneColumn(q, 0), n2 = PlaneColumn(q, 1), n3 = PlaneColumn(q, 2),
                  n4 = PlaneColumn(q, 3);
    const float d1 = q.m41, d2 = q.m42, d3 = q.m43, d4 = q.m44;

    planes[0] = Plane(-(n1 + n4), -(d1 + d4));  // left
    planes[1] = Plane(-(n4 - n1), -(d4 - d1));  // right
    planes[2] = Plane(-(n4 - n2), -(d4 - d2));  // top
    planes[3] = Plane(-(n2 + n4), -(d2 + d4));  // bottom
    planes[4] = Plane(-(n3 + n4), -(d3 + d4));  // near
    planes[5] = Plane(-(n4 - n3), -(d4 - d3));  // far
    for (int i = 0; i < 6; i++) planes[i] = PlaneNormalize(planes[i]);
    return 1;
}

float PointPlaneDistance(const Vector3& p, const Plane& plane)
{
    const Vector3 n = PlaneNormal(plane);
    return (Vector3Dot(n, p) + plane.d) / Vector3Length(n);
}

float PointLineDistance(const Vector3& p, const Vector3& a, const Vector3& b)
{
    const Vector3 d = b - a;
    const float t = Vector3Dot(p - a, d) / Vector3Dot(d, d);
    return Vector3Length(a + d * t - p);
}

float LineLineDistance(const Vector3& p0, const Vector3& p1, const Vector3& q0, const Vector3& q1)
{
    const Vector3 u = p1 - p0, v = q1 - q0, w = p0 - q0;
    const float uu = Vector3Dot(u, u), uv = Vector3Dot(u, v), vv = Vector3Dot(v, v);
    const float uw = Vector3Dot(u, w), vw = Vector3Dot(v, w);
    const float den = uu * vv - uv * uv;

    float s, t;
    if (den >= 0.0001f)
    {
        s = (uv * vw - vv * uw) / den;
        t = (uu * vw - uv * uw) / den;
    }
    else
    {
        // Nearly parallel: measure from p0.
        s = 0.0f;
        t = uv > vv ? uw / uv : vw / vv;
    }
    return Vector3Length(w + u * s - v * t);
}

int ClassifySphere(const Vector3& c, float r, const Plane& plane)
{
    const float dist = PointPlaneDistanceFast(c, PlaneNormalize(plane));
    if (std::fabs(dist) < r) return 0;
    return dist > 0.0f ? 1 : -1;
}

int ClassifyAABox(const Vector3& min, const Vector3& max, const Plane& plane)
{
    // The corners nearest to and farthest along the normal.
    Vector3 pMin, pMax;
    if (plane.a > 0.0f) { pMin.x = min.x; pMax.x = max.x; } else { pMin.x = max.x; pMax.x = min.x; }
    if (plane.b > 0.0f) { pMin.y = min.y; pMax.y = max.y; } else { pMin.y = max.y; pMax.y = min.y; }
    if (plane.c > 0.0f) { pMin.z = min.z; pMax.z = max.z; } else { pMin.z = max.z; pMax.z = min.z; }

    if (PointPlaneDistanceFast(pMin, plane) > 0.0f) return 1;
    if (PointPlaneDistanceFast(pMax, plane) <= 0.0f) return -1;
    return 0;
}

int ClassifyBox(const Vector3& min, const Vector3& max, const Matrix& m, const Plane& plane)
{
    return ClassifyAABox(min, max, PlaneTransform(plane, MatrixInvert(m)));
}

int ClassifyBox_Inv(const Vector3& min, const Vector3& max, const Matrix& mInv, const Plane& plane)
{
    return ClassifyAABox(min, max, PlaneTransform(plane, mInv));
}

int PointVisible(const Vector3& p, const Plane* planes)
{
    for (int i = 0; i < 6; i++)
        if (PointPlaneDistanceFast(p, planes[i]) > 0.0f) return 0;
    return 1;
}

int SphereVisible(const Vector3& c, float r, const Plane* planes)
{
    for (int i = 0; i < 6; i++)
        if (PointPlaneDistanceFast(c, planes[i]) > r) return 0;
    return 1;
}

int AABoxVisible(const Vector3& min, const Vector3& max, const Plane* planes)
{
    for (int i = 0; i < 6; i++)
        if (ClassifyAABox(min, max, planes[i]) == 1) return 0;
    return 1;
}

int BoxVisible(const Vector3& min, const Vector3& max, const Matrix& m, const Plane* planes)
{
    return BoxVisible_Inv(min, max, MatrixInvert(m), planes);
}

int BoxVisible_Inv(const Vector3& min, const Vector3& max, const Matrix& mInv, const Plane* planes)
{
    for (int i = 0; i < 6; i++)
        if (ClassifyBox_Inv(min, max, mInv, planes[i]) == 1) return 0;
    return 1;
}

unsigned long GetD3DFormatBPP(D3DFORMAT f)
{
    switch (f)
    {
    case D3DFMT_P8:
    case D3DFMT_L8:
    case D3DFMT_A4L4:
        return 8;

    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_A8P8:
    case D3DFMT_A8L8:
    case D3DFMT_V8U8:
    case D3DFMT_L6V5U5:
    case D3DFMT_D16_LOCKABLE:
    case D3DFMT_D15S1:
    case D3DFMT_D16:
    case D3DFMT_L16:
        return 16;

    case D3DFMT_R8G8B8:
        return 24;

    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
    case D3DFMT_A2B10G10R10:
    case D3DFMT_G16R16:
    case D3DFMT_X8L8V8U8:
    case D3DFMT_Q8W8V8U8:
    case D3DFMT_V16U16:
    case D3DFMT_A2W10V10U10:
    case D3DFMT_D32:
    case D3DFMT_D24S8:
    case D3DFMT_D24X8:
    case D3DFMT_D24X4S4:
    case D3DFMT_D32F_LOCKABLE:
    case D3DFMT_D24FS8:
        return 32;

    case D3DFMT_A16B16G16R16:
    case D3DFMT_Q16W16V16U16:
        return 64;

    default:
        return 0;
    }
}
