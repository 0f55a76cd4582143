#pragma once
// The engine's math library: vectors, matrices, planes, colours and geometry.

#include "Vector.h"
#include "Matrix.h"
#include "Plane.h"
#include "Color.h"
#include "Geometry.h"
