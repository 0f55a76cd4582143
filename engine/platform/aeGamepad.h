#pragma once
// Game controllers as the keyboard and mouse they stand in for. The engine
// reads no controller of its own: every pad that the window system knows as a
// game controller is turned into held keys (DirectInput key codes), mouse
// counts and mouse buttons, which the input device adds to the real
// keyboard's and mouse's. So the button table, the game's controls and
// recorded demos see a pad as the keys and mouse it produced.
//
//   left stick    W, A, S, D in eight directions; at full tilt also the left
//                 Shift (running)
//   right stick   mouse movement (looking, the menu cursor)
//   A             Space (use) and the left mouse button (menu clicks)
//   B, Start      Escape (the in-game menu, back in the menus)
//   Back          F1 (the quests)
//   D-pad         the arrow keys

#include <cstdint>

enum
{
    AE_PAD_A = 1 << 0,
    AE_PAD_B = 1 << 1,
    AE_PAD_BACK = 1 << 2,
    AE_PAD_START = 1 << 3,
    AE_PAD_UP = 1 << 4,
    AE_PAD_DOWN = 1 << 5,
    AE_PAD_LEFT = 1 << 6,
    AE_PAD_RIGHT = 1 << 7,
};

// One pad's sticks in [-1, 1] (y positive towards the player, as the window
// system reports it) and its buttons (AE_PAD_* bits).
struct aeGamepadState
{
    float fLeftX, fLeftY, fRightX, fRightY;
    unsigned uButtons;
};

// What a pad produces: key bytes by DirectInput key code (0x80 = held),
// mouse counts (fractions kept by the caller) and the mouse state's eight
// button bytes.
struct aeGamepadInput
{
    unsigned char abyKeys[256];
    float fMouseX, fMouseY;
    unsigned char abyButtons[8];
};

// Sticks nearer the centre than this count as centred.
constexpr float kGamepadDeadZone = 0.25f;
// From this tilt on the left stick runs.
constexpr float kGamepadRunTilt = 0.9f;
// Mouse counts per second of the right stick at full tilt: as fast as the
// arrow keys turn at the default cursor speed.
constexpr float kGamepadLookCounts = 1000.0f;

// Adds what the pad produces over `seconds` to `input` (keys and buttons are
// or-ed, counts added), so several pads merge into one input.
void aeGamepadTranslate(const aeGamepadState& pad, float seconds, aeGamepadInput* input);

// The window system's game controllers. Open takes every pad already
// connected; HandleEvent follows pads being connected and removed (an
// SDL_Event); Read merges all open pads over `seconds`. Without the window
// system's controller support nothing is open and Read adds nothing.
void aeGamepadOpenAll();
void aeGamepadCloseAll();
void aeGamepadHandleEvent(const void* event);
int aeGamepadCount();
void aeGamepadRead(float seconds, aeGamepadInput* input);
