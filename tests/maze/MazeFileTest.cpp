// Reading and writing maps: the smallest maps byte for byte, round trips with
// resolved resources, and the refusal of maps that cannot be right.

#include "MazeTestUtil.h"

using namespace mazetest;

namespace
{
// The smallest map: 1 x 1, no records, no exit block.
std::string Smallest()
{
    const unsigned char header[28] = {1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0x20, 0x41, 0, 0, 0x20, 0x41,
                                      0xCD, 0xCC, 0x4C, 0x3D, 0, 0, 0, 0, 0, 0, 0, 0};
    return std::string(reinterpret_cast<const char*>(header), 28) + std::string(3 + 20, '\0') + std::string(28, '\xFF');
}

void Put(std::string& bytes, size_t at, int32_t value) { std::memcpy(&bytes[at], &value, 4); }

class MazeFile : public MazeFixture
{
protected:
    // A map that uses every block, with names that resolve in the data directory.
    static aeMapData Full()
    {
        aeMapData m;
        m.width = 3;
        m.height = 2;
        m.depth = 7.5f;
        m.speed = 12.0f;
        m.fog = 0.02f;
        m.startX = 2;
        m.startY = 1;
        m.music = "..\\music\\theme.ogg";
        m.data = DataDir();
        m.sky = "sky.ran";
        m.quests = {{"Finde den Schlüssel", 0, 0, 2, 1}, {"Öffne das Tor", 1, 1, 1, 1}};
        m.objects = {{"door.ran", 4, 2, 0, "hum.rvs", {{1, 1, 0, 1}, {2, 0, 9, 0}}, {-5, -4, 5, 4}}};
        m.walls = {{"wall.ran", 0, 0, 0, "", {}, {1.5f, 0, 0, 0}}, {"wall.ran", 1, 1, 1, "click.rvs", {{0, 0, 6, 1}}, {}}};
        m.floors = {{"wall.ran", 2, 0, 1, "click.rvs", {}, {}}};
        m.ceilings = {{"wall.ran", 3, 1, 0, "", {}, {12.0f, 0, 0, 0}}};
        Field(m, 0, 0) = {0, 0, 0, 1, -1, -1, -1};
        Field(m, 1, 1) = {0, -1, -1, -1, 1, 0, 0};
        Field(m, 2, 1) = {0, 0, 1, 1, 1, 1, -1};
        m.hasExit = true;
        m.exitX = 1;
        m.next = "Level2.hwm";
        return m;
    }
};
}

TEST_F(MazeFile, SmallestMapsAre79And88BytesAndLoadWithDefaults)
{
    const std::string bytes = Smallest();
    ASSERT_EQ(bytes.size(), 79u);
    EXPECT_EQ(bytes, Build(aeMapData()));
    ASSERT_EQ(Load(bytes), 1);
    EXPECT_EQ(aeMaze::GetWidth(), 1);
    EXPECT_EQ(aeMaze::GetHeight(), 1);
    EXPECT_FLOAT_EQ(aeMaze::GetFog(), 0.05f);
    EXPECT_STREQ(aeMaze::GetDataPath(), "..\\data\\");
    EXPECT_STREQ(aeMaze::GetMusicFilename(), "");
    EXPECT_EQ(aeMaze::GetMusic(), nullptr);
    EXPECT_EQ(aeMaze::GetSkyAnimation()->GetAnimation(), nullptr);
    EXPECT_STREQ(aeMaze::GetNextMap(), "");
    EXPECT_EQ(aeMaze::GetField(0)->m_iObject, -1);
    // Written back: the data directory spelled out and the exit block added.
    const std::string withExit = bytes + std::string(9, '\0');
    EXPECT_EQ(Save(), bytes.substr(0, 29) + "\x08..\\data\\" + withExit.substr(30));
    // The empty exit block loads the same.
    ASSERT_EQ(Load(withExit), 1);
    EXPECT_EQ(aeMaze::GetNextMapX(), 0);
    EXPECT_STREQ(aeMaze::GetNextMap(), "");
    EXPECT_EQ(aeMaze::Init(static_cast<VFile*>(nullptr)), 0);
    EXPECT_EQ(aeMaze::Save(nullptr), 0);
    EXPECT_EQ(aeMaze::GetWidth(), 1);
}

