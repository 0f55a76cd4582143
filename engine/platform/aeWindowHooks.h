#pragma once
// The points where the window layer plugs into the frame loop: its message pump
// and the system cursor. Without a window the pump reports nothing and the
// cursor calls do nothing.

struct aeWindowHooks
{
    // Handles every pending window message; returns 1 when a quit message was
    // among them.
    int (*pfnPumpMessages)();
    // Puts the system cursor in the middle of the screen and hides it.
    void (*pfnCentreAndHideCursor)();
    // Shows the system cursor.
    void (*pfnShowCursor)();
};

// Installs the hooks (copied); null removes them.
void aeSetWindowHooks(const aeWindowHooks* hooks);

int aePumpMessages();
void aeCentreAndHideCursor();
void aeShowSystemCursor();
