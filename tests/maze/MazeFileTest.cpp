// Reading and writing maps: the smallest maps byte for byte, round trips with
// resolved resources, and the refusal of maps that cannot be right.

#include "MazeTestUtil.h"

using namespace mazetest;

namespace
{
// The smallest map: 1 x 1, no records, no exit block.
std::string Smallest()
{
    std::string b;
    const unsigned char header[28] = {1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0x20, 0x41, 0, 0, 0x20, 0x41,
                                      0xCD, 0xCC, 0x4C, 0x3D, 0, 0, 0, 0, 0, 0, 0, 0};
    b.append(reinterpret_cast<const char*>(header), 28);
    b.append(3 + 20, '\0');
    b.append(28, '\xFF');
    return b;
}

class MazeFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        aeMaze::Exit();
        aeSoundManager::Init();
    }
    void TearDown() override
    {
        aeMaze::Exit();
        aeMaze::m_aQuests.Clear();
        aeSoundManager::Exit();
    }

    static void ExpectEmpty()
    {
        EXPECT_EQ(aeMaze::m_pFields, nullptr);
        EXPECT_EQ(aeMaze::GetWidth(), 0);
        EXPECT_EQ(aeMaze::GetHeight(), 0);
        EXPECT_EQ(aeMaze::GetNumFloors() + aeMaze::GetNumWalls() + aeMaze::GetNumCeilings() +
                      aeMaze::GetNumObjects() + aeMaze::GetNumQuests(),
                  0);
        EXPECT_STREQ(aeMaze::GetNextMap(), "");
    }

    // A map that uses every block, with names that resolve in the data directory.
    static Map Full(const std::string& data)
    {
        Map m;
        m.width = 3;
        m.height = 2;
        m.depth = 7.5f;
        m.speed = 12.0f;
        m.fog = 0.02f;
        m.startX = 2;
        m.startY = 1;
        m.music = "..\\music\\theme.ogg";
        m.data = data;
        m.sky = "sky.ran";
        m.quests = {{"Finde den Schlüssel", 0, 0, 2, 1}, {"Öffne das Tor", 1, 1, 1, 1}};
        Record o{"door.ran", 4, 2, 0, "hum.rvs", {{1, 1, 0, 1}, {2, 0, 9, 0}}, {-5, -4, 5, 4}};
        Record w{"wall.ran", 0, 0, 0, "", {}, {1.5f, 0, 0, 0}};
        Record w2{"wall.ran", 1, 1, 1, "click.rvs", {{0, 0, 6, 1}}, {0, 0, 0, 0}};
        Record f{"wall.ran", 2, 0, 1, "click.rvs", {}, {0, 0, 0, 0}};
        Record c{"wall.ran", 3, 1, 0, "", {}, {12.0f, 0, 0, 0}};
        m.objects = {o};
        m.walls = {w, w2};
        m.floors = {f};
        m.ceilings = {c};
        m.Field(0, 0) = {0, 0, 0, 1, -1, -1, -1};
        m.Field(1, 1) = {0, -1, -1, -1, 1, 0, 0};
        m.Field(2, 1) = {0, 0, 1, 1, 1, 1, -1};
        m.hasExit = true;
        m.exitX = 1;
        m.exitY = 0;
        m.next = "Level2.hwm";
        return m;
    }
};
}

TEST_F(MazeFile, SmallestMapIs79BytesAndLoadsWithDefaults)
{
    const std::string bytes = Smallest();
    ASSERT_EQ(bytes.size(), 79u);
    EXPECT_EQ(bytes, Map().Build());
    ASSERT_EQ(Load(bytes), 1);
    EXPECT_EQ(aeMaze::GetWidth(), 1);
    EXPECT_EQ(aeMaze::GetHeight(), 1);
    EXPECT_FLOAT_EQ(aeMaze::GetFog(), 0.05f);
    EXPECT_STREQ(aeMaze::GetDataPath(), "..\\data\\");
    EXPECT_STREQ(aeMaze::GetMusicFilename(), "");
    EXPECT_EQ(aeMaze::GetMusic(), nullptr);
    EXPECT_EQ(aeMaze::GetSkyAnimation()->GetAnimation(), nullptr);
    EXPECT_STREQ(aeMaze::GetNextMap(), "");
    const aeMazeField* f = aeMaze::GetField(0);
    EXPECT_EQ(f->m_iFloor, -1);
    EXPECT_EQ(f->m_iObject, -1);

    // Written back: the data directory spelled out and the exit block added.
    std::string expected = bytes.substr(0, 29) + "\x08..\\data\\" + bytes.substr(30, 49);
    expected += std::string(9, '\0');
    EXPECT_EQ(Save(), expected);
}

