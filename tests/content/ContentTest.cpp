// The shipped content: the game tree the build makes (maps, data
// directories, menu data, the program's built-in resources) is checked as
// the game will use it: map checks, name resolution, the campaign chain,
// the maze mechanics the maps use, loading through the engine, and every map
// drawn headless from three fields.

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "../maze/MazeTestUtil.h"
#include "../resources/ResourceTestUtil.h"
#include "ContentSupport.h"
#include "MazeView.h"

#include "Menu.h"
#include "ZipWriter.h"
#include "aeArchive.h"
#include "aeCamera.h"
#include "aeLog.h"

using namespace content;

namespace
{
const fs::path kTools = HALVORAN_TOOLS_DIR;
const char* const kKinds[4] = {"textures", "models", "animations", "sounds"};

// Entries of a stored ZIP archive, read by the engine's own reader.
std::map<std::string, std::string>* s_pEntries = nullptr;
void CollectEntry(VFile* entry, char* name)
{
    (*s_pEntries)[name] = std::string(reinterpret_cast<const char*>(entry->GetBuffer()), static_cast<size_t>(entry->GetSize()));
}
bool ReadZip(const fs::path& path, std::map<std::string, std::string>* entries)
{
    VFile zip;
    if (!zip.Init(path.string().c_str()))
        return false;
    s_pEntries = entries;
    const int ok = aeReadArchive(&zip, CollectEntry);
    s_pEntries = nullptr;
    return ok == 1;
}

// Everything one data directory offers, by kind: name -> file bytes.
struct DataDir
{
    std::map<std::string, std::string> items[4];
    int archives = 0, loose = 0;
    bool Has(int kind, const std::string& name) const { return items[kind].count(name) != 0; }
};
DataDir Scan(const fs::path& dir)
{
    DataDir d;
    for (int k = 0; k < 4; ++k)
    {
        if (!fs::is_directory(dir / kKinds[k]))
            continue;
        for (const auto& e : fs::directory_iterator(dir / kKinds[k]))
        {
            const std::string name = e.path().filename().string();
            if (e.path().extension() == ".zip")
            {
                std::map<std::string, std::string> entries;
                EXPECT_TRUE(ReadZip(e.path(), &entries)) << e.path();
                d.items[k].insert(entries.begin(), entries.end());
                ++d.archives;
            }
            else
            {
                d.items[k][name] = test::ReadBinary(e.path().string());
                ++d.loose;
            }
        }
    }
    return d;
}

// A path as a map stores it ("..\\data\\x\\"), seen from the game's bin/.
fs::path FromBin(std::string path)
{
    std::replace(path.begin(), path.end(), '\\', '/');
    return (kGame / "bin" / path).lexically_normal();
}

bool ForTests(const fs::path& map) { return map.filename().string()[0] == '_'; }

const maptext::Record& Rec(const maptext::Map& m, int block, int index) { return m.Block(block)[static_cast<size_t>(index)]; }
// Field table slot (floor, ceiling, walls 0-3, object) -> record block.
const int kBlockOfSlot[7] = {2, 3, 1, 1, 1, 1, 0};
// The player can stand there: a floor with nothing in the way.
bool Free(const maptext::Map& m, int x, int y) { return Index(m, x, y, 0) >= 0 && Index(m, x, y, 6) == -1; }
// Calls f(slot, record) for every record a field uses.
template <class F>
void ForEachFieldRecord(const maptext::Map& m, F f)
{
    for (int i = 0; i < m.width * m.height; ++i)
        for (int slot = 0; slot < 7; ++slot)
            if (const int r = m.fields[static_cast<size_t>(i)][static_cast<size_t>(slot)]; r >= 0)
                f(slot, Rec(m, kBlockOfSlot[slot], r));
}

ranimtext::Animation ParseAnimation(const std::string& bytes)
{
    ranimtext::Animation a;
    std::string error;
    EXPECT_TRUE(ranimtext::FromBinary(bytes, &a, &error)) << error;
    return a;
}
}

