// Field events: a vanishing opening and its loop, conditions on other fields,
// and sounds at their slot positions.

#include "MazeTestUtil.h"

namespace
{
class MazeField : public mazetest::MazeFixture
{
protected:
    // A 5 x 5 maze with the start on (1, 1) and the camera on (3, 3); f is field (3, 3).
    void SetUp() override
    {
        MazeFixture::SetUp();
        Grid(5, 5);
        aeMaze::m_iStartX = aeMaze::m_iStartY = 1;
        aeCamera::MoveToField(3, 3);
        aeCamera::m_fRotation = 0.7f;
        aeCamera::m_fUpDown = 0.3f;
        f = aeMaze::GetField(3, 3);
    }
    aeMazeField* f = nullptr;
};
}

TEST_F(MazeField, VanishingOpeningLoopsItsSoundUntilFiredThenStopsBlocking)
{
    test::FakeClock clock(10000, 0);
    aeSound* hum = Sound(true, 3);
    f->m_iObject = Add(aeMaze::m_aObjects, 1.0f, AE_ACTION_OPEN, AE_MODE_VANISH, 0, hum);
    aeObject* door = aeMaze::GetObject(f->m_iObject);
    door->m_vMin = Vector2(-5.0f, -5.0f);
    door->m_vMax = Vector2(5.0f, 5.0f);
    aeMaze::Update(1);
    EXPECT_EQ(f->m_aAnimations[AE_SLOT_OBJECT].m_bLoop, 1);
    EXPECT_EQ(hum->GetStatus(0), static_cast<DWORD>(AE_DSBSTATUS_PLAYING));
    EXPECT_EQ(hum->GetOldPosition(0), Vector3(-20.0f, 0.0f, -20.0f)); // at the field centre
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
    aeMaze::Update(1); // a fired slot does not start its loop again
    EXPECT_EQ(hum->GetStatus(0), 0u);
}

TEST_F(MazeField, ConditionsTestBitsOfOtherFieldsAndFireInOrder)
{
    aeMazeField* g = aeMaze::GetField(0, 0);
    g->m_iFloor = Add(aeMaze::m_aFloors, 1.0f, AE_ACTION_NOTHING, AE_MODE_LOOP, 1);
    Condition(aeMaze::GetFloor(g->m_iFloor), 3, 4, 1, 1); // the object of (3, 4) has fired
    g->Activate(0);
    EXPECT_EQ(g->m_byActivated & 0x40, 0);
    aeMaze::GetField(3, 4)->m_byActivated = 0x02;
    g->Activate(0);
    EXPECT_EQ(g->m_byActivated & 0x40, 0x40);
    aeDynConditionList never, ignored, empty;
    *never.Insert() = aeCondition{3, 4, 0, 0};
    EXPECT_EQ(g->CheckConditions(never), 1);
    aeMaze::GetField(3, 4)->Activate(0);
    EXPECT_EQ(g->CheckConditions(never), 0);
    // Conditions naming no field or no bit are ignored.
    for (aeCondition c : {aeCondition{0, 0, 8, 1}, aeCondition{0, 0, -1, 1}, aeCondition{5, 0, 1, 1},
                          aeCondition{0, -1, 1, 1}, aeCondition{0, 5, 1, 1}})
        *ignored.Insert() = c;
    EXPECT_EQ(g->CheckConditions(ignored), 1);
    EXPECT_EQ(g->CheckConditions(empty), 1);
    // Several slots fire in one step in order: the ceiling waits for the floor
    // of the same field, comes later and sees it fire in the same step; the
    // object waits for the ceiling, comes first and so fires one step later.
    f->m_iFloor = Add(aeMaze::m_aFloors, 1.0f, AE_ACTION_NONE, AE_MODE_LOOP, 1);
    f->m_iCeiling = Add(aeMaze::m_aCeilings, 1.0f, AE_ACTION_NONE, AE_MODE_LOOP, 1);
    Condition(aeMaze::GetCeiling(f->m_iCeiling), 3, 3, 6, 1);
    f->m_iObject = Add(aeMaze::m_aObjects, 1.0f, AE_ACTION_NONE, AE_MODE_LOOP, 1);
    Condition(aeMaze::GetObject(f->m_iObject), 3, 3, 7, 1);
    f->Activate(1);
    EXPECT_EQ(f->m_byActivated, AE_VISITED_BIT | 0x40 | 0x80);
    f->Activate(1);
    EXPECT_EQ(f->m_byActivated, AE_VISITED_BIT | 0x40 | 0x80 | 0x02);
}

TEST_F(MazeField, SoundsPlayAtTheirSlotPositionUntilTheBuffersRunOut)
{
    aeMaze::m_fFloorDepth = 4.0f;
    aeSound* hum = Sound(true, 8);
    const Vector3 centre = aeMaze::GetFieldCenter(3, 3);
    f->m_iFloor = Add(aeMaze::m_aFloors, 1.0f, 0, 1, 1, hum);
    f->m_iCeiling = Add(aeMaze::m_aCeilings, 1.0f, 0, 1, 1, hum);
    aeMaze::GetCeiling(f->m_iCeiling)->m_fHeight = 9.0f;
    for (int w = 0; w < 4; ++w)
        f->m_aiWalls[w] = Add(aeMaze::m_aWalls, 1.0f, 0, 1, 1, hum);
    f->Activate(0);
    // Order: walls 0-3, floor, ceiling, each on the next free buffer.
    const Vector3 expected[6] = {centre + Vector3(0, 0, 10), centre + Vector3(10, 0, 0), centre + Vector3(0, 0, -10),
                                 centre + Vector3(-10, 0, 0), centre + Vector3(0, -4, 0), centre + Vector3(0, 9, 0)};
    for (int b = 0; b < 6; ++b)
        EXPECT_EQ(hum->GetOldPosition(static_cast<DWORD>(b)), expected[b]) << b;
    EXPECT_EQ(f->PlaySound(7, 0), 1);
    EXPECT_EQ(f->PlaySound(-1, 0), 1);
    test::FakeClock clock(100, 0);
    aeSound* click = Sound(false, 1);
    aeMazeField* g = aeMaze::GetField(1, 3);
    g->m_iFloor = Add(aeMaze::m_aFloors, 1.0f, 0, 1, 1, click);
    g->m_iCeiling = Add(aeMaze::m_aCeilings, 1.0f, 0, 1, 1, click);
    test::LogCapture log("maze");
    g->Activate(0);
    EXPECT_TRUE(log.Contains("aeMazeField::PlaySoundA"));
    EXPECT_TRUE(log.Contains("Nicht genug Soundbuffer!"));
    EXPECT_EQ(g->m_byActivated, AE_VISITED_BIT | 0x40 | 0x80); // the failed sound changes nothing else
}