TEST_F(MazeFile, MapWithEmptyExitBlockIs88BytesAndLoadsTheSame)
{
    const std::string bytes = Smallest() + std::string(9, '\0');
    ASSERT_EQ(bytes.size(), 88u);
    ASSERT_EQ(Load(bytes), 1);
    EXPECT_EQ(aeMaze::GetNextMapX(), 0);
    EXPECT_STREQ(aeMaze::GetNextMap(), "");
    EXPECT_EQ(aeMaze::GetField(0)->m_iCeiling, -1);
}

TEST_F(MazeFile, FullMapRoundTripsByteForByte)
{
    const Map m = Full(DataDir());
    const std::string bytes = m.Build();
    ASSERT_EQ(Load(bytes), 1);

    EXPECT_EQ(aeMaze::GetStartX(), 2);
    EXPECT_FLOAT_EQ(aeMaze::GetFloorDepth(), 7.5f);
    EXPECT_EQ(aeMaze::GetNumQuests(), 2);
    EXPECT_STREQ(aeMaze::GetQuest(1)->m_acText, "Öffne das Tor");
    EXPECT_EQ(aeMaze::GetQuest(0)->m_iState, 0);
    ASSERT_NE(aeMaze::GetObject(0)->m_pAnimation, nullptr);
    EXPECT_FLOAT_EQ(aeMaze::GetObject(0)->m_pAnimation->GetTime(), 2.0f);
    ASSERT_NE(aeMaze::GetObject(0)->m_pSound, nullptr);
    EXPECT_STREQ(aeMaze::GetObject(0)->m_pSound->GetName(), "hum.rvs");
    EXPECT_EQ(aeMaze::GetObject(0)->m_aConditions.GetNumElements(), 2);
    EXPECT_EQ(aeMaze::GetObject(0)->m_aConditions[1]->m_iType, 9);
    EXPECT_FLOAT_EQ(aeMaze::GetObject(0)->m_vMin.y, -4.0f);
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
    // No sound was started by loading.
    EXPECT_EQ(aeMaze::GetObject(0)->m_pSound->GetAvailableBuffer(), 0);

    EXPECT_EQ(Save(), bytes);
}

// The parser fills the structure the writer takes, with or without one the
// same report, and the maze reads a file only up to the end of its map.
TEST_F(MazeFile, ParserAndWriterAgreeAndTheMazeStopsAtTheMapsEnd)
{
    Map m = Full(DataDir());
    m.trailing = "xyz";
    const std::string bytes = m.Build();
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    aeMapData parsed;
    aeMapCheckResult withMap{}, checkOnly{};
    EXPECT_EQ(aeParseMap(data, static_cast<int>(bytes.size()), &parsed, nullptr, nullptr, &withMap), 1);
    EXPECT_EQ(aeCheckMap(data, static_cast<int>(bytes.size()), nullptr, nullptr, &checkOnly), 1);
    EXPECT_EQ(std::memcmp(&withMap, &checkOnly, sizeof(withMap)), 0);
    EXPECT_EQ(withMap.iWarnings, 2); // condition bit 9, the trailing bytes
    EXPECT_EQ(withMap.iSize, static_cast<int>(bytes.size()) - 3);
    EXPECT_EQ(parsed.objects[0].conditions[1].bit, 9);
    EXPECT_EQ(parsed.fields.size(), 6u);
    EXPECT_EQ(parsed.fields[5][AE_SLOT_WALL3], 1);
    EXPECT_EQ(parsed.trailing, "xyz");
    std::string written;
    aeWriteMap(parsed, &written);
    EXPECT_EQ(written, bytes);

    VFile file(bytes.data(), static_cast<int>(bytes.size()));
    ASSERT_EQ(aeMaze::Init(&file), 1);
    EXPECT_EQ(file.GetRemaining(), 3);
}

