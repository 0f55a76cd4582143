#pragma once
// Names and descriptions of DirectX result codes, for error reports.

#include "aeWinTypes.h"

// The symbolic name of a result code ("D3DERR_DEVICELOST"); "Unknown" for a
// code without one.
const char* DXGetErrorString9A(HRESULT hr);
// Its description in the words of the DirectX documentation; "n/a" when
// unknown.
const char* DXGetErrorDescription9A(HRESULT hr);

inline const char* DXGetErrorString9(HRESULT hr)
{
    return DXGetErrorString9A(hr);
}
inline const char* DXGetErrorDescription9(HRESULT hr)
{
    return DXGetErrorDescription9A(hr);
}