TEST(ContentTree, TheWholeGameTreeUnderFiftyMegabytesWithItsPicturesAndArchives)
{
    uintmax_t total = 0;
    for (const auto& e : fs::recursive_directory_iterator(kGame))
        if (e.is_regular_file())
            total += e.file_size();
    EXPECT_LT(total, 50u * 1024 * 1024);
    EXPECT_GT(total, 1u * 1024 * 1024);

    // The interface archive holds the in-game pictures and the cursor; Sieg.tga
    // carries real transparency: fully clear corners, opaque middle.
    std::map<std::string, std::string> entries;
    ASSERT_TRUE(ReadZip(kGame / "data/menu_interface/textures/interface.zip", &entries));
    std::set<std::string> names;
    for (const auto& [name, bytes] : entries)
        names.insert(name);
    EXPECT_EQ(names, (std::set<std::string>{"Button.bmp", "Cursor.bmp", "Sieg.tga"}));
    const std::string& tga = entries["Sieg.tga"];
    ASSERT_GT(tga.size(), 18u + 256u * 256u * 4u - 1);
    EXPECT_EQ(static_cast<unsigned char>(tga[18 + 3]), 0);
    EXPECT_EQ(static_cast<unsigned char>(tga[18 + (128 * 256 + 128) * 4 + 3]), 255);

    // Sprites and the title are cut out with the colour key (magenta); walls are not.
    auto magenta = [](const char* bmp) {
        const std::string f = test::ReadBinary((kGame / bmp).string());
        size_t count = 0;
        for (size_t i = 54; i + 2 < f.size(); i += 3)
            count += static_cast<unsigned char>(f[i]) == 0xFF && f[i + 1] == 0 && static_cast<unsigned char>(f[i + 2]) == 0xFF;
        return count;
    };
    EXPECT_GT(magenta("data/tutorial/textures/Flamme.bmp"), 100u);
    EXPECT_GT(magenta("data/tutorial/textures/Farn.bmp"), 100u);
    EXPECT_GT(magenta("data/menu_interface/textures/Halvoran.bmp"), 1000u);
    EXPECT_EQ(magenta("data/tutorial/textures/Wand.bmp"), 0u);
}

TEST(ContentMaps, TheCampaignRunsFromTheTutorialThatTeachesTheControlsToAVictory)
{
    // German text is stored as Windows-1252: "tödlich" with the byte F6.
    std::string all;
    for (const auto& q : ReadMap(kGame / "maps/Tutorial.hwm").quests)
        all += q.text + "\n";
    for (const char* word : {"W, A, S, D", "Maus", "E,", "Shift", "Hebel", "t\xF6" "dlich"})
        EXPECT_NE(all.find(word), std::string::npos) << word;

    // The campaign follows each map's successor; that it is played through
    // to victory, map by map, is shown by Campaign.EveryMapIsPlayedToItsExitAndTheLastToVictory.
    std::set<std::string> visited;
    for (fs::path map = kGame / "maps/Tutorial.hwm"; fs::is_regular_file(map) && visited.insert(map.filename().string()).second;)
    {
        const maptext::Map m = ReadMap(map);
        map = m.hasExit && !m.next.empty() ? FromBin(m.next) : fs::path();
    }
    EXPECT_GE(visited.size(), 3u);
    // Every map the menu offers is part of the campaign; a test map exists.
    int testMaps = 0;
    for (const auto& m : ShippedMaps())
    {
        testMaps += ForTests(m);
        EXPECT_TRUE(ForTests(m) || visited.count(m.filename().string())) << m;
    }
    EXPECT_GE(testMaps, 1);
}

