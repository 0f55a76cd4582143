#pragma once
// The D3DX 9 helpers that the engine uses: texture loading from an image file
// in memory, fonts, saving a surface as a picture, the left-handed perspective
// matrix and vertex sizes.

#include "d3d9.h"

#define D3DX_DEFAULT (static_cast<UINT>(-1))
#define D3DX_DEFAULT_NONPOW2 (static_cast<UINT>(-2))
#define D3DX_FROM_FILE (static_cast<UINT>(-3))
#define D3DFMT_FROM_FILE (static_cast<D3DFORMAT>(-3))

#define D3DX_FILTER_NONE (1 << 0)
#define D3DX_FILTER_POINT (2 << 0)
#define D3DX_FILTER_LINEAR (3 << 0)
#define D3DX_FILTER_TRIANGLE (4 << 0)
#define D3DX_FILTER_BOX (5 << 0)
#define D3DX_FILTER_MIRROR_U (1 << 16)
#define D3DX_FILTER_MIRROR_V (2 << 16)
#define D3DX_FILTER_MIRROR_W (4 << 16)
#define D3DX_FILTER_MIRROR (7 << 16)
#define D3DX_FILTER_DITHER (1 << 19)
#define D3DX_FILTER_SRGB_IN (1 << 21)
#define D3DX_FILTER_SRGB_OUT (2 << 21)

#define D3DXERR_CANNOTMODIFYINDEXBUFFER MAKE_D3DHRESULT(2900)
#define D3DXERR_INVALIDMESH MAKE_D3DHRESULT(2901)
#define D3DXERR_CANNOTATTRSORT MAKE_D3DHRESULT(2902)
#define D3DXERR_SKINNINGNOTSUPPORTED MAKE_D3DHRESULT(2903)
#define D3DXERR_TOOMANYINFLUENCES MAKE_D3DHRESULT(2904)
#define D3DXERR_INVALIDDATA MAKE_D3DHRESULT(2905)
#define D3DXERR_LOADEDMESHASNODATA MAKE_D3DHRESULT(2906)
#define D3DXERR_DUPLICATENAMEDFRAGMENT MAKE_D3DHRESULT(2907)
#define D3DXERR_CANNOTREMOVELASTITEM MAKE_D3DHRESULT(2908)

enum D3DXIMAGE_FILEFORMAT
{
    D3DXIFF_BMP = 0,
    D3DXIFF_JPG = 1,
    D3DXIFF_TGA = 2,
    D3DXIFF_PNG = 3,
    D3DXIFF_DDS = 4,
    D3DXIFF_PPM = 5,
    D3DXIFF_DIB = 6,
    D3DXIFF_HDR = 7,
    D3DXIFF_PFM = 8,
    D3DXIFF_FORCE_DWORD = 0x7fffffff
};

struct D3DXIMAGE_INFO
{
    UINT Width;
    UINT Height;
    UINT Depth;
    UINT MipLevels;
    D3DFORMAT Format;
    D3DRESOURCETYPE ResourceType;
    D3DXIMAGE_FILEFORMAT ImageFileFormat;
};

struct PALETTEENTRY
{
    BYTE peRed;
    BYTE peGreen;
    BYTE peBlue;
    BYTE peFlags;
};

typedef D3DMATRIX D3DXMATRIX;

// Font creation values of GDI
#define FW_DONTCARE 0
#define FW_THIN 100
#define FW_LIGHT 300
#define FW_NORMAL 400
#define FW_MEDIUM 500
#define FW_SEMIBOLD 600
#define FW_BOLD 700
#define FW_HEAVY 900
#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define OUT_DEFAULT_PRECIS 0
#define OUT_TT_PRECIS 4
#define DEFAULT_QUALITY 0
#define NONANTIALIASED_QUALITY 3
#define ANTIALIASED_QUALITY 4
#define CLEARTYPE_QUALITY 5
#define DEFAULT_PITCH 0

