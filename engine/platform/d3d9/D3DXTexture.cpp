// D3DX image functions: textures from image files in memory (stb_image) and
// surfaces written as BMP files.

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "D3D9Internal.h"
#include "aeError.h"
#include "aeFileSystem.h"
#include "aeImageDecode.h"
#include "d3dx9.h"

// Pictures larger than this per side are refused before they are decoded.
#define AE_MAX_IMAGE_SIDE 16384

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#define STBI_ONLY_TGA
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO
#define STBI_MAX_DIMENSIONS AE_MAX_IMAGE_SIDE
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wtype-limits"
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

using namespace d3d9;

namespace
{
D3DXIMAGE_FILEFORMAT DetectFormat(const uint8_t* data, UINT size)
{
    if (size >= 2 && data[0] == 'B' && data[1] == 'M')
        return D3DXIFF_BMP;
    if (size >= 8 && data[0] == 0x89 && data[1] == 'P' && data[2] == 'N' && data[3] == 'G')
        return D3DXIFF_PNG;
    if (size >= 2 && data[0] == 0xff && data[1] == 0xd8)
        return D3DXIFF_JPG;
    return D3DXIFF_TGA;
}

// Resamples an A8R8G8B8 picture; point sampling or bilinear.
void Resample(const std::vector<uint32_t>& in, int w, int h, std::vector<uint32_t>& out, int tw, int th, bool point)
{
    out.resize(static_cast<size_t>(tw) * static_cast<size_t>(th));
    for (int y = 0; y < th; y++)
        for (int x = 0; x < tw; x++)
        {
            const float fx = (static_cast<float>(x) + 0.5f) * static_cast<float>(w) / static_cast<float>(tw) - 0.5f;
            const float fy = (static_cast<float>(y) + 0.5f) * static_cast<float>(h) / static_cast<float>(th) - 0.5f;
            if (point)
            {
                const int sx = std::clamp(static_cast<int>(fx + 0.5f), 0, w - 1);
                const int sy = std::clamp(static_cast<int>(fy + 0.5f), 0, h - 1);
                out[static_cast<size_t>(y) * tw + x] = in[static_cast<size_t>(sy) * w + sx];
                continue;
            }
            const int x0 = std::clamp(static_cast<int>(std::floor(fx)), 0, w - 1), x1 = std::min(x0 + 1, w - 1);
            const int y0 = std::clamp(static_cast<int>(std::floor(fy)), 0, h - 1), y1 = std::min(y0 + 1, h - 1);
            const float ax = std::clamp(fx - static_cast<float>(x0), 0.f, 1.f);
            const float ay = std::clamp(fy - static_cast<float>(y0), 0.f, 1.f);
            uint32_t result = 0;
            for (int shift = 0; shift < 32; shift += 8)
            {
                auto c = [&](int sx, int sy) {
                    return static_cast<float>((in[static_cast<size_t>(sy) * w + sx] >> shift) & 0xff);
                };
                const float top = c(x0, y0) + (c(x1, y0) - c(x0, y0)) * ax;
                const float bottom = c(x0, y1) + (c(x1, y1) - c(x0, y1)) * ax;
                result |= static_cast<uint32_t>(top + (bottom - top) * ay + 0.5f) << shift;
            }
            out[static_cast<size_t>(y) * tw + x] = result;
        }
}

// The next smaller level: every pixel the average of (up to) four.
void HalveLevel(const std::vector<uint32_t>& in, int w, int h, std::vector<uint32_t>& out, int* nw, int* nh)
{
    *nw = std::max(w / 2, 1);
    *nh = std::max(h / 2, 1);
    out.resize(static_cast<size_t>(*nw) * static_cast<size_t>(*nh));
    for (int y = 0; y < *nh; y++)
        for (int x = 0; x < *nw; x++)
        {
            const int x0 = std::min(2 * x, w - 1), x1 = std::min(2 * x + 1, w - 1);
            const int y0 = std::min(2 * y, h - 1), y1 = std::min(2 * y + 1, h - 1);
            const uint32_t p[4] = {in[static_cast<size_t>(y0) * w + x0], in[static_cast<size_t>(y0) * w + x1],
                                   in[static_cast<size_t>(y1) * w + x0], in[static_cast<size_t>(y1) * w + x1]};
            uint32_t result = 0;
            for (int shift = 0; shift < 32; shift += 8)
            {
                uint32_t sum = 2;
                for (uint32_t v : p)
                    sum += (v >> shift) & 0xff;
                result |= (sum / 4) << shift;
            }
            out[static_cast<size_t>(y) * *nw + x] = result;
        }
}

bool FillLevel(IDirect3DTexture9* texture, UINT level, D3DFORMAT format, const std::vector<uint32_t>& pixels, int w,
               int h)
{
    D3DLOCKED_RECT locked;
    if (FAILED(texture->LockRect(level, &locked, nullptr, 0)))
        return false;
    const int bpp = BytesPerPixel(format);
    for (int y = 0; y < h; y++)
    {
        uint8_t* row = static_cast<uint8_t*>(locked.pBits) + static_cast<size_t>(y) * static_cast<size_t>(locked.Pitch);
        for (int x = 0; x < w; x++)
            PackPixel(format, pixels[static_cast<size_t>(y) * w + x], row + static_cast<size_t>(x) * bpp);
    }
    texture->UnlockRect(level);
    return true;
}

uint32_t Read32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16
           | static_cast<uint32_t>(p[3]) << 24;
}

