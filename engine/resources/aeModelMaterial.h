#pragma once
// One material of a model: how its triangles are lit, blended and textured, and
// which run of the index buffer they occupy.

#include "aeMath.h"

class IDirect3DTexture9;

struct aeModelMaterial
{
    int iTransparent;            // non-zero: blended, no depth writes, transparent pass
    Color cColor;                // r, g, b: ambient colour; a: diffuse alpha
    Color cSpecular;
    IDirect3DTexture9* pTexture; // looked up by name; not owned
    char acTextureName[256];
    float fPower;                // specular lighting only when > 0
    int iFirstIndex;
    int iLowestVertex;
    int iHighestVertex;
    int iNumTriangles;           // 0: the material is skipped
};
