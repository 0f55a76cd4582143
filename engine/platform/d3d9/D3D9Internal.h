#pragma once
// Inside the Direct3D 9 stand-in: the objects behind the interfaces and what
// they share. Only the files of this folder include this header (it pulls in
// SDL and OpenGL).

#include <SDL2/SDL.h>
#include <epoxy/gl.h>

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "GlStateCache.h"
#include "ProgramCache.h"
#include "aeWindow.h"
#include "d3d9.h"

// A window of the window layer.
struct aeWindow
{
    SDL_Window* pSdl;
    WNDPROC pfnProc;
    Uint32 uId;
    int bMinimized;
    int iIconWidth = 0, iIconHeight = 0;   // 0: no icon of its own
};

// A packed A8R8G8B8 colour as four floats of 0 to 1.
inline D3DCOLORVALUE UnpackColor(D3DCOLOR c)
{
    return D3DCOLORVALUE{static_cast<float>((c >> 16) & 0xff) / 255.f, static_cast<float>((c >> 8) & 0xff) / 255.f,
                         static_cast<float>(c & 0xff) / 255.f, static_cast<float>(c >> 24) / 255.f};
}

namespace d3d9
{
// SDL's video subsystem, counted: every window and Direct3D object holds it.
bool AcquireVideo();
void ReleaseVideo();
bool IsHeadless();

// Sets the OpenGL attributes for the next context (3.3 core, no default depth).
void SetContextAttributes();

// Reference counting shared by all objects.
template <class Base>
class RefCounted : public Base
{
public:
    DWORD AddRef() override { return ++m_uRefs; }
    DWORD Release() override
    {
        const DWORD refs = --m_uRefs;
        if (refs == 0)
            delete this;
        return refs;
    }

protected:
    std::atomic<DWORD> m_uRefs{1};
};

// What the Direct3D object learns about OpenGL once per process.
struct GlProbe
{
    bool bValid;
    GLint iMaxTextureSize;
    GLint iMaxSamples;
    float fMaxAnisotropy;             // 0 when anisotropic filtering is not offered
    bool abSampleCount[17];           // multisample counts a colour + depth target accepts
    bool bDepth16, bDepth24, bDepth24S8, bDepth32, bDepth32F;
};
const GlProbe* Probe();

// Format helpers
int BytesPerPixel(D3DFORMAT format);
bool IsTextureFormat(D3DFORMAT format);
bool IsRenderTargetFormat(D3DFORMAT format);
bool IsDisplayFormat(D3DFORMAT format);
// Whether the probe says the depth format can be made; fills the GL format.
bool DepthFormatSupported(D3DFORMAT format, GLenum* glFormat);
// Converts an A8R8G8B8 pixel into a texture format; returns the bytes written.
int PackPixel(D3DFORMAT format, uint32_t argb, uint8_t* out);
uint32_t UnpackPixel(D3DFORMAT format, const uint8_t* in);

class Device;

// What textures and buffers share: the count that AddRef and Release keep, as
// the program sees it, and the device's own holds (bindings, state blocks),
// which Release never reports. An object whose count reaches 0 while the device
// still holds it stays alive until the last hold goes; the device reference it
// took at creation is given back with the count.
template <class Base>
class DeviceObject : public Base
{
public:
    DeviceObject(Device* device, D3DPOOL pool);
    DWORD AddRef() override;
    DWORD Release() override;
    void Hold() { ++m_uHolds; }
    void Drop();

    Device* m_pDevice;
    D3DPOOL m_Pool;

protected:
    std::atomic<DWORD> m_uRefs{1};
    std::atomic<DWORD> m_uHolds{0};
};

// ---------------------------------------------------------------------------
// Resources
// ---------------------------------------------------------------------------

// What vertex and index buffers share: a copy in memory that locks hand out,
// the OpenGL buffer that unlocking updates, and the device reference.
template <class Interface>
class DeviceBuffer : public DeviceObject<Interface>
{
public:
    DeviceBuffer(Device* device, UINT length, DWORD usage, D3DPOOL pool);
    ~DeviceBuffer() override;
    HRESULT GetDevice(IDirect3DDevice9** ppDevice) override;
    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) override;
    HRESULT Unlock() override;