// Text drawing format flags
#define DT_TOP 0x00000000
#define DT_LEFT 0x00000000
#define DT_CENTER 0x00000001
#define DT_RIGHT 0x00000002
#define DT_VCENTER 0x00000004
#define DT_BOTTOM 0x00000008
#define DT_WORDBREAK 0x00000010
#define DT_SINGLELINE 0x00000020
#define DT_EXPANDTABS 0x00000040
#define DT_NOCLIP 0x00000100
#define DT_CALCRECT 0x00000400

class ID3DXSprite;
typedef ID3DXSprite* LPD3DXSPRITE;

class ID3DXFont : public IUnknown
{
public:
    virtual HRESULT GetDevice(IDirect3DDevice9** ppDevice) = 0;
    // Draws Windows-1252 text (Count −1: up to the terminating zero) into the
    // rectangle; returns the height of the drawn text in pixels, 0 on failure.
    virtual INT DrawTextA(LPD3DXSPRITE pSprite, LPCSTR pString, INT Count, LPRECT pRect, DWORD Format,
                          D3DCOLOR Color) = 0;
    virtual HRESULT OnLostDevice() = 0;
    virtual HRESULT OnResetDevice() = 0;
};
typedef ID3DXFont* LPD3DXFONT;

// Face names are Windows-1252 and resolved through fontconfig ("Arial" gives
// the metric-compatible Liberation Sans). Height is the character cell height
// in pixels (a negative value the em height); Width 0 keeps the face's
// proportions.
HRESULT D3DXCreateFontA(IDirect3DDevice9* pDevice, INT Height, UINT Width, UINT Weight, UINT MipLevels,
                        BOOL Italic, DWORD CharSet, DWORD OutputPrecision, DWORD Quality, DWORD PitchAndFamily,
                        LPCSTR pFaceName, ID3DXFont** ppFont);
inline HRESULT D3DXCreateFont(IDirect3DDevice9* pDevice, INT Height, UINT Width, UINT Weight, UINT MipLevels,
                              BOOL Italic, DWORD CharSet, DWORD OutputPrecision, DWORD Quality,
                              DWORD PitchAndFamily, LPCSTR pFaceName, ID3DXFont** ppFont)
{
    return D3DXCreateFontA(pDevice, Height, Width, Weight, MipLevels, Italic, CharSet, OutputPrecision, Quality,
                           PitchAndFamily, pFaceName, ppFont);
}

// Decodes a BMP (including 8-bit palettised and 24-bit), TGA, PNG or JPEG
// file held in memory. Width, Height, MipLevels D3DX_DEFAULT: the image's size
// and a full mip chain. Format D3DFMT_UNKNOWN chooses A8R8G8B8 for images with
// alpha or a colour key, X8R8G8B8 otherwise. Pixels equal to a non-zero
// ColorKey (A8R8G8B8) become transparent black.
HRESULT D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice9* pDevice, const void* pSrcData, UINT SrcDataSize,
                                            UINT Width, UINT Height, UINT MipLevels, DWORD Usage, D3DFORMAT Format,
                                            D3DPOOL Pool, DWORD Filter, DWORD MipFilter, D3DCOLOR ColorKey,
                                            D3DXIMAGE_INFO* pSrcInfo, PALETTEENTRY* pPalette,
                                            IDirect3DTexture9** ppTexture);

// Writes the surface (or the part in pSrcRect) as an uncompressed 24-bit BMP
// file; the path is Windows-1252 with '\' or '/' separators. Only D3DXIFF_BMP
// is written.
HRESULT D3DXSaveSurfaceToFileA(LPCSTR pDestFile, D3DXIMAGE_FILEFORMAT DestFormat, IDirect3DSurface9* pSrcSurface,
                               const PALETTEENTRY* pSrcPalette, const RECT* pSrcRect);

// Left-handed perspective projection (depth 0 at the near plane, 1 at the far).
D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* pOut, float fovy, float Aspect, float zn, float zf);

// Bytes per vertex of a flexible vertex format.
UINT D3DXGetFVFVertexSize(DWORD FVF);
