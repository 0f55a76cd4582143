#pragma once
// The compiled shader programs of a device, one per ShaderKey.

#include <epoxy/gl.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ShaderKey.h"

namespace d3d9
{
// Groups of uniforms that change together; a program uploads a group when
// the device's generation of it differs from the one it last saw.
enum UniformGroup
{
    U_WORLDVIEW,
    U_PROJECTION,
    U_SCREEN,
    U_TEXMATRIX,
    U_LIGHTING,
    U_TFACTOR,
    U_FOG,
    U_ALPHAREF,
    U_COUNT
};

struct Program
{
    uint64_t uKey;   // ShaderKey::Pack of the key it was built for
    GLuint uProgram;
    GLint aiLoc[24];
    uint32_t auGen[U_COUNT];
};

class ProgramCache
{
public:
    // release deletes a program's OpenGL object.
    ProgramCache(size_t capacity, void (*release)(GLuint program));
    Program* Find(const ShaderKey& key);
    // Keeps a program. A full cache first lets go of every program it holds;
    // otherwise pointers it gave out stay valid.
    Program* Add(const Program& program);
    void Clear();

private:
    std::vector<Program> m_Programs;
    void (*m_pfnRelease)(GLuint);
};
}   // namespace d3d9
