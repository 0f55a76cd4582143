#pragma once
// The file a program's log goes to. Several programs started in one folder
// (a host and its clients, say) must not write one log over each other: the
// first keeps the name it asks for, "<name>.log"; while it runs, the next one
// that asks for the same name writes "<name>-2.log", then "-3" and so on. A
// log is emptied only when no running program writes it any more (it holds
// an flock on it, which the system drops however the program ends).

#include <cstdio>

// Opens path (a name ending in ".log"; backslashes and Windows-1252 as for
// every file) or the first free numbered name beside it, emptied, for
// writing. Null if none can be opened. aeFileClose closes it.
FILE* aeLogFileOpen(const char* path);
// The name the last aeLogFileOpen took ("" before).
const char* aeLogFileName();
