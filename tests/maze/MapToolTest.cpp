// The map tool: binary -> text -> binary round trips, hand-written text, and
// check finding every kind of fault.

#include "MazeTestUtil.h"

#include "MapText.h"

#include <cstdlib>
#include <random>

using mazetest::Map;
using mazetest::Record;

namespace
{
std::string RoundTrip(const std::string& bytes)
{
    maptext::Map map, back;
    std::string error;
    EXPECT_TRUE(maptext::FromBinary(bytes, &map, &error)) << error;
    const std::string text = maptext::ToText(map);
    EXPECT_TRUE(maptext::FromText(text, &back, &error)) << error << "\n" << text;
    return maptext::ToBinary(back);
}

Record Rec(const std::string& animation, int action = 0, int mode = 0, int automatic = 0,
           const std::string& sound = "")
{
    return Record{animation, action, mode, automatic, sound, {}, {0, 0, 0, 0}};
}

// A map of every block with awkward strings and floats.
Map Awkward()
{
    Map m;
    m.width = 4;
    m.height = 3;
    m.depth = -0.0f;
    m.speed = std::numeric_limits<float>::quiet_NaN();
    m.fog = 0.1f;
    m.startX = 3;
    m.startY = 2;
    m.music = "..\\music\\\"Thema\" #1.ogg";
    m.data = "..\\data\\";
    m.sky = std::string("sky\x81\x7f\x01\xe4\xfc\x80", 9);
    m.quests = {{"Öffne das Tor", 0, 0, 3, 2}, {"", -1, 7, 1000000, 2}};
    Record o = Rec("door.ran", 4, 2, 0, "hum.rvs");
    o.lead[0] = -5.25f;
    o.lead[3] = 1e-30f;
    o.conditions = {{1, 1, 0, 1}, {3, 2, 9, -4}};
    Record w = Rec("wall.ran");
    w.lead[0] = 1.5f;
    m.objects = {o};
    m.walls = {w, Rec("wall.ran", 1, 1, 1, "click.rvs")};
    m.floors = {Rec(std::string(255, 'f'), 2, 0, 1)};
    m.ceilings = {Rec("", 3)};
    m.Field(0, 0) = {0, 0, 0, 1, -1, -1, -1};
    m.Field(3, 2) = {0, -1, 1, 1, 1, 1, 0};
    m.Field(1, 1) = {-1, -1, -1, -1, -1, -1, 0};
    m.hasExit = true;
    m.exitX = 2;
    m.next = "Level 2.hwm";
    return m;
}
}

TEST(MapTool, RoundTripsEveryKindOfMap)
{
    Map smallest;
    Map withExit;
    withExit.hasExit = true;
    Map awkward = Awkward();
    Map noExit = Awkward();
    noExit.hasExit = false;
    Map badIndices = Awkward();
    badIndices.Field(2, 2) = {7, -3, 99, 0, 0, 0, 5};
    badIndices.startX = 40;
    for (const Map* m : {&smallest, &withExit, &awkward, &noExit, &badIndices})
    {
        const std::string bytes = m->Build();
        EXPECT_EQ(RoundTrip(bytes), bytes);
    }
    EXPECT_EQ(RoundTrip(withExit.Build() + std::string("\x00\xff", 2)), withExit.Build() + std::string("\x00\xff", 2));

    // Random maps with random records, indices and conditions.
    std::mt19937 random(7);
    for (int n = 0; n < 20; ++n)
    {
        Map m;
        m.width = 1 + static_cast<int>(random() % 40);
        m.height = 1 + static_cast<int>(random() % 30);
        for (auto* block : {&m.objects, &m.walls, &m.floors, &m.ceilings})
            for (unsigned i = random() % 12; i > 0; --i)
            {
                Record r = Rec("a" + std::to_string(random() % 1000), static_cast<int>(random() % 5),
                               static_cast<int>(random() % 3), static_cast<int>(random() % 2));
                for (float& f : r.lead)
                    f = static_cast<float>(static_cast<int>(random() % 2001) - 1000) / 7.0f;
                for (unsigned c = random() % 3; c > 0; --c)
                    r.conditions.push_back({static_cast<int>(random() % 50), static_cast<int>(random() % 50),
                                            static_cast<int>(random() % 10), static_cast<int>(random() % 2)});
                block->push_back(r);
            }
        for (int y = 0; y < m.height; ++y)
            for (int x = 0; x < m.width; ++x)
                for (int& v : m.Field(x, y))
                    v = static_cast<int>(random() % 14) - 2;
        m.hasExit = random() % 2;
        const std::string bytes = m.Build();
        ASSERT_EQ(RoundTrip(bytes), bytes) << n;
    }
}

