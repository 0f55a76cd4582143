#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "aeMain.h"
#include "aeWindowHooks.h"

namespace
{
std::vector<float> g_aMoves, g_aRenders;
int g_iQuitAfter = 0, g_iPumps = 0, g_iPumpQuitAt = 0, g_iFailMoveAt = 0, g_iFailRenderAt = 0;

int Move(float elapsed)
{
    g_aMoves.push_back(elapsed);
    if (g_iFailMoveAt && static_cast<int>(g_aMoves.size()) == g_iFailMoveAt)
        return 0;
    if (g_iQuitAfter && static_cast<int>(g_aMoves.size()) >= g_iQuitAfter)
        aeMain::QuitGame();
    return 1;
}

int Render(float elapsed)
{
    g_aRenders.push_back(elapsed);
    return !(g_iFailRenderAt && static_cast<int>(g_aRenders.size()) == g_iFailRenderAt);
}

int Pump()
{
    ++g_iPumps;
    return g_iPumpQuitAt && g_iPumps >= g_iPumpQuitAt;
}

void Reset()
{
    g_aMoves.clear();
    g_aRenders.clear();
    g_iQuitAfter = g_iPumps = g_iPumpQuitAt = g_iFailMoveAt = g_iFailRenderAt = 0;
}

class CoreMainLoop : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Reset();
        const aeWindowHooks hooks = {&Pump, nullptr, nullptr};
        aeSetWindowHooks(&hooks);
        aeMain::Init();
    }
    void TearDown() override
    {
        aeSetWindowHooks(nullptr);
        aeMain::Exit();
    }
};
}

TEST_F(CoreMainLoop, SingleThreadedCallsMoveThenRenderWithTheSameTime)
{
    test::LogCapture log("loop_single");
    test::FakeClock clock(0xFFFFFFFBu, 5);  // the clock wraps in the loop: still 5 ms, not 4 billion
    g_iQuitAfter = 3;
    aeMain::SetFrequency(7.0f);  // reset by the loop
    EXPECT_EQ(aeMain::DoMessageLoop(Move, Render, 0), 1);
    ASSERT_EQ(g_aMoves.size(), 3u);
    EXPECT_EQ(g_aMoves, g_aRenders);
    for (float e : g_aMoves)
        EXPECT_FLOAT_EQ(e, 0.005f);
    EXPECT_EQ(g_iPumps, 3);
    EXPECT_TRUE(log.Contains("Die Nachrichtenschleife wurde betreten (Single-Threaded)!\r\n"));
    EXPECT_TRUE(log.Contains("Die Nachrichtenschleife wurde verlassen!\r\n"));
    EXPECT_EQ(aeMain::GetMoveThread(), nullptr);
    // Init and Exit are repeatable; Exit also closes the log with its summary, once.
    EXPECT_EQ(aeMain::Init(), 1);
    EXPECT_EQ(aeMain::IsInitialized(), 1);
    EXPECT_EQ(aeMain::IsActive(), 1);
    EXPECT_EQ(aeMain::IsQuit(), 0);
    aeMain::Exit();
    EXPECT_FALSE(aeLog::IsInitialized());
    aeMain::Exit();
    EXPECT_EQ(aeMain::IsInitialized(), 0);
    const std::string text = log.Text();
    EXPECT_EQ(text.find("Ende des Logbuches"), text.rfind("Ende des Logbuches"));
    EXPECT_NE(aeMain::GetDLLHandle(), nullptr);
}

TEST_F(CoreMainLoop, QuitMessageEndsTheLoopAfterTheFrameAndInactiveSkipsCallbacks)
{
    g_iPumpQuitAt = 5;
    aeMain::SetActive(0);
    // The loop sets itself active on entry; the first move makes it inactive.
    struct Local
    {
        static int MoveOnce(float e)
        {
            aeMain::SetActive(0);
            return Move(e);
        }
    };
    EXPECT_EQ(aeMain::DoMessageLoop(Local::MoveOnce, Render, 0), 1);
    EXPECT_EQ(g_iPumps, 5);           // the loop went on pumping while inactive
    EXPECT_EQ(g_aMoves.size(), 1u);   // but called no callback
    EXPECT_EQ(g_aRenders.size(), 1u);
    // Entered again, the loop starts active, not quitting, at frequency 1.
    g_iPumps = 0;
    g_iPumpQuitAt = 2;
    EXPECT_EQ(aeMain::DoMessageLoop(Move, Render, 0), 1);
    EXPECT_EQ(g_aMoves.size(), 3u);
    EXPECT_EQ(aeMain::GetFrequency(), 1.0f);
}

