#pragma once
// The maze world: a rectangular grid of fields, each referring by index to
// shared records for its floor, its ceiling, up to four walls and one object.
//
// Grid geometry: a field is 20 units square; the centre of field (x, y) lies
// at X = (width - 1) * 10 - 20 * x, Z = (height - 1) * 10 - 20 * y, Y is up.
// A higher column lies towards -X, a higher row towards -Z.
//
// Slots of a field, with the bit each uses in the two bit sets:
//   0 floor (0x40)   1 ceiling (0x80)
//   2 wall 0 (0x04), towards row y - 1      3 wall 1 (0x08), towards column x - 1
//   4 wall 2 (0x10), towards row y + 1      5 wall 3 (0x20), towards column x + 1
//   6 object (0x02)
// Bit 0 (0x01) of the activated set means the player has stood on the field.

#include "Animation.h"
#include "DynList.h"
#include "aeClock.h"
#include "aeMapData.h"
#include "aeMath.h"

#include <cstddef>
#include <new>

class VFile;
struct aeFieldPieces;
class aeSound;
class aeMusic;

// Action codes of the records.
enum
{
    AE_ACTION_NONE = 0,
    AE_ACTION_KILL = 1,    // back to the start field; the record re-arms
    AE_ACTION_WIN = 2,     // counts for victory
    AE_ACTION_NOTHING = 3, // no effect, and does not hold the player
    AE_ACTION_OPEN = 4,    // an object with it stops blocking once activated
};

// Animation modes of the records.
enum
{
    AE_MODE_ONCE = 0,   // stands at time 0; plays once, the action follows at its end
    AE_MODE_LOOP = 1,   // loops; the action follows at once
    AE_MODE_VANISH = 2, // loops with its sound; on activation it is no longer drawn
};

enum
{
    AE_SLOT_FLOOR = 0,
    AE_SLOT_CEILING = 1,
    AE_SLOT_WALL0 = 2,
    AE_SLOT_WALL1 = 3,
    AE_SLOT_WALL2 = 4,
    AE_SLOT_WALL3 = 5,
    AE_SLOT_OBJECT = 6,
    AE_NUM_SLOTS = 7,
};

// The bit of each slot in the activated and animating sets.
extern const unsigned char g_abySlotBits[AE_NUM_SLOTS];
// A field's slots are the entries of the map's field table, in its order.
static_assert(AE_SLOT_FLOOR == 0 && AE_SLOT_CEILING == 1 && AE_SLOT_WALL0 == 2 && AE_SLOT_OBJECT == 6 &&
              AE_NUM_SLOTS == std::tuple_size_v<aeMapField>);
#define AE_VISITED_BIT 0x01

// A record fires only while bit m_iType of field (m_iX, m_iY) is set
// (m_bValue nonzero) or clear (m_bValue zero).
struct aeCondition
{
    int m_iX;
    int m_iY;
    int m_iType;
    int m_bValue;
};

class aeDynConditionList : public DynList<aeCondition>
{
};

// What every record carries: the drawn animation, the action, the animation
// mode, the trigger kind, the sound and the conditions. Animations and sounds
// belong to their managers; null when the map named none or the name was not
// found.
struct aeMazeRecord
{
    aeAnimation* m_pAnimation = nullptr;
    int m_iAction = 0;
    int m_iMode = 0;
    int m_bAutomatic = 0;
    aeSound* m_pSound = nullptr;
    aeDynConditionList m_aConditions;
};

struct aeFloor : aeMazeRecord
{
};

struct aeWall : aeMazeRecord
{
    // How far the wall reaches into the field from its border (collision only).
    float m_fThickness = 0.0f;
};

struct aeCeiling : aeMazeRecord
{
    // Height above the field origin.
    float m_fHeight = 0.0f;
};

struct aeObject : aeMazeRecord
{
    // The blocking box, field-local: origin at the field centre, +x towards
    // column x + 1, +y towards row y + 1.
    Vector2 m_vMin{0.0f, 0.0f};
    Vector2 m_vMax{0.0f, 0.0f};
};

