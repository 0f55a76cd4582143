#pragma once
// What the device's OpenGL context holds of the fixed-function state, in
// parts that each send OpenGL only what changed.

#include "BlendState.h"
#include "CullState.h"
#include "DepthState.h"
#include "RasterState.h"
#include "SamplerState.h"
#include "ViewportState.h"

namespace d3d9
{
struct GlStateCache
{
    DepthState depth;
    BlendState blend;
    CullState cull;
    RasterState raster;
    ViewportState viewport;

    // Everything but the samplers, whose objects outlive the back buffer.
    void Forget() { *this = GlStateCache(); }
};
}   // namespace d3d9
