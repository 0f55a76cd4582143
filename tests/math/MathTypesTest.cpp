// Vectors, colours and matrices: layout, operators, packing and matrix building.

#include <bit>
#include <cmath>

#include "MathTestSupport.h"

using mathtest::ExpectNear;
using mathtest::kPi;

TEST(MathVector, ComparisonIsExact)
{
    EXPECT_FALSE(Vector3(1, 2, 3) == Vector3(1, 2, 3.0001f));
    EXPECT_TRUE(Vector3(1, 2, 3) != Vector3(1, 2, 3.0001f));
    EXPECT_TRUE(Vector3(1, 2, 3) == Vector3(1, 2, 3));
    EXPECT_TRUE(Vector2(1, 2) != Vector2(1.0001f, 2));
}

TEST(MathVector, ArithmeticIsElementWise)
{
    EXPECT_EQ(Vector3(4, 10, 18), Vector3(1, 2, 3) * Vector3(4, 5, 6));
    EXPECT_EQ(Vector3(4, 2.5f, 2), Vector3(4, 5, 6) / Vector3(1, 2, 3));
    EXPECT_EQ(Vector2(2, 0.5f), Vector2(4, 1) / 2.0f);
    EXPECT_EQ(Vector3(-1, 2, -3), -Vector3(1, -2, 3));
    EXPECT_EQ(Vector3(2, 4, 6), 2.0f * Vector3(1, 2, 3));
}

TEST(MathVector, CompoundOperatorsReturnACopy)
{
    Vector3 v(1, 1, 1);
    const Vector3 r = (v += Vector3(1, 2, 3));
    EXPECT_EQ(Vector3(2, 3, 4), r);
    // The result is a copy: a second += on it leaves v alone.
    (v *= 2.0f) += Vector3(100);
    EXPECT_EQ(Vector3(4, 6, 8), v);
}

TEST(MathVector, SharesStorageWithDirect3D)
{
    Vector3 v(1, 2, 3);
    D3DVECTOR& d = v;
    d.y = 7;
    EXPECT_EQ(7.0f, static_cast<float*>(v)[1]);
    EXPECT_EQ(static_cast<void*>(&v), static_cast<void*>(&d));
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
}

TEST(MathColor, UnpackingUsesTheByteFactor)
{
    const float factor = std::bit_cast<float>(0x3B808081u);
    const Color c(0x80FF0000ul);
    EXPECT_EQ(1.0f, c.r);
    EXPECT_EQ(0.0f, c.g);
    EXPECT_EQ(0.0f, c.b);
    EXPECT_EQ(128.0f * factor, c.a);
    EXPECT_EQ(0x3B808081u, std::bit_cast<uint32_t>(Color(static_cast<unsigned char>(1),
        static_cast<unsigned char>(0), static_cast<unsigned char>(0)).r));

    const unsigned char bytes[4] = {10, 20, 30, 40};
    EXPECT_EQ(Color(10 * factor, 20 * factor, 30 * factor, 40 * factor), Color(bytes));
    // A DWORD colour value reads the same as an unsigned long one; bits above 31 are ignored.
    EXPECT_EQ(Color(0x12345678ul), Color(static_cast<uint32_t>(0x12345678u)));
    EXPECT_EQ(Color(0x12345678ul), Color(0xAB12345678ul));
}

TEST(MathColor, EveryByteSurvivesARoundTrip)
{
    for (unsigned long v = 0; v < 256; v++)
    {
        const unsigned long argb = (v << 24) | ((255 - v) << 16) | (v << 8) | (v ^ 0x5A);
        EXPECT_EQ(argb, static_cast<unsigned long>(Color(argb))) << v;
    }
}

