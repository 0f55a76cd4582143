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

    // From the materials' runs (as drawing uses them), the vertices and the
    // indices; the indices must name vertices that exist.
    void Build(const aeModelMaterial* materials, int numMaterials, const aeRVMVertex* vertices, int numVertices,
               const unsigned short* indices);
    void Clear();
};
