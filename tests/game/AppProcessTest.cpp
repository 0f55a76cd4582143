// The game program as a process, headless: it starts, runs its loop and ends
// with exit code 0 on SIGTERM (handled like closing the window) or after
// --quit-after; a second copy started meanwhile ends at once with -2.

#include "ProcessSupport.h"

#include <csignal>

TEST(AppProcess, SecondCopyEndsWithMinusTwoTerminationAndQuitAfterWithZeroBadArgumentsWithMinusOne)
{
    REQUIRE_PROGRAM();
    test::GameTree tree("tree");
    tree.UseContent();
    const pid_t first = tree.Start({});
    ASSERT_GT(first, 0);
    if (!test::WaitForLog(tree, "--- Nachrichtenschleife ---"))
    {
        kill(first, SIGKILL);
        waitpid(first, nullptr, 0);
        FAIL() << "the loop was not reached:\n" << tree.Log();
    }
    const pid_t second = tree.Start({});
    EXPECT_EQ(test::Wait(second), -2);
    // The running copy's log knows nothing of the second one.
    const std::string log = tree.Log();
    EXPECT_EQ(log.find("--- Programmstart ---"), log.rfind("--- Programmstart ---"));

    kill(first, SIGTERM);
    EXPECT_EQ(test::Wait(first), 0);
    const std::string end = tree.Log();
    size_t at = 0;  // in this order
    for (const char* line : {"--- Programmstart ---", "--- Nachrichtenschleife ---", "--- Beenden ---"})
        ASSERT_NE(at = end.find(line, at), std::string::npos) << line << "\n" << end;
    EXPECT_EQ(end.find("Fehler aufgetreten"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(tree.root + "/savegame"));
    EXPECT_TRUE(std::filesystem::exists(tree.root + "/config/Kelmstone Games/Halvoran.reg"));

    // --quit-after ends with 0, bad arguments with -1.
    EXPECT_EQ(test::Wait(tree.Start({"--windowed", "--quit-after", "0.5"})), 0);
    EXPECT_NE(tree.Log().find("--- Beenden ---"), std::string::npos);
    EXPECT_NE(tree.Log().find("Fenstergr"), std::string::npos);  // a window of the video mode's size
    // A timedemo can leave every frame's time behind.
    test::WriteBinary(tree.root + "/kurz.demo", "HALVORAN-DEMO 1\n30 50 W\n");
    EXPECT_EQ(test::Wait(tree.Start({"--map", "Tutorial", "--timedemo", "../kurz.demo", "--timedemo-csv", "../bilder.csv"})), 0);
    const std::string csv = test::ReadBinary(tree.root + "/bilder.csv");
    EXPECT_EQ(csv.rfind("Bild;Millisekunden\n1;", 0), 0u) << csv;
    EXPECT_NE(csv.find("\n29;"), std::string::npos);
    EXPECT_EQ(csv.find("\n30;"), std::string::npos);
    EXPECT_NE(tree.Log().find("Bildzeiten in ms: min "), std::string::npos);

    EXPECT_EQ(test::Wait(tree.Start({"--gibtsnicht"})), -1);
    EXPECT_NE(tree.Stderr().find("unbekanntes Argument: --gibtsnicht"), std::string::npos);
    EXPECT_EQ(test::Wait(tree.Start({"--quit-after", "bald"})), -1);
    EXPECT_NE(tree.Stderr().find(test::U8(u8"ungültige Zeitangabe für --quit-after: bald")), std::string::npos);

    // A recording that could not be kept is refused before anything starts.
    std::filesystem::remove(tree.root + "/bin/Halvoran.log");
    EXPECT_EQ(test::Wait(tree.Start({"--record", "../fehlt/neu.demo", "--quit-after", "0.5"})), -1);
    EXPECT_NE(tree.Stderr().find("Der Ordner fehlt"), std::string::npos) << tree.Stderr();
    EXPECT_FALSE(std::filesystem::exists(tree.root + "/bin/Halvoran.log"));
}

TEST(AppProcess, MissingGameDataIsNamedAndEndsWithMinusOne)
{
    REQUIRE_PROGRAM();
    test::GameTree tree("missing");
    // Step by step less of the game's data; each start names what is missing.
    std::filesystem::create_directories(tree.root + "/data/menu_interface/textures");
    const struct
    {
        const char* pcRemove;
        const char* pcNamed;
    } kSteps[] = {
        {nullptr, "Die Datei \"..\\data\\menu_interface\\textures\\interface.zip\" fehlt!"},
        {"data/menu_interface", "Der Ordner \"..\\data\\menu_interface\\\" fehlt!"},
        {"data", "Der Ordner \"..\\data\\\" fehlt!"},
    };
    for (const auto& step : kSteps)
    {
        SCOPED_TRACE(step.pcNamed);
        if (step.pcRemove)
            std::filesystem::remove_all(tree.root + "/" + step.pcRemove);
        EXPECT_EQ(test::Wait(tree.Start({"--quit-after", "5"})), -1);
        EXPECT_NE(tree.Stderr().find(step.pcNamed), std::string::npos) << tree.Stderr();
        EXPECT_NE(tree.Log().find(step.pcNamed), std::string::npos);
    }
}
