#include "aeInputDevice.h"

#include "aeClock.h"
#include "aeGamepad.h"

#include <SDL.h>
#include <cstring>

namespace
{
struct DeviceState
{
    bool bOpen = false;
    bool bFocus = true;
    unsigned char abyKeys[256] = {};
    int32_t lX = 0, lY = 0, lZ = 0;
    unsigned char abyButtons[8] = {};
    // The pads' mouse counts not yet handed out (fractions of a count), and
    // when the mouse was read last.
    float fPadX = 0.0f, fPadY = 0.0f;
    DWORD dwLastMouseRead = 0;
} s_Device;

// A stall moves the look stick's mouse no further than this.
const DWORD kMaxPadMs = 100;

// DirectInput key codes by key position. Positions follow the keyboard's
// physical layout, so on a German keyboard the key labelled Y (SDL's Z
// position) reads as DIK 0x2C, the code the button table expects for "Y".
struct KeyCode
{
    SDL_Scancode scancode;
    unsigned char code;
};
const KeyCode s_aKeyCodes[] = {
    {SDL_SCANCODE_ESCAPE, 0x01}, {SDL_SCANCODE_1, 0x02}, {SDL_SCANCODE_2, 0x03}, {SDL_SCANCODE_3, 0x04},
    {SDL_SCANCODE_4, 0x05}, {SDL_SCANCODE_5, 0x06}, {SDL_SCANCODE_6, 0x07}, {SDL_SCANCODE_7, 0x08},
    {SDL_SCANCODE_8, 0x09}, {SDL_SCANCODE_9, 0x0A}, {SDL_SCANCODE_0, 0x0B}, {SDL_SCANCODE_MINUS, 0x0C},
    {SDL_SCANCODE_EQUALS, 0x0D}, {SDL_SCANCODE_BACKSPACE, 0x0E}, {SDL_SCANCODE_TAB, 0x0F}, {SDL_SCANCODE_Q, 0x10},
    {SDL_SCANCODE_W, 0x11}, {SDL_SCANCODE_E, 0x12}, {SDL_SCANCODE_R, 0x13}, {SDL_SCANCODE_T, 0x14},
    {SDL_SCANCODE_Y, 0x15}, {SDL_SCANCODE_U, 0x16}, {SDL_SCANCODE_I, 0x17}, {SDL_SCANCODE_O, 0x18},
    {SDL_SCANCODE_P, 0x19}, {SDL_SCANCODE_LEFTBRACKET, 0x1A}, {SDL_SCANCODE_RIGHTBRACKET, 0x1B},
    {SDL_SCANCODE_RETURN, 0x1C}, {SDL_SCANCODE_LCTRL, 0x1D}, {SDL_SCANCODE_A, 0x1E}, {SDL_SCANCODE_S, 0x1F},
    {SDL_SCANCODE_D, 0x20}, {SDL_SCANCODE_F, 0x21}, {SDL_SCANCODE_G, 0x22}, {SDL_SCANCODE_H, 0x23},
    {SDL_SCANCODE_J, 0x24}, {SDL_SCANCODE_K, 0x25}, {SDL_SCANCODE_L, 0x26}, {SDL_SCANCODE_SEMICOLON, 0x27},
    {SDL_SCANCODE_APOSTROPHE, 0x28}, {SDL_SCANCODE_GRAVE, 0x29}, {SDL_SCANCODE_LSHIFT, 0x2A},
    {SDL_SCANCODE_BACKSLASH, 0x2B}, {SDL_SCANCODE_NONUSHASH, 0x2B}, {SDL_SCANCODE_Z, 0x2C}, {SDL_SCANCODE_X, 0x2D},
    {SDL_SCANCODE_C, 0x2E}, {SDL_SCANCODE_V, 0x2F}, {SDL_SCANCODE_B, 0x30}, {SDL_SCANCODE_N, 0x31},
    {SDL_SCANCODE_M, 0x32}, {SDL_SCANCODE_COMMA, 0x33}, {SDL_SCANCODE_PERIOD, 0x34}, {SDL_SCANCODE_SLASH, 0x35},
    {SDL_SCANCODE_RSHIFT, 0x36}, {SDL_SCANCODE_KP_MULTIPLY, 0x37}, {SDL_SCANCODE_LALT, 0x38},
    {SDL_SCANCODE_SPACE, 0x39}, {SDL_SCANCODE_CAPSLOCK, 0x3A}, {SDL_SCANCODE_F1, 0x3B}, {SDL_SCANCODE_F2, 0x3C},
    {SDL_SCANCODE_F3, 0x3D}, {SDL_SCANCODE_F4, 0x3E}, {SDL_SCANCODE_F5, 0x3F}, {SDL_SCANCODE_F6, 0x40},
    {SDL_SCANCODE_F7, 0x41}, {SDL_SCANCODE_F8, 0x42}, {SDL_SCANCODE_F9, 0x43}, {SDL_SCANCODE_F10, 0x44},
    {SDL_SCANCODE_NUMLOCKCLEAR, 0x45}, {SDL_SCANCODE_SCROLLLOCK, 0x46}, {SDL_SCANCODE_KP_7, 0x47},
    {SDL_SCANCODE_KP_8, 0x48}, {SDL_SCANCODE_KP_9, 0x49}, {SDL_SCANCODE_KP_MINUS, 0x4A}, {SDL_SCANCODE_KP_4, 0x4B},
    {SDL_SCANCODE_KP_5, 0x4C}, {SDL_SCANCODE_KP_6, 0x4D}, {SDL_SCANCODE_KP_PLUS, 0x4E}, {SDL_SCANCODE_KP_1, 0x4F},
    {SDL_SCANCODE_KP_2, 0x50}, {SDL_SCANCODE_KP_3, 0x51}, {SDL_SCANCODE_KP_0, 0x52}, {SDL_SCANCODE_KP_PERIOD, 0x53},
    {SDL_SCANCODE_KP_COMMA, 0x53}, {SDL_SCANCODE_NONUSBACKSLASH, 0x56}, {SDL_SCANCODE_F11, 0x57},
    {SDL_SCANCODE_F12, 0x58}, {SDL_SCANCODE_F13, 0x64}, {SDL_SCANCODE_F14, 0x65}, {SDL_SCANCODE_F15, 0x66},
    {SDL_SCANCODE_KP_ENTER, 0x9C}, {SDL_SCANCODE_RCTRL, 0x9D}, {SDL_SCANCODE_KP_DIVIDE, 0xB5},
    {SDL_SCANCODE_PRINTSCREEN, 0xB7}, {SDL_SCANCODE_SYSREQ, 0xB7}, {SDL_SCANCODE_RALT, 0xB8},
    {SDL_SCANCODE_PAUSE, 0xC5}, {SDL_SCANCODE_HOME, 0xC7}, {SDL_SCANCODE_UP, 0xC8}, {SDL_SCANCODE_PAGEUP, 0xC9},
    {SDL_SCANCODE_LEFT, 0xCB}, {SDL_SCANCODE_RIGHT, 0xCD}, {SDL_SCANCODE_END, 0xCF}, {SDL_SCANCODE_DOWN, 0xD0},
    {SDL_SCANCODE_PAGEDOWN, 0xD1}, {SDL_SCANCODE_INSERT, 0xD2}, {SDL_SCANCODE_DELETE, 0xD3},
    {SDL_SCANCODE_LGUI, 0xDB}, {SDL_SCANCODE_RGUI, 0xDC}, {SDL_SCANCODE_APPLICATION, 0xDD}};
}

