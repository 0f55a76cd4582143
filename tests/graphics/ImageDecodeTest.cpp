// Decoding image files without a device: the checks in front of the decoder
// keep files out that would make it write outside its own tables.

#include <chrono>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

#include "GrafikTestSupport.h"
#include "TestSupport.h"
#include "aeImageDecode.h"

namespace
{
// An 8 × 8 JPEG, the top half red, the bottom half blue.
std::string SmallJpeg()
{
    unsigned char rgb[8 * 8 * 3];
    for (int i = 0; i < 64; i++)
    {
        rgb[i * 3 + 0] = i < 32 ? 255 : 0;
        rgb[i * 3 + 1] = 0;
        rgb[i * 3 + 2] = i < 32 ? 0 : 255;
    }
    std::string out;
    stbi_write_jpg_to_func(
        [](void* context, void* data, int size) {
            static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<size_t>(size));
        },
        &out, 8, 8, 3, rgb, 90);
    return out;
}

HRESULT Decode(const std::string& file, aeDecodedImage* image)
{
    return aeDecodeImage(file.data(), static_cast<UINT>(file.size()), 0, image);
}
}

// A Huffman table whose 16 symbol counts add up to more than 256 symbols
// (here 16 × 255). The decoder would fill its 256-entry table from them.
TEST(ImageDecode, JpegHuffmanTableWithTooManySymbolsIsRefused)
{
    const std::string jpeg = SmallJpeg();
    std::string table = "\xFF\xC4";
    const int length = 2 + 17 + 16 * 255;
    table += static_cast<char>(length >> 8);
    table += static_cast<char>(length & 0xff);
    table += '\x00';  // DC table 0, defined again by the file's own tables later
    table += std::string(16, '\xFF');
    table += std::string(16 * 255, '\x01');
    for (const size_t at : {size_t(2), jpeg.size() - 2})
    {
        SCOPED_TRACE(at);
        // Right behind the start marker, and as the last segment before the end.
        const std::string file = jpeg.substr(0, at) + table + jpeg.substr(at);
        test::LogCapture log;
        aeDecodedImage image;
        EXPECT_EQ(Decode(file, &image), D3DXERR_INVALIDDATA);
        EXPECT_TRUE(log.Contains("Huffman-Tabelle")) << log.Text();
        EXPECT_TRUE(image.aPixels.empty());
    }
}

// A JPEG decodes without a device. Huffman tables within the limit, and the
// same bytes in a file that is not a JPEG (a BMP's pixels may hold them), are
// not refused.
TEST(ImageDecode, JpegDecodesWithoutDeviceAndTheHuffmanCheckLeavesValidFilesAlone)
{
    const std::string jpeg = SmallJpeg();
    ASSERT_GT(jpeg.size(), 100u);
    aeDecodedImage image;
    ASSERT_EQ(Decode(jpeg, &image), D3D_OK);
    EXPECT_EQ(image.iWidth, 8);
    EXPECT_EQ(image.iHeight, 8);
    EXPECT_EQ(image.eFileFormat, D3DXIFF_JPG);
    ASSERT_EQ(image.aPixels.size(), 64u);
    EXPECT_GT((image.aPixels[0] >> 16) & 0xff, 200u);  // red at the top
    EXPECT_GT(image.aPixels[63] & 0xff, 200u);          // blue at the bottom

    std::vector<uint32_t> markers(16);
    for (size_t i = 0; i < markers.size(); i++)
        markers[i] = i % 2 ? 0xC4FFC4 : 0xFFC4FF;  // bytes FF C4 FF C4 ...
    const auto bmp = test::MakeBmp(4, 4, markers);
    EXPECT_EQ(Decode(std::string(bmp.begin(), bmp.end()), &image), D3D_OK);
    EXPECT_EQ(image.iWidth, 4);
}

namespace
{
std::string Bytes(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values)
        s += static_cast<char>(v);
    return s;
}
}

