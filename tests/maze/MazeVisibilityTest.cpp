// The wall-based visibility window: corridors, corners and the map edge.

#include "MazeTestUtil.h"

#include <array>

namespace
{
using MazeVisibility = mazetest::MazeFixture;

// The window around (x0, y0) as eleven rows of '1' (may be seen) and '.' (hidden).
std::vector<std::string> Window(int x0, int y0)
{
    int window[121];
    std::fill(std::begin(window), std::end(window), 1);
    aeMaze::CalcVisibility(x0, y0, window);
    std::vector<std::string> rows(11);
    for (int i = 0; i < 121; ++i)
        rows[static_cast<size_t>(i / 11)] += window[i] ? '1' : '.';
    return rows;
}
}

TEST_F(MazeVisibility, WallsHideWhatLiesBehindThemInTheWindow)
{
    const std::string A = "11111111111", N = "11111.11111";
    struct Case
    {
        const char* name;
        std::vector<std::array<int, 3>> walls; // x, y, wall
        int x, y;
        std::vector<std::string> rows;         // "" is not checked
    };
    const Case cases[] = {
        {"no walls", {}, 10, 10, {A, A, A, A, A, A, A, A, A, A, A}},
        {"no walls in the corner", {}, 0, 0, {A, A, A, A, A, A, A, A, A, A, A}},
        {"no walls on the edge", {}, 19, 3, {A, A, A, A, A, A, A, A, A, A, A}},
        {"wall ahead hides the axis beyond", {{5, 5, 0}}, 5, 5, {N, N, N, N, N, A, A, A, A, A, A}},
        // The side wall also closes the camera's own row towards the west.
        {"with a side wall the corner too", {{5, 5, 0}, {5, 5, 1}}, 5, 5,
         {"......11111", "......11111", "......11111", "......11111", "......11111", ".....111111", A, A, A, A, A}},
        // Rows 2 to 5 are the corridor (its last field included), rows 0 and 1 lie behind its end.
        {"corridor north",
         {{10, 7, 1}, {10, 7, 3}, {10, 8, 1}, {10, 8, 3}, {10, 9, 1}, {10, 9, 3}, {10, 10, 1}, {10, 10, 3}, {10, 7, 0}},
         10, 10,
         {"...........", "...........", ".....1.....", ".....1.....", ".....1.....", ".....1.....", A, A, A, A, A}},
        // A wall 1 two columns west in the camera's row; in the next row north
        // one a column west of the axis, which the west scanner reaching two
        // columns already passes by.
        {"side scanner keeps its reach", {{8, 10, 1}, {9, 9, 1}}, 10, 10, {"", "", "", "", A, "...11111111", A}},
        {"east and south mirror the others", {{10, 10, 3}, {10, 10, 2}}, 10, 10,
         {A, A, A, A, A, "111111.....", "11111......", "11111......", "11111......", "11111......", "11111......"}},
        {"walls on the window's far edge", {{10, 5, 0}, {15, 10, 3}}, 10, 10, {A, A, A, A, A, A, A, A, A, A, A}},
        // In the corner no field west or north is ever read.
        {"map corner", {{0, 0, 3}, {0, 0, 2}}, 0, 0, {A, "", "", "", "", "111111.....", "11111......"}},
        // On the last column the east scanner stops at the edge at reach 0,
        // so the axis field's wall 3 still closes the corner beyond.
        {"last column", {{19, 12, 2}, {19, 12, 3}}, 19, 10,
         {"", "", "", "", "", "", A, "111111.....", "11111......", "", "11111......"}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Grid(20, 20);
        const int wall = Add(aeMaze::m_aWalls, 1.0f, 0, 0, 0);
        for (const auto& [x, y, side] : c.walls)
            aeMaze::GetField(x, y)->m_aiWalls[side] = wall;
        const std::vector<std::string> rows = Window(c.x, c.y);
        for (size_t r = 0; r < c.rows.size(); ++r)
            EXPECT_TRUE(c.rows[r].empty() || rows[r] == c.rows[r]) << "row " << r << ": " << rows[r];
    }
    // A null window or an empty maze do nothing.
    aeMaze::CalcVisibility(1, 1, nullptr);
    aeMaze::Exit();
    int window[121];
    std::fill(std::begin(window), std::end(window), 1);
    aeMaze::CalcVisibility(0, 0, window);
    for (int cell : window)
        EXPECT_EQ(cell, 1);
}
