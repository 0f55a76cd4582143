// Camera movement on the grid and its collisions: walls, objects and the
// corners at the grid edge.

#include "MazeTestUtil.h"

#include <cmath>

namespace
{
class Camera : public mazetest::MazeFixture
{
protected:
    void SetUp() override
    {
        MazeFixture::SetUp();
        Grid(3, 3);
    }
    // Whether the camera collides at field-local offset (dx, dz) of field (x, y).
    static int BlockedAt(int x, int y, float dx, float dz)
    {
        const Vector3 c = aeMaze::GetFieldCenter(x, y);
        aeCamera::m_vPosition = Vector2(c.x - dx, c.z - dz);
        return aeMaze::CheckCollisions();
    }
    void Wall(int x, int y, int wall, float thickness = 0.0f)
    {
        const int index = Add(aeMaze::m_aWalls, 1.0f, 0, 0, 0);
        aeMaze::GetWall(index)->m_fThickness = thickness;
        aeMaze::GetField(x, y)->m_aiWalls[wall] = index;
    }
    static std::pair<int, int> Field()
    {
        int x = -1, y = -1;
        aeCamera::GetPositionInField(&x, &y);
        return {x, y};
    }
};
}

TEST_F(Camera, MovesOnTheGridFollowingTheHeading)
{
    aeCamera::MoveToField(0, 0);
    EXPECT_EQ(aeCamera::m_vPosition, Vector2(20.0f, 20.0f));
    aeCamera::m_fRotation = 1.0f;
    aeCamera::MoveToField(3, 0);
    aeCamera::MoveToField(0, -1);
    EXPECT_EQ(aeCamera::m_vPosition, Vector2(20.0f, 20.0f));
    EXPECT_EQ(aeCamera::m_fRotation, 1.0f);
    // The position rounds to the nearest field and clamps to the grid.
    const std::pair<Vector2, std::pair<int, int>> fields[] = {{Vector2(9.9f, 0.0f), {1, 1}},
                                                              {Vector2(10.1f, -10.1f), {0, 2}},
                                                              {Vector2(-1000.0f, 1e30f), {2, 0}}};
    for (const auto& [position, field] : fields)
    {
        aeCamera::m_vPosition = position;
        EXPECT_EQ(Field(), field);
    }
    aeCamera::m_vPosition = Vector2(std::nanf(""), 0.0f);
    EXPECT_EQ(Field().first, 0);
    aeCamera::GetPositionInField(nullptr, nullptr);
    aeCamera::Init(Vector2(25.0f, 0.0f), 0.0f, 0.0f);
    aeCamera::MoveRel(Vector2(-15.0f, 0.0f)); // to the left at heading 0 is +X
    EXPECT_EQ(aeCamera::m_vPosition.x, 30.0f);
    EXPECT_EQ(Field().first, 0);
    aeCamera::MoveRel(Vector2(0.0f, 100.0f)); // forward at heading 0 is -Z
    EXPECT_EQ(aeCamera::m_vPosition.y, -30.0f);
    aeCamera::Init(Vector2(0.0f, 0.0f), 1.5707964f, 0.0f);
    aeCamera::MoveRel(Vector2(0.0f, 1.0f));
    EXPECT_NEAR(aeCamera::m_vPosition.x, -1.0f, 1e-6f);
    EXPECT_NEAR(aeCamera::m_vPosition.y, 0.0f, 1e-6f);
    aeCamera::MoveRel(Vector2(1.0f, 0.0f)); // right of looking towards -X is +Z
    EXPECT_NEAR(aeCamera::m_vPosition.y, 1.0f, 1e-6f);
    aeCamera::AddRotation(10.0f);
    EXPECT_FLOAT_EQ(aeCamera::GetRotation(), 11.5707964f);
    // The pitch is clamped to 89 degrees.
    aeCamera::AddUpDown(2.0f);
    EXPECT_FLOAT_EQ(aeCamera::GetUpDown(), 1.553343f);
    aeCamera::AddUpDown(-5.0f);
    EXPECT_FLOAT_EQ(aeCamera::GetUpDown(), -1.553343f);
    aeCamera::AddUpDown(0.5f);
    EXPECT_FLOAT_EQ(aeCamera::GetUpDown(), -1.053343f);
}

