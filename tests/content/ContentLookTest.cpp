// What the player reads and sees of the shipped content: quest names that fit
// the quest list, the Tutorial's first sign, and map previews that show the
// maze the way round the 3D view shows it.

#include <string>
#include <vector>

#include "ContentSupport.h"
#include "MazeView.h"

#include "VFile.h"
#include "aeCamera.h"
#include "aeFont.h"
#include "aeImageDecode.h"
#include "d3dx9.h"

using namespace content;
using ContentLook = content::Fixture;

// The quest list (F1) draws each name on one line with the large interface
// font ("Arial" 40 at 768 lines); at 1024 × 768 a name must leave a margin.
TEST_F(ContentLook, EveryQuestNameFitsOneLineOfTheQuestList)
{
    Open(1024, 768, false);
    aeFont font;
    ASSERT_EQ(font.Init("Arial", 40.0f, 0, 0.0f), 1);
    int quests = 0;
    for (const fs::path& map : ShippedMaps())
        for (const auto& q : ReadMap(map).quests)
        {
            RECT r = {0, 0, 0, 0};
            const int height = font.GetFont()->DrawTextA(nullptr, q.text.c_str(), -1, &r, DT_CALCRECT | DT_CENTER | DT_VCENTER | DT_NOCLIP, 0xFFFFFFFF);
            RECT one = {0, 0, 0, 0};
            EXPECT_EQ(height, font.GetFont()->DrawTextA(nullptr, "A", -1, &one, DT_CALCRECT, 0xFFFFFFFF)) << q.text;
            EXPECT_LE(r.right - r.left, 940) << map.filename() << ": " << q.text;
            EXPECT_GT(r.right - r.left, 0) << q.text;
            ++quests;
        }
    EXPECT_GE(quests, 12);
}

// The player starts facing a wall (row + 1 side) that teaches the quest key.
TEST(ContentLookTutorial, TheStartFacesTheSignThatTeachesFOne)
{
    const maptext::Map m = ReadMap(kGame / "maps/Tutorial.hwm");
    const int wall = Index(m, m.startX, m.startY, 4);
    ASSERT_GE(wall, 0);
    EXPECT_EQ(m.Block(1)[static_cast<size_t>(wall)].animation, "SchildF1.ran");
    EXPECT_TRUE(fs::is_regular_file(kGame / "data/tutorial/textures/SchildF1.bmp"));
    EXPECT_NE(test::ReadBinary((kGame / "data/tutorial/textures/SchildF1.bmp").string()),
              test::ReadBinary((kGame / "data/tutorial/textures/Wand.bmp").string()));
}

// The Tutorial's torch on the column − 1 wall of field (0, 1): standing on
// (0, 0) and looking towards row + 1 it burns on one side of the view; the
// preview must show it on the same side of a walker going that way.
TEST_F(ContentLook, ThePreviewShowsTheMazeWithTheHandednessOfTheView)
{
    Open(320, 240, false);
    const fs::path map = kGame / "maps/Tutorial.hwm";
    const maptext::Map m = ReadMap(map);
    ASSERT_GE(Index(m, 0, 1, 3), 0);
    EXPECT_EQ(m.Block(1)[static_cast<size_t>(Index(m, 0, 1, 3))].animation, "Fackel.ran");

    // The view: drawn with the torch and again with a plain wall in its
    // place; the pixels that differ lie on the torch's side of the view.
    VFile file(map.string().c_str());
    ASSERT_EQ(aeMaze::Init(&file), 1);
    aeMaze::Update(0);
    auto draw = [&]() {
        aeCamera::Init(Vector2(0.0f, 0.0f), 0.0f, 0.0f);
        aeCamera::MoveToField(0, 0);
        test::DrawMazeView();
        return ReadBackBuffer();
    };
    const std::vector<uint32_t> withTorch = draw();
    aeMazeField& field = aeMaze::m_pFields[m.width * 1 + 0];
    ASSERT_GE(field.m_aiWalls[3], 0);  // the plain wall on its column + 1 side
    field.m_aiWalls[1] = field.m_aiWalls[3];
    field.m_aAnimations[3] = field.m_aAnimations[5];
    const std::vector<uint32_t> plain = draw();
    ASSERT_EQ(withTorch.size(), 320u * 240u);
    ASSERT_EQ(plain.size(), withTorch.size());
    int left = 0, rightSide = 0;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x)
            if (Pixel(withTorch, x, y) != Pixel(plain, x, y))
                (x < 160 ? left : rightSide)++;
    ASSERT_GT(left + rightSide, 20) << "no torch in view";
    const int viewSide = left > rightSide ? -1 : 1;
    EXPECT_TRUE(left > 4 * rightSide || rightSide > 4 * left) << left << " / " << rightSide;

    // The preview: the start dot (green) and exit dot (yellow) give the cell
    // size and which way columns and rows run in the picture.
    const std::string bmp = test::ReadBinary(fs::path(map).replace_extension(".bmp").string());
    aeDecodedImage preview;
    ASSERT_EQ(aeDecodeImage(bmp.data(), static_cast<UINT>(bmp.size()), 0, &preview), D3D_OK);
    const int w = preview.iWidth, h = preview.iHeight;
    auto colour = [&](int x, int y) { return preview.aPixels[static_cast<size_t>(y * w + x)] & 0xFFFFFF; };
    const test::Box startDot = test::Bounds(w, h, [&](int x, int y) { return colour(x, y) == 0x4DE64D; });
    const test::Box exitDot = test::Bounds(w, h, [&](int x, int y) { return colour(x, y) == 0xFFCC33; });
    ASSERT_GE(startDot.right, 0) << "no start dot";
    ASSERT_GE(exitDot.right, 0) << "no exit dot";
    // Pixel centres: a box's middle lies half a pixel right of and below its centre pixel.
    const double sx = startDot.CentreX() + 0.5, sy = startDot.CentreY() + 0.5, ex = exitDot.CentreX() + 0.5, ey = exitDot.CentreY() + 0.5;
    const double cell = 2.0 * (startDot.right - startDot.left + 1);
    ASSERT_NE(m.exitX, m.startX);
    ASSERT_NE(m.exitY, m.startY);
    const double colX = ((ex - sx) / (m.exitX - m.startX)) > 0 ? cell : -cell;  // one column along the picture's x
    const double rowY = ((ey - sy) / (m.exitY - m.startY)) > 0 ? cell : -cell;  // one row along its y
    // Field (0, 1) and the middle of its column - 1 edge.
    const double fx = sx + (0 - m.startX) * colX, fy = sy + (1 - m.startY) * rowY;
    const int tx = static_cast<int>(fx - colX / 2), ty = static_cast<int>(fy);
    ASSERT_TRUE(tx >= 0 && tx < w && ty >= 0 && ty < h);
    EXPECT_EQ(colour(tx, ty), 0xF0A040u) << "the torch's mark is not where the map has it";
    // Walking along rowY, is the mark (offset -colX/2, 0) on the left or the right?
    const double cross = 0.0 * 0.0 - rowY * (-colX / 2);  // forward (0, rowY) × offset, picture y downwards
    const int previewSide = cross > 0 ? 1 : -1;
    EXPECT_EQ(previewSide, viewSide) << "the preview is the mirror image of the view";
}
