// Transforms, distances, plane sets, classification and culling; format sizes.

#include <cmath>
#include <utility>

#include "MathTestSupport.h"

using mathtest::ExpectNear;
using mathtest::kPi;

namespace
{
// A camera at (0, 0, −10) looking along +z with a 90° square view, near 1, far 100.
void CameraPlanes(Plane* planes)
{
    const Matrix view = MatrixCamera(Vector3(0, 0, -10), Vector3(0, 0, 0), Vector3(0, 1, 0));
    ComputeClipPlanes(view, MatrixProjection(kPi / 2, 1.0f, 1.0f, 100.0f), planes);
}

// Index of the first plane that has p outside, or −1.
int FirstExcludingPlane(const Vector3& p, const Plane* planes)
{
    for (int i = 0; i < 6; i++)
        if (PointPlaneDistanceFast(p, planes[i]) > 0) return i;
    return -1;
}
}

TEST(MathGeometry, TransformCoordsDividesOnlyByAnotherW)
{
    float w = 0;
    const Matrix m = MatrixRotationX(0.3f) * MatrixTranslation(Vector3(1, 2, 3));
    const Vector3 v(0.5f, -1.5f, 2.0f);
    const Vector3 r = Vector3TransformCoords(v, m, &w);
    EXPECT_EQ(1.0f, w);
    EXPECT_EQ(v.x * m.m11 + v.y * m.m21 + v.z * m.m31 + m.m41, r.x);
    EXPECT_EQ(r, Vector3TransformCoords(v, m, nullptr));

    // Through a projection w is the view depth and the result is divided by it.
    const Matrix p = MatrixProjection(kPi / 2, 1.0f, 1.0f, 101.0f);
    const Vector3 q = Vector3TransformCoords(Vector3(2, -1, 4), p, &w);
    EXPECT_EQ(4.0f, w);
    ExpectNear(Vector3(0.5f, -0.25f, (4 * 1.01f - 1.01f) / 4), q);
}

TEST(MathGeometry, TransformNormalKeepsLengthAndPerpendicularity)
{
    const Matrix scale = MatrixScaling(Vector3(2, 1, 1));
    EXPECT_EQ(Vector3(0, 0, 0), Vector3TransformNormal(Vector3(0, 0, 0), scale));
    ExpectNear(Vector3(0, 2, 0), Vector3TransformNormal(Vector3(0, 2, 0), scale));
    ExpectNear(Vector3(3, 0, 0), Vector3TransformNormal(Vector3(3, 0, 0), scale * MatrixTranslation(Vector3(5))));

    // A sheared, unevenly scaled triangle: the transformed normal is the normal
    // of the transformed triangle, at the original length.
    Matrix shear = MatrixIdentity();
    shear.m21 = 1.0f;
    const Matrix m = MatrixScaling(Vector3(1, 3, 0.5f)) * MatrixRotationX(0.4f) * shear
                     * MatrixTranslation(Vector3(2, 0, -1));
    const Vector3 a(0, 0, 0), b(1, 0.2f, 0), c(0.3f, 0.1f, 1);
    const Vector3 n = ComputeTriangleNormal(a, b, c) * 2.5f;
    const Vector3 expected = ComputeTriangleNormal(Vector3TransformCoords(a, m, nullptr),
        Vector3TransformCoords(b, m, nullptr), Vector3TransformCoords(c, m, nullptr)) * 2.5f;
    ExpectNear(expected, Vector3TransformNormal(n, m));
    EXPECT_EQ(Vector3TransformNormal(n, m),
              Vector3TransformNormal_TranspInv(n, MatrixTranspose(MatrixInvert(m))));
    EXPECT_EQ(Vector3(0, 0, 0), Vector3TransformNormal_TranspInv(Vector3(0, 0, 0), m));
}

