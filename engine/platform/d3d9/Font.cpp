// D3DX fonts: a face found through fontconfig, rendered by FreeType into a
// glyph texture once at creation (the 224 printable Windows-1252 characters),
// drawn as textured screen quads.

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <string>

#include "D3D9Internal.h"
#include "aeError.h"
#include "aeText.h"
#include "d3dx9.h"

using namespace d3d9;

namespace
{
std::mutex s_FreeTypeMutex;
FT_Library s_FreeType = nullptr;
int s_iFreeTypeUsers = 0;

struct Glyph
{
    int x, y, w, h;       // place in the glyph texture
    int left, top;        // bearing from the pen position on the baseline
    int advance;
    bool drawn;
};

struct ScreenVertex
{
    float x, y, z, rhw;
    D3DCOLOR color;
    float u, v;
};
static_assert(sizeof(ScreenVertex) == 28, "pre-transformed vertex layout");

class Font final : public RefCounted<ID3DXFont>
{
public:
    explicit Font(Device* device) : m_pDevice(device) { m_pDevice->AddRef(); }
    ~Font() override
    {
        if (m_pAtlas)
            m_pAtlas->Release();
        m_pDevice->Release();
    }

    HRESULT Create(int height, UINT width, UINT weight, BOOL italic, DWORD quality, const char* face);

    HRESULT GetDevice(IDirect3DDevice9** device) override
    {
        if (!device)
            return D3DERR_INVALIDCALL;
        m_pDevice->AddRef();
        *device = m_pDevice;
        return D3D_OK;
    }
    HRESULT OnLostDevice() override { return D3D_OK; }
    HRESULT OnResetDevice() override { return D3D_OK; }
    INT DrawTextA(LPD3DXSPRITE sprite, LPCSTR text, INT count, LPRECT rect, DWORD format, D3DCOLOR color) override;

private:
    int LineWidth(const unsigned char* text, int length) const
    {
        int width = 0;
        for (int i = 0; i < length; i++)
            width += m_aGlyphs[text[i]].advance;
        return width;
    }
    void Quad(const Glyph& g, float x, float y, D3DCOLOR color, const RECT* clip);