// Headers that promise a large picture while the file holds (almost) no
// pixels are refused: the decoder would allocate the whole picture and fill it
// with black. Complete pictures of these kinds still load.
TEST(ImageDecode, PicturesWithoutTheirPixelsAreRefusedCompleteOnesLoad)
{
    const std::string rleTga1000 = Bytes({0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xe8, 0x03, 0xe8, 0x03, 24, 0});
    const std::string rleTga4x2 = Bytes({0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 2, 0, 24, 0});
    const struct { const char* what; std::string file; int width, height; /* 0 × 0: refused */ } cases[] = {
        {"TGA header one byte short (17 of 18): 1000 x 1000, 16 bits",
         Bytes({0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xe8, 0x03, 0xe8, 0x03, 16}), 0, 0},
        // The old 12-byte header (its bit count at offset 24), the pixels said to start at byte 26.
        {"BMP, 1000 x 1000, 24 bits, nothing at the pixels",
         Bytes({'B', 'M', 30, 0, 0, 0, 0, 0, 0, 0, 26, 0, 0, 0, 12, 0, 0, 0, 0xe8, 0x03, 0xe8, 0x03, 1, 0, 24, 0, 0, 0, 0, 0}), 0, 0},
        {"run-length TGA of 1000 x 1000 with a single packet", rleTga1000 + Bytes({0xff, 1, 2, 3}), 0, 0},
        // One run of 8 pixels (blue 0x10, green 0x20, red 0x30).
        {"run-length TGA of 4 x 2", rleTga4x2 + Bytes({0x87, 0x10, 0x20, 0x30}), 4, 2},
        // Rows of 6 bytes padded to 8.
        {"BMP of 2 x 2 with the old header",
         Bytes({'B', 'M', 42, 0, 0, 0, 0, 0, 0, 0, 26, 0, 0, 0, 12, 0, 0, 0, 2, 0, 2, 0, 1, 0, 24, 0}) +
             Bytes({0x10, 0x20, 0x30, 0x10, 0x20, 0x30, 0, 0, 0x10, 0x20, 0x30, 0x10, 0x20, 0x30, 0, 0}),
         2, 2},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        aeDecodedImage image;
        ASSERT_EQ(Decode(c.file, &image), c.width ? D3D_OK : D3DXERR_INVALIDDATA);
        if (c.width)
        {
            EXPECT_EQ(image.iWidth, c.width);
            EXPECT_EQ(image.iHeight, c.height);
        }
        EXPECT_EQ(image.aPixels.size(), static_cast<size_t>(c.width * c.height));
        for (uint32_t pixel : image.aPixels)
            EXPECT_EQ(pixel, 0xff302010u);
    }
}

// A JPEG without any quantisation table (found by fuzzing): the decoder would
// multiply with uninitialised memory, which showed in the pixels and let its
// DC sums overflow int.
TEST(ImageDecode, JpegWithoutItsQuantisationTableIsRefused)
{
    const std::string jpeg(
    "\xff\xd8\xff\xe0\x00\x10\x4a\x46\x49\x46\x00\x01\x01\x02\x00\x1c"
    "\x00\x10\x10\x10\x10\x10\x10\x10\x10\x28\x10\x10\x10\x10\x10\x10"
    "\x10\x10\x10\x10\x10\x10\x10\x10\x10\x10\x10\x10\x10\x10\x10\xff"
    "\xc0\x00\x11\x08\x02\x08\x06\x08\x03\x01\x11\x00\x02\x11\x01\x03"
    "\x11\x01\xff\xc4\x00\x14\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00"
    "\x00\x00\x00\x00\x00\x00\x00\x04\xff\xc4\x00\x1e\x10\x00\x01\x04"
    "\x03\x00\x03\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x01\x02\x03"
    "\x04\x11\x05\x06\x12\x07\x21\x24\xff\xc4\x00\x14\x01\x01\x00\x00"
    "\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x08\xff\xc4"
    "\x00\x21\x11\x00\x01\x03\x03\x04\x03\x00\x00\x00\x00\x00\x00\x00"
    "\x00\x00\x00\x01\x02\x11\x12\x03\x05\x21\x00\x04\x06\x07\x13\x31"
    "\x32\xff\xda\x00\x0c\x03\x01\x00\x02\x11\x03\x11\x00\x3f\x00\xff"
    "\xff\x60\x00\x00\x06\x3e\xfd\xc6\x8b\x09\xd8\x6d\x4b\x8b\xf6\xb0"
    "\xa5\x20\x24\x48\x41\x6d\x85\x57\x74\x4d\x1e\x81\x14\x7a\x01\x07"
    "\xd4\xf4\xf9\x36\x40\xb7\x6d\x5e\xcd\xc8\xb3\xe0\x84\x09\x72\x62"
    "\xa4\xca\x33\x68\xac\x27\xe7\x06\xac\x17\x49\x0d\x29\x92\xc7\x5f"
    "\xff\xd9",
        258);
    test::LogCapture log;
    aeDecodedImage image;
    EXPECT_EQ(Decode(jpeg, &image), D3DXERR_INVALIDDATA);
    EXPECT_TRUE(log.Contains("Quantisierungstabelle")) << log.Text();
    // A table defined only after the first scan comes too late for the decoder.
    std::string late = SmallJpeg();
    const size_t dqt = late.find("\xFF\xDB");
    const size_t sos = late.find("\xFF\xDA");
    ASSERT_NE(dqt, std::string::npos);
    ASSERT_NE(sos, std::string::npos);
    const size_t length = (static_cast<unsigned char>(late[dqt + 2]) << 8 | static_cast<unsigned char>(late[dqt + 3])) + 2;
    const std::string table = late.substr(dqt, length);
    late.erase(dqt, length);
    late.insert(late.size() - 2, table);
    EXPECT_EQ(Decode(late, &image), D3DXERR_INVALIDDATA);
}