// Uncompressed BMP and TGA files must hold all the pixels their header
// promises; the decoder would quietly fill the missing part with black (and
// first allocate the whole picture). A header that is itself cut off counts
// as truncated: the decoder reads zeros past the end. Run-length encoded TGA
// files need at least one packet (a byte and a pixel) per 128 pixels.
bool Truncated(const uint8_t* data, UINT size, D3DXIMAGE_FILEFORMAT format, int w, int h)
{
    const uint64_t pixels = static_cast<uint64_t>(w) * static_cast<uint64_t>(h);
    if (format == D3DXIFF_BMP)
    {
        if (size < 18)
            return true;
        const uint32_t headerSize = Read32(data + 14);
        // The old 12-byte header keeps the bit count at 24, the later ones at
        // 28, followed by the compression.
        const UINT bitsAt = headerSize == 12 ? 24 : 28;
        if (size < bitsAt + (headerSize >= 40 ? 6 : 2))
            return true;
        const int bits = data[bitsAt] | data[bitsAt + 1] << 8;
        const uint32_t compression = headerSize >= 40 ? Read32(data + 30) : 0;
        if (compression != 0 && compression != 3)
            return false;
        const uint64_t row = (static_cast<uint64_t>(w) * static_cast<uint64_t>(bits) + 31) / 32 * 4;
        return static_cast<uint64_t>(Read32(data + 10)) + row * static_cast<uint64_t>(h) > size;
    }
    if (format == D3DXIFF_TGA)
    {
        if (size < 18)
            return true;
        const uint64_t colorMap = data[1] ? static_cast<uint64_t>(data[5] | data[6] << 8) * ((data[7] + 7) / 8) : 0;
        const uint64_t pixelBytes = (data[16] + 7) / 8;
        const uint64_t start = 18 + data[0] + colorMap;
        if (data[2] == 1 || data[2] == 2 || data[2] == 3)
            return start + pixels * pixelBytes > size;
        if (data[2] == 9 || data[2] == 10 || data[2] == 11)
            return start + (pixels + 127) / 128 * (1 + pixelBytes) > size;
    }
    return false;
}

