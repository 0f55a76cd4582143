// The key of the shader program cache: every field comes back as it went in,
// no field reaches into another, and the whole fits 64 bits.

#include <gtest/gtest.h>

#include "ShaderKey.h"

TEST(D3D9ShaderKey, FieldsRoundTripAloneAndTogether)
{
    int bits = 0;
    for (const auto& field : ShaderKeyLayout::kLayout)
        bits += field.iBits;
    EXPECT_LE(bits, 64);

    ShaderKey all;
    for (const auto& field : ShaderKeyLayout::kLayout)
    {
        const unsigned full = (1u << field.iBits) - 1;
        ShaderKey one;
        one.*field.pMember = full;
        const ShaderKey back = ShaderKey::Unpack(one.Pack());
        // Only this field is set after the round trip, and in full.
        for (const auto& other : ShaderKeyLayout::kLayout)
            EXPECT_EQ(back.*other.pMember, other.pMember == field.pMember ? full : 0u);
        one.*field.pMember = full + 1;  // too wide: cut to the field
        EXPECT_EQ(ShaderKey::Unpack(one.Pack()).*field.pMember, 0u);
        all.*field.pMember = full;
    }
    EXPECT_EQ(all.Pack(), bits == 64 ? ~uint64_t{0} : (uint64_t{1} << bits) - 1);

    ShaderKey some;
    some.bLighting = 1;
    some.uFogMode = 3;
    some.uColorOp = 4;      // D3DTOP_MODULATE
    some.uColorArg1 = 2;    // D3DTA_TEXTURE
    some.uAlphaFunc = 5;
    EXPECT_TRUE(ShaderKey::Unpack(some.Pack()) == some);
    EXPECT_FALSE(ShaderKey::Unpack(some.Pack()) == ShaderKey());
}