TEST_F(Camera, WallsStopThePlayerTwoShortOfTheirFaceEvenWhenFired)
{
    // Each wall of the centre field alone, thickness 0 and 3.
    for (int wall = 0; wall < 4; ++wall)
        for (float t : {0.0f, 3.0f})
        {
            SCOPED_TRACE(wall * 10 + static_cast<int>(t));
            *aeMaze::GetField(1, 1) = aeMazeField();
            Wall(1, 1, wall, t);
            const float sign = (wall == 0 || wall == 1) ? -1.0f : 1.0f;
            const bool alongX = wall == 1 || wall == 3;
            auto blocked = [&](float d) { return BlockedAt(1, 1, alongX ? sign * d : 0.0f, alongX ? 0.0f : sign * d); };
            EXPECT_EQ(blocked(8.0f - t), 0);
            EXPECT_EQ(blocked(8.01f - t), 1);
            EXPECT_EQ(blocked(-9.5f), 0); // the opposite side is free
        }
    *aeMaze::GetField(1, 1) = aeMazeField();
    Wall(1, 1, 0);
    aeMaze::GetField(1, 1)->m_byActivated = 0xFF;
    EXPECT_EQ(BlockedAt(1, 1, 0.0f, -9.0f), 1);
    // An object's box blocks with two units to spare, also when fired without the opening action.
    *aeMaze::GetField(1, 1) = aeMazeField();
    aeMaze::GetField(1, 1)->m_iObject = Add(aeMaze::m_aObjects, 1.0f, AE_ACTION_NONE, AE_MODE_LOOP, 1);
    aeMaze::GetObject(aeMaze::GetField(1, 1)->m_iObject)->m_vMin = Vector2(-5.0f, -3.0f);
    aeMaze::GetObject(aeMaze::GetField(1, 1)->m_iObject)->m_vMax = Vector2(5.0f, 1.0f);
    EXPECT_EQ(BlockedAt(1, 1, 6.9f, 0.0f), 1);
    EXPECT_EQ(BlockedAt(1, 1, 7.1f, 0.0f), 0);
    EXPECT_EQ(BlockedAt(1, 1, -7.0f, -5.0f), 1);
    aeMaze::GetField(1, 1)->m_byActivated = g_abySlotBits[AE_SLOT_OBJECT];
    EXPECT_EQ(BlockedAt(1, 1, 0.0f, 0.0f), 1);
    aeMaze::GetObject(aeMaze::GetField(1, 1)->m_iObject)->m_iAction = AE_ACTION_OPEN;  // fired and opening: free
    EXPECT_EQ(BlockedAt(1, 1, 0.0f, 0.0f), 0);
    aeMaze::GetField(1, 1)->m_byActivated = AE_VISITED_BIT;
    EXPECT_EQ(BlockedAt(1, 1, 0.0f, 0.0f), 1);
}

TEST_F(Camera, GridEdgeMakesCornersSolidWithoutReadingOutside)
{
    // Every corner zone of every edge field of a wall-less 3 x 3 maze.
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            for (float dx : {-9.0f, 9.0f})
                for (float dz : {-9.0f, 9.0f})
                {
                    const bool edge = (dz < 0 && y == 0) || (dz > 0 && y == 2) || (dx < 0 && x == 0) ||
                                      (dx > 0 && x == 2);
                    EXPECT_EQ(BlockedAt(x, y, dx, dz), edge) << x << "," << y << " " << dx << "," << dz;
                }
    // The top-left field's side bands stop only at the clamp of MoveRel.
    EXPECT_EQ(BlockedAt(0, 0, 0.0f, -9.9f), 0);
    aeCamera::m_vPosition = Vector2(25.0f, 20.0f);
    aeCamera::MoveRel(Vector2(-10.0f, 0.0f));
    EXPECT_EQ(aeCamera::m_vPosition.x, 30.0f);
    EXPECT_EQ(aeMaze::CheckCollisions(), 0);
    // A 1 x 1 maze has solid corners everywhere.
    Grid(1, 1);
    EXPECT_EQ(BlockedAt(0, 0, 9.0f, -9.0f), 1);
    EXPECT_EQ(BlockedAt(0, 0, 9.0f, 0.0f), 0);
    aeMaze::Exit();
    EXPECT_EQ(aeMaze::CheckCollisions(), 0);
}
