#include "aeResources.h"

#include <cstdlib>
#include <strings.h>

static int NameToId(const char* name)
{
    if (IS_INTRESOURCE(name))
        return static_cast<int>(reinterpret_cast<uintptr_t>(name));
    if (name[0] == '#' && name[1] >= '0' && name[1] <= '9')
        return std::atoi(name + 1);
    return -1;
}

int aeFindResource(HINSTANCE module, const char* name, const char* type,
                   const unsigned char** data, int* size)
{
    if (!module || !name || !type || !data || !size || !module->pEntries)
        return 0;
    const int id = NameToId(name);
    for (int i = 0; i < module->iNumEntries; ++i)
    {
        const aeResourceEntry& e = module->pEntries[i];
        if (!e.pType || strcasecmp(e.pType, type) != 0)
            continue;
        const bool match = (id >= 0) ? (!e.pName && e.iId == id)
                                     : (e.pName && strcasecmp(e.pName, name) == 0);
        if (!match)
            continue;
        *data = e.pBegin;
        *size = static_cast<int>(e.pEnd - e.pBegin);
        return 1;
    }
    return 0;
}
