// The game played from end to end by demos, headless, as a player would: the
// campaign from the first map to victory, the quit page, options that last
// beyond the run, and a savegame that loads in the next run.

#include "ProcessSupport.h"
#include "Game.h"
#include "Menu.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
// Demo text built line by line (frames, milliseconds, buttons and counts).
struct DemoText
{
    std::string text = "HALVORAN-DEMO 1\n";
    DemoText& Add(int frames, const std::string& input = "", int ms = 50)
    {
        text += std::to_string(frames) + " " + std::to_string(ms) + (input.empty() ? "" : " " + input) + "\n";
        return *this;
    }
    DemoText& Press(const std::string& button) { return Add(1, button).Add(2); }
    // Skips the intro and waits until the main page has faded in.
    DemoText& SkipIntro() { return Add(5).Press("Escape").Add(25); }
    // From the cursor's place: moves it by whole frames of mouse counts
    // (250 counts move it 0.3 of the screen at the middle speed).
    DemoText& MoveCursor(int x, int y)
    {
        while (x || y)
        {
            const int sx = x > 250 ? 250 : (x < -250 ? -250 : x);
            const int sy = y > 250 ? 250 : (y < -250 ? -250 : y);
            Add(1, "x=" + std::to_string(sx) + " y=" + std::to_string(sy));
            x -= sx;
            y -= sy;
        }
        return *this;
    }
    // From one place of the screen to another (fractions of its size).
    DemoText& MoveCursor(Vector2 from, Vector2 to)
    {
        const float countsPerScreen = 250.0f / 0.3f;
        return MoveCursor(static_cast<int>(std::lround((to.x - from.x) * countsPerScreen)),
                          static_cast<int>(std::lround((to.y - from.y) * countsPerScreen)));
    }
    // In the game: Escape, the cursor from the middle onto "Spiel speichern",
    // a click, Return on the save page.
    DemoText& SaveInGame()
    {
        return Press("Escape")
            .MoveCursor(Vector2(0.5f, 0.5f), g_aGameButtons[GAME_BUTTON_SAVE].vCentre)
            .Press("Knopf_1")
            .Press("Return");
    }
    void Write(const std::string& path) const { test::WriteBinary(path, text); }
};

std::string ReadFile(const std::string& path) { return test::ReadBinary(path); }

// A campaign run lasts long on two cores; the demos are played as timedemos.
const int kLongRun = 1200;
}

TEST(Campaign, EveryMapIsPlayedToItsExitAndTheLastToVictory)
{
    REQUIRE_PROGRAM();
    test::GameTree tree("campaign");
    tree.UseContent();
    std::string demo;
    for (const char* map : {"Tutorial", "Kerker", "Nachtweg"})
        demo += ReadFile(std::string(HALVORAN_GAME_DIR) + "/demos/" + map + ".demo");
    DemoText save;
    save.SaveInGame().Add(5);
    test::WriteBinary(tree.root + "/campaign.demo", demo + save.text);

    EXPECT_EQ(test::Wait(tree.Start({"--windowed", "--map", "Tutorial", "--timedemo", "../campaign.demo"}), kLongRun), 0);
    const std::string log = tree.Log();
    const size_t tutorial = log.find("Karte \"..\\maps\\Tutorial.hwm\" wird geladen");
    const size_t kerker = log.find("Karte \"..\\maps\\Kerker.hwm\" wird geladen");
    const size_t nachtweg = log.find("Karte \"..\\maps\\Nachtweg.hwm\" wird geladen");
    ASSERT_NE(tutorial, std::string::npos) << log;
    ASSERT_NE(kerker, std::string::npos) << log;
    ASSERT_NE(nachtweg, std::string::npos) << log;
    EXPECT_LT(tutorial, kerker);
    EXPECT_LT(kerker, nachtweg);
    EXPECT_NE(log.find("Timedemo: "), std::string::npos);
    EXPECT_NE(log.find("0 Fehler"), std::string::npos) << log;

    // The savegame names its map and ends with the victory flag.
    const std::string game = ReadFile(tree.root + "/savegame/Spieler 1.ssd");
    ASSERT_GT(game.size(), 24u) << log;
    const std::string map = "..\\maps\\Nachtweg.hwm";
    EXPECT_EQ(static_cast<unsigned char>(game[0]), map.size());
    EXPECT_EQ(game.substr(1, map.size()), map);
    EXPECT_EQ(game.substr(game.size() - 4), std::string("\x01\0\0\0", 4));
}