// Every map passes the map tool, starts the player on a free field, has its
// preview and music, and every name resolves against its data directory;
// together the campaign's maps use every mechanic of the maze.
TEST(ContentMaps, EveryShippedMapPassesTheMapToolItsNamesResolveAndTogetherTheyUseEveryMechanic)
{
    std::set<float> thicknesses;
    bool floors = false, ceilings = false, blockingObjects = false, useDoor = false, leverDoor = false, leverTrap = false;
    bool killMode0 = false, killMode1 = false, twoWinTriggers = false, loopingSound3D = false, sky = false;
    bool sprite = false, animated = false, packed = false, loose = false, questsEverywhere = true;
    const auto maps = ShippedMaps();
    ASSERT_GE(maps.size(), 4u);
    for (const auto& map : maps)
    {
        SCOPED_TRACE(map.string());
        EXPECT_EQ(test::Shell("'" + (kTools / "maptool").string() + "' check '" + map.string() + "'"), 0);
        const maptext::Map m = ReadMap(map);
        EXPECT_TRUE(m.startX >= 0 && m.startX < m.width && m.startY >= 0 && m.startY < m.height);
        EXPECT_TRUE(Free(m, m.startX, m.startY));
        const bool campaign = !ForTests(map);
        if (campaign)
        {
            EXPECT_TRUE(fs::is_regular_file(fs::path(map).replace_extension(".bmp")));
            EXPECT_FALSE(m.music.empty());
            EXPECT_TRUE(fs::is_regular_file(FromBin(m.music))) << m.music;
        }
        const fs::path dir = FromBin(m.data.empty() ? "..\\data\\" : m.data);
        ASSERT_TRUE(fs::is_directory(dir)) << dir;
        const DataDir d = Scan(dir);
        for (int b = 0; b < 4; ++b)
            for (const auto& r : m.Block(b))
            {
                EXPECT_TRUE(d.Has(2, r.animation)) << "Animation " << r.animation;
                EXPECT_TRUE(r.sound.empty() || d.Has(3, r.sound)) << "Sound " << r.sound;
                for (const auto& c : r.conditions)
                    EXPECT_TRUE(c.x >= 0 && c.x < m.width && c.y >= 0 && c.y < m.height && c.bit >= 0 && c.bit <= 7);
            }
        EXPECT_TRUE(m.sky.empty() || d.Has(2, m.sky)) << "Himmel " << m.sky;
        // Inside the directory: every animation names a model or texture,
        // every model's textures exist.
        for (const auto& [name, bytes] : d.items[2])
            for (const auto& o : ParseAnimation(bytes).objects)
            {
                EXPECT_TRUE(d.Has(1, o.name) || d.Has(0, o.name)) << name << ": " << o.name;
                sprite |= campaign && d.Has(0, o.name) && o.type != 0;
                for (size_t k = 1; campaign && k < o.keys.size(); ++k)
                    animated |= o.keys[k].position[1] != o.keys[0].position[1] || o.keys[k].rotation[1] != o.keys[0].rotation[1] ||
                                o.keys[k].rotation[0] != o.keys[0].rotation[0];
            }
        for (const auto& [name, bytes] : d.items[1])
        {
            rvmtext::Model model;
            std::string error;
            ASSERT_TRUE(rvmtext::FromBinary(bytes, &model, &error)) << name;
            std::string report;
            EXPECT_TRUE(rvmtext::Check(model, &report)) << name << ": " << report;
            for (const auto& mat : model.materials)
                EXPECT_TRUE(mat.texture.empty() || d.Has(0, mat.texture)) << name << ": " << mat.texture;
        }
        if (!campaign)
            continue;

        // The mechanics this map uses.
        packed |= d.archives > 0 && d.loose == 0;
        loose |= d.archives == 0 && d.loose > 0;
        sky |= !m.sky.empty();
        bool opened = false;
        for (const auto& q : m.quests)
            opened |= q.bx != q.ex || q.by != q.ey;
        questsEverywhere &= m.quests.size() >= 2 && opened;
        int winTriggers = 0;
        ForEachFieldRecord(m, [&](int slot, const maptext::Record& rec) {
            floors |= slot == 0;
            ceilings |= slot == 1;
            if (slot >= 2 && slot <= 5)
                thicknesses.insert(rec.lead[0]);
            if (slot == 6)
            {
                blockingObjects |= rec.lead[2] > rec.lead[0] && rec.lead[3] > rec.lead[1];
                useDoor |= rec.action == 4 && rec.automatic == 0;
            }
            killMode0 |= rec.action == 1 && rec.mode == 0;
            killMode1 |= rec.action == 1 && rec.mode == 1;
            winTriggers += rec.action == 2;
            if (rec.mode == 2 && !rec.sound.empty() && d.Has(3, rec.sound))
                loopingSound3D |= d.items[3].at(rec.sound)[4] != 0;  // the RVS file's 3D flag
            // A condition on a wall slot of another field: a switch.
            for (const auto& c : rec.conditions)
                if (c.bit >= 2 && c.bit <= 5 && Index(m, c.x, c.y, c.bit) >= 0)
                {
                    leverDoor |= rec.action == 4;
                    leverTrap |= rec.action == 1;
                }
        });
        twoWinTriggers |= winTriggers >= 2;
    }
    EXPECT_GE(thicknesses.size(), 2u);
    EXPECT_TRUE(floors && ceilings && blockingObjects && sky);
    EXPECT_TRUE(useDoor) << "a door opened by the use control";
    EXPECT_TRUE(leverDoor) << "a lever wired to a door";
    EXPECT_TRUE(leverTrap) << "a lever wired to a trap";
    EXPECT_TRUE(killMode0 && killMode1) << "traps of modes 0 and 1";
    EXPECT_TRUE(twoWinTriggers);
    EXPECT_TRUE(loopingSound3D) << "a mode-2 element with a 3D sound";
    EXPECT_TRUE(sprite && animated);
    EXPECT_TRUE(packed && loose) << "one data directory in archives, one loose";
    EXPECT_TRUE(questsEverywhere);
}

