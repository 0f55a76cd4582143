#pragma once
// One frame of the maze as the game draws it: both passes from the camera's
// place, the first advancing the animations by dt. For the tests and the
// benchmarks; it needs an open device and a loaded maze. The game clears to
// black, the fog's colour.

#include "aeCamera.h"
#include "aeGrafik.h"
#include "aeMaze.h"

namespace test
{
inline void DrawMazeView(float dt = 0.0f, D3DCOLOR background = 0xFF000000)
{
    aeGrafik::Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, background, 1.0f, 0);
    aeGrafik::BeginScene();
    Vector3 eye, right;
    aeCamera::SetMatrices(&eye, &right, 0);
    aeMaze::Render(dt, eye, right, 1);
    aeMaze::Render(0.0f, eye, right, 2);
    aeGrafik::EndScene();
}
}   // namespace test
