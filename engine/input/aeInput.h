#pragma once
// Keyboard and mouse as one table of 122 numbered buttons: keys 0-107 by
// German key position, mouse axis directions 108-113, mouse buttons 114-121.
// Each button has a value in [0, 1] and a state: 0 up, 1 held, 2 went down in
// this frame.

#include "aeClock.h"

enum
{
    AE_NUM_BUTTONS = 122,
    AE_NUM_KEYS = 108,
    AE_FIRST_MOUSE_BUTTON = 108,
};

struct aeInputDeviceInfo
{
    char acName[32];
    void* pDevice;
    unsigned char Guid[16];
    int iFirstButton;
    int iNumButtons;
};

struct aeButtonInfo
{
    char acName[64];
    int iDevice;     // 0 keyboard, 1 mouse
    float fScaling;  // applied to the raw value every frame
    int iState;      // 0 up, 1 held, 2 went down in this frame
    float fValue;    // scaled, clamped to [0, 1]
};

class aeInput
{
public:
    static int m_bInitialized;
    static void* m_pDirectInput;
    static aeInputDeviceInfo m_aDevices[2];
    static aeButtonInfo m_aButtons[AE_NUM_BUTTONS];

    static int Init();
    static void Exit();
    static int GetState();

    static aeButtonInfo GetButton(int button) { return m_aButtons[button]; }
    static float GetButtonState(int button) { return m_aButtons[button].fValue; }
    static int IsButtonPressed(int button) { return m_aButtons[button].iState == 2; }
    static int IsButtonDown(int button) { return m_aButtons[button].iState; }
    static int GetPressedButton();
    static int SetButtonScaling(DWORD button, float scaling);
    static float GetButtonScaling(DWORD button);
    static aeInputDeviceInfo GetKeyboard() { return m_aDevices[0]; }
    static aeInputDeviceInfo GetMouse() { return m_aDevices[1]; }
    static void* GetDInput() { return m_pDirectInput; }
    static int IsInitialized() { return m_bInitialized; }
};

// The character of a key (plain, with Shift, or with Alt Gr; Shift wins) on a
// German keyboard, in Windows-1252; 0 for keys without one.
char aeKeyToChar(int button, int shift, int altGr);

// The button table's names and key codes.
const char* aeButtonName(int button);
unsigned char aeButtonKeyCode(int button);