TEST(MathColor, ConstructorsAndOperatorsCoverAlpha)
{
    EXPECT_EQ(Color(0.25f, 0.25f, 0.25f, 1.0f), Color(0.25f));
    EXPECT_EQ(Color(0.1f, 0.2f, 0.3f, 0.25f), Color(0.1f, 0.2f, 0.3f, 0.5f) * Color(1, 1, 1, 0.5f));
    Color c(1.0f, 1.0f, 1.0f, 1.0f);
    D3DCOLORVALUE& d = c;
    d.a = 0.5f;
    EXPECT_EQ(0.5f, static_cast<float*>(c)[3]);
}

TEST(MathMatrix, LayoutAndElementNames)
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
}

TEST(MathMatrix, ProductAppliesTheLeftMatrixFirst)
{
    const Matrix m = MatrixTranslation(Vector3(1, 0, 0)) * MatrixRotationY(kPi / 2);
    // (0,0,0) is moved to (1,0,0), then turned about Y to (0,0,−1).
    ExpectNear(Vector3(0, 0, -1), Vector3TransformCoords(Vector3(0, 0, 0), m, nullptr));
    EXPECT_EQ(MatrixTranslation(Vector3(1, 2, 3)) * 2.0f,
              MatrixTranslation(Vector3(1, 2, 3)) + MatrixTranslation(Vector3(1, 2, 3)));
}

TEST(MathMatrix, RotationDirections)
{
    const float a = kPi / 2;
    ExpectNear(Vector3(0, 0, -1), Vector3TransformCoords(Vector3(1, 0, 0), MatrixRotationY(a), nullptr));
    ExpectNear(Vector3(0, 0, 1), Vector3TransformCoords(Vector3(0, 1, 0), MatrixRotationX(a), nullptr));
    ExpectNear(Vector3(0, 1, 0), Vector3TransformCoords(Vector3(1, 0, 0), MatrixRotationZ(a), nullptr));
    ExpectNear(MatrixRotationY(0.7f), MatrixRotationAxis(Vector3(0, 5, 0), 0.7f));
    ExpectNear(MatrixRotationX(-1.1f), MatrixRotationAxis(Vector3(2, 0, 0), -1.1f));
    ExpectNear(MatrixRotationZ(2.3f), MatrixRotationAxis(Vector3(0, 0, 0.5f), 2.3f));
}

TEST(MathMatrix, RotationIsRollThenPitchThenYaw)
{
    EXPECT_EQ(MatrixRotationY(0.8f), MatrixRotation(0, 0.8f, 0));
    EXPECT_EQ(MatrixRotationZ(0.3f) * MatrixRotationX(0.5f) * MatrixRotationY(0.8f),
              MatrixRotation(0.5f, 0.8f, 0.3f));
    // Pitching forward down by 90° first leaves nothing for the yaw to turn;
    // the other order would give (1, 0, 0).
    ExpectNear(Vector3(0, -1, 0),
               Vector3TransformCoords(Vector3(0, 0, 1), MatrixRotation(kPi / 2, kPi / 2, 0), nullptr));
}

TEST(MathMatrix, DeterminantUsesTheUpperThreeByThree)
{
    Matrix m = MatrixScaling(Vector3(2, 3, 4));
    EXPECT_EQ(24.0f, MatrixDet(m));
    m.m14 = 5; m.m41 = 6; m.m44 = 0; m.m34 = 9;
    EXPECT_EQ(24.0f, MatrixDet(m));
    EXPECT_FLOAT_EQ(-1.0f, MatrixDet(MatrixAxes(Vector3(0, 1, 0), Vector3(1, 0, 0), Vector3(0, 0, 1))));
}

