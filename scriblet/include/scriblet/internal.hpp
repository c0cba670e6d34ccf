#pragma once
// The representation of ShortText and every operation built on it.

#include "scriblet/internal/binary.hpp"
#include "scriblet/internal/building.hpp"
#include "scriblet/internal/conversions.hpp"
#include "scriblet/internal/core.hpp"
#include "scriblet/internal/errors.hpp"
#include "scriblet/internal/folds.hpp"
#include "scriblet/internal/interfaces.hpp"
#include "scriblet/internal/short_text.hpp"
#include "scriblet/internal/slicing.hpp"
