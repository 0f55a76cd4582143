#pragma once
// Archives: ZIP files of stored entries, walked front to back over their local
// headers; every entry reaches the callback as a VFile of its own.

class VFile;

typedef void (*aeArchiveCallback)(VFile* entry, char* name);

// Walks archive from its cursor; 1 when the walk ended normally, 0 on an error
// (entries handed over before the error stay with the callback).
int aeReadArchive(VFile* archive, aeArchiveCallback callback);