// stb_image reads the symbol counts of a JPEG Huffman table (marker DHT) and
// fills the table without checking that they add up to at most 256; a larger
// sum writes far past the table. Every DHT segment the decoder could meet
// starts at a byte pair FF C4 (the decoder finds markers only behind 0xFF), so
// each such pair is followed through its tables as the decoder would. One
// pass from the front does all of them: left[p] is the most segment bytes any
// of them still has when it reaches a table at p, so that files full of such
// pairs take time in proportion to their size.
bool BadHuffmanTable(const uint8_t* data, UINT size)
{
    // The decoder reads zeros past the end.
    auto at = [&](uint64_t i) -> unsigned { return i < size ? data[i] : 0u; };
    std::vector<int32_t> left;
    for (uint64_t i = 0; i + 1 < size; ++i)
        if (data[i] == 0xFF && data[i + 1] == 0xC4 && i + 4 < size)
        {
            if (left.empty())
                left.assign(size, 0);
            left[i + 4] = std::max(left[i + 4], static_cast<int32_t>(at(i + 2) << 8 | at(i + 3)) - 2);
        }
    if (left.empty())
        return false;
    for (uint64_t p = 0; p < size; ++p)
    {
        if (left[p] <= 0)
            continue;
        unsigned n = 0;
        for (int k = 1; k <= 16; ++k)
            n += at(p + static_cast<uint64_t>(k));
        if (n > 256)
            return true;
        const uint64_t next = p + 17 + n;
        if (next < size)
            left[next] = std::max(left[next], left[p] - static_cast<int32_t>(17 + n));
    }
    return false;
}

// stb_image collects the data of a PNG's IDAT chunks in a block it grows as
// they come. For an empty first chunk it has no block yet and calls memcpy
// with a null destination (no encoder writes such a file); for a chunk that
// claims more bytes than the file has it first grows the block to that size
// (up to 2 GiB for a file of a few hundred bytes). Both are refused: the
// message, or null when the chunks are fine.
const char* PngDataProblem(const uint8_t* data, UINT size)
{
    uint64_t at = 8;
    bool first = true;
    while (at + 8 <= size)
    {
        const uint32_t length = static_cast<uint32_t>(data[at]) << 24 | static_cast<uint32_t>(data[at + 1]) << 16 |
                                static_cast<uint32_t>(data[at + 2]) << 8 | data[at + 3];
        if (std::memcmp(data + at + 4, "IEND", 4) == 0)
            return nullptr;
        if (std::memcmp(data + at + 4, "IDAT", 4) == 0)
        {
            if (first && length == 0)
                return "Die PNG-Datei beginnt ihre Bilddaten mit einem leeren Block!";
            if (at + 8 + length > size)
                return "Die PNG-Datei endet mitten in ihren Bilddaten!";
            first = false;
        }
        at += 12 + static_cast<uint64_t>(length);
    }
    return nullptr;
}

