#include "aeUserName.h"
#include "aeText.h"

#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <string>
#include <unistd.h>

int aeGetUserName(char* buffer, int size)
{
    if (!buffer || size <= 0)
        return 0;
    buffer[0] = 0;
    const char* name = std::getenv("UserName");
    if (!name || !name[0])
        name = std::getenv("USER");
    if (!name || !name[0])
    {
        const passwd* pw = getpwuid(getuid());
        name = pw ? pw->pw_name : nullptr;
    }
    if (!name)
        return 0;
    const std::string text = aeUtf8ToCp1252(name);
    int length = 0;
    for (char c : text)
    {
        if (length >= size - 1)
            break;
        const unsigned char u = static_cast<unsigned char>(c);
        buffer[length++] = (c == '/' || c == '\\' || u < 32 || u == 127) ? '_' : c;
    }
    buffer[length] = 0;
    return length;
}