// A grid big enough to be filled by two threads comes out whole: every field
// of both halves has its indices and its players, and it saves byte for byte.
TEST_F(MazeFile, AGridFilledByTwoThreadsIsWhole)
{
    aeMapData m = Full();
    const std::vector<aeMapField> tile = m.fields;
    m.width = m.height = 256;
    m.fields.resize(256 * 256);
    for (size_t i = 0; i < m.fields.size(); ++i)
        m.fields[i] = tile[i % tile.size()];
    const std::string bytes = Build(m);
    ASSERT_EQ(Load(bytes), 1);
    EXPECT_EQ(Save(), bytes);
    int different = 0;
    for (int i = 0; i < 256 * 256; ++i)
        for (int slot = 0; slot < AE_NUM_SLOTS; ++slot)
        {
            const aeAnimationPlayer& a = aeMaze::m_pFields[i].m_aAnimations[slot];
            const aeAnimationPlayer& b = aeMaze::m_pFields[i % tile.size()].m_aAnimations[slot];
            different += a.GetAnimation() != b.GetAnimation() || a.m_fSpeed != b.m_fSpeed || a.m_bLoop != b.m_bLoop;
        }
    EXPECT_EQ(different, 0);
    EXPECT_NE(aeMaze::m_pFields[65531].m_aAnimations[AE_SLOT_FLOOR].GetAnimation(), nullptr);
}

TEST_F(MazeFile, FullMapRoundTripsByteForByte)
{
    aeMapData m = Full();
    const std::string bytes = Build(m);
    ASSERT_EQ(Load(bytes), 1);
    EXPECT_EQ(aeMaze::GetStartX(), 2);
    EXPECT_FLOAT_EQ(aeMaze::GetFloorDepth(), 7.5f);
    EXPECT_EQ(aeMaze::GetNumQuests(), 2);
    EXPECT_STREQ(aeMaze::GetQuest(1)->m_acText, "Öffne das Tor");
    EXPECT_EQ(aeMaze::GetQuest(0)->m_iState, 0);
    const aeObject* o = aeMaze::GetObject(0);
    ASSERT_NE(o->m_pAnimation, nullptr);
    EXPECT_FLOAT_EQ(o->m_pAnimation->GetTime(), 2.0f);
    ASSERT_NE(o->m_pSound, nullptr);
    EXPECT_STREQ(o->m_pSound->GetName(), "hum.rvs");
    EXPECT_EQ(o->m_aConditions.GetNumElements(), 2);
    EXPECT_EQ(o->m_aConditions[1]->m_iType, 9);
    EXPECT_FLOAT_EQ(o->m_vMin.y, -4.0f);
    EXPECT_FLOAT_EQ(aeMaze::GetWall(0)->m_fThickness, 1.5f);
    EXPECT_EQ(aeMaze::GetWall(0)->m_pSound, nullptr);
    EXPECT_FLOAT_EQ(aeMaze::GetCeiling(0)->m_fHeight, 12.0f);
    EXPECT_EQ(aeMaze::GetField(2, 1)->m_aiWalls[3], 1);
    EXPECT_EQ(aeMaze::GetNextMapX(), 1);
    EXPECT_STREQ(aeMaze::GetNextMap(), "Level2.hwm");
    // Update(0) prepared the players: mode 2 loops, mode 0 stands still.
    const aeMazeField* f = aeMaze::GetField(1, 1);
    EXPECT_EQ(f->m_aAnimations[AE_SLOT_OBJECT].m_bLoop, 1);
    EXPECT_EQ(f->m_aAnimations[AE_SLOT_FLOOR].m_fSpeed, 0.0f);
    EXPECT_EQ(aeMaze::GetSkyAnimation()->m_bLoop, 1);
    ASSERT_NE(aeMaze::GetSkyAnimation()->GetAnimation(), nullptr);
    EXPECT_EQ(o->m_pSound->GetAvailableBuffer(), 0); // loading started no sound
    EXPECT_EQ(Save(), bytes);
    // Without its exit block the next map is gone.
    aeMaze::Exit();
    m.hasExit = false;
    ASSERT_EQ(Load(Build(m)), 1);
    EXPECT_STREQ(aeMaze::GetNextMap(), "");
    EXPECT_EQ(aeMaze::GetNextMapX(), 0);
    EXPECT_EQ(aeMaze::GetNextMapY(), 0);
    // Names that do not resolve come back empty.
    m.hasExit = true;
    m.objects[0].animation = "missing.ran";
    m.walls[1].sound = "missing.rvs";
    m.sky = "nosky.ran";
    ASSERT_EQ(Load(Build(m)), 1);
    EXPECT_EQ(aeMaze::GetObject(0)->m_pAnimation, nullptr);
    EXPECT_EQ(aeMaze::GetWall(1)->m_pSound, nullptr);
    EXPECT_EQ(aeMaze::GetSkyAnimation()->GetAnimation(), nullptr);
    m.objects[0].animation = m.walls[1].sound = m.sky = "";
    EXPECT_EQ(Save(), Build(m));
    // The maze reads a file only up to the end of its map.
    const std::string longer = bytes + "xyz";
    VFile file(longer.data(), static_cast<int>(longer.size()));
    aeMaze::Exit();
    ASSERT_EQ(aeMaze::Init(&file), 1);
    EXPECT_EQ(file.GetRemaining(), 3);
    // The parser gives the same report with or without a structure to fill.
    const auto* data = reinterpret_cast<const unsigned char*>(longer.data());
    aeMapData parsed;
    aeMapCheckResult withMap{}, checkOnly{};
    EXPECT_EQ(aeParseMap(data, static_cast<int>(longer.size()), &parsed, nullptr, nullptr, &withMap), 1);
    EXPECT_EQ(aeCheckMap(data, static_cast<int>(longer.size()), nullptr, nullptr, &checkOnly), 1);
    EXPECT_EQ(std::memcmp(&withMap, &checkOnly, sizeof(withMap)), 0);
    EXPECT_EQ(withMap.iWarnings, 2);  // condition bit 9, the trailing bytes
    EXPECT_EQ(withMap.iSize, static_cast<int>(bytes.size()));
}

