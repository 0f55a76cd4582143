// Vertex and index buffers, textures and surfaces. Each keeps a copy in system
// memory: locks hand out that copy, unlocks send the locked part to OpenGL, and
// reads never have to wait for the renderer.

#include <algorithm>

#include "D3D9Internal.h"

namespace d3d9
{
namespace
{
void Upload(GLuint buffer, const std::vector<uint8_t>& data, UINT offset, UINT size)
{
    // The copy-write target leaves the vertex array's bindings alone.
    glBindBuffer(GL_COPY_WRITE_BUFFER, buffer);
    glBufferSubData(GL_COPY_WRITE_BUFFER, offset, size, data.data() + offset);
}

HRESULT LockRange(std::vector<uint8_t>& data, UINT offset, UINT size, void** out, UINT* lockOffset, UINT* lockSize)
{
    if (!out)
        return D3DERR_INVALIDCALL;
    *out = nullptr;
    const size_t length = data.size();
    if (size == 0)
    {
        if (offset > length)
            return D3DERR_INVALIDCALL;
        size = static_cast<UINT>(length - offset);
    }
    if (static_cast<uint64_t>(offset) + size > length)
        return D3DERR_INVALIDCALL;
    *lockOffset = offset;
    *lockSize = size;
    *out = data.data() + offset;
    return D3D_OK;
}

void TextureFormat(D3DFORMAT format, GLenum* internal, GLenum* pixelFormat, GLenum* type, GLint swizzle[4])
{
    swizzle[0] = GL_RED;
    swizzle[1] = GL_GREEN;
    swizzle[2] = GL_BLUE;
    swizzle[3] = GL_ALPHA;
    switch (format)
    {
    case D3DFMT_X8R8G8B8:
        swizzle[3] = GL_ONE;
        [[fallthrough]];
    case D3DFMT_A8R8G8B8:
        *internal = GL_RGBA8;
        *pixelFormat = GL_BGRA;
        *type = GL_UNSIGNED_INT_8_8_8_8_REV;
        break;
    case D3DFMT_R5G6B5:
        *internal = GL_RGB8;
        *pixelFormat = GL_RGB;
        *type = GL_UNSIGNED_SHORT_5_6_5;
        break;
    case D3DFMT_X1R5G5B5:
        swizzle[3] = GL_ONE;
        [[fallthrough]];
    case D3DFMT_A1R5G5B5:
        *internal = GL_RGB5_A1;
        *pixelFormat = GL_BGRA;
        *type = GL_UNSIGNED_SHORT_1_5_5_5_REV;
        break;
    case D3DFMT_A4R4G4B4:
        *internal = GL_RGBA4;
        *pixelFormat = GL_BGRA;
        *type = GL_UNSIGNED_SHORT_4_4_4_4_REV;
        break;
    case D3DFMT_A8L8:
        *internal = GL_RG8;
        *pixelFormat = GL_RG;
        *type = GL_UNSIGNED_BYTE;
        swizzle[0] = swizzle[1] = swizzle[2] = GL_RED;
        swizzle[3] = GL_GREEN;
        break;
    case D3DFMT_L8:
        *internal = GL_R8;
        *pixelFormat = GL_RED;
        *type = GL_UNSIGNED_BYTE;
        swizzle[0] = swizzle[1] = swizzle[2] = GL_RED;
        swizzle[3] = GL_ONE;
        break;
    default:   // D3DFMT_A8: black with alpha
        *internal = GL_R8;
        *pixelFormat = GL_RED;
        *type = GL_UNSIGNED_BYTE;
        swizzle[0] = swizzle[1] = swizzle[2] = GL_ZERO;
        swizzle[3] = GL_RED;
        break;
    }
}
}   // namespace

// ---------------------------------------------------------------------------
// Vertex and index buffers
// ---------------------------------------------------------------------------

template <class Interface>
DeviceBuffer<Interface>::DeviceBuffer(Device* device, UINT length, DWORD usage, D3DPOOL pool)
    : DeviceObject<Interface>(device, pool), m_Data(length), m_dwUsage(usage)
{
    glGenBuffers(1, &m_uBuffer);
    glBindBuffer(GL_COPY_WRITE_BUFFER, m_uBuffer);
    glBufferData(GL_COPY_WRITE_BUFFER, length, m_Data.data(),
                 (usage & D3DUSAGE_DYNAMIC) ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
}

template <class Interface>
DeviceBuffer<Interface>::~DeviceBuffer()
{
    m_pDevice->MakeCurrent();
    glDeleteBuffers(1, &m_uBuffer);
}

template <class Interface>
HRESULT DeviceBuffer<Interface>::GetDevice(IDirect3DDevice9** device)
{
    if (!device)
        return D3DERR_INVALIDCALL;
    m_pDevice->AddRef();
    *device = m_pDevice;
    return D3D_OK;
}

template <class Interface>
HRESULT DeviceBuffer<Interface>::Lock(UINT offset, UINT size, void** data, DWORD flags)
{
    DeviceLock lock(m_pDevice, true);
    const HRESULT hr = LockRange(m_Data, offset, size, data, &m_uLockOffset, &m_uLockSize);
    if (SUCCEEDED(hr))
    {
        m_iLocks++;
        m_dwLockFlags = flags;
    }
    return hr;
}

template <class Interface>
HRESULT DeviceBuffer<Interface>::Unlock()
{
    DeviceLock lock(m_pDevice, true);
    if (m_iLocks == 0)
        return D3DERR_INVALIDCALL;
    if (--m_iLocks == 0 && !(m_dwLockFlags & D3DLOCK_READONLY) && m_uLockSize > 0)
    {
        m_pDevice->MakeCurrent();
        Upload(m_uBuffer, m_Data, m_uLockOffset, m_uLockSize);
    }
    return D3D_OK;
}

template class DeviceBuffer<IDirect3DVertexBuffer9>;
template class DeviceBuffer<IDirect3DIndexBuffer9>;

HRESULT VertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* desc)
{
    if (!desc)
        return D3DERR_INVALIDCALL;
    *desc = {D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, m_dwUsage, m_Pool, static_cast<UINT>(m_Data.size()), m_dwFVF};
    return D3D_OK;
}

HRESULT IndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* desc)
{
    if (!desc)
        return D3DERR_INVALIDCALL;
    *desc = {m_Format, D3DRTYPE_INDEXBUFFER, m_dwUsage, m_Pool, static_cast<UINT>(m_Data.size())};
    return D3D_OK;
}

