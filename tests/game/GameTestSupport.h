#pragma once
// A headless game environment for the tests of the game program: a device on
// the offscreen driver, a scratch game tree (bin/ as working directory beside
// maps/, data/ and savegame/) and a scratch configuration directory.

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

#include "Halvoran.h"
#include "GameState.h"
#include "Options.h"
#include "TestSupport.h"
#include "graphics/GrafikTestSupport.h"

namespace test
{
// Sets (or, with nullptr, removes) an environment variable while alive.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const char* value) : m_Name(name), m_bHad(std::getenv(name) != nullptr)
    {
        if (m_bHad)
            m_Old = std::getenv(name);
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnv() { m_bHad ? setenv(m_Name.c_str(), m_Old.c_str(), 1) : unsetenv(m_Name.c_str()); }

private:
    std::string m_Name, m_Old;
    bool m_bHad;
};

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
        m_pConfig = std::make_unique<ScopedEnv>("XDG_CONFIG_HOME", (m_Root + "/config").c_str());
        ClearButtons();
        OpenDevice();
    }
    void TearDown() override
    {
        EndState();
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
        m_pConfig.reset();
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
    // The shipped maps and data in place of the scratch tree's empty folders.
    void UseShippedContent() const
    {
        for (const char* dir : {"maps", "data"})
        {
            std::filesystem::remove_all(m_Root + "/" + dir);
            std::filesystem::create_directory_symlink(std::string(HALVORAN_GAME_DIR) + "/" + dir, m_Root + "/" + dir);
        }
    }
    // A state of the game, made the current one and initialised.
    template <typename State> static State* StartState(int id)
    {
        State* state = new State;
        Halvoran::m_pCurrentState = state;
        Halvoran::m_iCurrentState = id;
        EXPECT_EQ(state->Init(), 1);
        return state;
    }
    // Ends and deletes the current state of the game, if there is one.
    static void EndState()
    {
        if (GameState* state = Halvoran::m_pCurrentState)
        {
            Halvoran::m_pCurrentState = nullptr;
            state->Exit();
            delete state;
        }
    }
    void CreateStateBlock()
    {
        ASSERT_EQ(aeGrafik::GetDevice()->CreateStateBlock(D3DSBT_ALL, &Halvoran::m_pStateBlock), D3D_OK);
    }

    std::string m_Root;
    std::string m_OldDir;
    std::unique_ptr<ScopedEnv> m_pConfig;
};

// A scratch configuration directory for the registry, without any device.
class ConfigFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_Dir = ScratchDir("config");
        m_pConfig = std::make_unique<ScopedEnv>("XDG_CONFIG_HOME", m_Dir.c_str());
    }
    void TearDown() override { m_pConfig.reset(); }
    std::string KeyFile() const { return m_Dir + "/Kelmstone Games/Halvoran.reg"; }

    std::string m_Dir;
    std::unique_ptr<ScopedEnv> m_pConfig;
};
}
