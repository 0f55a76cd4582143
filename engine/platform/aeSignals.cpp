#include "aeSignals.h"

#include <csignal>
#include <signal.h>

void aeSetTerminationHandler(void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler ? handler : SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}
