#pragma once
// Text for the terminal: the system's Windows-1252 messages in the encoding
// the user's locale gives the terminal (UTF-8, Latin-1 or plain ASCII).

#include <cstdio>
#include <string>

// Windows-1252 text in the encoding of the locale that LC_ALL, LC_CTYPE and
// LANG name (UTF-8 when they name none or one this system does not know).
std::string aeCp1252ToConsole(const char* text);

// printf-style: formats Windows-1252 text and writes it to stream in the
// terminal's encoding.
void aeConsolePrint(FILE* stream, const char* format, ...) __attribute__((format(printf, 2, 3)));
