// The window layer over SDL: windows, the message pump, the system cursor and
// message boxes.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "D3D9Internal.h"
#include "aeConsole.h"
#include "aeError.h"
#include "aeImageDecode.h"
#include "aeText.h"
#include "aeInputDevice.h"
#include "aeLog.h"
#include "aeWindowHooks.h"

namespace
{
constexpr int kMaxWindows = 16;
aeWindow* s_apWindows[kMaxWindows] = {};
int s_iWindows = 0;
int s_iVideoUsers = 0;
bool s_bVideoStarted = false;
int s_iCursorCount = 0;
bool s_bHooksInstalled = false;

aeWindow* FindById(Uint32 id)
{
    for (int i = 0; i < s_iWindows; i++)
        if (s_apWindows[i]->uId == id)
            return s_apWindows[i];
    return nullptr;
}

void Deliver(aeWindow* window, UINT message, WPARAM wParam)
{
    if (window && window->pfnProc)
        window->pfnProc(window, message, wParam, 0);
}

// The frame loop's message pump: every pending SDL event; window events become
// the window's messages. Returns 1 when the process was asked to quit (a
// signal); closing a window is only its WM_CLOSE.
int PumpMessages()
{
    int quit = 0;
    SDL_Event event;
    while (SDL_PollEvent(&event))
    {
        aeInputDeviceHandleEvent(&event);
        if (event.type == SDL_QUIT)
            quit = 1;
        else if (event.type == SDL_WINDOWEVENT)
        {
            aeWindow* window = FindById(event.window.windowID);
            if (!window)
                continue;
            switch (event.window.event)
            {
            case SDL_WINDOWEVENT_CLOSE:
                Deliver(window, WM_CLOSE, 0);
                break;
            case SDL_WINDOWEVENT_FOCUS_GAINED:
                Deliver(window, WM_ACTIVATE, WA_ACTIVE);
                break;
            case SDL_WINDOWEVENT_FOCUS_LOST:
                Deliver(window, WM_ACTIVATE, WA_INACTIVE);
                break;
            case SDL_WINDOWEVENT_MINIMIZED:
                window->bMinimized = 1;
                break;
            case SDL_WINDOWEVENT_RESTORED:
            case SDL_WINDOWEVENT_MAXIMIZED:
            case SDL_WINDOWEVENT_SHOWN:
                window->bMinimized = 0;
                break;
            default:
                break;
            }
        }
    }
    return quit;
}

void CentreAndHideCursor()
{
    if (s_iWindows > 0)
    {
        int w = 0, h = 0;
        SDL_GetWindowSize(s_apWindows[0]->pSdl, &w, &h);
        if (!SDL_GetRelativeMouseMode())
            SDL_WarpMouseInWindow(s_apWindows[0]->pSdl, w / 2, h / 2);
    }
    ShowCursor(FALSE);
}

void ShowSystemCursor()
{
    ShowCursor(TRUE);
}
}   // namespace

namespace d3d9
{
bool AcquireVideo()
{
    if (!s_bVideoStarted)
    {
        // Closing the last window is the window's WM_CLOSE, not a quit request.
        SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
        SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "1");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        {
            AE_ERROR("aeSdlVideo", "SDL konnte die Videoausgabe nicht starten: %s", SDL_GetError());
            return false;
        }
        // Game controllers arrive as window-system events; without them
        // (no joystick support) the game runs on keyboard and mouse alone.
        // The input device itself ignores pads while the engine's window has
        // no focus, so the window system need not.
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0)
            aeLog::Warning("SDL kann keine Controller lesen: %s", SDL_GetError());
        // Keeps the OpenGL library loaded for the life of the process, so
        // that closing the last window does not unload the driver.
        SDL_GL_LoadLibrary(nullptr);
        s_bVideoStarted = true;
    }
    s_iVideoUsers++;
    return true;
}

void ReleaseVideo()
{
    // The video system stays up once started: shutting it down unloads the
    // OpenGL driver, and a later window would load it again.
    if (s_iVideoUsers > 0)
        --s_iVideoUsers;
}

