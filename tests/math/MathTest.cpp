// The math library: vectors, colours and matrices (layout, operators, packing,
// matrix building), transforms, distances, plane sets, classification and
// culling, and format sizes.

#include <bit>
#include <cmath>
#include <utility>

#include <gtest/gtest.h>

#include "aeMath.h"

namespace
{
constexpr float kPi = 3.14159265f;

void ExpectNear(const Vector3& expected, const Vector3& actual, float tol = 1e-5f)
{
    EXPECT_NEAR(expected.x, actual.x, tol);
    EXPECT_NEAR(expected.y, actual.y, tol);
    EXPECT_NEAR(expected.z, actual.z, tol);
}

void ExpectNear(const Matrix& expected, const Matrix& actual, float tol = 1e-5f)
{
    for (int i = 0; i < 16; i++) EXPECT_NEAR(expected.m[i / 4][i % 4], actual.m[i / 4][i % 4], tol) << "element " << i;
}

// Each point lies outside the given plane first (−1: inside all six).
void ExpectFirstExcluding(const Plane* planes, std::initializer_list<std::pair<Vector3, int>> points)
{
    for (const auto& [p, plane] : points)
    {
        int first = -1;
        for (int i = 5; i >= 0; i--)
            if (PointPlaneDistanceFast(p, planes[i]) > 0) first = i;
        EXPECT_EQ(plane, first) << p.x << " " << p.y << " " << p.z;
    }
}
}

TEST(MathColor, PackingClampsAndTruncates)
{
    EXPECT_EQ(0xFF7FFF00ul, static_cast<unsigned long>(Color(0.5f, 1.2f, -0.1f, 1.0f)));
    EXPECT_EQ(0x44112233ul, static_cast<unsigned long>(Color(static_cast<unsigned char>(0x11),
        static_cast<unsigned char>(0x22), static_cast<unsigned char>(0x33), static_cast<unsigned char>(0x44))));
    // Arithmetic leaves the range; only the packing clamps.
    const Color sum = Color(0.8f, 0.2f, 0.0f, 0.5f) + Color(0.8f, 0.2f, 0.0f, 0.5f);
    EXPECT_FLOAT_EQ(1.6f, sum.r);
    EXPECT_EQ(0xFFFF6600ul, static_cast<unsigned long>(sum));
    EXPECT_EQ(0ul, static_cast<unsigned long>(Color(NAN, NAN, NAN, NAN)));
    for (unsigned long v = 0; v < 256; v++)  // every byte survives a round trip
    {
        const unsigned long argb = (v << 24) | ((255 - v) << 16) | (v << 8) | (v ^ 0x5A);
        EXPECT_EQ(argb, static_cast<unsigned long>(Color(argb))) << v;
    }

    // Unpacking uses the byte factor.
    const float factor = std::bit_cast<float>(0x3B808081u);
    EXPECT_EQ(Color(1.0f, 0.0f, 0.0f, 128.0f * factor), Color(0x80FF0000ul));
    EXPECT_EQ(0x3B808081u, std::bit_cast<uint32_t>(Color(static_cast<unsigned char>(1),
        static_cast<unsigned char>(0), static_cast<unsigned char>(0)).r));
    const unsigned char raw[4] = {10, 20, 30, 40};
    EXPECT_EQ(Color(10 * factor, 20 * factor, 30 * factor, 40 * factor), Color(raw));
    // A DWORD colour value reads the same as an unsigned long one; bits above 31 are ignored.
    EXPECT_EQ(Color(0x12345678ul), Color(static_cast<uint32_t>(0x12345678u)));
    EXPECT_EQ(Color(0x12345678ul), Color(0xAB12345678ul));

    // Constructors and operators cover alpha.
    EXPECT_EQ(Color(0.25f, 0.25f, 0.25f, 1.0f), Color(0.25f));
    EXPECT_EQ(Color(0.1f, 0.2f, 0.3f, 0.25f), Color(0.1f, 0.2f, 0.3f, 0.5f) * Color(1, 1, 1, 0.5f));
    Color white(1.0f, 1.0f, 1.0f, 1.0f);
    D3DCOLORVALUE& d = white;
    d.a = 0.5f;
    EXPECT_EQ(0.5f, static_cast<float*>(white)[3]);
}

