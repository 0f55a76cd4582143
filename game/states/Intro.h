#pragma once
// The intro: the maker's logo revealed in eight beats of its sound, then the
// word "Games", then the game's title picture fading in; after nine seconds, or
// at the first key or mouse button, the menu takes over.

#include "GameState.h"

class Intro : public GameState
{
public:
    ~Intro() override;
    int Init() override;
    void Exit() override;
    void PrepareRestore() override;
    int Restore() override;
    int Move(float elapsed) override;
    int Render(float elapsed) override;

    // Where and how the logo is drawn at a time: screen corners, the right
    // edge u of the shown texture part and the grey level. 0 when the logo is
    // not drawn (from 8 seconds on).
    static int GetLogoRect(float time, Vector2* corner1, Vector2* corner2, float* u, float* grey);
    // Grey level of the word "Games" at a time; 0 outside 5 < time < 8.
    static float GetGamesGrey(float time);

    float m_fTime = 0.0f;      // seconds since the intro began
    aeFont* m_pFont = nullptr; // "Arial", 60 points
    int m_iBeats = 0;          // beats of the logo sound played, 0..8

private:
    void SwitchToMenu();
};
