// The intro: beats of the logo sound, its pictures over time, and the way out
// to the menu.

#include "GameTestSupport.h"
#include "Intro.h"
#include "Menu.h"

class IntroFixture : public test::GameFixture
{
protected:
    static Intro* StartIntro() { return StartState<Intro>(STATE_INTRO); }
};

TEST(IntroPictures, LogoStepsAndFades)
{
    Vector2 c1, c2;
    float u = 0.0f, grey = 0.0f;
    ASSERT_EQ(Intro::GetLogoRect(0.5f, &c1, &c2, &u, &grey), 1);
    EXPECT_FLOAT_EQ(u, 0.17f);
    EXPECT_FLOAT_EQ(c1.x, 0.38f);
    ASSERT_EQ(Intro::GetLogoRect(3.5f, &c1, &c2, &u, &grey), 1);  // lower bound belongs to the step
    EXPECT_FLOAT_EQ(u, 0.63f);
    EXPECT_FLOAT_EQ(c1.y, 0.31f);
    ASSERT_EQ(Intro::GetLogoRect(4.3f, &c1, &c2, &u, &grey), 1);
    EXPECT_FLOAT_EQ(u, 0.85f);
    ASSERT_EQ(Intro::GetLogoRect(5.5f, &c1, &c2, &u, &grey), 1);
    EXPECT_FLOAT_EQ(u, 0.98f);
    EXPECT_FLOAT_EQ(c1.x, 0.1f);
    EXPECT_FLOAT_EQ(c1.y, 0.37f);
    EXPECT_FLOAT_EQ(c2.x, 0.9f);
    EXPECT_FLOAT_EQ(c2.y, 0.56f);
    EXPECT_FLOAT_EQ(grey, 1.0f);
    ASSERT_EQ(Intro::GetLogoRect(7.25f, &c1, &c2, &u, &grey), 1);
    EXPECT_FLOAT_EQ(grey, 0.75f);
    EXPECT_FLOAT_EQ(c2.y, 0.5f);
    EXPECT_EQ(Intro::GetLogoRect(8.5f, &c1, &c2, &u, &grey), 0);  // the logo is gone

    for (auto [time, grey] : {std::pair{5.0f, 0.0f}, {5.5f, 0.125f}, {6.5f, 1.0f}, {7.5f, 0.5f}, {8.0f, 0.0f}})
        EXPECT_FLOAT_EQ(Intro::GetGamesGrey(time), grey) << time;
}

TEST_F(IntroFixture, IntroBeatsCatchUpOnePerFrame)
{
    Intro* intro = StartIntro();
    intro->Move(0.0f);
    EXPECT_EQ(intro->m_iBeats, 0);  // time 0 does not exceed the first beat
    intro->Render(0.01f);
    intro->Move(0.01f);
    EXPECT_EQ(intro->m_iBeats, 1);
    intro->Move(0.01f);
    EXPECT_EQ(intro->m_iBeats, 1);

    intro->Render(5.0f);  // one long frame
    for (int frame = 2; frame <= 8; ++frame)
    {
        intro->Move(0.01f);
        EXPECT_EQ(intro->m_iBeats, frame);
    }
    intro->Move(0.01f);
    EXPECT_EQ(intro->m_iBeats, 8);
    EXPECT_EQ(Halvoran::m_pCurrentState, intro);
}

TEST_F(IntroFixture, IntroAKeyInTheFirstFrameGoesStraightToTheMenu)
{
    CreateStateBlock();
    Intro* intro = StartIntro();
    Press(BUTTON_SPACE);
    intro->Move(0.01f);  // deletes the intro
    Menu* menu = dynamic_cast<Menu*>(Halvoran::m_pCurrentState);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(Halvoran::m_iCurrentState, STATE_MENU);
    EXPECT_EQ(menu->m_fFade, 0.0f);
    EXPECT_EQ(menu->m_bLeaving, 0);
    EXPECT_EQ(menu->m_iPage, MENU_PAGE_MAIN);
}

TEST_F(IntroFixture, IntroMouseMovementDoesNotSkipButAClickDoes)
{
    Intro* intro = StartIntro();
    aeInput::m_aButtons[BUTTON_MOUSE_X_POS].iState = 2;
    aeInput::m_aButtons[BUTTON_MOUSE_X_POS].fValue = 0.3f;
    intro->Move(0.01f);
    EXPECT_EQ(Halvoran::m_pCurrentState, intro);
    Press(BUTTON_MOUSE_1);
    intro->Move(0.01f);
    EXPECT_NE(dynamic_cast<Menu*>(Halvoran::m_pCurrentState), nullptr);
}

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
}
