#pragma once
// 4×4 single-precision matrices and the functions that build them.
//
// Matrices are row-major and act on row vectors from the right: a point is
// transformed as p · M, and M1 · M2 applies M1 first. Translation sits in the
// fourth row (m41, m42, m43). Projection and camera matrices are the
// left-handed Direct3D ones; angles are in radians.
//
// Arithmetic is element by element except for the product: Matrix * Matrix is
// the matrix product and Matrix / Matrix multiplies by the inverse
// (MatrixInvert). The default constructor leaves the elements uninitialised;
// it is not the identity (MatrixIdentity is). Comparison is exact.

#include "aeD3D9Types.h"
#include "Vector.h"

// The elements are reachable by three names: m11 … m44, the Direct3D names
// _11 … _44 and the array m[row][column]. A Matrix is handed to the graphics
// layer as a D3DMATRIX without copying, so its accesses must not be assumed
// apart from D3DMATRIX accesses by the optimiser.
struct __attribute__((__may_alias__)) Matrix
{
    union
    {
        struct
        {
            float m11, m12, m13, m14;
            float m21, m22, m23, m24;
            float m31, m32, m33, m34;
            float m41, m42, m43, m44;
        };
        struct
        {
            float _11, _12, _13, _14;
            float _21, _22, _23, _24;
            float _31, _32, _33, _34;
            float _41, _42, _43, _44;
        };
        float m[4][4];
    };

    Matrix() = default;
    Matrix(float f11, float f12, float f13, float f14,
           float f21, float f22, float f23, float f24,
           float f31, float f32, float f33, float f34,
           float f41, float f42, float f43, float f44)
    {
        m11 = f11; m12 = f12; m13 = f13; m14 = f14;
        m21 = f21; m22 = f22; m23 = f23; m24 = f24;
        m31 = f31; m32 = f32; m33 = f33; m34 = f34;
        m41 = f41; m42 = f42; m43 = f43; m44 = f44;
    }
    Matrix(const float* p)
    {
        for (int i = 0; i < 16; i++) m[i / 4][i % 4] = p[i];
    }
    Matrix(const D3DMATRIX& d)
    {
        for (int i = 0; i < 16; i++) m[i / 4][i % 4] = d.m[i / 4][i % 4];
    }

    operator float*() { return &m[0][0]; }
    operator const float*() const { return &m[0][0]; }
    operator D3DMATRIX&() { return *reinterpret_cast<D3DMATRIX*>(this); }
    operator const D3DMATRIX&() const { return *reinterpret_cast<const D3DMATRIX*>(this); }

    Matrix operator+(const Matrix& o) const
    {
        Matrix r;
        for (int i = 0; i < 16; i++) r.m[i / 4][i % 4] = m[i / 4][i % 4] + o.m[i / 4][i % 4];
        return r;
    }
    Matrix operator-(const Matrix& o) const
    {
        Matrix r;
        for (int i = 0; i < 16; i++) r.m[i / 4][i % 4] = m[i / 4][i % 4] - o.m[i / 4][i % 4];
        return r;
    }
    Matrix operator*(float f) const
    {
        Matrix r;
        for (int i = 0; i < 16; i++) r.m[i / 4][i % 4] = m[i / 4][i % 4] * f;
        return r;
    }
    Matrix operator/(float f) const
    {
        Matrix r;
        for (int i = 0; i < 16; i++) r.m[i / 4][i % 4] = m[i / 4][i % 4] / f;
        return r;
    }
    Matrix operator-() const
    {
        Matrix r;
        for (int i = 0; i < 16; i++) r.m[i / 4][i % 4] = -m[i / 4][i % 4];
        return r;
    }

    // Matrix product this · o.
    Matrix operator*(const Matrix& o) const
    {
        Matrix r;
        for (int i = 0; i < 4; i++)
            for (int j = 0; j < 4; j++)
                r.m[i][j] = m[i][0] * o.m[0][j] + m[i][1] * o.m[1][j] + m[i][2] * o.m[2][j]
                            + m[i][3] * o.m[3][j];
        return r;
    }
    // this · MatrixInvert(o).
    Matrix operator/(const Matrix& o) const;

    Matrix operator+=(const Matrix& o) { return *this = *this + o; }
    Matrix operator-=(const Matrix& o) { return *this = *this - o; }
    Matrix operator*=(const Matrix& o) { return *this = *this * o; }
    Matrix operator/=(const Matrix& o) { return *this = *this / o; }
    Matrix operator*=(float f) { return *this = *this * f; }
    Matrix operator/=(float f) { return *this = *this / f; }

    bool operator==(const Matrix& o) const
    {
        for (int i = 0; i < 16; i++)
            if (m[i / 4][i % 4] != o.m[i / 4][i % 4]) return false;
        return true;
    }
    bool operator!=(const Matrix& o) const { return !(*this == o); }
};

inline Matrix operator*(float f, const Matrix& m) { return m * f; }

