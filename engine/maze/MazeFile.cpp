#include "DataLoader.h"
#include "Sound.h"
#include "VFile.h"
#include "aeError.h"
#include "aeMapData.h"
#include "aeMaze.h"
#include "aeMusic.h"

#include <cstring>
#include <new>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace
{
// Refusals are logged in full for the first few problems; a map with an
// index fault in every field would otherwise flood the log.
const int kMaxReported = 10;
// From this many fields (a grid of 256 x 256) two threads fill the grid: below
// it starting a thread costs more than it saves.
const int kFieldsForTwoThreads = 1 << 16;

struct Report
{
    int iReported = 0;
};

void ReportProblem(int kind, const char* message, void* user)
{
    if (kind == AE_MAP_WARNING)
        return;
    Report* report = static_cast<Report*>(user);
    if (report->iReported++ < kMaxReported)
        AE_ERROR("aeMaze::Init", "Die Karte ist ungültig: %s", message);
}

// A name of the map as the zero-terminated text the maze keeps (it ends at
// its first zero byte).
void CopyName(char (&text)[256], const std::string& name)
{
    std::memcpy(text, name.data(), name.size());
    text[name.size()] = 0;
}

aeAnimation* FindAnimation(const char* name)
{
    if (!name[0] || !aeAnimationManager::IsInitialized())
        return nullptr;
    return aeAnimationManager::GetAnimation(aeAnimationManager::FindAnimation(name));
}

aeSound* FindSound(const char* name)
{
    if (!name[0] || !aeSoundManager::IsInitialized())
        return nullptr;
    return aeSoundManager::GetSound(aeSoundManager::FindSound(name));
}

// The shared part of a record with its names resolved.
void FillRecord(aeMazeRecord* record, const aeMapRecord& from)
{
    char name[256];
    CopyName(name, from.animation);
    record->m_pAnimation = FindAnimation(name);
    record->m_iAction = from.action;
    record->m_iMode = from.mode;
    record->m_bAutomatic = from.automatic;
    CopyName(name, from.sound);
    record->m_pSound = FindSound(name);
    record->m_aConditions.Clear();
    for (const aeMapCondition& c : from.conditions)
        if (aeCondition* condition = record->m_aConditions.Insert())
            *condition = aeCondition{c.x, c.y, c.bit, c.value};
}

// One list of records; set copies a record's own leading fields. A record
// that cannot be allocated is left out (the fields referring to it then
// refer to nothing).
template <class T, class Set> void FillList(DynList<T>* list, const std::vector<aeMapRecord>& records, Set set)
{
    for (const aeMapRecord& from : records)
        if (T* record = list->Insert())
        {
            set(record, from);
            FillRecord(record, from);
        }
}

void FieldEntry(int index, aeMapField* entry, void*)
{
    const aeMazeField& field = aeMaze::m_pFields[index];
    *entry = {field.m_iFloor,     field.m_iCeiling,   field.m_aiWalls[0], field.m_aiWalls[1],
              field.m_aiWalls[2], field.m_aiWalls[3], field.m_iObject};
}

aeMapRecord RecordOf(const aeMazeRecord* record)
{
    aeMapRecord to;
    to.animation = record->m_pAnimation ? record->m_pAnimation->GetName() : "";
    to.action = record->m_iAction;
    to.mode = record->m_iMode;
    to.automatic = record->m_bAutomatic;
    to.sound = record->m_pSound ? record->m_pSound->GetName() : "";
    const int count = record->m_aConditions.GetNumElements();
    to.conditions.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
    {
        const aeCondition* c = record->m_aConditions.GetElement(i);
        to.conditions[static_cast<size_t>(i)] = aeMapCondition{c->m_iX, c->m_iY, c->m_iType, c->m_bValue};
    }
    return to;
}

}

