#pragma once
// The name of the user playing, in Windows-1252, for proposals such as the
// name of a savegame: the environment variable "UserName" when it is set, else
// the login name ($USER, else the account's name). Characters that cannot
// stand in a file name (path separators, control characters) become '_'.

// Writes at most size - 1 characters and a terminating zero. Returns the
// length, 0 when no name is known (the buffer is then empty).
int aeGetUserName(char* buffer, int size);
