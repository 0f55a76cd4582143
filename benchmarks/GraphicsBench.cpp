// Frames per second of the Direct3D stand-in at 1024 × 768 (headless on the
// offscreen video driver): 2000 textured, lit, fogged triangles drawn indexed
// from buffers in 100 draws, plus 200 alpha-blended textured screen quads.

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "aeWindow.h"
#include "d3d9.h"
#include "d3dx9.h"

namespace
{
// Processor time of the whole process (the renderer's threads included), in
// seconds: less dependent on other load on the machine than the wall time.
double ProcessSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

struct TexVertex
{
    float x, y, z, u, v;
};
struct ScreenVertex
{
    float x, y, z, rhw;
    D3DCOLOR color;
    float u, v;
};

void GraphicsFrame(benchmark::State& state)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    HWND window = d3d ? aeCreateWindow("Bench", 1024, 768, nullptr) : nullptr;
    if (!window)
    {
        state.SkipWithError("no Direct3D");
        return;
    }
    D3DPRESENT_PARAMETERS params{};
    params.BackBufferWidth = 1024;
    params.BackBufferHeight = 768;
    params.BackBufferFormat = D3DFMT_X8R8G8B8;
    params.BackBufferCount = 1;
    params.SwapEffect = D3DSWAPEFFECT_DISCARD;
    params.hDeviceWindow = window;
    params.Windowed = TRUE;
    params.EnableAutoDepthStencil = TRUE;
    params.AutoDepthStencilFormat = D3DFMT_D24S8;
    params.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    IDirect3DDevice9* device = nullptr;
    if (FAILED(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, 0, &params, &device)))
    {
        state.SkipWithError("no device");
        return;
    }
    D3DCAPS9 caps;
    device->GetDeviceCaps(&caps);
    const bool aniso = getenv("AE_NOANISO") ? false : (caps.TextureFilterCaps & D3DPTFILTERCAPS_MINFANISOTROPIC) != 0;
    device->SetSamplerState(0, D3DSAMP_MINFILTER, aniso ? D3DTEXF_ANISOTROPIC : D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MAXANISOTROPY, caps.MaxAnisotropy);

    // A 256 × 256 checker texture with its mip chain.
    IDirect3DTexture9* texture = nullptr;
    device->CreateTexture(256, 256, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr);
    for (DWORD level = 0; level < texture->GetLevelCount(); level++)
    {
        D3DSURFACE_DESC desc;
        texture->GetLevelDesc(level, &desc);
        D3DLOCKED_RECT locked;
        texture->LockRect(level, &locked, nullptr, 0);
        for (UINT y = 0; y < desc.Height; y++)
            for (UINT x = 0; x < desc.Width; x++)
                static_cast<DWORD*>(locked.pBits)[y * locked.Pitch / 4 + x] =
                    ((x / 16 + y / 16) & 1) ? 0xffc08040 : 0x80406080;
        texture->UnlockRect(level);
    }

    // 1000 quads, 20 to a row and 50 rows deep, about two screens of surface.
    std::vector<TexVertex> vertices;
    std::vector<uint16_t> indices;
    for (int i = 0; i < 1000; i++)
    {
        const float z = 4.f + static_cast<float>(i / 20) * 3.f;
        const float x = -20.f + static_cast<float>(i % 20) * 2.f;
        const float y = static_cast<float>((i * 7) % 5) - 2.f;
        const uint16_t base = static_cast<uint16_t>(vertices.size());
        vertices.push_back({x, y - 1, z, 0, 1});
        vertices.push_back({x, y + 1, z, 0, 0});
        vertices.push_back({x + 2, y + 1, z + 1, 1, 0});
        vertices.push_back({x + 2, y - 1, z + 1, 1, 1});
        for (uint16_t k : {0, 1, 2, 0, 2, 3})
            indices.push_back(static_cast<uint16_t>(base + k));
    }
    IDirect3DVertexBuffer9* vb = nullptr;
    IDirect3DIndexBuffer9* ib = nullptr;
    void* data = nullptr;
    device->CreateVertexBuffer(static_cast<UINT>(vertices.size() * sizeof(TexVertex)), D3DUSAGE_WRITEONLY,
                               D3DFVF_XYZ | D3DFVF_TEX1, D3DPOOL_DEFAULT, &vb, nullptr);
    vb->Lock(0, 0, &data, 0);
    memcpy(data, vertices.data(), vertices.size() * sizeof(TexVertex));
    vb->Unlock();
    device->CreateIndexBuffer(static_cast<UINT>(indices.size() * 2), D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                              D3DPOOL_DEFAULT, &ib, nullptr);
    ib->Lock(0, 0, &data, 0);
    memcpy(data, indices.data(), indices.size() * 2);
    ib->Unlock();

    D3DMATRIX identity{};
    identity._11 = identity._22 = identity._33 = identity._44 = 1.f;
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, 1.2217305f, 4.f / 3.f, 0.1f, 200.f);
    const float density = 0.05f;
    DWORD densityBits;
    memcpy(&densityBits, &density, 4);
    D3DMATERIAL9 material{};
    material.Diffuse = {1, 1, 1, 1};
    material.Ambient = {1, 1, 1, 0};

    // The last frame is waited for inside the timed loop: Present may return
    // before the renderer has drawn the frame.
    IDirect3DSurface9* backBuffer = nullptr;
    device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
    benchmark::IterationCount frames = 0;
    const double processStart = ProcessSeconds();
    for (auto _ : state)
    {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000, 1.f, 0);
        device->BeginScene();
        // The maze pass.
        device->SetTransform(D3DTS_VIEW, &identity);
        device->SetTransform(D3DTS_PROJECTION, &projection);
        device->SetRenderState(D3DRS_AMBIENT, 0xffffffff);
        device->SetRenderState(D3DRS_LIGHTING, TRUE);
        device->SetRenderState(D3DRS_FOGENABLE, TRUE);
        device->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_EXP2);
        device->SetRenderState(D3DRS_FOGDENSITY, densityBits);
        device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
        device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device->SetStreamSource(0, vb, 0, sizeof(TexVertex));
        device->SetIndices(ib);
        device->SetFVF(D3DFVF_XYZ | D3DFVF_TEX1);
        device->SetMaterial(&material);
        device->SetTexture(0, texture);
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_CURRENT);
        device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TEXTURE);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        for (int draw = 0; draw < 100; draw++)
        {
            device->SetTransform(D3DTS_WORLD, &identity);
            device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4000, static_cast<UINT>(draw * 60), 20);
        }
        // The overlay pass.
        device->SetRenderState(D3DRS_FOGENABLE, FALSE);
        device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
        device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
        for (int q = 0; q < 200; q++)
        {
            const float x = static_cast<float>((q * 53) % 970), y = static_cast<float>((q * 37) % 710);
            const ScreenVertex quad[4] = {{x, y + 50, 0, 1, 0xc0ffffff, 0, 1},
                                          {x, y, 0, 1, 0xc0ffffff, 0, 0},
                                          {x + 50, y + 50, 0, 1, 0xc0ffffff, 1, 1},
                                          {x + 50, y, 0, 1, 0xc0ffffff, 1, 0}};
            device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenVertex));
        }
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
        if (++frames == state.max_iterations)
        {
            D3DLOCKED_RECT locked;
            backBuffer->LockRect(&locked, nullptr, D3DLOCK_READONLY);
            backBuffer->UnlockRect();
        }
    }
    const double processSeconds = ProcessSeconds() - processStart;
    backBuffer->Release();
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["anisotropic"] = aniso ? 1 : 0;
    // Processor milliseconds per frame over all threads.
    state.counters["process_ms"] = processSeconds * 1e3 / static_cast<double>(frames);

    device->SetStreamSource(0, nullptr, 0, 0);
    device->SetIndices(nullptr);
    device->SetTexture(0, nullptr);
    vb->Release();
    ib->Release();
    texture->Release();
    device->Release();
    d3d->Release();
    aeDestroyWindow(window);
}
BENCHMARK(GraphicsFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
}   // namespace
