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

TEST_F(DataLoader, LoadsEveryKindFromLooseFilesAndArchives)
{
    test::LogCapture log;
    ASSERT_EQ(aeDataLoader::Load(m_Base.c_str(), AE_LOAD_TEXTURES | AE_LOAD_MODELS | AE_LOAD_ANIMATIONS | AE_LOAD_SOUNDS), 1);
    EXPECT_STREQ(aeDataLoader::GetBaseDir(), m_Base.c_str());
    EXPECT_EQ(aeTextureManager::GetNumTextures(), 3);
    EXPECT_GE(aeTextureManager::FindTexture("a.bmp"), 0);
    EXPECT_GE(aeTextureManager::FindTexture("inner/b.bmp"), 0);  // archived textures keep their paths
    EXPECT_TRUE(log.Contains("Fehler beim Laden der Textur junk.txt!"));
    EXPECT_EQ(aeModelManager::GetNumModels(), 1);
    EXPECT_TRUE(log.Contains("Funktion: LoadModelsCallback Beschreibung: Unbekannte Modelldatei gefunden!"));
    EXPECT_GE(aeAnimationManager::FindAnimation("spin.ran"), 0);
    EXPECT_TRUE(log.Contains("Unbekannte Animationsdatei gefunden!"));
    // The sound manager does not run: no sounds, and no word about them.
    EXPECT_FALSE(log.Contains("LoadSounds"));
    // A second load adds nothing to running managers.
    EXPECT_EQ(aeDataLoader::Load(m_Base.c_str(), AE_LOAD_TEXTURES), 1);
    EXPECT_EQ(aeTextureManager::GetNumTextures(), 3);
    aeDataLoader::Unload();
    EXPECT_FALSE(aeTextureManager::IsInitialized());
    EXPECT_FALSE(aeModelManager::IsInitialized());
    EXPECT_FALSE(aeAnimationManager::IsInitialized());
    EXPECT_STREQ(aeDataLoader::GetBaseDir(), "");
    // Missing folders are reported and loading goes on.
    std::filesystem::remove_all(m_Dir + "/textures");
    EXPECT_EQ(aeDataLoader::Load(m_Base.c_str(), AE_LOAD_TEXTURES | AE_LOAD_MODELS), 1);
    EXPECT_TRUE(log.Contains("Funktion: aeDataLoader::LoadTextures Beschreibung: Fehler beim Durchsuchen des Verzeichnisses!"));
    EXPECT_EQ(aeModelManager::GetNumModels(), 1);  // its texture is missing, the model is not
    const std::string tooLong(300, 'x');
    EXPECT_EQ(aeDataLoader::Load(tooLong.c_str(), AE_LOAD_TEXTURES), 0);
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