// ---------------------------------------------------------------------------
// Textures
// ---------------------------------------------------------------------------

Texture::Texture(Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : DeviceObject(device, pool), m_uWidth(width), m_uHeight(height), m_uLevels(levels), m_dwUsage(usage),
      m_Format(format)
{
    m_Levels.resize(levels);
    m_LockRects.assign(levels, RECT{1, 0, 0, 0});
    GLenum internal, pixelFormat, type;
    GLint swizzle[4];
    TextureFormat(format, &internal, &pixelFormat, &type, swizzle);
    glGenTextures(1, &m_uTexture);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, m_uTexture);
    for (UINT level = 0; level < levels; level++)
    {
        m_Levels[level].assign(static_cast<size_t>(LevelPitch(level)) * LevelHeight(level), 0);
        glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), static_cast<GLint>(internal),
                     static_cast<GLsizei>(LevelWidth(level)), static_cast<GLsizei>(LevelHeight(level)), 0, pixelFormat,
                     type, m_Levels[level].data());
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels - 1));
    glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, swizzle);
    if (glGetError() != GL_NO_ERROR)
    {
        glDeleteTextures(1, &m_uTexture);
        m_uTexture = 0;
    }
    // The device's idea of the bound texture is stale now.
    m_pDevice->ForgetBoundTexture();
}

Texture::~Texture()
{
    m_pDevice->MakeCurrent();
    glDeleteTextures(1, &m_uTexture);
}

HRESULT Texture::GetDevice(IDirect3DDevice9** device)
{
    if (!device)
        return D3DERR_INVALIDCALL;
    m_pDevice->AddRef();
    *device = m_pDevice;
    return D3D_OK;
}

HRESULT Texture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc)
{
    if (!desc || level >= m_uLevels)
        return D3DERR_INVALIDCALL;
    *desc = {m_Format, D3DRTYPE_SURFACE, m_dwUsage, m_Pool, D3DMULTISAMPLE_NONE, 0, LevelWidth(level),
             LevelHeight(level)};
    return D3D_OK;
}

HRESULT Texture::GetSurfaceLevel(UINT level, IDirect3DSurface9** surface)
{
    if (!surface)
        return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (level >= m_uLevels)
        return D3DERR_INVALIDCALL;
    *surface = new Surface(m_pDevice, this, level);
    return D3D_OK;
}

