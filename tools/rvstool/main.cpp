// rvstool: turns a WAV file into an RVS sound file for the engine and back,
// and shows the header of an RVS file.
//
//   rvstool wav2rvs [options] <in.wav> <out.rvs>
//       --3d                 a 3D sound (stereo input is mixed down to mono)
//       --buffers N          instances that may sound at once (1 ... 256, default 1)
//       --min D, --max D     minimum and maximum distance of a 3D sound (default 1, 1e9)
//       --algorithm A        3D algorithm: 0 none, 1 HRTF light, 2 HRTF full (default 0)
//       --no-volume          buffers without volume control
//       --no-frequency       buffers without frequency control
//   rvstool rvs2wav <in.rvs> <out.wav>
//   rvstool info <in.rvs>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "RvsWav.h"
#include "ToolMain.h"

namespace
{
using tool::Print;

bool ReadAll(const char* path, std::string* bytes)
{
    return tool::ReadAll("rvstool", path, bytes);
}

bool WriteAll(const char* path, const std::string& bytes)
{
    return tool::WriteAll("rvstool", path, bytes);
}

int Usage()
{
    Print(stderr, "Aufruf:\n"
                  "  rvstool wav2rvs [--3d] [--buffers N] [--min D] [--max D] [--algorithm A]\n"
                  "                  [--no-volume] [--no-frequency] <sound.wav> <sound.rvs>\n"
                  "  rvstool rvs2wav <sound.rvs> <sound.wav>\n"
                  "  rvstool info <sound.rvs>\n");
    return 2;
}

bool Number(const char* text, double* value)
{
    char* end = nullptr;
    *value = std::strtod(text, &end);
    return end != text && *end == 0;
}

int Fail(const std::string& error)
{
    Print(stderr, "rvstool: " + error + "\n");
    return 1;
}
}

int main(int argc, char** argv)
{
    if (argc < 3)
        return Usage();
    const std::string command = argv[1];
    if (command == "wav2rvs")
    {
        rvswav::Options options;
        int i = 2;
        for (; i < argc && argv[i][0] == '-' && argv[i][1] == '-'; ++i)
        {
            const std::string option = argv[i];
            double value = 0.0;
            if (option == "--3d")
                options.is3D = true;
            else if (option == "--no-volume")
                options.volumeControl = false;
            else if (option == "--no-frequency")
                options.frequencyControl = false;
            else if ((option == "--buffers" || option == "--min" || option == "--max" || option == "--algorithm") &&
                     i + 1 < argc && Number(argv[i + 1], &value))
            {
                ++i;
                if (option == "--min" || option == "--max")
                    (option == "--min" ? options.minDistance : options.maxDistance) = static_cast<float>(value);
                else if (value < 0.0 || value > 4294967295.0 || value != static_cast<double>(static_cast<long long>(value)))
                    return Fail("Der Wert von " + option + " muss eine ganze Zahl sein!");
                else
                    (option == "--buffers" ? options.buffers : options.algorithm) = static_cast<uint32_t>(value);
            }
            else
                return Usage();
        }
        if (argc - i != 2)
            return Usage();
        std::string bytes, rvs, error;
        if (!ReadAll(argv[i], &bytes))
            return 2;
        rvswav::Sound sound;
        if (!rvswav::ReadWav(bytes, &sound, &error) || !rvswav::ToRvs(sound, options, &rvs, &error))
            return Fail(error);
        if (options.is3D && sound.channels == 2)
            Print(stderr, "rvstool: Stereo wurde für den 3D-Sound zu Mono gemischt.\n");
        return WriteAll(argv[i + 1], rvs) ? 0 : 2;
    }
    if ((command == "rvs2wav" && argc == 4) || (command == "info" && argc == 3))
    {
        std::string bytes, error;
        if (!ReadAll(argv[2], &bytes))
            return 2;
        rvswav::Sound sound;
        rvswav::Options options;
        if (!rvswav::FromRvs(bytes, &sound, &options, &error))
            return Fail(error);
        if (command == "info")
        {
            Print(stdout, rvswav::Describe(sound, options));
            return 0;
        }
        return WriteAll(argv[3], rvswav::WriteWav(sound)) ? 0 : 2;
    }
    return Usage();
}
