// The game installed into a prefix (cmake --install) and as a Debian package:
// the installed tree stays read-only, savegames, log and screenshots go to the
// user's XDG folders, and a savegame written there loads in the next run.

#include "ProcessSupport.h"

#include <sys/stat.h>

using test::HaveProgram;
using test::kLongRun;
using test::Shell;

namespace
{
std::string Quote(const std::string& text)
{
    return "'" + text + "'";
}

// A fresh scratch folder, also when a read-only tree was left in it.
std::string Scratch(const std::string& name)
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string dir = std::string(HALVORAN_TEST_TMP) + "/" + info->test_suite_name() + "." + info->name() + "/" + name;
    Shell("chmod -R u+w " + Quote(dir));
    return test::ScratchDir(name);
}

// The user's side of a run: home, XDG folders, the demo files.
struct User
{
    std::string root;
    explicit User(const std::string& dir) : root(dir)
    {
        for (const char* sub : {"home", "config", "data", "state", "runtime"})
            std::filesystem::create_directories(root + "/" + sub);
    }
    std::string Savegames() const { return root + "/data/halvoran/savegame"; }
    std::string Log() const { return test::ReadBinary(root + "/state/halvoran/Halvoran.log"); }

    // Starts program from the user's folder (relative file names in args
    // are the launcher's to resolve).
    pid_t Start(const std::string& program, std::initializer_list<const char*> args) const
    {
        return test::StartProgram(program, root, root,
                                  {{"XDG_DATA_HOME", root + "/data"}, {"XDG_STATE_HOME", root + "/state"}}, args);
    }
};

// Width and height from a PNG's header; 0 when it is none.
int PngSize(const std::string& bytes)
{
    if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0)
        return 0;
    auto word = [&](size_t at) {
        return static_cast<int>(static_cast<unsigned char>(bytes[at]) << 24 | static_cast<unsigned char>(bytes[at + 1]) << 16 |
                                static_cast<unsigned char>(bytes[at + 2]) << 8 | static_cast<unsigned char>(bytes[at + 3]));
    };
    return word(16) == word(20) ? word(16) : -1;
}

// Installing and packaging are checked in the plain build: the sanitizer
// build's program runs the same code in the other process tests, and its
// package would be one nobody ships.
#ifdef __SANITIZE_ADDRESS__
#define REQUIRE_INSTALLABLE_PROGRAM() GTEST_SKIP() << "installing is checked in the plain build"
#else
#define REQUIRE_INSTALLABLE_PROGRAM() REQUIRE_PROGRAM()
#endif
}

TEST(Install, TheInstalledGameSavesIntoTheUsersFoldersAndLoadsFromThere)
{
    REQUIRE_INSTALLABLE_PROGRAM();
    const std::string prefix = Scratch("prefix");
    ASSERT_EQ(Shell(Quote(HALVORAN_CMAKE) + " --install " + Quote(HALVORAN_BUILD_DIR) + " --prefix " + Quote(prefix),
                  prefix + "/../install.txt"),
              0)
        << test::ReadBinary(prefix + "/../install.txt");
    const std::string game = prefix + "/lib/halvoran";
    for (const std::string file :
         {"/bin/halvoran", "/lib/halvoran/bin/Halvoran", "/lib/halvoran/bin/libEngine.so", "/lib/halvoran/bin/installed",
          "/lib/halvoran/maps/Tutorial.hwm", "/lib/halvoran/data/menu_interface/textures/interface.zip",
          "/share/applications/de.kelmstone.Halvoran.desktop", "/share/metainfo/de.kelmstone.Halvoran.metainfo.xml"})
        EXPECT_TRUE(std::filesystem::is_regular_file(prefix + file)) << file;
    for (int size : {16, 32, 48, 64, 128, 256})
    {
        const std::string png = prefix + "/share/icons/hicolor/" + std::to_string(size) + "x" + std::to_string(size) +
                                "/apps/de.kelmstone.Halvoran.png";
        EXPECT_EQ(PngSize(test::ReadBinary(png)), size) << png;
    }
    // The desktop's own checkers, where they are installed.
    const std::string share = prefix + "/share";
    const std::pair<const char*, std::string> kCheckers[] = {
        {"desktop-file-validate", "desktop-file-validate " + Quote(share + "/applications/de.kelmstone.Halvoran.desktop")},
        {"appstreamcli", "appstreamcli validate --no-net " + Quote(share + "/metainfo/de.kelmstone.Halvoran.metainfo.xml")}};
    for (const auto& [checker, command] : kCheckers)
    {
        if (HaveProgram(checker))
        {
            EXPECT_EQ(Shell(command, prefix + "/../check.txt"), 0) << test::ReadBinary(prefix + "/../check.txt");
        }
    }
    ASSERT_EQ(Shell("chmod -R a-w " + Quote(prefix)), 0);

    User user(Scratch("user"));
    // The shipped Tutorial walk to its exit, then a save on the next map.
    test::WriteBinary(user.root + "/walk.demo",
                      test::ReadBinary(game + "/demos/Tutorial.demo") + test::DemoText().SaveInGame().Add(5).text);
    const std::string launcher = prefix + "/bin/halvoran";
    EXPECT_EQ(test::Wait(user.Start(launcher, {"--windowed", "--map", "Tutorial", "--timedemo", "walk.demo"}), kLongRun), 0)
        << test::ReadBinary(user.root + "/stderr.txt");
    const std::string log = user.Log();
    const std::string saved = test::ReadBinary(user.Savegames() + "/Spieler 1.ssd");
    ASSERT_FALSE(saved.empty()) << log;
    EXPECT_EQ(saved.find("..\\maps\\"), 1u);
    EXPECT_NE(log.find(test::U8(u8"Spielstände werden in \"") + user.Savegames() + "\" gespeichert."), std::string::npos)
        << log;
    EXPECT_NE(log.find("Das Logbuch wird in \"" + user.root + "/state/halvoran/Halvoran.log\" geschrieben."),
              std::string::npos);
    EXPECT_NE(log.find("Bildschirmfotos werden in \"" + user.root + "/data/halvoran/screenshots\" gespeichert."),
              std::string::npos);
    EXPECT_NE(log.find(", 0 Fehler,"), std::string::npos) << log;
    // Nothing was written into the installed tree.
    EXPECT_FALSE(std::filesystem::exists(game + "/savegame"));
    EXPECT_FALSE(std::filesystem::exists(game + "/bin/Halvoran.log"));

    // The next start lists the savegame: the load page (L), Return loads it,
    // saved again at once it must equal the first.
    test::DemoText().SkipIntro().Press("L").Add(25).Press("Return").Add(5).SaveInGame().Add(5).Write(user.root + "/load.demo");
    EXPECT_EQ(test::Wait(user.Start(launcher, {"--windowed", "--timedemo", "load.demo"}), kLongRun), 0);
    EXPECT_EQ(test::ReadBinary(user.Savegames() + "/Spieler 2.ssd"), saved) << user.Log();
    Shell("chmod -R u+w " + Quote(prefix));
}

