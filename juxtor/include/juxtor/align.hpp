#pragma once
// Data.Align: the aligning interfaces, their implementations and the
// combinators (a re-export of juxtor/internal.hpp).

#include "juxtor/internal.hpp"
