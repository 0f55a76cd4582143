#pragma once
// The parameters of one OpenGL sampler object (filters, anisotropy, wrapping,
// border colour, level of detail) as OpenGL has them.

#include <optional>

#include "GlCalls.h"
#include "d3d9.h"

namespace d3d9
{
class SamplerState
{
public:
    // s: the sampler states of the stage; maxAnisotropy: 0 without
    // anisotropic filtering.
    void Apply(GlCalls& gl, GLuint sampler, const DWORD* s, float maxAnisotropy);
    void Forget() { *this = SamplerState(); }

private:
    std::optional<GLenum> m_Min, m_Mag, m_WrapS, m_WrapT;
    std::optional<float> m_Anisotropy, m_Bias, m_MinLod;
    std::optional<DWORD> m_Border;
};
}   // namespace d3d9
