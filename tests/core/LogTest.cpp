#include <gtest/gtest.h>


#include <chrono>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "aeError.h"
#include "aeLock.h"
#include "aeLog.h"

namespace
{
int Count(const std::string& text, const std::string& what)
{
    int n = 0;
    for (size_t at = 0; (at = text.find(what, at)) != std::string::npos; at += what.size())
        ++n;
    return n;
}
}

TEST(CoreLog, OffWithoutFileNameSilentWhenClosedAndUtf8OnDisk)
{
    ASSERT_EQ(aeLog::Init("Programm", nullptr), 1);
    EXPECT_FALSE(aeLog::IsInitialized());
    EXPECT_EQ(aeLog::Write("x"), 1);
    EXPECT_EQ(aeLog::Error("x"), 1);
    EXPECT_EQ(aeLog::Warning("x"), 1);
    EXPECT_EQ(aeLog::WriteDirect("x"), 1);
    EXPECT_EQ(aeLog::Exit(), 1);
    EXPECT_EQ(aeLog::Exit(), 1);
    EXPECT_EQ(aeLog::Init("Programm", "/nonexistent-dir/x"), 0);
    test::LogCapture log("utf8");
    aeLog::Write("Größe: %s", "Straße");
    aeLog::Exit();
    const std::string raw = test::ReadBinary(log.Path() + ".log");
    EXPECT_NE(raw.find(test::U8(u8"Größe: Straße")), std::string::npos);
    EXPECT_NE(raw.find(test::U8(u8"Einträge")), std::string::npos);
}

TEST(CoreLog, OverlongMessagesAndNamesAreCut)
{
    {
        test::LogCapture log("long");
        const std::string huge(5000, 'x');
        aeLog::Write("%s", huge.c_str());
        AE_ERROR("Test::Long", "%s", huge.c_str());
        const std::string text = log.Text();
        const size_t first = text.find("0h 0m 0s x");
        ASSERT_NE(first, std::string::npos);
        const size_t end = text.find("\r\n", first);
        ASSERT_NE(end, std::string::npos);
        EXPECT_LE(end + 2 - first, 1023u);  // whole line including its end fits the line buffer
        EXPECT_EQ(aeLog::m_iNumErrors, 1);
    }
    // A file name too long for the name buffer is cut, keeping ".log".
    const std::string dir = test::ScratchDir("log_longname");
    const std::string name = dir + "/" + std::string(300 - dir.size(), 'n');
    ASSERT_EQ(aeLog::Init("Test", name.c_str()), 1);
    aeLog::Exit();
    bool found = false;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        found = found || e.path().extension() == ".log";
    EXPECT_TRUE(found);
    test::LogCapture log("templates");
    aeReportError("Datei.cpp", 12, "aeTest::Run", "Die Datei %s konnte nicht %s werden!", "a.txt", "geöffnet");
    aeReportInvalidParameter("Datei.cpp", 13, "aeTest::Run");
    aeReportWarning("Datei.cpp", 14, "aeTest::Run", "Achtung!");
    const std::string text = log.Text();
    EXPECT_NE(text.find("Fehler: Datei: Datei.cpp Zeile: 12 Funktion: aeTest::Run Beschreibung: Die Datei a.txt konnte nicht geöffnet werden!\r\n"), std::string::npos);
    EXPECT_NE(text.find("Fehler: Datei: Datei.cpp Zeile: 13 Funktion: aeTest::Run Beschreibung: Der Funktion wurden ungültige Parameter übergeben!\r\n"), std::string::npos);
    EXPECT_NE(text.find("Warnung: Datei: Datei.cpp Zeile: 14 Funktion: aeTest::Run Beschreibung: Achtung!\r\n"), std::string::npos);
    EXPECT_EQ(aeLog::m_iNumErrors, 2);
    EXPECT_EQ(aeLog::m_iNumWarnings, 1);
}