// stb_image dequantises with the table (DQT) a component names in the frame
// header (SOF), and decodes a scan (SOS) with the Huffman tables (DHT) it
// names, whether or not the file defined them; an undefined table is
// uninitialised or empty, and decoding with it reads and writes outside the
// decoder's tables. The segments are walked in the decoder's own order (a
// marker is a byte 0xFF and the next byte that is not 0xFF; anything else
// between segments is passed over; a scan's coded data ends at the first
// marker that is not a restart), and a file that uses a table it has not
// defined by then is refused: the message, or null.
const char* JpegTableProblem(const uint8_t* data, UINT size)
{
    auto at = [&](uint64_t i) -> unsigned { return i < size ? data[i] : 0u; };
    bool quant[4] = {}, huffman[2][4] = {};
    unsigned quantUsed = 0;
    uint64_t i = 0;
    while (i < size && data[i] == 0xFF)
        ++i;
    ++i;  // SOI
    while (i + 1 < size)
    {
        if (data[i] != 0xFF)
        {
            ++i;
            continue;
        }
        while (i < size && data[i] == 0xFF)
            ++i;
        if (i >= size)
            break;
        const unsigned marker = data[i++];
        if (marker == 0xD9)
            break;
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue;
        const uint64_t length = at(i) << 8 | at(i + 1);
        if (length < 2)
            return nullptr;  // the decoder refuses the file itself
        const uint64_t end = i + length;
        if (marker == 0xDB)
            for (uint64_t p = i + 2; p < end && p < size;)
            {
                quant[at(p) & 3] = true;
                p += 1 + 64 * ((at(p) >> 4) ? 2 : 1);
            }
        else if (marker == 0xC4)
            for (uint64_t p = i + 2; p < end && p < size;)
            {
                unsigned n = 0;
                for (int k = 1; k <= 16; ++k)
                    n += at(p + static_cast<uint64_t>(k));
                if ((at(p) >> 4) <= 1)
                    huffman[at(p) >> 4][at(p) & 3] = true;
                p += 17 + n;
            }
        else if (marker >= 0xC0 && marker <= 0xC2)
            for (unsigned c = 0; c < at(i + 7); ++c)
                quantUsed |= 1u << (at(i + 10 + 3 * static_cast<uint64_t>(c)) & 3);
        else if (marker == 0xDA)
        {
            for (int t = 0; t < 4; ++t)
                if ((quantUsed >> t & 1) && !quant[t])
                    return "Die JPEG-Datei verwendet eine Quantisierungstabelle, die sie nicht festlegt!";
            const unsigned components = at(i + 2);
            const unsigned first = at(i + 3 + 2 * static_cast<uint64_t>(components));
            const unsigned last = at(i + 4 + 2 * static_cast<uint64_t>(components));
            for (unsigned c = 0; c < components; ++c)
            {
                const unsigned tables = at(i + 4 + 2 * static_cast<uint64_t>(c));
                if ((first == 0 && !huffman[0][(tables >> 4) & 3]) || (last > 0 && !huffman[1][tables & 3]))
                    return "Die JPEG-Datei verwendet eine Huffman-Tabelle, die sie nicht festlegt!";
            }
            // The coded data up to the next marker that is not a restart.
            uint64_t p = end;
            while (p + 1 < size && !(data[p] == 0xFF && data[p + 1] != 0x00 && data[p + 1] != 0xFF &&
                                     !(data[p + 1] >= 0xD0 && data[p + 1] <= 0xD7)))
                ++p;
            i = p;
            continue;
        }
        i = end;
    }
    return nullptr;
}

// The decoder takes a file for JPEG when it starts with 0xFF bytes and then
// the marker SOI (0xD8).
bool LooksLikeJpeg(const uint8_t* data, UINT size)
{
    if (size < 2 || data[0] != 0xFF)
        return false;
    UINT i = 1;
    while (i < size && data[i] == 0xFF)
        ++i;
    return i < size && data[i] == 0xD8;
}

bool IsDefault(UINT value)
{
    return value == 0 || value == D3DX_DEFAULT || value == D3DX_DEFAULT_NONPOW2 || value == D3DX_FROM_FILE;
}
}   // namespace