TEST(MathMatrix, LayoutTransposeTextureMatrixAndDeterminant)
{
    float raw[16];
    for (int i = 0; i < 16; i++) raw[i] = static_cast<float>(i + 1);
    Matrix m(raw);
    EXPECT_EQ(8.0f, m.m24);
    EXPECT_EQ(14.0f, m._42);
    EXPECT_EQ(15.0f, m.m[3][2]);
    const D3DMATRIX& d = m;
    EXPECT_EQ(12.0f, d._34);
    EXPECT_EQ(m, Matrix(d));
    EXPECT_EQ(static_cast<const float*>(m), &d.m[0][0]);

    const Matrix t = MatrixTranspose(m);
    EXPECT_EQ(m.m23, t.m32);
    EXPECT_EQ(m.m41, t.m14);
    EXPECT_EQ(m, MatrixTranspose(t));
    EXPECT_EQ(Matrix(1, 2, 4, 0, 5, 6, 8, 0, 13, 14, 16, 0, 0, 0, 0, 1), MatrixToTex2DMatrix(m));

    // The determinant uses the upper three by three.
    Matrix d3 = MatrixScaling(Vector3(2, 3, 4));
    EXPECT_EQ(24.0f, MatrixDet(d3));
    d3.m14 = 5; d3.m41 = 6; d3.m44 = 0; d3.m34 = 9;
    EXPECT_EQ(24.0f, MatrixDet(d3));
    EXPECT_FLOAT_EQ(-1.0f, MatrixDet(MatrixAxes(Vector3(0, 1, 0), Vector3(1, 0, 0), Vector3(0, 0, 1))));
}