int aeMaze::Init(VFile* file)
{
    if (!file)
    {
        AE_INVALID_PARAMETER("aeMaze::Init");
        return 0;
    }
    // The whole map is parsed and checked first, so that a bad map changes
    // nothing beyond leaving the maze empty.
    Report report;
    aeMapCheckResult check;
    aeMapData map;
    map.fieldsInPlace = true;
    const int start = file->GetCursor();
    if (!aeParseMap(file->GetBuffer() + start, file->GetRemaining(), &map, ReportProblem, &report, &check))
    {
        if (report.iReported > kMaxReported)
            AE_ERROR("aeMaze::Init", "Die Karte enthält %d weitere Fehler!", report.iReported - kMaxReported);
        Clear();
        m_aQuests.Clear();
        m_iNextMapX = m_iNextMapY = 0;
        m_acNextMap[0] = 0;
        m_bWon = 0;
        m_dwLastKill = 0;
        return 0;
    }
    // The file is read up to the end of the map.
    file->Seek(start + check.iSize, -1);
    Clear();

    m_fFloorDepth = map.depth;
    m_fSpeed = map.speed;
    m_fFog = map.fog;
    m_iStartX = map.startX;
    m_iStartY = map.startY;

    // The map's music is opened (not yet played) under its name as given; a
    // piece left from a maze that was not ended goes first.
    CopyName(m_acMusicFilename, map.music);
    if (m_acMusicFilename[0])
    {
        delete m_pMusic;
        m_pMusic = new aeMusic;
        if (!m_pMusic->Init(m_acMusicFilename))
        {
            delete m_pMusic;
            m_pMusic = nullptr;
        }
    }
    CopyName(m_acDataPath, map.data);
    if (!m_acDataPath[0])
        std::strcpy(m_acDataPath, "..\\data\\");

    // Resources are reloaded before anything refers to them by name.
    aeDataLoader::Unload();
    aeDataLoader::Load(m_acDataPath, AE_LOAD_TEXTURES | AE_LOAD_MODELS | AE_LOAD_ANIMATIONS | AE_LOAD_SOUNDS);

    char name[256];
    CopyName(name, map.sky);
    if (name[0])
    {
        m_SkyAnimation.Init(name);
        m_SkyAnimation.m_fTime = 0.0f;
        m_SkyAnimation.m_bLoop = 1;
    }

    m_aQuests.Clear();
    for (const aeMapQuest& from : map.quests)
        if (aeQuest* quest = m_aQuests.Insert())
        {
            CopyName(quest->m_acText, from.text);
            quest->m_iBeginX = from.bx;
            quest->m_iBeginY = from.by;
            quest->m_iEndX = from.ex;
            quest->m_iEndY = from.ey;
        }
    FillList(&m_aObjects, map.objects, [](aeObject* object, const aeMapRecord& from) {
        object->m_vMin = Vector2(from.lead[0], from.lead[1]);
        object->m_vMax = Vector2(from.lead[2], from.lead[3]);
    });
    FillList(&m_aWalls, map.walls, [](aeWall* wall, const aeMapRecord& from) { wall->m_fThickness = from.lead[0]; });
    FillList(&m_aFloors, map.floors, [](aeFloor*, const aeMapRecord&) {});
    FillList(&m_aCeilings, map.ceilings,
             [](aeCeiling* ceiling, const aeMapRecord& from) { ceiling->m_fHeight = from.lead[0]; });

    if (!AllocateFields(map.width, map.height, 0))
    {
        Clear();
        return 0;
    }
    // Every record's first player, from a small table rather than from the
    // records themselves: a big grid asks millions of times.
    std::vector<aeAnimationPlayer> firsts[AE_MAP_NUM_BLOCKS];
    for (int block = 0; block < AE_MAP_NUM_BLOCKS; ++block)
    {
        firsts[block].resize(static_cast<size_t>(GetBlockCount(block)));
        for (int i = 0; i < GetBlockCount(block); ++i)
            firsts[block][static_cast<size_t>(i)] = aeMazeField::FirstPlayer(*GetBlockRecord(block, i));
    }
    // One pass over the grid: each field is made in place and gets its
    // indices and its players (as Update(0) would give them) while its
    // memory, just handed out by the system, is in the cache.
    const unsigned char* table = file->GetBuffer() + start + check.iFieldTable;
    auto fill = [table, &firsts](int begin, int end) {
        for (int i = begin; i < end; ++i)
        {
            aeMapField entry;
            std::memcpy(entry.data(), table + static_cast<size_t>(i) * sizeof(aeMapField), sizeof(aeMapField));
            aeMazeField& field = *new (&m_pFields[i]) aeMazeField;
            field.m_iFloor = entry[AE_SLOT_FLOOR];
            field.m_iCeiling = entry[AE_SLOT_CEILING];
            std::memcpy(field.m_aiWalls, &entry[AE_SLOT_WALL0], 16);
            field.m_iObject = entry[AE_SLOT_OBJECT];
            for (int slot = 0; slot < AE_NUM_SLOTS; ++slot)
            {
                const std::vector<aeAnimationPlayer>& players = firsts[aeMapBlockOfSlot(slot)];
                if (entry[slot] >= 0 && static_cast<size_t>(entry[slot]) < players.size())
                    field.m_aAnimations[slot] = players[static_cast<size_t>(entry[slot])];
            }
        }
    };
    // A big grid is filled by two threads, half each: the system clears each
    // fresh page for the thread that first touches it, so that work is
    // shared too. Without a second thread one does it all.
    const int fields = map.width * map.height;
    int mine = fields;
    std::thread other;
    if (fields >= kFieldsForTwoThreads)
    {
        try
        {
            other = std::thread(fill, fields / 2, fields);
            mine = fields / 2;
        }
        catch (const std::system_error&)
        {
        }
    }
    fill(0, mine);
    if (other.joinable())
        other.join();

    m_iNextMapX = map.exitX;
    m_iNextMapY = map.exitY;
    CopyName(m_acNextMap, map.next);
    m_dwLastKill = 0;
    m_bWon = 0;
    return 1;
}

