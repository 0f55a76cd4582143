// Drawing: vertex formats, the render and sampler states handed to the OpenGL
// state cache, derived matrices and lights, and the draw calls.

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "D3D9Internal.h"

namespace d3d9
{
bool DescribeFVF(DWORD fvf, VertexLayout* layout)
{
    memset(layout, 0, sizeof(*layout));
    layout->iNormal = layout->iDiffuse = layout->iSpecular = -1;
    int size = 0;
    switch (fvf & D3DFVF_POSITION_MASK)
    {
    case 0:
        break;
    case D3DFVF_XYZ:
        size = 12;
        break;
    case D3DFVF_XYZRHW:
        size = 16;
        layout->bRhw = true;
        break;
    case D3DFVF_XYZW:
        size = 16;
        break;
    case D3DFVF_XYZB1:
    case D3DFVF_XYZB2:
    case D3DFVF_XYZB3:
    case D3DFVF_XYZB4:
    case D3DFVF_XYZB5:
        size = 12 + 4 * (static_cast<int>((fvf & 0xe) - D3DFVF_XYZB1) / 2 + 1);
        break;
    default:
        return false;
    }
    layout->iPosition = size;
    if (fvf & D3DFVF_NORMAL)
    {
        layout->iNormal = size;
        size += 12;
    }
    if (fvf & D3DFVF_PSIZE)
        size += 4;
    if (fvf & D3DFVF_DIFFUSE)
    {
        layout->iDiffuse = size;
        size += 4;
    }
    if (fvf & D3DFVF_SPECULAR)
    {
        layout->iSpecular = size;
        size += 4;
    }
    const int count = static_cast<int>((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT);
    if (count > 8)
        return false;
    layout->iTexCount = count;
    for (int i = 0; i < count; i++)
    {
        static const int kFloats[4] = {2, 3, 4, 1};
        const int floats = kFloats[(fvf >> (16 + 2 * i)) & 3];
        layout->aiTexOffset[i] = size;
        layout->aiTexSize[i] = floats;
        size += 4 * floats;
    }
    layout->iSize = size;
    return true;
}

namespace
{
GLenum PrimitiveMode(D3DPRIMITIVETYPE type, UINT count, GLsizei* vertices)
{
    switch (type)
    {
    case D3DPT_POINTLIST:
        *vertices = static_cast<GLsizei>(count);
        return GL_POINTS;
    case D3DPT_LINELIST:
        *vertices = static_cast<GLsizei>(count * 2);
        return GL_LINES;
    case D3DPT_LINESTRIP:
        *vertices = static_cast<GLsizei>(count + 1);
        return GL_LINE_STRIP;
    case D3DPT_TRIANGLELIST:
        *vertices = static_cast<GLsizei>(count * 3);
        return GL_TRIANGLES;
    case D3DPT_TRIANGLESTRIP:
        *vertices = static_cast<GLsizei>(count + 2);
        return GL_TRIANGLE_STRIP;
    case D3DPT_TRIANGLEFAN:
        *vertices = static_cast<GLsizei>(count + 2);
        return GL_TRIANGLE_FAN;
    default:
        *vertices = 0;
        return 0;
    }
}

void Multiply(const D3DMATRIX& a, const D3DMATRIX& b, float* out)
{
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 4; j++)
            out[i * 4 + j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
}
}   // namespace

void Device::ApplyRaster()
{
    m_bRasterDirty = false;
    const DWORD* rs = m_State.adwRS;
    GlCalls& gl = RealGl();
    m_Gl.depth.Apply(gl, rs, m_bHasDepth);
    m_Gl.blend.Apply(gl, rs);
    m_Gl.cull.Apply(gl, rs);
    m_Gl.raster.Apply(gl, rs, m_iSamples > 0);
    m_Gl.viewport.Apply(gl, m_State.Viewport, m_Params.BackBufferHeight);
}

void Device::ApplySampler(int stage)
{
    m_abSamplerDirty[stage] = false;
    m_aSamplerGl[stage].Apply(RealGl(), m_auSamplers[stage], m_State.adwSamp[stage], Probe()->fMaxAnisotropy);
}

void Device::UpdateDerived()
{
    if (m_bWorldViewStale)
    {
        m_bWorldViewStale = false;
        // Setting the same matrix again (as per-object code does) sends nothing.
        float worldView[16];
        Multiply(m_State.World, m_State.View, worldView);
        if (memcmp(worldView, m_afWorldView, sizeof(worldView)) != 0)
        {
            memcpy(m_afWorldView, worldView, sizeof(worldView));
            m_auGen[U_WORLDVIEW]++;
        }
    }
    if (m_bViewStale)
    {
        m_bViewStale = false;
        const D3DMATRIX& v = m_State.View;
        int n = 0;
        for (int i = 0; i < kLights && n < kMaxActiveLights; i++)
        {
            if (!m_State.abLightOn[i])
                continue;
            const D3DLIGHT9& light = m_State.aLights[i];
            float* pos = m_afLightPos[n];
            if (light.Type == D3DLIGHT_DIRECTIONAL)
            {
                // Towards the light, in view space.
                const D3DVECTOR& d = light.Direction;
                float x = -(d.x * v._11 + d.y * v._21 + d.z * v._31);
                float y = -(d.x * v._12 + d.y * v._22 + d.z * v._32);
                float z = -(d.x * v._13 + d.y * v._23 + d.z * v._33);
                const float length = std::sqrt(x * x + y * y + z * z);
                if (length > 0.f)
                {
                    x /= length;
                    y /= length;
                    z /= length;
                }
                pos[0] = x;
                pos[1] = y;
                pos[2] = z;
                pos[3] = 0.f;
            }
            else
            {
                const D3DVECTOR& p = light.Position;
                pos[0] = p.x * v._11 + p.y * v._21 + p.z * v._31 + v._41;
                pos[1] = p.x * v._12 + p.y * v._22 + p.z * v._32 + v._42;
                pos[2] = p.x * v._13 + p.y * v._23 + p.z * v._33 + v._43;
                pos[3] = 1.f;
                // Where a spot light points, in view space.
                const D3DVECTOR& d = light.Direction;
                float* dir = m_afLightDir[n];
                dir[0] = d.x * v._11 + d.y * v._21 + d.z * v._31;
                dir[1] = d.x * v._12 + d.y * v._22 + d.z * v._32;
                dir[2] = d.x * v._13 + d.y * v._23 + d.z * v._33;
                const float length = std::sqrt(dir[0] * dir[0] + dir[1] * dir[1] + dir[2] * dir[2]);
                for (int k = 0; k < 3; k++)
                    dir[k] = length > 0.f ? dir[k] / length : 0.f;
                dir[3] = 0.f;
            }
            n++;
        }
        m_iLightCount = n;
        m_auGen[U_LIGHTING]++;
    }
}

bool Device::PrepareDraw(DWORD fvf, GLuint buffer, UINT offset, UINT stride)
{
    VertexLayout layout;
    if (fvf == 0 || !DescribeFVF(fvf, &layout) || layout.iPosition == 0 || stride == 0)
        return false;
    MakeCurrent();
    const DWORD texIndex = m_State.adwTSS[0][D3DTSS_TEXCOORDINDEX] & 0xffff;
    if (m_uInputBuffer != buffer || m_uInputOffset != offset || m_uInputStride != stride || m_dwInputFVF != fvf
        || m_dwInputTexIndex != texIndex)
    {
        m_uInputBuffer = buffer;
        m_uInputOffset = offset;
        m_uInputStride = stride;
        m_dwInputFVF = fvf;
        m_dwInputTexIndex = texIndex;
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        const GLsizei s = static_cast<GLsizei>(stride);
        auto at = [offset](int part) { return reinterpret_cast<const void*>(static_cast<uintptr_t>(offset + part)); };
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, layout.bRhw ? 4 : 3, GL_FLOAT, GL_FALSE, s, at(0));
        auto optional = [&](GLuint index, int part, GLint size, GLenum type, GLboolean normalized) {
            if (part >= 0)
            {
                glEnableVertexAttribArray(index);
                glVertexAttribPointer(index, size, type, normalized, s, at(part));
            }
            else
                glDisableVertexAttribArray(index);
        };
        optional(1, layout.iNormal, 3, GL_FLOAT, GL_FALSE);
        optional(2, layout.iDiffuse, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE);
        optional(3, layout.iSpecular, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE);
        const bool hasTex = texIndex < static_cast<DWORD>(layout.iTexCount);
        optional(4, hasTex ? layout.aiTexOffset[texIndex] : -1, hasTex ? layout.aiTexSize[texIndex] : 2, GL_FLOAT,
                 GL_FALSE);
    }

    Texture* texture = static_cast<Texture*>(m_State.apTextures[0]);
    const GLuint textureId = texture ? texture->m_uTexture : 0;
    if (m_uBoundTexture != textureId)
    {
        m_uBoundTexture = textureId;
        glBindTexture(GL_TEXTURE_2D, textureId);
    }
    if (m_abSamplerDirty[0])
        ApplySampler(0);
    if (m_bRasterDirty)
        ApplyRaster();

    Program* program = GetProgram(ProgramKey(fvf));
    if (!program)
        return false;
    if (program != m_pCurrentProgram)
    {
        m_pCurrentProgram = program;
        glUseProgram(program->uProgram);
    }
    UpdateDerived();
    UploadUniforms(program, fvf);
    return true;
}

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT count)
{
    DeviceLock lock(this);
    GLsizei vertices = 0;
    const GLenum mode = PrimitiveMode(type, count, &vertices);
    VertexBuffer* vb = m_State.pStream;
    if (!mode || !vb || count == 0)
        return D3DERR_INVALIDCALL;
    VertexLayout layout;
    if (!DescribeFVF(m_State.dwFVF, &layout))
        return D3DERR_INVALIDCALL;
    const UINT stride = m_State.uStreamStride ? m_State.uStreamStride : static_cast<UINT>(layout.iSize);
    const uint64_t end = static_cast<uint64_t>(m_State.uStreamOffset)
                         + (static_cast<uint64_t>(startVertex) + static_cast<uint64_t>(vertices) - 1) * stride
                         + static_cast<uint64_t>(layout.iSize);
    if (end > vb->m_Data.size())
        return D3DERR_INVALIDCALL;
    if (!PrepareDraw(m_State.dwFVF, vb->m_uBuffer, m_State.uStreamOffset, stride))
        return D3DERR_INVALIDCALL;
    glDrawArrays(mode, static_cast<GLint>(startVertex), vertices);
    return D3D_OK;
}

HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertex, UINT, UINT, UINT startIndex,
                                     UINT count)
{
    DeviceLock lock(this);
    GLsizei indices = 0;
    const GLenum mode = PrimitiveMode(type, count, &indices);
    VertexBuffer* vb = m_State.pStream;
    IndexBuffer* ib = m_State.pIndices;
    if (!mode || !vb || !ib || count == 0)
        return D3DERR_INVALIDCALL;
    VertexLayout layout;
    if (!DescribeFVF(m_State.dwFVF, &layout) || layout.iSize == 0)
        return D3DERR_INVALIDCALL;
    const UINT stride = m_State.uStreamStride ? m_State.uStreamStride : static_cast<UINT>(layout.iSize);
    const bool wide = ib->m_Format == D3DFMT_INDEX32;
    const size_t indexSize = wide ? 4 : 2;
    if ((static_cast<uint64_t>(startIndex) + static_cast<uint64_t>(indices)) * indexSize > ib->m_Data.size())
        return D3DERR_INVALIDCALL;
    // Every index must name a vertex of the stream.
    const uint64_t available = vb->m_Data.size() > m_State.uStreamOffset + static_cast<size_t>(layout.iSize)
                                   ? (vb->m_Data.size() - m_State.uStreamOffset - static_cast<size_t>(layout.iSize)) / stride + 1
                                   : (vb->m_Data.size() == m_State.uStreamOffset + static_cast<size_t>(layout.iSize) ? 1 : 0);
    int64_t lowest = INT64_MAX, highest = INT64_MIN;
    const uint8_t* data = ib->m_Data.data() + static_cast<size_t>(startIndex) * indexSize;
    for (GLsizei i = 0; i < indices; i++)
    {
        uint32_t index;
        if (wide)
            memcpy(&index, data + i * 4, 4);
        else
        {
            uint16_t narrow;
            memcpy(&narrow, data + i * 2, 2);
            index = narrow;
        }
        lowest = std::min<int64_t>(lowest, index);
        highest = std::max<int64_t>(highest, index);
    }
    if (lowest + baseVertex < 0 || highest + baseVertex >= static_cast<int64_t>(available))
        return D3DERR_INVALIDCALL;
    if (!PrepareDraw(m_State.dwFVF, vb->m_uBuffer, m_State.uStreamOffset, stride))
        return D3DERR_INVALIDCALL;
    if (m_uBoundIndexBuffer != ib->m_uBuffer)
    {
        m_uBoundIndexBuffer = ib->m_uBuffer;
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ib->m_uBuffer);
    }
    glDrawElementsBaseVertex(mode, indices, wide ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                             reinterpret_cast<const void*>(static_cast<uintptr_t>(startIndex) * indexSize), baseVertex);
    return D3D_OK;
}

HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT count, const void* data, UINT stride)
{
    DeviceLock lock(this);
    GLsizei vertices = 0;
    const GLenum mode = PrimitiveMode(type, count, &vertices);
    if (!mode || !data || stride == 0 || count == 0)
        return D3DERR_INVALIDCALL;
    VertexLayout layout;
    if (!DescribeFVF(m_State.dwFVF, &layout) || layout.iSize == 0 || stride < static_cast<UINT>(layout.iSize))
        return D3DERR_INVALIDCALL;
    const size_t size = static_cast<size_t>(vertices) * stride;
    if (size > (64u << 20))
        return D3DERR_INVALIDCALL;
    MakeCurrent();
    // The vertices go into a ring buffer; written regions are never touched
    // again until the buffer is renewed, so no draw has to wait.
    UINT offset = (m_uStreamOffset + stride - 1) / stride * stride;
    glBindBuffer(GL_ARRAY_BUFFER, m_uStreamBuffer);
    if (size > m_uStreamCapacity)
    {
        while (m_uStreamCapacity < size)
            m_uStreamCapacity *= 2;
        glBufferData(GL_ARRAY_BUFFER, m_uStreamCapacity, nullptr, GL_STREAM_DRAW);
        offset = 0;
    }
    else if (offset + size > m_uStreamCapacity)
    {
        glBufferData(GL_ARRAY_BUFFER, m_uStreamCapacity, nullptr, GL_STREAM_DRAW);
        offset = 0;
    }
    void* target = glMapBufferRange(GL_ARRAY_BUFFER, offset, static_cast<GLsizeiptr>(size),
                                    GL_MAP_WRITE_BIT | GL_MAP_UNSYNCHRONIZED_BIT | GL_MAP_INVALIDATE_RANGE_BIT);
    if (!target)
        return D3DERR_DRIVERINTERNALERROR;
    memcpy(target, data, size);
    glUnmapBuffer(GL_ARRAY_BUFFER);
    m_uStreamOffset = offset + static_cast<UINT>(size);
    if (!PrepareDraw(m_State.dwFVF, m_uStreamBuffer, 0, stride))
        return D3DERR_INVALIDCALL;
    glDrawArrays(mode, static_cast<GLint>(offset / stride), vertices);
    return D3D_OK;
}
}   // namespace d3d9
