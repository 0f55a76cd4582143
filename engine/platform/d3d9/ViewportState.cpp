// The viewport part of the OpenGL state cache.

#include "ViewportState.h"

namespace d3d9
{
void ViewportState::Apply(GlCalls& gl, const D3DVIEWPORT9& vp, UINT backBufferHeight)
{
    const int height = static_cast<int>(vp.Height);
    const Rect rect{static_cast<int>(vp.X), static_cast<int>(backBufferHeight) - static_cast<int>(vp.Y) - height,
                    static_cast<int>(vp.Width), height};
    if (Update(m_Rect, rect))
        gl.Viewport(rect.x, rect.y, rect.width, rect.height);
    if (Update(m_Range, Range{vp.MinZ, vp.MaxZ}))
        gl.DepthRange(vp.MinZ, vp.MaxZ);
}
}   // namespace d3d9