TEST(MathMatrix, ProductsRotationsAndTheInverse)
{
    // The product applies the left matrix first: (0,0,0) is moved to (1,0,0),
    // then turned about Y to (0,0,−1).
    const Matrix m = MatrixTranslation(Vector3(1, 0, 0)) * MatrixRotationY(kPi / 2);
    ExpectNear(Vector3(0, 0, -1), Vector3TransformCoords(Vector3(0, 0, 0), m, nullptr));
    EXPECT_EQ(MatrixTranslation(Vector3(1, 2, 3)) * 2.0f,
              MatrixTranslation(Vector3(1, 2, 3)) + MatrixTranslation(Vector3(1, 2, 3)));

    const float a = kPi / 2;
    ExpectNear(Vector3(0, 0, -1), Vector3TransformCoords(Vector3(1, 0, 0), MatrixRotationY(a), nullptr));
    ExpectNear(Vector3(0, 0, 1), Vector3TransformCoords(Vector3(0, 1, 0), MatrixRotationX(a), nullptr));
    ExpectNear(Vector3(0, 1, 0), Vector3TransformCoords(Vector3(1, 0, 0), MatrixRotationZ(a), nullptr));
    ExpectNear(MatrixRotationY(0.7f), MatrixRotationAxis(Vector3(0, 5, 0), 0.7f));
    ExpectNear(MatrixRotationX(-1.1f), MatrixRotationAxis(Vector3(2, 0, 0), -1.1f));
    ExpectNear(MatrixRotationZ(2.3f), MatrixRotationAxis(Vector3(0, 0, 0.5f), 2.3f));

    // Rotation is roll, then pitch, then yaw.
    EXPECT_EQ(MatrixRotationY(0.8f), MatrixRotation(0, 0.8f, 0));
    EXPECT_EQ(MatrixRotationZ(0.3f) * MatrixRotationX(0.5f) * MatrixRotationY(0.8f),
              MatrixRotation(0.5f, 0.8f, 0.3f));
    // Pitching forward down by 90° first leaves nothing for the yaw to turn;
    // the other order would give (1, 0, 0).
    ExpectNear(Vector3(0, -1, 0),
               Vector3TransformCoords(Vector3(0, 0, 1), MatrixRotation(kPi / 2, kPi / 2, 0), nullptr));

    // The inverse; a singular matrix gives the identity.
    const Vector3 t(3, -4, 5.5f);
    EXPECT_EQ(MatrixTranslation(-t), MatrixInvert(MatrixTranslation(t)));
    EXPECT_EQ(MatrixIdentity(), MatrixInvert(MatrixScaling(Vector3(1, 0, 1)) * MatrixTranslation(t)));
    const Matrix s = MatrixScaling(Vector3(2, 0.5f, 3)) * MatrixRotation(0.3f, 1.2f, -0.4f) * MatrixTranslation(t);
    ExpectNear(MatrixIdentity(), s * MatrixInvert(s));
    ExpectNear(MatrixIdentity(), s / s);
    const Matrix other = MatrixRotationX(0.9f);
    ExpectNear(other, (other * s) / s);
    // The fourth column of the input is ignored and becomes (0, 0, 0, 1).
    Matrix p = s;
    p.m14 = 1; p.m24 = 2; p.m34 = 3; p.m44 = 0;
    EXPECT_EQ(MatrixInvert(s), MatrixInvert(p));

    // The whole 4×4 determinant and inverse, perspective included: the
    // determinant of a product is the product of the determinants, a mirror
    // turns its sign.
    const Matrix proj = MatrixProjection(1.2f, 4.0f / 3.0f, 0.1f, 200.0f);
    const Matrix full = s * proj;
    EXPECT_NEAR(MatrixDet4(full), MatrixDet(s) * MatrixDet4(proj), 1e-4f * std::fabs(MatrixDet4(full)));
    EXPECT_NEAR(MatrixDet4(s), MatrixDet(s), 1e-5f);
    EXPECT_LT(MatrixDet4(MatrixScaling(Vector3(1, -1, 1)) * proj), 0.0f);
    Matrix inverse;
    ASSERT_TRUE(MatrixInvert4(full, &inverse));
    ExpectNear(MatrixIdentity(), full * inverse, 1e-4f);
    ExpectNear(MatrixIdentity(), inverse * full, 1e-4f);
    ASSERT_TRUE(MatrixInvert4(p, &inverse));
    ExpectNear(MatrixIdentity(), p * inverse, 1e-4f);
    EXPECT_FALSE(MatrixInvert4(MatrixScaling(Vector3(1, 0, 1)), &inverse));
    EXPECT_FALSE(MatrixInvert4(Matrix(NAN, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1), &inverse));

    // The projection, and the camera as the left-handed look-at.
    ExpectNear(Matrix(0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1.01f, 1, 0, 0, -1.01f, 0),
               MatrixProjection(kPi / 2, 2.0f, 1.0f, 101.0f), 1e-6f);
    ExpectNear(Matrix(0.8f, 0, 0.6f, 0, 0, 1, 0, 0, -0.6f, 0, 0.8f, 0, 1, -2, -3, 1),
               MatrixCamera(Vector3(1, 2, 3), Vector3(4, 2, 7), Vector3(0, 1, 0)));

    // Vectors compare exactly and divide element-wise; compound operators
    // return a copy: a second += on it leaves v alone.
    EXPECT_TRUE(Vector3(1, 2, 3) != Vector3(1, 2, 3.0001f));
    EXPECT_FALSE(Vector3(1, 2, 3) == Vector3(1, 2, 3.0001f));
    EXPECT_TRUE(Vector2(1, 2) != Vector2(1.0001f, 2));
    EXPECT_FALSE(Vector2(1, 2) == Vector2(1, 2.5f) || Vector2(1, 2) == Vector2(0, 2));
    EXPECT_EQ(Vector3(4, 2.5f, 2), Vector3(4, 5, 6) / Vector3(1, 2, 3));
    EXPECT_EQ(Vector3(4, 10, 18), 2.0f * Vector3(1, 2, 3) * Vector3(2, 2.5f, 3));
    Vector3 v(1, 1, 1);
    (v *= 2.0f) += Vector3(100);
    EXPECT_EQ(Vector3(2, 2, 2), v);
}

