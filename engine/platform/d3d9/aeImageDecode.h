#pragma once
// The first half of D3DX texture loading, without a device: an image file in
// memory (BMP, TGA, PNG, JPEG) is checked and decoded into A8R8G8B8 pixels.
// Kept apart so that it can be exercised on its own with untrusted bytes.

#include <cstdint>
#include <vector>

#include "d3dx9.h"

struct aeDecodedImage
{
    int iWidth = 0;
    int iHeight = 0;
    int iComponents = 0;  // channels in the file: 1 grey, 2 grey+alpha, 3 RGB, 4 RGBA
    D3DXIMAGE_FILEFORMAT eFileFormat = D3DXIFF_BMP;
    std::vector<uint32_t> aPixels;  // iWidth * iHeight, row by row
};

// Pixels equal to colorKey (when it is not 0) become transparent black.
// Pictures above 16384 pixels per side, and with maxPixels above 0 pictures
// of more pixels, are refused before they are decoded.
// D3D_OK, D3DERR_INVALIDCALL or D3DXERR_INVALIDDATA.
HRESULT aeDecodeImage(const void* source, UINT sourceSize, D3DCOLOR colorKey, aeDecodedImage* image,
                      long long maxPixels = 0);
