// contentgen: makes the game's pictures, models, sounds, music and maps from
// readable recipes at build time (see content/README.md).
//
//   contentgen textures <recipe.txt> <output folder>
//   contentgen model    <recipe.txt> <model.rvm>
//   contentgen sounds   <recipe.txt> <output folder>      (WAV files)
//   contentgen music    <score.txt> <music.mp3|music.wav>
//   contentgen maze     <map.maze> <map.txt> [<preview.bmp>]

#include <cstdio>
#include <string>

#include "Common.h"

int main(int argc, char** argv)
{
    const std::string cmd = argc > 1 ? argv[1] : "";
    if (cmd == "textures" && argc == 4)
        return cg::Textures(argv[2], argv[3]);
    if (cmd == "model" && argc == 4)
        return cg::Models(argv[2], argv[3]);
    if (cmd == "sounds" && argc == 4)
        return cg::Sounds(argv[2], argv[3]);
    if (cmd == "music" && argc == 4)
    {
        const std::string out = argv[3];
        return cg::Music(argv[2], out, out.size() > 4 && out.substr(out.size() - 4) == ".wav");
    }
    if (cmd == "maze" && (argc == 4 || argc == 5))
        return cg::Maze(argv[2], argv[3], argc == 5 ? argv[4] : "");
    std::fprintf(stderr,
                 "Aufruf:\n  contentgen textures <rezept.txt> <ordner>\n  contentgen model <rezept.txt> <modell.rvm>\n"
                 "  contentgen sounds <rezept.txt> <ordner>\n  contentgen music <partitur.txt> <musik.mp3>\n"
                 "  contentgen maze <karte.maze> <karte.txt> [<vorschau.bmp>]\n");
    return 2;
}