bool IsHeadless()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver)
        driver = getenv("SDL_VIDEODRIVER");
    return driver && (strcmp(driver, "offscreen") == 0 || strcmp(driver, "dummy") == 0);
}

void SetContextAttributes()
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, 0);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, 0);
}
}   // namespace d3d9

HWND aeCreateWindow(const char* title, int width, int height, WNDPROC procedure)
{
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384)
    {
        AE_INVALID_PARAMETER("aeCreateWindow");
        return nullptr;
    }
    if (s_iWindows >= kMaxWindows)
    {
        AE_ERROR("aeCreateWindow", "Es sind zu viele Fenster geöffnet!");
        return nullptr;
    }
    if (!d3d9::AcquireVideo())
        return nullptr;
    d3d9::SetContextAttributes();
    const std::string utf8 = aeCp1252ToUtf8(title ? title : "");
    SDL_Window* sdl = SDL_CreateWindow(utf8.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                                       SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE);
    if (!sdl)
    {
        AE_ERROR("aeCreateWindow", "SDL konnte das Fenster nicht erstellen: %s", SDL_GetError());
        d3d9::ReleaseVideo();
        return nullptr;
    }
    aeWindow* window = new aeWindow{sdl, procedure, SDL_GetWindowID(sdl), 0};
    s_apWindows[s_iWindows++] = window;
    if (!s_bHooksInstalled)
    {
        const aeWindowHooks hooks = {PumpMessages, CentreAndHideCursor, ShowSystemCursor};
        aeSetWindowHooks(&hooks);
        s_bHooksInstalled = true;
    }
    return window;
}

int aeSetWindowIcon(HWND window, const void* picture)
{
    if (!aeIsWindow(window) || !picture)
        return 0;
    // A BMP file starts with "BM" and its size; the size bounds what is read.
    const uint8_t* bytes = static_cast<const uint8_t*>(picture);
    if (bytes[0] != 'B' || bytes[1] != 'M')
    {
        AE_ERROR("aeSetWindowIcon", "Das Symbol ist kein BMP-Bild!");
        return 0;
    }
    const UINT size = static_cast<UINT>(bytes[2]) | static_cast<UINT>(bytes[3]) << 8 | static_cast<UINT>(bytes[4]) << 16
                      | static_cast<UINT>(bytes[5]) << 24;
    aeDecodedImage image;
    if (size > (16u << 20) || FAILED(aeDecodeImage(picture, size, 0, &image, 1 << 20)))
    {
        AE_ERROR("aeSetWindowIcon", "Das Symbol konnte nicht gelesen werden!");
        return 0;
    }
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(image.aPixels.data(), image.iWidth, image.iHeight, 32,
                                                              image.iWidth * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!surface)
        return 0;
    SDL_SetWindowIcon(window->pSdl, surface);
    SDL_FreeSurface(surface);
    window->iIconWidth = image.iWidth;
    window->iIconHeight = image.iHeight;
    return 1;
}

int aeGetWindowIcon(HWND window, int* width, int* height)
{
    if (!aeIsWindow(window) || window->iIconWidth == 0)
        return 0;
    if (width)
        *width = window->iIconWidth;
    if (height)
        *height = window->iIconHeight;
    return 1;
}

void aeDestroyWindow(HWND window)
{
    for (int i = 0; i < s_iWindows; i++)
    {
        if (s_apWindows[i] != window)
            continue;
        s_apWindows[i] = s_apWindows[--s_iWindows];
        SDL_DestroyWindow(window->pSdl);
        delete window;
        if (s_iWindows == 0 && s_bHooksInstalled)
        {
            aeSetWindowHooks(nullptr);
            s_bHooksInstalled = false;
        }
        d3d9::ReleaseVideo();
        return;
    }
}

int aeIsWindow(HWND window)
{
    for (int i = 0; i < s_iWindows; i++)
        if (s_apWindows[i] == window)
            return 1;
    return 0;
}

void aeSetWindowProc(HWND window, WNDPROC procedure)
{
    if (aeIsWindow(window))
        window->pfnProc = procedure;
}

WNDPROC aeGetWindowProc(HWND window)
{
    return aeIsWindow(window) ? window->pfnProc : nullptr;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!aeIsWindow(window) || !window->pfnProc)
        return 0;
    return window->pfnProc(window, message, wParam, lParam);
}

