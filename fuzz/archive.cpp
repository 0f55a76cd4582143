// Archives: aeReadArchive walks the bytes as a ZIP file; every entry it hands
// over must lie inside the archive.

#include "FuzzSupport.h"
#include "VFile.h"
#include "aeArchive.h"

#include <cstring>

namespace
{
const uint8_t* s_pArchive;
size_t s_iArchiveSize;
int s_iEntries;

void Entry(VFile* entry, char* name)
{
    FUZZ_CHECK(entry != nullptr && name != nullptr);
    FUZZ_CHECK(std::strlen(name) < 256);
    FUZZ_CHECK(entry->GetSize() >= 0 && static_cast<size_t>(entry->GetSize()) <= s_iArchiveSize);
    // The entry's bytes are read in full, as the managers do.
    unsigned sum = 0;
    for (int i = 0; i < entry->GetSize(); ++i)
        sum += entry->GetBuffer()[i];
    (void)sum;
    ++s_iEntries;
}
}

FUZZ_INIT_QUIET_LOG()

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > kFuzzMaxInput)
        return 0;
    s_pArchive = data;
    s_iArchiveSize = size;
    s_iEntries = 0;
    VFile file(data, static_cast<int>(size));
    aeReadArchive(&file, Entry);
    // Every entry takes at least its 30-byte header.
    FUZZ_CHECK(static_cast<size_t>(s_iEntries) * 30 <= size);
    return 0;
}
