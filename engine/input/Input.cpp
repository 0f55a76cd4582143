#include "aeDemo.h"
#include "aeError.h"
#include "aeInput.h"
#include "aeInputDevice.h"
#include "aeLog.h"

#include <cstdio>
#include <cstring>

int aeInput::m_bInitialized = 0;
void* aeInput::m_pDirectInput = nullptr;
aeInputDeviceInfo aeInput::m_aDevices[2] = {};
aeButtonInfo aeInput::m_aButtons[AE_NUM_BUTTONS] = {};

namespace
{
// A button counts as down from this value on (the float nearest 0.2).
const float kThreshold = 0.2f;

void FillDevice(int device, const char* name, int first, int count)
{
    aeInputDeviceInfo& info = aeInput::m_aDevices[device];
    std::snprintf(info.acName, sizeof(info.acName), "%s", name);
    info.iFirstButton = first;
    info.iNumButtons = count;
    for (int b = first; b < first + count; ++b)
    {
        aeButtonInfo& button = aeInput::m_aButtons[b];
        std::snprintf(button.acName, sizeof(button.acName), "%s", aeButtonName(b));
        button.iDevice = device;
        button.fScaling = 1.0f;
    }
}

// What the devices report in this frame, as the raw input a demo keeps: keys
// and mouse buttons held, mouse counts. Nothing is held for a device that
// cannot be read (the keyboard without the input focus).
void ReadDevices(aeDemoInput* input)
{
    std::memset(input, 0, sizeof(*input));
    unsigned char keys[256];
    if (aeInputDeviceReadKeyboard(keys))
        for (int b = 0; b < AE_NUM_KEYS; ++b)
            input->SetHeld(b, keys[aeButtonKeyCode(b)] & 0x80);
    aeMouseState state;
    if (aeInputDeviceReadMouse(&state))
    {
        input->lX = state.lX;
        input->lY = state.lY;
        input->lZ = state.lZ;
        for (int i = 0; i < 8; ++i)
            input->SetHeld(AE_FIRST_MOUSE_BUTTON + 6 + i, state.abyButtons[i] & 0x80);
    }
}

// Raw input into the button values: keys and mouse buttons 0 or 1, counts
// into the axis directions.
void ApplyInput(const aeDemoInput& input)
{
    for (int b = 0; b < AE_NUM_BUTTONS; ++b)
        aeInput::m_aButtons[b].fValue = input.IsHeld(b) ? 1.0f : 0.0f;
    const float x = static_cast<float>(input.lX) / -250.0f;
    const float y = static_cast<float>(input.lY) / -250.0f;
    const float w = static_cast<float>(input.lZ) / -180.0f;
    aeButtonInfo* b = aeInput::m_aButtons + AE_FIRST_MOUSE_BUTTON;
    b[0].fValue = x;
    b[1].fValue = -x;
    b[2].fValue = y;
    b[3].fValue = -y;
    b[4].fValue = w;
    b[5].fValue = -w;
}
}

int aeInput::Init()
{
    if (m_bInitialized)
        Exit();
    std::memset(m_aDevices, 0, sizeof(m_aDevices));
    std::memset(m_aButtons, 0, sizeof(m_aButtons));
    if (!aeInputDeviceOpen())
    {
        AE_ERROR("aeInput::Init", "Fehler beim initialisieren der Tastatur!");
        return 0;
    }
    FillDevice(0, "Tastatur", 0, AE_NUM_KEYS);
    aeLog::Write("Die Tastatur wurde initialisiert!");
    FillDevice(1, "Maus", AE_FIRST_MOUSE_BUTTON, AE_NUM_BUTTONS - AE_NUM_KEYS);
    aeLog::Write("Die Maus wurde initialisiert!");
    aeLog::Write("DirectInput wurde initialisiert!");
    m_bInitialized = 1;
    return 1;
}

void aeInput::Exit()
{
    if (!m_bInitialized)
        return;
    aeInputDeviceClose();
    aeLog::Write("DirectInput wurde beendet!");
    m_bInitialized = 0;
}

int aeInput::GetState()
{
    if (!m_bInitialized)
        return 1;
    aeDemoInput input;
    ReadDevices(&input);
    aeDemo::TakeInput(&input);
    ApplyInput(input);
    for (aeButtonInfo& b : m_aButtons)
    {
        float v = b.fScaling * b.fValue;
        v = v > 1.0f ? 1.0f : (v < 0.0f ? 0.0f : v);
        b.fValue = v;
        if (b.iState == 0 && v >= kThreshold)
            b.iState = 2;
        else
            b.iState = v >= kThreshold ? 1 : 0;
    }
    return 1;
}

int aeInput::GetPressedButton()
{
    for (int b = 0; b < AE_NUM_BUTTONS; ++b)
    {
        if (b >= AE_FIRST_MOUSE_BUTTON && b < AE_FIRST_MOUSE_BUTTON + 6)
            continue;
        if (m_aButtons[b].iState != 0)
            return b;
    }
    return -1;
}

int aeInput::SetButtonScaling(DWORD button, float scaling)
{
    if (button >= AE_NUM_BUTTONS)
    {
        AE_INVALID_PARAMETER("aeInput::SetButtonScaling");
        return 0;
    }
    m_aButtons[button].fScaling = scaling;
    return 1;
}

float aeInput::GetButtonScaling(DWORD button)
{
    if (button >= AE_NUM_BUTTONS)
    {
        AE_INVALID_PARAMETER("aeInput::GetButtonScaling");
        return 0.0f;
    }
    return m_aButtons[button].fScaling;
}