TEST(MapTool, HandWrittenTextBuildsTheMap)
{
    const std::string text = "# a small test level\n"
                             "size 3 2\n"
                             "start 1 0   # comment after a value\n"
                             "data \"..\\\\data\\\\\"\n"
                             "exit 2 1 \"Zwei.hwm\"\n"
                             "quest \"Geh über die Brücke\" begin 0 0 end 2 1\n"
                             "wall 0 thickness 0.5 anim \"wall.ran\" action 0 mode 0 auto 0 sound \"\"\n"
                             "floor 0 anim \"floor.ran\" action 1 mode 1 auto 1 sound \"trap.rvs\" if 2 1 6 1\n"
                             "layer floor\n"
                             "0 . 0\n"
                             ". 0 .\n"
                             "end\n"
                             "layer wall0\n"
                             "0 0 0\n"
                             ". . .\n"
                             "end\n";
    maptext::Map map;
    std::string error;
    ASSERT_TRUE(maptext::FromText(text, &map, &error)) << error;

    Map expected;
    expected.width = 3;
    expected.height = 2;
    expected.startX = 1;
    expected.data = "..\\data\\";
    expected.hasExit = true;
    expected.exitX = 2;
    expected.exitY = 1;
    expected.next = "Zwei.hwm";
    expected.quests = {{"Geh \xfc" "ber die Br\xfc" "cke", 0, 0, 2, 1}};
    Record w = Rec("wall.ran");
    w.lead[0] = 0.5f;
    expected.walls = {w};
    Record f = Rec("floor.ran", 1, 1, 1, "trap.rvs");
    f.conditions = {{2, 1, 6, 1}};
    expected.floors = {f};
    expected.Field(0, 0) = {0, -1, 0, -1, -1, -1, -1};
    expected.Field(1, 0) = {-1, -1, 0, -1, -1, -1, -1};
    expected.Field(2, 0) = {0, -1, 0, -1, -1, -1, -1};
    expected.Field(1, 1) = {0, -1, -1, -1, -1, -1, -1};
    EXPECT_EQ(maptext::ToBinary(map), expected.Build());

    // The smallest text is the smallest map.
    ASSERT_TRUE(maptext::FromText("size 1 1\nexit none\n", &map, &error)) << error;
    EXPECT_EQ(maptext::ToBinary(map).size(), 79u);
}

TEST(MapTool, SyntaxErrorsNameTheLine)
{
    const std::pair<const char*, const char*> cases[] = {
        {"size 2 2\nspeed fast\n", "Zeile 2"},
        {"size 2 2\nlayer floor\n0 0\n0\nend\n", "Zeile 4"},
        {"size 2 2\nlayer floor\n0 0\nend\n", "Zeile 4"},
        {"size 2 2\nwall 1 thickness 0 anim \"\" action 0 mode 0 auto 0 sound \"\"\n", "Zeile 2"},
        {"size 2 2\nfloor 0 anim \"x action 0\n", "Zeile 2"},
        {"size 2 2\nfloor 0 anim \"\" action 0 mode 0 auto 0 sound \"\" if 1 2\n", "Zeile 2"},
        {"size 2 2\nlayer roof\nend\n", "Zeile 2"},
        {"start 0 0\n", "size"},
        {"size 0 4\n", "Größe"},
        {"size 1 1\nbogus 1\n", "Zeile 2"},
    };
    for (const auto& [text, where] : cases)
    {
        maptext::Map map;
        std::string error;
        EXPECT_FALSE(maptext::FromText(text, &map, &error)) << text;
        EXPECT_NE(error.find(where), std::string::npos) << error;
    }
}

// A second size would give the grid another shape than the layers read
// under the first one (the fields were then filled from beyond the layers).
TEST(MapTool, SizeIsGivenOnlyOnce)
{
    const char* const texts[] = {
        "size 1 1\nlayer floor\n0\nend\nsize 3 3\n",
        "size 3 3\nsize 1 1\nlayer floor\n0\nend\n",
    };
    for (const char* text : texts)
    {
        maptext::Map map;
        std::string error;
        EXPECT_FALSE(maptext::FromText(text, &map, &error)) << text;
        EXPECT_NE(error.find("size steht mehr als einmal"), std::string::npos) << error;
    }
}

