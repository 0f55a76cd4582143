#pragma once
// What OpenGL writes of a drawn pixel: the colour write mask, the fill mode
// (points, lines, solid) and multisampling.

#include <optional>

#include "GlCalls.h"
#include "d3d9.h"

namespace d3d9
{
class RasterState
{
public:
    // rs: the render states; multisampling is left alone without samples.
    void Apply(GlCalls& gl, const DWORD* rs, bool multisampled);
    // After a call that set the colour mask behind the cache (Clear, Present).
    void ForgetColorMask() { m_ColorMask.reset(); }
    void Forget() { *this = RasterState(); }

private:
    std::optional<DWORD> m_ColorMask;
    std::optional<GLenum> m_Fill;
    std::optional<bool> m_Multisample;
};
}   // namespace d3d9
