// The culling part of the OpenGL state cache.

#include "CullState.h"

namespace d3d9
{
void CullState::Apply(GlCalls& gl, const DWORD* rs)
{
    // Direct3D culls by the winding on screen; the picture is not mirrored on
    // its way to OpenGL, so clockwise stays clockwise.
    const DWORD mode = rs[D3DRS_CULLMODE];
    const bool on = mode == D3DCULL_CW || mode == D3DCULL_CCW;
    if (Update(m_On, on))
        gl.Toggle(GL_CULL_FACE, on);
    if (!on)
        return;
    const GLenum front = mode == D3DCULL_CCW ? GL_CW : GL_CCW;
    if (Update(m_Front, front))
        gl.FrontFace(front);
}
}   // namespace d3d9
