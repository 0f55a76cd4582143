// The readable demo text: parsed; what parses is written as text again, and
// that text must parse to the same frames.

#include "FuzzSupport.h"
#include "aeDemo.h"

#include <vector>

FUZZ_INIT_QUIET_LOG()

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 18)
        return 0;
    std::vector<aeDemoLine> lines;
    if (!aeDemo::Parse(reinterpret_cast<const char*>(data), static_cast<int>(size), "fuzz.dem", &lines))
        return 0;
    for (const aeDemoLine& line : lines)
    {
        FUZZ_CHECK(line.iFrames >= 1 && line.iFrames <= AE_DEMO_MAX_FRAMES_PER_LINE);
        FUZZ_CHECK(line.dwMs >= 1 && line.dwMs <= AE_DEMO_MAX_MS);
    }
    const std::string text = aeDemo::Format(lines);
    std::vector<aeDemoLine> again;
    FUZZ_CHECK(aeDemo::Parse(text.data(), static_cast<int>(text.size()), "fuzz.dem", &again));
    FUZZ_CHECK(again.size() == lines.size());
    for (size_t i = 0; i < lines.size(); ++i)
    {
        FUZZ_CHECK(again[i].iFrames == lines[i].iFrames);
        FUZZ_CHECK(again[i].dwMs == lines[i].dwMs);
        FUZZ_CHECK(again[i].Input == lines[i].Input);
    }
    return 0;
}