int aeMaze::Save(VFile* file)
{
    if (!file)
    {
        AE_INVALID_PARAMETER("aeMaze::Save");
        return 0;
    }
    aeMapData map;
    map.width = m_iWidth;
    map.height = m_iHeight;
    map.depth = m_fFloorDepth;
    map.speed = m_fSpeed;
    map.fog = m_fFog;
    map.startX = m_iStartX;
    map.startY = m_iStartY;
    map.music = m_acMusicFilename;
    map.data = m_acDataPath;
    map.sky = m_SkyAnimation.m_pAnimation ? m_SkyAnimation.m_pAnimation->GetName() : "";
    for (int i = 0; i < m_aQuests.GetNumElements(); ++i)
    {
        const aeQuest* q = m_aQuests[i];
        map.quests.push_back(aeMapQuest{q->m_acText, q->m_iBeginX, q->m_iBeginY, q->m_iEndX, q->m_iEndY});
    }
    for (int i = 0; i < m_aObjects.GetNumElements(); ++i)
    {
        const aeObject* object = m_aObjects[i];
        map.objects.push_back(RecordOf(object));
        float* lead = map.objects.back().lead;
        lead[0] = object->m_vMin.x;
        lead[1] = object->m_vMin.y;
        lead[2] = object->m_vMax.x;
        lead[3] = object->m_vMax.y;
    }
    for (int i = 0; i < m_aWalls.GetNumElements(); ++i)
    {
        map.walls.push_back(RecordOf(m_aWalls[i]));
        map.walls.back().lead[0] = m_aWalls[i]->m_fThickness;
    }
    for (int i = 0; i < m_aFloors.GetNumElements(); ++i)
        map.floors.push_back(RecordOf(m_aFloors[i]));
    for (int i = 0; i < m_aCeilings.GetNumElements(); ++i)
    {
        map.ceilings.push_back(RecordOf(m_aCeilings[i]));
        map.ceilings.back().lead[0] = m_aCeilings[i]->m_fHeight;
    }
    // The exit block is always written; a maze without one leads nowhere.
    map.hasExit = true;
    map.exitX = m_iNextMapX;
    map.exitY = m_iNextMapY;
    map.next = m_acNextMap;
    // The grid goes out field by field, without a copy of it.
    return aeWriteMap(map, file, m_pFields ? FieldEntry : nullptr, nullptr);
}
