// The engine's containers: the list that owns its elements and never moves
// them, and the arrays that grow and shrink.

#include <gtest/gtest.h>

#include <vector>

#include "DynList.h"
#include "TestSupport.h"
#include "VFile.h"

namespace
{
struct Counted
{
    static inline int s_iAlive = 0;
    int iValue = 0;
    Counted() { ++s_iAlive; }
    ~Counted() { --s_iAlive; }
};

void FillList(DynList<Counted>& list, int n)
{
    for (int i = 0; i < n; ++i)
        list.Insert()->iValue = i;
}

std::vector<int> Values(DynList<Counted>& list)
{
    std::vector<int> v;
    for (int i = 0; i < list.GetNumElements(); ++i)
        v.push_back(list[i]->iValue);
    return v;
}

std::vector<int> g_aVisited;
}

TEST(CoreDynList, InsertRemoveFindKeepOrderAndOwnership)
{
    {
        DynList<Counted> list;
        EXPECT_EQ(list.Find(nullptr), -1);
        FillList(list, 5);
        Counted* third = list[2];
        list.Insert();
        EXPECT_EQ(list[2], third);  // elements never move
        EXPECT_EQ(Counted::s_iAlive, 6);
        list.Remove(-1);
        list.Remove(6);
        Counted stranger;
        list.Remove(&stranger);
        EXPECT_EQ(list.GetNumElements(), 6);
        list.Remove(1);
        list.Remove(third);
        EXPECT_EQ(Values(list), (std::vector<int>{0, 3, 4, 0}));
        EXPECT_EQ(list.Find(list[2]), 2);
        EXPECT_EQ(list.GetElement(-1), nullptr);
        EXPECT_EQ(Counted::s_iAlive, 5);  // four in the list and the stranger
    }
    EXPECT_EQ(Counted::s_iAlive, 0);
    DynList<Counted> one;
    one.Insert();
    one.Remove(0);
    EXPECT_EQ(one.GetNumElements(), 0);
    EXPECT_EQ(Counted::s_iAlive, 0);
}

TEST(CoreDynList, TraverseRangesStopsErrorsAndRemovalInsideTheCallback)
{
    test::LogCapture log("traverse");
    DynList<Counted> list;
    FillList(list, 6);
    // Visits in order; the callback's 2 (at element 4) ends the walk without an error.
    auto visit = [](int, Counted* e, DynList<Counted>*) {
        g_aVisited.push_back(e->iValue);
        return e->iValue == 4 ? 2 : 0;
    };
    g_aVisited.clear();
    list.Traverse(visit, 0, list.GetNumElements());  // last out of range: nothing
    list.Traverse(visit, 6, -1);
    list.Traverse(visit, 4, 2);
    EXPECT_TRUE(g_aVisited.empty());
    list.Traverse(visit, -1, -1);
    EXPECT_EQ(g_aVisited, (std::vector<int>{0, 1, 2, 3, 4}));
    g_aVisited.clear();
    list.Traverse(visit, 2, 3);
    EXPECT_EQ(g_aVisited, (std::vector<int>{2, 3}));
    EXPECT_EQ(aeLog::m_iNumErrors, 0);
    list.Traverse([](int, Counted*, DynList<Counted>*) { return 3; }, -1, -1);
    EXPECT_EQ(aeLog::m_iNumErrors, 1);
    EXPECT_TRUE(log.Contains("Funktion: DynList<struct") && log.Contains("Counted>::Traverse Beschreibung: In der Callback-Funktion trat ein Fehler auf!"))
        << log.Text();
    // Removing every odd element while walking sees each element exactly once.
    g_aVisited.clear();
    list.Traverse(
        [](int i, Counted* e, DynList<Counted>* l) {
            g_aVisited.push_back(e->iValue);
            if (e->iValue % 2 == 0)
                return 0;
            l->Remove(i);
            return 1;
        },
        -1, -1);
    EXPECT_EQ(g_aVisited, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(Values(list), (std::vector<int>{0, 2, 4}));
    // Removing everything from the fixed last index never walks past the end.
    list.Traverse([](int i, Counted*, DynList<Counted>* l) { l->Remove(i); return 1; }, 0, 2);
    EXPECT_EQ(list.GetNumElements(), 0);
}

TEST(CoreDynArray, AllocReallocAndFreeAndFileSlotsThatTheArrayFrees)
{
    DynArray<int> a;
    a.Realloc(2);
    ASSERT_EQ(a.GetNumElements(), 2);
    EXPECT_EQ(a[0] + a[1], 0);
    a[0] = 7;
    a.Realloc(3);
    EXPECT_EQ(a.GetNumElements(), 5);
    EXPECT_EQ(a[0], 7);
    a.Realloc(-5);
    EXPECT_EQ(a.GetNumElements(), 0);
    EXPECT_EQ(a.GetData(), nullptr);
    a.Alloc(-1);
    EXPECT_EQ(a.GetNumElements(), 0);
    a.Alloc(4);
    EXPECT_EQ(a[3], 0);
    a.Realloc(-1);
    EXPECT_EQ(a.GetNumElements(), 3);
    // The slots of an array of objects are closed files.
    DynArrayEx<VFile> files;
    files.Realloc(1);
    EXPECT_FALSE(files[0]->IsOpened());
    files[0]->Write(3, "abc");
    files.Realloc(2);
    EXPECT_EQ(files.GetNumElements(), 3);
    EXPECT_FALSE(files[2]->IsOpened());
    files.Realloc(-2);
    EXPECT_EQ(files.GetNumElements(), 1);
    EXPECT_EQ(files[0]->GetSize(), 3);
    files.Realloc(-1);
    EXPECT_EQ(files.GetNumElements(), 0);
    files.Alloc(2);
    EXPECT_EQ(files.GetNumElements(), 2);
}
