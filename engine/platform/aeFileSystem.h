#pragma once
// Files as the system names them: Windows-style paths ('\' separators) in
// Windows-1252, translated at every access to the UTF-8 paths of Linux.

#include <cstdio>
#include <string>

// "..\\maps\\a.hwm" -> "../maps/a.hwm", Windows-1252 bytes as UTF-8, moved
// by the redirects below.
std::string aeNativePath(const char* path);

// Redirects for an installed game, whose own tree is read-only: a relative
// folder of the system ("..\\savegame") and everything below it becomes the
// native folder nativeTarget; bare names in the working folder that match
// pattern (Windows wildcards, "*.log") are found in nativeTarget instead. The
// first redirect that fits wins. Set up once at start-up (aeUserFolders.h).
void aeRedirectFolder(const char* folder, const char* nativeTarget);
void aeRedirectFiles(const char* pattern, const char* nativeTarget);
void aeClearRedirects();

// fopen with a Windows mode string: 't' and 'c' (commit to disk on flush) are
// understood; files opened with 'c' are synced to disk by aeFileClose.
FILE* aeFileOpen(const char* path, const char* mode);
// Closes a stream; 0 when its buffered bytes could not be written, the sync
// of a committed stream failed or the close itself failed.
int aeFileClose(FILE* file);

// Replaces a file with data so that it survives a full disk and a crash: the
// bytes go to "<path>.tmp" beside it, the write, the sync and the close are
// all checked, and only then is the temporary file renamed over path and the
// folder synced. On any failure the old file stays byte for byte as it was,
// the temporary file is removed and 0 is returned (errno tells why).
int aeWriteFileAtomically(const char* path, const void* data, size_t size);
// The same for a path in the system's own form (UTF-8, '/' separators), as
// the tools get them on their command line.
int aeWriteNativeFileAtomically(const char* nativePath, const void* data, size_t size);

// Size in bytes from the file system's status query; 0 for a missing file.
long long aeFileSize(const char* path);
int aeFileRemove(const char* path);
// Gives a file a new name, replacing a file of that name in one step.
int aeFileRename(const char* from, const char* to);
int aeMakeDirectory(const char* path);

// Directory enumeration in the manner of FindFirstFileA/FindNextFileA.
// search is a directory followed by a pattern ("..\\maps\\*.hwm"); names come
// sorted as the original file system lists them (aeCompareFileNames), in
// Windows-1252, matched with Windows wildcard rules. aeFindFirst returns null when the directory cannot be read or nothing
// matches; aeFindNext returns 1 and the next name, or 0 when no more match.
struct aeFindHandle;
aeFindHandle* aeFindFirst(const char* search, char name[256]);
int aeFindNext(aeFindHandle* handle, char name[256]);
void aeFindClose(aeFindHandle* handle);

// The order of a folder listing: case-insensitive (letters compared in upper
// case, by their Unicode values), then by the bytes. <0, 0 or >0.
int aeCompareFileNames(const char* a, const char* b);

// Windows wildcard match: '*' any run, '?' one character, no case; a pattern
// ending in ".*" or "." also matches a name without a dot ("*.*" matches all).
int aeWildcardMatch(const char* pattern, const char* name);

// 1 when the folder that would hold the file path exists and may be written.
int aeFolderWritable(const char* path);

// 1 when path names a directory.
int aeDirectoryExists(const char* path);

// 1 when path names a file (not a directory) that can be opened for reading.
int aeFileReadable(const char* path);
