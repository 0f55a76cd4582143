#include "aeModelShape.h"

#include "aeModel.h"

#include <cmath>

namespace
{
Vector3 Position(const aeRVMVertex& v)
{
    return Vector3(v.x, v.y, v.z);
}

// The two triangles (a0, a1, a2) and (b0, b1, b2) as one parallelogram: they
// share exactly two corners, and the two corners they do not share lie
// mirrored about the middle of the shared side.
bool AsParallelogram(const Vector3 a[3], const Vector3 b[3], aeModelFace* face)
{
    int match[3] = {-1, -1, -1};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            if (a[i] == b[j])
            {
                if (match[i] >= 0)
                    return false;
                match[i] = j;
            }
    int ownA = -1;
    for (int i = 0; i < 3; ++i)
        if (match[i] < 0)
        {
            if (ownA >= 0)
                return false;
            ownA = i;
        }
    if (ownA < 0)
        return false;
    const int j1 = match[(ownA + 1) % 3], j2 = match[(ownA + 2) % 3];
    if (j1 == j2)
        return false;
    const int ownB = 3 - j1 - j2;
    const Vector3& s1 = a[(ownA + 1) % 3];
    const Vector3& s2 = a[(ownA + 2) % 3];
    const Vector3 side1 = s1 - a[ownA], side2 = s2 - a[ownA];
    const float size = Vector3Length(side1) + Vector3Length(side2);
    if (!(Vector3Length(Vector3Cross(side1, side2)) > 1e-6f * size * size))
        return false;
    if (!(Vector3Length(a[ownA] + b[ownB] - s1 - s2) <= 1e-5f * size))
        return false;
    face->vCorner = a[ownA];
    face->vSide1 = side1;
    face->vSide2 = side2;
    return true;
}
}  // namespace

void aeModelShape::Clear()
{
    bHasBounds = false;
    bUnbounded = false;
    aFaces.clear();
}

void aeModelShape::Build(const aeModelMaterial* materials, int numMaterials, const aeRVMVertex* vertices,
                         int numVertices, const unsigned short* indices)
{
    Clear();
    for (int i = 0; i < numVertices; ++i)
    {
        const Vector3 p = Position(vertices[i]);
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
        {
            Clear();
            bUnbounded = true;
            return;
        }
        vMin = bHasBounds ? Vector3Minimize(vMin, p) : p;
        vMax = bHasBounds ? Vector3Maximize(vMax, p) : p;
        bHasBounds = true;
    }
    for (int m = 0; m < numMaterials; ++m)
    {
        const aeModelMaterial& material = materials[m];
        if (material.iTransparent != 0)
            continue;
        for (int t = 0; t + 1 < material.iNumTriangles; ++t)
        {
            const unsigned short* first = indices + material.iFirstIndex + t * 3;
            const Vector3 a[3] = {Position(vertices[first[0]]), Position(vertices[first[1]]), Position(vertices[first[2]])};
            const Vector3 b[3] = {Position(vertices[first[3]]), Position(vertices[first[4]]), Position(vertices[first[5]])};
            aeModelFace face;
            if (AsParallelogram(a, b, &face))
            {
                aFaces.push_back(face);
                ++t;
            }
        }
    }
}
