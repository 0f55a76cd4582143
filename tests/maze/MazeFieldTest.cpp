// Field events: each mode and action through Activate, conditions on other
// fields, sounds, and records whose animation did not resolve.

#include "MazeTestUtil.h"
#include "TestSupport.h"

using namespace mazetest;

namespace
{
class MazeField : public MazeFixture
{
protected:
    // A 5 x 5 maze with the start on (1, 1) and the camera on (3, 3).
    void SetUp() override
    {
        MazeFixture::SetUp();
        Grid(5, 5);
        aeMaze::m_iStartX = aeMaze::m_iStartY = 1;
        aeCamera::MoveToField(3, 3);
        aeCamera::m_fRotation = 0.7f;
        aeCamera::m_fUpDown = 0.3f;
    }
    aeMazeField* F(int x, int y) { return aeMaze::GetField(x, y); }
    bool Killed()
    {
        return aeCamera::m_vPosition == Vector2(20.0f, 20.0f) && aeCamera::m_fRotation == 0.0f &&
               aeCamera::m_fUpDown == 0.0f;
    }
};
}

TEST_F(MazeField, UsedOneShotWallFiresOnlyWithUseAndStaysOnItsLastFrame)
{
    aeMazeField* f = F(3, 3);
    f->m_aiWalls[0] = Add(aeMaze::m_aWalls, Animation(1.0f), AE_ACTION_NONE, AE_MODE_ONCE, 0);
    aeMaze::Update(0);
    EXPECT_EQ(f->m_aAnimations[AE_SLOT_WALL0].m_fSpeed, 0.0f);

    f->Activate(0);
    EXPECT_EQ(f->m_byActivated, AE_VISITED_BIT);
    f->Activate(1);
    EXPECT_EQ(f->m_byActivated, AE_VISITED_BIT | 0x04);
    EXPECT_EQ(f->m_byAnimating, 0x04);
    EXPECT_EQ(f->m_aAnimations[AE_SLOT_WALL0].m_fSpeed, 1.0f);
    EXPECT_EQ(f->StopBecauseOfAction(), 0); // action 0 does not hold the player

    f->m_aAnimations[AE_SLOT_WALL0].Advance(5.0f);
    EXPECT_EQ(f->m_aAnimations[AE_SLOT_WALL0].m_fTime, 1.0f);
    f->Activate(0);
    EXPECT_EQ(f->m_byAnimating, 0);
    EXPECT_EQ(f->m_byActivated, AE_VISITED_BIT | 0x04);
    EXPECT_EQ(f->m_aAnimations[AE_SLOT_WALL0].m_fTime, 1.0f);
    f->Activate(1); // fired: nothing more
    EXPECT_EQ(f->m_byAnimating, 0);
}

TEST_F(MazeField, LoopingTrapKillsAtOnceAndRearms)
{
    Clock clock(4242);
    aeSound* sound = Sound(false, 2);
    aeMazeField* f = F(3, 3);
    f->m_iFloor = Add(aeMaze::m_aFloors, Animation(1.0f), AE_ACTION_KILL, AE_MODE_LOOP, 1, sound);
    aeMaze::Update(1);
    EXPECT_EQ(f->m_aAnimations[AE_SLOT_FLOOR].m_bLoop, 1);
    EXPECT_EQ(sound->GetAvailableBuffer(), 0); // mode 1 starts no sound in Update

    f->Activate(0);
    EXPECT_TRUE(Killed());
    EXPECT_EQ(aeMaze::GetLastKill(), 4242u);
    EXPECT_EQ(f->m_byActivated, AE_VISITED_BIT); // re-armed
    EXPECT_EQ(sound->GetStatus(0), static_cast<DWORD>(AE_DSBSTATUS_PLAYING));

    aeCamera::MoveToField(3, 3);
    clock.s_Now = 4260;
    f->Activate(0);
    EXPECT_TRUE(Killed());
    EXPECT_EQ(aeMaze::GetLastKill(), 4260u);
    // Buffer 0 still sounds, so the second kill plays on buffer 1; a second
    // later both have ended.
    EXPECT_EQ(sound->GetStatus(1), static_cast<DWORD>(AE_DSBSTATUS_PLAYING));
    clock.s_Now = 5300;
    EXPECT_EQ(sound->GetAvailableBuffer(), 0);
}