class aeQuest
{
public:
    // One step for the player on field (x, y): opens on the begin field,
    // completes on the end field; 1 if the state changed.
    int CheckVisibility(int x, int y);

    char m_acText[256] = {};
    int m_iBeginX = 0, m_iBeginY = 0;
    int m_iEndX = 0, m_iEndY = 0;
    int m_iState = 0; // 0 not yet met, 1 open, 2 done
};
AE_TYPE_NAME(aeQuest, "class aeQuest");

enum
{
    AE_QUEST_HIDDEN = 0,
    AE_QUEST_OPEN = 1,
    AE_QUEST_DONE = 2,
};

class aeDynFloorList : public DynList<aeFloor>
{
};
class aeDynCeilingList : public DynList<aeCeiling>
{
};
class aeDynWallList : public DynList<aeWall>
{
};
class aeDynObjectList : public DynList<aeObject>
{
};
class aeDynQuestList : public DynList<aeQuest>
{
};

class aeMazeField
{
public:
    aeMazeField()
        : m_iFloor(-1), m_iCeiling(-1), m_aiWalls{-1, -1, -1, -1}, m_iObject(-1), m_byActivated(0), m_byAnimating(0)
    {
    }

    // Prepares the seven players from the records; with bSounds also starts
    // the looping sounds of mode-2 slots that have not fired.
    int Init(int bSounds);
    // The player Init gives a slot of the record: time 0; mode 0 stands at
    // the first frame, modes 1 and 2 loop.
    static aeAnimationPlayer FirstPlayer(const aeMazeRecord& record);
    // One activation step for the field the player stands on.
    void Activate(int bUse);
    // 1 if every condition holds (conditions naming no field or a bit above 7
    // are ignored).
    int CheckConditions(const aeDynConditionList& conditions);
    void DoAction(int action);
    // 1 while a one-shot animation runs whose action will hold the player.
    int StopBecauseOfAction();
    // Plays (or, for a fired mode-2 slot, stops) the slot's sound; 0 only when
    // no buffer could be started. flags: 1 = loop.
    int PlaySound(int slot, unsigned long flags);
    int PlaySoundA(int slot, unsigned long flags) { return PlaySound(slot, flags); }
    // Draws the field's pieces (advancing their players by dt); fieldTransform
    // carries field-local coordinates to the world.
    int Render(float dt, Matrix fieldTransform, Vector3 eye, Vector3 right, int pass);
    // The same, leaving out the slots whose bits (1 << slot) are set in
    // hidden: their players only move on.
    int RenderExcept(float dt, Matrix fieldTransform, Vector3 eye, Vector3 right, int pass, unsigned hidden);
    // What Render would draw after dt more seconds, without moving the
    // players: the boxes around each slot's pieces and their opaque flat faces.
    void GetPieces(float dt, const Matrix& fieldTransform, Vector3 eye, Vector3 right, aeFieldPieces* out);
    // Advances the players of the pieces Render would draw, without drawing.
    void Advance(float dt);

    // The record index of a slot, -1 for none.
    int GetSlotIndex(int slot) const;
    // The record of a slot, null for none.
    aeMazeRecord* GetRecord(int slot) const;

    int m_iFloor;
    int m_iCeiling;
    int m_aiWalls[4];
    int m_iObject;
    aeAnimationPlayer m_aAnimations[AE_NUM_SLOTS];
    unsigned char m_byActivated;
    unsigned char m_byAnimating;

private:
    // The record of a slot whose piece is drawn (it has an animation and has
    // not vanished), null for none.
    const aeMazeRecord* ShownRecord(int slot) const;
};

// What aeMaze::CheckSavegame finds.
enum
{
    AE_SAVEGAME_FITS = 0,
    AE_SAVEGAME_MAP_BROKEN = 1,  // the map itself is refused
    AE_SAVEGAME_WRONG_SIZE = 2,  // the savegame belongs to another map (or is cut)
    AE_SAVEGAME_BAD_CAMERA = 3,  // the camera position is no number
};

