#include "aeIPAddress.h"

#include <cstdio>

aeIPAddress::aeIPAddress(BYTE b1, BYTE b2, BYTE b3, BYTE b4) : m_dwAddress(0)
{
    BYTE* bytes = reinterpret_cast<BYTE*>(&m_dwAddress);
    bytes[0] = b1;
    bytes[1] = b2;
    bytes[2] = b3;
    bytes[3] = b4;
}

aeIPAddress::aeIPAddress(const char* name) : m_dwAddress(0xFFFFFFFFu)
{
    DWORD address;
    if (aeResolveIPv4(name, &address))
        m_dwAddress = address;
}

char* aeIPAddress::ToString(char* buffer) const
{
    if (buffer)
        std::snprintf(buffer, 16, "%d.%d.%d.%d", GetB1(), GetB2(), GetB3(), GetB4());
    return buffer;
}
