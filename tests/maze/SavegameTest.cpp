// The maze's part of a savegame: its layout, applying it, and refusing one
// that belongs to another map.

#include "MazeTestUtil.h"

using namespace mazetest;

namespace
{
class Savegame : public MazeFixture
{
protected:
    // A 10 x 8 maze with three quests.
    void SetUp() override
    {
        MazeFixture::SetUp();
        Grid(10, 8);
        for (int i = 0; i < 3; ++i)
            aeMaze::m_aQuests.Insert();
    }
    static std::string Saved()
    {
        VFile file;
        EXPECT_EQ(aeMaze::SaveSavegame(&file), 1);
        return Text(file);
    }
    static int Apply(const std::string& bytes)
    {
        VFile file(bytes.data(), static_cast<int>(bytes.size()));
        return aeMaze::LoadSavegame(&file);
    }
};
}

TEST_F(Savegame, RunningOneShotCompletesOnTheNextActivationAndNothingIsReevaluated)
{
    test::FakeClock clock(5000, 0);
    aeMazeField* f = aeMaze::GetField(4, 4);
    f->m_iObject = Add(aeMaze::m_aObjects, 2.5f, AE_ACTION_KILL, AE_MODE_ONCE, 1);
    f->m_aiWalls[0] = Add(aeMaze::m_aWalls, 1.5f, AE_ACTION_NONE, AE_MODE_LOOP, 0);
    f->m_iFloor = Add(aeMaze::m_aFloors, 4.0f, AE_ACTION_NONE, AE_MODE_LOOP, 0);
    aeMaze::Update(0);
    // Added after Update, this slot's player has no animation yet when the savegame fires it.
    aeSound* hum = Sound(true, 2);
    aeMazeField* g = aeMaze::GetField(2, 2);
    g->m_iObject = Add(aeMaze::m_aObjects, 1.0f, AE_ACTION_WIN, AE_MODE_VANISH, 0, hum);
    aeCamera::MoveToField(4, 4);
    std::string bytes = Saved();
    const size_t at = 16 + 2 * (4 * 10 + 4);
    bytes[at] = 0x07;
    bytes[at + 1] = 0x02;
    bytes[16 + 2 * 22] = 0x03;
    aeMaze::m_dwLastKill = 77;
    ASSERT_EQ(Apply(bytes), 1);
    EXPECT_EQ(aeMaze::GetLastKill(), 0u);
    // Fired slots stand at the end of their animation; the unfired floor does not.
    EXPECT_EQ(f->m_aAnimations[AE_SLOT_OBJECT].m_fTime, 2.5f);
    EXPECT_EQ(f->m_aAnimations[AE_SLOT_WALL0].m_fTime, 1.5f);
    EXPECT_EQ(f->m_aAnimations[AE_SLOT_FLOOR].m_fTime, 0.0f);
    EXPECT_EQ(f->StopBecauseOfAction(), 1);
    // The fired win was not evaluated again, its sound not started.
    EXPECT_EQ(aeMaze::IsWon(), 0);
    EXPECT_EQ(hum->GetAvailableBuffer(), 0);
    f->Activate(0);
    // The object's kill is carried out at once and the object re-arms.
    EXPECT_EQ(aeCamera::m_vPosition, Vector2(90.0f, 70.0f));
    EXPECT_EQ(f->m_byAnimating, 0);
    // A fired vanishing slot keeps its loop silent when play starts.
    aeMaze::Update(1);
    EXPECT_EQ(hum->GetAvailableBuffer(), 0);
}

TEST_F(Savegame, SavegameOfAnotherMapIsRefusedWithoutChange)
{
    aeMaze::GetField(0, 0)->m_byActivated = 0x41;
    aeMaze::GetField(9, 7)->m_byAnimating = 0x02;
    aeMaze::GetQuest(2)->m_iState = 2;
    aeMaze::m_bWon = 1;
    aeCamera::Init(Vector2(3.0f, 4.0f), 1.0f, 0.25f);
    const std::string good = Saved();
    // Camera, the two bytes of each field row by row, the quests' states, victory.
    EXPECT_EQ(good, Bytes().F(3.0f).F(4.0f).F(1.0f).F(0.25f).s + std::string(1, '\x41') + std::string(158, '\0') +
                        std::string(1, '\x02') + Bytes().I(0).I(0).I(2).I(1).s);
    test::LogCapture log("maze");
    for (const std::string& bytes : {good.substr(0, good.size() - 1), good + "x", good.substr(0, 16 + 2 * 9 * 8 + 16),
                                     std::string()})
    {
        SCOPED_TRACE(bytes.size());
        EXPECT_EQ(Apply(bytes), 0);
        EXPECT_EQ(aeCamera::m_vPosition, Vector2(3.0f, 4.0f));
        EXPECT_EQ(aeMaze::GetField(0, 0)->m_byActivated, 0x41);
    }
    EXPECT_TRUE(log.Contains("Der Spielstand passt nicht zur geladenen Karte")) << log.Text();
    // A savegame with a quest fewer does not fit either, nor does one whose camera is no number.
    aeMaze::m_aQuests.Remove(0);
    EXPECT_EQ(Apply(good), 0);
    aeMaze::m_aQuests.Insert();
    std::string bad = good;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::memcpy(&bad[4], &nan, 4);
    EXPECT_EQ(Apply(bad), 0);
    EXPECT_TRUE(log.Contains("ungültige Kameraposition"));
    EXPECT_EQ(aeMaze::SaveSavegame(nullptr), 0);
    EXPECT_EQ(aeMaze::LoadSavegame(nullptr), 0);
    EXPECT_EQ(Apply(good), 1);
}
