// The OpenGL state cache of the Direct3D stand-in, against a recorder instead
// of OpenGL: a state that did not change sends nothing, one that did sends
// exactly its call; and the program cache keyed by ShaderKey.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GlStateCache.h"
#include "ProgramCache.h"

using namespace d3d9;

namespace
{
class RecordingGl final : public GlCalls
{
public:
    std::vector<std::string> calls;

    void Toggle(GLenum capability, bool on) override { Add("Toggle", {int(capability), on}); }
    void DepthFunc(GLenum func) override { Add("DepthFunc", {int(func)}); }
    void DepthMask(bool write) override { Add("DepthMask", {write}); }
    void DepthRange(float minZ, float maxZ) override { Add("DepthRange", {int(minZ * 100), int(maxZ * 100)}); }
    void BlendFunc(GLenum s, GLenum d, GLenum sa, GLenum da) override
    {
        Add("BlendFunc", {int(s), int(d), int(sa), int(da)});
    }
    void BlendEquation(GLenum op, GLenum opAlpha) override { Add("BlendEquation", {int(op), int(opAlpha)}); }
    void BlendColor(float r, float g, float b, float a) override
    {
        Add("BlendColor", {int(r * 255), int(g * 255), int(b * 255), int(a * 255)});
    }
    void FrontFace(GLenum face) override { Add("FrontFace", {int(face)}); }
    void ColorMask(bool r, bool g, bool b, bool a) override { Add("ColorMask", {r, g, b, a}); }
    void PolygonMode(GLenum mode) override { Add("PolygonMode", {int(mode)}); }
    void Viewport(int x, int y, int w, int h) override { Add("Viewport", {x, y, w, h}); }
    void SamplerInt(GLuint, GLenum name, GLint value) override { Add("SamplerInt", {int(name), value}); }
    void SamplerFloat(GLuint, GLenum name, float value) override { Add("SamplerFloat", {int(name), int(value)}); }
    void SamplerFloats(GLuint, GLenum name, const float* v) override
    {
        Add("SamplerFloats", {int(name), int(v[0] * 255), int(v[3] * 255)});
    }

    // The names of the calls since the last Take, and forgets them.
    std::vector<std::string> TakeNames()
    {
        std::vector<std::string> names;
        for (const std::string& call : calls)
            names.push_back(call.substr(0, call.find(' ')));
        calls.clear();
        return names;
    }

private:
    void Add(const char* name, std::initializer_list<int> args)
    {
        std::string call = name;
        for (int arg : args)
            call += " " + std::to_string(arg);
        calls.push_back(call);
    }
};

// The device's inputs to the cache: render states with every part on,
// stage 0's sampler states and the viewport of a 64 x 48 back buffer.
struct Inputs
{
    DWORD rs[256] = {};
    DWORD samp[14] = {};
    D3DVIEWPORT9 viewport{0, 0, 64, 48, 0.f, 1.f};

    Inputs()
    {
        rs[D3DRS_ZENABLE] = D3DZB_TRUE;
        rs[D3DRS_ZWRITEENABLE] = TRUE;
        rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
        rs[D3DRS_ALPHABLENDENABLE] = TRUE;
        rs[D3DRS_SRCBLEND] = D3DBLEND_SRCALPHA;
        rs[D3DRS_DESTBLEND] = D3DBLEND_INVSRCALPHA;
        rs[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
        rs[D3DRS_BLENDFACTOR] = 0xffffffff;
        rs[D3DRS_CULLMODE] = D3DCULL_CCW;
        rs[D3DRS_COLORWRITEENABLE] = 0xf;
        rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
        rs[D3DRS_MULTISAMPLEANTIALIAS] = TRUE;
        samp[D3DSAMP_ADDRESSU] = samp[D3DSAMP_ADDRESSV] = D3DTADDRESS_WRAP;
        samp[D3DSAMP_MINFILTER] = samp[D3DSAMP_MAGFILTER] = D3DTEXF_POINT;
        samp[D3DSAMP_MAXANISOTROPY] = 4;
    }
};

// The cache as the device drives it before a draw.
struct Cache
{
    GlStateCache gl;
    SamplerState sampler;

