#include "Options.h"
#include "Halvoran.h"
#include "aeRegistry.h"

#include <cstdio>

DynArray<Resolution> Options::m_aResolutions;
int Options::m_iSelectedResolution = -1;
int Options::m_bMultiSampling = 0;
D3DMULTISAMPLE_TYPE Options::m_MultiSamplingType = D3DMULTISAMPLE_NONE;
int Options::m_iCursorSpeed = 1;
int Options::m_i3DGlasses = 0;
int Options::m_bApplied = 0;

const char* const kOptionsRegistryKey = "Software\\Kelmstone Games\\Halvoran\\";

namespace
{
const char* kOptionsNotSaved = "Die Optionen konnten nicht gespeichert werden!";
const char* kRegistryError = "Fehler beim öffnen / erstellen des Registry-Keys!";

int ReadValue(HKEY key, const char* name, int* value)
{
    DWORD data = 0;
    DWORD size = sizeof(data);
    DWORD type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return 0;
    *value = static_cast<int>(data);
    return 1;
}

int SetValue(HKEY key, const char* name, int value)
{
    const DWORD data = static_cast<DWORD>(value);
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data)) == ERROR_SUCCESS;
}

HKEY CreateKey()
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kOptionsRegistryKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}
}

void Options::AddResolution(const D3DDISPLAYMODE& mode)
{
    const int width = static_cast<int>(mode.Width);
    const int height = static_cast<int>(mode.Height);
    if (width < 640 || height < 480)
        return;
    for (int i = 0; i < m_aResolutions.GetNumElements(); ++i)
    {
        Resolution& r = m_aResolutions[i];
        if (r.iWidth == width && r.iHeight == height)
        {
            if (static_cast<int>(mode.RefreshRate) > r.iRefreshRate)
                r.iRefreshRate = static_cast<int>(mode.RefreshRate);
            return;
        }
    }
    const int count = m_aResolutions.GetNumElements();
    m_aResolutions.Realloc(1);
    if (m_aResolutions.GetNumElements() != count + 1)
        return;
    m_aResolutions[count] = {width, height, static_cast<int>(mode.RefreshRate)};
}

int Options::SelectResolution(int width, int height)
{
    for (int i = 0; i < m_aResolutions.GetNumElements(); ++i)
        if (m_aResolutions[i].iWidth == width && m_aResolutions[i].iHeight == height)
        {
            m_iSelectedResolution = i;
            return 1;
        }
    return 0;
}

void Options::FreeResolutions()
{
    m_aResolutions.Free();
    m_iSelectedResolution = -1;
}

void Options::Init()
{
    aeConfig::CalcStandardConfig();
    if (aeConfig::m_MultiSampling != D3DMULTISAMPLE_NONE)
    {
        m_MultiSamplingType = aeConfig::m_MultiSampling;
        m_bMultiSampling = 1;
    }
    else
    {
        m_MultiSamplingType = D3DMULTISAMPLE_NONE;
        m_bMultiSampling = 0;
    }

    // The usable display modes, as the adapter lists them. Without a
    // Direct3D object the list stays empty and the standard mode is used.
    m_aResolutions.Free();
    if (IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION))
    {
        const UINT count = d3d->GetAdapterModeCount(D3DADAPTER_DEFAULT, D3DFMT_X8R8G8B8);
        for (UINT i = 0; i < count; ++i)
        {
            D3DDISPLAYMODE mode = {};
            if (SUCCEEDED(d3d->EnumAdapterModes(D3DADAPTER_DEFAULT, D3DFMT_X8R8G8B8, i, &mode)))
                AddResolution(mode);
        }
        d3d->Release();
    }

    m_iSelectedResolution = -1;
    if (m_aResolutions.GetNumElements() > 0)
        SelectResolution(static_cast<int>(aeConfig::m_VideoMode.Width), static_cast<int>(aeConfig::m_VideoMode.Height));
    Load();
    m_bApplied = 1;
}

int Options::Load()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kOptionsRegistryKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return Save();  // first start: the standard values are written, nothing is applied
    ReadValue(key, "MultiSampling", &m_bMultiSampling);
    ReadValue(key, "CursorSpeed", &m_iCursorSpeed);
    ReadValue(key, "3DGlasses", &m_i3DGlasses);
    int width = 0, height = 0;
    ReadValue(key, "ResolutionWidth", &width);
    ReadValue(key, "ResolutionHeight", &height);
    if (m_aResolutions.GetNumElements() > 0)
        SelectResolution(width, height);
    RegCloseKey(key);
    Apply();
    return 1;
}

