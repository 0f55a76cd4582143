// Decoding image files without a device: the checks in front of the decoder
// keep files out that would make it write outside its own tables.

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

std::string Bytes(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values)
        s += static_cast<char>(v);
    return s;
}

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

// JPEGs whose tables would make the decoder read or write outside its own
// tables (found by fuzzing) are refused with the reason.
TEST(ImageDecode, JpegsWithBadOrMissingTablesAreRefused)
{
    const std::string jpeg = SmallJpeg();
    // A Huffman table whose 16 symbol counts add up to more than 256 symbols
    // (here 16 × 255): the decoder would fill its 256-entry table from them.
    const int length = 2 + 17 + 16 * 255;
    const std::string table = "\xFF\xC4" + Bytes({length >> 8, length & 0xff, 0}) + std::string(16, '\xFF') +
                              std::string(16 * 255, '\x01');
    // Without a quantisation table the decoder would multiply with
    // uninitialised memory; one defined only after the first scan comes too
    // late. Bytes between segments are passed over, as the decoder does.
    const size_t dqt = jpeg.find("\xFF\xDB");
    ASSERT_NE(dqt, std::string::npos);
    const size_t dqtLength = (static_cast<unsigned char>(jpeg[dqt + 2]) << 8 | static_cast<unsigned char>(jpeg[dqt + 3])) + 2;
    std::string none = jpeg;
    none.replace(dqt, dqtLength, "\x10\x10");
    std::string late = jpeg;
    late.erase(dqt, dqtLength);
    late.insert(late.size() - 2, jpeg.substr(dqt, dqtLength));
    // A scan naming Huffman tables the file never defines: the decoder would
    // look codes up in empty tables.
    std::string undefined = jpeg;
    undefined[jpeg.find("\xFF\xDA") + 6] = '\x23';  // the first component: DC table 2, AC table 3
    const struct { const char* what; std::string file; const char* message; } cases[] = {
        {"too many symbols behind the start marker", jpeg.substr(0, 2) + table + jpeg.substr(2), "ungültige Huffman-Tabelle"},
        {"too many symbols as the last segment", jpeg.substr(0, jpeg.size() - 2) + table + jpeg.substr(jpeg.size() - 2),
         "ungültige Huffman-Tabelle"},
        {"no quantisation table", none, "Quantisierungstabelle, die sie nicht festlegt"},
        {"the quantisation table behind the scan", late, "Quantisierungstabelle, die sie nicht festlegt"},
        {"undefined Huffman tables", undefined, "Huffman-Tabelle, die sie nicht festlegt"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        test::LogCapture log;
        aeDecodedImage image;
        EXPECT_EQ(Decode(c.file, &image), D3DXERR_INVALIDDATA);
        EXPECT_TRUE(log.Contains(c.message)) << log.Text();
        EXPECT_TRUE(image.aPixels.empty());
    }
}

// Headers that promise a large picture while the file holds (almost) no
// pixels are refused: the decoder would allocate the whole picture and fill it
// with black. PNG data chunks (found by fuzzing): an empty first one the
// decoder would copy into a block it has not yet allocated, and one that
// claims a gigabyte in a file of a hundred bytes, for which it would first
// grow its block. Complete pictures of these kinds still load.
TEST(ImageDecode, PicturesWithoutTheirPixelsAreRefusedCompleteOnesLoad)
{
    const std::string rleTga1000 = Bytes({0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xe8, 0x03, 0xe8, 0x03, 24, 0});
    const std::string rleTga4x2 = Bytes({0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 2, 0, 24, 0});
    std::string overlongPng = GreyPng(false);
    overlongPng[overlongPng.find("IDAT") - 4] = 0x3f;  // 0x3f00000c bytes
    const struct { const char* what; std::string file; int width, height; /* 0 × 0: refused */ uint32_t pixel; const char* message; } cases[] = {
        {"TGA header one byte short (17 of 18): 1000 x 1000, 16 bits",
         Bytes({0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xe8, 0x03, 0xe8, 0x03, 16}), 0, 0, 0, ""},
        // The old 12-byte header (its bit count at offset 24), the pixels said to start at byte 26.
        {"BMP, 1000 x 1000, 24 bits, nothing at the pixels",
         Bytes({'B', 'M', 30, 0, 0, 0, 0, 0, 0, 0, 26, 0, 0, 0, 12, 0, 0, 0, 0xe8, 0x03, 0xe8, 0x03, 1, 0, 24, 0, 0, 0, 0, 0}), 0, 0, 0, ""},
        {"run-length TGA of 1000 x 1000 with a single packet", rleTga1000 + Bytes({0xff, 1, 2, 3}), 0, 0, 0, ""},
        {"PNG with an empty first data chunk", GreyPng(true), 0, 0, 0, "PNG-Datei beginnt ihre Bilddaten mit einem leeren Block"},
        {"PNG with an overlong data chunk", overlongPng, 0, 0, 0, "endet mitten in ihren Bilddaten"},
        // One run of 8 pixels (blue 0x10, green 0x20, red 0x30).
        {"run-length TGA of 4 x 2", rleTga4x2 + Bytes({0x87, 0x10, 0x20, 0x30}), 4, 2, 0xff302010, ""},
        // Rows of 6 bytes padded to 8.
        {"BMP of 2 x 2 with the old header",
         Bytes({'B', 'M', 42, 0, 0, 0, 0, 0, 0, 0, 26, 0, 0, 0, 12, 0, 0, 0, 2, 0, 2, 0, 1, 0, 24, 0}) +
             Bytes({0x10, 0x20, 0x30, 0x10, 0x20, 0x30, 0, 0, 0x10, 0x20, 0x30, 0x10, 0x20, 0x30, 0, 0}),
         2, 2, 0xff302010, ""},
        {"PNG of 8 x 8", GreyPng(false), 8, 8, 0xff000000, ""},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        test::LogCapture log;
        aeDecodedImage image;
        ASSERT_EQ(Decode(c.file, &image), c.width ? D3D_OK : D3DXERR_INVALIDDATA);
        EXPECT_TRUE(log.Contains(c.message)) << log.Text();
        EXPECT_EQ(image.iWidth, c.width);
        EXPECT_EQ(image.iHeight, c.height);
        EXPECT_EQ(image.aPixels.size(), static_cast<size_t>(c.width * c.height));
        for (uint32_t pixel : image.aPixels)
            EXPECT_EQ(pixel, c.pixel);
    }
}

// A file full of Huffman table markers, each starting a long chain of small
// tables that hold the next marker among their symbols (each chain alone would
// be thousands of tables), is checked, and the chains are followed to their
// end: a table too large that only a chain reaches is found.
TEST(ImageDecode, ManyHuffmanMarkersAreFollowedThroughTheirChains)
{
    const std::string jpeg = SmallJpeg();
    // Period of 21 bytes: a table (class byte, 16 counts adding up to 4) whose
    // 4 symbols are a marker FF C4 with the longest segment length.
    const std::string period = Bytes({0, 4}) + std::string(15, '\x00') + "\xFF\xC4\xFF\xFF";
    std::string filler("\xFF\xC4\xFF\xFF", 4);
    while (filler.size() < (1u << 20))
        filler += period;
    // Behind the last marker: a table whose symbols are no marker, then one too large.
    const std::string tooLarge = Bytes({0, 4}) + std::string(15, '\x00') + "abcd" + Bytes({0}) + std::string(16, '\xFF');
    for (const bool bad : {false, true})
    {
        SCOPED_TRACE(bad ? "a table too large at the end of the chains" : "valid tables only");
        test::LogCapture log;
        aeDecodedImage image;
        const std::string file = jpeg.substr(0, jpeg.size() - 2) + filler + (bad ? tooLarge : "") + jpeg.substr(jpeg.size() - 2);
        EXPECT_EQ(Decode(file, &image), D3DXERR_INVALIDDATA);  // the decoder's own check refuses the segment lengths
        EXPECT_EQ(log.Contains("ungültige Huffman-Tabelle"), bad) << log.Text();
    }
}
