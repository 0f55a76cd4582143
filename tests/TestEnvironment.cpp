// The environment every test runs in, whoever starts the test program: no
// display and no sound card needed (SDL's offscreen video, OpenAL's null
// output), and the leak checker told about the caches that libraries keep for
// the life of a process, in this program and in the programs it starts.
// Mesa's shader cache is off: tests write nothing into the user's cache, and
// its writer thread, still busy when a test program ends, crashed the leak
// checker's tracer. Values set from outside win.

#include <cstdlib>

// Read by the leak checker of a sanitizer build when this program starts;
// LSAN_OPTIONS from outside adds to it.
extern "C" const char* __lsan_default_options()
{
    return "suppressions=" HALVORAN_LSAN_SUPPRESSIONS;
}

namespace
{
struct TestEnvironment
{
    TestEnvironment()
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        setenv("ALSOFT_DRIVERS", "null", 0);
        setenv("MESA_SHADER_CACHE_DISABLE", "true", 0);
        setenv("LSAN_OPTIONS", "suppressions=" HALVORAN_LSAN_SUPPRESSIONS, 0);
    }
} g_Environment;
}
