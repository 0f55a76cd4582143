#pragma once
// An IPv4 address as the network layer passes it around: one 32-bit value in
// network byte order, so that its first byte is the first number of the dotted
// form. All bits set (255.255.255.255) means none or not resolved.

#include "aeSocket.h"

class aeIPAddress
{
public:
    aeIPAddress() : m_dwAddress(0xFFFFFFFFu) {}
    // The address exactly as stored (network byte order).
    explicit aeIPAddress(DWORD address) : m_dwAddress(address) {}
    aeIPAddress(BYTE b1, BYTE b2, BYTE b3, BYTE b4);
    // The first IPv4 address of a host name or dotted address; none if the
    // name cannot be resolved.
    explicit aeIPAddress(const char* name);

    // Writes "b1.b2.b3.b4" into buffer (16 bytes) and returns it.
    char* ToString(char* buffer) const;

    BYTE GetB1() const { return Byte(0); }
    BYTE GetB2() const { return Byte(1); }
    BYTE GetB3() const { return Byte(2); }
    BYTE GetB4() const { return Byte(3); }
    DWORD GetAddress() const { return m_dwAddress; }
    int IsValid() const { return m_dwAddress != 0xFFFFFFFFu; }

    bool operator==(const aeIPAddress& other) const { return m_dwAddress == other.m_dwAddress; }
    bool operator!=(const aeIPAddress& other) const { return m_dwAddress != other.m_dwAddress; }

    DWORD m_dwAddress;

private:
    BYTE Byte(int i) const { return reinterpret_cast<const BYTE*>(&m_dwAddress)[i]; }
};
