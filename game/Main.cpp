// The program's entry point: the game with its own resource table.

#include "Halvoran.h"

extern const aeResourceModule HalvoranResources;

int main(int argc, char** argv)
{
    return HalvoranMain(&HalvoranResources, argc, argv);
}
