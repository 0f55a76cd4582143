// The button table over several frames, driven by window events pushed into
// the window system's queue and read through the frame loop's message pump.

#include <gtest/gtest.h>

#include <SDL.h>
#include <cstdlib>

#include "TestSupport.h"
#include "aeFont.h"
#include "aeInput.h"
#include "aeInputDevice.h"
#include "aeWindow.h"
#include "aeWindowHooks.h"

namespace
{
class InputButtons : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        m_hWindow = aeCreateWindow("Eingabe", 64, 64, nullptr);
        ASSERT_NE(m_hWindow, nullptr);
        ASSERT_EQ(aeInput::Init(), 1);
    }
    void TearDown() override
    {
        aeInput::Exit();
        aeDestroyWindow(m_hWindow);
    }
    static void Key(SDL_Scancode code, bool down)
    {
        SDL_Event e = {};
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.scancode = code;
        SDL_PushEvent(&e);
    }
    static void Motion(int dx, int dy)
    {
        SDL_Event e = {};
        e.type = SDL_MOUSEMOTION;
        e.motion.xrel = dx;
        e.motion.yrel = dy;
        SDL_PushEvent(&e);
    }
    static void Focus(bool gained)
    {
        SDL_Event e = {};
        e.type = SDL_WINDOWEVENT;
        e.window.event = gained ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST;
        SDL_PushEvent(&e);
    }
    // One frame as the loop runs it: messages, then the devices; the states
    // of the buttons afterwards are expected as {button, IsButtonDown}.
    static void Frame(std::initializer_list<std::pair<int, int>> expected = {})
    {
        aePumpMessages();
        aeInput::GetState();
        for (const auto& [button, down] : expected)
            EXPECT_EQ(aeInput::IsButtonDown(button), down) << "button " << button;
    }
    HWND m_hWindow = nullptr;
};
}

TEST_F(InputButtons, KeysGoDownHoldAndReleaseAndThePressedButtonIgnoresTheAxes)
{
    Key(SDL_SCANCODE_A, true);
    Frame({{40, 2}});
    EXPECT_EQ(aeInput::IsButtonPressed(40), 1);
    EXPECT_FLOAT_EQ(aeInput::GetButtonState(40), 1.0f);
    Frame({{40, 1}});
    EXPECT_EQ(aeInput::IsButtonPressed(40), 0);
    Frame({{40, 1}});
    Key(SDL_SCANCODE_A, false);
    Frame({{40, 0}});
    Key(SDL_SCANCODE_A, true);  // down again right after the release
    Frame({{40, 2}});
    Key(SDL_SCANCODE_A, false);
    Frame();
    // Key positions: the key where a German keyboard has Y is button 64.
    Key(SDL_SCANCODE_Z, true);
    Frame({{64, 2}, {65, 0}});
    Key(SDL_SCANCODE_Z, false);
    Frame();

    Motion(300, 0);
    Frame({{109, 2}});
    EXPECT_EQ(aeInput::GetPressedButton(), -1);
    Key(SDL_SCANCODE_SPACE, true);
    Frame();
    EXPECT_EQ(aeInput::GetPressedButton(), 98);
    Key(SDL_SCANCODE_A, true);
    Frame();
    EXPECT_EQ(aeInput::GetPressedButton(), 40);
    Key(SDL_SCANCODE_A, false);
    Key(SDL_SCANCODE_SPACE, false);
    Frame();
    EXPECT_EQ(aeInput::GetPressedButton(), -1);
}

