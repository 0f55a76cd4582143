// The write mask, fill and multisample part of the OpenGL state cache.

#include "RasterState.h"

namespace d3d9
{
void RasterState::Apply(GlCalls& gl, const DWORD* rs, bool multisampled)
{
    const DWORD mask = rs[D3DRS_COLORWRITEENABLE] & 0xf;
    if (Update(m_ColorMask, mask))
        gl.ColorMask(mask & 1, (mask >> 1) & 1, (mask >> 2) & 1, (mask >> 3) & 1);
    const GLenum fill = rs[D3DRS_FILLMODE] == D3DFILL_POINT       ? GL_POINT
                        : rs[D3DRS_FILLMODE] == D3DFILL_WIREFRAME ? GL_LINE
                                                                  : GL_FILL;
    if (Update(m_Fill, fill))
        gl.PolygonMode(fill);
    if (!multisampled)
        return;
    const bool multisample = rs[D3DRS_MULTISAMPLEANTIALIAS] != 0;
    if (Update(m_Multisample, multisample))
        gl.Toggle(GL_MULTISAMPLE, multisample);
}
}   // namespace d3d9
