// RVM models: the reading half of aeModel::Init (no device needed).

#include "FuzzSupport.h"
#include "VFile.h"
#include "aeModel.h"

FUZZ_INIT_QUIET_LOG()

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > kFuzzMaxInput)
        return 0;
    VFile file(data, static_cast<int>(size));
    aeModel model;
    DynArray<aeRVMVertex> vertices;
    DynArray<unsigned short> indices;
    if (model.Read(&file, &vertices, &indices))
    {
        // Every index names a vertex.
        for (int i = 0; i < indices.GetNumElements(); ++i)
            FUZZ_CHECK(indices[i] < vertices.GetNumElements());
    }
    return 0;
}
