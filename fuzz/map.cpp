// Maps: the bytes of a .hwm file through aeMaze::Init (the structure check
// first, then the reader), and a loaded map written back and read again.

#include "FuzzSupport.h"
#include "VFile.h"
#include "aeMaze.h"

#include <cstring>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzQuietLog();
    FuzzTempDirectory();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > kFuzzMaxInput)
        return 0;
    VFile file(data, static_cast<int>(size));
    if (aeMaze::Init(&file))
    {
        FUZZ_CHECK(aeMaze::m_pFields != nullptr);
        FUZZ_CHECK(aeMaze::m_iStartX >= 0 && aeMaze::m_iStartX < aeMaze::m_iWidth);
        FUZZ_CHECK(aeMaze::m_iStartY >= 0 && aeMaze::m_iStartY < aeMaze::m_iHeight);
        // Every field refers to a record that exists, or to none.
        for (int i = 0; i < aeMaze::m_iWidth * aeMaze::m_iHeight; ++i)
            for (int slot = 0; slot < AE_NUM_SLOTS; ++slot)
                if (aeMaze::GetField(i)->GetSlotIndex(slot) >= 0)
                    FUZZ_CHECK(aeMaze::GetField(i)->GetRecord(slot) != nullptr);
        // What was accepted is written back and must load again.
        VFile saved;
        aeMaze::Save(&saved);
        saved.Seek(0, -1);
        const int width = aeMaze::m_iWidth, height = aeMaze::m_iHeight;
        FUZZ_CHECK(aeMaze::Init(&saved));
        FUZZ_CHECK(aeMaze::m_iWidth == width && aeMaze::m_iHeight == height);
    }
    aeMaze::Exit();
    return 0;
}