namespace
{
using ContentEngine = content::Fixture;

double Luma(uint32_t c) { return 0.3 * ((c >> 16) & 0xFF) + 0.59 * ((c >> 8) & 0xFF) + 0.11 * (c & 0xFF); }
}

// The program's built-in resources load. The menu scene finds all its
// textures in the menu's data directory; seen from each page's camera once the
// flight has ended, each page shows its own, textured part of the hall.
TEST_F(ContentEngine, TheProgramsBuiltInResourcesLoadAndEachMenuPageSeesItsOwnPartOfTheHall)
{
    Open(320, 240, true);
    ASSERT_TRUE(m_bSound);
    aeDataLoader::Unload();
    ASSERT_EQ(aeDataLoader::Load((kGame / "data/menu_interface/").c_str(), AE_LOAD_TEXTURES), 1);
    ASSERT_GT(aeTextureManager::GetNumTextures(), 3);
    ASSERT_EQ(aeModelManager::Init(), 1);
    const std::string res = HALVORAN_CONTENT_RESOURCES;
    VFile menu((res + "/Menu.rvm").c_str());
    ASSERT_TRUE(menu.IsOpened());
    aeModel* model = nullptr;
    ASSERT_EQ(aeModelManager::AddModel(&menu, "Menu.rvm", &model), 1);
    ASSERT_NE(model, nullptr);
    // A material without its texture would be logged as an error by the menu
    // of Campaign.OptionsChangedInTheMenuLastIntoTheNextStartAndTheQuitPageEndsWithZero.

    const std::string shots = test::ScratchDir("pages") + "/";
    std::vector<std::vector<uint32_t>> pictures;
    for (int page = MENU_PAGE_MAIN; page <= MENU_PAGE_LOAD_GAME; ++page)
    {
        SCOPED_TRACE("page " + std::to_string(page));
        Vector3 eye, target;
        float separation = 0.0f;
        Menu::GetCameraPath(page, 1.0f, &eye, &target, &separation);
        Matrix view = MatrixCamera(eye, target, Vector3(0.0f, 1.0f, 0.0f));
        Matrix projection = MatrixProjection(1.2217305f, 1.0f, 0.1f, 250.0f);
        Matrix world = MatrixIdentity();
        aeGrafik::Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        aeGrafik::BeginScene();
        aeGrafik::SetCameraMatrix(&view);
        aeGrafik::SetProjectionMatrix(&projection);
        aeGrafik::SetWorldMatrix(&world);
        aeGrafik::SetRS(D3DRS_AMBIENT, 0xFFFFFFFF);
        aeGrafik::SetRS(D3DRS_LIGHTING, 1);
        model->Render(1);
        model->Render(2);
        aeGrafik::EndScene();
        pictures.push_back(ReadBackBuffer());
        aeGrafik::Screenshot(shots.c_str());
        aeGrafik::Present();
        // Textured: many colours, and the picture is mostly covered.
        std::set<uint32_t> colours;
        int black = 0;
        for (uint32_t p : pictures.back())
        {
            colours.insert(p & 0xF0F0F0);
            black += (p & 0xFFFFFF) == 0;
        }
        EXPECT_GT(colours.size(), 20u);
        EXPECT_LT(black, static_cast<int>(pictures.back().size()) / 4);
    }
    for (size_t a = 0; a < pictures.size(); ++a)
        for (size_t b = a + 1; b < pictures.size(); ++b)
        {
            int differing = 0;
            for (size_t i = 0; i < pictures[a].size(); ++i)
                differing += (pictures[a][i] & 0xE0E0E0) != (pictures[b][i] & 0xE0E0E0);
            EXPECT_GT(differing, static_cast<int>(pictures[a].size()) / 3) << "pages " << a << " and " << b;
        }

    for (const char* name : {"Kelmstone.rvs", "Quest.rvs"})
    {
        VFile sound((res + "/" + name).c_str());
        EXPECT_EQ(aeSoundManager::AddSound(&sound, const_cast<char*>(name), nullptr), 1) << name;
    }
    // The interface archive goes into the texture manager the way the game adds it.
    VFile zip("..\\data\\menu_interface\\textures\\interface.zip");
    EXPECT_EQ(aeTextureManager::AddTextureArchive(&zip, 0xFFFF00FF), 1);
    EXPECT_NE(aeTextureManager::GetTexture("Sieg.tga"), nullptr);
    EXPECT_NE(aeTextureManager::GetTexture("Button.bmp"), nullptr);
}