class aeMaze
{
public:
    static float m_fFloorDepth;
    static float m_fSpeed;
    static float m_fFog;
    static int m_iWidth;
    static int m_iHeight;
    static aeMazeField* m_pFields;
    static int m_iStartX;
    static int m_iStartY;
    static aeMusic* m_pMusic;
    static DWORD m_dwLastKill;
    static int m_bWon;
    static int m_iNextMapX;
    static int m_iNextMapY;
    static char m_acDataPath[256];
    static char m_acNextMap[256];
    static char m_acMusicFilename[256];
    static aeAnimationPlayer m_SkyAnimation;
    static aeDynFloorList m_aFloors;
    static aeDynCeilingList m_aCeilings;
    static aeDynWallList m_aWalls;
    static aeDynObjectList m_aObjects;
    static aeDynQuestList m_aQuests;

    // An empty maze of width x height fields (an earlier field array is
    // freed). 0 for an impossible size or when memory runs out.
    static int Init(int width, int height);
    // Loads a map from the file's cursor. A map that breaks the format is
    // refused with an error naming the fault; the maze is then empty.
    static int Init(VFile* file);
    // Appends the map at the file's cursor.
    static int Save(VFile* file);
    static void Exit();

    static void Update(int bSounds);
    static int CheckQuests();
    static void CheckWin();
    static int CheckCollisions();
    // Hides the cells of the 11 x 11 window around field (x0, y0) that walls
    // rule out; the caller sets all 121 cells to 1 first.
    static void CalcVisibility(int x0, int y0, int* window);
    // Draws the sky around the eye and the visible fields near the camera.
    static int Render(float dt, Vector3 eye, Vector3 right, int pass);
    // How many fields the last opaque pass left out because opaque faces
    // drawn nearer the eye hide them completely.
    static int GetNumHiddenFields();

    // Appends / applies the maze's part of a savegame.
    static int SaveSavegame(VFile* file);
    static int LoadSavegame(VFile* file);
    // Bytes of the maze's part of a savegame for the loaded map.
    static long long GetSavegameSize();
    // The same for the map in size bytes of a map file, read without loading
    // it (the bytes are checked first); -1 for a map the engine refuses.
    static long long GetSavegameSize(const unsigned char* map, int size);
    // Whether the maze's part of a savegame (size bytes at data) fits the
    // map in mapSize bytes, checked without loading the map: one of
    // AE_SAVEGAME_*; expected (may be null) gets the size the map asks for.
    static int CheckSavegame(const unsigned char* map, int mapSize, const unsigned char* data, int size,
                             long long* expected);

    static int GetFieldXY(const aeMazeField* field, int* x, int* y);
    static aeMazeField* GetField(int index) { return &m_pFields[index]; }
    static aeMazeField* GetField(int x, int y) { return &m_pFields[y * m_iWidth + x]; }
    // The world position of a field's centre (height 0).
    static Vector3 GetFieldCenter(int x, int y)
    {
        return Vector3(static_cast<float>((m_iWidth - 1) * 10 - 20 * x), 0.0f,
                       static_cast<float>((m_iHeight - 1) * 10 - 20 * y));
    }

    static int GetWidth() { return m_iWidth; }
    static int GetHeight() { return m_iHeight; }
    static int GetStartX() { return m_iStartX; }
    static int GetStartY() { return m_iStartY; }
    static int GetNextMapX() { return m_iNextMapX; }
    static int GetNextMapY() { return m_iNextMapY; }
    static DWORD GetLastKill() { return m_dwLastKill; }
    static int IsWon() { return m_bWon; }
    static float GetFloorDepth() { return m_fFloorDepth; }
    static float GetSpeed() { return m_fSpeed; }
    static float GetFog() { return m_fFog; }
    static aeMusic* GetMusic() { return m_pMusic; }
    static char* GetNextMap() { return m_acNextMap; }
    static char* GetDataPath() { return m_acDataPath; }
    static char* GetMusicFilename() { return m_acMusicFilename; }
    static aeAnimationPlayer* GetSkyAnimation() { return &m_SkyAnimation; }

