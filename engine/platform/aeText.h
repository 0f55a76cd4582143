#pragma once
// Conversions between the system's Windows-1252 text and UTF-8 at its edges.

#include <string>

// Windows-1252 to UTF-8. The five unassigned bytes map to the C1 controls of
// the same value, so every byte string has an exact UTF-8 form.
std::string aeCp1252ToUtf8(const char* text);
std::string aeCp1252ToUtf8(const char* text, size_t length);

// UTF-8 to Windows-1252. Characters without a Windows-1252 form become '?';
// invalid UTF-8 bytes are taken as Windows-1252 bytes unchanged.
std::string aeUtf8ToCp1252(const char* text);

// Unicode code point of a Windows-1252 byte.
unsigned int aeCp1252ToUnicode(unsigned char c);

// Lower case of a Windows-1252 letter (ASCII, the accented Latin letters,
// Š Œ Ž Ÿ); other bytes are returned unchanged.
unsigned char aeCp1252ToLower(unsigned char c);