    using DeviceObject<Interface>::m_pDevice;
    using DeviceObject<Interface>::m_Pool;
    GLuint m_uBuffer = 0;
    std::vector<uint8_t> m_Data;
    DWORD m_dwUsage;
    UINT m_uLockOffset = 0, m_uLockSize = 0;
    int m_iLocks = 0;
    DWORD m_dwLockFlags = 0;
};

class VertexBuffer final : public DeviceBuffer<IDirect3DVertexBuffer9>
{
public:
    VertexBuffer(Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
        : DeviceBuffer(device, length, usage, pool), m_dwFVF(fvf)
    {
    }
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) override;

    DWORD m_dwFVF;
};

class IndexBuffer final : public DeviceBuffer<IDirect3DIndexBuffer9>
{
public:
    IndexBuffer(Device* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool)
        : DeviceBuffer(device, length, usage, pool), m_Format(format)
    {
    }
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_INDEXBUFFER; }
    HRESULT GetDesc(D3DINDEXBUFFER_DESC* desc) override;

    D3DFORMAT m_Format;
};

class Texture final : public DeviceObject<IDirect3DTexture9>
{
public:
    Texture(Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool);
    ~Texture() override;
    HRESULT GetDevice(IDirect3DDevice9** ppDevice) override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD GetLevelCount() override { return m_uLevels; }
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) override;
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect(UINT level) override;

    UINT LevelWidth(UINT level) const { return (m_uWidth >> level) ? (m_uWidth >> level) : 1; }
    UINT LevelHeight(UINT level) const { return (m_uHeight >> level) ? (m_uHeight >> level) : 1; }
    UINT LevelPitch(UINT level) const { return LevelWidth(level) * BytesPerPixel(m_Format); }

    GLuint m_uTexture = 0;
    UINT m_uWidth, m_uHeight, m_uLevels;
    DWORD m_dwUsage;
    D3DFORMAT m_Format;
    std::vector<std::vector<uint8_t>> m_Levels;   // the system copy of every level
    std::vector<RECT> m_LockRects;                // per level; left > right when not locked
};

// A level of a texture or the device's back buffer.
class Surface final : public RefCounted<IDirect3DSurface9>
{
public:
    Surface(Device* device, Texture* texture, UINT level);
    ~Surface() override;
    HRESULT GetDevice(IDirect3DDevice9** ppDevice) override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_SURFACE; }
    HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
    HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect() override;

    Device* m_pDevice;
    Texture* m_pTexture;   // null: the back buffer
    UINT m_uLevel;
    std::vector<uint8_t> m_Pixels;   // back buffer read-back
    bool m_bLocked = false;
};

// ---------------------------------------------------------------------------
// Device state
// ---------------------------------------------------------------------------

constexpr int kStages = 8;
constexpr int kLights = 16;
constexpr int kMaxActiveLights = 8;
constexpr int kRenderStates = 256;
constexpr int kStageStates = 33;
constexpr int kSamplerStates = 14;

struct DeviceState
{
    DWORD adwRS[kRenderStates];
    DWORD adwTSS[kStages][kStageStates];
    DWORD adwSamp[kStages][kSamplerStates];
    D3DMATRIX World, View, Projection, aTexture[kStages];
    D3DMATERIAL9 Material;
    D3DLIGHT9 aLights[kLights];
    BOOL abLightSet[kLights];
    BOOL abLightOn[kLights];
    IDirect3DBaseTexture9* apTextures[kStages];
    DWORD dwFVF;
    VertexBuffer* pStream;
    UINT uStreamOffset, uStreamStride;
    IndexBuffer* pIndices;
    D3DVIEWPORT9 Viewport;
};

// The device's hold on every object a state names (not seen by Release).
void AddStateRefs(const DeviceState& state);
void ReleaseStateRefs(const DeviceState& state);

class StateBlock final : public RefCounted<IDirect3DStateBlock9>
{
public:
    StateBlock(Device* device, D3DSTATEBLOCKTYPE type);
    ~StateBlock() override;
    HRESULT GetDevice(IDirect3DDevice9** ppDevice) override;
    HRESULT Capture() override;
    HRESULT Apply() override;

    Device* m_pDevice;
    D3DSTATEBLOCKTYPE m_Type;
    DeviceState m_State;
};