int Options::Apply()
{
    if (m_bApplied)
        return 1;
    aeConfig::m_MultiSampling = m_bMultiSampling ? m_MultiSamplingType : D3DMULTISAMPLE_NONE;
    if (m_iSelectedResolution >= 0 && m_iSelectedResolution < m_aResolutions.GetNumElements())
    {
        const Resolution& r = m_aResolutions[m_iSelectedResolution];
        aeConfig::m_VideoMode = {static_cast<UINT>(r.iWidth), static_cast<UINT>(r.iHeight),
                                 static_cast<UINT>(r.iRefreshRate), D3DFMT_X8R8G8B8};
    }
    if (aeGrafik::m_bInitialized)
    {
        Halvoran::m_bReinit = 1;
        aeMain::m_bQuit = 1;
    }
    m_bApplied = 1;
    if (Save())
        return 1;
    // Shown by the menu that the re-initialisation opens.
    Halvoran::SetNotice("%s", kOptionsNotSaved);
    return 0;
}

int Options::Save()
{
    HKEY key = CreateKey();
    if (!key)
    {
        AE_ERROR("Options::Save", "%s", kRegistryError);
        return 0;
    }
    // The registry reports each value it could not write (a full disk).
    int ok = SetValue(key, "MultiSampling", m_bMultiSampling);
    ok &= SetValue(key, "CursorSpeed", m_iCursorSpeed);
    ok &= SetValue(key, "3DGlasses", m_i3DGlasses);
    if (m_iSelectedResolution >= 0 && m_iSelectedResolution < m_aResolutions.GetNumElements())
    {
        ok &= SetValue(key, "ResolutionWidth", m_aResolutions[m_iSelectedResolution].iWidth);
        ok &= SetValue(key, "ResolutionHeight", m_aResolutions[m_iSelectedResolution].iHeight);
    }
    RegCloseKey(key);
    return ok;
}

int Options::WriteValue(const char* name, int value, const char* function)
{
    HKEY key = CreateKey();
    if (!key)
    {
        AE_ERROR(function, "%s", kRegistryError);
        return 0;
    }
    const int ok = SetValue(key, name, value);
    RegCloseKey(key);
    return ok;
}

int Options::PrevCursorSpeed()
{
    if (--m_iCursorSpeed < 0)
        m_iCursorSpeed = 2;
    return WriteValue("CursorSpeed", m_iCursorSpeed, "Options::PrevCursorSpeed");
}

int Options::NextCursorSpeed()
{
    if (++m_iCursorSpeed > 2)
        m_iCursorSpeed = 0;
    return WriteValue("CursorSpeed", m_iCursorSpeed, "Options::NextCursorSpeed");
}

int Options::Prev3DGlasses()
{
    if (--m_i3DGlasses < 0)
        m_i3DGlasses = 2;
    return WriteValue("3DGlasses", m_i3DGlasses, "Options::Prev3DGlasses");
}

int Options::Next3DGlasses()
{
    if (++m_i3DGlasses > 2)
        m_i3DGlasses = 0;
    return WriteValue("3DGlasses", m_i3DGlasses, "Options::Next3DGlasses");
}

void Options::ToggleMultiSampling()
{
    if (m_MultiSamplingType == D3DMULTISAMPLE_NONE)
        return;
    m_bMultiSampling = m_bMultiSampling ? 0 : 1;
    m_bApplied = 0;
}

void Options::PrevResolution()
{
    if (m_iSelectedResolution < 0)
        return;
    if (--m_iSelectedResolution < 0)
        m_iSelectedResolution = m_aResolutions.GetNumElements() - 1;
    m_bApplied = 0;
}

void Options::NextResolution()
{
    if (m_iSelectedResolution < 0)
        return;
    if (++m_iSelectedResolution >= m_aResolutions.GetNumElements())
        m_iSelectedResolution = 0;
    m_bApplied = 0;
}

char* Options::GetSelectedResolutionString(char* buffer)
{
    if (!buffer)
    {
        AE_INVALID_PARAMETER("Options::GetSelectedResolutionString");
        return nullptr;
    }
    if (m_iSelectedResolution < 0 || m_iSelectedResolution >= m_aResolutions.GetNumElements())
    {
        std::sprintf(buffer, "Nicht verfügbar");
        return buffer;
    }
    const Resolution& r = m_aResolutions[m_iSelectedResolution];
    std::sprintf(buffer, "%d x %d (%d Hz)", r.iWidth, r.iHeight, r.iRefreshRate);
    return buffer;
}
