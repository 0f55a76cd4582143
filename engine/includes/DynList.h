#pragma once
// The engine's container templates. None keeps spare capacity: every insertion
// and removal resizes the storage to the exact count.
//
//   DynList<T>    a list of individually allocated elements that it owns;
//                 element pointers stay valid until the element is removed.
//   DynArray<T>   a contiguous array of plain elements (bytes to the container).
//   DynArrayEx<T> an array of individually allocated objects with their own
//                 clean-up (VFile).

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>
#include <type_traits>

#include "aeError.h"

// The name of T as error reports show it ("struct aeCondition"); a type may
// specialise this to name itself.
template <class T>
struct aeTypeName
{
    static const char* Get()
    {
        static char s_acName[128];
        if (!s_acName[0])
        {
            std::string_view f = __PRETTY_FUNCTION__;
            const size_t at = f.find("T = ");
            std::string_view t = at == std::string_view::npos ? "T" : f.substr(at + 4);
            t = t.substr(0, t.find_first_of(";]"));
            const char* kind = std::is_class_v<T> ? "struct " : "";
            std::snprintf(s_acName, sizeof(s_acName), "%s%.*s", kind, static_cast<int>(t.size()), t.data());
        }
        return s_acName;
    }
};
#define AE_TYPE_NAME(Type, Text) \
    template <> struct aeTypeName<Type> { static const char* Get() { return Text; } }

template <class T>
class DynList
{
public:
    typedef int (*TraverseCallback)(int index, T* element, DynList<T>* list);

    DynList() : m_ppItems(nullptr), m_iCount(0) {}
    ~DynList() { Clear(); }
    DynList(const DynList&) = delete;
    DynList& operator=(const DynList&) = delete;

    // Appends a new element and returns it (null when memory runs out).
    T* Insert()
    {
        T** items = static_cast<T**>(std::realloc(m_ppItems, sizeof(T*) * static_cast<size_t>(m_iCount + 1)));
        if (!items)
            return nullptr;
        m_ppItems = items;
        T* element = new (std::nothrow) T();
        if (!element)
        {
            Shrink();
            return nullptr;
        }
        m_ppItems[m_iCount++] = element;
        return element;
    }

    void Remove(int index)
    {
        if (index < 0 || index >= m_iCount)
            return;
        if (m_iCount < 2)
        {
            Clear();
            return;
        }
        delete m_ppItems[index];
        std::memmove(m_ppItems + index, m_ppItems + index + 1, sizeof(T*) * static_cast<size_t>(m_iCount - index - 1));
        --m_iCount;
        Shrink();
    }

    void Remove(T* element) { Remove(Find(element)); }

    int Find(const T* element) const
    {
        for (int i = 0; i < m_iCount; ++i)
            if (m_ppItems[i] == element)
                return i;
        return -1;
    }

    void Clear()
    {
        for (int i = 0; i < m_iCount; ++i)
            delete m_ppItems[i];
        std::free(m_ppItems);
        m_ppItems = nullptr;
        m_iCount = 0;
    }

    // Null for a negative index; the index must be below the count.
    T* GetElement(int index) const { return index < 0 ? nullptr : m_ppItems[index]; }
    T* operator[](int index) const { return GetElement(index); }
    T* operator[](short index) const { return GetElement(index); }
    T* operator[](unsigned short index) const { return m_ppItems[index]; }
    T* operator[](unsigned long index) const { return m_ppItems[index]; }

    int GetNumElements() const { return m_iCount; }

    // Visits first..last (negative: from the start / to the end). The callback
    // answers 0 to go on, 1 after removing the visited element (it is visited
    // again at the same index), 2 to stop and 3 to stop with an error.
    void Traverse(TraverseCallback callback, int first, int last)
    {
        if (!callback || first >= m_iCount || last >= m_iCount)
            return;
        const int from = first < 0 ? 0 : first;
        const int to = last < 0 ? m_iCount - 1 : last;
        for (int i = from; i <= to && i < m_iCount;)
        {
            switch (callback(i, m_ppItems[i], this))
            {
            case 1:
                continue;
            case 2:
                return;
            case 3:
            {
                char function[192];
                std::snprintf(function, sizeof(function), "DynList<%s>::Traverse", aeTypeName<T>::Get());
                AE_ERROR(function, "In der Callback-Funktion trat ein Fehler auf!");
                return;
            }
            default:
                ++i;
            }
        }
    }

private:
    // Fits the pointer array to the count (a smaller block never fails to fit).
    void Shrink()
    {
        if (m_iCount == 0)
        {
            std::free(m_ppItems);
            m_ppItems = nullptr;
            return;
        }
        T** items = static_cast<T**>(std::realloc(m_ppItems, sizeof(T*) * static_cast<size_t>(m_iCount)));
        if (items)
            m_ppItems = items;
    }