TEST_F(MazeFile, UnresolvedNamesComeBackEmpty)
{
    Map m = Full(DataDir());
    m.objects[0].animation = "missing.ran";
    m.walls[1].sound = "missing.rvs";
    m.sky = "nosky.ran";
    ASSERT_EQ(Load(m.Build()), 1);
    EXPECT_EQ(aeMaze::GetObject(0)->m_pAnimation, nullptr);
    EXPECT_EQ(aeMaze::GetWall(1)->m_pSound, nullptr);
    EXPECT_EQ(aeMaze::GetSkyAnimation()->GetAnimation(), nullptr);

    Map expected = m;
    expected.objects[0].animation = "";
    expected.walls[1].sound = "";
    expected.sky = "";
    EXPECT_EQ(Save(), expected.Build());
}

TEST_F(MazeFile, NegativeCountsAreEmptyLists)
{
    Map m;
    std::string bytes = m.Build();
    // The quest count sits behind the header and three empty strings.
    const int32_t minus = -7;
    std::memcpy(&bytes[31], &minus, 4);
    // Condition count of a floor: append a floor record by hand.
    ASSERT_EQ(Load(bytes), 1);
    EXPECT_EQ(aeMaze::GetNumQuests(), 0);

    m.floors = {Record{}};
    bytes = m.Build();
    // The floor's condition count is the last int before the field table.
    std::memcpy(&bytes[bytes.size() - 28 - 4 - 4], &minus, 4);
    ASSERT_EQ(Load(bytes), 1);
    EXPECT_EQ(aeMaze::GetFloor(0)->m_aConditions.GetNumElements(), 0);
}

TEST_F(MazeFile, MapWithoutExitAfterOneWithExitHasNoNextMap)
{
    Map m = Full(DataDir());
    ASSERT_EQ(Load(m.Build()), 1);
    EXPECT_STREQ(aeMaze::GetNextMap(), "Level2.hwm");
    aeMaze::Exit();
    m.hasExit = false;
    ASSERT_EQ(Load(m.Build()), 1);
    EXPECT_STREQ(aeMaze::GetNextMap(), "");
    EXPECT_EQ(aeMaze::GetNextMapX(), 0);
    EXPECT_EQ(aeMaze::GetNextMapY(), 0);
}

TEST_F(MazeFile, NullFileIsRefusedWithoutChange)
{
    ASSERT_EQ(Load(Smallest()), 1);
    EXPECT_EQ(aeMaze::Init(static_cast<VFile*>(nullptr)), 0);
    EXPECT_EQ(aeMaze::Save(nullptr), 0);
    EXPECT_EQ(aeMaze::GetWidth(), 1);
}

