#pragma once
// A savegame file: the path of its map (a length byte and its characters),
// then the maze's part, whose layout follows from that map.

class VFile;

// Writes the head of a savegame for the map path.
int WriteSavegameHeader(VFile* file, const char* map);
// Reads the head: map (256 bytes) gets the path, empty when the head names
// none. 0 when the file ends inside the head.
int ReadSavegameHeader(VFile* file, char* map);
