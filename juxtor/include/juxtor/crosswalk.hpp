#pragma once
// Data.Crosswalk: Crosswalk and Bicrosswalk, with the aligning shapes they
// target.

#include "juxtor/internal.hpp"
#include "juxtor/internal/crosswalk.hpp"
