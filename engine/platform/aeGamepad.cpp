#include "aeGamepad.h"

#include "aeLog.h"
#include "aeText.h"

#include <SDL.h>
#include <cmath>

namespace
{
// DirectInput key codes of the keys a pad stands in for.
enum : unsigned char
{
    KEY_ESCAPE = 0x01,
    KEY_W = 0x11,
    KEY_A = 0x1E,
    KEY_S = 0x1F,
    KEY_D = 0x20,
    KEY_SHIFT_LEFT = 0x2A,
    KEY_SPACE = 0x39,
    KEY_F1 = 0x3B,
    KEY_UP = 0xC8,
    KEY_LEFT = 0xCB,
    KEY_RIGHT = 0xCD,
    KEY_DOWN = 0xD0,
};

const struct
{
    unsigned uButton;
    unsigned char byKey;
    int iMouseButton;  // slot in the mouse state, -1 for none
} kButtons[] = {
    {AE_PAD_A, KEY_SPACE, 0},     {AE_PAD_B, KEY_ESCAPE, -1}, {AE_PAD_START, KEY_ESCAPE, -1},
    {AE_PAD_BACK, KEY_F1, -1},    {AE_PAD_UP, KEY_UP, -1},    {AE_PAD_DOWN, KEY_DOWN, -1},
    {AE_PAD_LEFT, KEY_LEFT, -1},  {AE_PAD_RIGHT, KEY_RIGHT, -1},
};

// A direction within 67.5° of an axis presses that axis's key, so the stick
// walks in eight sectors of 45°.
const float kSectorSine = 0.38268343f;  // sin 22.5°
}

void aeGamepadTranslate(const aeGamepadState& pad, float seconds, aeGamepadInput* input)
{
    const float walk = std::hypot(pad.fLeftX, pad.fLeftY);
    if (walk >= kGamepadDeadZone)
    {
        const float limit = kSectorSine * walk;
        if (pad.fLeftY < -limit)
            input->abyKeys[KEY_W] = 0x80;
        if (pad.fLeftY > limit)
            input->abyKeys[KEY_S] = 0x80;
        if (pad.fLeftX < -limit)
            input->abyKeys[KEY_A] = 0x80;
        if (pad.fLeftX > limit)
            input->abyKeys[KEY_D] = 0x80;
        if (walk >= kGamepadRunTilt)
            input->abyKeys[KEY_SHIFT_LEFT] = 0x80;
    }

    // The look stick's speed grows with the square of its tilt beyond the
    // dead zone: fine aiming near the centre, full speed at the rim.
    const float look = std::hypot(pad.fRightX, pad.fRightY);
    if (look >= kGamepadDeadZone && seconds > 0.0f)
    {
        float t = (look - kGamepadDeadZone) / (1.0f - kGamepadDeadZone);
        t = t > 1.0f ? 1.0f : t;
        const float counts = t * t * kGamepadLookCounts * seconds / look;
        input->fMouseX += pad.fRightX * counts;
        input->fMouseY += pad.fRightY * counts;
    }

    for (const auto& b : kButtons)
    {
        if (!(pad.uButtons & b.uButton))
            continue;
        input->abyKeys[b.byKey] = 0x80;
        if (b.iMouseButton >= 0)
            input->abyButtons[b.iMouseButton] = 0x80;
    }
}

namespace
{
constexpr int kMaxPads = 8;
SDL_GameController* s_apPads[kMaxPads] = {};

bool Available()
{
    return SDL_WasInit(SDL_INIT_GAMECONTROLLER) != 0;
}

void OpenPad(int deviceIndex)
{
    if (!SDL_IsGameController(deviceIndex))
        return;
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    int free = -1;
    for (int i = 0; i < kMaxPads; ++i)
    {
        if (s_apPads[i] && SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(s_apPads[i])) == id)
            return;  // open already
        if (!s_apPads[i] && free < 0)
            free = i;
    }
    if (free < 0)
        return;
    s_apPads[free] = SDL_GameControllerOpen(deviceIndex);
    if (s_apPads[free])
    {
        const char* name = SDL_GameControllerName(s_apPads[free]);
        aeLog::Write("Der Controller \"%s\" wurde angeschlossen!", aeUtf8ToCp1252(name ? name : "?").c_str());
    }
}

void ClosePad(SDL_JoystickID id)
{
    for (SDL_GameController*& pad : s_apPads)
        if (pad && SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad)) == id)
        {
            SDL_GameControllerClose(pad);
            pad = nullptr;
            aeLog::Write("Ein Controller wurde entfernt!");
        }
}

float Axis(SDL_GameController* pad, SDL_GameControllerAxis axis)
{
    return static_cast<float>(SDL_GameControllerGetAxis(pad, axis)) / 32767.0f;
}
}

void aeGamepadOpenAll()
{
    if (!Available())
        return;
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
        OpenPad(i);
}

void aeGamepadCloseAll()
{
    for (SDL_GameController*& pad : s_apPads)
        if (pad)
        {
            SDL_GameControllerClose(pad);
            pad = nullptr;
        }
}

void aeGamepadHandleEvent(const void* data)
{
    const SDL_Event& e = *static_cast<const SDL_Event*>(data);
    if (e.type == SDL_CONTROLLERDEVICEADDED && Available())
        OpenPad(e.cdevice.which);  // a device index
    else if (e.type == SDL_CONTROLLERDEVICEREMOVED)
        ClosePad(e.cdevice.which);  // an instance id
}

int aeGamepadCount()
{
    int count = 0;
    for (SDL_GameController* pad : s_apPads)
        count += pad != nullptr;
    return count;
}

void aeGamepadRead(float seconds, aeGamepadInput* input)
{
    static const struct
    {
        SDL_GameControllerButton button;
        unsigned uBit;
    } kMap[] = {{SDL_CONTROLLER_BUTTON_A, AE_PAD_A},           {SDL_CONTROLLER_BUTTON_B, AE_PAD_B},
                {SDL_CONTROLLER_BUTTON_BACK, AE_PAD_BACK},     {SDL_CONTROLLER_BUTTON_START, AE_PAD_START},
                {SDL_CONTROLLER_BUTTON_DPAD_UP, AE_PAD_UP},    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, AE_PAD_DOWN},
                {SDL_CONTROLLER_BUTTON_DPAD_LEFT, AE_PAD_LEFT}, {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, AE_PAD_RIGHT}};
    for (SDL_GameController* pad : s_apPads)
    {
        if (!pad)
            continue;
        aeGamepadState state = {Axis(pad, SDL_CONTROLLER_AXIS_LEFTX), Axis(pad, SDL_CONTROLLER_AXIS_LEFTY),
                                Axis(pad, SDL_CONTROLLER_AXIS_RIGHTX), Axis(pad, SDL_CONTROLLER_AXIS_RIGHTY), 0u};
        for (const auto& m : kMap)
            if (SDL_GameControllerGetButton(pad, m.button))
                state.uButtons |= m.uBit;
        aeGamepadTranslate(state, seconds, input);
    }
}
