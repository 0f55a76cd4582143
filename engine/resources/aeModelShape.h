#pragma once
// What a model's geometry tells about the space it fills: the box around its
// vertices and the flat faces that nothing behind them shows through. The
// maze uses it to leave out fields that nearer walls hide completely.

#include <vector>

#include "aeMath.h"

struct aeRVMVertex;
struct aeModelMaterial;

// A parallelogram: the corner and the two sides from it; the fourth corner is
// corner + side1 + side2.
struct aeModelFace
{
    Vector3 vCorner;
    Vector3 vSide1;
    Vector3 vSide2;
};

struct aeModelShape
{
    bool bHasBounds = false;
    // A vertex that is no finite point: no box holds the model.
    bool bUnbounded = false;
    Vector3 vMin, vMax;
    // Faces of opaque materials: two triangles drawn one after the other in
    // the material's run that share a side and together make a parallelogram.
    std::vector<aeModelFace> aFaces;
    // The opaque triangles enclose space: every side of a triangle is met by
    // exactly one other triangle running along it the other way, and each
    // piece so joined holds a volume, all on the same side. From an eye
    // outside them only their fronts can be seen.
    bool bClosed = false;
    // Their fronts are wound clockwise (Direct3D's default) in the model's own
    // left-handed space.
    bool bClockwise = false;

    // How the backs of the closed pieces turn on the screen when the model is
    // drawn through m (world, view and projection): 1 clockwise, -1
    // counterclockwise, 0 where they could show or nothing is known (the
    // pieces are not closed, the near plane's window into the scene touches
    // their box, m is flat).
    int BackWinding(const Matrix& m) const;
    // From the materials' runs (as drawing uses them), the vertices and the
    // indices; the indices must name vertices that exist.
    void Build(const aeModelMaterial* materials, int numMaterials, const aeRVMVertex* vertices, int numVertices,
               const unsigned short* indices);
    void Clear();
};