LRESULT DefWindowProcA(HWND, UINT, WPARAM, LPARAM)
{
    return 0;
}

BOOL ShowWindow(HWND window, int command)
{
    if (!aeIsWindow(window))
        return FALSE;
    const BOOL wasVisible = (SDL_GetWindowFlags(window->pSdl) & SDL_WINDOW_SHOWN) ? TRUE : FALSE;
    switch (command)
    {
    case SW_HIDE:
        SDL_HideWindow(window->pSdl);
        break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
        SDL_MinimizeWindow(window->pSdl);
        window->bMinimized = 1;
        break;
    case SW_SHOWMAXIMIZED:
        SDL_ShowWindow(window->pSdl);
        SDL_MaximizeWindow(window->pSdl);
        window->bMinimized = 0;
        break;
    default:
        SDL_ShowWindow(window->pSdl);
        SDL_RestoreWindow(window->pSdl);
        window->bMinimized = 0;
        break;
    }
    return wasVisible;
}

int GetSystemMetrics(int index)
{
    if (index != SM_CXSCREEN && index != SM_CYSCREEN)
        return 0;
    if (!d3d9::AcquireVideo())
        return 0;
    SDL_DisplayMode mode;
    int value = 0;
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0)
        value = index == SM_CXSCREEN ? mode.w : mode.h;
    d3d9::ReleaseVideo();
    return value;
}

BOOL SetCursorPos(int x, int y)
{
    if (s_iWindows == 0)
        return FALSE;
    if (SDL_GetRelativeMouseMode())
        return TRUE;  // the pointer is held by the window and not drawn
    int wx = 0, wy = 0;
    SDL_GetWindowPosition(s_apWindows[0]->pSdl, &wx, &wy);
    SDL_WarpMouseInWindow(s_apWindows[0]->pSdl, x - wx, y - wy);
    return TRUE;
}

int ShowCursor(BOOL show)
{
    s_iCursorCount += show ? 1 : -1;
    if (s_iVideoUsers > 0)
    {
        SDL_ShowCursor(s_iCursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
        // A hidden cursor is the full-screen game's: the mouse then reports
        // raw movement, as DirectInput does, instead of a pointer that is
        // warped back to the middle (each warp would be reported as a
        // movement of its own and undo the player's). Without a real display
        // this is not available and the warp stays.
        if (s_iWindows > 0 && !d3d9::IsHeadless())
            SDL_SetRelativeMouseMode(s_iCursorCount < 0 ? SDL_TRUE : SDL_FALSE);
    }
    return s_iCursorCount;
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    const std::string utf8Text = aeCp1252ToUtf8(text ? text : "");
    const std::string utf8Caption = aeCp1252ToUtf8(caption ? caption : "");
    const UINT buttons = type & 0x0F;
    const int first = buttons == MB_YESNO ? IDYES : IDOK;
    const int second = buttons == MB_YESNO ? IDNO : IDCANCEL;
    const bool two = buttons == MB_YESNO || buttons == MB_OKCANCEL;

    if (s_iVideoUsers > 0 && !d3d9::IsHeadless())
    {
        SDL_MessageBoxButtonData data[2] = {
            {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, first, buttons == MB_YESNO ? "Ja" : "OK"},
            {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, second, buttons == MB_YESNO ? "Nein" : "Abbrechen"}};
        Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
        const UINT icon = type & 0xF0;
        if (icon == MB_ICONHAND)
            flags = SDL_MESSAGEBOX_ERROR;
        else if (icon == MB_ICONEXCLAMATION)
            flags = SDL_MESSAGEBOX_WARNING;
        const SDL_MessageBoxData box = {flags,
                                        aeIsWindow(owner) ? owner->pSdl : nullptr,
                                        utf8Caption.c_str(),
                                        utf8Text.c_str(),
                                        two ? 2 : 1,
                                        data,
                                        nullptr};
        int pressed = 0;
        if (SDL_ShowMessageBox(&box, &pressed) == 0)
            return pressed >= 0 ? pressed : second;
    }
    aeConsolePrint(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    return first;
}
