// D3DX on the stand-in: textures from image files with the colour key, also
// from files that ImageMagick made.

#include <cstdio>
#include <string>
#include <vector>

#include "D3D9TestSupport.h"
#include "GrafikTestSupport.h"
#include "TestSupport.h"

using namespace gfx;

namespace
{
// A 24-bit BMP file of ARGB pixels given top row first.
std::string Bmp24(int w, int h, const std::vector<DWORD>& pixels)
{
    const auto file = test::MakeBmp(w, h, std::vector<uint32_t>(pixels.begin(), pixels.end()));
    return std::string(file.begin(), file.end());
}

DWORD Texel(IDirect3DTexture9* texture, int x, int y)
{
    D3DLOCKED_RECT locked;
    if (FAILED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY)))
        return 0xdeadbeef;
    DWORD value;
    memcpy(&value, static_cast<const uint8_t*>(locked.pBits) + y * locked.Pitch + x * 4, 4);
    texture->UnlockRect(0);
    return value;
}

bool HaveImageMagick()
{
    return system("convert -version >/dev/null 2>&1") == 0;
}

HRESULT Load(IDirect3DDevice9* device, const std::string& file, DWORD key, IDirect3DTexture9** texture,
             D3DFORMAT format = D3DFMT_UNKNOWN, D3DXIMAGE_INFO* info = nullptr)
{
    return D3DXCreateTextureFromFileInMemoryEx(device, file.data(), static_cast<UINT>(file.size()), D3DX_DEFAULT,
                                               D3DX_DEFAULT, D3DX_DEFAULT, 0, format, D3DPOOL_MANAGED, D3DX_DEFAULT,
                                               D3DX_DEFAULT, key, info, nullptr, texture);
}
}   // namespace

using D3DXTexture = DeviceTest;

TEST_F(D3DXTexture, ColourKeyFormatsAndLevelsAndBrokenFilesRefused)
{
    // 4 × 4: top half red with a magenta (key) pixel in the top-left corner,
    // bottom half blue.
    std::vector<DWORD> pixels(16, 0xff0000ff);
    for (int i = 0; i < 8; i++)
        pixels[i] = 0xffff0000;
    pixels[0] = 0xffff00ff;
    IDirect3DTexture9* texture = nullptr;
    D3DXIMAGE_INFO info{};
    ASSERT_EQ(Load(m_pDevice, Bmp24(4, 4, pixels), 0xffff00ff, &texture, D3DFMT_UNKNOWN, &info), D3D_OK);
    EXPECT_EQ(info.Width, 4u);
    EXPECT_EQ(info.ImageFileFormat, D3DXIFF_BMP);
    EXPECT_EQ(texture->GetLevelCount(), 3u);
    D3DSURFACE_DESC desc;
    texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(Texel(texture, 0, 0), 0u);
    EXPECT_EQ(Texel(texture, 1, 0), 0xffff0000u);
    EXPECT_EQ(Texel(texture, 3, 3), 0xff0000ffu);
    EXPECT_EQ(texture->Release(), 0u);

    const std::string file = Bmp24(8, 4, std::vector<DWORD>(32, 0xff204060));
    ASSERT_EQ(Load(m_pDevice, file, 0, &texture), D3D_OK);
    texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);   // opaque picture without a key
    EXPECT_EQ(texture->GetLevelCount(), 4u);
    texture->GetLevelDesc(3, &desc);
    EXPECT_EQ(desc.Width, 1u);
    texture->Release();
    ASSERT_EQ(Load(m_pDevice, file, 0, &texture, D3DFMT_R5G6B5), D3D_OK);
    texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Format, D3DFMT_R5G6B5);
    texture->Release();
    // A format the device cannot make: the caller retries with another.
    EXPECT_EQ(Load(m_pDevice, file, 0, &texture, D3DFMT_DXT1), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture, nullptr);

    EXPECT_EQ(D3DXCreateTextureFromFileInMemoryEx(m_pDevice, nullptr, 10, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                                  D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                                  nullptr, nullptr, &texture),
              D3DERR_INVALIDCALL);
    // A BMP header that claims 100000 × 100000 pixels.
    std::string huge = Bmp24(1, 1, {0xffffffff});
    for (size_t at : {size_t(18), size_t(22)})
    {
        huge[at] = static_cast<char>(0xa0);
        huge[at + 1] = static_cast<char>(0x86);
        huge[at + 2] = 0x01;
    }
    // A PNG header claiming 20000 × 20000 with no data behind it.
    const unsigned char png[] = {0x89, 'P', 'N', 'G', 0x0d, 0x0a, 0x1a, 0x0a, 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                                 0, 0, 0x4e, 0x20, 0, 0, 0x4e, 0x20, 8, 6, 0, 0, 0, 0, 0, 0, 0};
    const std::string broken[] = {"this is not a picture at all", huge,
                                  std::string(reinterpret_cast<const char*>(png), sizeof(png)), file.substr(0, 60)};
    for (const std::string& bytes : broken)
    {
        EXPECT_EQ(Load(m_pDevice, bytes, 0, &texture), D3DXERR_INVALIDDATA);
        EXPECT_EQ(texture, nullptr);
    }
}

