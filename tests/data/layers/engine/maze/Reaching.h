#pragma once
// A maze header that reaches past the platform layer.
#include <vector>
#include <unistd.h>
