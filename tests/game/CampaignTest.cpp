// The game played from end to end by demos, headless, as a player would: the
// campaign from the first map to victory, a trap, the quit page and options
// that last beyond the run. (A savegame loading in the next run is checked
// with the installed game.)

#include "ProcessSupport.h"
#include "Menu.h"

#include <algorithm>
#include <cstring>

using test::DemoText;
using test::kLongRun;

TEST(Campaign, EveryMapIsPlayedToItsExitAndTheLastToVictory)
{
    REQUIRE_PROGRAM();
    test::GameTree tree("campaign");
    tree.UseContent();
    std::string demo;
    for (const char* map : {"Tutorial", "Kerker", "Nachtweg"})
        demo += test::ReadBinary(std::string(HALVORAN_GAME_DIR) + "/demos/" + map + ".demo");
    test::WriteBinary(tree.root + "/campaign.demo", demo + DemoText().SaveInGame().Add(5).text);

    EXPECT_EQ(test::Wait(tree.Start({"--windowed", "--map", "Tutorial", "--timedemo", "../campaign.demo"}), kLongRun), 0);
    const std::string log = tree.Log();
    size_t loaded = 0;  // the maps are loaded in this order
    for (const char* map : {"Tutorial", "Kerker", "Nachtweg"})
    {
        const size_t at = log.find(std::string("Karte \"..\\maps\\") + map + ".hwm\" wird geladen", loaded);
        ASSERT_NE(at, std::string::npos) << map << "\n" << log;
        loaded = at;
    }
    EXPECT_NE(log.find("Timedemo: "), std::string::npos);
    EXPECT_NE(log.find("0 Fehler"), std::string::npos) << log;

    // The savegame names its map and ends with the victory flag.
    const std::string game = test::ReadBinary(tree.root + "/savegame/Spieler 1.ssd");
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
    const std::string bmp = test::ReadBinary(shot);
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
    const std::string options = test::ReadBinary(tree.root + "/config/Kelmstone Games/Halvoran.reg");
    EXPECT_NE(options.find("\"3DGlasses\"=dword:00000001"), std::string::npos) << options;

    // In force at the next start: the picture has no blue at all.
    DemoText look;
    look.Add(5).Press("SysRq").Add(2);
    look.Write(tree.root + "/look.demo");
    EXPECT_EQ(test::Wait(tree.Start({"--windowed", "--map", "Tutorial", "--timedemo", "../look.demo"}), kLongRun), 0);
    const std::string bmp = test::ReadBinary(tree.root + "/bin/Screenshot 1.bmp");
    ASSERT_GT(bmp.size(), 54u) << tree.Log();
    int maxChannel[3] = {0, 0, 0};
    for (size_t i = 54; i + 2 < bmp.size(); i += 3)
        for (int c = 0; c < 3; ++c)
            maxChannel[c] = std::max(maxChannel[c], static_cast<int>(static_cast<unsigned char>(bmp[i + c])));
    EXPECT_EQ(maxChannel[0], 0);  // BMP pixels are blue, green, red
    EXPECT_GT(maxChannel[1], 0);
    EXPECT_GT(maxChannel[2], 0);
}
