// Packing and unpacking of 32-bit ARGB colours.

#include "Color.h"

#include <bit>

static_assert(std::bit_cast<uint32_t>(kColorByteToFloat) == 0x3B808081u,
              "byte channels scale by the float nearest to 1/255");

namespace
{
// One channel to a byte: 255 from 1 up, 0 from 0 down (and for NaN),
// otherwise c · 255 truncated toward zero.
unsigned long ChannelToByte(float c)
{
    if (c >= 1.0f) return 255;
    if (c > 0.0f) return static_cast<unsigned long>(c * 255.0f);
    return 0;
}
}

Color::Color(unsigned long argb)
    : D3DCOLORVALUE{((argb >> 16) & 0xFF) * kColorByteToFloat,
                    ((argb >> 8) & 0xFF) * kColorByteToFloat,
                    (argb & 0xFF) * kColorByteToFloat,
                    ((argb >> 24) & 0xFF) * kColorByteToFloat}
{
}

Color::operator unsigned long() const
{
    return (ChannelToByte(a) << 24) | (ChannelToByte(r) << 16) | (ChannelToByte(g) << 8) | ChannelToByte(b);
}
