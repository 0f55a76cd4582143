// Loading a data directory into the resource managers, and carrying it through
// a lost device.

#include "../graphics/GrafikTestSupport.h"
#include "../resources/ResourceTestUtil.h"

#include "DataLoader.h"
#include "aeModel.h"

namespace
{
class DataLoader : public test::GrafikFixture
{
protected:
    void SetUp() override
    {
        OpenDevice(64, 64);
        m_Dir = test::ScratchDir("data");
        const auto bmp = test::MakeBmp(1, 1, {0xFF00FF});
        const std::string image(bmp.begin(), bmp.end());
        Put("textures/a.bmp", image);
        Put("textures/junk.txt", "kein Bild");
        Put("textures/more.zip", restest::Zip({{"inner/b.bmp", image}, {"c.bmp", image}}));
        rvmtext::Model model;
        model.materials.push_back(restest::Mat(0, Color(1.0f, 1.0f, 1.0f, 1.0f), "a.bmp"));
        restest::AddSquare(&model, -1.0f, -1.0f, 1.0f, 1.0f, 0.0f, 0);
        Put("models/quad.rvm", restest::Bytes(model));
        Put("models/QUAD2.RVM", restest::Bytes(model));  // the extension is compared exactly
        ranimtext::Animation animation;
        animation.objects.push_back(restest::Obj("quad.rvm", 0, {restest::Key(0.0f, 1)}));
        Put("animations/spin.ran", restest::Bytes(animation));
        Put("animations/notes.txt", "x");
        m_Base = m_Dir + "\\";
    }
    void TearDown() override
    {
        aeDataLoader::Unload();
        test::GrafikFixture::TearDown();
    }
    void Put(const std::string& name, const std::string& bytes)
    {
        std::filesystem::create_directories(std::filesystem::path(m_Dir + "/" + name).parent_path());
        test::WriteBinary(m_Dir + "/" + name, bytes);
    }
    std::string m_Dir, m_Base;
};
}

TEST_F(DataLoader, TexturesComeBackByNameAfterALostDevice)
{
    ASSERT_EQ(aeDataLoader::Load(m_Base.c_str(), AE_LOAD_TEXTURES | AE_LOAD_MODELS | AE_LOAD_ANIMATIONS), 1);
    aeModel* model = aeModelManager::GetModel("quad.rvm");
    ASSERT_NE(model, nullptr);
    aeD3D9ForceDeviceLost(aeGrafik::GetDevice());
    EXPECT_EQ(aeGrafik::Present(), 0);
    aeDataLoader::PrepareRestore();
    EXPECT_FALSE(aeTextureManager::IsInitialized());
    ASSERT_EQ(aeGrafik::Restore(), 1);
    ASSERT_EQ(aeDataLoader::Restore(), 1);
    EXPECT_EQ(aeTextureManager::GetNumTextures(), 3);
    EXPECT_EQ(aeModelManager::GetModel("quad.rvm"), model);  // models keep their data
    EXPECT_EQ(model->m_aMaterials[0].pTexture, aeTextureManager::GetTexture("a.bmp"));
    EXPECT_NE(model->m_aMaterials[0].pTexture, nullptr);
    EXPECT_EQ(aeGrafik::Present(), 1);
}