TEST_F(MazeFile, NegativeCountsAreEmptyListsAndTheExitBlockIsOptional)
{
    aeMapData m;
    std::string bytes = Build(m);
    Put(bytes, 31, -7); // the quest count, behind the header and three empty strings
    ASSERT_EQ(Load(bytes), 1);
    EXPECT_EQ(aeMaze::GetNumQuests(), 0);
    m.floors.resize(1);
    bytes = Build(m);
    Put(bytes, bytes.size() - 28 - 4 - 4, -7); // the floor's condition count, before the field table
    ASSERT_EQ(Load(bytes), 1);
    EXPECT_EQ(aeMaze::GetFloor(0)->m_aConditions.GetNumElements(), 0);
    m = aeMapData();
    m.width = 2;
    m.height = 3;
    m.startX = 1;
    m.startY = 2;
    ASSERT_EQ(Load(Build(m)), 1);
    EXPECT_EQ(aeMaze::GetStartY(), 2);
}

TEST_F(MazeFile, ImpossibleMapsAreRefusedAndLeaveAnEmptyMaze)
{
    auto with = [](auto change) {
        aeMapData m;
        m.width = m.height = 2;
        m.hasExit = true;
        m.quests = {{"q", 0, 0, 1, 1}};
        m.walls.resize(1);
        m.walls[0].animation = "w";
        change(m);
        return Build(m);
    };
    const std::string plain = with([](aeMapData&) {});
    std::string big = plain, hundred = plain, quests = plain;
    Put(big, 0, 65536);
    Put(big, 4, 65536);
    Put(hundred, 0, 100);
    Put(hundred, 4, 100);
    Put(quests, 31, 1000000000);
    std::string music = with([](aeMapData& m) { m.quests.clear(); });
    music[28] = static_cast<char>(200); // music name longer than the file
    const std::pair<std::string, const char*> cases[] = {
        {with([](aeMapData& m) { m.width = 0; m.fields.clear(); }), "Unmögliche Größe"},
        {with([](aeMapData& m) { m.height = -1; m.fields.clear(); }), "Unmögliche Größe"},
        {big, "Unmögliche Größe"},
        {hundred, "Feldtabelle"},
        {quests, "Unmögliche Anzahl 1000000000"},
        {music.substr(0, 100), "reicht über das Dateiende"},
        {with([](aeMapData& m) { Field(m, 1, 0)[0] = 0; }), "Boden-Index 0"},
        {with([](aeMapData& m) { Field(m, 1, 1)[5] = 1; }), "Wand 3-Index 1"},
        {with([](aeMapData& m) { Field(m, 0, 1)[3] = -2; }), "Wand 1-Index -2"},
        {with([](aeMapData& m) { Field(m, 0, 0)[6] = 0; }), "Objekt-Index 0"},
        {with([](aeMapData& m) { m.width = m.height = 3; Field(m, 2, 2)[1] = 0; }), "Feld (2, 2): Decke-Index 0"},
        {with([](aeMapData& m) { m.startX = 2; }), "Das Startfeld (2, 0)"},
        {with([](aeMapData& m) { m.startY = -1; }), "Das Startfeld (0, -1)"},
        {with([](aeMapData& m) { m.exitY = 5; }), "Das Zielfeld (0, 5)"},
        {plain.substr(0, 60), "endet vorzeitig"},
        {plain.substr(0, plain.size() - 9 - 10), "Feldtabelle"},
        {plain.substr(0, plain.size() - 3), "Zielblock"},
        {plain.substr(0, 10), "endet vorzeitig"},
        {std::string(), "endet vorzeitig"},
    };
    for (const auto& [bytes, message] : cases)
    {
        SCOPED_TRACE(message);
        ASSERT_EQ(Load(Smallest()), 1);
        test::LogCapture log("maze");
        EXPECT_EQ(Load(bytes), 0);
        EXPECT_GT(aeLog::m_iNumErrors, 0);
        EXPECT_TRUE(log.Contains("aeMaze::Init")) << log.Text();
        EXPECT_TRUE(log.Contains(aeUtf8ToCp1252(message))) << log.Text();
        EXPECT_EQ(aeMaze::m_pFields, nullptr);
        EXPECT_EQ(aeMaze::GetWidth() + aeMaze::GetHeight(), 0);
        EXPECT_EQ(aeMaze::GetNumFloors() + aeMaze::GetNumWalls() + aeMaze::GetNumCeilings() +
                      aeMaze::GetNumObjects() + aeMaze::GetNumQuests(), 0);
        EXPECT_STREQ(aeMaze::GetNextMap(), "");
        aeMaze::Exit();
        aeMaze::Exit();
    }
    // Many bad indices are reported briefly.
    aeMapData m;
    m.width = m.height = 20;
    for (int i = 0; i < 400; ++i)
        Field(m, i % 20, i / 20)[0] = 3;
    test::LogCapture log("many");
    EXPECT_EQ(Load(Build(m)), 0);
    EXPECT_EQ(aeLog::m_iNumErrors, 11);
    EXPECT_TRUE(log.Contains("390 weitere Fehler"));
}

