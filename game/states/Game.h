#pragma once
// The in-game state: the player walks through the map named by the
// application. For now only what switching to it needs: Escape leads back to
// the menu.

#include "GameState.h"

class Game : public GameState
{
public:
    ~Game() override;
    int Init() override;
    void Exit() override;
    int Move(float elapsed) override;
    int Render(float elapsed) override;
};