TEST_F(D3DXTexture, ImageMagickPicturesInEveryFormat)
{
    if (!HaveImageMagick())
        GTEST_SKIP() << "ImageMagick (convert) is not installed";
    const std::string dir = test::ScratchDir("images");
    // 8 × 8: blue, the top half red, the top-left 4 × 4 magenta.
    // 24 further shades of blue in rows 4, 5 and 7 make the palette need 8 bits.
    std::string draw = "convert -size 8x8 xc:blue -fill red -draw \"rectangle 0,0 7,3\" -fill magenta -draw "
                       "\"rectangle 0,0 3,3\" ";
    for (int i = 0; i < 24; i++)
    {
        char point[64];
        snprintf(point, sizeof(point), "-fill \"#0000%02X\" -draw \"point %d,%d\" ", 200 + i, i % 8,
                 i < 16 ? 4 + i / 8 : 7);
        draw += point;
    }
    struct Case { const char* name; const char* options; bool exact; };
    const Case cases[] = {{"bmp24.bmp", "-type TrueColor BMP3:", true},
                          {"bmp8.bmp", "-type Palette -compress None BMP3:", true},
                          // ImageMagick 6 writes TGA rows top row first; -orient makes the header say so.
                          {"picture.tga", "-orient TopLeft ", true},
                          {"picture.png", "", true},
                          {"picture.jpg", "-quality 100 ", false}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::string path = dir + "/" + c.name;
        ASSERT_EQ(system((draw + c.options + path).c_str()), 0);
        const std::string file = test::ReadBinary(path);
        if (std::string(c.name) == "bmp8.bmp")
        {
            EXPECT_EQ(static_cast<int>(file[28]), 8) << "an 8-bit palettised BMP";
        }
        IDirect3DTexture9* texture = nullptr;
        ASSERT_EQ(Load(m_pDevice, file, 0xffff00ff, &texture), D3D_OK);
        D3DSURFACE_DESC desc;
        texture->GetLevelDesc(0, &desc);
        EXPECT_EQ(desc.Width, 8u);
        EXPECT_EQ(desc.Height, 8u);
        const DWORD keyed = Texel(texture, 1, 1), red = Texel(texture, 6, 1), blue = Texel(texture, 3, 6);
        if (c.exact)
        {
            EXPECT_EQ(keyed, 0u);
            EXPECT_EQ(red, 0xffff0000u);
            EXPECT_EQ(blue, 0xff0000ffu);
        }
        else
        {
            EXPECT_GT(Red(red), 200);
            EXPECT_LT(Green(red), 60);
            EXPECT_GT(Blue(blue), 200);
        }
        texture->Release();
    }
}

