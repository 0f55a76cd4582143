// The depth part of the OpenGL state cache.

#include "DepthState.h"

namespace d3d9
{
GLenum CompareFunc(DWORD func)
{
    switch (func)
    {
    case D3DCMP_NEVER:
        return GL_NEVER;
    case D3DCMP_LESS:
        return GL_LESS;
    case D3DCMP_EQUAL:
        return GL_EQUAL;
    case D3DCMP_LESSEQUAL:
        return GL_LEQUAL;
    case D3DCMP_GREATER:
        return GL_GREATER;
    case D3DCMP_NOTEQUAL:
        return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL:
        return GL_GEQUAL;
    default:
        return GL_ALWAYS;
    }
}

void DepthState::Apply(GlCalls& gl, const DWORD* rs, bool hasDepth)
{
    const bool test = rs[D3DRS_ZENABLE] != D3DZB_FALSE && hasDepth;
    if (Update(m_Test, test))
        gl.Toggle(GL_DEPTH_TEST, test);
    if (!test)
        return;
    const GLenum func = CompareFunc(rs[D3DRS_ZFUNC]);
    if (Update(m_Func, func))
        gl.DepthFunc(func);
    const bool mask = rs[D3DRS_ZWRITEENABLE] != 0;
    if (Update(m_Mask, mask))
        gl.DepthMask(mask);
}
}   // namespace d3d9
