// The one shader that stands in for the fixed-function pipeline. Its source is
// specialised by a key of the states that change its structure (vertex parts,
// lighting, stage 0 operations, fog mode, alpha test); each key compiles once
// per device and is kept. Values that change often (matrices, colours, fog
// parameters) are uniforms, uploaded only when they changed since the program
// last saw them.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "D3D9Internal.h"
#include "ShaderKey.h"
#include "aeError.h"

namespace d3d9
{
namespace
{
const char* const kUniformNames[] = {"uWorldView", "uProj",        "uScreen",        "uTexMatrix",    "uAmbient",
                                     "uMatDiffuse", "uMatAmbient", "uMatSpecular",   "uMatEmissive",  "uPower",
                                     "uLightCount", "uLightPos",   "uLightDiffuse",  "uLightSpecular", "uLightAmbient",
                                     "uLightAtt",   "uTex0",       "uTFactor",       "uFogColor",     "uFog",
                                     "uAlphaRef",   "uLightDir",   "uLightSpot"};
enum
{
    L_WORLDVIEW,
    L_PROJ,
    L_SCREEN,
    L_TEXMATRIX,
    L_AMBIENT,
    L_MATDIFFUSE,
    L_MATAMBIENT,
    L_MATSPECULAR,
    L_MATEMISSIVE,
    L_POWER,
    L_LIGHTCOUNT,
    L_LIGHTPOS,
    L_LIGHTDIFFUSE,
    L_LIGHTSPECULAR,
    L_LIGHTAMBIENT,
    L_LIGHTATT,
    L_TEX0,
    L_TFACTOR,
    L_FOGCOLOR,
    L_FOG,
    L_ALPHAREF,
    L_LIGHTDIR,
    L_LIGHTSPOT,
    L_COUNT
};
static_assert(L_COUNT <= 24, "uniform table size");

const char* const kVertexSource = R"(
layout(location = 0) in vec4 aPos;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec4 aDiffuse;
layout(location = 3) in vec4 aSpecular;
layout(location = 4) in vec4 aTex;
uniform mat4 uWorldView;
uniform mat4 uProj;
uniform vec4 uScreen;
uniform mat4 uTexMatrix;
uniform vec4 uAmbient;
uniform vec4 uMatDiffuse;
uniform vec4 uMatAmbient;
uniform vec4 uMatSpecular;
uniform vec4 uMatEmissive;
uniform float uPower;
uniform int uLightCount;
uniform vec4 uLightPos[8];
uniform vec4 uLightDiffuse[8];
uniform vec4 uLightSpecular[8];
uniform vec4 uLightAmbient[8];
uniform vec4 uLightAtt[8];
uniform vec4 uLightDir[8];
uniform vec4 uLightSpot[8];
out vec4 vDiffuse;
out vec4 vSpecular;
out vec2 vTex;
out float vFog;
void main()
{
#if RHW
    // Screen positions in pixels from the top-left corner, depth 0 to 1.
    float w = aPos.w > 0.0 ? 1.0 / aPos.w : 1.0;
    // Direct3D puts pixel centres at whole coordinates, OpenGL half a pixel
    // on. Rows are turned over on the way; the nudge of 1/256 pixel upwards
    // keeps Direct3D's rule for edges through pixel centres (top edge in,
    // bottom edge out).
    vec2 ndc = vec2((aPos.x + 0.5 - uScreen.x) * uScreen.z - 1.0,
                    1.0 - (aPos.y + 0.5 - 1.0 / 256.0 - uScreen.y) * uScreen.w);
    gl_Position = vec4(ndc, aPos.z * 2.0 - 1.0, 1.0) * w;
    vFog = w;
    vec4 pv = vec4(0.0);
#else
    vec4 pv = uWorldView * vec4(aPos.xyz, 1.0);
    vec4 clip = uProj * pv;
#if FOG_Z
    vFog = clip.z / clip.w;
#else
    vFog = clip.w;
#endif
    // Direct3D's depth runs from 0 to w.
    gl_Position = vec4(clip.xy, clip.z * 2.0 - clip.w, clip.w);
#endif
#if LIGHTING
#if DIFFUSE_FROM_VERTEX
    vec4 md = aDiffuse;
#else
    vec4 md = uMatDiffuse;
#endif
#if AMBIENT_FROM_VERTEX
    vec4 ma = aDiffuse;
#else
    vec4 ma = uMatAmbient;
#endif
#if SPECULAR_FROM_VERTEX
    vec4 ms = aSpecular;
#else
    vec4 ms = uMatSpecular;
#endif
    vec3 c = uMatEmissive.rgb + ma.rgb * uAmbient.rgb;
    vec3 s = vec3(0.0);
#if NORMAL
    vec3 n = normalize(mat3(uWorldView) * aNormal);
#endif
    for (int i = 0; i < uLightCount; i++)
    {
        vec3 l;
        float att = 1.0;
        if (uLightPos[i].w == 0.0)
            l = uLightPos[i].xyz;
        else
        {
            // Point and spot lights: nothing beyond the range, then the
            // attenuation and the cone, which the light's ambient part obeys too.
            vec3 d = uLightPos[i].xyz - pv.xyz;
            float dist = length(d);
            vec4 a = uLightAtt[i];
            if (dist > a.w)
                continue;
            l = d / max(dist, 1e-6);
            att = 1.0 / max(a.x + a.y * dist + a.z * dist * dist, 1e-6);
            vec4 cone = uLightSpot[i];
            if (cone.w != 0.0)
            {
                float rho = dot(-l, uLightDir[i].xyz);
                if (rho <= cone.y)
                    continue;
                if (rho <= cone.x)
                    att *= pow((rho - cone.y) / max(cone.x - cone.y, 1e-6), cone.z);
            }
        }
        c += att * uLightAmbient[i].rgb * ma.rgb;
#if NORMAL
        float nl = max(dot(n, l), 0.0);
        c += att * uLightDiffuse[i].rgb * md.rgb * nl;
#if SPECULAR
        if (nl > 0.0)
        {
            vec3 h = normalize(l - normalize(pv.xyz));
            s += att * uLightSpecular[i].rgb * ms.rgb * pow(max(dot(n, h), 0.0), uPower);
        }
#endif
#endif
    }
    vDiffuse = clamp(vec4(c, md.a), 0.0, 1.0);
    vSpecular = vec4(clamp(s, 0.0, 1.0), 0.0);
#else
    vDiffuse = aDiffuse;
    vSpecular = aSpecular;
#endif
#if TEXTRANSFORM
    // Two-component coordinates are transformed as (u, v, 1, 0).
    vTex = (uTexMatrix * vec4(aTex.xy, 1.0, 0.0)).xy;
#else
    vTex = aTex.xy;
#endif
}
)";

const char* const kFragmentSource = R"(
in vec4 vDiffuse;
in vec4 vSpecular;
in vec2 vTex;
in float vFog;
uniform sampler2D uTex0;
uniform vec4 uTFactor;
uniform vec4 uFogColor;
uniform vec3 uFog;
uniform float uAlphaRef;
out vec4 oColor;
void main()
{
    vec4 diffuse = vDiffuse;
    vec4 specular = vSpecular;
    vec4 current = diffuse;
#if TEXBOUND
    vec4 tex = texture(uTex0, vTex);
#else
    vec4 tex = current;   // not read: a stage that needs a texture passes the colour on
#endif
    vec4 result = vec4((COLOR_OP).rgb, (ALPHA_OP).a);
#if SPECULAR
    result.rgb = min(result.rgb + specular.rgb, vec3(1.0));
#endif
#if ALPHATEST
    if (!(result.a ALPHA_CMP uAlphaRef))
        discard;
#endif
#if FOG == 1
    float f = exp(-vFog * uFog.x);
#elif FOG == 2
    float f = exp(-(vFog * uFog.x) * (vFog * uFog.x));
#elif FOG == 3
    float f = (uFog.z - vFog) / (uFog.z - uFog.y);
#endif
#if FOG
    result.rgb = mix(uFogColor.rgb, result.rgb, clamp(f, 0.0, 1.0));
#endif
    oColor = result;
}
)";