TEST(MapTool, CheckFindsEveryKindOfFault)
{
    Map clean = Awkward();
    clean.quests.clear();
    clean.objects[0].conditions.pop_back();
    clean.ceilings[0].animation = "c.ran";
    std::string report;
    EXPECT_EQ(maptext::Check(clean.Build(), &report), 1) << report;
    EXPECT_EQ(report, "");

    struct Case
    {
        std::string bytes;
        std::vector<std::string> expected;
    };
    std::vector<Case> cases;
    {
        Map m = clean;
        m.Field(1, 2)[0] = 1;
        m.Field(2, 2)[6] = -2;
        m.Field(0, 1)[4] = 2;
        cases.push_back({m.Build(),
                         {"Feld (1, 2): Boden-Index 1", "Feld (2, 2): Objekt-Index -2", "Feld (0, 1): Wand 2-Index 2"}});
    }
    {
        Map m = clean;
        m.startX = 4;
        m.exitY = -1;
        cases.push_back({m.Build(), {"Das Startfeld (4, 2)", "Das Zielfeld (2, -1)"}});
    }
    {
        Map m = clean;
        m.walls[1].conditions = {{0, 0, 8, 1}, {0, 0, -1, 1}};
        cases.push_back({m.Build(), {"Wand 1, Bedingung 0: Bitnummer 8", "Wand 1, Bedingung 1: Bitnummer -1"}});
    }
    {
        Map m = clean;
        m.floors[0].animation = "";
        m.objects[0].animation = "";
        cases.push_back({m.Build(), {"Boden 0 hat keine Animation", "Objekt 0 hat keine Animation"}});
    }
    {
        const std::string b = clean.Build();
        cases.push_back({b.substr(0, 20), {"endet vorzeitig in dem Kopf"}});
        cases.push_back({b.substr(0, 120), {"Objekt 0 (Sound) (7 Zeichen) reicht über das Dateiende"}});
        cases.push_back({b.substr(0, b.size() - 30), {"Feldtabelle"}});
        std::string big = b;
        const int32_t huge = 400000;
        std::memcpy(&big[0], &huge, 4);
        cases.push_back({big, {"Feldtabelle"}});
        cases.push_back({b + "xyz", {"3 Bytes"}});
    }
    for (const Case& c : cases)
    {
        report.clear();
        EXPECT_EQ(maptext::Check(c.bytes, &report), 0);
        for (const std::string& e : c.expected)
            EXPECT_NE(report.find(aeUtf8ToCp1252(e.c_str())), std::string::npos) << e << "\n" << report;
    }
}

TEST(MapTool, CommandLineProgram)
{
    const auto tool = std::filesystem::path(HALVORAN_TEST_TMP) / ".." / ".." / "tools" / "bin" / "maptool";
    if (!std::filesystem::exists(tool))
        GTEST_SKIP() << "maptool not built";
    const auto dir = mazetest::Scratch("tool");
    const std::string map = Awkward().Build();
    mazetest::WriteFile(dir / "a.hwm", map);
    auto run = [&](const std::string& args) {
        return std::system((tool.string() + " " + args + " >" + (dir / "out").string() + " 2>&1").c_str());
    };
    const std::string d = dir.string() + "/";
    EXPECT_EQ(run("dump " + d + "a.hwm " + d + "a.txt"), 0);
    EXPECT_EQ(run("build " + d + "a.txt " + d + "b.hwm"), 0);
    EXPECT_EQ(mazetest::ReadFile(dir / "b.hwm"), map);
    EXPECT_NE(run("check " + d + "a.hwm"), 0); // the awkward map has conditions on bit 9
    EXPECT_NE(mazetest::ReadFile(dir / "out").find("Bitnummer 9"), std::string::npos);
    mazetest::WriteFile(dir / "c.hwm", Map().Build());
    EXPECT_EQ(run("check " + d + "c.hwm"), 0);
    EXPECT_NE(run("dump " + d + "missing.hwm"), 0);
    EXPECT_NE(run("frobnicate " + d + "c.hwm"), 0);
}
