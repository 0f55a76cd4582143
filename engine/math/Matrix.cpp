// Matrix building: rotations, inversion, projection and camera matrices.

#include "Matrix.h"

#include <cmath>

Matrix MatrixRotation(float x, float y, float z)
{
    return MatrixRotationZ(z) * MatrixRotationX(x) * MatrixRotationY(y);
}

Matrix MatrixRotationAxis(const Vector3& axis, float a)
{
    const Vector3 n = Vector3Normalize(axis);
    const float c = std::cos(a), s = std::sin(a);
    const float t = 1.0f - c;

    return Matrix(n.x * n.x * t + c, n.x * n.y * t + n.z * s, n.x * n.z * t - n.y * s, 0,
                  n.x * n.y * t - n.z * s, n.y * n.y * t + c, n.y * n.z * t + n.x * s, 0,
                  n.x * n.z * t + n.y * s, n.y * n.z * t - n.x * s, n.z * n.z * t + c, 0,
                  0, 0, 0, 1);
}

namespace
{
// The 2×2 minors of the upper two rows (s) and of the lower two rows (c), both
// by the columns 12, 13, 14, 23, 24, 34; the determinant pairs each minor of
// the upper rows with the one of the other two columns below.
struct Minors
{
    float s[6], c[6];
    explicit Minors(const Matrix& m)
        : s{m.m11 * m.m22 - m.m21 * m.m12, m.m11 * m.m23 - m.m21 * m.m13, m.m11 * m.m24 - m.m21 * m.m14,
            m.m12 * m.m23 - m.m22 * m.m13, m.m12 * m.m24 - m.m22 * m.m14, m.m13 * m.m24 - m.m23 * m.m14},
          c{m.m31 * m.m42 - m.m41 * m.m32, m.m31 * m.m43 - m.m41 * m.m33, m.m31 * m.m44 - m.m41 * m.m34,
            m.m32 * m.m43 - m.m42 * m.m33, m.m32 * m.m44 - m.m42 * m.m34, m.m33 * m.m44 - m.m43 * m.m34}
    {
    }
    float Det() const { return s[0] * c[5] - s[1] * c[4] + s[2] * c[3] + s[3] * c[2] - s[4] * c[1] + s[5] * c[0]; }
};
}  // namespace

float MatrixDet4(const Matrix& m)
{
    return Minors(m).Det();
}

bool MatrixInvert4(const Matrix& m, Matrix* out)
{
    const Minors n(m);
    const float d = n.Det();
    if (d == 0.0f || !std::isfinite(d))
        return false;
    const float* s = n.s;
    const float* c = n.c;
    const float i = 1.0f / d;
    *out = Matrix((m.m22 * c[5] - m.m23 * c[4] + m.m24 * c[3]) * i, (-m.m12 * c[5] + m.m13 * c[4] - m.m14 * c[3]) * i,
                  (m.m42 * s[5] - m.m43 * s[4] + m.m44 * s[3]) * i, (-m.m32 * s[5] + m.m33 * s[4] - m.m34 * s[3]) * i,
                  (-m.m21 * c[5] + m.m23 * c[2] - m.m24 * c[1]) * i, (m.m11 * c[5] - m.m13 * c[2] + m.m14 * c[1]) * i,
                  (-m.m41 * s[5] + m.m43 * s[2] - m.m44 * s[1]) * i, (m.m31 * s[5] - m.m33 * s[2] + m.m34 * s[1]) * i,
                  (m.m21 * c[4] - m.m22 * c[2] + m.m24 * c[0]) * i, (-m.m11 * c[4] + m.m12 * c[2] - m.m14 * c[0]) * i,
                  (m.m41 * s[4] - m.m42 * s[2] + m.m44 * s[0]) * i, (-m.m31 * s[4] + m.m32 * s[2] - m.m34 * s[0]) * i,
                  (-m.m21 * c[3] + m.m22 * c[1] - m.m23 * c[0]) * i, (m.m11 * c[3] - m.m12 * c[1] + m.m13 * c[0]) * i,
                  (-m.m41 * s[3] + m.m42 * s[1] - m.m43 * s[0]) * i, (m.m31 * s[3] - m.m32 * s[1] + m.m33 * s[0]) * i);
    return true;
}

Matrix MatrixInvert(const Matrix& m)
{
    const float d = MatrixDet(m);
    if (d == 0.0f) return MatrixIdentity();

    // Adjugate of the 3×3 part divided by its determinant.
    const float i11 = (m.m22 * m.m33 - m.m23 * m.m32) / d;
    const float i12 = (m.m13 * m.m32 - m.m12 * m.m33) / d;
    const float i13 = (m.m12 * m.m23 - m.m13 * m.m22) / d;
    const float i21 = (m.m23 * m.m31 - m.m21 * m.m33) / d;
    const float i22 = (m.m11 * m.m33 - m.m13 * m.m31) / d;
    const float i23 = (m.m13 * m.m21 - m.m11 * m.m23) / d;
    const float i31 = (m.m21 * m.m32 - m.m22 * m.m31) / d;
    const float i32 = (m.m12 * m.m31 - m.m11 * m.m32) / d;
    const float i33 = (m.m11 * m.m22 - m.m12 * m.m21) / d;

    // The translation moves back through the inverted 3×3: −(t · R⁻¹).
    const float t1 = -(m.m41 * i11 + m.m42 * i21 + m.m43 * i31);
    const float t2 = -(m.m41 * i12 + m.m42 * i22 + m.m43 * i32);
    const float t3 = -(m.m41 * i13 + m.m42 * i23 + m.m43 * i33);

    return Matrix(i11, i12, i13, 0,
                  i21, i22, i23, 0,
                  i31, i32, i33, 0,
                  t1, t2, t3, 1);
}

Matrix MatrixProjection(float fovY, float aspect, float zNear, float zFar)
{
    const float yScale = 1.0f / std::tan(fovY * 0.5f);
    const float xScale = yScale / aspect;
    const float depth = zFar - zNear;

    return Matrix(xScale, 0, 0, 0,
                  0, yScale, 0, 0,
                  0, 0, zFar / depth, 1,
                  0, 0, -zNear * zFar / depth, 0);
}

Matrix MatrixCamera(const Vector3& eye, const Vector3& at, const Vector3& up)
{
    const Vector3 z = Vector3Normalize(at - eye);
    const Vector3 x = Vector3Normalize(Vector3Cross(up, z));
    const Vector3 y = Vector3Normalize(Vector3Cross(z, x));

    // MatrixTranslation(−eye) · R, with the axes as the columns of R.
    return Matrix(x.x, y.x, z.x, 0,
                  x.y, y.y, z.y, 0,
                  x.z, y.z, z.z, 0,
                  -Vector3Dot(eye, x), -Vector3Dot(eye, y), -Vector3Dot(eye, z), 1);
}

Matrix MatrixToTex2DMatrix(const Matrix& m)
{
    return Matrix(m.m11, m.m12, m.m14, 0,
                  m.m21, m.m22, m.m24, 0,
                  m.m41, m.m42, m.m44, 0,
                  0, 0, 0, 1);
}