TEST(MathMatrix, InvertAffine)
{
    const Vector3 t(3, -4, 5.5f);
    EXPECT_EQ(MatrixTranslation(-t), MatrixInvert(MatrixTranslation(t)));

    Matrix singular = MatrixScaling(Vector3(1, 0, 1)) * MatrixTranslation(t);
    EXPECT_EQ(MatrixIdentity(), MatrixInvert(singular));

    const Matrix m = MatrixScaling(Vector3(2, 0.5f, 3)) * MatrixRotation(0.3f, 1.2f, -0.4f)
                     * MatrixTranslation(t);
    ExpectNear(MatrixIdentity(), m * MatrixInvert(m));
    ExpectNear(MatrixIdentity(), m / m);
    const Matrix other = MatrixRotationX(0.9f);
    ExpectNear(other, (other * m) / m);

    // The fourth column of the input is ignored and becomes (0, 0, 0, 1).
    Matrix p = m;
    p.m14 = 1; p.m24 = 2; p.m34 = 3; p.m44 = 0;
    EXPECT_EQ(MatrixInvert(m), MatrixInvert(p));
}

TEST(MathMatrix, TransposeAndTextureMatrix)
{
    float raw[16];
    for (int i = 0; i < 16; i++) raw[i] = static_cast<float>(i + 1);
    const Matrix m(raw);
    const Matrix t = MatrixTranspose(m);
    EXPECT_EQ(m.m23, t.m32);
    EXPECT_EQ(m.m41, t.m14);
    EXPECT_EQ(m, MatrixTranspose(t));
    EXPECT_EQ(Matrix(1, 2, 4, 0, 5, 6, 8, 0, 13, 14, 16, 0, 0, 0, 0, 1), MatrixToTex2DMatrix(m));
}

TEST(MathMatrix, ProjectionValues)
{
    const Matrix p = MatrixProjection(kPi / 2, 2.0f, 1.0f, 101.0f);
    EXPECT_NEAR(1.0f, p.m22, 1e-6f);
    EXPECT_NEAR(0.5f, p.m11, 1e-6f);
    EXPECT_FLOAT_EQ(1.01f, p.m33);
    EXPECT_EQ(1.0f, p.m34);
    EXPECT_FLOAT_EQ(-1.01f, p.m43);
    EXPECT_EQ(0.0f, p.m44);
    EXPECT_EQ(0.0f, p.m12 + p.m13 + p.m14 + p.m21 + p.m23 + p.m24 + p.m31 + p.m32 + p.m41 + p.m42);

    // The game's projection maps the near plane to depth 0 and the far plane to 1.
    const Matrix g = MatrixProjection(1.2217305f, 1.0f, 0.1f, 250.0f);
    float w = 0;
    EXPECT_NEAR(0.0f, Vector3TransformCoords(Vector3(0, 0, 0.1f), g, &w).z, 1e-6f);
    EXPECT_FLOAT_EQ(0.1f, w);
    EXPECT_NEAR(1.0f, Vector3TransformCoords(Vector3(0, 0, 250), g, nullptr).z, 1e-6f);
    EXPECT_NEAR(1.0f / std::tan(1.2217305f / 2), g.m22, 1e-6f);
}

TEST(MathMatrix, CameraIsTheLeftHandedLookAt)
{
    // z = (0.6, 0, 0.8), x = up × z = (0.8, 0, −0.6), y = (0, 1, 0).
    const Matrix v = MatrixCamera(Vector3(1, 2, 3), Vector3(4, 2, 7), Vector3(0, 1, 0));
    ExpectNear(Matrix(0.8f, 0, 0.6f, 0,
                      0, 1, 0, 0,
                      -0.6f, 0, 0.8f, 0,
                      1, -2, -3, 1), v);
    ExpectNear(Vector3(0, 0, 5), Vector3TransformCoords(Vector3(4, 2, 7), v, nullptr));

    // A slanted up vector still gives orthonormal axes.
    const Matrix s = MatrixCamera(Vector3(0, 0, 0), Vector3(1, 0, 1), Vector3(0, 1, 1));
    ExpectNear(MatrixIdentity(), s * MatrixTranspose(s));
    ExpectNear(Vector3(0, 0, std::sqrt(2.0f)), Vector3TransformCoords(Vector3(1, 0, 1), s, nullptr));
    ExpectNear(Vector3(0, 0, 0), Vector3TransformCoords(Vector3(1, 2, 3), v, nullptr));
}
