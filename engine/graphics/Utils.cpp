#include "aeConfig.h"
#include "aeError.h"

#include <cstring>

namespace
{
struct FormatName
{
    D3DFORMAT format;
    const char* name;
};

#define AE_FORMAT(f) {D3DFMT_##f, #f}
const FormatName s_aNames[] = {
    AE_FORMAT(UNKNOWN), AE_FORMAT(R8G8B8), AE_FORMAT(A8R8G8B8), AE_FORMAT(X8R8G8B8), AE_FORMAT(R5G6B5),
    AE_FORMAT(X1R5G5B5), AE_FORMAT(A1R5G5B5), AE_FORMAT(A4R4G4B4), AE_FORMAT(A2B10G10R10), AE_FORMAT(G16R16),
    AE_FORMAT(A16B16G16R16), AE_FORMAT(A8P8), AE_FORMAT(P8), AE_FORMAT(L8), AE_FORMAT(A8L8), AE_FORMAT(A4L4),
    AE_FORMAT(V8U8), AE_FORMAT(L6V5U5), AE_FORMAT(X8L8V8U8), AE_FORMAT(Q8W8V8U8), AE_FORMAT(V16U16),
    AE_FORMAT(A2W10V10U10), AE_FORMAT(D16_LOCKABLE), AE_FORMAT(D32), AE_FORMAT(D15S1), AE_FORMAT(D24S8),
    AE_FORMAT(D24X8), AE_FORMAT(D24X4S4), AE_FORMAT(D16), AE_FORMAT(L16), AE_FORMAT(D32F_LOCKABLE),
    AE_FORMAT(D24FS8), AE_FORMAT(VERTEXDATA), AE_FORMAT(INDEX16), AE_FORMAT(INDEX32), AE_FORMAT(Q16W16V16U16),
    AE_FORMAT(MULTI2_ARGB8), AE_FORMAT(UYVY), AE_FORMAT(YUY2), AE_FORMAT(DXT1), AE_FORMAT(DXT2), AE_FORMAT(DXT3),
    AE_FORMAT(DXT4), AE_FORMAT(DXT5)};
#undef AE_FORMAT
}

int GetD3DFormatString(D3DFORMAT format, char* out)
{
    if (!out)
    {
        AE_INVALID_PARAMETER("GetD3DFormatString");
        return 0;
    }
    for (const FormatName& n : s_aNames)
    {
        if (n.format == format)
        {
            std::strcpy(out, n.name);
            return 1;
        }
    }
    std::strcpy(out, "Unbekanntes Format");
    return 1;
}