    static void SetFloorDepth(float depth) { m_fFloorDepth = depth; }
    static void SetSpeed(float speed) { m_fSpeed = speed; }
    static void SetFog(float fog) { m_fFog = fog; }
    static void SetStartX(int x) { m_iStartX = x; }
    static void SetStartY(int y) { m_iStartY = y; }
    static void SetLastKill(DWORD time) { m_dwLastKill = time; }
    static void SetNextMapField(int x, int y)
    {
        m_iNextMapX = x;
        m_iNextMapY = y;
    }

    // Record `index` (null for a negative index) of a block of records
    // (AE_MAP_OBJECTS ...; aeMapBlockOfSlot names a slot's), and the block's
    // length.
    static aeMazeRecord* GetBlockRecord(int block, int index);
    static int GetBlockCount(int block);

    static int GetNumFloors() { return m_aFloors.GetNumElements(); }
    static int GetNumCeilings() { return m_aCeilings.GetNumElements(); }
    static int GetNumWalls() { return m_aWalls.GetNumElements(); }
    static int GetNumObjects() { return m_aObjects.GetNumElements(); }
    static int GetNumQuests() { return m_aQuests.GetNumElements(); }
    static aeFloor* GetFloor(int index) { return m_aFloors.GetElement(index); }
    static aeCeiling* GetCeiling(int index) { return m_aCeilings.GetElement(index); }
    static aeWall* GetWall(int index) { return m_aWalls.GetElement(index); }
    static aeObject* GetObject(int index) { return m_aObjects.GetElement(index); }
    static aeObject* GetObjectA(int index) { return m_aObjects.GetElement(index); }
    static aeQuest* GetQuest(int index) { return m_aQuests.GetElement(index); }
    static aeDynFloorList* GetFloors() { return &m_aFloors; }
    static aeDynCeilingList* GetCeilings() { return &m_aCeilings; }
    static aeDynWallList* GetWalls() { return &m_aWalls; }
    static aeDynObjectList* GetObjects() { return &m_aObjects; }
    static aeDynQuestList* GetQuests() { return &m_aQuests; }

private:
    // Frees the fields and records and resets the grid to 0 x 0.
    static void Clear();
    // A fresh grid of width x height fields in place of the old one: one
    // block of many megabytes from aeAllocateLarge. Without bConstruct the
    // fields are left for the caller to construct in place, each before it
    // is used.
    static int AllocateFields(int width, int height, int bConstruct = 1);
    // Gives the grid back and resets it to 0 x 0.
    static void FreeFields();
};

// Inline: the grid asks these seven times per field when a map loads.
inline int aeMazeField::GetSlotIndex(int slot) const
{
    switch (slot)
    {
    case AE_SLOT_FLOOR: return m_iFloor;
    case AE_SLOT_CEILING: return m_iCeiling;
    case AE_SLOT_WALL0:
    case AE_SLOT_WALL1:
    case AE_SLOT_WALL2:
    case AE_SLOT_WALL3: return m_aiWalls[slot - AE_SLOT_WALL0];
    case AE_SLOT_OBJECT: return m_iObject;
    default: return -1;
    }
}

inline aeMazeRecord* aeMaze::GetBlockRecord(int block, int index)
{
    switch (block)
    {
    case AE_MAP_OBJECTS: return m_aObjects.GetElement(index);
    case AE_MAP_WALLS: return m_aWalls.GetElement(index);
    case AE_MAP_FLOORS: return m_aFloors.GetElement(index);
    default: return m_aCeilings.GetElement(index);
    }
}

inline int aeMaze::GetBlockCount(int block)
{
    switch (block)
    {
    case AE_MAP_OBJECTS: return m_aObjects.GetNumElements();
    case AE_MAP_WALLS: return m_aWalls.GetNumElements();
    case AE_MAP_FLOORS: return m_aFloors.GetNumElements();
    default: return m_aCeilings.GetNumElements();
    }
}

inline aeMazeRecord* aeMazeField::GetRecord(int slot) const
{
    const int index = GetSlotIndex(slot);
    return index < 0 ? nullptr : aeMaze::GetBlockRecord(aeMapBlockOfSlot(slot), index);
}