// Draws every map from its start field and two other fields, writes the
// engine's screenshots and checks that each shows a lit, textured scene with
// something above (ceiling or sky) and below (floor) the horizon.
TEST_F(ContentEngine, EveryMapIsDrawnFromItsStartAndTwoOtherFields)
{
    Open(320, 240, true);
    const std::string shots = test::ScratchDir("shots") + "/";
    for (const auto& map : ShippedMaps())
    {
        SCOPED_TRACE(map.string());
        const maptext::Map text = ReadMap(map);
        VFile file(map.string().c_str());
        // Every file of the map's data directory loads: a texture, model or
        // sound that does not, or a model texture not found, is logged as an error.
        const int errors = aeLog::m_iNumErrors;
        ASSERT_EQ(aeMaze::Init(&file), 1);
        EXPECT_EQ(aeLog::m_iNumErrors, errors);
        aeMaze::Update(0);
        const int n = text.width * text.height;
        auto free = [&](int i) { return Free(text, i % text.width, i / text.width); };
        std::vector<std::pair<int, int>> fields = {{text.startX, text.startY}};
        // the exit field, or else the last free floor field
        if (text.hasExit && !text.next.empty())
            fields.push_back({text.exitX, text.exitY});
        for (int i = n - 1; i >= 0 && fields.size() < 2; --i)
            if (free(i))
                fields.push_back({i % text.width, i / text.width});
        // and a free floor field in the middle of the grid
        for (int i = n / 2; i < n && fields.size() < 3; ++i)
            if (free(i))
                fields.push_back({i % text.width, i / text.width});
        ASSERT_EQ(fields.size(), 3u);
        for (const auto& [x, y] : fields)
        {
            SCOPED_TRACE("field " + std::to_string(x) + "," + std::to_string(y));
            // Look where no wall stands: towards row + 1, column + 1, row - 1, column - 1.
            const float pi = 3.14159265f;
            const std::pair<int, float> views[4] = {{4, 0.0f}, {5, pi / 2}, {2, pi}, {3, -pi / 2}};
            const auto view = std::find_if(std::begin(views), std::end(views), [&](const auto& v) { return Index(text, x, y, v.first) < 0; });
            aeCamera::Init(Vector2(0.0f, 0.0f), view != std::end(views) ? view->second : 0.0f, 0.0f);
            aeCamera::MoveToField(x, y);
            test::DrawMazeView(0.05f);
            const auto px = ReadBackBuffer();
            ASSERT_EQ(px.size(), 320u * 240u);
            aeGrafik::Screenshot(shots.c_str());
            aeGrafik::Present();
            std::set<uint32_t> colours;
            double sum = 0, sum2 = 0, top = 0, bottom = 0;
            for (size_t i = 0; i < px.size(); ++i)
            {
                const double l = Luma(px[i]);
                colours.insert(px[i] & 0xFFFFFF);
                sum += l;
                sum2 += l * l;
                top += i < px.size() / 6 ? l : 0;
                bottom += i >= px.size() - px.size() / 6 ? l : 0;
            }
            const double count = static_cast<double>(px.size()), mean = sum / count;
            EXPECT_GT(mean, 12.0);                                    // not blank
            EXPECT_GT(std::sqrt(sum2 / count - mean * mean), 8.0);    // not uniform
            EXPECT_GT(colours.size(), 300u);                          // textured, not flat shaded
            EXPECT_GT(top / (count / 6), 3.0);                        // ceiling or sky above
            EXPECT_GT(bottom / (count / 6), 8.0);                     // floor below
        }
        aeMaze::Exit();
    }
}

