#pragma once
// A headless game environment for the tests of the game program: a device on
// the offscreen driver, a scratch game tree (bin/ as working directory beside
// maps/, data/ and savegame/) and a scratch configuration directory.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "Halvoran.h"
#include "GameState.h"
#include "Options.h"
#include "TestSupport.h"
#include "graphics/GrafikTestSupport.h"

namespace test
{
class GameFixture : public GrafikFixture
{
protected:
    void SetUp() override
    {
        m_Root = ScratchDir("game");
        for (const char* dir : {"bin", "maps", "data", "config"})
            std::filesystem::create_directories(m_Root + "/" + dir);
        m_OldDir = std::filesystem::current_path().string();
        std::filesystem::current_path(m_Root + "/bin");
        const char* old = std::getenv("XDG_CONFIG_HOME");
        m_bHadConfig = old != nullptr;
        if (old)
            m_OldConfig = old;
        setenv("XDG_CONFIG_HOME", (m_Root + "/config").c_str(), 1);
        ClearButtons();
        OpenDevice();
    }
    void TearDown() override
    {
        if (GameState* state = Halvoran::m_pCurrentState)
        {
            Halvoran::m_pCurrentState = nullptr;
            state->Exit();
            delete state;
        }
        if (Halvoran::m_pStateBlock)
            Halvoran::m_pStateBlock->Release();
        Halvoran::m_pStateBlock = nullptr;
        Halvoran::m_aSavegames.Clear();
        Halvoran::m_bReinit = 0;
        aeDataLoader::Unload();
        aeTextureManager::Exit();
        aeModelManager::Exit();
        aeMain::m_bQuit = 0;
        ClearButtons();
        GrafikFixture::TearDown();
        std::filesystem::current_path(m_OldDir);
        if (m_bHadConfig)
            setenv("XDG_CONFIG_HOME", m_OldConfig.c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
    }
    static void ClearButtons()
    {
        for (auto& button : aeInput::m_aButtons)
        {
            button.iState = 0;
            button.fValue = 0.0f;
        }
    }
    static void Press(int button) { aeInput::m_aButtons[button].iState = 2; }
    void CreateStateBlock()
    {
        ASSERT_EQ(aeGrafik::GetDevice()->CreateStateBlock(D3DSBT_ALL, &Halvoran::m_pStateBlock), D3D_OK);
    }

    std::string m_Root;
    std::string m_OldDir;
    std::string m_OldConfig;
    bool m_bHadConfig = false;
};
}

namespace test
{
// A scratch configuration directory for the registry, without any device.
class ConfigFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_Dir = ScratchDir("config");
        const char* old = std::getenv("XDG_CONFIG_HOME");
        m_bHad = old != nullptr;
        if (old)
            m_Old = old;
        setenv("XDG_CONFIG_HOME", m_Dir.c_str(), 1);
    }
    void TearDown() override
    {
        if (m_bHad)
            setenv("XDG_CONFIG_HOME", m_Old.c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
    }
    std::string KeyFile() const { return m_Dir + "/Kelmstone Games/Halvoran.reg"; }

    std::string m_Dir;
    std::string m_Old;
    bool m_bHad = false;
};
}
