#pragma once
// Comparisons with a tolerance for the math tests.

#include <gtest/gtest.h>

#include "aeMath.h"

namespace mathtest
{
inline void ExpectNear(const Vector3& expected, const Vector3& actual, float tol = 1e-5f)
{
    EXPECT_NEAR(expected.x, actual.x, tol);
    EXPECT_NEAR(expected.y, actual.y, tol);
    EXPECT_NEAR(expected.z, actual.z, tol);
}

inline void ExpectNear(const Matrix& expected, const Matrix& actual, float tol = 1e-5f)
{
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 4; j++)
            EXPECT_NEAR(expected.m[i][j], actual.m[i][j], tol) << "element " << i + 1 << j + 1;
}

constexpr float kPi = 3.14159265f;
}