TEST(MathGeometry, TwoDimensionalTransforms)
{
    Matrix shear = MatrixIdentity();
    shear.m21 = 1.5f;
    const Vector2 direction(1, 1), normal(2, -2);
    const Vector2 d(direction.x * shear.m11 + direction.y * shear.m21,
                    direction.x * shear.m12 + direction.y * shear.m22);
    const Vector2 n = Vector2TransformNormal(normal, shear);
    EXPECT_NEAR(0.0f, Vector2Dot(d, n), 1e-5f);
    EXPECT_NEAR(Vector2Length(normal), Vector2Length(n), 1e-5f);
    EXPECT_EQ(Vector2(0, 0), Vector2TransformNormal(Vector2(0, 0), shear));
    EXPECT_EQ(n, Vector2TransformNormal_TranspInv(normal, MatrixTranspose(MatrixInvert(shear))));

    // Coordinates are transformed as points, not rescaled to the input length.
    float w = 0;
    Matrix m = MatrixTranslation(Vector3(5, 6, 0));
    EXPECT_EQ(Vector2(6, 8), Vector2TransformCoords(Vector2(1, 2), m, &w));
    EXPECT_EQ(1.0f, w);
    m.m14 = 1.0f;
    EXPECT_EQ(Vector2(3, 4), Vector2TransformCoords(Vector2(1, 2), m, &w));
    EXPECT_EQ(2.0f, w);
}

TEST(MathGeometry, ProjectToScreen)
{
    const Matrix m = MatrixIdentity();
    EXPECT_EQ(Vector3(400, 300, 0.25f), Vector3Project(Vector3(0, 0, 0.25f), m, Vector2(800, 600)));
    EXPECT_EQ(Vector3(800, 0, 0.5f), Vector3Project(Vector3(1, 1, 0.5f), m, Vector2(800, 600)));
    EXPECT_EQ(Vector3(0, 600, 0), Vector3Project(Vector3(-1, -1, 0), m, Vector2(800, 600)));

    const Vector2 previous = aeMathGetScreenSize();
    aeMathSetScreenSize(Vector2(1024, 768));
    EXPECT_EQ(Vector3(512, 384, 0), Vector3Project(Vector3(0, 0, 0), m));
    aeMathSetScreenSize(previous);
}

TEST(MathGeometry, PlaneTransformMovesAndTurns)
{
    const Plane ground(0, 1, 0, 0);
    EXPECT_EQ(Plane(0, 1, 0, -5), PlaneTransform(ground, MatrixTranslation(Vector3(3, 5, 7))));
    const Plane turned = PlaneTransform(ground, MatrixRotationZ(kPi / 2) * MatrixTranslation(Vector3(2, 0, 0)));
    ExpectNear(Vector3(-1, 0, 0), PlaneNormal(turned));
    EXPECT_NEAR(0.0f, PointPlaneDistanceFast(Vector3(2, 9, -4), turned), 1e-5f);
    EXPECT_EQ(Vector3(0, 0, 1), ComputeTriangleNormal(Vector3(0, 0, 0), Vector3(1, 0, 0), Vector3(0, 1, 0)));
}

TEST(MathGeometry, PointDistances)
{
    const Plane z2(0, 0, 2, -4);
    EXPECT_FLOAT_EQ(3.0f, PointPlaneDistance(Vector3(7, 1, 5), z2));
    EXPECT_FLOAT_EQ(6.0f, PointPlaneDistanceFast(Vector3(7, 1, 5), z2));
    EXPECT_FLOAT_EQ(-2.0f, PointPlaneDistance(Vector3(0, 0, 0), z2));
    // The line is infinite: no clamping to the segment.
    EXPECT_FLOAT_EQ(3.0f, PointLineDistance(Vector3(10, 3, 0), Vector3(1, 0, 0), Vector3(2, 0, 0)));
    EXPECT_FLOAT_EQ(5.0f, PointLineDistance(Vector3(0, 0, 0), Vector3(3, -4, 1), Vector3(3, -4, 9)));
}

