#pragma once
// Data.Zip: the Zippy wrapper, with the zipping interfaces it builds on.

#include "juxtor/internal.hpp"
#include "juxtor/internal/zippy.hpp"
