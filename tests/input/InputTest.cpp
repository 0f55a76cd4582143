// The button table over several frames, driven by window events pushed into
// the window system's queue and read through the frame loop's message pump;
// game controllers as the keys and mouse they stand for: the translation of
// sticks and buttons, and SDL's virtual controller through the button table
// (connected and removed while running).

#include <gtest/gtest.h>

#include <SDL.h>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "TestSupport.h"
#include "aeFont.h"
#include "aeGamepad.h"
#include "aeInput.h"
#include "aeInputDevice.h"
#include "aeWindow.h"
#include "aeWindowHooks.h"

namespace
{
// A virtual controller of SDL with the standard layout (SDL's database maps
// it as a game controller).
class VirtualPad
{
public:
    bool Attach()
    {
        m_iIndex = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                             SDL_CONTROLLER_BUTTON_MAX, 0);
        if (m_iIndex < 0)
            return false;
        m_pJoystick = SDL_JoystickOpen(m_iIndex);
        return m_pJoystick != nullptr;
    }
    void Detach()
    {
        if (!m_pJoystick)
            return;
        SDL_JoystickClose(m_pJoystick);
        m_pJoystick = nullptr;
        SDL_JoystickDetachVirtual(m_iIndex);
    }
    ~VirtualPad() { Detach(); }
    void Stick(SDL_GameControllerAxis axis, float value)
    {
        SDL_JoystickSetVirtualAxis(m_pJoystick, axis, static_cast<Sint16>(value * 32767.0f));
    }
    void Button(SDL_GameControllerButton button, bool down) { SDL_JoystickSetVirtualButton(m_pJoystick, button, down); }
    void Release()
    {
        for (int a = 0; a < SDL_CONTROLLER_AXIS_MAX; ++a)
            Stick(static_cast<SDL_GameControllerAxis>(a), 0.0f);
        for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b)
            Button(static_cast<SDL_GameControllerButton>(b), false);
    }

private:
    int m_iIndex = -1;
    SDL_Joystick* m_pJoystick = nullptr;
};

// A window with the button table; the clock moves 50 ms per frame.
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
        m_Pad.Detach();
        aePumpMessages();
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
        test::FakeClock::Advance(50);
        aePumpMessages();
        aeInput::GetState();
        for (const auto& [button, down] : expected)
            EXPECT_EQ(aeInput::IsButtonDown(button), down) << "button " << button;
    }
    test::FakeClock m_Clock{1000, 0};
    HWND m_hWindow = nullptr;
    VirtualPad m_Pad;
};

class GamepadInput : public InputButtons {};

// DirectInput key codes.
enum : int
{
    ESC = 0x01, W = 0x11, A = 0x1E, S = 0x1F, D = 0x20, SHIFT = 0x2A, SPACE = 0x39, F1 = 0x3B,
    UP = 0xC8, LEFT = 0xCB, RIGHT = 0xCD, DOWN = 0xD0,
};

std::vector<int> HeldKeys(const aeGamepadInput& in)
{
    std::vector<int> keys;
    for (int k = 0; k < 256; ++k)
        if (in.abyKeys[k])
            keys.push_back(k);
    return keys;
}
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

    // Buttons go by key position: the key where a German keyboard has Y is
    // 64. The pressed button is a key, never a mouse axis.
    Key(SDL_SCANCODE_Z, true);
    Frame({{64, 2}, {65, 0}});
    EXPECT_EQ(aeInput::GetPressedButton(), 64);
    Key(SDL_SCANCODE_Z, false);
    Motion(300, 0);
    Frame({{109, 2}, {64, 0}});
    EXPECT_EQ(aeInput::GetPressedButton(), -1);
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

