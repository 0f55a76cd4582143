// Writes the generated seed inputs of the fuzz targets:
//   fuzz_seeds <corpus folder> [<map.hwm> ...]
// into <corpus folder>/<target>/: savegames of the given maps (fresh and with
// fields and quests in every state), configuration files written by the
// registry stand-in itself, and network streams of framed packets.

#include "FuzzSupport.h"
#include "VFile.h"
#include "aeMaze.h"
#include "aeRegistry.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace
{
void WriteSeed(const std::string& dir, const std::string& name, const std::string& bytes)
{
    std::filesystem::create_directories(dir);
    std::ofstream(dir + "/" + name, std::ios::binary) << bytes;
}

std::string Bytes(const VFile& file)
{
    return std::string(reinterpret_cast<const char*>(file.GetBuffer()), static_cast<size_t>(file.GetSize()));
}

std::string Length(uint32_t n)
{
    const char b[4] = {static_cast<char>(n), static_cast<char>(n >> 8), static_cast<char>(n >> 16),
                       static_cast<char>(n >> 24)};
    return std::string(b, 4);
}

void SavegameSeeds(const std::string& out, const char* mapPath, int number)
{
    std::ifstream in(mapPath, std::ios::binary);
    const std::string map((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    VFile file(map.data(), static_cast<int>(map.size()));
    if (!aeMaze::Init(&file))
    {
        std::fprintf(stderr, "fuzz_seeds: %s ist keine ladbare Karte\n", mapPath);
        return;
    }
    for (int variant = 0; variant < 3; ++variant)
    {
        const int fields = aeMaze::m_iWidth * aeMaze::m_iHeight;
        for (int i = 0; i < fields; ++i)
        {
            aeMazeField* field = aeMaze::GetField(i);
            field->m_byActivated = variant == 0 ? 0 : static_cast<unsigned char>(variant == 1 ? (i % 3 ? 0 : 0xFF) : 0xFF);
            field->m_byAnimating = variant == 2 ? 0x7E : 0;
        }
        for (int i = 0; i < aeMaze::m_aQuests.GetNumElements(); ++i)
            aeMaze::m_aQuests[i]->m_iState = (variant + i) % 3;
        aeMaze::m_bWon = variant == 2;
        VFile savegame;
        aeMaze::SaveSavegame(&savegame);
        WriteSeed(out + "/savegame", "map" + std::to_string(number) + "-" + std::to_string(variant),
                  Length(static_cast<uint32_t>(map.size())) + map + Bytes(savegame));
    }
    aeMaze::Exit();
}

void ConfigSeeds(const std::string& out)
{
    const std::string dir = std::filesystem::temp_directory_path() / "halvoran-fuzz-seeds";
    std::filesystem::remove_all(dir);
    setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    const char* const key = "Software\\Kelmstone Games\\Halvoran\\";
    HKEY h = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr) != ERROR_SUCCESS)
        return;
    const std::pair<const char*, DWORD> values[] = {{"MultiSampling", 1},        {"CursorSpeed", 2},
                                                    {"3DGlasses", 0},            {"ResolutionWidth", 1024},
                                                    {"ResolutionHeight", 768},   {"Name mit \"Zeichen\\", 0xFFFFFFFF},
                                                    {"Größe", 7}};
    for (const auto& [name, value] : values)
        RegSetValueExA(h, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    RegCloseKey(h);
    std::ifstream in(aeRegistryFileForKey(key), std::ios::binary);
    WriteSeed(out + "/config", "written", std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
    std::filesystem::remove_all(dir);
}

void NetframeSeeds(const std::string& out)
{
    // The first byte chooses the size of the pieces the transport cuts.
    const std::string hello = "\x01" "Hallo";
    WriteSeed(out + "/netframe", "one", std::string(1, '\x03') + Length(6) + hello);
    WriteSeed(out + "/netframe", "three",
              std::string(1, '\x07') + Length(1) + "x" + Length(6) + hello + Length(300) + std::string(300, 'p'));
    WriteSeed(out + "/netframe", "cut", std::string(1, '\x00') + Length(6) + hello + Length(100) + "abc");
    WriteSeed(out + "/netframe", "invalid", std::string(1, '\x1f') + Length(0) + Length(6) + hello);
}
}

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "Aufruf: fuzz_seeds <Korpusordner> [<karte.hwm> ...]\n");
        return 2;
    }
    FuzzQuietLog();
    const std::string out = std::filesystem::absolute(argv[1]);
    std::vector<std::string> maps;
    for (int i = 2; i < argc; ++i)
        maps.push_back(std::filesystem::absolute(argv[i]));
    // Relative data paths of the maps name nothing from here.
    FuzzTempDirectory();
    for (size_t i = 0; i < maps.size(); ++i)
        SavegameSeeds(out, maps[i].c_str(), static_cast<int>(i));
    ConfigSeeds(out);
    NetframeSeeds(out);
    return 0;
}