TEST_F(MazeFile, ImpossibleMapsAreRefusedAndLeaveAnEmptyMaze)
{
    struct Case
    {
        const char* name;
        std::string bytes;
        const char* message;
    };
    std::vector<Case> cases;
    auto with = [](auto change) {
        Map m;
        m.width = 2;
        m.height = 2;
        m.hasExit = true;
        m.quests = {{"q", 0, 0, 1, 1}};
        m.walls.resize(1);
        m.walls[0].animation = "w";
        change(m);
        return m;
    };
    cases.push_back({"width 0", with([](Map& m) { m.width = 0; m.fields.clear(); }).Build(), "Unmögliche Größe"});
    cases.push_back({"height -1", with([](Map& m) { m.height = -1; m.fields.clear(); }).Build(), "Unmögliche Größe"});
    {
        Map m = with([](Map&) {});
        std::string b = m.Build();
        const int32_t big = 65536;
        std::memcpy(&b[0], &big, 4);
        std::memcpy(&b[4], &big, 4);
        cases.push_back({"grid overflows", b, "Unmögliche Größe"});
        const int32_t hundred = 100;
        std::memcpy(&b[0], &hundred, 4);
        std::memcpy(&b[4], &hundred, 4);
        cases.push_back({"grid larger than file", b, "Feldtabelle"});
    }
    {
        std::string b = with([](Map&) {}).Build();
        const int32_t huge = 1000000000;
        std::memcpy(&b[31], &huge, 4);
        cases.push_back({"quest count", b, "Unmögliche Anzahl 1000000000"});
    }
    {
        std::string b = with([](Map& m) { m.quests.clear(); }).Build();
        b[28] = static_cast<char>(200); // music name longer than the file
        cases.push_back({"string length", b.substr(0, 100), "reicht über das Dateiende"});
    }
    cases.push_back({"floor index", with([](Map& m) { m.Field(1, 0)[0] = 0; }).Build(), "Boden-Index 0"});
    cases.push_back({"wall index", with([](Map& m) { m.Field(1, 1)[5] = 1; }).Build(), "Wand 3-Index 1"});
    cases.push_back({"negative index", with([](Map& m) { m.Field(0, 1)[3] = -2; }).Build(), "Wand 1-Index -2"});
    cases.push_back({"object index", with([](Map& m) { m.Field(0, 0)[6] = 0; }).Build(), "Objekt-Index 0"});
    cases.push_back({"start outside", with([](Map& m) { m.startX = 2; }).Build(), "Das Startfeld (2, 0)"});
    cases.push_back({"start negative", with([](Map& m) { m.startY = -1; }).Build(), "Das Startfeld (0, -1)"});
    cases.push_back({"exit outside", with([](Map& m) { m.exitY = 5; }).Build(), "Das Zielfeld (0, 5)"});
    {
        const std::string b = with([](Map&) {}).Build();
        cases.push_back({"ends before field table", b.substr(0, 60), "endet vorzeitig"});
        cases.push_back({"ends inside field table", b.substr(0, b.size() - 9 - 10), "Feldtabelle"});
        cases.push_back({"ends inside exit block", b.substr(0, b.size() - 3), "Zielblock"});
        cases.push_back({"ends inside header", b.substr(0, 10), "endet vorzeitig"});
        cases.push_back({"empty file", std::string(), "endet vorzeitig"});
    }

    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(Load(Smallest()), 1);
        Log log;
        const int errors = aeLog::m_iNumErrors;
        EXPECT_EQ(Load(c.bytes), 0);
        EXPECT_GT(aeLog::m_iNumErrors, errors);
        EXPECT_TRUE(log.Contains("aeMaze::Init")) << log.Text();
        EXPECT_TRUE(log.Contains(aeUtf8ToCp1252(c.message))) << log.Text();
        ExpectEmpty();
        aeMaze::Exit();
        aeMaze::Exit();
    }
}

TEST_F(MazeFile, ManyBadIndicesAreReportedBriefly)
{
    Map m;
    m.width = m.height = 20;
    for (int i = 0; i < 400; ++i)
        m.Field(i % 20, i / 20)[0] = 3;
    Log log;
    const int errors = aeLog::m_iNumErrors;
    EXPECT_EQ(Load(m.Build()), 0);
    EXPECT_EQ(aeLog::m_iNumErrors - errors, 11);
    EXPECT_TRUE(log.Contains("390 weitere Fehler"));
}

TEST_F(MazeFile, MissingExitBlockIsLegal)
{
    Map m;
    m.width = 2;
    m.height = 3;
    m.startX = 1;
    m.startY = 2;
    ASSERT_EQ(Load(m.Build()), 1);
    EXPECT_EQ(aeMaze::GetStartY(), 2);
}

TEST_F(MazeFile, InitWithSizeMakesAnEmptyMaze)
{
    ASSERT_EQ(aeMaze::Init(5, 4), 1);
    EXPECT_EQ(aeMaze::GetWidth(), 5);
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

    Vector3 c = aeMaze::GetFieldCenter(0, 0);
    EXPECT_EQ(c.x, 40.0f);
    EXPECT_EQ(c.z, 30.0f);
    ASSERT_EQ(aeMaze::Init(3, 2), 1);
    c = aeMaze::GetFieldCenter(0, 0);
    EXPECT_EQ(c.x, 20.0f);
    EXPECT_EQ(c.z, 10.0f);
    c = aeMaze::GetFieldCenter(2, 1);
    EXPECT_EQ(c.x, -20.0f);
    EXPECT_EQ(c.z, -10.0f);

    Log log;
    EXPECT_EQ(aeMaze::Init(0, 3), 0);
    EXPECT_EQ(aeMaze::m_pFields, nullptr);
    EXPECT_EQ(aeMaze::Init(100000, 100000), 0);
    EXPECT_EQ(aeMaze::GetFieldXY(aeMaze::GetField(0), &x, &y), 0);
}
