// The device's cache of shader programs.

#include "ProgramCache.h"

#include "aeError.h"

namespace d3d9
{
ProgramCache::ProgramCache(size_t capacity, void (*release)(GLuint)) : m_pfnRelease(release)
{
    m_Programs.reserve(capacity);
}

Program* ProgramCache::Find(const ShaderKey& key)
{
    const uint64_t packed = key.Pack();
    for (Program& program : m_Programs)
        if (program.uKey == packed)
            return &program;
    return nullptr;
}

Program* ProgramCache::Add(const Program& program)
{
    if (m_Programs.size() == m_Programs.capacity())
    {
        AE_WARNING("aeD3D9Shader", "Zu viele Shader-Varianten; die ältesten werden verworfen.");
        Clear();
    }
    m_Programs.push_back(program);
    return &m_Programs.back();
}

void ProgramCache::Clear()
{
    for (const Program& program : m_Programs)
        m_pfnRelease(program.uProgram);
    m_Programs.clear();
}
}   // namespace d3d9
