// Game controllers as the keys and mouse they stand for: the translation of
// sticks and buttons, SDL's virtual controller through the button table
// (connected and removed while running), and a virtual controller walking
// the Tutorial up to its first door and opening it.

#include <gtest/gtest.h>

#include <SDL.h>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <initializer_list>
#include <vector>

#include "TestSupport.h"
#include "aeDemo.h"
#include "aeGamepad.h"
#include "aeInput.h"
#include "aeMain.h"
#include "aeWindow.h"
#include "aeWindowHooks.h"
#include "game/GameTestSupport.h"
#include "Game.h"

namespace
{
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

TEST(Gamepad, SticksAndButtonsBecomeKeysMouseCountsAndMouseButtons)
{
    const float s20 = std::sin(0.349f), c20 = std::cos(0.349f);
    const struct
    {
        const char* what;
        aeGamepadState pad;
        float seconds;
        std::vector<int> keys;
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
        {"D-pad", {0, 0, 0, 0, AE_PAD_UP | AE_PAD_DOWN | AE_PAD_LEFT | AE_PAD_RIGHT}, 0.1f, {LEFT, RIGHT, DOWN, UP}, 0, 0, false},
    };
    for (const auto& c : kCases)
    {
        SCOPED_TRACE(c.what);
        aeGamepadInput in = {};
        aeGamepadTranslate(c.pad, c.seconds, &in);
        std::vector<int> expected = c.keys;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(HeldKeys(in), expected);
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

namespace
{
// A virtual controller of SDL with the standard layout (SDL's database maps
// it as a game controller), seen by the engine through the frame loop's
// message pump; the clock moves 50 ms per frame.
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
    static void Frame()
    {
        test::FakeClock::Advance(50);
        aePumpMessages();
        aeInput::GetState();
    }

private:
    int m_iIndex = -1;
    SDL_Joystick* m_pJoystick = nullptr;
};

class GamepadInput : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        m_hWindow = aeCreateWindow("Controller", 64, 64, nullptr);
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
    test::FakeClock m_Clock{1000, 0};
    HWND m_hWindow = nullptr;
    VirtualPad m_Pad;
};
}

TEST_F(GamepadInput, AConnectedPadDrivesTheButtonTableUntilItIsRemoved)
{
    test::LogCapture log("pad");
    ASSERT_TRUE(m_Pad.Attach()) << SDL_GetError();
    VirtualPad::Frame();  // the pad is connected while running
    EXPECT_EQ(aeGamepadCount(), 1);
    EXPECT_TRUE(log.Contains("Der Controller \"")) << log.Text();

    m_Pad.Stick(SDL_CONTROLLER_AXIS_LEFTY, -1.0f);
    m_Pad.Stick(SDL_CONTROLLER_AXIS_RIGHTX, 1.0f);
    m_Pad.Button(SDL_CONTROLLER_BUTTON_A, true);
    VirtualPad::Frame();
    EXPECT_EQ(aeInput::IsButtonDown(62), 2);         // W
    EXPECT_EQ(aeInput::IsButtonDown(87), 2);         // Shift links: full tilt runs
    EXPECT_EQ(aeInput::IsButtonDown(98), 2);         // Leertaste
    EXPECT_EQ(aeInput::IsButtonDown(114), 2);        // Knopf 1
    EXPECT_FLOAT_EQ(aeInput::GetButtonState(109), 0.2f);  // 50 counts to the right in 50 ms
    EXPECT_FLOAT_EQ(aeInput::GetButtonState(108), 0.0f);
    VirtualPad::Frame();
    EXPECT_EQ(aeInput::IsButtonDown(62), 1);

    m_Pad.Release();
    m_Pad.Button(SDL_CONTROLLER_BUTTON_START, true);
    m_Pad.Button(SDL_CONTROLLER_BUTTON_BACK, true);
    m_Pad.Button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
    VirtualPad::Frame();
    EXPECT_EQ(aeInput::IsButtonDown(62), 0);
    EXPECT_EQ(aeInput::IsButtonDown(98), 0);
    EXPECT_EQ(aeInput::IsButtonPressed(0), 1);    // Escape
    EXPECT_EQ(aeInput::IsButtonPressed(1), 1);    // F1
    EXPECT_EQ(aeInput::IsButtonPressed(103), 1);  // Pfeil links

    // Without the focus a pad, like the keyboard, reads nothing.
    SDL_Event focus = {};
    focus.type = SDL_WINDOWEVENT;
    focus.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    SDL_PushEvent(&focus);
    VirtualPad::Frame();
    EXPECT_EQ(aeInput::IsButtonDown(0), 0);
    focus.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
    SDL_PushEvent(&focus);
    VirtualPad::Frame();
    EXPECT_EQ(aeInput::IsButtonDown(0), 2);

    // Pulled out while held: nothing stays down.
    m_Pad.Detach();
    VirtualPad::Frame();
    EXPECT_EQ(aeGamepadCount(), 0);
    EXPECT_EQ(aeInput::IsButtonDown(0), 0);
    EXPECT_EQ(aeInput::IsButtonDown(1), 0);
    EXPECT_TRUE(log.Contains("Ein Controller wurde entfernt!"));
}

TEST_F(GamepadInput, SlowLookingAddsUpFractionsOfCounts)
{
    ASSERT_TRUE(m_Pad.Attach()) << SDL_GetError();
    VirtualPad::Frame();
    // Tilt 0.325 gives ((0.325 - 0.25) / 0.75)² = 1 % of full speed: half a
    // count per 50-ms frame, handed out whole every other frame.
    m_Pad.Stick(SDL_CONTROLLER_AXIS_RIGHTY, 0.325f);
    float total = 0.0f;
    for (int i = 0; i < 40; ++i)
    {
        VirtualPad::Frame();
        total += aeInput::GetButtonState(111) * 250.0f;  // y-Achse positiv: counts downwards
    }
    EXPECT_NEAR(total, 20.0f, 1.01f);
}

TEST_F(GamepadInput, ADemoRecordsThePadAsTheKeysAndMouseItProduced)
{
    ASSERT_TRUE(m_Pad.Attach()) << SDL_GetError();
    VirtualPad::Frame();
    const std::string path = test::ScratchDir("demo") + "/pad.demo";
    const int active = aeMain::m_bActive;
    aeMain::m_bActive = 1;  // an inactive program's frames are not recorded
    ASSERT_EQ(aeDemo::StartRecording(path.c_str()), 1);
    m_Pad.Button(SDL_CONTROLLER_BUTTON_A, true);
    m_Pad.Stick(SDL_CONTROLLER_AXIS_RIGHTX, -1.0f);
    VirtualPad::Frame();
    ASSERT_EQ(aeDemo::Stop(), 1);
    aeMain::m_bActive = active;
    const std::string demo = test::ReadBinary(path);
    EXPECT_NE(demo.find("Knopf_1"), std::string::npos) << demo;
    EXPECT_NE(demo.find("Leertaste"), std::string::npos) << demo;
    EXPECT_NE(demo.find("x=-50"), std::string::npos) << demo;
}

// ---------------------------------------------------------------------------
// The Tutorial with a controller
// ---------------------------------------------------------------------------

namespace
{
class GamepadTutorial : public test::GameFixture
{
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        UseShippedContent();
        ASSERT_EQ(aeInput::Init(), 1);
        ASSERT_TRUE(m_Pad.Attach()) << SDL_GetError();
        VirtualPad::Frame();
        ASSERT_EQ(aeGamepadCount(), 1);
    }
    void TearDown() override
    {
        m_Pad.Detach();
        aePumpMessages();
        aeInput::Exit();
        GameFixture::TearDown();
    }
    // A frame of the game: input, move, and drawing (which runs the
    // maze's animations, the door's among them).
    void Frame()
    {
        VirtualPad::Frame();
        m_pGame->Move(0.05f);
        aeGrafik::Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        aeGrafik::BeginScene();
        m_pGame->Render(0.05f);
        aeGrafik::EndScene();
    }
    // The centre of a field in world coordinates (a field is 20 units).
    static Vector2 Centre(int x, int y)
    {
        return Vector2(static_cast<float>(aeMaze::m_iWidth - 1) * 10.0f - 20.0f * static_cast<float>(x),
                       static_cast<float>(aeMaze::m_iHeight - 1) * 10.0f - 20.0f * static_cast<float>(y));
    }
    // Turns with the right stick by a number of quarter turns (to the
    // right for positive numbers), steering like a player until the heading
    // is within 0.01.
    void Turn(int quarters)
    {
        const float target = aeCamera::m_fRotation + static_cast<float>(quarters) * 1.5707963f;
        for (int i = 0; i < 400; ++i)
        {
            const float left = target - aeCamera::m_fRotation;
            if (std::fabs(left) < 0.01f)
                break;
            const float tilt = std::min(1.0f, 0.35f + std::fabs(left));
            m_Pad.Stick(SDL_CONTROLLER_AXIS_RIGHTX, left > 0.0f ? tilt : -tilt);
            Frame();
        }
        m_Pad.Stick(SDL_CONTROLLER_AXIS_RIGHTX, 0.0f);
        Frame();
        EXPECT_NEAR(aeCamera::m_fRotation, target, 0.01f);
    }
    // Walks ahead with the left stick (running) until the field's centre is
    // less than a frame's step ahead, or the way is blocked; the distance
    // still left.
    float Walk(int x, int y)
    {
        const Vector2 goal = Centre(x, y);
        float last = 1e9f;
        for (int i = 0; i < 400; ++i)
        {
            const Vector2 p = aeCamera::m_vPosition;
            const float left = std::hypot(goal.x - p.x, goal.y - p.y);
            if (left < 0.8f || left >= last)
                break;
            last = left;
            m_Pad.Stick(SDL_CONTROLLER_AXIS_LEFTY, left > 3.0f ? -1.0f : -0.5f);
            Frame();
        }
        m_Pad.Stick(SDL_CONTROLLER_AXIS_LEFTY, 0.0f);
        Frame();
        const Vector2 p = aeCamera::m_vPosition;
        return std::hypot(goal.x - p.x, goal.y - p.y);
    }
    static void Field(int* x, int* y) { aeCamera::GetPositionInField(x, y); }

