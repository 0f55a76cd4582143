#pragma once
// The desktop's "open" verb: hands a web address or a file (Windows-1252 text)
// to the user's preferred program through xdg-open, without waiting for it.

// 1 when the opener was started, 0 when it could not be.
int aeShellOpen(const char* target);

// Tests put a receiver of the target in place of the opener; null restores
// xdg-open. The receiver's result is aeShellOpen's.
typedef int (*aeShellOpenHook)(const char* target);
void aeSetShellOpenHook(aeShellOpenHook hook);
