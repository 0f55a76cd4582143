#include "aeWindowHooks.h"

static aeWindowHooks s_Hooks = {nullptr, nullptr, nullptr};

void aeSetWindowHooks(const aeWindowHooks* hooks)
{
    s_Hooks = hooks ? *hooks : aeWindowHooks{nullptr, nullptr, nullptr};
}

int aePumpMessages()
{
    return s_Hooks.pfnPumpMessages ? s_Hooks.pfnPumpMessages() : 0;
}

void aeCentreAndHideCursor()
{
    if (s_Hooks.pfnCentreAndHideCursor)
        s_Hooks.pfnCentreAndHideCursor();
}

void aeShowSystemCursor()
{
    if (s_Hooks.pfnShowCursor)
        s_Hooks.pfnShowCursor();
}
