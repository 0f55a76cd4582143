#include "Game.h"
#include "Halvoran.h"

Game::~Game() = default;

int Game::Init()
{
    aeLog::Write("Spielzustand: Karte \"%s\"", Halvoran::m_acMap);
    return 1;
}

void Game::Exit()
{
}

int Game::Move(float)
{
    // Switching deletes this state: it is the last thing done here.
    if (aeInput::IsButtonPressed(BUTTON_ESCAPE))
        Halvoran::SetState(STATE_MENU);
    return 1;
}

int Game::Render(float)
{
    return 1;
}