TEST_F(MazeField, OneShotTrapHoldsThePlayerUntilItsEndThenKillsAndRearms)
{
    aeMazeField* f = F(3, 3);
    f->m_iFloor = Add(aeMaze::m_aFloors, Animation(2.0f), AE_ACTION_KILL, AE_MODE_ONCE, 1);
    aeMaze::Update(0);
    f->Activate(0);
    EXPECT_EQ(f->StopBecauseOfAction(), 1);
    EXPECT_FALSE(Killed());
    f->m_aAnimations[AE_SLOT_FLOOR].Advance(1.0f);
    f->Activate(0);
    EXPECT_EQ(f->StopBecauseOfAction(), 1);
    EXPECT_FALSE(Killed());

    f->m_aAnimations[AE_SLOT_FLOOR].Advance(1.5f);
    f->Activate(0);
    EXPECT_TRUE(Killed());
    EXPECT_EQ(f->StopBecauseOfAction(), 0);
    EXPECT_EQ(f->m_aAnimations[AE_SLOT_FLOOR].m_fTime, 0.0f);
    EXPECT_EQ(f->m_aAnimations[AE_SLOT_FLOOR].m_fSpeed, 0.0f);
    EXPECT_EQ(f->m_byActivated, AE_VISITED_BIT);
    // Armed again: the next step fires it anew.
    f->Activate(0);
    EXPECT_EQ(f->m_byAnimating, 0x40);
}

TEST_F(MazeField, HoldingActionsAreKillWinAndOpen)
{
    for (int action = 0; action <= 5; ++action)
    {
        SCOPED_TRACE(action);
        aeMazeField* f = F(0, 0);
        *f = aeMazeField();
        f->m_iObject = Add(aeMaze::m_aObjects, Animation(1.0f), action, AE_MODE_ONCE, 1);
        f->Activate(0);
        EXPECT_EQ(f->StopBecauseOfAction(), action == 1 || action == 2 || action == 4);
    }
}

TEST_F(MazeField, VanishingOpeningLoopsItsSoundUntilFiredThenStopsBlocking)
{
    test::FakeClock clock(10000, 0);
    aeSound* hum = Sound(true, 3);
    aeMazeField* f = F(3, 3);
    f->m_iObject = Add(aeMaze::m_aObjects, Animation(1.0f), AE_ACTION_OPEN, AE_MODE_VANISH, 0, hum);
    aeObject* door = aeMaze::GetObject(f->m_iObject);
    door->m_vMin = Vector2(-5.0f, -5.0f);
    door->m_vMax = Vector2(5.0f, 5.0f);
    aeMaze::Update(1);
    EXPECT_EQ(f->m_aAnimations[AE_SLOT_OBJECT].m_bLoop, 1);
    EXPECT_EQ(hum->GetStatus(0), static_cast<DWORD>(AE_DSBSTATUS_PLAYING));
    // The loop is placed at the field centre.
    EXPECT_EQ(hum->GetOldPosition(0), Vector3(-20.0f, 0.0f, -20.0f));
    EXPECT_EQ(aeMaze::CheckCollisions(), 1);

    // Fired after the 50 ms in which a started buffer counts as playing.
    test::FakeClock::Set(10100);
    f->Activate(0);
    EXPECT_EQ(f->m_byActivated, AE_VISITED_BIT);
    f->Activate(1);
    EXPECT_EQ(f->m_byActivated, AE_VISITED_BIT | 0x02);
    EXPECT_EQ(f->m_byAnimating, 0);
    EXPECT_EQ(hum->GetStatus(0), 0u);
    EXPECT_EQ(aeMaze::CheckCollisions(), 0);

    // A fired slot does not start its loop again.
    aeMaze::Update(1);
    EXPECT_EQ(hum->GetStatus(0), 0u);
}

TEST_F(MazeField, ConditionsTestBitsOfOtherFields)
{
    aeMazeField* f = F(0, 0);
    f->m_iFloor = Add(aeMaze::m_aFloors, Animation(1.0f), AE_ACTION_NOTHING, AE_MODE_LOOP, 1);
    aeMazeRecord* floor = aeMaze::GetFloor(f->m_iFloor);
    Condition(floor, 3, 4, 1, 1); // the object of (3, 4) has fired
    f->Activate(0);
    EXPECT_EQ(f->m_byActivated & 0x40, 0);
    F(3, 4)->m_byActivated = 0x02;
    f->Activate(0);
    EXPECT_EQ(f->m_byActivated & 0x40, 0x40);

    aeDynConditionList never;
    *never.Insert() = aeCondition{3, 4, 0, 0};
    EXPECT_EQ(f->CheckConditions(never), 1);
    F(3, 4)->Activate(0);
    EXPECT_EQ(f->CheckConditions(never), 0);

    // Conditions naming no field or no bit are ignored.
    aeDynConditionList ignored;
    for (aeCondition c : {aeCondition{0, 0, 8, 1}, aeCondition{0, 0, -1, 1}, aeCondition{5, 0, 1, 1},
                          aeCondition{0, -1, 1, 1}, aeCondition{0, 5, 1, 1}})
        *ignored.Insert() = c;
    EXPECT_EQ(f->CheckConditions(ignored), 1);
    aeDynConditionList empty;
    EXPECT_EQ(f->CheckConditions(empty), 1);
}