TEST(ContentPacker, StoredArchivesReadBackThroughTheEngine)
{
    const std::string dir = test::ScratchDir("zip");
    zipwriter::Writer writer;
    const std::string a = "erster Inhalt", b(70000, '\x5A');
    ASSERT_TRUE(writer.Add("A.txt", reinterpret_cast<const unsigned char*>(a.data()), static_cast<uint32_t>(a.size())));
    ASSERT_TRUE(writer.Add("T\xFC" "r.ran", reinterpret_cast<const unsigned char*>(b.data()), static_cast<uint32_t>(b.size())));
    EXPECT_FALSE(writer.Add("", nullptr, 0));
    ASSERT_EQ(writer.Finish((dir + "/w.zip").c_str()), 1);
    std::map<std::string, std::string> entries;
    ASSERT_TRUE(ReadZip(dir + "/w.zip", &entries));
    EXPECT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries["A.txt"], a);
    EXPECT_EQ(entries["T\xFC" "r.ran"], b);
    EXPECT_EQ(zipwriter::Crc32(reinterpret_cast<const unsigned char*>("123456789"), 9), 0xCBF43926u);

    // The command-line packer stores files under their names; unzip agrees.
    mazetest::WriteFile(fs::path(dir) / "x.bin", std::string("\0\1\2", 3));
    const auto zippack = [&](const std::string& args) { return test::Shell("'" + (kTools / "zippack").string() + "' " + args); };
    ASSERT_EQ(zippack("'" + dir + "/p.zip' '" + dir + "/x.bin' '" + dir + "/w.zip'"), 0);
    entries.clear();
    ASSERT_TRUE(ReadZip(dir + "/p.zip", &entries));
    EXPECT_EQ(entries["x.bin"], std::string("\0\1\2", 3));
    EXPECT_EQ(entries["w.zip"], test::ReadBinary(dir + "/w.zip"));
    EXPECT_EQ(test::Shell("unzip -tq '" + dir + "/p.zip'"), 0);
    EXPECT_NE(zippack("'" + dir + "/q.zip' '" + dir + "/fehlt'"), 0);  // a missing input is refused
}