    Device* m_pDevice;
    IDirect3DTexture9* m_pAtlas = nullptr;
    int m_iAtlasWidth = 0, m_iAtlasHeight = 0;
    int m_iAscent = 0, m_iLineHeight = 0;
    Glyph m_aGlyphs[256] = {};
    std::vector<ScreenVertex> m_Vertices;
    std::vector<int> m_LineStarts, m_LineLengths;
    DeviceState m_Saved;
};

// Finds the font file for a face name, weight and slant.
bool FindFontFile(const char* face, UINT weight, BOOL italic, std::string* file, int* index)
{
    static std::once_flag once;
    std::call_once(once, [] { FcInit(); });
    const std::string utf8 = aeCp1252ToUtf8(face);
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(utf8.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, weight >= 600 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    bool found = false;
    if (match)
    {
        FcChar8* path = nullptr;
        int faceIndex = 0;
        if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path)
        {
            *file = reinterpret_cast<const char*>(path);
            if (FcPatternGetInteger(match, FC_INDEX, 0, &faceIndex) != FcResultMatch)
                faceIndex = 0;
            *index = faceIndex;
            found = true;
        }
        FcPatternDestroy(match);
    }
    return found;
}

HRESULT Font::Create(int height, UINT width, UINT weight, BOOL italic, DWORD quality, const char* face)
{
    std::string file;
    int faceIndex = 0;
    if (!FindFontFile(face, weight, italic, &file, &faceIndex))
    {
        AE_ERROR("D3DXCreateFont", "Keine Schriftart für \"%s\" gefunden!", face);
        return D3DXERR_INVALIDDATA;
    }
    std::lock_guard<std::mutex> lock(s_FreeTypeMutex);
    if (s_iFreeTypeUsers == 0 && FT_Init_FreeType(&s_FreeType) != 0)
        return E_FAIL;
    s_iFreeTypeUsers++;
    FT_Face ftFace = nullptr;
    HRESULT hr = D3D_OK;
    if (FT_New_Face(s_FreeType, file.c_str(), faceIndex, &ftFace) != 0 || !FT_IS_SCALABLE(ftFace))
    {
        AE_ERROR("D3DXCreateFont", "Die Schriftdatei %s konnte nicht gelesen werden!", file.c_str());
        hr = D3DXERR_INVALIDDATA;
    }
    else
    {
        // Windows measures a font by its cell (ascent + descent of the OS/2
        // table); a negative height is the em size.
        const float unitsPerEm = static_cast<float>(ftFace->units_per_EM);
        float ascent = static_cast<float>(ftFace->ascender), descent = static_cast<float>(-ftFace->descender);
        float averageWidth = unitsPerEm / 2.f;
        if (const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(ftFace, FT_SFNT_OS2)))
        {
            if (os2->usWinAscent + os2->usWinDescent > 0)
            {
                ascent = os2->usWinAscent;
                descent = os2->usWinDescent;
            }
            if (os2->xAvgCharWidth > 0)
                averageWidth = os2->xAvgCharWidth;
        }
        if (height == 0)
            height = 16;
        const float em = height > 0 ? static_cast<float>(height) * unitsPerEm / (ascent + descent)
                                    : static_cast<float>(-height);
        const float emWidth = width > 0 ? static_cast<float>(width) * unitsPerEm / averageWidth : em;
        FT_Set_Char_Size(ftFace, static_cast<FT_F26Dot6>(emWidth * 64.f), static_cast<FT_F26Dot6>(em * 64.f), 72, 72);
        m_iAscent = static_cast<int>(std::lround(ascent * em / unitsPerEm));
        m_iLineHeight = height > 0 ? height : static_cast<int>(std::lround((ascent + descent) * em / unitsPerEm));

        // Render and place every printable character.
        const FT_Int32 flags = FT_LOAD_RENDER | (quality == NONANTIALIASED_QUALITY ? FT_LOAD_TARGET_MONO : 0);
        struct Bitmap
        {
            std::vector<uint8_t> coverage;
        };
        std::vector<Bitmap> bitmaps(256);
        m_iAtlasWidth = em > 48.f ? 1024 : 512;
        int penX = 1, penY = 1, rowHeight = 0;
        for (int code = 32; code < 256; code++)
        {
            const unsigned int unicode = aeCp1252ToUnicode(static_cast<unsigned char>(code));
            if (unicode >= 0x80 && unicode < 0xa0)
                continue;   // unassigned in Windows-1252
            if (FT_Load_Char(ftFace, unicode, flags) != 0)
                continue;
            const FT_GlyphSlot slot = ftFace->glyph;
            Glyph& g = m_aGlyphs[code];
            g.advance = static_cast<int>((slot->advance.x + 32) >> 6);
            g.left = slot->bitmap_left;
            g.top = slot->bitmap_top;
            g.w = static_cast<int>(slot->bitmap.width);
            g.h = static_cast<int>(slot->bitmap.rows);
            if (g.w == 0 || g.h == 0 || g.w + 2 > m_iAtlasWidth)
                continue;
            if (penX + g.w + 1 > m_iAtlasWidth)
            {
                penX = 1;
                penY += rowHeight + 1;
                rowHeight = 0;
            }
            g.x = penX;
            g.y = penY;
            penX += g.w + 1;
            rowHeight = std::max(rowHeight, g.h);
            g.drawn = true;
            std::vector<uint8_t>& cov = bitmaps[code].coverage;
            cov.resize(static_cast<size_t>(g.w) * static_cast<size_t>(g.h));
            for (int y = 0; y < g.h; y++)
                for (int x = 0; x < g.w; x++)
                {
                    const unsigned char* row = slot->bitmap.buffer + y * slot->bitmap.pitch;
                    cov[static_cast<size_t>(y) * g.w + x] = slot->bitmap.pixel_mode == FT_PIXEL_MODE_MONO
                                                                ? ((row[x >> 3] >> (7 - (x & 7))) & 1) * 255
                                                                : row[x];
                }
        }
        FT_Done_Face(ftFace);
        const int needed = penY + rowHeight + 1;
        m_iAtlasHeight = 16;
        while (m_iAtlasHeight < needed)
            m_iAtlasHeight *= 2;
        if (m_iAtlasHeight > 4096)
            hr = D3DERR_OUTOFVIDEOMEMORY;
        else
            hr = m_pDevice->CreateTexture(static_cast<UINT>(m_iAtlasWidth), static_cast<UINT>(m_iAtlasHeight), 1, 0,
                                          D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &m_pAtlas, nullptr);
        D3DLOCKED_RECT locked;
        if (SUCCEEDED(hr) && SUCCEEDED(hr = m_pAtlas->LockRect(0, &locked, nullptr, 0)))
        {
            // White, with the coverage as alpha.
            for (int y = 0; y < m_iAtlasHeight; y++)
            {
                uint32_t* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch);
                for (int x = 0; x < m_iAtlasWidth; x++)
                    row[x] = 0x00ffffffu;
            }
            for (int code = 32; code < 256; code++)
            {
                const Glyph& g = m_aGlyphs[code];
                if (!g.drawn)
                    continue;
                for (int y = 0; y < g.h; y++)
                {
                    uint32_t* row =
                        reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + (g.y + y) * locked.Pitch);
                    for (int x = 0; x < g.w; x++)
                        row[g.x + x] = 0x00ffffffu
                                       | static_cast<uint32_t>(bitmaps[code].coverage[static_cast<size_t>(y) * g.w + x]) << 24;
                }
            }
            m_pAtlas->UnlockRect(0);
        }
    }
    if (--s_iFreeTypeUsers == 0)
    {
        FT_Done_FreeType(s_FreeType);
        s_FreeType = nullptr;
    }
    m_Vertices.reserve(6 * 64);
    return hr;
}