TEST(Campaign, ATrapKillsThePlayerAndTheDeathNoticeIsShown)
{
    REQUIRE_PROGRAM();
    test::GameTree tree("trap");
    tree.UseContent();
    // Kerker: the spike field lies straight below the start; a screenshot
    // (SysRq) is taken while the notice is up.
    DemoText demo;
    demo.Add(10).Add(50, "W").Add(10).Press("SysRq").Add(5);
    demo.Write(tree.root + "/trap.demo");
    EXPECT_EQ(test::Wait(tree.Start({"--windowed", "--map", "Kerker", "--timedemo", "../trap.demo"}), kLongRun), 0);
    std::string shot;
    for (const auto& entry : std::filesystem::directory_iterator(tree.root + "/bin"))
        if (entry.path().extension() == ".bmp")
            shot = entry.path().string();
    ASSERT_FALSE(shot.empty()) << tree.Log();
    // The notice is orange-red text around 80 % of the height.
    const std::string bmp = ReadFile(shot);
    ASSERT_GT(bmp.size(), 54u);
    int32_t width = 0, height = 0;
    std::memcpy(&width, bmp.data() + 18, 4);
    std::memcpy(&height, bmp.data() + 22, 4);
    const int stride = (width * 3 + 3) & ~3;
    int orange = 0;
    for (int y = static_cast<int>(height * 0.12); y < static_cast<int>(height * 0.28); ++y)  // rows are bottom-up
        for (int x = 0; x < width; ++x)
        {
            const unsigned char* p = reinterpret_cast<const unsigned char*>(bmp.data()) + 54 + y * stride + x * 3;
            if (p[2] > 200 && p[1] > 40 && p[1] < 110 && p[0] < 40)
                ++orange;
        }
    EXPECT_GT(orange, 200) << "no death notice in " << shot;
}

TEST(Campaign, OptionsChangedInTheMenuLastIntoTheNextStartAndTheQuitPageEndsWithZero)
{
    REQUIRE_PROGRAM();
    test::GameTree tree("options");
    tree.UseContent();
    // Played in real time from the intro: the options page, red/green glasses
    // (written at once), the next resolution and "Übernehmen": the game starts
    // anew on the options page; back, and quit through the quit page.
    const Vector2 glasses = g_aMenuButtons[MENU_BUTTON_GLASSES].vCentre;
    const Vector2 resolution = g_aMenuButtons[MENU_BUTTON_RESOLUTION].vCentre;
    const Vector2 apply = g_aMenuButtons[MENU_BUTTON_APPLY].vCentre;
    DemoText demo;
    demo.SkipIntro().Press("O").Add(25).MoveCursor(Vector2(0.5f, 0.5f), glasses).Press("Knopf_1");
    demo.MoveCursor(glasses, resolution).Press("Knopf_1").MoveCursor(resolution, apply).Press("Knopf_1").Add(25);
    demo.Press("Escape").Add(25).Press("B").Add(25).Press("Return").Add(100);
    demo.Write(tree.root + "/options.demo");
    EXPECT_EQ(test::Wait(tree.Start({"--windowed", "--demo", "../options.demo"}), kLongRun), 0);
    EXPECT_NE(tree.Log().find("--- Reinitialisierung -> Beenden ---"), std::string::npos) << tree.Log();
    EXPECT_NE(tree.Log().find("--- Beenden ---"), std::string::npos);
    EXPECT_NE(tree.Log().find("0 Fehler"), std::string::npos) << tree.Log();
    const std::string options = ReadFile(tree.root + "/config/Kelmstone Games/Halvoran.reg");
    EXPECT_NE(options.find("\"3DGlasses\"=dword:00000001"), std::string::npos) << options;

    // In force at the next start: the picture has no blue at all.
    DemoText look;
    look.Add(5).Press("SysRq").Add(2);
    look.Write(tree.root + "/look.demo");
    EXPECT_EQ(test::Wait(tree.Start({"--windowed", "--map", "Tutorial", "--timedemo", "../look.demo"}), kLongRun), 0);
    const std::string bmp = ReadFile(tree.root + "/bin/Screenshot 1.bmp");
    ASSERT_GT(bmp.size(), 54u) << tree.Log();
    int maxChannel[3] = {0, 0, 0};
    for (size_t i = 54; i + 2 < bmp.size(); i += 3)
        for (int c = 0; c < 3; ++c)
            maxChannel[c] = std::max(maxChannel[c], static_cast<int>(static_cast<unsigned char>(bmp[i + c])));
    EXPECT_EQ(maxChannel[0], 0);  // BMP pixels are blue, green, red
    EXPECT_GT(maxChannel[1], 0);
    EXPECT_GT(maxChannel[2], 0);
}

TEST(Campaign, ASavegameWrittenInOneRunLoadsInTheNextWhereThePlayerStood)
{
    REQUIRE_PROGRAM();
    test::GameTree tree("savegame");
    tree.UseContent();
    // Tutorial: from the start at the sign a step sideways towards the
    // corridor and a little turned.
    DemoText walk;
    walk.Add(5).Add(30, "A").Add(3, "Pfeil_rechts").Add(5).SaveInGame().Add(5);
    walk.Write(tree.root + "/walk.demo");
    EXPECT_EQ(test::Wait(tree.Start({"--windowed", "--map", "Tutorial", "--timedemo", "../walk.demo"}), kLongRun), 0);
    const std::string saved = ReadFile(tree.root + "/savegame/Spieler 1.ssd");
    ASSERT_FALSE(saved.empty()) << tree.Log();

    // Next run: the load page (L), Return loads it; saved again at once, the
    // second savegame must equal the first.
    DemoText load;
    load.SkipIntro().Press("L").Add(25).Press("Return").Add(5).SaveInGame().Add(5);
    load.Write(tree.root + "/load.demo");
    EXPECT_EQ(test::Wait(tree.Start({"--windowed", "--timedemo", "../load.demo"}), kLongRun), 0);
    const std::string again = ReadFile(tree.root + "/savegame/Spieler 2.ssd");
    ASSERT_FALSE(again.empty()) << tree.Log();
    EXPECT_EQ(again, saved);
}
