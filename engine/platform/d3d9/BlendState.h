#pragma once
// Blending as OpenGL has it: on or off, the factors, the equations and the
// constant colour.

#include <optional>

#include "GlCalls.h"
#include "d3d9.h"

namespace d3d9
{
class BlendState
{
public:
    // rs: the render states.
    void Apply(GlCalls& gl, const DWORD* rs);
    void Forget() { *this = BlendState(); }

private:
    struct Factors
    {
        GLenum src, dst, srcAlpha, dstAlpha;
        bool operator==(const Factors&) const = default;
    };
    struct Equations
    {
        GLenum op, opAlpha;
        bool operator==(const Equations&) const = default;
    };
    std::optional<bool> m_On;
    std::optional<Factors> m_Factors;
    std::optional<Equations> m_Equations;
    std::optional<DWORD> m_Color;
};
}   // namespace d3d9