void Font::Quad(const Glyph& g, float x, float y, D3DCOLOR color, const RECT* clip)
{
    float x1 = x, y1 = y, x2 = x + static_cast<float>(g.w), y2 = y + static_cast<float>(g.h);
    const float aw = static_cast<float>(m_iAtlasWidth), ah = static_cast<float>(m_iAtlasHeight);
    float u1 = static_cast<float>(g.x) / aw, v1 = static_cast<float>(g.y) / ah;
    float u2 = static_cast<float>(g.x + g.w) / aw, v2 = static_cast<float>(g.y + g.h) / ah;
    if (clip)
    {
        const float cl = static_cast<float>(clip->left), ct = static_cast<float>(clip->top);
        const float cr = static_cast<float>(clip->right), cb = static_cast<float>(clip->bottom);
        if (x2 <= cl || x1 >= cr || y2 <= ct || y1 >= cb)
            return;
        const float du = (u2 - u1) / (x2 - x1), dv = (v2 - v1) / (y2 - y1);
        if (x1 < cl)
        {
            u1 += (cl - x1) * du;
            x1 = cl;
        }
        if (x2 > cr)
        {
            u2 -= (x2 - cr) * du;
            x2 = cr;
        }
        if (y1 < ct)
        {
            v1 += (ct - y1) * dv;
            y1 = ct;
        }
        if (y2 > cb)
        {
            v2 -= (y2 - cb) * dv;
            y2 = cb;
        }
    }
    // Pixel edges lie half a pixel before the pixel centres, so that each
    // texel of the atlas falls onto one pixel.
    x1 -= 0.5f;
    y1 -= 0.5f;
    x2 -= 0.5f;
    y2 -= 0.5f;
    const ScreenVertex a = {x1, y1, 0.f, 1.f, color, u1, v1}, b = {x2, y1, 0.f, 1.f, color, u2, v1};
    const ScreenVertex c = {x1, y2, 0.f, 1.f, color, u1, v2}, d = {x2, y2, 0.f, 1.f, color, u2, v2};
    m_Vertices.push_back(a);
    m_Vertices.push_back(b);
    m_Vertices.push_back(c);
    m_Vertices.push_back(c);
    m_Vertices.push_back(b);
    m_Vertices.push_back(d);
}

