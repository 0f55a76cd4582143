#pragma once
// The engine's window and its graphics device: frames, device restore,
// screenshots, 2D screen rectangles and model materials.

#include "aeMath.h"
#include "aeWindow.h"
#include "d3d9.h"

class aeVertexBuffer;
class aeIndexBuffer;
struct aeModelMaterial;

typedef void* HICON;

class aeGrafik
{
public:
    static int m_bInitialized;
    static HWND m_hWindow;
    static IDirect3D9* m_pD3D;
    static IDirect3DDevice9* m_pD3DDevice;
    static D3DCAPS9 m_Caps;
    static D3DPRESENT_PARAMETERS m_PresentParams;
    static char m_acScreenshot[256];
    // Set when a screenshot could not be written (a full disk); the program
    // tells the player and clears it.
    static int m_bScreenshotFailed;
    static Vector2 m_vScreenSize;

    static int Init(const char* title, HICON icon);
    static int Init(HWND window);
    static void Exit();
    static int Restore();
    static void Reset();

    static int Clear(DWORD flags, D3DCOLOR color, float z, DWORD stencil);
    static int BeginScene();
    static int EndScene();
    static int Present();
    static int Screenshot(const char* directory);

    static int DrawTexturedRect(Vector2 corner1, Vector2 corner2, IDirect3DTexture9* texture, int alphaBlend,
                                Color color, Vector2 texCorner1, Vector2 texCorner2);
    static int SetMaterial(aeModelMaterial* material);
    static int SetMaterialEx(aeModelMaterial* material, Color tint);
    // Whether opaque faces drawn now hide what lies behind them: the depth
    // test on and passing only what is nearer, solid fill, and nothing that
    // could punch holes (alpha or stencil test, clip planes).
    static bool OpaqueFacesHide();
    static int DoMessageBox(const char* text, const char* caption, UINT type);

    static int IsInitialized() { return m_bInitialized; }
    static int IsFullScreen() { return m_PresentParams.Windowed == 0; }
    static HWND GetWindow() { return m_hWindow; }
    static IDirect3D9* GetD3D() { return m_pD3D; }
    static IDirect3DDevice9* GetDevice() { return m_pD3DDevice; }
    static D3DCAPS9 GetCaps() { return m_Caps; }
    static Vector2 GetScreenSize() { return m_vScreenSize; }
    static float GetAspect() { return m_vScreenSize.x / m_vScreenSize.y; }
    static void SetScreenSize(Vector2 size);

    // Thin forwarding to the device.
    static void SetStreamSource(aeVertexBuffer* vb);
    static void SetIndices(aeIndexBuffer* ib);
    static void SetFVF(DWORD fvf) { m_pD3DDevice->SetFVF(fvf); }
    static void SetRS(D3DRENDERSTATETYPE state, DWORD value) { m_pD3DDevice->SetRenderState(state, value); }
    static void SetMaterial(D3DMATERIAL9* material) { m_pD3DDevice->SetMaterial(material); }
    static void SetTexture(IDirect3DTexture9* texture, DWORD stage) { m_pD3DDevice->SetTexture(stage, texture); }
    static void SetTSS(D3DTEXTURESTAGESTATETYPE type, DWORD value, DWORD stage)
    {
        m_pD3DDevice->SetTextureStageState(stage, type, value);
    }
    static void SetWorldMatrix(Matrix* m) { m_pD3DDevice->SetTransform(D3DTS_WORLD, &static_cast<D3DMATRIX&>(*m)); }
    static void SetCameraMatrix(Matrix* m) { m_pD3DDevice->SetTransform(D3DTS_VIEW, &static_cast<D3DMATRIX&>(*m)); }
    static void SetProjectionMatrix(Matrix* m) { m_pD3DDevice->SetTransform(D3DTS_PROJECTION, &static_cast<D3DMATRIX&>(*m)); }
    static void SetLight(DWORD index, D3DLIGHT9* light) { m_pD3DDevice->SetLight(index, light); }
    static void EnableLight(DWORD index) { m_pD3DDevice->LightEnable(index, TRUE); }
    static void DisableLight(DWORD index) { m_pD3DDevice->LightEnable(index, FALSE); }

    // The engine window's procedure: activation and close feed the frame loop.
    static LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};