std::string Argument(DWORD arg)
{
    std::string base;
    switch (arg & D3DTA_SELECTMASK)
    {
    case D3DTA_DIFFUSE:
        base = "diffuse";
        break;
    case D3DTA_TEXTURE:
        base = "tex";
        break;
    case D3DTA_TFACTOR:
        base = "uTFactor";
        break;
    case D3DTA_SPECULAR:
        base = "specular";
        break;
    default:
        base = "current";
        break;
    }
    if (arg & D3DTA_COMPLEMENT)
        base = "(vec4(1.0) - " + base + ")";
    if (arg & D3DTA_ALPHAREPLICATE)
        base = base + ".aaaa";
    return base;
}

std::string Operation(DWORD op, DWORD arg1, DWORD arg2)
{
    const std::string a = Argument(arg1), b = Argument(arg2);
    switch (op)
    {
    case D3DTOP_DISABLE:
        return "current";
    case D3DTOP_SELECTARG1:
        return a;
    case D3DTOP_SELECTARG2:
        return b;
    case D3DTOP_MODULATE2X:
        return "clamp(" + a + " * " + b + " * 2.0, 0.0, 1.0)";
    case D3DTOP_MODULATE4X:
        return "clamp(" + a + " * " + b + " * 4.0, 0.0, 1.0)";
    case D3DTOP_ADD:
        return "clamp(" + a + " + " + b + ", 0.0, 1.0)";
    case D3DTOP_ADDSIGNED:
        return "clamp(" + a + " + " + b + " - 0.5, 0.0, 1.0)";
    case D3DTOP_ADDSIGNED2X:
        return "clamp((" + a + " + " + b + " - 0.5) * 2.0, 0.0, 1.0)";
    case D3DTOP_SUBTRACT:
        return "clamp(" + a + " - " + b + ", 0.0, 1.0)";
    case D3DTOP_ADDSMOOTH:
        return "clamp(" + a + " + " + b + " - " + a + " * " + b + ", 0.0, 1.0)";
    case D3DTOP_BLENDDIFFUSEALPHA:
        return "mix(" + b + ", " + a + ", diffuse.a)";
    case D3DTOP_BLENDTEXTUREALPHA:
        return "mix(" + b + ", " + a + ", tex.a)";
    case D3DTOP_BLENDFACTORALPHA:
        return "mix(" + b + ", " + a + ", uTFactor.a)";
    case D3DTOP_BLENDCURRENTALPHA:
        return "mix(" + b + ", " + a + ", current.a)";
    default:
        return "(" + a + " * " + b + ")";
    }
}

