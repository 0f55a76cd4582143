#pragma once
// Directory search and the small path helpers every module uses.

// Receives 1 and the full path of a file, or 0 and the path with a backslash
// appended for a directory; returns non-zero to go on, 0 to stop.
typedef int (*aeDirectoryCallback)(int isFile, char* path);

// Enumerates directory + pattern ("*" without a pattern). directory ends with a
// backslash. 1 when the enumeration ended or the callback stopped it, 0 on an
// error (nothing matched, or the directory cannot be read).
int aeSearchDirectory(const char* directory, aeDirectoryCallback callback, const char* pattern, int filesOnly);

// The part of path behind its last backslash, or path itself.
char* RemoveDir(char* path);
const char* RemoveDir(const char* path);
// The part of path behind its last dot, or path itself.
char* GetFilenameExtension(char* path);
const char* GetFilenameExtension(const char* path);
// 1 if the file can be opened for reading.
int FileExists(const char* path);
