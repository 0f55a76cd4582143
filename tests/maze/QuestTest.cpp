// Quests opening and closing as the camera walks, and victory over several
// win triggers.

#include "MazeTestUtil.h"

namespace
{
class Quest : public mazetest::MazeFixture
{
protected:
    void SetUp() override
    {
        MazeFixture::SetUp();
        Grid(8, 8);
    }
    static aeQuest* AddQuest(int bx, int by, int ex, int ey)
    {
        aeQuest* q = aeMaze::m_aQuests.Insert();
        q->m_iBeginX = bx;
        q->m_iBeginY = by;
        q->m_iEndX = ex;
        q->m_iEndY = ey;
        return q;
    }
    // Moves the camera onto field (x, y) and checks the quests.
    static int At(int x, int y)
    {
        aeCamera::MoveToField(x, y);
        return aeMaze::CheckQuests();
    }
};
}

TEST_F(Quest, AllOpenOnTheirBeginFieldOnceAndCloseOnTheirEnd)
{
    EXPECT_EQ(aeMaze::CheckQuests(), 0); // no quests never change
    aeQuest* q = AddQuest(2, 3, 5, 3);
    aeQuest* a = AddQuest(0, 0, 1, 1);
    aeQuest* b = AddQuest(1, 1, 1, 2);
    EXPECT_EQ(aeMaze::CheckQuests(), 0); // camera at world (0, 0) is field (4, 4)
    // Slightly off the centre, still inside field (1, 1): both quests of the field change.
    aeCamera::MoveToField(1, 1);
    aeCamera::m_vPosition.x += 9.0f;
    EXPECT_EQ(aeMaze::CheckQuests(), 1);
    EXPECT_EQ(a->m_iState, AE_QUEST_DONE);
    EXPECT_EQ(b->m_iState, AE_QUEST_OPEN);
    EXPECT_EQ(At(2, 3), 1);
    EXPECT_EQ(q->m_iState, AE_QUEST_OPEN);
    EXPECT_EQ(aeMaze::CheckQuests(), 0);
    EXPECT_EQ(At(5, 3), 1);
    EXPECT_EQ(q->m_iState, AE_QUEST_DONE);
    EXPECT_EQ(At(2, 3), 0);
    EXPECT_EQ(q->m_iState, AE_QUEST_DONE);
    // The end field completes a quest that was never opened.
    aeQuest* never = AddQuest(2, 3, 6, 3);
    EXPECT_EQ(At(6, 3), 1);
    EXPECT_EQ(never->m_iState, AE_QUEST_DONE);
    EXPECT_EQ(aeMaze::CheckQuests(), 0);
    // The same begin and end field: open, then closed.
    aeQuest* same = AddQuest(4, 4, 4, 4);
    EXPECT_EQ(At(4, 4), 1);
    EXPECT_EQ(same->m_iState, AE_QUEST_OPEN);
    EXPECT_EQ(aeMaze::CheckQuests(), 1);
    EXPECT_EQ(same->m_iState, AE_QUEST_DONE);
    EXPECT_EQ(aeMaze::CheckQuests(), 0);
}

TEST_F(Quest, VictoryNeedsEveryWinTrigger)
{
    aeMazeField* a = aeMaze::GetField(1, 1);
    aeMazeField* b = aeMaze::GetField(6, 2);
    aeMazeField* c = aeMaze::GetField(3, 7);
    a->m_iFloor = Add(aeMaze::m_aFloors, 1.0f, AE_ACTION_WIN, AE_MODE_LOOP, 1);
    b->m_aiWalls[2] = Add(aeMaze::m_aWalls, 1.0f, AE_ACTION_WIN, AE_MODE_LOOP, 0);
    // A one-shot trigger counts only once its animation has played through.
    c->m_iObject = Add(aeMaze::m_aObjects, 3.0f, AE_ACTION_WIN, AE_MODE_ONCE, 1);
    // A record used by two fields is two triggers.
    aeMaze::GetField(0, 7)->m_iFloor = a->m_iFloor;
    aeMaze::Update(0);
    for (aeMazeField* field : {a, b, aeMaze::GetField(0, 7), c})
    {
        field->Activate(field == b);
        EXPECT_EQ(aeMaze::IsWon(), 0);
    }
    EXPECT_EQ(c->StopBecauseOfAction(), 1);
    c->m_aAnimations[AE_SLOT_OBJECT].Advance(3.0f);
    c->Activate(0);
    EXPECT_EQ(aeMaze::IsWon(), 1);
    EXPECT_EQ(c->StopBecauseOfAction(), 0);
    // Without any trigger the check is won at once.
    aeMaze::Exit();
    Grid(2, 2);
    aeMaze::CheckWin();
    EXPECT_EQ(aeMaze::IsWon(), 1);
}