const char* Comparison(DWORD func)
{
    switch (func)
    {
    case D3DCMP_NEVER:
        return "< -1.0 *";
    case D3DCMP_LESS:
        return "<";
    case D3DCMP_EQUAL:
        return "==";
    case D3DCMP_LESSEQUAL:
        return "<=";
    case D3DCMP_GREATER:
        return ">";
    case D3DCMP_NOTEQUAL:
        return "!=";
    case D3DCMP_GREATEREQUAL:
        return ">=";
    default:
        return ">= -1.0 +";
    }
}

GLuint Compile(GLenum type, const std::string& source)
{
    GLuint shader = glCreateShader(type);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok)
    {
        char log[1024] = "";
        glGetShaderInfoLog(shader, sizeof(log), nullptr, log);
        AE_ERROR("aeD3D9Shader", "Der Shader konnte nicht übersetzt werden: %s", log);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}
}   // namespace

Program* Device::GetProgram(const ShaderKey& k)
{
    if (Program* cached = m_Programs.Find(k))
        return cached;

    char defines[512];
    snprintf(defines, sizeof(defines),
             "#version 330 core\n#define RHW %d\n#define NORMAL %d\n#define LIGHTING %d\n"
             "#define DIFFUSE_FROM_VERTEX %d\n#define AMBIENT_FROM_VERTEX %d\n#define SPECULAR_FROM_VERTEX %d\n"
             "#define SPECULAR %d\n#define TEXTRANSFORM %d\n#define FOG %d\n#define FOG_Z %d\n#define TEXBOUND %d\n"
             "#define ALPHATEST %d\n",
             k.bRhw, k.bNormal, k.bLighting, k.bDiffuseFromVertex, k.bAmbientFromVertex, k.bSpecularFromVertex,
             k.bSpecular, k.bTexTransform, k.uFogMode, k.bFogFromDepth, k.bTexture, k.bAlphaTest);
    std::string fragment = defines;
    fragment += "#define COLOR_OP " + Operation(k.uColorOp, k.uColorArg1, k.uColorArg2) + "\n";
    fragment += "#define ALPHA_OP " + Operation(k.uAlphaOp, k.uAlphaArg1, k.uAlphaArg2) + "\n";
    fragment += std::string("#define ALPHA_CMP ") + Comparison(k.uAlphaFunc) + "\n";
    fragment += kFragmentSource;

    Program program{};
    program.uKey = k.Pack();
    const GLuint vs = Compile(GL_VERTEX_SHADER, std::string(defines) + kVertexSource);
    const GLuint fs = vs ? Compile(GL_FRAGMENT_SHADER, fragment) : 0;
    if (!vs || !fs)
    {
        glDeleteShader(vs);
        return nullptr;
    }
    program.uProgram = glCreateProgram();
    glAttachShader(program.uProgram, vs);
    glAttachShader(program.uProgram, fs);
    glLinkProgram(program.uProgram);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = 0;
    glGetProgramiv(program.uProgram, GL_LINK_STATUS, &ok);
    if (!ok)
    {
        char log[1024] = "";
        glGetProgramInfoLog(program.uProgram, sizeof(log), nullptr, log);
        AE_ERROR("aeD3D9Shader", "Der Shader konnte nicht gebunden werden: %s", log);
        glDeleteProgram(program.uProgram);
        return nullptr;
    }
    for (int i = 0; i < L_COUNT; i++)
        program.aiLoc[i] = glGetUniformLocation(program.uProgram, kUniformNames[i]);
    glUseProgram(program.uProgram);
    if (program.aiLoc[L_TEX0] >= 0)
        glUniform1i(program.aiLoc[L_TEX0], 0);
    m_pCurrentProgram = nullptr;
    return m_Programs.Add(program);
}

