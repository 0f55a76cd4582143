#pragma once
// The fixed-function states a shader program is specialised for, and their
// packing into the 64-bit key of the program cache. Plain code: the layout is
// given once (kLayout) and used both ways.

#include <cstdint>

struct ShaderKey
{
    unsigned bRhw = 0;              // pre-transformed vertices
    unsigned bNormal = 0;           // the vertices carry a normal
    unsigned bDiffuse = 0;          // ... a diffuse colour
    unsigned bSpecularPart = 0;     // ... a specular colour
    unsigned bLighting = 0;
    unsigned bDiffuseFromVertex = 0;  // material sources taken from the vertex
    unsigned bAmbientFromVertex = 0;
    unsigned bSpecularFromVertex = 0;
    unsigned bSpecular = 0;         // specular highlights on
    unsigned bTexTransform = 0;     // texture coordinates through the texture matrix
    unsigned uFogMode = 0;          // D3DFOGMODE (0 none)
    unsigned bFogFromDepth = 0;     // fog from the depth, not the range
    unsigned bTexture = 0;          // stage 0 has a texture bound
    unsigned uColorOp = 0, uColorArg1 = 0, uColorArg2 = 0;  // stage 0 colour operation
    unsigned uAlphaOp = 0, uAlphaArg1 = 0, uAlphaArg2 = 0;  // and alpha operation
    unsigned bAlphaTest = 0;
    unsigned uAlphaFunc = 0;        // D3DCMPFUNC of the alpha test

    uint64_t Pack() const;
    static ShaderKey Unpack(uint64_t key);
    bool operator==(const ShaderKey& other) const { return Pack() == other.Pack(); }
};

namespace ShaderKeyLayout
{
// Each field in order, with its width in bits; a value wider than its field
// is cut to it.
struct Field
{
    unsigned ShaderKey::*pMember;
    int iBits;
};
inline constexpr Field kLayout[] = {
    {&ShaderKey::bRhw, 1},          {&ShaderKey::bNormal, 1},
    {&ShaderKey::bDiffuse, 1},      {&ShaderKey::bSpecularPart, 1},
    {&ShaderKey::bLighting, 1},     {&ShaderKey::bDiffuseFromVertex, 1},
    {&ShaderKey::bAmbientFromVertex, 1}, {&ShaderKey::bSpecularFromVertex, 1},
    {&ShaderKey::bSpecular, 1},     {&ShaderKey::bTexTransform, 1},
    {&ShaderKey::uFogMode, 2},      {&ShaderKey::bFogFromDepth, 1},
    {&ShaderKey::bTexture, 1},      {&ShaderKey::uColorOp, 5},
    {&ShaderKey::uColorArg1, 6},    {&ShaderKey::uColorArg2, 6},
    {&ShaderKey::uAlphaOp, 5},      {&ShaderKey::uAlphaArg1, 6},
    {&ShaderKey::uAlphaArg2, 6},    {&ShaderKey::bAlphaTest, 1},
    {&ShaderKey::uAlphaFunc, 4},
};
}

inline uint64_t ShaderKey::Pack() const
{
    uint64_t key = 0;
    int bit = 0;
    for (const auto& field : ShaderKeyLayout::kLayout)
    {
        const uint64_t mask = (uint64_t{1} << field.iBits) - 1;
        key |= (static_cast<uint64_t>(this->*field.pMember) & mask) << bit;
        bit += field.iBits;
    }
    return key;
}

inline ShaderKey ShaderKey::Unpack(uint64_t key)
{
    ShaderKey result;
    int bit = 0;
    for (const auto& field : ShaderKeyLayout::kLayout)
    {
        const uint64_t mask = (uint64_t{1} << field.iBits) - 1;
        result.*field.pMember = static_cast<unsigned>((key >> bit) & mask);
        bit += field.iBits;
    }
    return result;
}