TEST(MathGeometry, TwoDimensionalTransformsAndProjection)
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

    // Projection to the screen.
    const Matrix id = MatrixIdentity();
    EXPECT_EQ(Vector3(400, 300, 0.25f), Vector3Project(Vector3(0, 0, 0.25f), id, Vector2(800, 600)));
    EXPECT_EQ(Vector3(800, 0, 0.5f), Vector3Project(Vector3(1, 1, 0.5f), id, Vector2(800, 600)));
    EXPECT_EQ(Vector3(0, 600, 0), Vector3Project(Vector3(-1, -1, 0), id, Vector2(800, 600)));
    const Vector2 previous = aeMathGetScreenSize();
    aeMathSetScreenSize(Vector2(1024, 768));
    EXPECT_EQ(Vector3(512, 384, 0), Vector3Project(Vector3(0, 0, 0), id));
    aeMathSetScreenSize(previous);
}

TEST(MathGeometry, DistancesAndClassification)
{
    const Plane z2(0, 0, 2, -4);
    EXPECT_FLOAT_EQ(3.0f, PointPlaneDistance(Vector3(7, 1, 5), z2));
    EXPECT_FLOAT_EQ(6.0f, PointPlaneDistanceFast(Vector3(7, 1, 5), z2));
    EXPECT_FLOAT_EQ(-2.0f, PointPlaneDistance(Vector3(0, 0, 0), z2));
    // The line is infinite: no clamping to the segment.
    EXPECT_FLOAT_EQ(3.0f, PointLineDistance(Vector3(10, 3, 0), Vector3(1, 0, 0), Vector3(2, 0, 0)));
    EXPECT_FLOAT_EQ(5.0f, PointLineDistance(Vector3(0, 0, 0), Vector3(3, -4, 1), Vector3(3, -4, 9)));

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

    // Spheres: touching counts by the side of the centre; the plane is normalised first.
    const Plane z0(0, 0, 1, 0);
    const struct { Vector3 centre; Plane plane; int side; } spheres[] = {
        {Vector3(0, 0, 3), z0, 1}, {Vector3(0, 0, 0.5f), z0, 0}, {Vector3(0, 0, -3), z0, -1},
        {Vector3(0, 0, 1), z0, 1}, {Vector3(0, 0, -1), z0, -1}, {Vector3(0, 0, 3), Plane(0, 0, 4, 0), 1}};
    for (const auto& s : spheres) EXPECT_EQ(s.side, ClassifySphere(s.centre, 1, s.plane)) << s.centre.z;

    // Axis-aligned boxes: negative and slanted normals pick the opposite
    // corners; a box touching the plane from inside is inside.
    const Vector3 lo(-1, -1, -1), hi(1, 1, 1);
    const std::pair<Plane, int> boxes[] = {
        {Plane(1, 0, 0, -2), -1}, {Plane(1, 0, 0, 2), 1}, {Plane(1, 0, 0, 0), 0}, {Plane(-1, 0, 0, -2), -1},
        {Plane(-1, -1, 0, 2.1f), 1}, {Plane(-1, -1, 0, 1.9f), 0}, {Plane(0, 0, 1, -1), -1}};
    for (const auto& [plane, side] : boxes) EXPECT_EQ(side, ClassifyAABox(lo, hi, plane)) << plane.d;

    // A placed box, long along local x; turned about Y it runs along world z from 3 to 7.
    const Vector3 blo(-2, -0.5f, -0.5f), bhi(2, 0.5f, 0.5f);
    const Matrix placed = MatrixTranslation(Vector3(0, 0, 5));
    const Matrix turned = MatrixRotationY(kPi / 2) * placed;
    const Plane z65(0, 0, 1, -6.5f), x1(1, 0, 0, -1);
    EXPECT_EQ(-1, ClassifyBox(blo, bhi, placed, z65));
    EXPECT_EQ(0, ClassifyBox(blo, bhi, turned, z65));
    EXPECT_EQ(0, ClassifyBox(blo, bhi, placed, x1));
    EXPECT_EQ(-1, ClassifyBox(blo, bhi, turned, x1));
    EXPECT_EQ(1, ClassifyBox(blo, bhi, turned, Plane(0, 0, -1, 7.5f)));
    EXPECT_EQ(ClassifyBox(blo, bhi, turned, z65), ClassifyBox_Inv(blo, bhi, MatrixInvert(turned), z65));
}