ShaderKey Device::ProgramKey(DWORD fvf) const
{
    VertexLayout layout;
    DescribeFVF(fvf, &layout);
    const DWORD* rs = m_State.adwRS;
    const DWORD* tss = m_State.adwTSS[0];
    ShaderKey key;
    const bool rhw = layout.bRhw;
    key.bRhw = rhw;
    key.bNormal = layout.iNormal >= 0;
    key.bDiffuse = layout.iDiffuse >= 0;
    key.bSpecularPart = layout.iSpecular >= 0;
    const bool lighting = !rhw && rs[D3DRS_LIGHTING];
    key.bLighting = lighting;
    if (lighting && rs[D3DRS_COLORVERTEX])
    {
        key.bDiffuseFromVertex = layout.iDiffuse >= 0 && rs[D3DRS_DIFFUSEMATERIALSOURCE] == D3DMCS_COLOR1;
        key.bAmbientFromVertex = layout.iDiffuse >= 0 && rs[D3DRS_AMBIENTMATERIALSOURCE] == D3DMCS_COLOR1;
        key.bSpecularFromVertex = layout.iSpecular >= 0 && rs[D3DRS_SPECULARMATERIALSOURCE] == D3DMCS_COLOR2;
    }
    key.bSpecular = rs[D3DRS_SPECULARENABLE] != 0;
    key.bTexTransform = !rhw && (tss[D3DTSS_TEXTURETRANSFORMFLAGS] & 0xff) != D3DTTFF_DISABLE;
    if (rs[D3DRS_FOGENABLE])
    {
        DWORD mode = rs[D3DRS_FOGTABLEMODE] != D3DFOG_NONE ? rs[D3DRS_FOGTABLEMODE] : rs[D3DRS_FOGVERTEXMODE];
        key.uFogMode = mode & 3;
        key.bFogFromDepth = !rhw && m_State.Projection._34 == 0.f;
    }
    const bool texture = m_State.apTextures[0] != nullptr;
    key.bTexture = texture;
    DWORD colorOp = tss[D3DTSS_COLOROP], alphaOp = tss[D3DTSS_ALPHAOP];
    if (colorOp < D3DTOP_DISABLE || colorOp > D3DTOP_LERP)
        colorOp = D3DTOP_MODULATE;
    if (alphaOp < D3DTOP_DISABLE || alphaOp > D3DTOP_LERP)
        alphaOp = D3DTOP_MODULATE;
    if (colorOp == D3DTOP_DISABLE)
        alphaOp = D3DTOP_DISABLE;
    auto uses = [](DWORD op, int arg) {
        if (op == D3DTOP_DISABLE)
            return false;
        if (op == D3DTOP_SELECTARG1)
            return arg == 1;
        if (op == D3DTOP_SELECTARG2)
            return arg == 2;
        return true;
    };
    // A stage that reads the texture while none is bound passes the current
    // colour (for stage 0 the diffuse colour) through, as drivers do.
    DWORD colorArg1 = tss[D3DTSS_COLORARG1], colorArg2 = tss[D3DTSS_COLORARG2];
    DWORD alphaArg1 = tss[D3DTSS_ALPHAARG1], alphaArg2 = tss[D3DTSS_ALPHAARG2];
    auto readsTexture = [&](DWORD op, DWORD arg1, DWORD arg2) {
        return op == D3DTOP_BLENDTEXTUREALPHA || (uses(op, 1) && (arg1 & D3DTA_SELECTMASK) == D3DTA_TEXTURE)
               || (uses(op, 2) && (arg2 & D3DTA_SELECTMASK) == D3DTA_TEXTURE);
    };
    if (!texture && readsTexture(colorOp, colorArg1, colorArg2))
    {
        colorOp = D3DTOP_SELECTARG1;
        colorArg1 = D3DTA_CURRENT;
    }
    if (!texture && readsTexture(alphaOp, alphaArg1, alphaArg2))
    {
        alphaOp = D3DTOP_SELECTARG1;
        alphaArg1 = D3DTA_CURRENT;
    }
    key.uColorOp = colorOp;
    key.uColorArg1 = uses(colorOp, 1) ? colorArg1 & 0x3f : 0;
    key.uColorArg2 = uses(colorOp, 2) ? colorArg2 & 0x3f : 0;
    key.uAlphaOp = alphaOp;
    key.uAlphaArg1 = uses(alphaOp, 1) ? alphaArg1 & 0x3f : 0;
    key.uAlphaArg2 = uses(alphaOp, 2) ? alphaArg2 & 0x3f : 0;
    if (rs[D3DRS_ALPHATESTENABLE] && rs[D3DRS_ALPHAFUNC] != D3DCMP_ALWAYS)
    {
        key.bAlphaTest = 1;
        key.uAlphaFunc = rs[D3DRS_ALPHAFUNC] & 0xf;
    }
    return key;
}