HRESULT aeDecodeImage(const void* source, UINT sourceSize, D3DCOLOR colorKey, aeDecodedImage* image,
                      long long maxPixels)
{
    if (!image || !source || sourceSize == 0 || sourceSize > INT_MAX)
        return D3DERR_INVALIDCALL;
    const auto* bytes = static_cast<const stbi_uc*>(source);
    const int size = static_cast<int>(sourceSize);
    if (LooksLikeJpeg(bytes, sourceSize) && BadHuffmanTable(bytes, sourceSize))
    {
        AE_ERROR("D3DXCreateTextureFromFileInMemoryEx", "Die JPEG-Datei enthält eine ungültige Huffman-Tabelle!");
        return D3DXERR_INVALIDDATA;
    }
    if (const char* problem = LooksLikeJpeg(bytes, sourceSize) ? JpegTableProblem(bytes, sourceSize) : nullptr)
    {
        AE_ERROR("D3DXCreateTextureFromFileInMemoryEx", "%s", problem);
        return D3DXERR_INVALIDDATA;
    }
    const bool png = DetectFormat(bytes, sourceSize) == D3DXIFF_PNG;
    if (const char* problem = png ? PngDataProblem(bytes, sourceSize) : nullptr)
    {
        AE_ERROR("D3DXCreateTextureFromFileInMemoryEx", "%s", problem);
        return D3DXERR_INVALIDDATA;
    }
    int w = 0, h = 0, comp = 0;
    if (!stbi_info_from_memory(bytes, size, &w, &h, &comp))
        return D3DXERR_INVALIDDATA;
    // The header's size is checked before anything is allocated for it.
    if (w <= 0 || h <= 0 || w > AE_MAX_IMAGE_SIDE || h > AE_MAX_IMAGE_SIDE)
        return D3DXERR_INVALIDDATA;
    if (maxPixels > 0 && static_cast<long long>(w) * h > maxPixels)
        return D3DXERR_INVALIDDATA;
    const D3DXIMAGE_FILEFORMAT fileFormat = DetectFormat(bytes, sourceSize);
    if (Truncated(bytes, sourceSize, fileFormat, w, h))
        return D3DXERR_INVALIDDATA;
    stbi_uc* decoded = stbi_load_from_memory(bytes, size, &w, &h, &comp, 4);
    if (!decoded)
        return D3DXERR_INVALIDDATA;
    image->aPixels.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
    for (size_t i = 0; i < image->aPixels.size(); i++)
    {
        const stbi_uc* p = decoded + i * 4;
        uint32_t argb = static_cast<uint32_t>(p[3]) << 24 | static_cast<uint32_t>(p[0]) << 16
                        | static_cast<uint32_t>(p[1]) << 8 | p[2];
        if (colorKey != 0 && argb == colorKey)
            argb = 0;
        image->aPixels[i] = argb;
    }
    stbi_image_free(decoded);
    image->iWidth = w;
    image->iHeight = h;
    image->iComponents = comp;
    image->eFileFormat = fileFormat;
    return D3D_OK;
}

HRESULT D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice9* device, const void* source, UINT sourceSize, UINT width,
                                            UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                            DWORD filter, DWORD, D3DCOLOR colorKey, D3DXIMAGE_INFO* info,
                                            PALETTEENTRY*, IDirect3DTexture9** texture)
{
    if (!texture)
        return D3DERR_INVALIDCALL;
    *texture = nullptr;
    if (!device)
        return D3DERR_INVALIDCALL;
    aeDecodedImage image;
    const HRESULT decoded = aeDecodeImage(source, sourceSize, colorKey, &image);
    if (FAILED(decoded))
        return decoded;
    const int w = image.iWidth, h = image.iHeight, comp = image.iComponents;
    const D3DXIMAGE_FILEFORMAT fileFormat = image.eFileFormat;
    const bool hasAlpha = comp == 2 || comp == 4;
    std::vector<uint32_t>& pixels = image.aPixels;

    if (info)
    {
        info->Width = static_cast<UINT>(w);
        info->Height = static_cast<UINT>(h);
        info->Depth = 1;
        info->MipLevels = 1;
        info->Format = comp == 4 ? D3DFMT_A8R8G8B8 : comp == 3 ? D3DFMT_R8G8B8 : comp == 2 ? D3DFMT_A8L8 : D3DFMT_L8;
        info->ResourceType = D3DRTYPE_TEXTURE;
        info->ImageFileFormat = fileFormat;
    }

    int tw = IsDefault(width) ? w : static_cast<int>(std::min<UINT>(width, AE_MAX_IMAGE_SIDE));
    int th = IsDefault(height) ? h : static_cast<int>(std::min<UINT>(height, AE_MAX_IMAGE_SIDE));
    if (tw != w || th != h)
    {
        std::vector<uint32_t> resized;
        const DWORD kind = filter == D3DX_DEFAULT ? D3DX_FILTER_TRIANGLE : (filter & 0xff);
        Resample(pixels, w, h, resized, tw, th, kind == D3DX_FILTER_POINT || kind == D3DX_FILTER_NONE);
        pixels.swap(resized);
    }
    UINT full = 1;
    while ((static_cast<UINT>(tw) >> full) || (static_cast<UINT>(th) >> full))
        full++;
    UINT levels = full;
    if (mipLevels == D3DX_FROM_FILE)
        levels = 1;
    else if (mipLevels != 0 && mipLevels != D3DX_DEFAULT)
        levels = std::min(mipLevels, full);
    if (format == D3DFMT_UNKNOWN || format == D3DFMT_FROM_FILE)
        format = (hasAlpha || colorKey != 0) ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;

    IDirect3DTexture9* created = nullptr;
    const HRESULT hr = device->CreateTexture(static_cast<UINT>(tw), static_cast<UINT>(th), levels,
                                             usage & D3DUSAGE_DYNAMIC, format, pool, &created, nullptr);
    if (FAILED(hr))
        return hr;
    std::vector<uint32_t> next;
    for (UINT level = 0; level < levels; level++)
    {
        if (level > 0)
        {
            int nw, nh;
            HalveLevel(pixels, tw, th, next, &nw, &nh);
            pixels.swap(next);
            tw = nw;
            th = nh;
        }
        if (!FillLevel(created, level, format, pixels, tw, th))
        {
            created->Release();
            return D3DERR_INVALIDCALL;
        }
    }
    *texture = created;
    return D3D_OK;
}

