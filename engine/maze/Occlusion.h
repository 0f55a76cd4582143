#pragma once
// Whether pieces of the maze lie wholly behind opaque faces drawn nearer the
// eye. A face hides a box when every line from the eye to a point of the box
// passes through the face first and leaves the face's depth well in front of
// the box's: the space a face hides in this way is convex, so the box is
// tested at the corners of its part beyond the near plane, and only where it
// comes onto the screen. Margins of a few pixels inside the face's
// outline and of many steps of the depth buffer behind it keep the answer on
// the safe side, so leaving out a hidden box changes no pixel.

#include "aeMath.h"
#include "aeModelShape.h"

// What one field draws, slot by slot: the box around each slot's pieces and
// the opaque flat faces (world space), as many faces as fit.
struct aeFieldPieces
{
    static const int kSlots = 7;
    static const int kMaxFaces = 48;
    struct Box
    {
        bool bAny = false;
        // A piece without a box: the slot can never count as hidden.
        bool bUnbounded = false;
        Vector3 vMin, vMax;

        void Add(const Vector3& p);
        void Add(const Box& other);
    };
    Box aSlots[kSlots];
    Box field;
    aeModelFace aFaces[kMaxFaces];
    unsigned char abyFaceSlot[kMaxFaces];
    int iNumFaces = 0;

    // Adds a model of the slot drawn with the world matrix m.
    void Add(int slot, const aeModelShape& shape, const Matrix& m);
};

class aeOcclusion
{
public:
    static const int kMaxFaces = 256;

    // view and projection as drawing uses them (a perspective projection whose
    // w is the view depth), and the viewport's size in pixels. False, with no
    // faces, when the test cannot be made with them.
    bool Begin(const Matrix& view, const Matrix& projection, float width, float height);
    // A face drawn opaque with depth writes, the parallelogram of corner and
    // its two sides (world space). Only its part well beyond the near plane
    // counts; a face reaching beyond the far plane, too small on the screen or
    // beyond the capacity is passed over.
    void AddFace(const aeModelFace& face);
    // Whether nothing of the box (world space) can show: what of it lies
    // beyond the near plane and on the screen lies behind faces added so far.
    bool Hides(const Vector3& boxMin, const Vector3& boxMax) const;
    int GetNumFaces() const { return m_iNumFaces; }

private:
    struct Face
    {
        aeModelFace world;
        Vector3 vWorldNormal;  // unit: with world.vCorner, the face's plane
        Vector3 vNormal;     // unit, view space, pointing away from the eye
        float fOffset;       // dot(normal, p) + offset: distance behind the face
        // a x + b y + c >= 0: inside the shrunk outline (pixels); four edges,
        // five where the near plane cuts a corner off.
        float afEdge[5][3];
        int iNumEdges;
    };
    void ToPixels(const Vector3& view, float* x, float* y) const;
    bool Project(const aeModelFace& world, Face* face) const;
    static bool Continue(const aeModelFace& a, const aeModelFace& b, aeModelFace* joined);
    float DepthMargin(float depth) const;

    Matrix m_View, m_Projection;
    float m_fWidth = 0.0f, m_fHeight = 0.0f, m_fNear = 0.0f, m_fFar = 0.0f;
    Face m_aFaces[kMaxFaces];
    int m_iNumFaces = 0;
};
