// The map tool's text form: parsed; what parses is turned into bytes and
// back into text, and that text must parse to the same map.

#include "FuzzSupport.h"
#include "MapText.h"

namespace
{
// Whether a "size" line asks for a grid larger than a map would have: its
// fields cost memory and time in proportion (several gigabytes for "size
// 8000 9000"), which only slows the search down.
bool HugeGrid(const std::string& text)
{
    std::istringstream in(text);
    std::string line, error;
    while (std::getline(in, line))
    {
        std::vector<std::string> t;
        if (!textform::Tokenize(line, &t, &error) || t.size() != 3 || t[0] != "size")
            continue;
        int32_t w = 0, h = 0;
        if (maptext::ParseInt(t[1], &w, &error) && maptext::ParseInt(t[2], &h, &error) &&
            static_cast<long long>(w) * h > 1 << 16)
            return true;
    }
    return false;
}
}

FUZZ_INIT_QUIET_LOG()

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 18)
        return 0;
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (HugeGrid(text))
        return 0;
    maptext::Map map;
    std::string error;
    if (!maptext::FromText(text, &map, &error))
    {
        FUZZ_CHECK(!error.empty());
        return 0;
    }
    const std::string bytes = maptext::ToBinary(map);
    std::string report;
    maptext::Check(bytes, &report);
    maptext::Map again;
    std::string againError;
    const std::string written = maptext::ToText(map);
    if (!maptext::FromText(written, &again, &againError))
    {
        std::fprintf(stderr, "%s\n", againError.c_str());
        FUZZ_CHECK(!"written text parses");
    }
    FUZZ_CHECK(maptext::ToBinary(again) == bytes);
    return 0;
}
