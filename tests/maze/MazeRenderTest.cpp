// The maze drawn headless from the camera: pieces at their borders, fog,
// opaque before transparent, fired mode-2 pieces gone, hidden fields left out.

#include "../graphics/GrafikTestSupport.h"
#include "../resources/ResourceTestUtil.h"
#include "MazeTestUtil.h"
#include "MazeView.h"

#include "aeCamera.h"
#include "aeMaze.h"

namespace
{
const float kPi = 3.14159265f;

aeMapRecord Piece(const char* animation, int mode = 0)
{
    aeMapRecord r;
    r.animation = animation;
    r.mode = mode;
    return r;
}

class MazeRender : public test::GrafikFixture
{
protected:
    void SetUp() override
    {
        OpenDevice(160, 120);
        m_Data = test::ScratchDir("data");
        // Solid and two-coloured textures; a wall of each stands upright along X, centred on the origin.
        const std::pair<const char*, std::vector<uint32_t>> textures[] = {
            {"red", {0xFF0000, 0xFF0000, 0xFF0000, 0xFF0000}},   {"green", {0x00FF00, 0x00FF00, 0x00FF00, 0x00FF00}},
            {"blue", {0x0000FF, 0x0000FF, 0x0000FF, 0x0000FF}},  {"white", {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF}},
            {"halves", {0xFF0000, 0x0000FF, 0xFF0000, 0x0000FF}}};
        for (const auto& [name, pixels] : textures)
        {
            const auto bmp = test::MakeBmp(2, 2, pixels);
            Write("textures", std::string(name) + ".bmp", std::string(bmp.begin(), bmp.end()));
            Square(name, Color(1.0f, 1.0f, 1.0f, 1.0f), 0, Vector3(0.0f, 0.0f, 0.0f));
        }
        // The glass stands 5 units towards row + 1 (towards -Z).
        Square("glass", Color(1.0f, 1.0f, 1.0f, 0.5f), 1, Vector3(0.0f, 0.0f, -5.0f));
        // The floor: the white square turned flat.
        Animation("floor.ran", "white.rvm", Vector3(0.0f, 0.0f, 0.0f), Vector3(kPi / 2, 0.0f, 0.0f));
    }
    void TearDown() override
    {
        aeMaze::Exit();
        test::GrafikFixture::TearDown();
    }
    void Write(const char* folder, const std::string& name, const std::string& bytes)
    {
        mazetest::WriteFile(m_Data / folder / name, bytes);
    }
    // A square model of that name and its animation.
    void Square(const std::string& name, Color color, int transparent, Vector3 position)
    {
        rvmtext::Model model;
        const std::string texture = transparent ? "blue.bmp" : name + ".bmp";
        model.materials.push_back(restest::Mat(transparent, color, texture));
        restest::AddSquare(&model, -10.0f, -10.0f, 10.0f, 10.0f, 0.0f, 0);
        Write("models", name + ".rvm", restest::Bytes(model));
        Animation(name + ".ran", name + ".rvm", position, Vector3(0.0f, 0.0f, 0.0f));
    }
    void Animation(const std::string& name, const std::string& model, Vector3 position, Vector3 rotation)
    {
        ranimtext::Animation a;
        a.duration = 1.0f;
        a.objects.push_back(restest::Obj(model, 0, {restest::Key(0.0f, 1, position, rotation)}));
        Write("animations", name, restest::Bytes(a));
    }
    // Loads the map with this test's data directory.
    void Load(aeMapData& map)
    {
        map.data = m_Data.string() + "/";
        ASSERT_EQ(mazetest::Load(mazetest::Build(map)), 1);
    }
    // Draws both passes from the camera and reads the picture.
    std::vector<uint32_t> Draw(Vector2 position, float rotation)
    {
        aeCamera::Init(position, rotation, 0.0f);
        test::DrawMazeView();
        return ReadBackBuffer();
    }
    // The strongest channel of a pixel: 'r', 'g', 'b', or 0 for black.
    char Channel(const std::vector<uint32_t>& pixels, int x, int y) const
    {
        const uint32_t p = Pixel(pixels, x, y);
        const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
        if (r < 40 && g < 40 && b < 40)
            return 0;
        return r >= g && r >= b ? 'r' : (g >= b ? 'g' : 'b');
    }

    std::filesystem::path m_Data;
};
}

