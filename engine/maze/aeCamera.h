#pragma once
// The player's first-person camera on the ground plane of the maze: position
// (x = world X, y = world Z, the eye at height 0), heading and pitch.
//
// Heading 0 looks towards -Z (towards row y + 1); the view direction on the
// ground is (-sin r, 0, -cos r). The pitch stays within +-1.553343 (89
// degrees), positive looks up.

#include "aeMath.h"

class aeCamera
{
public:
    static Vector2 m_vPosition;
    static float m_fRotation;
    static float m_fUpDown;

    static int Init(Vector2 position, float rotation, float upDown);

    static void SetPosition(Vector2 position) { m_vPosition = position; }
    static Vector2 GetPosition() { return m_vPosition; }
    static void SetRotation(float rotation) { m_fRotation = rotation; }
    static float GetRotation() { return m_fRotation; }
    static void AddRotation(float delta) { m_fRotation += delta; }
    static float GetUpDown() { return m_fUpDown; }
    static void AddUpDown(float delta);

    // Moves by delta relative to the heading: (0, 1) walks forward, (1, 0)
    // steps to the right; the position stays within the maze's extent.
    static void MoveRel(Vector2 delta);
    // Puts the camera on the centre of field (x, y); outside the grid nothing
    // changes.
    static void MoveToField(int x, int y);
    // The field the camera is in, always one of the grid (nearest edge field
    // for positions beyond the border). Either pointer may be null.
    static void GetPositionInField(int* x, int* y);
    // Sets the view and projection (pass 1 and 2: the two eyes of a stereo
    // picture) and the sound listener; hands back the eye and the right axis.
    static int SetMatrices(Vector3* eye, Vector3* right, int pass);
};
