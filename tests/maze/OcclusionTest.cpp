// Which boxes an opaque face hides, from the eye at the origin looking along
// +Z through the game's projection on a 1024 x 768 screen.

#include <gtest/gtest.h>

#include "Occlusion.h"

namespace
{
aeModelFace Face(Vector3 corner, Vector3 side1, Vector3 side2)
{
    aeModelFace f;
    f.vCorner = corner;
    f.vSide1 = side1;
    f.vSide2 = side2;
    return f;
}

class Occlusion : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Test.Begin(MatrixIdentity(), m_Projection, 1024.0f, 768.0f));
    }
    const Matrix m_Projection = MatrixProjection(1.2217305f, 4.0f / 3.0f, 0.1f, 200.0f);
    aeOcclusion m_Test;
};
}

TEST_F(Occlusion, AFaceHidesWhatLiesWhollyAndClearlyBehindIt)
{
    // A wall 20 x 20 twenty units ahead; its shadow at depth z reaches to ±z/2.
    m_Test.AddFace(Face(Vector3(-10.0f, -10.0f, 20.0f), Vector3(20.0f, 0.0f, 0.0f), Vector3(0.0f, 20.0f, 0.0f)));
    ASSERT_EQ(m_Test.GetNumFaces(), 1);
    const struct
    {
        Vector3 min, max;
        bool hidden;
    } boxes[] = {
        {{-2, -2, 40}, {2, 2, 44}, true},
        {{-19.5f, -19.5f, 40}, {19.5f, 19.5f, 80}, true},   // 7 pixels inside the outline
        {{-19.99f, -2, 40}, {2, 2, 42}, false},             // a seventh of a pixel inside
        {{-22, -2, 40}, {-18, 2, 42}, false},               // across the shadow's edge
        {{-2, -2, 5}, {2, 2, 6}, false},                    // in front
        {{-2, -2, 19}, {2, 2, 21}, false},                  // through the face
        {{-2, -2, 20.015f}, {2, 2, 20.02f}, false},         // closer behind than the depth buffer tells apart safely
        {{-2, -2, 20.1f}, {2, 2, 20.2f}, true},
        {{-2, -2, -1}, {2, 2, 30}, false},                  // from behind the eye to behind the face
        {{-200, -2, 30}, {-150, 2, 31}, true},              // off the screen
    };
    for (const auto& b : boxes)
        EXPECT_EQ(m_Test.Hides(b.min, b.max), b.hidden) << b.min.x << " " << b.min.z << " " << b.max.z;
}

TEST_F(Occlusion, FacesHideTogetherWhatNoneHidesAlone)
{
    const Vector3 min(-15.0f, -2.0f, 40.0f), max(15.0f, 2.0f, 41.0f);  // wider than either half's shadow
    // Two halves of a wall that continue each other in one plane, with a
    // seam between them: they count as one face.
    m_Test.AddFace(Face(Vector3(-10.0f, -10.0f, 10.0f), Vector3(10.0f, 0.0f, 0.0f), Vector3(0.0f, 20.0f, 0.0f)));
    m_Test.AddFace(Face(Vector3(0.0f, -10.0f, 10.0f), Vector3(0.0f, 20.0f, 0.0f), Vector3(10.0f, 0.0f, 0.0f)));
    EXPECT_EQ(m_Test.GetNumFaces(), 1);
    EXPECT_TRUE(m_Test.Hides(min, max));

    // Two faces in different planes whose outlines overlap on the screen: a
    // box behind both is hidden, one in front of the farther plane is not.
    ASSERT_TRUE(m_Test.Begin(MatrixIdentity(), m_Projection, 1024.0f, 768.0f));
    m_Test.AddFace(Face(Vector3(-10.0f, -10.0f, 10.0f), Vector3(11.0f, 0.0f, 0.0f), Vector3(0.0f, 20.0f, 0.0f)));
    m_Test.AddFace(Face(Vector3(0.0f, -12.0f, 12.0f), Vector3(12.0f, 0.0f, 0.0f), Vector3(0.0f, 24.0f, 0.0f)));
    EXPECT_EQ(m_Test.GetNumFaces(), 2);
    EXPECT_TRUE(m_Test.Hides(min, max));
    EXPECT_FALSE(m_Test.Hides(Vector3(-15.0f, -2.0f, 11.0f), Vector3(15.0f, 2.0f, 11.5f)));
    // Faces that only touch leave a seam the margin keeps open.
    ASSERT_TRUE(m_Test.Begin(MatrixIdentity(), m_Projection, 1024.0f, 768.0f));
    m_Test.AddFace(Face(Vector3(-10.0f, -10.0f, 10.0f), Vector3(10.0f, 0.0f, 0.0f), Vector3(0.0f, 20.0f, 0.0f)));
    m_Test.AddFace(Face(Vector3(0.0f, -12.0f, 12.0f), Vector3(12.0f, 0.0f, 0.0f), Vector3(0.0f, 24.0f, 0.0f)));
    EXPECT_FALSE(m_Test.Hides(min, max));
}