    Game* m_pGame = nullptr;
    test::FakeClock m_Clock{1000, 0};
    VirtualPad m_Pad;
};
}

TEST_F(GamepadTutorial, APadWalksToTheFirstDoorAndOpensIt)
{
    std::snprintf(Halvoran::m_acMap, sizeof(Halvoran::m_acMap), "%s", "..\\maps\\Tutorial.hwm");
    m_pGame = new Game;
    Halvoran::m_pCurrentState = m_pGame;
    Halvoran::m_iCurrentState = STATE_GAME;
    ASSERT_EQ(m_pGame->Init(), 1);
    ASSERT_NE(aeMaze::m_pFields, nullptr);
    int x = -1, y = -1;

    // From the sign at the start west to (0, 0), down the corridor, east,
    // then north up to the door in (2, 1).
    Turn(-1);
    EXPECT_LT(Walk(0, 0), 1.0f);
    Turn(1);
    EXPECT_LT(Walk(0, 3), 1.0f);
    Turn(1);
    EXPECT_LT(Walk(2, 3), 1.0f);
    Turn(1);
    EXPECT_GT(Walk(2, 0), 15.0f);  // the closed door stops the walk
    Field(&x, &y);
    ASSERT_EQ(x, 2);
    ASSERT_EQ(y, 1);
    const aeMazeField* door = aeMaze::GetField(2, 1);
    EXPECT_EQ(door->m_byActivated & 0x02, 0);

    // A opens it (it is the use control); the way north is free.
    m_Pad.Button(SDL_CONTROLLER_BUTTON_A, true);
    Frame();
    m_Pad.Button(SDL_CONTROLLER_BUTTON_A, false);
    EXPECT_NE(door->m_byActivated & 0x02, 0);
    for (int i = 0; i < 100; ++i)
        Frame();  // the door swings open
    EXPECT_LT(Walk(2, 0), 1.0f);
    Field(&x, &y);
    EXPECT_EQ(x, 2);
    EXPECT_EQ(y, 0);

    // B opens the in-game menu.
    m_Pad.Button(SDL_CONTROLLER_BUTTON_B, true);
    Frame();
    EXPECT_EQ(m_pGame->m_bMenuOpen, 1);
}
