#include "DataLoader.h"
#include "Sound.h"
#include "VFile.h"
#include "aeError.h"
#include "aeMapCheck.h"
#include "aeMaze.h"
#include "aeMusic.h"

#include <cstring>

namespace
{
// Refusals are logged in full for the first few problems; a map with an
// index fault in every field would otherwise flood the log.
const int kMaxReported = 10;

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

// A length byte and that many characters, stored zero-terminated.
void ReadString(VFile* file, char* text)
{
    unsigned char length = 0;
    file->Read(1, &length);
    file->Read(length, text);
    text[length] = 0;
}

void WriteString(VFile* file, const char* text)
{
    const size_t length = text ? std::strlen(text) : 0;
    const unsigned char n = static_cast<unsigned char>(length % 256);
    file->Write(1, &n);
    file->Write(n, text);
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

// Reads the shared tail of a record: animation, action, mode, trigger kind,
// sound and conditions.
void ReadRecord(VFile* file, aeMazeRecord* record)
{
    char name[256];
    ReadString(file, name);
    record->m_pAnimation = FindAnimation(name);
    file->Read(4, &record->m_iAction);
    file->Read(4, &record->m_iMode);
    file->Read(4, &record->m_bAutomatic);
    ReadString(file, name);
    record->m_pSound = FindSound(name);
    record->m_aConditions.Clear();
    int count = 0;
    file->Read(4, &count);
    for (int i = 0; i < count; ++i)
    {
        aeCondition* condition = record->m_aConditions.Insert();
        if (condition)
            file->Read(16, condition);
        else
            file->Seek(16, 0);
    }
}

void WriteRecord(VFile* file, const aeMazeRecord* record)
{
    WriteString(file, record->m_pAnimation ? record->m_pAnimation->GetName() : "");
    file->Write(4, &record->m_iAction);
    file->Write(4, &record->m_iMode);
    file->Write(4, &record->m_bAutomatic);
    WriteString(file, record->m_pSound ? record->m_pSound->GetName() : "");
    const int count = record->m_aConditions.GetNumElements();
    file->Write(4, &count);
    for (int i = 0; i < count; ++i)
        file->Write(16, record->m_aConditions.GetElement(i));
}

}

int aeMaze::Init(VFile* file)
{
    if (!file)
    {
        AE_INVALID_PARAMETER("aeMaze::Init");
        return 0;
    }
    // Everything the reader below relies on is checked first, so that a bad
    // map changes nothing beyond leaving the maze empty.
    Report report;
    aeMapCheckResult check;
    if (!aeCheckMap(file->GetBuffer() + file->GetCursor(), file->GetRemaining(), ReportProblem, &report, &check))
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
    Clear();

    int width = 0, height = 0;
    file->Read(4, &width);
    file->Read(4, &height);
    file->Read(4, &m_fFloorDepth);
    file->Read(4, &m_fSpeed);
    file->Read(4, &m_fFog);
    file->Read(4, &m_iStartX);
    file->Read(4, &m_iStartY);

    // The map's music is opened (not yet played) under its name as given; a
    // piece left from a maze that was not ended goes first.
    ReadString(file, m_acMusicFilename);
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
    ReadString(file, m_acDataPath);
    if (!m_acDataPath[0])
        std::strcpy(m_acDataPath, "..\\data\\");

    // Resources are reloaded before anything refers to them by name.
    aeDataLoader::Unload();
    aeDataLoader::Load(m_acDataPath, AE_LOAD_TEXTURES | AE_LOAD_MODELS | AE_LOAD_ANIMATIONS | AE_LOAD_SOUNDS);

    char name[256];
    ReadString(file, name);
    if (name[0])
    {
        m_SkyAnimation.Init(name);
        m_SkyAnimation.m_fTime = 0.0f;
        m_SkyAnimation.m_bLoop = 1;
    }

    m_aQuests.Clear();
    int count = 0;
    file->Read(4, &count);
    for (int i = 0; i < count; ++i)
    {
        aeQuest* quest = m_aQuests.Insert();
        aeQuest scratch;
        aeQuest* target = quest ? quest : &scratch;
        ReadString(file, target->m_acText);
        file->Read(16, &target->m_iBeginX);
    }
    // Each block: the record's own leading fields, then the shared tail. A
    // record that cannot be allocated is read into a scratch record, so that
    // the rest of the file stays in step (its fields then refer to nothing).
    count = 0;
    file->Read(4, &count);
    for (int i = 0; i < count; ++i)
    {
        aeObject scratch;
        aeObject* object = m_aObjects.Insert();
        if (!object)
            object = &scratch;
        file->Read(8, &object->m_vMin);
        file->Read(8, &object->m_vMax);
        ReadRecord(file, object);
    }
    count = 0;
    file->Read(4, &count);
    for (int i = 0; i < count; ++i)
    {
        aeWall scratch;
        aeWall* wall = m_aWalls.Insert();
        if (!wall)
            wall = &scratch;
        file->Read(4, &wall->m_fThickness);
        ReadRecord(file, wall);
    }
    count = 0;
    file->Read(4, &count);
    for (int i = 0; i < count; ++i)
    {
        aeFloor scratch;
        aeFloor* floor = m_aFloors.Insert();
        ReadRecord(file, floor ? floor : &scratch);
    }
    count = 0;
    file->Read(4, &count);
    for (int i = 0; i < count; ++i)
    {
        aeCeiling scratch;
        aeCeiling* ceiling = m_aCeilings.Insert();
        if (!ceiling)
            ceiling = &scratch;
        file->Read(4, &ceiling->m_fHeight);
        ReadRecord(file, ceiling);
    }

    if (!AllocateFields(width, height))
    {
        Clear();
        return 0;
    }
    const int fields = width * height;
    for (int i = 0; i < fields; ++i)
    {
        int entry[7];
        file->Read(28, entry);
        aeMazeField& field = m_pFields[i];
        field.m_iFloor = entry[0];
        field.m_iCeiling = entry[1];
        std::memcpy(field.m_aiWalls, entry + 2, 16);
        field.m_iObject = entry[6];
    }

    if (check.bHasExit)
    {
        file->Read(4, &m_iNextMapX);
        file->Read(4, &m_iNextMapY);
        ReadString(file, m_acNextMap);
    }
    else
    {
        m_iNextMapX = m_iNextMapY = 0;
        m_acNextMap[0] = 0;
    }
    m_dwLastKill = 0;
    m_bWon = 0;
    Update(0);
    return 1;
}

int aeMaze::Save(VFile* file)
{
    if (!file)
    {
        AE_INVALID_PARAMETER("aeMaze::Save");
        return 0;
    }
    file->Write(4, &m_iWidth);
    file->Write(4, &m_iHeight);
    file->Write(4, &m_fFloorDepth);
    file->Write(4, &m_fSpeed);
    file->Write(4, &m_fFog);
    file->Write(4, &m_iStartX);
    file->Write(4, &m_iStartY);
    WriteString(file, m_acMusicFilename);
    WriteString(file, m_acDataPath);
    WriteString(file, m_SkyAnimation.m_pAnimation ? m_SkyAnimation.m_pAnimation->GetName() : "");

    int count = m_aQuests.GetNumElements();
    file->Write(4, &count);
    for (int i = 0; i < count; ++i)
    {
        const aeQuest* quest = m_aQuests[i];
        WriteString(file, quest->m_acText);
        file->Write(16, &quest->m_iBeginX);
    }
    count = m_aObjects.GetNumElements();
    file->Write(4, &count);
    for (int i = 0; i < count; ++i)
    {
        const aeObject* object = m_aObjects[i];
        file->Write(8, &object->m_vMin);
        file->Write(8, &object->m_vMax);
        WriteRecord(file, object);
    }
    count = m_aWalls.GetNumElements();
    file->Write(4, &count);
    for (int i = 0; i < count; ++i)
    {
        file->Write(4, &m_aWalls[i]->m_fThickness);
        WriteRecord(file, m_aWalls[i]);
    }
    count = m_aFloors.GetNumElements();
    file->Write(4, &count);
    for (int i = 0; i < count; ++i)
        WriteRecord(file, m_aFloors[i]);
    count = m_aCeilings.GetNumElements();
    file->Write(4, &count);
    for (int i = 0; i < count; ++i)
    {
        file->Write(4, &m_aCeilings[i]->m_fHeight);
        WriteRecord(file, m_aCeilings[i]);
    }

    const int fields = m_pFields ? m_iWidth * m_iHeight : 0;
    for (int i = 0; i < fields; ++i)
    {
        const aeMazeField& field = m_pFields[i];
        const int entry[7] = {field.m_iFloor,     field.m_iCeiling,   field.m_aiWalls[0], field.m_aiWalls[1],
                              field.m_aiWalls[2], field.m_aiWalls[3], field.m_iObject};
        file->Write(28, entry);
    }
    file->Write(4, &m_iNextMapX);
    file->Write(4, &m_iNextMapY);
    WriteString(file, m_acNextMap);
    return 1;
}