namespace
{
const unsigned char* SystemKeyState(int* count)
{
    return SDL_GetKeyboardState(count);
}
aeKeyStateSource s_pfnKeyState = SystemKeyState;

// The keys the window system holds down now, e.g. those that went down while
// another window had the focus and are still held when ours gets it back.
void ReadHeldKeys()
{
    std::memset(s_Device.abyKeys, 0, sizeof(s_Device.abyKeys));
    int count = 0;
    const unsigned char* state = s_pfnKeyState(&count);
    if (!state)
        return;
    for (const KeyCode& k : s_aKeyCodes)
        if (k.scancode < count && state[k.scancode])
            s_Device.abyKeys[k.code] = 0x80;
}
}

void aeInputDeviceSetKeyStateSource(aeKeyStateSource source)
{
    s_pfnKeyState = source ? source : SystemKeyState;
}

unsigned char aeScancodeToKeyCode(int scancode)
{
    for (const KeyCode& k : s_aKeyCodes)
        if (k.scancode == scancode)
            return k.code;
    return 0;
}

int aeInputDeviceOpen()
{
    s_Device = DeviceState();
    s_Device.bOpen = true;
    s_Device.dwLastMouseRead = timeGetTime();
    aeGamepadOpenAll();
    return 1;
}

void aeInputDeviceClose()
{
    aeGamepadCloseAll();
    s_Device = DeviceState();
}