    void Apply(GlCalls& calls, const Inputs& in, bool hasDepth = true)
    {
        gl.depth.Apply(calls, in.rs, hasDepth);
        gl.blend.Apply(calls, in.rs);
        gl.cull.Apply(calls, in.rs);
        gl.raster.Apply(calls, in.rs, true);
        gl.viewport.Apply(calls, in.viewport, 48);
        sampler.Apply(calls, 1, in.samp, 16.f);
    }
};

// Where a change goes in the inputs.
using Setter = void (*)(Inputs& in, int index, DWORD value);
void Render(Inputs& in, int index, DWORD value) { in.rs[index] = value; }
void Sampler(Inputs& in, int index, DWORD value) { in.samp[index] = value; }
void ViewportWidth(Inputs& in, int, DWORD value) { in.viewport.Width = value; }
void ViewportMaxZ(Inputs& in, int, DWORD value) { in.viewport.MaxZ = static_cast<float>(value) / 100.f; }

struct Change
{
    Setter set;
    int index;
    DWORD first, second;   // set first (twice), then second
    std::vector<std::string> sent;   // the calls a change from first to second sends
};
}   // namespace

TEST(D3D9StateCache, TheSameStateTwiceSendsOnceAndEachChangeOnlyItsCall)
{
    const std::vector<Change> changes = {
        {Render, D3DRS_ZFUNC, D3DCMP_LESS, D3DCMP_GREATER, {"DepthFunc"}},
        {Render, D3DRS_ZWRITEENABLE, FALSE, TRUE, {"DepthMask"}},
        {Render, D3DRS_ZENABLE, D3DZB_TRUE, D3DZB_FALSE, {"Toggle"}},
        {Render, D3DRS_SRCBLEND, D3DBLEND_ONE, D3DBLEND_ZERO, {"BlendFunc"}},
        {Render, D3DRS_BLENDOP, D3DBLENDOP_ADD, D3DBLENDOP_MAX, {"BlendEquation"}},
        {Render, D3DRS_BLENDFACTOR, 0x80000000, 0x80ff0000, {"BlendColor"}},
        {Render, D3DRS_ALPHABLENDENABLE, TRUE, FALSE, {"Toggle"}},
        {Render, D3DRS_CULLMODE, D3DCULL_CCW, D3DCULL_CW, {"FrontFace"}},
        {Render, D3DRS_CULLMODE, D3DCULL_CW, D3DCULL_NONE, {"Toggle"}},
        {Render, D3DRS_COLORWRITEENABLE, 0xf, 0x7, {"ColorMask"}},
        {Render, D3DRS_FILLMODE, D3DFILL_SOLID, D3DFILL_WIREFRAME, {"PolygonMode"}},
        {Render, D3DRS_MULTISAMPLEANTIALIAS, TRUE, FALSE, {"Toggle"}},
        // A render state no part reads changes nothing.
        {Render, D3DRS_FOGCOLOR, 0, 0xff00ff, {}},
        {Sampler, D3DSAMP_MINFILTER, D3DTEXF_POINT, D3DTEXF_LINEAR, {"SamplerInt"}},
        {Sampler, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP, D3DTADDRESS_CLAMP, {"SamplerInt"}},
        {Sampler, D3DSAMP_BORDERCOLOR, 0, 0xffffffff, {"SamplerFloats"}},
        {Sampler, D3DSAMP_MAXMIPLEVEL, 0, 2, {"SamplerFloat"}},
        // Anisotropy counts only for an anisotropic filter.
        {Sampler, D3DSAMP_MAXANISOTROPY, 1, 8, {}},
        {Sampler, D3DSAMP_MAGFILTER, D3DTEXF_POINT, D3DTEXF_ANISOTROPIC, {"SamplerInt", "SamplerFloat"}},
        {ViewportWidth, 0, 64, 32, {"Viewport"}},
        {ViewportMaxZ, 0, 100, 50, {"DepthRange"}},
    };
    for (const Change& change : changes)
    {
        SCOPED_TRACE("row " + std::to_string(&change - changes.data()));
        RecordingGl gl;
        Cache cache;
        Inputs in;
        change.set(in, change.index, change.first);
        cache.Apply(gl, in);
        EXPECT_FALSE(gl.TakeNames().empty());
        cache.Apply(gl, in);
        EXPECT_TRUE(gl.TakeNames().empty());
        change.set(in, change.index, change.second);
        cache.Apply(gl, in);
        EXPECT_EQ(gl.TakeNames(), change.sent);
        cache.Apply(gl, in);
        EXPECT_TRUE(gl.TakeNames().empty());
    }
    // Clear and Present set the masks behind the cache: forgotten, they are sent again.
    RecordingGl gl;
    Cache cache;
    Inputs in;
    cache.Apply(gl, in);
    gl.TakeNames();
    cache.gl.raster.ForgetColorMask();
    cache.gl.depth.ForgetMask();
    cache.Apply(gl, in);
    EXPECT_EQ(gl.TakeNames(), (std::vector<std::string>{"DepthMask", "ColorMask"}));
}

TEST(D3D9StateCache, SendsOpenGlsValuesAndLeavesTheDetailsOfPartsThatAreOff)
{
    RecordingGl gl;
    Cache cache;
    Inputs in;
    in.rs[D3DRS_SRCBLEND] = D3DBLEND_BOTHINVSRCALPHA;
    in.rs[D3DRS_CULLMODE] = D3DCULL_CCW;
    in.viewport = {8, 4, 32, 16, 0.f, 1.f};
    cache.Apply(gl, in);
    const std::vector<std::string> first = {
        "Toggle 2929 1",   // depth test
        "DepthFunc 515",   // GL_LEQUAL
        "DepthMask 1",
        "Toggle 3042 1",   // blending
        "BlendFunc 771 770 771 770",   // the "both" factor names both sides
        "BlendEquation 32774 32774",
        "BlendColor 255 255 255 255",
        "Toggle 2884 1",   // culling, counter-clockwise culled: front faces wind clockwise
        "FrontFace 2304",
        "ColorMask 1 1 1 1",
        "PolygonMode 6914",
        "Toggle 32925 1",
        "Viewport 8 28 32 16",   // rows counted from the bottom of 48
        "DepthRange 0 100",
    };
    ASSERT_GE(gl.calls.size(), first.size());
    EXPECT_EQ(std::vector<std::string>(gl.calls.begin(), gl.calls.begin() + first.size()), first);
    gl.calls.clear();

    // Depth, blending and culling off: their other states are not sent, and
    // are sent when the part is on again.
    in.rs[D3DRS_ZENABLE] = D3DZB_FALSE;
    in.rs[D3DRS_ALPHABLENDENABLE] = FALSE;
    in.rs[D3DRS_CULLMODE] = D3DCULL_NONE;
    cache.Apply(gl, in);
    EXPECT_EQ(gl.TakeNames(), (std::vector<std::string>{"Toggle", "Toggle", "Toggle"}));
    in.rs[D3DRS_ZFUNC] = D3DCMP_ALWAYS;
    in.rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    in.rs[D3DRS_CULLMODE] = D3DCULL_CW;
    cache.Apply(gl, in);
    EXPECT_EQ(gl.calls, (std::vector<std::string>{"Toggle 2884 1", "FrontFace 2305"}));
    gl.calls.clear();
    in.rs[D3DRS_ZENABLE] = D3DZB_TRUE;
    cache.Apply(gl, in, false);   // no depth buffer: no depth test
    EXPECT_TRUE(gl.calls.empty());
    cache.Apply(gl, in);
    EXPECT_EQ(gl.calls, (std::vector<std::string>{"Toggle 2929 1", "DepthFunc 519"}));
}

TEST(D3D9ProgramCache, FindsByKeyAndLetsGoOfAllWhenFull)
{
    static std::vector<GLuint> released;
    released.clear();
    ProgramCache cache(2, [](GLuint program) { released.push_back(program); });
    auto key = [](unsigned op) {
        ShaderKey k;
        k.uColorOp = op;
        k.bTexture = 1;
        return k;
    };
    EXPECT_EQ(cache.Find(key(4)), nullptr);
    Program* four = cache.Add(Program{key(4).Pack(), 40, {}, {}});
    Program* five = cache.Add(Program{key(5).Pack(), 50, {}, {}});
    EXPECT_EQ(cache.Find(key(4)), four);   // an equal key made anew
    EXPECT_EQ(cache.Find(key(5)), five);
    EXPECT_TRUE(released.empty());
    Program* six = cache.Add(Program{key(6).Pack(), 60, {}, {}});
    EXPECT_EQ(released, (std::vector<GLuint>{40, 50}));
    EXPECT_EQ(cache.Find(key(4)), nullptr);
    EXPECT_EQ(cache.Find(key(6)), six);
    cache.Clear();
    EXPECT_EQ(released.back(), 60u);

    // Every field of a key has bits of its own, and all fit 64 bits.
    int bits = 0;
    ShaderKey all;
    for (const auto& field : ShaderKeyLayout::kLayout)
    {
        bits += field.iBits;
        all.*field.pMember = (1u << field.iBits) - 1;
    }
    ASSERT_LE(bits, 64);
    EXPECT_EQ(all.Pack(), bits == 64 ? ~uint64_t{0} : (uint64_t{1} << bits) - 1);
    EXPECT_TRUE(ShaderKey::Unpack(all.Pack()) == all);
}
