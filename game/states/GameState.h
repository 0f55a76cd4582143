#pragma once
// A state of the game (intro, menu, in-game): exactly one runs at a time, and
// the application's per-frame callbacks forward to it.

#include "Engine.h"

// The buttons of the input table that the game reads.
enum GameButton
{
    BUTTON_ESCAPE = 0,
    BUTTON_F1 = 1,
    BUTTON_F4 = 4,
    BUTTON_SYSRQ = 16,
    BUTTON_PAGE_UP = 34,
    BUTTON_A = 40,
    BUTTON_B = 41,
    BUTTON_C = 42,
    BUTTON_D = 43,
    BUTTON_E = 44,
    BUTTON_L = 51,
    BUTTON_N = 53,
    BUTTON_O = 54,
    BUTTON_S = 58,
    BUTTON_W = 62,
    BUTTON_RETURN = 68,
    BUTTON_DELETE = 69,
    BUTTON_PAGE_DOWN = 71,
    BUTTON_SHIFT_LEFT = 87,
    BUTTON_SHIFT_RIGHT = 92,
    BUTTON_UP = 93,
    BUTTON_ALT_LEFT = 97,
    BUTTON_SPACE = 98,
    BUTTON_LEFT = 103,
    BUTTON_DOWN = 104,
    BUTTON_RIGHT = 105,
    BUTTON_MOUSE_X_NEG = 108,
    BUTTON_MOUSE_X_POS = 109,
    BUTTON_MOUSE_Y_NEG = 110,
    BUTTON_MOUSE_Y_POS = 111,
    BUTTON_MOUSE_1 = 114,
    BUTTON_MOUSE_2 = 115,
};

enum GameStateId
{
    STATE_INTRO = 0,
    STATE_MENU = 1,
    STATE_GAME = 2,
};

class GameState
{
public:
    virtual ~GameState();
    virtual int Init();
    virtual void Exit();
    virtual void PrepareRestore();
    virtual int Restore();
    virtual int Move(float elapsed);
    virtual int Render(float elapsed);
};

// A button of the interface: where it lies and what it says (null: the page
// fills the label in). Drawing and clicking use the same entry.
struct InterfaceButton
{
    Vector2 vCentre;
    Vector2 vSize;
    const char* pcLabel;
};

// A font of the interface ("Arial" of the given height); null when it cannot
// be created.
aeFont* NewInterfaceFont(float height);
// The interface button of the menu and the in-game menu: the texture
// "Button.bmp" with a centred label, lit while the cursor is over it (edges
// included).
void DrawInterfaceButton(aeFont* font, Color textColor, Vector2 centre, Vector2 size, const char* text);
// The cursor lies over the button, edges included.
int IsCursorOnButton(Vector2 centre, Vector2 size);
// The left mouse button went down in this frame with the cursor strictly
// inside the rectangle x0 < x < x1, y0 < y < y1.
int IsClickInside(float x0, float y0, float x1, float y1, int button = BUTTON_MOUSE_1);
// The same for the inside of a button.
int IsButtonClicked(const InterfaceButton& button, int mouseButton = BUTTON_MOUSE_1);
