#pragma once
// Keyboard and mouse as the engine reads them once per frame: the keyboard as
// 256 key bytes indexed by DirectInput key code (0x80 = down), the mouse as
// relative counts and eight button bytes. The window layer feeds every window
// event to aeInputDeviceHandleEvent while it pumps messages. Game controllers
// add the keys, counts and buttons they stand for (aeGamepad.h) to both reads
// while the engine has the input focus.

#include <cstdint>

struct aeMouseState
{
    int32_t lX;
    int32_t lY;
    int32_t lZ;
    unsigned char abyButtons[8];
};

// Starts and stops listening; the window (and with it the video system) must
// exist before.
int aeInputDeviceOpen();
void aeInputDeviceClose();

// The keys held now; 0 (and nothing written) while no window of the engine has
// the input focus.
int aeInputDeviceReadKeyboard(unsigned char keys[256]);
// The movement since the last read, and the buttons held now; always 1.
int aeInputDeviceReadMouse(aeMouseState* state);

// One event of the window system (an SDL_Event).
void aeInputDeviceHandleEvent(const void* event);

// The DirectInput key code of a key position (an SDL scan code); 0 for none.
unsigned char aeScancodeToKeyCode(int scancode);

// Where the keys held at a focus gain are read from: the window system's key
// state, indexed by SDL scan code (count entries). Tests hand in their own;
// null restores the window system's.
using aeKeyStateSource = const unsigned char* (*)(int* count);
void aeInputDeviceSetKeyStateSource(aeKeyStateSource source);