namespace
{
std::string PngChunk(const char* type, const std::string& data)
{
    const uint32_t n = static_cast<uint32_t>(data.size());
    std::string chunk = {static_cast<char>(n >> 24), static_cast<char>(n >> 16), static_cast<char>(n >> 8),
                         static_cast<char>(n)};
    return chunk + type + data + std::string(4, '\0');  // the decoder does not check the CRC
}

// An 8 x 8 grey PNG (all black); with an empty IDAT chunk in front of the data.
std::string GreyPng(bool emptyFirstData)
{
    const std::string header = Bytes({0, 0, 0, 8, 0, 0, 0, 8, 8, 0, 0, 0, 0});
    const std::string pixels = Bytes({0x78, 0x9c, 0x63, 0x60, 0xa0, 0x0e, 0x00, 0x00, 0x00, 0x48, 0x00, 0x01});
    return Bytes({0x89, 'P', 'N', 'G', 0x0d, 0x0a, 0x1a, 0x0a}) + PngChunk("IHDR", header) +
           (emptyFirstData ? PngChunk("IDAT", "") : "") + PngChunk("IDAT", pixels) + PngChunk("IEND", "");
}
}

// A file full of Huffman table markers, each starting a long chain of small
// tables that hold the next marker among their symbols, is checked in time
// proportional to its size (each chain alone would be thousands of tables).
TEST(ImageDecode, ManyHuffmanMarkersAreCheckedQuickly)
{
    std::string jpeg = SmallJpeg();
    // Period of 21 bytes: a table (class byte, 16 counts adding up to 4) whose
    // 4 symbols are a marker FF C4 with the longest segment length.
    std::string period(1, '\x00');
    period += std::string(1, '\x04') + std::string(15, '\x00');
    period += "\xFF\xC4\xFF\xFF";
    std::string filler;
    while (filler.size() < (1u << 20))
        filler += period;
    jpeg.insert(jpeg.size() - 2, std::string("\xFF\xC4\xFF\xFF", 4) + filler);
    aeDecodedImage image;
    const auto start = std::chrono::steady_clock::now();
    Decode(jpeg, &image);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

// PNG data chunks (found by fuzzing): an empty first one the decoder would
// copy into a block it has not yet allocated (memcpy to a null pointer), and
// one that claims a gigabyte in a file of a hundred bytes, for which it would
// first grow its block.
TEST(ImageDecode, PngWithAnEmptyFirstOrAnOverlongDataChunkIsRefused)
{
    aeDecodedImage image;
    ASSERT_EQ(Decode(GreyPng(false), &image), D3D_OK);
    EXPECT_EQ(image.aPixels[0], 0xff000000u);

    test::LogCapture log;
    EXPECT_EQ(Decode(GreyPng(true), &image), D3DXERR_INVALIDDATA);
    EXPECT_TRUE(log.Contains("PNG-Datei")) << log.Text();

    std::string png = GreyPng(false);
    png[png.find("IDAT") - 4] = 0x3f;  // 0x3f00000c bytes
    EXPECT_EQ(Decode(png, &image), D3DXERR_INVALIDDATA);
    EXPECT_TRUE(log.Contains("endet mitten in ihren Bilddaten")) << log.Text();
}

// A scan that names Huffman tables the file never defines: the decoder would
// look codes up in empty tables and read far outside them (found by fuzzing).
// Progressive files, whose scans name only the tables they use, still load.
TEST(ImageDecode, JpegScanWithUndefinedHuffmanTablesIsRefused)
{
    std::string jpeg = SmallJpeg();
    const size_t sos = jpeg.find("\xFF\xDA");
    ASSERT_NE(sos, std::string::npos);
    jpeg[sos + 6] = '\x23';  // the first component: DC table 2, AC table 3
    test::LogCapture log;
    aeDecodedImage image;
    EXPECT_EQ(Decode(jpeg, &image), D3DXERR_INVALIDDATA);
    EXPECT_TRUE(log.Contains("Huffman-Tabelle, die sie nicht festlegt")) << log.Text();

    if (std::system("convert -version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "ImageMagick (convert) is not installed";
    const std::string path = test::ScratchDir("jpeg") + "/progressive.jpg";
    ASSERT_EQ(std::system(("convert -size 16x16 gradient:red-blue -interlace Plane " + path).c_str()), 0);
    EXPECT_EQ(Decode(test::ReadBinary(path), &image), D3D_OK) << log.Text();
    EXPECT_EQ(image.iWidth, 16);
}