int aeInputDeviceReadKeyboard(unsigned char keys[256])
{
    if (!s_Device.bOpen || !s_Device.bFocus)
        return 0;
    std::memcpy(keys, s_Device.abyKeys, 256);
    aeGamepadInput pad = {};
    aeGamepadRead(0.0f, &pad);
    for (int i = 0; i < 256; ++i)
        keys[i] |= pad.abyKeys[i];
    return 1;
}

int aeInputDeviceReadMouse(aeMouseState* state)
{
    const DWORD now = timeGetTime();
    DWORD ms = now - s_Device.dwLastMouseRead;
    s_Device.dwLastMouseRead = now;
    ms = ms > kMaxPadMs ? kMaxPadMs : ms;
    // Pads, like the keyboard, are read only while the engine has the focus.
    aeGamepadInput pad = {};
    if (s_Device.bOpen && s_Device.bFocus)
        aeGamepadRead(static_cast<float>(ms) / 1000.0f, &pad);
    s_Device.fPadX += pad.fMouseX;
    s_Device.fPadY += pad.fMouseY;
    const int32_t padX = static_cast<int32_t>(s_Device.fPadX);
    const int32_t padY = static_cast<int32_t>(s_Device.fPadY);
    s_Device.fPadX -= static_cast<float>(padX);
    s_Device.fPadY -= static_cast<float>(padY);

    state->lX = s_Device.lX + padX;
    state->lY = s_Device.lY + padY;
    state->lZ = s_Device.lZ;
    for (int i = 0; i < 8; ++i)
        state->abyButtons[i] = s_Device.abyButtons[i] | pad.abyButtons[i];
    s_Device.lX = s_Device.lY = s_Device.lZ = 0;
    return 1;
}

void aeInputDeviceHandleEvent(const void* data)
{
    if (!s_Device.bOpen || !data)
        return;
    const SDL_Event& e = *static_cast<const SDL_Event*>(data);
    switch (e.type)
    {
    case SDL_CONTROLLERDEVICEADDED:
    case SDL_CONTROLLERDEVICEREMOVED:
        aeGamepadHandleEvent(data);
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        if (const unsigned char code = aeScancodeToKeyCode(e.key.keysym.scancode))
            s_Device.abyKeys[code] = e.type == SDL_KEYDOWN ? 0x80 : 0;
        break;
    case SDL_MOUSEMOTION:
        s_Device.lX += e.motion.xrel;
        s_Device.lY += e.motion.yrel;
        break;
    case SDL_MOUSEWHEEL:
        // A turn away from the user counts up, as the wheel does on Windows.
        s_Device.lZ += (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y) * 120;
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    {
        // SDL numbers left, middle, right, then the side buttons; the mouse
        // state has left, right, middle first.
        static const int kSlot[] = {-1, 0, 2, 1, 3, 4, 5, 6, 7};
        if (e.button.button < sizeof(kSlot) / sizeof(kSlot[0]) && kSlot[e.button.button] >= 0)
            s_Device.abyButtons[kSlot[e.button.button]] = e.type == SDL_MOUSEBUTTONDOWN ? 0x80 : 0;
        break;
    }
    case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST)
        {
            // Keys released elsewhere never reach us: forget them.
            s_Device.bFocus = false;
            std::memset(s_Device.abyKeys, 0, sizeof(s_Device.abyKeys));
        }
        else if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED)
        {
            // Keys pressed elsewhere and still held read as held at once.
            s_Device.bFocus = true;
            ReadHeldKeys();
        }
        break;
    default:
        break;
    }
}
