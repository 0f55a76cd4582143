// The map tool: binary -> text -> binary round trips, syntax errors in text,
// check reporting warnings and errors, and the program itself.

#include "MazeTestUtil.h"

#include "MapText.h"

#include <random>

using mazetest::Build;
using mazetest::Field;
using Map = aeMapData;
using Record = aeMapRecord;

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
    m.objects = {{"door.ran", 4, 2, 0, "hum.rvs", {{1, 1, 0, 1}, {3, 2, 9, -4}}, {-5.25f, 0, 0, 1e-30f}}};
    m.walls = {{"wall.ran", 0, 0, 0, "", {}, {1.5f, 0, 0, 0}}, {"wall.ran", 1, 1, 1, "click.rvs", {}}};
    m.floors = {{std::string(255, 'f'), 2, 0, 1, "", {}}};
    m.ceilings = {{"", 3, 0, 0, "", {}}};
    Field(m, 0, 0) = {0, 0, 0, 1, -1, -1, -1};
    Field(m, 3, 2) = {0, -1, 1, 1, 1, 1, 0};
    Field(m, 1, 1) = {-1, -1, -1, -1, -1, -1, 0};
    m.hasExit = true;
    m.exitX = 2;
    m.next = "Level 2.hwm";
    return m;
}
}

TEST(MapTool, RoundTripsEveryKindOfMap)
{
    Map withExit, noExit = Awkward(), badIndices = Awkward();
    withExit.hasExit = true;
    noExit.hasExit = false;
    Field(badIndices, 2, 2) = {7, -3, 99, 0, 0, 0, 5};
    badIndices.startX = 40;
    const std::string trailing = Build(withExit) + std::string("\x00\xff", 2);
    for (const std::string& bytes : {Build(Map()), Build(withExit), Build(Awkward()), Build(noExit), Build(badIndices), trailing})
        EXPECT_EQ(RoundTrip(bytes), bytes);
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
                Record r{"a" + std::to_string(random() % 1000), static_cast<int>(random() % 5),
                         static_cast<int>(random() % 3), static_cast<int>(random() % 2), "", {}};
                for (float& f : r.lead)
                    f = static_cast<float>(static_cast<int>(random() % 2001) - 1000) / 7.0f;
                for (unsigned c = random() % 3; c > 0; --c)
                    r.conditions.push_back({static_cast<int>(random() % 50), static_cast<int>(random() % 50),
                                            static_cast<int>(random() % 10), static_cast<int>(random() % 2)});
                block->push_back(r);
            }
        for (int y = 0; y < m.height; ++y)
            for (int x = 0; x < m.width; ++x)
                for (int& v : Field(m, x, y))
                    v = static_cast<int>(random() % 14) - 2;
        m.hasExit = random() % 2;
        const std::string bytes = Build(m);
        ASSERT_EQ(RoundTrip(bytes), bytes) << n;
    }
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
        // A second size would give the grid another shape than the layers read under the first.
        {"size 1 1\nlayer floor\n0\nend\nsize 3 3\n", "size steht mehr als einmal"},
        {"size 3 3\nsize 1 1\nlayer floor\n0\nend\n", "size steht mehr als einmal"},
    };
    for (const auto& [text, where] : cases)
    {
        maptext::Map map;
        std::string error;
        EXPECT_FALSE(maptext::FromText(text, &map, &error)) << text;
        EXPECT_NE(error.find(where), std::string::npos) << error;
    }
}

TEST(MapTool, CheckReportsWarningsAndErrorsAndFailsOnEither)
{
    Map clean = Awkward();
    clean.quests.clear();
    clean.objects[0].conditions.pop_back();
    clean.ceilings[0].animation = "c.ran";
    std::string report;
    EXPECT_EQ(maptext::Check(Build(clean), &report), 1) << report;
    EXPECT_EQ(report, "");
    auto with = [&](auto change) {
        Map m = clean;
        change(m);
        return Build(m);
    };
    // The errors of the engine's parser are the map refusals of MazeFile; here
    // the warnings, the report's places and the check's result.
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {with([](Map& m) { m.walls[1].conditions = {{0, 0, 8, 1}, {0, 0, -1, 1}}; }),
         {"Wand 1, Bedingung 0: Bitnummer 8", "Wand 1, Bedingung 1: Bitnummer -1"}},
        {with([](Map& m) { m.floors[0].animation = m.objects[0].animation = ""; }),
         {"Boden 0 hat keine Animation", "Objekt 0 hat keine Animation"}},
        {with([](Map& m) { Field(m, 1, 2)[0] = 1; m.startX = 4; m.exitY = -1; }),
         {"Feld (1, 2): Boden-Index 1", "Das Startfeld (4, 2)", "Das Zielfeld (2, -1)"}},
        // Cut short: the check reads on without a map to fill.
        {Build(clean).substr(0, 20), {"endet vorzeitig in dem Kopf"}},
        {Build(clean).substr(0, 120), {"Objekt 0 (Sound) (7 Zeichen) reicht über das Dateiende"}},
        {Build(clean) + "xyz", {"3 Bytes"}},
    };
    for (const auto& [bytes, expected] : cases)
    {
        report.clear();
        EXPECT_EQ(maptext::Check(bytes, &report), 0);
        for (const std::string& e : expected)
            EXPECT_NE(report.find(aeUtf8ToCp1252(e.c_str())), std::string::npos) << e << "\n" << report;
    }
}

TEST(MapTool, CommandLineProgram)
{
    const std::filesystem::path tool = HALVORAN_TOOLS_DIR "/maptool";
    if (!std::filesystem::exists(tool))
        GTEST_SKIP() << "maptool not built";
    const auto dir = std::filesystem::path(test::ScratchDir("tool"));
    const std::string map = Build(Awkward());
    mazetest::WriteFile(dir / "a.hwm", map);
    auto run = [&](const std::string& args) {
        return test::Shell(tool.string() + " " + args, (dir / "out").string());
    };
    const std::string d = dir.string() + "/";
    EXPECT_EQ(run("dump " + d + "a.hwm " + d + "a.txt"), 0);
    EXPECT_EQ(run("build " + d + "a.txt " + d + "b.hwm"), 0);
    EXPECT_EQ(test::ReadBinary((dir / "b.hwm").string()), map);
    EXPECT_NE(run("check " + d + "a.hwm"), 0); // the awkward map has conditions on bit 9
    EXPECT_NE(test::ReadBinary((dir / "out").string()).find("Bitnummer 9"), std::string::npos);
    mazetest::WriteFile(dir / "c.hwm", Build(Map()));
    EXPECT_EQ(run("check " + d + "c.hwm"), 0);
    EXPECT_NE(run("dump " + d + "missing.hwm"), 0);
    EXPECT_NE(run("frobnicate " + d + "c.hwm"), 0);
}