// ---------------------------------------------------------------------------
// The device
// ---------------------------------------------------------------------------

class Direct3D;

class Device final : public RefCounted<IDirect3DDevice9>
{
public:
    Device(Direct3D* d3d, bool multithreaded);
    ~Device() override;
    HRESULT Create(HWND window, D3DPRESENT_PARAMETERS& params);

    HRESULT TestCooperativeLevel() override;
    HRESULT GetDirect3D(IDirect3D9** ppD3D9) override;
    HRESULT GetDeviceCaps(D3DCAPS9* pCaps) override;
    HRESULT GetDisplayMode(UINT iSwapChain, D3DDISPLAYMODE* pMode) override;
    HRESULT Reset(D3DPRESENT_PARAMETERS* pp) override;
    HRESULT Present(const RECT*, const RECT*, HWND, const RGNDATA*) override;
    HRESULT GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE Type,
                          IDirect3DSurface9** ppBackBuffer) override;
    HRESULT CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                          IDirect3DTexture9** ppTexture, HANDLE* pSharedHandle) override;
    HRESULT CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                               IDirect3DVertexBuffer9** ppVertexBuffer, HANDLE* pSharedHandle) override;
    HRESULT CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                              IDirect3DIndexBuffer9** ppIndexBuffer, HANDLE* pSharedHandle) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z, DWORD Stencil) override;
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) override;
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) override;
    HRESULT SetViewport(const D3DVIEWPORT9* pViewport) override;
    HRESULT GetViewport(D3DVIEWPORT9* pViewport) override;
    HRESULT SetMaterial(const D3DMATERIAL9* pMaterial) override;
    HRESULT GetMaterial(D3DMATERIAL9* pMaterial) override;
    HRESULT SetLight(DWORD Index, const D3DLIGHT9* pLight) override;
    HRESULT GetLight(DWORD Index, D3DLIGHT9* pLight) override;
    HRESULT LightEnable(DWORD Index, BOOL Enable) override;
    HRESULT GetLightEnable(DWORD Index, BOOL* pEnable) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) override;
    HRESULT GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) override;
    HRESULT CreateStateBlock(D3DSTATEBLOCKTYPE Type, IDirect3DStateBlock9** ppSB) override;
    HRESULT GetTexture(DWORD Stage, IDirect3DBaseTexture9** ppTexture) override;
    HRESULT SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) override;
    HRESULT GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD* pValue) override;
    HRESULT SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) override;
    HRESULT GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD* pValue) override;
    HRESULT SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) override;
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex, UINT PrimitiveCount) override;
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE Type, INT BaseVertexIndex, UINT MinVertexIndex, UINT NumVertices,
                                 UINT startIndex, UINT primCount) override;
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount, const void* pVertexStreamZeroData,
                            UINT VertexStreamZeroStride) override;
    HRESULT SetFVF(DWORD FVF) override;
    HRESULT GetFVF(DWORD* pFVF) override;
    HRESULT SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData, UINT OffsetInBytes,
                            UINT Stride) override;
    HRESULT GetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9** ppStreamData, UINT* pOffsetInBytes,
                            UINT* pStride) override;
    HRESULT SetIndices(IDirect3DIndexBuffer9* pIndexData) override;
    HRESULT GetIndices(IDirect3DIndexBuffer9** ppIndexData) override;

    // Makes the device's OpenGL context current on this thread.
    void MakeCurrent();
    // A device made with D3DCREATE_MULTITHREADED serves one call at a time,
    // from whichever thread makes it. Enter takes the device's lock; the
    // OpenGL context, which can be current on one thread only, stays with the
    // thread that last drew until that thread ends a frame or a resource call
    // (handBack: EndScene, Present, Reset, creating, locking, releasing) or
    // another thread waits for it; a waiting thread gets it at the end of the
    // holder's next call. Drawing without giving the context up keeps a frame
    // from being flushed call by call. Other devices belong to one thread and
    // do nothing here.
    void Enter(bool handBack);
    void Leave();
    bool IsMultithreaded() const { return m_bMultithreaded; }
    // Copies a state in (taking references), as a state block applies it.
    void ApplyState(const DeviceState& state);
    const DeviceState& State() const { return m_State; }
    // Reads the back buffer as X8R8G8B8 rows, top row first.
    void ReadBackBuffer(std::vector<uint8_t>& pixels);
    // Shows the back buffer in the window's drawable (what Present shows).
    void ShowBackBuffer();
    // Shows the back buffer in the drawable and reads the drawable back,
    // X8R8G8B8 rows, top row first.
    void ReadWindow(std::vector<uint8_t>& pixels, int* width, int* height);
    // A window point as the back-buffer pixel shown there.
    void WindowToBackBuffer(int x, int y, int* bx, int* by);
    UINT BackBufferWidth() const { return m_Params.BackBufferWidth; }
    UINT BackBufferHeight() const { return m_Params.BackBufferHeight; }
    D3DFORMAT BackBufferFormat() const { return m_Params.BackBufferFormat; }
    void ForceLost() { m_bLost = true; }
    void ForgetBoundTexture() { m_uBoundTexture = ~0u; }

    int m_iDefaultPoolObjects = 0;

