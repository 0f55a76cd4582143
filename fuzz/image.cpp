// Images: the decoding half of D3DX texture loading (BMP, TGA, PNG, JPEG
// through stb_image, with the size and truncation checks before it).

#include "FuzzSupport.h"
#include "aeImageDecode.h"

FUZZ_INIT_QUIET_LOG()

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > kFuzzMaxInput)
        return 0;
    aeDecodedImage image;
    // Compressed formats may rightly promise 16384 x 16384 pixels in a few
    // kilobytes; such pictures take seconds and a gigabyte each and would only
    // slow the search down.
    if (SUCCEEDED(aeDecodeImage(data, static_cast<UINT>(size), 0xFFFF00FF, &image, 1 << 22)))
    {
        FUZZ_CHECK(image.iWidth > 0 && image.iHeight > 0);
        FUZZ_CHECK(image.aPixels.size() == static_cast<size_t>(image.iWidth) * static_cast<size_t>(image.iHeight));
        for (uint32_t pixel : image.aPixels)
            FUZZ_CHECK(pixel != 0xFFFF00FF);
    }
    return 0;
}
