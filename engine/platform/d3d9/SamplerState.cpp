// The sampler part of the OpenGL state cache.

#include "SamplerState.h"

#include <algorithm>
#include <cstring>

#include "D3D9Internal.h"

namespace d3d9
{
namespace
{
GLenum Wrap(DWORD mode)
{
    switch (mode)
    {
    case D3DTADDRESS_MIRROR:
        return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP:
    case D3DTADDRESS_MIRRORONCE:
        return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER:
        return GL_CLAMP_TO_BORDER;
    default:
        return GL_REPEAT;
    }
}
}   // namespace

void SamplerState::Apply(GlCalls& gl, GLuint sampler, const DWORD* s, float maxAnisotropy)
{
    auto integer = [&](std::optional<GLenum>& held, GLenum name, GLenum value) {
        if (Update(held, value))
            gl.SamplerInt(sampler, name, static_cast<GLint>(value));
    };
    auto real = [&](std::optional<float>& held, GLenum name, float value) {
        if (Update(held, value))
            gl.SamplerFloat(sampler, name, value);
    };
    const DWORD minFilter = s[D3DSAMP_MINFILTER], magFilter = s[D3DSAMP_MAGFILTER], mip = s[D3DSAMP_MIPFILTER];
    const bool linear = minFilter >= D3DTEXF_LINEAR;
    GLenum min = linear ? GL_LINEAR : GL_NEAREST;
    if (mip == D3DTEXF_POINT)
        min = linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    else if (mip >= D3DTEXF_LINEAR)
        min = linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    integer(m_Min, GL_TEXTURE_MIN_FILTER, min);
    integer(m_Mag, GL_TEXTURE_MAG_FILTER, magFilter >= D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST);
    if (maxAnisotropy >= 2.f)
    {
        float anisotropy = 1.f;
        if (minFilter == D3DTEXF_ANISOTROPIC || magFilter == D3DTEXF_ANISOTROPIC)
            anisotropy = std::clamp(static_cast<float>(s[D3DSAMP_MAXANISOTROPY]), 1.f, maxAnisotropy);
        real(m_Anisotropy, GL_TEXTURE_MAX_ANISOTROPY_EXT, anisotropy);
    }
    integer(m_WrapS, GL_TEXTURE_WRAP_S, Wrap(s[D3DSAMP_ADDRESSU]));
    integer(m_WrapT, GL_TEXTURE_WRAP_T, Wrap(s[D3DSAMP_ADDRESSV]));
    if (Update(m_Border, s[D3DSAMP_BORDERCOLOR]))
    {
        const D3DCOLORVALUE border = UnpackColor(s[D3DSAMP_BORDERCOLOR]);
        gl.SamplerFloats(sampler, GL_TEXTURE_BORDER_COLOR, &border.r);
    }
    float bias;
    memcpy(&bias, &s[D3DSAMP_MIPMAPLODBIAS], 4);
    real(m_Bias, GL_TEXTURE_LOD_BIAS, bias);
    real(m_MinLod, GL_TEXTURE_MIN_LOD, static_cast<float>(s[D3DSAMP_MAXMIPLEVEL]));
}
}   // namespace d3d9