private:
    friend class StateBlock;
    HRESULT CheckParams(HWND window, D3DPRESENT_PARAMETERS& params);
    void SetupWindow();
    bool CreateTargets();
    void DestroyTargets();
    void SetDefaultState();
    void MarkAllDirty();
    bool PrepareDraw(DWORD fvf, GLuint buffer, UINT offset, UINT stride);
    void ApplyRaster();
    void ApplySampler(int stage);
    ShaderKey ProgramKey(DWORD fvf) const;
    Program* GetProgram(const ShaderKey& key);
    void UploadUniforms(Program* program, DWORD fvf);
    void UpdateDerived();
    bool CheckWindowLoss();
    // The framebuffer that holds the back buffer's finished picture (resolved
    // first when it is multisampled).
    GLuint ResolvedBackBuffer();
    // Reads a framebuffer as BGRA rows, top row first.
    static void ReadTopDown(GLuint framebuffer, int width, int height, std::vector<uint8_t>& pixels);

    Direct3D* m_pD3D;
    const bool m_bMultithreaded;
    std::recursive_mutex m_Lock;
    std::condition_variable_any m_Handover;
    std::thread::id m_Owner;   // the thread the context is current on
    int m_iLockDepth = 0;
    int m_iWaiters = 0;
    bool m_bHandBack = false;
    HWND m_hWindow = nullptr;
    SDL_GLContext m_Context = nullptr;
    D3DPRESENT_PARAMETERS m_Params{};
    DeviceState m_State;
    bool m_bLost = false;
    bool m_bInScene = false;

    // back buffer
    GLuint m_uFbo = 0, m_uColor = 0, m_uDepth = 0;
    GLuint m_uResolveFbo = 0, m_uResolveColor = 0;
    int m_iSamples = 0;
    bool m_bHasDepth = false, m_bHasStencil = false;
    // Without a display the window's surface is never seen: Present does not
    // copy the frame into it.
    bool m_bHeadless = false;

    // drawing
    GLuint m_uVao = 0;
    GLuint m_uStreamBuffer = 0;
    UINT m_uStreamCapacity = 0, m_uStreamOffset = 0;
    GLuint m_auSamplers[kStages] = {};
    ProgramCache m_Programs{64, [](GLuint program) { glDeleteProgram(program); }};
    Program* m_pCurrentProgram = nullptr;
    uint32_t m_auGen[U_COUNT] = {};

    // dirty flags and caches of what OpenGL holds
    bool m_bRasterDirty = true;
    bool m_abSamplerDirty[kStages] = {};
    bool m_bWorldViewStale = true, m_bViewStale = true;
    GLuint m_uBoundTexture = ~0u;
    GLuint m_uInputBuffer = ~0u;
    UINT m_uInputOffset = ~0u, m_uInputStride = ~0u;
    DWORD m_dwInputFVF = ~0u, m_dwInputTexIndex = ~0u;
    GLuint m_uBoundIndexBuffer = ~0u;

    // derived values
    float m_afWorldView[16] = {};
    float m_afLightPos[kMaxActiveLights][4];
    float m_afLightDir[kMaxActiveLights][4] = {};
    int m_iLightCount = 0;

    GlStateCache m_Gl;
    SamplerState m_aSamplerGl[kStages];
};

