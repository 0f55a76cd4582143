// The OpenGL calls of the state cache, made on the current context.

#include "GlStateCache.h"

namespace d3d9
{
namespace
{
class OpenGl final : public GlCalls
{
public:
    void Toggle(GLenum capability, bool on) override
    {
        if (on)
            glEnable(capability);
        else
            glDisable(capability);
    }
    void DepthFunc(GLenum func) override { glDepthFunc(func); }
    void DepthMask(bool write) override { glDepthMask(write); }
    void DepthRange(float minZ, float maxZ) override { glDepthRange(minZ, maxZ); }
    void BlendFunc(GLenum src, GLenum dst, GLenum srcAlpha, GLenum dstAlpha) override
    {
        glBlendFuncSeparate(src, dst, srcAlpha, dstAlpha);
    }
    void BlendEquation(GLenum op, GLenum opAlpha) override { glBlendEquationSeparate(op, opAlpha); }
    void BlendColor(float r, float g, float b, float a) override { glBlendColor(r, g, b, a); }
    void FrontFace(GLenum face) override { glFrontFace(face); }
    void ColorMask(bool r, bool g, bool b, bool a) override { glColorMask(r, g, b, a); }
    void PolygonMode(GLenum mode) override { glPolygonMode(GL_FRONT_AND_BACK, mode); }
    void Viewport(int x, int y, int width, int height) override { glViewport(x, y, width, height); }
    void SamplerInt(GLuint sampler, GLenum name, GLint value) override { glSamplerParameteri(sampler, name, value); }
    void SamplerFloat(GLuint sampler, GLenum name, float value) override { glSamplerParameterf(sampler, name, value); }
    void SamplerFloats(GLuint sampler, GLenum name, const float* values) override
    {
        glSamplerParameterfv(sampler, name, values);
    }
};
}   // namespace

GlCalls& RealGl()
{
    static OpenGl gl;
    return gl;
}
}   // namespace d3d9