TEST(MathGeometry, LineLineDistance)
{
    // Parallel to the x axis at distance 2, also with directions of different lengths.
    EXPECT_FLOAT_EQ(2.0f, LineLineDistance(Vector3(0, 0, 0), Vector3(1, 0, 0), Vector3(0, 2, 0), Vector3(1, 2, 0)));
    EXPECT_FLOAT_EQ(2.0f, LineLineDistance(Vector3(0, 0, 0), Vector3(3, 0, 0), Vector3(5, 0, 2), Vector3(6, 0, 2)));
    // Skew lines: closest points (1, 0, 0) and (1, 0, 5).
    EXPECT_FLOAT_EQ(5.0f, LineLineDistance(Vector3(-3, 0, 0), Vector3(2, 0, 0), Vector3(1, 4, 5), Vector3(1, 6, 5)));
    EXPECT_NEAR(0.0f, LineLineDistance(Vector3(0, 0, 0), Vector3(1, 1, 0), Vector3(2, 0, 0), Vector3(0, 2, 0)), 1e-6f);
    // Very short direction vectors fall under the parallel threshold, which is
    // absolute: the distance is then measured from p0.
    EXPECT_FLOAT_EQ(std::sqrt(26.0f), LineLineDistance(Vector3(1, 0, 0), Vector3(1.05f, 0, 0),
                                                       Vector3(0, 0, 5), Vector3(0, 0.05f, 5)));
}

TEST(MathGeometry, ClassifySphere)
{
    const Plane z0(0, 0, 1, 0);
    EXPECT_EQ(1, ClassifySphere(Vector3(0, 0, 3), 1, z0));
    EXPECT_EQ(0, ClassifySphere(Vector3(0, 0, 0.5f), 1, z0));
    EXPECT_EQ(-1, ClassifySphere(Vector3(0, 0, -3), 1, z0));
    // Touching counts by the side of the centre; the plane is normalised first.
    EXPECT_EQ(1, ClassifySphere(Vector3(0, 0, 1), 1, z0));
    EXPECT_EQ(-1, ClassifySphere(Vector3(0, 0, -1), 1, z0));
    EXPECT_EQ(1, ClassifySphere(Vector3(0, 0, 3), 1, Plane(0, 0, 4, 0)));
}

TEST(MathGeometry, ClassifyAxisAlignedBox)
{
    const Vector3 lo(-1, -1, -1), hi(1, 1, 1);
    EXPECT_EQ(-1, ClassifyAABox(lo, hi, Plane(1, 0, 0, -2)));
    EXPECT_EQ(1, ClassifyAABox(lo, hi, Plane(1, 0, 0, 2)));
    EXPECT_EQ(0, ClassifyAABox(lo, hi, Plane(1, 0, 0, 0)));
    // Negative and slanted normals pick the opposite corners.
    EXPECT_EQ(-1, ClassifyAABox(lo, hi, Plane(-1, 0, 0, -2)));
    EXPECT_EQ(1, ClassifyAABox(lo, hi, Plane(-1, -1, 0, 2.1f)));
    EXPECT_EQ(0, ClassifyAABox(lo, hi, Plane(-1, -1, 0, 1.9f)));
    // A box touching the plane from inside is inside.
    EXPECT_EQ(-1, ClassifyAABox(lo, hi, Plane(0, 0, 1, -1)));
}

TEST(MathGeometry, ClassifyPlacedBox)
{
    // Long along local x; turned about Y it runs along world z from 3 to 7.
    const Vector3 lo(-2, -0.5f, -0.5f), hi(2, 0.5f, 0.5f);
    const Matrix placed = MatrixTranslation(Vector3(0, 0, 5));
    const Matrix turned = MatrixRotationY(kPi / 2) * placed;
    const Plane z65(0, 0, 1, -6.5f), x1(1, 0, 0, -1);
    EXPECT_EQ(-1, ClassifyBox(lo, hi, placed, z65));
    EXPECT_EQ(0, ClassifyBox(lo, hi, turned, z65));
    EXPECT_EQ(0, ClassifyBox(lo, hi, placed, x1));
    EXPECT_EQ(-1, ClassifyBox(lo, hi, turned, x1));
    EXPECT_EQ(1, ClassifyBox(lo, hi, turned, Plane(0, 0, -1, 7.5f)));
    EXPECT_EQ(ClassifyBox(lo, hi, turned, z65), ClassifyBox_Inv(lo, hi, MatrixInvert(turned), z65));
}

