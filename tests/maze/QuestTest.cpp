// Quests opening and closing as the camera walks, and victory over several
// win triggers.

#include "MazeTestUtil.h"

using mazetest::MazeFixture;
using mazetest::Clock;

namespace
{
class Quest : public MazeFixture
{
protected:
    void SetUp() override
    {
        MazeFixture::SetUp();
        Grid(8, 8);
    }
    aeQuest* AddQuest(int bx, int by, int ex, int ey)
    {
        aeQuest* q = aeMaze::m_aQuests.Insert();
        q->m_iBeginX = bx;
        q->m_iBeginY = by;
        q->m_iEndX = ex;
        q->m_iEndY = ey;
        return q;
    }
};
}

TEST_F(Quest, OpensOnItsBeginFieldOnceAndClosesOnItsEnd)
{
    aeQuest* q = AddQuest(2, 3, 5, 3);
    aeCamera::MoveToField(2, 3);
    EXPECT_EQ(aeMaze::CheckQuests(), 1);
    EXPECT_EQ(q->m_iState, AE_QUEST_OPEN);
    EXPECT_EQ(aeMaze::CheckQuests(), 0);
    EXPECT_EQ(aeMaze::CheckQuests(), 0);
    aeCamera::MoveToField(5, 3);
    EXPECT_EQ(aeMaze::CheckQuests(), 1);
    EXPECT_EQ(q->m_iState, AE_QUEST_DONE);
    aeCamera::MoveToField(2, 3);
    EXPECT_EQ(aeMaze::CheckQuests(), 0);
    EXPECT_EQ(q->m_iState, AE_QUEST_DONE);
}

TEST_F(Quest, EndFieldCompletesAQuestThatWasNeverOpened)
{
    aeQuest* q = AddQuest(2, 3, 5, 3);
    aeCamera::MoveToField(5, 3);
    EXPECT_EQ(aeMaze::CheckQuests(), 1);
    EXPECT_EQ(q->m_iState, AE_QUEST_DONE);
    EXPECT_EQ(aeMaze::CheckQuests(), 0);
}

TEST_F(Quest, SameBeginAndEndOpenThenClose)
{
    aeQuest* q = AddQuest(4, 4, 4, 4);
    aeCamera::MoveToField(4, 4);
    EXPECT_EQ(aeMaze::CheckQuests(), 1);
    EXPECT_EQ(q->m_iState, AE_QUEST_OPEN);
    EXPECT_EQ(aeMaze::CheckQuests(), 1);
    EXPECT_EQ(q->m_iState, AE_QUEST_DONE);
    EXPECT_EQ(aeMaze::CheckQuests(), 0);
}

TEST_F(Quest, AllQuestsAreStepped)
{
    aeQuest* a = AddQuest(1, 1, 6, 6);
    aeQuest* b = AddQuest(0, 0, 1, 1);
    aeQuest* c = AddQuest(1, 1, 1, 2);
    EXPECT_EQ(aeMaze::CheckQuests(), 0); // camera at world (0, 0) is field (4, 4)
    aeCamera::MoveToField(1, 1);
    // Slightly off the centre, still inside field (1, 1).
    aeCamera::m_vPosition.x += 9.0f;
    EXPECT_EQ(aeMaze::CheckQuests(), 1);
    EXPECT_EQ(a->m_iState, AE_QUEST_OPEN);
    EXPECT_EQ(b->m_iState, AE_QUEST_DONE);
    EXPECT_EQ(c->m_iState, AE_QUEST_OPEN);
}

TEST_F(Quest, NoQuestsNeverChange)
{
    EXPECT_EQ(aeMaze::CheckQuests(), 0);
}

TEST_F(Quest, VictoryNeedsEveryWinTrigger)
{
    aeMazeField* a = aeMaze::GetField(1, 1);
    aeMazeField* b = aeMaze::GetField(6, 2);
    aeMazeField* c = aeMaze::GetField(3, 7);
    a->m_iFloor = Add(aeMaze::m_aFloors, Animation(1.0f), AE_ACTION_WIN, AE_MODE_LOOP, 1);
    b->m_aiWalls[2] = Add(aeMaze::m_aWalls, Animation(1.0f), AE_ACTION_WIN, AE_MODE_LOOP, 0);
    // A one-shot trigger counts only once its animation has played through.
    c->m_iObject = Add(aeMaze::m_aObjects, Animation(3.0f), AE_ACTION_WIN, AE_MODE_ONCE, 1);
    // A record used by two fields is two triggers.
    aeMaze::GetField(0, 7)->m_iFloor = a->m_iFloor;
    aeMaze::Update(0);

    a->Activate(0);
    EXPECT_EQ(aeMaze::IsWon(), 0);
    b->Activate(1);
    EXPECT_EQ(aeMaze::IsWon(), 0);
    aeMaze::GetField(0, 7)->Activate(0);
    EXPECT_EQ(aeMaze::IsWon(), 0);
    c->Activate(0);
    EXPECT_EQ(aeMaze::IsWon(), 0);
    EXPECT_EQ(c->StopBecauseOfAction(), 1);
    c->m_aAnimations[AE_SLOT_OBJECT].Advance(3.0f);
    c->Activate(0);
    EXPECT_EQ(aeMaze::IsWon(), 1);
    EXPECT_EQ(c->StopBecauseOfAction(), 0);
}

TEST_F(Quest, VictoryCheckWithoutTriggersIsWon)
{
    aeMaze::CheckWin();
    EXPECT_EQ(aeMaze::IsWon(), 1);
}
