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

TEST_F(Quest, AllOpenOnTheirBeginFieldOnceAndCloseOnTheirEndAndVictoryNeedsEveryWinTrigger)
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
    // Victory needs every win trigger; a record used by two fields is two triggers.
    aeMazeField* a1 = aeMaze::GetField(1, 1);
    a1->m_iFloor = aeMaze::GetField(0, 7)->m_iFloor = Add(aeMaze::m_aFloors, 1.0f, AE_ACTION_WIN, AE_MODE_LOOP, 1);
    aeMaze::Update(0);
    a1->Activate(0);
    EXPECT_EQ(aeMaze::IsWon(), 0);
    aeMaze::GetField(0, 7)->Activate(0);
    EXPECT_EQ(aeMaze::IsWon(), 1);
}
