#pragma once
// What the named resource registries (sounds, models, animations, textures)
// share: adding from a file or a whole archive, finding by exact name (the
// first of equal names), deleting by index or name. Each manager keeps its
// own list and flag and forwards to these with the texts of its reports,
// which name the manager's source unit and operations as before.

#include <cstring>

#include "DynList.h"
#include "VFile.h"
#include "aeArchive.h"
#include "aeError.h"

struct aeRegistryText
{
    const char* pcFile;             // the manager's source unit, for reports
    const char* pcAdd;              // "aeModelManager::AddModel"
    const char* pcAddArchive;       // "aeModelManager::AddModelArchive"
    const char* pcFind;             // "aeModelManager::FindModel"
    const char* pcDelete;           // "aeModelManager::DeleteModel"
    const char* pcInitFirst;        // "Sie müssen erst den ModelManager initialisieren!"
    const char* pcNotInitialized;   // "Der ModelManager wurde noch nicht initialisiert!"
    const char* pcNotFound;         // "Das Modell wurde nicht gefunden!"
};

// The texts of a manager named ae<Manager> whose operations are Add<Kind>,
// Add<Kind>Archive, Find<Kind> and Delete<Kind>, reported from file.
#define AE_REGISTRY_TEXT(Manager, Kind, file, notFound)                                                     \
    {file,                                                                                                  \
     "ae" #Manager "::Add" #Kind,                                                                           \
     "ae" #Manager "::Add" #Kind "Archive",                                                                 \
     "ae" #Manager "::Find" #Kind,                                                                          \
     "ae" #Manager "::Delete" #Kind,                                                                        \
     "Sie müssen erst den " #Manager " initialisieren!",                                                    \
     "Der " #Manager " wurde noch nicht initialisiert!",                                                    \
     notFound}

// The index of the first entry whose name is name; -1 when none is, when the
// manager is not running or name is missing (both reported).
template <class T, class Name>
int aeRegistryFind(const DynList<T>& list, int initialized, const char* name, const aeRegistryText& text, int line,
                   Name nameOf)
{
    if (!initialized)
    {
        aeReportError(text.pcFile, line, text.pcFind, "%s", text.pcNotInitialized);
        return -1;
    }
    if (!name)
    {
        aeReportInvalidParameter(text.pcFile, line, text.pcFind);
        return -1;
    }
    const int count = list.GetNumElements();
    for (int i = 0; i < count; ++i)
        if (std::strcmp(nameOf(*list.GetElement(i)), name) == 0)
            return i;
    return -1;
}

template <class T>
int aeRegistryFind(const DynList<T>& list, int initialized, const char* name, const aeRegistryText& text, int line)
{
    return aeRegistryFind(list, initialized, name, text, line, [](const T& entry) { return entry.m_acName; });
}

// A new entry initialised from file (T::Init(VFile*, const char*)); it is
// removed again when that fails.
template <class T>
int aeRegistryAdd(DynList<T>& list, VFile* file, const char* name, T** out, const aeRegistryText& text, int line)
{
    if (!file || !name)
    {
        aeReportInvalidParameter(text.pcFile, line, text.pcAdd);
        return 0;
    }
    T* entry = list.Insert();
    if (!entry)
        return 0;
    if (!entry->Init(file, name))
    {
        list.Remove(entry);
        return 0;
    }
    if (out)
        *out = entry;
    return 1;
}

// Every entry of an archive through add (the manager's own add function).
inline int aeRegistryAddArchive(VFile* archive, int initialized, void (*add)(VFile* entry, char* name),
                                const aeRegistryText& text, int line)
{
    if (!archive)
    {
        aeReportInvalidParameter(text.pcFile, line, text.pcAddArchive);
        return 0;
    }
    if (!initialized)
    {
        aeReportError(text.pcFile, line, text.pcAddArchive, "%s", text.pcInitFirst);
        return 0;
    }
    if (!aeReadArchive(archive, add))
    {
        aeReportError(text.pcFile, line, text.pcAddArchive, "Fehler beim lesen des Archivs!");
        return 0;
    }
    return 1;
}

template <class T>
void aeRegistryDelete(DynList<T>& list, int index, const aeRegistryText& text, int line)
{
    if (index < 0 || index >= list.GetNumElements())
    {
        aeReportInvalidParameter(text.pcFile, line, text.pcDelete);
        return;
    }
    list.Remove(index);
}

// Deletes the entry that find (the manager's own) gives for name.
template <class T>
void aeRegistryDelete(DynList<T>& list, const char* name, int (*find)(const char*), const aeRegistryText& text, int line)
{
    if (!name)
    {
        aeReportInvalidParameter(text.pcFile, line, text.pcDelete);
        return;
    }
    const int index = find(name);
    if (index < 0)
    {
        aeReportError(text.pcFile, line, text.pcDelete, "%s", text.pcNotFound);
        return;
    }
    list.Remove(index);
}

// The manager's static operations as forwards to the registry: Add<Kind>,
// Add<Kind>Archive, Find<Kind>, Get<Kind>(name) and both Delete<Kind>, for
// a manager with the list List and the texts kRegistry in its unit.
#define AE_REGISTRY_OPERATIONS(Manager, Kind, Type, List)                                              \
    static void Manager##AddArchiveEntry(VFile* entry, char* name)                                     \
    {                                                                                                 \
        Manager::Add##Kind(entry, name, nullptr);                                                     \
    }                                                                                                 \
    int Manager::Add##Kind(VFile* file, const char* name, Type** out)                                 \
    {                                                                                                 \
        return aeRegistryAdd(List, file, name, out, kRegistry, __LINE__);                             \
    }                                                                                                 \
    int Manager::Add##Kind##Archive(VFile* archive)                                                   \
    {                                                                                                 \
        return aeRegistryAddArchive(archive, m_bInitialized, &Manager##AddArchiveEntry, kRegistry, __LINE__); \
    }                                                                                                 \
    int Manager::Find##Kind(const char* name)                                                         \
    {                                                                                                 \
        return aeRegistryFind(List, m_bInitialized, name, kRegistry, __LINE__);                       \
    }                                                                                                 \
    Type* Manager::Get##Kind(const char* name)                                                        \
    {                                                                                                 \
        const int index = Find##Kind(name);                                                           \
        return index < 0 ? nullptr : List.GetElement(index);                                          \
    }                                                                                                 \
    void Manager::Delete##Kind(int index)                                                             \
    {                                                                                                 \
        aeRegistryDelete(List, index, kRegistry, __LINE__);                                           \
    }                                                                                                 \
    void Manager::Delete##Kind(const char* name)                                                      \
    {                                                                                                 \
        aeRegistryDelete(List, name, &Find##Kind, kRegistry, __LINE__);                               \
    }
