// RVS sounds: aeSound::Init without a sound device (the header checks and
// the data size; the device part only uploads what passed them).

#include "FuzzSupport.h"
#include "Sound.h"
#include "VFile.h"

FUZZ_INIT_QUIET_LOG()

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > kFuzzMaxInput)
        return 0;
    VFile file(data, static_cast<int>(size));
    aeSound sound;
    if (sound.Init(&file, "fuzz.rvs"))
    {
        FUZZ_CHECK(sound.GetNumBuffers() >= 1);
        FUZZ_CHECK(file.GetCursor() <= file.GetSize());
    }
    return 0;
}
