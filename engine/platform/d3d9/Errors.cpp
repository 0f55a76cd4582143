// DirectX result codes by name and description, and the small D3DX helpers
// (vertex sizes, the perspective matrix).

#include <cmath>

#include "D3D9Internal.h"
#include "d3dx9.h"
#include "dxerr.h"

namespace
{
struct ErrorText
{
    HRESULT hr;
    const char* name;
    const char* description;
};

const ErrorText kErrors[] = {
    {D3D_OK, "S_OK", "No error occurred."},
    {S_FALSE, "S_FALSE", "An alternate success value, indicating a successful but nonstandard completion."},
    {E_NOTIMPL, "E_NOTIMPL", "Not implemented."},
    {E_NOINTERFACE, "E_NOINTERFACE", "No object interface is available."},
    {E_POINTER, "E_POINTER", "Invalid pointer."},
    {E_FAIL, "E_FAIL", "An undetermined error occurred."},
    {E_OUTOFMEMORY, "E_OUTOFMEMORY", "Direct3D could not allocate sufficient memory to complete the call."},
    {E_INVALIDARG, "E_INVALIDARG", "An invalid parameter was passed to the returning function."},
    {D3DERR_WRONGTEXTUREFORMAT, "D3DERR_WRONGTEXTUREFORMAT",
     "The pixel format of the texture surface is not valid."},
    {D3DERR_UNSUPPORTEDCOLOROPERATION, "D3DERR_UNSUPPORTEDCOLOROPERATION",
     "The device does not support a specified texture-blending operation for color values."},
    {D3DERR_UNSUPPORTEDCOLORARG, "D3DERR_UNSUPPORTEDCOLORARG",
     "The device does not support a specified texture-blending argument for color values."},
    {D3DERR_UNSUPPORTEDALPHAOPERATION, "D3DERR_UNSUPPORTEDALPHAOPERATION",
     "The device does not support a specified texture-blending operation for the alpha channel."},
    {D3DERR_UNSUPPORTEDALPHAARG, "D3DERR_UNSUPPORTEDALPHAARG",
     "The device does not support a specified texture-blending argument for the alpha channel."},
    {D3DERR_TOOMANYOPERATIONS, "D3DERR_TOOMANYOPERATIONS",
     "The application is requesting more texture-filtering operations than the device supports."},
    {D3DERR_CONFLICTINGTEXTUREFILTER, "D3DERR_CONFLICTINGTEXTUREFILTER",
     "The current texture filters cannot be used together."},
    {D3DERR_UNSUPPORTEDFACTORVALUE, "D3DERR_UNSUPPORTEDFACTORVALUE",
     "The device does not support the specified texture factor value."},
    {D3DERR_CONFLICTINGRENDERSTATE, "D3DERR_CONFLICTINGRENDERSTATE",
     "The currently set render states cannot be used together."},
    {D3DERR_UNSUPPORTEDTEXTUREFILTER, "D3DERR_UNSUPPORTEDTEXTUREFILTER",
     "The device does not support the specified texture filter."},
    {D3DERR_CONFLICTINGTEXTUREPALETTE, "D3DERR_CONFLICTINGTEXTUREPALETTE",
     "The current textures cannot be used simultaneously."},
    {D3DERR_DRIVERINTERNALERROR, "D3DERR_DRIVERINTERNALERROR",
     "Internal driver error. Applications should destroy and recreate the device when receiving this error."},
    {D3DERR_NOTFOUND, "D3DERR_NOTFOUND", "The requested item was not found."},
    {D3DERR_MOREDATA, "D3DERR_MOREDATA",
     "There is more data available than the specified buffer size can hold."},
    {D3DERR_DEVICELOST, "D3DERR_DEVICELOST",
     "The device has been lost but cannot be reset at this time. Therefore, rendering is not possible."},
    {D3DERR_DEVICENOTRESET, "D3DERR_DEVICENOTRESET", "The device has been lost but can be reset at this time."},
    {D3DERR_NOTAVAILABLE, "D3DERR_NOTAVAILABLE", "This device does not support the queried technique."},
    {D3DERR_OUTOFVIDEOMEMORY, "D3DERR_OUTOFVIDEOMEMORY",
     "Direct3D does not have enough display memory to perform the operation."},
    {D3DERR_INVALIDDEVICE, "D3DERR_INVALIDDEVICE", "The requested device type is not valid."},
    {D3DERR_INVALIDCALL, "D3DERR_INVALIDCALL",
     "The method call is invalid. For example, a method's parameter may not be a valid pointer."},
    {D3DERR_DRIVERINVALIDCALL, "D3DERR_DRIVERINVALIDCALL", "Not used."},
    {D3DERR_WASSTILLDRAWING, "D3DERR_WASSTILLDRAWING",
     "The previous blit operation that is transferring information to or from this surface is incomplete."},
    {D3DERR_DEVICEREMOVED, "D3DERR_DEVICEREMOVED", "The hardware adapter has been removed."},
    {D3DOK_NOAUTOGEN, "D3DOK_NOAUTOGEN",
     "This is a success code. However, the autogeneration of mipmaps is not supported for this format."},
    {D3DXERR_CANNOTMODIFYINDEXBUFFER, "D3DXERR_CANNOTMODIFYINDEXBUFFER", "The index buffer cannot be modified."},
    {D3DXERR_INVALIDMESH, "D3DXERR_INVALIDMESH", "The mesh is invalid."},
    {D3DXERR_CANNOTATTRSORT, "D3DXERR_CANNOTATTRSORT",
     "Attribute sort (D3DXMESHOPT_ATTRSORT) is not supported as an optimization technique."},
    {D3DXERR_SKINNINGNOTSUPPORTED, "D3DXERR_SKINNINGNOTSUPPORTED", "Skinning is not supported."},
    {D3DXERR_TOOMANYINFLUENCES, "D3DXERR_TOOMANYINFLUENCES", "Too many influences specified."},
    {D3DXERR_INVALIDDATA, "D3DXERR_INVALIDDATA", "The data is invalid."},
    {D3DXERR_LOADEDMESHASNODATA, "D3DXERR_LOADEDMESHASNODATA", "The mesh has no data."},
    {D3DXERR_DUPLICATENAMEDFRAGMENT, "D3DXERR_DUPLICATENAMEDFRAGMENT",
     "A fragment with that name already exists."},
    {D3DXERR_CANNOTREMOVELASTITEM, "D3DXERR_CANNOTREMOVELASTITEM", "The last item cannot be deleted."},
};

const ErrorText* Find(HRESULT hr)
{
    for (const ErrorText& error : kErrors)
        if (error.hr == hr)
            return &error;
    return nullptr;
}
}   // namespace

const char* DXGetErrorString9A(HRESULT hr)
{
    const ErrorText* error = Find(hr);
    return error ? error->name : "Unknown";
}

const char* DXGetErrorDescription9A(HRESULT hr)
{
    const ErrorText* error = Find(hr);
    return error ? error->description : "n/a";
}

UINT D3DXGetFVFVertexSize(DWORD fvf)
{
    d3d9::VertexLayout layout;
    return d3d9::DescribeFVF(fvf, &layout) ? static_cast<UINT>(layout.iSize) : 0;
}

D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovy, float aspect, float zn, float zf)
{
    if (!out)
        return nullptr;
    const float yScale = 1.f / std::tan(fovy / 2.f);
    const float xScale = yScale / aspect;
    memset(out, 0, sizeof(*out));
    out->_11 = xScale;
    out->_22 = yScale;
    out->_33 = zf / (zf - zn);
    out->_34 = 1.f;
    out->_43 = -zn * zf / (zf - zn);
    return out;
}
