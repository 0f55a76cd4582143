// The blending part of the OpenGL state cache.

#include "BlendState.h"

#include "D3D9Internal.h"

namespace d3d9
{
namespace
{
GLenum BlendFactor(DWORD blend)
{
    switch (blend)
    {
    case D3DBLEND_ZERO:
        return GL_ZERO;
    case D3DBLEND_SRCCOLOR:
        return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR:
        return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA:
        return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA:
        return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA:
        return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA:
        return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR:
        return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR:
        return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT:
        return GL_SRC_ALPHA_SATURATE;
    case D3DBLEND_BLENDFACTOR:
        return GL_CONSTANT_COLOR;
    case D3DBLEND_INVBLENDFACTOR:
        return GL_ONE_MINUS_CONSTANT_COLOR;
    default:
        return GL_ONE;
    }
}

GLenum BlendOp(DWORD op)
{
    switch (op)
    {
    case D3DBLENDOP_SUBTRACT:
        return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT:
        return GL_FUNC_REVERSE_SUBTRACT;
    case D3DBLENDOP_MIN:
        return GL_MIN;
    case D3DBLENDOP_MAX:
        return GL_MAX;
    default:
        return GL_FUNC_ADD;
    }
}

// The source and destination factors of one pair of blend states; the
// "both" factors name the pair at once.
void PairFactors(DWORD src, DWORD dst, GLenum* s, GLenum* d)
{
    if (src == D3DBLEND_BOTHSRCALPHA)
    {
        *s = GL_SRC_ALPHA;
        *d = GL_ONE_MINUS_SRC_ALPHA;
    }
    else if (src == D3DBLEND_BOTHINVSRCALPHA)
    {
        *s = GL_ONE_MINUS_SRC_ALPHA;
        *d = GL_SRC_ALPHA;
    }
    else
    {
        *s = BlendFactor(src);
        *d = BlendFactor(dst);
    }
}
}   // namespace

void BlendState::Apply(GlCalls& gl, const DWORD* rs)
{
    const bool on = rs[D3DRS_ALPHABLENDENABLE] != 0;
    if (Update(m_On, on))
        gl.Toggle(GL_BLEND, on);
    if (!on)
        return;
    Factors f;
    PairFactors(rs[D3DRS_SRCBLEND], rs[D3DRS_DESTBLEND], &f.src, &f.dst);
    Equations e{BlendOp(rs[D3DRS_BLENDOP]), 0};
    e.opAlpha = e.op;
    f.srcAlpha = f.src;
    f.dstAlpha = f.dst;
    if (rs[D3DRS_SEPARATEALPHABLENDENABLE])
    {
        PairFactors(rs[D3DRS_SRCBLENDALPHA], rs[D3DRS_DESTBLENDALPHA], &f.srcAlpha, &f.dstAlpha);
        e.opAlpha = BlendOp(rs[D3DRS_BLENDOPALPHA]);
    }
    if (Update(m_Factors, f))
        gl.BlendFunc(f.src, f.dst, f.srcAlpha, f.dstAlpha);
    if (Update(m_Equations, e))
        gl.BlendEquation(e.op, e.opAlpha);
    if (Update(m_Color, rs[D3DRS_BLENDFACTOR]))
    {
        const D3DCOLORVALUE c = UnpackColor(rs[D3DRS_BLENDFACTOR]);
        gl.BlendColor(c.r, c.g, c.b, c.a);
    }
}
}   // namespace d3d9