TEST(CoreLog, LinesStayWholeAndCountsExactAcrossThreads)
{
    test::LogCapture log("threads");
    // Enough entries that counters updated without the lock lose some.
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 20000; ++i)
                (i % 2 ? aeLog::Error : aeLog::Write)("Thread %d Eintrag %d ---------------------------------", t, i);
        });
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(aeLog::m_iNumEntries, 80000);
    EXPECT_EQ(aeLog::m_iNumErrors, 40000);
    std::istringstream in(log.Text());
    std::string line;
    int lines = 0;
    std::getline(in, line);  // header
    while (std::getline(in, line))
    {
        ++lines;
        EXPECT_EQ(line.rfind("0h ", 0), 0u) << line;
        EXPECT_EQ(line.back(), '\r');
        EXPECT_NE(line.find("---------------------------------\r"), std::string::npos) << line;
    }
    EXPECT_EQ(lines, 80000);
}

TEST(CoreLock, LockUnlockAndContention)
{
    aeLock lock;
    EXPECT_EQ(lock.IsLocked(), 0);
    lock.Lock();
    EXPECT_EQ(lock.IsLocked(), 1);
    lock.Unlock();
    EXPECT_EQ(lock.IsLocked(), 0);
    long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 100000; ++i)
            {
                lock.Lock();
                ++counter;
                lock.Unlock();
            }
        });
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(counter, 200000);
    // A waiter spins while the lock is held and gets it once it is released.
    lock.Lock();
    std::thread waiter([&] { lock.Lock(); ++counter; lock.Unlock(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(counter, 200000);
    lock.Unlock();
    waiter.join();
    EXPECT_EQ(counter, 200001);
}

TEST(CoreLog, AMessageRepeatedEveryFrameIsWrittenOnceWithItsCount)
{
    test::FakeClock clock(0xFFFFF000u, 0);  // the clock wraps during the log
    std::string text;
    {
        test::LogCapture log("repeats");
        // Ten minutes at 25 frames a second with a per-frame failure, and
        // another message now and then that is written each time.
        for (int frame = 0; frame < 15000; ++frame)
        {
            test::FakeClock::Set(0xFFFFF000u + static_cast<DWORD>(frame) * 40);
            aeLog::NextFrame();
            AE_ERROR("Game::Render", "Fehler beim finden der Cursor-Textur!");
            if (frame % 5000 == 0)
                aeLog::Write("Karte geladen");
        }
        aeLog::NextFrame();  // a frame without it: the repeats are summed up
        aeLog::NextFrame();
        AE_ERROR("Game::Render", "Fehler beim finden der Cursor-Textur!");  // new again: written
        aeLog::Warning("Warnung");
        // The time since the start is split by truncation; the hours do not wrap.
        test::FakeClock::Set(0xFFFFF000u + 25u * 3600u * 1000u + 59500u);
        aeLog::Write("b");
        EXPECT_EQ(aeLog::m_iNumErrors, 15001);
        EXPECT_EQ(aeLog::m_iNumEntries, 15006);
        aeLog::Exit();
        text = log.Text();
    }
    // The first time exactly as ever, and once more after the pause; a note once a minute, and when it stopped.
    EXPECT_EQ(Count(text, "Beschreibung: Fehler beim finden der Cursor-Textur!\r\n"), 2);
    EXPECT_EQ(Count(text, "-mal wiederholt)"), 10);
    EXPECT_LT(Count(text, "\r\n"), 30);
    EXPECT_NE(text.find("0h 1m 0s Fehler"), std::string::npos);
    EXPECT_NE(text.find("Fehler beim finden der Cursor-Textur! (1499-mal wiederholt)"), std::string::npos);
    EXPECT_NE(text.find("Fehler beim finden der Cursor-Textur! (1500-mal wiederholt)"), std::string::npos);
    EXPECT_EQ(Count(text, "Karte geladen"), 3);
    EXPECT_EQ(text.rfind("--- Logbuch zum Programm \"Test\" ---\r\n", 0), 0u);
    EXPECT_NE(text.find("\r\n25h 0m 59s b\r\n\r\n25h 0m 59s Ende des Logbuches: 15006 Einträge, 15001 Fehler, 1 Warnungen"),
              std::string::npos);
    // Repeats within one frame or without frames are all written.
    test::LogCapture log("no_frames");
    for (int i = 0; i < 3; ++i)
        aeLog::Write("Ohne Bilder");
    aeLog::NextFrame();
    aeLog::Write("Im Bild");
    aeLog::Write("Im Bild");
    EXPECT_EQ(Count(log.Text(), "Bild"), 5);
}
