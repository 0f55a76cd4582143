// Camera movement on the grid and every collision rule: walls, objects, the
// four corner zones and the grid edge.

#include "MazeTestUtil.h"

#include <cmath>

using namespace mazetest;

namespace
{
class Camera : public MazeFixture
{
protected:
    void SetUp() override
    {
        MazeFixture::SetUp();
        Grid(3, 3);
    }
    // Puts the camera at field-local offset (dx, dz) of field (x, y).
    static void At(int x, int y, float dx, float dz)
    {
        const Vector3 c = aeMaze::GetFieldCenter(x, y);
        aeCamera::m_vPosition = Vector2(c.x - dx, c.z - dz);
    }
    int Wall(int x, int y, int wall, float thickness = 0.0f)
    {
        const int index = Add(aeMaze::m_aWalls, Animation(1.0f), 0, 0, 0);
        aeMaze::GetWall(index)->m_fThickness = thickness;
        aeMaze::GetField(x, y)->m_aiWalls[wall] = index;
        return index;
    }
    static std::pair<int, int> Field()
    {
        int x = -1, y = -1;
        aeCamera::GetPositionInField(&x, &y);
        return {x, y};
    }
};
}

TEST_F(Camera, MoveToFieldPutsTheCameraOnTheCentre)
{
    aeCamera::MoveToField(1, 1);
    EXPECT_EQ(aeCamera::m_vPosition, Vector2(0.0f, 0.0f));
    aeCamera::MoveToField(0, 0);
    EXPECT_EQ(aeCamera::m_vPosition, Vector2(20.0f, 20.0f));
    aeCamera::m_fRotation = 1.0f;
    aeCamera::MoveToField(3, 0);
    aeCamera::MoveToField(0, -1);
    EXPECT_EQ(aeCamera::m_vPosition, Vector2(20.0f, 20.0f));
    EXPECT_EQ(aeCamera::m_fRotation, 1.0f);
}

TEST_F(Camera, PositionRoundsToTheNearestFieldAndClampsToTheGrid)
{
    aeCamera::m_vPosition = Vector2(9.9f, 0.0f);
    EXPECT_EQ(Field(), std::make_pair(1, 1));
    aeCamera::m_vPosition = Vector2(10.1f, -10.1f);
    EXPECT_EQ(Field(), std::make_pair(0, 2));
    aeCamera::m_vPosition = Vector2(-1000.0f, 1e30f);
    EXPECT_EQ(Field(), std::make_pair(2, 0));
    aeCamera::m_vPosition = Vector2(std::nanf(""), 0.0f);
    EXPECT_EQ(Field().first, 0);
    aeCamera::GetPositionInField(nullptr, nullptr);

    aeCamera::m_vPosition = Vector2(25.0f, 0.0f);
    aeCamera::MoveRel(Vector2(-15.0f, 0.0f)); // to the left at heading 0 is +X
    EXPECT_EQ(aeCamera::m_vPosition.x, 30.0f);
    EXPECT_EQ(Field().first, 0);
    aeCamera::MoveRel(Vector2(0.0f, 100.0f)); // forward at heading 0 is -Z
    EXPECT_EQ(aeCamera::m_vPosition.y, -30.0f);
}

TEST_F(Camera, MoveRelFollowsTheHeading)
{
    aeCamera::MoveRel(Vector2(0.0f, 1.0f));
    EXPECT_EQ(aeCamera::m_vPosition, Vector2(0.0f, -1.0f));
    aeCamera::Init(Vector2(0.0f, 0.0f), 1.5707964f, 0.0f);
    aeCamera::MoveRel(Vector2(0.0f, 1.0f));
    EXPECT_NEAR(aeCamera::m_vPosition.x, -1.0f, 1e-6f);
    EXPECT_NEAR(aeCamera::m_vPosition.y, 0.0f, 1e-6f);
    aeCamera::MoveRel(Vector2(1.0f, 0.0f)); // right of looking towards -X is +Z
    EXPECT_NEAR(aeCamera::m_vPosition.y, 1.0f, 1e-6f);
    aeCamera::AddRotation(10.0f);
    EXPECT_FLOAT_EQ(aeCamera::GetRotation(), 11.5707964f);
}

TEST_F(Camera, PitchIsClampedTo89Degrees)
{
    aeCamera::AddUpDown(2.0f);
    EXPECT_FLOAT_EQ(aeCamera::GetUpDown(), 1.553343f);
    aeCamera::AddUpDown(-5.0f);
    EXPECT_FLOAT_EQ(aeCamera::GetUpDown(), -1.553343f);
    aeCamera::AddUpDown(0.5f);
    EXPECT_FLOAT_EQ(aeCamera::GetUpDown(), -1.053343f);
}

TEST_F(Camera, WallsStopThePlayerTwoShortOfTheirFace)
{
    // Each wall of the centre field alone, thickness 0 and 3.
    for (int wall = 0; wall < 4; ++wall)
        for (float t : {0.0f, 3.0f})
        {
            SCOPED_TRACE(wall * 10 + static_cast<int>(t));
            *aeMaze::GetField(1, 1) = aeMazeField();
            Wall(1, 1, wall, t);
            const float limit = 8.0f - t;
            const float sign = (wall == 0 || wall == 1) ? -1.0f : 1.0f;
            const bool alongX = wall == 1 || wall == 3;
            auto place = [&](float d) { At(1, 1, alongX ? sign * d : 0.0f, alongX ? 0.0f : sign * d); };
            place(limit);
            EXPECT_EQ(aeMaze::CheckCollisions(), 0);
            place(limit + 0.01f);
            EXPECT_EQ(aeMaze::CheckCollisions(), 1);
            // The opposite side is free.
            place(-9.5f);
            EXPECT_EQ(aeMaze::CheckCollisions(), 0);
        }
}