TEST(MathCulling, BoxPlanes)
{
    Plane planes[6];
    EXPECT_EQ(1, ComputeBoxPlanes(Vector3(-1, -2, -3), Vector3(4, 5, 6), MatrixIdentity(), planes));
    const Plane expected[6] = {Plane(-1, 0, 0, -1), Plane(1, 0, 0, -4), Plane(0, 1, 0, -5),
                               Plane(0, -1, 0, -2), Plane(0, 0, -1, -3), Plane(0, 0, 1, -6)};
    for (int i = 0; i < 6; i++) EXPECT_EQ(expected[i], planes[i]) << i;
    // On a plane counts as inside.
    EXPECT_EQ(1, PointVisible(Vector3(4, 5, 6), planes));
    EXPECT_EQ(0, PointVisible(Vector3(4.001f, 0, 0), planes));

    // Turned about Y and moved: local z becomes world x (7 … 13), local x world −z.
    ComputeBoxPlanes(Vector3(-1, -2, -3), Vector3(1, 2, 3),
                     MatrixRotationY(kPi / 2) * MatrixTranslation(Vector3(10, 0, 0)), planes);
    ExpectFirstExcluding(planes, {{Vector3(12.9f, 1.9f, 0.9f), -1}, {Vector3(13.1f, 0, 0), 5},
        {Vector3(10, 0, 1.1f), 0}, {Vector3(10, 0, -1.1f), 1}, {Vector3(6.9f, 0, 0), 4}});
}

