#pragma once
// The viewport and depth range as OpenGL has them.

#include <optional>

#include "GlCalls.h"
#include "d3d9.h"

namespace d3d9
{
class ViewportState
{
public:
    // Direct3D counts rows from the top, OpenGL from the bottom of a back
    // buffer of this height.
    void Apply(GlCalls& gl, const D3DVIEWPORT9& viewport, UINT backBufferHeight);
    void Forget() { *this = ViewportState(); }

private:
    struct Rect
    {
        int x, y, width, height;
        bool operator==(const Rect&) const = default;
    };
    struct Range
    {
        float minZ, maxZ;
        bool operator==(const Range&) const = default;
    };
    std::optional<Rect> m_Rect;
    std::optional<Range> m_Range;
};
}   // namespace d3d9
