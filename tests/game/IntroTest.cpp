// The intro: beats of the logo sound, its pictures over time, and the way out
// to the menu.

#include <algorithm>

#include "GameTestSupport.h"
#include "Intro.h"
#include "Menu.h"

class IntroFixture : public test::GameFixture
{
protected:
    static Intro* StartIntro() { return StartState<Intro>(STATE_INTRO); }
};

TEST_F(IntroFixture, IntroEndsAfterNineSecondsThroughTheFrameCallbacks)
{
    CreateStateBlock();
    Halvoran::m_pCurrentState = nullptr;
    StartIntro();
    // Frames of a fifth of a second through the application's callbacks.
    int frames = 0;
    while (Halvoran::m_iCurrentState == STATE_INTRO && frames < 100)
    {
        Halvoran::Move(0.2f);
        Halvoran::Render(0.2f);
        ++frames;
    }
    EXPECT_EQ(Halvoran::m_iCurrentState, STATE_MENU);
    EXPECT_GE(frames, 45);
    EXPECT_LE(frames, 47);
    EndState();

    // The logo steps through its strip (a step's lower bound belongs to it),
    // fades and is gone after 8.5 s.
    Vector2 c1, c2;
    float u = 0.0f, grey = 0.0f;
    ASSERT_EQ(Intro::GetLogoRect(3.5f, &c1, &c2, &u, &grey), 1);
    EXPECT_FLOAT_EQ(u, 0.63f);
    ASSERT_EQ(Intro::GetLogoRect(7.25f, &c1, &c2, &u, &grey), 1);
    EXPECT_FLOAT_EQ(grey, 0.75f);
    EXPECT_FLOAT_EQ(c2.y, 0.5f);
    EXPECT_EQ(Intro::GetLogoRect(8.5f, &c1, &c2, &u, &grey), 0);
    EXPECT_FLOAT_EQ(Intro::GetGamesGrey(5.5f), 0.125f);

    // After one long frame the beats catch up one per frame. Mouse movement
    // does not skip the intro, a click does, straight to the main page.
    Intro* intro = StartIntro();
    intro->Render(5.0f);
    for (int beat = 1; beat <= 9; ++beat)
    {
        intro->Move(0.01f);
        EXPECT_EQ(intro->m_iBeats, std::min(beat, 8));  // eight beats in all
    }
    aeInput::m_aButtons[BUTTON_MOUSE_X_POS].iState = 2;
    aeInput::m_aButtons[BUTTON_MOUSE_X_POS].fValue = 0.3f;
    intro->Move(0.01f);
    EXPECT_EQ(Halvoran::m_pCurrentState, intro);
    Press(BUTTON_MOUSE_1);
    intro->Move(0.01f);  // deletes the intro
    Menu* menu = dynamic_cast<Menu*>(Halvoran::m_pCurrentState);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->m_fFade, 0.0f);
    EXPECT_EQ(menu->m_iPage, MENU_PAGE_MAIN);
}