TEST(MathCulling, ClipPlanesOfAView)
{
    // A camera at (0, 0, −10) looking along +z with a 90° square view, near 1, far 100.
    Plane planes[6];
    const Matrix view = MatrixCamera(Vector3(0, 0, -10), Vector3(0, 0, 0), Vector3(0, 1, 0));
    ComputeClipPlanes(view, MatrixProjection(kPi / 2, 1.0f, 1.0f, 100.0f), planes);
    for (const Plane& p : planes) EXPECT_NEAR(1.0f, Vector3Length(PlaneNormal(p)), 1e-6f);

    EXPECT_EQ(1, PointVisible(Vector3(0, 0, 0), planes));
    EXPECT_NEAR(-10 / std::sqrt(2.0f), PointPlaneDistanceFast(Vector3(0, 0, 0), planes[0]), 1e-4f);
    EXPECT_EQ(1, PointVisible(Vector3(19.9f, -19.9f, 10), planes));
    // Order: left, right, top, bottom, near, far.
    ExpectFirstExcluding(planes, {{Vector3(-20.1f, 0, 10), 0}, {Vector3(20.1f, 0, 10), 1}, {Vector3(0, 20.1f, 10), 2},
        {Vector3(0, -20.1f, 10), 3}, {Vector3(0, 0, -9.75f), 4}, {Vector3(0, 0, 90.1f), 5}});
    EXPECT_EQ(1, PointVisible(Vector3(0, 0, 89.9f), planes));
    // The near side is the clip bound −w ≤ z, which lies at
    // zn·zf / (2·zf − zn) ≈ 0.5025 in front of the eye, not at zn.
    EXPECT_NEAR(-10 + 100.0f / 199.0f, -planes[4].d / planes[4].c, 1e-4f);
    EXPECT_EQ(1, PointVisible(Vector3(0, 0, -9.25f), planes));

    // Spheres and axis-aligned boxes: (−12, 0, 0) lies √2 outside the left plane.
    EXPECT_EQ(1, SphereVisible(Vector3(-12, 0, 0), 1.5f, planes));
    EXPECT_EQ(0, SphereVisible(Vector3(-12, 0, 0), 1.3f, planes));
    EXPECT_EQ(1, SphereVisible(Vector3(0, 0, 0), 0.1f, planes));
    EXPECT_EQ(1, AABoxVisible(Vector3(-13, -1, -1), Vector3(-10, 1, 1), planes));
    EXPECT_EQ(0, AABoxVisible(Vector3(-14, -1, -1), Vector3(-12, 1, 1), planes));
    EXPECT_EQ(0, AABoxVisible(Vector3(-1, -1, 95), Vector3(1, 1, 99), planes));
    EXPECT_EQ(1, AABoxVisible(Vector3(-500, -500, -500), Vector3(500, 500, 500), planes));

    // Rotated boxes: behind the camera across the view; turned about Y it
    // reaches in front of it.
    const Vector3 lo(-20, -0.5f, -0.5f), hi(20, 0.5f, 0.5f);
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
    const std::pair<D3DFORMAT, unsigned long> table[] = {{D3DFMT_P8, 8}, {D3DFMT_L8, 8}, {D3DFMT_A4L4, 8},
        {D3DFMT_R5G6B5, 16}, {D3DFMT_X1R5G5B5, 16}, {D3DFMT_A1R5G5B5, 16}, {D3DFMT_A4R4G4B4, 16}, {D3DFMT_A8P8, 16},
        {D3DFMT_A8L8, 16}, {D3DFMT_V8U8, 16}, {D3DFMT_L6V5U5, 16}, {D3DFMT_D16_LOCKABLE, 16}, {D3DFMT_D15S1, 16},
        {D3DFMT_D16, 16}, {D3DFMT_L16, 16}, {D3DFMT_R8G8B8, 24}, {D3DFMT_A8R8G8B8, 32}, {D3DFMT_X8R8G8B8, 32},
        {D3DFMT_A2B10G10R10, 32}, {D3DFMT_G16R16, 32}, {D3DFMT_X8L8V8U8, 32}, {D3DFMT_Q8W8V8U8, 32},
        {D3DFMT_V16U16, 32}, {D3DFMT_A2W10V10U10, 32}, {D3DFMT_D32, 32}, {D3DFMT_D24S8, 32}, {D3DFMT_D24X8, 32},
        {D3DFMT_D24X4S4, 32}, {D3DFMT_D32F_LOCKABLE, 32}, {D3DFMT_D24FS8, 32}, {D3DFMT_A16B16G16R16, 64},
        {D3DFMT_Q16W16V16U16, 64}, {D3DFMT_UNKNOWN, 0}, {D3DFMT_A8, 0}, {D3DFMT_X4R4G4B4, 0}, {D3DFMT_A8B8G8R8, 0},
        {D3DFMT_R3G3B2, 0}, {D3DFMT_A2R10G10B10, 0}, {D3DFMT_DXT1, 0}, {D3DFMT_DXT5, 0}, {D3DFMT_R16F, 0},
        {D3DFMT_A32B32G32R32F, 0}, {static_cast<D3DFORMAT>(1234), 0}};
    for (const auto& [format, bits] : table) EXPECT_EQ(bits, GetD3DFormatBPP(format)) << format;
}