INT Font::DrawTextA(LPD3DXSPRITE, LPCSTR text, INT count, LPRECT rect, DWORD format, D3DCOLOR color)
{
    DeviceLock lock(m_pDevice);
    if (!text || !rect)
        return 0;
    const int length = count < 0 ? static_cast<int>(strlen(text)) : static_cast<int>(strnlen(text, static_cast<size_t>(count)));
    if (length == 0)
        return 0;
    const auto* chars = reinterpret_cast<const unsigned char*>(text);
    const int rectWidth = rect->right - rect->left;

    // Lines: broken at line feeds (unless single-line) and, with word breaks,
    // at the last space that keeps a line inside the rectangle.
    m_LineStarts.clear();
    m_LineLengths.clear();
    int start = 0;
    while (start <= length)
    {
        int end = start;
        while (end < length && (format & DT_SINGLELINE || chars[end] != '\n'))
            end++;
        int lineEnd = end > start && chars[end - 1] == '\r' ? end - 1 : end;
        int from = start;
        if (format & DT_WORDBREAK)
        {
            while (LineWidth(chars + from, lineEnd - from) > rectWidth)
            {
                int cut = lineEnd - 1;
                while (cut > from && !(chars[cut] == ' ' && LineWidth(chars + from, cut - from) <= rectWidth))
                    cut--;
                if (cut <= from)
                    break;
                m_LineStarts.push_back(from);
                m_LineLengths.push_back(cut - from);
                from = cut + 1;
            }
        }
        m_LineStarts.push_back(from);
        m_LineLengths.push_back(lineEnd - from);
        if (end >= length)
            break;
        start = end + 1;
    }
    const int lines = static_cast<int>(m_LineStarts.size());
    const int textHeight = lines * m_iLineHeight;
    int maxWidth = 0;
    for (int i = 0; i < lines; i++)
        maxWidth = std::max(maxWidth, LineWidth(chars + m_LineStarts[i], m_LineLengths[i]));
    if (format & DT_CALCRECT)
    {
        rect->right = rect->left + maxWidth;
        rect->bottom = rect->top + textHeight;
        return textHeight;
    }

    int y = rect->top;
    if (format & DT_BOTTOM)
        y = rect->bottom - textHeight;
    else if (format & DT_VCENTER)
        y = rect->top + (rect->bottom - rect->top - textHeight) / 2;
    const RECT* clip = (format & DT_NOCLIP) ? nullptr : rect;
    m_Vertices.clear();
    for (int i = 0; i < lines; i++, y += m_iLineHeight)
    {
        const unsigned char* line = chars + m_LineStarts[i];
        const int width = LineWidth(line, m_LineLengths[i]);
        int x = rect->left;
        if (format & DT_RIGHT)
            x = rect->right - width;
        else if (format & DT_CENTER)
            x = rect->left + (rectWidth - width) / 2;
        for (int c = 0; c < m_LineLengths[i]; c++)
        {
            const Glyph& g = m_aGlyphs[line[c]];
            if (g.drawn)
                Quad(g, static_cast<float>(x + g.left), static_cast<float>(y + m_iAscent - g.top), color, clip);
            x += g.advance;
        }
    }
    if (m_Vertices.empty())
        return textHeight;

    // Drawn with states of its own; the caller's states are put back after.
    m_Saved = m_pDevice->State();
    AddStateRefs(m_Saved);
    IDirect3DDevice9* d = m_pDevice;
    d->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    d->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    d->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    d->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
    d->SetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, FALSE);
    d->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    d->SetRenderState(D3DRS_FOGENABLE, FALSE);
    d->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    d->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    d->SetRenderState(D3DRS_COLORWRITEENABLE, 0xf);
    d->SetTexture(0, m_pAtlas);
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    d->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    d->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    d->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    d->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    d->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
    d->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    d->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
    d->SetSamplerState(0, D3DSAMP_MAXMIPLEVEL, 0);
    d->SetSamplerState(0, D3DSAMP_MIPMAPLODBIAS, 0);
    D3DVIEWPORT9 full = {0, 0, m_pDevice->BackBufferWidth(), m_pDevice->BackBufferHeight(), 0.f, 1.f};
    d->SetViewport(&full);
    d->DrawPrimitiveUP(D3DPT_TRIANGLELIST, static_cast<UINT>(m_Vertices.size() / 3), m_Vertices.data(),
                       sizeof(ScreenVertex));
    m_pDevice->ApplyState(m_Saved);
    ReleaseStateRefs(m_Saved);
    return textHeight;
}
}   // namespace

HRESULT D3DXCreateFontA(IDirect3DDevice9* device, INT height, UINT width, UINT weight, UINT, BOOL italic, DWORD,
                        DWORD, DWORD quality, DWORD, LPCSTR faceName, ID3DXFont** font)
{
    if (!font)
        return D3DERR_INVALIDCALL;
    *font = nullptr;
    if (!device || !faceName || height < -4096 || height > 4096 || width > 4096)
        return D3DERR_INVALIDCALL;
    Font* created = new Font(static_cast<Device*>(device));
    const HRESULT hr = created->Create(height, width, weight, italic, quality, faceName);
    if (FAILED(hr))
    {
        created->Release();
        return hr;
    }
    *font = created;
    return D3D_OK;
}
