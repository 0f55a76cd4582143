#pragma once
// The OpenGL calls the state cache makes, as an interface: the device passes
// the real OpenGL (RealGl), tests a recorder. Only calls that change state
// are here.

#include <epoxy/gl.h>

#include <optional>

namespace d3d9
{
class GlCalls
{
public:
    virtual ~GlCalls() = default;
    virtual void Toggle(GLenum capability, bool on) = 0;
    virtual void DepthFunc(GLenum func) = 0;
    virtual void DepthMask(bool write) = 0;
    virtual void DepthRange(float minZ, float maxZ) = 0;
    virtual void BlendFunc(GLenum src, GLenum dst, GLenum srcAlpha, GLenum dstAlpha) = 0;
    virtual void BlendEquation(GLenum op, GLenum opAlpha) = 0;
    virtual void BlendColor(float r, float g, float b, float a) = 0;
    virtual void FrontFace(GLenum face) = 0;
    virtual void ColorMask(bool r, bool g, bool b, bool a) = 0;
    virtual void PolygonMode(GLenum mode) = 0;
    virtual void Viewport(int x, int y, int width, int height) = 0;
    virtual void SamplerInt(GLuint sampler, GLenum name, GLint value) = 0;
    virtual void SamplerFloat(GLuint sampler, GLenum name, float value) = 0;
    virtual void SamplerFloats(GLuint sampler, GLenum name, const float* values) = 0;
};

// What OpenGL holds of one state, unknown until first set: Update stores the
// wanted value and says whether it differs, that is whether to call OpenGL.
template <class T>
bool Update(std::optional<T>& held, const T& wanted)
{
    if (held == wanted)
        return false;
    held = wanted;
    return true;
}

// The calls as OpenGL makes them, on the current context.
GlCalls& RealGl();
}   // namespace d3d9