static_assert(sizeof(Matrix) == sizeof(D3DMATRIX), "Matrix has the layout of D3DMATRIX");
static_assert(__builtin_offsetof(Matrix, m43) == __builtin_offsetof(D3DMATRIX, _43),
              "Matrix has the layout of D3DMATRIX");
static_assert(std::is_trivially_copyable_v<Matrix>, "matrices are copied as bytes");

// ---------------------------------------------------------------------------
// Building matrices
// ---------------------------------------------------------------------------

inline Matrix MatrixIdentity()
{
    return Matrix(1, 0, 0, 0,
                  0, 1, 0, 0,
                  0, 0, 1, 0,
                  0, 0, 0, 1);
}

// Identity with the translation t in the fourth row.
inline Matrix MatrixTranslation(const Vector3& t)
{
    return Matrix(1, 0, 0, 0,
                  0, 1, 0, 0,
                  0, 0, 1, 0,
                  t.x, t.y, t.z, 1);
}

inline Matrix MatrixRotationX(float a)
{
    const float c = std::cos(a), s = std::sin(a);
    return Matrix(1, 0, 0, 0,
                  0, c, s, 0,
                  0, -s, c, 0,
                  0, 0, 0, 1);
}

inline Matrix MatrixRotationY(float a)
{
    const float c = std::cos(a), s = std::sin(a);
    return Matrix(c, 0, -s, 0,
                  0, 1, 0, 0,
                  s, 0, c, 0,
                  0, 0, 0, 1);
}

inline Matrix MatrixRotationZ(float a)
{
    const float c = std::cos(a), s = std::sin(a);
    return Matrix(c, s, 0, 0,
                  -s, c, 0, 0,
                  0, 0, 1, 0,
                  0, 0, 0, 1);
}

// Roll about Z, then pitch about X, then yaw about Y:
// MatrixRotationZ(z) · MatrixRotationX(x) · MatrixRotationY(y).
Matrix MatrixRotation(float x, float y, float z);

// Rotation by a about the axis (normalised here; a zero axis is not guarded).
Matrix MatrixRotationAxis(const Vector3& axis, float a);

inline Matrix MatrixScaling(const Vector3& s)
{
    return Matrix(s.x, 0, 0, 0,
                  0, s.y, 0, 0,
                  0, 0, s.z, 0,
                  0, 0, 0, 1);
}

// Rows 1 to 3 are the three axes, row 4 is (0, 0, 0, 1).
inline Matrix MatrixAxes(const Vector3& x, const Vector3& y, const Vector3& z)
{
    return Matrix(x.x, x.y, x.z, 0,
                  y.x, y.y, y.z, 0,
                  z.x, z.y, z.z, 0,
                  0, 0, 0, 1);
}

// Determinant of the upper-left 3×3 part; the fourth row and column do not count.
inline float MatrixDet(const Matrix& m)
{
    return m.m11 * (m.m22 * m.m33 - m.m23 * m.m32)
         - m.m12 * (m.m21 * m.m33 - m.m23 * m.m31)
         + m.m13 * (m.m21 * m.m32 - m.m22 * m.m31);
}

// Determinant of the whole 4×4 matrix. Its sign tells whether the matrix, used
// as a transform with perspective, keeps or mirrors the winding of triangles
// in front of the eye.
float MatrixDet4(const Matrix& m);
// Inverse of the whole 4×4 matrix, perspective included; false (and *out
// untouched) when the determinant is 0 or no number.
bool MatrixInvert4(const Matrix& m, Matrix* out);

// Inverse of m taken as an affine matrix: the 3×3 part is inverted, the fourth
// column becomes (0, 0, 0, 1) and the translation is carried through; m14,
// m24, m34 and m44 are ignored. A 3×3 part with a determinant of exactly 0
// gives the identity.
Matrix MatrixInvert(const Matrix& m);

inline Matrix MatrixTranspose(const Matrix& m)
{
    return Matrix(m.m11, m.m21, m.m31, m.m41,
                  m.m12, m.m22, m.m32, m.m42,
                  m.m13, m.m23, m.m33, m.m43,
                  m.m14, m.m24, m.m34, m.m44);
}

// Left-handed perspective projection from the vertical field of view, the
// aspect ratio (width / height) and the near and far distances; the values are
// those of D3DXMatrixPerspectiveFovLH.
Matrix MatrixProjection(float fovY, float aspect, float zNear, float zFar);

// Left-handed view matrix of a camera at eye looking at at, with up as the
// rough up direction.
Matrix MatrixCamera(const Vector3& eye, const Vector3& at, const Vector3& up);

// Texture transform for two-component texture coordinates: rows
// (m11, m12, m14, 0), (m21, m22, m24, 0), (m41, m42, m44, 0), (0, 0, 0, 1).
Matrix MatrixToTex2DMatrix(const Matrix& m);

inline Matrix Matrix::operator/(const Matrix& o) const { return *this * MatrixInvert(o); }
