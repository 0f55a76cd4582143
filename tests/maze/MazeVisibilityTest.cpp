// The wall-based visibility window: corridors, corners and the map edge.

#include "MazeTestUtil.h"

using namespace mazetest;

namespace
{
class MazeVisibility : public MazeFixture
{
protected:
    void SetUp() override
    {
        MazeFixture::SetUp();
        Grid(20, 20);
        m_iWall = Add(aeMaze::m_aWalls, Animation(1.0f), 0, 0, 0);
    }
    void Wall(int x, int y, int wall) { aeMaze::GetField(x, y)->m_aiWalls[wall] = m_iWall; }

    // The window as eleven rows of '1' (may be seen) and '.' (hidden).
    static std::vector<std::string> Window(int x0, int y0)
    {
        int window[121];
        for (int& cell : window)
            cell = 1;
        aeMaze::CalcVisibility(x0, y0, window);
        std::vector<std::string> rows;
        for (int r = 0; r < 11; ++r)
        {
            std::string row;
            for (int c = 0; c < 11; ++c)
                row += window[r * 11 + c] ? '1' : '.';
            rows.push_back(row);
        }
        return rows;
    }
    static std::vector<std::string> All() { return std::vector<std::string>(11, "11111111111"); }

    int m_iWall = -1;
};
}

TEST_F(MazeVisibility, NoWallsHideNothing)
{
    EXPECT_EQ(Window(10, 10), All());
    EXPECT_EQ(Window(0, 0), All());
    EXPECT_EQ(Window(19, 3), All());
}

TEST_F(MazeVisibility, WallAheadHidesTheAxisBeyondAndWithASideWallTheCorner)
{
    Wall(5, 5, 0);
    std::vector<std::string> expected = All();
    for (int r = 0; r < 5; ++r)
        expected[static_cast<size_t>(r)][5] = '.';
    EXPECT_EQ(Window(5, 5), expected);

    Wall(5, 5, 1);
    // The side wall also closes the camera's own row towards the west.
    expected = {"......11111", "......11111", "......11111", "......11111", "......11111", ".....111111",
                "11111111111", "11111111111", "11111111111", "11111111111", "11111111111"};
    EXPECT_EQ(Window(5, 5), expected);
}

TEST_F(MazeVisibility, CorridorNorthShowsOnlyItsAxisAndEndsAtItsWall)
{
    for (int y = 7; y <= 10; ++y)
    {
        Wall(10, y, 1);
        Wall(10, y, 3);
    }
    Wall(10, 7, 0);
    // Rows 2 to 5 are the corridor (its last field included), rows 0 and 1
    // lie behind its end.
    const std::vector<std::string> expected = {"...........", "...........", ".....1.....",
                                               ".....1.....", ".....1.....", ".....1.....",
                                               "11111111111", "11111111111", "11111111111",
                                               "11111111111", "11111111111"};
    EXPECT_EQ(Window(10, 10), expected);
}

TEST_F(MazeVisibility, SideScannerKeepsItsReachIntoFurtherRows)
{
    // A wall 1 two columns west of the camera in the camera's row.
    Wall(8, 10, 1);
    // In the next row north a wall 1 one column west of the axis: the west
    // scanner already reaches two columns and passes it by.
    Wall(9, 9, 1);
    std::vector<std::string> w = Window(10, 10);
    EXPECT_EQ(w[5], "...11111111");
    EXPECT_EQ(w[4], "11111111111");
    EXPECT_EQ(w[6], "11111111111");
}

TEST_F(MazeVisibility, EastAndSouthSweepsMirrorTheOthers)
{
    Wall(10, 10, 3);
    Wall(10, 10, 2);
    const std::vector<std::string> expected = {"11111111111", "11111111111", "11111111111", "11111111111",
                                               "11111111111", "111111.....", "11111......", "11111......",
                                               "11111......", "11111......", "11111......"};
    EXPECT_EQ(Window(10, 10), expected);
}

TEST_F(MazeVisibility, WallsOnTheFarEdgeOfTheWindowHideNothingBeyondIt)
{
    Wall(10, 5, 0);  // row 0 of the window: nothing lies above it
    Wall(15, 10, 3); // column 10 of the window
    EXPECT_EQ(Window(10, 10), All());
}

TEST_F(MazeVisibility, MapEdgeStopsTheSweeps)
{
    // Camera in the corner: no field west or north is ever read.
    Wall(0, 0, 3);
    Wall(0, 0, 2);
    std::vector<std::string> w = Window(0, 0);
    EXPECT_EQ(w[5], "111111.....");
    EXPECT_EQ(w[6], "11111......");
    EXPECT_EQ(w[0], "11111111111");

    // Camera on the last column: the east scanner stops at the edge at
    // reach 0, so the axis field's wall 3 still closes the corner beyond.
    Wall(19, 12, 2);
    Wall(19, 12, 3);
    w = Window(19, 10);
    EXPECT_EQ(w[6], "11111111111");
    EXPECT_EQ(w[7], "111111.....");
    EXPECT_EQ(w[8], "11111......");
    EXPECT_EQ(w[10], "11111......");
}

TEST_F(MazeVisibility, NullWindowOrEmptyMazeDoNothing)
{
    aeMaze::CalcVisibility(1, 1, nullptr);
    aeMaze::Exit();
    int window[121];
    for (int& cell : window)
        cell = 1;
    aeMaze::CalcVisibility(0, 0, window);
    for (int cell : window)
        EXPECT_EQ(cell, 1);
}