TEST_F(MazeField, SeveralSlotsFireInOneStepInOrder)
{
    aeMazeField* f = F(3, 3);
    f->m_iFloor = Add(aeMaze::m_aFloors, Animation(1.0f), AE_ACTION_NONE, AE_MODE_LOOP, 1);
    // The ceiling waits for the floor of the same field: it comes later in
    // the order and sees the floor fire in the same step.
    f->m_iCeiling = Add(aeMaze::m_aCeilings, Animation(1.0f), AE_ACTION_NONE, AE_MODE_LOOP, 1);
    Condition(aeMaze::GetCeiling(f->m_iCeiling), 3, 3, 6, 1);
    // The object waits for the ceiling: it comes first and so fires one step later.
    f->m_iObject = Add(aeMaze::m_aObjects, Animation(1.0f), AE_ACTION_NONE, AE_MODE_LOOP, 1);
    Condition(aeMaze::GetObject(f->m_iObject), 3, 3, 7, 1);
    f->Activate(1);
    EXPECT_EQ(f->m_byActivated, AE_VISITED_BIT | 0x40 | 0x80);
    f->Activate(1);
    EXPECT_EQ(f->m_byActivated, AE_VISITED_BIT | 0x40 | 0x80 | 0x02);
}

TEST_F(MazeField, SoundsPlayAtTheirSlotPosition)
{
    aeMaze::m_fFloorDepth = 4.0f;
    aeSound* hum = Sound(true, 8);
    aeMazeField* f = F(3, 3);
    const Vector3 centre = aeMaze::GetFieldCenter(3, 3);
    f->m_iFloor = Add(aeMaze::m_aFloors, Animation(1.0f), 0, 1, 1, hum);
    f->m_iCeiling = Add(aeMaze::m_aCeilings, Animation(1.0f), 0, 1, 1, hum);
    aeMaze::GetCeiling(f->m_iCeiling)->m_fHeight = 9.0f;
    for (int w = 0; w < 4; ++w)
        f->m_aiWalls[w] = Add(aeMaze::m_aWalls, Animation(1.0f), 0, 1, 1, hum);
    f->Activate(0);
    // Order: walls 0-3, floor, ceiling, each on the next free buffer.
    const Vector3 expected[6] = {centre + Vector3(0, 0, 10), centre + Vector3(10, 0, 0), centre + Vector3(0, 0, -10),
                                 centre + Vector3(-10, 0, 0), centre + Vector3(0, -4, 0), centre + Vector3(0, 9, 0)};
    for (int b = 0; b < 6; ++b)
        EXPECT_EQ(hum->GetOldPosition(static_cast<DWORD>(b)), expected[b]) << b;

    EXPECT_EQ(f->PlaySound(7, 0), 1);
    EXPECT_EQ(f->PlaySound(-1, 0), 1);
}

TEST_F(MazeField, RunningOutOfBuffersIsReported)
{
    Clock clock(100);
    aeSound* click = Sound(false, 1);
    aeMazeField* f = F(3, 3);
    f->m_iFloor = Add(aeMaze::m_aFloors, Animation(1.0f), 0, 1, 1, click);
    f->m_iCeiling = Add(aeMaze::m_aCeilings, Animation(1.0f), 0, 1, 1, click);
    Log log;
    f->Activate(0);
    EXPECT_TRUE(log.Contains("aeMazeField::PlaySoundA"));
    EXPECT_TRUE(log.Contains("Nicht genug Soundbuffer!"));
    EXPECT_EQ(f->m_byActivated, AE_VISITED_BIT | 0x40 | 0x80); // the failed sound changes nothing else
}

TEST_F(MazeField, RecordsWithoutAnimationNeitherCrashNorHang)
{
    aeMazeField* f = F(3, 3);
    f->m_iObject = Add(aeMaze::m_aObjects, nullptr, AE_ACTION_OPEN, AE_MODE_ONCE, 1);
    f->m_iFloor = Add(aeMaze::m_aFloors, nullptr, AE_ACTION_NONE, AE_MODE_VANISH, 1);
    Log log;
    aeMaze::Update(1);
    EXPECT_EQ(aeLog::m_iNumErrors, 0);
    f->Activate(0);
    EXPECT_EQ(f->StopBecauseOfAction(), 1);
    // Without an animation the one-shot has nothing to wait for.
    f->Activate(0);
    EXPECT_EQ(f->m_byAnimating, 0);
    EXPECT_EQ(f->m_byActivated, AE_VISITED_BIT | 0x02 | 0x40);
}