TEST_F(InputButtons, MouseAxesScaleAndClamp)
{
    Motion(100, 0);  // 100 counts to the right
    Frame({{109, 2}, {108, 0}});
    EXPECT_FLOAT_EQ(aeInput::GetButtonState(109), 0.4f);
    EXPECT_FLOAT_EQ(aeInput::GetButtonState(108), 0.0f);
    Frame({{109, 0}});  // no movement in this frame
    EXPECT_FLOAT_EQ(aeInput::GetButtonState(109), 0.0f);

    EXPECT_EQ(aeInput::SetButtonScaling(109, 3.0f), 1);
    Motion(100, -50);  // and upwards
    Frame({{110, 2}});  // 50 counts reach the threshold
    EXPECT_FLOAT_EQ(aeInput::GetButtonState(109), 1.0f);
    EXPECT_FLOAT_EQ(aeInput::GetButtonState(110), 0.2f);

    test::LogCapture log;
    EXPECT_EQ(aeInput::SetButtonScaling(122, 1.0f), 0);
    EXPECT_EQ(aeInput::GetButtonScaling(122), 0.0f);
    EXPECT_EQ(aeInput::SetButtonScaling(121, 2.0f), 1);
    EXPECT_FLOAT_EQ(aeInput::GetButtonScaling(121), 2.0f);
    EXPECT_EQ(aeLog::m_iNumErrors, 2);

    // The cursor follows the axes and stays on the screen.
    aeCursor::Init(Vector2(0.99f, 0.5f));
    Motion(250, 0);
    Frame();
    aeCursor::Move(0.016f, 1.0f);
    EXPECT_FLOAT_EQ(aeCursor::GetPosition().x, 1.0f);
    Frame();
    aeCursor::Move(0.016f, 2.0f);  // a still mouse leaves it where it is
    EXPECT_FLOAT_EQ(aeCursor::GetPosition().x, 1.0f);
    EXPECT_FLOAT_EQ(aeCursor::GetPosition().y, 0.5f);
}

// Keys read up without the focus. A key pressed while another window had the
// focus and still held when ours gets it back reads as held at once, without
// a key event of its own.
TEST_F(InputButtons, KeysReadUpWithoutFocusAndHeldAtFocusGain)
{
    Key(SDL_SCANCODE_W, true);
    Frame({{62, 2}});
    Focus(false);
    Frame({{62, 0}});
    Key(SDL_SCANCODE_S, true);
    Frame({{58, 0}});
    Focus(true);
    Key(SDL_SCANCODE_S, true);
    Frame({{58, 2}});
    Key(SDL_SCANCODE_S, false);
    Key(SDL_SCANCODE_W, false);
    Frame();

    static const unsigned char* (*const kHeldD)(int*) = [](int* count) -> const unsigned char* {
        static unsigned char keys[SDL_NUM_SCANCODES] = {};
        keys[SDL_SCANCODE_D] = 1;
        *count = SDL_NUM_SCANCODES;
        return keys;
    };
    Focus(false);
    Frame();
    aeInputDeviceSetKeyStateSource(kHeldD);
    Focus(true);
    Frame({{43, 2}, {58, 0}});
    aeInputDeviceSetKeyStateSource(nullptr);
    Frame({{43, 1}});
    Key(SDL_SCANCODE_D, false);
    Frame({{43, 0}});
}

TEST(InputTable, NamesAndCharacters)
{
    EXPECT_STREQ(aeButtonName(64), "Y");
    EXPECT_EQ(aeButtonKeyCode(64), 0x2C);
    EXPECT_EQ(aeButtonKeyCode(65), 0x15);
    EXPECT_STREQ(aeButtonName(99), "Alt Gr");
    EXPECT_STREQ(aeButtonName(31), "Rücktaste");
    EXPECT_EQ(aeKeyToChar(44, 0, 1), '\x80');  // euro sign with Alt Gr
    EXPECT_EQ(aeKeyToChar(44, 1, 1), 'E');     // Shift wins
    EXPECT_EQ(aeKeyToChar(44, 0, 0), 'e');
    EXPECT_EQ(aeKeyToChar(29, 0, 0), '\xDF');
    EXPECT_EQ(aeKeyToChar(29, 0, 1), '\\');
    EXPECT_EQ(aeKeyToChar(72, 0, 0), 0);  // number pad 0
    EXPECT_EQ(aeKeyToChar(108, 0, 0), 0);
    EXPECT_EQ(aeKeyToChar(98, 1, 0), ' ');
    EXPECT_EQ(aeKeyToChar(56, 0, 1), '@');
}