TEST(Gamepad, SticksAndButtonsBecomeKeysMouseCountsAndMouseButtons)
{
    const float s20 = std::sin(0.349f), c20 = std::cos(0.349f);
    const struct
    {
        const char* what;
        aeGamepadState pad;
        float seconds;
        std::vector<int> keys;  // ascending, as HeldKeys lists them
        float mouseX, mouseY;
        bool leftMouse;
    } kCases[] = {
        {"centred", {0, 0, 0, 0, 0}, 0.1f, {}, 0, 0, false},
        {"inside the dead zone", {0.2f, -0.1f, 0.2f, 0.1f, 0}, 0.1f, {}, 0, 0, false},
        {"half up walks", {0, -0.5f, 0, 0, 0}, 0.1f, {W}, 0, 0, false},
        {"20 degrees off up is still straight", {0.6f * s20, -0.6f * c20, 0, 0, 0}, 0.1f, {W}, 0, 0, false},
        {"diagonal", {0.5f, 0.5f, 0, 0, 0}, 0.1f, {S, D}, 0, 0, false},
        {"full tilt runs", {-1, 0, 0, 0, 0}, 0.1f, {A, SHIFT}, 0, 0, false},
        {"look right at full tilt", {0, 0, 1, 0, 0}, 0.1f, {}, 100, 0, false},
        {"look up at half tilt: a ninth", {0, 0, 0, -0.5f, 0}, 0.1f, {}, 0, -100.0f / 9.0f, false},
        {"no time, no counts", {0, 0, 1, 0, 0}, 0.0f, {}, 0, 0, false},
        {"A uses and clicks", {0, 0, 0, 0, AE_PAD_A}, 0.1f, {SPACE}, 0, 0, true},
        {"B and Start are Escape", {0, 0, 0, 0, AE_PAD_B | AE_PAD_START}, 0.1f, {ESC}, 0, 0, false},
        {"Back shows the quests", {0, 0, 0, 0, AE_PAD_BACK}, 0.1f, {F1}, 0, 0, false},
        {"D-pad", {0, 0, 0, 0, AE_PAD_UP | AE_PAD_DOWN | AE_PAD_LEFT | AE_PAD_RIGHT}, 0.1f, {UP, LEFT, RIGHT, DOWN}, 0, 0, false},
    };
    for (const auto& c : kCases)
    {
        SCOPED_TRACE(c.what);
        aeGamepadInput in = {};
        aeGamepadTranslate(c.pad, c.seconds, &in);
        EXPECT_EQ(HeldKeys(in), c.keys);
        EXPECT_NEAR(in.fMouseX, c.mouseX, 1e-3f);
        EXPECT_NEAR(in.fMouseY, c.mouseY, 1e-3f);
        EXPECT_EQ(in.abyButtons[0] != 0, c.leftMouse);
        for (int b = 1; b < 8; ++b)
            EXPECT_EQ(in.abyButtons[b], 0);
    }

    // Two pads merge: keys of both, counts added.
    aeGamepadInput in = {};
    aeGamepadTranslate({0, -1, 1, 0, 0}, 0.05f, &in);
    aeGamepadTranslate({0, 0, 1, 0, AE_PAD_BACK}, 0.05f, &in);
    EXPECT_EQ(HeldKeys(in), (std::vector<int>{W, SHIFT, F1}));
    EXPECT_NEAR(in.fMouseX, 100.0f, 1e-3f);
}

TEST_F(GamepadInput, AConnectedPadDrivesTheButtonTableUntilItIsRemoved)
{
    test::LogCapture log("pad");
    ASSERT_TRUE(m_Pad.Attach()) << SDL_GetError();
    Frame();  // the pad is connected while running
    EXPECT_EQ(aeGamepadCount(), 1);
    EXPECT_TRUE(log.Contains("Der Controller \"")) << log.Text();

    // Full tilt up runs: W and Shift links; A is Leertaste and Knopf 1.
    m_Pad.Stick(SDL_CONTROLLER_AXIS_LEFTY, -1.0f);
    m_Pad.Stick(SDL_CONTROLLER_AXIS_RIGHTX, 1.0f);
    m_Pad.Button(SDL_CONTROLLER_BUTTON_A, true);
    Frame({{62, 2}, {87, 2}, {98, 2}, {114, 2}});
    EXPECT_FLOAT_EQ(aeInput::GetButtonState(109), 0.2f);  // 50 counts to the right in 50 ms
    EXPECT_FLOAT_EQ(aeInput::GetButtonState(108), 0.0f);
    Frame({{62, 1}});

    // Tilt 0.325 gives ((0.325 - 0.25) / 0.75)² = 1 % of full speed: half a
    // count per 50-ms frame, handed out whole every other frame.
    m_Pad.Release();
    m_Pad.Stick(SDL_CONTROLLER_AXIS_RIGHTY, 0.325f);
    float total = 0.0f;
    for (int i = 0; i < 40; ++i)
    {
        Frame();
        total += aeInput::GetButtonState(111) * 250.0f;  // y-Achse positiv: counts downwards
    }
    EXPECT_NEAR(total, 20.0f, 1.01f);

    m_Pad.Release();
    m_Pad.Button(SDL_CONTROLLER_BUTTON_START, true);
    m_Pad.Button(SDL_CONTROLLER_BUTTON_BACK, true);
    m_Pad.Button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
    Frame({{62, 0}, {98, 0}});
    EXPECT_EQ(aeInput::IsButtonPressed(0), 1);    // Escape
    EXPECT_EQ(aeInput::IsButtonPressed(1), 1);    // F1
    EXPECT_EQ(aeInput::IsButtonPressed(103), 1);  // Pfeil links

    // Without the focus a pad, like the keyboard, reads nothing.
    Focus(false);
    Frame({{0, 0}});
    Focus(true);
    Frame({{0, 2}});

    // Pulled out while held: nothing stays down.
    m_Pad.Detach();
    Frame({{0, 0}, {1, 0}});
    EXPECT_EQ(aeGamepadCount(), 0);
    EXPECT_TRUE(log.Contains("Ein Controller wurde entfernt!"));
}