TEST_F(Camera, FiredWallsStillBlock)
{
    Wall(1, 1, 0);
    aeMaze::GetField(1, 1)->m_byActivated = 0xFF;
    At(1, 1, 0.0f, -9.0f);
    EXPECT_EQ(aeMaze::CheckCollisions(), 1);
}

TEST_F(Camera, ObjectBoxBlocksWithTwoUnitsToSpare)
{
    aeMazeField* f = aeMaze::GetField(1, 1);
    f->m_iObject = Add(aeMaze::m_aObjects, Animation(1.0f), AE_ACTION_NONE, AE_MODE_LOOP, 1);
    aeObject* o = aeMaze::GetObject(f->m_iObject);
    o->m_vMin = Vector2(-5.0f, -3.0f);
    o->m_vMax = Vector2(5.0f, 1.0f);
    At(1, 1, 6.9f, 0.0f);
    EXPECT_EQ(aeMaze::CheckCollisions(), 1);
    At(1, 1, 7.1f, 0.0f);
    EXPECT_EQ(aeMaze::CheckCollisions(), 0);
    At(1, 1, -7.0f, -5.0f); // exactly on the threshold: blocked (<= in the box test)
    EXPECT_EQ(aeMaze::CheckCollisions(), 1);
    At(1, 1, 0.0f, 3.1f);
    EXPECT_EQ(aeMaze::CheckCollisions(), 0);
    // Activated, an object without the opening action still blocks.
    f->m_byActivated = 0x02;
    At(1, 1, 0.0f, 0.0f);
    EXPECT_EQ(aeMaze::CheckCollisions(), 1);
    o->m_iAction = AE_ACTION_OPEN;
    EXPECT_EQ(aeMaze::CheckCollisions(), 0);
    f->m_byActivated = 0x01;
    EXPECT_EQ(aeMaze::CheckCollisions(), 1);
}

TEST_F(Camera, CornerZonesAreSolidWhereANeighbourWallMeetsThem)
{
    struct Zone
    {
        float dx, dz;
        int nx1, ny1, wall1; // the neighbour beyond the row border and its wall
        int nx2, ny2, wall2; // the neighbour beyond the column border and its wall
    };
    const Zone zones[4] = {{-9, -9, 1, 0, 1, 0, 1, 0},
                           {9, -9, 1, 0, 3, 2, 1, 0},
                           {-9, 9, 1, 2, 1, 0, 1, 2},
                           {9, 9, 1, 2, 3, 2, 1, 2}};
    for (int z = 0; z < 4; ++z)
    {
        SCOPED_TRACE(z);
        const Zone& zone = zones[z];
        for (int which = 0; which < 3; ++which)
        {
            aeMaze::m_aWalls.Clear();
            for (int i = 0; i < 9; ++i)
                *aeMaze::GetField(i) = aeMazeField();
            if (which == 1)
                Wall(zone.nx1, zone.ny1, zone.wall1);
            if (which == 2)
                Wall(zone.nx2, zone.ny2, zone.wall2);
            At(1, 1, zone.dx, zone.dz);
            EXPECT_EQ(aeMaze::CheckCollisions(), which != 0) << which;
            // The border bands beside the corner stay free.
            At(1, 1, zone.dx, 0.0f);
            EXPECT_EQ(aeMaze::CheckCollisions(), 0);
            At(1, 1, 0.0f, zone.dz);
            EXPECT_EQ(aeMaze::CheckCollisions(), 0);
            // Exactly 8 from the centre is not yet the corner.
            At(1, 1, zone.dx > 0 ? 8.0f : -8.0f, zone.dz);
            EXPECT_EQ(aeMaze::CheckCollisions(), 0);
        }
    }
}

TEST_F(Camera, GridEdgeMakesCornersSolidWithoutReadingOutside)
{
    // Every corner zone of every edge field of a wall-less 3 x 3 maze.
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            for (float dx : {-9.0f, 9.0f})
                for (float dz : {-9.0f, 9.0f})
                {
                    At(x, y, dx, dz);
                    const bool edge = (dz < 0 && y == 0) || (dz > 0 && y == 2) || (dx < 0 && x == 0) ||
                                      (dx > 0 && x == 2);
                    EXPECT_EQ(aeMaze::CheckCollisions(), edge) << x << "," << y << " " << dx << "," << dz;
                }
    // The top-left field's side bands stop only at the clamp of MoveRel.
    At(0, 0, 0.0f, -9.9f);
    EXPECT_EQ(aeMaze::CheckCollisions(), 0);
    aeCamera::m_vPosition = Vector2(25.0f, 20.0f);
    aeCamera::MoveRel(Vector2(-10.0f, 0.0f));
    EXPECT_EQ(aeCamera::m_vPosition.x, 30.0f);
    EXPECT_EQ(aeMaze::CheckCollisions(), 0);
}

TEST_F(Camera, OneByOneMazeHasSolidCornersEverywhere)
{
    Grid(1, 1);
    At(0, 0, 9.0f, -9.0f);
    EXPECT_EQ(aeMaze::CheckCollisions(), 1);
    At(0, 0, 9.0f, 0.0f);
    EXPECT_EQ(aeMaze::CheckCollisions(), 0);
    aeMaze::Exit();
    EXPECT_EQ(aeMaze::CheckCollisions(), 0);
}
