// RVAN animations: aeAnimation::Init, then every object placed at a few
// times, as drawing does.

#include "FuzzSupport.h"
#include "VFile.h"
#include "Animation.h"

#include <cmath>
#include <limits>

FUZZ_INIT_QUIET_LOG()

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > kFuzzMaxInput)
        return 0;
    VFile file(data, static_cast<int>(size));
    aeAnimation animation;
    if (!animation.Init(&file, "fuzz.ran"))
        return 0;
    const float times[] = {0.0f, 0.25f, 0.5f, 0.999f, 1.0f, -0.05f, 1.05f, std::numeric_limits<float>::quiet_NaN()};
    const Matrix world = MatrixIdentity();
    for (int i = 0; i < animation.GetNumObjects(); ++i)
    {
        aeAnimObject* object = animation.GetObjectA(i);
        FUZZ_CHECK(object != nullptr);
        for (float t : times)
        {
            Matrix out;
            object->GetWorldMatrix(t, world, Vector3(0.0f, 0.0f, -10.0f), Vector3(1.0f, 0.0f, 0.0f), i & 1, &out);
            if (object->GetNumKeyFrames() > 0)
            {
                FUZZ_CHECK(object->GetNextKeyFrame(t) != nullptr);
                FUZZ_CHECK(object->GetPrevKeyFrame(t) != nullptr);
            }
        }
    }
    return 0;
}
