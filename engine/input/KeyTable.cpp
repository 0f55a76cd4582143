// The button table of a German keyboard and mouse, and the characters of the
// keys.

#include "aeInput.h"

namespace
{
struct Key
{
    const char* pcName;
    unsigned char byCode;
};

const Key s_aKeys[AE_NUM_BUTTONS] = {
    {"Escape", 0x01}, {"F1", 0x3B}, {"F2", 0x3C}, {"F3", 0x3D}, {"F4", 0x3E}, {"F5", 0x3F}, {"F6", 0x40},
    {"F7", 0x41}, {"F8", 0x42}, {"F9", 0x43}, {"F10", 0x44}, {"F11", 0x57}, {"F12", 0x58}, {"F13", 0x64},
    {"F14", 0x65}, {"F15", 0x66}, {"SysRq", 0xB7}, {"Scroll Lock", 0x46}, {"Break", 0xC5}, {"1", 0x02},
    {"2", 0x03}, {"3", 0x04}, {"4", 0x05}, {"5", 0x06}, {"6", 0x07}, {"7", 0x08}, {"8", 0x09}, {"9", 0x0A},
    {"0", 0x0B}, {"ß", 0x0C}, {"´ (Accent)", 0x0D}, {"Rücktaste", 0x0E}, {"Einfg", 0xD2}, {"Pos1", 0xC7},
    {"Bild hoch", 0xC9}, {"Num Lock", 0x45}, {"/ (NumPad)", 0xB5}, {"* (NumPad)", 0x37}, {"- (NumPad)", 0x4A},
    {"Tab", 0x0F}, {"A", 0x1E}, {"B", 0x30}, {"C", 0x2E}, {"D", 0x20}, {"E", 0x12}, {"F", 0x21}, {"G", 0x22},
    {"H", 0x23}, {"I", 0x17}, {"J", 0x24}, {"K", 0x25}, {"L", 0x26}, {"M", 0x32}, {"N", 0x31}, {"O", 0x18},
    {"P", 0x19}, {"Q", 0x10}, {"R", 0x13}, {"S", 0x1F}, {"T", 0x14}, {"U", 0x16}, {"V", 0x2F}, {"W", 0x11},
    {"X", 0x2D}, {"Y", 0x2C}, {"Z", 0x15}, {"Ü", 0x1A}, {"+", 0x1B}, {"Return", 0x1C}, {"Entf", 0xD3},
    {"Ende", 0xCF}, {"Bild runter", 0xD1}, {"0 (NumPad)", 0x52}, {"1 (NumPad)", 0x4F}, {"2 (NumPad)", 0x50},
    {"3 (NumPad)", 0x51}, {"4 (NumPad)", 0x4B}, {"5 (NumPad)", 0x4C}, {"6 (NumPad)", 0x4D}, {"7 (NumPad)", 0x47},
    {"8 (NumPad)", 0x48}, {"9 (NumPad)", 0x49}, {"+ (NumPad)", 0x4E}, {"Caps Lock", 0x3A}, {"Ö", 0x27},
    {"Ä", 0x28}, {"#", 0x2B}, {"Shift links", 0x2A}, {"<", 0x56}, {", (Komma)", 0x33}, {". (Punkt)", 0x34},
    {"- (Strich)", 0x35}, {"Shift rechts", 0x36}, {"Pfeil hoch", 0xC8}, {"Enter (NumPad)", 0x9C},
    {"Strg links", 0x1D}, {"Win links", 0xDB}, {"Alt links", 0x38}, {"Leertaste", 0x39}, {"Alt Gr", 0xB8},
    {"Win rechts", 0xDC}, {"Kontextmenü", 0xDD}, {"Strg rechts", 0x9D}, {"Pfeil links", 0xCB},
    {"Pfeil runter", 0xD0}, {"Pfeil rechts", 0xCD}, {", (Komma, NumPad)", 0x53}, {"^ (Circonflex)", 0x29},
    {"x-Achse negativ", 0}, {"x-Achse positiv", 0}, {"y-Achse negativ", 0}, {"y-Achse positiv", 0},
    {"z-Achse negativ", 0}, {"z-Achse positiv", 0}, {"Knopf 1", 0}, {"Knopf 2", 0}, {"Knopf 3", 0},
    {"Knopf 4", 0}, {"Knopf 5", 0}, {"Knopf 6", 0}, {"Knopf 7", 0}, {"Knopf 8", 0}};

struct Chars
{
    int iButton;
    char c[3];  // plain, Shift, Alt Gr
};

const Chars s_aChars[] = {
    {19, {'1', '!', 0}}, {20, {'2', '"', '\xB2'}}, {21, {'3', '\xA7', '\xB3'}}, {22, {'4', '$', 0}},
    {23, {'5', '%', 0}}, {24, {'6', '&', 0}}, {25, {'7', '/', '{'}}, {26, {'8', '(', '['}},
    {27, {'9', ')', ']'}}, {28, {'0', '=', '}'}}, {29, {'\xDF', '?', '\\'}}, {30, {'\xB4', '`', 0}},
    {36, {'/', '/', 0}}, {37, {'*', '*', 0}}, {38, {'-', '-', 0}}, {40, {'a', 'A', 0}}, {41, {'b', 'B', 0}},
    {42, {'c', 'C', '\xA9'}}, {43, {'d', 'D', 0}}, {44, {'e', 'E', '\x80'}}, {45, {'f', 'F', 0}},
    {46, {'g', 'G', 0}}, {47, {'h', 'H', 0}}, {48, {'i', 'I', 0}}, {49, {'j', 'J', 0}}, {50, {'k', 'K', 0}},
    {51, {'l', 'L', 0}}, {52, {'m', 'M', '\xB5'}}, {53, {'n', 'N', 0}}, {54, {'o', 'O', 0}}, {55, {'p', 'P', 0}},
    {56, {'q', 'Q', '@'}}, {57, {'r', 'R', '\xAE'}}, {58, {'s', 'S', 0}}, {59, {'t', 'T', '\x99'}},
    {60, {'u', 'U', 0}}, {61, {'v', 'V', 0}}, {62, {'w', 'W', 0}}, {63, {'x', 'X', 0}}, {64, {'y', 'Y', 0}},
    {65, {'z', 'Z', 0}}, {66, {'\xFC', '\xDC', 0}}, {67, {'+', '*', '~'}}, {82, {'+', '+', 0}},
    {84, {'\xF6', '\xD6', 0}}, {85, {'\xE4', '\xC4', 0}}, {86, {'#', '\'', 0}}, {88, {'<', '>', '|'}},
    {89, {',', ';', 0}}, {90, {'.', ':', 0}}, {91, {'-', '_', 0}}, {98, {' ', ' ', 0}},
    {107, {'^', '\xB0', 0}}};
}

const char* aeButtonName(int button)
{
    return button >= 0 && button < AE_NUM_BUTTONS ? s_aKeys[button].pcName : "";
}

unsigned char aeButtonKeyCode(int button)
{
    return button >= 0 && button < AE_NUM_BUTTONS ? s_aKeys[button].byCode : 0;
}

char aeKeyToChar(int button, int shift, int altGr)
{
    if (button < 0 || button >= AE_NUM_KEYS)
        return 0;
    for (const Chars& c : s_aChars)
        if (c.iButton == button)
            return shift ? c.c[1] : (altGr ? c.c[2] : c.c[0]);
    return 0;
}
