#pragma once
// Face culling as OpenGL has it.

#include <optional>

#include "GlCalls.h"
#include "d3d9.h"

namespace d3d9
{
class CullState
{
public:
    // rs: the render states.
    void Apply(GlCalls& gl, const DWORD* rs);
    void Forget() { *this = CullState(); }

private:
    std::optional<bool> m_On;
    std::optional<GLenum> m_Front;
};
}   // namespace d3d9