TEST_F(MazeRender, WallsStandAtTheirBordersAndTheLastTwoAreMirrored)
{
    aeMapData map;
    map.walls = {Piece("red.ran"), Piece("green.ran"), Piece("halves.ran"), Piece("blue.ran")};
    // Walls 0 to 3 face row - 1 (+Z), column - 1 (+X), row + 1 (-Z), column + 1 (-X).
    mazetest::Field(map, 0, 0) = {-1, -1, 0, 1, 2, 3, -1};
    Load(map);
    const Vector2 centre(0.0f, 0.0f);
    EXPECT_EQ(Channel(Draw(centre, kPi), 80, 60), 'r');        // looking along +Z
    EXPECT_EQ(Channel(Draw(centre, -kPi / 2), 80, 60), 'g');   // +X
    EXPECT_EQ(Channel(Draw(centre, kPi / 2), 80, 60), 'b');    // -X
    // Wall 2 is the mirror image of a wall 0: from inside the field the
    // texture's left half (red) shows on the right.
    const auto pixels = Draw(centre, 0.0f);
    EXPECT_EQ(Channel(pixels, 30, 60), 'b');
    EXPECT_EQ(Channel(pixels, 130, 60), 'r');
}

TEST_F(MazeRender, FieldsDeepInTheFogAreLeftOutUnlessASkyShowsBehindThemAndTheirPlayersGoOn)
{
    aeMapData map;
    map.width = 1;
    map.height = 11;
    map.fog = 0.1f;   // nothing of the floor's colour is left from about 25 units on
    map.floors = {Piece("floor.ran", 1)};
    for (int y = 0; y < map.height; ++y)
        mazetest::Field(map, 0, y)[0] = 0;
    Load(map);
    // Along the corridor from its first field: row 110 shows the floor about
    // 17 units ahead, row 70 about 86 units ahead.
    aeCamera::Init(Vector2(0.0f, (map.height - 1) * 10.0f), 0.0f, 0.0f);
    const auto drawn = [this](D3DCOLOR background) {
        test::DrawMazeView(0.25f, background);
        return ReadBackBuffer();
    };
    auto pixels = drawn(0xFFFFFFFF);
    EXPECT_LT(Pixel(pixels, 80, 110) & 0xFF, 100u);        // near floor, fogged
    EXPECT_EQ(Pixel(pixels, 80, 70) & 0xFFFFFF, 0xFFFFFFu); // far floor left out
    pixels = drawn(0xFF000000);
    EXPECT_EQ(Pixel(pixels, 80, 70) & 0xFFFFFF, 0u);        // as the fog would have drawn it
    // Left-out fields (the window reaches to row 5) move their players on as if drawn.
    EXPECT_FLOAT_EQ(aeMaze::GetField(0, 5)->m_aAnimations[AE_SLOT_FLOOR].m_fTime, 0.5f);
    EXPECT_FLOAT_EQ(aeMaze::GetField(0, 0)->m_aAnimations[AE_SLOT_FLOOR].m_fTime, 0.5f);
    // With a sky behind, the far floor is drawn: black in the fog before it.
    aeMaze::GetSkyAnimation()->Init("floor.ran");
    pixels = drawn(0xFFFFFFFF);
    EXPECT_LT(Pixel(pixels, 80, 70) & 0xFF, 10u);
}

TEST_F(MazeRender, AFieldWhollyBehindAnOpaqueFaceIsLeftOutAndComesBackWhenTheFaceGoes)
{
    aeMapData map;
    map.width = 1;
    map.height = 3;
    map.fog = 0.0f;
    map.objects = {Piece("red.ran", 2), Piece("green.ran", 1), Piece("glass.ran")};
    mazetest::Field(map, 0, 1)[6] = 0;  // a red square across the middle field
    mazetest::Field(map, 0, 2)[6] = 1;  // a green one 20 units behind it
    Load(map);
    // From the first field along the corridor: the red square, 20 units
    // ahead, hides the green one and everything else of the last field.
    const Vector2 first(0.0f, 20.0f);
    auto pixels = Draw(first, 0.0f);
    EXPECT_EQ(Channel(pixels, 80, 60), 'r');
    EXPECT_EQ(aeMaze::GetNumHiddenFields(), 1);
    // Its players moved on all the same.
    test::DrawMazeView(0.25f);
    EXPECT_FLOAT_EQ(aeMaze::GetField(0, 2)->m_aAnimations[AE_SLOT_OBJECT].m_fTime, 0.25f);
    // Fired (mode 2) the red square is gone and the green one shows.
    aeMaze::GetField(0, 1)->m_byActivated |= g_abySlotBits[AE_SLOT_OBJECT];
    pixels = Draw(first, 0.0f);
    EXPECT_EQ(Channel(pixels, 80, 60), 'g');
    EXPECT_EQ(aeMaze::GetNumHiddenFields(), 0);
    // Glass hides nothing.
    aeMaze::GetField(0, 1)->m_iObject = 2;
    aeMaze::GetField(0, 1)->m_byActivated = 0;
    aeMaze::GetField(0, 1)->Init(0);
    pixels = Draw(first, 0.0f);
    EXPECT_EQ(aeMaze::GetNumHiddenFields(), 0);
    EXPECT_GT((Pixel(pixels, 80, 60) >> 8) & 0xFF, 40u);  // green through the glass,
    EXPECT_GT(Pixel(pixels, 80, 60) & 0xFF, 40u);         // blended with the glass's blue
}