TEST(MathCulling, BoxPlanes)
{
    Plane planes[6];
    EXPECT_EQ(1, ComputeBoxPlanes(Vector3(-1, -2, -3), Vector3(4, 5, 6), MatrixIdentity(), planes));
    EXPECT_EQ(Plane(-1, 0, 0, -1), planes[0]);
    EXPECT_EQ(Plane(1, 0, 0, -4), planes[1]);
    EXPECT_EQ(Plane(0, 1, 0, -5), planes[2]);
    EXPECT_EQ(Plane(0, -1, 0, -2), planes[3]);
    EXPECT_EQ(Plane(0, 0, -1, -3), planes[4]);
    EXPECT_EQ(Plane(0, 0, 1, -6), planes[5]);
    // On a plane counts as inside.
    EXPECT_EQ(1, PointVisible(Vector3(4, 5, 6), planes));
    EXPECT_EQ(0, PointVisible(Vector3(4.001f, 0, 0), planes));

    // Turned about Y and moved: local z becomes world x (7 … 13), local x world −z.
    ComputeBoxPlanes(Vector3(-1, -2, -3), Vector3(1, 2, 3),
                     MatrixRotationY(kPi / 2) * MatrixTranslation(Vector3(10, 0, 0)), planes);
    EXPECT_EQ(-1, FirstExcludingPlane(Vector3(12.9f, 1.9f, 0.9f), planes));
    EXPECT_EQ(5, FirstExcludingPlane(Vector3(13.1f, 0, 0), planes));
    EXPECT_EQ(0, FirstExcludingPlane(Vector3(10, 0, 1.1f), planes));
    EXPECT_EQ(1, FirstExcludingPlane(Vector3(10, 0, -1.1f), planes));
    EXPECT_EQ(4, FirstExcludingPlane(Vector3(6.9f, 0, 0), planes));
}

TEST(MathCulling, ClipPlanesOfAView)
{
    Plane planes[6];
    CameraPlanes(planes);
    for (const Plane& p : planes) EXPECT_NEAR(1.0f, Vector3Length(PlaneNormal(p)), 1e-6f);

    EXPECT_EQ(1, PointVisible(Vector3(0, 0, 0), planes));
    EXPECT_NEAR(-10 / std::sqrt(2.0f), PointPlaneDistanceFast(Vector3(0, 0, 0), planes[0]), 1e-4f);
    EXPECT_EQ(1, PointVisible(Vector3(19.9f, -19.9f, 10), planes));
    // Order: left, right, top, bottom, near, far.
    EXPECT_EQ(0, FirstExcludingPlane(Vector3(-20.1f, 0, 10), planes));
    EXPECT_EQ(1, FirstExcludingPlane(Vector3(20.1f, 0, 10), planes));
    EXPECT_EQ(2, FirstExcludingPlane(Vector3(0, 20.1f, 10), planes));
    EXPECT_EQ(3, FirstExcludingPlane(Vector3(0, -20.1f, 10), planes));
    EXPECT_EQ(4, FirstExcludingPlane(Vector3(0, 0, -9.75f), planes));
    EXPECT_EQ(5, FirstExcludingPlane(Vector3(0, 0, 90.1f), planes));
    EXPECT_EQ(1, PointVisible(Vector3(0, 0, 89.9f), planes));
    // The near side is the clip bound −w ≤ z, which lies at
    // zn·zf / (2·zf − zn) ≈ 0.5025 in front of the eye, not at zn.
    EXPECT_NEAR(-10 + 100.0f / 199.0f, -planes[4].d / planes[4].c, 1e-4f);
    EXPECT_EQ(1, PointVisible(Vector3(0, 0, -9.25f), planes));
}

