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
