// Device states: render, texture-stage and sampler states, transforms, lights,
// the material, bound objects; their initial values; state blocks.

#include "D3D9Internal.h"

namespace d3d9
{
namespace
{
DWORD FloatBits(float value)
{
    DWORD bits;
    memcpy(&bits, &value, 4);
    return bits;
}

void Identity(D3DMATRIX& m)
{
    memset(&m, 0, sizeof(m));
    m._11 = m._22 = m._33 = m._44 = 1.f;
}
}   // namespace

void AddStateRefs(const DeviceState& state)
{
    for (IDirect3DBaseTexture9* texture : state.apTextures)
        if (texture)
            static_cast<Texture*>(texture)->Hold();
    if (state.pStream)
        state.pStream->Hold();
    if (state.pIndices)
        state.pIndices->Hold();
}

void ReleaseStateRefs(const DeviceState& state)
{
    for (IDirect3DBaseTexture9* texture : state.apTextures)
        if (texture)
            static_cast<Texture*>(texture)->Drop();
    if (state.pStream)
        state.pStream->Drop();
    if (state.pIndices)
        state.pIndices->Drop();
}

void Device::SetDefaultState()
{
    DeviceState& s = m_State;
    DWORD* rs = s.adwRS;
    rs[D3DRS_ZENABLE] = m_Params.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
    rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
    rs[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    rs[D3DRS_ZWRITEENABLE] = TRUE;
    rs[D3DRS_LASTPIXEL] = TRUE;
    rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    rs[D3DRS_CULLMODE] = D3DCULL_CCW;
    rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    rs[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_FOGSTART] = FloatBits(0.f);
    rs[D3DRS_FOGEND] = FloatBits(1.f);
    rs[D3DRS_FOGDENSITY] = FloatBits(1.f);
    rs[D3DRS_STENCILFAIL] = rs[D3DRS_STENCILZFAIL] = rs[D3DRS_STENCILPASS] = 1;   // keep
    rs[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_STENCILMASK] = rs[D3DRS_STENCILWRITEMASK] = 0xffffffff;
    rs[D3DRS_TEXTUREFACTOR] = 0xffffffff;
    rs[D3DRS_CLIPPING] = TRUE;
    rs[D3DRS_LIGHTING] = TRUE;
    rs[D3DRS_COLORVERTEX] = TRUE;
    rs[D3DRS_LOCALVIEWER] = TRUE;
    rs[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
    rs[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
    rs[D3DRS_POINTSIZE] = rs[D3DRS_POINTSIZE_MIN] = rs[D3DRS_POINTSCALE_A] = FloatBits(1.f);
    rs[D3DRS_POINTSIZE_MAX] = FloatBits(64.f);
    rs[D3DRS_MULTISAMPLEANTIALIAS] = TRUE;
    rs[D3DRS_MULTISAMPLEMASK] = 0xffffffff;
    rs[D3DRS_DEBUGMONITORTOKEN] = 0xbaadcafe;
    rs[D3DRS_COLORWRITEENABLE] = rs[D3DRS_COLORWRITEENABLE1] = rs[D3DRS_COLORWRITEENABLE2] =
        rs[D3DRS_COLORWRITEENABLE3] = 0xf;
    rs[D3DRS_BLENDOP] = rs[D3DRS_BLENDOPALPHA] = D3DBLENDOP_ADD;
    rs[D3DRS_POSITIONDEGREE] = 3;
    rs[D3DRS_NORMALDEGREE] = 1;
    rs[D3DRS_MINTESSELLATIONLEVEL] = rs[D3DRS_MAXTESSELLATIONLEVEL] = rs[D3DRS_ADAPTIVETESS_Z] = FloatBits(1.f);
    rs[D3DRS_CCW_STENCILFAIL] = rs[D3DRS_CCW_STENCILZFAIL] = rs[D3DRS_CCW_STENCILPASS] = 1;
    rs[D3DRS_CCW_STENCILFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_BLENDFACTOR] = 0xffffffff;
    rs[D3DRS_SRCBLENDALPHA] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLENDALPHA] = D3DBLEND_ZERO;

    for (int i = 0; i < kStages; i++)
    {
        DWORD* tss = s.adwTSS[i];
        tss[D3DTSS_COLOROP] = i == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        tss[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        tss[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        tss[D3DTSS_ALPHAOP] = i == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        tss[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        tss[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        tss[D3DTSS_TEXCOORDINDEX] = static_cast<DWORD>(i);
        tss[D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_DISABLE;
        tss[D3DTSS_COLORARG0] = tss[D3DTSS_ALPHAARG0] = tss[D3DTSS_RESULTARG] = D3DTA_CURRENT;
        DWORD* samp = s.adwSamp[i];
        samp[D3DSAMP_ADDRESSU] = samp[D3DSAMP_ADDRESSV] = samp[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
        samp[D3DSAMP_MAGFILTER] = samp[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
        samp[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
        samp[D3DSAMP_MAXANISOTROPY] = 1;
        Identity(s.aTexture[i]);
    }
    Identity(s.World);
    Identity(s.View);
    Identity(s.Projection);
    s.Viewport = {0, 0, m_Params.BackBufferWidth, m_Params.BackBufferHeight, 0.f, 1.f};
    MarkAllDirty();
}

void Device::MarkAllDirty()
{
    m_bRasterDirty = true;
    for (bool& dirty : m_abSamplerDirty)
        dirty = true;
    m_bWorldViewStale = m_bViewStale = true;
    for (uint32_t& gen : m_auGen)
        gen++;
    m_dwInputFVF = ~0u;
    m_uBoundTexture = ~0u;
    m_uBoundIndexBuffer = ~0u;
}

void Device::ApplyState(const DeviceState& state)
{
    AddStateRefs(state);
    ReleaseStateRefs(m_State);
    m_State = state;
    MarkAllDirty();
}

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE state, DWORD value)
{
    DeviceLock lock(this);
    if (static_cast<DWORD>(state) >= kRenderStates)
        return D3DERR_INVALIDCALL;
    if (m_State.adwRS[state] == value)
        return D3D_OK;
    m_State.adwRS[state] = value;
    switch (state)
    {
    case D3DRS_ZENABLE:
    case D3DRS_ZWRITEENABLE:
    case D3DRS_ZFUNC:
    case D3DRS_SRCBLEND:
    case D3DRS_DESTBLEND:
    case D3DRS_CULLMODE:
    case D3DRS_ALPHABLENDENABLE:
    case D3DRS_BLENDOP:
    case D3DRS_SEPARATEALPHABLENDENABLE:
    case D3DRS_SRCBLENDALPHA:
    case D3DRS_DESTBLENDALPHA:
    case D3DRS_BLENDOPALPHA:
    case D3DRS_COLORWRITEENABLE:
    case D3DRS_FILLMODE:
    case D3DRS_MULTISAMPLEANTIALIAS:
    case D3DRS_BLENDFACTOR:
        m_bRasterDirty = true;
        break;
    case D3DRS_FOGCOLOR:
    case D3DRS_FOGSTART:
    case D3DRS_FOGEND:
    case D3DRS_FOGDENSITY:
        m_auGen[U_FOG]++;
        break;
    case D3DRS_AMBIENT:
        m_auGen[U_LIGHTING]++;
        break;
    case D3DRS_TEXTUREFACTOR:
        m_auGen[U_TFACTOR]++;
        break;
    case D3DRS_ALPHAREF:
        m_auGen[U_ALPHAREF]++;
        break;
    default:
        break;
    }
    return D3D_OK;
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value)
{
    DeviceLock lock(this);
    if (!value || static_cast<DWORD>(state) >= kRenderStates)
        return D3DERR_INVALIDCALL;
    *value = m_State.adwRS[state];
    return D3D_OK;
}

HRESULT Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value)
{
    DeviceLock lock(this);
    if (stage >= kStages || static_cast<DWORD>(type) >= kStageStates)
        return D3DERR_INVALIDCALL;
    m_State.adwTSS[stage][type] = value;
    return D3D_OK;
}

HRESULT Device::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value)
{
    DeviceLock lock(this);
    if (!value || stage >= kStages || static_cast<DWORD>(type) >= kStageStates)
        return D3DERR_INVALIDCALL;
    *value = m_State.adwTSS[stage][type];
    return D3D_OK;
}

HRESULT Device::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value)
{
    DeviceLock lock(this);
    if (sampler >= kStages || static_cast<DWORD>(type) >= kSamplerStates)
        return D3DERR_INVALIDCALL;
    if (m_State.adwSamp[sampler][type] != value)
    {
        m_State.adwSamp[sampler][type] = value;
        m_abSamplerDirty[sampler] = true;
    }
    return D3D_OK;
}

HRESULT Device::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value)
{
    DeviceLock lock(this);
    if (!value || sampler >= kStages || static_cast<DWORD>(type) >= kSamplerStates)
        return D3DERR_INVALIDCALL;
    *value = m_State.adwSamp[sampler][type];
    return D3D_OK;
}

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix)
{
    DeviceLock lock(this);
    if (!matrix)
        return D3DERR_INVALIDCALL;
    const int index = static_cast<int>(state);
    if (index == D3DTS_WORLD)
    {
        m_State.World = *matrix;
        m_bWorldViewStale = true;
    }
    else if (index == D3DTS_VIEW)
    {
        m_State.View = *matrix;
        m_bWorldViewStale = m_bViewStale = true;
    }
    else if (index == D3DTS_PROJECTION)
    {
        m_State.Projection = *matrix;
        m_auGen[U_PROJECTION]++;
        m_auGen[U_FOG]++;
    }
    else if (index >= D3DTS_TEXTURE0 && index <= D3DTS_TEXTURE7)
    {
        m_State.aTexture[index - D3DTS_TEXTURE0] = *matrix;
        if (index == D3DTS_TEXTURE0)
            m_auGen[U_TEXMATRIX]++;
    }
    else if (index < 256 || index > 511)
        return D3DERR_INVALIDCALL;
    // Further world matrices (vertex blending) are not drawn with.
    return D3D_OK;
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix)
{
    DeviceLock lock(this);
    if (!matrix)
        return D3DERR_INVALIDCALL;
    const int index = static_cast<int>(state);
    if (index == D3DTS_WORLD)
        *matrix = m_State.World;
    else if (index == D3DTS_VIEW)
        *matrix = m_State.View;
    else if (index == D3DTS_PROJECTION)
        *matrix = m_State.Projection;
    else if (index >= D3DTS_TEXTURE0 && index <= D3DTS_TEXTURE7)
        *matrix = m_State.aTexture[index - D3DTS_TEXTURE0];
    else
        return D3DERR_INVALIDCALL;
    return D3D_OK;
}

HRESULT Device::SetViewport(const D3DVIEWPORT9* viewport)
{
    DeviceLock lock(this);
    if (!viewport || viewport->Width == 0 || viewport->Height == 0
        || static_cast<uint64_t>(viewport->X) + viewport->Width > m_Params.BackBufferWidth
        || static_cast<uint64_t>(viewport->Y) + viewport->Height > m_Params.BackBufferHeight
        || !(viewport->MinZ >= 0.f && viewport->MaxZ <= 1.f && viewport->MinZ <= viewport->MaxZ))
        return D3DERR_INVALIDCALL;
    m_State.Viewport = *viewport;
    m_bRasterDirty = true;
    m_auGen[U_SCREEN]++;
    return D3D_OK;
}

HRESULT Device::GetViewport(D3DVIEWPORT9* viewport)
{
    DeviceLock lock(this);
    if (!viewport)
        return D3DERR_INVALIDCALL;
    *viewport = m_State.Viewport;
    return D3D_OK;
}

HRESULT Device::SetMaterial(const D3DMATERIAL9* material)
{
    DeviceLock lock(this);
    if (!material)
        return D3DERR_INVALIDCALL;
    m_State.Material = *material;
    m_auGen[U_LIGHTING]++;
    return D3D_OK;
}

HRESULT Device::GetMaterial(D3DMATERIAL9* material)
{
    DeviceLock lock(this);
    if (!material)
        return D3DERR_INVALIDCALL;
    *material = m_State.Material;
    return D3D_OK;
}

HRESULT Device::SetLight(DWORD index, const D3DLIGHT9* light)
{
    DeviceLock lock(this);
    if (!light || index >= kLights || light->Type < D3DLIGHT_POINT || light->Type > D3DLIGHT_DIRECTIONAL)
        return D3DERR_INVALIDCALL;
    m_State.aLights[index] = *light;
    m_State.abLightSet[index] = TRUE;
    m_bViewStale = true;
    return D3D_OK;
}

HRESULT Device::GetLight(DWORD index, D3DLIGHT9* light)
{
    DeviceLock lock(this);
    if (!light || index >= kLights || !m_State.abLightSet[index])
        return D3DERR_INVALIDCALL;
    *light = m_State.aLights[index];
    return D3D_OK;
}

HRESULT Device::LightEnable(DWORD index, BOOL enable)
{
    DeviceLock lock(this);
    if (index >= kLights)
        return D3DERR_INVALIDCALL;
    if (!m_State.abLightSet[index])
    {
        // An unset light that is switched on is Direct3D's default light: white,
        // directional, shining along +z.
        D3DLIGHT9 light{};
        light.Type = D3DLIGHT_DIRECTIONAL;
        light.Diffuse = {1.f, 1.f, 1.f, 0.f};
        light.Direction = {0.f, 0.f, 1.f};
        m_State.aLights[index] = light;
        m_State.abLightSet[index] = TRUE;
    }
    m_State.abLightOn[index] = enable ? TRUE : FALSE;
    m_bViewStale = true;
    return D3D_OK;
}

HRESULT Device::GetLightEnable(DWORD index, BOOL* enable)
{
    DeviceLock lock(this);
    if (!enable || index >= kLights || !m_State.abLightSet[index])
        return D3DERR_INVALIDCALL;
    *enable = m_State.abLightOn[index];
    return D3D_OK;
}

HRESULT Device::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture)
{
    DeviceLock lock(this);
    if (stage >= kStages)
        return D3DERR_INVALIDCALL;
    if (texture && static_cast<Texture*>(texture)->m_pDevice != this)
        return D3DERR_INVALIDCALL;
    IDirect3DBaseTexture9*& slot = m_State.apTextures[stage];
    if (slot == texture)
        return D3D_OK;
    if (texture)
        static_cast<Texture*>(texture)->Hold();
    if (slot)
        static_cast<Texture*>(slot)->Drop();
    slot = texture;
    return D3D_OK;
}

HRESULT Device::GetTexture(DWORD stage, IDirect3DBaseTexture9** texture)
{
    DeviceLock lock(this);
    if (!texture || stage >= kStages)
        return D3DERR_INVALIDCALL;
    *texture = m_State.apTextures[stage];
    if (*texture)
        (*texture)->AddRef();
    return D3D_OK;
}

HRESULT Device::SetFVF(DWORD fvf)
{
    DeviceLock lock(this);
    m_State.dwFVF = fvf;
    return D3D_OK;
}

HRESULT Device::GetFVF(DWORD* fvf)
{
    DeviceLock lock(this);
    if (!fvf)
        return D3DERR_INVALIDCALL;
    *fvf = m_State.dwFVF;
    return D3D_OK;
}

HRESULT Device::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride)
{
    DeviceLock lock(this);
    if (stream != 0)
        return D3DERR_INVALIDCALL;
    VertexBuffer* vb = static_cast<VertexBuffer*>(buffer);
    if (vb && vb->m_pDevice != this)
        return D3DERR_INVALIDCALL;
    if (vb)
        vb->Hold();
    if (m_State.pStream)
        m_State.pStream->Drop();
    m_State.pStream = vb;
    m_State.uStreamOffset = offset;
    m_State.uStreamStride = stride;
    return D3D_OK;
}

HRESULT Device::GetStreamSource(UINT stream, IDirect3DVertexBuffer9** buffer, UINT* offset, UINT* stride)
{
    DeviceLock lock(this);
    if (stream != 0 || !buffer || !offset || !stride)
        return D3DERR_INVALIDCALL;
    *buffer = m_State.pStream;
    if (*buffer)
        (*buffer)->AddRef();
    *offset = m_State.uStreamOffset;
    *stride = m_State.uStreamStride;
    return D3D_OK;
}

HRESULT Device::SetIndices(IDirect3DIndexBuffer9* buffer)
{
    DeviceLock lock(this);
    IndexBuffer* ib = static_cast<IndexBuffer*>(buffer);
    if (ib && ib->m_pDevice != this)
        return D3DERR_INVALIDCALL;
    if (ib)
        ib->Hold();
    if (m_State.pIndices)
        m_State.pIndices->Drop();
    m_State.pIndices = ib;
    return D3D_OK;
}

HRESULT Device::GetIndices(IDirect3DIndexBuffer9** buffer)
{
    DeviceLock lock(this);
    if (!buffer)
        return D3DERR_INVALIDCALL;
    *buffer = m_State.pIndices;
    if (*buffer)
        (*buffer)->AddRef();
    return D3D_OK;
}

HRESULT Device::CreateStateBlock(D3DSTATEBLOCKTYPE type, IDirect3DStateBlock9** block)
{
    DeviceLock lock(this);
    if (!block)
        return D3DERR_INVALIDCALL;
    *block = nullptr;
    if (type < D3DSBT_ALL || type > D3DSBT_VERTEXSTATE)
        return D3DERR_INVALIDCALL;
    *block = new StateBlock(this, type);
    return D3D_OK;
}

// ---------------------------------------------------------------------------
// State blocks. Every kind records the whole device state.
// ---------------------------------------------------------------------------

StateBlock::StateBlock(Device* device, D3DSTATEBLOCKTYPE type) : m_pDevice(device), m_Type(type)
{
    m_pDevice->AddRef();
    m_State = device->State();
    AddStateRefs(m_State);
}

StateBlock::~StateBlock()
{
    {
        DeviceLock lock(m_pDevice, true);
        ReleaseStateRefs(m_State);
    }
    m_pDevice->Release();
}

HRESULT StateBlock::GetDevice(IDirect3DDevice9** device)
{
    if (!device)
        return D3DERR_INVALIDCALL;
    m_pDevice->AddRef();
    *device = m_pDevice;
    return D3D_OK;
}

HRESULT StateBlock::Capture()
{
    DeviceLock lock(m_pDevice);
    const DeviceState& current = m_pDevice->State();
    AddStateRefs(current);
    ReleaseStateRefs(m_State);
    m_State = current;
    return D3D_OK;
}

HRESULT StateBlock::Apply()
{
    DeviceLock lock(m_pDevice);
    m_pDevice->ApplyState(m_State);
    return D3D_OK;
}
}   // namespace d3d9
