// The menu scene seen from each page's camera once the flight has ended: each
// page shows its own, textured part of the hall.

#include "../graphics/GrafikTestSupport.h"
#include "TestSupport.h"

#include <filesystem>
#include <set>

#include "DataLoader.h"
#include "Menu.h"
#include "VFile.h"
#include "aeModel.h"
#include "aeTextureManager.h"

namespace
{
class ContentMenuScene : public test::GrafikFixture
{
protected:
    void TearDown() override
    {
        aeModelManager::Exit();
        aeDataLoader::Unload();
        test::GrafikFixture::TearDown();
    }
};
}

TEST_F(ContentMenuScene, EveryPageLooksAtItsOwnTexturedPartOfTheHall)
{
    OpenDevice(320, 240);
    const std::string textures = std::string(HALVORAN_GAME_DIR) + "/data/menu_interface/";
    ASSERT_EQ(aeDataLoader::Load(textures.c_str(), AE_LOAD_TEXTURES), 1);
    ASSERT_GT(aeTextureManager::GetNumTextures(), 3);
    aeModelManager::Init();
    VFile file((std::string(HALVORAN_CONTENT_RESOURCES) + "/Menu.rvm").c_str());
    ASSERT_TRUE(file.IsOpened());
    aeModel* model = nullptr;
    ASSERT_EQ(aeModelManager::AddModel(&file, "Menu.rvm", &model), 1);

    const std::string shots = test::ScratchDir("pages") + "/";
    std::vector<std::vector<uint32_t>> pictures;
    for (int page = MENU_PAGE_MAIN; page <= MENU_PAGE_LOAD_GAME; ++page)
    {
        Vector3 eye, target;
        float separation = 0.0f;
        Menu::GetCameraPath(page, 1.0f, &eye, &target, &separation);
        Matrix view = MatrixCamera(eye, target, Vector3(0.0f, 1.0f, 0.0f));
        Matrix projection = MatrixProjection(1.2217305f, 1.0f, 0.1f, 250.0f);
        Matrix world = MatrixIdentity();
        aeGrafik::Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        aeGrafik::BeginScene();
        aeGrafik::SetCameraMatrix(&view);
        aeGrafik::SetProjectionMatrix(&projection);
        aeGrafik::SetWorldMatrix(&world);
        aeGrafik::SetRS(D3DRS_AMBIENT, 0xFFFFFFFF);
        aeGrafik::SetRS(D3DRS_LIGHTING, 1);
        model->Render(1);
        model->Render(2);
        aeGrafik::EndScene();
        pictures.push_back(ReadBackBuffer());
        aeGrafik::Screenshot(shots.c_str());
        aeGrafik::Present();

        // Textured: many colours, and the picture is mostly covered.
        std::set<uint32_t> colours;
        int black = 0;
        for (uint32_t p : pictures.back())
        {
            colours.insert(p & 0xF0F0F0);
            black += (p & 0xFFFFFF) == 0;
        }
        EXPECT_GT(colours.size(), 20u) << "page " << page;
        EXPECT_LT(black, static_cast<int>(pictures.back().size()) / 4) << "page " << page;
    }
    // Each page sees something else.
    for (size_t a = 0; a < pictures.size(); ++a)
        for (size_t b = a + 1; b < pictures.size(); ++b)
        {
            int differing = 0;
            for (size_t i = 0; i < pictures[a].size(); ++i)
                differing += (pictures[a][i] & 0xE0E0E0) != (pictures[b][i] & 0xE0E0E0);
            EXPECT_GT(differing, static_cast<int>(pictures[a].size()) / 3) << "pages " << a << " and " << b;
        }
}