// Holds a device's lock for one call (see Device::Enter).
class DeviceLock
{
public:
    explicit DeviceLock(Device* device, bool handBack = false)
        : m_pDevice(device && device->IsMultithreaded() ? device : nullptr)
    {
        if (m_pDevice)
            m_pDevice->Enter(handBack);
    }
    ~DeviceLock()
    {
        if (m_pDevice)
            m_pDevice->Leave();
    }
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;

private:
    Device* m_pDevice;
};

template <class Base>
DeviceObject<Base>::DeviceObject(Device* device, D3DPOOL pool) : m_pDevice(device), m_Pool(pool)
{
    m_pDevice->AddRef();
    if (pool == D3DPOOL_DEFAULT)
        m_pDevice->m_iDefaultPoolObjects++;
}

template <class Base>
DWORD DeviceObject<Base>::AddRef()
{
    DeviceLock lock(m_pDevice, true);
    const DWORD refs = ++m_uRefs;
    if (refs == 1)
    {
        // Taken back from a binding (GetTexture and the like).
        m_pDevice->AddRef();
        if (m_Pool == D3DPOOL_DEFAULT)
            m_pDevice->m_iDefaultPoolObjects++;
    }
    return refs;
}

template <class Base>
DWORD DeviceObject<Base>::Release()
{
    Device* device = m_pDevice;
    DWORD refs;
    {
        DeviceLock lock(device, true);
        refs = --m_uRefs;
        if (refs == 0)
        {
            // For Reset the object is gone, even while the device holds it.
            if (m_Pool == D3DPOOL_DEFAULT)
                device->m_iDefaultPoolObjects--;
            if (m_uHolds == 0)
                delete this;
        }
    }
    if (refs == 0)
        device->Release();
    return refs;
}

template <class Base>
void DeviceObject<Base>::Drop()
{
    if (--m_uHolds == 0 && m_uRefs == 0)
        delete this;
}

class Direct3D final : public RefCounted<IDirect3D9>
{
public:
    Direct3D();
    ~Direct3D() override;
    UINT GetAdapterCount() override { return 1; }
    UINT GetAdapterModeCount(UINT Adapter, D3DFORMAT Format) override;
    HRESULT EnumAdapterModes(UINT Adapter, D3DFORMAT Format, UINT Mode, D3DDISPLAYMODE* pMode) override;
    HRESULT GetAdapterDisplayMode(UINT Adapter, D3DDISPLAYMODE* pMode) override;
    HRESULT CheckDeviceType(UINT Adapter, D3DDEVTYPE DevType, D3DFORMAT AdapterFormat, D3DFORMAT BackBufferFormat,
                            BOOL bWindowed) override;
    HRESULT CheckDeviceFormat(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat, DWORD Usage,
                              D3DRESOURCETYPE RType, D3DFORMAT CheckFormat) override;
    HRESULT CheckDeviceMultiSampleType(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT SurfaceFormat, BOOL Windowed,
                                       D3DMULTISAMPLE_TYPE MultiSampleType, DWORD* pQualityLevels) override;
    HRESULT CheckDepthStencilMatch(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat,
                                   D3DFORMAT RenderTargetFormat, D3DFORMAT DepthStencilFormat) override;
    HRESULT GetDeviceCaps(UINT Adapter, D3DDEVTYPE DeviceType, D3DCAPS9* pCaps) override;
    HRESULT CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD BehaviorFlags,
                         D3DPRESENT_PARAMETERS* pPresentationParameters,
                         IDirect3DDevice9** ppReturnedDeviceInterface) override;
};

extern std::atomic<int> g_bCreationBlocked;

// Bytes per vertex and the parts of a vertex format.
struct VertexLayout
{
    int iSize;
    int iPosition;      // float count of the position: 3 (XYZ), 4 (XYZRHW, XYZW), 3 + betas
    bool bRhw;
    int iNormal, iDiffuse, iSpecular;   // byte offsets, −1 when absent
    int iTexCount;
    int aiTexOffset[8];
    int aiTexSize[8];
};
bool DescribeFVF(DWORD fvf, VertexLayout* layout);
}   // namespace d3d9