HRESULT Texture::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags)
{
    DeviceLock lock(m_pDevice, true);
    if (!locked || level >= m_uLevels)
        return D3DERR_INVALIDCALL;
    RECT r = {0, 0, static_cast<LONG>(LevelWidth(level)), static_cast<LONG>(LevelHeight(level))};
    if (rect)
    {
        if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right || rect->top >= rect->bottom
            || rect->right > r.right || rect->bottom > r.bottom)
            return D3DERR_INVALIDCALL;
        r = *rect;
    }
    if (m_LockRects[level].left <= m_LockRects[level].right)
        return D3DERR_INVALIDCALL;   // already locked
    m_LockRects[level] = r;
    if (flags & D3DLOCK_READONLY)
        m_LockRects[level].bottom = -m_LockRects[level].bottom - 1;   // remembered: nothing to send back
    const int bpp = BytesPerPixel(m_Format);
    locked->Pitch = static_cast<INT>(LevelPitch(level));
    locked->pBits = m_Levels[level].data() + static_cast<size_t>(r.top) * LevelPitch(level)
                    + static_cast<size_t>(r.left) * static_cast<size_t>(bpp);
    return D3D_OK;
}

HRESULT Texture::UnlockRect(UINT level)
{
    DeviceLock lock(m_pDevice, true);
    if (level >= m_uLevels || m_LockRects[level].left > m_LockRects[level].right)
        return D3DERR_INVALIDCALL;
    RECT r = m_LockRects[level];
    m_LockRects[level] = RECT{1, 0, 0, 0};
    if (r.bottom < 0)
        return D3D_OK;
    m_pDevice->MakeCurrent();
    GLenum internal, pixelFormat, type;
    GLint swizzle[4];
    TextureFormat(m_Format, &internal, &pixelFormat, &type, swizzle);
    const int bpp = BytesPerPixel(m_Format);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, m_uTexture);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(LevelWidth(level)));
    glTexSubImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), r.left, r.top, r.right - r.left, r.bottom - r.top,
                    pixelFormat, type,
                    m_Levels[level].data() + static_cast<size_t>(r.top) * LevelPitch(level)
                        + static_cast<size_t>(r.left) * static_cast<size_t>(bpp));
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    // Texture rows are stored top row first, as Direct3D locks them; texture
    // coordinate v = 0 addresses the top row, so no flip is needed.
    m_pDevice->ForgetBoundTexture();
    return D3D_OK;
}

// ---------------------------------------------------------------------------
// Surfaces
// ---------------------------------------------------------------------------

Surface::Surface(Device* device, Texture* texture, UINT level) : m_pDevice(device), m_pTexture(texture), m_uLevel(level)
{
    m_pDevice->AddRef();
    if (m_pTexture)
        m_pTexture->AddRef();
}

Surface::~Surface()
{
    if (m_pTexture)
        m_pTexture->Release();
    m_pDevice->Release();
}

HRESULT Surface::GetDevice(IDirect3DDevice9** device)
{
    if (!device)
        return D3DERR_INVALIDCALL;
    m_pDevice->AddRef();
    *device = m_pDevice;
    return D3D_OK;
}

HRESULT Surface::GetDesc(D3DSURFACE_DESC* desc)
{
    if (!desc)
        return D3DERR_INVALIDCALL;
    if (m_pTexture)
        return m_pTexture->GetLevelDesc(m_uLevel, desc);
    *desc = {D3DFMT_X8R8G8B8, D3DRTYPE_SURFACE, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT, D3DMULTISAMPLE_NONE, 0,
             m_pDevice->BackBufferWidth(), m_pDevice->BackBufferHeight()};
    return D3D_OK;
}

HRESULT Surface::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags)
{
    DeviceLock lock(m_pDevice, true);
    if (m_pTexture)
        return m_pTexture->LockRect(m_uLevel, locked, rect, flags);
    if (!locked || m_bLocked)
        return D3DERR_INVALIDCALL;
    const LONG w = static_cast<LONG>(m_pDevice->BackBufferWidth()), h = static_cast<LONG>(m_pDevice->BackBufferHeight());
    RECT r = {0, 0, w, h};
    if (rect)
    {
        if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right || rect->top >= rect->bottom || rect->right > w
            || rect->bottom > h)
            return D3DERR_INVALIDCALL;
        r = *rect;
    }
    // The back buffer is read as it is now; writes through the lock are not
    // sent back.
    m_pDevice->ReadBackBuffer(m_Pixels);
    locked->Pitch = static_cast<INT>(w * 4);
    locked->pBits = m_Pixels.data() + static_cast<size_t>(r.top) * static_cast<size_t>(w) * 4
                    + static_cast<size_t>(r.left) * 4;
    m_bLocked = true;
    return D3D_OK;
}

HRESULT Surface::UnlockRect()
{
    if (m_pTexture)
        return m_pTexture->UnlockRect(m_uLevel);
    if (!m_bLocked)
        return D3DERR_INVALIDCALL;
    m_bLocked = false;
    return D3D_OK;
}
}   // namespace d3d9