TEST(Install, TheDebianPackageBuildsInstallsStartsAndGoes)
{
    REQUIRE_INSTALLABLE_PROGRAM();
    if (!HaveProgram("dpkg-deb") || !HaveProgram("dpkg-shlibdeps"))
        GTEST_SKIP() << "dpkg-deb or dpkg-shlibdeps missing";
    const std::string dir = Scratch("deb");
    ASSERT_EQ(Shell(Quote(HALVORAN_CPACK) + " --config " + Quote(std::string(HALVORAN_BUILD_DIR) + "/CPackConfig.cmake") +
                      " -B " + Quote(dir),
                  dir + "/cpack.txt"),
              0)
        << test::ReadBinary(dir + "/cpack.txt");
    std::string deb;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.path().extension() == ".deb")
            deb = entry.path().string();
    ASSERT_FALSE(deb.empty());
    ASSERT_EQ(Shell("dpkg-deb -f " + Quote(deb) + " Section Depends; dpkg-deb -c " + Quote(deb), dir + "/fields.txt"), 0);
    const std::string fields = test::ReadBinary(dir + "/fields.txt");
    // The section, a dependency found by dpkg-shlibdeps, the launcher and the
    // mark of an installed game.
    for (const char* field : {"games", "libsdl2", "./usr/games/halvoran", "./usr/lib/halvoran/bin/installed"})
        EXPECT_NE(fields.find(field), std::string::npos) << field << "\n" << fields;
    if (HaveProgram("lintian"))
    {
        EXPECT_EQ(Shell("lintian --fail-on error " + Quote(deb), dir + "/lintian.txt"), 0)
            << test::ReadBinary(dir + "/lintian.txt");
    }

    // Installing touches the system: only as root, and never over a halvoran
    // that is installed already or files of one.
    if (geteuid() != 0 || Shell("dpkg -s halvoran") == 0 || std::filesystem::exists("/usr/lib/halvoran") ||
        std::filesystem::exists("/usr/games/halvoran"))
        GTEST_SKIP() << "not root, or a halvoran package or its files are there already";
    ASSERT_EQ(Shell("dpkg -i " + Quote(deb), dir + "/dpkg.txt"), 0) << test::ReadBinary(dir + "/dpkg.txt");
    User user(Scratch("user"));
    const int code = test::Wait(user.Start("/usr/games/halvoran", {"--windowed", "--quit-after", "1"}), kLongRun);
    EXPECT_EQ(Shell("dpkg --purge halvoran", dir + "/purge.txt"), 0) << test::ReadBinary(dir + "/purge.txt");
    EXPECT_EQ(code, 0) << test::ReadBinary(user.root + "/stderr.txt");
    EXPECT_NE(user.Log().find("Das Spiel ist installiert"), std::string::npos) << user.Log();
    EXPECT_TRUE(std::filesystem::is_directory(user.Savegames()));
    EXPECT_FALSE(std::filesystem::exists("/usr/lib/halvoran"));
    EXPECT_FALSE(std::filesystem::exists("/usr/games/halvoran"));
    // What a faulty game wrote into the tree would make every later run skip.
    std::filesystem::remove_all("/usr/lib/halvoran");
}