TEST(MathCulling, SpheresAndAxisAlignedBoxes)
{
    Plane planes[6];
    CameraPlanes(planes);
    // (−12, 0, 0) lies √2 outside the left plane.
    EXPECT_EQ(1, SphereVisible(Vector3(-12, 0, 0), 1.5f, planes));
    EXPECT_EQ(0, SphereVisible(Vector3(-12, 0, 0), 1.3f, planes));
    EXPECT_EQ(1, SphereVisible(Vector3(0, 0, 0), 0.1f, planes));

    EXPECT_EQ(1, AABoxVisible(Vector3(-13, -1, -1), Vector3(-10, 1, 1), planes));
    EXPECT_EQ(0, AABoxVisible(Vector3(-14, -1, -1), Vector3(-12, 1, 1), planes));
    EXPECT_EQ(0, AABoxVisible(Vector3(-1, -1, 95), Vector3(1, 1, 99), planes));
    EXPECT_EQ(1, AABoxVisible(Vector3(-500, -500, -500), Vector3(500, 500, 500), planes));
}

TEST(MathCulling, RotatedBoxes)
{
    Plane planes[6];
    CameraPlanes(planes);
    const Vector3 lo(-20, -0.5f, -0.5f), hi(20, 0.5f, 0.5f);

    // Behind the camera across the view; turned about Y it reaches in front of it.
    const Matrix behind = MatrixTranslation(Vector3(0, 0, -15));
    EXPECT_EQ(0, BoxVisible(lo, hi, behind, planes));
    EXPECT_EQ(1, BoxVisible(lo, hi, MatrixRotationY(kPi / 2) * behind, planes));

    // Off to the right, reaching into the view; stood up about Z it stays outside.
    const Matrix right = MatrixTranslation(Vector3(30, 0, 5));
    EXPECT_EQ(1, BoxVisible(lo, hi, right, planes));
    const Matrix upright = MatrixRotationZ(kPi / 2) * right;
    EXPECT_EQ(0, BoxVisible(lo, hi, upright, planes));
    EXPECT_EQ(0, BoxVisible_Inv(lo, hi, MatrixInvert(upright), planes));
    EXPECT_EQ(1, BoxVisible_Inv(lo, hi, MatrixInvert(right), planes));
}

TEST(MathFormat, BitsPerPixel)
{
    const std::pair<D3DFORMAT, unsigned long> table[] = {
        {D3DFMT_P8, 8}, {D3DFMT_L8, 8}, {D3DFMT_A4L4, 8},
        {D3DFMT_R5G6B5, 16}, {D3DFMT_X1R5G5B5, 16}, {D3DFMT_A1R5G5B5, 16}, {D3DFMT_A4R4G4B4, 16},
        {D3DFMT_A8P8, 16}, {D3DFMT_A8L8, 16}, {D3DFMT_V8U8, 16}, {D3DFMT_L6V5U5, 16},
        {D3DFMT_D16_LOCKABLE, 16}, {D3DFMT_D15S1, 16}, {D3DFMT_D16, 16}, {D3DFMT_L16, 16},
        {D3DFMT_R8G8B8, 24},
        {D3DFMT_A8R8G8B8, 32}, {D3DFMT_X8R8G8B8, 32}, {D3DFMT_A2B10G10R10, 32}, {D3DFMT_G16R16, 32},
        {D3DFMT_X8L8V8U8, 32}, {D3DFMT_Q8W8V8U8, 32}, {D3DFMT_V16U16, 32}, {D3DFMT_A2W10V10U10, 32},
        {D3DFMT_D32, 32}, {D3DFMT_D24S8, 32}, {D3DFMT_D24X8, 32}, {D3DFMT_D24X4S4, 32},
        {D3DFMT_D32F_LOCKABLE, 32}, {D3DFMT_D24FS8, 32},
        {D3DFMT_A16B16G16R16, 64}, {D3DFMT_Q16W16V16U16, 64},
        {D3DFMT_UNKNOWN, 0}, {D3DFMT_A8, 0}, {D3DFMT_X4R4G4B4, 0}, {D3DFMT_A8B8G8R8, 0},
        {D3DFMT_R3G3B2, 0}, {D3DFMT_A2R10G10B10, 0}, {D3DFMT_DXT1, 0}, {D3DFMT_DXT5, 0},
        {D3DFMT_R16F, 0}, {D3DFMT_A32B32G32R32F, 0}, {static_cast<D3DFORMAT>(1234), 0},
    };
    for (const auto& [format, bits] : table) EXPECT_EQ(bits, GetD3DFormatBPP(format)) << format;
}
