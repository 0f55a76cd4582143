#pragma once
// The engine's window layer: top-level windows, their messages, the system
// cursor and message boxes. Windows are SDL windows underneath; what reaches the
// owner are the two messages the engine handles, delivered to the window's
// procedure while the frame loop pumps messages (aePumpMessages):
//   WM_CLOSE    the user asked to close the window (wParam, lParam 0)
//   WM_ACTIVATE the window gained (wParam WA_ACTIVE) or lost (WA_INACTIVE)
//               the input focus
// A window's procedure may be null; then nothing is delivered. Creating the
// first window installs the message pump and the cursor hooks of the frame loop
// (aeSetWindowHooks); destroying the last removes them.

#include <cstdint>

#include "aeWinTypes.h"

typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef LRESULT (*WNDPROC)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#define WM_ACTIVATE 0x0006
#define WM_CLOSE 0x0010
#define WA_INACTIVE 0
#define WA_ACTIVE 1
#define WA_CLICKACTIVE 2

#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOWMAXIMIZED 3
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_RESTORE 9

#define SM_CXSCREEN 0
#define SM_CYSCREEN 1

#define MB_OK 0x00000000L
#define MB_OKCANCEL 0x00000001L
#define MB_YESNO 0x00000004L
#define MB_ICONHAND 0x00000010L
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONQUESTION 0x00000020L
#define MB_ICONEXCLAMATION 0x00000030L
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONASTERISK 0x00000040L
#define MB_ICONINFORMATION MB_ICONASTERISK
#define IDOK 1
#define IDCANCEL 2
#define IDYES 6
#define IDNO 7

// A visible window with a client area of width × height pixels, titled with
// Windows-1252 text, ready for a Direct3D device. Null (with the reason in the
// log) when no window can be made, for instance without any display.
HWND aeCreateWindow(const char* title, int width, int height, WNDPROC procedure);
void aeDestroyWindow(HWND window);
void aeSetWindowProc(HWND window, WNDPROC procedure);
WNDPROC aeGetWindowProc(HWND window);
int aeIsWindow(HWND window);
// Sets the window's icon from a picture file in memory (BMP, TGA, PNG or JPEG,
// as a program's ICON resource holds it); a BMP file tells its own size. 0 when
// the picture cannot be read. aeGetWindowIcon tells the size of the icon set.
int aeSetWindowIcon(HWND window, const void* picture);
int aeGetWindowIcon(HWND window, int* width, int* height);

// Sends a message straight to the window's procedure; 0 without one.
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// What a procedure returns for messages it leaves alone: 0.
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// SW_MINIMIZE/SW_SHOWMINIMIZED minimise, SW_RESTORE/SW_SHOW/SW_SHOWNORMAL show
// and restore, SW_HIDE hides. Returns whether the window was visible before.
BOOL ShowWindow(HWND window, int command);
// SM_CXSCREEN / SM_CYSCREEN: the desktop size of the first display.
int GetSystemMetrics(int index);
// Moves the pointer to desktop coordinates (within the engine window).
BOOL SetCursorPos(int x, int y);
// Shows or hides the system cursor over the engine's windows; returns the
// display count as Windows keeps it (>= 0 visible).
int ShowCursor(BOOL show);
// A simple modal message box; without a display the text goes to standard
// error and IDOK is returned. MB_YESNO / MB_OKCANCEL get two buttons.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
