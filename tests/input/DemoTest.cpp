// Demo text: what is written reads back the same, hand-written text with
// names and counts, joined demos, and text that is not a demo.

#include "TestSupport.h"
#include "aeDemo.h"
#include "aeFrameTimer.h"
#include "aeInput.h"
#include "aeMain.h"

#include <cstring>

TEST(Demo, TextRoundTripsAndHandWrittenNamesAreUnderstood)
{
    std::vector<aeDemoLine> lines;
    const std::string hand =
        "# a walk\nHALVORAN-DEMO 1\n\n40 50 w shift_LINKS   Pfeil_links\r\n1 7 #17 Knopf_2 x=-300 y=12 z=1\n"
        "HALVORAN-DEMO 1\n2 16\n";
    ASSERT_EQ(aeDemo::Parse(hand.data(), static_cast<int>(hand.size()), "hand", &lines), 1);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].iFrames, 40);
    EXPECT_EQ(lines[0].dwMs, 50u);
    int held = 0;
    for (int b = 0; b < AE_NUM_BUTTONS; ++b)
        held += lines[0].Input.IsHeld(b);
    EXPECT_EQ(held, 3);
    EXPECT_EQ(lines[0].Input.IsHeld(62), 1);   // W
    EXPECT_EQ(lines[0].Input.IsHeld(87), 1);   // Shift links
    EXPECT_EQ(lines[0].Input.IsHeld(103), 1);  // Pfeil links
    EXPECT_EQ(lines[1].Input.IsHeld(17), 1);   // "Scroll Lock" by number
    EXPECT_EQ(lines[1].Input.IsHeld(115), 1);
    EXPECT_EQ(lines[1].Input.lX, -300);
    EXPECT_EQ(lines[1].Input.lZ, 1);

    // Names that are not plain words (umlauts, brackets) are written by number.
    lines[2].Input.SetHeld(30, 1);  // "ß"
    const std::string text = aeDemo::Format(lines);
    EXPECT_NE(text.find(" #30"), std::string::npos);
    std::vector<aeDemoLine> again;
    ASSERT_EQ(aeDemo::Parse(text.data(), static_cast<int>(text.size()), "again", &again), 1);
    ASSERT_EQ(again.size(), lines.size());
    for (size_t i = 0; i < lines.size(); ++i)
    {
        EXPECT_EQ(again[i].iFrames, lines[i].iFrames);
        EXPECT_EQ(again[i].dwMs, lines[i].dwMs);
        EXPECT_TRUE(again[i].Input == lines[i].Input) << i;
    }
}

TEST(Demo, TextThatIsNotADemoIsRefusedWithItsLine)
{
    const std::pair<const char*, const char*> bad[] = {
        {"", "Demo"},
        {"2 50 W\n", "Demo"},                          // no first line
        {"HALVORAN-DEMO 1\n0 50\n", "Demo"},           // no frames
        {"HALVORAN-DEMO 1\n1 0\n", "Demo"},            // no time
        {"HALVORAN-DEMO 1\n1 60001\n", "Demo"},        // a minute per frame at most
        {"HALVORAN-DEMO 1\n1 50 Gibtsnicht\n", "Demo"},
        {"HALVORAN-DEMO 1\n1 50 x=99999999999\n", "Demo"},
        {"HALVORAN-DEMO 1\n1 50 #108\n", "Demo"},      // axes are counts, not buttons
        {"HALVORAN-DEMO 1\n1 50 W\n2 5x\n", "Zeile 3"},
    };
    for (const auto& [text, message] : bad)
    {
        test::LogCapture log;
        std::vector<aeDemoLine> lines;
        EXPECT_EQ(aeDemo::Parse(text, static_cast<int>(std::strlen(text)), "bad", &lines), 0) << text;
        EXPECT_TRUE(lines.empty());
        EXPECT_TRUE(log.Contains("Demo") && log.Contains(message)) << log.Text();
    }
    test::LogCapture log;

    // A file larger than any real demo is refused before it is parsed.
    const std::string huge = test::ScratchDir("demo") + "/huge.demo";
    std::string text = "HALVORAN-DEMO 1\n";
    text.resize(AE_DEMO_MAX_FILE + 1, '\n');
    test::WriteBinary(huge, text);
    EXPECT_EQ(aeDemo::StartPlayback(huge.c_str(), 1), 0);
    EXPECT_EQ(aeDemo::IsPlaying(), 0);
    EXPECT_TRUE(log.Contains("zu gro")) << log.Text();
}

TEST(Demo, RecordingJoinsLikeFramesAndPlaybackGivesThemBack)
{
    const std::string dir = test::ScratchDir("demo");
    const std::string path = dir + "/run.demo";
    test::LogCapture log;
    aeMain::m_bActive = 1;
    ASSERT_EQ(aeDemo::StartRecording(path.c_str()), 1);
    aeDemoInput input = {};
    for (int frame = 0; frame < 5; ++frame)
    {
        input.SetHeld(62, frame < 3);
        input.lX = frame == 4 ? 12 : 0;
        aeDemoInput copy = input;
        aeDemo::TakeInput(&copy);
        aeDemo::FrameTime(frame == 2 ? 20 : 16);
    }
    ASSERT_EQ(aeDemo::Stop(), 1);
    const std::string text = test::ReadBinary(path);
    EXPECT_NE(text.find("\n2 16 W\n1 20 W\n1 16\n1 16 x=12\n"), std::string::npos) << text;

    ASSERT_EQ(aeDemo::StartPlayback(path.c_str(), 1), 1);
    DWORD total = 0;
    int walked = 0;
    for (int frame = 0; frame < 5; ++frame)
    {
        aeDemoInput got = {};
        got.SetHeld(0, 1);  // what the devices report is replaced
        aeDemo::TakeInput(&got);
        total += aeDemo::FrameTime(1);
        walked += got.IsHeld(62);
        EXPECT_EQ(got.IsHeld(0), 0);
    }
    EXPECT_EQ(total, 84u);
    EXPECT_EQ(walked, 3);
    // Frames of an inactive program use up nothing.
    aeMain::m_bActive = 0;
    aeDemoInput idle = {};
    idle.SetHeld(62, 1);
    aeDemo::TakeInput(&idle);
    EXPECT_EQ(aeDemo::FrameTime(7), 7u);
    EXPECT_EQ(idle.IsHeld(62), 1);
    EXPECT_EQ(aeDemo::GetFrames(), 5);
    aeMain::m_bActive = 1;
    EXPECT_EQ(aeDemo::IsFinished(), 0);
    aeDemoInput after = {};
    after.SetHeld(62, 1);
    aeDemo::TakeInput(&after);
    EXPECT_EQ(aeDemo::IsFinished(), 1);
    EXPECT_EQ(after.IsHeld(62), 0);
    aeDemo::Stop();
    aeMain::m_bActive = 0;
}
