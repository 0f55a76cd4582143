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

// Elements never move and die with the list; a callback's error is reported;
// removal inside the walk sees each element once; arrays grow and shrink.
TEST(CoreContainers, ListKeepsItsElementsInPlaceTraverseReportsAndArraysResize)
{
    test::LogCapture log("traverse");
    {
        DynList<Counted> list;
        FillList(list, 6);
        Counted* third = list[2];
        list.Remove(1);
        EXPECT_EQ(list[1], third);
        list.Remove(third);
        list.Remove(-1);
        EXPECT_EQ(Values(list), (std::vector<int>{0, 3, 4, 5}));
        EXPECT_EQ(Counted::s_iAlive, 4);
        EXPECT_EQ(list.Find(nullptr), -1);
        list.Remove(4);  // past the end: nothing
        // Ranges past the end visit nothing; a callback's 2 ends the walk without an error.
        auto visit = [](int, Counted* e, DynList<Counted>*) {
            g_aVisited.push_back(e->iValue);
            return e->iValue == 4 ? 2 : 0;
        };
        list.Traverse(visit, 0, 4);
        list.Traverse(visit, 4, -1);
        list.Traverse(nullptr, -1, -1);
        list.Traverse(visit, 1, 1);
        list.Traverse(visit, 1, 3);
        EXPECT_EQ(g_aVisited, (std::vector<int>{3, 3, 4}));
        g_aVisited.clear();
        list.Traverse([](int i, Counted* e, DynList<Counted>* l) {
            g_aVisited.push_back(e->iValue);
            return e->iValue % 2 ? (l->Remove(i), 1) : 0;
        }, -1, -1);
        EXPECT_EQ(g_aVisited, (std::vector<int>{0, 3, 4, 5}));
        EXPECT_EQ(Values(list), (std::vector<int>{0, 4}));
        list.Traverse([](int, Counted*, DynList<Counted>*) { return 3; }, -1, -1);
        EXPECT_TRUE(log.Contains("Counted>::Traverse Beschreibung: In der Callback-Funktion trat ein Fehler auf!"));
        // Removing everything up to a fixed last index never walks past the end.
        list.Traverse([](int i, Counted*, DynList<Counted>* l) { return l->Remove(i), 1; }, 0, 1);
        EXPECT_EQ(list.GetNumElements(), 0);
    }
    EXPECT_EQ(Counted::s_iAlive, 0);
    DynArray<int> a;
    a.Realloc(2);
    EXPECT_EQ(a[0] + a[1], 0);  // a fresh array is zeroed; grown parts are not
    a[0] = 7;
    a.Realloc(3);
    EXPECT_EQ(a.GetNumElements(), 5);
    EXPECT_EQ(a[0], 7);
    a.Realloc(-5);
    EXPECT_EQ(a.GetData(), nullptr);
    // The slots of an array of objects are closed files; shrinking closes what it drops.
    DynArrayEx<VFile> files;
    files.Realloc(1);
    files[0]->Write(3, "abc");
    files.Realloc(2);
    EXPECT_FALSE(files[2]->IsOpened());
    files.Realloc(-2);
    EXPECT_EQ(files.GetNumElements(), 1);
    EXPECT_EQ(files[0]->GetSize(), 3);
    files.Realloc(-1);
    EXPECT_EQ(files.GetNumElements(), 0);
}
