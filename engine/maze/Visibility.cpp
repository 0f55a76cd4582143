#include "aeMaze.h"

// The visibility window: 11 x 11 cells, row-major; the camera's field is cell
// (5, 5) and cell (r, c) stands for field (x0 + c - 5, y0 + r - 5).
namespace
{
const int kSize = 11;
const int kCentre = 5;

inline void Hide(int* window, int rowFrom, int rowTo, int colFrom, int colTo)
{
    for (int r = rowFrom; r <= rowTo; ++r)
        for (int c = colFrom; c <= colTo; ++c)
            window[r * kSize + c] = 0;
}

inline bool HasWall(int x, int y, int wall)
{
    return aeMaze::GetField(x, y)->m_aiWalls[wall] != -1;
}

// Sweeps away from the camera along one row direction (dir -1 north, +1
// south). wall is the wall that closes the axis towards the sweep.
void SweepRows(int x0, int y0, int dir, int* window)
{
    const int wall = dir < 0 ? 0 : 2;
    int west = 0, east = 0;
    for (int k = 0; k <= 5; ++k)
    {
        const int y = y0 + dir * k;
        if (y < 0 || y >= aeMaze::m_iHeight)
            break;
        const int r = kCentre + dir * k;
        if (HasWall(x0, y, wall) && (dir < 0 ? r > 0 : r < kSize - 1))
        {
            const int from = dir < 0 ? 0 : r + 1, to = dir < 0 ? r - 1 : kSize - 1;
            Hide(window, from, to, kCentre, kCentre);
            if (west == 0 && HasWall(x0, y, 1))
                Hide(window, from, to, 0, kCentre - 1);
            if (east == 0 && HasWall(x0, y, 3))
                Hide(window, from, to, kCentre + 1, kSize - 1);
        }
        if (west < 6)
            for (int j = west;; ++j)
            {
                if (x0 - j < 0)
                    break;
                west = j;
                if (j >= 5)
                    break;
                if (HasWall(x0 - j, y, 1))
                {
                    Hide(window, r, r, 0, 4 - j);
                    break;
                }
            }
        if (east < 6)
            for (int j = east;; ++j)
            {
                if (x0 + j >= aeMaze::m_iWidth)
                    break;
                east = j;
                if (j >= 5)
                    break;
                if (HasWall(x0 + j, y, 3))
                {
                    Hide(window, r, r, 6 + j, kSize - 1);
                    break;
                }
            }
    }
}

// Sweeps away from the camera along one column direction (dir -1 west, +1
// east).
void SweepColumns(int x0, int y0, int dir, int* window)
{
    const int wall = dir < 0 ? 1 : 3;
    int north = 0, south = 0;
    for (int k = 0; k <= 5; ++k)
    {
        const int x = x0 + dir * k;
        if (x < 0 || x >= aeMaze::m_iWidth)
            break;
        const int c = kCentre + dir * k;
        if (HasWall(x, y0, wall) && (dir < 0 ? c > 0 : c < kSize - 1))
        {
            const int from = dir < 0 ? 0 : c + 1, to = dir < 0 ? c - 1 : kSize - 1;
            Hide(window, kCentre, kCentre, from, to);
            if (north == 0 && HasWall(x, y0, 0))
                Hide(window, 0, kCentre - 1, from, to);
            if (south == 0 && HasWall(x, y0, 2))
                Hide(window, kCentre + 1, kSize - 1, from, to);
        }
        if (north < 6)
            for (int j = north;; ++j)
            {
                if (y0 - j < 0)
                    break;
                north = j;
                if (j >= 5)
                    break;
                if (HasWall(x, y0 - j, 0))
                {
                    Hide(window, 0, 4 - j, c, c);
                    break;
                }
            }
        if (south < 6)
            for (int j = south;; ++j)
            {
                if (y0 + j >= aeMaze::m_iHeight)
                    break;
                south = j;
                if (j >= 5)
                    break;
                if (HasWall(x, y0 + j, 2))
                {
                    Hide(window, 6 + j, kSize - 1, c, c);
                    break;
                }
            }
    }
}
}

void aeMaze::CalcVisibility(int x0, int y0, int* window)
{
    if (!window || !m_pFields || x0 < 0 || x0 >= m_iWidth || y0 < 0 || y0 >= m_iHeight)
        return;
    SweepRows(x0, y0, -1, window);
    SweepColumns(x0, y0, -1, window);
    SweepRows(x0, y0, 1, window);
    SweepColumns(x0, y0, 1, window);
}