    T** m_ppItems;
    int m_iCount;
};

template <class T>
class DynArray
{
    static_assert(std::is_trivially_copyable_v<T>, "DynArray holds plain elements");

public:
    DynArray() : m_pItems(nullptr), m_iCount(0) {}
    ~DynArray() { Free(); }
    DynArray(const DynArray&) = delete;
    DynArray& operator=(const DynArray&) = delete;

    // n zero-filled elements (n <= 0: empty).
    void Alloc(int n)
    {
        Free();
        if (n <= 0)
            return;
        m_pItems = static_cast<T*>(std::calloc(static_cast<size_t>(n), sizeof(T)));
        if (m_pItems)
            m_iCount = n;
    }

    // Changes the count by delta, keeping the first elements; added elements
    // are not cleared, except when the array was empty.
    void Realloc(int delta)
    {
        const long long count = static_cast<long long>(m_iCount) + delta;
        if (count <= 0)
        {
            Free();
            return;
        }
        if (!m_pItems)
        {
            Alloc(delta);
            return;
        }
        T* items = static_cast<T*>(std::realloc(static_cast<void*>(m_pItems), sizeof(T) * static_cast<size_t>(count)));
        if (!items)
            return;
        m_pItems = items;
        m_iCount = static_cast<int>(count);
    }

    void Free()
    {
        std::free(static_cast<void*>(m_pItems));
        m_pItems = nullptr;
        m_iCount = 0;
    }

    T& operator[](int index) { return m_pItems[index]; }
    const T& operator[](int index) const { return m_pItems[index]; }
    T& operator[](unsigned long index) { return m_pItems[index]; }
    const T& operator[](unsigned long index) const { return m_pItems[index]; }
    T* GetData() { return m_pItems; }
    int GetNumElements() const { return m_iCount; }

private:
    T* m_pItems;
    int m_iCount;
};

template <class T>
class DynArrayEx
{
public:
    DynArrayEx() : m_ppItems(nullptr), m_iCount(0) {}
    ~DynArrayEx() { Free(); }
    DynArrayEx(const DynArrayEx&) = delete;
    DynArrayEx& operator=(const DynArrayEx&) = delete;

    void Alloc(int n)
    {
        if (m_ppItems)
            Free();
        if (n <= 0)
            return;
        m_ppItems = static_cast<T**>(std::calloc(static_cast<size_t>(n), sizeof(T*)));
        if (!m_ppItems)
            return;
        for (m_iCount = 0; m_iCount < n; ++m_iCount)
            m_ppItems[m_iCount] = new T();
    }

    void Realloc(int delta)
    {
        const long long count = static_cast<long long>(m_iCount) + delta;
        if (count < 1)
        {
            Free();
            return;
        }
        if (!m_ppItems)
        {
            Alloc(delta);
            return;
        }
        for (int i = static_cast<int>(count); i < m_iCount; ++i)
            delete m_ppItems[i];
        if (count < m_iCount)
            m_iCount = static_cast<int>(count);
        T** items = static_cast<T**>(std::realloc(m_ppItems, sizeof(T*) * static_cast<size_t>(count)));
        if (!items)
            return;
        m_ppItems = items;
        while (m_iCount < count)
            m_ppItems[m_iCount++] = new T();
    }

    void Free()
    {
        for (int i = 0; i < m_iCount; ++i)
            delete m_ppItems[i];
        std::free(m_ppItems);
        m_ppItems = nullptr;
        m_iCount = 0;
    }

    T* operator[](int index) const { return m_ppItems[index]; }
    int GetNumElements() const { return m_iCount; }

private:
    T** m_ppItems;
    int m_iCount;
};
