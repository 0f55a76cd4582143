#pragma once
// The depth test and depth writes as OpenGL has them.

#include <optional>

#include "GlCalls.h"
#include "d3d9.h"

namespace d3d9
{
class DepthState
{
public:
    // rs: the render states; the test is off without a depth buffer.
    void Apply(GlCalls& gl, const DWORD* rs, bool hasDepth);
    // After a call that set the depth mask behind the cache (Clear).
    void ForgetMask() { m_Mask.reset(); }
    void Forget() { *this = DepthState(); }

private:
    std::optional<bool> m_Test, m_Mask;
    std::optional<GLenum> m_Func;
};

// A Direct3D comparison as OpenGL's.
GLenum CompareFunc(DWORD func);
}   // namespace d3d9
