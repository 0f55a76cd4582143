#pragma once
#include <epoxy/gl.h>