TEST_F(MazeFile, InitWithSizeMakesAnEmptyMaze)
{
    ASSERT_EQ(aeMaze::Init(5, 4), 1);
    EXPECT_FLOAT_EQ(aeMaze::GetSpeed(), 10.0f);
    const aeMazeField* f = aeMaze::GetField(2, 1);
    EXPECT_EQ(f, aeMaze::GetField(7));
    for (int i : {f->m_iFloor, f->m_iCeiling, f->m_aiWalls[0], f->m_aiWalls[3], f->m_iObject})
        EXPECT_EQ(i, -1);
    EXPECT_EQ(f->m_byActivated | f->m_byAnimating, 0);
    int x = -1, y = -1;
    EXPECT_EQ(aeMaze::GetFieldXY(f, &x, &y), 1);
    EXPECT_EQ(x, 2);
    EXPECT_EQ(y, 1);
    aeMazeField outside;
    EXPECT_EQ(aeMaze::GetFieldXY(&outside, &x, &y), 0);
    EXPECT_EQ(aeMaze::GetFieldXY(aeMaze::GetField(20), &x, &y), 0);
    EXPECT_EQ(x, 2);
    EXPECT_EQ(aeMaze::GetWall(-1), nullptr);
    EXPECT_EQ(aeMaze::GetFieldCenter(0, 0), Vector3(40.0f, 0.0f, 30.0f));
    test::LogCapture log("init");
    EXPECT_EQ(aeMaze::Init(0, 3), 0);
    EXPECT_EQ(aeMaze::m_pFields, nullptr);
    EXPECT_EQ(aeMaze::Init(100000, 100000), 0);
    EXPECT_EQ(aeMaze::GetFieldXY(aeMaze::GetField(0), &x, &y), 0);
}