TEST_F(CoreMainLoop, FailingCallbacksAndMissingCallbacks)
{
    test::LogCapture log("loop_fail");
    g_iFailMoveAt = 2;
    EXPECT_EQ(aeMain::DoMessageLoop(Move, Render, 0), 0);
    EXPECT_EQ(g_aRenders.size(), 1u);
    EXPECT_TRUE(log.Contains("Funktion: aeMain::DoMessageLoop Beschreibung: Fehler beim Ausführen der Move-Funktion!"));
    Reset();
    g_iFailRenderAt = 1;
    EXPECT_EQ(aeMain::DoMessageLoop(Move, Render, 0), 0);
    EXPECT_TRUE(log.Contains("Beschreibung: Fehler beim Ausführen der Render-Funktion!"));
    for (int multi = 0; multi < 2; ++multi)
    {
        EXPECT_EQ(aeMain::DoMessageLoop(nullptr, Render, multi), 0);
        EXPECT_EQ(aeMain::DoMessageLoop(Move, nullptr, multi), 0);
    }
    EXPECT_EQ(aeLog::m_iNumErrors, 6);
    EXPECT_FALSE(log.Contains("Multi-Threaded"));  // no thread was started
    // Multi-threaded, the threads start and end in order.
    Reset();
    g_iQuitAfter = 20;
    EXPECT_EQ(aeMain::DoMessageLoop(Move, Render, 1), 1);
    EXPECT_GE(g_aMoves.size(), 20u);
    EXPECT_EQ(aeMain::GetMoveThread(), nullptr);
    const std::string text = log.Text();
    for (const char* line : {"(Multi-Threaded)!", "Der Move-Thread wurde gestartet!", "Der Render-Thread wurde gestartet!",
                             "Der Move-Thread wurde beendet!", "Der Render-Thread wurde beendet!",
                             "Die Nachrichtenschleife wurde verlassen!"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
}

TEST_F(CoreMainLoop, MultiThreadedReportsWhichThreadFailedOrWasOverdue)
{
    test::LogCapture log("loop_multi_fail");
    g_iFailRenderAt = 3;
    EXPECT_EQ(aeMain::DoMessageLoop(Move, Render, 1), 0);
    EXPECT_TRUE(log.Contains("Funktion: RenderThread Beschreibung: Fehler beim Ausführen der Render-Funktion!"));
    EXPECT_TRUE(log.Contains("0h 0m 0s Es ist ein Fehler im Render-Thread aufgetreten, weshalb die Nachrichtenschleife abgebrochen wurde!\r\n"));
    struct Local
    {
        static int Throw(float) { throw 1; }
        static int Fail(float) { return 0; }
        static int Slow(float)
        {
            aeMain::QuitGame();
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
            return 1;
        }
    };
    EXPECT_EQ(aeMain::DoMessageLoop(Local::Throw, Render, 1), 0);
    EXPECT_TRUE(log.Contains("Fehler während der ausführung des Move-Threads aufgetreten -> Beenden!"));
    EXPECT_TRUE(log.Contains("Es ist ein Fehler im Move-Thread aufgetreten, weshalb"));
    // A render thread still running after the time-out counts as failed. (Two
    // frames apart, so that the log does not fold its reports into repeats of
    // the first case's, as it would when the throwing case ran one frame.)
    Reset();
    aeLog::NextFrame();
    aeLog::NextFrame();
    EXPECT_EQ(aeMain::DoMessageLoop(Move, Local::Slow, 1), 0);
    EXPECT_TRUE(log.Contains("Alle Threads abbbrechen, da das Timeout erreicht wurde!"));
    // The render thread is blamed again (together with the move thread when
    // that, too, has not ended within the time-out on a busy machine).
    const std::string text = log.Text(), failed = "Render-Thread aufgetreten";
    EXPECT_NE(text.find(failed), text.rfind(failed));
    std::this_thread::sleep_for(std::chrono::milliseconds(700));  // let the given-up thread end
    // Both fail: each sets quit, so the other sees it; at least one failure wins.
    EXPECT_EQ(aeMain::DoMessageLoop(Local::Fail, Local::Fail, 1), 0);
}