void Device::UploadUniforms(Program* p, DWORD)
{
    const GLint* loc = p->aiLoc;
    auto stale = [&](UniformGroup group, int location) {
        if (p->auGen[group] == m_auGen[group])
            return false;
        p->auGen[group] = m_auGen[group];
        return location >= 0;
    };
    auto color = [](GLint location, const D3DCOLORVALUE& c) { glUniform4f(location, c.r, c.g, c.b, c.a); };
    auto packed = [&color](GLint location, DWORD c) { color(location, UnpackColor(c)); };
    const DWORD* rs = m_State.adwRS;
    if (stale(U_WORLDVIEW, loc[L_WORLDVIEW]))
        glUniformMatrix4fv(loc[L_WORLDVIEW], 1, GL_FALSE, m_afWorldView);
    if (stale(U_PROJECTION, loc[L_PROJ]))
        glUniformMatrix4fv(loc[L_PROJ], 1, GL_FALSE, &m_State.Projection._11);
    if (stale(U_SCREEN, loc[L_SCREEN]))
    {
        const D3DVIEWPORT9& vp = m_State.Viewport;
        glUniform4f(loc[L_SCREEN], static_cast<float>(vp.X), static_cast<float>(vp.Y), 2.f / static_cast<float>(vp.Width),
                    2.f / static_cast<float>(vp.Height));
    }
    if (stale(U_TEXMATRIX, loc[L_TEXMATRIX]))
        glUniformMatrix4fv(loc[L_TEXMATRIX], 1, GL_FALSE, &m_State.aTexture[0]._11);
    if (stale(U_LIGHTING, loc[L_AMBIENT]))
    {
        const D3DCOLORVALUE a = UnpackColor(rs[D3DRS_AMBIENT]);
        const float ambient[3] = {a.r, a.g, a.b};
        float lightAmbient[kMaxActiveLights][4];
        float diffuse[kMaxActiveLights][4], specular[kMaxActiveLights][4], attenuation[kMaxActiveLights][4];
        float cone[kMaxActiveLights][4];
        int n = 0;
        for (int i = 0; i < kLights && n < kMaxActiveLights; i++)
        {
            if (!m_State.abLightOn[i])
                continue;
            const D3DLIGHT9& light = m_State.aLights[i];
            memcpy(lightAmbient[n], &light.Ambient, 16);
            memcpy(diffuse[n], &light.Diffuse, 16);
            memcpy(specular[n], &light.Specular, 16);
            attenuation[n][0] = light.Attenuation0;
            attenuation[n][1] = light.Attenuation1;
            attenuation[n][2] = light.Attenuation2;
            attenuation[n][3] = light.Range > 0.f ? light.Range : 1e30f;
            const bool spot = light.Type == D3DLIGHT_SPOT;
            const float phi = std::clamp(light.Phi, 0.f, 3.14159265f), theta = std::clamp(light.Theta, 0.f, phi);
            cone[n][0] = std::cos(theta / 2.f);
            cone[n][1] = std::cos(phi / 2.f);
            cone[n][2] = light.Falloff;
            cone[n][3] = spot ? 1.f : 0.f;
            n++;
        }
        glUniform4f(loc[L_AMBIENT], ambient[0], ambient[1], ambient[2], 1.f);
        const D3DMATERIAL9& m = m_State.Material;
        color(loc[L_MATDIFFUSE], m.Diffuse);
        color(loc[L_MATAMBIENT], m.Ambient);
        color(loc[L_MATSPECULAR], m.Specular);
        color(loc[L_MATEMISSIVE], m.Emissive);
        glUniform1f(loc[L_POWER], m.Power);
        glUniform1i(loc[L_LIGHTCOUNT], n);
        if (n > 0 && loc[L_LIGHTPOS] >= 0)
        {
            glUniform4fv(loc[L_LIGHTPOS], n, &m_afLightPos[0][0]);
            glUniform4fv(loc[L_LIGHTDIFFUSE], n, &diffuse[0][0]);
            glUniform4fv(loc[L_LIGHTSPECULAR], n, &specular[0][0]);
            glUniform4fv(loc[L_LIGHTAMBIENT], n, &lightAmbient[0][0]);
            glUniform4fv(loc[L_LIGHTATT], n, &attenuation[0][0]);
            glUniform4fv(loc[L_LIGHTDIR], n, &m_afLightDir[0][0]);
            glUniform4fv(loc[L_LIGHTSPOT], n, &cone[0][0]);
        }
    }
    if (stale(U_TFACTOR, loc[L_TFACTOR]))
        packed(loc[L_TFACTOR], rs[D3DRS_TEXTUREFACTOR]);
    if (stale(U_FOG, loc[L_FOG]))
    {
        packed(loc[L_FOGCOLOR], rs[D3DRS_FOGCOLOR]);
        float density, start, end;
        memcpy(&density, &rs[D3DRS_FOGDENSITY], 4);
        memcpy(&start, &rs[D3DRS_FOGSTART], 4);
        memcpy(&end, &rs[D3DRS_FOGEND], 4);
        if (end == start)
            end = start + 1e-6f;
        glUniform3f(loc[L_FOG], density, start, end);
    }
    if (stale(U_ALPHAREF, loc[L_ALPHAREF]))
        glUniform1f(loc[L_ALPHAREF], static_cast<float>(rs[D3DRS_ALPHAREF] & 0xff) / 255.f);
}
}   // namespace d3d9
