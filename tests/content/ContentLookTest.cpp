// What the player reads and sees of the shipped content: quest names that fit
// the quest list, the Tutorial's first sign, and map previews that show the
// maze the way round the 3D view shows it.

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "../graphics/GrafikTestSupport.h"
#include "TestSupport.h"

#include "aeCamera.h"
#include "DataLoader.h"
#include "VFile.h"
#include "aeFont.h"
#include "aeMaze.h"
#include "aeModel.h"
#include "d3dx9.h"

#include "MapText.h"

namespace
{
namespace fs = std::filesystem;
const fs::path kGame = HALVORAN_GAME_DIR;

maptext::Map ReadMap(const fs::path& path)
{
    maptext::Map m;
    std::string error;
    EXPECT_TRUE(maptext::FromBinary(test::ReadBinary(path.string()), &m, &error)) << path << ": " << error;
    return m;
}
int Index(const maptext::Map& m, int x, int y, int slot) { return m.fields[static_cast<size_t>(y * m.width + x)][static_cast<size_t>(slot)]; }

// A 24-bit bottom-up BMP as 0xRRGGBB pixels, rows from the top.
std::vector<uint32_t> ReadBmp24(const fs::path& path, int* w, int* h)
{
    const std::string f = test::ReadBinary(path.string());
    std::vector<uint32_t> px;
    if (f.size() < 54 || f[0] != 'B' || f[1] != 'M' || f[28] != 24)
        return px;
    int32_t width = 0, height = 0;
    std::memcpy(&width, f.data() + 18, 4);
    std::memcpy(&height, f.data() + 22, 4);
    *w = width;
    *h = height;
    const size_t row = (static_cast<size_t>(width) * 3 + 3) & ~size_t(3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            const size_t at = 54 + static_cast<size_t>(height - 1 - y) * row + static_cast<size_t>(x) * 3;
            if (at + 2 >= f.size())
                return {};
            const auto* p = reinterpret_cast<const unsigned char*>(f.data() + at);
            px.push_back((uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0]);
        }
    return px;
}

class ContentLook : public test::GrafikFixture
{
protected:
    void Open(UINT width, UINT height)
    {
        OpenDevice(width, height);
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof(cwd)), nullptr);
        m_OldDir = cwd;
        ASSERT_EQ(chdir((kGame / "bin").c_str()), 0);  // the maps' paths start in bin/
    }
    void TearDown() override
    {
        aeMaze::Exit();
        aeModelManager::Exit();
        aeDataLoader::Unload();
        if (!m_OldDir.empty())
        {
            EXPECT_EQ(chdir(m_OldDir.c_str()), 0);
        }
        test::GrafikFixture::TearDown();
    }
    std::string m_OldDir;
};
}

// The quest list (F1) draws each name on one line with the large interface
// font ("Arial" 40 at 768 lines); at 1024 × 768 a name must leave a margin.
TEST_F(ContentLook, EveryQuestNameFitsOneLineOfTheQuestList)
{
    Open(1024, 768);
    aeFont font;
    ASSERT_EQ(font.Init("Arial", 40.0f, 0, 0.0f), 1);
    int quests = 0;
    for (const auto& e : fs::directory_iterator(kGame / "maps"))
    {
        if (e.path().extension() != ".hwm")
            continue;
        for (const auto& q : ReadMap(e.path()).quests)
        {
            RECT r = {0, 0, 0, 0};
            const int height = font.GetFont()->DrawTextA(nullptr, q.text.c_str(), -1, &r, DT_CALCRECT | DT_CENTER | DT_VCENTER | DT_NOCLIP, 0xFFFFFFFF);
            RECT one = {0, 0, 0, 0};
            EXPECT_EQ(height, font.GetFont()->DrawTextA(nullptr, "A", -1, &one, DT_CALCRECT, 0xFFFFFFFF)) << q.text;
            EXPECT_LE(r.right - r.left, 940) << e.path().filename() << ": " << q.text;
            EXPECT_GT(r.right - r.left, 0) << q.text;
            ++quests;
        }
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
#ifdef __SANITIZE_ADDRESS__
    // The leak checker's tracer crashes after this test when run by ctest
    // (never a finding, never in a direct run); the code it draws with runs
    // under the sanitizers in ContentEngine, the content is checked here.
    GTEST_SKIP() << "checked in the plain build";
#endif
    Open(320, 240);
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
        aeGrafik::Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        aeGrafik::BeginScene();
        Vector3 eye, right;
        aeCamera::SetMatrices(&eye, &right, 0);
        aeMaze::Render(0.0f, eye, right, 1);
        aeMaze::Render(0.0f, eye, right, 2);
        aeGrafik::EndScene();
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
    int w = 0, h = 0;
    const std::vector<uint32_t> px = ReadBmp24(fs::path(map).replace_extension(".bmp"), &w, &h);
    ASSERT_EQ(px.size(), static_cast<size_t>(w * h));
    auto box = [&](uint32_t colour, double* cx, double* cy, int* size) {
        int x0 = w, x1 = -1, y0 = h, y1 = -1;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (px[static_cast<size_t>(y * w + x)] == colour)
                {
                    x0 = std::min(x0, x);
                    x1 = std::max(x1, x);
                    y0 = std::min(y0, y);
                    y1 = std::max(y1, y);
                }
        *cx = (x0 + x1 + 1) / 2.0;
        *cy = (y0 + y1 + 1) / 2.0;
        *size = x1 - x0 + 1;
        return x1 >= 0;
    };
    double sx = 0, sy = 0, ex = 0, ey = 0;
    int dot = 0, dot2 = 0;
    ASSERT_TRUE(box(0x4DE64D, &sx, &sy, &dot)) << "no start dot";
    ASSERT_TRUE(box(0xFFCC33, &ex, &ey, &dot2)) << "no exit dot";
    const double cell = 2.0 * dot;
    ASSERT_NE(m.exitX, m.startX);
    ASSERT_NE(m.exitY, m.startY);
    const double colX = ((ex - sx) / (m.exitX - m.startX)) > 0 ? cell : -cell;  // one column along the picture's x
    const double rowY = ((ey - sy) / (m.exitY - m.startY)) > 0 ? cell : -cell;  // one row along its y
    // Field (0, 1) and the middle of its column - 1 edge.
    const double fx = sx + (0 - m.startX) * colX, fy = sy + (1 - m.startY) * rowY;
    const int tx = static_cast<int>(fx - colX / 2), ty = static_cast<int>(fy);
    ASSERT_TRUE(tx >= 0 && tx < w && ty >= 0 && ty < h);
    EXPECT_EQ(px[static_cast<size_t>(ty * w + tx)], 0xF0A040u) << "the torch's mark is not where the map has it";
    // Walking along rowY, is the mark (offset -colX/2, 0) on the left or the right?
    const double cross = 0.0 * 0.0 - rowY * (-colX / 2);  // forward (0, rowY) × offset, picture y downwards
    const int previewSide = cross > 0 ? 1 : -1;
    EXPECT_EQ(previewSide, viewSide) << "the preview is the mirror image of the view";
}