HRESULT D3DXSaveSurfaceToFileA(LPCSTR path, D3DXIMAGE_FILEFORMAT format, IDirect3DSurface9* surface,
                               const PALETTEENTRY*, const RECT* sourceRect)
{
    if (!path || !surface)
        return D3DERR_INVALIDCALL;
    if (format != D3DXIFF_BMP && format != D3DXIFF_DIB)
        return D3DERR_INVALIDCALL;
    D3DSURFACE_DESC desc;
    if (FAILED(surface->GetDesc(&desc)))
        return D3DERR_INVALIDCALL;
    RECT r = {0, 0, static_cast<LONG>(desc.Width), static_cast<LONG>(desc.Height)};
    if (sourceRect)
    {
        if (sourceRect->left < 0 || sourceRect->top < 0 || sourceRect->left >= sourceRect->right
            || sourceRect->top >= sourceRect->bottom || sourceRect->right > r.right || sourceRect->bottom > r.bottom)
            return D3DERR_INVALIDCALL;
        r = *sourceRect;
    }
    D3DLOCKED_RECT locked;
    if (FAILED(surface->LockRect(&locked, &r, D3DLOCK_READONLY)))
        return D3DERR_INVALIDCALL;
    const int w = r.right - r.left, h = r.bottom - r.top;
    const int bpp = BytesPerPixel(desc.Format);
    const size_t rowSize = (static_cast<size_t>(w) * 3 + 3) & ~static_cast<size_t>(3);
    std::vector<uint8_t> file(54 + rowSize * static_cast<size_t>(h), 0);
    auto put32 = [&file](size_t at, uint32_t v) {
        for (int i = 0; i < 4; i++)
            file[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<uint32_t>(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(w));
    put32(22, static_cast<uint32_t>(h));   // positive: rows run bottom-up
    file[26] = 1;
    file[28] = 24;
    put32(34, static_cast<uint32_t>(rowSize * static_cast<size_t>(h)));
    put32(38, 2835);
    put32(42, 2835);
    for (int y = 0; y < h; y++)
    {
        const uint8_t* src = static_cast<const uint8_t*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch;
        uint8_t* dst = file.data() + 54 + rowSize * static_cast<size_t>(h - 1 - y);
        for (int x = 0; x < w; x++)
        {
            const uint32_t argb = UnpackPixel(desc.Format, src + static_cast<size_t>(x) * bpp);
            dst[x * 3 + 0] = static_cast<uint8_t>(argb);
            dst[x * 3 + 1] = static_cast<uint8_t>(argb >> 8);
            dst[x * 3 + 2] = static_cast<uint8_t>(argb >> 16);
        }
    }
    surface->UnlockRect();
    return aeWriteFileAtomically(path, file.data(), file.size()) ? D3D_OK : E_FAIL;
}
